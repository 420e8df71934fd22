#include "lnsession.h"

#include "lnerrors.h"
#include "lnserveraddin.h"
#include "lnsessiontext.h"

#include <cstdlib>
#include <new>

void* LNNotesSession::operator new(std::size_t size) {
    if (void* block = std::malloc(size)) return block;
    throw LNERR_NO_MEMORY;
}

void LNNotesSession::operator delete(void* object) noexcept {
    std::free(object);
}

LNNotesSession::LNNotesSession() : LNNotesClass(this) {}

LNNotesSession::~LNNotesSession() {
    try {
        if ((Flags & kProcess) != 0)
            Term();
        else if ((Flags & kThread) != 0)
            TermThread();
    } catch (LNSTATUS) {
        // ThrowAllErrors may make Term throw; a destructor must not.
    }
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
    return LNNOERROR;
}

LNSTATUS LNNotesSession::InitThread() {
    if (IsInitialized()) return LNReturnOrThrow(LNERR_SESSION_ALREADY_INITIALIZED);
    if (!LNIsAPIInitialized()) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (const nnotes::STATUS status = nnotes::InitThread()) return LNReturnOrThrowNotesStatus(status);
    Flags |= kThread;
    return LNNOERROR;
}

LNSTATUS LNNotesSession::Term() {
    if ((Flags & kProcess) == 0) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    Objects.DeleteAllObjects();
    Flags &= ~kProcess;
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
