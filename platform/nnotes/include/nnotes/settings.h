// libnnotes settings and servers: the environment values of the settings file, the user name, the local
// data directory, the configured servers, and network paths that join port, server and file.
#pragma once

#include <cstdint>

#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace nnotes {

// The settings file is $NOTES_INI, else ~/.notes/notes.ini (INI text). Section [Notes]: Directory= (the local
// data directory; default the folder "data" beside the settings file), UserName= and every other environment
// value. Section [Servers]: one "<server name>=<folder>" line per server; server names compare without regard
// to case and match in canonical ("CN=Alpha/O=Acme") and abbreviated ("Alpha/Acme") form.
//
// A network path joins port, server and file path: "port!!server!!file", "server!!file" or "file". Relative
// file paths lie under the data directory, or under the server's folder; "\" counts as "/", a component not
// found as written is matched without regard to case, and ".." may not climb out of that folder. No part may
// hold a NUL byte (ERR_PORT_NAME_INVALID, ERR_SERVER_NAME_INVALID, ERR_PATH_INVALID): cut short at it, a
// name would name another file unseen.
constexpr uint16_t MAXPATH = 256;     // network paths, file paths and server names, with their terminator
constexpr uint16_t MAXPORTNAME = 32;  // port names, with their terminator
constexpr uint16_t MAXENVVALUE = 256; // environment values, with their terminator

constexpr STATUS ERR_NETPATH_TOO_LONG = 0x0801;    // network path or port does not fit its buffer
constexpr STATUS ERR_NETPATH_PART = 0x0802;        // part holds "!!" or a '!' next to a separator
constexpr STATUS ERR_PATH_ESCAPES = 0x0804;        // ".." leads out of the data directory or server folder
constexpr STATUS ERR_PATH_INVALID = 0x0805;        // file path holds a NUL byte
constexpr STATUS ERR_SERVER_NAME_INVALID = 0x0806; // server name holds a NUL byte
constexpr STATUS ERR_PORT_NAME_INVALID = 0x0807;   // port name holds a NUL byte

constexpr STATUS ERR_SETTINGS_NO_FILE = 0x0901; // neither NOTES_INI nor HOME is set
constexpr STATUS ERR_SETTINGS_WRITE = 0x0902;   // the settings file could not be written
constexpr STATUS ERR_ENV_NAME = 0x0903;         // empty name, or one that an INI line cannot hold
constexpr STATUS ERR_ENV_VALUE = 0x0904;        // value holds a line break (or a NUL)
constexpr STATUS ERR_ENV_NOT_SET = 0x0905;      // no such environment value
constexpr STATUS ERR_NO_USER_NAME = 0x0906;     // UserName= is missing or empty

// The value of name into buf (at most size-1 bytes and a terminating zero); ERR_ENV_NOT_SET when absent.
STATUS GetEnvironmentText(const char* name, char* buf, uint16_t size);
// The value of name read as a decimal number (0 when it is not one); ERR_ENV_NOT_SET when absent.
STATUS GetEnvironmentInt(const char* name, int32_t* value);
// Writes name=value back to the settings file (atomically, and durably: the folder is synced after the
// rename); a null value removes the name.
STATUS SetEnvironmentText(const char* name, const char* value);
STATUS SetEnvironmentInt(const char* name, int32_t value);

// The user name (UserName=), bounded by size.
STATUS GetUserNameText(char* buf, uint16_t size);
// The local data directory, bounded by size; *length (may be null) receives its length.
STATUS GetDataDirectory(char* buf, uint16_t size, uint16_t* length);
// A new block holding the configured servers, in file order, as a text list: 16-bit count n, n 16-bit
// lengths, then the n names without separators. The port is accepted and has no effect. The caller frees the
// block.
STATUS GetServerList(const char* port, DHANDLE* list);

// Joins port (null or "" = none), server (null or "" = local) and file into netpath (MAXPATH bytes).
STATUS BuildNetPath(const char* port, const char* server, const char* file, char* netpath);
// Splits a network path into port (MAXPORTNAME bytes), server and file (MAXPATH bytes each); any of the three
// may be null. The exact inverse of BuildNetPath.
STATUS SplitNetPath(const char* netpath, char* port, char* server, char* file);

} // namespace nnotes
