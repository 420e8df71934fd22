// Putting database files in place so that what returned survives a power cut, and with modes that keep the
// people in them to their owner.
//
// A power cut cannot be had in a test, but what decides survival can be seen: a name that link, rename or
// unlink made or took away is on the disk only once its folder has been synced after the change, and a new
// folder only once its parent has. platform/os reports each folder sync to an observer; the recorder below
// notes, at each sync, which file the watched name stood for then.
#include "os/os.h"
#include "testing/store_fixture.h"

#include <filesystem>
#include <sys/stat.h>

namespace nnotes::testing {
namespace {

class PlacingTest : public StoreTest {
protected:
    struct Sync {
        std::string folder;
        ino_t watched; // the file the watched name stood for, 0 for none
        bool operator==(const Sync&) const = default;
        friend void PrintTo(const Sync& s, std::ostream* out) {
            *out << s.folder << " (" << s.watched << ")";
        }
    };

    void SetUp() override {
        StoreTest::SetUp();
        previous_ = os::SetFolderSyncObserver([this](const std::string& folder) {
            syncs_.push_back({folder, Inode(watched_)});
        });
    }
    void TearDown() override {
        os::SetFolderSyncObserver(previous_);
        StoreTest::TearDown();
    }

    // Starts a new record of syncs, watching name (under the data directory).
    void Watch(const std::string& name) {
        watched_ = data_ + "/" + name;
        syncs_.clear();
    }
    static ino_t Inode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    static unsigned Mode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    std::string watched_;
    std::vector<Sync> syncs_;
    os::FolderSyncObserver previous_;
};

TEST_F(PlacingTest, ADatabaseMadeInNewFoldersIsSyncedIntoEachOfThem) {
    Watch("sub/new/x.nsf");
    ASSERT_EQ(CreateDatabase("sub/new/x.nsf", 0, false, 0, 0, 0), NOERROR);
    const ino_t made = Inode(watched_);
    EXPECT_EQ(syncs_, (std::vector<Sync>{{data_, 0}, {data_ + "/sub", 0}, {data_ + "/sub/new", made}}));
}

TEST_F(PlacingTest, AReplacementIsSyncedAfterTheNewFileTookTheName) {
    ASSERT_EQ(CreateDatabase("x.nsf", 0, false, 0, 0, 0), NOERROR);
    ASSERT_EQ(CreateDatabase("source.nsf", 0, false, 0, 0, 0), NOERROR);
    for (const bool copy : {false, true}) {
        Watch("x.nsf");
        const ino_t old = Inode(watched_);
        ASSERT_EQ(copy ? CopyDatabase("source.nsf", "x.nsf", NOTE_CLASS_ALL, 0, 0, nullptr)
                       : CreateDatabase("x.nsf", 0, true, 0, 0, 0),
                  NOERROR);
        ASSERT_NE(Inode(watched_), old);
        ASSERT_FALSE(syncs_.empty()) << copy;
        EXPECT_EQ(syncs_.back(), (Sync{data_, Inode(watched_)})) << copy;
    }
}

TEST_F(PlacingTest, ADeletionIsSyncedAfterTheNameIsGone) {
    ASSERT_EQ(CreateDatabase("gone.nsf", 0, false, 0, 0, 0), NOERROR);
    Watch("gone.nsf");
    ASSERT_EQ(DeleteDatabase("gone.nsf"), NOERROR);
    EXPECT_EQ(syncs_, (std::vector<Sync>{{data_, 0}}));
}

TEST_F(PlacingTest, SettingsWrittenAtomicallyAreSyncedAfterTheRename) {
    Watch("../notes.ini");
    ASSERT_EQ(SetEnvironmentText("Durable", "yes"), NOERROR);
    ASSERT_EQ(syncs_.size(), 1u);
    EXPECT_EQ(syncs_[0].folder, root_);
    EXPECT_EQ(syncs_[0].watched, Inode(ini_));
}

// The merged people's data is the owner's alone, unless the folder is one its group shares (it may write
// there, and not everybody may): then the group reads and writes it too. The log files follow the database.
TEST_F(PlacingTest, DatabasesAndTheirLogsArePrivateUnlessTheirFolderIsSharedWithTheGroup) {
    const unsigned mask = os::FileCreationMask();
    ASSERT_EQ(::chmod(data_.c_str(), 0755), 0);
    DBHANDLE db = MakeDatabase("private.nsf");
    SaveNote(db, {{"Subject", "Ann Lee"}});
    EXPECT_EQ(Mode(data_ + "/private.nsf"), 0600u & ~mask);
    EXPECT_EQ(Mode(data_ + "/private.nsf-wal"), 0600u & ~mask);
    EXPECT_EQ(Mode(data_ + "/private.nsf-shm"), 0600u & ~mask);
    ASSERT_EQ(CloseDatabase(db), NOERROR);

    std::filesystem::create_directories(data_ + "/team");
    ASSERT_EQ(::chmod((data_ + "/team").c_str(), 02770), 0);
    ASSERT_EQ(CreateDatabase("team/shared.nsf", 0, false, 0, 0, 0), NOERROR);
    EXPECT_EQ(Mode(data_ + "/team/shared.nsf"), 0660u & ~mask);

    // A database that replaces another keeps the mode its owner gave that one.
    ASSERT_EQ(::chmod((data_ + "/private.nsf").c_str(), 0640), 0);
    ASSERT_EQ(CreateDatabase("private.nsf", 0, true, 0, 0, 0), NOERROR);
    EXPECT_EQ(Mode(data_ + "/private.nsf"), 0640u);
    ASSERT_EQ(CopyDatabase("team/shared.nsf", "private.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), NOERROR);
    EXPECT_EQ(Mode(data_ + "/private.nsf"), 0640u);
}

} // namespace
} // namespace nnotes::testing
