#include "testsupport/test_area.h"

#include "nsfadmin/nsfadmin.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testsupport {
namespace {

std::optional<std::string> Variable(const char* name) {
    if (const char* value = std::getenv(name)) return std::string(value);
    return std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

} // namespace

TestArea::TestArea() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvl-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    root_ = pattern;
    data_ = root_ + "/data";
    ini_ = root_ + "/notes.ini";
    home_ = root_ + "/home";
    std::filesystem::create_directories(data_);
    std::filesystem::create_directories(home_);
    previousIni_ = Variable("NOTES_INI");
    previousHome_ = Variable("HOME");
    setenv("HOME", home_.c_str(), 1);
    WriteSettings();
}

TestArea::~TestArea() {
    Restore("NOTES_INI", previousIni_);
    Restore("HOME", previousHome_);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

void TestArea::SetUserName(const std::string& name) {
    userName_ = name;
    WriteSettings();
}

void TestArea::SetNotesLines(const std::string& lines) {
    notesLines_ = lines;
    WriteSettings();
}

std::string TestArea::AddServer(const std::string& name, const std::string& folder) {
    ++serverCount_;
    const std::string where = folder.empty() ? root_ + "/servers/" + std::to_string(serverCount_) : folder;
    std::filesystem::create_directories(where);
    servers_ += name + "=" + where + "\n";
    WriteSettings();
    return where;
}

void TestArea::WriteSettingsText(std::string_view text) const {
    std::ofstream(ini_, std::ios::binary | std::ios::trunc) << text;
    setenv("NOTES_INI", ini_.c_str(), 1);
}

std::string TestArea::Build(std::string_view json) const {
    return nsfadmin::BuildFromText(json, "<test description>");
}

std::vector<std::string> TestArea::DataFiles() const {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(data_))
        if (e.is_regular_file()) files.push_back(std::filesystem::relative(e.path(), data_).string());
    return files;
}

void TestArea::WriteSettings() const {
    WriteSettingsText("[Notes]\nDirectory=" + data_ + "\nUserName=" + userName_ + "\n" + notesLines_ +
                      "[Servers]\n" + servers_);
}

} // namespace testsupport
