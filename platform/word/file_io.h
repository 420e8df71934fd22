// Whole-file reading and writing for documents and data files, with failures as automation errors.
#pragma once

#include <functional>
#include <string>

namespace word {

// The largest document or data file read into memory.
inline constexpr size_t kMaxFileSize = size_t{1} << 30;

// Reads a whole file; what names the kind of file in the error when it is missing, unreadable or too large.
std::string ReadWholeFile(const std::string& path, const std::string& what);

// Replaces or creates path with what read gives until it gives 0 (it copies up to size bytes to out and
// gives the number copied), all at once: the data goes to a new file beside it that is flushed to disk and
// then renamed over it, and the folder is synced after the rename, so that a save that returned survives a
// power cut. A new file gets mode 0666 less the umask; a replaced one keeps its mode. Only a regular file
// that the user may write is replaced: a symbolic link, FIFO, device, folder or read-only file at path is
// refused. On failure (such a path, folder missing or not writable, disk full) nothing is left behind or
// changed and an AutomationError names the path and the reason.
void WriteWholeFile(const std::string& path, const std::function<size_t(char* out, size_t size)>& read);
void WriteWholeFile(const std::string& path, std::string_view data);

} // namespace word
