#include "lnnotebodyfactory.h"

#include "ln/lnagent.h"
#include "ln/lndocument.h"
#include "ln/lnform.h"
#include "ln/lnviewfolder.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"

// Documents get the plain document role: a mail role would make closing the note close its database too.
LNNoteBody* LNNewNoteBodyForClass(LNNOTECLASS noteClass, LNDatabaseBody* database, nnotes::NOTEID id,
                                  LNSTATUS* status) {
    if ((noteClass & LNNOTECLASS_AGENT) != 0) return new LNAgentBody(database, id, status);
    if ((noteClass & LNNOTECLASS_DOCUMENT) != 0)
        return new LNDocumentBody(database, id, LNMAILMSGTYPE_DOCUMENT, status);
    if ((noteClass & LNNOTECLASS_FORM) != 0) return new LNFormBody(database, id, status);
    if ((noteClass & LNNOTECLASS_VIEW) != 0)
        return new LNViewFolderBody(database, id, LNVFNOTETYPE_VIEW, status);
    return new LNNoteBody(database, id, status);
}

LNNoteBody* LNNewNoteBodyForClass(LNNOTECLASS noteClass, nnotes::NOTEHANDLE handle, LNDatabaseBody* database,
                                  LNSTATUS* status) {
    if ((noteClass & LNNOTECLASS_AGENT) != 0) return new LNAgentBody(handle, database, status);
    if ((noteClass & LNNOTECLASS_DOCUMENT) != 0) return new LNDocumentBody(handle, database, status);
    if ((noteClass & LNNOTECLASS_FORM) != 0) return new LNFormBody(handle, database, status);
    if ((noteClass & LNNOTECLASS_VIEW) != 0) return new LNViewFolderBody(handle, database, status);
    return new LNNoteBody(handle, database, status);
}
