// libnnotes server add-ins and logs: the status lines of the server console's task list, the task's timers,
// and the messages and log entries stored in the log database.
#pragma once

#include <cstdint>

#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace nnotes {

// Status lines are the lines of the server console's task list; they live in the process (until their
// FreeStatusLineHandle or TermProcess). The task's default line is the one SetTaskDefaults names.
// Messages (WriteLogText) and closed log entries are stored as documents of the log database LOG_DATABASE in
// the local data directory, which is created on first use: a message holds the items "Form" "Event",
// "Text" and "Status"; a log entry "Form" "Activity", "Name", "Value" (its last value, a number) and "Lines"
// (a text list of the lines written, oldest first).
constexpr const char* LOG_DATABASE = "log.nsf";

constexpr STATUS ERR_STATUS_LINE = 0x0B01; // unknown or freed status line
constexpr STATUS ERR_LOG_HANDLE = 0x0B02;  // unknown, closed or discarded log entry
constexpr STATUS ERR_LOG_HANDLES = 0x0B03; // every log entry handle is in use
constexpr STATUS ERR_LOG_FULL = 0x0B04;    // the entry's lines would exceed a text list
constexpr STATUS ERR_LOG_NAME = 0x0B05;    // log entry name empty or of MAXPATH bytes or more

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
using LOGHANDLE = uint16_t; // never 0
STATUS OpenLogEntry(const char* name, LOGHANDLE* entry);
// The line "text: detail".
STATUS LogAddText(LOGHANDLE entry, uint32_t value, const char* text, const char* detail);
// The line "text: number".
STATUS LogAddNumber(LOGHANDLE entry, uint32_t value, const char* text, int32_t number);
// The line "time text" (the instant in the default text format).
STATUS LogAddTime(LOGHANDLE entry, uint32_t value, const char* text, const Instant* time);
STATUS CloseLogEntry(LOGHANDLE entry, uint32_t value);
STATUS DiscardLogEntry(LOGHANDLE entry, uint32_t value);

} // namespace nnotes
