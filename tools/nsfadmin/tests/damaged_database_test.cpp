// nsfadmin run as a real process over damaged and foreign database files: dump, view and index either do
// their work or print one clear line naming the database and exit 1; never a crash, a sanitizer report or
// a hang, and a database they could not read is left as it was (one they could read may have a stale view
// index made again, as every reader of it would).
#include "program_run.h"
#include "testsupport/file_damage.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace nsfadmin {
namespace {

namespace damage = testsupport::damage;

constexpr const char* kDescription = R"({"path": "base.nsf",
  "views": [{"name": "ByRegion", "columns": [
               {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
               {"title": "Name", "item": "Name", "sorted": true}, {"title": "Count", "item": "Count", "totals": true},
               {"title": "When", "item": "When"}, {"title": "Tags", "item": "Tags"}]}],
  "documents": [
    {"Region": "North", "Name": "Ann", "Count": 3, "Tags": ["a", "b"], "Nums": [1, 2.5],
     "When": {"datetime": "2019-03-01T09:00:00Z"}, "Times": [{"datetime": "2020-01-02T03:04:05Z"}]},
    {"Region": "South", "Name": "Bo", "Count": 7, "Tags": [], "Body": "orchids in spring"},
    {"Name": "Cy", "$Parent": 0, "When": {"datetime": "2018-01-01T00:00:00Z"}},
    {"Region": "East", "Name": "Ed", "Count": 2.25, "Nums": [9, 8, 7], "Tags": ["c"]}]})";

class DamagedDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string description = WriteFile(area_.Root(), "base.json", kDescription);
        ASSERT_EQ(Run("build '" + description + "'").exitCode, 0);
        pristine_ = damage::ReadBytes(area_.DataDirectory() + "/base.nsf");
    }

    Outcome Run(const std::string& arguments) { return RunProgram(arguments, area_.Root() + "/stderr.txt"); }

    std::string Fresh(const std::string& name) {
        const std::string path = area_.DataDirectory() + "/" + name;
        damage::WriteBytes(path, pristine_);
        return path;
    }

    // Runs dump, view and index on the database name: each succeeds, or fails with one line that names the
    // database; none changes a file it could not read.
    void Commands(const std::string& name, const std::string& what) {
        const std::string path = area_.DataDirectory() + "/" + name;
        for (const std::string command : {"dump", "view", "index"}) {
            const std::string before = damage::ReadBytes(path);
            const Outcome o = Run(command + " '" + name + "'" + (command == "view" ? " ByRegion" : ""));
            const std::string where = what + ": nsfadmin " + command + " exited " +
                                      std::to_string(o.exitCode) + ", stderr: " + o.err;
            EXPECT_TRUE(o.exitCode == 0 || o.exitCode == 1) << where;
            EXPECT_EQ(o.err.find("Sanitizer"), std::string::npos) << where;
            EXPECT_EQ(o.err.find("runtime error"), std::string::npos) << where;
            if (o.exitCode == 0) {
                // What it printed is whole: a JSON object per document, an entry per line of a view.
                std::istringstream lines(o.out);
                for (std::string line; std::getline(lines, line);) {
                    if (command == "dump") {
                        const auto parsed = nlohmann::json::parse(line, nullptr, false);
                        EXPECT_TRUE(parsed.is_object() && parsed.contains("noteid") &&
                                    parsed.contains("items"))
                            << where << " line: " << line;
                    } else if (command == "view") {
                        EXPECT_GE(std::count(line.begin(), line.end(), '\t'), 2)
                            << where << " line: " << line;
                    }
                }
            }
            if (o.exitCode == 1) {
                EXPECT_EQ(o.err.rfind("nsfadmin: ", 0), 0u) << where;
                EXPECT_NE(o.err.find(name), std::string::npos) << where;
                EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << where;
                EXPECT_TRUE(damage::ReadBytes(path) == before) << where << " (the file changed)";
            }
        }
    }

    testsupport::TestArea area_;
    std::string pristine_;
};

TEST_F(DamagedDatabase, FilesDamagedWholeAtRandomGiveAClearErrorOrTheirContent) {
    std::mt19937 random(20261213);
    for (int step = 0; step < 16; ++step) {
        const std::string name = "file" + std::to_string(step) + ".nsf";
        const std::string damage = damage::DamageFile(Fresh(name), random);
        Commands(name, "seed 20261213 step " + std::to_string(step) + ": " + damage);
    }
}

TEST_F(DamagedDatabase, RowsDamagedAtRandomGiveAClearErrorOrTheirContent) {
    std::mt19937 random(20261214);
    for (int step = 0; step < 16; ++step) {
        const std::string name = "rows" + std::to_string(step) + ".nsf";
        std::string what = "seed 20261214 step " + std::to_string(step) + ":";
        {
            damage::RawFile raw(Fresh(name));
            ASSERT_TRUE(raw.IsOpen());
            if (step % 2 == 1) {
                ASSERT_EQ(raw.LooseSchema(), "");
            }
            for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n)
                what += " " + raw.DamageCell(random) + ";";
        }
        Commands(name, what);
    }
}

TEST_F(DamagedDatabase, ForeignFilesAndThingsThatAreNoFilesGiveAClearError) {
    const std::string data = area_.DataDirectory();
    damage::WriteBytes(data + "/empty.nsf", "");
    damage::WriteBytes(data + "/text.nsf", std::string(9000, 'q'));
    {
        damage::RawFile other(Fresh("other.nsf"));
        ASSERT_EQ(
            other.Exec("DROP TABLE items; DROP TABLE notes; DROP TABLE info;"
                       "CREATE TABLE songs(title TEXT, length INTEGER); INSERT INTO songs VALUES('a', 1);"),
            "");
    }
    std::filesystem::create_directory(data + "/folder.nsf");
    ASSERT_EQ(mkfifo((data + "/fifo.nsf").c_str(), 0600), 0);
    std::mt19937 random(20261215);
    damage::WriteBytes(Fresh("wal.nsf") + "-wal", damage::RandomBytes(random, 2 * 4096 + 32));
    damage::WriteBytes(Fresh("shm.nsf") + "-shm", damage::RandomBytes(random, 32768));
    for (const char* name : {"empty.nsf", "text.nsf", "other.nsf", "folder.nsf", "fifo.nsf"}) {
        Commands(name, name);
        EXPECT_EQ(Run(std::string("dump '") + name + "'").exitCode, 1) << name;
    }
    Commands("wal.nsf", "garbage -wal");
    Commands("shm.nsf", "garbage -shm");
}

TEST_F(DamagedDatabase, RowsDamagedAsUsersMeetThemGiveAClearErrorOrTheirContent) {
    int n = 0;
    for (const auto& damage : damage::RowDamages()) {
        const std::string name = "named" + std::to_string(n++) + ".nsf";
        ASSERT_EQ(damage::Apply(damage, Fresh(name)), "") << damage.what;
        Commands(name, damage.what);
    }
}

} // namespace
} // namespace nsfadmin
