// libnnotes: the Notes client library of this system, a document store on SQLite.
//
// This is the library's one public header. Every operation returns a 16-bit STATUS (0 = success) unless
// its comment says otherwise; LoadNotesMessage gives the text of every status the library returns.
// Callers test statuses on their low 14 bits (ERR_MASK).
#pragma once

#include <cstddef>
#include <cstdint>

namespace nnotes {

using STATUS = uint16_t;
constexpr STATUS NOERROR = 0;
constexpr STATUS ERR_MASK = 0x3FFF;
inline constexpr STATUS ERR(STATUS s) { return static_cast<STATUS>(s & ERR_MASK); }

// ==== Statuses =============================================================================================
// Each area owns a range of codes; every code has a text in LoadNotesMessage.
//   0x0001-0x00FF process, memory blocks, on-disk structures      0x0600-0x06FF ID tables
//   0x0100-0x01FF database files (0x0103 no such file)             0x0800-0x08FF servers and net paths
//   0x0200-0x02FF notes and items (546 no such item, 572 no notes) 0x0900-0x09FF settings and environment
//   0x0300-0x03FF time                                             0x0F00-0x0FFF full text (3842, 3874)
//   0x0400-0x04FF views and collections (1028, 1099)               0x1000-0x10FF text and NLS (4101)
//   0x0500-0x05FF formulas                                         0x0A00-0x0AFF access control lists
//   0x0B00-0x0BFF server add-ins and log entries
// Fixed codes that callers rely on:
constexpr STATUS ERR_NOEXIST = 0x0103;           // file does not exist
constexpr STATUS ERR_ITEM_NOT_FOUND = 546;       // note item not found
constexpr STATUS ERR_NO_MODIFIED_NOTES = 572;    // no notes of that class
constexpr STATUS ERR_NOT_FOUND = 1028;           // entry not found in index
constexpr STATUS ERR_NO_COUNT = 1099;            // count not available
constexpr STATUS ERR_SERVER_NOT_KNOWN = 0x0803;  // unknown or unreachable server
constexpr STATUS ERR_FT_NOT_INDEXED = 3842;      // database is not full-text indexed
constexpr STATUS ERR_FT_NO_MATCHES = 3874;       // no documents found
constexpr STATUS ERR_NLS_NOT_FOUND = 4101;       // character or substring not found
// ==== end Statuses =========================================================================================

// Loads the text of a status (its low 14 bits) into buf, bounded by size (at most size-1 bytes and a
// terminating zero). Returns the number of bytes written, 0 when the status has no text.
uint16_t LoadNotesMessage(STATUS status, char* buf, uint16_t size);

// ==== Process ==========================================================================================
// The library works between InitProcess and the matching TermProcess. Starts nest: only the TermProcess that
// matches the first InitProcess ends the process's use of the library, and it releases everything the library
// still holds for it (memory blocks, ID tables, open databases); handles from before are dead after it, also
// when the library is started again. Every call made while the library is not started answers
// ERR_NOT_INITIALIZED, but for the on-disk structure conversions and the text list readers, which hold nothing.
constexpr STATUS ERR_NOT_INITIALIZED = 0x0001;        // the library has not been initialised
constexpr STATUS ERR_THREAD_NOT_INITIALIZED = 0x0002; // TermThread without a matching InitThread
constexpr STATUS ERR_MISSING_ARGUMENT = 0x0003;       // a required pointer argument is null

// argc and argv are the program's command line; the library takes no options from it.
STATUS InitProcess(int argc, char** argv);
STATUS TermProcess();
// A further thread brackets its work with these once the process is started; they nest per thread.
STATUS InitThread();
STATUS TermThread();
// ==== end Process

// ==== Memory blocks ====================================================================================
// A block is reached through its handle. Handles are never reused, not even after TermProcess. A block keeps
// one address for its whole life, through every lock, unlock and resize, so an address taken by LockBlock
// stays good until FreeBlock (callers rely on this when they read after nested unlocks). For that, each block
// reserves MAXBLOCKSIZE bytes of address space; larger sizes are refused. New bytes, at allocation and when a
// block grows, are zero. Locks nest. All operations may be called from any thread.
using DHANDLE = uint32_t;
constexpr DHANDLE NULLHANDLE = 0;
constexpr uint32_t MAXBLOCKSIZE = 64u << 20;

// A block id names bytes inside a block: they lie at the pool block's address plus the offset.
struct BLOCKID {
    DHANDLE pool;
    uint16_t block;
};
constexpr BLOCKID NULLBLOCKID = {NULLHANDLE, 0};

constexpr STATUS ERR_INSUFFICIENT_MEMORY = 0x0010; // the system refused the memory
constexpr STATUS ERR_BAD_HANDLE = 0x0011; // no such block: never allocated, freed, or of an ended process
constexpr STATUS ERR_BLOCK_NOT_LOCKED = 0x0012; // UnlockBlock of a block that is not locked
constexpr STATUS ERR_BLOCK_TOO_LARGE = 0x0013;  // size above MAXBLOCKSIZE
constexpr STATUS ERR_NO_MORE_HANDLES = 0x0014;  // every 32-bit handle has been handed out

// blockType tells what the caller keeps in the block (Notes callers pass 0 or 0x4000); every block is alike
// here, so it has no effect.
STATUS AllocateBlock(uint16_t blockType, uint32_t size, DHANDLE* handle);
STATUS ResizeBlock(DHANDLE handle, uint32_t size);
STATUS GetBlockSize(DHANDLE handle, uint32_t* size);
// Frees the block even while it is locked.
STATUS FreeBlock(DHANDLE handle);
// The block's address, and one more lock on it; null (and no lock) for an unknown handle or when the
// block already holds 2^32 - 1 locks.
void* LockBlock(DHANDLE handle);
STATUS UnlockBlock(DHANDLE handle);
// ==== end Memory blocks

// ==== On-disk structures ===============================================================================
// Stored values hold structures in their on-disk form: little-endian, packed, no padding. In memory the same
// structures are the host structs below (or plain integers), with natural alignment. Converting needs no
// started process.
constexpr STATUS ERR_ODS_UNKNOWN_TYPE = 0x0020; // no such on-disk structure type
constexpr STATUS ERR_ODS_TRUNCATED = 0x0021;    // fewer bytes available than the structures take

// Structure types, each with its on-disk length (ODSLength) and its host form.
constexpr uint16_t ODS_WORD = 0;               //  2 bytes; uint16_t
constexpr uint16_t ODS_DWORD = 1;              //  4 bytes; uint32_t
constexpr uint16_t ODS_TIMEDATE = 2;           //  8 bytes; the 8-byte instant as two uint32_t, low first
constexpr uint16_t ODS_UNIVERSALID = 3;        // 16 bytes; a note's universal id: two instants, four uint32_t
constexpr uint16_t ODS_OBJECT_DESCRIPTOR = 27; //  6 bytes; ODSObjectDescriptor
constexpr uint16_t ODS_VIEW_TABLE_FORMAT = 29; // 10 bytes; ODSViewTableFormat
constexpr uint16_t ODS_VIEW_COLUMN_FORMAT = 30; // 32 bytes; ODSViewColumnFormat
constexpr uint16_t ODS_IDTABLE_HEADER = 31;     // 10 bytes; ODSIDTableHeader
constexpr uint16_t ODS_FIELD_RECORD_OLD = 112;  // 32 bytes; ODSFieldRecord (record signature 0xFF84)
constexpr uint16_t ODS_TEXT_RECORD = 113;       //  8 bytes; ODSTextRecord
constexpr uint16_t ODS_FIELD_RECORD = 118;      // 32 bytes; ODSFieldRecord (record signature 0xFF8A)
constexpr uint16_t ODS_FONT_TABLE_HEADER = 119; //  6 bytes; ODSFontTableHeader
constexpr uint16_t ODS_FONT_FACE = 120;         // 34 bytes; ODSFontFace

// What an item of type 3 (an object) says about the database object it stands for.
struct ODSObjectDescriptor {
    uint16_t ObjectType;
    uint32_t ObjectID;
};

// The head of a "$ViewFormat" value (after its type word); Columns column records follow it, then each
// column's item name, title, formula and constant value, column after column. Its host form is 10 bytes.
struct ODSViewTableFormat {
    uint8_t Version;  // 1
    uint8_t Reserved; // 0
    uint16_t Columns;
    uint16_t Flags; // the view's own flags, kept as stored
    uint16_t Spare[2];
};

// One column of a view; its host form is 32 bytes. Flags 0x0002 categorises, 0x0008 hidden, 0x0010 response
// column; the store may give the other bits meanings of its own.
struct ODSViewColumnFormat {
    uint16_t Signature;
    uint16_t Flags;
    uint16_t ItemNameSize;
    uint16_t TitleSize;
    uint16_t FormulaSize;
    uint16_t ConstantValueSize;
    uint8_t Spare[20]; // kept as stored
};

// The head of an ID table's memory (Step at host byte 0, Records at byte 6, Flags at byte 9).
struct ODSIDTableHeader {
    uint32_t Step; // distance between the ids of one run record
    uint16_t Reserved;
    uint16_t Records; // run records that follow the header
    uint8_t Reserved2;
    uint8_t Flags; // IDTABLE_SCAN_ONLY (ID tables section)
};

// The fixed part of a field-definition record of rich text; the three formulas and then the name follow it.
struct ODSFieldRecord {
    uint16_t Signature;                     // on disk at byte 0
    uint16_t Length;                        // 2: the whole record
    uint16_t Flags;                         // 4
    uint16_t DataType;                      // 6
    uint16_t Reserved;                      // 8
    uint32_t NumberFormat;                  // 10
    uint32_t TimeFormat;                    // 14
    uint32_t FontID;                        // 18
    uint16_t DefaultValueFormulaLength;     // 22
    uint16_t InputTranslationFormulaLength; // 24
    uint16_t Reserved2;                     // 26
    uint16_t InputValidationFormulaLength;  // 28
    uint16_t NameLength;                    // 30
};

// The fixed part of a text record of rich text (signature 0xFF85); the text follows it.
struct ODSTextRecord {
    uint16_t Signature;
    uint16_t Length; // header and text, without the pad byte
    uint32_t FontID;
};

// The head of a font table record (signature 0xFF8B); Fonts faces follow it.
struct ODSFontTableHeader {
    uint16_t Signature;
    uint16_t Length;
    uint16_t Fonts;
};

struct ODSFontFace {
    uint8_t Face;
    uint8_t Family;
    char Name[32]; // zero-terminated
};

// The on-disk length of one structure of the type; 0 for an unknown type.
uint16_t ODSLength(uint16_t type);
// Converts count structures from their on-disk form at *position, where available bytes may be read, into
// the host array dest, and moves *position past them. A failure reads and writes nothing.
STATUS ReadOnDiskStructure(const void** position, size_t available, uint16_t type, void* dest,
                           uint16_t count);
// Converts count host structures from source into their on-disk form at *position, where available bytes may
// be written, and moves *position past them. A failure writes nothing.
STATUS WriteOnDiskStructure(void** position, size_t available, uint16_t type, const void* source,
                            uint16_t count);
// ==== end On-disk structures

// ==== Text and NLS =====================================================================================
// Notes text and platform text are both UTF-8. A character is one well-formed UTF-8 sequence; each ill-formed
// stretch of bytes (a maximal subpart in Unicode's sense) counts as one character of its own, so that stored
// bytes of any kind can be walked, counted and searched the same way by every operation here.
// Texts are passed as pointer and byte length (at most 65535 bytes); no operation stops at a NUL byte (it is a
// character like any other) and none writes a terminator.
constexpr STATUS ERR_NLS_BAD_ARGUMENT = 0x1001;      // null pointer, empty pattern or unknown class or flags
constexpr STATUS ERR_NLS_BAD_MODE = 0x1002;          // unknown translation mode
constexpr STATUS ERR_NLS_BUFFER_TOO_SMALL = 0x1003;  // translation cut short: the output buffer is full
constexpr STATUS ERR_NLS_TOO_FEW_CHARS = 0x1004;     // the text holds fewer characters than asked for
constexpr STATUS ERR_NLS_NOT_IN_CLASS = 0x1006;      // the character is not of the class asked about
constexpr STATUS ERR_NLS_NO_COLLATOR = 0x1007;       // the collation service is not available

// TranslateText modes. 0 and 1 move text between the two character sets and replace every ill-formed
// stretch by U+FFFD; 3 to 5 fold character by character (one character in, one out), so the character
// count is kept; ill-formed stretches pass through them unchanged.
constexpr uint16_t TRANSLATE_PLATFORM_TO_NOTES = 0;
constexpr uint16_t TRANSLATE_NOTES_TO_PLATFORM = 1;
constexpr uint16_t TRANSLATE_UPPER_CASE = 3;     // simple upper-case mapping
constexpr uint16_t TRANSLATE_FOLD_CASE = 4;      // simple case folding: what caseless comparisons compare
constexpr uint16_t TRANSLATE_STRIP_ACCENTS = 5;  // a letter with non-spacing marks becomes its base letter

// Translates inLength bytes of in into out (outSize bytes) and sets *outLength to the bytes written. When the
// result does not fit, out holds the characters that fit, *outLength their length, and the status is
// ERR_NLS_BUFFER_TOO_SMALL. An output of 3 * inLength bytes always suffices.
STATUS TranslateText(uint16_t mode, const char* in, uint16_t inLength, char* out, uint16_t outSize,
                     uint16_t* outLength);

// What the NLS operations need to know of the Notes character set; every one of them takes it.
struct NLSInfo {
    const char* CharsetName;  // "UTF-8"
    uint16_t MaxCharBytes;    // 4
};
STATUS GetNLSInfo(const NLSInfo** info);

// Number of characters in the first length bytes of text.
STATUS NLSStringChars(const char* text, uint16_t length, uint16_t* chars, const NLSInfo* info);
// Number of bytes that the first chars characters of text take; fewer characters than chars within length
// give ERR_NLS_TOO_FEW_CHARS, with *bytes set to length.
STATUS NLSStringBytes(const char* text, uint16_t length, uint16_t chars, uint16_t* bytes, const NLSInfo* info);
// Moves *text over one character of the limit bytes that follow it and sets *stepped to that character's byte
// size. With nothing left (limit 0) the pointer stays, *stepped is 0 and the status ERR_NLS_NOT_FOUND.
STATUS NLSStepCharacter(const char** text, uint16_t limit, uint16_t* stepped, const NLSInfo* info);
// Finds the first character of text that is one of the characters of set (setLength bytes, not empty) and
// points *found at it; none gives ERR_NLS_NOT_FOUND and a null *found.
STATUS NLSFindCharacter(const char* text, uint16_t length, const char* set, uint16_t setLength, const char** found,
                        const NLSInfo* info);
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
    NLS_CLASS_ALNUM = 1,  // letter or decimal digit
    NLS_CLASS_ALPHA,      // letter
    NLS_CLASS_CNTRL,      // control character
    NLS_CLASS_DIGIT,      // decimal digit
    NLS_CLASS_LOWER,      // lower-case letter
    NLS_CLASS_PRINT,      // anything that prints, spaces included
    NLS_CLASS_PUNCT,      // punctuation
    NLS_CLASS_SPACE,      // white space, line feeds and tabs included
    NLS_CLASS_UPPER,      // upper-case letter
};
// NOERROR when the first character of the length bytes at character is of the class, else
// ERR_NLS_NOT_IN_CLASS.
STATUS NLSCharacterIsOfClass(const char* character, uint16_t length, uint16_t charClass, const NLSInfo* info);

