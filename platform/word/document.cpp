#include "document.h"

#include "file_io.h"
#include "new_document.h"
#include "unicode_text.h"
#include "word.h"

namespace word {
namespace {

class FileDocument : public Document {
public:
    FileDocument(std::string path, DocumentFormat format, ChunkedText content, bool modified)
        : Document(std::move(path), modified), format_(format), content_(std::move(content)) {}

    void Save(const std::string& path) const override { WriteWholeFile(path, content_.Chunks()); }

    const MainDocument& AsMainDocument() const override {
        if (!main_) {
            std::string content = content_.Join();
            main_ = format_ == DocumentFormat::Rtf ? ReadRtfMainDocument(std::move(content))
                                                   : ReadDocxMainDocument(std::move(content));
        }
        return *main_;
    }

private:
    DocumentFormat format_;
    ChunkedText content_;
    mutable std::unique_ptr<MainDocument> main_;
};

class BlankDocument : public Document {
public:
    BlankDocument() : Document("", false) {}

    void Save(const std::string& path) const override {
        bool docx = path.size() >= 5 && EqualsNoCase(std::string_view(path).substr(path.size() - 5), ".docx");
        WriteWholeFile(path, docx ? NewDocxDocument(fields_) : NewRtfDocument(fields_));
    }

    void InsertMergeField(const std::string& name) override {
        if (name.empty()) throw AutomationError("No merge field name was given");
        fields_.push_back(name);
        Changed();
    }

    const MainDocument& AsMainDocument() const override {
        throw AutomationError("A new document must be saved before it is merged");
    }

private:
    std::vector<std::string> fields_;
};

class HeaderSource : public Document {
public:
    HeaderSource(std::string path, std::string record)
        : Document(std::move(path), false), record_(std::move(record)) {}
    void Save(const std::string& path) const override { WriteWholeFile(path, record_ + "\r\n"); }

private:
    std::string record_;
};

} // namespace

void Document::InsertMergeField(const std::string&) {
    throw AutomationError("Merge fields can be inserted into new documents only");
}

const MainDocument& Document::AsMainDocument() const {
    throw AutomationError("The document " + path_ + " is no main document");
}

DocumentFormat DetectFormat(std::string_view content, const std::string& name) {
    size_t start = content.find_first_not_of(" \t\r\n");
    if (start != std::string_view::npos && content.substr(start, 5) == "{\\rtf") return DocumentFormat::Rtf;
    if (content.substr(0, 4) == std::string_view("PK\x03\x04", 4)) return DocumentFormat::Docx;
    throw AutomationError("The document " + name + " is neither RTF nor DOCX");
}

std::unique_ptr<Document> OpenDocument(const std::string& path) {
    std::string content = ReadWholeFile(path, "document");
    DocumentFormat format = DetectFormat(content, path);
    auto document = std::make_unique<FileDocument>(path, format, ChunkedText(std::move(content)), false);
    try {
        document->AsMainDocument();
    } catch (const AutomationError& e) {
        throw AutomationError("The document " + path + " cannot be read: " + e.what());
    }
    return document;
}

std::unique_ptr<Document> NewDocument() {
    return std::make_unique<BlankDocument>();
}

std::unique_ptr<Document> MergedDocument(ChunkedText content) {
    DocumentFormat format = DetectFormat(content.Front(), "merged");
    return std::make_unique<FileDocument>("", format, std::move(content), true);
}

std::unique_ptr<Document> HeaderSourceDocument(const std::string& path, const std::string& headerRecord) {
    return std::make_unique<HeaderSource>(path, headerRecord);
}

} // namespace word
