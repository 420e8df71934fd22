#include "lnnumbers.h"

#include "lnassert.h"
#include "lnerrors.h"

#include <cstring>

namespace {

LNListValue One(double number) {
    LNListValue value;
    value.singles.emplace_back();
    std::memcpy(value.singles.back().data(), &number, sizeof number);
    return value;
}

LNNumbersBody* NumbersBodyOf(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNNUMBERSBODY) throw LNERR_CONVERSION;
    return static_cast<LNNumbersBody*>(body);
}

} // namespace

LNNumbersBody::LNNumbersBody(nnotes::BLOCKID value, uint32_t size)
    : LNListBody(value, size, nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE) {}

LNNumbersBody::LNNumbersBody(const void* value, uint16_t nsfType, uint32_t size)
    : LNListBody((LN_ASSERT(value != nullptr &&
                                (nsfType == nnotes::TYPE_NUMBER || nsfType == nnotes::TYPE_NUMBER_RANGE),
                            "lnnum", 1223),
                  value),
                 nsfType, size, nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE) {}

LNNumbersBody::LNNumbersBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                             nnotes::BLOCKID value, uint32_t size)
    : LNListBody(note, item, nsfType, flags, value, size, nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE) {}

double LNNumbersBody::GetEntry(uint32_t index) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) throw status;
    if (index >= value.singles.size()) throw LNERR_INVALID_PARAMETER;
    double number;
    std::memcpy(&number, value.singles[index].data(), sizeof number);
    return number;
}

LNSTATUS LNNumbersBody::Insert(uint32_t index, double number) {
    return InsertSingles(index, One(number));
}

LNSTATUS LNNumbersBody::Insert(uint32_t index, const LNNumbers& other) {
    LNNumbersBody* source = other.GetNumbersBody();
    if (source == nullptr) return LNERR_INVALID_PARAMETER;
    LNListValue entries;
    if (const LNSTATUS status = source->Read(&entries)) return status;
    return InsertSingles(index, entries);
}

LNNumbersElement::LNNumbersElement(LNNumbersBody* body, uint32_t index) : Body(body), Index(index) {
    LN_ASSERT(body != nullptr, "lnnum", 191);
    LN_ASSERT(index < body->GetCount(), "lnnum", 194);
    Body->AddReference();
}

LNNumbersElement::LNNumbersElement(const LNNumbersElement& other)
    : LNNotesClass(other), Body(other.Body), Index(other.Index) {
    Body->AddReference();
}

LNNumbersElement::~LNNumbersElement() {
    try {
        if (Body->ReleaseReference() == 0) delete Body;
    } catch (LNSTATUS) {
        // Reported by the assertion box already.
    }
}

LNNumbersElement& LNNumbersElement::operator=(double number) {
    if (const LNSTATUS status = Body->Insert(Index, number)) throw status;
    if (const LNSTATUS status = Body->Delete(Index + 1, 1)) throw status;
    return *this;
}

LNNumbers::LNNumbers(const LNItem& item) : LNItem(item) {
    NumbersBodyOf(item);
}

LNNumbers& LNNumbers::operator=(const LNNumbers& other) {
    LNItem::operator=(other);
    return *this;
}

LNNumbers& LNNumbers::operator=(const LNItem& item) {
    NumbersBodyOf(item);
    LNItem::operator=(item);
    return *this;
}

uint32_t LNNumbers::GetCount() const {
    return IsNull() ? 0 : GetNumbersBody()->GetCount();
}

LNNumbersElement LNNumbers::operator[](uint32_t index) const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    if (index >= GetCount()) throw LNERR_INVALID_PARAMETER;
    return LNNumbersElement(GetNumbersBody(), index);
}

LNSTATUS LNNumbers::Insert(uint32_t index, double number) {
    if (!IsNull()) return LNReturnOrThrow(GetNumbersBody()->Insert(index, number));
    if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    auto* body = new LNNumbersBody(&number, nnotes::TYPE_NUMBER, sizeof number);
    body->SetDirty(true);
    SetItemBody(nullptr, body);
    return LNNOERROR;
}

LNSTATUS LNNumbers::Insert(uint32_t index, const LNNumbers& other) {
    if (!IsNull()) return LNReturnOrThrow(GetNumbersBody()->Insert(index, other));
    if (index != 0 || other.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNListValue entries;
    if (const LNSTATUS status = other.GetNumbersBody()->Read(&entries)) return LNReturnOrThrow(status);
    auto* body = new LNNumbersBody(nnotes::NULLBLOCKID, 0);
    if (const LNSTATUS status = body->Store(entries)) {
        delete body;
        return LNReturnOrThrow(status);
    }
    SetItemBody(nullptr, body);
    return LNNOERROR;
}

LNNumbers& LNNumbers::operator+=(double number) {
    if (const LNSTATUS status = Append(number)) throw status;
    return *this;
}

LNNumbers& LNNumbers::operator+=(const LNNumbers& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}

LNSTATUS LNNumbers::Delete(uint32_t index, uint32_t count) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetNumbersBody()->Delete(index, count));
}

LNSTATUS LNNumbers::DeleteAll() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetNumbersBody()->DeleteAll());
}
