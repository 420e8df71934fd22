// Objects opened from a database may outlive every handle of the database itself: the last of them to go
// ends the database, which must not reach back into the object that is being destroyed.
#include "ln/lndocument.h"
#include "ln/lnitemarray.h"
#include "lnviewfolderfixture.h"

namespace {

class LifetimeTest : public ViewsTest {
protected:
    // Opens "By Region" with a navigator and its first entry, then lets go of the test's database handle,
    // so that only the objects hold the database.
    void OpenAndDropDatabase(LNViewFolder* view, LNVFNavigator* navigator, LNVFEntry* entry) {
        if (db_.IsNull()) Reopen();
        *view = OpenView("By Region");
        ASSERT_EQ(view->GetEntries(navigator), 0u);
        ASSERT_EQ(navigator->Goto(LNVFNAVIGATION_FIRST, entry), 0u);
        db_ = LNDatabase();
    }

    void Reopen() {
        ASSERT_EQ(session_.GetDatabase("views.nsf", &db_), 0u);
        ASSERT_EQ(db_.Open(), 0u);
    }

    // The database opens again afterwards, and its view still reads.
    void ExpectDatabaseUsable() {
        Reopen();
        LNViewFolder view = OpenView("Flat");
        LNVFEntry entry;
        EXPECT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    }
};

TEST_F(LifetimeTest, ViewNavigatorAndEntryOutliveTheDatabaseHandleInAnyOrder) {
    // 0 = view, 1 = navigator, 2 = entry: the order in which the three handles let go.
    const int orders[][3] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}};
    for (const auto& order : orders) {
        LNViewFolder view;
        LNVFNavigator navigator;
        LNVFEntry entry;
        OpenAndDropDatabase(&view, &navigator, &entry);
        for (int which : order) {
            if (which == 0) view = LNViewFolder();
            if (which == 1) navigator = LNVFNavigator();
            if (which == 2) entry = LNVFEntry();
        }
    }
    ExpectDatabaseUsable();
}

TEST_F(LifetimeTest, ViewClosedOrNotIsTheLastHolder) {
    {
        LNViewFolder view = OpenView("Flat");
        db_ = LNDatabase();
        view = LNViewFolder();
    }
    Reopen();
    {
        // A view handle that was never opened still holds its database.
        LNViewFolder view;
        ASSERT_EQ(db_.GetViewFolder("Flat", &view), 0u);
        db_ = LNDatabase();
        view = LNViewFolder();
    }
    ExpectDatabaseUsable();
}

TEST_F(LifetimeTest, DocumentIsTheLastHolder) {
    {
        LNViewFolder view = OpenView("Flat");
        LNVFEntry entry;
        ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
        LNDocument document;
        ASSERT_EQ(entry.GetDocument(&document), 0u);
        ASSERT_EQ(document.Open(0), 0u);
        LNText name;
        ASSERT_EQ(document.GetItem(LNString("Name"), &name), 0u);
        view = LNViewFolder();
        entry = LNVFEntry();
        db_ = LNDatabase();
        // The item handle outlives the document handle too.
        document = LNDocument();
        EXPECT_EQ(Text(name[0].GetText()), "Ann");
        name = LNText();
    }
    ExpectDatabaseUsable();
}

TEST_F(LifetimeTest, ItemArrayIsTheLastHolderOfItsNote) {
    {
        LNViewFolder view = OpenView("Flat");
        LNVFEntry entry;
        ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
        LNDocument document;
        ASSERT_EQ(entry.GetDocument(&document), 0u);
        ASSERT_EQ(document.Open(0), 0u);
        LNItemArray items;
        ASSERT_EQ(document.GetItems(&items, LNITEMTYPE_TEXT), 0u);
        view = LNViewFolder();
        entry = LNVFEntry();
        db_ = LNDatabase();
        document = LNDocument();
        EXPECT_GT(items.GetCount(), 0u);
        items = LNItemArray();
    }
    ExpectDatabaseUsable();
}

} // namespace
