// The library's profile file and log under hostile content and hostile use: profiles as damaged disks and
// other programs leave them, logs of any size and content, a log that is a pipe, and several programs
// starting at once.
#include "libfixture.h"
#include "library_caller.h"

#include <random>
#include <sys/stat.h>
#include <sys/wait.h>

namespace qvltest {
namespace {

namespace fs = std::filesystem;

using HostileStartTest = LibraryTest;

// Each start either opens qvlds.nsf on the server its profile names or shows why it could not, and the log
// gets the server that was asked for, byte for byte.
TEST_F(HostileStartTest, ProfilesOfHostileContentStartOrSayWhyAndLogTheServerAskedFor) {
    Build(DataSourceDatabase(kServer, DataSource("One", "a.nsf", "v")));
    std::mt19937 random(3101);
    std::string binary(4000, '\0');
    for (auto& c : binary)
        c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
    const std::string longName(200, 'S');
    const struct {
        std::string profile;
        int opened;
        std::string logged;
    } cases[] = {
        {"[General]\nServer=Alpha/Acme\n", 1, "Alpha/Acme"},
        {"[general]\r\n  SERVER =  Alpha/Acme  \r\n", 1, "Alpha/Acme"},
        {"[General]\nServer=Alpha/Acme" + std::string(1, '\0') + "/Elsewhere\n", 1, "Alpha/Acme"},
        {binary + "\n[General]\nServer=Alpha/Acme\n" + binary, 1, "Alpha/Acme"},
        {std::string(1 << 20, ';') + "\n[General]\nServer=Alpha/Acme\n", 1, "Alpha/Acme"},
        {"[General]\nServer=" + longName + "\n", 0, longName},
        // Longer than a server's name may be: refused before anything is logged.
        {"[General]\nServer=" + std::string(20000, 'S') + "\n", 0, ""},
        {"[General]\nServer=" + std::string(70000, 'S') + "\n", 0, ""},
        {"[General]\nServer=\x01\xff\xfe/\x80\xc3\n", 0, "\x01\xff\xfe/\x80\xc3"},
        // No server named: qvlds.nsf is looked for locally, where there is none.
        {"[General]\nServer\n", 0, ""},
        {"Server=Alpha/Acme\n[General]\n", 0, ""},
        {"[General\nServer=Alpha/Acme\n", 0, ""},
        {"", 0, ""},
    };
    int step = 0;
    for (const auto& c : cases) {
        const std::string where = "profile " + std::to_string(++step);
        WriteProfile(c.profile);
        fs::remove(area_.Root() + "/qvllog.txt");
        const size_t boxes = boxes_.Boxes().size();
        EXPECT_EQ(LibOpen(), c.opened) << where;
        const std::string logged = ReadFile("qvllog.txt");
        EXPECT_TRUE(logged == c.logged)
            << where << ": " << logged.size() << " bytes logged, not " << c.logged.size();
        if (c.opened) {
            EXPECT_EQ(DSGetCount(), 1) << where;
            EXPECT_EQ(boxes_.Boxes().size(), boxes) << where;
        } else {
            EXPECT_EQ(DSGetCount(), 0) << where;
            ASSERT_EQ(boxes_.Boxes().size(), boxes + 1) << where;
            EXPECT_FALSE(boxes_.Boxes().back().text.empty()) << where;
            EXPECT_EQ(LastErrorText(), boxes_.Boxes().back().text) << where;
            EXPECT_FALSE(Session.IsInitialized()) << where;
        }
        LibClose();
    }
}

// The log is appended to whatever it holds: what was there stays byte for byte, through a link as well.
TEST_F(HostileStartTest, ALogOfAnySizeOrContentIsAppendedToAndKept) {
    Build(DataSourceDatabase(kServer, DataSource("One", "a.nsf", "v")));
    UseServer(kServer);
    std::mt19937 random(3102);
    std::string damaged(3 << 20, '\0');
    for (auto& c : damaged)
        c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
    for (const std::string& before : {damaged, std::string("no line end"), std::string(5, '\0')}) {
        std::ofstream(area_.Root() + "/qvllog.txt", std::ios::binary) << before;
        ASSERT_EQ(LibOpen(), 1) << LastErrorText();
        LibClose();
        EXPECT_TRUE(ReadFile("qvllog.txt") == before + kServer) << before.size() << " bytes before";
    }
    fs::remove(area_.Root() + "/qvllog.txt");
    fs::create_directory(area_.Root() + "/logs");
    std::ofstream(area_.Root() + "/logs/real.txt") << "kept";
    fs::create_symlink("logs/real.txt", area_.Root() + "/qvllog.txt");
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    EXPECT_EQ(ReadFile("logs/real.txt"), "keptAlpha/Acme");
    EXPECT_TRUE(fs::is_symlink(area_.Root() + "/qvllog.txt"));
}

// The real library in programs of their own, each with its own profile beside a link to the library, all
// in one current folder and so with one log.
class StartingProgramsTest : public ::testing::Test {
protected:
    StartingProgramsTest() : previousFolder_(fs::current_path()) {
        area_.AddServer("Alpha/Acme");
        fs::current_path(area_.Root());
        library_ = area_.Root() + "/qvllib.so";
        fs::copy_file(os::DirectoryOf(os::ModulePath(nullptr)) + "/qvllib.so", library_);
    }
    ~StartingProgramsTest() override { fs::current_path(previousFolder_); }

