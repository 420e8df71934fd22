// libnnotes statuses. Every operation of the library returns a 16-bit STATUS, NOERROR (0) on success, unless
// its comment says otherwise; callers test statuses on their low 14 bits (ERR_MASK). Each area owns a range
// of codes and declares its statuses beside its operations; this header holds the ranges, the codes that
// callers rely on across areas, and LoadNotesMessage, which gives the text of every status the library
// returns.
#pragma once

#include <cstdint>

namespace nnotes {

using STATUS = uint16_t;
constexpr STATUS NOERROR = 0;
constexpr STATUS ERR_MASK = 0x3FFF;
inline constexpr STATUS ERR(STATUS s) {
    return static_cast<STATUS>(s & ERR_MASK);
}

// Each area owns a range of codes; every code has a text in LoadNotesMessage.
//   0x0001-0x00FF process, memory blocks, on-disk structures      0x0600-0x06FF ID tables
//   0x0100-0x01FF database files (0x0103 no such file)             0x0800-0x08FF servers and net paths
//   0x0200-0x02FF notes and items (546 no such item, 572 no notes) 0x0900-0x09FF settings and environment
//   0x0300-0x03FF time                                             0x0F00-0x0FFF full text (3842, 3874)
//   0x0400-0x04FF views and collections (1028, 1099)               0x1000-0x10FF text and NLS (4101)
//   0x0500-0x05FF formulas                                         0x0A00-0x0AFF access control lists
//   0x0B00-0x0BFF server add-ins and log entries
// Fixed codes that callers rely on:
constexpr STATUS ERR_NOEXIST = 0x0103;          // file does not exist
constexpr STATUS ERR_ITEM_NOT_FOUND = 546;      // note item not found
constexpr STATUS ERR_NO_MODIFIED_NOTES = 572;   // no notes of that class
constexpr STATUS ERR_NOT_FOUND = 1028;          // entry not found in index
constexpr STATUS ERR_NO_COUNT = 1099;           // count not available
constexpr STATUS ERR_SERVER_NOT_KNOWN = 0x0803; // unknown or unreachable server
constexpr STATUS ERR_FT_NOT_INDEXED = 3842;     // database is not full-text indexed
constexpr STATUS ERR_FT_NO_MATCHES = 3874;      // no documents found
constexpr STATUS ERR_NLS_NOT_FOUND = 4101;      // character or substring not found

// Loads the text of a status (its low 14 bits) into buf, bounded by size (at most size-1 bytes and a
// terminating zero). Returns the number of bytes written, 0 when the status has no text.
uint16_t LoadNotesMessage(STATUS status, char* buf, uint16_t size);

} // namespace nnotes
