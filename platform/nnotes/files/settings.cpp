#include "files/settings.h"

#include "files/settings_names.h"
#include "os/os.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace nnotes::settings {
namespace {

constexpr const char* kNotesSection = "Notes";
constexpr const char* kServersSection = "Servers";

// A folder named in the settings file: "\\" as "/", relative to the file's own folder (not to the working
// directory), without a trailing "/".
std::string FolderSetting(std::string folder, const std::string& file) {
    for (char& c : folder)
        if (c == '\\') c = '/';
    if (folder.front() != '/') folder = os::DirectoryOf(file) + "/" + folder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

std::string SettingsFile() {
    const char* ini = std::getenv("NOTES_INI");
    if (ini != nullptr && *ini != '\0') return ini;
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return std::string(home) + "/.notes/notes.ini";
    return {};
}

std::optional<std::string> NotesValue(const std::string& name) {
    const std::string file = SettingsFile();
    if (file.empty()) return std::nullopt;
    return os::ReadProfileString(file, kNotesSection, name);
}

STATUS SetNotesValue(const std::string& name, const std::optional<std::string>& value) {
    const std::string file = SettingsFile();
    if (file.empty()) return ERR_SETTINGS_NO_FILE;
    os::MakeFolders(os::DirectoryOf(file)); // where it cannot be made, the write says so
    if (os::WriteProfileString(file, kNotesSection, name, value)) return NOERROR;
    if (errno != EINVAL) return ERR_SETTINGS_WRITE;
    // A name or value that no line of the file can hold: say which.
    const bool valueBreaks =
        value && value->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
    return valueBreaks ? ERR_ENV_VALUE : ERR_ENV_NAME;
}

std::string DataDirectory() {
    const std::string file = SettingsFile();
    if (auto dir = NotesValue("Directory"); dir && !dir->empty()) return FolderSetting(*dir, file);
    if (file.empty()) return {};
    return os::DirectoryOf(file) + "/data";
}

std::vector<ServerEntry> Servers() {
    std::vector<ServerEntry> out;
    const std::string file = SettingsFile();
    if (file.empty()) return out;
    for (const auto& [key, value] : os::ReadProfileSection(file, kServersSection)) {
        const std::string line = key + "=" + value;
        const size_t sep = ServerLineSeparator(line);
        if (sep == std::string::npos) continue;
        ServerEntry e{TrimBlanks(line.substr(0, sep)), TrimBlanks(line.substr(sep + 1))};
        if (e.name.empty() || e.folder.empty()) continue;
        e.folder = FolderSetting(e.folder, file);
        out.push_back(std::move(e));
    }
    return out;
}

std::optional<std::string> ServerFolder(const std::string& server) {
    for (const auto& e : Servers())
        if (SameServerName(e.name, server)) return e.folder;
    return std::nullopt;
}

} // namespace nnotes::settings
