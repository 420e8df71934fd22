// Reading a document back as plain content: what a merge produced, checked without comparing bytes.
#pragma once

#include "word/document_format.h"

#include <string>
#include <string_view>
#include <vector>

namespace word {

struct DocumentContent {
    DocumentFormat format;
    // The body text: '\n' ends a paragraph, '\t' is a tab, '\v' a line break, '\f' a page or section break.
    std::string text;
    std::vector<std::string> headersAndFooters; // the text of each, in document order
    // For each section of the body, the text of the headers and footers it refers to (in RTF: holds).
    std::vector<std::vector<std::string>> sections;
    std::vector<std::string> notes;  // the text of each footnote and endnote (in DOCX: but separators)
    std::vector<std::string> styles; // style names
    std::vector<std::string> fields; // instructions of the fields left in the body
    int pageWidth = 0;               // twips, 0 when not given
    int pageHeight = 0;
};

// Throws AutomationError when the content is neither well-formed RTF nor a DOCX package with its content
// types, relationships and document part.
DocumentContent ReadDocumentContent(std::string_view content);

DocumentContent ReadRtfContent(std::string_view content);
DocumentContent ReadDocxContent(std::string_view content);

} // namespace word
