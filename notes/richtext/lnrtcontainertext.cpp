// Cursors over a container, and text put in at a cursor.
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtselection.h"
#include "ln/lnstylizedtext.h"

namespace {

// A new cursor on stop (after it when after is set); a run already holding 20 handles gives its status.
LNSTATUS NewCursor(const LNRTStop& stop, bool after, LNRTCursor* cursor) {
    if (stop.object == nullptr) {
        *cursor = LNRTCursor();
        return LNWARN_NOT_FOUND;
    }
    try {
        *cursor = LNRTCursor(stop, after);
    } catch (LNSTATUS status) {
        return status;
    }
    return LNNOERROR;
}

} // namespace

LNSTATUS LNRTContainerBody::GetStartCursor(LNRTCursor* cursor) {
    if (cursor == nullptr) return LNERR_INVALID_PARAMETER;
    return NewCursor(LNRTFirstStop(this), false, cursor);
}

LNSTATUS LNRTContainerBody::GetEndCursor(LNRTCursor* cursor) {
    if (cursor == nullptr) return LNERR_INVALID_PARAMETER;
    return NewCursor(LNRTLastStop(this), true, cursor);
}

LNSTATUS LNRTContainerBody::InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (!cursor.IsValid() || !cursor.GetCursorBody()->GetStop().object->IsInside(this))
        throw LNERR_INVALID_RTCURSOR;
    if (!cursor.CanInsert(LNRTTYPE_STYLIZED_TEXT)) return LNERR_CANNOT_INSERT_TYPE;
    LNRTCursorBody* body = cursor.GetCursorBody();
    const LNRTStop stop = body->GetStop();
    // Inside a run, or just after its last character: the run takes the text (and moves the cursor).
    if (stop.offset > 0)
        return static_cast<LNStylizedTextBody*>(stop.object)
            ->PutText(body->IsAfter() ? stop.offset : stop.offset - 1, text);
    const LNRTStop next = body->IsAfter() ? LNRTNextStop(stop, body->Scope()) : stop;
    const LNRTStop previous = body->IsAfter() ? stop : LNRTPreviousStop(stop, body->Scope());
    LNStylizedTextBody* into = nullptr;
    uint32_t at = 0;
    if (next.offset > 0) {
        into = static_cast<LNStylizedTextBody*>(next.object);
    } else if (previous.offset > 0) {
        into = static_cast<LNStylizedTextBody*>(previous.object);
        at = into->GetCharacterCount();
    }
    // A cursor after an element follows the text typed there; a neighbouring run too full of handles to
    // take it leaves the text a run of its own.
    if (into != nullptr && body->IsAfter() && into->RTCharArray.GetCount() >= LNRTCharArray::Capacity)
        into = nullptr, at = 0;
    LNRTStop end{};
    if (into != nullptr) {
        if (const LNSTATUS status = into->PutText(at, text, &end)) return status;
    } else {
        const uint32_t first = LNStylizedTextBody::FitBytes(text, LNStylizedTextBody::MaxTextLength());
        LNRTObject run(new LNStylizedTextBody(LNString(text.GetTextPtr(), first)));
        const LNSTATUS status =
            previous.object != nullptr ? previous.object->InsertAfter(&run) : next.object->InsertBefore(&run);
        if (status != LNNOERROR) return status;
        into = static_cast<LNStylizedTextBody*>(run.GetObjectBody());
        end = LNRTStop{into, into->GetCharacterCount()};
        if (first < text.GetByteLength())
            if (const LNSTATUS more = into->PutText(
                    end.offset, LNString(text.GetTextPtr() + first, text.GetByteLength() - first), &end))
                return more;
    }
    // A cursor after an element stays after what was typed there, so that typing on goes on in order.
    if (!body->IsAfter() || text.GetByteLength() == 0) return LNNOERROR;
    return body->Place(end, true);
}

LNSTATUS LNRTSplitAtCursor(const LNRTCursor& cursor) {
    const LNRTCursorBody* body = cursor.GetCursorBody();
    // A cursor after a character that is not its run's last stands where the next one starts.
    const LNRTPosition pos = LNRTNormalise(body->GetPosition(), body->Scope());
    if (pos.after || pos.stop.offset <= 1) return LNNOERROR;
    return static_cast<LNStylizedTextBody*>(pos.stop.object)->SplitAt(pos.stop.offset);
}

void LNRTContainerBody::CheckCursor(const LNRTCursor* cursor) const {
    if (cursor == nullptr || !cursor->IsValid() || !cursor->GetCursorBody()->GetStop().object->IsInside(this))
        throw LNERR_INVALID_RTCURSOR;
}

