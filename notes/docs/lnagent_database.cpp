// The database operations that hand out agents. Agents whose "$Flags" hold "X" or "s" are not offered as
// agents of the database.
#include "ln/lnagent.h"
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnform.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

// Whether the agent's "$Flags" leave it out of the database's agents.
nnotes::STATUS IsHidden(nnotes::DBHANDLE db, nnotes::NOTEID id, bool* hidden) {
    nnotes::NOTEHANDLE note = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::OpenNote(db, id, 0, &note)) return status;
    char flags[33] = {};
    if (nnotes::GetItemText(note, "$Flags", flags, sizeof flags, nullptr) != nnotes::NOERROR) flags[0] = '\0';
    nnotes::CloseNote(note);
    *hidden = std::strpbrk(flags, "Xs") != nullptr;
    return nnotes::NOERROR;
}

// A new table of the agents of all that are offered.
nnotes::STATUS FilterAgents(nnotes::DBHANDLE db, nnotes::DHANDLE all, nnotes::DHANDLE* offered) {
    if (const nnotes::STATUS status = nnotes::CreateIDTable(offered)) return status;
    nnotes::NOTEID id = 0;
    for (bool first = true; nnotes::IDScan(all, first, &id) == nnotes::NOERROR; first = false) {
        bool hidden = false;
        nnotes::STATUS status = IsHidden(db, id, &hidden);
        if (status == nnotes::NOERROR && !hidden) status = nnotes::InsertID(*offered, id, nullptr);
        if (status != nnotes::NOERROR) {
            nnotes::DestroyIDTable(*offered);
            return status;
        }
    }
    return nnotes::NOERROR;
}

} // namespace

LNSTATUS LNDatabase::GetAgent(const LNString& name, LNAgent* agent) const {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    return LNPointAtDesignNote(body, name, LNNOTECLASS_AGENT, agent);
}

LNSTATUS LNDatabase::DeleteAgent(LNAgent* agent) {
    return DeleteNote(agent);
}

LNSTATUS LNDatabase::GetAgents(LNAgentArray* agents) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (agents == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    nnotes::DHANDLE all = nnotes::NULLHANDLE, offered = nnotes::NULLHANDLE;
    nnotes::STATUS status =
        nnotes::GetModifiedNoteTable(body->GetHandle(), LNNOTECLASS_AGENT, nullptr, nullptr, &all);
    if (status == nnotes::NOERROR) {
        status = FilterAgents(body->GetHandle(), all, &offered);
        nnotes::DestroyIDTable(all);
    }
    if (status == nnotes::NOERROR && nnotes::IDEntries(offered) == 0) {
        nnotes::DestroyIDTable(offered);
        status = nnotes::ERR_NO_MODIFIED_NOTES;
    }
    if (nnotes::ERR(status) == nnotes::ERR_NO_MODIFIED_NOTES) {
        agents->SetBody(body, nullptr, LNNOTECLASS_AGENT);
        return LNWARN_NOT_FOUND;
    }
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    auto* table = new LNIDTable(offered);
    if (const LNSTATUS added = body->AddObject(table)) {
        delete table;
        return LNReturnOrThrow(added);
    }
    agents->SetBody(body, table, LNNOTECLASS_AGENT);
    return LNNOERROR;
}
