// Sorting view rows with bounded memory: whether they stay in one run or spill into several, every row comes
// back once, whole, in view order.
#include "views/viewindex_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

namespace nnotes::views {
namespace {

std::vector<ViewRow> SomeRows(size_t count) {
    std::mt19937 random(7);
    std::vector<ViewRow> rows;
    for (size_t i = 0; i < count; ++i) {
        ViewRow row;
        row.note = static_cast<NOTEID>(4 + random() % 50);
        row.part = static_cast<uint32_t>(random() % 3);
        // Keys share prefixes and repeat, so ties fall to the note and then the part.
        row.key = std::string(random() % 4, 'k') + static_cast<char>('a' + random() % 5);
        if (random() % 7 == 0) row.key.push_back('\0');
        row.sortValues = "sort" + std::to_string(i);
        row.summary = std::string(random() % 300, static_cast<char>(i));
        row.unid.note.words[0] = static_cast<uint32_t>(i);
        if (random() % 3 == 0) {
            UNIVERSALID parent{};
            parent.file.words[1] = static_cast<uint32_t>(i * 3);
            row.parent = parent;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<ViewRow> Sorted(std::vector<ViewRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const ViewRow& a, const ViewRow& b) {
        return std::tie(a.key, a.note, a.part) < std::tie(b.key, b.note, b.part);
    });
    return rows;
}

void ExpectSameRows(const std::vector<ViewRow>& got, const std::vector<ViewRow>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        // Rows equal in key, note and part may come in either order; their own fields must stay together.
        EXPECT_EQ(std::tie(got[i].key, got[i].note, got[i].part),
                  std::tie(expected[i].key, expected[i].note, expected[i].part))
            << "row " << i;
    }
    const auto fields = [](const ViewRow& r) {
        return std::make_tuple(r.key, r.note, r.part, r.sortValues, r.summary, r.unid.note.words[0],
                               r.parent.has_value(), r.parent ? r.parent->file.words[1] : 0u);
    };
    std::vector<decltype(fields(got[0]))> a, b;
    for (const ViewRow& r : got)
        a.push_back(fields(r));
    for (const ViewRow& r : expected)
        b.push_back(fields(r));
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_TRUE(a == b);
}

TEST(SortedRuns, RowsComeBackInViewOrderWholeWhetherTheyFitInMemoryOrSpill) {
    for (size_t runBytes : {size_t{64} << 20, size_t{4000}, size_t{1}}) {
        SCOPED_TRACE(runBytes);
        const std::vector<ViewRow> rows = SomeRows(700);
        SortedRuns runs(::testing::TempDir(), runBytes);
        for (ViewRow row : rows)
            ASSERT_EQ(runs.Add(std::move(row)), NOERROR);
        std::vector<ViewRow> got;
        ASSERT_EQ(runs.Merge([&](const ViewRow& row) {
            got.push_back(row);
            return NOERROR;
        }),
                  NOERROR);
        ExpectSameRows(got, Sorted(rows));
    }
}

TEST(SortedRuns, AFailureOfTheTakerStopsTheMergeWithItsStatus) {
    SortedRuns runs("/no/such/folder", 1000); // the system's temporary folder serves instead
    for (ViewRow row : SomeRows(50))
        ASSERT_EQ(runs.Add(std::move(row)), NOERROR);
    size_t taken = 0;
    EXPECT_EQ(runs.Merge([&](const ViewRow&) { return ++taken == 10 ? ERR_DB_IO : NOERROR; }), ERR_DB_IO);
    EXPECT_EQ(taken, 10u);
}

} // namespace
} // namespace nnotes::views