// Collation of two Notes texts by the Unicode collation order; *result is negative, 0 or positive as a sorts
// before, with or after b. Flags: COMPARE_IGNORE_CASE, COMPARE_IGNORE_ACCENTS or both; with neither, only
// canonically equivalent texts compare equal.
constexpr uint16_t COMPARE_IGNORE_CASE = 1;
constexpr uint16_t COMPARE_IGNORE_ACCENTS = 2;
STATUS CompareText(const char* a, uint16_t aLength, const char* b, uint16_t bLength, uint16_t flags, int* result);
// ==== end Text and NLS

// ==== Text lists =======================================================================================
// A text list is [type word 1281, when prefixDataType][16-bit entry count][16-bit length of each entry][the
// entries' bytes, one after another], little-endian. A whole list, type word included, is at most 65535
// bytes; anything that would make it larger is refused. The lists made and edited here sit alone in a block
// of their own whose size is the list size; the readers work on any memory (a stored value, say) and check
// every length against the bytes available. Sizes given back are list sizes, type word included.
constexpr STATUS ERR_TEXTLIST_INDEX = 0x0030;     // no entry at that index
constexpr STATUS ERR_TEXTLIST_TOO_LARGE = 0x0031; // the list would exceed 65535 bytes or entries
constexpr STATUS ERR_TEXTLIST_DAMAGED = 0x0032; // counts or lengths run past the list's bytes, or wrong type

// A new empty list in a new block; *size (may be null) gets its size.
STATUS NewTextList(bool prefixDataType, DHANDLE* handle, uint16_t* size);
// A copy of the list at list (available bytes readable there) in a new block, with the same prefix.
STATUS CopyTextList(const void* list, uint32_t available, bool prefixDataType, DHANDLE* copy, uint16_t* size);
// Inserts length bytes of text before the entry at index; index equal to the count appends. The block keeps
// its address. text may lie in the list itself.
STATUS InsertTextListEntry(DHANDLE handle, bool prefixDataType, uint16_t index, const char* text,
                           uint16_t length, uint16_t* size);
STATUS RemoveTextListEntry(DHANDLE handle, bool prefixDataType, uint16_t index, uint16_t* size);
// Removes every entry.
STATUS ClearTextList(DHANDLE handle, bool prefixDataType, uint16_t* size);

// Points *text at the entry's bytes inside the list and sets *length; no terminator follows them.
STATUS GetTextListEntry(const void* list, uint32_t available, bool prefixDataType, uint16_t index,
                        const char** text, uint16_t* length);
STATUS CountTextListEntries(const void* list, uint32_t available, bool prefixDataType, uint16_t* count);
STATUS GetTextListSize(const void* list, uint32_t available, bool prefixDataType, uint16_t* size);
// ==== end Text lists

// ==== ID tables ========================================================================================
// An ID table is a set of note ids, given in ascending order. Its handle is a memory block that begins with
// an ODSIDTableHeader (on-disk form) whose Flags hold IDTABLE_SCAN_ONLY: the ids are read through IDScan
// only, never from the block's bytes. One table is used by one thread at a time.
using NOTEID = uint32_t;
constexpr uint8_t IDTABLE_SCAN_ONLY = 0x80;

constexpr STATUS ERR_IDTABLE_BAD = 0x0601; // the handle's block is not an ID table, or it is damaged
constexpr STATUS ERR_IDTABLE_END = 0x0602; // IDScan went past the last id (or the table is empty)

STATUS CreateIDTable(DHANDLE* table);
// Adds id; an id that is there already is accepted and left as it is (*inserted false). inserted may be null.
// An id inserted during a scan that lies before the scan's position is not met by that scan.
STATUS InsertID(DHANDLE table, NOTEID id, bool* inserted);
// first: the smallest id; otherwise the next one after the last id this table's scan gave.
STATUS IDScan(DHANDLE table, bool first, NOTEID* id);
// The number of ids; 0 for an empty table and for a handle that is no ID table.
uint32_t IDEntries(DHANDLE table);
STATUS CopyIDTable(DHANDLE table, DHANDLE* copy);
STATUS DestroyIDTable(DHANDLE table);
// ==== end ID tables

// ==== Time =============================================================================================
// An instant is two 32-bit words, low word first: word 0 holds hundredths of a second since midnight UTC
// (0-8639999), word 1 the Julian day number of the UTC date in its low 24 bits (1 January 1970 is day
// 2440588). Readers ignore the top byte of word 1 and writers leave it 0.
// Ordinary instants lie in the years 1 to 9999. Three special instants stand apart from the calendar:
// minimum (0, 0), maximum (0, 0x00FFFFFF) and wildcard (all ones); they order lowest, above every date,
// and highest.
struct Instant {
    uint32_t words[2];
};
static_assert(sizeof(Instant) == 8);

// A range value as stored in items: begin, then end.
struct TimeRange {
    Instant begin;
    Instant end;
};
static_assert(sizeof(TimeRange) == 16);

// Codes of TimeConstant.
constexpr uint16_t TIME_MINIMUM = 0, TIME_MAXIMUM = 1, TIME_WILDCARD = 2;

// An instant with its broken-down reading. `zone` is the standard-time offset from UTC in minutes, east
// positive (Berlin 60, New York -300), at most 16 hours either way; `dst` non-zero adds one hour of
// daylight-saving time to it. `weekday` is 1 (Sunday) to 7 (Saturday).
struct TimeRecord {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t weekday;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t hundredth;
    uint32_t dst;
    int32_t zone;
    Instant instant;
};
static_assert(sizeof(TimeRecord) == 48 && offsetof(TimeRecord, instant) == 40);

