// The nsfadmin program itself: its commands, exit codes and messages, and the full-text index it makes.
#include "nnotes/database.h"
#include "nnotes/fulltext.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "program_run.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace nsfadmin {
namespace {

class Program : public ::testing::Test {
protected:
    // Runs nsfadmin (beside this test program) with the arguments, already quoted for the shell.
    Outcome Run(const std::string& arguments) { return RunProgram(arguments, area_.Root() + "/stderr.txt"); }

    std::string Write(const std::string& name, const std::string& text) {
        return WriteFile(area_.Root(), name, text);
    }

    testsupport::TestArea area_;
};

TEST_F(Program, BuildsSeveralFilesAndDumpsThem) {
    const std::string a = Write("a.json", R"({"path": "a.nsf", "documents": [{"Name": "Ann"}]})");
    const std::string b = Write("b.json", R"({"path": "b.nsf", "documents": [{"Count": 3}]})");
    ASSERT_EQ(Run("build '" + a + "' '" + b + "'").exitCode, 0);
    const Outcome dump = Run("dump a.nsf");
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_NE(dump.out.find(R"("items":{"Name":"Ann"}})"), std::string::npos) << dump.out;
    EXPECT_NE(Run("dump b.nsf").out.find(R"({"Count":3})"), std::string::npos);
}

TEST_F(Program, AMalformedFileLeavesNoDatabaseAndTheOthersAreStillBuilt) {
    const std::string bad = Write("bad.json", "{\"path\": \"bad.nsf\", \"documents\": [ {\"A\": 1,} ]}");
    const std::string good = Write("good.json", R"({"path": "good.nsf"})");
    const Outcome o = Run("build '" + bad + "' '" + good + "'");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find(bad + ": "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("line 1"), std::string::npos) << o.err;
    EXPECT_FALSE(std::filesystem::exists(area_.DataDirectory() + "/bad.nsf"));
    EXPECT_TRUE(std::filesystem::exists(area_.DataDirectory() + "/good.nsf"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(area_.DataDirectory()), {}), 1);
}

TEST_F(Program, IndexMakesTheDatabaseSearchable) {
    const std::string file =
        Write("f.json", R"({"path": "f.nsf", "documents": [{"Body": "orchids in spring"}]})");
    ASSERT_EQ(Run("build '" + file + "'").exitCode, 0);
    ASSERT_EQ(Run("index f.nsf").exitCode, 0);
    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("f.nsf", &db), nnotes::NOERROR);
    nnotes::FTSEARCHHANDLE search = 0;
    ASSERT_EQ(nnotes::FTOpenSearch(&search), nnotes::NOERROR);
    uint32_t count = 0;
    EXPECT_EQ(nnotes::FTSearch(db, &search, 0, "orchid*", 0, 0, nnotes::NULLHANDLE, &count, nullptr, nullptr),
              nnotes::NOERROR);
    EXPECT_EQ(count, 1u);
    nnotes::FTCloseSearch(search);
    nnotes::CloseDatabase(db);
    nnotes::TermProcess();
}

