#include "ln/lnerrors.h"
#include "ln/lnheap.h"
#include "ln/lnobjlist.h"
#include "os/os.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A heap object that remembers its id and the order of deaths.
class Marked : public FakeObject {
public:
    Marked(std::vector<int>* deaths, int id) : deaths_(deaths), id_(id) {}
    ~Marked() override { deaths_->push_back(id_); }
    int Id() const { return id_; }

private:
    std::vector<int>* deaths_;
    int id_;
};

std::vector<int> Ids(const LNObjectList& list) {
    std::vector<int> ids;
    for (LNNotesClass* o = list.GetFirstObject(); o != nullptr; o = list.GetNextObject(o)) {
        ids.push_back(static_cast<Marked*>(o)->Id());
    }
    return ids;
}

std::vector<int> IdsBackwards(const LNObjectList& list) {
    std::vector<int> ids;
    for (LNNotesClass* o = list.GetLastObject(); o != nullptr; o = list.GetPreviousObject(o)) {
        ids.push_back(static_cast<Marked*>(o)->Id());
    }
    return ids;
}

class ObjectListTest : public ::testing::Test {
protected:
    void TearDown() override { LNClearThrowAllErrors(); }
    std::vector<int> deaths;
};

TEST_F(ObjectListTest, AddChecksItsArgument) {
    LNObjectList list, other;
    EXPECT_EQ(list.AddObject(nullptr), LNERR_NULL_POINTER);
    Marked onStack(&deaths, 0);
    EXPECT_EQ(list.AddObject(&onStack), LNERR_OBJECT_NOT_ON_HEAP);

    auto* object = new Marked(&deaths, 1);
    ASSERT_EQ(other.AddObject(object), 0u);
    EXPECT_EQ(list.AddObject(object), LNERR_ALREADY_IN_OBJECT_LIST);
    EXPECT_EQ(other.AddObject(object), LNERR_ALREADY_IN_OBJECT_LIST);
    EXPECT_EQ(list.RemoveObject(object), LNERR_NOT_IN_OBJECT_LIST);
    EXPECT_EQ(other.RemoveObject(object), 0u);
    EXPECT_EQ(list.AddObject(object), 0u);
    EXPECT_EQ(Ids(list), (std::vector<int>{1}));

    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { list.AddObject(object); }), LNERR_ALREADY_IN_OBJECT_LIST);
    EXPECT_EQ(Thrown([&] { other.RemoveObject(object); }), LNERR_NOT_IN_OBJECT_LIST);
    EXPECT_EQ(Thrown([&] { other.RemoveObject(nullptr); }), LNERR_NULL_POINTER);
}

TEST_F(ObjectListTest, WalksBothWays) {
    LNObjectList list, other;
    for (int id = 1; id <= 3; ++id)
        ASSERT_EQ(list.AddObject(new Marked(&deaths, id)), 0u);
    auto* stranger = new Marked(&deaths, 9);
    other.AddObject(stranger);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(IdsBackwards(list), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(list.GetNextObject(stranger), nullptr);
    EXPECT_EQ(list.GetPreviousObject(stranger), nullptr);

    LNObjectList empty;
    EXPECT_EQ(empty.GetFirstObject(), nullptr);
    EXPECT_EQ(empty.GetLastObject(), nullptr);
    EXPECT_EQ(empty.GetNextObject(nullptr), nullptr);
}

TEST_F(ObjectListTest, RemoveAndDeleteInTheMiddle) {
    LNObjectList list;
    std::vector<Marked*> objects;
    for (int id = 1; id <= 4; ++id) {
        objects.push_back(new Marked(&deaths, id));
        list.AddObject(objects.back());
    }
    EXPECT_EQ(list.RemoveObject(objects[1]), 0u);
    EXPECT_EQ(deaths.size(), 0u);
    EXPECT_EQ(list.DeleteObject(objects[2]), 0u);
    EXPECT_EQ(deaths, (std::vector<int>{3}));
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 4}));
    EXPECT_EQ(IdsBackwards(list), (std::vector<int>{4, 1}));
    EXPECT_EQ(list.DeleteObject(objects[1]), LNERR_NOT_IN_OBJECT_LIST) << "removed earlier";
    delete objects[1];
    EXPECT_EQ(list.DeleteObject(objects[0]), 0u);
    EXPECT_EQ(list.DeleteObject(objects[3]), 0u);
    EXPECT_EQ(list.GetFirstObject(), nullptr);
}