// How InstantToText and RangeToText write an instant; the zero-initialised record with structure
// TIME_STRUCTURE_DATETIME is the default ("01/15/2024 09:30:00 AM").
struct TimeTextFormat {
    uint8_t dateFormat;  // TIME_DATE_*
    uint8_t timeFormat;  // TIME_TIME_*
    uint8_t zoneFormat;  // TIME_ZONE_*
    uint8_t structure;   // TIME_STRUCTURE_*
};
static_assert(sizeof(TimeTextFormat) == 4);
constexpr uint8_t TIME_DATE_FULL = 0, TIME_DATE_MONTH_DAY = 1;           // day, month and 4-digit year | no year
constexpr uint8_t TIME_TIME_FULL = 0, TIME_TIME_HOUR_MINUTE = 1;         // with seconds | without
constexpr uint8_t TIME_ZONE_NEVER = 0, TIME_ZONE_ALWAYS = 1;             // "UTC+01:00" after the time
constexpr uint8_t TIME_STRUCTURE_DATE = 0, TIME_STRUCTURE_TIME = 1, TIME_STRUCTURE_DATETIME = 2;

// The international settings record (139 bytes, packed). Texts are NUL-padded.
#pragma pack(push, 1)
struct IntlSettings {
    uint16_t flags;          // INTL_* bits; bits 5-7 hold the date order, one of INTL_DATE_*
    uint8_t currencyDigits;  // 0-15
    uint8_t reserved;
    int32_t timeZone;  // standard-time offset of this workstation, as TimeRecord::zone
    char amText[5];
    char pmText[5];
    char currencyText[5];
    char thousandsText[5];
    char decimalText[5];
    char dateSeparator[5];
    char timeSeparator[5];
    char yesterdayText[32];
    char todayText[32];
    char tomorrowText[32];
};
#pragma pack(pop)
static_assert(sizeof(IntlSettings) == 139 && offsetof(IntlSettings, timeZone) == 4 &&
              offsetof(IntlSettings, amText) == 8 && offsetof(IntlSettings, yesterdayText) == 43);
constexpr uint16_t INTL_CURRENCY_SUFFIX = 0x0001, INTL_CURRENCY_SPACE = 0x0002, INTL_LEADING_ZERO = 0x0004;
constexpr uint16_t INTL_CLOCK_24_HOUR = 0x0008, INTL_DAYLIGHT_SAVING = 0x0010;
constexpr uint16_t INTL_DATE_MDY = 0x0020, INTL_DATE_DMY = 0x0040, INTL_DATE_YMD = 0x0080;

constexpr STATUS ERR_TIME_BAD_INSTANT = 0x0302;
constexpr STATUS ERR_TIME_BAD_FIELDS = 0x0303;
constexpr STATUS ERR_TIME_OUT_OF_RANGE = 0x0304;
constexpr STATUS ERR_TIME_BAD_TEXT = 0x0305;
constexpr STATUS ERR_TIME_BAD_FORMAT = 0x0306;
constexpr STATUS ERR_TIME_BUFFER_TOO_SMALL = 0x0307;
constexpr STATUS ERR_TIME_BAD_CONSTANT = 0x0308;
constexpr STATUS ERR_TIME_SPECIAL = 0x0309;
constexpr STATUS ERR_TIME_NO_ZONE = 0x030A;

// The present moment.
STATUS CurrentTime(Instant* now);
// One of the special instants (TIME_MINIMUM, TIME_MAXIMUM, TIME_WILDCARD).
STATUS TimeConstant(uint16_t which, Instant* out);

// Reads record->instant in this workstation's zone (TZ and the system zone database) into the ten fields.
// A special instant succeeds with all ten fields 0.
STATUS InstantToFields(TimeRecord* record);
// Reads record->instant in the fixed zone record->zone (+1 hour when record->dst is set).
STATUS InstantToZoneFields(TimeRecord* record);
// Sets record->instant (and record->weekday) from the date, time, zone and dst fields. Fields out of
// range are refused, not carried over: 31 February is an error.
STATUS FieldsToInstant(TimeRecord* record);

// Moves an ordinary instant: first years, months and days on the local calendar, keeping the local clock
// time (a day that has no such month day ends on the month's last day), then hours, minutes and seconds
// as elapsed time.
STATUS AdjustInstant(Instant* instant, int32_t seconds, int32_t minutes, int32_t hours, int32_t days,
                     int32_t months, int32_t years);
// Moves an ordinary instant by elapsed hundredths of a second.
STATUS AdvanceInstant(Instant* instant, int32_t hundredths);
// *result < 0, 0 or > 0 as a lies before, at or after b.
STATUS CompareInstants(const Instant* a, const Instant* b, int* result);

// Text conversions. intl and format may be null (GetInternationalSettings, default format). Text is read up
// to maxLength bytes or a NUL. It is written without a NUL when it fills maxLength exactly; a text longer
// than maxLength is refused and the buffer left as it was. Accepted text: a date ("01/15/2024", "15.01.24",
// "2024-01-15", month and day alone for this year), a time ("9:30", "09:30:00.25 PM"), or both (an ISO "T"
// may join them), optionally a zone after the time ("Z", "UTC", "GMT", "UTC+01:00", "-0500"), and the
// texts of the special instants ("Minimum Valid Date", "Maximum Valid Date", "Any Day//Any Time").
// A date alone means local midnight, a time alone today. Two-digit years 50-99 are 19xx, 00-49 20xx.
STATUS ConvertTextToTime(const IntlSettings* intl, const TimeTextFormat* format, const char* text,
                         uint16_t maxLength, Instant* out);
STATUS InstantToText(const IntlSettings* intl, const TimeTextFormat* format, const Instant* instant,
                     char* buffer, uint16_t maxLength, uint16_t* length);
// "begin - end".
STATUS RangeToText(const IntlSettings* intl, const TimeTextFormat* format, const TimeRange* range, char* buffer,
                   uint16_t maxLength, uint16_t* length);

// This workstation's international settings. Fixed values, not taken from the locale, so that stored text
// reads the same everywhere: month/day/year with "/", a 12-hour clock with "AM"/"PM" and ":", "." decimal,
// "," thousands, "$" with 2 digits, "Yesterday"/"Today"/"Tomorrow"; only the time zone and the
// daylight-saving flag come from the local zone.
STATUS GetInternationalSettings(IntlSettings* out);
// ==== end Time

// ==== Settings and servers =============================================================================
// The settings file is $NOTES_INI, else ~/.notes/notes.ini (INI text). Section [Notes]: Directory= (the local
// data directory; default the folder "data" beside the settings file), UserName= and every other environment
// value. Section [Servers]: one "<server name>=<folder>" line per server; server names compare without regard
// to case and match in canonical ("CN=Alpha/O=Acme") and abbreviated ("Alpha/Acme") form.
//
// A network path joins port, server and file path: "port!!server!!file", "server!!file" or "file". Relative
// file paths lie under the data directory, or under the server's folder; "\" counts as "/", a component not
// found as written is matched without regard to case, and ".." may not climb out of that folder.
constexpr uint16_t MAXPATH = 256;      // network paths, file paths and server names, with their terminator
constexpr uint16_t MAXPORTNAME = 32;   // port names, with their terminator
constexpr uint16_t MAXENVVALUE = 256;  // environment values, with their terminator

constexpr STATUS ERR_NETPATH_TOO_LONG = 0x0801;  // network path or port does not fit its buffer
constexpr STATUS ERR_NETPATH_PART = 0x0802;      // part holds "!!" or a '!' next to a separator
constexpr STATUS ERR_PATH_ESCAPES = 0x0804;      // ".." leads out of the data directory or server folder
constexpr STATUS ERR_PATH_INVALID = 0x0805;      // path holds a NUL byte

constexpr STATUS ERR_SETTINGS_NO_FILE = 0x0901;  // neither NOTES_INI nor HOME is set
constexpr STATUS ERR_SETTINGS_WRITE = 0x0902;    // the settings file could not be written
constexpr STATUS ERR_ENV_NAME = 0x0903;          // empty name, or one that an INI line cannot hold
constexpr STATUS ERR_ENV_VALUE = 0x0904;         // value holds a line break
constexpr STATUS ERR_ENV_NOT_SET = 0x0905;       // no such environment value
constexpr STATUS ERR_NO_USER_NAME = 0x0906;      // UserName= is missing or empty

// The value of name into buf (at most size-1 bytes and a terminating zero); ERR_ENV_NOT_SET when absent.
STATUS GetEnvironmentText(const char* name, char* buf, uint16_t size);
// The value of name read as a decimal number (0 when it is not one); ERR_ENV_NOT_SET when absent.
STATUS GetEnvironmentInt(const char* name, int32_t* value);
// Writes name=value back to the settings file (atomically); a null value removes the name.
STATUS SetEnvironmentText(const char* name, const char* value);
STATUS SetEnvironmentInt(const char* name, int32_t value);

// The user name (UserName=), bounded by size.
STATUS GetUserNameText(char* buf, uint16_t size);
// The local data directory, bounded by size; *length (may be null) receives its length.
STATUS GetDataDirectory(char* buf, uint16_t size, uint16_t* length);
// A new block holding the configured servers, in file order, as a text list: 16-bit count n, n 16-bit lengths,
// then the n names without separators. The port is accepted and has no effect. The caller frees the block.
STATUS GetServerList(const char* port, DHANDLE* list);

// Joins port (null or "" = none), server (null or "" = local) and file into netpath (MAXPATH bytes).
STATUS BuildNetPath(const char* port, const char* server, const char* file, char* netpath);
// Splits a network path into port (MAXPORTNAME bytes), server and file (MAXPATH bytes each); any of the three
// may be null. The exact inverse of BuildNetPath.
STATUS SplitNetPath(const char* netpath, char* port, char* server, char* file);
// ==== end Settings and servers

// ==== Databases ========================================================================================
// A database is one file (the ".nsf" and ".ntf" names are kept), written so that a save that returned survives
// a crash or a kill, and shared safely with other processes that read and write it at the same time. A
// directory opens too: its handle serves SearchDatabase with SEARCH_FILETYPE and LocateDatabaseById.
using DBHANDLE = uint32_t;  // never 0
using NOTEID = uint32_t;    // never 0 for a stored note; never reused within a database

// A note's universal id: the same in every copy of the note; "file" is random, "note" the creation time.
struct UNIVERSALID {
    Instant file;
    Instant note;
};
static_assert(sizeof(UNIVERSALID) == 16);
// A note's originator id: its universal id, then the number and time of its last save.
struct ORIGINATORID {
    Instant file;
    Instant note;  // bytes 8 to 15: when the note was created
    uint32_t sequence;
    Instant sequenceTime;
};
static_assert(sizeof(ORIGINATORID) == 28);

