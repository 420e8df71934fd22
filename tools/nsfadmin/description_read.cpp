#include "description.h"

#include "failure.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <strings.h>

namespace nsfadmin {
namespace {

using json = nlohmann::ordered_json;

// A JSON pointer step: "~" and "/" in keys are escaped so that the place can be followed back.
std::string Step(const std::string& place, const std::string& key) {
    std::string escaped;
    for (char c : key)
        escaped += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
    return place + "/" + escaped;
}

std::string Step(const std::string& place, size_t index) {
    return place + "/" + std::to_string(index);
}

class Reader {
public:
    explicit Reader(std::string source) : source_(std::move(source)) {}

    DatabaseDescription Database(const json& root) {
        RequireObject(root, "");
        OnlyKeys(root, "", {"server", "path", "title", "views", "documents"});
        DatabaseDescription d;
        d.server = OptionalString(root, "", "server");
        d.path = OptionalString(root, "", "path");
        if (d.path.empty()) Fail("/path", "the database path is missing or empty");
        d.title = OptionalString(root, "", "title");
        for (const auto& [entry, place] : Array(root, "", "views"))
            d.views.push_back(View(entry, place));
        for (const auto& [entry, place] : Array(root, "", "documents"))
            d.documents.push_back(Document(entry, place, d.documents.size()));
        return d;
    }

private:
    [[noreturn]] void Fail(const std::string& place, const std::string& what) const {
        throw Failure(source_ + ": " + (place.empty() ? "/" : place) + ": " + what);
    }

    void RequireObject(const json& j, const std::string& place) const {
        if (!j.is_object()) Fail(place, "an object is expected here");
    }

    void OnlyKeys(const json& object, const std::string& place,
                  std::initializer_list<const char*> keys) const {
        for (const auto& [key, value] : object.items()) {
            bool known = false;
            for (const char* k : keys)
                known = known || key == k;
            if (!known) Fail(Step(place, key), "unknown key \"" + key + "\"");
        }
    }

    std::string OptionalString(const json& object, const std::string& place, const char* key) const {
        auto it = object.find(key);
        if (it == object.end()) return {};
        if (!it->is_string()) Fail(Step(place, key), "a string is expected here");
        return it->get<std::string>();
    }

    bool OptionalFlag(const json& object, const std::string& place, const char* key) const {
        auto it = object.find(key);
        if (it == object.end()) return false;
        if (!it->is_boolean()) Fail(Step(place, key), "true or false is expected here");
        return it->get<bool>();
    }

    // The entries of an optional array, each with its place.
    std::vector<std::pair<const json&, std::string>> Array(const json& object, const std::string& place,
                                                           const char* key) const {
        std::vector<std::pair<const json&, std::string>> entries;
        auto it = object.find(key);
        if (it == object.end()) return entries;
        const std::string at = Step(place, key);
        if (!it->is_array()) Fail(at, "an array is expected here");
        for (size_t i = 0; i < it->size(); ++i)
            entries.emplace_back((*it)[i], Step(at, i));
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
        v.selection = OptionalString(j, place, "selection");
        // A view described by its name alone gets one column that shows nothing; "columns": [] asks for a
        // view without columns.
        if (!j.contains("columns")) v.columns.emplace_back();
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
        if (c.item.size() > nnotes::MAXITEMNAME)
            Fail(Step(place, "item"), "an item name holds at most 31 bytes");
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

    DocumentDescription Document(const json& j, const std::string& place, size_t index) const {
        RequireObject(j, place);
        DocumentDescription d;
        d.place = place;
        for (const auto& [name, value] : j.items()) {
            const std::string at = Step(place, name);
            if (name == "$Parent") {
                if (!value.is_number_unsigned() || value.get<uint64_t>() >= index)
                    Fail(at, "the position of an earlier document (0-based) is expected here");
                d.parent = value.get<size_t>();
                continue;
            }
            if (name.empty() || name.size() > nnotes::MAXITEMNAME || name.find('\0') != std::string::npos)
                Fail(at, "an item name holds 1 to 31 bytes and no NUL");
            for (const auto& other : d.items)
                if (strcasecmp(other.name.c_str(), name.c_str()) == 0)
                    Fail(at, "item \"" + name + "\" is given twice (item names ignore case)");
            d.items.push_back({name, Value(value, at)});
        }
        return d;
    }

    ItemValue Value(const json& j, const std::string& place) const {
        if (j.is_string()) return TextValue(j.get<std::string>());
        if (j.is_number()) return NumberValue(j.get<double>());
        if (j.is_object()) return TimeValue(Time(j, place));
        if (!j.is_array())
            Fail(place,
                 "a string, a number, {\"datetime\": ...} or an array of one of these is expected here");
        if (j.empty() || j[0].is_string()) {
            std::vector<std::string> texts;
            for (size_t i = 0; i < j.size(); ++i) {
                if (!j[i].is_string()) Fail(Step(place, i), "every entry of a text list must be a string");
                texts.push_back(j[i].get<std::string>());
            }
            return TextListValue(texts, place);
        }
        if (j[0].is_number()) {
            std::vector<double> numbers;
            for (size_t i = 0; i < j.size(); ++i) {
                if (!j[i].is_number()) Fail(Step(place, i), "every entry of a number list must be a number");
                numbers.push_back(j[i].get<double>());
            }
            return NumberListValue(numbers, place);
        }
        std::vector<nnotes::Instant> times;
        for (size_t i = 0; i < j.size(); ++i)
            times.push_back(Time(j[i], Step(place, i)));
        return TimeListValue(times, place);
    }

    nnotes::Instant Time(const json& j, const std::string& place) const {
        if (!j.is_object() || j.size() != 1 || !j.contains("datetime") || !j["datetime"].is_string())
            Fail(place, "{\"datetime\": \"<ISO 8601 time>\"} is expected here");
        const std::string text = j["datetime"].get<std::string>();
        nnotes::Instant t{};
        if (text.empty() || text.size() > 80 || text.find('\0') != std::string::npos ||
            nnotes::ConvertTextToTime(nullptr, nullptr, text.c_str(), static_cast<uint16_t>(text.size()), &t))
            Fail(Step(place, "datetime"), "\"" + text + "\" is not a time");
        return t;
    }

    std::string source_;
};

} // namespace

DatabaseDescription ReadDescription(std::string_view text, const std::string& sourceName) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        // nlohmann's text names line and column after its own "[json.exception...] " tag.
        std::string what = e.what();
        const size_t tag = what.find("] ");
        throw Failure(sourceName + ": " + (tag == std::string::npos ? what : what.substr(tag + 2)));
    }
    return Reader(sourceName).Database(root);
}

} // namespace nsfadmin
