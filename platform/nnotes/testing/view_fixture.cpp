#include "testing/view_fixture.h"
#include "util/coding.h"

#include <bit>
#include <cstring>
#include <utility>

namespace nnotes::testing {
namespace {

// A field of the ReadEntries buffer's entry header, in host order.
template <class T>
T Get(const std::string& in, size_t& at) {
    T value{};
    if (at + sizeof value <= in.size()) std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return value;
}

// A word of a stored value or of an item table, which are little-endian.
uint16_t Word(const std::string& in, size_t& at) {
    const uint16_t value = at + 2 <= in.size() ? util::DecodeFixed16(in.data() + at) : 0;
    at += 2;
    return value;
}

std::string ItemValue(const ItemSpec& item) {
    std::string out;
    if (item.type == TYPE_TEXT) return item.texts.at(0);
    if (item.type == TYPE_NUMBER) {
        util::PutFixed64(&out, std::bit_cast<uint64_t>(item.numbers.at(0)));
        return out;
    }
    util::PutFixed16(&out, static_cast<uint16_t>(item.texts.size()));
    for (const std::string& t : item.texts)
        util::PutFixed16(&out, static_cast<uint16_t>(t.size()));
    for (const std::string& t : item.texts)
        out += t;
    return out;
}

// The first text of a text or text-list value, or a number in decimal; "" for an empty value.
std::string Readable(const std::string& value) {
    if (value.size() < 2) return "";
    size_t at = 0;
    const auto type = Word(value, at);
    if (type == TYPE_TEXT) return value.substr(2);
    if (type == TYPE_TEXT_LIST) {
        const auto count = Word(value, at);
        if (count == 0) return "";
        const auto length = Word(value, at);
        return value.substr(2 + 2 + 2 * size_t{count}, length);
    }
    if (type == TYPE_NUMBER) {
        const auto n =
            value.size() >= 10 ? std::bit_cast<double>(util::DecodeFixed64(value.data() + 2)) : 0.0;
        std::string text = std::to_string(n);
        return text.substr(0, text.find('.'));
    }
    return "<type " + std::to_string(type) + ">";
}

} // namespace

std::string ViewTest::Compiled(const std::string& formula) {
    DHANDLE block = NULLHANDLE;
    uint16_t length = 0;
    EXPECT_EQ(CompileFormula(formula.data(), static_cast<uint16_t>(formula.size()), &block, &length), NOERROR)
        << formula;
    const std::string out = BlockBytes(block, length);
    FreeBlock(block);
    return out;
}

std::string ViewTest::FormatValue(const std::vector<ColumnSpec>& columns, uint8_t version) {
    ODSViewTableFormat header{};
    header.Version = version;
    header.Columns = static_cast<uint16_t>(columns.size());
    std::vector<ODSViewColumnFormat> records;
    std::string variable;
    for (const ColumnSpec& c : columns) {
        const std::string formula = c.formula.empty() ? "" : Compiled(c.formula);
        ODSViewColumnFormat r{};
        r.Flags = c.flags;
        r.ItemNameSize = static_cast<uint16_t>(c.item.size());
        r.TitleSize = static_cast<uint16_t>(c.title.size());
        r.FormulaSize = static_cast<uint16_t>(formula.size());
        r.ConstantValueSize = static_cast<uint16_t>(c.constant.size());
        records.push_back(r);
        variable += c.item + c.title + formula + c.constant;
    }
    std::string out(2 + ODSLength(ODS_VIEW_TABLE_FORMAT) + ODSLength(ODS_VIEW_COLUMN_FORMAT) * records.size(),
                    '\0');
    util::EncodeFixed16(out.data(), TYPE_VIEW_FORMAT);
    void* at = out.data() + 2;
    EXPECT_EQ(WriteOnDiskStructure(&at, out.size() - 2, ODS_VIEW_TABLE_FORMAT, &header, 1), NOERROR);
    EXPECT_EQ(WriteOnDiskStructure(&at, out.size() - 2 - ODSLength(ODS_VIEW_TABLE_FORMAT),
                                   ODS_VIEW_COLUMN_FORMAT, records.data(),
                                   static_cast<uint16_t>(records.size())),
              NOERROR);
    return out + variable;
}

NOTEID ViewTest::SaveRaw(uint16_t noteClass,
                         const std::vector<std::tuple<std::string, uint16_t, std::string>>& items) {
    NOTEHANDLE note = 0;
    EXPECT_EQ(CreateNote(db_, &note), NOERROR);
    EXPECT_EQ(SetNoteInfo(note, NOTE_INFO_CLASS, &noteClass), NOERROR);
    for (const auto& [name, type, value] : items)
        EXPECT_EQ(AppendItem(note, ITEM_SUMMARY, name.data(), static_cast<uint16_t>(name.size()), type,
                             value.data(), static_cast<uint32_t>(value.size()), nullptr),
                  NOERROR)
            << name;
    EXPECT_EQ(UpdateNote(note, 0), NOERROR);
    NOTEID id = 0;
    EXPECT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
    EXPECT_EQ(CloseNote(note), NOERROR);
    return id;
}

ViewTest::RawRead ViewTest::ReadRaw(HCOLLECTION c, CollectionPosition& pos, uint16_t skipCode,
                                    uint32_t skipCount, uint16_t returnCode, uint32_t returnCount,
                                    uint32_t mask) {
    RawRead r;
    DHANDLE buffer = NULLHANDLE;
    uint16_t length = 0;
    r.status = ReadEntries(c, &pos, skipCode, skipCount, returnCode, returnCount, mask, &buffer, &length,
                           &r.skipped, &r.returned, &r.signal);
    if (buffer != NULLHANDLE) {
        r.bytes = BlockBytes(buffer, length);
        FreeBlock(buffer);
    }
    return r;
}

std::vector<ColumnSpec> ViewTest::OrderColumns() {
    return {{"Region", "Region", VIEW_COLUMN_CATEGORY},
            {"City", "City", VIEW_COLUMN_CATEGORY},
            {"Name", "Name", VIEW_COLUMN_SORT},
            {"Amount", "Amount", VIEW_COLUMN_TOTAL}};
}

NOTEID ViewTest::SaveViewApart(const std::string& title, const std::vector<ColumnSpec>& columns,
                               const std::string& selection) {
    if (apart_ == 0) apart_ = MakeDatabase("design.nsf");
    std::swap(db_, apart_);
    const NOTEID view = SaveView(title, columns, selection);
    std::swap(db_, apart_);
    return view;
}

HCOLLECTION ViewTest::OpenApart(NOTEID view) {
    HCOLLECTION c = 0;
    EXPECT_EQ(OpenCollection(apart_, db_, view, 0, NULLHANDLE, &c), NOERROR);
    return c;
}

NOTEID ViewTest::SaveView(const std::string& title, const std::vector<ColumnSpec>& columns,
                          const std::string& selection) {
    std::vector<std::tuple<std::string, uint16_t, std::string>> items = {
        {FIELD_TITLE, TYPE_TEXT, title},
        {VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT, FormatValue(columns).substr(2)}};
    if (!selection.empty()) items.emplace_back(VIEW_FORMULA_ITEM, TYPE_FORMULA, Compiled(selection));
    return SaveRaw(NOTE_CLASS_VIEW, items);
}

NOTEID ViewTest::SaveDocument(const std::vector<ItemSpec>& items, NOTEID parent) {
    std::vector<std::tuple<std::string, uint16_t, std::string>> raw;
    for (const ItemSpec& item : items)
        raw.emplace_back(item.name, item.type, ItemValue(item));
    if (parent != 0) {
        NOTEHANDLE p = 0;
        EXPECT_EQ(OpenNote(db_, parent, 0, &p), NOERROR);
        ORIGINATORID oid{};
        EXPECT_EQ(GetNoteInfo(p, NOTE_INFO_OID, &oid), NOERROR);
        CloseNote(p);
        std::string ref;
        util::PutFixed16(&ref, 1);
        ref.resize(2 + ODSLength(ODS_UNIVERSALID));
        void* unid = ref.data() + 2;
        EXPECT_EQ(WriteOnDiskStructure(&unid, ref.size() - 2, ODS_UNIVERSALID, &oid, 1), NOERROR);
        raw.emplace_back(FIELD_REF, TYPE_NOTEREF_LIST, ref);
    }
    return SaveRaw(NOTE_CLASS_DOCUMENT, raw);
}

void ViewTest::UpdateDocument(NOTEID id, const std::vector<ItemSpec>& items) {
    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
    for (const ItemSpec& item : items) {
        DeleteItem(note, item.name.data(), static_cast<uint16_t>(item.name.size()));
        const std::string value = ItemValue(item);
        EXPECT_EQ(AppendItem(note, ITEM_SUMMARY, item.name.data(), static_cast<uint16_t>(item.name.size()),
                             item.type, value.data(), static_cast<uint32_t>(value.size()), nullptr),
                  NOERROR);
    }
    EXPECT_EQ(UpdateNote(note, 0), NOERROR);
    EXPECT_EQ(CloseNote(note), NOERROR);
}

HCOLLECTION ViewTest::Open(NOTEID view) {
    HCOLLECTION c = 0;
    EXPECT_EQ(OpenCollection(db_, db_, view, 0, NULLHANDLE, &c), NOERROR);
    return c;
}

std::string ViewTest::BlockBytes(DHANDLE block, uint16_t length) {
    const char* p = static_cast<const char*>(LockBlock(block));
    if (p == nullptr) return std::string();
    std::string out(p, length);
    UnlockBlock(block);
    return out;
}

std::vector<EntryRow> ViewTest::ParseEntries(const std::string& buffer, uint32_t mask) {
    std::vector<EntryRow> rows;
    size_t at = 0;
    while (at < buffer.size()) {
        EntryRow row;
        if (mask & READ_MASK_NOTEID) row.id = Get<uint32_t>(buffer, at);
        if (mask & READ_MASK_NOTECLASS) row.noteClass = Get<uint16_t>(buffer, at);
        if (mask & READ_MASK_INDENTLEVELS) row.indent = Get<uint16_t>(buffer, at);
        if (mask & READ_MASK_SCORE) Get<uint16_t>(buffer, at);
        if (mask & READ_MASK_SUMMARY) {
            const size_t start = at;
            const auto total = Word(buffer, at);
            const auto count = Word(buffer, at);
            std::vector<std::pair<uint16_t, uint16_t>> lengths;
            for (uint16_t i = 0; i < count; ++i) {
                const auto n = Word(buffer, at);
                lengths.emplace_back(n, Word(buffer, at));
            }
            for (const auto& [n, v] : lengths) {
                row.names.push_back(buffer.substr(at, n));
                row.values.push_back(Readable(buffer.substr(at + n, v)));
                at += n + v;
            }
            EXPECT_EQ(at - start, total);
            at = start + total;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<EntryRow> ViewTest::ReadAll(HCOLLECTION c, uint32_t mask) {
    std::vector<EntryRow> rows;
    CollectionPosition pos = Position({0});
    for (;;) {
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0, signal = 0;
        uint32_t returned = 0;
        EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFFFFFF, mask, &buffer, &length,
                              nullptr, &returned, &signal),
                  NOERROR);
        if (buffer == NULLHANDLE) break;
        const auto part = ParseEntries(BlockBytes(buffer, length), mask);
        FreeBlock(buffer);
        EXPECT_EQ(part.size(), returned);
        rows.insert(rows.end(), part.begin(), part.end());
        if (!(signal & SIGNAL_MORE_TO_DO)) break;
    }
    return rows;
}

CollectionPosition ViewTest::Position(std::initializer_list<uint32_t> path) {
    CollectionPosition p{};
    p.MaxLevel = MAXTUMBLERLEVELS - 1;
    p.Level = static_cast<uint16_t>(path.size() - 1);
    size_t i = 0;
    for (uint32_t index : path)
        p.EntryIndex[i++] = index;
    return p;
}

std::string ViewTest::PathOf(const CollectionPosition& p) {
    std::string text;
    for (uint16_t l = 0; l <= p.Level && l < MAXTUMBLERLEVELS; ++l)
        text += (l ? "." : "") + std::to_string(p.EntryIndex[l]);
    return text;
}

} // namespace nnotes::testing