constexpr STATUS ERR_NOT_A_DATABASE = 0x0101;    // the file is not one of this library's databases
constexpr STATUS ERR_DB_EXISTS = 0x0102;         // the database file already exists
constexpr STATUS ERR_DB_HANDLE = 0x0104;         // unknown or closed database handle
constexpr STATUS ERR_DB_IO = 0x0105;             // the file could not be read or written
constexpr STATUS ERR_DB_DAMAGED = 0x0106;        // the database file is damaged
constexpr STATUS ERR_DB_BUSY = 0x0107;           // another process kept the database locked too long
constexpr STATUS ERR_DB_IS_DIRECTORY = 0x0108;   // a directory handle where a database is needed
constexpr STATUS ERR_DB_NOT_DIRECTORY = 0x0109;  // a database handle where a directory is needed
constexpr STATUS ERR_DB_INFO_TOO_LONG = 0x010A;  // the information buffer would exceed DBINFO_SIZE - 1 bytes
constexpr STATUS ERR_DB_INFO_FIELD = 0x010B;     // no such information field
constexpr STATUS ERR_DB_NEWER_VERSION = 0x010C;  // written by a later version of this library
constexpr STATUS ERR_DB_ID_NOT_FOUND = 0x010D;   // no database with that identifier in the directory
constexpr STATUS ERR_DB_DISK_FULL = 0x010E;      // the disk is full
constexpr STATUS ERR_DB_READ_ONLY = 0x010F;      // the file may only be read
constexpr STATUS ERR_DB_IN_USE = 0x0110;         // a process (this one or another) has the database open
constexpr STATUS ERR_DB_CREATE = 0x0111;         // the file or its folder could not be made
constexpr STATUS ERR_DB_TOO_MANY_FILES = 0x0112; // the process may open no more files

// Opens a database file, or a directory, named by a network path. ERR_NOEXIST for a missing file,
// ERR_SERVER_NOT_KNOWN for an unknown or unreachable server, ERR_NOT_A_DATABASE for any other file.
STATUS OpenDatabase(const char* netpath, DBHANDLE* db);
STATUS CloseDatabase(DBHANDLE db);

// Makes an empty database (with an icon note of class NOTE_CLASS_ICON). An existing file is refused with
// ERR_DB_EXISTS unless force is set; then it is replaced (a file that is not a database is never replaced).
// fileClass, options, level and sizeLimit are accepted and have no effect here.
STATUS CreateDatabase(const char* netpath, uint16_t fileClass, bool force, uint16_t options, uint8_t level,
                      uint32_t sizeLimit);
// Copies the notes whose class is in noteClassMask, with the information buffer and option words, into a new
// file that replaces destination whole (unless a process has destination open). The copy gets an
// identifier of its own; notes keep their ids and universal ids. db, when not null, receives an open handle
// to the copy. sizeLimit and options are accepted and have no effect here.
STATUS CopyDatabase(const char* source, const char* destination, uint16_t noteClassMask, uint32_t sizeLimit,
                    uint32_t options, DBHANDLE* db);
// Deletes a database file (not a directory, not a foreign file, not one open in any process).
STATUS DeleteDatabase(const char* netpath);
//
// What the store promises about database files:
// - Durability: a save or delete that returned NOERROR is in the file, and survives a crash or kill of any
//   process, the saving one included, at any moment after it returned.
// - Sharing: any number of processes (and threads) may have a database open and read and write it at once;
//   a writer waits for another's write to end (ERR_DB_BUSY after 30 seconds). A save of a note that another
//   process saved or deleted since it was opened answers ERR_NOTE_CONFLICT, so no update is lost unseen.
//   Readers never see half a save.
// - Replacing and deleting: CreateDatabase with force, CopyDatabase over an existing destination and
//   DeleteDatabase refuse a database that any process has open with ERR_DB_IN_USE. Replacement is one step:
//   whatever happens, the old database or the new one is there, whole. Temporary files beside the target
//   ("<target>.creating-*", ".copying-*", and ".building-*" for databases a program builds before copying
//   them over the target) that a killed process left behind are removed by the next creation or copy of the
//   target.
// - Damage: a file that is not one of ours opens as ERR_NOT_A_DATABASE and is never replaced; a damaged one
//   gives ERR_DB_DAMAGED (or ERR_NOTE_DAMAGED for one note) from the operations that meet the damage, never a
//   crash.
// - Shortage: a full disk gives ERR_DB_DISK_FULL, and a database can still be opened and read on it; a
//   process out of file descriptors gets ERR_DB_TOO_MANY_FILES.
// Bytes in use and bytes free inside the file at netpath; flags have no effect.
STATUS GetDatabaseFileInfo(const char* netpath, uint32_t flags, uint32_t* used, uint32_t* unused);
// The same two figures for an open database.
STATUS GetDatabaseSpace(DBHANDLE db, uint32_t* used, uint32_t* unused);

// The information buffer: DBINFO_SIZE bytes, NUL-terminated, fields separated by line feeds.
constexpr uint16_t DBINFO_SIZE = 128;
constexpr uint16_t INFOFIELD_TITLE = 0, INFOFIELD_CATEGORIES = 1, INFOFIELD_DESIGN_CLASS = 2,
                   INFOFIELD_INHERIT_FROM = 3;
STATUS GetDatabaseInfo(DBHANDLE db, char* info);
STATUS SetDatabaseInfo(DBHANDLE db, const char* info);
// Field n of an information buffer, bounded by size (at most size-1 bytes and a terminator).
STATUS GetInfoField(const char* info, uint16_t field, char* out, uint16_t size);
// Replaces field n in an information buffer; the buffer is left as it was when the result would not fit.
STATUS SetInfoField(char* info, uint16_t field, const char* text);

// The database's two option words; their bits mean nothing to this library and are kept as given.
STATUS GetDatabaseOptions(DBHANDLE db, uint32_t* first, uint32_t* second);
STATUS SetDatabaseOptions(DBHANDLE db, uint32_t first);
// Sets the bits of mask in the first option word to those of bits.
STATUS SetDatabaseOptionBits(DBHANDLE db, uint32_t bits, uint32_t mask);

// The database's identifier: an instant of its creation (distinct for every database one process makes).
STATUS GetDatabaseId(DBHANDLE db, Instant* id);
// The path, relative to the directory's root (the data directory or the server's folder), of the database
// below an open directory that has identifier id; ERR_DB_ID_NOT_FOUND when there is none.
STATUS LocateDatabaseById(DBHANDLE directory, const Instant* id, char* path);
// When a document (data) and any other note (design) last changed.
STATUS GetModifiedTimes(DBHANDLE db, Instant* data, Instant* design);
// The version of the file's layout.
STATUS GetDatabaseVersion(DBHANDLE db, uint16_t* version);

// The note of class noteClass (one NOTE_CLASS_ bit) whose "$TITLE" names it: the whole title, or one of its
// "|"-separated names, without regard to case. ERR_NOTE_NOT_FOUND when there is none.
STATUS FindDesignNote(DBHANDLE db, const char* name, uint16_t noteClass, NOTEID* id);

// Search. For every note of noteClassMask changed after *since (null: every note) that the compiled formula
// selects (NULLHANDLE: every note), the callback is called once; a non-zero result ends the search and is
// returned. Callbacks may call into the library and may throw: the search then leaves nothing locked or
// half-done. *until (may be null) receives the time up to which the search looked: the stamp of the latest
// change it saw (for SEARCH_FILETYPE, the time it began).
//
// Changes since a time. Every save and delete in a database gets a stamp (the note's NOTE_INFO_MODIFIED for a
// save): the time of the change, but always later than every earlier stamp of that database, so that under
// more than a hundred changes a second the stamps run ahead of the clock for a while. A caller that passes the
// *until of one search or GetModifiedNoteTable as the since of the next sees every note saved after the
// first one looked, exactly once, whatever other processes save meanwhile.
// With SEARCH_FILETYPE the handle is a directory and noteClassMask one of the FILE_ values: the callback is
// called once per database file, with a summary holding "$Path" (text, relative to the directory's root).
constexpr uint16_t SEARCH_SUMMARY = 0x0002;   // pass each note's summary items to the callback
constexpr uint16_t SEARCH_FILETYPE = 0x0004;  // search a directory for files
constexpr uint16_t FILE_DBANY_AND_TEMPLATES = 2, FILE_DATABASES = 4, FILE_TEMPLATES = 5;
constexpr uint16_t FILE_RECURSE = 0x2000;     // with a FILE_ value: search the folders below too
constexpr uint8_t SE_MATCH = 0x01;            // SearchMatch::flags: the note meets the formula

struct SearchMatch {
    NOTEID id;  // 0 for files
    ORIGINATORID oid;
    uint16_t noteClass;
    uint8_t flags;
};
// The summary items of one match, valid during the callback.
struct SearchSummary;
using SearchCallback = STATUS (*)(void* context, const SearchMatch* match, const SearchSummary* summary);

STATUS SearchDatabase(DBHANDLE db, DHANDLE formula, uint16_t flags, uint16_t noteClassMask, const Instant* since,
                      SearchCallback callback, void* context, Instant* until);
// A summary value: its type word, and the bytes after it. ERR_ITEM_NOT_FOUND when the summary has none.
STATUS GetSummaryValue(const SearchSummary* summary, const char* name, uint16_t* type, const void** value,
                       uint16_t* length);
// A new ID table of the notes of noteClassMask changed after *since (null: all). ERR_NO_MODIFIED_NOTES when
// there are none: never an empty table. *until (may be null) is set as by SearchDatabase, also when there
// are none.
STATUS GetModifiedNoteTable(DBHANDLE db, uint16_t noteClassMask, const Instant* since, Instant* until,
                            DHANDLE* table);
// ==== end Databases

// ==== Notes and items ==================================================================================
// A note is opened into memory, changed there and stored by UpdateNote in one transaction. Each item has a
// name (1 to MAXITEMNAME bytes, matched without regard to case), a type word, flags and a value; items keep
// their append order. An item is named by its item block id, which stays the same while the note is open and
// is never given to another item of it. An item's value lies in a memory block: the value block id names its
// first byte (the type word) and the value length counts the type word. Values the library places lie at a
// non-zero offset; a block adopted by AppendItemByBlock keeps the caller's block id. Offset plus length is at
// most 0xFFFF. Value layouts (after the type word; little-endian):
//   TYPE_TEXT        the text bytes
//   TYPE_TEXT_LIST   16-bit count n, n 16-bit lengths, the n texts
//   TYPE_NUMBER      one 8-byte floating-point number      TYPE_TIME  one 8-byte instant
//   TYPE_NUMBER_RANGE, TYPE_TIME_RANGE  16-bit L, 16-bit R, L values of 8 bytes, R pairs of 16 bytes
//   TYPE_NOTEREF_LIST  16-bit count n (ODS_WORD), n universal ids (ODS_UNIVERSALID each): "$REF" of a
//                      response names its parent first
//   TYPE_COMPOSITE and all others: opaque bytes
// Values of the typed layouts are checked when appended (ERR_ITEM_LAYOUT).
using NOTEHANDLE = DHANDLE;  // never 0

