// Copying a range of a tree into a new rich text, leaving the tree as it is.
#include "lnerrors.h"
#include "lnrichtext.h"
#include "lnrtcursor.h"
#include "lnstylizedtext.h"

namespace {

// The stop a cursor stands before: its own, or for a cursor after a stop the next one (none at the end).
LNRTStop StopBefore(const LNRTCursor& cursor, bool* atEnd) {
    const LNRTCursorBody* body = cursor.GetCursorBody();
    *atEnd = false;
    if (!body->IsAfter()) return body->GetStop();
    const LNRTStop next = LNRTNextStop(body->GetStop(), body->Scope());
    *atEnd = next.object == nullptr;
    return *atEnd ? body->GetStop() : next;
}

} // namespace

LNSTATUS LNRTContainerBody::CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out) {
    if (out == nullptr) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    for (const LNRTCursor* cursor : {&a, &b})
        if (!cursor->IsValid() || !cursor->GetCursorBody()->GetStop().object->IsInside(this))
            throw LNERR_INVALID_RTCURSOR;
    if (!(a < b)) return LNERR_INVALID_SELECTION;
    bool ignored = false;
    bool toEnd = false;
    const LNRTStop from = StopBefore(a, &ignored);
    const LNRTStop to = StopBefore(b, &toEnd);
    if (from.object->GetParent() != to.object->GetParent()) return LNERR_INVALID_SELECTION;
    auto* body = new LNRichTextBody();
    LNRichText copy;
    copy.SetItemBody(nullptr, body);
    if (const LNSTATUS status = body->Load()) return status;
    LNRTContainer top;
    if (const LNSTATUS status = body->GetRTContainer(&top)) return status;
    for (LNRTObjectBody* at = from.object; at != nullptr; at = at->GetNextSibling()) {
        const bool last = at == to.object;
        // A range that ends on the first stop of an object leaves that object out.
        if (last && !toEnd && to.offset <= 1) break;
        LNRTObject object;
        if (const LNSTATUS status = object.CopyObject(LNRTObject(at), true)) return status;
        if (at->IsType(LNRTTYPE_STYLIZED_TEXT)) {
            auto* run = static_cast<LNStylizedTextBody*>(object.GetObjectBody());
            const uint32_t first = at == from.object && from.offset > 0 ? from.offset : 1;
            const uint32_t end = last && !toEnd ? to.offset - 1 : run->GetCharacterCount();
            if (first > 1 || end < run->GetCharacterCount())
                if (const LNSTATUS status = run->KeepCharacters(first, end)) return status;
        }
        if (const LNSTATUS status = top.AppendChild(&object)) return status;
        if (last) break;
    }
    *out = copy;
    return LNNOERROR;
}
