// Text in RTF: decoding what tokens stand for, and writing text as RTF.
#pragma once

#include "merge_field.h"
#include "rtf_lexer.h"

#include <string>
#include <string_view>
#include <vector>

namespace word {

// Turns text tokens into UTF-8, following the group-scoped \uc count that says how many fallback
// characters follow each \u. Call EnterGroup and LeaveGroup at the braces.
class RtfTextDecoder {
public:
    explicit RtfTextDecoder(std::string_view source) : source_(source) {}

    void EnterGroup();
    void LeaveGroup();
    // Appends the text the token stands for and gives true when it is text (or a text symbol).
    // Structure words such as \par are not text: the caller decides what they mean.
    bool Append(const RtfToken& token, std::string& out);

private:
    std::string_view source_;
    std::vector<int> unicodeSkip_{1};
    int pendingSkip_ = 0;
    char32_t highSurrogate_ = 0;
};

// The instruction of the field whose \fldinst group starts at tokens[group], as UTF-8: its text, split
// over groups as it may be, leaving out nested fields and ignorable destinations, so that every token is
// read once however deeply fields nest.
std::string FieldInstruction(const RtfTokens& rtf, std::string_view source, size_t group);

// The field whose group starts at tokens[group]: its instruction with the fields nested in it (down to
// kMaxFieldNesting levels; deeper ones keep only their result), and its result text.
FieldCode ReadFieldCode(const RtfTokens& rtf, std::string_view source, size_t group);

// Writes UTF-8 text as RTF text: backslashes and braces escaped, tabs as \tab, line breaks as \line,
// other control characters dropped, non-ASCII as \u escapes (with one '?' fallback each; the caller sets
// \uc1 around it).
void EncodeRtfText(std::string_view text, std::string& out);

} // namespace word
