#include "word/reader.h"

#include "main_document.h"

namespace word {

DocumentContent ReadDocumentContent(std::string_view content) {
    return DetectFormat(content, "content") == DocumentFormat::Rtf ? ReadRtfContent(content)
                                                                   : ReadDocxContent(content);
}

} // namespace word
