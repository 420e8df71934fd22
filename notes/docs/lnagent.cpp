#include "ln/lnagent.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnform.h"
#include "nnotes/mail.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

LNAgentBody::LNAgentBody(LNDatabaseBody* database, const LNString& name, LNSTATUS* status)
    : LNNoteBody(database, LNNOTECLASS{LNNOTECLASS_AGENT}, status) {
    LN_ASSERT(database && status, "lnagent", 806);
    if (*status != LNNOERROR) return;
    if (name.IsEmpty()) {
        *status = LNERR_NAME_REQUIRED;
        return;
    }
    // Deleting by name goes through an item handle, whose end would delete this body while it has no
    // reference of its own yet.
    AddReference();
    if (HasItem(LNString(nnotes::FIELD_TITLE))) *status = DeleteItem(LNString(nnotes::FIELD_TITLE));
    ReleaseReference();
    if (*status == LNNOERROR) *status = LNAppendDesignTitle(this, name);
}

LNAgentBody::~LNAgentBody() {
    if (IsAgentOpen()) Close();
}

LNSTATUS LNAgentBody::Open(uint32_t options) {
    if (options != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (IsAgentOpen()) return LNWARN_ALREADY_OPEN;
    if (!IsOpen())
        if (const LNSTATUS status = LNNoteBody::Open(0)) return status;
    if (const nnotes::STATUS status = nnotes::OpenAgent(GetDatabaseBody()->GetHandle(), GetNoteID(), &Agent))
        return LNReturnOrThrowNotesStatus(status);
    AgentFlags |= kAgentOpen;
    return LNNOERROR;
}

LNSTATUS LNAgentBody::Close() {
    if (!IsAgentOpen()) return LNWARN_NOT_OPEN;
    AgentFlags = 0;
    const nnotes::STATUS closed = nnotes::CloseAgent(Agent);
    Agent = 0;
    const LNSTATUS status = IsOpen() ? LNNoteBody::Close() : LNNOERROR;
    if (closed != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(closed);
    return status;
}

LNSTATUS LNAgentBody::Run() {
    nnotes::STATUS status = nnotes::CreateRunContext(Agent, 0, 0, &RunContext);
    if (status == nnotes::NOERROR) {
        status = nnotes::RunAgent(Agent, RunContext, 0, 0);
        nnotes::DestroyRunContext(RunContext);
    }
    RunContext = 0;
    return LNReturnOrThrowNotesStatus(status);
}

LNAgent::LNAgent(const LNNote& note) {
    Convert(note);
}

LNAgent& LNAgent::operator=(const LNNote& note) {
    Convert(note);
    return *this;
}

// Only an agent body has the agent's Open and Close; a note opened otherwise is taken by its id.
void LNAgent::Convert(const LNNote& note) {
    if ((note.GetNoteClass() & LNNOTECLASS_AGENT) == 0) throw LNERR_CONVERSION;
    LNNoteBody* body = note.GetNoteBody();
    if (body != nullptr && body->GetClassID() == LNCLASSID_LNAGENTBODY)
        LNNote::SetNoteBody(body);
    else
        SetNoteID(note.GetDatabase().GetDatabaseBody(), note.GetNoteID());
}

LNAgentBody* LNAgent::GetAgentBody() const {
    LNNoteBody* body = GetNoteBody();
    return body != nullptr && body->GetClassID() == LNCLASSID_LNAGENTBODY ? static_cast<LNAgentBody*>(body)
                                                                          : nullptr;
}

LNSTATUS LNAgent::Open(uint32_t options) {
    if (GetAgentBody() == nullptr) {
        LNDatabaseBody* database = Database.GetDatabaseBody();
        if (database == nullptr || NoteID == 0) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
        LNSTATUS status = LNNOERROR;
        auto* body = new LNAgentBody(database, NoteID, &status);
        if (status != LNNOERROR) {
            delete body;
            return LNReturnOrThrow(status);
        }
        LNNote::SetNoteBody(body);
    }
    return GetAgentBody()->Open(options);
}

LNSTATUS LNAgent::Close() {
    if (GetAgentBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetAgentBody()->Close();
}

LNSTATUS LNAgent::Run() {
    if (GetAgentBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetAgentBody()->Run();
}
