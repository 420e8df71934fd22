#include "store/item_layout.h"
#include "util/coding.h"

namespace nnotes::store {
namespace {

uint16_t WordAt(std::string_view data, size_t offset) {
    return util::DecodeFixed16(data.data() + offset);
}

// [16-bit L][16-bit R][L values of 8 bytes][R pairs of 16 bytes]
bool RangeListFits(std::string_view data) {
    if (data.size() < 4) return false;
    const size_t expected = 4 + size_t{WordAt(data, 0)} * 8 + size_t{WordAt(data, 2)} * 16;
    return data.size() == expected;
}

bool TextListFits(std::string_view data) {
    uint16_t size = 0;
    return GetTextListSize(data.data(), static_cast<uint32_t>(data.size()), false, &size) == NOERROR &&
           size == data.size();
}

// [16-bit count][count universal ids]
bool NoteRefListFits(std::string_view data) {
    return data.size() >= 2 && data.size() == 2 + size_t{WordAt(data, 0)} * sizeof(UNIVERSALID);
}

} // namespace

std::optional<UNIVERSALID> FirstNoteRef(std::string_view value) {
    if (value.size() < 4 + sizeof(UNIVERSALID) || WordAt(value, 0) != TYPE_NOTEREF_LIST ||
        WordAt(value, 2) == 0)
        return std::nullopt;
    UNIVERSALID unid;
    const void* at = value.data() + 4;
    if (ReadOnDiskStructure(&at, value.size() - 4, ODS_UNIVERSALID, &unid, 1) != NOERROR) return std::nullopt;
    return unid;
}

STATUS CheckLayout(uint16_t type, std::string_view data) {
    bool fits = true;
    switch (type) {
    case TYPE_NUMBER:
    case TYPE_TIME:
        fits = data.size() == 8;
        break;
    case TYPE_NUMBER_RANGE:
    case TYPE_TIME_RANGE:
        fits = RangeListFits(data);
        break;
    case TYPE_TEXT_LIST:
        fits = TextListFits(data);
        break;
    case TYPE_NOTEREF_LIST:
        fits = NoteRefListFits(data);
        break;
    default:
        break;
    }
    return fits ? NOERROR : ERR_ITEM_LAYOUT;
}

} // namespace nnotes::store
