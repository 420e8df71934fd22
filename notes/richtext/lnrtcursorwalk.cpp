// The stops of a rich-text tree in document order: non-text elements, and each character of a text run.
#include "ln/lnrtcursor.h"
#include "ln/lnstylizedtext.h"

namespace {

bool IsRun(const LNRTObjectBody* object) {
    return object->IsType(LNRTTYPE_STYLIZED_TEXT);
}

uint32_t Characters(LNRTObjectBody* run) {
    return static_cast<LNStylizedTextBody*>(run)->GetCharacterCount();
}

LNRTObjectBody* LastChild(const LNRTObjectBody* container) {
    LNRTObject last;
    static_cast<const LNRTContainerBody*>(container)->GetLastChild(&last);
    return last.GetObjectBody();
}

} // namespace

LNRTStop LNRTFirstStop(LNRTObjectBody* object) {
    if (object == nullptr) return {};
    if (IsRun(object)) return Characters(object) > 0 ? LNRTStop{object, 1} : LNRTStop{};
    if (object->IsType(LNRTTYPE_ELEMENT)) return {object, 0};
    if (!object->IsType(LNRTTYPE_CONTAINER)) return {};
    LNRTObject child;
    static_cast<LNRTContainerBody*>(object)->GetFirstChild(&child);
    for (LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling())
        if (const LNRTStop stop = LNRTFirstStop(at); stop.object != nullptr) return stop;
    return {};
}

LNRTStop LNRTLastStop(LNRTObjectBody* object) {
    if (object == nullptr) return {};
    if (IsRun(object)) {
        const uint32_t count = Characters(object);
        return count > 0 ? LNRTStop{object, count} : LNRTStop{};
    }
    if (object->IsType(LNRTTYPE_ELEMENT)) return {object, 0};
    if (!object->IsType(LNRTTYPE_CONTAINER)) return {};
    for (LNRTObjectBody* at = LastChild(object); at != nullptr; at = at->GetPreviousSibling())
        if (const LNRTStop stop = LNRTLastStop(at); stop.object != nullptr) return stop;
    return {};
}

LNRTStop LNRTNextStop(const LNRTStop& from, const LNRTContainerBody* scope) {
    if (from.object == nullptr) return {};
    if (from.offset > 0 && from.offset < Characters(from.object)) return {from.object, from.offset + 1};
    for (const LNRTObjectBody* at = from.object; at != nullptr && at != scope; at = at->GetParent())
        for (LNRTObjectBody* next = at->GetNextSibling(); next != nullptr; next = next->GetNextSibling())
            if (const LNRTStop stop = LNRTFirstStop(next); stop.object != nullptr) return stop;
    return {};
}

LNRTStop LNRTPreviousStop(const LNRTStop& from, const LNRTContainerBody* scope) {
    if (from.object == nullptr) return {};
    if (from.offset > 1) return {from.object, from.offset - 1};
    for (const LNRTObjectBody* at = from.object; at != nullptr && at != scope; at = at->GetParent())
        for (LNRTObjectBody* previous = at->GetPreviousSibling(); previous != nullptr;
             previous = previous->GetPreviousSibling())
            if (const LNRTStop stop = LNRTLastStop(previous); stop.object != nullptr) return stop;
    return {};
}

bool LNRTStepForward(LNRTPosition* pos, const LNRTContainerBody* scope) {
    const LNRTStop next = LNRTNextStop(pos->stop, scope);
    if (next.object == nullptr) {
        // The end is one step past the last stop.
        if (pos->after) return false;
        pos->after = true;
        return true;
    }
    *pos = LNRTPosition{next, false};
    return true;
}

bool LNRTStepBack(LNRTPosition* pos, const LNRTContainerBody* scope) {
    if (pos->after) {
        pos->after = false;
        return true;
    }
    const LNRTStop previous = LNRTPreviousStop(pos->stop, scope);
    if (previous.object == nullptr) return false;
    *pos = LNRTPosition{previous, false};
    return true;
}

LNRTPosition LNRTNormalise(const LNRTPosition& pos, const LNRTContainerBody* scope) {
    if (!pos.after) return pos;
    const LNRTStop next = LNRTNextStop(pos.stop, scope);
    return next.object == nullptr ? pos : LNRTPosition{next, false};
}

namespace {

bool SameStop(const LNRTStop& a, const LNRTStop& b) {
    return a.object == b.object && a.offset == b.offset;
}

} // namespace

bool LNRTSamePosition(const LNRTPosition& a, const LNRTPosition& b, const LNRTContainerBody* scope) {
    const LNRTPosition x = LNRTNormalise(a, scope);
    const LNRTPosition y = LNRTNormalise(b, scope);
    return x.after == y.after && SameStop(x.stop, y.stop);
}

bool LNRTPositionBefore(const LNRTPosition& a, const LNRTPosition& b, const LNRTContainerBody* scope) {
    const LNRTPosition x = LNRTNormalise(a, scope);
    const LNRTPosition y = LNRTNormalise(b, scope);
    if (SameStop(x.stop, y.stop)) return !x.after && y.after;
    if (x.stop.object == y.stop.object) return x.stop.offset < y.stop.offset;
    return x.stop.object->CheckIndexValues(y.stop.object);
}
