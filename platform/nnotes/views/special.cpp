// TranslateSpecialText: the escapes of a column's constant text, filled in for one entry.
#include "process/process.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace nnotes {
namespace {

constexpr char kEscape = 0x7F;

std::string PositionText(const CollectionPosition* position) {
    if (position == nullptr) return std::string();
    std::string text;
    const uint16_t level = position->Level < MAXTUMBLERLEVELS ? position->Level : MAXTUMBLERLEVELS - 1;
    for (uint16_t l = 0; l <= level; ++l) {
        if (l > 0) text.push_back('.');
        text += std::to_string(position->EntryIndex[l]);
    }
    return text;
}

} // namespace

STATUS TranslateSpecialText(const char* text, uint16_t textLength, NOTEID noteId,
                            const CollectionPosition* position, const uint32_t statistics[4],
                            const char* databaseTitle, const char* viewName, char* out, uint16_t outSize,
                            uint16_t* outLength) {
    if (STATUS s = RequireProcess()) return s;
    if (outLength == nullptr || (text == nullptr && textLength > 0) || (out == nullptr && outSize > 0))
        return ERR_MISSING_ARGUMENT;
    *outLength = 0;
    std::string result;
    for (uint16_t i = 0; i < textLength; ++i) {
        if (text[i] != kEscape) {
            result.push_back(text[i]);
            continue;
        }
        if (++i == textLength) return ERR_SPECIAL_TEXT;
        const auto statistic = [&](int n) { return std::to_string(statistics ? statistics[n] : 0u); };
        switch (text[i]) {
        case 'I': {
            char id[9];
            std::snprintf(id, sizeof id, "%08X", static_cast<unsigned>(noteId));
            result += id;
            break;
        }
        case 'P':
            result += PositionText(position);
            break;
        case 'S':
            result += statistic(0);
            break;
        case 'C':
            result += statistic(1);
            break;
        case 'D':
            result += statistic(2);
            break;
        case 'N':
            result += statistic(3);
            break;
        case 'T':
            result += databaseTitle ? databaseTitle : "";
            break;
        case 'V':
            result += viewName ? viewName : "";
            break;
        case kEscape:
            result.push_back(kEscape);
            break;
        default:
            return ERR_SPECIAL_TEXT;
        }
    }
    if (result.size() > outSize) return ERR_SPECIAL_TEXT_TOO_LONG;
    if (!result.empty()) std::memcpy(out, result.data(), result.size());
    *outLength = static_cast<uint16_t>(result.size());
    return NOERROR;
}

} // namespace nnotes
