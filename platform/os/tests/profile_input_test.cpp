// Profile files against hostile names and values, and against files that other programs wrote.
#include "profile_files.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace ostest {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

std::string Nul(const char* before, const char* after) {
    return std::string(before) + '\0' + after;
}

using HostileText = ProfileFiles;

TEST_F(HostileText, WhatALineCannotHoldIsRefusedAndTheFileIsLeftAlone) {
    const std::string original = "[Notes]\nDirectory=data\n";
    const std::string ini = Write("notes.ini", original);
    struct Case {
        std::string section, key;
        std::optional<std::string> value;
    };
    const std::vector<Case> refused = {
        {"Notes", "Name", "x\nDirectory=/etc"}, // would set another value
        {"Notes", "Name", "x\r"},
        {"Notes", "Name", "one\r\n[Servers]\r\nEvil=/"},
        {"Notes", "Name", Nul("before", "after")},
        {"Notes", "a=b", "x"},        // the key would end at the '='
        {"Notes", "[Servers]", "x"},  // read as a section
        {"Notes", "[half", "x"},      // read as neither
        {"Notes", ";comment", "x"},   // read as a comment
        {"Notes", " #comment", "x"},  // read as a comment once trimmed
        {"Notes", "two\nlines", "x"}, // a line of its own
        {"Notes", Nul("Na", "me"), "x"},
        {"Notes", "", "x"},
        {"Notes", " \t", "x"},
        {"No]tes", "Name", "x"}, // the section's name would end at the ']'
        {"Notes]\n[Servers", "Name", "x"},
        {"No\ntes", "Name", "x"},
        {Nul("No", "tes"), "Name", "x"},
        {"", "Name", "x"},
        {"Notes", "a=b", std::nullopt}, // removing such a key is refused alike
        {"No]tes", "Name", std::nullopt},
    };
    for (const auto& c : refused) {
        errno = 0;
        EXPECT_FALSE(os::WriteProfileString(ini, c.section, c.key, c.value))
            << "[" << c.section << "] " << c.key << "=" << c.value.value_or("<removed>");
        EXPECT_EQ(errno, EINVAL) << c.section << " " << c.key;
    }
    EXPECT_EQ(Read(ini), original);
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "Directory", ""), "data");
    // A refused write does not make a missing file either.
    EXPECT_FALSE(os::WriteProfileString(Path("new.ini"), "A", "B", std::string("1\n2")));
    EXPECT_EQ(Names(), std::vector<std::string>{"notes.ini"});
}

TEST_F(HostileText, EveryValueAndNameALineCanHoldReadsBackAsWritten) {
    const std::string ini = Write("notes.ini", "[Notes]\nDirectory=data\n");
    const std::string big(1 << 20, 'v');
    const Entries values = {
        {"Equals", "=a=b="},
        {"Semicolon", ";not a comment"},
        {"Bracket", "[Servers]"},
        {"Hash", "#x"},
        {"Empty", ""},
        {"Utf8", "d\xC3\xA9j\xC3\xA0 vu"},
        {"Binary", "\x01\x7F\xFF"},
        {"Inner", "a \t b"},
        {"Big", big},
        {"Mark", "\xEF\xBB\xBFx"},
    };
    for (const auto& [key, value] : values)
        ASSERT_TRUE(os::WriteProfileString(ini, "Notes", key, value)) << key;
    for (const auto& [key, value] : values)
        EXPECT_EQ(os::ReadProfileString(ini, "Notes", key), value) << key;
    EXPECT_EQ(os::ReadProfileSection(ini, "Notes").size(), values.size() + 1);
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "Directory", ""), "data");

    // Names that hold characters a line gives meaning to only elsewhere.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"[x", "a]b"},
        {";sec", "k;"},
        {"a=b", "k#"},
        {"#s", "with blank"},
        {"d\xC3\xA9j\xC3\xA0", "\xC3\xA9"},
    };
    for (const auto& [section, key] : names) {
        ASSERT_TRUE(os::WriteProfileString(ini, section, key, section + key)) << section;
        EXPECT_EQ(os::ReadProfileSection(ini, section), (Entries{{key, section + key}})) << section;
    }
}

