#include "ln/lnassert.h"
#include "ln/lncdrecord.h"
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcontainer.h"
#include "ln/lnrtelement.h"
#include "ln/lnstylizedtext.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"

#include <algorithm>

LNRTObjectBody::LNRTObjectBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length) {
    RecordView.Attach(pool, block, (length + 1) & ~1u);
}

LNRTObjectBody::~LNRTObjectBody() {
    LNRTObjectBody::Close();
}

LNRTObjectBody* LNRTObjectBody::FromRecord(uint16_t signature, nnotes::DHANDLE pool, uint16_t block,
                                           uint32_t length, const LNFontTable& fonts) {
    if (signature == LNRTSIG_TEXT) return new LNStylizedTextBody(pool, block, length, fonts);
    LNRTObjectBody* element = new LNRTElementBody(pool, block, length);
    element->SetType(LNRTTYPE_COMPOSITE_DATA);
    return element;
}

LNSTATUS LNRTObjectBody::Close() {
    OnRecordChanged();
    RecordView.Detach();
    RecordView.Release();
    ValueBlock.Release();
    Flags = 0;
    IndexValue = LNRT_NO_INDEX_VALUE;
    Parent = nullptr;
    PreviousSibling = nullptr;
    NextSibling.SetObjectBody(nullptr);
    return LNNOERROR;
}

LNSTATUS LNRTObjectBody::Assign(LNRTObjectBody* source, bool) {
    if (source == nullptr || source == this) return LNERR_INVALID_PARAMETER;
    if (source->Closed) return LNERR_ALREADY_CLOSED;
    RecordView.Release();
    ValueBlock.Release();
    OnRecordChanged();
    Flags = 0;
    IndexValue = source->IndexValue;
    // The object's own record: a container's children are copied as objects of their own.
    const uint32_t length = source->LNRTObjectBody::GetRecordLength();
    if (length == 0) return LNNOERROR;
    if (const LNSTATUS status = SetRecordSize(length)) return status;
    return ValueBlock.CopyFrom(source->BlockInUse(), 0, std::min(length, source->GetBlockSize()));
}

LNRTObjectBody* LNRTObjectBody::NewOfSameKind() const {
    auto* copy = new LNRTObjectBody();
    copy->Type = Type;
    return copy;
}

