// A library under test: a store area of its own with the server "Alpha/Acme", qvllib.ini in that area (the
// library file is pointed there), the area as current folder (for qvllog.txt) and a recorder for the
// message boxes. The standard fixture holds qvlds.nsf on the server and contacts.nsf in the local data
// directory.
#pragma once

#include "datalibapp.h"
#include "libstate.h"
#include "os/os.h"
#include "qvllib/qvllib.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qvltest {

// One row of the view "DataSources".
inline std::string DataSource(const std::string& name, const std::string& database, const std::string& view,
                              const std::string& lookups = "[]", const std::string& server = "") {
    return R"({"DataSourceName": ")" + name + R"(", "ServerName": ")" + server + R"(", "DatabaseName": ")" +
           database + R"(", "ViewName": ")" + view +
           R"(", "MergeHistField": "MergeHistory", "PrimarySearchField": "LastName", "LookupFields": )" +
           lookups + "}";
}

// qvlds.nsf on server with the given rows (a JSON array's members).
inline std::string DataSourceDatabase(const std::string& server, const std::string& rows) {
    return R"({"server": ")" + server +
           R"(", "path": "qvlds.nsf", "views": [{"name": "DataSources", "columns": [
        {"title": "DataSourceName", "item": "DataSourceName", "sorted": true},
        {"title": "ServerName", "item": "ServerName"},
        {"title": "DatabaseName", "item": "DatabaseName"},
        {"title": "ViewName", "item": "ViewName"},
        {"title": "MergeHistField", "item": "MergeHistField"},
        {"title": "PrimarySearchField", "item": "PrimarySearchField"},
        {"title": "LookupFields", "item": "LookupFields"}]}],
      "documents": [)" +
           rows + "]}";
}

// The contacts: categorised by region (North: Lee, Marsh; South: Noor), flat, with a number column, and the
// keyword views of their lookups.
inline const char* ContactsDatabase() {
    return R"({"path": "contacts.nsf", "views": [
        {"name": "By Region", "selection": "SELECT Form = \"Contact\"", "columns": [
            {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
            {"title": "Last Name", "item": "LastName", "sorted": true},
            {"title": "First Name", "item": "FirstName"}]},
        {"name": "All", "selection": "SELECT Form = \"Contact\"", "columns": [
            {"title": "Last Name", "item": "LastName", "sorted": true},
            {"title": "First Name", "item": "FirstName"},
            {"title": "Region", "item": "Region"}]},
        {"name": "Ages", "selection": "SELECT Form = \"Contact\"", "columns": [
            {"title": "Last Name", "item": "LastName", "sorted": true},
            {"title": "Age", "item": "Age"}]},
        {"name": "Regions", "selection": "SELECT Form = \"Keyword\"", "columns": [
            {"title": "Name", "item": "Name", "sorted": true}]},
        {"name": "Statuses", "selection": "SELECT Form = \"Status\"", "columns": [
            {"title": "Value", "item": "Value", "sorted": true}]},
        {"name": "AgeKeywords", "selection": "SELECT Form = \"Contact\"", "columns": [
            {"title": "Age", "item": "Age", "sorted": true}]},
        {"name": "NoColumns", "selection": "SELECT Form = \"Status\"", "columns": []}],
      "documents": [
        {"Form": "Contact", "FirstName": "Ann", "LastName": "Lee", "Region": "North", "Age": 41,
         "MergeHistory": "Spring letter"},
        {"Form": "Contact", "FirstName": "Bob", "LastName": "Marsh", "Region": "North", "Age": 52},
        {"Form": "Contact", "FirstName": "Cid", "LastName": "Noor", "Region": "South", "Age": 33,
         "MergeHistory": 7},
        {"Form": "Status", "Value": "Active"}, {"Form": "Status", "Value": "Closed"},
        {"Form": "Keyword", "Name": "K01"}, {"Form": "Keyword", "Name": "K02"}, {"Form": "Keyword", "Name": "K03"},
        {"Form": "Keyword", "Name": "K04"}, {"Form": "Keyword", "Name": "K05"}, {"Form": "Keyword", "Name": "K06"},
        {"Form": "Keyword", "Name": "K07"}, {"Form": "Keyword", "Name": "K08"}, {"Form": "Keyword", "Name": "K09"},
        {"Form": "Keyword", "Name": "K10"}, {"Form": "Keyword", "Name": "K11"}, {"Form": "Keyword", "Name": "K12"}]})";
}

