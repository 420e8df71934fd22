// The value a formula computes with: a non-empty list of texts, numbers or times, and its item layouts.
#pragma once

#include "nnotes/nnotes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nnotes::formula {

enum class ValueType { Text, Number, Time };

// Bounds of every value while a formula runs: an item entry holds at most 65535 bytes and an item at most
// 65535 entries, and no value may take more memory than kMaxValueBytes, however a formula multiplies lists.
constexpr size_t kMaxText = 65535;
constexpr size_t kMaxEntries = 65535;
constexpr size_t kMaxValueBytes = size_t{4} << 20;

// Notes has no empty list: a value always holds at least one entry, and "" stands for nothing.
class Value {
public:
    Value() : texts_{std::string()} {}
    static Value Text(std::string text) { return Texts({std::move(text)}); }
    static Value Number(double number) { return Numbers({number}); }
    static Value Time(Instant when) { return Times({when}); }
    static Value Texts(std::vector<std::string> texts);
    static Value Numbers(std::vector<double> numbers);
    static Value Times(std::vector<Instant> times);
    static Value Truth(bool flag) { return Number(flag ? 1.0 : 0.0); }

    ValueType type() const { return type_; }
    size_t size() const;
    // The memory its entries take: the text bytes, or 8 bytes a number or time.
    size_t bytes() const;
    bool WithinBounds() const { return size() <= kMaxEntries && bytes() <= kMaxValueBytes; }
    // The memory it keeps: its bytes, and for texts the string that holds each entry, however short.
    size_t footprint() const {
        return bytes() + (type_ == ValueType::Text ? size() * sizeof(std::string) : 0);
    }
    const std::vector<std::string>& texts() const { return texts_; }
    const std::vector<double>& numbers() const { return numbers_; }
    const std::vector<Instant>& times() const { return times_; }
    // The value of a missing field.
    bool IsEmptyText() const { return type_ == ValueType::Text && texts_.size() == 1 && texts_[0].empty(); }

private:
    template <typename T>
    static Value Of(ValueType type, std::vector<T> entries, std::vector<T> Value::*member);

    ValueType type_ = ValueType::Text;
    std::vector<std::string> texts_;
    std::vector<double> numbers_;
    std::vector<Instant> times_;
};

// Builds the item value of v: one entry in the single layouts (1280, 768, 1024), more in the list layouts
// (1281, 769, 1025). Line feeds are stored as NUL bytes. Fails when a text or a list outgrows 16-bit counts.
STATUS EncodeValue(const Value& v, std::vector<uint8_t>* out);

// Reads an item value (type word first) in the six layouts of EncodeValue, checking every count and length
// against size. Ranges of a range list are not values of a formula and are left out; values of other types
// (rich text and the like) read as "", as they show in a view column.
STATUS DecodeValue(const void* data, size_t size, Value* out);

} // namespace nnotes::formula
