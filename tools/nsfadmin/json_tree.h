// A JSON text read into a tree of our own: objects keep every key in the order written (a key given twice
// stays twice, so that it can be refused), and reading costs time in proportion to the text, however many
// keys an object has. One array of the root can be streamed rather than kept (JsonStreamed), and a file is
// read as it is parsed, so that a long description is never held whole.
#pragma once

#include <cstdint>
#include <functional>
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

// A JSON pointer one step further: "~" and "/" in keys are escaped so that the place can be followed back.
std::string PointerStep(const std::string& place, std::string_view key);
std::string PointerStep(const std::string& place, size_t index);

// A JSON text: in memory, or a file read as it is parsed (so that it can be read again without being held).
struct JsonInput {
    std::string_view text;
    const std::string* file = nullptr; // when set, the text is read from this file
};

// The root object's member named key, when an array, is not kept in the tree (it stays an empty array):
// each of its elements is handed to onElement with its position once it is read, and let go after.
struct JsonStreamed {
    std::string_view key;
    std::function<void(JsonValue&& element, size_t index)> onElement;
};

// Reads a whole JSON text; throws Failure "<sourceName>: <what is wrong and where>".
JsonValue ParseJson(const JsonInput& input, const std::string& sourceName,
                    const JsonStreamed* streamed = nullptr);

} // namespace nsfadmin
