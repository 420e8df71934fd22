// Navigators: the walk by navigation codes through categorised, flat, response and empty views, counts,
// positions, restricted navigators, finding by key and full-text results.
#include "lnviewfolderfixture.h"
#include "nnotes/collection.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"

#include <algorithm>
#include <map>

namespace {

// The walk of a navigator as "category text" or "name" per entry, with the code given each time.
std::vector<std::string> Walk(LNVFNavigator& navigator, LNVFNAVIGATION code) {
    std::vector<std::string> seen;
    LNVFEntry entry;
    for (LNSTATUS status = navigator.Goto(LNVFNAVIGATION_FIRST, &entry); status == 0;
         status = navigator.Goto(code, &entry)) {
        seen.push_back(entry.IsCategory() ? "[" + ViewsTest::ColumnTextOf(entry, 0) + "]"
                                          : ViewsTest::ColumnTextOf(entry, 1));
        if (seen.size() > 20) break;
    }
    return seen;
}

TEST_F(ViewsTest, CategorisedWalkGivesCategoriesBeforeTheirDocuments) {
    LNViewFolder view = OpenView("By Region");
    LNVFNavigator navigator;
    ASSERT_EQ(view.GetEntries(&navigator), 0u);
    EXPECT_TRUE(navigator.IsCategorized());
    EXPECT_EQ(Walk(navigator, LNVFNAVIGATION_NEXT),
              (std::vector<std::string>{"[A]", "Ann", "Bob", "[B]", "Cid"}));
    EXPECT_EQ(Walk(navigator, LNVFNAVIGATION_NEXT_CATEGORY), (std::vector<std::string>{"[A]", "[B]"}));
    EXPECT_EQ(navigator.GetEntryCount(), 5u);
}

TEST_F(ViewsTest, NextCategoryFromADocumentReachesTheNextCategory) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT, &entry), 0u);
    ASSERT_EQ(ColumnText(entry, 1), "Ann");
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), 0u);
    EXPECT_TRUE(entry.IsCategory());
    EXPECT_EQ(ColumnText(entry, 0), "B");
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(ColumnText(entry, 0), "B") << "a failed move leaves the entry as it was";
}

TEST_F(ViewsTest, EndsOfTheWalkAreWarnings) {
    LNViewFolder view = OpenView("Flat");
    LNVFEntry entry;
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), LNWARN_NOT_FOUND);
    EXPECT_TRUE(entry.IsNull()) << "a flat view has no categories to move to";
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Cid");
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_NEXT, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(ColumnText(entry, 0), "Cid");
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_PREVIOUS, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Bob");
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_FIRST), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Bob") << "without an entry the first code only moves the position";
    EXPECT_EQ(view.GetEntry(&entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Ann");
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_PREVIOUS, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(view.Goto(static_cast<LNVFNAVIGATION>(23), &entry), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_RESERVED12, &entry), LNERR_NOT_IMPLEMENTED);
}

TEST_F(ViewsTest, CodeZeroMovesToTheFirstChild) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_EQ(view.Goto(static_cast<LNVFNAVIGATION>(0), &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Ann");
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_PARENT, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "A");
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT_MAIN, &entry), 0u) << "from a category: the next document";
    EXPECT_EQ(ColumnText(entry, 1), "Ann");
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_MAIN, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Ann");
}

