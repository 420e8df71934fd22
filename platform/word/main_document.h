// A main document of a mail merge: a template read from RTF or DOCX bytes, merged with a data source into
// the bytes of a new document of the same format.
#pragma once

#include "data_source.h"
#include "merge_body.h"
#include "word/document_format.h"

#include <memory>
#include <string>
#include <string_view>

namespace word {

// Recognises a document by its content; throws AutomationError naming the file when it is neither.
DocumentFormat DetectFormat(std::string_view content, const std::string& name);

class MainDocument {
public:
    virtual ~MainDocument() = default;
    // One copy of the body per record, each starting on a new page. Throws AutomationError when a field
    // names no column or the data source has no records.
    virtual MergedText Merge(std::shared_ptr<const DataSource> data) const = 0;
};

// Reads a template; throws AutomationError, naming what is wrong, when it cannot be read.
std::unique_ptr<MainDocument> ReadRtfMainDocument(std::string content);
std::unique_ptr<MainDocument> ReadDocxMainDocument(std::string content);

} // namespace word
