// The real qvllib.so in programs of their own (tests/caller/library_caller.cpp): callers that end without
// LibClose whatever they left open, and several callers writing back into the same documents at once.
#include "history.h"
#include "libfixture.h"
#include "library_caller.h"
#include "nnotes/process.h"
#include "nsfadmin/nsfadmin.h"

#include <fcntl.h>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qvltest {
namespace {

class CallerTest : public ::testing::Test {
protected:
    CallerTest() : previousFolder_(std::filesystem::current_path()) {
        area_.AddServer("Alpha/Acme");
        std::filesystem::current_path(area_.Root());
        const std::string folder = area_.Root() + "/program.d";
        std::filesystem::create_directory(folder);
        library_ = folder + "/qvllib.so";
        std::filesystem::copy_file(os::DirectoryOf(os::ModulePath(nullptr)) + "/qvllib.so", library_);
        std::ofstream(folder + "/qvllib.ini") << "[General]\nServer=Alpha/Acme\n";
    }
    ~CallerTest() override { std::filesystem::current_path(previousFolder_); }

    void SetUp() override {
        ASSERT_EQ(
            area_.Build(DataSourceDatabase("Alpha/Acme", StandardDataSources() + "," +
                                                             DataSource("Full Names", "names.nsf", "Full"))),
            "");
        ASSERT_EQ(area_.Build(ContactsDatabase()), "");
        ASSERT_EQ(area_.Build(R"({"path": "names.nsf", "views": [{"name": "Full", "columns": [
            {"title": "Name", "formula": "First + \" \" + Last", "sorted": true}]}],
            "documents": [{"First": "Ann", "Last": "Lee"}, {"First": "Bob", "Last": "Marsh"}]})"),
                  "");
        ASSERT_EQ(nsfadmin::Index("contacts.nsf", ""), "");
    }

    std::unique_ptr<Caller> Start(const std::vector<std::string>& commands) {
        return std::make_unique<Caller>(library_, commands,
                                        area_.Root() + "/caller-" + std::to_string(++callers_) + ".err");
    }

    // The entries of the text list "MergeHistory" of each document of contacts.nsf, by note id.
    std::map<int, std::vector<std::string>> Histories() const {
        std::ostringstream dump;
        EXPECT_EQ(nsfadmin::Dump("contacts.nsf", "", dump), "");
        std::map<int, std::vector<std::string>> out;
        std::istringstream lines(dump.str());
        const std::string key = R"("MergeHistory":[")";
        for (std::string line; std::getline(lines, line);) {
            const size_t at = line.find(key);
            if (at == std::string::npos) continue;
            const int id = std::stoi(line.substr(line.find(':') + 1));
            const std::string list = line.substr(at + key.size(), line.find("\"]", at) - at - key.size());
            std::vector<std::string>& entries = out[id];
            for (size_t pos = 0;;) {
                const size_t end = list.find("\",\"", pos);
                entries.push_back(list.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
                if (end == std::string::npos) break;
                pos = end + 3;
            }
        }
        return out;
    }

    testsupport::TestArea area_;
    std::string library_;
    int callers_ = 0;
    std::filesystem::path previousFolder_;
};

// The library's globals end after main has returned, when the tables of the store they reach on their way
// out (searches, computations, collections, databases, notes) must still be there.
TEST_F(CallerTest, ACallerThatEndsWithoutLibCloseEndsCleanlyWhateverItLeftOpen) {
    const std::vector<std::vector<std::string>> runs = {
        {"open"},
        {"open", "ds", "Everyone"},
        {"open", "ds", "Everyone", "search", "Noor"},
        {"open", "ds", "Contacts", "kwopen", "Region"},
        {"open", "ds", "Contacts", "kwload", "Region"},
        {"open", "ds", "Everyone", "update", "MergeHistory", "Autumn letter"},
        {"open", "ds", "Full Names"},
        {"open", "ds", "Everyone", "search", "Lee", "close"},
    };
    for (const auto& commands : runs) {
        std::string name;
        for (const auto& c : commands)
            name += c + " ";
        auto caller = Start(commands);
        const auto answers = caller->Answers();
        for (const auto& answer : answers)
            EXPECT_EQ(answer, "ok") << name;
        const int status = caller->Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << "ended with status " << status;
        EXPECT_EQ(caller->Errors(), "") << name;
    }
}