TEST_F(ObjectListTest, DeleteAllGoesNewestFirst) {
    LNObjectList list;
    for (int id = 1; id <= 3; ++id)
        list.AddObject(new Marked(&deaths, id));
    list.DeleteAllObjects();
    EXPECT_EQ(deaths, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(list.GetFirstObject(), nullptr);

    {
        LNObjectList owner;
        owner.AddObject(new Marked(&deaths, 4));
    }
    EXPECT_EQ(deaths.back(), 4) << "the list's destructor deletes what it still holds";
}

TEST_F(ObjectListTest, AnObjectThatDiesLeavesItsList) {
    LNObjectList list;
    auto* first = new Marked(&deaths, 1);
    auto* dying = new Marked(&deaths, 2);
    auto* last = new Marked(&deaths, 3);
    list.AddObject(first);
    list.AddObject(dying);
    list.AddObject(last);
    delete dying;
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(IdsBackwards(list), (std::vector<int>{3, 1}));
    delete first;
    delete last;
    EXPECT_EQ(list.GetFirstObject(), nullptr);
    EXPECT_EQ(list.GetLastObject(), nullptr);
    deaths.clear();
    list.DeleteAllObjects();
    EXPECT_TRUE(deaths.empty()) << "nothing that is already gone is deleted again";

    // Many short-lived objects leave nothing behind in a long-lived list.
    for (int i = 0; i < 1000; ++i) {
        auto* object = new Marked(&deaths, i);
        list.AddObject(object);
        delete object;
    }
    EXPECT_EQ(list.GetFirstObject(), nullptr);
}

TEST_F(ObjectListTest, AnObjectMayTakeListedNeighboursWithIt) {
    struct Owner : Marked {
        Owner(std::vector<int>* d, int id, Marked* owned) : Marked(d, id), owned_(owned) {}
        ~Owner() override { delete owned_; }
        Marked* owned_;
    };
    LNObjectList list;
    auto* owned = new Marked(&deaths, 1);
    list.AddObject(owned);
    list.AddObject(new Marked(&deaths, 2));
    list.AddObject(new Owner(&deaths, 3, owned));
    list.DeleteAllObjects();
    EXPECT_EQ(deaths, (std::vector<int>{1, 3, 2})) << "the owner deletes its neighbour, then the rest goes";
}

TEST_F(ObjectListTest, ReferencedBodiesSurvive) {
    Tally tally;
    FakeHandle handle(new FakeBody(&tally));
    FakeHandle other(new FakeBody(&tally));
    {
        LNObjectList list;
        list.AddObject(handle.Body());
        list.AddObject(other.Body());
        EXPECT_EQ(list.DeleteObject(other.Body()), 0u);
        EXPECT_EQ(tally.closed, 0) << "DeleteObject leaves a shared body alone";
        list.AddObject(new FakeBody(&tally)); // unreferenced: deleted without Close
        list.DeleteAllObjects();
        EXPECT_EQ(tally.closed, 1);
        EXPECT_EQ(tally.deleted, 1);
    }
    EXPECT_EQ(handle.Body()->GetRefCount(), 1u);
    EXPECT_EQ(handle.Body()->GetClassID(), LNCLASSID_LNDATABASEBODY);
    handle = FakeHandle();
    other = FakeHandle();
    EXPECT_EQ(tally.deleted, 3);
}

TEST_F(ObjectListTest, CopiesAreInNoList) {
    LNObjectList list;
    auto* listed = new Marked(&deaths, 1);
    list.AddObject(listed);
    auto* copy = new Marked(*listed);
    EXPECT_EQ(list.AddObject(copy), 0u) << "a copy is in no list";
    auto* target = new Marked(&deaths, 3);
    *target = *listed;
    EXPECT_EQ(list.AddObject(target), 0u);
    *listed = *target;
    EXPECT_EQ(list.RemoveObject(listed), 0u) << "assignment keeps the target's own membership";
    delete listed;
    EXPECT_EQ(list.GetFirstObject(), copy);
}

class SortedListTest : public ObjectListTest {
protected:
    Marked* Add(uint32_t key, int id) {
        auto* object = new Marked(&deaths, id);
        EXPECT_EQ(list.AddObject(object, key), 0u);
        return object;
    }
    std::vector<uint32_t> Keys() {
        std::vector<uint32_t> keys;
        for (LNNotesClass* o = list.GetFirstObject(); o != nullptr; o = list.GetNextObject(o)) {
            uint32_t key = 0;
            EXPECT_EQ(list.GetSortKey(o, &key), 0u);
            keys.push_back(key);
        }
        return keys;
    }
    LNSortedObjectList list;
};

TEST_F(SortedListTest, EqualKeysInsideGoFirstEqualLastKeyGoesLast) {
    Add(5, 1);
    Add(5, 2);
    Add(7, 3);
    Add(5, 4);
    EXPECT_EQ(Ids(list), (std::vector<int>{4, 1, 2, 3}));
    Add(7, 5);
    Add(1, 6);
    Add(6, 7);
    EXPECT_EQ(Ids(list), (std::vector<int>{6, 4, 1, 2, 7, 3, 5}));
    EXPECT_EQ(IdsBackwards(list), (std::vector<int>{5, 3, 7, 2, 1, 4, 6}));
    EXPECT_EQ(Keys(), (std::vector<uint32_t>{1, 5, 5, 5, 6, 7, 7}));
    EXPECT_EQ(list.GetLastSortKey(), 7u);
}

TEST_F(SortedListTest, AddNeedsAKeyAndTheUsualChecks) {
    auto* object = new Marked(&deaths, 1);
    EXPECT_EQ(list.AddObject(object), LNERR_SORT_KEY_REQUIRED);
    LNObjectList& base = list;
    EXPECT_EQ(base.AddObject(object), LNERR_SORT_KEY_REQUIRED);
    EXPECT_EQ(list.AddObject(nullptr, 1), LNERR_NULL_POINTER);
    Marked onStack(&deaths, 2);
    EXPECT_EQ(list.AddObject(&onStack, 1), LNERR_OBJECT_NOT_ON_HEAP);
    EXPECT_EQ(list.AddObject(object, 1), 0u);
    EXPECT_EQ(list.AddObject(object, 2), LNERR_ALREADY_IN_OBJECT_LIST);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { list.AddObject(object); }), LNERR_SORT_KEY_REQUIRED);
}