constexpr uint16_t TYPE_COMPOSITE = 1;
constexpr uint16_t TYPE_NOTEREF_LIST = 512;
constexpr uint16_t TYPE_NUMBER = 768;
constexpr uint16_t TYPE_NUMBER_RANGE = 769;
constexpr uint16_t TYPE_TIME = 1024;
constexpr uint16_t TYPE_TIME_RANGE = 1025;
constexpr uint16_t TYPE_TEXT = 1280;
constexpr uint16_t TYPE_TEXT_LIST = 1281;

constexpr uint16_t ITEM_SIGN = 0x0001, ITEM_SEAL = 0x0002, ITEM_SUMMARY = 0x0004, ITEM_PROTECTED = 0x0200;
constexpr uint16_t MAXITEMNAME = 31;
constexpr const char* FIELD_REF = "$REF";  // a response's parent
constexpr const char* FIELD_TITLE = "$TITLE";

constexpr uint16_t NOTE_CLASS_DOCUMENT = 0x0001, NOTE_CLASS_INFO = 0x0002, NOTE_CLASS_FORM = 0x0004,
                   NOTE_CLASS_VIEW = 0x0008, NOTE_CLASS_ICON = 0x0010, NOTE_CLASS_DESIGN = 0x0020,
                   NOTE_CLASS_ACL = 0x0040, NOTE_CLASS_HELP_INDEX = 0x0080, NOTE_CLASS_HELP = 0x0100,
                   NOTE_CLASS_FILTER = 0x0200, NOTE_CLASS_FIELD = 0x0400, NOTE_CLASS_REPLFORMULA = 0x0800,
                   NOTE_CLASS_PRIVATE = 0x1000, NOTE_CLASS_ALL = 0x7FFF;
// OpenNote and DeleteNote take NOTE_ID_SPECIAL | class for the database's first note of that class (the
// icon note is NOTE_ID_SPECIAL | NOTE_CLASS_ICON). Ordinary note ids stay below it.
constexpr NOTEID NOTE_ID_SPECIAL = 0xFFFF0000;

// GetNoteInfo selectors and what they fill. Those marked settable work with SetNoteInfo.
constexpr uint16_t NOTE_INFO_DB = 0;              // DBHANDLE (settable: the database the note saves into)
constexpr uint16_t NOTE_INFO_ID = 1;              // NOTEID, 0 until first saved (settable)
constexpr uint16_t NOTE_INFO_OID = 2;             // ORIGINATORID (settable)
constexpr uint16_t NOTE_INFO_CLASS = 3;           // uint16_t class word (settable)
constexpr uint16_t NOTE_INFO_MODIFIED = 4;        // Instant of the last save
constexpr uint16_t NOTE_INFO_ACCESSED = 8;        // Instant the note was opened
constexpr uint16_t NOTE_INFO_PARENT_NOTEID = 10;  // NOTEID of the parent named by "$REF", 0 when none
constexpr uint16_t NOTE_INFO_RESPONSE_COUNT = 11; // uint32_t number of direct responses
constexpr uint16_t NOTE_INFO_RESPONSES = 12;      // DHANDLE ID table of direct responses (owned by the note;
                                                  // NULLHANDLE when there are none)
constexpr uint16_t NOTE_INFO_ADDED_TO_FILE = 13;  // Instant the note was first stored in this database

// UpdateNote flags. The library gives no meaning to other bits.
constexpr uint16_t UPDATE_FORCE = 0x0001;  // store even when another process saved the note since it was opened

constexpr STATUS ERR_NOTE_HANDLE = 0x0201;        // unknown or closed note handle
constexpr STATUS ERR_NOTE_NOT_FOUND = 0x0202;     // no such note in the database
constexpr STATUS ERR_NOTE_CLASS = 0x0203;         // not a note class (or no note of that special class)
constexpr STATUS ERR_NOTE_CONFLICT = 0x0204;      // another process saved or deleted the note since it was opened
constexpr STATUS ERR_ITEM_NAME = 0x0205;          // item name empty or longer than MAXITEMNAME bytes
constexpr STATUS ERR_ITEM_TOO_BIG = 0x0206;       // value does not fit a 64 KB block
constexpr STATUS ERR_ITEM_BLOCK = 0x0207;         // item block id of no item of this note
constexpr STATUS ERR_ITEM_LAYOUT = 0x0208;        // value does not match the layout of its type
constexpr STATUS ERR_NOTE_TOO_MANY_ITEMS = 0x0209;  // 65535 items appended while the note was open
constexpr STATUS ERR_NOTE_IDS_EXHAUSTED = 0x020A;   // the database has handed out every note id
constexpr STATUS ERR_NOTE_UNID_EXISTS = 0x020B;     // another note of the database has this universal id
constexpr STATUS ERR_NOTE_INFO_SELECTOR = 0x020C;   // unknown selector, or one that cannot be set
constexpr STATUS ERR_NOTE_DAMAGED = 0x020D;         // the stored note is damaged
constexpr STATUS ERR_VALUE_BLOCK = 0x020E;          // value block id of no block, or shorter than the length
constexpr STATUS ERR_ITEM_TYPE = 0x020F;            // item is not of a type the operation reads
constexpr STATUS ERR_OBJECT_NOT_FOUND = 0x0220;     // no database object of that id and type
constexpr STATUS ERR_OBJECT_IDS_EXHAUSTED = 0x0221; // the database has handed out every object id

STATUS CreateNote(DBHANDLE db, NOTEHANDLE* note);
// flags are accepted and have no effect: the whole note is always read.
STATUS OpenNote(DBHANDLE db, NOTEID id, uint16_t flags, NOTEHANDLE* note);
STATUS CloseNote(NOTEHANDLE note);
// Stores the note (a new one receives its id) in one transaction.
STATUS UpdateNote(NOTEHANDLE note, uint16_t flags);
// Deletes a stored note in one transaction; flags are accepted and have no effect.
STATUS DeleteNote(DBHANDLE db, NOTEID id, uint16_t flags);
// Deletes every note of the ID table in one transaction: all of them, or none when one fails (an id of no
// note gives ERR_NOTE_NOT_FOUND). flags are accepted and have no effect.
STATUS DeleteNotes(DBHANDLE db, DHANDLE table, uint16_t flags);
// An in-memory copy of an open note: same database, id, originator id and items, saved like the original.
STATUS DuplicateNote(NOTEHANDLE note, uint16_t flags, NOTEHANDLE* copy);
STATUS GetNoteInfo(NOTEHANDLE note, uint16_t selector, void* value);
STATUS SetNoteInfo(NOTEHANDLE note, uint16_t selector, const void* value);
// A fresh originator id for a note about to be stored as a new note of db (sequence 0).
STATUS NewOriginatorId(DBHANDLE db, ORIGINATORID* oid);

// Texts, flags and small actions of an open note. GetNoteTextByLength: the note's universal id as 32
// hexadecimal digits (file part, then note part, each high word first), cut to size - 1 bytes and
// terminated; *length (may be null) gets the bytes written. GetNoteTexts: into first the kind of note
// ("Document", "Form", "View", "Agent", ..., "Note"), into second its note id as "NT" and 8 hexadecimal
// digits; each buffer holds MAXPATH bytes. GetNoteFlagPair: first the note's class word, second 1 for a note
// that was never stored (or was moved to another database or id) and 0 for one read from its database.
// NoteActionA counts one more change of the open note (its sequence number and time; storing the note
// numbers it afresh); NoteActionB marks the note read now and NoteActionC marks it unread (its accessed time,
// NOTE_INFO_ACCESSED, becomes now or zero). flags and reserved are accepted and have no effect.
STATUS GetNoteTextByLength(NOTEHANDLE note, char* buffer, uint16_t size, uint16_t* length, uint16_t flags);
STATUS GetNoteTexts(NOTEHANDLE note, uint16_t flags, uint16_t reserved, char* first, char* second);
STATUS GetNoteFlagPair(NOTEHANDLE note, uint32_t* first, uint32_t* second);
STATUS NoteActionA(NOTEHANDLE note, uint16_t flags, uint16_t reserved);
STATUS NoteActionB(NOTEHANDLE note);
STATUS NoteActionC(NOTEHANDLE note);

// Database objects: stores that items of TYPE_OBJECT name by an ODSObjectDescriptor (type and id) after
// their type word. AllocateObject records a new object of size bytes (ids count from 1); GetObjectSize gives
// the size of the object of that id and type (ERR_OBJECT_NOT_FOUND when there is none).
constexpr uint16_t TYPE_OBJECT = 3;
STATUS AllocateObject(DBHANDLE db, uint16_t objectType, uint32_t size, uint32_t* objectId);
STATUS GetObjectSize(DBHANDLE db, uint32_t objectId, uint16_t objectType, uint32_t* size);

// Finds the first item of name (null or length 0: of any name), or the next one after item `after`. Any
// output may be null. ERR_ITEM_NOT_FOUND when there is none.
STATUS FindItemByName(NOTEHANDLE note, const char* name, uint16_t nameLength, BLOCKID* item, uint16_t* type,
                      BLOCKID* value, uint32_t* valueLength);
STATUS FindNextItemByName(NOTEHANDLE note, const char* name, uint16_t nameLength, BLOCKID after, BLOCKID* item,
                          uint16_t* type, BLOCKID* value, uint32_t* valueLength);
// An item's name (cut to nameSize-1 bytes and terminated; *nameLength gets the whole length), flags, type and
// value. Any output may be null.
STATUS QueryItemByBlock(NOTEHANDLE note, BLOCKID item, char* name, uint16_t nameSize, uint16_t* nameLength,
                        uint16_t* flags, uint16_t* type, BLOCKID* value, uint32_t* valueLength);
// Appends an item whose value is type followed by the length bytes of data (copied).
STATUS AppendItem(NOTEHANDLE note, uint16_t flags, const char* name, uint16_t nameLength, uint16_t type,
                  const void* data, uint32_t length, BLOCKID* item);
// Appends an item whose value (type word first) is the caller's block, adopted in place: the note frees
// the block when it closes, and FindItemByName gives back exactly value and valueLength.
STATUS AppendItemByBlock(NOTEHANDLE note, uint16_t flags, const char* name, uint16_t nameLength, BLOCKID value,
                         uint32_t valueLength, BLOCKID* item);
// Appends a copy of an item of any open note (item names its note) to note.
STATUS CopyItemToNote(BLOCKID item, NOTEHANDLE note, BLOCKID* copy);
// Deletes every item of name; ERR_ITEM_NOT_FOUND when there is none. No other item changes id or value.
STATUS DeleteItem(NOTEHANDLE note, const char* name, uint16_t nameLength);
STATUS DeleteItemByBlock(NOTEHANDLE note, BLOCKID item);
// The text of the first item of name (a text list gives its first entry), bounded by size; *length (may be
// null) gets the bytes written. ERR_ITEM_TYPE for an item that holds no text.
STATUS GetItemText(NOTEHANDLE note, const char* name, char* buf, uint16_t size, uint16_t* length);
// Replaces every item of name by one summary text item.
STATUS SetItemText(NOTEHANDLE note, const char* name, const char* text, uint16_t length);
// ==== end Notes and items