LNSTATUS LNRTObjectBody::GetFirstOfType(uint32_t type, LNRTObject* out) {
    if (IsType(type)) {
        out->SetObjectBody(this);
        return LNNOERROR;
    }
    out->SetObjectBody(nullptr);
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTObjectBody::GetContainerOfType(uint32_t type, LNRTObject* out) {
    if (Parent != nullptr) return Parent->GetContainerOfType(type, out);
    out->SetObjectBody(nullptr);
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTObjectBody::FindFirstInChildren(uint32_t, bool* found, LNRTObject*) {
    *found = false;
    return LNNOERROR;
}

LNSTATUS LNRTObjectBody::FindLastInChildren(uint32_t, bool* found, LNRTObject*) {
    *found = false;
    return LNNOERROR;
}

LNSTATUS LNRTObjectBody::InsertAtCursor(LNRTObject*, const LNRTCursor&) {
    return LNERR_ELEMENT_CHILD;
}

LNSTATUS LNRTObjectBody::GetLastOfType(uint32_t type, LNRTObject* out) {
    return GetFirstOfType(type, out);
}

LNSTATUS LNRTObjectBody::Detach() {
    // Hold on to this body while the links that own it are rewritten.
    const LNRTObject self(this);
    if (Parent != nullptr && Parent->FirstChild.GetObjectBody() == this) {
        LN_ASSERT(PreviousSibling == nullptr, "lnrtobj", 902);
        Parent->FirstChild = NextSibling;
    }
    LNRTObject next = NextSibling;
    if (next.GetObjectBody() != nullptr) next.GetObjectBody()->PreviousSibling = PreviousSibling;
    if (PreviousSibling != nullptr) PreviousSibling->NextSibling = next;
    NextSibling.SetObjectBody(nullptr);
    PreviousSibling = nullptr;
    Parent = nullptr;
    return LNNOERROR;
}

LNSTATUS LNRTObjectBody::AppendChild(LNRTObject*) {
    return LNERR_ELEMENT_CHILD;
}

LNSTATUS LNRTObjectBody::CopyChildrenInSelection(const RTSelection&, LNRTObjectBody*, LNRTObject* before) {
    return before != nullptr && !before->IsNull() ? LNERR_INVALID_PARAMETER : LNNOERROR;
}

LNRichTextBody* LNRTObjectBody::GetRichText() const {
    return Parent != nullptr ? Parent->GetRichText() : nullptr;
}

uint32_t LNRTObjectBody::HeaderLength() const {
    const LNMemoryBlock& block = BlockInUse();
    uint8_t bytes[6] = {};
    const uint32_t available = std::min<uint32_t>(block.GetSize(), sizeof bytes);
    if (available < 2) throw LNERR_CORRUPTED;
    if (const LNSTATUS status = block.Read(available, bytes, 0)) throw status;
    LNCDRecordHeader header;
    if (const LNSTATUS status = LNDecodeCDHeader(bytes, available, &header)) throw status;
    const uint64_t span = LNCDRecordSpan(header);
    return span > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(span);
}

uint32_t LNRTObjectBody::GetRecordLength() const {
    const LNMemoryBlock& block = BlockInUse();
    if (block.GetSize() == 0) return 0;
    LN_ASSERT(block.GetSize() % 2 == 0, "lnrtobj", 1204);
    return std::min(HeaderLength(), block.GetSize());
}

bool LNRTObjectBody::IsRecordComplete() const {
    const LNMemoryBlock& block = BlockInUse();
    if (block.GetSize() == 0) return true;
    LN_ASSERT(block.GetSize() % 2 == 0, "lnrtobj", 1231);
    return block.GetSize() >= HeaderLength();
}

bool LNRTObjectBody::IsValid() const {
    if (Closed || (Flags & LNRTOBJECTBODY_INVALID) != 0) return false;
    try {
        return IsRecordComplete();
    } catch (LNSTATUS) {
        return false;
    }
}

LNSTATUS LNRTObjectBody::GetText(LNString* text) const {
    const uint16_t signature = GetSignature();
    if (signature == 0x81 || signature == 0xA3 || signature == 0xA5) return text->Append(LNString("\n"));
    if (signature == 0xA4) return text->Append(LNString("\t"));
    return LNNOERROR;
}

uint16_t LNRTObjectBody::GetSignature() const {
    const LNMemoryBlock& block = BlockInUse();
    if (block.GetSize() < 2) return 0;
    uint8_t bytes[2] = {};
    if (block.Read(2, bytes, 0) != LNNOERROR) return 0;
    const uint16_t word = LNReadODSWord(bytes);
    const uint8_t form = static_cast<uint8_t>(word >> 8);
    return form == 0xFF || form == 0x00 ? word : static_cast<uint16_t>(word & 0xFF);
}

LNSTATUS LNRTObjectBody::ReadBytes(uint32_t count, void* destination, uint32_t offset) const {
    return BlockInUse().Read(count, destination, offset);
}

LNSTATUS LNRTObjectBody::ReadStructure(uint16_t type, void* destination, uint32_t offset) const {
    return BlockInUse().ReadStructure(type, destination, offset);
}

LNSTATUS LNRTObjectBody::WriteBytes(uint32_t count, const void* source, uint32_t offset) {
    const uint32_t size = GetBlockSize();
    if (source == nullptr || offset > size) return LNERR_INVALID_PARAMETER;
    const uint64_t end = std::max<uint64_t>(uint64_t{offset} + count, size);
    if (end > nnotes::MAXBLOCKSIZE) return LNERR_INVALID_PARAMETER;
    const uint32_t newSize = static_cast<uint32_t>((end + 1) & ~uint64_t{1});
    if (newSize != size || !UseValueBlock())
        if (const LNSTATUS status = SetRecordSize(newSize)) return status;
    OnRecordChanged();
    return ValueBlock.Write(count, source, offset);
}

LNSTATUS LNRTObjectBody::WriteStructure(uint16_t type, const void* source, uint32_t offset) {
    const uint16_t length = nnotes::ODSLength(type);
    if (source == nullptr || length == 0) return LNERR_INVALID_PARAMETER;
    const uint32_t size = GetBlockSize();
    const uint64_t end = std::max<uint64_t>(uint64_t{offset} + length, size);
    if (end > nnotes::MAXBLOCKSIZE) return LNERR_INVALID_PARAMETER;
    const uint32_t newSize = static_cast<uint32_t>((end + 1) & ~uint64_t{1});
    if (newSize != size || !UseValueBlock())
        if (const LNSTATUS status = SetRecordSize(newSize)) return status;
    OnRecordChanged();
    return ValueBlock.WriteStructure(type, source, offset);
}

LNSTATUS LNRTObjectBody::ShiftBytes(uint32_t count, uint32_t shift, uint32_t offset) {
    if (shift == 0) return LNERR_OUT_OF_RANGE;
    if (!UseValueBlock())
        if (const LNSTATUS status = SetRecordSize(0)) return status;
    OnRecordChanged();
    return ValueBlock.Shift(count, shift, offset);
}

LNSTATUS LNRTObjectBody::SetRecordSize(uint32_t size) {
    LN_ASSERT(!(UseValueBlock() && size == 0), "lnrtobj", 1377);
    const LNMemoryBlock& old = BlockInUse();
    const uint32_t newSize = size == 0 ? old.GetSize() : size;
    if (newSize == 0) return LNERR_INVALID_PARAMETER;
    LNMemoryBlock fresh;
    if (const LNSTATUS status = fresh.Allocate(newSize)) return status;
    const uint32_t keep = std::min(newSize, old.GetSize());
    if (keep > 0)
        if (const LNSTATUS status = fresh.CopyFrom(old, 0, keep)) return status;
    ValueBlock.Swap(fresh);
    fresh.Release();
    OnRecordChanged();
    if (IsDirty()) {
        Flags |= LNRTOBJECTBODY_CDOUTDATED;
        return LNNOERROR;
    }
    Flags |= LNRTOBJECTBODY_CDOUTDATED;
    return SetDirty(true);
}

LNSTATUS LNRTObjectBody::SetDirty(bool dirty) {
    if (dirty) {
        Flags |= LNRTOBJECTBODY_DIRTY;
        return Parent != nullptr ? Parent->SetDirty(true) : LNNOERROR;
    }
    if (!UseValueBlock()) {
        Flags &= ~LNRTOBJECTBODY_DIRTY;
        return LNNOERROR;
    }
    return Parent != nullptr ? Parent->SetDirty(true) : LNNOERROR;
}

LNSTATUS LNRTObjectBody::WriteRecord(uint32_t* offset) {
    const uint32_t length = GetRecordLength();
    LNRichTextBody* richText = GetRichText();
    if (richText == nullptr) return LNWARN_NOT_FOUND;
    if (length == 0) return LNNOERROR;
    LNMemoryBlock* block = nullptr;
    if (const LNSTATUS status = richText->GetWriteBlock(length, offset, &block)) return status;
    LNMemoryBlock source;
    if (const LNSTATUS status = source.AttachRange(BlockInUse(), length, 0)) return status;
    LNMemoryBlock target;
    if (const LNSTATUS status = target.AttachRange(*block, length, *offset)) return status;
    if (const LNSTATUS status = target.CopyFrom(source, 0, length)) return status;
    ValueBlock.Release();
    Flags &= ~(LNRTOBJECTBODY_CDOUTDATED | LNRTOBJECTBODY_DIRTY);
    RecordView.Swap(target);
    *offset += length;
    return LNNOERROR;
}

LNSTATUS LNRTObjectBody::WriteBackValueBlock() {
    LN_ASSERT(UseValueBlock(), "lnrtobj", 1502);
    if ((Flags & LNRTOBJECTBODY_CDOUTDATED) == 0) return LNNOERROR;
    if (const LNSTATUS status = RecordView.CopyFrom(ValueBlock, 0, GetRecordLength())) return status;
    ValueBlock.Release();
    Flags &= ~LNRTOBJECTBODY_CDOUTDATED;
    return LNNOERROR;
}

LNRTObjectBody* LNRTObjectBody::GetLastSibling() const {
    const LNRTObjectBody* at = this;
    for (uint32_t i = 0; at->GetNextSibling() != nullptr; ++i) {
        LN_ASSERT(i < 1000000, "lnrtobj", 1044);
        at = at->GetNextSibling();
    }
    return const_cast<LNRTObjectBody*>(at);
}

uint32_t LNRTObjectBody::TreeReferences() const {
    const bool first = Parent != nullptr && Parent->FirstChild.GetObjectBody() == this;
    return first || PreviousSibling != nullptr ? 1 : 0;
}

bool LNRTObjectBody::IsReferencedOnlyByTree() const {
    return !IsClosed() && GetRefCount() == 1 + TreeReferences();
}

bool LNRTObjectBody::CheckIndexValues(const LNRTObjectBody* other) const {
    if (other == nullptr) return true;
    return GetEndIndexValue() < other->GetIndexValue();
}

LNRTContainerBody* LNRTObjectBody::GetTopContainer() {
    LNRTObjectBody* at = this;
    while (at->Parent != nullptr)
        at = at->Parent;
    return at->IsType(LNRTTYPE_CONTAINER) ? static_cast<LNRTContainerBody*>(at) : nullptr;
}

bool LNRTObjectBody::IsInside(const LNRTContainerBody* container) const {
    if (container == nullptr) return true;
    for (const LNRTObjectBody* at = Parent; at != nullptr; at = at->Parent)
        if (at == container) return true;
    return false;
}
