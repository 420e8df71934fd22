// Test databases with views, written through the public calls: view notes with their "$TITLE",
// "$ViewFormat" and selection formula, documents with text, list and number items, and readers that turn
// collection entries back into plain rows.
#pragma once

#include "testing/store_fixture.h"

#include <string>
#include <vector>

namespace nnotes::testing {

struct ColumnSpec {
    ColumnSpec(std::string item, std::string title, uint16_t flags = 0, std::string formula = "",
               std::string constant = "")
        : item(std::move(item)), title(std::move(title)), flags(flags), formula(std::move(formula)),
          constant(std::move(constant)) {}
    std::string item;
    std::string title;
    uint16_t flags;
    std::string formula; // source text, compiled when the view is written
    std::string constant;
};

// One item of a test document.
struct ItemSpec {
    std::string name;
    uint16_t type = TYPE_TEXT;
    std::vector<std::string> texts;
    std::vector<double> numbers;
};
inline ItemSpec Text(std::string name, std::string text) {
    return {std::move(name), TYPE_TEXT, {std::move(text)}, {}};
}
inline ItemSpec Texts(std::string name, std::vector<std::string> texts) {
    return {std::move(name), TYPE_TEXT_LIST, std::move(texts), {}};
}
inline ItemSpec Number(std::string name, double n) {
    return {std::move(name), TYPE_NUMBER, {}, {n}};
}

// One entry as ReadEntries gave it (mask READ_MASK_NOTEID | NOTECLASS | INDENTLEVELS | SUMMARY).
struct EntryRow {
    NOTEID id = 0;
    uint16_t noteClass = 0;
    uint16_t indent = 0;
    std::vector<std::string> names;
    std::vector<std::string> values; // each value's first text or number as text; "" when empty
    bool IsCategory() const { return (id & NOTEID_CATEGORY) != 0 && (id & NOTEID_TOTAL) != NOTEID_TOTAL; }
    bool IsTotal() const { return (id & NOTEID_TOTAL) == NOTEID_TOTAL; }
};

class ViewTest : public StoreTest {
protected:
    static constexpr uint32_t kEntryMask =
        READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDENTLEVELS | READ_MASK_SUMMARY;

    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("views.nsf");
    }
    void TearDown() override {
        if (apart_ != 0) CloseDatabase(apart_);
        CloseDatabase(db_);
        StoreTest::TearDown();
    }

    // Region and city categorised, the name sorted, the amount totalled: the view of orders that the
    // collection tests read.
    static std::vector<ColumnSpec> OrderColumns();
    // The same view note saved in a database of its own (made at the first call): a collection of it over
    // db_'s documents makes every row in memory at once, which is what a collection that reads its stored
    // rows on demand must give. OpenApart opens that collection.
    NOTEID SaveViewApart(const std::string& title, const std::vector<ColumnSpec>& columns,
                         const std::string& selection = "");
    HCOLLECTION OpenApart(NOTEID view);

    // The stored "$ViewFormat" value of the columns (type word first).
    static std::string FormatValue(const std::vector<ColumnSpec>& columns,
                                   uint8_t version = VIEW_FORMAT_VERSION);
    static std::string Compiled(const std::string& formula);
    // Stores a view note; an empty selection selects every document.
    NOTEID SaveView(const std::string& title, const std::vector<ColumnSpec>& columns,
                    const std::string& selection = "");
    // Stores a note of class noteClass with these raw items (name, type, value after the type word).
    NOTEID SaveRaw(uint16_t noteClass,
                   const std::vector<std::tuple<std::string, uint16_t, std::string>>& items);
    NOTEID SaveDocument(const std::vector<ItemSpec>& items, NOTEID parent = 0);
    // Replaces the items of a stored document and saves it again.
    void UpdateDocument(NOTEID id, const std::vector<ItemSpec>& items);

    HCOLLECTION Open(NOTEID view);
    // Every entry from the start, read with skip 1 on from the position each read leaves.
    std::vector<EntryRow> ReadAll(HCOLLECTION c, uint32_t mask = kEntryMask);
    // Entries of one buffer.
    static std::vector<EntryRow> ParseEntries(const std::string& buffer, uint32_t mask);
    static std::string BlockBytes(DHANDLE block, uint16_t length);

    // One ReadEntries as it answered: its counts, signal flags and the bytes of its buffer (empty without
    // one).
    struct RawRead {
        STATUS status = NOERROR;
        uint32_t skipped = 0, returned = 0;
        uint16_t signal = 0;
        std::string bytes;
    };
    static RawRead ReadRaw(HCOLLECTION c, CollectionPosition& pos, uint16_t skipCode, uint32_t skipCount,
                           uint16_t returnCode, uint32_t returnCount, uint32_t mask);

    static CollectionPosition Position(std::initializer_list<uint32_t> path);
    static std::string PathOf(const CollectionPosition& p);

    DBHANDLE db_ = 0;
    DBHANDLE apart_ = 0; // the database of SaveViewApart
};

} // namespace nnotes::testing
