// The real qvllib.so, loaded from a folder of the test's own: it hands out its 25 exports and nothing of the
// code linked into it, and it reads the qvllib.ini that lies beside it.
#include "libfixture.h"

#include <dlfcn.h>

namespace qvltest {
namespace {

const char* const kExports[] = {
    "LibOpen",    "LibClose",         "LastError",     "DSGetCount",       "DSGetName",
    "DSGetInfo",  "DSOpen",           "DSClose",       "Search",           "GotoFirst",
    "GotoNext",   "GotoNextCategory", "IsCategorised", "CategoryGetFirst", "CategoryGetNext",
    "GetHeader",  "GetData",          "GetNoteID",     "KWOpen",           "KWClose",
    "KWGetFirst", "KWGetNext",        "KWGet",         "KWLoad",           "UpdateDocument"};

class SharedLibraryTest : public ::testing::Test {
protected:
    SharedLibraryTest() : previousFolder_(std::filesystem::current_path()) {
        area_.AddServer("Alpha/Acme");
        std::filesystem::current_path(area_.Root());
        folder_ = area_.Root() + "/program.d";
        std::filesystem::create_directory(folder_);
        std::filesystem::copy_file(os::DirectoryOf(os::ModulePath(nullptr)) + "/qvllib.so",
                                   folder_ + "/qvllib.so");
    }
    // The library stays loaded until the process ends: objects that the code linked into it keeps for the
    // whole run would otherwise count as leaks once it is unmapped.
    ~SharedLibraryTest() override { std::filesystem::current_path(previousFolder_); }

    void* Load() {
        library_ = dlopen((folder_ + "/qvllib.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(library_, nullptr) << dlerror();
        return library_;
    }
    template <class Function>
    Function* Export(const char* name) {
        return reinterpret_cast<Function*>(dlsym(library_, name));
    }

    testsupport::TestArea area_;
    std::string folder_;
    void* library_ = nullptr;
    std::filesystem::path previousFolder_;
};

TEST_F(SharedLibraryTest, HandsOutTheTwentyFiveExportsOnly) {
    ASSERT_NE(Load(), nullptr);
    for (const char* name : kExports)
        EXPECT_NE(dlsym(library_, name), nullptr) << name;
    const char* inner[] = {"_Z16ReportNotesErrorjb", "_Z15LoadDataSourcesv", "LNGetErrorText",
                           "_Z14LNGetErrorTextjPcj", "_ZN14LNNotesSession4InitEjiPPc"};
    for (const char* name : inner)
        EXPECT_EQ(dlsym(library_, name), nullptr) << name;
}

TEST_F(SharedLibraryTest, ReadsTheProfileFileBesideItself) {
    ASSERT_EQ(area_.Build(DataSourceDatabase("Alpha/Acme", DataSource("One", "a.nsf", "v"))), "");
    std::ofstream(folder_ + "/qvllib.ini") << "[General]\nServer=Alpha/Acme\n";
    ASSERT_NE(Load(), nullptr);
    auto* open = Export<int()>("LibOpen");
    auto* close = Export<void()>("LibClose");
    auto* count = Export<int()>("DSGetCount");
    auto* name = Export<int(int, char*, int)>("DSGetName");
    ASSERT_TRUE(open && close && count && name);
    ASSERT_EQ(open(), 1);
    EXPECT_EQ(count(), 1);
    char text[51];
    ASSERT_EQ(name(0, text, sizeof text), 1);
    EXPECT_STREQ(text, "One");
    close();
    std::ifstream log(area_.Root() + "/qvllog.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()),
              "Alpha/Acme");
}

// The program installs its dialog in the one message-box slot of the process; the library's error box must
// reach it rather than a private copy of that slot inside qvllib.so.
TEST_F(SharedLibraryTest, ShowsItsErrorBoxThroughTheProgramsHandler) {
    std::ofstream(folder_ + "/qvllib.ini") << "[General]\nServer=Nowhere/Acme\n";
    os::MessageBoxRecorder boxes;
    ASSERT_NE(Load(), nullptr);
    auto* open = Export<int()>("LibOpen");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Notes Error, Contact your Administrator");
}

} // namespace
} // namespace qvltest