TEST_F(HostileText, BlanksAroundNamesAreNotPartOfThem) {
    const std::string ini = Write("notes.ini", "[Notes]\nA=1\n");
    ASSERT_TRUE(os::WriteProfileString(ini, " Notes\t", "\tB ", std::string("2")));
    EXPECT_EQ(Read(ini), "[Notes]\nA=1\nB=2\n");
    EXPECT_EQ(os::ReadProfileString(ini, "  notes ", " b"), "2");
    EXPECT_EQ(os::ReadProfileSection(ini, " NOTES "), (Entries{{"A", "1"}, {"B", "2"}}));
    ASSERT_TRUE(os::WriteProfileString(ini, "\tFresh ", " K ", std::string("v")));
    EXPECT_EQ(Read(ini), "[Notes]\nA=1\nB=2\n\n[Fresh]\nK=v\n");
    ASSERT_TRUE(os::WriteProfileString(ini, "notes", " a ", std::nullopt));
    EXPECT_EQ(Read(ini), "[Notes]\nB=2\n\n[Fresh]\nK=v\n");
}

using ForeignFiles = ProfileFiles;

TEST_F(ForeignFiles, AByteOrderMarkAndWindowsLineEndsAreReadAndKept) {
    const std::string ini = Write("qvllib.ini", "\xEF\xBB\xBF[General]\r\nServer=Alpha/Acme\r\n; note\r\n");
    EXPECT_EQ(os::GetProfileString(ini, "General", "Server", ""), "Alpha/Acme");
    EXPECT_EQ(os::ReadProfileSection(ini, "general"), (Entries{{"Server", "Alpha/Acme"}}));
    ASSERT_TRUE(os::WriteProfileString(ini, "General", "Server", std::string("Beta/Acme")));
    ASSERT_TRUE(os::WriteProfileString(ini, "General", "Port", std::string("TCPIP")));
    ASSERT_TRUE(os::WriteProfileString(ini, "Other", "K", std::string("v")));
    EXPECT_EQ(Read(ini), "\xEF\xBB\xBF[General]\r\nServer=Beta/Acme\r\nPort=TCPIP\r\n; note\r\n"
                         "\r\n[Other]\r\nK=v\r\n");
    // A mark alone, or before a file's only line.
    EXPECT_FALSE(os::ReadProfileString(Write("mark.ini", "\xEF\xBB\xBF"), "A", "K").has_value());
    EXPECT_EQ(os::GetProfileString(Write("one.ini", "\xEF\xBB\xBF[A]"), "A", "K", "none"), "none");
    ASSERT_TRUE(os::WriteProfileString(Path("one.ini"), "A", "K", std::string("1")));
    EXPECT_EQ(Read(Path("one.ini")), "\xEF\xBB\xBF[A]\nK=1\n");
}

TEST_F(ForeignFiles, ALastLineWithoutALineEndIsReadAndKept) {
    const std::string ini = Write("a.ini", "[A]\r\nK=1");
    EXPECT_EQ(os::GetProfileString(ini, "A", "K", ""), "1");
    ASSERT_TRUE(os::WriteProfileString(ini, "A", "K", std::string("2")));
    EXPECT_EQ(Read(ini), "[A]\r\nK=2"); // changed in place: still without one
    ASSERT_TRUE(os::WriteProfileString(ini, "A", "L", std::string("3")));
    EXPECT_EQ(Read(ini), "[A]\r\nK=2\r\nL=3\r\n");
    const std::string comment = Write("c.ini", "# only a comment");
    ASSERT_TRUE(os::WriteProfileString(comment, "S", "K", std::string("v")));
    EXPECT_EQ(Read(comment), "# only a comment\n\n[S]\nK=v\n");
    ASSERT_TRUE(os::WriteProfileString(Write("r.ini", "[S]\nK=v\nGone=x"), "S", "Gone", std::nullopt));
    EXPECT_EQ(Read(Path("r.ini")), "[S]\nK=v\n");
    // A key added to a section above the last line leaves that line as it was.
    ASSERT_TRUE(os::WriteProfileString(Write("m.ini", "[S]\nK=v\n[T]\nL=w"), "S", "New", std::string("n")));
    EXPECT_EQ(Read(Path("m.ini")), "[S]\nK=v\nNew=n\n[T]\nL=w");
}