// Numbers, number lists, times and time lists (in local time), flat and categorised by a number, with a
// keyword view of times; OpenWithValues adds its data sources "Values" and "By Score" to the standard ones.
inline const char* ValuesDatabase() {
    return R"({"path": "values.nsf", "views": [
        {"name": "Values", "columns": [
            {"title": "Name", "item": "Name", "sorted": true}, {"title": "Score", "item": "Score"},
            {"title": "Scores", "item": "Scores"}, {"title": "Since", "item": "Since"},
            {"title": "Dates", "item": "Dates"}]},
        {"name": "By Score", "columns": [
            {"title": "Score", "item": "Score", "sorted": true, "categorised": true},
            {"title": "Name", "item": "Name"}]},
        {"name": "SinceKeywords", "columns": [{"title": "Since", "item": "Since", "sorted": true}]}],
      "documents": [
        {"Name": "Ann", "Score": 3.5, "Scores": [-2.25, 7], "Since": {"datetime": "2019-03-01T09:00:00"},
         "Dates": [{"datetime": "2020-12-24T18:30:00"}, {"datetime": "2021-01-01T00:00:00"}]},
        {"Name": "Bob", "Score": 1234567, "Scores": [0.1], "Since": {"datetime": "1999-11-30T23:59:59"}}]})";
}

// The data sources of the standard fixture, in view order.
inline std::string StandardDataSources() {
    const std::string lookups =
        R"(["Region=Regions", "Status==Statuses", "Empty=NoColumns", "Age=AgeKeywords", "Gone=No Such View"])";
    return DataSource("Ages", "contacts.nsf", "Ages") + "," +
           DataSource("Contacts", "contacts.nsf", "By Region", lookups) + "," +
           DataSource("Everyone", "contacts.nsf", "All", lookups) + "," +
           DataSource("Missing Database", "nowhere.nsf", "All") + "," +
           DataSource("Missing View", "contacts.nsf", "No Such View");
}

class LibraryTest : public ::testing::Test {
protected:
    static constexpr const char* kServer = "Alpha/Acme";

    LibraryTest() : previousFolder_(std::filesystem::current_path()) {
        area_.AddServer(kServer);
        std::filesystem::current_path(area_.Root());
        TheLibApp.SetModuleFileName(area_.Root() + "/qvllib.so");
    }

    ~LibraryTest() override {
        LibClose();
        std::filesystem::current_path(previousFolder_);
    }

    void Build(const std::string& json) const { ASSERT_EQ(area_.Build(json), ""); }

    void WriteProfile(const std::string& text) const {
        std::ofstream(area_.Root() + "/qvllib.ini", std::ios::binary) << text;
    }
    void UseServer(const std::string& server) const { WriteProfile("[General]\nServer=" + server + "\n"); }

    // Builds the standard fixture and opens the library on it.
    void OpenStandard() {
        Build(DataSourceDatabase(kServer, StandardDataSources()));
        Build(ContactsDatabase());
        UseServer(kServer);
        ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    }

    void OpenWithValues() {
        Build(DataSourceDatabase(
            kServer, StandardDataSources() + "," +
                         DataSource("Values", "values.nsf", "Values", R"(["Since=SinceKeywords"])") + "," +
                         DataSource("By Score", "values.nsf", "By Score")));
        Build(ContactsDatabase());
        Build(ValuesDatabase());
        UseServer(kServer);
        ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    }

    std::string ReadFile(const std::string& name) const {
        std::ifstream in(area_.Root() + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static std::string LastErrorText() {
        char text[512];
        LastError(text, sizeof text);
        return text;
    }
    static std::string Header(int column) {
        char text[256] = "untouched";
        GetHeader(column, text, sizeof text);
        return text;
    }
    static std::string Data(int column) {
        char text[256] = "untouched";
        GetData(column, text, sizeof text);
        return text;
    }
    // The current row's first columns, joined by "|".
    static std::string Row(int columns) {
        std::string row;
        for (int i = 0; i < columns; ++i)
            row += (i ? "|" : "") + Data(i);
        return row;
    }

    testsupport::TestArea area_;
    os::MessageBoxRecorder boxes_;
    std::filesystem::path previousFolder_;
};

} // namespace qvltest
