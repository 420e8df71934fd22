// What the text classes share when they call the Notes text services (internal to the object core).
#pragma once

#include "ln/lnstring.h"
#include "nnotes/nls.h"
#include "nnotes/status.h"

#include <cstddef>
#include <string>

namespace lntext {

// Throws LNERR_SESSION_NOT_INITIALIZED unless the API is started.
void RequireAPI();

// The store's character-set block; a failure is thrown as its Notes status.
const nnotes::NLSInfo* NotesInfo();

// Throws a non-zero Notes status.
void ThrowIfFailed(nnotes::STATUS status);

// A text buffer of the ordinary allocator (freed with std::free); throws LNERR_NO_MEMORY.
LNUCHAR* AllocText(size_t bytes);

inline const char* Chars(const LNUCHAR* text) {
    return reinterpret_cast<const char*>(text);
}

// Translates length bytes with mode into out (at least 3 * length bytes), turns NUL bytes into line feeds
// and returns the translated length. A result above LNSTRING_MAX_BYTES throws LNERR_STRING_TOO_LONG; other
// failures throw their Notes status.
uint32_t Translate(uint16_t mode, const char* in, uint32_t length, char* out);

// The same into a new terminated buffer of the ordinary allocator, sized to the result.
char* TranslateCopy(uint16_t mode, const char* in, uint32_t length);

// The same into out (its storage reused) for text of any length and any result length: a stored value of
// ill-formed bytes translates to three times its size, more than a string of the object layer holds, and a
// reader that keeps it in a std::string needs no such bound. The text is translated in pieces cut where a
// character starts.
void TranslateWhole(uint16_t mode, const char* in, size_t length, std::string& out);

// New bodies holding the given text (LNStringBody::SetPlatformText, SetNotesText); nothing is left behind
// when that throws.
LNStringBody* NewPlatformBody(const char* text, size_t length);
LNStringBody* NewNotesBody(const LNUCHAR* text, size_t length);

// The platform text of one UTF-16 unit (a lone surrogate gives U+FFFD) in out (3 bytes); returns its length.
uint32_t EncodeUnit(char16_t c, char* out);

// A lone char of platform text stands for one Latin-1 character (byte value = code point): a single byte of
// a multi-byte platform text means nothing on its own.
uint32_t EncodeLatin1(char c, char* out);
// The Latin-1 byte of the first character of a platform text; a character beyond Latin-1 gives the text's
// first byte.
char DecodeLatin1(const char* text, uint32_t length);

} // namespace lntext
