// FindByKey over the sorted columns of a view.
#include "testing/view_fixture.h"
#include "util/coding.h"

#include <bit>
#include <cstring>

namespace nnotes::testing {
namespace {

class FindKeyTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        const NOTEID view = SaveView("People", {{"City", "City", VIEW_COLUMN_CATEGORY},
                                                {"Name", "Name", VIEW_COLUMN_SORT},
                                                {"Age", "Age", VIEW_COLUMN_SORT}});
        bern_ = SaveDocument({Text("City", "Bern"), Text("Name", "Élodie"), Number("Age", 40)});
        SaveDocument({Text("City", "Bern"), Text("Name", "Eloise"), Number("Age", 30)});
        zurichAnna_ = SaveDocument({Text("City", "Zürich"), Text("Name", "Anna"), Number("Age", 20)});
        zurichAnton_ = SaveDocument({Text("City", "Zürich"), Text("Name", "anton"), Number("Age", 20)});
        c_ = Open(view);
    }
    void TearDown() override {
        CloseCollection(c_);
        ViewTest::TearDown();
    }

    static void AddKey(std::vector<std::string>& keys, uint16_t type, const std::string& data) {
        std::string v;
        util::PutFixed16(&v, type);
        keys.push_back(v + data);
    }
    static std::string Table(const std::vector<std::string>& keys) {
        std::string out(4, '\0');
        for (const std::string& k : keys) {
            util::PutFixed16(&out, 0);
            util::PutFixed16(&out, static_cast<uint16_t>(k.size()));
        }
        for (const std::string& k : keys)
            out += k;
        util::EncodeFixed16(out.data(), static_cast<uint16_t>(out.size()));
        util::EncodeFixed16(out.data() + 2, static_cast<uint16_t>(keys.size()));
        return out;
    }
    static std::string NumberKey(double number) {
        std::string out;
        util::PutFixed64(&out, std::bit_cast<uint64_t>(number));
        return out;
    }
    static std::string TextKeys(std::initializer_list<std::string> texts) {
        std::vector<std::string> keys;
        for (const std::string& t : texts)
            AddKey(keys, TYPE_TEXT, t);
        return Table(keys);
    }

    // The note id of the entry found (0 when none) and the count.
    std::pair<NOTEID, uint32_t> Find(const std::string& table, uint16_t flags, STATUS expect = NOERROR) {
        CollectionPosition pos{};
        uint32_t count = 0;
        EXPECT_EQ(FindByKey(c_, table.data(), flags, &pos, &count), expect);
        if (expect != NOERROR) return {0, count};
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0;
        EXPECT_EQ(ReadEntries(c_, &pos, NAVIGATE_CURRENT, 0, NAVIGATE_CURRENT, 1, READ_MASK_NOTEID, &buffer,
                              &length, nullptr, nullptr, nullptr),
                  NOERROR);
        NOTEID id = 0;
        if (buffer != NULLHANDLE) std::memcpy(&id, BlockBytes(buffer, length).data(), sizeof id);
        FreeBlock(buffer);
        return {id, count};
    }

    HCOLLECTION c_ = 0;
    NOTEID bern_ = 0, zurichAnna_ = 0, zurichAnton_ = 0;
};

TEST_F(FindKeyTest, MatchesKeysAgainstTheSortedColumnsInOrder) {
    EXPECT_EQ(Find(TextKeys({"Zürich"}), 0), std::make_pair(zurichAnna_, 2u));
    EXPECT_EQ(Find(TextKeys({"Zürich", "anton"}), 0), std::make_pair(zurichAnton_, 1u));
    std::vector<std::string> keys;
    AddKey(keys, TYPE_TEXT, "Bern");
    AddKey(keys, TYPE_TEXT, "Élodie");
    AddKey(keys, TYPE_NUMBER, NumberKey(40));
    EXPECT_EQ(Find(Table(keys), 0), std::make_pair(bern_, 1u));
    keys.pop_back();
    AddKey(keys, TYPE_NUMBER, NumberKey(41));
    Find(Table(keys), 0, ERR_NOT_FOUND);
}

TEST_F(FindKeyTest, PartialCaseAndAccentMatching) {
    Find(TextKeys({"zürich"}), 0, ERR_NOT_FOUND);
    EXPECT_EQ(Find(TextKeys({"zürich"}), FIND_CASE_INSENSITIVE).second, 2u);
    Find(TextKeys({"Zurich"}), FIND_CASE_INSENSITIVE, ERR_NOT_FOUND);
    EXPECT_EQ(Find(TextKeys({"zurich"}), FIND_CASE_INSENSITIVE | FIND_ACCENT_INSENSITIVE).second, 2u);
    Find(TextKeys({"Zür"}), 0, ERR_NOT_FOUND);
    EXPECT_EQ(Find(TextKeys({"Zür", "An"}), FIND_PARTIAL), std::make_pair(zurichAnna_, 1u));
    EXPECT_EQ(Find(TextKeys({"Zür", "an"}), FIND_PARTIAL | FIND_CASE_INSENSITIVE).second, 2u);
    EXPECT_EQ(Find(TextKeys({"Bern", "el"}), 0x000B).second, 2u); // the object layer's default flags
    EXPECT_EQ(Find(TextKeys({"Bern"}), FIND_UPDATE_IF_NOT_FOUND).second, 2u);
}

TEST_F(FindKeyTest, RefusesDamagedTablesAndUnknownFlags) {
    const std::string good = TextKeys({"Bern"});
    Find(good, 0x0040, ERR_FIND_FLAGS);
    Find(good, 0x0100, ERR_FIND_FLAGS);
    Find(TextKeys({"a", "b", "c", "d"}), 0, ERR_FIND_KEYS);
    Find(Table({}), 0, ERR_FIND_KEYS);
    std::vector<std::string> keys;
    AddKey(keys, TYPE_NUMBER, "abc"); // a number of 3 bytes
    Find(Table(keys), 0, ERR_FIND_KEYS);
    keys.clear();
    AddKey(keys, TYPE_TEXT_LIST, "");
    Find(Table(keys), 0, ERR_FIND_KEYS);
    std::string longer = good;
    longer[6] = '\x50'; // a value length past the table
    Find(longer, 0, ERR_FIND_KEYS);
    std::string shorter = good;
    shorter[0] = 3; // total shorter than the header
    Find(shorter, 0, ERR_FIND_KEYS);
    CollectionPosition pos{};
    EXPECT_EQ(FindByKey(c_, nullptr, 0, &pos, nullptr), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(FindByKey(c_, good.data(), 0, nullptr, nullptr), ERR_MISSING_ARGUMENT);
}

} // namespace
} // namespace nnotes::testing