// ==== Formulas and search ==============================================================================
// CompileFormula, Compute*, SearchDatabase, GetModifiedNoteTable
// Formula statuses. A failed compile or evaluation also leaves a detailed text, naming the problem and
// where in the formula it lies, for LoadFormulaErrorText.
constexpr STATUS ERR_FORMULA_SYNTAX = 0x0501;          // syntax error
constexpr STATUS ERR_FORMULA_UNTERMINATED = 0x0502;    // text constant without its closing quote
constexpr STATUS ERR_FORMULA_UNKNOWN_FUNCTION = 0x0503;
constexpr STATUS ERR_FORMULA_ARGUMENT_COUNT = 0x0504;  // wrong number of arguments for an @function
constexpr STATUS ERR_FORMULA_NO_MAIN = 0x0505;         // no main or selection expression
constexpr STATUS ERR_FORMULA_TOO_COMPLEX = 0x0506;     // nested too deeply
constexpr STATUS ERR_FORMULA_TOO_LONG = 0x0507;
constexpr STATUS ERR_FORMULA_DAMAGED = 0x0508;         // compiled formula is not one of ours or is damaged
constexpr STATUS ERR_FORMULA_TYPE = 0x0510;            // wrong data type for an operator or @function
constexpr STATUS ERR_FORMULA_DIVIDE_BY_ZERO = 0x0511;
constexpr STATUS ERR_FORMULA_NUMBER_RANGE = 0x0512;    // arithmetic result is not a finite number
constexpr STATUS ERR_FORMULA_NEEDS_NOTE = 0x0513;      // evaluated without the document it reads
constexpr STATUS ERR_FORMULA_RESULT_TOO_LARGE = 0x0514;
constexpr STATUS ERR_FORMULA_BAD_HANDLE = 0x0515;      // unknown computation handle
constexpr STATUS ERR_FORMULA_BAD_NOTE = 0x0516;        // note handle that gives no document
constexpr STATUS ERR_FORMULA_BAD_ARGUMENT = 0x0517;    // missing output pointer or formula
constexpr STATUS ERR_FORMULA_BAD_VALUE = 0x0518;       // item value damaged or of a type formulas cannot read

// Compiles a formula of textLength bytes of Notes text (statements separated by ";", the last one giving
// the value; SELECT sets whether a note matches). *formula receives a new memory block of *formulaLength
// bytes holding the compiled formula; the caller frees it (FreeBlock). The text may be at most 65527 bytes.
STATUS CompileFormula(const char* text, uint16_t textLength, DHANDLE* formula, uint16_t* formulaLength);

// The detailed text of this thread's last failed formula operation, naming the problem and, for a formula
// text, its line and column ("Unknown @function @Foo (line 1, column 8)"); written as LoadNotesMessage does.
uint16_t LoadFormulaErrorText(char* buf, uint16_t size);

// A computation: one compiled formula, started once and evaluated for any number of notes.
using HCOMPUTE = uint32_t;
// Starts a computation over formulaLength bytes of a compiled formula (as CompileFormula made it).
STATUS ComputeStart(const void* formula, uint16_t formulaLength, HCOMPUTE* compute);
// Evaluates the formula for the note of a note handle, or without a document for NULLHANDLE (a formula that
// reads the document then fails with ERR_FORMULA_NEEDS_NOTE). When result is given, it receives a new memory
// block of *resultLength bytes holding the value as an item value: type word 1280 (text), 1281 (text list),
// 768 (number), 769 (number list), 1024 (time) or 1025 (time list), then the data; the caller frees it.
// *noteMatches, when given, tells whether the note is selected: the truth of the SELECT statement, or
// without one the truth of the value (a non-zero number).
STATUS ComputeEvaluate(HCOMPUTE compute, NOTEHANDLE note, DHANDLE* result, uint32_t* resultLength,
                       bool* noteMatches);
STATUS ComputeStop(HCOMPUTE compute);
// ==== end Formulas and search

// ==== Views and collections ============================================================================
// A view is a note of class NOTE_CLASS_VIEW with these items:
//   "$TITLE"       its names, "Name|Alias"
//   "$ViewFormat"  TYPE_VIEW_FORMAT: an ODSViewTableFormat, Columns ODSViewColumnFormat records, then
//                  per column its item name, title, formula (compiled, as CompileFormula makes it) and
//                  constant value
//   "$FORMULA"     TYPE_FORMULA: the compiled selection formula; a view without it selects every document
// A column's value for a document: with a formula and an item name, the formula computed for the document
// when it is indexed (views name such columns "$<column number>"); with an item name alone, the document's
// item of that name; a column without item name is no part of the summary (its constant or formula is read
// from the format). Values of types other than text, number and time (and their lists) are kept empty.
//
// The collection of a view is kept in the database file and brought up to date by every UpdateNote and
// DeleteNote, so opening it costs one read. Entries, in order: for each categorised column a level of
// category entries (showing the value of their first document; a document with several values sits under
// each, one without any under an empty category), then the documents, sorted by the categorised columns and
// then the other sorted columns, each group in column order (case-insensitive collation; descending where the
// column says); with a response column, responses under their parents (responses whose parent is not in the
// view are left out); with a totalling column, one total entry at the end holding the sums.
// Every entry carries the same summary items in column order (an ITEM_TABLE): a category entry fills its
// categorised column's item only, a document entry all but the categorised columns' items.
constexpr uint16_t TYPE_VIEW_FORMAT = 5;
constexpr uint16_t TYPE_FORMULA = 1536;
constexpr const char* VIEW_FORMAT_ITEM = "$ViewFormat";
constexpr const char* VIEW_FORMULA_ITEM = "$FORMULA";
constexpr uint8_t VIEW_FORMAT_VERSION = 1;
// ODSViewColumnFormat::Flags; a categorised column is sorted whatever its other bits say.
constexpr uint16_t VIEW_COLUMN_SORT = 0x0001, VIEW_COLUMN_CATEGORY = 0x0002, VIEW_COLUMN_DESCENDING = 0x0004,
                   VIEW_COLUMN_HIDDEN = 0x0008, VIEW_COLUMN_RESPONSE = 0x0010, VIEW_COLUMN_TOTAL = 0x0020;

// An entry's place: its 1-based number among its peers at each level 0..Level. Index 0 at a level stands
// before that level's first entry.
constexpr uint16_t MAXTUMBLERLEVELS = 32;
struct CollectionPosition {
    uint16_t Level;
    uint8_t MinLevel; // with NAVIGATE_MINLEVEL, moves never reach a level above (less than) it
    uint8_t MaxLevel; // with NAVIGATE_MAXLEVEL, moves pass over entries below (greater than) it
    uint32_t EntryIndex[MAXTUMBLERLEVELS];
};
static_assert(sizeof(CollectionPosition) == 132);

using HCOLLECTION = uint16_t;

// Note ids of entries that are no documents.
constexpr NOTEID NOTEID_CATEGORY = 0x80000000;
constexpr NOTEID NOTEID_TOTAL = 0xC0000000;

// Navigation codes of ReadEntries.
constexpr uint16_t NAVIGATE_CURRENT = 0; // stay
constexpr uint16_t NAVIGATE_NEXT = 1;    // next entry in order, children first
constexpr uint16_t NAVIGATE_PARENT = 3;
constexpr uint16_t NAVIGATE_CHILD = 4; // first child
constexpr uint16_t NAVIGATE_NEXT_PEER = 5;
constexpr uint16_t NAVIGATE_PREV_PEER = 6;
constexpr uint16_t NAVIGATE_FIRST_PEER = 7;
constexpr uint16_t NAVIGATE_LAST_PEER = 8;
constexpr uint16_t NAVIGATE_PREV = 9;
constexpr uint16_t NAVIGATE_MAIN = 11; // the main document (not a response) above or at the entry
constexpr uint16_t NAVIGATE_NEXT_MAIN = 12;
constexpr uint16_t NAVIGATE_PREV_MAIN = 13;
constexpr uint16_t NAVIGATE_NEXT_DESCENDANT = 17; // next in order while inside the entry the read began at
constexpr uint16_t NAVIGATE_NEXT_PARENT = 19;     // the parent's next peer
constexpr uint16_t NAVIGATE_PREV_PARENT = 20;     // the parent's previous peer
constexpr uint16_t NAVIGATE_NEXT_HIT = 29;        // full-text hits, in hit order (Level 0, index = rank)
constexpr uint16_t NAVIGATE_CURRENT_HIT = 31;
constexpr uint16_t NAVIGATE_NEXT_CATEGORY = 41;
constexpr uint16_t NAVIGATE_PREV_CATEGORY = 42;
constexpr uint16_t NAVIGATE_NEXT_NONCATEGORY = 43;
constexpr uint16_t NAVIGATE_PREV_NONCATEGORY = 44;
// Flags added to a code: obey the position's MinLevel, MaxLevel; NAVIGATE_CONTINUE is accepted and ignored.
constexpr uint16_t NAVIGATE_MINLEVEL = 0x0100, NAVIGATE_MAXLEVEL = 0x0200, NAVIGATE_CONTINUE = 0x8000;

// What ReadEntries returns of each entry, in this order of fields: note id (32), note class (16; 0 for
// categories and totals), siblings, children, descendants, its number among its peers (32 each), indent
// levels (16: response depth), full-text score (16; 0 outside hit navigation), the summary ITEM_TABLE.
constexpr uint32_t READ_MASK_NOTEID = 0x0001, READ_MASK_NOTECLASS = 0x0004, READ_MASK_INDEXSIBLINGS = 0x0008,
                   READ_MASK_INDEXCHILDREN = 0x0010, READ_MASK_INDEXDESCENDANTS = 0x0020,
                   READ_MASK_INDENTLEVELS = 0x0080, READ_MASK_SCORE = 0x0200, READ_MASK_INDEXPEER = 0x0400,
                   READ_MASK_SUMMARY = 0x8000;
// ReadEntries stopped because its buffer was full; read on from the position it left.
constexpr uint16_t SIGNAL_MORE_TO_DO = 0x0020;
// The largest buffer ReadEntries hands back.
constexpr uint32_t MAXREADBUFFER = 0xFFFF;

// FindByKey flags.
constexpr uint16_t FIND_PARTIAL = 0x0001, FIND_CASE_INSENSITIVE = 0x0002, FIND_ACCENT_INSENSITIVE = 0x0008,
                   FIND_UPDATE_IF_NOT_FOUND = 0x0020, FIND_COMPARE_MASK = 0x00C0;