TEST_F(ForeignFiles, TabsAroundTheEqualsSignAndTheKeysOwnSpellingAreKept) {
    const std::string ini = Write("t.ini", "[A]\n\tServer Name\t=\told value\t\n  Other = 1\n");
    EXPECT_EQ(os::GetProfileString(ini, "A", "server name", ""), "old value");
    EXPECT_EQ(os::ReadProfileSection(ini, "A"), (Entries{{"Server Name", "old value"}, {"Other", "1"}}));
    ASSERT_TRUE(os::WriteProfileString(ini, "a", "SERVER NAME", std::string("new")));
    EXPECT_EQ(Read(ini), "[A]\n\tServer Name\t=\tnew\n  Other = 1\n");
    ASSERT_TRUE(os::WriteProfileString(ini, "a", "other", std::string("")));
    EXPECT_EQ(Read(ini), "[A]\n\tServer Name\t=\tnew\n  Other = \n");
    EXPECT_EQ(os::ReadProfileString(ini, "A", "Other"), "");
}

TEST_F(ForeignFiles, LongLinesAndBinaryJunkSurviveARewriteByteForByte) {
    const std::string longJunk(1 << 20, 'x');
    const std::string binary = Nul("\xFF\xFE\x01 junk \r in the middle", "\x80=");
    const std::string before = "[A]\n" + longJunk + "\n" + binary + "\nK=1\n[B]\nLong=" + longJunk + "\n";
    const std::string ini = Write("j.ini", before);
    EXPECT_EQ(os::GetProfileString(ini, "B", "Long", ""), longJunk);
    EXPECT_EQ(os::GetProfileString(ini, "A", "K", ""), "1");
    ASSERT_TRUE(os::WriteProfileString(ini, "A", "K", std::string("2")));
    std::string after = before;
    after.replace(after.find("K=1"), 3, "K=2");
    EXPECT_EQ(Read(ini), after);
}

TEST_F(ForeignFiles, AnEmptyFileStartsTheFirstSectionAndARemovalMakesNoFile) {
    const std::string ini = Write("e.ini", "");
    EXPECT_TRUE(os::ReadProfileSection(ini, "S").empty());
    ASSERT_TRUE(os::WriteProfileString(ini, "S", "K", std::nullopt));
    EXPECT_EQ(Read(ini), "");
    ASSERT_TRUE(os::WriteProfileString(ini, "S", "K", std::string("v")));
    EXPECT_EQ(Read(ini), "[S]\nK=v\n");
    ASSERT_TRUE(os::WriteProfileString(Path("missing.ini"), "S", "K", std::nullopt));
    EXPECT_EQ(Names(), std::vector<std::string>{"e.ini"});
}

TEST_F(ForeignFiles, AFolderOrAPipeInThePlaceOfTheFileIsNoProfileAndNeverWaitedOn) {
    const std::string folder = Path("folder.ini");
    fs::create_directories(folder);
    EXPECT_FALSE(os::ReadProfileString(folder, "A", "K").has_value());
    EXPECT_TRUE(os::ReadProfileSection(folder, "A").empty());
    errno = 0;
    EXPECT_FALSE(os::WriteProfileString(folder, "A", "K", std::string("v")));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_TRUE(fs::is_directory(folder));

    // Nothing writes to the pipe: a reader that opened it as a file would wait for ever.
    const std::string pipe = Path("pipe.ini");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(os::ReadProfileString(pipe, "A", "K").has_value());
    EXPECT_EQ(os::GetProfileString(pipe, "A", "K", "d"), "d");
    EXPECT_TRUE(os::ReadProfileSection(pipe, "A").empty());
    EXPECT_FALSE(os::WriteProfileString(pipe, "A", "K", std::string("v")));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder.ini", "pipe.ini"}));
}

