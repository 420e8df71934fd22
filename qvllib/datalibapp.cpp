#include "datalibapp.h"

#include "libstate.h"
#include "os/os.h"

CDataLibApp::CDataLibApp() : ModuleFileName(os::ModulePath(this)) {}

std::string CDataLibApp::ReadServerName() {
    Session.Init(LNAPI_VERSION, 0, nullptr);
    ProfileName = ProfileFileFor(ModuleFileName);
    return os::GetProfileString(ProfileName, "General", "Server", "");
}

std::string ProfileFileFor(const std::string& moduleFile) {
    const size_t slash = moduleFile.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = moduleFile.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return moduleFile + ".ini";
    return moduleFile.substr(0, dot + 1) + "ini";
}
