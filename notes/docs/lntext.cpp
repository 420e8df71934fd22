#include "lntext.h"

#include "lnassert.h"
#include "lnerrors.h"

namespace {

LNTextBody* TextBodyOf(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNTEXTBODY) throw LNERR_CONVERSION;
    return static_cast<LNTextBody*>(body);
}

} // namespace

LNTextElement::LNTextElement(LNTextBody* body, uint32_t index) : Body(body), Index(index) {
    LN_ASSERT(body != nullptr, "lntext", 84);
    LN_ASSERT(index < body->GetCount(), "lntext", 87);
    Body->AddReference();
}

LNTextElement::LNTextElement(const LNTextElement& other)
    : LNNotesClass(other), Body(other.Body), Index(other.Index) {
    Body->AddReference();
}

LNTextElement::~LNTextElement() {
    try {
        if (Body->ReleaseReference() == 0) delete Body;
    } catch (LNSTATUS) {
        // Reported by the assertion box already.
    }
}

LNString LNTextElement::GetText() const {
    return Body->GetEntry(Index);
}

LNTextElement& LNTextElement::operator=(const LNString& text) {
    if (const LNSTATUS status = Body->Insert(Index, text)) throw status;
    if (const LNSTATUS status = Body->Delete(Index + 1, 1)) throw status;
    return *this;
}

LNText::LNText(const LNItem& item) : LNItem(item) {
    TextBodyOf(item);
}

LNText& LNText::operator=(const LNText& other) {
    LNItem::operator=(other);
    return *this;
}

LNText& LNText::operator=(const LNItem& item) {
    TextBodyOf(item);
    LNItem::operator=(item);
    return *this;
}

uint32_t LNText::GetCount() const {
    return IsNull() ? 0 : GetTextBody()->GetCount();
}

LNTextElement LNText::operator[](uint32_t index) const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    if (index >= GetCount()) throw LNERR_INVALID_PARAMETER;
    return LNTextElement(GetTextBody(), index);
}

LNSTATUS LNText::Insert(uint32_t index, const LNString& text) {
    if (!IsNull()) return LNReturnOrThrow(GetTextBody()->Insert(index, text));
    if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return SetText(text);
}

LNSTATUS LNText::Insert(uint32_t index, const LNText& other) {
    if (!IsNull()) return LNReturnOrThrow(GetTextBody()->Insert(index, other));
    if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return SetText(other);
}

LNSTATUS LNText::Append(const LNString& text) {
    return Insert(GetCount(), text);
}

LNSTATUS LNText::Append(const LNText& other) {
    return Insert(GetCount(), other);
}

LNText& LNText::operator<<(const LNString& text) {
    if (const LNSTATUS status = Append(text)) throw status;
    return *this;
}

LNText& LNText::operator<<(const LNText& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}

LNSTATUS LNText::SetText(const LNString& text) {
    if (!IsNull()) return LNReturnOrThrow(GetTextBody()->SetText(text));
    return Attach([&](LNTextBody* body) { return body->SetText(text); });
}

LNSTATUS LNText::SetText(const LNText& other) {
    if (other.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!IsNull()) return LNReturnOrThrow(GetTextBody()->SetText(other));
    return Attach([&](LNTextBody* body) { return body->SetText(other); });
}

LNSTATUS LNText::Attach(const std::function<LNSTATUS(LNTextBody*)>& fill) {
    // A new free-standing value starts as an empty list; the handle takes it only once it is filled.
    LNTextBody* body = new LNTextBody(static_cast<const void*>(""), nnotes::TYPE_TEXT, 0);
    if (const LNSTATUS status = fill(body)) {
        delete body;
        return LNReturnOrThrow(status);
    }
    SetItemBody(nullptr, body);
    return LNNOERROR;
}

LNSTATUS LNText::Delete(uint32_t index, uint32_t count) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetTextBody()->Delete(index, count));
}

LNSTATUS LNText::DeleteAll() {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetTextBody()->DeleteAll());
}
