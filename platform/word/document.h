// The documents an instance of the word processor holds open.
#pragma once

#include "data_source.h"
#include "main_document.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace word {

class Document {
public:
    virtual ~Document() = default;

    // Writes the document to path all at once; throws AutomationError when it cannot, leaving nothing.
    virtual void Save(const std::string& path) const = 0;
    // Appends a paragraph holding a MERGEFIELD field; throws AutomationError for documents that take none.
    virtual void InsertMergeField(const std::string& name);
    // The document as the main document of a merge; throws AutomationError when it cannot be one.
    virtual const MainDocument& AsMainDocument() const;

    const std::string& Path() const { return path_; }
    bool Modified() const { return modified_; }
    void Saved(const std::string& path) {
        path_ = path;
        modified_ = false;
    }

    // The data source attached for merging, if any.
    const std::shared_ptr<const DataSource>& Data() const { return data_; }
    void Attach(DataSource data) { data_ = std::make_shared<const DataSource>(std::move(data)); }

protected:
    explicit Document(std::string path, bool modified) : path_(std::move(path)), modified_(modified) {}
    void Changed() { modified_ = true; }

private:
    std::string path_;
    bool modified_;
    std::shared_ptr<const DataSource> data_;
};

// Opens an RTF or DOCX file, recognised by its content; throws AutomationError when it is missing or
// cannot be read.
std::unique_ptr<Document> OpenDocument(const std::string& path);

// An empty document. It is saved as DOCX under a name ending in ".docx", as RTF otherwise.
std::unique_ptr<Document> NewDocument();

// A document made by a merge, not yet saved.
std::unique_ptr<Document> MergedDocument(MergedText content);

// The header source of template creation: a text file holding the header record.
std::unique_ptr<Document> HeaderSourceDocument(const std::string& path, const std::string& headerRecord);

} // namespace word
