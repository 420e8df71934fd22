#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnrtcontainer.h"
#include "ln/lnstylizedtext.h"
#include "nnotes/memblock.h"

#include <vector>

LNRTContainerBody::LNRTContainerBody() {
    SetType(LNRTTYPE_CONTAINER);
}

LNRTContainerBody::LNRTContainerBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length)
    : LNRTObjectBody(pool, block, length) {
    SetType(LNRTTYPE_CONTAINER);
}

LNRTContainerBody::~LNRTContainerBody() {
    if (!IsClosed()) LNRTContainerBody::Close();
}

LNSTATUS LNRTContainerBody::Close() {
    if (IsClosed()) return LNWARN_NOT_OPEN;
    MarkClosed();
    const LNSTATUS status = DeleteChildren();
    LN_ASSERT(FirstChild.IsNull(), "lnrtcont", 388);
    RichText = nullptr;
    EndIndexValue = LNRT_NO_INDEX_VALUE;
    const LNSTATUS closed = LNRTObjectBody::Close();
    return status != LNNOERROR ? status : closed;
}

LNRTObjectBody* LNRTContainerBody::NewOfSameKind() const {
    return new LNRTContainerBody();
}

LNSTATUS LNRTContainerBody::Assign(LNRTObjectBody* source, bool deep) {
    if (source == nullptr || source == this) return LNERR_INVALID_PARAMETER;
    if (IsClosed() || source->IsClosed()) return LNERR_ALREADY_CLOSED;
    if (!source->IsType(LNRTTYPE_CONTAINER)) return LNERR_INAPPROPRIATE_FOR_OBJECT;
    if (HasChildren()) return LNERR_INVALID_RICHTEXT;
    if (const LNSTATUS status = LNRTObjectBody::Assign(source, false)) return status;
    EndIndexValue = source->GetEndIndexValue();
    RichText = nullptr;
    if (!deep) return LNNOERROR;
    return AppendChildrenOf(static_cast<LNRTContainerBody*>(source));
}

LNSTATUS LNRTContainerBody::GetContainerOfType(uint32_t type, LNRTObject* out) {
    if (IsType(type)) {
        out->SetObjectBody(this);
        return LNNOERROR;
    }
    return LNRTObjectBody::GetContainerOfType(type, out);
}

LNSTATUS LNRTContainerBody::FindFirstInChildren(uint32_t type, bool* found, LNRTObject* out) {
    *found = false;
    for (LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr && !*found;
         child = child->GetNextSibling())
        *found = child->GetFirstOfType(type, out) != LNWARN_NOT_FOUND;
    return LNNOERROR;
}

LNSTATUS LNRTContainerBody::FindLastInChildren(uint32_t type, bool* found, LNRTObject* out) {
    *found = false;
    LNRTObject last;
    if (GetLastChild(&last) != LNNOERROR) return LNNOERROR;
    for (LNRTObjectBody* child = last.GetObjectBody(); child != nullptr && !*found;
         child = child->GetPreviousSibling())
        *found = child->GetLastOfType(type, out) != LNWARN_NOT_FOUND;
    return LNNOERROR;
}

