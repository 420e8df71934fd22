#include "docx_text.h"

#include "unicode_text.h"

namespace word {

void AppendXmlEscaped(std::string_view text, std::string& out) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

void EncodeRunContent(std::string_view value, const std::string& prefix, std::string& out) {
    const std::string openText = "<" + prefix + "t xml:space=\"preserve\">";
    const std::string closeText = "</" + prefix + "t>";
    bool inText = false;
    const auto endText = [&] {
        if (inText) out += closeText;
        inText = false;
    };
    ForEachValueCharacter(
        value,
        [&] {
            endText();
            out += "<" + prefix + "tab/>";
        },
        [&] {
            endText();
            out += "<" + prefix + "br/>";
        },
        [&](char32_t cp) {
            if (!inText) out += openText;
            inText = true;
            if (cp == '&')
                out += "&amp;";
            else if (cp == '<')
                out += "&lt;";
            else if (cp == '>')
                out += "&gt;";
            else
                AppendUtf8(out, cp);
        });
    endText();
}

} // namespace word