constexpr STATUS ERR_COLLECTION_HANDLE = 0x0401;    // unknown or closed collection handle
constexpr STATUS ERR_NOT_A_VIEW = 0x0402;           // the note is not a view
constexpr STATUS ERR_VIEW_FORMAT = 0x0403;          // "$ViewFormat" is missing, damaged or of another version
constexpr STATUS ERR_VIEW_FORMULA = 0x0405;         // the selection or a column formula cannot be read
constexpr STATUS ERR_COLLECTION_POSITION = 0x0406;  // position with a level beyond MAXTUMBLERLEVELS - 1
constexpr STATUS ERR_COLLECTION_NAVIGATOR = 0x0407; // unknown navigation code or flags
constexpr STATUS ERR_COLLECTION_MASK = 0x0408;      // read mask with bits this library does not know
constexpr STATUS ERR_COLLECTION_HANDLES = 0x0409;   // every collection handle is in use
constexpr STATUS ERR_FIND_KEYS = 0x040A;    // key table damaged, of an unknown type or with too many keys
constexpr STATUS ERR_FIND_FLAGS = 0x040B;   // unknown find flags or comparison
constexpr STATUS ERR_SPECIAL_TEXT = 0x040C; // unknown escape after 0x7F
constexpr STATUS ERR_SPECIAL_TEXT_TOO_LONG = 0x040D; // translated text does not fit its buffer
constexpr STATUS ERR_VIEW_INDEX_DAMAGED = 0x040E;    // the stored view index cannot be read

// Opens the collection of view note viewId of viewDb over the documents of dataDb (usually the same handle).
// flags and unreadTable are accepted and have no effect.
//
// A view kept in the documents' own file is read from its stored index as far as reads go: opening reads
// its first rows, and later reads read on (through dataDb, which must stay open while the collection is
// read). Entries once read keep their place; rows read later are read as the index stands then, and an
// entry whose document has been deleted since reads with empty columns. A read that meets a damaged row
// fails with ERR_VIEW_INDEX_DAMAGED, as does every later read of that collection until UpdateCollection.
STATUS OpenCollection(DBHANDLE viewDb, DBHANDLE dataDb, NOTEID viewId, uint16_t flags, DHANDLE unreadTable,
                      HCOLLECTION* collection);
// Brings an open collection up to the documents' present state (positions held by callers may then name
// other entries).
STATUS UpdateCollection(HCOLLECTION collection);
STATUS CloseCollection(HCOLLECTION collection);

// Moves *position skipCount times by skipNavigator (0xFFFFFFFF: as far as it goes; a smaller count that
// cannot be moved in full returns nothing and leaves the position), then returns up to returnCount entries:
// the one at the position, and from there on by returnNavigator. The position is left at the last entry
// returned. *buffer (a new block the caller frees; NULLHANDLE when nothing is returned or the mask is 0)
// holds the returned entries one after another; when it would outgrow MAXREADBUFFER the read stops there
// with SIGNAL_MORE_TO_DO. Outputs other than position may be null.
STATUS ReadEntries(HCOLLECTION collection, CollectionPosition* position, uint16_t skipNavigator,
                   uint32_t skipCount, uint16_t returnNavigator, uint32_t returnCount, uint32_t returnMask,
                   DHANDLE* buffer, uint16_t* bufferLength, uint32_t* entriesSkipped,
                   uint32_t* entriesReturned, uint16_t* signalFlags);

// Finds the first main document whose sorted columns match the keys of keyTable, an ITEM_TABLE (16-bit
// total length with its 4-byte header, 16-bit count, per key a 16-bit name length and a 16-bit value length,
// then per key its name and its value) of TYPE_TEXT, TYPE_NUMBER or TYPE_TIME values matched against the
// sorted columns in order. *count (may be null) gets the number of documents that match. ERR_NOT_FOUND when
// none does.
STATUS FindByKey(HCOLLECTION collection, const void* keyTable, uint16_t findFlags, CollectionPosition* found,
                 uint32_t* count);

// Expands the escapes of a column's constant text: 0x7F followed by 'I' the note id (8 hex digits), 'P' the
// position ("1.2.3"), 'S', 'C', 'D', 'N' the sibling, child, descendant and peer-number statistics (decimal),
// 'T' the database title, 'V' the view name, 0x7F itself. Never writes past outSize; a result that does not
// fit gives ERR_SPECIAL_TEXT_TOO_LONG and *outLength 0. Titles are zero-terminated (null: empty).
STATUS TranslateSpecialText(const char* text, uint16_t textLength, NOTEID noteId,
                            const CollectionPosition* position, const uint32_t statistics[4],
                            const char* databaseTitle, const char* viewName, char* out, uint16_t outSize,
                            uint16_t* outLength);
// ==== end Views and collections

// ==== Full text ========================================================================================
// A database's full-text index lives in its file. FTIndex makes it and, later, brings it up to the documents
// added, changed and deleted since; FTSearch answers queries from it. What is indexed: the text and text-list
// items of documents (NOTE_CLASS_DOCUMENT); words are matched without regard to case and accents.
// A document deleted since the last FTIndex is never a hit; one changed since is found by what it held then.
// A document's texts are searched as one text: a phrase may run from one item or list entry into the next.
//
// Queries: words ("budget"), phrases in double quotes ("\"annual budget\""), a trailing * for every word that
// begins so ("budg*"), AND (also implied between two terms), OR, NOT and parentheses; AND binds before OR, NOT
// before AND. The operator words are matched without regard to case and are words again inside quotes.
constexpr STATUS ERR_FT_QUERY = 0x0F03;          // the query cannot be read (the status's text says why not)
constexpr STATUS ERR_FT_SEARCH_HANDLE = 0x0F04;  // unknown or closed search handle
constexpr STATUS ERR_FT_OPTIONS = 0x0F05;        // options that ask for an argument that was not given

// FTIndex options.
constexpr uint16_t FT_INDEX_REINDEX = 0x0002;  // build the index anew from every document
// FTIndex counts what it did; stats may be null.
struct FTIndexStats {
    uint32_t DocsAdded;
    uint32_t DocsUpdated;
    uint32_t DocsDeleted;
    uint32_t BytesIndexed;  // text read from the documents indexed in this run
};

// FTSearch options. Hits come in note id order unless sorted by relevance or by date (the last save of a
// document as of the last FTIndex; newest first unless FT_SEARCH_SORT_ASCEND); FT_SEARCH_SORT_DATE wins
// over relevance. FT_SEARCH_STEM_WORDS and FT_SEARCH_THESAURUS_WORDS are accepted and have no effect.
constexpr uint32_t FT_SEARCH_SET_COLL = 0x0001;      // attach the hits to `collection` (see below)
constexpr uint32_t FT_SEARCH_REFINE = 0x0004;        // only documents of the ID table `refine`
constexpr uint32_t FT_SEARCH_SCORES = 0x0008;        // sort by relevance and give scores
constexpr uint32_t FT_SEARCH_RET_IDTABLE = 0x0010;   // *results is an ID table, not a result block
constexpr uint32_t FT_SEARCH_SORT_DATE = 0x0020;
constexpr uint32_t FT_SEARCH_SORT_ASCEND = 0x0040;
constexpr uint32_t FT_SEARCH_TOP_SCORES = 0x0080;    // the maximum keeps the most relevant, then sorts
constexpr uint32_t FT_SEARCH_STEM_WORDS = 0x0200;
constexpr uint32_t FT_SEARCH_THESAURUS_WORDS = 0x0400;

// The result block: 32-bit count, 32-bit flags (FT_RESULTS_SCORES), count 32-bit note ids in result order,
// then, with scores, count score bytes (1-100, the most relevant hit before the maximum cuts 100). Host byte
// order.
constexpr uint32_t FT_RESULTS_SCORES = 0x0001;

// A search handle: what FTSearch needs between FTOpenSearch and FTCloseSearch.
using FTSEARCHHANDLE = uint32_t;
STATUS FTOpenSearch(FTSEARCHHANDLE* search);
STATUS FTCloseSearch(FTSEARCHHANDLE search);

// Runs query over db's index. With FT_SEARCH_SET_COLL only documents that the collection shows are hits, and
// they (in result order, with their scores) become the collection's hit list; a search without hits empties
// it. maxDocuments 0 means no limit; otherwise the first maxDocuments hits in result order are kept (with
// FT_SEARCH_TOP_SCORES the most relevant ones). *count (may be null) gets the number of hits. results (may be
// null) receives a new block the caller frees: the result block, or with FT_SEARCH_RET_IDTABLE an ID table
// of the hits. No hit gives ERR_FT_NO_MATCHES, *count 0 and no block; no index ERR_FT_NOT_INDEXED. reserved
// must be null.
STATUS FTSearch(DBHANDLE db, FTSEARCHHANDLE* search, HCOLLECTION collection, const char* query, uint32_t options,
                uint16_t maxDocuments, DHANDLE refine, uint32_t* count, const void* reserved, DHANDLE* results);

// Makes or updates the index. stopFile (may be null or "") is accepted and has no effect.
STATUS FTIndex(DBHANDLE db, uint16_t options, const char* stopFile, FTIndexStats* stats);
// Drops the index; ERR_FT_NOT_INDEXED when there is none.
STATUS FTDeleteIndex(DBHANDLE db);
// When the index was last brought up to date (lastIndexed may be null); ERR_FT_NOT_INDEXED when there is none.
STATUS FTGetIndexInfo(DBHANDLE db, Instant* lastIndexed);
// ==== end Full text

// ==== Access control lists =============================================================================
// An access list is held in a memory block of its own (ReadACL, CreateACL) and changed there; StoreACL writes
// it into a database, FreeBlock drops it. A database that never had one stored reads as a list holding only
// "-Default-" at ACL_LEVEL_MANAGER: nothing here enforces access, so an unset list grants everything.
// Entry names are matched exactly, case counting; a null name stands for "-Default-". An ACL has
// ACL_PRIVCOUNT privilege slots, each with a name (at most ACL_PRIVNAMEMAX - 1 bytes); an entry's
// privileges are one bit per slot, bit (slot & 7) of byte slot / 8. Levels, entry flags and the ACL flags are
// stored as given. The same handle is used by one thread at a time.
constexpr uint16_t ACL_LEVEL_NOACCESS = 0, ACL_LEVEL_DEPOSITOR = 1, ACL_LEVEL_READER = 2, ACL_LEVEL_AUTHOR = 3,
                   ACL_LEVEL_EDITOR = 4, ACL_LEVEL_DESIGNER = 5, ACL_LEVEL_MANAGER = 6;
