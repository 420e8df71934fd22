// A throw-away store for tests: a temporary folder holding a settings file and a data directory, with
// $NOTES_INI pointing at it while the area lives. Databases are built in it from JSON descriptions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nsfadmin {

class TestArea {
public:
    // Makes <tmp>/nsfadmin-XXXXXX with notes.ini ([Notes] Directory=<root>/data, UserName=CN=Test
    // User/O=Acme) and the empty data directory, and sets NOTES_INI.
    TestArea();
    // Puts NOTES_INI back as it was and removes the folder.
    ~TestArea();
    TestArea(const TestArea&) = delete;
    TestArea& operator=(const TestArea&) = delete;

    const std::string& Root() const { return root_; }
    const std::string& DataDirectory() const { return data_; }
    const std::string& SettingsFile() const { return ini_; }

    // Names a server in the settings file whose databases lie in <root>/servers/<n>; gives that folder.
    std::string AddServer(const std::string& name);

    // Builds a database from a JSON description (tools/nsfadmin/README.md); gives the error text, empty on
    // success.
    std::string Build(std::string_view json) const;

private:
    void WriteSettings() const;

    std::string root_, data_, ini_;
    std::string servers_; // the [Servers] lines
    int serverCount_ = 0;
    std::optional<std::string> previousIni_;
};

} // namespace nsfadmin
