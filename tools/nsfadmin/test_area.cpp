#include "nsfadmin/test_area.h"

#include "nsfadmin/nsfadmin.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace nsfadmin {

TestArea::TestArea() {
    if (const char* ini = std::getenv("NOTES_INI")) previousIni_ = ini;
    std::string pattern = (std::filesystem::temp_directory_path() / "nsfadmin-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    root_ = pattern;
    data_ = root_ + "/data";
    ini_ = root_ + "/notes.ini";
    std::filesystem::create_directories(data_);
    WriteSettings();
}

TestArea::~TestArea() {
    if (previousIni_)
        setenv("NOTES_INI", previousIni_->c_str(), 1);
    else
        unsetenv("NOTES_INI");
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TestArea::AddServer(const std::string& name) {
    const std::string folder = root_ + "/servers/" + std::to_string(++serverCount_);
    std::filesystem::create_directories(folder);
    servers_ += name + "=" + folder + "\n";
    WriteSettings();
    return folder;
}

std::string TestArea::Build(std::string_view json) const {
    return BuildFromText(json, "<test description>");
}

void TestArea::WriteSettings() const {
    std::ofstream(ini_, std::ios::binary | std::ios::trunc)
        << "[Notes]\nDirectory=" << data_ << "\nUserName=CN=Test User/O=Acme\n[Servers]\n"
        << servers_;
    setenv("NOTES_INI", ini_.c_str(), 1);
}

} // namespace nsfadmin
