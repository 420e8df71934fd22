// The tokens of an RTF file: group braces, control words and symbols, text and \bin data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace word {

struct RtfToken {
    enum class Kind { GroupStart, GroupEnd, ControlWord, ControlSymbol, Text, Binary };
    Kind kind;
    size_t offset; // span in the source; a control word's span includes its delimiting space
    size_t length;
    std::string_view name; // a control word's letters, or a control symbol's character
    bool hasParameter = false;
    std::int32_t parameter = 0; // a control word's number, or the byte of a \'hh symbol

    bool IsWord(std::string_view word) const { return kind == Kind::ControlWord && name == word; }
};

struct RtfTokens {
    std::vector<RtfToken> tokens;
    // For each GroupStart token, the index of its GroupEnd (other entries are unused).
    std::vector<size_t> groupEnd;
};

// Splits an RTF file into tokens up to the end of its outer group; whatever follows that group is ignored.
// Throws AutomationError, naming what and where, when the file does not start with {\rtf, its braces do
// not balance, a control word or \'hh is malformed, or a \bin length runs past the end.
RtfTokens TokeniseRtf(std::string_view source);

} // namespace word
