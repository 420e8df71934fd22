// The faces of a rich text: styles brought from other font tables are adopted into this rich text's own
// table (the note's "$Fonts", or the table of a free-standing rich text), so that face ids stay valid.
#include "ln/lnassert.h"
#include "ln/lncdrecord.h"
#include "ln/lnerrors.h"
#include "ln/lnnote.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnstylizedtext.h"

LNSTATUS LNRichTextBody::AdoptFontStyle(const LNFontStyle& style, LNFontStyle* adopted, uint32_t mask,
                                        bool createTable) {
    LN_ASSERT(adopted != nullptr, "lnrtitem", 902);
    const uint32_t fontId = style.GetFontID() & mask;
    const uint8_t face = static_cast<uint8_t>(fontId);
    LNFontTable source;
    style.GetFontTable(&source);
    LNFontTable own;
    if (const LNSTATUS status = GetFontTable(&own); LNIsError(status)) return status;
    if (face <= LNFONT_STANDARD_FACES || source.IsNull() || source == own) {
        *adopted = LNFontStyle(fontId, face <= LNFONT_STANDARD_FACES ? LNFontTable() : own);
        return LNNOERROR;
    }
    LNFontFace found{};
    if (const LNSTATUS status = source.GetFace(face, &found); LNIsError(status)) return status;
    uint8_t id = found.Face;
    if (own.IsNull()) {
        if (IsInNote()) {
            if (!createTable) {
                *adopted = LNFontStyle(fontId, source);
                return LNNOERROR;
            }
            // The note makes the item, so that it knows the body as its font table.
            LNFontTable fresh;
            fresh = new LNFontTableBody(found);
            if (const LNSTATUS status =
                    GetNoteBody()->CreateItem(LNString(LNFONTTABLE_ITEM), fresh, 0, LNITEMDUP_REFUSE, &own))
                return status;
        } else {
            NonItemFontTable = new LNFontTableBody(found);
            own = NonItemFontTable;
        }
    } else if (const LNSTATUS status = own.AddFaceByName(found.Family, found.Name, &id); LNIsError(status)) {
        return status;
    }
    *adopted = LNFontStyle((fontId & ~0xFFu) | id, own);
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::AdoptRunFonts(LNRTObjectBody* object) {
    if (object->IsType(LNRTTYPE_STYLIZED_TEXT)) {
        auto* run = static_cast<LNStylizedTextBody*>(object);
        const LNFontStyle& style = run->GetFontStyle();
        if (style.IsNull() || style.GetFaceID() <= LNFONT_STANDARD_FACES) return LNNOERROR;
        LNFontStyle adopted;
        if (const LNSTATUS status = AdoptFontStyle(style, &adopted, 0xFFFFFFFFu)) return status;
        return adopted.GetFontID() == style.GetFontID() ? LNNOERROR : run->SetFontStyle(adopted);
    }
    if (!object->IsType(LNRTTYPE_CONTAINER)) return LNNOERROR;
    LNRTObject child;
    static_cast<LNRTContainerBody*>(object)->GetFirstChild(&child);
    for (LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling())
        if (const LNSTATUS status = AdoptRunFonts(at)) return status;
    return LNNOERROR;
}

namespace {

// The records of a stored composite value (type word first).
uint32_t CountRecords(nnotes::BLOCKID value, uint32_t size) {
    if (value.pool == nnotes::NULLHANDLE || size < 2) return 0;
    const uint8_t* bytes = MemoryBlockLockCache::Lock(value.pool, value.block);
    if (bytes == nullptr) return 0;
    uint32_t count = 0;
    LNWalkCDRecords(bytes + 2, size - 2, [&](uint32_t, const LNCDRecordHeader&, uint32_t) -> LNSTATUS {
        ++count;
        return LNNOERROR;
    });
    MemoryBlockLockCache::Release();
    return count;
}

} // namespace

uint32_t LNRichTextBody::CountStoredRecords() const {
    uint32_t count = CountRecords(GetValueBlockID(), LNItemBody::GetValueSize());
    for (const ItemBlock& entry : ItemBlocks)
        count += CountRecords(entry.value, entry.length);
    return count;
}

LNSTATUS LNRichTextBody::AdoptFontsOf(const LNRichTextBody* source) {
    if (source == nullptr || source == this || source->Closed) return LNNOERROR;
    // Faces that source names without a table of its own mean nothing anywhere: they stay as they are.
    LNFontTable from;
    if (source->GetFontTable(&from) != LNNOERROR) return LNNOERROR;
    LNFontTable own;
    if (GetFontTable(&own) == LNNOERROR && own == from) return LNNOERROR;
    if (const LNSTATUS status = Ready()) return status;
    // The copied items are the field's last ones, and each of their records became one child.
    uint32_t copied = source->CountStoredRecords();
    std::vector<LNStylizedTextBody*> runs;
    LNRTObject last;
    Top.GetContainerBody()->GetLastChild(&last);
    for (LNRTObjectBody* at = last.GetObjectBody(); at != nullptr && copied > 0;
         at = at->GetPreviousSibling(), --copied)
        if (at->IsType(LNRTTYPE_STYLIZED_TEXT)) runs.push_back(static_cast<LNStylizedTextBody*>(at));
    for (LNStylizedTextBody* run : runs) {
        const uint32_t fontId =
            run->GetFontStyle().IsNull() ? LNFONTID_DEFAULT : run->GetFontStyle().GetFontID();
        if (static_cast<uint8_t>(fontId) <= LNFONT_STANDARD_FACES) continue;
        LNFontStyle adopted;
        if (const LNSTATUS status = AdoptFontStyle(LNFontStyle(fontId, from), &adopted, 0xFFFFFFFFu))
            return status;
        // Written back even when the id stays: the stored field was copied with the old table in mind.
        if (const LNSTATUS status = run->SetFontStyle(adopted)) return status;
    }
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                             uint32_t mask) {
    if (style.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    LNFontStyle adopted;
    if (const LNSTATUS status = AdoptFontStyle(style, &adopted, mask)) return LNReturnOrThrow(status);
    return LNReturnOrThrow(Top.GetContainerBody()->SetFontStyleInRange(a, b, adopted, mask));
}

LNSTATUS LNRichTextBody::SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) {
    if (style.IsNull()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    LNFontStyle adopted;
    if (const LNSTATUS status = AdoptFontStyle(style, &adopted, 0xFFFFFFFFu)) return LNReturnOrThrow(status);
    return LNReturnOrThrow(Top.GetContainerBody()->SetFontStyleFromCursor(cursor, adopted));
}
