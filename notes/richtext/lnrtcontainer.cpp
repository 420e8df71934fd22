#include "ln/lnrtcontainer.h"
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"

LNRTContainer::LNRTContainer(const LNRTObject& object) {
    *this = object;
}

LNRTContainer& LNRTContainer::operator=(const LNRTObject& object) {
    AssignOfType(object, LNRTTYPE_CONTAINER);
    return *this;
}

LNRTContainer& LNRTContainer::operator=(LNRTContainerBody* body) {
    SetObjectBody(body);
    return *this;
}

LNSTATUS LNRTContainer::CopyObject(const LNRTObject& source, bool deep) {
    return CopyObjectOfType(source, LNRTTYPE_CONTAINER, deep);
}

LNRTContainerBody* LNRTContainer::GetContainerBody() const {
    return static_cast<LNRTContainerBody*>(GetObjectBody());
}

LNRTContainerBody* LNRTContainer::Ensure() {
    if (IsNull()) {
        // A free-standing container spans the whole range, so that it can number its children.
        auto* body = new LNRTContainerBody();
        body->SetIndexValue(LNRT_MIN_INDEX_VALUE);
        body->SetEndIndexValue(LNRT_MAX_INDEX_VALUE);
        SetObjectBody(body);
    }
    return GetContainerBody();
}

LNSTATUS LNRTContainer::Append(const LNString& text) {
    return LNReturnOrThrow(Ensure()->Append(text));
}

LNSTATUS LNRTContainer::Append(const LNRTObject& object) {
    return LNReturnOrThrow(Ensure()->Append(object));
}

LNSTATUS LNRTContainer::GetFirstChild(LNRTObject* out) const {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return GetContainerBody()->GetFirstChild(out);
}

LNSTATUS LNRTContainer::GetLastChild(LNRTObject* out) const {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return GetContainerBody()->GetLastChild(out);
}

LNSTATUS LNRTContainer::RemoveChild(LNRTObject* object) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(GetContainerBody()->RemoveChild(object));
}

uint32_t LNRTContainer::GetChildCount() const {
    if (IsNull()) throw LNERR_NOT_INITIALIZED;
    return GetContainerBody()->GetChildCount();
}

template <typename Operation>
LNSTATUS LNRTContainer::OnBody(Operation operation) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(operation(GetContainerBody()));
}

LNSTATUS LNRTContainer::Append(const LNRichText& richText) {
    return LNReturnOrThrow(Ensure()->Append(richText));
}

void LNRTContainer::AppendOrThrow(const LNString& text) {
    Ensure()->AppendOrThrow(text);
}

void LNRTContainer::AppendOrThrow(const LNRTObject& object) {
    Ensure()->AppendOrThrow(object);
}

void LNRTContainer::AppendOrThrow(const LNRichText& richText) {
    Ensure()->AppendOrThrow(richText);
}

void LNRTContainer::AttachToRichText(LNRichTextBody* richText) {
    Ensure()->AttachToRichText(richText);
}

LNSTATUS LNRTContainer::GetStartCursor(LNRTCursor* cursor) const {
    return OnBody([&](LNRTContainerBody* body) { return body->GetStartCursor(cursor); });
}

LNSTATUS LNRTContainer::GetEndCursor(LNRTCursor* cursor) const {
    return OnBody([&](LNRTContainerBody* body) { return body->GetEndCursor(cursor); });
}

LNSTATUS LNRTContainer::InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor) {
    return OnBody([&](LNRTContainerBody* body) { return body->InsertTextAtCursor(text, cursor); });
}

LNSTATUS LNRTContainer::InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object) {
    return OnBody([&](LNRTContainerBody* body) { return body->InsertObjectAtCursor(cursor, object); });
}

LNSTATUS LNRTContainer::InsertRichTextAtCursor(const LNRTCursor& cursor, const LNRichText& richText) {
    return OnBody([&](LNRTContainerBody* body) { return body->InsertRichTextAtCursor(cursor, richText); });
}

LNSTATUS LNRTContainer::InsertAtCursor(LNRTObject* object, const LNRTCursor& cursor) {
    return OnBody([&](LNRTContainerBody* body) { return body->InsertAtCursor(object, cursor); });
}

LNSTATUS LNRTContainer::DeleteRange(LNRTCursor* a, LNRTCursor* b) {
    return OnBody([&](LNRTContainerBody* body) { return body->DeleteRange(a, b); });
}

LNSTATUS LNRTContainer::DeleteCount(LNRTCursor* cursor, uint32_t count) {
    return OnBody([&](LNRTContainerBody* body) { return body->DeleteCount(cursor, count); });
}

LNSTATUS LNRTContainer::CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out) const {
    return OnBody([&](LNRTContainerBody* body) { return body->CopyRangeToRichText(a, b, out); });
}

LNSTATUS LNRTContainer::CopyCountToRichText(const LNRTCursor& cursor, uint32_t count, LNRichText* out) const {
    return OnBody([&](LNRTContainerBody* body) { return body->CopyCountToRichText(cursor, count, out); });
}

LNSTATUS LNRTContainer::CopyCountToRichText(const LNRTCursor* cursor, uint32_t count, LNRichText* out) const {
    return OnBody([&](LNRTContainerBody* body) { return body->CopyCountToRichText(cursor, count, out); });
}

LNSTATUS LNRTContainer::CopyObjectToRichText(const LNRTObject& object, LNRichText* out) const {
    return OnBody([&](LNRTContainerBody* body) { return body->CopyObjectToRichText(object, out); });
}

LNSTATUS LNRTContainer::CopyChildrenInSelection(const RTSelection& selection, const LNRTObject& source,
                                                LNRTObject* before) {
    return OnBody([&](LNRTContainerBody* body) {
        return body->CopyChildrenInSelection(selection, source.GetObjectBody(), before);
    });
}

LNSTATUS LNRTContainer::SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                            uint32_t mask) {
    return OnBody([&](LNRTContainerBody* body) { return body->SetFontStyleInRange(a, b, style, mask); });
}

LNSTATUS LNRTContainer::SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) {
    return OnBody([&](LNRTContainerBody* body) { return body->SetFontStyleFromCursor(cursor, style); });
}