TEST_F(ViewsTest, EmptyViewHasNothingToGive) {
    LNViewFolder view = OpenView("Empty");
    EXPECT_EQ(view.GetEntryCount(), 0u);
    LNVFEntry entry;
    for (const LNVFNAVIGATION code : {LNVFNAVIGATION_FIRST, LNVFNAVIGATION_NEXT, LNVFNAVIGATION_LAST})
        EXPECT_EQ(view.Goto(code, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(Thrown([&] { view[0]; }), LNERR_NO_ENTRIES);
    EXPECT_FALSE(view.IsCategorized());
}

TEST_F(ViewsTest, EntriesByIndex) {
    LNViewFolder view = OpenView("By Region");
    EXPECT_TRUE(view[0].IsCategory());
    EXPECT_EQ(ColumnText(view[4], 1), "Cid");
    EXPECT_EQ(Thrown([&] { view[5]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    LNVFPosition position;
    ASSERT_EQ(view.GetPosition(&position), 0u);
    EXPECT_EQ(Text(position.GetText('.')), "1") << "an index past the end leaves the start position";
}

TEST_F(ViewsTest, PositionsNameEntriesByTheirPath) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry entry;
    view.Goto(LNVFNAVIGATION_FIRST, &entry);
    view.Goto(LNVFNAVIGATION_NEXT, &entry);
    view.Goto(LNVFNAVIGATION_NEXT, &entry);
    LNVFPosition position;
    ASSERT_EQ(view.GetPosition(&position), 0u);
    EXPECT_EQ(Text(position.GetText('.')), "1.2");
    ASSERT_EQ(entry.GetPosition(&position), 0u);
    EXPECT_EQ(Text(position.GetText('.')), "1.2");
    nnotes::CollectionPosition raw{};
    raw.Level = 1;
    raw.MaxLevel = 31;
    raw.EntryIndex[0] = 2;
    raw.EntryIndex[1] = 1;
    position = &raw;
    ASSERT_EQ(view.SetPosition(position), 0u);
    ASSERT_EQ(view.GetEntry(&entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Cid");
    raw.EntryIndex[0] = 9;
    position = &raw;
    EXPECT_EQ(view.SetPosition(position), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(view.GetEntry(&entry, position), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(entry.GetPosition(nullptr), LNERR_NULL_POINTER);
}

TEST_F(ViewsTest, RestrictedNavigatorCoversOneCategory) {
    LNViewFolder view = OpenView("By Region");
    LNVFNavigator none;
    EXPECT_EQ(view.GetEntries(&none, 0), LNERR_OUT_OF_RANGE);
    LNVFNavigator underA;
    ASSERT_EQ(view.GetEntries(&underA, 1), 0u) << "the view's own navigator stands at category A";
    EXPECT_TRUE(underA.IsRestricted());
    EXPECT_EQ(underA.GetEntryCount(), 2u);
    LNVFEntry entry;
    ASSERT_EQ(underA.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Ann");
    ASSERT_EQ(underA.Goto(LNVFNAVIGATION_NEXT, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Bob");
    EXPECT_EQ(underA.Goto(LNVFNAVIGATION_NEXT, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(Thrown([&] { underA[2]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);

    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT, &entry), 0u);
    LNVFNavigator underDocument;
    EXPECT_EQ(view.GetEntries(&underDocument, 1), LNWARN_NOT_FOUND) << "a document without responses";
}

TEST_F(ViewsTest, RestrictedNavigatorFindsItsLastEntryWhereverItStands) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), 0u);
    ASSERT_EQ(ColumnText(entry, 0), "B");
    LNVFNavigator underB;
    ASSERT_EQ(view.GetEntries(&underB, 1), 0u);
    ASSERT_EQ(underB.Goto(LNVFNAVIGATION_LAST, &entry), 0u) << "the only entry is the last";
    EXPECT_EQ(ColumnText(entry, 1), "Cid");
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    LNVFNavigator underA;
    ASSERT_EQ(view.GetEntries(&underA, 1), 0u);
    ASSERT_EQ(underA.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Bob");
    ASSERT_EQ(underA.Goto(LNVFNAVIGATION_LAST, &entry), 0u) << "standing on the last entry";
    EXPECT_EQ(ColumnText(entry, 1), "Bob");
    EXPECT_EQ(underA.Goto(LNVFNAVIGATION_LAST), 0u);
    LNVFPosition position;
    ASSERT_EQ(underA.GetPosition(&position), 0u);
    EXPECT_EQ(Text(position.GetText('.')), "1.2");
}

TEST_F(ViewsTest, ResponsesSitUnderTheirParents) {
    LNViewFolder view = OpenView("Threads");
    LNVFNavigator navigator;
    ASSERT_EQ(view.GetEntries(&navigator), 0u);
    std::vector<std::string> rows;
    LNVFEntry entry;
    for (LNSTATUS s = navigator.Goto(LNVFNAVIGATION_FIRST, &entry); s == 0;
         s = navigator.Goto(LNVFNAVIGATION_NEXT, &entry)) {
        rows.push_back(std::to_string(entry.GetIndentLevels()) + (entry.IsResponse() ? "r " : "m ") +
                       ColumnText(entry, 0) + "|" + ColumnText(entry, 1) + "|" + ColumnText(entry, 2));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"0m Budget||Bob", "1r |Agreed|", "2r |Not so fast|",
                                              "0m Travel||Ann", "0m Zoo||Cid"}));
}

TEST_F(ViewsTest, FindByKeyFollowsTheOptions) {
    LNViewFolder view = OpenView("Flat");
    LNVFEntry entry;
    uint32_t count = 9;
    ASSERT_EQ(view.FindByKey("ann", &entry, &count), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Ann");
    EXPECT_EQ(count, 1u);
    LNVFFindOptions options;
    options.SetCaseSensitive(true);
    EXPECT_EQ(view.FindByKey("ann", options, &entry, &count), LNWARN_NOT_FOUND);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(view.FindByKey("B", &entry, &count), 0u) << "partial match by default";
    EXPECT_EQ(ColumnText(entry, 0), "Bob");
    options = LNVFFindOptions();
    options.SetExactMatch(true);
    EXPECT_EQ(view.FindByKey("B", options, &entry), LNWARN_NOT_FOUND);
    ASSERT_EQ(view.FindByKey("Cid", options, &entry), 0u);
    LNVFPosition position;
    view.GetPosition(&position);
    EXPECT_EQ(Text(position.GetText('.')), "3") << "the find moves the navigator";
    EXPECT_EQ(view.FindByKey(LNString(), &entry), LNERR_OUT_OF_RANGE);
    LNVFFindKeys none;
    EXPECT_EQ(view.FindByKeys(none, &entry), LNERR_UNINITIALIZED_OBJECT);
}

TEST_F(ViewsTest, OneKeyInACategorisedViewFindsTheCategory) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry entry;
    uint32_t count = 0;
    ASSERT_EQ(view.FindByKey("B", &entry, &count), 0u);
    EXPECT_TRUE(entry.IsCategory());
    EXPECT_EQ(ColumnText(entry, 0), "B");
    EXPECT_EQ(count, 1u);
    LNVFFindKeys keys;
    keys.AppendTextKey("A");
    keys.AppendTextKey("Bob");
    ASSERT_EQ(view.FindByKeys(keys, &entry, &count), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Bob");
}

TEST_F(ViewsTest, FullTextNavigatorWalksTheHits) {
    ASSERT_EQ(nsfadmin::Index("views.nsf", ""), "");
    LNViewFolder view = OpenView("Flat");
    LNVFNavigator hits;
    ASSERT_EQ(view.FTSearch("Budget OR Travel", &hits), 0u);
    EXPECT_TRUE(hits.IsFTSearch());
    EXPECT_FALSE(hits.IsCategorized());
    EXPECT_EQ(hits.GetEntryCount(), 2u);
    LNVFEntry first, entry;
    ASSERT_EQ(hits.Goto(LNVFNAVIGATION_FIRST, &first), 0u);
    EXPECT_GT(first.GetScore(), 0);
    EXPECT_EQ(first.GetSiblingCount(), 2u);
    EXPECT_EQ(hits.Goto(LNVFNAVIGATION_PREVIOUS, &entry), LNWARN_NOT_FOUND);
    ASSERT_EQ(hits.Goto(LNVFNAVIGATION_NEXT, &entry), 0u);
    EXPECT_NE(entry.GetNoteID(), first.GetNoteID());
    EXPECT_EQ(hits.Goto(LNVFNAVIGATION_NEXT, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(hits.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(hits.Refresh(), LNERR_FT_NAVIGATOR);
    EXPECT_EQ(hits.FindByKey("Ann", &entry), LNERR_FT_NAVIGATOR);
    nnotes::DHANDLE ids = 0;
    ASSERT_EQ(hits.GetIDTable(&ids), 0u);
    EXPECT_EQ(nnotes::IDEntries(ids), 2u);

    LNVFNavigator annOnly;
    ASSERT_EQ(view.FTSearch("Ann", &annOnly), 0u);
    ASSERT_EQ(annOnly.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Ann");

    LNVFNavigator nothing;
    EXPECT_EQ(view.FTSearch("nowhereatall", &nothing), LNWARN_NOT_FOUND);
    EXPECT_EQ(nothing.GetEntryCount(), 0u);
    EXPECT_EQ(nothing.Goto(LNVFNAVIGATION_FIRST, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(view.FTSearch("", &nothing), LNERR_NULL_STRING);
}

TEST_F(ViewsTest, FullTextHitsOfACategorisedViewAreItsDocumentEntries) {
    ASSERT_EQ(nsfadmin::Index("views.nsf", ""), "");
    LNViewFolder view = OpenView("By Region");
    std::map<std::string, nnotes::NOTEID> documents; // name -> note, as the view's own entries give them
    LNVFNavigator all;
    ASSERT_EQ(view.GetEntries(&all), 0u);
    LNVFEntry entry;
    for (LNSTATUS status = all.Goto(LNVFNAVIGATION_FIRST, &entry); status == 0;
         status = all.Goto(LNVFNAVIGATION_NEXT, &entry))
        if (!entry.IsCategory()) documents[ColumnText(entry, 1)] = entry.GetNoteID();
    ASSERT_EQ(documents.size(), 3u);

    LNVFNavigator hits;
    ASSERT_EQ(view.FTSearch("Ann OR Bob OR Cid", &hits), 0u);
    ASSERT_EQ(hits.GetEntryCount(), 3u);
    std::vector<std::string> forwards, backwards;
    for (LNSTATUS status = hits.Goto(LNVFNAVIGATION_FIRST, &entry); status == 0;
         status = hits.Goto(LNVFNAVIGATION_NEXT, &entry)) {
        EXPECT_FALSE(entry.IsCategory());
        EXPECT_EQ(ColumnText(entry, 0), "") << "a document entry leaves its category column empty";
        forwards.push_back(ColumnText(entry, 1));
        EXPECT_EQ(entry.GetNoteID(), documents[forwards.back()]) << forwards.back();
    }
    for (LNSTATUS status = hits.Goto(LNVFNAVIGATION_LAST, &entry); status == 0;
         status = hits.Goto(LNVFNAVIGATION_PREVIOUS, &entry))
        backwards.insert(backwards.begin(), ColumnText(entry, 1));
    EXPECT_EQ(backwards, forwards);
    std::sort(forwards.begin(), forwards.end());
    EXPECT_EQ(forwards, (std::vector<std::string>{"Ann", "Bob", "Cid"}));
}

TEST_F(ViewsTest, FullTextSearchWithinEarlierResults) {
    ASSERT_EQ(nsfadmin::Index("views.nsf", ""), "");
    LNViewFolder view = OpenView("Flat");
    LNVFNavigator navigator;
    ASSERT_EQ(view.FTSearch("Budget OR Travel", &navigator), 0u);
    ASSERT_EQ(view.FTSearch("Travel OR Zoo", &navigator, LNFTSearchOptions(), &navigator), 0u);
    EXPECT_EQ(navigator.GetEntryCount(), 1u);
    LNVFEntry entry;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Ann");
    LNVFNavigator empty;
    EXPECT_EQ(view.FTSearch("Ann", &navigator, LNFTSearchOptions(), &empty), LNERR_UNINITIALIZED_OBJECT);
}

TEST_F(ViewsTest, NavigatorIdTableAndRefresh) {
    LNViewFolder view = OpenView("Flat");
    LNVFNavigator navigator;
    ASSERT_EQ(view.GetEntries(&navigator), 0u);
    nnotes::DHANDLE ids = 0;
    ASSERT_EQ(navigator.GetIDTable(&ids), 0u);
    EXPECT_EQ(nnotes::IDEntries(ids), 3u);
    LNVFEntry entry;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
    ASSERT_EQ(navigator.DeleteEntry(&entry), 0u);
    EXPECT_TRUE(entry.IsNull());
    EXPECT_EQ(navigator.GetEntryCount(), 3u) << "the count stays until the navigator is refreshed";
    ASSERT_EQ(navigator.Refresh(), 0u);
    EXPECT_EQ(navigator.GetEntryCount(), 2u);
    ASSERT_EQ(navigator.GetIDTable(&ids), 0u);
    EXPECT_EQ(nnotes::IDEntries(ids), 2u);
}

TEST_F(ViewsTest, DeletingThroughEntries) {
    LNViewFolder view = OpenView("By Region");
    LNVFNavigator navigator, other;
    ASSERT_EQ(view.GetEntries(&navigator), 0u);
    ASSERT_EQ(view.GetEntries(&other), 0u);
    LNVFEntry category, foreign;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &category), 0u);
    ASSERT_EQ(other.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &foreign), 0u);
    EXPECT_EQ(navigator.DeleteEntry(&category), LNERR_DELETE_CATEGORY);
    EXPECT_EQ(navigator.DeleteEntry(&foreign), LNERR_FOREIGN_ENTRIES);
    EXPECT_EQ(navigator.DeleteEntry(nullptr), LNERR_NULL_POINTER);
    LNVFEntry none;
    EXPECT_EQ(navigator.DeleteEntry(&none), LNERR_UNINITIALIZED_OBJECT);
    ASSERT_EQ(navigator.DeleteEntry(&category, true), 0u) << "a category with its documents";
    ASSERT_EQ(navigator.Refresh(), 0u);
    EXPECT_EQ(navigator.GetEntryCount(), 2u);
    LNVFEntry entry;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "B");
}

TEST_F(ViewsTest, NavigatorHandleWithoutBody) {
    LNVFNavigator navigator;
    LNVFEntry entry;
    EXPECT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { navigator.GetEntryCount(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(navigator.Close(), 0u);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { navigator.Goto(LNVFNAVIGATION_NEXT, &entry); }), LNERR_NOT_INITIALIZED);
    LNSetThrowAllErrors(false);
    EXPECT_EQ(Thrown([&] { entry.GetNoteID(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(entry.GetDocument(nullptr), LNERR_NOT_INITIALIZED);
}

} // namespace

namespace {

// A walk by NEXT reads its entries a run at a time and works out where each lies from its peer number: it
// meets the same entries at the same positions as reads of each entry by its index, across runs, where a peer
// number alone could name two levels, at categories, totals and responses.
TEST_F(ViewsTest, AWalkOnInOrderMeetsEachEntryWhereItsIndexFindsIt) {
    std::string documents;
    for (int i = 0; i < 230; ++i) {
        documents += std::string(i ? "," : "") + R"({"Region": "r)" + std::to_string(i % 3) +
                     R"(", "District": "d)" + std::to_string(i % 7) + R"(", "Name": "n)" +
                     std::to_string(1000 + i) + R"(", "Age": )" + std::to_string(i) + "}";
    }
    ASSERT_EQ(area_.Build(R"({"path": "many.nsf", "views": [{"name": "Two", "columns": [
        {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
        {"title": "District", "item": "District", "sorted": true, "categorised": true},
        {"title": "Name", "item": "Name", "sorted": true}, {"title": "Age", "item": "Age", "totals": true}]}],
      "documents": [)" + documents +
                          "]}"),
              "");
    LNDatabase many;
    ASSERT_EQ(session_.GetDatabase("many.nsf", &many), 0u);
    ASSERT_EQ(many.Open(), 0u);
    for (const auto& [db, name] :
         {std::pair{many, "Two"}, {db_, "By Region"}, {db_, "Threads"}, {db_, "Totals"}}) {
        LNDatabase database = db;
        LNViewFolder view;
        ASSERT_EQ(database.GetViewFolder(name, &view), 0u);
        ASSERT_EQ(view.Open(0), 0u);
        LNVFNavigator walk, byIndex;
        ASSERT_EQ(view.GetEntries(&walk), 0u);
        ASSERT_EQ(view.GetEntries(&byIndex), 0u);
        LNVFEntry entry, kept;
        nnotes::NOTEID keptId = 0;
        LNVFPosition keptPosition;
        uint32_t index = 0;
        for (LNSTATUS moved = walk.Goto(LNVFNAVIGATION_FIRST, &entry); moved == 0;
             moved = walk.Goto(LNVFNAVIGATION_NEXT, &entry), ++index) {
            const LNVFEntry expected = byIndex[index];
            LNVFPosition at, there;
            ASSERT_EQ(walk.GetPosition(&at), 0u);
            ASSERT_EQ(byIndex.GetPosition(&there), 0u);
            ASSERT_TRUE(at == there) << name << " entry " << index;
            LNVFPosition own;
            ASSERT_EQ(entry.GetPosition(&own), 0u);
            EXPECT_TRUE(own == there) << name << " entry " << index;
            EXPECT_EQ(entry.GetNoteID(), expected.GetNoteID()) << name << " entry " << index;
            EXPECT_EQ(entry.GetType(), expected.GetType()) << name << " entry " << index;
            EXPECT_EQ(entry.GetIndentLevels(), expected.GetIndentLevels()) << name << " entry " << index;
            for (uint32_t column = 0; column < view.GetColumnCount(); ++column) {
                const LNItem value = entry[column], other = expected[column];
                ASSERT_EQ(value.IsNull(), other.IsNull()) << name << " entry " << index;
                if (!value.IsNull() && value.GetType() == LNITEMTYPE_TEXT) {
                    EXPECT_EQ(ColumnText(entry, column), ColumnText(expected, column))
                        << name << " entry " << index;
                }
            }
            // An entry still held elsewhere stays what it was when the walk moves on.
            if (index > 0 && kept.GetVFEntryBody() != nullptr) {
                EXPECT_EQ(kept.GetNoteID(), keptId) << name << " entry " << index;
                LNVFPosition keptAt;
                ASSERT_EQ(kept.GetPosition(&keptAt), 0u);
                EXPECT_TRUE(keptAt == keptPosition) << name << " entry " << index;
            }
            if (index % 13 == 0) {
                kept = entry;
                keptId = entry.GetNoteID();
                keptPosition = at;
            } else {
                kept = LNVFEntry();
            }
            // Another move between two steps leaves the walk where it stood.
            if (index % 17 == 5) {
                LNVFEntry child;
                walk.Goto(LNVFNAVIGATION_PREVIOUS, &child);
                ASSERT_EQ(walk.SetPosition(at), 0u);
            }
        }
        EXPECT_EQ(index, byIndex.GetEntryCount()) << name;
        EXPECT_GT(index, 0u) << name;
    }
}

} // namespace
