// ID tables: sets of note ids scanned in ascending order.
#include "nnotes/nnotes.h"
#include "testing/process_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace nnotes {
namespace {

class IDTables : public StartedProcess {
protected:
    static DHANDLE Create(std::initializer_list<NOTEID> ids) {
        DHANDLE table = NULLHANDLE;
        EXPECT_EQ(CreateIDTable(&table), NOERROR);
        for (NOTEID id : ids)
            EXPECT_EQ(InsertID(table, id, nullptr), NOERROR);
        return table;
    }

    static std::vector<NOTEID> Scan(DHANDLE table) {
        std::vector<NOTEID> ids;
        NOTEID id = 0;
        for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false)
            ids.push_back(id);
        return ids;
    }
};

TEST_F(IDTables, EmptyTable) {
    const DHANDLE table = Create({});
    EXPECT_EQ(IDEntries(table), 0u);
    NOTEID id = 77;
    EXPECT_EQ(IDScan(table, true, &id), ERR_IDTABLE_END);
    EXPECT_EQ(IDScan(table, false, &id), ERR_IDTABLE_END);
    EXPECT_EQ(id, 77u);
    EXPECT_EQ(DestroyIDTable(table), NOERROR);
}

TEST_F(IDTables, ScansGiveIdsInOrderAndDuplicatesOnce) {
    const DHANDLE table = Create({40, 8, 0xFFFFFFFF, 12, 4});
    bool inserted = true;
    EXPECT_EQ(InsertID(table, 12, &inserted), NOERROR);
    EXPECT_FALSE(inserted);
    EXPECT_EQ(InsertID(table, 20, &inserted), NOERROR);
    EXPECT_TRUE(inserted);
    EXPECT_EQ(IDEntries(table), 6u);
    EXPECT_EQ(Scan(table), (std::vector<NOTEID>{4, 8, 12, 20, 40, 0xFFFFFFFF}));

    // Past the end the scan stays at the end until it starts again.
    NOTEID id = 0;
    EXPECT_EQ(IDScan(table, false, &id), ERR_IDTABLE_END);
    EXPECT_EQ(IDScan(table, true, &id), NOERROR);
    EXPECT_EQ(id, 4u);
}

TEST_F(IDTables, InsertsDuringAScanKeepItsPlace) {
    const DHANDLE table = Create({10, 20, 30});
    NOTEID id = 0;
    ASSERT_EQ(IDScan(table, true, &id), NOERROR);
    ASSERT_EQ(IDScan(table, false, &id), NOERROR);
    EXPECT_EQ(id, 20u);
    ASSERT_EQ(InsertID(table, 5, nullptr), NOERROR);  // behind the scan: not met
    ASSERT_EQ(InsertID(table, 25, nullptr), NOERROR); // ahead of it: met
    std::vector<NOTEID> rest;
    while (IDScan(table, false, &id) == NOERROR)
        rest.push_back(id);
    EXPECT_EQ(rest, (std::vector<NOTEID>{25, 30}));
}

TEST_F(IDTables, CopiesAreIndependent) {
    const DHANDLE table = Create({3, 1, 2});
    DHANDLE copy = NULLHANDLE;
    ASSERT_EQ(CopyIDTable(table, &copy), NOERROR);
    ASSERT_NE(copy, table);
    ASSERT_EQ(InsertID(copy, 9, nullptr), NOERROR);
    ASSERT_EQ(DestroyIDTable(table), NOERROR);
    EXPECT_EQ(Scan(copy), (std::vector<NOTEID>{1, 2, 3, 9}));
    EXPECT_EQ(IDEntries(table), 0u);
    EXPECT_EQ(DestroyIDTable(table), ERR_BAD_HANDLE);
}

TEST_F(IDTables, HeaderTellsReadersToScan) {
    const DHANDLE table = Create({1, 2});
    const void* position = LockBlock(table);
    ODSIDTableHeader header{};
    ASSERT_EQ(ReadOnDiskStructure(&position, ODSLength(ODS_IDTABLE_HEADER), ODS_IDTABLE_HEADER, &header, 1),
              NOERROR);
    EXPECT_EQ(header.Flags & IDTABLE_SCAN_ONLY, IDTABLE_SCAN_ONLY);
    EXPECT_EQ(header.Records, 0);
    EXPECT_EQ(UnlockBlock(table), NOERROR);
}

TEST_F(IDTables, ManyIdsInAnyOrder) {
    DHANDLE table = Create({});
    std::vector<NOTEID> expected;
    for (NOTEID i = 0; i < 5000; ++i) {
        ASSERT_EQ(InsertID(table, (i * 7919) % 5000 + 1, nullptr), NOERROR);
        expected.push_back(i + 1);
    }
    EXPECT_EQ(IDEntries(table), 5000u);
    EXPECT_EQ(Scan(table), expected);
}

TEST_F(IDTables, OtherBlocksAndBadHandlesAnswerAStatus) {
    DHANDLE block = NULLHANDLE;
    ASSERT_EQ(AllocateBlock(0, 64, &block), NOERROR);
    NOTEID id = 0;
    DHANDLE copy = NULLHANDLE;
    EXPECT_EQ(InsertID(block, 1, nullptr), ERR_IDTABLE_BAD);
    EXPECT_EQ(IDScan(block, true, &id), ERR_IDTABLE_BAD);
    EXPECT_EQ(IDEntries(block), 0u);
    EXPECT_EQ(CopyIDTable(block, &copy), ERR_IDTABLE_BAD);
    EXPECT_EQ(DestroyIDTable(block), ERR_IDTABLE_BAD);
    uint32_t size = 0;
    EXPECT_EQ(GetBlockSize(block, &size), NOERROR); // not freed by the refused destroy

    // A table whose count no longer matches its block.
    const DHANDLE table = Create({1, 2, 3});
    ASSERT_EQ(ResizeBlock(table, 20), NOERROR);
    EXPECT_EQ(IDScan(table, true, &id), ERR_IDTABLE_BAD);
    EXPECT_EQ(InsertID(table, 4, nullptr), ERR_IDTABLE_BAD);

    EXPECT_EQ(IDScan(NULLHANDLE, true, &id), ERR_BAD_HANDLE);
    EXPECT_EQ(InsertID(987654321, 1, nullptr), ERR_BAD_HANDLE);
    EXPECT_EQ(CreateIDTable(nullptr), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(IDScan(block, true, nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(IDTables, TablesEndWithTheProcess) {
    const DHANDLE table = Create({1});
    ASSERT_EQ(TermProcess(), NOERROR);
    NOTEID id = 0;
    EXPECT_EQ(IDScan(table, true, &id), ERR_NOT_INITIALIZED);
    EXPECT_EQ(IDEntries(table), 0u);
    DHANDLE other = NULLHANDLE;
    EXPECT_EQ(CreateIDTable(&other), ERR_NOT_INITIALIZED);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    EXPECT_EQ(IDScan(table, true, &id), ERR_BAD_HANDLE);
}

} // namespace
} // namespace nnotes
