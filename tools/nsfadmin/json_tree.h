// A JSON text read into a tree of our own: objects keep every key in the order written (a key given twice
// stays twice, so that it can be refused), and reading costs time in proportion to the text, however many
// keys an object has.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nsfadmin {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Boolean, Integer, Unsigned, Float, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    int64_t integer = 0;             // Integer (negative numbers)
    uint64_t unsignedInteger = 0;    // Unsigned
    double floating = 0;             // Float
    std::string text;                // String
    std::vector<JsonValue> elements; // Array
    std::vector<JsonMember> members; // Object, in the order written

    bool IsNumber() const { return kind == Kind::Integer || kind == Kind::Unsigned || kind == Kind::Float; }
    double Number() const;
    // The first member of that name, or null; objects this is asked of have a handful of members.
    const JsonValue* Find(std::string_view key) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// Objects and arrays nested deeper than this are refused.
constexpr int kMaxJsonDepth = 256;

// Reads a whole JSON text; throws Failure "<sourceName>: <what is wrong and where>".
JsonValue ParseJson(std::string_view text, const std::string& sourceName);

} // namespace nsfadmin
