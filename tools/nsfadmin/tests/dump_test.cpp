// What a description puts in a database, as the dump shows it: every value type, responses, titles and
// databases on servers.
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "nsfadmin/nsfadmin.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace nsfadmin {
namespace {

// Ordered, so that comparisons also check that items keep the order of the description.
using json = nlohmann::ordered_json;

class Dumping : public ::testing::Test {
protected:
    // The dump's lines, each parsed.
    std::vector<json> DumpOf(const std::string& path, const std::string& server = "") {
        std::ostringstream out;
        EXPECT_EQ(Dump(path, server, out), "");
        std::vector<json> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(json::parse(line));
        return lines;
    }

    testsupport::TestArea area_;
};

TEST_F(Dumping, EveryValueTypeComesBackAsItWasDescribed) {
    ASSERT_EQ(area_.Build(R"({"path": "sales/contacts.nsf", "title": "Contacts", "documents": [
        {"Form": "Contact", "FirstName": "Ann", "Tags": ["a", "b"], "Age": 42, "Ratio": 0.25,
         "Scores": [1, 2.5], "Since": {"datetime": "2019-03-01T09:00:00Z"},
         "Visits": [{"datetime": "2020-01-02T03:04:05.06Z"}, {"datetime": "2021-12-31T23:59:59Z"}],
         "Empty": [], "Note": "line\nbreak \u00e9"}]})"),
              "");
    const auto lines = DumpOf("sales/contacts.nsf");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_GT(lines[0]["noteid"].get<uint32_t>(), 0u);
    EXPECT_EQ(lines[0]["items"], json::parse(R"({"Form": "Contact", "FirstName": "Ann", "Tags": ["a", "b"],
        "Age": 42, "Ratio": 0.25, "Scores": [1, 2.5], "Since": {"datetime": "2019-03-01T09:00:00Z"},
        "Visits": [{"datetime": "2020-01-02T03:04:05.06Z"}, {"datetime": "2021-12-31T23:59:59Z"}],
        "Empty": [], "Note": "line\nbreak \u00e9"})"));
}

TEST_F(Dumping, ResponsesNameTheirParentAndDocumentsComeInNoteIdOrder) {
    ASSERT_EQ(area_.Build(R"({"path": "talk.nsf", "views": [{"name": "All"}], "documents": [
        {"Subject": "topic"}, {"Subject": "reply", "$Parent": 0}, {"Subject": "reply to reply", "$Parent": 1}]})"),
              "");
    const auto lines = DumpOf("talk.nsf");
    ASSERT_EQ(lines.size(), 3u); // the view is no document
    std::vector<uint32_t> ids;
    for (const auto& l : lines)
        ids.push_back(l["noteid"]);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_FALSE(lines[1]["items"].contains("$Parent"));

    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("talk.nsf", &db), nnotes::NOERROR);
    for (size_t i = 1; i < 3; ++i) {
        nnotes::NOTEHANDLE note = 0;
        ASSERT_EQ(nnotes::OpenNote(db, ids[i], 0, &note), nnotes::NOERROR);
        nnotes::NOTEID parent = 0;
        ASSERT_EQ(nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_PARENT_NOTEID, &parent), nnotes::NOERROR);
        EXPECT_EQ(parent, ids[i - 1]);
        nnotes::CloseNote(note);
    }
    nnotes::CloseDatabase(db);
    nnotes::TermProcess();
}

TEST_F(Dumping, ServersOfTheSettingsFileHoldTheirOwnDatabases) {
    const std::string folder = area_.AddServer("Alpha/Acme");
    ASSERT_EQ(
        area_.Build(R"({"server": "Alpha/Acme", "path": "qvlds.nsf", "documents": [{"A": "on alpha"}]})"),
        "");
    EXPECT_TRUE(std::filesystem::exists(folder + "/qvlds.nsf"));
    EXPECT_FALSE(std::filesystem::exists(area_.DataDirectory() + "/qvlds.nsf"));
    const auto lines = DumpOf("qvlds.nsf", "CN=Alpha/O=Acme");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["items"]["A"], "on alpha");
    std::ostringstream out;
    EXPECT_NE(Dump("qvlds.nsf", "", out).find("qvlds.nsf"), std::string::npos);
    EXPECT_TRUE(out.str().empty());
}

TEST_F(Dumping, ABuildReplacesTheWholeDatabase) {
    ASSERT_EQ(area_.Build(R"({"path": "r.nsf", "documents": [{"A": "one"}, {"A": "two"}]})"), "");
    ASSERT_EQ(area_.Build(R"({"path": "r.nsf", "documents": [{"B": "three"}]})"), "");
    const auto lines = DumpOf("r.nsf");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["items"], json::parse(R"({"B": "three"})"));
}

} // namespace
} // namespace nsfadmin
