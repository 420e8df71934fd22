// The typed note body for a note's class word, chosen alike wherever a body is made for a stored or copied
// note: agents first, then documents, forms, views and folders; every other class gets a plain note body.
#pragma once

#include "ln/lnnote.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"

// A body to be opened later.
LNNoteBody* LNNewNoteBodyForClass(LNNOTECLASS noteClass, LNDatabaseBody* database, nnotes::NOTEID id,
                                  LNSTATUS* status);
// A body that adopts a note handle that is already open.
LNNoteBody* LNNewNoteBodyForClass(LNNOTECLASS noteClass, nnotes::NOTEHANDLE handle, LNDatabaseBody* database,
                                  LNSTATUS* status);
