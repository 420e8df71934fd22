#include "ln/lndatetimeranges.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"
#include "util/coding.h"

#include <algorithm>

namespace {

// Entries are stored little-endian: an instant as its two words, low first; a pair as begin, then end.
nnotes::Instant InstantAt(const uint8_t* at) {
    return {{util::DecodeFixed32(at), util::DecodeFixed32(at + 4)}};
}

void PutInstant(uint8_t* at, const nnotes::Instant& instant) {
    util::EncodeFixed32(at, instant.words[0]);
    util::EncodeFixed32(at + 4, instant.words[1]);
}

} // namespace

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
        const nnotes::Instant instant = InstantAt(value.singles[index].data());
        return LNDatetimeRange(&instant);
    }
    if (index - value.singles.size() >= value.pairs.size()) throw LNERR_INVALID_PARAMETER;
    const uint8_t* pair = value.pairs[index - value.singles.size()].data();
    return LNDatetimeRange(nnotes::TimeRange{InstantAt(pair), InstantAt(pair + 8)});
}

LNSTATUS LNDatetimeRangesBody::Insert(uint32_t index, const LNDatetime& date) {
    LNListValue entry;
    entry.singles.emplace_back();
    PutInstant(entry.singles.back().data(), *date.GetRawValue());
    return InsertSingles(index, entry);
}

LNSTATUS LNDatetimeRangesBody::Insert(uint32_t index, const LNDatetimeRange& range) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    const uint64_t singles = value.singles.size();
    if (index < singles || index > singles + value.pairs.size()) return LNERR_INVALID_PARAMETER;
    std::array<uint8_t, 16> pair;
    PutInstant(pair.data(), range.GetRawValue()->begin);
    PutInstant(pair.data() + 8, range.GetRawValue()->end);
    value.pairs.insert(value.pairs.begin() + (index - singles), pair);
    return Store(value);
}

namespace {

std::array<uint8_t, 8> InstantEntry(const LNDatetime& date) {
    std::array<uint8_t, 8> entry;
    PutInstant(entry.data(), *date.GetRawValue());
    return entry;
}

std::array<uint8_t, 16> PairEntry(const LNDatetimeRange& range) {
    std::array<uint8_t, 16> entry;
    PutInstant(entry.data(), range.GetRawValue()->begin);
    PutInstant(entry.data() + 8, range.GetRawValue()->end);
    return entry;
}

} // namespace

LNSTATUS LNDatetimeRangesBody::Insert(uint32_t index, const LNDatetimeRanges& other) {
    LNListValue entries;
    if (other.IsNull()) return LNERR_INVALID_PARAMETER;
    if (const LNSTATUS status = other.GetRangesBody()->Read(&entries)) return status;
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    const uint64_t singles = value.singles.size();
    if (index > singles + value.pairs.size()) return LNERR_INVALID_PARAMETER;
    const uint64_t instantsAt = std::min<uint64_t>(index, singles);
    const uint64_t rangesAt = index > singles ? index - singles : 0;
    value.singles.insert(value.singles.begin() + instantsAt, entries.singles.begin(), entries.singles.end());
    value.pairs.insert(value.pairs.begin() + rangesAt, entries.pairs.begin(), entries.pairs.end());
    return Store(value);
}

LNSTATUS LNDatetimeRangesBody::Replace(uint32_t index, const LNDatetime& date) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    const uint64_t singles = value.singles.size();
    if (index >= singles + value.pairs.size()) return LNERR_INVALID_PARAMETER;
    if (index < singles) {
        value.singles[index] = InstantEntry(date);
    } else {
        value.pairs.erase(value.pairs.begin() + (index - singles));
        value.singles.push_back(InstantEntry(date));
    }
    return Store(value);
}

LNSTATUS LNDatetimeRangesBody::Replace(uint32_t index, const LNDatetimeRange& range) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    const uint64_t singles = value.singles.size();
    if (index >= singles + value.pairs.size()) return LNERR_INVALID_PARAMETER;
    if (index >= singles) {
        value.pairs[index - singles] = PairEntry(range);
    } else {
        value.singles.erase(value.singles.begin() + index);
        value.pairs.insert(value.pairs.begin(), PairEntry(range));
    }
    return Store(value);
}

LNDatetimeRangesElement& LNDatetimeRangesElement::operator=(const LNDatetimeRange& range) {
    if (const LNSTATUS status = Body()->Replace(GetIndex(), range)) throw status;
    return *this;
}

LNDatetimeRangesElement& LNDatetimeRangesElement::operator=(const LNDatetime& date) {
    if (const LNSTATUS status = Body()->Replace(GetIndex(), date)) throw status;
    return *this;
}

LNDatetimeRangesElement& LNDatetimeRangesElement::operator=(const LNDatetimeRangesElement& other) {
    if (this == &other) return *this;
    const LNDatetimeRange range = other.GetValue();
    if (other.Body()->IsDatetime(other.GetIndex())) return *this = range.GetBegin();
    return *this = range;
}

LNSTATUS LNDatetimeRanges::Append(const LNDatetimeRanges& other) {
    if (IsNull()) return Insert(0, other);
    LNListValue entries;
    if (const LNSTATUS status = EntriesOf(other, &entries)) return LNReturnOrThrow(status);
    LNListValue value;
    if (const LNSTATUS status = ListBody()->Read(&value)) return LNReturnOrThrow(status);
    value.singles.insert(value.singles.end(), entries.singles.begin(), entries.singles.end());
    value.pairs.insert(value.pairs.end(), entries.pairs.begin(), entries.pairs.end());
    return SetEntries(value);
}

LNDatetimeRanges& LNDatetimeRanges::operator+=(const LNDatetimeRange& range) {
    if (const LNSTATUS status = Append(range)) throw status;
    return *this;
}

LNDatetimeRanges& LNDatetimeRanges::operator+=(const LNDatetime& date) {
    if (const LNSTATUS status = Append(date)) throw status;
    return *this;
}

LNDatetimeRanges& LNDatetimeRanges::operator+=(const LNDatetimeRanges& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}

LNSTATUS LNDatetimeRanges::SetValue(const LNDatetimeRange& range) {
    LNListValue value;
    value.pairs.push_back(PairEntry(range));
    return SetEntries(value);
}

LNSTATUS LNDatetimeRanges::SetValue(const LNDatetime& date) {
    LNListValue value;
    value.singles.push_back(InstantEntry(date));
    return SetEntries(value);
}