// Runs step in a child that is no longer root (root reads and writes every file) and gives its exit code, or
// -1 when there is no unprivileged user to become.
int AsUnprivilegedChild(const std::function<int()>& step) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && nobody == nullptr) return -1;
    const pid_t child = fork();
    if (child < 0) return -2;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(100);
        _exit(step());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -3;
    return WEXITSTATUS(status);
}

// A user who may not read the profile cannot have it replaced by one that holds only the new value.
TEST_F(ForeignFiles, AFileThatCannotBeReadIsNeverReplaced) {
    const std::string original = "[Notes]\nDirectory=data\nUserName=Ann\n";
    const std::string ini = Write("locked.ini", original);
    ASSERT_EQ(chmod(ini.c_str(), 0), 0);
    ASSERT_EQ(chmod(dir_.c_str(), 0777),
              0); // the folder itself may be written, the file could be renamed over
    const int result = AsUnprivilegedChild([&] {
        errno = 0;
        const bool written = os::WriteProfileString(ini, "Notes", "UserName", std::string("Bob"));
        return written ? 1 : errno == EACCES ? 0 : 2;
    });
    if (result == -1) GTEST_SKIP() << "no unprivileged user to write as";
    EXPECT_EQ(result, 0) << "1: written over, 2: another error";
    EXPECT_EQ(Read(ini), original);
    EXPECT_EQ(Names(), std::vector<std::string>{"locked.ini"});
}

// A file its owner made read-only, in a folder the owner may write: it was replaced before writers took
// turns, and still is.
TEST_F(ForeignFiles, AReadOnlyFileInAFolderThatMayBeWrittenIsStillRewritten) {
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    const std::string ini = Path("read-only.ini");
    const int result = AsUnprivilegedChild([&] {
        if (!os::WriteProfileString(ini, "A", "K", std::string("1")) || chmod(ini.c_str(), 0444) != 0)
            return 1;
        if (!os::WriteProfileString(ini, "A", "K", std::string("2"))) return 2;
        struct stat st {};
        return stat(ini.c_str(), &st) == 0 && (st.st_mode & 07777) == 0444 ? 0 : 3;
    });
    if (result == -1) GTEST_SKIP() << "no unprivileged user to write as";
    EXPECT_EQ(result, 0) << "1: could not make it, 2: could not rewrite it, 3: its mode changed";
    EXPECT_EQ(os::GetProfileString(ini, "A", "K", ""), "2");
}

TEST_F(ForeignFiles, AUsersFileRewrittenByRootStaysTheUsers) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "only root gives a file to another user";
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    const std::string ini = Write("theirs.ini", "[Notes]\nUserName=Ann\n");
    ASSERT_EQ(chown(ini.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(chmod(ini.c_str(), 0600), 0);
    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "Timeout", std::string("5")));
    struct stat st {};
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, nobody->pw_uid);
    EXPECT_EQ(st.st_gid, nobody->pw_gid);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Its user still reads it, and writes it.
    EXPECT_EQ(AsUnprivilegedChild([&] {
                  return os::GetProfileString(ini, "Notes", "Timeout", "") == "5" &&
                                 os::WriteProfileString(ini, "Notes", "UserName", std::string("Bob"))
                             ? 0
                             : 1;
              }),
              0);
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "UserName", ""), "Bob");
}

