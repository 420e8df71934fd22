// The bodies of composite items, for the note's item factory: a font table for "$Fonts" values read as
// LNITEMTYPE_FONTTABLE, rich text for every other composite item. Further items of a rich-text field's name
// join the first item's body through LNRichTextBody::AddItemBlock.
#pragma once

#include "ln/lnfonttable.h"
#include "ln/lnrichtext.h"
#include "nnotes/memblock.h"

LNItemBody* LNNewCompositeItemBody(LNITEMTYPE type, LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType,
                                   uint16_t flags, nnotes::BLOCKID value, uint32_t size);

// Lets the note's item factory build these bodies. Every program that uses rich text has it done before
// main; a program that only opens notes may call it itself. Calling it again does no harm.
void LNInstallRichTextFactory();
