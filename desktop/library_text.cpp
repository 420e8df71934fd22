#include "library_text.h"

#include <cstring>

namespace {

// The first buffer tried for a whole text: most values fit, and the walk reads every column of every row.
constexpr int kFirstSize = 256;
// No text the library holds comes near this; a library that filled every buffer would stop here.
constexpr int kLargestSize = 1 << 24;

// The length of text without a multi-byte character that starts within it but is not complete.
size_t WithoutCutCharacter(const char* text, size_t length) {
    size_t start = length;
    // A character's lead byte is at most three bytes before its last byte.
    for (size_t back = 1; back <= 4 && back <= length; ++back) {
        auto byte = static_cast<unsigned char>(text[length - back]);
        if ((byte & 0xC0) == 0x80) continue; // continuation byte
        start = length - back;
        size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? start : length;
    }
    return length;
}

} // namespace

QString LibraryText(const char* text, int size) {
    size_t length = strnlen(text, static_cast<size_t>(std::max(size, 1)));
    if (size > 0 && length == static_cast<size_t>(size) - 1) length = WithoutCutCharacter(text, length);
    return QString::fromUtf8(text, static_cast<qsizetype>(length));
}

QString ReadWholeLibraryText(const std::function<void(char*, int)>& fill) {
    std::vector<char> buffer;
    for (int size = kFirstSize;; size *= 2) {
        buffer.assign(static_cast<size_t>(size) + 1, '\0');
        fill(buffer.data(), size);
        if (strnlen(buffer.data(), static_cast<size_t>(size)) < static_cast<size_t>(size) - 1 ||
            size >= kLargestSize) {
            return LibraryText(buffer.data(), size);
        }
    }
}

QString SteppedText::Take() {
    QString text = LibraryText(buffer_.data(), kSize);
    buffer_[0] = '\0';
    return text;
}
