#include "lndatetimeranges.h"

#include "lnassert.h"
#include "lnerrors.h"

#include <cstring>

namespace {

LNDatetimeRangesBody* RangesBodyOf(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNDATETIMERANGESBODY) throw LNERR_CONVERSION;
    return static_cast<LNDatetimeRangesBody*>(body);
}

} // namespace

LNDatetimeRangesBody::LNDatetimeRangesBody(nnotes::BLOCKID value, uint32_t size)
    : LNListBody(value, size, nnotes::TYPE_TIME_RANGE, nnotes::TYPE_TIME_RANGE) {}

LNDatetimeRangesBody::LNDatetimeRangesBody(const void* value, uint16_t nsfType, uint32_t size)
    : LNListBody((LN_ASSERT(value != nullptr && nsfType == nnotes::TYPE_TIME_RANGE, "lndtrs", 1223), value),
                 nsfType, size, nnotes::TYPE_TIME_RANGE, nnotes::TYPE_TIME_RANGE) {}

LNDatetimeRangesBody::LNDatetimeRangesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType,
                                           uint16_t flags, nnotes::BLOCKID value, uint32_t size)
    : LNListBody(note, item, nsfType, flags, value, size, nnotes::TYPE_TIME_RANGE, nnotes::TYPE_TIME_RANGE) {}

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

LNDatetimeRangesElement::LNDatetimeRangesElement(LNDatetimeRangesBody* body, uint32_t index)
    : Body(body), Index(index) {
    LN_ASSERT(body != nullptr, "lndtrs", 191);
    LN_ASSERT(index < body->GetCount(), "lndtrs", 194);
    Body->AddReference();
}

LNDatetimeRangesElement::LNDatetimeRangesElement(const LNDatetimeRangesElement& other)
    : LNNotesClass(other), Body(other.Body), Index(other.Index) {
    Body->AddReference();
}

LNDatetimeRangesElement::~LNDatetimeRangesElement() {
    try {
        if (Body->ReleaseReference() == 0) delete Body;
    } catch (LNSTATUS) {
        // Reported by the assertion box already.
    }
}

LNDatetimeRanges::LNDatetimeRanges(const LNItem& item) : LNItem(item) {
    RangesBodyOf(item);
}

LNDatetimeRanges& LNDatetimeRanges::operator=(const LNDatetimeRanges& other) {
    LNItem::operator=(other);
    return *this;
}

LNDatetimeRanges& LNDatetimeRanges::operator=(const LNItem& item) {
    RangesBodyOf(item);
    LNItem::operator=(item);
    return *this;
}

uint32_t LNDatetimeRanges::GetCount() const {
    return IsNull() ? 0 : GetRangesBody()->GetCount();
}

LNDatetimeRangesElement LNDatetimeRanges::operator[](uint32_t index) const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    if (index >= GetCount()) throw LNERR_INVALID_PARAMETER;
    return LNDatetimeRangesElement(GetRangesBody(), index);
}

LNSTATUS LNDatetimeRanges::Insert(uint32_t index, const LNDatetime& date) {
    if (IsNull()) {
        if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        SetItemBody(nullptr, new LNDatetimeRangesBody(nnotes::NULLBLOCKID, 0));
    }
    return LNReturnOrThrow(GetRangesBody()->Insert(index, date));
}

LNSTATUS LNDatetimeRanges::Insert(uint32_t index, const LNDatetimeRange& range) {
    if (IsNull()) {
        if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        SetItemBody(nullptr, new LNDatetimeRangesBody(nnotes::NULLBLOCKID, 0));
    }
    return LNReturnOrThrow(GetRangesBody()->Insert(index, range));
}

LNSTATUS LNDatetimeRanges::Delete(uint32_t index, uint32_t count) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetRangesBody()->Delete(index, count));
}

LNSTATUS LNDatetimeRanges::DeleteAll() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetRangesBody()->DeleteAll());
}
