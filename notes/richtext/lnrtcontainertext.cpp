// Cursors over a container, and text put in at a cursor.
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtselection.h"
#include "ln/lnstylizedtext.h"

LNSTATUS LNRTContainerBody::GetStartCursor(LNRTCursor* cursor) {
    if (cursor == nullptr) return LNERR_INVALID_PARAMETER;
    const LNRTStop stop = LNRTFirstStop(this);
    *cursor = stop.object != nullptr ? LNRTCursor(stop, false) : LNRTCursor();
    return stop.object != nullptr ? LNNOERROR : LNWARN_NOT_FOUND;
}

LNSTATUS LNRTContainerBody::GetEndCursor(LNRTCursor* cursor) {
    if (cursor == nullptr) return LNERR_INVALID_PARAMETER;
    const LNRTStop stop = LNRTLastStop(this);
    *cursor = stop.object != nullptr ? LNRTCursor(stop, true) : LNRTCursor();
    return stop.object != nullptr ? LNNOERROR : LNWARN_NOT_FOUND;
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
            ->InsertText(body->IsAfter() ? stop.offset : stop.offset - 1, text);
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
    if (into != nullptr) {
        if (const LNSTATUS status = into->InsertText(at, text)) return status;
    } else {
        LNRTObject run(new LNStylizedTextBody(text));
        const LNSTATUS status =
            previous.object != nullptr ? previous.object->InsertAfter(&run) : next.object->InsertBefore(&run);
        if (status != LNNOERROR) return status;
        into = static_cast<LNStylizedTextBody*>(run.GetObjectBody());
    }
    // A cursor after an element stays after what was typed there, so that typing on goes on in order.
    if (!body->IsAfter() || text.GetByteLength() == 0) return LNNOERROR;
    return body->Place(LNRTStop{into, at + LNStylizedTextBody::CharacterCount(text)}, true);
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

LNSTATUS LNRTContainerBody::DeleteRange(LNRTCursor* a, LNRTCursor* b) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(a);
    CheckCursor(b);
    RTSelection selection;
    if (const LNSTATUS status = BuildSelection(*a, *b, true, &selection)) return status;
    // Where the range was: on what followed it, else just after what came before it.
    LNRTPosition where{LNRTFirstStop(selection.Following.GetObjectBody()), false};
    if (where.stop.object == nullptr)
        where = LNRTPosition{LNRTPreviousStop(LNRTFirstStop(selection.First.GetObjectBody()), nullptr), true};
    if (const LNSTATUS status = DeleteSelection(&selection)) return status;
    if (where.stop.object == nullptr) {
        *a = LNRTCursor();
    } else if (const LNSTATUS status = a->GetCursorBody()->Place(where)) {
        return status;
    }
    *b = *a;
    return LNNOERROR;
}

namespace {

// Gives every run inside object (itself when it is one) the bits of style that mask selects.
LNSTATUS Restyle(LNRTObjectBody* object, const LNFontStyle& style, uint32_t mask) {
    if (object->IsType(LNRTTYPE_STYLIZED_TEXT)) {
        auto* run = static_cast<LNStylizedTextBody*>(object);
        LNFontTable table;
        run->GetFontStyle().GetFontTable(&table);
        LNFontStyle merged(run->GetFontStyle().GetFontID(), table);
        if (const LNSTATUS status = merged.SetStyle(style, mask)) return status;
        return run->SetFontStyle(merged);
    }
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
