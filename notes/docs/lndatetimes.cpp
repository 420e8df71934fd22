#include "ln/lndatetimes.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"
#include "util/coding.h"

template <>
LNDatetime LNSingleListBody<LNDatetime>::FromEntry(const std::array<uint8_t, 8>& entry) {
    return LNDatetime(
        nnotes::Instant{{util::DecodeFixed32(entry.data()), util::DecodeFixed32(entry.data() + 4)}});
}

template <>
std::array<uint8_t, 8> LNSingleListBody<LNDatetime>::ToEntry(const LNDatetime& value) {
    std::array<uint8_t, 8> entry;
    util::EncodeFixed32(entry.data(), value.GetRawValue()->words[0]);
    util::EncodeFixed32(entry.data() + 4, value.GetRawValue()->words[1]);
    return entry;
}

LNDatetimesBody::LNDatetimesBody(nnotes::BLOCKID value, uint32_t size)
    : LNSingleListBody(value, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimesBody::LNDatetimesBody(const void* value, uint16_t nsfType, uint32_t size)
    : LNSingleListBody(
          (LN_ASSERT(value != nullptr && (nsfType == nnotes::TYPE_TIME || nsfType == nnotes::TYPE_TIME_RANGE),
                     "lndts", 1223),
           value),
          nsfType, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimesBody::LNDatetimesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                                 nnotes::BLOCKID value, uint32_t size)
    : LNSingleListBody(note, item, nsfType, flags, value, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNSTATUS LNDatetimesBody::Insert(uint32_t index, const LNDatetimes& other) {
    return InsertList(index, other.GetDatetimesBody());
}

LNDatetimes& LNDatetimes::operator+=(const LNDatetime& date) {
    if (const LNSTATUS status = Append(date)) throw status;
    return *this;
}

LNDatetimes& LNDatetimes::operator+=(const LNDatetimes& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}
