// Character classes, answered from the Unicode character properties.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "text/nls_chars.h"

#include <unicode/uchar.h>

namespace nnotes {
namespace {

bool InClass(UChar32 c, uint16_t charClass) {
    switch (charClass) {
    case NLS_CLASS_ALNUM:
        return u_isalnum(c);
    case NLS_CLASS_ALPHA:
        return u_isalpha(c);
    case NLS_CLASS_CNTRL:
        return u_iscntrl(c);
    case NLS_CLASS_DIGIT:
        return u_isdigit(c);
    case NLS_CLASS_LOWER:
        return u_islower(c);
    case NLS_CLASS_PRINT:
        return u_isprint(c);
    case NLS_CLASS_PUNCT:
        return u_ispunct(c);
    case NLS_CLASS_SPACE:
        return u_isUWhiteSpace(c);
    default:
        return u_isupper(c);
    }
}

} // namespace

STATUS NLSCharacterIsOfClass(const char* character, uint16_t length, uint16_t charClass,
                             const NLSInfo* info) {
    if (const STATUS started = RequireProcess()) return started;
    if (character == nullptr || length == 0 || charClass < NLS_CLASS_ALNUM || charClass > NLS_CLASS_UPPER ||
        !nls::ValidInfo(info))
        return ERR_NLS_BAD_ARGUMENT;
    const nls::Char c = nls::DecodeChar(character, length);
    return c.codePoint >= 0 && InClass(c.codePoint, charClass) ? NOERROR : ERR_NLS_NOT_IN_CLASS;
}

} // namespace nnotes
