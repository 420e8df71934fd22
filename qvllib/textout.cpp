#include "textout.h"

#include "ln/lnstringtext.h"
#include "ln/lntext.h"
#include "nnotes/nls.h"

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
    // Translated from the stored text: its platform form may be longer than a string of the object layer.
    const LNString entry = text[0].GetText();
    if (entry.IsNull()) return {};
    std::string platform;
    lntext::TranslateWhole(nnotes::TRANSLATE_NOTES_TO_PLATFORM, lntext::Chars(entry.GetTextPtr()),
                           entry.GetByteLength(), platform);
    return platform;
}

std::string PlatformTextPrefix(const LNString& text, size_t bytes) {
    if (text.IsNull()) return {};
    // Each stored character becomes at least as many platform bytes as it takes, so a character that starts
    // more than 3 bytes past the front (where the front could cut it) lands past the bytes kept.
    const size_t length = std::min<size_t>(text.GetByteLength(), bytes + 3);
    std::string platform(3 * length, '\0');
    platform.resize(lntext::Translate(nnotes::TRANSLATE_NOTES_TO_PLATFORM, lntext::Chars(text.GetTextPtr()),
                                      static_cast<uint32_t>(length), platform.data()));
    if (platform.size() > bytes) platform.resize(bytes);
    return platform;
}

std::string FirstEntryTextPrefix(const LNItem& value, size_t bytes) {
    const LNText text = value;
    if (text.IsNull() || text.GetCount() == 0) return {};
    return PlatformTextPrefix(text[0].GetText(), bytes);
}
