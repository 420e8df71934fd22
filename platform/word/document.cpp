#include "document.h"

#include "file_io.h"
#include "new_document.h"
#include "unicode_text.h"
#include "word/word.h"

namespace word {
namespace {

// A document read from a file, or made by a merge and not yet saved (its text is made as it is written).
class FileDocument : public Document {
public:
    FileDocument(std::string path, MergedText content, bool modified)
        : Document(std::move(path), modified), content_(std::move(content)) {}

    void Save(const std::string& path) const override {
        MergedText::Reader reader(content_);
        WriteWholeFile(path, [&reader](char* out, size_t size) { return reader.Read(out, size); });
    }

    const MainDocument& AsMainDocument() const override {
        if (!main_) {
            std::string content = content_.Join();
            main_ = DetectFormat(content, Path()) == DocumentFormat::Rtf
                        ? ReadRtfMainDocument(std::move(content))
                        : ReadDocxMainDocument(std::move(content));
        }
        return *main_;
    }

private:
    MergedText content_;
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

std::unique_ptr<Document> OpenDocument(const std::string& path) {
    std::string content = ReadWholeFile(path, "document");
    DetectFormat(content, path);
    auto document = std::make_unique<FileDocument>(path, MergedText(std::move(content)), false);
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

std::unique_ptr<Document> MergedDocument(MergedText content) {
    return std::make_unique<FileDocument>("", std::move(content), true);
}

std::unique_ptr<Document> HeaderSourceDocument(const std::string& path, const std::string& headerRecord) {
    return std::make_unique<HeaderSource>(path, headerRecord);
}

} // namespace word
