// Mail-merge templates: any bytes, read as an RTF or a DOCX template, give a template that merges, or an
// AutomationError; what a merge produces reads back as a document.
#include "data_source.h"
#include "main_document.h"
#include "word/reader.h"
#include "word/word.h"

#include <cstdint>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const auto source = std::make_shared<const word::DataSource>(
        word::DataSource::Parse("Name\tCity\r\nAnn\tParis\r\nBob\tRome\r\n", "data.txt"));
    // The first byte chooses the reader, so that both formats see every kind of input.
    std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool docx = data[0] & 1;
    try {
        const auto main = docx ? word::ReadDocxMainDocument(content) : word::ReadRtfMainDocument(content);
        word::ReadDocumentContent(main->Merge(source).Join());
    } catch (const word::AutomationError&) {
    }
    try {
        docx ? word::ReadDocxContent(content) : word::ReadRtfContent(content);
    } catch (const word::AutomationError&) {
    }
    return 0;
}
