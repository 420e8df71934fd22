#include "views/view_itemtable.h"
#include "util/coding.h"

namespace nnotes::views {
namespace {

constexpr size_t kHeader = 4, kPerItem = 4;

} // namespace

std::string BuildItemTable(const std::vector<TableItem>& items, size_t limit) {
    size_t total = kHeader + kPerItem * items.size();
    for (const TableItem& item : items)
        total += item.name.size() + item.value.size();
    std::vector<size_t> valueSizes;
    for (const TableItem& item : items)
        valueSizes.push_back(item.value.size());
    for (size_t i = items.size(); total > limit && i-- > 0;) {
        total -= valueSizes[i];
        valueSizes[i] = 0;
    }
    std::string out;
    out.reserve(total);
    util::PutFixed16(&out, static_cast<uint16_t>(total));
    util::PutFixed16(&out, static_cast<uint16_t>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        util::PutFixed16(&out, static_cast<uint16_t>(items[i].name.size()));
        util::PutFixed16(&out, static_cast<uint16_t>(valueSizes[i]));
    }
    for (size_t i = 0; i < items.size(); ++i) {
        out.append(items[i].name);
        out.append(items[i].value.substr(0, valueSizes[i]));
    }
    return out;
}

bool ParseItemTable(const void* data, size_t available, std::vector<TableItem>& items, size_t* size) {
    items.clear();
    if (data == nullptr || available < kHeader) return false;
    const char* p = static_cast<const char*>(data);
    const size_t total = util::DecodeFixed16(p), count = util::DecodeFixed16(p + 2);
    if (total > available || total < kHeader || count > (total - kHeader) / kPerItem) return false;
    size_t at = kHeader + kPerItem * count;
    items.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t nameLength = util::DecodeFixed16(p + kHeader + kPerItem * i);
        const size_t valueLength = util::DecodeFixed16(p + kHeader + kPerItem * i + 2);
        if (nameLength + valueLength > total - at) return false;
        items[i].name = std::string_view(p + at, nameLength);
        items[i].value = std::string_view(p + at + nameLength, valueLength);
        at += nameLength + valueLength;
    }
    if (at != total) return false;
    if (size != nullptr) *size = total;
    return true;
}

bool CheckItemTable(const void* data, size_t available, size_t* count, size_t* size) {
    if (data == nullptr || available < kHeader) return false;
    const char* p = static_cast<const char*>(data);
    const size_t total = util::DecodeFixed16(p), items = util::DecodeFixed16(p + 2);
    if (total > available || total < kHeader || items > (total - kHeader) / kPerItem) return false;
    size_t at = kHeader + kPerItem * items;
    for (size_t i = 0; i < items; ++i) {
        const size_t nameLength = util::DecodeFixed16(p + kHeader + kPerItem * i);
        const size_t valueLength = util::DecodeFixed16(p + kHeader + kPerItem * i + 2);
        if (nameLength + valueLength > total - at) return false;
        at += nameLength + valueLength;
    }
    if (at != total) return false;
    if (count != nullptr) *count = items;
    if (size != nullptr) *size = total;
    return true;
}

} // namespace nnotes::views
