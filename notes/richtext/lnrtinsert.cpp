// Placing an object beside another: the new object takes the middle of the free span next to its
// neighbour, and a span too small to split is widened by renumbering the parent, then the whole tree.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnrtcontainer.h"

#include <algorithm>

uint32_t LNRTObjectBody::FreeSpan(bool after, uint32_t* bound) const {
    if (after) {
        if (GetNextSibling() != nullptr)
            *bound = GetNextSibling()->GetIndexValue();
        else
            *bound = Parent != nullptr ? Parent->GetEndIndexValue() : LNRT_MAX_INDEX_VALUE;
        const uint32_t end = GetEndIndexValue();
        return *bound > end ? *bound - end : 0;
    }
    if (PreviousSibling != nullptr)
        *bound = PreviousSibling->GetEndIndexValue();
    else
        *bound = Parent != nullptr ? Parent->GetIndexValue() : LNRT_MIN_INDEX_VALUE;
    return IndexValue > *bound ? IndexValue - *bound : 0;
}

uint32_t LNRTIndexRoom(const LNRTObjectBody* object) {
    if (!object->IsType(LNRTTYPE_CONTAINER) || object->IsType(LNRTTYPE_STYLIZED_TEXT)) return 1;
    // Renumbering spreads count children evenly, a step of span / (2 * count + 1) each, when that gives
    // each the room it needs; else each takes its room with equal gaps of at least 1 around them.
    LNRTObject child;
    static_cast<const LNRTContainerBody*>(object)->GetFirstChild(&child);
    uint64_t count = 0;
    uint64_t widest = 1;
    uint64_t total = 0;
    for (const LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling()) {
        const uint64_t room = LNRTIndexRoom(at);
        ++count;
        widest = std::max(widest, room);
        total += room;
    }
    if (count == 0) return 1;
    const uint64_t room = std::min((2 * count + 1) * widest, total + 2 * count + 1);
    return static_cast<uint32_t>(std::min<uint64_t>(room, LNRT_MAX_INDEX_VALUE));
}

uint32_t LNRTIndexStepFor(uint32_t span, const LNRTObjectBody* object) {
    const uint32_t step = std::max(LNRTIndexStep(span), LNRTIndexRoom(object));
    return uint64_t{2} * step < span ? step : 0;
}

LNSTATUS LNRTObjectBody::MakeRoom(bool after, const LNRTObjectBody* object, uint32_t* bound, uint32_t* step) {
    // A span below 10 is widened even when the object would fit, so that later insertions find room.
    const auto fit = [&] {
        const uint32_t span = FreeSpan(after, bound);
        return span < 10 ? 0 : LNRTIndexStepFor(span, object);
    };
    *step = fit();
    if (*step == 0) {
        if (Parent == nullptr) return LNERR_NOT_INITIALIZED;
        // A parent too narrow for its own children leaves the whole tree to renumber.
        if (Parent->RenumberChildren() == LNNOERROR) *step = fit();
    }
    if (*step == 0) {
        if (const LNSTATUS status = GetTopContainer()->RenumberChildren()) return status;
        *step = fit();
    }
    return *step == 0 ? LNERR_CORRUPTED : LNNOERROR;
}

LNSTATUS LNRTObjectBody::SpreadAround(LNRTObjectBody* inserted) {
    // The parent, then the whole tree, renumbered with the object already linked, so that the room it
    // needs is counted; with no room even then it leaves again.
    if (Parent->RenumberChildren() == LNNOERROR) return LNNOERROR;
    LNRTContainerBody* top = GetTopContainer();
    if (top->RenumberChildren() == LNNOERROR) return LNNOERROR;
    inserted->LNRTObjectBody::Detach();
    top->RenumberChildren();
    return LNERR_CORRUPTED;
}

LNSTATUS LNRTObjectBody::InsertAfter(LNRTObject* object) {
    LN_ASSERT(object != nullptr && !object->IsNull(), "lnrtobj", 2214);
    LNRTObjectBody* inserted = object->GetObjectBody();
    if (inserted->Parent != nullptr) return LNERR_ALREADY_IN_CONTAINER;
    uint32_t bound = 0;
    uint32_t step = 0;
    const LNSTATUS room = MakeRoom(true, inserted, &bound, &step);
    if (room != LNNOERROR && room != LNERR_CORRUPTED) return room;
    const uint32_t end = GetEndIndexValue();
    const bool placed = room == LNNOERROR && step != 0 && end + 2 * step < bound;
    inserted->SetIndexValue(placed ? end + step : end);
    inserted->SetEndIndexValue(placed ? end + 2 * step : end);
    inserted->PreviousSibling = this;
    inserted->NextSibling = NextSibling;
    if (GetNextSibling() != nullptr) GetNextSibling()->PreviousSibling = inserted;
    inserted->Parent = Parent;
    NextSibling.SetObjectBody(inserted);
    if (const LNSTATUS status = placed ? inserted->RenumberChildren() : SpreadAround(inserted)) return status;
    return SetDirty(true);
}

LNSTATUS LNRTObjectBody::InsertBefore(LNRTObject* object) {
    LN_ASSERT(object != nullptr && !object->IsNull(), "lnrtobj", 2301);
    LNRTObjectBody* inserted = object->GetObjectBody();
    if (inserted->Parent != nullptr) return LNERR_ALREADY_IN_CONTAINER;
    uint32_t bound = 0;
    uint32_t step = 0;
    const LNSTATUS room = MakeRoom(false, inserted, &bound, &step);
    if (room != LNNOERROR && room != LNERR_CORRUPTED) return room;
    const bool placed = room == LNNOERROR && step != 0 && IndexValue - 2 * step > bound;
    inserted->SetIndexValue(placed ? IndexValue - 2 * step : IndexValue);
    inserted->SetEndIndexValue(placed ? IndexValue - step : IndexValue);
    inserted->NextSibling.SetObjectBody(this);
    inserted->PreviousSibling = PreviousSibling;
    inserted->Parent = Parent;
    if (PreviousSibling != nullptr)
        PreviousSibling->NextSibling.SetObjectBody(inserted);
    else if (Parent != nullptr)
        Parent->FirstChild.SetObjectBody(inserted);
    PreviousSibling = inserted;
    if (const LNSTATUS status = placed ? inserted->RenumberChildren() : SpreadAround(inserted)) return status;
    return SetDirty(true);
}
