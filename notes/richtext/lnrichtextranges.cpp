#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"

template <typename Operation>
LNSTATUS LNRichText::OnTop(Operation operation) const {
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) return status;
    return LNReturnOrThrow(operation(top.GetContainerBody()));
}

template <typename Operation>
LNSTATUS LNRichText::OnTopAdopting(Operation operation) {
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) return status;
    if (const LNSTATUS status = operation(top.GetContainerBody())) return LNReturnOrThrow(status);
    return LNReturnOrThrow(GetRichTextBody()->AdoptRunFonts(top.GetObjectBody()));
}

LNSTATUS LNRichText::GetStartCursor(LNRTCursor* cursor) const {
    return OnTop([&](LNRTContainerBody* top) { return top->GetStartCursor(cursor); });
}

LNSTATUS LNRichText::GetEndCursor(LNRTCursor* cursor) const {
    return OnTop([&](LNRTContainerBody* top) { return top->GetEndCursor(cursor); });
}

LNSTATUS LNRichText::InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor) {
    return OnTop([&](LNRTContainerBody* top) { return top->InsertTextAtCursor(text, cursor); });
}

LNSTATUS LNRichText::InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object) {
    return OnTopAdopting([&](LNRTContainerBody* top) { return top->InsertObjectAtCursor(cursor, object); });
}

LNSTATUS LNRichText::InsertRichTextAtCursor(const LNRTCursor& cursor, const LNRichText& richText) {
    return OnTopAdopting(
        [&](LNRTContainerBody* top) { return top->InsertRichTextAtCursor(cursor, richText); });
}

LNSTATUS LNRichText::DeleteCount(LNRTCursor* cursor, uint32_t count) {
    return OnTop([&](LNRTContainerBody* top) { return top->DeleteCount(cursor, count); });
}

LNSTATUS LNRichText::CopyCountToRichText(const LNRTCursor& cursor, uint32_t count, LNRichText* out) const {
    return OnTop([&](LNRTContainerBody* top) { return top->CopyCountToRichText(cursor, count, out); });
}

LNSTATUS LNRichText::CopyCountToRichText(const LNRTCursor* cursor, uint32_t count, LNRichText* out) const {
    return OnTop([&](LNRTContainerBody* top) { return top->CopyCountToRichText(cursor, count, out); });
}

LNSTATUS LNRichText::CopyObjectToRichText(const LNRTObject& object, LNRichText* out) const {
    return OnTop([&](LNRTContainerBody* top) { return top->CopyObjectToRichText(object, out); });
}

LNSTATUS LNRichText::GetNext(LNRTObject* out) const {
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) return status;
    return top.GetNext(out);
}

LNSTATUS LNRichText::GetPrevious(LNRTObject* out) const {
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) return status;
    return top.GetPrevious(out);
}

LNSTATUS LNRichText::GetParent(LNRTObject* out) const {
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) return status;
    return top.GetParent(out);
}

uint32_t LNRichText::GetType() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) throw status;
    return top.GetType();
}

LNSTATUS LNRichText::DeleteRange(LNRTCursor* a, LNRTCursor* b) {
    return OnTop([&](LNRTContainerBody* top) { return top->DeleteRange(a, b); });
}

LNSTATUS LNRichText::CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out) const {
    return OnTop([&](LNRTContainerBody* top) { return top->CopyRangeToRichText(a, b, out); });
}

LNSTATUS LNRichText::SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                         uint32_t mask) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->SetFontStyleInRange(a, b, style, mask);
}

LNSTATUS LNRichText::SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetRichTextBody()->SetFontStyleFromCursor(cursor, style);
}
