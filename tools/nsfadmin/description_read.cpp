#include "description.h"

#include "failure.h"
#include "json_tree.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"

#include <cctype>
#include <cstring>
#include <unordered_set>

namespace nsfadmin {
namespace {

using json = JsonValue;
using Kind = JsonValue::Kind;

// Item names are told apart without regard to (ASCII) case.
std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::string Step(const std::string& place, const std::string& key) {
    return PointerStep(place, key);
}

std::string Step(const std::string& place, size_t index) {
    return PointerStep(place, index);
}

class Reader {
public:
    explicit Reader(std::string source) : source_(std::move(source)) {}

    // The root as ParseJson left it, its documents already read by Document; documentFault is the fault
    // of the first document that had one, reported where the documents' turn comes.
    DatabaseDescription Database(const json& root, size_t documents, const std::string& documentFault) {
        RequireObject(root, "");
        OnlyKeys(root, "", {"server", "path", "title", "views", "documents"});
        DatabaseDescription d;
        d.server = OptionalString(root, "", "server");
        d.path = OptionalString(root, "", "path");
        if (d.path.empty()) Fail("/path", "the database path is missing or empty");
        // The store takes "<name>.building-*" (and ".creating-*", ".copying-*") beside a database <name> for
        // a temporary file left over by a build or copy, and removes it when <name> is built again.
        const std::string file = d.path.substr(d.path.find_last_of('/') + 1);
        for (const char* temporary : {".building-", ".creating-", ".copying-"})
            if (const size_t at = file.find(temporary); at != std::string::npos && at > 0)
                Fail("/path",
                     "\"" + d.path +
                         "\" is named like the temporary file of a build or copy, which would remove it");
        d.title = OptionalString(root, "", "title");
        // The store keeps the title as a C string (a NUL would cut it short) in an information buffer whose
        // fields are separated by line feeds.
        if (d.title.find('\0') != std::string::npos) Fail("/title", "the title holds a NUL character");
        if (d.title.find('\n') != std::string::npos) Fail("/title", "the title holds a line feed");
        for (const auto& [entry, place] : Array(root, "", "views"))
            d.views.push_back(View(entry, place));
        Array(root, "", "documents");
        if (!documentFault.empty()) throw Failure(documentFault);
        d.documents = documents;
        return d;
    }

    DocumentDescription Document(const json& j, const std::string& place, size_t index) const {
        RequireObject(j, place);
        DocumentDescription d;
        d.place = place;
        std::unordered_set<std::string> names;
        for (const auto& [name, value] : j.members) {
            const std::string at = Step(place, name);
            if (name == "$Parent") {
                if (d.parent || value.kind != Kind::Unsigned || value.unsignedInteger >= index)
                    Fail(at, "the position of an earlier document (0-based) is expected here");
                d.parent = static_cast<size_t>(value.unsignedInteger);
                continue;
            }
            if (name.empty() || name.size() > nnotes::MAXITEMNAME || name.find('\0') != std::string::npos)
                Fail(at, "an item name holds 1 to 31 bytes and no NUL");
            // The store's parent link: a "$REF" item of the description's own would stand in its place.
            if (Folded(name) == "$ref") Fail(at, "\"$REF\" is the parent link: \"$Parent\" gives it");
            if (!names.insert(Folded(name)).second)
                Fail(at, "item \"" + name + "\" is given twice (item names ignore case)");
            d.items.push_back({name, Value(value, at)});
        }
        return d;
    }

private:
    // A place as errors name it: the description's file, then where in it.
    std::string Where(const std::string& place) const {
        return source_ + ": " + (place.empty() ? "/" : place);
    }

    [[noreturn]] void Fail(const std::string& place, const std::string& what) const {
        throw Failure(Where(place) + ": " + what);
    }

    void RequireObject(const json& j, const std::string& place) const {
        if (j.kind != Kind::Object) Fail(place, "an object is expected here");
    }

