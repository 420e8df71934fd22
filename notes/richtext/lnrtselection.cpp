#include "ln/lnrtselection.h"
#include "ln/lnerrors.h"
#include "ln/lnstylizedtext.h"
#include "lnrtunregistered.h"

namespace {

LNStylizedTextBody* RunOf(LNRTObjectBody* object) {
    return static_cast<LNStylizedTextBody*>(object);
}

// The innermost container above a that holds b too (b null: a's parent).
LNRTContainerBody* CommonContainer(const LNRTObjectBody* a, const LNRTObjectBody* b) {
    for (LNRTContainerBody* at = a->GetParent(); at != nullptr; at = at->GetParent())
        if (b == nullptr || b->IsInside(at)) return at;
    return nullptr;
}

// A handle on stop: the run itself where the stop is the run's first (or, for a last stop, final)
// character, so that only cuts inside a run need a character handle. A transient one does not register
// with its run; a registered one is refused by a run that holds 20 handles already.
LNSTATUS HandleOn(const LNRTStop& stop, bool last, bool transient, LNRTObject* out) {
    const uint32_t whole = stop.offset == 0 ? 0 : last ? RunOf(stop.object)->GetCharacterCount() : 1;
    if (stop.offset == whole) {
        *out = LNRTObject(stop.object);
        return LNNOERROR;
    }
    if (transient) {
        *out = LNRTUnregisteredCharacter(stop.object, stop.offset);
        return LNNOERROR;
    }
    return out->SetBodyAndOffset(stop.object, stop.offset);
}

// Splits the run that stop cuts (not at its first character); stop then names the start of the second
// part.
LNSTATUS SplitAt(LNRTStop* stop) {
    if (stop->offset <= 1) return LNNOERROR;
    LNStylizedTextBody* run = RunOf(stop->object);
    if (const LNSTATUS status = run->SplitAt(stop->offset)) return status;
    *stop = LNRTStop{run->GetNextSibling(), 1};
    return LNNOERROR;
}

} // namespace

LNRTObjectBody* LNRTNextOutside(LNRTObjectBody* at, const LNRTObjectBody* container) {
    for (LNRTObjectBody* x = at; x != nullptr && x != container; x = x->GetParent())
        if (x->GetNextSibling() != nullptr) return x->GetNextSibling();
    return nullptr;
}

namespace {

LNSTATUS Select(const LNRTPosition& a, const LNRTPosition& b, bool split, bool transient,
                RTSelection* selection) {
    if (selection == nullptr) throw LNERR_INVALID_PARAMETER;
    if (a.stop.object == nullptr || b.stop.object == nullptr ||
        a.stop.object->GetTopContainer() != b.stop.object->GetTopContainer())
        return LNERR_INVALID_SELECTION;
    // Positions are taken over the whole tree, whatever scope the cursors have.
    if (!LNRTPositionBefore(a, b, nullptr)) return LNERR_INVALID_SELECTION;
    LNRTPosition from = LNRTNormalise(a, nullptr);
    LNRTPosition to = LNRTNormalise(b, nullptr);
    if (split) {
        // The end first: a cut before it in the same run stays where it was.
        if (!to.after)
            if (const LNSTATUS status = SplitAt(&to.stop)) return status;
        if (const LNSTATUS status = SplitAt(&from.stop)) return status;
    }
    const LNRTStop last = to.after ? to.stop : LNRTPreviousStop(to.stop, nullptr);
    if (last.object == nullptr) return LNERR_INVALID_SELECTION;
    LNRTContainerBody* container = CommonContainer(from.stop.object, to.after ? last.object : to.stop.object);
    if (container == nullptr) return LNERR_INVALID_SELECTION;
    if (const LNSTATUS status = HandleOn(from.stop, false, transient, &selection->First)) return status;
    if (const LNSTATUS status = HandleOn(last, true, transient, &selection->Last)) return status;
    selection->Container = LNRTObject(container);
    if (to.after) {
        selection->Following = LNRTObject();
        return LNNOERROR;
    }
    return HandleOn(to.stop, false, transient, &selection->Following);
}

} // namespace

LNSTATUS BuildSelection(const LNRTPosition& a, const LNRTPosition& b, bool split, RTSelection* selection) {
    return Select(a, b, split, false, selection);
}

LNSTATUS LNSelectForCopy(const LNRTPosition& a, const LNRTPosition& b, RTSelection* selection) {
    return Select(a, b, false, true, selection);
}

LNSTATUS BuildSelection(const LNRTCursor& a, const LNRTCursor& b, bool split, RTSelection* selection) {
    if (!a.IsValid() || !b.IsValid()) throw LNERR_INVALID_RTCURSOR;
    return BuildSelection(a.GetCursorBody()->GetPosition(), b.GetCursorBody()->GetPosition(), split,
                          selection);
}

LNSTATUS SelectCount(const LNRTCursor& cursor, uint32_t count, bool split, RTSelection* selection) {
    if (!cursor.IsValid()) throw LNERR_INVALID_RTCURSOR;
    const LNRTPosition from = cursor.GetCursorBody()->GetPosition();
    LNRTPosition to = from;
    for (uint32_t i = 0; i < count && LNRTStepForward(&to, nullptr); ++i) {
    }
    return BuildSelection(from, to, split, selection);
}

LNSTATUS SelectOfType(const LNRTObject& object, uint32_t type, RTSelection* selection) {
    if (!object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    LNRTObjectBody* around = object.GetObjectBody();
    while (around != nullptr && !around->IsType(type))
        around = around->GetParent();
    if (around == nullptr) return LNWARN_NOT_FOUND;
    const LNRTStop first = LNRTFirstStop(around);
    const LNRTStop last = LNRTLastStop(around);
    if (first.object == nullptr) return LNWARN_NOT_FOUND;
    return BuildSelection(LNRTPosition{first, false}, LNRTPosition{last, true}, false, selection);
}

LNSTATUS SelectObject(const LNRTObject& object, RTSelection* selection) {
    if (selection == nullptr) throw LNERR_INVALID_PARAMETER;
    if (!object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    LNRTObjectBody* body = object.GetObjectBody();
    selection->Container = LNRTObject(body);
    selection->Following = LNRTObject();
    if (!body->IsType(LNRTTYPE_CONTAINER) || body->IsType(LNRTTYPE_STYLIZED_TEXT)) {
        selection->First = LNRTObject(body);
        selection->Last = LNRTObject(body);
        return LNNOERROR;
    }
    const LNRTStop first = LNRTFirstStop(body);
    if (first.object == nullptr) return LNWARN_NOT_FOUND;
    if (const LNSTATUS status = HandleOn(first, false, false, &selection->First)) return status;
    return HandleOn(LNRTLastStop(body), true, false, &selection->Last);
}

LNSTATUS DeleteSelection(RTSelection* selection) {
    if (selection == nullptr) throw LNERR_INVALID_PARAMETER;
    const LNSTATUS status = LNForEachSelected(*selection, [](LNRTObjectBody* object) -> LNSTATUS {
        const LNRTObject hold(object);
        LNRTContainerBody* parent = object->GetParent();
        if (const LNSTATUS dirty = object->SetDirty(true)) return dirty;
        if (const LNSTATUS detached = object->Detach()) return detached;
        return parent != nullptr ? parent->SetDirty(true) : LNNOERROR;
    });
    selection->First = LNRTObject();
    selection->Last = LNRTObject();
    return status;
}