TEST_F(SortedListTest, LookupsByKey) {
    EXPECT_EQ(list.GetObject(5), nullptr);
    EXPECT_EQ(list.GetLastSortKey(), 0u);
    Add(3, 1);
    Marked* five = Add(5, 2);
    Add(5, 3);
    Add(9, 4);
    EXPECT_EQ(list.GetObject(5), five);
    EXPECT_EQ(list.GetObject(4), nullptr);
    EXPECT_EQ(list.GetObject(10), nullptr);
    EXPECT_EQ(list.GetObject(0), nullptr);

    LNSetThrowAllErrors(true);
    EXPECT_EQ(list.RemoveObject(4u), LNWARN_NOT_FOUND) << "warnings are returned";
    EXPECT_EQ(list.DeleteObject(100u), LNWARN_NOT_FOUND);
    EXPECT_EQ(list.RemoveObject(5u), 0u);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 3, 4}));
    delete five;
    EXPECT_EQ(list.DeleteObject(5u), 0u);
    EXPECT_EQ(deaths, (std::vector<int>{2, 3}));
    EXPECT_EQ(list.DeleteObject(9u), 0u);
    EXPECT_EQ(list.GetLastSortKey(), 3u);

    uint32_t key = 0;
    Marked stranger(&deaths, 8);
    EXPECT_EQ(Thrown([&] { list.GetSortKey(list.GetFirstObject(), nullptr); }), LNERR_NULL_POINTER);
    EXPECT_EQ(Thrown([&] { list.GetSortKey(&stranger, &key); }), LNERR_NOT_IN_OBJECT_LIST);
}

TEST_F(SortedListTest, SetSortKeyStaysBetweenNeighbours) {
    Marked* low = Add(2, 1);
    Marked* mid = Add(5, 2);
    Marked* high = Add(8, 3);
    EXPECT_EQ(list.SetSortKey(mid, 2), 0u) << "equal to the previous key";
    EXPECT_EQ(list.SetSortKey(mid, 8), 0u) << "equal to the next key";
    EXPECT_EQ(list.SetSortKey(mid, 9), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(list.SetSortKey(mid, 1), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(Keys(), (std::vector<uint32_t>{2, 8, 8}));
    EXPECT_EQ(list.SetSortKey(low, 0), 0u) << "no neighbour before the first";
    EXPECT_EQ(list.SetSortKey(high, 0xFFFFFFFFu), 0u) << "no neighbour after the last";
    EXPECT_EQ(list.SetSortKey(low, 9), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(Keys(), (std::vector<uint32_t>{0, 8, 0xFFFFFFFFu}));

    Marked stranger(&deaths, 8);
    EXPECT_EQ(list.SetSortKey(&stranger, 3), LNERR_NOT_IN_OBJECT_LIST);
    EXPECT_EQ(list.SetSortKey(nullptr, 3), LNERR_NOT_IN_OBJECT_LIST);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { list.SetSortKey(low, 100); }), LNERR_OUT_OF_RANGE);
}

} // namespace
