#include "ln/lnnumbers.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "util/coding.h"

#include <bit>

template <>
double LNSingleListBody<double>::FromEntry(const std::array<uint8_t, 8>& entry) {
    return std::bit_cast<double>(util::DecodeFixed64(entry.data()));
}

template <>
std::array<uint8_t, 8> LNSingleListBody<double>::ToEntry(const double& value) {
    std::array<uint8_t, 8> entry;
    util::EncodeFixed64(entry.data(), std::bit_cast<uint64_t>(value));
    return entry;
}

LNNumbersBody::LNNumbersBody(nnotes::BLOCKID value, uint32_t size)
    : LNSingleListBody(value, size, nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE) {}

LNNumbersBody::LNNumbersBody(const void* value, uint16_t nsfType, uint32_t size)
    : LNSingleListBody((LN_ASSERT(value != nullptr && (nsfType == nnotes::TYPE_NUMBER ||
                                                       nsfType == nnotes::TYPE_NUMBER_RANGE),
                                  "lnnum", 1223),
                        value),
                       nsfType, size, nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE) {}

LNNumbersBody::LNNumbersBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                             nnotes::BLOCKID value, uint32_t size)
    : LNSingleListBody(note, item, nsfType, flags, value, size, nnotes::TYPE_NUMBER,
                       nnotes::TYPE_NUMBER_RANGE) {}

LNSTATUS LNNumbersBody::Insert(uint32_t index, const LNNumbers& other) {
    return InsertList(index, other.GetNumbersBody());
}

LNNumbers& LNNumbers::operator+=(double number) {
    if (const LNSTATUS status = Append(number)) throw status;
    return *this;
}

LNNumbers& LNNumbers::operator+=(const LNNumbers& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}