TEST_F(Program, ABuiltDatabaseHoldsTheStoredIndexOfEachViewSoItsFirstOpenReadsIt) {
    const std::string file = Write("v.json", R"({"path": "v.nsf",
        "views": [{"name": "Names", "columns": [{"title": "Name", "item": "Name", "sorted": true}]}],
        "documents": [{"Name": "Cy"}, {"Name": "Ann"}, {"Name": "Bo"}]})");
    ASSERT_EQ(Run("build '" + file + "'").exitCode, 0);
    sqlite3* raw = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2((area_.DataDirectory() + "/v.nsf").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    const auto count = [&](const char* sql) {
        sqlite3_stmt* q = nullptr;
        int64_t n = -1;
        if (sqlite3_prepare_v2(raw, sql, -1, &q, nullptr) == SQLITE_OK && sqlite3_step(q) == SQLITE_ROW)
            n = sqlite3_column_int64(q, 0);
        sqlite3_finalize(q);
        return n;
    };
    EXPECT_EQ(count("SELECT count(*) FROM view_index"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM view_rows"), 3);
    sqlite3_close(raw);
}

TEST_F(Program, HelpPrintsTheUsageAndSucceeds) {
    for (const char* arguments : {"--help", "-h", "help"}) {
        const Outcome o = Run(arguments);
        EXPECT_EQ(o.exitCode, 0) << arguments;
        EXPECT_EQ(o.out.rfind("usage: nsfadmin build FILE.json", 0), 0u) << arguments << ": " << o.out;
        EXPECT_NE(o.out.find("nsfadmin index DATABASE"), std::string::npos) << arguments;
        EXPECT_EQ(o.err, "") << arguments;
    }
}

TEST_F(Program, EachFailedCommandGivesOneLineNamingItsFile) {
    const std::string good = Write("good.json", R"({"path": "good.nsf"})");
    ASSERT_EQ(Run("build '" + good + "'").exitCode, 0);
    const std::string formula = Write("formula.json", R"({"path": "f.nsf", "views": [{"name": "V",
        "columns": [{"title": "T", "formula": "@Left("a"; "}]}]})");
    const std::string malformed = Write("malformed.json", "{\"path\": \"m.nsf\",\n \"documents\": [\n {]}");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"build '" + area_.Root() + "/absent.json'", "absent.json"},
        {"build '" + formula + "'", "formula.json"},
        {"build '" + malformed + "'", "malformed.json"},
        {"dump absent.nsf", "absent.nsf"},
        {"view absent.nsf V", "absent.nsf"},
        {"view good.nsf Missing", "good.nsf"},
        {"index absent.nsf", "absent.nsf"}};
    for (const auto& [arguments, file] : cases) {
        const Outcome o = Run(arguments);
        EXPECT_EQ(o.exitCode, 1) << arguments;
        EXPECT_EQ(o.err.rfind("nsfadmin: ", 0), 0u) << arguments << ": " << o.err;
        EXPECT_NE(o.err.find(file), std::string::npos) << arguments << ": " << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << arguments << ": " << o.err;
        EXPECT_EQ(o.err.back(), '\n') << arguments;
    }
}

TEST_F(Program, WrongUseGivesTheUsageAndExitCode2) {
    for (const char* arguments :
         {"", "frobnicate", "build", "dump", "dump a b", "view a.nsf", "dump a --server"}) {
        const Outcome o = Run(arguments);
        EXPECT_EQ(o.exitCode, 2) << arguments;
        EXPECT_NE(o.err.find("usage: nsfadmin build"), std::string::npos) << arguments;
    }
    const Outcome missing = Run("dump nowhere.nsf");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nowhere.nsf"), std::string::npos);
}

// The program is another process than this test: while the test holds a database open, a build over it is
// refused and the holder's saves go on into the database that stays.
TEST_F(Program, ABuildOverADatabaseAnotherProcessHoldsIsRefusedAndLosesNothing) {
    const std::string first = Write("first.json", R"({"path": "held.nsf", "documents": [{"Name": "Ann"}]})");
    const std::string second =
        Write("second.json", R"({"path": "held.nsf", "documents": [{"Name": "Bob"}]})");
    ASSERT_EQ(Run("build '" + first + "'").exitCode, 0);
    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("held.nsf", &db), nnotes::NOERROR);

    const Outcome refused = Run("build '" + second + "'");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("in use"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find(second + ": /path: writing "), std::string::npos) << refused.err;
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::CreateNote(db, &note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::SetItemText(note, "Name", "Cid", 3), nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    nnotes::CloseNote(note);
    nnotes::CloseDatabase(db);
    nnotes::TermProcess();
    const Outcome kept = Run("dump held.nsf");
    EXPECT_NE(kept.out.find("Ann"), std::string::npos) << kept.out;
    EXPECT_NE(kept.out.find("Cid"), std::string::npos) << kept.out;

    // Released, the database is rebuilt.
    ASSERT_EQ(Run("build '" + second + "'").exitCode, 0);
    EXPECT_NE(Run("dump held.nsf").out.find("Bob"), std::string::npos);
}

TEST_F(Program, ABuildRemovesWhatAnInterruptedBuildLeftBehind) {
    // What a build killed half-way leaves: its database under a temporary name, held by nobody.
    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CreateDatabase("x.nsf.building-99999999", 0, false, 0, 0, 0), nnotes::NOERROR);
    nnotes::TermProcess();
    const std::string file = Write("x.json", R"({"path": "x.nsf", "documents": [{"Name": "Ann"}]})");
    ASSERT_EQ(Run("build '" + file + "'").exitCode, 0);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(area_.DataDirectory()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"x.nsf"});
}

} // namespace
} // namespace nsfadmin
