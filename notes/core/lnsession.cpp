#include "ln/lnsession.h"

#include "ln/lnerrors.h"
#include "ln/lnserveraddin.h"
#include "ln/lnsessiontext.h"
#include "nnotes/process.h"
#include "nnotes/status.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_set>

namespace {

// Sessions that have ended (terminated or destroyed), until a session starts again at that address.
std::mutex gEndedLock;
std::unordered_set<const LNNotesSession*>& EndedSessions() {
    static auto* ended = new std::unordered_set<const LNNotesSession*>;
    return *ended;
}

void SetLive(const LNNotesSession* session, bool live) {
    const std::lock_guard<std::mutex> guard(gEndedLock);
    if (live)
        EndedSessions().erase(session);
    else
        EndedSessions().insert(session);
}

} // namespace

bool LNIsLiveSession(const LNNotesSession* session) {
    if (session == nullptr) return false;
    const std::lock_guard<std::mutex> guard(gEndedLock);
    return EndedSessions().count(session) == 0;
}

void* LNNotesSession::operator new(std::size_t size) {
    if (void* block = std::malloc(size)) return block;
    throw LNERR_NO_MEMORY;
}

void LNNotesSession::operator delete(void* object) noexcept {
    std::free(object);
}

LNNotesSession::LNNotesSession() : LNNotesClass(this) {
    SetLive(this, true);
}

LNNotesSession::~LNNotesSession() {
    try {
        if ((Flags & kProcess) != 0)
            Term();
        else if ((Flags & kThread) != 0)
            TermThread();
    } catch (LNSTATUS) {
        // ThrowAllErrors may make Term throw; a destructor must not.
    }
    SetLive(this, false);
    std::free(DataDirectory);
    std::free(UserName);
}

void LNNotesSession::Require() const {
    if (!IsInitialized()) throw LNERR_SESSION_NOT_INITIALIZED;
}

LNSTATUS LNNotesSession::Check() const {
    return IsInitialized() ? LNNOERROR : LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
}

LNSTATUS LNNotesSession::Init(uint32_t version, int argc, char** argv) {
    if (IsInitialized()) return LNReturnOrThrow(LNERR_SESSION_ALREADY_INITIALIZED);
    if (const LNSTATUS status = LNInitAPI(version)) return LNReturnOrThrow(status);
    if (const nnotes::STATUS status = nnotes::InitProcess(argc, argv)) {
        LNTermAPI();
        return LNReturnOrThrowNotesStatus(status);
    }
    if (PortName.IsNull()) PortName = LNNotesString("");
    Flags |= kProcess;
    SetLive(this, true);
    return LNNOERROR;
}

LNSTATUS LNNotesSession::InitThread() {
    if (IsInitialized()) return LNReturnOrThrow(LNERR_SESSION_ALREADY_INITIALIZED);
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (const nnotes::STATUS status = nnotes::InitThread()) return LNReturnOrThrowNotesStatus(status);
    Flags |= kThread;
    SetLive(this, true);
    return LNNOERROR;
}

LNSTATUS LNNotesSession::Term() {
    if ((Flags & kProcess) == 0) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    Objects.DeleteAllObjects();
    Flags &= ~kProcess;
    // What survives the termination (bodies that handles still hold) no longer reaches this session.
    SetLive(this, false);
    if (ServerAddin != nullptr) ServerAddin->Close();
    PortName.ReleaseBody();
    const LNSTATUS status = LNTermAPI();
    nnotes::TermProcess();
    return LNReturnOrThrow(status);
}

LNSTATUS LNNotesSession::TermThread() {
    if ((Flags & kThread) == 0) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    Objects.DeleteAllObjects();
    Flags &= ~kThread;
    SetLive(this, false);
    nnotes::TermThread();
    return LNNOERROR;
}

uint32_t LNNotesSession::GetDefaultOpenOptions() const {
    Require();
    return DefaultOpenOptions;
}

LNSTATUS LNNotesSession::SetDefaultOpenOptions(uint32_t options) {
    if (const LNSTATUS status = Check()) return status;
    DefaultOpenOptions = options;
    return LNNOERROR;
}

LNSTATUS LNNotesSession::AddObject(LNNotesClass* object) {
    if (const LNSTATUS status = Check()) return status;
    return Objects.AddObject(object);
}
