// The services in programs of their own: the path of a program started under another name, and boxes shown
// while a program ends.
#include "child_run.h"
#include "profile_files.h"

#include <climits>
#include <filesystem>

namespace ostest {
namespace {

namespace fs = std::filesystem;

using Programs = ProfileFiles;

// The name a program is started under is its starter's choice: a link's name, a relative name that means
// nothing in the current folder, or another program's path. The program's path is its file's whatever it is.
TEST_F(Programs, AProgramsPathIsItsFileWhateverNameItWasStartedUnder) {
    const std::string helper = fs::canonical(HelperProgram()).string();
    const std::string library =
        fs::canonical(fs::path(os::ModulePath(reinterpret_cast<const void*>(&os::MessageBox)))).string();
    fs::create_symlink(helper, dir_ / "linked helper");
    const std::string expected = helper + "\n" + library + "\n";
    const struct {
        std::string program, argv0;
    } starts[] = {{helper, helper},
                  {helper, "/bin/sh"},
                  {helper, "/no/such/program"},
                  {helper, "../../elsewhere/os_test_helper"},
                  {helper, "-os_test_helper"},
                  {Path("linked helper"), Path("linked helper")}};
    for (const auto& start : starts) {
        const ChildEnd end = RunChild(start.program, {start.argv0, "module-path"});
        EXPECT_TRUE(end.ExitedWith(0)) << start.argv0 << ": status " << end.status;
        EXPECT_EQ(end.output, expected) << "started as " << start.argv0;
    }
}

// A program as deep in folders as a program may be started from knows its whole path.
TEST_F(Programs, AProgramDeepInFoldersKnowsItsWholePath) {
    std::string deep = dir_.string();
    while (deep.size() + 250 + 20 < PATH_MAX)
        deep += "/" + std::string(240, 'd');
    fs::create_directories(deep);
    const std::string program = deep + "/" + std::string(PATH_MAX - 1 - deep.size() - 1, 'p');
    ASSERT_EQ(program.size(), static_cast<size_t>(PATH_MAX - 1));
    fs::copy_file(HelperProgram(), program);
    const ChildEnd end = RunChild(program, {"os_test_helper", "module-path"});
    EXPECT_TRUE(end.ExitedWith(0)) << "status " << end.status;
    EXPECT_EQ(end.output.substr(0, end.output.find('\n')), program);
}

// A program's handler is still there for the boxes that static destructors show at its end.
TEST_F(Programs, ABoxShownFromAStaticDestructorReachesTheProgramsHandler) {
    const ChildEnd end = RunChild(HelperProgram(), {"os_test_helper", "box-at-exit"});
    EXPECT_TRUE(end.ExitedWith(0)) << "status " << end.status;
    EXPECT_EQ(end.output, "box: shown at exit\n");
}

} // namespace
} // namespace ostest
