#include "views/view_itemtable.h"

#include <cstring>

namespace nnotes::views {
namespace {

constexpr size_t kHeader = 4, kPerItem = 4;

void PutWord(std::string& out, size_t value) {
    const uint16_t word = static_cast<uint16_t>(value);
    out.append(reinterpret_cast<const char*>(&word), sizeof word);
}

uint16_t WordAt(const char* p) {
    uint16_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

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
    PutWord(out, total);
    PutWord(out, items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        PutWord(out, items[i].name.size());
        PutWord(out, valueSizes[i]);
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
    const size_t total = WordAt(p), count = WordAt(p + 2);
    if (total > available || total < kHeader || count > (total - kHeader) / kPerItem) return false;
    size_t at = kHeader + kPerItem * count;
    items.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t nameLength = WordAt(p + kHeader + kPerItem * i);
        const size_t valueLength = WordAt(p + kHeader + kPerItem * i + 2);
        if (nameLength + valueLength > total - at) return false;
        items[i].name = std::string_view(p + at, nameLength);
        items[i].value = std::string_view(p + at + nameLength, valueLength);
        at += nameLength + valueLength;
    }
    if (at != total) return false;
    if (size != nullptr) *size = total;
    return true;
}

} // namespace nnotes::views