    // A program whose library finds a profile naming server.
    std::unique_ptr<Caller> Start(const std::string& server, const std::vector<std::string>& commands) {
        const std::string folder = area_.Root() + "/program" + std::to_string(++programs_);
        fs::create_directory(folder);
        fs::create_symlink(library_, folder + "/qvllib.so");
        std::ofstream(folder + "/qvllib.ini", std::ios::binary) << "[General]\nServer=" << server << "\n";
        return std::make_unique<Caller>(folder + "/qvllib.so", commands, folder + "/errors.txt");
    }

    std::string Log() const {
        std::ifstream in(area_.Root() + "/qvllog.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    testsupport::TestArea area_;
    std::string library_;
    int programs_ = 0;
    fs::path previousFolder_;
};

// A pipe in the log's place that nobody reads from would hold an open for appending for ever.
TEST_F(StartingProgramsTest, AStartIsNotHeldUpByALogThatIsAPipeNobodyReads) {
    ASSERT_EQ(area_.Build(DataSourceDatabase("Alpha/Acme", DataSource("One", "a.nsf", "v"))), "");
    ASSERT_EQ(mkfifo((area_.Root() + "/qvllog.txt").c_str(), 0600), 0);
    auto program = Start("Alpha/Acme", {"open", "close"});
    EXPECT_EQ(program->Answers(), (std::vector<std::string>{"ok", "ok"}));
    const int status = program->Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// Programs starting at once, each again and again, with names as long as a server's may be: every name is
// in the log whole, none runs into another's bytes, none is lost.
TEST_F(StartingProgramsTest, ProgramsStartingAtOnceLogEveryNameWhole) {
    constexpr int kPrograms = 5, kStarts = 6;
    constexpr size_t kLength = 200;
    std::vector<std::unique_ptr<Caller>> programs;
    for (int p = 0; p < kPrograms; ++p)
        programs.push_back(Start(std::string(kLength, static_cast<char>('A' + p)),
                                 std::vector<std::string>(kStarts, "open")));
    for (auto& program : programs) {
        EXPECT_EQ(program->Answers(), std::vector<std::string>(kStarts, "failed"));
        const int status = program->Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    const std::string log = Log();
    ASSERT_EQ(log.size(), kPrograms * kStarts * kLength);
    for (size_t at = 0; at < log.size(); at += kLength)
        ASSERT_EQ(log.substr(at, kLength), std::string(kLength, log[at])) << "the name logged at byte " << at;
    for (int p = 0; p < kPrograms; ++p)
        EXPECT_EQ(static_cast<size_t>(std::count(log.begin(), log.end(), static_cast<char>('A' + p))),
                  kStarts * kLength);
}

} // namespace
} // namespace qvltest
