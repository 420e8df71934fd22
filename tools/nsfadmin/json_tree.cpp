#include "json_tree.h"

#include "failure.h"

#include <nlohmann/json.hpp>

namespace nsfadmin {
namespace {

// Builds the tree from nlohmann's parser events. The containers on the stack do not move while they are
// open: their parent gets no further element until they are closed.
class TreeBuilder {
public:
    using number_integer_t = int64_t;
    using number_unsigned_t = uint64_t;
    using number_float_t = double;
    using string_t = std::string;
    using binary_t = nlohmann::json::binary_t;

    explicit TreeBuilder(const std::string& source) : source_(source) {}

    JsonValue& Root() { return root_; }

    bool null() { return Place(JsonValue::Kind::Null) != nullptr; }
    bool boolean(bool b) {
        Place(JsonValue::Kind::Boolean)->boolean = b;
        return true;
    }
    bool number_integer(int64_t n) {
        Place(JsonValue::Kind::Integer)->integer = n;
        return true;
    }
    bool number_unsigned(uint64_t n) {
        Place(JsonValue::Kind::Unsigned)->unsignedInteger = n;
        return true;
    }
    bool number_float(double n, const std::string&) {
        Place(JsonValue::Kind::Float)->floating = n;
        return true;
    }
    bool string(std::string& s) {
        Place(JsonValue::Kind::String)->text = std::move(s);
        return true;
    }
    bool binary(binary_t&) { return false; } // JSON text has none
    bool start_object(std::size_t) { return Open(JsonValue::Kind::Object); }
    bool key(std::string& k) {
        stack_.back()->members.push_back(JsonMember{std::move(k), JsonValue()});
        return true;
    }
    bool end_object() {
        stack_.pop_back();
        return true;
    }
    bool start_array(std::size_t) { return Open(JsonValue::Kind::Array); }
    bool end_array() {
        stack_.pop_back();
        return true;
    }
    [[noreturn]] bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception& e) {
        // nlohmann's text names line and column after its own "[json.exception...] " tag.
        const std::string what = e.what();
        const size_t tag = what.find("] ");
        throw Failure(source_ + ": " + (tag == std::string::npos ? what : what.substr(tag + 2)));
    }

private:
    JsonValue* Place(JsonValue::Kind kind) {
        JsonValue* value = &root_;
        if (!stack_.empty()) {
            JsonValue* container = stack_.back();
            if (container->kind == JsonValue::Kind::Array) {
                container->elements.emplace_back();
                value = &container->elements.back();
            } else {
                value = &container->members.back().value;
            }
        }
        value->kind = kind;
        return value;
    }

    bool Open(JsonValue::Kind kind) {
        if (stack_.size() >= static_cast<size_t>(kMaxJsonDepth))
            throw Failure(source_ + ": objects and arrays are nested more than " +
                          std::to_string(kMaxJsonDepth) + " deep");
        stack_.push_back(Place(kind));
        return true;
    }

    const std::string& source_;
    JsonValue root_;
    std::vector<JsonValue*> stack_;
};

} // namespace

double JsonValue::Number() const {
    switch (kind) {
    case Kind::Integer:
        return static_cast<double>(integer);
    case Kind::Unsigned:
        return static_cast<double>(unsignedInteger);
    default:
        return floating;
    }
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : members)
        if (name == key) return &value;
    return nullptr;
}

JsonValue ParseJson(std::string_view text, const std::string& sourceName) {
    TreeBuilder builder(sourceName);
    nlohmann::json::sax_parse(text, &builder);
    return std::move(builder.Root());
}

} // namespace nsfadmin
