#include "word_processor.h"

#include "unicode_text.h"

namespace word {
namespace {

using Type = Parameter::Type;

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
    void (WordProcessor::*run)(const BoundArguments&);
    bool endsProgram = false;
};

const std::vector<WordProcessor::Command>& WordProcessor::Commands() {
    using W = WordProcessor;
    const std::span<const Parameter> none;
    static const std::vector<Command> commands = {
        {"AppMinimize", kAppMinimize, &W::WindowCommand},
        {"AppHide", none, &W::WindowCommand},
        {"AppActivate", kAppActivate, &W::AppActivate},
        {"AppClose", none, &W::AppClose, true},
        {"FileExit", kSave, &W::FileExit, true},
        {"FileOpen", kName, &W::FileOpen},
        {"FileNewDefault", none, &W::FileNewDefault},
        {"FileSaveAs", kName, &W::FileSaveAs},
        {"FileClose", kSave, &W::FileClose},
        {"MailMergeOpenDataSource", kName, &W::MailMergeOpenDataSource},
        {"MailMerge", kDestination, &W::MailMerge},
        {"MailMergeToDoc", none, &W::MailMergeToDoc},
        {"MailMergeCreateHeaderSource", kHeaderSource, &W::MailMergeCreateHeaderSource},
        {"InsertMergeField", kMergeField, &W::InsertMergeField},
    };
    return commands;
}

bool WordProcessor::Run(const std::string& command, const std::vector<Argument>& arguments) {
    for (const Command& candidate : Commands()) {
        if (!EqualsNoCase(candidate.name, command)) continue;
        try {
            (this->*candidate.run)(BoundArguments(candidate.parameters, arguments));
            return !candidate.endsProgram;
        } catch (const AutomationError& e) {
            throw AutomationError(std::string(candidate.name) + ": " + e.what());
        }
    }
    throw AutomationError("Unknown command " + command);
}

Document& WordProcessor::Active() {
    if (documents_.empty()) throw AutomationError("There is no open document");
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

// The stand-in has no window: its window commands only check their arguments.
void WordProcessor::WindowCommand(const BoundArguments&) {}

void WordProcessor::AppActivate(const BoundArguments& args) {
    std::string window = args.RequiredString(0);
    if (!EqualsNoCase(window, kWindowName)) throw AutomationError("There is no window named " + window);
}

void WordProcessor::AppClose(const BoundArguments&) {
    CloseAll();
}

void WordProcessor::FileExit(const BoundArguments& args) {
    for (const auto& document : documents_)
        CloseMode(*document, args.Integer(0));
    while (!documents_.empty())
        Close(documents_.size() - 1, args.Integer(0));
}

void WordProcessor::FileOpen(const BoundArguments& args) {
    documents_.push_back(OpenDocument(args.RequiredString(0)));
}

void WordProcessor::FileNewDefault(const BoundArguments&) {
    documents_.push_back(NewDocument());
}

void WordProcessor::FileSaveAs(const BoundArguments& args) {
    Document& document = Active();
    std::string path = args.RequiredString(0);
    document.Save(path);
    document.Saved(path);
}

void WordProcessor::FileClose(const BoundArguments& args) {
    Active();
    Close(documents_.size() - 1, args.Integer(0));
}

void WordProcessor::MailMergeOpenDataSource(const BoundArguments& args) {
    Document& document = Active();
    document.Attach(DataSource::ReadFile(args.RequiredString(0)));
}

void WordProcessor::MailMerge(const BoundArguments& args) {
    Document& document = Active();
    if (args.Integer(0).value_or(0) != 0)
        throw AutomationError("Only Destination 0 (a new document) is supported");
    if (!document.Data()) throw AutomationError("The document has no data source");
    document.AsMainDocument();
}

void WordProcessor::MailMergeToDoc(const BoundArguments&) {
    Document& document = Active();
    if (!document.Data()) throw AutomationError("The document has no data source");
    documents_.push_back(MergedDocument(document.AsMainDocument().Merge(document.Data())));
}

// The header source opens behind the document it is attached to, which stays active.
void WordProcessor::MailMergeCreateHeaderSource(const BoundArguments& args) {
    Document& document = Active();
    std::string path = args.RequiredString(0);
    std::string record = args.RequiredString(1);
    std::unique_ptr<Document> source = HeaderSourceDocument(path, record);
    source->Save(path);
    document.Attach(DataSource::FromHeaderRecord(record));
    documents_.insert(documents_.end() - 1, std::move(source));
}

void WordProcessor::InsertMergeField(const BoundArguments& args) {
    Active().InsertMergeField(args.RequiredString(0));
}

} // namespace word
