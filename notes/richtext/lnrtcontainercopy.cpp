// Copying a selected part of a tree, leaving the tree as it is.
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtselection.h"
#include "lnrtunregistered.h"

LNSTATUS LNRTContainerBody::CopyChildrenInSelection(const RTSelection& selection, LNRTObjectBody* source,
                                                    LNRTObject* before) {
    if (source == nullptr || !source->HasChildren()) return LNERR_CORRUPTED;
    if (before != nullptr && !before->IsNull() && before->GetObjectBody()->GetParent() != this)
        return LNERR_INVALID_PARAMETER;
    const LNRTObjectBody* first = selection.First.GetObjectBody();
    const LNRTObjectBody* last = selection.Last.GetObjectBody();
    LNRTObject child;
    static_cast<LNRTContainerBody*>(source)->GetFirstChild(&child);
    for (LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling()) {
        if (first != nullptr && at->CheckIndexValues(first)) continue;
        if (last != nullptr && last->CheckIndexValues(at)) break;
        LNRTObject copy;
        if (const LNSTATUS status = copy.CopyObject(LNRTObject(at), false)) return status;
        const LNSTATUS linked = before != nullptr && !before->IsNull()
                                    ? before->GetObjectBody()->InsertBefore(&copy)
                                    : AppendChild(&copy);
        if (linked != LNNOERROR) return linked;
        if (at->HasChildren())
            if (const LNSTATUS status = copy.GetObjectBody()->CopyChildrenInSelection(selection, at, nullptr))
                return status;
    }
    return HasChildren() ? LNNOERROR : LNERR_CORRUPTED;
}

LNSTATUS LNRTContainerBody::CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out) {
    if (out == nullptr) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    CheckCursor(&a);
    CheckCursor(&b);
    RTSelection selection;
    if (const LNSTATUS status =
            LNSelectForCopy(a.GetCursorBody()->GetPosition(), b.GetCursorBody()->GetPosition(), &selection))
        return status;
    return LNRichTextBody::NewFromSelection(selection, out);
}
