#include "testsupport/item_bytes.h"

#include "nnotes/memblock.h"
#include "nnotes/status.h"

#include <limits>

namespace testsupport {
namespace {

ItemBytes Copy(uint16_t type, nnotes::BLOCKID value, uint32_t length) {
    ItemBytes item;
    item.type = type;
    if (const void* pool = nnotes::LockBlock(value.pool)) {
        item.value.assign(static_cast<const char*>(pool) + value.block, length);
        nnotes::UnlockBlock(value.pool);
    }
    return item;
}

} // namespace

std::vector<ItemBytes> ReadItems(nnotes::NOTEHANDLE note, std::string_view name) {
    std::vector<ItemBytes> items;
    if (name.size() > std::numeric_limits<uint16_t>::max()) return items;
    const auto length = static_cast<uint16_t>(name.size());
    nnotes::BLOCKID item{};
    nnotes::BLOCKID value{};
    uint16_t type = 0;
    uint32_t size = 0;
    for (nnotes::STATUS s = nnotes::FindItemByName(note, name.data(), length, &item, &type, &value, &size);
         s == nnotes::NOERROR;
         s = nnotes::FindNextItemByName(note, name.data(), length, item, &item, &type, &value, &size))
        items.push_back(Copy(type, value, size));
    return items;
}

std::optional<ItemBytes> ReadItem(nnotes::NOTEHANDLE note, std::string_view name) {
    if (name.size() > std::numeric_limits<uint16_t>::max()) return std::nullopt;
    nnotes::BLOCKID value{};
    uint16_t type = 0;
    uint32_t size = 0;
    if (nnotes::FindItemByName(note, name.data(), static_cast<uint16_t>(name.size()), nullptr, &type, &value,
                               &size) != nnotes::NOERROR)
        return std::nullopt;
    return Copy(type, value, size);
}

} // namespace testsupport
