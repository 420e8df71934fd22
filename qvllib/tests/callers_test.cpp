// The real qvllib.so in programs of their own (tests/caller/library_caller.cpp): callers that end without
// LibClose whatever they left open, and several callers writing back into the same documents at once.
#include "libfixture.h"
#include "nsfadmin/nsfadmin.h"

#include <csignal>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qvltest {
namespace {

// One library_caller process. Its answers are read with a bound on every wait, so a stuck caller fails the
// test instead of hanging it; what it writes to stderr goes to a file.
class Caller {
public:
    Caller(const std::string& library, const std::vector<std::string>& commands, const std::string& errors)
        : errors_(errors) {
        const std::string program = std::string(std::getenv("QVL_OUTPUT_DIR")) + "/qvllib_library_caller";
        std::vector<std::string> arguments{program, library};
        arguments.insert(arguments.end(), commands.begin(), commands.end());
        std::vector<char*> argv;
        for (auto& a : arguments)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out[1], 1);
            if (err >= 0) dup2(err, 2);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        fromChild_ = out[0];
    }
    ~Caller() {
        if (fromChild_ >= 0) close(fromChild_);
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;

    // Every answer until the caller's end.
    std::vector<std::string> Answers() {
        std::string text;
        for (;;) {
            pollfd p{fromChild_, POLLIN, 0};
            const int ready = poll(&p, 1, kTimeoutMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) {
                ADD_FAILURE() << "the caller gave no answer in time";
                break;
            }
            char buf[4096];
            const ssize_t n = read(fromChild_, buf, sizeof buf);
            if (n <= 0) break;
            text.append(buf, static_cast<size_t>(n));
        }
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // The wait status, once its output has ended.
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return status;
    }

    std::string Errors() const {
        std::ifstream in(errors_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static constexpr int kTimeoutMs = 120000;

    std::string errors_;
    pid_t pid_ = -1;
    int fromChild_ = -1;
    bool reaped_ = false;
};

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

} // namespace
} // namespace qvltest
