// Seeded random sequences over a sorted and a plain object list at once, checked against a model kept in
// the test: adds by key (keys at 0 and at the top of the range, often equal), finds, removals and deletions
// by key and by object, key changes between neighbours, objects moved from one list to the other, objects
// that die while listed and bodies that handles keep alive.
#include "ln/lnerrors.h"
#include "ln/lnobjlist.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// A heap object that knows its id and records its death.
class Tracked : public FakeBody {
public:
    Tracked(std::vector<int>* deaths, int id) : deaths_(deaths), id_(id) {}
    ~Tracked() override { deaths_->push_back(id_); }
    int Id() const { return id_; }

private:
    std::vector<int>* deaths_;
    int id_;
};

struct Listed {
    Tracked* object;
    uint32_t key;
};

class ObjectListRandomTest : public ::testing::Test {
protected:
    void TearDown() override { LNClearThrowAllErrors(); }

    uint32_t Key() {
        switch (random_() % 6) {
        case 0:
            return 0;
        case 1:
            return 0xFFFFFFFF;
        default:
            return random_() % 8;
        }
    }

    // Where the sorted list puts a new key: after every smaller key; before the equal ones inside the
    // list, after them when the key equals the last.
    size_t InsertAt(uint32_t key) const {
        if (sortedModel_.empty() || key >= sortedModel_.back().key) return sortedModel_.size();
        size_t at = 0;
        while (sortedModel_[at].key < key)
            ++at;
        return at;
    }

    void Check() {
        std::vector<Tracked*> forward, backward;
        for (LNNotesClass* o = sorted_.GetFirstObject(); o != nullptr; o = sorted_.GetNextObject(o))
            forward.push_back(static_cast<Tracked*>(o));
        for (LNNotesClass* o = sorted_.GetLastObject(); o != nullptr; o = sorted_.GetPreviousObject(o))
            backward.insert(backward.begin(), static_cast<Tracked*>(o));
        ASSERT_EQ(forward.size(), sortedModel_.size());
        ASSERT_EQ(forward, backward);
        for (size_t i = 0; i < forward.size(); ++i) {
            ASSERT_EQ(forward[i], sortedModel_[i].object) << "element " << i;
            uint32_t key = 1;
            ASSERT_EQ(sorted_.GetSortKey(forward[i], &key), LNNOERROR);
            ASSERT_EQ(key, sortedModel_[i].key) << "element " << i;
        }
        ASSERT_EQ(sorted_.GetLastSortKey(), sortedModel_.empty() ? 0 : sortedModel_.back().key);
        std::vector<Tracked*> plain;
        for (LNNotesClass* o = plain_.GetFirstObject(); o != nullptr; o = plain_.GetNextObject(o))
            plain.push_back(static_cast<Tracked*>(o));
        ASSERT_EQ(plain, plainModel_);
    }

