#include "lnapi.h"
#include "lnerrors.h"
#include "nnotes.h"
#include "os.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxBufferSize = 65535;
constexpr uint16_t kNotesMessageSize = 2048;

// The platform text of a Notes status, or null when there is none (the API not started, or no message).
const char* NotesStatusText(LNSTATUS status, char* work) {
    if (!LNIsAPIInitialized()) return nullptr;
    const auto notesStatus = static_cast<nnotes::STATUS>(status & nnotes::ERR_MASK);
    if (nnotes::LoadNotesMessage(notesStatus, work, kNotesMessageSize) == 0) return nullptr;
    return work;
}

} // namespace

uint32_t LNGetErrorText(LNSTATUS status, char* buffer, uint32_t size) {
    if (buffer == nullptr) throw LNERR_NULL_POINTER;
    if (size == 0 || size > kMaxBufferSize) throw LNERR_OUT_OF_RANGE;
    buffer[0] = '\0';
    if (status == LNNOERROR) return 0;

    char work[kNotesMessageSize];
    const char* text = LNIsNotesStatus(status) ? NotesStatusText(status, work) : LNGetMessageText(status);
    if (text == nullptr || *text == '\0') text = LNGetMessageText(LNERR_NO_MESSAGE);
    return static_cast<uint32_t>(os::CopyBounded(buffer, size, text));
}
