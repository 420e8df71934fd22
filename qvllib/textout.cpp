#include "textout.h"

#include "ln/lntext.h"

#include <algorithm>
#include <cstring>
#include <string>

void CopyOut(char* buffer, int size, std::string_view text) {
    if (buffer == nullptr || size <= 0) return;
    // Copied straight from the text: a row walk copies every column of every row.
    const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    if (length > 0) std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string PlatformText(const LNString& text) {
    if (text.IsNull()) return {};
    const char* platform = text.GetPlatformTextPtr();
    return platform != nullptr ? platform : "";
}

std::string FirstEntryText(const LNItem& value) {
    const LNText text = value;
    if (text.IsNull() || text.GetCount() == 0) return {};
    return PlatformText(text[0].GetText());
}
