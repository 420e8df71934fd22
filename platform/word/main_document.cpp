#include "main_document.h"

#include "word/word.h"

namespace word {

DocumentFormat DetectFormat(std::string_view content, const std::string& name) {
    size_t start = content.find_first_not_of(" \t\r\n", content.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    if (start != std::string_view::npos && content.substr(start, 5) == "{\\rtf") return DocumentFormat::Rtf;
    if (content.substr(0, 4) == std::string_view("PK\x03\x04", 4)) return DocumentFormat::Docx;
    throw AutomationError("The document " + name + " is neither RTF nor DOCX");
}

} // namespace word
