// The installed tree: this build installed into a temporary prefix, its pieces, how they find each other
// without a library path, and the demo road walked there by the installed programs and library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

// Runs a program in folder with the environment of this process less the library path, plus extra.
Outcome RunProgram(const std::vector<std::string>& arguments, const std::string& folder,
                   const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::string(*entry).rfind("LD_LIBRARY_PATH=", 0) != 0) environment.emplace_back(*entry);
    environment.insert(environment.end(), extra.begin(), extra.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], 1);
        dup2(pipeEnds[1], 2);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        if (chdir(folder.c_str()) != 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    Outcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        outcome.output.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quorvel-install-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        prefix_ = root_ / "prefix";
        const Outcome install = RunProgram(
            {QVL_CMAKE_COMMAND, "--install", QVL_BUILD_DIR, "--prefix", prefix_.string()}, root_.string());
        ASSERT_EQ(install.exitCode, 0) << install.output;
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Path(const std::string& relative) const { return (prefix_ / relative).string(); }

    fs::path root_, prefix_;
};

TEST_F(Installed, EveryPieceLiesUnderThePrefix) {
    for (const char* file : {"bin/quorvel", "bin/nsfadmin", "bin/quorvel-demo", "lib/qvllib.so",
                             "lib/qvllib.ini", "lib/libnnotes.so", "lib/libqvl_os.so",
                             "include/qvllib/qvllib.h", "share/applications/quorvel.desktop",
                             "share/icons/hicolor/scalable/apps/quorvel.svg", "share/quorvel/demo/qvlds.json",
                             "share/quorvel/demo/contacts.json", "share/quorvel/demo/wordmergetemplate.rtf"})
        EXPECT_TRUE(fs::is_regular_file(prefix_ / file)) << file;
    for (const char* program : {"bin/quorvel", "bin/nsfadmin", "bin/quorvel-demo"})
        EXPECT_NE(fs::status(prefix_ / program).permissions() & fs::perms::owner_exec, fs::perms::none)
            << program;
    EXPECT_FALSE(fs::exists(prefix_ / "bin/qvllib_road")) << "test helpers stay in the build";

    const std::string entry = ReadFile(prefix_ / "share/applications/quorvel.desktop");
    for (const char* line : {"[Desktop Entry]\n", "\nType=Application\n", "\nName=Quorvel\n",
                             "\nExec=quorvel\n", "\nIcon=quorvel\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    EXPECT_NE(ReadFile(prefix_ / "share/icons/hicolor/scalable/apps/quorvel.svg").find("<svg"),
              std::string::npos);

    // The header is C: a C translation unit that includes it from the installed folder compiles.
    const std::string source = (root_ / "uses_header.c").string();
    std::ofstream(source)
        << "#include <qvllib/qvllib.h>\n"
           "int main(void) { char text[8]; LastError(text, (int)sizeof text); return text[0]; }\n";
    const Outcome compiled = RunProgram(
        {QVL_C_COMPILER, "-std=c99", "-fsyntax-only", "-Wall", "-Werror", "-I" + Path("include"), source},
        root_.string());
    EXPECT_EQ(compiled.exitCode, 0) << compiled.output;
}

TEST_F(Installed, ProgramsAndLibrariesFindEachOtherWithoutALibraryPath) {
    for (const char* program : {"bin/quorvel", "bin/nsfadmin"}) {
        // The dynamic loader lists what it would load and where, then stops.
        const Outcome traced = RunProgram({Path(program)}, root_.string(), {"LD_TRACE_LOADED_OBJECTS=1"});
        ASSERT_EQ(traced.exitCode, 0) << program << ": " << traced.output;
        EXPECT_EQ(traced.output.find("not found"), std::string::npos) << program << ": " << traced.output;
        for (const char* library : {"libnnotes.so => ", "libqvl_os.so => "})
            EXPECT_NE(traced.output.find(library + Path("bin/../lib/")), std::string::npos)
                << program << " " << library << traced.output;
    }
    const Outcome quorvel = RunProgram({Path("bin/quorvel")}, root_.string(), {"LD_TRACE_LOADED_OBJECTS=1"});
    EXPECT_NE(quorvel.output.find("qvllib.so => " + Path("bin/../lib/qvllib.so")), std::string::npos)
        << quorvel.output;
}

TEST_F(Installed, TheDemoRoadRunsFromTheInstalledTree) {
    const fs::path area = root_ / "area";
    fs::create_directories(area / "data");
    std::ofstream(area / "notes.ini")
        << "[Notes]\nDirectory=" << (area / "data").string() << "\nUserName=Demo User\n";
    const std::string notesIni = "NOTES_INI=" + (area / "notes.ini").string();

    const Outcome built = RunProgram({Path("bin/nsfadmin"), "build", Path("share/quorvel/demo/qvlds.json"),
                                      Path("share/quorvel/demo/contacts.json")},
                                     area.string(), {notesIni});
    ASSERT_EQ(built.exitCode, 0) << built.output;

    const Outcome road = RunProgram(
        {std::string(QVL_TEST_OUTPUT_DIR) + "/qvllib_road", Path("lib/qvllib.so"), "Contacts by Region"},
        area.string(), {notesIni});
    ASSERT_EQ(road.exitCode, 0) << road.output;
    std::istringstream lines(road.output);
    std::string line;
    std::vector<std::string> loaded;
    std::vector<std::string> report;
    while (std::getline(lines, line))
        (line.rfind("loaded ", 0) == 0 ? loaded : report).push_back(line);
    ASSERT_GE(report.size(), 5u) << road.output;
    EXPECT_NE(report[0], "sources 0");
    EXPECT_EQ(report[1], "columns 5");
    EXPECT_EQ(report[2], "Region|Last Name|First Name|Town|Post Code");
    EXPECT_NE(report[3].find('|'), std::string::npos);
    EXPECT_EQ(report[4].rfind("rows ", 0), 0u);
    ASSERT_EQ(loaded.size(), 3u) << road.output;
    for (const std::string& library : loaded)
        EXPECT_EQ(library.rfind("loaded " + Path("lib/"), 0), 0u) << library;
    EXPECT_TRUE(fs::exists(area / "qvllog.txt")) << "the library logs its start in the current folder";

    const Outcome dump =
        RunProgram({Path("bin/nsfadmin"), "dump", "demo/contacts.nsf"}, area.string(), {notesIni});
    ASSERT_EQ(dump.exitCode, 0) << dump.output;
    EXPECT_NE(dump.output.find("Installed road"), std::string::npos) << "the merge history was written back";
}

} // namespace