LNSTATUS LNRTContainerBody::GetFirstOfType(uint32_t type, LNRTObject* out) {
    if (LNRTObjectBody::GetFirstOfType(type, out) == LNNOERROR) return LNNOERROR;
    for (LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling()) {
        const LNSTATUS status = child->GetFirstOfType(type, out);
        if (status != LNWARN_NOT_FOUND) return status;
    }
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTContainerBody::GetLastOfType(uint32_t type, LNRTObject* out) {
    if (LNRTObjectBody::GetFirstOfType(type, out) == LNNOERROR) return LNNOERROR;
    LNRTObject last;
    if (GetLastChild(&last) != LNNOERROR) return LNWARN_NOT_FOUND;
    for (LNRTObjectBody* child = last.GetObjectBody(); child != nullptr;
         child = child->GetPreviousSibling()) {
        const LNSTATUS status = child->GetLastOfType(type, out);
        if (status != LNWARN_NOT_FOUND) return status;
    }
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTContainerBody::Detach() {
    if (const LNSTATUS status = DeleteChildren()) return status;
    LN_ASSERT(FirstChild.IsNull(), "lnrtcont", 512);
    return LNRTObjectBody::Detach();
}

LNSTATUS LNRTContainerBody::LinkFirstChild(LNRTObject* child) {
    LNRTObjectBody* body = child->GetObjectBody();
    const auto span = [this] {
        return EndIndexValue > GetIndexValue() ? EndIndexValue - GetIndexValue() : 0;
    };
    // A span below 10 is widened first, as beside a sibling; a container copied with its narrow interval
    // may still take its first child in what it has.
    uint32_t step = span() < 10 ? 0 : LNRTIndexStepFor(span(), body);
    if (step == 0) {
        if (const LNSTATUS status = GetTopContainer()->RenumberChildren()) return status;
        step = LNRTIndexStepFor(span(), body);
    }
    const uint32_t index = GetIndexValue();
    const bool placed = step != 0 && index + 2 * step < EndIndexValue;
    body->SetIndexValue(placed ? index + step : index);
    body->SetEndIndexValue(placed ? index + 2 * step : index);
    body->PreviousSibling = nullptr;
    body->NextSibling.SetObjectBody(nullptr);
    body->Parent = this;
    FirstChild.SetObjectBody(body);
    if (placed) {
        if (const LNSTATUS status = body->RenumberChildren()) return status;
        return SetDirty(true);
    }
    // No room made for the child: this container, then the whole tree, renumbered with it linked, so
    // that the room it needs is counted; with no room even then it leaves again.
    if (RenumberChildren() != LNNOERROR && GetTopContainer()->RenumberChildren() != LNNOERROR) {
        body->LNRTObjectBody::Detach();
        GetTopContainer()->RenumberChildren();
        return LNERR_CORRUPTED;
    }
    return SetDirty(true);
}

LNSTATUS LNRTContainerBody::AppendChild(LNRTObject* child) {
    LN_ASSERT(child != nullptr && !child->IsNull(), "lnrtcont", 640);
    LNRTObjectBody* body = child->GetObjectBody();
    if (body->GetParent() != nullptr) return LNERR_ALREADY_IN_CONTAINER;
    if (!HasChildren()) return LinkFirstChild(child);
    LNRTObject last;
    if (const LNSTATUS status = GetLastChild(&last)) return status;
    return last.GetObjectBody()->InsertAfter(child);
}

LNRichTextBody* LNRTContainerBody::GetRichText() const {
    return GetParent() != nullptr ? GetParent()->GetRichText() : RichText;
}

uint32_t LNRTContainerBody::GetRecordLength() const {
    uint64_t length = LNRTObjectBody::GetRecordLength();
    for (const LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling())
        length += child->GetRecordLength();
    if (length > 0xFFFFFFFFu) throw LNERR_CORRUPTED;
    return static_cast<uint32_t>(length);
}

LNSTATUS LNRTContainerBody::GetText(LNString* text) const {
    if (IsClosed()) return LNERR_ALREADY_CLOSED;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    for (const LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling())
        if (const LNSTATUS status = child->GetText(text)) return status;
    return LNNOERROR;
}

uint32_t LNRTContainerBody::GetChildCount() const {
    uint32_t count = 0;
    for (const LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling())
        ++count;
    return count;
}

LNSTATUS LNRTContainerBody::RenumberChildren() {
    if (!HasChildren()) return LNNOERROR;
    const uint32_t count = GetChildCount();
    LN_ASSERT(count > 0, "lnrtcont", 1311);
    const uint32_t span = EndIndexValue > GetIndexValue() ? EndIndexValue - GetIndexValue() : 0;
    const uint32_t step = static_cast<uint32_t>(span / (2 * uint64_t{count} + 1));
    // Evenly spread, unless a child then gets less room than its own children need (LNRTIndexRoom): then
    // each child takes the room it needs and the rest is spread as equal gaps.
    std::vector<uint32_t> rooms;
    uint64_t total = 0;
    bool even = step != 0;
    for (LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling()) {
        rooms.push_back(LNRTIndexRoom(child));
        total += rooms.back();
        even = even && rooms.back() <= step;
    }
    if (!even && total + 2 * uint64_t{count} + 1 > span) return LNERR_CORRUPTED;
    const uint64_t gap = even ? step : (span - total) / (2 * uint64_t{count} + 1);
    uint32_t position = GetIndexValue();
    LNSTATUS first = LNNOERROR;
    size_t index = 0;
    for (LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling(), ++index) {
        position += static_cast<uint32_t>(gap);
        child->SetIndexValue(position);
        position += static_cast<uint32_t>(even ? gap : gap + rooms[index]);
        child->SetEndIndexValue(position);
        const LNSTATUS status = child->RenumberChildren();
        if (first == LNNOERROR) first = status;
    }
    return first;
}

LNSTATUS LNRTContainerBody::SetDirty(bool dirty) {
    if (dirty) return LNRTObjectBody::SetDirty(true);
    LNSTATUS first = LNRTObjectBody::SetDirty(false);
    for (LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling()) {
        const LNSTATUS status = child->SetDirty(false);
        if (first == LNNOERROR) first = status;
    }
    return first;
}

LNSTATUS LNRTContainerBody::WriteRecord(uint32_t* offset) {
    if (LNRTObjectBody::GetRecordLength() != 0)
        if (const LNSTATUS status = LNRTObjectBody::WriteRecord(offset)) return status;
    for (LNRTObjectBody* child = FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling())
        if (const LNSTATUS status = child->WriteRecord(offset)) return status;
    return LNNOERROR;
}

LNSTATUS LNRTContainerBody::Append(const LNString& text) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (!CanContain(LNRTTYPE_STYLIZED_TEXT)) return LNERR_CANNOT_INSERT_TYPE;
    LNRTObject last;
    if (HasChildren())
        if (const LNSTATUS status = GetLastChild(&last)) return status;
    const uint32_t max = LNStylizedTextBody::MaxTextLength();
    LNString rest = text;
    if (!last.IsNull() && last.IsType(LNRTTYPE_STYLIZED_TEXT)) {
        // The text joins the last run as far as that run can hold it; the rest starts new runs.
        auto* run = static_cast<LNStylizedTextBody*>(last.GetObjectBody());
        const uint32_t used = run->GetTextLength();
        const uint32_t joined = LNStylizedTextBody::FitBytes(rest, max > used ? max - used : 0);
        if (joined == rest.GetByteLength()) return run->Append(rest);
        if (joined > 0) {
            if (const LNSTATUS status = run->Append(LNString(rest.GetTextPtr(), joined))) return status;
            rest = LNString(rest.GetTextPtr() + joined, rest.GetByteLength() - joined);
        }
    }
    do {
        const uint32_t bytes = LNStylizedTextBody::FitBytes(rest, max);
        LNRTObject run(new LNStylizedTextBody(LNString(rest.GetTextPtr(), bytes)));
        const LNSTATUS status = last.IsNull() ? AppendChild(&run) : last.GetObjectBody()->InsertAfter(&run);
        if (status != LNNOERROR) return status;
        last = run;
        rest = LNString(rest.GetTextPtr() + bytes, rest.GetByteLength() - bytes);
    } while (rest.GetByteLength() > 0);
    return LNNOERROR;
}

LNSTATUS LNRTContainerBody::Append(const LNRTObject& object) {
    if (!IsValid() || !object.IsValid()) throw LNERR_INVALID_RICHTEXT;
    LNRTObject copy;
    if (const LNSTATUS status = copy.CopyObject(object, true)) return status;
    return AppendChild(&copy);
}

LNSTATUS LNRTContainerBody::AppendChildrenOf(LNRTContainerBody* source) {
    // Copies are taken before any is linked, so a container can take its own children once.
    std::vector<LNRTObject> copies;
    for (LNRTObjectBody* child = source->FirstChild.GetObjectBody(); child != nullptr;
         child = child->GetNextSibling()) {
        copies.emplace_back();
        if (const LNSTATUS status = copies.back().CopyObject(LNRTObject(child), true)) return status;
    }
    for (LNRTObject& copy : copies)
        if (const LNSTATUS status = AppendChild(&copy)) return status;
    return LNNOERROR;
}

LNSTATUS LNRTContainerBody::RemoveChild(LNRTObject* object) {
    if (object == nullptr || !object->IsValid()) throw LNERR_INVALID_RICHTEXT;
    LNRTObjectBody* body = object->GetObjectBody();
    if (body->GetParent() != this) return LNERR_NOT_IN_CONTAINER;
    if (const LNSTATUS status = body->Detach()) return status;
    if (const LNSTATUS status = SetDirty(true)) return status;
    object->SetObjectBody(nullptr);
    return LNNOERROR;
}

LNSTATUS LNRTContainerBody::DeleteChildren() {
    if (!HasChildren()) return LNNOERROR;
    LNRTObject last;
    GetLastChild(&last);
    LNSTATUS first = LNNOERROR;
    // From the end, so that no release runs down a long chain of siblings at once.
    for (LNRTObjectBody* child = last.GetObjectBody(); child->PreviousSibling != nullptr;) {
        LNRTObjectBody* previous = child->PreviousSibling;
        const LNRTObject hold(child);
        previous->NextSibling.SetObjectBody(nullptr);
        const LNSTATUS status = child->Close();
        if (first == LNNOERROR && LNIsError(status)) first = status;
        child = previous;
    }
    last.SetObjectBody(nullptr);
    // Handles held elsewhere may keep the first child alive: it must not point back at this container.
    FirstChild.GetObjectBody()->Parent = nullptr;
    FirstChild.SetObjectBody(nullptr);
    const LNSTATUS dirty = SetDirty(true);
    return first != LNNOERROR ? first : dirty;
}

LNSTATUS LNRTContainerBody::GetFirstChild(LNRTObject* out) const {
    out->SetObjectBody(FirstChild.GetObjectBody());
    return out->IsNull() ? LNWARN_NOT_FOUND : LNNOERROR;
}

LNSTATUS LNRTContainerBody::GetLastChild(LNRTObject* out) const {
    LNRTObjectBody* child = FirstChild.GetObjectBody();
    out->SetObjectBody(child != nullptr ? child->GetLastSibling() : nullptr);
    return child != nullptr ? LNNOERROR : LNWARN_NOT_FOUND;
}

uint32_t LNRTContainerBody::TreeReferences() const {
    // The top container of a rich text is held by that rich text.
    return LNRTObjectBody::TreeReferences() + (RichText != nullptr ? 1 : 0);
}

void LNRTContainerBody::AttachToRichText(LNRichTextBody* richText) {
    LN_ASSERT(richText != nullptr, "lnrtcont", 2571);
    SetType(LNRTTYPE_RICHTEXT);
    RichText = richText;
    SetIndexValue(LNRT_MIN_INDEX_VALUE);
    EndIndexValue = LNRT_MAX_INDEX_VALUE;
}
