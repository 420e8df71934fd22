#include "ln/lnheap.h"
#include "ln/lnidtable.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "os/os.h"
#include "testobjects.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

class IDTableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR); }
    void TearDown() override {
        LNClearThrowAllErrors();
        EXPECT_EQ(nnotes::TermProcess(), nnotes::NOERROR);
    }

    static nnotes::DHANDLE MakeTable(std::initializer_list<nnotes::NOTEID> ids) {
        nnotes::DHANDLE table = nnotes::NULLHANDLE;
        EXPECT_EQ(nnotes::CreateIDTable(&table), nnotes::NOERROR);
        for (nnotes::NOTEID id : ids)
            EXPECT_EQ(nnotes::InsertID(table, id, nullptr), nnotes::NOERROR);
        return table;
    }

    testsupport::TestArea area;
    os::MessageBoxRecorder boxes;
};

TEST_F(IDTableTest, IdsByIndexInAnyOrder) {
    LNIDTable table(MakeTable({12, 4, 8}));
    EXPECT_STREQ(table.GetClassName(), "LNIDTable");
    ASSERT_EQ(table.GetCount(), 3u);
    EXPECT_EQ(table[0], 4u);
    EXPECT_EQ(table[1], 8u);
    EXPECT_EQ(table[2], 12u);
    EXPECT_EQ(Thrown([&] { table[3]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(table[2], 12u);
    EXPECT_EQ(table[0], 4u);
    EXPECT_EQ(table[1], 8u);
    EXPECT_EQ(table[1], 8u);
    EXPECT_EQ(table[2], 12u);
}

TEST_F(IDTableTest, LongWalksForwardAndBack) {
    nnotes::DHANDLE handle = MakeTable({});
    std::vector<nnotes::NOTEID> ids;
    for (int id = 1000; id > 0; id -= 7) {
        nnotes::InsertID(handle, static_cast<nnotes::NOTEID>(id), nullptr);
        ids.insert(ids.begin(), static_cast<nnotes::NOTEID>(id));
    }
    LNIDTable table(handle);
    ASSERT_EQ(table.GetCount(), ids.size());
    for (uint32_t i = 0; i < ids.size(); ++i)
        ASSERT_EQ(table[i], ids[i]) << i;
    for (uint32_t i = static_cast<uint32_t>(ids.size()); i-- > 0;)
        ASSERT_EQ(table[i], ids[i]) << i;
    for (uint32_t i = 0; i < ids.size(); i += 13)
        ASSERT_EQ(table[i], ids[i]) << i;
}

TEST_F(IDTableTest, OutsideScansOfTheHandleDoNotMoveTheIndex) {
    LNIDTable table(MakeTable({3, 5, 7, 9}));
    EXPECT_EQ(table[1], 5u);
    nnotes::NOTEID seen = 0;
    ASSERT_EQ(nnotes::IDScan(table.GetHandle(), true, &seen), nnotes::NOERROR);
    EXPECT_EQ(table[2], 7u);
    ASSERT_EQ(nnotes::IDScan(table.GetHandle(), false, &seen), nnotes::NOERROR);
    ASSERT_EQ(nnotes::IDScan(table.GetHandle(), false, &seen), nnotes::NOERROR);
    EXPECT_EQ(table[3], 9u);
    EXPECT_EQ(table[0], 3u);
}

TEST_F(IDTableTest, EmptyTableIsSimplyEmpty) {
    LNIDTable table(MakeTable({}));
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_EQ(Thrown([&] { table[0]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(table.Close(), 0u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(IDTableTest, ClosedTables) {
    const nnotes::DHANDLE handle = MakeTable({1, 2});
    LNIDTable table(handle);
    EXPECT_EQ(table.GetHandle(), handle);
    EXPECT_EQ(table.Close(), 0u);
    EXPECT_EQ(nnotes::IDEntries(handle), 0u) << "the table is destroyed";
    LNSetThrowAllErrors(true);
    EXPECT_EQ(table.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { table.GetCount(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { table[0]; }), LNERR_NOT_INITIALIZED);

    LNIDTable none(nnotes::NULLHANDLE);
    EXPECT_EQ(none.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { none.GetCount(); }), LNERR_NOT_INITIALIZED);
}

TEST_F(IDTableTest, FailedCloseLeavesTheTableOpen) {
    nnotes::DHANDLE block = nnotes::NULLHANDLE;
    ASSERT_EQ(nnotes::AllocateBlock(0, 64, &block), nnotes::NOERROR);
    {
        LNIDTable table(block); // not an ID table: no ids
        EXPECT_EQ(table.GetCount(), 0u);
        EXPECT_EQ(table.Close(), nnotes::ERR_IDTABLE_BAD);
        EXPECT_EQ(table.GetCount(), 0u) << "still open";
        LNSetThrowAllErrors(true);
        EXPECT_EQ(Thrown([&] { table.Close(); }), nnotes::ERR_IDTABLE_BAD);
        EXPECT_TRUE(boxes.Boxes().empty());
    }
    // The destructor's Close failed too: reported, not thrown.
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("in file lnidtab"), std::string::npos);
    EXPECT_EQ(nnotes::FreeBlock(block), nnotes::NOERROR);
}

TEST_F(IDTableTest, TableDestroyedBehindItsBack) {
    const nnotes::DHANDLE handle = MakeTable({5, 6, 7});
    {
        LNIDTable table(handle);
        EXPECT_EQ(table[1], 6u);
        ASSERT_EQ(nnotes::DestroyIDTable(handle), nnotes::NOERROR);
        const LNSTATUS thrown = Thrown([&] { table[2]; });
        EXPECT_TRUE(LNIsNotesStatus(thrown)) << std::hex << thrown;
        EXPECT_EQ(Thrown([&] { table[0]; }), thrown) << "the cursor starts again and fails again";
    }
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(IDTableTest, EndOfApiClosesTablesStillOnTheHeap) {
    const nnotes::DHANDLE loose = MakeTable({1});
    const nnotes::DHANDLE held = MakeTable({2});
    new LNIDTable(loose);
    auto* shared = new LNIDTable(held);
    shared->AddReference();
    EXPECT_EQ(LNDeleteAllObjects(), 2u);
    EXPECT_EQ(nnotes::IDEntries(loose), 0u);
    EXPECT_EQ(nnotes::IDEntries(held), 0u);
    EXPECT_EQ(shared->Close(), LNWARN_NOT_OPEN) << "closed, but alive for its holder";
    shared->ReleaseReference();
    delete shared;
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
