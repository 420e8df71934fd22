// Agents: an agent note's formula, compiled when the agent is opened and evaluated for every document of its
// database when it runs.
#include "process/process.h"
#include "store/store_handles.h"

#include <string>

namespace nnotes {
namespace {

struct Agent {
    DBHANDLE db = 0;
    DHANDLE formula = NULLHANDLE; // compiled "$Formula"; none for an agent without one
    uint16_t formulaLength = 0;
    ~Agent() {
        if (formula != NULLHANDLE) FreeBlock(formula);
    }
};

struct RunContext {
    HAGENT agent = 0;
};

store::HandleTable<Agent>& Agents() {
    static auto* agents = new store::HandleTable<Agent>; // never destroyed: see AtTermProcess
    return *agents;
}

store::HandleTable<RunContext>& Contexts() {
    static auto* contexts = new store::HandleTable<RunContext>;
    return *contexts;
}

void ReleaseAll() {
    Contexts().RemoveAll();
    Agents().RemoveAll();
}

// The agent's formula text ("" when it has none) and whether the note is an agent at all.
STATUS ReadAgentNote(DBHANDLE db, NOTEID id, std::string* formula) {
    NOTEHANDLE note = NULLHANDLE;
    if (STATUS s = OpenNote(db, id, 0, &note)) return s;
    uint16_t noteClass = 0;
    STATUS s = GetNoteInfo(note, NOTE_INFO_CLASS, &noteClass);
    if (s == NOERROR && (noteClass & NOTE_CLASS_FILTER) == 0) s = ERR_NOT_AN_AGENT;
    if (s == NOERROR) {
        std::string text(0xFFFF, '\0');
        uint16_t length = 0;
        s = GetItemText(note, "$Formula", text.data(), 0xFFFF, &length);
        if (ERR(s) == ERR_ITEM_NOT_FOUND) s = NOERROR;
        formula->assign(text.data(), s == NOERROR ? length : 0);
    }
    CloseNote(note);
    return s;
}

// Evaluates the computation for every document of db.
STATUS EvaluateDocuments(DBHANDLE db, HCOMPUTE compute) {
    DHANDLE table = NULLHANDLE;
    STATUS s = GetModifiedNoteTable(db, NOTE_CLASS_DOCUMENT, nullptr, nullptr, &table);
    if (ERR(s) == ERR_NO_MODIFIED_NOTES) return NOERROR;
    if (s != NOERROR) return s;
    NOTEID id = 0;
    for (bool first = true; s == NOERROR && IDScan(table, first, &id) == NOERROR; first = false) {
        NOTEHANDLE note = NULLHANDLE;
        s = OpenNote(db, id, 0, &note);
        if (s != NOERROR) break;
        bool matches = false;
        s = ComputeEvaluate(compute, note, nullptr, nullptr, &matches);
        CloseNote(note);
    }
    DestroyIDTable(table);
    return s;
}

} // namespace

STATUS OpenAgent(DBHANDLE db, NOTEID id, HAGENT* agent) {
    if (STATUS s = RequireProcess()) return s;
    if (agent == nullptr) return ERR_MISSING_ARGUMENT;
    std::string text;
    if (STATUS s = ReadAgentNote(db, id, &text)) return s;
    auto opened = std::make_shared<Agent>();
    opened->db = db;
    if (!text.empty()) {
        if (STATUS s = CompileFormula(text.data(), static_cast<uint16_t>(text.size()), &opened->formula,
                                      &opened->formulaLength))
            return s;
    }
    AtTermProcess(ReleaseAll);
    const uint32_t handle = Agents().Add(std::move(opened));
    if (handle == 0) return ERR_AGENT_HANDLE;
    *agent = handle;
    return NOERROR;
}

STATUS CloseAgent(HAGENT agent) {
    if (STATUS s = RequireProcess()) return s;
    return Agents().Remove(agent) == nullptr ? ERR_AGENT_HANDLE : NOERROR;
}

STATUS CreateRunContext(HAGENT agent, uint32_t, uint32_t, HAGENTCTX* context) {
    if (STATUS s = RequireProcess()) return s;
    if (context == nullptr) return ERR_MISSING_ARGUMENT;
    if (Agents().Find(agent) == nullptr) return ERR_AGENT_HANDLE;
    auto made = std::make_shared<RunContext>();
    made->agent = agent;
    const uint32_t handle = Contexts().Add(std::move(made));
    if (handle == 0) return ERR_AGENT_HANDLE;
    *context = handle;
    return NOERROR;
}

STATUS RunAgent(HAGENT agent, HAGENTCTX context, uint32_t, uint32_t) {
    if (STATUS s = RequireProcess()) return s;
    const auto found = Agents().Find(agent);
    const auto run = Contexts().Find(context);
    if (found == nullptr || run == nullptr || run->agent != agent) return ERR_AGENT_HANDLE;
    if (found->formula == NULLHANDLE) return NOERROR;
    const void* formula = LockBlock(found->formula);
    if (formula == nullptr) return ERR_BAD_HANDLE;
    HCOMPUTE compute = 0;
    STATUS s = ComputeStart(formula, found->formulaLength, &compute);
    if (s == NOERROR) {
        s = EvaluateDocuments(found->db, compute);
        ComputeStop(compute);
    }
    UnlockBlock(found->formula);
    return s;
}

STATUS DestroyRunContext(HAGENTCTX context) {
    if (STATUS s = RequireProcess()) return s;
    return Contexts().Remove(context) == nullptr ? ERR_AGENT_HANDLE : NOERROR;
}

} // namespace nnotes
