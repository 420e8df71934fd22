// Ranges of a container given by counts and whole objects, insertion of objects and rich texts at a
// cursor, and the throwing appends.
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtselection.h"
#include "ln/lnstylizedtext.h"
#include "lnrtunregistered.h"

namespace {

// The position count steps after the cursor within its scope (fewer when the scope ends first). A position
// needs no handle of its own, so a run full of handles does not stop it.
LNRTPosition PositionAhead(const LNRTCursor& cursor, uint32_t count) {
    LNRTPosition pos = cursor.GetCursorBody()->GetPosition();
    for (uint32_t i = 0; i < count && LNRTStepForward(&pos, cursor.GetCursorBody()->Scope()); ++i) {
    }
    return pos;
}

} // namespace

LNSTATUS LNRTContainerBody::InsertAtCursor(LNRTObject* object, const LNRTCursor& cursor) {
    if (object == nullptr || object->IsNull() || object->HasOffset()) return LNERR_INVALID_PARAMETER;
    CheckCursor(&cursor);
    const LNRTCursorBody* body = cursor.GetCursorBody();
    if (cursor.IsAtEnd()) {
        LNRTContainerBody* parent = body->GetStop().object->GetParent();
        return (parent != nullptr ? parent : this)->AppendChild(object);
    }
    if (const LNSTATUS status = LNRTSplitAtCursor(cursor)) return status;
    const LNRTStop stop = body->IsAfter() ? LNRTNextStop(body->GetStop(), body->Scope()) : body->GetStop();
    return stop.object->InsertBefore(object);
}

LNSTATUS LNRTContainerBody::InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object) {
    if (!IsValid() || !object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(&cursor);
    if (!CanContain(object.GetType())) return LNERR_CANNOT_INSERT_TYPE;
    LNRTObject copy;
    if (const LNSTATUS status = copy.CopyObject(object, true)) return status;
    return InsertAtCursor(&copy, cursor);
}

LNSTATUS LNRTContainerBody::InsertRichTextAtCursor(const LNRTCursor& cursor, const LNRichText& richText) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(&cursor);
    if (!CanContain(LNRTTYPE_RICHTEXT)) return LNERR_CANNOT_INSERT_TYPE;
    LNRTContainer top;
    if (const LNSTATUS status = richText.GetRTContainer(&top)) return status;
    // A copy is taken before anything is linked, so a rich text can go into itself.
    LNRTObject copy;
    if (const LNSTATUS status = copy.CopyObject(top, true)) return status;
    return InsertAtCursor(&copy, cursor);
}

LNSTATUS LNRTContainerBody::DeleteCount(LNRTCursor* cursor, uint32_t count) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(cursor);
    return DeleteTo(cursor, PositionAhead(*cursor, count), nullptr);
}

LNSTATUS LNRTContainerBody::CopyCountToRichText(const LNRTCursor& cursor, uint32_t count, LNRichText* out) {
    if (out == nullptr) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(&cursor);
    // Counted over the whole tree, as a selection of count positions is.
    LNRTPosition to = cursor.GetCursorBody()->GetPosition();
    for (uint32_t i = 0; i < count && LNRTStepForward(&to, nullptr); ++i) {
    }
    RTSelection selection;
    if (const LNSTATUS status = LNSelectForCopy(cursor.GetCursorBody()->GetPosition(), to, &selection))
        return status;
    return LNRichTextBody::NewFromSelection(selection, out);
}

LNSTATUS LNRTContainerBody::CopyCountToRichText(const LNRTCursor* cursor, uint32_t count, LNRichText* out) {
    if (out == nullptr) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(cursor);
    RTSelection selection;
    if (const LNSTATUS status = LNSelectForCopy(cursor->GetCursorBody()->GetPosition(),
                                                PositionAhead(*cursor, count), &selection))
        return status;
    return LNRichTextBody::NewFromSelection(selection, out);
}

LNSTATUS LNRTContainerBody::CopyObjectToRichText(const LNRTObject& object, LNRichText* out) {
    if (out == nullptr) return LNERR_INVALID_PARAMETER;
    if (!IsValid() || !object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (!object.GetObjectBody()->IsInside(this) && object.GetObjectBody() != this)
        return LNERR_NOT_IN_CONTAINER;
    RTSelection selection;
    if (const LNSTATUS status = SelectObject(object, &selection)) return status;
    return LNRichTextBody::NewFromSelection(selection, out);
}

LNSTATUS LNRTContainerBody::Append(const LNRichText& richText) {
    LNRTContainer top;
    if (richText.IsNull()) throw LNERR_INVALID_RICHTEXT;
    if (const LNSTATUS status = richText.GetRTContainer(&top)) return status;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (!CanContain(LNRTTYPE_RICHTEXT)) return LNERR_CANNOT_INSERT_TYPE;
    if (!top.GetContainerBody()->HasChildren()) return LNNOERROR;
    return AppendChildrenOf(top.GetContainerBody());
}

void LNRTContainerBody::AppendOrThrow(const LNString& text) {
    if (const LNSTATUS status = Append(text)) throw status;
}

void LNRTContainerBody::AppendOrThrow(const LNRTObject& object) {
    if (const LNSTATUS status = Append(object)) throw status;
}

void LNRTContainerBody::AppendOrThrow(const LNRichText& richText) {
    if (const LNSTATUS status = Append(richText)) throw status;
}

LNSTATUS LNRTContainerBody::Reserved() {
    return LNERR_NOT_IMPLEMENTED;
}
