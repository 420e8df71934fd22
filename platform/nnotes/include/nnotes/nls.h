// libnnotes text and NLS: translating, counting, stepping, finding, scanning, classifying and collating the
// UTF-8 text that Notes text and platform text both are, ill-formed bytes included.
#pragma once

#include <cstdint>

#include "nnotes/status.h"

namespace nnotes {

// Notes text and platform text are both UTF-8. A character is one well-formed UTF-8 sequence; each ill-formed
// stretch of bytes (a maximal subpart in Unicode's sense) counts as one character of its own, so that stored
// bytes of any kind can be walked, counted and searched the same way by every operation here.
// Texts are passed as pointer and byte length (at most 65535 bytes); no operation stops at a NUL byte (it is
// a character like any other) and none writes a terminator.
constexpr STATUS ERR_NLS_BAD_ARGUMENT = 0x1001;     // null pointer, empty pattern or unknown class or flags
constexpr STATUS ERR_NLS_BAD_MODE = 0x1002;         // unknown translation mode
constexpr STATUS ERR_NLS_BUFFER_TOO_SMALL = 0x1003; // translation cut short: the output buffer is full
constexpr STATUS ERR_NLS_TOO_FEW_CHARS = 0x1004;    // the text holds fewer characters than asked for
constexpr STATUS ERR_NLS_NOT_IN_CLASS = 0x1006;     // the character is not of the class asked about
constexpr STATUS ERR_NLS_NO_COLLATOR = 0x1007;      // the collation service is not available

// TranslateText modes. 0 and 1 move text between the two character sets and replace every ill-formed
// stretch by U+FFFD; 3 to 5 fold character by character (one character in, one out), so the character
// count is kept; ill-formed stretches pass through them unchanged.
constexpr uint16_t TRANSLATE_PLATFORM_TO_NOTES = 0;
constexpr uint16_t TRANSLATE_NOTES_TO_PLATFORM = 1;
constexpr uint16_t TRANSLATE_UPPER_CASE = 3;    // simple upper-case mapping
constexpr uint16_t TRANSLATE_FOLD_CASE = 4;     // simple case folding: what caseless comparisons compare
constexpr uint16_t TRANSLATE_STRIP_ACCENTS = 5; // a letter with non-spacing marks becomes its base letter

// Translates inLength bytes of in into out (outSize bytes) and sets *outLength to the bytes written. When the
// result does not fit, out holds the characters that fit, *outLength their length, and the status is
// ERR_NLS_BUFFER_TOO_SMALL. An output of 3 * inLength bytes always suffices.
STATUS TranslateText(uint16_t mode, const char* in, uint16_t inLength, char* out, uint16_t outSize,
                     uint16_t* outLength);

// What the NLS operations need to know of the Notes character set; every one of them takes it.
struct NLSInfo {
    const char* CharsetName; // "UTF-8"
    uint16_t MaxCharBytes;   // 4
};
STATUS GetNLSInfo(const NLSInfo** info);

// Number of characters in the first length bytes of text.
STATUS NLSStringChars(const char* text, uint16_t length, uint16_t* chars, const NLSInfo* info);
// Number of bytes that the first chars characters of text take; fewer characters than chars within length
// give ERR_NLS_TOO_FEW_CHARS, with *bytes set to length.
STATUS NLSStringBytes(const char* text, uint16_t length, uint16_t chars, uint16_t* bytes,
                      const NLSInfo* info);
// Moves *text over one character of the limit bytes that follow it and sets *stepped to that character's byte
// size. With nothing left (limit 0) the pointer stays, *stepped is 0 and the status ERR_NLS_NOT_FOUND.
STATUS NLSStepCharacter(const char** text, uint16_t limit, uint16_t* stepped, const NLSInfo* info);
// Finds the first character of text that is one of the characters of set (setLength bytes, not empty) and
// points *found at it; none gives ERR_NLS_NOT_FOUND and a null *found.
STATUS NLSFindCharacter(const char* text, uint16_t length, const char* set, uint16_t setLength,
                        const char** found, const NLSInfo* info);
// Finds the first occurrence of pattern (not empty) that begins on a character of text.
STATUS NLSFindSubstring(const char* text, uint16_t length, const char* pattern, uint16_t patternLength,
                        const char** found, const NLSInfo* info);

// Scans. A word is a run of letters, marks and digits; a line ends behind a line feed. The forward scans move
// *text to the start of the next word or line within limit bytes; the backward scans move it to the start of
// the word or line before it, never below start. No such place: the pointer stays and ERR_NLS_NOT_FOUND.
STATUS NLSNextWord(const char** text, uint16_t limit, const NLSInfo* info);
STATUS NLSNextLine(const char** text, uint16_t limit, const NLSInfo* info);
STATUS NLSPreviousWord(const char** text, const char* start, const NLSInfo* info);
STATUS NLSPreviousLine(const char** text, const char* start, const NLSInfo* info);

// Character classes (Unicode general categories and properties); an ill-formed character is of none.
enum NLSCharClass : uint16_t {
    NLS_CLASS_ALNUM = 1, // letter or decimal digit
    NLS_CLASS_ALPHA,     // letter
    NLS_CLASS_CNTRL,     // control character
    NLS_CLASS_DIGIT,     // decimal digit
    NLS_CLASS_LOWER,     // lower-case letter
    NLS_CLASS_PRINT,     // anything that prints, spaces included
    NLS_CLASS_PUNCT,     // punctuation
    NLS_CLASS_SPACE,     // white space, line feeds and tabs included
    NLS_CLASS_UPPER,     // upper-case letter
};
// NOERROR when the first character of the length bytes at character is of the class, else
// ERR_NLS_NOT_IN_CLASS.
STATUS NLSCharacterIsOfClass(const char* character, uint16_t length, uint16_t charClass, const NLSInfo* info);

// Collation of two Notes texts by the Unicode collation order; *result is negative, 0 or positive as a sorts
// before, with or after b. Flags: COMPARE_IGNORE_CASE, COMPARE_IGNORE_ACCENTS or both; with neither, only
// canonically equivalent texts compare equal.
constexpr uint16_t COMPARE_IGNORE_CASE = 1;
constexpr uint16_t COMPARE_IGNORE_ACCENTS = 2;
STATUS CompareText(const char* a, uint16_t aLength, const char* b, uint16_t bLength, uint16_t flags,
                   int* result);

} // namespace nnotes
