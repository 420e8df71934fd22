#include "lnerrors.h"
#include "lnrichtext.h"

template <typename Operation>
LNSTATUS LNRichText::OnTop(Operation operation) const {
    LNRTContainer top;
    if (const LNSTATUS status = GetRTContainer(&top)) return status;
    return LNReturnOrThrow(operation(top.GetContainerBody()));
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
    return OnTop([&](LNRTContainerBody* top) { return top->InsertObjectAtCursor(cursor, object); });
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
