// Operating-system services of this system: message boxes, profile (INI) files, temporary files, the path of
// a loaded module, the user's documents folder, and bounded text copy and compare.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace os {

// ---- Message boxes
// ----------------------------------------------------------------------------------------- The libraries
// never block on a box: by default its text goes to stderr and the default answer is returned. A program
// installs a real dialog; a test installs a recorder.

// Flags: one button set | one icon | modality.
constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30,
                   MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
// Answers.
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7;

struct MessageBoxRequest {
    std::string text;
    std::string caption; // empty: the system's default caption
    unsigned flags = 0;  // buttons | icon | modality
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows a box through the installed handler; without one, writes "caption: text" to stderr and answers
// IDOK (IDYES for a yes/no box).
int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

// Installs a handler and returns the previous one (empty: the stderr default).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Records every box shown while it lives and answers with a fixed result; restores the previous handler.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<MessageBoxRequest>& Boxes() const { return boxes_; }
    void SetAnswer(int answer) { answer_ = answer; }

private:
    std::vector<MessageBoxRequest> boxes_;
    int answer_;
    MessageBoxHandler previous_;
};

// ---- Profile files
// ----------------------------------------------------------------------------------------- INI text:
// "[Section]" lines and "key=value" lines; sections and keys compare case-insensitively (ASCII) and, like
// values, without the blanks around them; ';' and '#' start comment lines. A UTF-8 byte-order mark at the
// start and CRLF line ends are read as an editor wrote them and kept on a rewrite. A section may appear more
// than once: readers go through every block of it, and the first line of a key is its value. Anything but a
// regular file (a folder, a pipe) reads as missing.

// The value of key in section, or nullopt when the file, the section or the key is missing.
std::optional<std::string> ReadProfileString(const std::string& file, const std::string& section,
                                             const std::string& key);

// The value, or def when it is missing (the way Windows profile reading behaves).
std::string GetProfileString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& def);

// Every key=value pair of a section, in file order (empty when there is no such section).
std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& file,
                                                                    const std::string& section);

// Sets key in section (adding the section or key as needed) and replaces the file atomically; every other
// line stays as it was. A null value removes the key (each line of it). Writers in other processes and
// threads take turns (an advisory lock on the file across its read, change and rename), so none loses
// another's write. Symbolic links to the file are kept: the file they lead to is replaced, keeping its mode;
// a new file gets 0666 less the umask. Returns false, with errno EINVAL, for what no line can hold and read
// back as it was: a line break or NUL anywhere, a section name with ']', a key with '=' or one that starts
// with '[', ';' or '#', an empty name. Returns false, with errno set, when the file cannot be read or
// written; a file that cannot be read is never replaced.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::optional<std::string>& value);

// ---- Files and folders
// -------------------------------------------------------------------------------------

// The folder for temporary files ($TMPDIR, else /tmp), without a trailing slash.
std::string TempDirectory();

// Creates a new empty file with a unique name in folder (TempDirectory() when empty) whose name starts with
// prefix and ends with suffix; returns its path, or an empty text when no file could be created (errno
// EINVAL for a prefix or suffix with a slash or NUL, or a folder with a NUL).
std::string CreateTempFile(const std::string& prefix, const std::string& suffix = "",
                           const std::string& folder = "");

// Writes data to path through a temporary file in the same folder and a rename, so readers see either the
// old or the new content (the owner and mode of a file replaced are kept); the data and then the folder are
// synced, so that once it returned true the new content survives a power cut. Returns false, with errno set,
// on failure.
bool WriteFileAtomically(const std::string& path, const std::string& data);

// Makes what link, rename and unlink did in folder survive a power cut: syncs the folder itself. True on
// success, and where the file system has no way of syncing a folder (EINVAL); false with errno otherwise.
bool SyncFolder(const std::string& folder);

// Makes folder and the folders above it that are missing (mode 0777, less the umask), each synced into its
// parent so that it survives a power cut with what is later put in it. True when folder is a folder then.
bool MakeFolders(const std::string& folder);

// For tests: called with the folder after each SyncFolder that succeeded. Returns the previous observer
// (empty: none).
using FolderSyncObserver = std::function<void(const std::string& folder)>;
FolderSyncObserver SetFolderSyncObserver(FolderSyncObserver observer);

// The process's file mode creation mask, read without changing it: setting it to read it back would, for
// that moment, give files that other threads create the wrong mode. 077 where it cannot be read.
unsigned FileCreationMask();

// The full path of the shared object or program that contains address (the calling module when null).
std::string ModulePath(const void* address);

// The folder that holds the file at path ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// The user's documents folder: XDG_DOCUMENTS_DIR from the user's dirs file, else $HOME/Documents when it
// exists, else $HOME. A HOME that is unset, empty or relative stands for the home folder of the user's
// account.
std::string DocumentsFolder();

// ---- Bounded text
// ------------------------------------------------------------------------------------------

// Copies at most size-1 bytes of src into dst and terminates it; returns the number of bytes copied.
// A null dst or a size of 0 copies nothing and returns 0. src may overlap dst.
size_t CopyBounded(char* dst, size_t size, const char* src);
size_t CopyBounded(char* dst, size_t size, const std::string& src);

// Compares at most n bytes like strncmp, and case-insensitively (ASCII) like strnicmp.
int CompareBounded(const char* a, const char* b, size_t n);
int CompareBoundedNoCase(const char* a, const char* b, size_t n);

} // namespace os
