#include "textout.h"

#include "ln/lntext.h"
#include "os/os.h"

#include <string>

void CopyOut(char* buffer, int size, std::string_view text) {
    if (buffer == nullptr || size <= 0) return;
    os::CopyBounded(buffer, static_cast<size_t>(size), std::string(text));
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