namespace {

// Whether the cursor can be placed on stop: an element, a run it already stands in, a run with room for one
// more handle, or a run where only other (a cursor about to let go) holds the handle it would take.
bool CanStand(const LNRTCursorBody* cursor, const LNRTStop& stop, const LNRTCursor* other) {
    if (stop.offset == 0) return true;
    const auto* run = static_cast<const LNStylizedTextBody*>(stop.object);
    if (run->RTCharArray.GetCount() < LNRTCharArray::Capacity) return true;
    const LNRTStop own = cursor->GetStop();
    if (own.object == stop.object && own.offset != 0) return true;
    if (other == nullptr || other->IsNull() || other->GetCursorBody()->GetRefCount() != 1) return false;
    const LNRTStop held = other->GetCursorBody()->GetStop();
    return held.object == stop.object && held.offset != 0;
}

} // namespace

LNSTATUS LNRTContainerBody::DeleteRange(LNRTCursor* a, LNRTCursor* b) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(a);
    CheckCursor(b);
    return DeleteTo(a, b->GetCursorBody()->GetPosition(), b);
}

LNSTATUS LNRTContainerBody::DeleteTo(LNRTCursor* a, const LNRTPosition& to, LNRTCursor* b) {
    RTSelection selection;
    if (const LNSTATUS status = BuildSelection(a->GetCursorBody()->GetPosition(), to, true, &selection))
        return status;
    // Where the range was: on what followed it, else just after what came before it. A cursor cannot stand
    // on a run that already holds 20 handles: then it stands after what came before, which is the same
    // place; with neither, nothing is deleted.
    const LNRTPosition following{LNRTFirstStop(selection.Following.GetObjectBody()), false};
    const LNRTPosition before{LNRTPreviousStop(LNRTFirstStop(selection.First.GetObjectBody()), nullptr),
                              true};
    const LNRTCursorBody* cursor = a->GetCursorBody();
    LNRTPosition where = following.stop.object != nullptr ? following : before;
    if (where.stop.object != nullptr && !CanStand(cursor, where.stop, b)) {
        if (before.stop.object == nullptr || !CanStand(cursor, before.stop, b))
            return LNERR_SUBSCRIPT_OUT_OF_RANGE;
        where = before;
    }
    if (const LNSTATUS status = DeleteSelection(&selection)) return status;
    if (b != nullptr) *b = LNRTCursor();
    if (where.stop.object == nullptr) {
        *a = LNRTCursor();
    } else if (const LNSTATUS status = a->GetCursorBody()->Place(where)) {
        return status;
    }
    if (b != nullptr) *b = *a;
    return LNNOERROR;
}

namespace {

// Gives every run inside object (itself when it is one) the bits of style that mask selects.
LNSTATUS Restyle(LNRTObjectBody* object, const LNFontStyle& style, uint32_t mask) {
    if (object->IsType(LNRTTYPE_STYLIZED_TEXT))
        return static_cast<LNStylizedTextBody*>(object)->MergeFontStyle(style, mask);
    if (!object->IsType(LNRTTYPE_CONTAINER)) return LNNOERROR;
    LNRTObject child;
    static_cast<LNRTContainerBody*>(object)->GetFirstChild(&child);
    for (LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling())
        if (const LNSTATUS status = Restyle(at, style, mask)) return status;
    return LNNOERROR;
}

} // namespace

LNSTATUS LNRTContainerBody::SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                                uint32_t mask) {
    if (style.IsNull()) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(a);
    CheckCursor(b);
    if (*b < *a) return LNERR_INVALID_PARAMETER;
    if (*a == *b) return LNNOERROR;
    RTSelection selection;
    if (const LNSTATUS status = BuildSelection(*a, *b, true, &selection)) return status;
    return LNForEachSelected(selection, [&](LNRTObjectBody* object) { return Restyle(object, style, mask); });
}

LNSTATUS LNRTContainerBody::SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (!cursor.IsValid() || !cursor.GetCursorBody()->GetStop().object->IsInside(this))
        throw LNERR_INVALID_RTCURSOR;
    if (cursor.GetCursorBody()->GetStop().offset == 0 || cursor.GetCursorBody()->IsAfter())
        return LNERR_OUT_OF_RANGE;
    if (const LNSTATUS status = LNRTSplitAtCursor(cursor)) return status;
    return static_cast<LNStylizedTextBody*>(cursor.GetCursorBody()->GetStop().object)->SetFontStyle(style);
}
