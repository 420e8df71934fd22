#include "lndatetimes.h"

#include "lnassert.h"
#include "lnerrors.h"

#include <cstring>

namespace {

LNListValue One(const LNDatetime& date) {
    LNListValue value;
    value.singles.emplace_back();
    std::memcpy(value.singles.back().data(), date.GetRawValue(), sizeof(nnotes::Instant));
    return value;
}

LNDatetimesBody* DatetimesBodyOf(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNDATETIMESBODY) throw LNERR_CONVERSION;
    return static_cast<LNDatetimesBody*>(body);
}

} // namespace

LNDatetimesBody::LNDatetimesBody(nnotes::BLOCKID value, uint32_t size)
    : LNListBody(value, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimesBody::LNDatetimesBody(const void* value, uint16_t nsfType, uint32_t size)
    : LNListBody(
          (LN_ASSERT(value != nullptr && (nsfType == nnotes::TYPE_TIME || nsfType == nnotes::TYPE_TIME_RANGE),
                     "lndts", 1223),
           value),
          nsfType, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetimesBody::LNDatetimesBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                                 nnotes::BLOCKID value, uint32_t size)
    : LNListBody(note, item, nsfType, flags, value, size, nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE) {}

LNDatetime LNDatetimesBody::GetEntry(uint32_t index) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) throw status;
    if (index >= value.singles.size()) throw LNERR_INVALID_PARAMETER;
    nnotes::Instant instant;
    std::memcpy(&instant, value.singles[index].data(), sizeof instant);
    return LNDatetime(instant);
}

LNSTATUS LNDatetimesBody::Insert(uint32_t index, const LNDatetime& date) {
    return InsertSingles(index, One(date));
}

LNSTATUS LNDatetimesBody::Insert(uint32_t index, const LNDatetimes& other) {
    LNDatetimesBody* source = other.GetDatetimesBody();
    if (source == nullptr) return LNERR_INVALID_PARAMETER;
    LNListValue entries;
    if (const LNSTATUS status = source->Read(&entries)) return status;
    return InsertSingles(index, entries);
}

LNDatetimesElement::LNDatetimesElement(LNDatetimesBody* body, uint32_t index) : Body(body), Index(index) {
    LN_ASSERT(body != nullptr, "lndts", 191);
    LN_ASSERT(index < body->GetCount(), "lndts", 194);
    Body->AddReference();
}

LNDatetimesElement::LNDatetimesElement(const LNDatetimesElement& other)
    : LNNotesClass(other), Body(other.Body), Index(other.Index) {
    Body->AddReference();
}

LNDatetimesElement::~LNDatetimesElement() {
    try {
        if (Body->ReleaseReference() == 0) delete Body;
    } catch (LNSTATUS) {
        // Reported by the assertion box already.
    }
}

LNDatetimesElement& LNDatetimesElement::operator=(const LNDatetime& date) {
    if (const LNSTATUS status = Body->Insert(Index, date)) throw status;
    if (const LNSTATUS status = Body->Delete(Index + 1, 1)) throw status;
    return *this;
}

LNDatetimes::LNDatetimes(const LNItem& item) : LNItem(item) {
    DatetimesBodyOf(item);
}

LNDatetimes& LNDatetimes::operator=(const LNDatetimes& other) {
    LNItem::operator=(other);
    return *this;
}

LNDatetimes& LNDatetimes::operator=(const LNItem& item) {
    DatetimesBodyOf(item);
    LNItem::operator=(item);
    return *this;
}

uint32_t LNDatetimes::GetCount() const {
    return IsNull() ? 0 : GetDatetimesBody()->GetCount();
}

LNDatetimesElement LNDatetimes::operator[](uint32_t index) const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    if (index >= GetCount()) throw LNERR_INVALID_PARAMETER;
    return LNDatetimesElement(GetDatetimesBody(), index);
}

LNSTATUS LNDatetimes::Insert(uint32_t index, const LNDatetime& date) {
    if (!IsNull()) return LNReturnOrThrow(GetDatetimesBody()->Insert(index, date));
    if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    auto* body = new LNDatetimesBody(date.GetRawValue(), nnotes::TYPE_TIME, sizeof(nnotes::Instant));
    body->SetDirty(true);
    SetItemBody(nullptr, body);
    return LNNOERROR;
}

LNSTATUS LNDatetimes::Insert(uint32_t index, const LNDatetimes& other) {
    if (!IsNull()) return LNReturnOrThrow(GetDatetimesBody()->Insert(index, other));
    if (index != 0 || other.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNListValue entries;
    if (const LNSTATUS status = other.GetDatetimesBody()->Read(&entries)) return LNReturnOrThrow(status);
    auto* body = new LNDatetimesBody(nnotes::NULLBLOCKID, 0);
    if (const LNSTATUS status = body->Store(entries)) {
        delete body;
        return LNReturnOrThrow(status);
    }
    SetItemBody(nullptr, body);
    return LNNOERROR;
}

LNDatetimes& LNDatetimes::operator+=(const LNDatetime& date) {
    if (const LNSTATUS status = Append(date)) throw status;
    return *this;
}

LNDatetimes& LNDatetimes::operator+=(const LNDatetimes& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}

LNSTATUS LNDatetimes::Delete(uint32_t index, uint32_t count) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetDatetimesBody()->Delete(index, count));
}

LNSTATUS LNDatetimes::DeleteAll() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetDatetimesBody()->DeleteAll());
}
