#include "ln/lntext.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/note.h"

LNText::LNText(const LNItem& item) : LNItem(item) {
    LNBodyOfClass<LNTextBody>(item, LNCLASSID_LNTEXTBODY);
}

LNText& LNText::operator=(const LNText& other) {
    LNItem::operator=(other);
    return *this;
}

LNText& LNText::operator=(const LNItem& item) {
    LNBodyOfClass<LNTextBody>(item, LNCLASSID_LNTEXTBODY);
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
