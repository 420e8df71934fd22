#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "nnotes/nls.h"
#include "nnotes/status.h"
#include "os/os.h"

namespace {

constexpr uint32_t kMaxBufferSize = 65535;
constexpr uint16_t kNotesMessageSize = 2048;
// Translation never needs more than three bytes per byte.
constexpr uint16_t kPlatformMessageSize = 3 * kNotesMessageSize;

// The platform text of a Notes status in platform (terminated), or null when there is none: the API is not
// started, the status has no message, or nothing could be translated.
const char* NotesStatusText(LNSTATUS status, char* platform) {
    if (!LNIsAPIInitialized()) return nullptr;
    char notes[kNotesMessageSize];
    const auto code = static_cast<nnotes::STATUS>(status & nnotes::ERR_MASK);
    const uint16_t length = nnotes::LoadNotesMessage(code, notes, sizeof notes);
    if (length == 0) return nullptr;
    uint16_t translated = 0;
    nnotes::TranslateText(nnotes::TRANSLATE_NOTES_TO_PLATFORM, notes, length, platform,
                          kPlatformMessageSize - 1, &translated);
    if (translated == 0) return nullptr;
    platform[translated] = '\0';
    return platform;
}

} // namespace

uint32_t LNGetErrorText(LNSTATUS status, char* buffer, uint32_t size) {
    if (buffer == nullptr) throw LNERR_NULL_POINTER;
    if (size == 0 || size > kMaxBufferSize) throw LNERR_OUT_OF_RANGE;
    buffer[0] = '\0';
    if (status == LNNOERROR) return 0;

    char work[kPlatformMessageSize];
    const char* text = LNIsNotesStatus(status) ? NotesStatusText(status, work) : LNGetMessageText(status);
    if (text == nullptr || *text == '\0') text = LNGetMessageText(LNERR_NO_MESSAGE);
    return static_cast<uint32_t>(os::CopyBounded(buffer, size, text));
}
