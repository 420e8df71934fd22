#include "lndatetimeranges.h"

#include "lnassert.h"
#include "lnerrors.h"

#include <cstring>

LNDatetimeRangesBody::LNDatetimeRangesBody(nnotes::BLOCKID value, uint32_t size)
    : LNListBody(value, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimeRangesBody::LNDatetimeRangesBody(const void* value, uint16_t nsfType, uint32_t size)
    : LNListBody((LN_ASSERT(value != nullptr && nsfType == nnotes::TYPE_TIME_RANGE, "lndtrs", 1223), value),
                 nsfType, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimeRangesBody::LNDatetimeRangesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType,
                                           uint16_t flags, nnotes::BLOCKID value, uint32_t size)
    : LNListBody(note, item, nsfType, flags, value, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimeRange LNDatetimeRangesBody::GetEntry(uint32_t index) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) throw status;
    if (index < value.singles.size()) {
        nnotes::Instant instant;
        std::memcpy(&instant, value.singles[index].data(), sizeof instant);
        return LNDatetimeRange(&instant);
    }
    if (index - value.singles.size() >= value.pairs.size()) throw LNERR_INVALID_PARAMETER;
    nnotes::TimeRange range;
    std::memcpy(&range, value.pairs[index - value.singles.size()].data(), sizeof range);
    return LNDatetimeRange(range);
}

LNSTATUS LNDatetimeRangesBody::Insert(uint32_t index, const LNDatetime& date) {
    LNListValue entry;
    entry.singles.emplace_back();
    std::memcpy(entry.singles.back().data(), date.GetRawValue(), sizeof(nnotes::Instant));
    return InsertSingles(index, entry);
}

LNSTATUS LNDatetimeRangesBody::Insert(uint32_t index, const LNDatetimeRange& range) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    const uint64_t singles = value.singles.size();
    if (index < singles || index > singles + value.pairs.size()) return LNERR_INVALID_PARAMETER;
    std::array<uint8_t, 16> pair;
    std::memcpy(pair.data(), range.GetRawValue(), pair.size());
    value.pairs.insert(value.pairs.begin() + (index - singles), pair);
    return Store(value);
}
