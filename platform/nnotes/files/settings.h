// The client's settings file: its location, the [Notes] values and the [Servers] folders.
#pragma once

#include "nnotes/nnotes.h"

#include <optional>
#include <string>
#include <vector>

namespace nnotes::settings {

// The settings file: $NOTES_INI, else ~/.notes/notes.ini; empty when neither variable is set.
std::string SettingsFile();

// A value of the [Notes] section, or nullopt when it (or the file) is missing.
std::optional<std::string> NotesValue(const std::string& name);

// Writes (or, with nullopt, removes) a value of the [Notes] section; the file is replaced atomically, in turn
// with writers in other processes. ERR_ENV_NAME or ERR_ENV_VALUE for a name or value that no line of the file
// can hold, ERR_SETTINGS_WRITE when the file cannot be read or written.
STATUS SetNotesValue(const std::string& name, const std::optional<std::string>& value);

// The local data directory: Directory=, else the folder "data" beside the settings file. Never ends in "/"
// unless it is the root.
std::string DataDirectory();

// One line of [Servers]: the server name as written and the folder that holds its databases.
struct ServerEntry {
    std::string name;
    std::string folder;
};

// Every configured server, in file order.
std::vector<ServerEntry> Servers();

// The folder of a server named in either canonical or abbreviated form, or nullopt when it is not configured.
std::optional<std::string> ServerFolder(const std::string& server);

} // namespace nnotes::settings
