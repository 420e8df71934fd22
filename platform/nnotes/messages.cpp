// The message catalogue: one text for every status the library returns.
#include "nnotes.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace nnotes {
namespace {

struct Message {
    STATUS code;
    const char* text;
};

// Kept sorted by code; each area adds its texts inside its own block.
constexpr Message kMessages[] = {
    // ==== process, memory, on-disk structures (0x0001-0x00FF)
    {ERR_NOT_INITIALIZED, "Notes library has not been initialized"},
    {ERR_THREAD_NOT_INITIALIZED, "Thread has not been initialized for Notes"},
    {ERR_MISSING_ARGUMENT, "A required argument is missing"},
    {ERR_INSUFFICIENT_MEMORY, "Insufficient memory"},
    {ERR_BAD_HANDLE, "Invalid or freed memory handle"},
    {ERR_BLOCK_NOT_LOCKED, "Memory block is not locked"},
    {ERR_BLOCK_TOO_LARGE, "Memory block would exceed the largest size allowed"},
    {ERR_NO_MORE_HANDLES, "No more memory handles are available"},
    {ERR_ODS_UNKNOWN_TYPE, "Unknown on-disk structure type"},
    {ERR_ODS_TRUNCATED, "On-disk structure is truncated"},
    // ==== database files (0x0100-0x01FF)
    {ERR_NOEXIST, "File does not exist"},
    // ==== notes and items (0x0200-0x02FF)
    {ERR_ITEM_NOT_FOUND, "Note item not found"},
    {ERR_NO_MODIFIED_NOTES, "No notes of the requested class"},
    // ==== time (0x0300-0x03FF)
    {ERR_TIME_BAD_INSTANT, "Invalid time or date value"},
    {ERR_TIME_BAD_FIELDS, "Time or date fields are out of range"},
    {ERR_TIME_OUT_OF_RANGE, "Time or date is outside the years 1 to 9999"},
    {ERR_TIME_BAD_TEXT, "Unable to interpret time or date"},
    {ERR_TIME_BAD_FORMAT, "Unknown time or date format code"},
    {ERR_TIME_BUFFER_TOO_SMALL, "Time or date text does not fit in the buffer"},
    {ERR_TIME_BAD_CONSTANT, "Unknown special time or date code"},
    {ERR_TIME_SPECIAL, "Special time or date value has no calendar reading"},
    {ERR_TIME_NO_ZONE, "Time zone information is not available"},
    // ==== views and collections (0x0400-0x04FF)
    {ERR_NOT_FOUND, "Entry not found in index"},
    {ERR_NO_COUNT, "Count is not available"},
    // ==== formulas (0x0500-0x05FF)
    // ==== ID tables (0x0600-0x06FF)
    // ==== servers and net paths (0x0800-0x08FF)
    {ERR_SERVER_NOT_KNOWN, "Server not known or not reachable"},
    // ==== settings (0x0900-0x09FF)
    // ==== full text (0x0F00-0x0FFF)
    {ERR_FT_NOT_INDEXED, "Database is not full text indexed"},
    {ERR_FT_NO_MATCHES, "No documents found"},
    // ==== text and NLS (0x1000-0x10FF)
    {ERR_NLS_BAD_ARGUMENT, "Invalid argument passed to a text service"},
    {ERR_NLS_BAD_MODE, "Unknown text translation mode"},
    {ERR_NLS_BUFFER_TOO_SMALL, "Translated text does not fit in the buffer"},
    {ERR_NLS_TOO_FEW_CHARS, "Text has fewer characters than requested"},
    {ERR_NLS_NOT_FOUND, "Not found in text"},
    {ERR_NLS_NOT_IN_CLASS, "Character is not of the requested class"},
    {ERR_NLS_NO_COLLATOR, "Collation service is not available"},
};

}  // namespace

uint16_t LoadNotesMessage(STATUS status, char* buf, uint16_t size) {
    if (buf == nullptr || size == 0) return 0;
    buf[0] = '\0';
    const STATUS code = ERR(status);
    const auto* it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                                      [](const Message& m, STATUS c) { return m.code < c; });
    if (it == std::end(kMessages) || it->code != code) return 0;
    const size_t n = std::min<size_t>(std::strlen(it->text), size - 1u);
    std::memcpy(buf, it->text, n);
    buf[n] = '\0';
    return static_cast<uint16_t>(n);
}

}  // namespace nnotes
