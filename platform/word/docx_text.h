// Text in the document part of a DOCX package.
#pragma once

#include <string>
#include <string_view>

namespace word {

// Appends text with the XML special characters escaped.
void AppendXmlEscaped(std::string_view text, std::string& out);

// Writes a value as the content of a run: text in w:t elements that keep their spaces, tabs as w:tab, line
// breaks as w:br, characters that XML cannot hold left out. prefix is the word-processing namespace prefix
// with its colon ("w:").
void EncodeRunContent(std::string_view value, const std::string& prefix, std::string& out);

} // namespace word
