// The message catalogue: one text for every status the library returns.
#include "nnotes/nnotes.h"

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
    {ERR_TEXTLIST_INDEX, "Text list entry index is out of range"},
    {ERR_TEXTLIST_TOO_LARGE, "Text list would exceed 65535 bytes or entries"},
    {ERR_TEXTLIST_DAMAGED, "Text list is damaged"},
    // ==== database files (0x0100-0x01FF)
    {ERR_NOT_A_DATABASE, "File is not a database"},
    {ERR_DB_EXISTS, "Database file already exists"},
    {ERR_NOEXIST, "File does not exist"},
    {ERR_DB_HANDLE, "Invalid database handle"},
    {ERR_DB_IO, "Database file could not be read or written"},
    {ERR_DB_DAMAGED, "Database file is damaged"},
    {ERR_DB_BUSY, "Database is in use by another process; try again later"},
    {ERR_DB_IS_DIRECTORY, "Operation needs a database, not a directory"},
    {ERR_DB_NOT_DIRECTORY, "Operation needs a directory, not a database"},
    {ERR_DB_INFO_TOO_LONG, "Database information is too long"},
    {ERR_DB_INFO_FIELD, "Invalid database information field"},
    {ERR_DB_NEWER_VERSION, "Database was written by a newer version of this software"},
    {ERR_DB_ID_NOT_FOUND, "No database with that identifier was found"},
    {ERR_DB_DISK_FULL, "Disk is full"},
    {ERR_DB_READ_ONLY, "Database file is read-only"},
    {ERR_DB_IN_USE, "Database is in use: a process has it open"},
    {ERR_DB_CREATE, "Database file could not be created"},
    {ERR_DB_TOO_MANY_FILES, "Too many files are open"},
    {ERR_DB_FOREIGN_LOG, "A log file beside the database does not belong to it"},
    {ERR_DB_IN_BATCH, "A batch is open on this database handle already"},
    {ERR_DB_NO_BATCH, "No batch is open on this database handle"},
    // ==== notes and items (0x0200-0x02FF)
    {ERR_NOTE_HANDLE, "Invalid note handle"},
    {ERR_NOTE_NOT_FOUND, "Note does not exist"},
    {ERR_NOTE_CLASS, "Invalid note class"},
    {ERR_NOTE_CONFLICT, "Note has been changed or deleted by another user since it was opened"},
    {ERR_ITEM_NAME, "Item name is empty, longer than 31 bytes or holds a NUL character"},
    {ERR_ITEM_TOO_BIG, "Item value is too large"},
    {ERR_ITEM_BLOCK, "Invalid item block"},
    {ERR_ITEM_LAYOUT, "Item value does not match its data type"},
    {ERR_NOTE_TOO_MANY_ITEMS, "Too many items have been added to the note"},
    {ERR_NOTE_IDS_EXHAUSTED, "No more note ids are available in this database"},
    {ERR_NOTE_UNID_EXISTS, "A note with this universal id already exists in the database"},
    {ERR_NOTE_INFO_SELECTOR, "Invalid note information selector"},
    {ERR_NOTE_DAMAGED, "Stored note is damaged"},
    {ERR_VALUE_BLOCK, "Invalid item value block"},
    {ERR_ITEM_TYPE, "Item is not of the required data type"},
    {ERR_OBJECT_NOT_FOUND, "No database object of that id and type"},
    {ERR_OBJECT_IDS_EXHAUSTED, "The database has no more object ids"},
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
    {ERR_COLLECTION_HANDLE, "Invalid collection handle"},
    {ERR_NOT_A_VIEW, "Note is not a view or folder"},
    {ERR_VIEW_FORMAT, "View format is missing, damaged or of an unsupported version"},
    {ERR_NOT_FOUND, "Entry not found in index"},
    {ERR_VIEW_FORMULA, "View selection or column formula cannot be read"},
    {ERR_COLLECTION_POSITION, "Invalid collection position"},
    {ERR_COLLECTION_NAVIGATOR, "Unknown navigation code"},
    {ERR_COLLECTION_MASK, "Unsupported collection read mask"},
    {ERR_COLLECTION_HANDLES, "No more collection handles are available"},
    {ERR_FIND_KEYS, "Find keys are damaged or do not fit the view's sorted columns"},
    {ERR_FIND_FLAGS, "Unsupported find flags"},
    {ERR_SPECIAL_TEXT, "Special text holds an unknown escape"},
    {ERR_SPECIAL_TEXT_TOO_LONG, "Translated special text does not fit in the buffer"},
    {ERR_VIEW_INDEX_DAMAGED, "View index is damaged"},
    {ERR_NO_COUNT, "Count is not available"},
    // ==== formulas (0x0500-0x05FF)
    {ERR_FORMULA_SYNTAX, "Formula error: syntax error"},
    {ERR_FORMULA_UNTERMINATED, "Formula error: text constant has no closing quote"},
    {ERR_FORMULA_UNKNOWN_FUNCTION, "Formula error: unknown @function"},
    {ERR_FORMULA_ARGUMENT_COUNT, "Formula error: wrong number of arguments for @function"},
    {ERR_FORMULA_NO_MAIN, "Formula error: no main or selection expression in formula"},
    {ERR_FORMULA_TOO_COMPLEX, "Formula error: formula is nested too deeply"},
    {ERR_FORMULA_TOO_LONG, "Formula error: formula is too long"},
    {ERR_FORMULA_DAMAGED, "Compiled formula is invalid or damaged"},
    {ERR_FORMULA_TYPE, "Incorrect data type for operator or @function"},
    {ERR_FORMULA_DIVIDE_BY_ZERO, "Division by zero in formula"},
    {ERR_FORMULA_NUMBER_RANGE, "Number or time out of range in formula"},
    {ERR_FORMULA_NEEDS_NOTE, "Formula needs a document and none was given"},
    {ERR_FORMULA_RESULT_TOO_LARGE, "Formula value is too large"},
    {ERR_FORMULA_BAD_HANDLE, "Invalid formula computation handle"},
    {ERR_FORMULA_BAD_NOTE, "Note handle gives no document for the formula"},
    {ERR_FORMULA_BAD_ARGUMENT, "Invalid argument passed to formula function"},
    {ERR_FORMULA_BAD_VALUE, "Item value cannot be read by a formula"},
    // ==== ID tables (0x0600-0x06FF)
    {ERR_IDTABLE_BAD, "Not an ID table, or the ID table is damaged"},
    {ERR_IDTABLE_END, "No more IDs in the ID table"},
    // ==== servers and net paths (0x0800-0x08FF)
    {ERR_NETPATH_TOO_LONG, "Network path is too long"},
    {ERR_NETPATH_PART, "Port, server or file name cannot be part of a network path"},
    {ERR_SERVER_NOT_KNOWN, "Server not known or not reachable"},
    {ERR_PATH_ESCAPES, "Path leads outside the data directory"},
    {ERR_PATH_INVALID, "File path holds a NUL character"},
    {ERR_SERVER_NAME_INVALID, "Server name holds a NUL character"},
    {ERR_PORT_NAME_INVALID, "Port name holds a NUL character"},
    // ==== settings (0x0900-0x09FF)
    {ERR_SETTINGS_NO_FILE, "No settings file: neither NOTES_INI nor HOME is set"},
    {ERR_SETTINGS_WRITE, "Settings file could not be written"},
    {ERR_ENV_NAME, "Invalid environment variable name"},
    {ERR_ENV_VALUE, "Environment value must not contain a line break"},
    {ERR_ENV_NOT_SET, "Environment variable is not set"},
    {ERR_NO_USER_NAME, "No user name is configured"},
    // ==== access control lists (0x0A00-0x0AFF)
    {ERR_ACL_DAMAGED, "Access control list is damaged"},
    {ERR_ACL_NOT_FOUND, "Access control list entry not found"},
    {ERR_ACL_ENTRY_EXISTS, "Access control list entry already exists"},
    {ERR_ACL_BAD_NAME, "Access control list entry name is empty or too long"},
    {ERR_ACL_BAD_LEVEL, "Invalid access level"},
    {ERR_ACL_BAD_PRIVILEGE, "Invalid privilege or role number"},
    {ERR_ACL_PRIVNAME_TOO_LONG, "Privilege or role name is too long"},
    {ERR_ACL_FULL, "Access control list has no room for more entries"},
    {ERR_ACL_DEFAULT_ENTRY, "The -Default- entry cannot be deleted or renamed"},
    {ERR_DB_REMOTE, "This operation works on local databases only"},
    {ERR_PORT_NOT_CONFIGURED, "Port is not configured"},
    // ==== server add-ins and log entries (0x0B00-0x0BFF)
    {ERR_STATUS_LINE, "Invalid add-in status line"},
    {ERR_LOG_HANDLE, "Invalid or closed log entry"},
    {ERR_LOG_HANDLES, "No more log entries can be opened"},
    {ERR_LOG_FULL, "Log entry has no room for more lines"},
    {ERR_LOG_NAME, "Log entry name is empty or too long"},
    // ==== agents and rich-text builder (0x0D00-0x0DFF)
    {ERR_AGENT_HANDLE, "Invalid or closed agent or agent run context"},
    {ERR_NOT_AN_AGENT, "Note is not an agent"},
    {ERR_RT_BUILDER, "Invalid or closed rich text builder"},
    {ERR_RT_TOO_BIG, "Rich text is too large for the note"},
    // ==== full text (0x0F00-0x0FFF)
    {ERR_FT_NOT_INDEXED, "Database is not full text indexed"},
    {ERR_FT_QUERY, "Full text query cannot be read: check its quotes, parentheses, operators and wildcards"},
    {ERR_FT_SEARCH_HANDLE, "Invalid or closed full text search handle"},
    {ERR_FT_OPTIONS, "Full text search options ask for an argument that was not given"},
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

} // namespace

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

} // namespace nnotes
