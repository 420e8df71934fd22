#include "ln/lnrichtext.h"
#include "ln/lnerrors.h"

LNRichText::LNRichText(const LNString& text) {
    Append(text);
}

LNRichText& LNRichText::operator=(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNRICHTEXTBODY) throw LNERR_CONVERSION;
    SetItemBody(item.GetNote().GetNoteBody(), body);
    return *this;
}

LNRichTextBody* LNRichText::Ensure() {
    if (IsNull()) SetItemBody(nullptr, new LNRichTextBody());
    return GetRichTextBody();
}

LNSTATUS LNRichText::GetText(LNString* text) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->GetText(text);
}

uint32_t LNRichText::GetValueSize() const {
    return Require()->GetValueSize();
}

LNSTATUS LNRichText::Assign(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (body->GetClassID() != LNCLASSID_LNRICHTEXTBODY)
        return LNReturnOrThrow(LNERR_INAPPROPRIATE_FOR_OBJECT);
    LNRichText copy;
    if (const LNSTATUS status = copy.Ensure()->Assign(static_cast<LNRichTextBody*>(body)))
        return LNReturnOrThrow(status);
    *this = copy;
    return LNNOERROR;
}

LNSTATUS LNRichText::Flush(const LNString* name) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->Flush(name);
}

LNSTATUS LNRichText::Append(const LNString& text) {
    return Ensure()->Append(text);
}

LNSTATUS LNRichText::Append(const LNRichText& other) {
    if (other.IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return Ensure()->Append(other.GetRichTextBody());
}

LNSTATUS LNRichText::Append(const LNRTObject& object) {
    return Ensure()->Append(object);
}

LNSTATUS LNRichText::GetFirstChild(LNRTObject* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->GetFirstChild(out);
}

LNSTATUS LNRichText::RemoveChild(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->RemoveChild(object);
}

LNSTATUS LNRichText::GetRTContainer(LNRTContainer* out) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->GetRTContainer(out);
}
