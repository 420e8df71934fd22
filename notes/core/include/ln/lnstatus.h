// LNSTATUS: the 32-bit outcome of every operation of the Notes object layer, its classification, and the
// process-wide switch that turns returned errors into thrown ones.
#pragma once

#include <cstdint>

using LNSTATUS = uint32_t;

constexpr LNSTATUS LNNOERROR = 0;

// API errors are 0xC0000000 + n and warnings 0xD0000000 + n, where n is the number of their message text.
constexpr LNSTATUS LNERR(uint16_t messageNumber) {
    return 0xC0000000u + messageNumber;
}
constexpr LNSTATUS LNWARN(uint16_t messageNumber) {
    return 0xD0000000u + messageNumber;
}

constexpr uint32_t LNSEVERITY_ERROR = 0xC000;
constexpr uint32_t LNSEVERITY_WARNING = 0xD000;

constexpr uint32_t LNGetSeverity(LNSTATUS code) {
    return (code >> 16) & 0xF000u;
}

// A plain status of the Notes client library, kept whole.
constexpr bool LNIsNotesStatus(LNSTATUS code) {
    return code < 0x10000u && (code & 0xFFFFu) != 0;
}

// Warnings are never errors; Notes statuses always are.
constexpr bool LNIsError(LNSTATUS code) {
    return LNGetSeverity(code) == LNSEVERITY_ERROR || LNIsNotesStatus(code);
}

constexpr LNSTATUS LNToNotesStatus(LNSTATUS code) {
    return code & 0xFFFFu;
}

// The number of an API code's message text.
constexpr uint16_t LNGetMessageNumber(LNSTATUS code) {
    return static_cast<uint16_t>(code & 0xFFFFu);
}

// Returns code, or throws it (as LNSTATUS) when it is an error and ThrowAllErrors is set.
LNSTATUS LNReturnOrThrow(LNSTATUS code);

// The same for the result of a Notes client library call: only its low 16 bits count.
LNSTATUS LNReturnOrThrowNotesStatus(uint32_t notesResult);

void LNSetThrowAllErrors(bool value);
bool LNGetThrowAllErrors();
void LNClearThrowAllErrors();

// The message-table text of a code's message number; null for 0 and for numbers above 108.
const char* LNGetMessageText(LNSTATUS code);

// Writes the text of any status (API code or Notes status) into buffer: at most size - 1 bytes and a
// terminating zero. Returns the number of bytes written. A null buffer throws LNERR_NULL_POINTER, a size of 0
// or above 65535 throws LNERR_OUT_OF_RANGE, whatever ThrowAllErrors says.
uint32_t LNGetErrorText(LNSTATUS status, char* buffer, uint32_t size);
