#include "library_text.h"

#include <vector>

QString ReadLibraryText(int size, const std::function<void(char*, int)>& fill) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    fill(buffer.data(), size);
    return QString::fromUtf8(buffer.data());
}
