#include "file_io.h"

#include "os.h"
#include "word.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace word {

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        throw AutomationError("The " + what + " " + path + " does not exist");
    if (!S_ISREG(st.st_mode)) throw AutomationError("The " + what + " " + path + " is not a file");
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileSize)
        throw AutomationError("The " + what + " " + path + " is too large");
    std::ifstream in(path, std::ios::binary);
    std::string data(static_cast<size_t>(st.st_size), '\0');
    if (!in || !in.read(data.data(), static_cast<std::streamsize>(data.size())) || in.get() != EOF)
        throw AutomationError("The " + what + " " + path + " cannot be read");
    return data;
}

void WriteWholeFile(const std::string& path, const std::string& data) {
    if (path.empty()) throw AutomationError("No file name was given");
    if (!os::WriteFileAtomically(path, data))
        throw AutomationError("Cannot write " + path + ": " + std::strerror(errno));
}

} // namespace word