    // Refuses keys not in keys, and keys given twice.
    void OnlyKeys(const json& object, const std::string& place,
                  std::initializer_list<const char*> keys) const {
        std::vector<std::string_view> seen;
        for (const auto& [key, value] : object.members) {
            bool known = false;
            for (const char* k : keys)
                known = known || key == k;
            if (!known) Fail(Step(place, key), "unknown key \"" + key + "\"");
            for (std::string_view earlier : seen)
                if (earlier == key) Fail(Step(place, key), "key \"" + key + "\" is given twice");
            seen.push_back(key);
        }
    }

    std::string OptionalString(const json& object, const std::string& place, const char* key) const {
        const json* value = object.Find(key);
        if (value == nullptr) return {};
        if (value->kind != Kind::String) Fail(Step(place, key), "a string is expected here");
        return value->text;
    }

    bool OptionalFlag(const json& object, const std::string& place, const char* key) const {
        const json* value = object.Find(key);
        if (value == nullptr) return false;
        if (value->kind != Kind::Boolean) Fail(Step(place, key), "true or false is expected here");
        return value->boolean;
    }

    // The entries of an optional array, each with its place.
    std::vector<std::pair<const json&, std::string>> Array(const json& object, const std::string& place,
                                                           const char* key) const {
        std::vector<std::pair<const json&, std::string>> entries;
        const json* array = object.Find(key);
        if (array == nullptr) return entries;
        const std::string at = Step(place, key);
        if (array->kind != Kind::Array) Fail(at, "an array is expected here");
        for (size_t i = 0; i < array->elements.size(); ++i)
            entries.emplace_back(array->elements[i], Step(at, i));
        return entries;
    }

    ViewDescription View(const json& j, const std::string& place) const {
        RequireObject(j, place);
        OnlyKeys(j, place, {"name", "alias", "selection", "columns"});
        ViewDescription v;
        v.place = place;
        v.name = OptionalString(j, place, "name");
        if (v.name.empty()) Fail(Step(place, "name"), "the view name is missing or empty");
        // The stored title is "name|alias": a '|' in the name would move part of it into the alias.
        if (v.name.find('|') != std::string::npos) Fail(Step(place, "name"), "a view name may not hold '|'");
        v.alias = OptionalString(j, place, "alias");
        // Views are found by name or alias as C strings: one holding a NUL could never be opened by it.
        if (v.name.find('\0') != std::string::npos)
            Fail(Step(place, "name"), "a view name holds no NUL character");
        if (v.alias.find('\0') != std::string::npos)
            Fail(Step(place, "alias"), "a view alias holds no NUL character");
        v.selection = OptionalString(j, place, "selection");
        // A view described by its name alone gets one column that shows nothing; "columns": [] asks for a
        // view without columns.
        if (j.Find("columns") == nullptr) v.columns.emplace_back();
        for (const auto& [entry, at] : Array(j, place, "columns"))
            v.columns.push_back(Column(entry, at));
        return v;
    }

    ColumnDescription Column(const json& j, const std::string& place) const {
        RequireObject(j, place);
        OnlyKeys(j, place,
                 {"title", "item", "formula", "constant", "sorted", "descending", "categorised", "hidden",
                  "response", "totals"});
        ColumnDescription c;
        c.title = OptionalString(j, place, "title");
        c.item = OptionalString(j, place, "item");
        c.formula = OptionalString(j, place, "formula");
        c.constant = OptionalString(j, place, "constant");
        if (!c.item.empty() && !c.formula.empty())
            Fail(place, "a column shows an item or a formula, not both");
        if (c.item.size() > nnotes::MAXITEMNAME || c.item.find('\0') != std::string::npos)
            Fail(Step(place, "item"), "an item name holds at most 31 bytes and no NUL");
        c.sorted = OptionalFlag(j, place, "sorted");
        c.descending = OptionalFlag(j, place, "descending");
        c.categorised = OptionalFlag(j, place, "categorised");
        c.hidden = OptionalFlag(j, place, "hidden");
        c.response = OptionalFlag(j, place, "response");
        c.totals = OptionalFlag(j, place, "totals");
        for (const auto& [part, size] : {std::pair{"title", c.title.size()},
                                         {"formula", c.formula.size()},
                                         {"constant", c.constant.size()}})
            if (size > 0xFFFF) Fail(Step(place, part), "a column's text holds at most 65535 bytes");
        return c;
    }

