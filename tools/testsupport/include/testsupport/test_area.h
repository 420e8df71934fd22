// The environment every test of the store and above runs in: a temporary folder of its own holding the
// settings file (notes.ini), the local data directory, server folders and a home folder. While the area
// lives, $NOTES_INI names its settings file and $HOME its home folder, so that nothing a test does (nor the
// store's fallback to ~/.notes/notes.ini) reaches the user's own files; both are put back, and the folder
// removed, when it ends. Databases are built in it from nsfadmin's JSON descriptions
// (tools/nsfadmin/README.md).
//
// Areas nest: one made while another lives takes over the variables and hands them back when it ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class TestArea {
public:
    // Makes <tmp>/qvl-test-XXXXXX with notes.ini ([Notes] Directory=<root>/data, UserName=CN=Test
    // User/O=Acme, an empty [Servers]), the empty data directory and the home folder <root>/home, and points
    // NOTES_INI and HOME at them. Throws std::runtime_error when the folder cannot be made.
    TestArea();
    // Puts NOTES_INI and HOME back as they were and removes the folder.
    ~TestArea();
    TestArea(const TestArea&) = delete;
    TestArea& operator=(const TestArea&) = delete;

    const std::string& Root() const { return root_; }
    const std::string& DataDirectory() const { return data_; }
    const std::string& SettingsFile() const { return ini_; }
    const std::string& HomeDirectory() const { return home_; }

    // The user the settings file names; rewrites the file.
    void SetUserName(const std::string& name);
    // Further [Notes] lines ("Name=value\n" each), written after Directory and UserName; rewrites the file.
    void SetNotesLines(const std::string& lines);
    // Names a server in [Servers] whose databases lie in folder (by default <root>/servers/<n>; made when
    // missing); rewrites the file and gives the folder.
    std::string AddServer(const std::string& name, const std::string& folder = "");

    // Replaces the settings file with exactly this text, for tests of how the file itself is read. The next
    // SetUserName, SetNotesLines or AddServer writes the area's own form again.
    void WriteSettingsText(std::string_view text) const;

    // Builds a database from a JSON description; gives the error text, empty on success.
    std::string Build(std::string_view json) const;
    // Every file under the data directory, relative to it (a build that failed must leave none behind).
    std::vector<std::string> DataFiles() const;

private:
    void WriteSettings() const;

    std::string root_, data_, ini_, home_;
    std::string userName_ = "CN=Test User/O=Acme";
    std::string notesLines_;
    std::string servers_; // the [Servers] lines
    int serverCount_ = 0;
    std::optional<std::string> previousIni_, previousHome_;
};

} // namespace testsupport
