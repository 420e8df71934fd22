#include "testing/store_fixture.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace nnotes::testing {
namespace {

class BatchTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("batch.nsf");
        ASSERT_EQ(OpenDatabase("batch.nsf", &other_), NOERROR);
    }
    void TearDown() override {
        CloseDatabase(db_);
        CloseDatabase(other_);
        StoreTest::TearDown();
    }

    // The documents a handle sees.
    static int Documents(DBHANDLE db) {
        int n = 0;
        EXPECT_EQ(SearchDatabase(
                      db, NULLHANDLE, 0, NOTE_CLASS_DOCUMENT, nullptr,
                      [](void* count, const SearchMatch*, const SearchSummary*) -> STATUS {
                          ++*static_cast<int*>(count);
                          return NOERROR;
                      },
                      &n, nullptr),
                  NOERROR);
        return n;
    }

    // Whether the process maps the database file (into memory, where each page read stays resident).
    bool FileMapped() const {
        std::ifstream maps("/proc/self/maps");
        for (std::string line; std::getline(maps, line);)
            if (line.size() > 10 && line.compare(line.size() - 10, 10, "/batch.nsf") == 0) return true;
        return false;
    }

    // Whether the process has a file open in the system's temporary folders (SQLite's journals of
    // savepoints, among others, go there).
    static bool TemporaryFileOpen() {
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
            if (target.find("etilqs_") != std::string::npos) return true;
        }
        return false;
    }

    DBHANDLE db_ = 0, other_ = 0;
};

TEST_F(BatchTest, SavesOfABatchAreSeenByOthersOnlyOnceItIsCommitted) {
    EXPECT_EQ(CommitBatch(db_), ERR_DB_NO_BATCH);
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    EXPECT_EQ(BeginBatch(db_), ERR_DB_IN_BATCH);
    const NOTEID first = SaveNote(db_, {{"A", "1"}});
    SaveNote(db_, {{"A", "2"}});
    EXPECT_EQ(TextOf(db_, first, "A"), "1"); // the batch's own handle reads its changes
    EXPECT_EQ(Documents(db_), 2);
    EXPECT_EQ(Documents(other_), 0);
    EXPECT_EQ(TextOf(other_, first, "A"), "<missing>");
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    EXPECT_EQ(CommitBatch(db_), ERR_DB_NO_BATCH);
    EXPECT_EQ(Documents(other_), 2);
    EXPECT_EQ(TextOf(other_, first, "A"), "1");
    // After the batch each save is a transaction of its own again.
    SaveNote(db_, {{"A", "3"}});
    EXPECT_EQ(Documents(other_), 3);
    EXPECT_EQ(BeginBatch(0), ERR_DB_HANDLE);
}

TEST_F(BatchTest, AFailedSaveInsideABatchTakesNothingWithItAndTheBatchGoesOn) {
    const NOTEID id = SaveNote(db_, {{"A", "before"}});
    NOTEHANDLE one = 0, two = 0;
    ASSERT_EQ(OpenNote(db_, id, 0, &one), NOERROR);
    ASSERT_EQ(OpenNote(db_, id, 0, &two), NOERROR);
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    SaveNote(db_, {{"A", "kept"}});
    ASSERT_EQ(SetItemText(one, "A", "one", 3), NOERROR);
    ASSERT_EQ(UpdateNote(one, 0), NOERROR);
    ASSERT_EQ(SetItemText(two, "A", "two", 3), NOERROR);
    ASSERT_EQ(SetItemText(two, "B", "more", 4), NOERROR);
    EXPECT_EQ(UpdateNote(two, 0), ERR_NOTE_CONFLICT);
    SaveNote(db_, {{"A", "after"}});
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    EXPECT_EQ(Documents(other_), 3);
    EXPECT_EQ(TextOf(other_, id, "A"), "one");
    EXPECT_EQ(TextOf(other_, id, "B"), "<missing>");
    CloseNote(one);
    CloseNote(two);
    EXPECT_EQ(IntegrityOf("batch.nsf"), "ok");
}

TEST_F(BatchTest, ABatchNotCommittedWhenItsHandleClosesIsUndone) {
    SaveNote(db_, {{"A", "0"}});
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    for (int i = 0; i < 100; ++i)
        SaveNote(db_, {{"A", "x"}});
    ASSERT_EQ(CloseDatabase(db_), NOERROR);
    db_ = 0;
    EXPECT_EQ(Documents(other_), 1);
    ASSERT_EQ(OpenDatabase("batch.nsf", &db_), NOERROR);
    EXPECT_EQ(Documents(db_), 1);
    SaveNote(db_, {{"A", "1"}}); // and the file takes saves as before
    EXPECT_EQ(Documents(other_), 2);
}

// A batch that filled a large database kept every page of it resident: the file was mapped for reading, and
// each page the saves read stayed in the mapping to the end.
TEST_F(BatchTest, ABatchReadsItsFileWithoutMappingIt) {
    SaveNote(db_, {{"A", "0"}});
    CloseDatabase(other_);
    other_ = 0;
    EXPECT_TRUE(FileMapped()); // reads outside a batch map the file
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    EXPECT_FALSE(FileMapped());
    for (int i = 0; i < 50; ++i)
        SaveNote(db_, {{"A", "x"}});
    EXPECT_EQ(TextOf(db_, 1, "A"), "<missing>"); // the icon note has no item A; the read is what counts
    EXPECT_FALSE(FileMapped());
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    EXPECT_EQ(Documents(db_), 51);
}

// Each save of a batch is a savepoint, and SQLite wrote the pages each changed, as they were, to a
// journal file of its own: a write for every page of every save.
TEST_F(BatchTest, TheJournalsOfABatchsSavesStayInMemory) {
    // Saves that change many pages the batch wrote before: rewriting notes of large items.
    const std::string big(3000, 'x');
    ASSERT_EQ(BeginBatch(db_), NOERROR);
    std::vector<NOTEID> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(SaveNote(db_, {{"A", big.c_str()}}));
    for (NOTEID id : ids) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
        for (int item = 0; item < 40; ++item) {
            const std::string name = "I" + std::to_string(item);
            ASSERT_EQ(SetItemText(note, name.c_str(), big.c_str(), static_cast<uint16_t>(big.size())),
                      NOERROR);
        }
        ASSERT_EQ(UpdateNote(note, 0), NOERROR);
        ASSERT_EQ(SetItemText(note, "A", "short", 5), NOERROR);
        for (int item = 0; item < 40; ++item)
            ASSERT_EQ(SetItemText(note, ("I" + std::to_string(item)).c_str(), "y", 1), NOERROR);
        ASSERT_EQ(UpdateNote(note, 0), NOERROR);
        CloseNote(note);
    }
    EXPECT_FALSE(TemporaryFileOpen());
    ASSERT_EQ(CommitBatch(db_), NOERROR);
    EXPECT_EQ(Documents(other_), 5);
    EXPECT_EQ(TextOf(other_, ids[0], "A"), "short");
}

} // namespace
} // namespace nnotes::testing
