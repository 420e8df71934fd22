#include "lncompositefactory.h"

LNItemBody* LNNewCompositeItemBody(LNITEMTYPE type, LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType,
                                   uint16_t flags, nnotes::BLOCKID value, uint32_t size) {
    if (type == LNITEMTYPE_FONTTABLE) return new LNFontTableBody(note, item, nsfType, flags, value, size);
    return new LNRichTextBody(note, item, nsfType, flags, value, size);
}
