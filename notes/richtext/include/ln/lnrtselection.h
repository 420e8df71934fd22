// Selections: a range of a rich-text tree between two positions, as the objects it holds. The range
// operations of containers (delete, restyle, copy) build one and act on it.
#pragma once

#include "ln/lnrtcursor.h"

// The first and last object of a range (character handles where the range cuts a run), the innermost
// container that holds it, and the object that follows it (empty when the range runs to the end).
struct RTSelection {
    LNRTObject First;
    LNRTObject Last;
    LNRTObject Container;
    LNRTObject Following;
};

// Selects from a up to b. b not after a, or cursors of two trees: LNERR_INVALID_SELECTION. With split,
// the runs that a and b cut are split there first, so that the range holds whole objects. Invalid
// cursors throw LNERR_INVALID_RTCURSOR; no selection throws LNERR_INVALID_PARAMETER.
LNSTATUS BuildSelection(const LNRTCursor& a, const LNRTCursor& b, bool split, RTSelection* selection);
// The same between two positions of one tree.
LNSTATUS BuildSelection(const LNRTPosition& a, const LNRTPosition& b, bool split, RTSelection* selection);
// From the cursor over count positions (fewer when the tree ends first).
LNSTATUS SelectCount(const LNRTCursor& cursor, uint32_t count, bool split, RTSelection* selection);
// The whole object of type that holds object (object itself when it is of the type); none:
// LNWARN_NOT_FOUND.
LNSTATUS SelectOfType(const LNRTObject& object, uint32_t type, RTSelection* selection);
// The whole object: its container is the object itself and nothing follows. A container without any
// element gives LNWARN_NOT_FOUND.
LNSTATUS SelectObject(const LNRTObject& object, RTSelection* selection);
// Detaches every object that the selection holds whole (a container partly selected loses only the
// selected part of its children); First and Last are emptied.
LNSTATUS DeleteSelection(RTSelection* selection);

// Calls visit on each object that the selection holds whole, in document order; visit may detach it.
template <typename Visit>
LNSTATUS LNForEachSelected(const RTSelection& selection, Visit visit);
// The object after at in document order without entering at, or null past the end of container.
LNRTObjectBody* LNRTNextOutside(LNRTObjectBody* at, const LNRTObjectBody* container);

template <typename Visit>
LNSTATUS LNForEachSelected(const RTSelection& selection, Visit visit) {
    LNRTObjectBody* following = selection.Following.GetObjectBody();
    const LNRTObjectBody* container = selection.Container.GetObjectBody();
    LNRTObjectBody* at = selection.First.GetObjectBody();
    while (at != nullptr) {
        if (following != nullptr && !at->CheckIndexValues(following)) {
            // An object that holds what follows the range is selected only in part: its children are.
            if (at == following || !at->IsType(LNRTTYPE_CONTAINER) || at->IsType(LNRTTYPE_STYLIZED_TEXT) ||
                !following->IsInside(static_cast<LNRTContainerBody*>(at)))
                break;
            LNRTObject child;
            static_cast<LNRTContainerBody*>(at)->GetFirstChild(&child);
            at = child.GetObjectBody();
            continue;
        }
        LNRTObjectBody* next = LNRTNextOutside(at, container);
        if (const LNSTATUS status = visit(at)) return status;
        at = next;
    }
    return LNNOERROR;
}
