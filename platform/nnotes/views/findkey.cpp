// FindByKey: the first main document whose sorted columns match a list of keys.
#include "util/coding.h"
#include "views/collection_handle.h"
#include "views/collection_navigate.h"
#include "views/view_itemtable.h"
#include "views/view_sortkey.h"

namespace nnotes {
namespace views {
namespace {

constexpr uint16_t kKnownFlags =
    FIND_PARTIAL | FIND_CASE_INSENSITIVE | FIND_ACCENT_INSENSITIVE | FIND_UPDATE_IF_NOT_FOUND;

STATUS ReadKeys(const void* table, std::vector<SortValue>& keys) {
    const uint16_t total = util::DecodeFixed16(static_cast<const char*>(table));
    std::vector<TableItem> items;
    if (!ParseItemTable(table, total, items) || items.empty()) return ERR_FIND_KEYS;
    for (const TableItem& item : items) {
        const uint16_t type = item.value.size() >= 2 ? util::DecodeFixed16(item.value.data()) : 0;
        const size_t data = item.value.size() - std::min(item.value.size(), sizeof type);
        const bool wellFormed = (type == TYPE_TEXT && item.value.size() >= sizeof type) ||
                                ((type == TYPE_NUMBER || type == TYPE_TIME) && data == 8);
        if (!wellFormed) return ERR_FIND_KEYS;
        keys.push_back(FirstValueOf(item.value));
    }
    return NOERROR;
}

class Matcher {
public:
    explicit Matcher(uint16_t flags)
        : partial_((flags & FIND_PARTIAL) != 0),
          compare_(static_cast<uint16_t>(((flags & FIND_CASE_INSENSITIVE) ? COMPARE_IGNORE_CASE : 0) |
                                         ((flags & FIND_ACCENT_INSENSITIVE) ? COMPARE_IGNORE_ACCENTS : 0))) {}

    bool Matches(const SortValue& key, const SortValue& value) const {
        if (key.kind != value.kind) return false;
        switch (key.kind) {
        case SortValue::Number:
            return key.number == value.number;
        case SortValue::Time:
            return key.time.words[0] == value.time.words[0] &&
                   (key.time.words[1] & 0x00FFFFFF) == (value.time.words[1] & 0x00FFFFFF);
        case SortValue::Text:
            return TextMatches(key.text, value.text);
        case SortValue::Empty:
            return true;
        }
        return false;
    }

private:
    bool TextMatches(const std::string& key, const std::string& value) const {
        if (key.size() > UINT16_MAX || value.size() > UINT16_MAX) return false;
        const auto keyLength = static_cast<uint16_t>(key.size());
        auto valueLength = static_cast<uint16_t>(value.size());
        const NLSInfo* info = nullptr;
        if (partial_ && GetNLSInfo(&info) == NOERROR) {
            uint16_t chars = 0, bytes = 0;
            if (NLSStringChars(key.data(), keyLength, &chars, info) == NOERROR &&
                NLSStringBytes(value.data(), valueLength, chars, &bytes, info) == NOERROR)
                valueLength = bytes;
        }
        int order = 1;
        return CompareText(key.data(), keyLength, value.data(), valueLength, compare_, &order) == NOERROR &&
               order == 0;
    }

    bool partial_;
    uint16_t compare_;
};

} // namespace
} // namespace views

STATUS FindByKey(HCOLLECTION collection, const void* keyTable, uint16_t findFlags, CollectionPosition* found,
                 uint32_t* count) {
    using namespace views;
    std::shared_ptr<Collection> c;
    if (STATUS s = CollectionOf(collection, c)) return s;
    if (count) *count = 0;
    if (keyTable == nullptr || found == nullptr) return ERR_MISSING_ARGUMENT;
    if ((findFlags & ~kKnownFlags) != 0) return ERR_FIND_FLAGS;
    std::vector<SortValue> keys;
    if (STATUS s = ReadKeys(keyTable, keys)) return s;

    std::lock_guard<std::mutex> guard(c->lock);
    CollectionData& d = *c->data;
    if (keys.size() > d.View().sortColumns.size()) return ERR_FIND_KEYS;
    const Matcher matcher(findFlags);
    uint32_t first = kNoEntry, matches = 0;
    std::vector<TableItem> values;
    const STATUS read = d.EachDocumentSortValues([&](uint32_t i, std::string_view sortValues) {
        if (!ParseItemTable(sortValues.data(), sortValues.size(), values) || values.size() < keys.size())
            return;
        bool all = true;
        for (size_t k = 0; k < keys.size() && all; ++k)
            all = matcher.Matches(keys[k], FirstValueOf(values[k].value));
        if (!all) return;
        if (first == kNoEntry) first = i;
        ++matches;
    });
    // A row that could not be read is the search's failure, not a key that is not there.
    if (read != NOERROR) return read;
    if (first == kNoEntry) return ERR_NOT_FOUND;
    PositionOf(d, first, *found);
    if (count) *count = matches;
    return NOERROR;
}

} // namespace nnotes