    void Step() {
        switch (random_() % 9) {
        case 0:
        case 1: {
            const uint32_t key = Key();
            auto* object = new Tracked(&deaths_, nextId_++);
            ASSERT_EQ(sorted_.AddObject(object, key), LNNOERROR);
            sortedModel_.insert(sortedModel_.begin() + static_cast<ptrdiff_t>(InsertAt(key)), {object, key});
            break;
        }
        case 2: {
            const uint32_t key = Key();
            const auto first = std::find_if(sortedModel_.begin(), sortedModel_.end(),
                                            [&](const Listed& l) { return l.key == key; });
            ASSERT_EQ(sorted_.GetObject(key), first == sortedModel_.end() ? nullptr : first->object) << key;
            break;
        }
        case 3: {
            // By key: removed (and put on the plain list) or deleted.
            const uint32_t key = Key();
            const auto first = std::find_if(sortedModel_.begin(), sortedModel_.end(),
                                            [&](const Listed& l) { return l.key == key; });
            const bool remove = random_() % 2 == 0;
            const size_t before = deaths_.size();
            Tracked* object = first != sortedModel_.end() ? first->object : nullptr;
            const int id = object != nullptr ? object->Id() : -1;
            const LNSTATUS status = remove ? sorted_.RemoveObject(key) : sorted_.DeleteObject(key);
            if (object == nullptr) {
                ASSERT_EQ(status, LNWARN_NOT_FOUND) << key;
                break;
            }
            ASSERT_EQ(status, LNNOERROR) << key;
            sortedModel_.erase(first);
            if (remove) {
                ASSERT_EQ(deaths_.size(), before);
                ASSERT_EQ(plain_.AddObject(object), LNNOERROR);
                plainModel_.push_back(object);
            } else {
                ASSERT_EQ(deaths_.size(), before + 1);
                ASSERT_EQ(deaths_.back(), id);
            }
            break;
        }
        case 4: {
            // A key change, allowed only between the neighbours' keys.
            if (sortedModel_.empty()) break;
            const size_t at = random_() % sortedModel_.size();
            const uint32_t key = Key();
            const bool fits = (at == 0 || sortedModel_[at - 1].key <= key) &&
                              (at + 1 == sortedModel_.size() || key <= sortedModel_[at + 1].key);
            ASSERT_EQ(sorted_.SetSortKey(sortedModel_[at].object, key), fits ? LNNOERROR : LNERR_OUT_OF_RANGE)
                << "element " << at << " to key " << key;
            if (fits) sortedModel_[at].key = key;
            break;
        }
        case 5: {
            // A listed object cannot join another list, nor one not listed be found there.
            if (sortedModel_.empty() || plainModel_.empty()) break;
            Tracked* inSorted = sortedModel_[random_() % sortedModel_.size()].object;
            Tracked* inPlain = plainModel_[random_() % plainModel_.size()];
            ASSERT_EQ(plain_.AddObject(inSorted), LNERR_ALREADY_IN_OBJECT_LIST);
            ASSERT_EQ(sorted_.AddObject(inPlain, 1), LNERR_ALREADY_IN_OBJECT_LIST);
            uint32_t key = 0;
            ASSERT_EQ(sorted_.GetSortKey(inPlain, &key), LNERR_NOT_IN_OBJECT_LIST);
            ASSERT_EQ(plain_.RemoveObject(inSorted), LNERR_NOT_IN_OBJECT_LIST);
            ASSERT_EQ(sorted_.GetNextObject(inPlain), nullptr);
            break;
        }
        case 6: {
            // An object dies while listed and leaves its list.
            const bool fromSorted = random_() % 2 == 0;
            if (fromSorted && !sortedModel_.empty()) {
                const size_t at = random_() % sortedModel_.size();
                delete sortedModel_[at].object;
                sortedModel_.erase(sortedModel_.begin() + static_cast<ptrdiff_t>(at));
            } else if (!fromSorted && !plainModel_.empty()) {
                const size_t at = random_() % plainModel_.size();
                delete plainModel_[at];
                plainModel_.erase(plainModel_.begin() + static_cast<ptrdiff_t>(at));
            }
            break;
        }
        case 7: {
            // Off the plain list, by deletion or back onto the sorted one.
            if (plainModel_.empty()) break;
            const size_t at = random_() % plainModel_.size();
            Tracked* object = plainModel_[at];
            plainModel_.erase(plainModel_.begin() + static_cast<ptrdiff_t>(at));
            if (random_() % 2 == 0) {
                const size_t before = deaths_.size();
                ASSERT_EQ(plain_.DeleteObject(object), LNNOERROR);
                ASSERT_EQ(deaths_.size(), before + 1);
            } else {
                ASSERT_EQ(plain_.RemoveObject(object), LNNOERROR);
                const uint32_t key = Key();
                ASSERT_EQ(sorted_.AddObject(object, key), LNNOERROR);
                sortedModel_.insert(sortedModel_.begin() + static_cast<ptrdiff_t>(InsertAt(key)),
                                    {object, key});
            }
            break;
        }
        case 8: {
            // A body that a handle shares survives its deletion by key, unlisted.
            if (sortedModel_.empty() || held_.size() >= 4) break;
            const size_t at = random_() % sortedModel_.size();
            Tracked* object = sortedModel_[at].object;
            const uint32_t key = sortedModel_[at].key;
            if (std::find_if(sortedModel_.begin(), sortedModel_.end(), [&](const Listed& l) {
                    return l.key == key;
                })->object != object)
                break;
            held_.emplace_back(object);
            const size_t before = deaths_.size();
            ASSERT_EQ(sorted_.DeleteObject(key), LNNOERROR);
            ASSERT_EQ(deaths_.size(), before) << "the handle still holds it";
            sortedModel_.erase(sortedModel_.begin() + static_cast<ptrdiff_t>(at));
            break;
        }
        }
    }

    std::mt19937 random_;
    std::vector<int> deaths_;
    int nextId_ = 0;
    LNSortedObjectList sorted_;
    LNObjectList plain_;
    std::vector<Listed> sortedModel_;
    std::vector<Tracked*> plainModel_;
    std::vector<FakeHandle> held_;
};

TEST_F(ObjectListRandomTest, SequencesAgreeWithTheModel) {
    for (const uint32_t seed : {21u, 22u, 20261210u}) {
        random_.seed(seed);
        for (int step = 0; step < 1500; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            ASSERT_NO_FATAL_FAILURE(Step());
            ASSERT_NO_FATAL_FAILURE(Check());
        }
        // Emptied newest first: the plain list from its end, the sorted list from its highest key.
        std::vector<int> expected;
        for (auto it = plainModel_.rbegin(); it != plainModel_.rend(); ++it)
            expected.push_back((*it)->Id());
        deaths_.clear();
        plain_.DeleteAllObjects();
        ASSERT_EQ(deaths_, expected) << "seed " << seed;
        expected.clear();
        for (auto it = sortedModel_.rbegin(); it != sortedModel_.rend(); ++it)
            expected.push_back(it->object->Id());
        deaths_.clear();
        sorted_.DeleteAllObjects();
        ASSERT_EQ(deaths_, expected) << "seed " << seed;
        plainModel_.clear();
        sortedModel_.clear();
        // The bodies the handles held were never listed again: they go with their handles.
        const size_t survivors = held_.size();
        held_.clear();
        ASSERT_EQ(deaths_.size(), expected.size() + survivors) << "seed " << seed;
    }
}

} // namespace
