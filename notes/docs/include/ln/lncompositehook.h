// The bodies of composite items (rich text and font tables) live in the rich-text module, which depends on
// this one; the note's item factory reaches them through functions that the rich-text module installs.
// Without them composite items open as plain items and no empty rich-text item can be made.
#pragma once

#include "ln/lnitembody.h"
#include "nnotes/memblock.h"

class LNNoteBody;

// The body of a note's composite item: a font table for LNITEMTYPE_FONTTABLE, else rich text.
using LNNewCompositeBodyFunction = LNItemBody*(LNITEMTYPE type, LNNoteBody* note, nnotes::BLOCKID item,
                                               uint16_t nsfType, uint16_t flags, nnotes::BLOCKID value,
                                               uint32_t size);
// Joins a further item of a rich-text field to the body of the field's first item, in item order. A body
// that is not rich text gives LNERR_INVALID_PARAMETER.
using LNAddItemBlockFunction = LNSTATUS(LNItemBody* body, nnotes::BLOCKID item, nnotes::BLOCKID value,
                                        uint32_t length);
// Further item index of a rich-text body (0 is the item after the body's own), in item order;
// LNWARN_NOT_FOUND past the last one and for any other body.
using LNGetItemBlockFunction = LNSTATUS(const LNItemBody* body, uint32_t index, nnotes::BLOCKID* item,
                                        nnotes::BLOCKID* value, uint32_t* length);
// A new block (the caller owns it) holding the value of an empty rich text, type word included.
using LNNewEmptyValueFunction = LNSTATUS(nnotes::BLOCKID* value, uint32_t* size);

// The items of the rich text source were copied to the end of a rich-text field of a note: the faces that
// source named by its font table (its note's, or its own) are given to the note's font table, so that they
// are not lost.
using LNAdoptFontsFunction = LNSTATUS(LNItemBody* field, const LNItemBody* source);

struct LNCompositeItemHooks {
    LNNewCompositeBodyFunction* NewBody;
    LNAddItemBlockFunction* AddItemBlock;
    LNGetItemBlockFunction* GetItemBlock;
    LNNewEmptyValueFunction* NewEmptyValue;
    LNAdoptFontsFunction* AdoptFonts;
};

// Installs the hooks (copied); null removes them.
void LNSetCompositeItemHooks(const LNCompositeItemHooks* hooks);
// The installed hooks, or null.
const LNCompositeItemHooks* LNGetCompositeItemHooks();