// Each round of each caller appends one line to every document; a conflict with another caller's save of
// the same document is met by reading the document again, so no line goes missing and each caller's lines
// keep their order.
TEST_F(CallerTest, CallersWritingBackIntoTheSameDocumentsAtOnceLoseNoLine) {
    constexpr int kCallers = 4, kRounds = 40;
    std::vector<std::unique_ptr<Caller>> callers;
    for (int c = 0; c < kCallers; ++c)
        callers.push_back(Start({"open", "ds", "Everyone", "history", "MergeHistory", "c" + std::to_string(c),
                                 std::to_string(kRounds)}));
    for (auto& caller : callers) {
        EXPECT_EQ(caller->Answers(), (std::vector<std::string>{"ok", "ok", "ok"}));
        EXPECT_EQ(caller->Wait(), 0);
    }
    const auto histories = Histories();
    ASSERT_EQ(histories.size(), 2u); // Lee and Marsh; Noor's item holds a number and is never appended to
    for (const auto& [id, entries] : histories) {
        std::map<std::string, int> last;
        size_t written = 0;
        for (const auto& entry : entries) {
            if (entry == "Spring letter") continue;
            const std::string caller = entry.substr(0, entry.find(' '));
            const int round = std::stoi(entry.substr(entry.find(' ') + 1));
            EXPECT_EQ(round, last[caller] + 1) << "document " << id << ": " << entry;
            last[caller] = round;
            ++written;
        }
        EXPECT_EQ(written, static_cast<size_t>(kCallers * kRounds)) << "document " << id;
    }
}

// Another program changing an item of its own ("W" and its number) in random documents through the store,
// COUNT saves, each retried on a conflict; after each save that returned, "WRITER ID N" goes down the pipe.
int ChangeOtherItems(int writer, unsigned seed, int count, const std::vector<int>& ids, int pipeOut) {
    if (nnotes::InitProcess(0, nullptr) != nnotes::NOERROR) return 2;
    nnotes::DBHANDLE db = 0;
    if (nnotes::OpenDatabase("contacts.nsf", &db) != nnotes::NOERROR) return 3;
    std::mt19937 random(seed);
    const std::string name = "W" + std::to_string(writer);
    for (int n = 1; n <= count; ++n) {
        const int id = ids[std::uniform_int_distribution<size_t>(0, ids.size() - 1)(random)];
        const std::string value = "w" + std::to_string(writer) + "-" + std::to_string(n);
        for (nnotes::STATUS saved = nnotes::ERR_NOTE_CONFLICT; saved == nnotes::ERR_NOTE_CONFLICT;) {
            nnotes::NOTEHANDLE note = 0;
            if (nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(id), 0, &note) != nnotes::NOERROR) return 4;
            if (nnotes::SetItemText(note, name.c_str(), value.data(), static_cast<uint16_t>(value.size())) !=
                nnotes::NOERROR)
                return 5;
            saved = nnotes::UpdateNote(note, 0);
            nnotes::CloseNote(note);
            if (saved != nnotes::NOERROR && saved != nnotes::ERR_NOTE_CONFLICT) return 6;
        }
        const std::string report =
            std::to_string(writer) + " " + std::to_string(id) + " " + std::to_string(n) + "\n";
        if (write(pipeOut, report.data(), report.size()) != static_cast<ssize_t>(report.size())) return 7;
    }
    nnotes::CloseDatabase(db);
    return 0;
}

