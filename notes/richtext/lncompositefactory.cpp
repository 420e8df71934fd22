#include "lncompositefactory.h"

#include "ln/lncompositehook.h"
#include "ln/lnerrors.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

LNSTATUS AddItemBlock(LNItemBody* body, nnotes::BLOCKID item, nnotes::BLOCKID value, uint32_t length) {
    if (body == nullptr || body->GetClassID() != LNCLASSID_LNRICHTEXTBODY) return LNERR_INVALID_PARAMETER;
    return static_cast<LNRichTextBody*>(body)->AddItemBlock(item, value, length);
}

LNSTATUS GetItemBlock(const LNItemBody* body, uint32_t index, nnotes::BLOCKID* item, nnotes::BLOCKID* value,
                      uint32_t* length) {
    if (body == nullptr || body->GetClassID() != LNCLASSID_LNRICHTEXTBODY) return LNWARN_NOT_FOUND;
    return static_cast<const LNRichTextBody*>(body)->GetItemBlock(index, item, value, length);
}

LNSTATUS AdoptFonts(LNItemBody* field, const LNItemBody* source) {
    if (field == nullptr || source == nullptr || field->GetClassID() != LNCLASSID_LNRICHTEXTBODY ||
        source->GetClassID() != LNCLASSID_LNRICHTEXTBODY)
        return LNNOERROR;
    try {
        return static_cast<LNRichTextBody*>(field)->AdoptFontsOf(static_cast<const LNRichTextBody*>(source));
    } catch (LNSTATUS status) {
        return status;
    }
}

// A new rich-text item holds what a rich text with an empty text appended writes.
LNSTATUS NewEmptyValue(nnotes::BLOCKID* value, uint32_t* size) {
    try {
        LNRichText empty;
        if (const LNSTATUS status = empty.Append(LNString(""))) return status;
        LNRichTextBody* body = empty.GetRichTextBody();
        if (const LNSTATUS status = body->BuildValue()) return status;
        const uint32_t length = body->GetValueSize();
        nnotes::DHANDLE block = nnotes::NULLHANDLE;
        if (const nnotes::STATUS status = nnotes::AllocateBlock(0, length, &block))
            return LNToNotesStatus(status);
        std::memcpy(nnotes::LockBlock(block), body->LockValue(), length);
        body->UnlockValue();
        nnotes::UnlockBlock(block);
        *value = nnotes::BLOCKID{block, 0};
        *size = length;
        return LNNOERROR;
    } catch (LNSTATUS status) {
        return status;
    }
}

} // namespace

LNItemBody* LNNewCompositeItemBody(LNITEMTYPE type, LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType,
                                   uint16_t flags, nnotes::BLOCKID value, uint32_t size) {
    if (type == LNITEMTYPE_FONTTABLE) return new LNFontTableBody(note, item, nsfType, flags, value, size);
    return new LNRichTextBody(note, item, nsfType, flags, value, size);
}

void LNInstallRichTextFactory() {
    static constexpr LNCompositeItemHooks kHooks{LNNewCompositeItemBody, AddItemBlock, GetItemBlock,
                                                 NewEmptyValue, AdoptFonts};
    LNSetCompositeItemHooks(&kHooks);
}
