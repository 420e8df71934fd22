// A description with a fault never leaves a database, or a piece of one, behind; its error names the file,
// the place and what is wrong.
#include "nnotes/database.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "nsfadmin/nsfadmin.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace nsfadmin {
namespace {

class BuildErrors : public ::testing::Test {
protected:
    std::vector<std::string> DataFiles() const { return area_.DataFiles(); }

    std::string WriteFile(const std::string& name, const std::string& text) const {
        const std::string path = area_.Root() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    testsupport::TestArea area_;
};

TEST_F(BuildErrors, MalformedJsonNamesFileLineAndColumnAndLeavesNothing) {
    const std::string file =
        WriteFile("broken.json", "{ \"path\": \"broken.nsf\",\n  \"documents\": [ { \"A\": } ] }");
    const std::string error = BuildFromFile(file);
    EXPECT_NE(error.find(file + ": "), std::string::npos) << error;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(BuildErrors, FaultsDeepInTheDescriptionNameTheirPlace) {
    struct Case {
        const char* json;
        const char* place;
        const char* what;
    };
    const Case cases[] = {
        {R"({"title": "no path"})", "/path", "missing"},
        {R"({"path": "a.nsf", "colour": 1})", "/colour", "unknown key"},
        {R"({"path": "a.nsf", "documents": [{"A": 1}, {"Ok": "x", "Flag": true}]})", "/documents/1/Flag",
         "expected"},
        {R"({"path": "a.nsf", "documents": [{"L": ["a", 2]}]})", "/documents/0/L/1", "text list"},
        {R"({"path": "a.nsf", "documents": [{"T": {"datetime": "yesterday-ish"}}]})",
         "/documents/0/T/datetime", "not a time"},
        {R"({"path": "a.nsf", "documents": [{"$Parent": 0}]})", "/documents/0/$Parent", "earlier document"},
        {R"({"path": "a.nsf", "documents": [{"Name": "a", "NAME": "b"}]})", "/documents/0/NAME", "twice"},
        {R"({"path": "a.nsf", "documents": [{"ANameThatIsLongerThanThirtyOneBytes": 1}]})",
         "/documents/0/ANameThatIsLongerThanThirtyOneBytes", "1 to 31 bytes"},
        {R"({"path": "a.nsf", "views": [{"alias": "x"}]})", "/views/0/name", "missing"},
        {R"({"path": "a.nsf", "views": [{"name": "a|b"}]})", "/views/0/name", "'|'"},
        {R"({"path": "a.nsf", "views": [{"name": "v", "columns": [{"sorted": "yes"}]}]})",
         "/views/0/columns/0/sorted", "true or false"},
        {R"({"path": "a.nsf", "views": [{"name": "v", "columns": [{"item": "A", "formula": "B"}]}]})",
         "/views/0/columns/0", "not both"},
        {R"({"path": "a/b~c.nsf", "documents": [{"x/y": null}]})", "/documents/0/x~1y", "expected"},
        {R"({"path": "a.nsf", "documents": [{"Same": 1, "Same": 2}]})", "/documents/0/Same", "twice"},
        {R"({"path": "a.nsf", "title": "x", "title": "y"})", "/title", "twice"},
        {R"({"path": "a.nsf", "documents": [{"A": 1}, {"$Parent": 0, "$Parent": 0}]})",
         "/documents/1/$Parent", "earlier document"},
    };
    for (const auto& c : cases) {
        const std::string error = BuildFromText(c.json, "case.json");
        EXPECT_NE(error.find(std::string("case.json: ") + c.place + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
    }
    EXPECT_TRUE(DataFiles().empty());
}

// Numbers out of range and nesting too deep were reported without their place, as the only faults of a
// description that were.
TEST_F(BuildErrors, NumbersOutOfRangeAndDeepNestingAreRefusedNotFatalAndNameTheirPlace) {
    for (const char* number : {"1e400", "-1e400", "123456789012345678901234567890e300"}) {
        const std::string error = BuildFromText(
            std::string(R"({"path": "n.nsf", "documents": [{"A": 1}, {"N": [1, )") + number + "]}]}",
            "n.json");
        EXPECT_EQ(error.rfind("n.json: /documents/1/N/1: number overflow parsing '", 0), 0u) << error;
    }
    EXPECT_EQ(BuildFromText("1e999", "root.json"), "root.json: /: number overflow parsing '1e999'");
    EXPECT_EQ(BuildFromText(R"({"path": "n.nsf", "views": [{"name": "v"}], "x~/": 2e308})", "key.json"),
              "key.json: /x~0~1: number overflow parsing '2e308'");
    const std::string deep =
        std::string(R"({"path": "n.nsf", "documents": [{"N": )") + std::string(100000, '[');
    std::string place = "/documents/0/N";
    for (int depth = 3; depth < 256; ++depth)
        place += "/0";
    EXPECT_EQ(BuildFromText(deep, "deep.json"),
              "deep.json: " + place + ": objects and arrays are nested more than 256 deep");
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(BuildErrors, ListsTooLongForAnItemNameTheFileAndThePlace) {
    // A JSON array of n copies of entry.
    const auto list = [](const std::string& entry, int n) {
        std::string text = "[";
        for (int i = 0; i < n; ++i)
            text += (i ? "," : "") + entry;
        return text + "]";
    };
    const auto build = [](const std::string& value) {
        return BuildFromText(R"({"path": "l.nsf", "documents": [{"A": 1}, {"L": )" + value + "}]}", "l.json");
    };
    const std::string tooMany = "l.json: /documents/1/L: a list holds at most 65535 entries, this one 65536";
    EXPECT_EQ(build(list("\"\"", 65536)), tooMany);
    EXPECT_EQ(build(list("1", 65536)), tooMany);
    EXPECT_EQ(build(list(R"({"datetime": "2026-01-02T03:04:05Z"})", 65536)), tooMany);
    EXPECT_EQ(build(list("\"" + std::string(65536, 'x') + "\"", 1)),
              "l.json: /documents/1/L: a list entry holds at most 65535 bytes");
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(BuildErrors, ADocumentWithTooManyItemsIsRefusedInTimeProportionalToItsSize) {
    // Twice the items a note can hold, with names that differ only late: a check that compares every name
    // with every other one would take many minutes here.
    std::string json = R"({"path": "big.nsf", "documents": [{)";
    for (int i = 0; i < 140000; ++i)
        json += (i ? ",\"" : "\"") + std::string("Item_number_") + std::to_string(i) + "\": 1";
    json += "}]}";
    const std::string error = BuildFromText(json, "big.json");
    EXPECT_NE(error.find("big.json: /documents/0/Item_number_65535: "), std::string::npos) << error;
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(BuildErrors, AnUnknownServerOrUnreadableFileIsNamed) {
    EXPECT_NE(
        BuildFromText(R"({"server": "Nowhere/Acme", "path": "a.nsf"})", "s.json").find("s.json: /server: "),
        std::string::npos);
    const std::string missing = area_.Root() + "/missing.json";
    EXPECT_EQ(BuildFromFile(missing).rfind(missing + ": cannot be read", 0), 0u);
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(BuildErrors, AFailedRebuildKeepsTheDatabaseThatWasThere) {
    ASSERT_EQ(area_.Build(R"({"path": "keep.nsf", "title": "First"})"), "");
    const auto before = DataFiles();
    EXPECT_NE(area_.Build(R"({"path": "keep.nsf", "title": "Second", "documents": [{"Bad": [true]}]})"), "");
    EXPECT_EQ(DataFiles(), before);
    nnotes::InitProcess(0, nullptr);
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("keep.nsf", &db), nnotes::NOERROR);
    char info[nnotes::DBINFO_SIZE], title[64];
    ASSERT_EQ(nnotes::GetDatabaseInfo(db, info), nnotes::NOERROR);
    ASSERT_EQ(nnotes::GetInfoField(info, nnotes::INFOFIELD_TITLE, title, sizeof title), nnotes::NOERROR);
    EXPECT_STREQ(title, "First");
    nnotes::CloseDatabase(db);
    nnotes::TermProcess();
}

// A NUL inside the path cut the names of both the temporary file and the target to the text before it, so
// the build took the existing database for its temporary file: it replaced it, then deleted it.
TEST_F(BuildErrors, ANulInThePathOrServerIsRefusedAndTheDatabaseBeforeItStays) {
    ASSERT_EQ(area_.Build(R"({"path": "a.nsf", "documents": [{"Name": "keep me"}]})"), "");
    std::ostringstream before;
    ASSERT_EQ(Dump("a.nsf", "", before), "");
    const std::string file =
        WriteFile("nul.json", R"({"path": "a.nsf\u0000b.nsf", "documents": [{"A": "B"}]})");
    std::string error = BuildFromFile(file);
    EXPECT_EQ(error, file + ": /path: File path holds a NUL character (status 0x0805)");
    error =
        BuildFromText(R"({"server": "\u0000", "path": "a.nsf", "documents": [{"A": "B"}]})", "server.json");
    EXPECT_NE(error.find("server.json: "), std::string::npos) << error;
    EXPECT_NE(error.find("Server name holds a NUL character"), std::string::npos) << error;
    std::ostringstream after;
    EXPECT_EQ(Dump("a.nsf", "", after), "");
    EXPECT_EQ(after.str(), before.str());
    EXPECT_EQ(DataFiles(), std::vector<std::string>{"a.nsf"});
}

// An item named "$REF" beside "$Parent" was stored ahead of the parent link, and the store took it for the
// link: the document was built as a main document, not as the response the description asked for.
TEST_F(BuildErrors, AnItemNamedLikeTheParentLinkIsRefused) {
    for (const char* doc : {R"({"S": "c", "$REF": "junk", "$Parent": 0})", R"({"$Parent": 0, "$ref": 1})",
                            R"({"S": "d", "$Ref": ["x"]})"}) {
        const std::string error = BuildFromText(
            std::string(R"({"path": "r.nsf", "documents": [{"S": "p"}, )") + doc + "]}", "r.json");
        EXPECT_EQ(error.rfind("r.json: /documents/1/$", 0), 0u) << error;
        EXPECT_NE(error.find("\"$REF\" is the parent link: \"$Parent\" gives it"), std::string::npos)
            << error;
    }
    EXPECT_TRUE(DataFiles().empty());
}

// A NUL in the title cut it short without a word; in a view's name or alias it made a view that no one could
// open by the name given; in a column's item it named an item that no document can hold.
TEST_F(BuildErrors, ANulOrLineFeedInTheTitleANulInAViewNameAliasOrAColumnItemIsRefused) {
    struct Case {
        const char* json;
        const char* error;
    };
    const Case cases[] = {
        {R"({"path": "n.nsf", "title": "A\u0000B"})", "n.json: /title: the title holds a NUL character"},
        // The store's information buffer separates its fields by line feeds: the build failed late, with
        // "Invalid database information field".
        {R"({"path": "n.nsf", "title": "two\nlines"})", "n.json: /title: the title holds a line feed"},
        {R"({"path": "n.nsf", "views": [{"name": "v\u0000w"}]})",
         "n.json: /views/0/name: a view name holds no NUL character"},
        {R"({"path": "n.nsf", "views": [{"name": "v", "alias": "\u0000"}]})",
         "n.json: /views/0/alias: a view alias holds no NUL character"},
        {R"({"path": "n.nsf", "views": [{"name": "v", "columns": [{"item": "S\u0000"}]}]})",
         "n.json: /views/0/columns/0/item: an item name holds at most 31 bytes and no NUL"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildFromText(c.json, "n.json"), c.error);
    EXPECT_TRUE(DataFiles().empty());
}

// A build over a file that is not a database replaced it with the database built, where the store never
// replaces such a file.
TEST_F(BuildErrors, ABuildOverAFileThatIsNotADatabaseLeavesTheFileAsItWas) {
    const std::string text = "notes kept by hand, not a database\n";
    std::filesystem::create_directories(area_.DataDirectory());
    std::ofstream(area_.DataDirectory() + "/mine.nsf", std::ios::binary) << text;
    const std::string error =
        BuildFromText(R"({"path": "mine.nsf", "documents": [{"Subject": "s"}]})", "mine.json");
    EXPECT_EQ(error.rfind("mine.json: /path: ", 0), 0u) << error;
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;
    EXPECT_EQ(DataFiles(), std::vector<std::string>{"mine.nsf"});
    std::ifstream in(area_.DataDirectory() + "/mine.nsf", std::ios::binary);
    EXPECT_TRUE(std::string((std::istreambuf_iterator<char>(in)), {}) == text);
}

// A database named like a build's temporary file ("y.nsf.building-12345") was built, and the next build of
// y.nsf took it for a left-over temporary file and removed it.
TEST_F(BuildErrors, APathNamedLikeATemporaryFileIsRefused) {
    for (const char* path : {"y.nsf.building-12345", "sub/y.nsf.copying-1", "y.creating-x"}) {
        const std::string error = BuildFromText(
            std::string(R"({"path": ")") + path + R"(", "documents": [{"S": "kept"}]})", "t.json");
        EXPECT_EQ(error, std::string("t.json: /path: \"") + path +
                             "\" is named like the temporary file of a build or copy, which would remove it");
    }
    EXPECT_TRUE(DataFiles().empty());
    // Names that merely hold such words stay allowed.
    EXPECT_EQ(BuildFromText(R"({"path": "building-plans.nsf"})", "t.json"), "");
    EXPECT_EQ(BuildFromText(R"({"path": "a.copying.nsf"})", "t.json"), "");
}

} // namespace
} // namespace nsfadmin