// Callers writing back into random documents of overlapping sets while other programs change other items of
// the same documents, and one caller killed at a seeded moment: every line a caller finished is stored once,
// the line it was killed in at most once, no line aimed at a note that cannot take it appears anywhere, the
// other writers' last values and the documents' own items are as they were saved, and the database still
// opens and reads whole.
TEST_F(CallerTest, RandomWriteBacksAmongOtherWritersAndAKillKeepEveryFinishedLineOnce) {
    // The seed is fixed; QVL_WRITEBACK_SEED runs the same test with another, to search by hand.
    const char* seed = std::getenv("QVL_WRITEBACK_SEED");
    const unsigned kSeed =
        seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261210u;
    constexpr int kCallers = 3, kCalls = 40, kWriters = 2, kSaves = 60;
    std::mt19937 random(kSeed);
    RecordProperty("seed", std::to_string(kSeed));
    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
    struct Ended { // the store is ended again however the test leaves
        ~Ended() { nnotes::TermProcess(); }
    } ended;
    // The documents by form and last name, a deleted one, and the view's own note.
    std::map<std::string, int> contact;
    std::vector<int> keywords;
    {
        std::ostringstream dump;
        ASSERT_EQ(nsfadmin::Dump("contacts.nsf", "", dump), "");
        std::istringstream lines(dump.str());
        for (std::string line; std::getline(lines, line);) {
            const int id = std::stoi(line.substr(line.find(':') + 1));
            if (line.find(R"("Form":"Keyword")") != std::string::npos) keywords.push_back(id);
            for (const char* name : {"Lee", "Marsh", "Noor"})
                if (line.find(std::string(R"("LastName":")") + name + "\"") != std::string::npos)
                    contact[name] = id;
        }
    }
    ASSERT_EQ(contact.size(), 3u);
    ASSERT_GE(keywords.size(), 4u);
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("contacts.nsf", &db), nnotes::NOERROR);
    const int deleted = keywords[3];
    ASSERT_EQ(nnotes::DeleteNote(db, static_cast<nnotes::NOTEID>(deleted), 0), nnotes::NOERROR);
    nnotes::NOTEID view = 0;
    ASSERT_EQ(nnotes::FindDesignNote(db, "All", nnotes::NOTE_CLASS_VIEW, &view), nnotes::NOERROR);
    ASSERT_EQ(nnotes::CloseDatabase(db), nnotes::NOERROR);
    // Noor's history holds a number; the deleted document, the view and an id no note has take no line.
    const std::vector<int> good = {contact["Lee"], contact["Marsh"], keywords[0], keywords[1], keywords[2]};
    const std::set<int> bad = {contact["Noor"], deleted, static_cast<int>(view), 999999};
    const std::vector<std::string> own = {"Form", "FirstName", "LastName", "Region", "Age", "Name"};
    std::map<int, std::map<std::string, std::string>> before;
    for (const int id : good)
        before[id] = StoredValues("contacts.nsf", id, own);
    before[contact["Noor"]] = StoredValues("contacts.nsf", contact["Noor"], own);
    before[contact["Noor"]]["MergeHistory"] =
        StoredValues("contacts.nsf", contact["Noor"], {"MergeHistory"})["MergeHistory"];

    // Each caller aims at a random overlapping subset of the good notes and at some bad ones.
    std::vector<std::unique_ptr<Caller>> callers;
    for (int c = 0; c < kCallers; ++c) {
        std::string ids;
        for (const int id : good)
            if (std::uniform_int_distribution<int>(0, 3)(random) != 0) ids += std::to_string(id) + ",";
        ids += std::to_string(good[static_cast<size_t>(c)]);
        for (const int id : bad)
            if (std::uniform_int_distribution<int>(0, 1)(random) != 0) ids += "," + std::to_string(id);
        callers.push_back(Start({"open", "ds", "Everyone", "scatter", "MergeHistory", "c" + std::to_string(c),
                                 std::to_string(random()), std::to_string(kCalls), ids}));
    }
    int reports[2];
    ASSERT_EQ(pipe2(reports, O_CLOEXEC), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const unsigned seed = static_cast<unsigned>(random());
        const pid_t pid = fork();
        if (pid == 0) _exit(ChangeOtherItems(w, seed, kSaves, good, reports[1]));
        ASSERT_GT(pid, 0);
        writers.push_back(pid);
    }
    close(reports[1]);

    // The last caller is killed after a seeded number of finished calls and a seeded spin.
    const int killAfter = std::uniform_int_distribution<int>(1, kCalls - 5)(random);
    std::vector<std::vector<std::string>> answers(kCallers);
    Caller& victim = *callers.back();
    for (int line = 0; line < 2 + killAfter; ++line) {
        std::string got = victim.ReadLine();
        ASSERT_FALSE(got.empty());
        answers.back().push_back(got);
    }
    for (volatile unsigned spin = std::uniform_int_distribution<unsigned>(0, 2000000)(random); spin > 0;)
        spin = spin - 1;
    victim.Kill();
    for (const std::string& line : victim.Answers())
        answers.back().push_back(line);
    for (int c = 0; c + 1 < kCallers; ++c) {
        Caller& caller = *callers[static_cast<size_t>(c)];
        answers[static_cast<size_t>(c)] = caller.Answers();
        EXPECT_EQ(caller.Wait(), 0) << "caller " << c;
        EXPECT_EQ(caller.Errors(), "") << "caller " << c;
    }
    std::map<std::pair<int, int>, int> lastSave; // (note, writer) -> the writer's last save there
    {
        std::string text;
        char buf[4096];
        for (ssize_t n; (n = read(reports[0], buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<size_t>(n));
        close(reports[0]);
        std::istringstream lines(text);
        for (int writer = 0, id = 0, n = 0; lines >> writer >> id >> n;)
            lastSave[{id, writer}] = n; // each writer's saves are numbered upwards
    }
    for (size_t w = 0; w < writers.size(); ++w) {
        int status = 0;
        ASSERT_EQ(waitpid(writers[w], &status, 0), writers[w]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << w << ": " << status;
    }

    // Which lines each caller finished ("did ID LINE"), and the one the killed caller was in the middle of.
    std::map<std::string, int> finished; // line -> the note it was aimed at
    std::set<std::string> unfinished;
    for (int c = 0; c < kCallers; ++c) {
        const auto& lines = answers[static_cast<size_t>(c)];
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "ok");
        EXPECT_EQ(lines[1], "ok");
        int done = 0;
        for (size_t i = 2; i < lines.size(); ++i) {
            std::istringstream in(lines[i]);
            std::string did, line;
            int id = 0;
            if (!(in >> did >> id >> line) || did != "did") {
                EXPECT_EQ(lines[i], "ok") << "caller " << c;
                continue;
            }
            finished[line] = id;
            ++done;
        }
        if (c + 1 < kCallers) {
            EXPECT_EQ(done, kCalls) << "caller " << c;
        } else {
            unfinished.insert("c" + std::to_string(c) + "-" + std::to_string(done + 1));
        }
    }
    EXPECT_GT(finished.size(), static_cast<size_t>(2 * kCalls));

    // Every stored line, by note: each finished line once in the note it was aimed at; none of a bad note.
    std::map<std::string, int> stored;
    for (const int id : good) {
        const auto lines = StoredLines("contacts.nsf", id, "MergeHistory");
        if (!lines) continue;
        std::map<std::string, int> order; // each caller's lines keep the order it wrote them in
        for (const std::string& line : *lines) {
            if (line == "Spring letter") continue;
            ++stored[line];
            const auto it = finished.find(line);
            if (it != finished.end()) {
                EXPECT_EQ(it->second, id) << line << " went into the wrong note";
            } else {
                EXPECT_EQ(unfinished.count(line), 1u) << line << " was never written back";
            }
            const std::string caller = line.substr(0, line.find('-'));
            const int n = std::stoi(line.substr(line.find('-') + 1));
            EXPECT_GT(n, order[caller]) << line << " out of order in note " << id;
            order[caller] = n;
        }
    }
    for (const auto& [line, id] : finished) {
        if (bad.count(id) != 0) {
            EXPECT_EQ(stored.count(line), 0u) << line << " aimed at note " << id;
        } else {
            EXPECT_EQ(stored[line], 1) << line << " in note " << id;
        }
    }
    for (const std::string& line : unfinished)
        EXPECT_LE(stored[line], 1) << line;
    for (const int id : bad) {
        if (id == contact["Noor"]) continue;
        EXPECT_EQ(StoredLines("contacts.nsf", id, "MergeHistory"), std::nullopt) << id;
    }
    EXPECT_EQ(StoredValues("contacts.nsf", deleted, own), (std::map<std::string, std::string>{}));

    // The other writers' last saves and the documents' own items.
    for (const int id : good) {
        EXPECT_EQ(StoredValues("contacts.nsf", id, own), before[id]) << id;
        for (int w = 0; w < kWriters; ++w) {
            const auto lines = StoredLines("contacts.nsf", id, ("W" + std::to_string(w)).c_str());
            const auto last = lastSave.find({id, w});
            if (last == lastSave.end()) {
                EXPECT_EQ(lines, std::nullopt) << id;
            } else {
                EXPECT_EQ(lines, (std::vector<std::string>{"w" + std::to_string(w) + "-" +
                                                           std::to_string(last->second)}))
                    << id;
            }
        }
    }
    auto noor = StoredValues("contacts.nsf", contact["Noor"], own);
    noor["MergeHistory"] = StoredValues("contacts.nsf", contact["Noor"], {"MergeHistory"})["MergeHistory"];
    EXPECT_EQ(noor, before[contact["Noor"]]);

    // The database opens and reads whole, and the data source walks its three rows.
    std::ostringstream dump;
    EXPECT_EQ(nsfadmin::Dump("contacts.nsf", "", dump), "");
    auto walker = Start({"open", "ds", "Everyone", "history", "Check", "x", "0"});
    EXPECT_EQ(walker->Answers(), (std::vector<std::string>{"ok", "ok", "ok"}));
    EXPECT_EQ(walker->Wait(), 0);
}

} // namespace
} // namespace qvltest
