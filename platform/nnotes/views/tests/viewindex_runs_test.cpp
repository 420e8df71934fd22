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

std::vector<ViewRow> Collect(SortedRuns& runs) {
    std::vector<ViewRow> got;
    EXPECT_EQ(runs.Merge([&](const ViewRow& row) {
        got.push_back(row);
        return NOERROR;
    }),
              NOERROR);
    return got;
}

// A run's sort settles most comparisons on the 16 key bytes after what all its keys begin with: keys that
// share a long beginning, that end within those bytes or just past them, that hold zero bytes where a
// shorter key has none, or that differ only further on must still come out in byte order.
TEST(SortedRuns, KeysThatShareTheirBeginningOrDifferPastSixteenBytesComeOutInByteOrder) {
    const std::string common = "categorised\x01sorted\x02";
    const std::vector<std::string> tails = {"",
                                            std::string(1, '\0'),
                                            std::string(2, '\0'),
                                            "a",
                                            std::string("a\0", 2),
                                            "\xff",
                                            "\xff\xff\xff\xff\xff\xff\xff\xff",
                                            "0123456789abcdef",
                                            std::string("0123456789abcdef\0", 17),
                                            "0123456789abcdef0",
                                            "0123456789abcdef1",
                                            "0123456789abcdeg",
                                            "0123456789abcde",
                                            "01234567",
                                            std::string("01234567\0", 9),
                                            "012345670",
                                            "0123456789abcdef" + std::string(40, 'x') + "a",
                                            "0123456789abcdef" + std::string(40, 'x') + "b"};
    // Pairs that differ first at each place in and past those 16 bytes and the next 16 after them, the rest
    // of each ordering the other way; keys that part every 16 bytes, more times than the sort refines them;
    // a key many rows share amid others.
    std::vector<std::string> keys;
    for (const std::string& tail : tails)
        keys.push_back(common + tail);
    std::string digits;
    for (int i = 0; i < 7; ++i)
        digits += "0123456789abcdefghij";
    for (size_t at = 0; at < 70; ++at) {
        keys.push_back(common + digits.substr(0, at) + "b" + std::string(5, 'a'));
        keys.push_back(common + digits.substr(0, at) + "a" + std::string(5, 'z'));
    }
    std::mt19937 deep(3);
    for (int i = 0; i < 40; ++i) {
        std::string key = common;
        for (int level = 0; level < 12; ++level)
            key += std::string(15, 'q') + static_cast<char>('a' + deep() % 2);
        keys.push_back(key);
    }
    for (int i = 0; i < 30; ++i)
        keys.push_back(common + "shared by many");
    std::mt19937 random(11);
    std::vector<ViewRow> rows;
    for (size_t i = 0; i < 600; ++i) {
        ViewRow row;
        // The first rows share more than the others: what the run's keys begin with is what all of them do.
        row.key =
            i < 50 ? common + "zzzzzzzzzzzz" + std::to_string(random() % 10) : keys[random() % keys.size()];
        row.note = static_cast<NOTEID>(4 + random() % 5);
        row.part = static_cast<uint32_t>(random() % 2);
        row.sortValues = "sort" + std::to_string(i);
        row.summary = std::string(random() % 50, 's');
        row.unid.note.words[0] = static_cast<uint32_t>(i);
        rows.push_back(std::move(row));
    }
    // A run whose keys are all one and the same: the order falls to the notes and parts alone.
    std::vector<ViewRow> same(rows.begin(), rows.begin() + 100);
    for (ViewRow& row : same)
        row.key = common;
    for (const auto& [what, input] : {std::pair{"varied keys", rows}, std::pair{"one key", same}}) {
        for (size_t runBytes : {size_t{64} << 20, size_t{3000}, size_t{1}}) {
            SCOPED_TRACE(std::string(what) + ", run bytes " + std::to_string(runBytes));
            SortedRuns runs(::testing::TempDir(), runBytes);
            for (ViewRow row : input)
                ASSERT_EQ(runs.Add(std::move(row)), NOERROR);
            ExpectSameRows(Collect(runs), Sorted(input));
        }
    }
}

// Rows far larger than the blocks a run packs its rows into, between small ones, in runs of one row and in
// one run that holds them all.
TEST(SortedRuns, RowsLargerThanARunsBlocksComeBackWhole) {
    std::vector<ViewRow> rows = SomeRows(40);
    for (size_t i = 0; i < rows.size(); i += 7) {
        rows[i].summary = std::string(70000 + i, static_cast<char>('a' + i % 26));
        rows[i].key += std::string((1u << 20) + 3 * i, static_cast<char>(i));
    }
    for (size_t runBytes : {size_t{64} << 20, size_t{1}}) {
        SCOPED_TRACE(runBytes);
        SortedRuns runs(::testing::TempDir(), runBytes);
        for (ViewRow row : rows)
            ASSERT_EQ(runs.Add(std::move(row)), NOERROR);
        ExpectSameRows(Collect(runs), Sorted(rows));
    }
}

// Runs of several sizes in one sort: the first rows spill in runs, the last stay in memory until the merge,
// and a second sort after the first gives its own rows only.
TEST(SortedRuns, RunsOfUnevenSizesMergeIntoOneOrder) {
    const std::vector<ViewRow> rows = SomeRows(900);
    SortedRuns runs(::testing::TempDir(), 20000);
    for (ViewRow row : rows)
        ASSERT_EQ(runs.Add(std::move(row)), NOERROR);
    ExpectSameRows(Collect(runs), Sorted(rows));

    const std::vector<ViewRow> few(rows.begin(), rows.begin() + 3);
    SortedRuns again(::testing::TempDir(), 20000);
    for (ViewRow row : few)
        ASSERT_EQ(again.Add(std::move(row)), NOERROR);
    ExpectSameRows(Collect(again), Sorted(few));
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