constexpr uint16_t ACL_PRIVCOUNT = 80;
constexpr uint16_t ACL_PRIVNAMEMAX = 32;  // privilege names, with their terminator
constexpr const char* ACL_DEFAULT_NAME = "-Default-";
struct ACL_PRIVILEGES {
    uint8_t BitMask[(ACL_PRIVCOUNT + 7) / 8];
};

// UpdateACLEntry: which of the given values replace the entry's.
constexpr uint16_t ACL_UPDATE_NAME = 0x0001, ACL_UPDATE_LEVEL = 0x0002, ACL_UPDATE_PRIVILEGES = 0x0004,
                   ACL_UPDATE_FLAGS = 0x0008;

constexpr STATUS ERR_ACL_DAMAGED = 0x0A01;        // the block is no access list, or the stored list is damaged
constexpr STATUS ERR_ACL_NOT_FOUND = 0x0A02;      // no entry of that name
constexpr STATUS ERR_ACL_ENTRY_EXISTS = 0x0A03;   // an entry of that name is there already
constexpr STATUS ERR_ACL_BAD_NAME = 0x0A04;       // entry name empty or of MAXPATH bytes or more
constexpr STATUS ERR_ACL_BAD_LEVEL = 0x0A05;      // level above ACL_LEVEL_MANAGER
constexpr STATUS ERR_ACL_BAD_PRIVILEGE = 0x0A06;  // slot number not below ACL_PRIVCOUNT
constexpr STATUS ERR_ACL_PRIVNAME_TOO_LONG = 0x0A07;  // privilege name of ACL_PRIVNAMEMAX bytes or more
constexpr STATUS ERR_ACL_FULL = 0x0A08;           // 65535 entries already
constexpr STATUS ERR_ACL_DEFAULT_ENTRY = 0x0A09;  // "-Default-" cannot be deleted or renamed
// Not access-list statuses, kept in this range: conditions that the object layer reports itself, with a text
// here like every other status.
constexpr STATUS ERR_DB_REMOTE = 0x0A20;            // the operation works on local databases only
constexpr STATUS ERR_PORT_NOT_CONFIGURED = 2597;    // the port is not in the "Ports" environment lines

// A new list holding "-Default-" at ACL_LEVEL_NOACCESS, no privilege names and flags 0.
STATUS CreateACL(DHANDLE* acl);
// A copy of the database's list in a new block.
STATUS ReadACL(DBHANDLE db, DHANDLE* acl);
// Replaces the database's list by the one in the block (in one transaction).
STATUS StoreACL(DBHANDLE db, DHANDLE acl);

// privileges may be null (none).
STATUS AddACLEntry(DHANDLE acl, const char* name, uint16_t level, const ACL_PRIVILEGES* privileges,
                   uint16_t flags);
STATUS DeleteACLEntry(DHANDLE acl, const char* name);
// Replaces what updateFlags names; the values not named are not read (and may be null).
STATUS UpdateACLEntry(DHANDLE acl, const char* name, uint16_t updateFlags, const char* newName, uint16_t level,
                      const ACL_PRIVILEGES* privileges, uint16_t flags);
// Calls back once per entry, in list order. The privileges point into the list itself: what the callback
// changes there is kept. The callback must not call the other operations of this list.
using ACLEntryCallback = void (*)(void* context, const char* name, uint16_t level, ACL_PRIVILEGES* privileges,
                                  uint16_t flags);
STATUS EnumerateACL(DHANDLE acl, ACLEntryCallback callback, void* context);

// Slot names, bounded by ACL_PRIVNAMEMAX (terminated); an unnamed slot gives "".
STATUS GetPrivilegeName(DHANDLE acl, uint16_t slot, char* name);
STATUS SetPrivilegeName(DHANDLE acl, uint16_t slot, const char* name);
STATUS GetACLFlags(DHANDLE acl, uint32_t* flags);
STATUS SetACLFlags(DHANDLE acl, uint32_t flags);
// The administration server (MAXPATH bytes; "" when none); null or "" clears it.
STATUS GetACLAdminServer(DHANDLE acl, char* server);
STATUS SetACLAdminServer(DHANDLE acl, const char* server);
// ==== end Access control lists

// ==== Server add-ins and logs ==========================================================================
// Status lines are the lines of the server console's task list; they live in the process (until their
// FreeStatusLineHandle or TermProcess). The task's default line is the one SetTaskDefaults names.
// Messages (WriteLogText) and closed log entries are stored as documents of the log database LOG_DATABASE in
// the local data directory, which is created on first use: a message holds the items "Form" "Event",
// "Text" and "Status"; a log entry "Form" "Activity", "Name", "Value" (its last value, a number) and "Lines"
// (a text list of the lines written, oldest first).
constexpr const char* LOG_DATABASE = "log.nsf";

constexpr STATUS ERR_STATUS_LINE = 0x0B01;  // unknown or freed status line
constexpr STATUS ERR_LOG_HANDLE = 0x0B02;   // unknown, closed or discarded log entry
constexpr STATUS ERR_LOG_HANDLES = 0x0B03;  // every log entry handle is in use
constexpr STATUS ERR_LOG_FULL = 0x0B04;     // the entry's lines would exceed a text list
constexpr STATUS ERR_LOG_NAME = 0x0B05;     // log entry name empty or of MAXPATH bytes or more

// A new status line showing name and an empty text.
STATUS NewStatusLineHandle(const char* name, DHANDLE* line);
STATUS FreeStatusLineHandle(DHANDLE line);
STATUS SetStatusLineHandleText(DHANDLE line, const char* text);
// The name and text of a line (MAXPATH bytes each, terminated); either may be null.
STATUS GetStatusLineHandleText(DHANDLE line, char* name, char* text);
// Sets the text of the task's default line; ERR_STATUS_LINE when there is none.
STATUS SetTaskStatusText(const char* text);
// The task's default line; *exists false (and NULLHANDLE) when there is none.
STATUS GetTaskDefaults(DHANDLE* defaultLine, bool* exists);
// Makes newDefault the default line in place of oldDefault (NULLHANDLE: none); freeing lines stays the
// caller's.
STATUS SetTaskDefaults(DHANDLE oldDefault, DHANDLE newDefault);
// Stores text, with a status whose message it explains (0: none), as a message of the log database.
STATUS WriteLogText(const char* text, STATUS status);

// Timers of the task. SecondsElapsedQuery: true when seconds have passed since the last call that answered
// true for the same interval (the first call starts the interval and answers seconds == 0).
bool SecondsElapsedQuery(uint32_t seconds);
// True once the environment value "AddinStop" is a non-zero number: the task should end.
bool AddinStateQuery1();
// True when a new local day has begun since the last call that answered true (the first call starts it).
bool AddinStateQuery2();
// As SecondsElapsedQuery, for minutes, with a timer of its own.
bool AddinStateQuery3(uint32_t minutes);
// True when a new local hour has begun since the last call that answered true (the first call starts it).
bool AddinStateQuery4();

// Log entries: an entry gathers lines until it is closed (and stored) or discarded. value is the caller's
// word for the entry; the one given to CloseLogEntry is stored with it. An entry whose closing fails to
// store it stays open.
using LOGHANDLE = uint16_t;  // never 0
STATUS OpenLogEntry(const char* name, LOGHANDLE* entry);
// The line "text: detail".
STATUS LogAddText(LOGHANDLE entry, uint32_t value, const char* text, const char* detail);
// The line "text: number".
STATUS LogAddNumber(LOGHANDLE entry, uint32_t value, const char* text, int32_t number);
// The line "time text" (the instant in the default text format).
STATUS LogAddTime(LOGHANDLE entry, uint32_t value, const char* text, const Instant* time);
STATUS CloseLogEntry(LOGHANDLE entry, uint32_t value);
STATUS DiscardLogEntry(LOGHANDLE entry, uint32_t value);
// ==== end Server add-ins and logs

// ==== Mail and agents ======================================================================================
// Statuses 0x0D00-0x0DFF.
// Agents. An agent is a note of class NOTE_CLASS_FILTER; its formula, if any, is the text item "$Formula",
// compiled when the agent is opened. A run evaluates the formula once for every document of the agent's
// database; formulas change no document, so a run reports whether the formula can be evaluated for all of
// them. An agent without a formula runs and does nothing.
using HAGENT = uint32_t;     // never 0
using HAGENTCTX = uint32_t;  // never 0
constexpr STATUS ERR_AGENT_HANDLE = 0x0D01;   // unknown or closed agent or run context
constexpr STATUS ERR_NOT_AN_AGENT = 0x0D02;   // the note is not an agent
constexpr STATUS ERR_RT_BUILDER = 0x0D03;     // unknown or closed rich-text builder
constexpr STATUS ERR_RT_TOO_BIG = 0x0D04;     // built rich text does not fit the note

STATUS OpenAgent(DBHANDLE db, NOTEID id, HAGENT* agent);
STATUS CloseAgent(HAGENT agent);
// reserved and flags are accepted and have no effect.
STATUS CreateRunContext(HAGENT agent, uint32_t reserved, uint32_t flags, HAGENTCTX* context);
// context must have been made for agent.
STATUS RunAgent(HAGENT agent, HAGENTCTX context, uint32_t reserved, uint32_t flags);
STATUS DestroyRunContext(HAGENTCTX context);

// Rich-text builder: composes a composite item of an open note from runs of text, paragraph by paragraph,
// as CD records (a paragraph record, signature byte 0x81, before each paragraph; a text record, signature
// 0xFF85, with the run's 32-bit font id for each run). Closing appends the result to the note as items of
// the builder's name, of at most RT_ITEM_LIMIT bytes each, split between records (a record larger than that
// has an item of its own).
using HRTBUILDER = uint32_t; // never 0
constexpr uint32_t RT_ITEM_LIMIT = 40960;

STATUS CreateRichTextBuilder(NOTEHANDLE note, const char* itemName, HRTBUILDER* builder);
// Paragraph styles are accepted by name; they change nothing in what is built.
STATUS RichTextDefineStyle(HRTBUILDER builder, const char* styleName);
// Adds length bytes of text in font fontId; every lineDelimiter (null or "": none) in it starts a new
// paragraph. flags are accepted and have no effect.
STATUS RichTextAddRun(HRTBUILDER builder, uint32_t fontId, const char* text, uint16_t length,
                      const char* lineDelimiter, uint16_t flags);
// Renders an open note into the builder: each text item whose name does not begin with "$" as a paragraph
// "name: entries" (list entries joined by ", "), and the records of each composite item as they are; items
// of other types are left out.
STATUS RichTextAddRenderedNote(HRTBUILDER builder, NOTEHANDLE source);
// Appends the built items to the note and ends the builder; on failure nothing is appended.
STATUS CloseRichTextBuilder(HRTBUILDER builder);
STATUS DiscardRichTextBuilder(HRTBUILDER builder);
// ==== end Mail and agents

}  // namespace nnotes
