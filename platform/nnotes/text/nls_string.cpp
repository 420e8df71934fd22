// Counting and stepping through Notes text character by character.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "text/nls_chars.h"

namespace nnotes {

STATUS GetNLSInfo(const NLSInfo** info) {
    if (const STATUS started = RequireProcess()) return started;
    static constexpr NLSInfo kUtf8{"UTF-8", 4};
    if (info == nullptr) return ERR_NLS_BAD_ARGUMENT;
    *info = &kUtf8;
    return NOERROR;
}

STATUS NLSStringChars(const char* text, uint16_t length, uint16_t* chars, const NLSInfo* info) {
    if (const STATUS started = RequireProcess()) return started;
    if (chars == nullptr || (text == nullptr && length > 0) || !nls::ValidInfo(info))
        return ERR_NLS_BAD_ARGUMENT;
    uint16_t count = 0;
    for (uint32_t pos = 0; pos < length; ++count)
        pos += nls::CharSize(text + pos, length - pos);
    *chars = count;
    return NOERROR;
}

STATUS NLSStringBytes(const char* text, uint16_t length, uint16_t chars, uint16_t* bytes,
                      const NLSInfo* info) {
    if (const STATUS started = RequireProcess()) return started;
    if (bytes == nullptr || (text == nullptr && length > 0) || !nls::ValidInfo(info))
        return ERR_NLS_BAD_ARGUMENT;
    uint32_t pos = 0;
    for (uint16_t i = 0; i < chars; ++i) {
        if (pos == length) {
            *bytes = length;
            return ERR_NLS_TOO_FEW_CHARS;
        }
        pos += nls::CharSize(text + pos, length - pos);
    }
    *bytes = static_cast<uint16_t>(pos);
    return NOERROR;
}

STATUS NLSStepCharacter(const char** text, uint16_t limit, uint16_t* stepped, const NLSInfo* info) {
    if (const STATUS started = RequireProcess()) return started;
    if (stepped == nullptr || text == nullptr || (*text == nullptr && limit > 0) || !nls::ValidInfo(info))
        return ERR_NLS_BAD_ARGUMENT;
    *stepped = 0;
    if (limit == 0) return ERR_NLS_NOT_FOUND;
    *stepped = nls::CharSize(*text, limit);
    *text += *stepped;
    return NOERROR;
}

} // namespace nnotes
