// A collection reads its stored rows without their keys while their categories change seldom: a row whose
// category values are those of the row before takes that row's place in the categories, and the others'
// keys are looked up. Categories whose values differ only as the collation ignores (case), categories of
// several values, a second level changing under the same first, and categories that change at every row
// (where the keys come with the rows again) must give what the same view made whole in memory gives.
#include "testing/view_fixture.h"

#include <string>

namespace nnotes::testing {
namespace {

class CollectionKeysTest : public ViewTest {
protected:
    // Every entry with its position and bytes, one read of every entry at a time in 64 KiB buffers, and the
    // entries read one by one; the same of the view made whole.
    void ExpectSameAsWhole(NOTEID view, NOTEID apart) {
        const HCOLLECTION whole = OpenApart(apart), growing = Open(view);
        const auto expected = ReadAll(whole);
        ASSERT_GT(expected.size(), 1000u);
        for (int pass = 0; pass < 2; ++pass) {
            const auto rows = ReadAll(growing);
            ASSERT_EQ(rows.size(), expected.size()) << "pass " << pass;
            for (size_t i = 0; i < rows.size(); ++i) {
                ASSERT_EQ(rows[i].id, expected[i].id) << "pass " << pass << ", entry " << i;
                ASSERT_EQ(rows[i].values, expected[i].values) << "pass " << pass << ", entry " << i;
            }
        }
        CloseCollection(growing);
        const HCOLLECTION fresh = Open(view);
        CollectionPosition a = Position({0}), b = a;
        for (size_t i = 0;; ++i) {
            const RawRead left = ReadRaw(whole, a, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1, kEntryMask);
            const RawRead right = ReadRaw(fresh, b, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1, kEntryMask);
            ASSERT_EQ(right.status, left.status) << "entry " << i;
            ASSERT_EQ(right.returned, left.returned) << "entry " << i;
            ASSERT_EQ(right.bytes, left.bytes) << "entry " << i;
            ASSERT_EQ(PathOf(b), PathOf(a)) << "entry " << i;
            if (left.returned == 0) break;
        }
        for (HCOLLECTION c : {whole, fresh})
            EXPECT_EQ(CloseCollection(c), NOERROR);
    }
};

TEST_F(CollectionKeysTest, CategoriesOfValuesTheCollationTakesAsOneAndOfSeveralValues) {
    const std::vector<ColumnSpec> columns = OrderColumns();
    const NOTEID view = SaveView("Orders", columns);
    const char* spellings[] = {"Region", "REGION", "region", "ReGiOn"};
    char name[32];
    for (int i = 0; i < 1500; ++i) {
        std::snprintf(name, sizeof name, "n%05d", (i * 7919) % 1500);
        const std::string region = std::string(spellings[i % 4]) + std::to_string(i % 3);
        // Some documents stand in two regions, one row each.
        ItemSpec regions = i % 41 == 5 ? Texts("Region", {region, "Region9"}) : Text("Region", region);
        SaveDocument({regions, Text("City", (i % 7 == 0 ? "CITY" : "City") + std::to_string(i % 4)),
                      Text("Name", name), Number("Amount", i % 13)});
    }
    ExpectSameAsWhole(view, SaveViewApart("Orders", columns));
}

TEST_F(CollectionKeysTest, CategoriesThatChangeAtEveryRow) {
    const std::vector<ColumnSpec> columns = {
        {"Name", "Name", VIEW_COLUMN_CATEGORY}, {"City", "City", VIEW_COLUMN_SORT}, {"Amount", "Amount"}};
    const NOTEID view = SaveView("Names", columns);
    char name[32];
    for (int i = 0; i < 1200; ++i) {
        std::snprintf(name, sizeof name, "n%05d", (i * 7919) % 1200);
        // Every tenth name in capitals falls in with its lower-case twin when there is one.
        std::string text = name;
        if (i % 10 == 0) text[0] = 'N';
        SaveDocument({Text("Name", text), Text("City", "City" + std::to_string(i % 4)), Number("Amount", i)});
    }
    ExpectSameAsWhole(view, SaveViewApart("Names", columns));
}

TEST_F(CollectionKeysTest, DescendingCategoriesAndSortsWithRowsChangedBetweenBatches) {
    const std::vector<ColumnSpec> columns = {
        {"Region", "Region", VIEW_COLUMN_CATEGORY | VIEW_COLUMN_DESCENDING},
        {"City", "City", VIEW_COLUMN_CATEGORY},
        {"Name", "Name", VIEW_COLUMN_SORT | VIEW_COLUMN_DESCENDING},
        {"Amount", "Amount", VIEW_COLUMN_SORT}};
    const NOTEID view = SaveView("Descending", columns);
    const char* spellings[] = {"Region", "REGION", "region", "ReGiOn"};
    char name[32];
    std::vector<NOTEID> last; // the documents of the region read last
    for (int i = 0; i < 1300; ++i) {
        std::snprintf(name, sizeof name, "n%05d", (i * 7919) % 1300);
        // Spellings the collation takes as one now and then, so that most rows are read without keys.
        const std::string region = std::string(spellings[i % 50 == 0 ? i % 4 : 0]) + std::to_string(i % 3);
        ItemSpec regions = i % 37 == 4 ? Texts("Region", {region, "region0"}) : Text("Region", region);
        const NOTEID id =
            SaveDocument({regions, Text("City", (i % 45 == 0 ? "city" : "City") + std::to_string(i % 2)),
                          Text("Name", i % 9 == 0 ? "same" : name), Number("Amount", i % 7)});
        if (i % 3 == 0 && i % 37 != 4) last.push_back(id);
    }
    const NOTEID apart = SaveViewApart("Descending", columns);
    const HCOLLECTION growing = Open(view);
    // A few batches read, then documents of the last region change city, go, or come.
    CollectionPosition at = Position({0});
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(ReadRaw(growing, at, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1, kEntryMask).returned, 1u);
    for (size_t k = 0; k < last.size(); k += 4) {
        if (k % 8 == 0) {
            UpdateDocument(last[k], {Text("City", "CITY9"), Text("Name", "moved")});
        } else {
            ASSERT_EQ(DeleteNote(db_, last[k], 0), NOERROR);
        }
    }
    for (int i = 0; i < 30; ++i)
        SaveDocument({Text("Region", i % 2 ? "REGION0" : "Region0"), Text("City", "City1"),
                      Text("Name", "late" + std::to_string(i % 4)), Number("Amount", i % 3)});
    const HCOLLECTION whole = OpenApart(apart);
    const auto expected = ReadAll(whole);
    ASSERT_GT(expected.size(), 1000u);
    for (HCOLLECTION c : {growing, Open(view)}) {
        const auto rows = ReadAll(c);
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].id, expected[i].id) << "entry " << i;
            ASSERT_EQ(rows[i].values, expected[i].values) << "entry " << i;
        }
        EXPECT_EQ(CloseCollection(c), NOERROR);
    }
    EXPECT_EQ(CloseCollection(whole), NOERROR);
}

} // namespace
} // namespace nnotes::testing
