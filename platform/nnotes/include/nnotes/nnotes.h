// libnnotes: the Notes client library of this system, a document store on SQLite.
//
// This header gathers the library's public headers, one for each area, for a caller that wants all of them;
// a caller may as well include only the headers of the areas it uses. Every operation returns a 16-bit STATUS
// (0 = success) unless its comment says otherwise; LoadNotesMessage gives the text of every status the
// library returns. Callers test statuses on their low 14 bits (ERR_MASK).
#pragma once

#include "nnotes/acl.h"
#include "nnotes/addin.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/formula.h"
#include "nnotes/fulltext.h"
#include "nnotes/idtable.h"
#include "nnotes/mail.h"
#include "nnotes/memblock.h"
#include "nnotes/nls.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/process.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"
#include "nnotes/textlist.h"
#include "nnotes/timedate.h"
