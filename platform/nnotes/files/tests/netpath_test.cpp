#include "files/netpath.h"
#include "testing/store_fixture.h"

#include <filesystem>
#include <string>

namespace nnotes::testing {
namespace {

using NetPathTest = StoreTest;

struct Triple {
    const char* port;
    const char* server;
    const char* file;
};

TEST_F(NetPathTest, BuildAndSplitRoundTripExactly) {
    const Triple cases[] = {
        {"", "", "names.nsf"},
        {"", "", ""},
        {"", "CN=Alpha/O=Acme", "mail/jdoe.nsf"},
        {"", "Alpha/Acme", ""},
        {"TCPIP", "CN=Alpha/O=Acme", "dir\\qvlds.nsf"},
        {"TCPIP", "", "local.nsf"},
        {"", "", "/abs/path with blanks/x.nsf"},
        {"", "Alpha", "a!b.nsf"},
    };
    for (const auto& c : cases) {
        char netpath[MAXPATH], port[MAXPORTNAME], server[MAXPATH], file[MAXPATH];
        ASSERT_EQ(BuildNetPath(c.port, c.server, c.file, netpath), NOERROR) << c.server << " " << c.file;
        ASSERT_EQ(SplitNetPath(netpath, port, server, file), NOERROR) << netpath;
        EXPECT_STREQ(port, c.port);
        EXPECT_STREQ(server, c.server);
        EXPECT_STREQ(file, c.file);
    }
}

TEST_F(NetPathTest, EmptyPortCountsAsNone) {
    char a[MAXPATH], b[MAXPATH];
    ASSERT_EQ(BuildNetPath("", "Alpha", "x.nsf", a), NOERROR);
    ASSERT_EQ(BuildNetPath(nullptr, "Alpha", "x.nsf", b), NOERROR);
    EXPECT_STREQ(a, b);
    EXPECT_STREQ(a, "Alpha!!x.nsf");
}

TEST_F(NetPathTest, AmbiguousOrOverlongPartsAreRefused) {
    char out[MAXPATH];
    EXPECT_EQ(BuildNetPath(nullptr, "Al!!pha", "x.nsf", out), ERR_NETPATH_PART);
    EXPECT_EQ(BuildNetPath(nullptr, "Alpha!", "x.nsf", out), ERR_NETPATH_PART);
    EXPECT_EQ(BuildNetPath(nullptr, "Alpha", "!x.nsf", out), ERR_NETPATH_PART);
    EXPECT_EQ(BuildNetPath(std::string(MAXPORTNAME, 'p').c_str(), "Alpha", "x", out), ERR_NETPATH_TOO_LONG);
    EXPECT_EQ(BuildNetPath(nullptr, "Alpha", std::string(MAXPATH - 7, 'f').c_str(), out),
              ERR_NETPATH_TOO_LONG);
    EXPECT_EQ(BuildNetPath(nullptr, "Alpha", std::string(MAXPATH - 8, 'f').c_str(), out), NOERROR);
    EXPECT_EQ(SplitNetPath("a!!b!!c!!d", nullptr, nullptr, out), ERR_NETPATH_PART);
    EXPECT_EQ(SplitNetPath("!!file", nullptr, nullptr, out), ERR_NETPATH_PART);
    EXPECT_EQ(SplitNetPath(std::string(MAXPATH, 'x').c_str(), nullptr, nullptr, out), ERR_NETPATH_TOO_LONG);
    EXPECT_EQ(SplitNetPath(nullptr, nullptr, nullptr, out), ERR_MISSING_ARGUMENT);
}

TEST_F(NetPathTest, RelativePathsLieUnderTheDataDirectoryIgnoringCase) {
    std::filesystem::create_directories(data_ + "/Mail/Archive");
    std::ofstream(data_ + "/Mail/Archive/JDoe.NSF") << "x";
    std::string path;
    ASSERT_EQ(netpath::Resolve("", "mail\\archive\\jdoe.nsf", path), NOERROR);
    EXPECT_EQ(path, data_ + "/Mail/Archive/JDoe.NSF");
    ASSERT_EQ(netpath::Resolve("", "./mail//new.nsf", path), NOERROR); // need not exist
    EXPECT_EQ(path, data_ + "/Mail/new.nsf");
    ASSERT_EQ(netpath::Resolve("", "mail/archive/../archive/jdoe.nsf", path), NOERROR);
    EXPECT_EQ(path, data_ + "/Mail/Archive/JDoe.NSF");
    ASSERT_EQ(netpath::Resolve("", "", path), NOERROR); // the directory itself
    EXPECT_EQ(path, data_);
    ASSERT_EQ(netpath::Resolve("", root_ + "/notes.ini", path), NOERROR); // a full local path
    EXPECT_EQ(path, root_ + "/notes.ini");
}

TEST_F(NetPathTest, DotDotMayNotClimbOutOfTheFolder) {
    std::filesystem::create_directories(root_ + "/alpha");
    WriteSettings("[Servers]\nAlpha/Acme=" + root_ + "/alpha\n");
    std::string path;
    EXPECT_EQ(netpath::Resolve("", "../notes.ini", path), ERR_PATH_ESCAPES);
    EXPECT_EQ(netpath::Resolve("", "mail/../../notes.ini", path), ERR_PATH_ESCAPES);
    EXPECT_EQ(netpath::Resolve("", "..\\notes.ini", path), ERR_PATH_ESCAPES);
    EXPECT_EQ(netpath::Resolve("Alpha/Acme", "../notes.ini", path), ERR_PATH_ESCAPES);
    // On a server a leading "/" still means the server's folder.
    ASSERT_EQ(netpath::Resolve("CN=Alpha/O=Acme", "/x.nsf", path), NOERROR);
    EXPECT_EQ(path, root_ + "/alpha/x.nsf");
    EXPECT_EQ(netpath::Resolve("Alpha/Acme", "/../x.nsf", path), ERR_PATH_ESCAPES);
    DBHANDLE db = 0;
    char netpath[MAXPATH];
    ASSERT_EQ(BuildNetPath(nullptr, "Alpha/Acme", "../data/x.nsf", netpath), NOERROR);
    EXPECT_EQ(OpenDatabase(netpath, &db), ERR_PATH_ESCAPES);
}

// A NUL inside a name would cut it short wherever it becomes a C string again (a file system call, SQLite),
// so that the text before it named another file unseen: every part refuses one, with a status that names
// the part.
TEST_F(NetPathTest, ANulInAnyPartIsRefusedNamingThePart) {
    using namespace std::string_literals;
    std::string out = "unchanged";
    EXPECT_EQ(netpath::Join({"TCP\0IP"s, "Alpha", "x.nsf"}, out), ERR_PORT_NAME_INVALID);
    EXPECT_EQ(netpath::Join({"", "Al\0pha"s, "x.nsf"}, out), ERR_SERVER_NAME_INVALID);
    EXPECT_EQ(netpath::Join({"", "", "a.nsf\0b.nsf"s}, out), ERR_PATH_INVALID);
    EXPECT_EQ(out, "unchanged");
    netpath::Parts parts;
    EXPECT_EQ(netpath::Split("Alpha!!a.nsf\0b.nsf"s, parts), ERR_PATH_INVALID);
    EXPECT_EQ(netpath::Split("Al\0pha!!a.nsf"s, parts), ERR_SERVER_NAME_INVALID);
    EXPECT_EQ(netpath::Split("T\0CP!!Alpha!!a.nsf"s, parts), ERR_PORT_NAME_INVALID);
    EXPECT_EQ(netpath::Resolve("", "a.nsf\0b.nsf"s, out), ERR_PATH_INVALID);
    EXPECT_EQ(netpath::Resolve("Al\0pha"s, "a.nsf", out), ERR_SERVER_NAME_INVALID);
    EXPECT_EQ(netpath::ResolveNetPath("a.nsf\0b.nsf"s, out), ERR_PATH_INVALID);
    EXPECT_EQ(out, "unchanged");
    for (const auto& [status, field] :
         {std::pair{ERR_PORT_NAME_INVALID, "Port name"}, std::pair{ERR_SERVER_NAME_INVALID, "Server name"},
          std::pair{ERR_PATH_INVALID, "File path"}}) {
        char text[256];
        LoadNotesMessage(status, text, sizeof text);
        EXPECT_EQ(std::string(text), std::string(field) + " holds a NUL character");
    }
}

} // namespace
} // namespace nnotes::testing