    ItemValue Value(const json& j, const std::string& place) const {
        if (j.kind == Kind::String) return TextValue(j.text);
        if (j.IsNumber()) return NumberValue(j.Number());
        if (j.kind == Kind::Object) return TimeValue(Time(j, place));
        if (j.kind != Kind::Array)
            Fail(place,
                 "a string, a number, {\"datetime\": ...} or an array of one of these is expected here");
        const auto& entries = j.elements;
        if (entries.empty() || entries[0].kind == Kind::String) {
            std::vector<std::string> texts;
            for (size_t i = 0; i < entries.size(); ++i) {
                if (entries[i].kind != Kind::String)
                    Fail(Step(place, i), "every entry of a text list must be a string");
                texts.push_back(entries[i].text);
            }
            return TextListValue(texts, Where(place));
        }
        if (entries[0].IsNumber()) {
            std::vector<double> numbers;
            for (size_t i = 0; i < entries.size(); ++i) {
                if (!entries[i].IsNumber())
                    Fail(Step(place, i), "every entry of a number list must be a number");
                numbers.push_back(entries[i].Number());
            }
            return NumberListValue(numbers, Where(place));
        }
        std::vector<nnotes::Instant> times;
        for (size_t i = 0; i < entries.size(); ++i)
            times.push_back(Time(entries[i], Step(place, i)));
        return TimeListValue(times, Where(place));
    }

    nnotes::Instant Time(const json& j, const std::string& place) const {
        const json* datetime = j.kind == Kind::Object && j.members.size() == 1 ? j.Find("datetime") : nullptr;
        if (datetime == nullptr || datetime->kind != Kind::String)
            Fail(place, "{\"datetime\": \"<ISO 8601 time>\"} is expected here");
        const std::string& text = datetime->text;
        nnotes::Instant t{};
        if (text.empty() || text.size() > 80 || text.find('\0') != std::string::npos ||
            nnotes::ConvertTextToTime(nullptr, nullptr, text.c_str(), static_cast<uint16_t>(text.size()), &t))
            Fail(Step(place, "datetime"), "\"" + text + "\" is not a time");
        return t;
    }

    std::string source_;
};

} // namespace

DatabaseDescription ReadDescription(const JsonInput& input, const std::string& sourceName) {
    Reader reader(sourceName);
    size_t documents = 0;
    std::vector<bool> answered;
    std::string fault;
    const JsonStreamed streamed{"documents", [&](JsonValue&& entry, size_t index) {
                                    documents = index + 1;
                                    if (!fault.empty()) return;
                                    try {
                                        const DocumentDescription d =
                                            reader.Document(entry, PointerStep("/documents", index), index);
                                        if (d.parent) {
                                            if (answered.size() <= *d.parent) answered.resize(*d.parent + 1);
                                            answered[*d.parent] = true;
                                        }
                                    } catch (const Failure& f) {
                                        fault = f.what();
                                    }
                                }};
    const JsonValue root = ParseJson(input, sourceName, &streamed);
    DatabaseDescription d = reader.Database(root, documents, fault);
    d.answered = std::move(answered);
    return d;
}

void ReadDocuments(const JsonInput& input, const std::string& sourceName,
                   const std::function<void(DocumentDescription&& document, size_t index)>& onDocument) {
    Reader reader(sourceName);
    const JsonStreamed streamed{
        "documents", [&](JsonValue&& entry, size_t index) {
            onDocument(reader.Document(entry, PointerStep("/documents", index), index), index);
        }};
    ParseJson(input, sourceName, &streamed);
}

} // namespace nsfadmin
