// The SQLite layer's kept statements and write transactions: a statement handed out again starts afresh
// whatever its last use left; a connection tells whether the file is as its last commit left it and counts
// the rows it writes to a watched table.
#include "store/store_sql.h"

#include "testsupport/test_area.h"

#include <gtest/gtest.h>

namespace nnotes::store {
namespace {

class StoreSqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = area_.DataDirectory() + "/sql.db";
        ASSERT_EQ(Open(a_), NOERROR);
        ASSERT_EQ(a_.Exec("CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT);"
                          "CREATE TABLE u(id INTEGER PRIMARY KEY, v TEXT)"),
                  NOERROR);
    }

    STATUS Open(Connection& c) {
        STATUS s = c.Open(path_, true);
        if (s == NOERROR) s = c.Exec("PRAGMA journal_mode=WAL");
        return s;
    }

    static constexpr const char* kIsNull = "SELECT ?1 IS NULL";
    static constexpr const char* kCount = "SELECT id FROM t ORDER BY id";

    testsupport::TestArea area_;
    std::string path_;
    Connection a_;
};

TEST_F(StoreSqlTest, AKeptStatementStartsAfreshWhateverItsLastUseLeft) {
    STATUS s;
    // Bound and never stepped: the next use finds no binding.
    Statement* q = a_.Prepare(kIsNull, &s);
    ASSERT_NE(q, nullptr);
    q->Bind(1, 7);
    q = a_.Prepare(kIsNull, &s);
    ASSERT_EQ(q->Step(), SQLITE_ROW);
    EXPECT_EQ(q->Int(0), 1);
    // Stepped with a binding and reset by its use: still none next time.
    q->Reset();
    q = a_.Prepare(kIsNull, &s);
    q->Bind(1, 7);
    ASSERT_EQ(q->Step(), SQLITE_ROW);
    EXPECT_EQ(q->Int(0), 0);
    q->Reset();
    q = a_.Prepare(kIsNull, &s);
    ASSERT_EQ(q->Step(), SQLITE_ROW);
    EXPECT_EQ(q->Int(0), 1);
    q->Reset();

    // Left half-way through its rows: the next use reads from the first again.
    ASSERT_EQ(a_.Exec("INSERT INTO t(v) VALUES('a'), ('b'), ('c')"), NOERROR);
    q = a_.Prepare(kCount, &s);
    ASSERT_EQ(q->Step(), SQLITE_ROW);
    ASSERT_EQ(q->Step(), SQLITE_ROW);
    EXPECT_EQ(q->Int(0), 2);
    q = a_.Prepare(kCount, &s);
    ASSERT_EQ(q->Step(), SQLITE_ROW);
    EXPECT_EQ(q->Int(0), 1);
    q->Reset();
    // A reset twice over is harmless, and a write after it sees no read left open.
    q->Reset();
    Transaction t(a_);
    ASSERT_EQ(t.Begun(), NOERROR);
    ASSERT_EQ(a_.Exec("INSERT INTO t(v) VALUES('d')"), NOERROR);
    EXPECT_EQ(t.Commit(), NOERROR);
}

TEST_F(StoreSqlTest, TheFileIsUnchangedSinceTheLastCommitUntilAnotherConnectionWrites) {
    Connection b;
    ASSERT_EQ(Open(b), NOERROR);
    uint64_t first = 0;
    {
        Transaction t(a_);
        ASSERT_EQ(t.Begun(), NOERROR);
        first = a_.WriteSerial();
        EXPECT_NE(first, 0u);
        ASSERT_EQ(a_.Exec("INSERT INTO t(v) VALUES('a')"), NOERROR);
        EXPECT_FALSE(a_.UnchangedSince(first)) << "not committed yet";
        ASSERT_EQ(t.Commit(), NOERROR);
    }
    EXPECT_EQ(a_.WriteSerial(), 0u);
    uint64_t second = 0;
    {
        Transaction t(a_);
        second = a_.WriteSerial();
        EXPECT_NE(second, first);
        EXPECT_TRUE(a_.UnchangedSince(first));
        ASSERT_EQ(t.Commit(), NOERROR);
    }
    EXPECT_FALSE(a_.UnchangedSince(first)) << "another commit of this connection came after it";
    {
        // Rolled back: the commit before stays the last one.
        Transaction t(a_);
        EXPECT_TRUE(a_.UnchangedSince(second));
        ASSERT_EQ(a_.Exec("INSERT INTO t(v) VALUES('undone')"), NOERROR);
    }
    {
        Transaction t(a_);
        EXPECT_TRUE(a_.UnchangedSince(second));
    }
    {
        Transaction t(b);
        ASSERT_EQ(b.Exec("INSERT INTO t(v) VALUES('b')"), NOERROR);
        ASSERT_EQ(t.Commit(), NOERROR);
    }
    Transaction t(a_);
    EXPECT_FALSE(a_.UnchangedSince(second)) << "another connection wrote";
}

TEST_F(StoreSqlTest, RowsWrittenToTheWatchedTableAreCountedAndNoOthers) {
    a_.WatchTable("t");
    const uint64_t before = a_.TableWrites();
    ASSERT_EQ(a_.Exec("INSERT INTO u(v) VALUES('x'); UPDATE u SET v='y'"), NOERROR);
    EXPECT_EQ(a_.TableWrites(), before);
    ASSERT_EQ(a_.Exec("INSERT INTO t(v) VALUES('a'), ('b')"), NOERROR);
    EXPECT_EQ(a_.TableWrites(), before + 2);
    ASSERT_EQ(a_.Exec("UPDATE t SET v='c' WHERE v='a'; DELETE FROM t WHERE v='b'"), NOERROR);
    EXPECT_EQ(a_.TableWrites(), before + 4);
    // Another connection's writes are not this one's.
    Connection b;
    ASSERT_EQ(Open(b), NOERROR);
    ASSERT_EQ(b.Exec("INSERT INTO t(v) VALUES('z')"), NOERROR);
    EXPECT_EQ(a_.TableWrites(), before + 4);
}

} // namespace
} // namespace nnotes::store
