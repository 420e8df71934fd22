#include "ln/lnstylizedtext.h"
#include "ln/lnerrors.h"

LNStylizedText::LNStylizedText(const LNString& text) {
    SetObjectBody(new LNStylizedTextBody(text));
}

LNStylizedText::LNStylizedText(const LNRTObject& object) {
    *this = object;
}

LNStylizedText& LNStylizedText::operator=(const LNRTObject& object) {
    AssignOfType(object, LNRTTYPE_STYLIZED_TEXT);
    return *this;
}

LNStylizedTextBody* LNStylizedText::Run() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    return static_cast<LNStylizedTextBody*>(GetObjectBody());
}

LNSTATUS LNStylizedText::CopyObject(const LNRTObject& source, bool deep) {
    return CopyObjectOfType(source, LNRTTYPE_STYLIZED_TEXT, deep);
}

uint32_t LNStylizedText::GetTextLength() const {
    return Run()->GetTextLength();
}

uint32_t LNStylizedText::GetCharacterCount() const {
    return Run()->GetCharacterCount();
}

LNSTATUS LNStylizedText::SplitAt(uint32_t offset) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(Run()->SplitAt(offset));
}

LNSTATUS LNStylizedText::GetFontStyle(LNFontStyle* style) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    *style = Run()->GetFontStyle();
    return LNNOERROR;
}

LNSTATUS LNStylizedText::SetFontStyle(const LNFontStyle& style) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(Run()->SetFontStyle(style));
}