TEST_F(ForeignFiles, ALinkedProfileStaysALinkAndTheFileItLeadsToIsWritten) {
    fs::create_directories(dir_ / "real");
    const std::string real = Write("real/notes.ini", "[Notes]\nA=1\n");
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    fs::create_symlink("real/notes.ini", dir_ / "middle.ini"); // relative to the link's own folder
    fs::create_symlink(dir_ / "middle.ini", dir_ / "notes.ini");
    const std::string ini = Path("notes.ini");
    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "B", std::string("2")));
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_TRUE(fs::is_symlink(Path("middle.ini")));
    EXPECT_EQ(Read(real), "[Notes]\nA=1\nB=2\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "B", ""), "2");
    EXPECT_EQ(Names(), (std::vector<std::string>{"middle.ini", "notes.ini", "real"}));

    // A link to a file not made yet: the file is made where the link leads.
    fs::create_symlink("real/later.ini", dir_ / "later.ini");
    ASSERT_TRUE(os::WriteProfileString(Path("later.ini"), "S", "K", std::string("v")));
    EXPECT_TRUE(fs::is_symlink(Path("later.ini")));
    EXPECT_EQ(Read(Path("real/later.ini")), "[S]\nK=v\n");

    // Links that lead round in a circle.
    fs::create_symlink("loop-b.ini", dir_ / "loop-a.ini");
    fs::create_symlink("loop-a.ini", dir_ / "loop-b.ini");
    errno = 0;
    EXPECT_FALSE(os::WriteProfileString(Path("loop-a.ini"), "S", "K", std::string("v")));
    EXPECT_EQ(errno, ELOOP);
}

TEST_F(ForeignFiles, ARewriteKeepsTheFilesModeAndANewFileFollowsTheMask) {
    for (const mode_t mode : {0600u, 0640u, 0444u}) {
        const std::string ini = Write("m" + std::to_string(mode) + ".ini", "[A]\nK=1\n");
        ASSERT_EQ(chmod(ini.c_str(), mode), 0);
        ASSERT_TRUE(os::WriteProfileString(ini, "A", "K", std::string("2")));
        struct stat st {};
        ASSERT_EQ(stat(ini.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(os::GetProfileString(ini, "A", "K", ""), "2");
    }
    const mode_t previous = umask(027);
    ASSERT_TRUE(os::WriteProfileString(Path("new.ini"), "A", "K", std::string("1")));
    umask(previous);
    struct stat st {};
    ASSERT_EQ(stat(Path("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(ForeignFiles, ASectionOrKeyWrittenTwiceIsReadFirstAndRemovedWhole) {
    const std::string ini =
        Write("d.ini", "[Notes]\nA=1\n[Other]\nX=1\n[notes]\nB=2\nA=9\n[Single]\nK=1\nk=2\n");
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "A", ""), "1");
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "B", ""), "2");
    EXPECT_EQ(os::ReadProfileSection(ini, "Notes"), (Entries{{"A", "1"}, {"B", "2"}, {"A", "9"}}));

    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "B", std::nullopt)); // in the second block only
    EXPECT_FALSE(os::ReadProfileString(ini, "Notes", "B").has_value());
    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "A", std::string("5")));
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "A", ""), "5");
    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "C", std::string("3"))); // at the end of the first block
    EXPECT_EQ(Read(ini), "[Notes]\nA=5\nC=3\n[Other]\nX=1\n[notes]\nA=9\n[Single]\nK=1\nk=2\n");
    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "A", std::nullopt));
    EXPECT_FALSE(os::ReadProfileString(ini, "Notes", "A").has_value());
    ASSERT_TRUE(os::WriteProfileString(ini, "Single", "K", std::nullopt));
    EXPECT_FALSE(os::ReadProfileString(ini, "Single", "K").has_value());
    EXPECT_EQ(Read(ini), "[Notes]\nC=3\n[Other]\nX=1\n[notes]\n[Single]\n");
}

} // namespace
} // namespace ostest
