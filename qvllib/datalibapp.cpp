#include "datalibapp.h"

#include "libstate.h"
#include "os/os.h"

#include <cstring>

CDataLibApp::CDataLibApp() : ModuleFileName(os::ModulePath(this)) {}

std::string CDataLibApp::ReadServerName() {
    Session.Init(LNAPI_VERSION, 0, nullptr);
    ProfileName = ProfileFileFor(ModuleFileName);
    std::string server = os::GetProfileString(ProfileName, "General", "Server", "");
    // A profile value is a C text to its readers: it ends at a NUL that a damaged file holds, so that the
    // server asked for and the one written to the log are the same.
    server.resize(std::strlen(server.c_str()));
    return server;
}

std::string ProfileFileFor(const std::string& moduleFile) {
    const size_t slash = moduleFile.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = moduleFile.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return moduleFile + ".ini";
    return moduleFile.substr(0, dot + 1) + "ini";
}
