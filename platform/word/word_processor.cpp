#include "word_processor.h"

#include "unicode_text.h"

namespace word {
namespace {

using Type = Parameter::Type;

constexpr Parameter kNoParameters[] = {{"", Type::String}};
constexpr Parameter kAppMinimize[] = {{"State", Type::Integer}};
constexpr Parameter kAppActivate[] = {{"WindowName", Type::String}, {"Immediate", Type::Integer}};
constexpr Parameter kName[] = {{"Name", Type::String}};
constexpr Parameter kSave[] = {{"Save", Type::Integer}};
constexpr Parameter kDestination[] = {{"Destination", Type::Integer}};
constexpr Parameter kHeaderSource[] = {{"FileName", Type::String}, {"HeaderRecord", Type::String}};
constexpr Parameter kMergeField[] = {{"MergeField", Type::String}};

constexpr std::string_view kWindowName = "Microsoft Word";

} // namespace

struct WordProcessor::Command {
    std::string_view name;
    std::span<const Parameter> parameters;
    bool (*run)(WordProcessor&, const BoundArguments&); // false: the program ends
};

const std::vector<WordProcessor::Command>& WordProcessor::Commands() {
    using W = WordProcessor;
    const auto none = std::span<const Parameter>(kNoParameters, 0);
    static const std::vector<Command> commands = {
        {"AppMinimize", kAppMinimize, [](W&, const BoundArguments&) { return true; }},
        {"AppHide", none, [](W&, const BoundArguments&) { return true; }},
        {"AppActivate", kAppActivate, [](W& w, const BoundArguments& a) { return w.AppActivate(a), true; }},
        {"AppClose", none, [](W& w, const BoundArguments&) { return w.CloseAll(), false; }},
        {"FileExit", kSave, [](W& w, const BoundArguments& a) { return w.FileExit(a); }},
        {"FileOpen", kName, [](W& w, const BoundArguments& a) { return w.FileOpen(a), true; }},
        {"FileNewDefault", none, [](W& w, const BoundArguments& a) { return w.FileNewDefault(a), true; }},
        {"FileSaveAs", kName, [](W& w, const BoundArguments& a) { return w.FileSaveAs(a), true; }},
        {"FileClose", kSave, [](W& w, const BoundArguments& a) { return w.FileClose(a), true; }},
        {"MailMergeOpenDataSource", kName,
         [](W& w, const BoundArguments& a) { return w.MailMergeOpenDataSource(a), true; }},
        {"MailMerge", kDestination, [](W& w, const BoundArguments& a) { return w.MailMerge(a), true; }},
        {"MailMergeToDoc", none, [](W& w, const BoundArguments& a) { return w.MailMergeToDoc(a), true; }},
        {"MailMergeCreateHeaderSource", kHeaderSource,
         [](W& w, const BoundArguments& a) { return w.MailMergeCreateHeaderSource(a), true; }},
        {"InsertMergeField", kMergeField,
         [](W& w, const BoundArguments& a) { return w.InsertMergeField(a), true; }},
    };
    return commands;
}

bool WordProcessor::Run(const std::string& command, const std::vector<Argument>& arguments) {
    for (const Command& candidate : Commands()) {
        if (!EqualsNoCase(candidate.name, command)) continue;
        try {
            return candidate.run(*this, BoundArguments(candidate.parameters, arguments));
        } catch (const AutomationError& e) {
            throw AutomationError(std::string(candidate.name) + ": " + e.what());
        }
    }
    throw AutomationError("Unknown command " + command);
}

Document& WordProcessor::Active(const std::string& command) {
    if (documents_.empty()) throw AutomationError("There is no open document for " + command);
    return *documents_.back();
}

// Save: 1 saves the document under its name first, 2 discards changes; 0 (or none) would ask the user,
// which an unattended word processor cannot, so it closes only an unchanged document.
int WordProcessor::CloseMode(const Document& document, std::optional<std::int32_t> save) {
    int mode = save.value_or(0);
    if (mode < 0 || mode > 2) throw AutomationError("Save must be 0, 1 or 2");
    if (mode == 1 && document.Path().empty())
        throw AutomationError("The document has no name to be saved under");
    if (mode == 0 && document.Modified()) throw AutomationError("The document has unsaved changes");
    return mode;
}

void WordProcessor::Close(size_t index, std::optional<std::int32_t> save) {
    Document& document = *documents_[index];
    if (CloseMode(document, save) == 1) document.Save(document.Path());
    documents_.erase(documents_.begin() + static_cast<std::ptrdiff_t>(index));
}

void WordProcessor::AppActivate(const BoundArguments& args) {
    std::string window = args.RequiredString(0);
    if (!EqualsNoCase(window, kWindowName)) throw AutomationError("There is no window named " + window);
}

bool WordProcessor::FileExit(const BoundArguments& args) {
    for (const auto& document : documents_)
        CloseMode(*document, args.Integer(0));
    while (!documents_.empty())
        Close(documents_.size() - 1, args.Integer(0));
    return false;
}

void WordProcessor::FileOpen(const BoundArguments& args) {
    documents_.push_back(OpenDocument(args.RequiredString(0)));
}

void WordProcessor::FileNewDefault(const BoundArguments&) {
    documents_.push_back(NewDocument());
}

void WordProcessor::FileSaveAs(const BoundArguments& args) {
    Document& document = Active("FileSaveAs");
    std::string path = args.RequiredString(0);
    document.Save(path);
    document.Saved(path);
}

void WordProcessor::FileClose(const BoundArguments& args) {
    Active("FileClose");
    Close(documents_.size() - 1, args.Integer(0));
}

void WordProcessor::MailMergeOpenDataSource(const BoundArguments& args) {
    Document& document = Active("MailMergeOpenDataSource");
    document.Attach(DataSource::ReadFile(args.RequiredString(0)));
}

void WordProcessor::MailMerge(const BoundArguments& args) {
    Document& document = Active("MailMerge");
    if (args.Integer(0).value_or(0) != 0)
        throw AutomationError("Only Destination 0 (a new document) is supported");
    if (!document.Data()) throw AutomationError("The document has no data source");
    document.AsMainDocument();
}

void WordProcessor::MailMergeToDoc(const BoundArguments&) {
    Document& document = Active("MailMergeToDoc");
    if (!document.Data()) throw AutomationError("The document has no data source");
    documents_.push_back(MergedDocument(document.AsMainDocument().Merge(document.Data())));
}

// The header source opens behind the document it is attached to, which stays active.
void WordProcessor::MailMergeCreateHeaderSource(const BoundArguments& args) {
    Document& document = Active("MailMergeCreateHeaderSource");
    std::string path = args.RequiredString(0);
    std::string record = args.RequiredString(1);
    std::unique_ptr<Document> source = HeaderSourceDocument(path, record);
    source->Save(path);
    document.Attach(DataSource::FromHeaderRecord(record));
    documents_.insert(documents_.end() - 1, std::move(source));
}

void WordProcessor::InsertMergeField(const BoundArguments& args) {
    Active("InsertMergeField").InsertMergeField(args.RequiredString(0));
}

} // namespace word
