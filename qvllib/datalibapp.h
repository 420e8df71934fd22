// CDataLibApp: the library's application object. It knows the library's own file, whose name with the
// extension "ini" is the profile file that names the server of qvlds.nsf.
#pragma once

#include <string>

class CDataLibApp {
public:
    CDataLibApp();
    CDataLibApp(const CDataLibApp&) = delete;
    CDataLibApp& operator=(const CDataLibApp&) = delete;

    // Starts the Notes session (its outcome shows in the next step that needs it) and gives the value of
    // "Server" in section "General" of the profile file, empty when missing.
    std::string ReadServerName();

    // The library file that the profile file is named after. Tests point it into a folder of their own, so
    // that they never put a profile file beside the shared library.
    void SetModuleFileName(const std::string& path) { ModuleFileName = path; }
    const std::string& GetProfileName() const { return ProfileName; }

private:
    std::string ModuleFileName;
    std::string ProfileName;
};

// The profile file of a library file: the text after the last "." of its file name becomes "ini"; a name
// without a "." gets ".ini" added. Dots in folder names never count.
std::string ProfileFileFor(const std::string& moduleFile);
