// View listings: categories, documents under them, constant and formula columns, totals and plain views.
#include "nsfadmin/nsfadmin.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace nsfadmin {
namespace {

constexpr const char* kContacts = R"({"path": "sales/contacts.nsf", "title": "Contacts",
  "views": [ { "name": "By Region", "alias": "ByRegion", "selection": "SELECT Form = \"Contact\"",
               "columns": [ { "title": "Region", "item": "Region", "sorted": true, "categorised": true },
                            { "title": "Last Name", "item": "LastName", "sorted": true },
                            { "title": "Full Name", "formula": "FirstName + \" \" + LastName" },
                            { "title": "Kind", "constant": "contact" },
                            { "title": "Tags", "item": "Tags" } ] },
             { "name": "Notes", "selection": "SELECT Form = \"Memo\"", "columns": [ { "item": "Subject" } ] },
             { "name": "Ages", "selection": "SELECT Form = \"Contact\"",
               "columns": [ { "title": "Age", "item": "Age", "sorted": true, "descending": true, "totals": true } ] },
             { "name": "Plain" },
             { "name": "Bare", "selection": "SELECT Form = \"Memo\"", "columns": [] } ],
  "documents": [ { "Form": "Contact", "FirstName": "Ann", "LastName": "Lee", "Region": "North", "Age": 42,
                   "Tags": ["a", "b"] },
                 { "Form": "Contact", "FirstName": "Bob", "LastName": "Adams", "Region": "North", "Age": 3.5 },
                 { "Form": "Contact", "FirstName": "Cy", "LastName": "Zed", "Region": "South", "Age": 20 },
                 { "Form": "Memo", "Subject": "not a\tcontact\nat all" } ] })";

class ViewListing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(area_.Build(kContacts), ""); }

    std::string List(const std::string& view) {
        std::ostringstream out;
        EXPECT_EQ(ListView("sales/contacts.nsf", view, "", out), "");
        return out.str();
    }

    testsupport::TestArea area_;
};

TEST_F(ViewListing, CategoriesHoldTheirDocumentsInSortedOrder) {
    const std::string listing = List("By Region");
    std::istringstream lines(listing);
    std::vector<std::string> got;
    // Documents show their note id, categories 0; the ids themselves are the store's to choose.
    for (std::string line; std::getline(lines, line);) {
        const size_t idStart = line.find('\t', line.find('\t') + 1) + 1, idEnd = line.find('\t', idStart);
        const bool zero = line.compare(idStart, idEnd - idStart, "0") == 0;
        got.push_back(line.replace(idStart, idEnd - idStart, zero ? "0" : "#"));
    }
    const std::vector<std::string> expected = {
        "category\t0\t0\tNorth\t\t\t\t",
        "document\t1\t#\t\tAdams\tBob Adams\tcontact\t",
        "document\t1\t#\t\tLee\tAnn Lee\tcontact\ta, b",
        "category\t0\t0\tSouth\t\t\t\t",
        "document\t1\t#\t\tZed\tCy Zed\tcontact\t",
    };
    EXPECT_EQ(got, expected) << listing;
    // The alias names the view as well as its name.
    EXPECT_EQ(List("ByRegion"), listing);
}

TEST_F(ViewListing, TotalsFollowTheDocumentsAndNumbersReadPlainly) {
    const std::string listing = List("Ages");
    EXPECT_NE(listing.find("\t42\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("\t3.5\n"), std::string::npos) << listing;
    EXPECT_LT(listing.find("\t42\n"), listing.find("\t20\n")) << listing;
    EXPECT_EQ(listing.substr(listing.rfind("total")), "total\t0\t0\t65.5\n");
}

TEST_F(ViewListing, AViewGivenByNameAloneShowsEveryDocumentInOneEmptyColumn) {
    const std::string listing = List("Plain");
    size_t lines = 0;
    for (size_t at = 0; (at = listing.find("document\t0\t", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 4u) << listing;
    EXPECT_EQ(listing.back(), '\n');
    EXPECT_EQ(listing[listing.size() - 2], '\t');
}

TEST_F(ViewListing, AViewWithAnEmptyColumnListHasNoColumns) {
    const std::string listing = List("Bare");
    ASSERT_EQ(listing.rfind("document\t0\t", 0), 0u) << listing;
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\t'), 2) << listing;
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1) << listing;
}

TEST_F(ViewListing, ResponsesSitOneLevelBelowTheirParents) {
    ASSERT_EQ(area_.Build(R"({"path": "talk.nsf", "views": [{"name": "Threads", "columns": [
                                {"title": "Subject", "item": "Subject", "sorted": true},
                                {"title": "Reply", "item": "Subject", "response": true}]}],
                              "documents": [{"Subject": "B topic"}, {"Subject": "A topic"},
                                            {"Subject": "re B", "$Parent": 0},
                                            {"Subject": "re re B", "$Parent": 2}]})"),
              "");
    std::ostringstream out;
    ASSERT_EQ(ListView("talk.nsf", "Threads", "", out), "");
    std::vector<std::string> levelsAndSubjects;
    std::istringstream lines(out.str());
    for (std::string kind, level, id, subject; lines >> kind >> level >> id && std::getline(lines, subject);)
        levelsAndSubjects.push_back(level + subject);
    EXPECT_EQ(levelsAndSubjects, (std::vector<std::string>{"0\tA topic\tA topic", "0\tB topic\tB topic",
                                                           "1\tre B\tre B", "2\tre re B\tre re B"}));
}

TEST_F(ViewListing, TabsAndLineBreaksInValuesNeverSplitALine) {
    const std::string listing = List("Notes");
    EXPECT_EQ(listing.substr(listing.rfind('\t')), "\tnot a contact at all\n");
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1);
}

TEST_F(ViewListing, AnUnknownViewOrDatabaseIsNamed) {
    std::ostringstream out;
    EXPECT_NE(ListView("sales/contacts.nsf", "Nope", "", out).find("view \"Nope\""), std::string::npos);
    EXPECT_NE(ListView("sales/none.nsf", "Plain", "", out).find("sales/none.nsf"), std::string::npos);
    EXPECT_TRUE(out.str().empty());
}

} // namespace
} // namespace nsfadmin
