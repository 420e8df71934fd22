// The text the library hands out for a stored value, worked out apart from the library: the first entry of
// a text, number or time value (or of a list or range of them), empty for a value of no entries or of a kind
// a view does not keep. Numbers take the general form of 15 significant digits, times the local reading in
// the fixed international settings (month/day/year with "/", a 12-hour clock with "AM"/"PM").
#pragma once

#include "nnotes/note.h"
#include "testsupport/civil_model.h"
#include "util/coding.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qvltest {

// The platform form of stored text: the bytes of every well-formed UTF-8 character as they are (a NUL byte
// as a line feed), each ill-formed stretch (a maximal subpart in Unicode's sense) as one U+FFFD.
inline std::string PlatformModel(const std::string& bytes) {
    std::string out;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += b == 0 ? '\n' : static_cast<char>(b);
            ++i;
            continue;
        }
        int need = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
        } else if (b == 0xE0) {
            need = 2;
            low = 0xA0;
        } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
            need = 2;
        } else if (b == 0xED) {
            need = 2;
            high = 0x9F;
        } else if (b == 0xF0) {
            need = 3;
            low = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            need = 3;
        } else if (b == 0xF4) {
            need = 3;
            high = 0x8F;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        size_t j = i + 1;
        int got = 0;
        while (got < need && j < n) {
            const auto c = static_cast<unsigned char>(bytes[j]);
            if (c < (got == 0 ? low : 0x80) || c > (got == 0 ? high : 0xBF)) break;
            ++j;
            ++got;
        }
        if (got == need)
            out.append(bytes, i, j - i);
        else
            out += "\xEF\xBF\xBD";
        i = j;
    }
    return out;
}

// What a column or keyword read gives for a value: its text, or nothing when the value cannot be written as
// text (the whole row then reads empty).
struct ValueText {
    bool readable = true;
    std::string text;
};

inline ValueText TextModel(const std::string& stored) {
    return ValueText{true, PlatformModel(stored)};
}

inline std::string NumberModel(double number) {
    if (number == 0) return "0"; // minus zero too
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::general, 15);
    return std::string(digits, result.ptr);
}

inline std::string Padded(int64_t value, int width) {
    std::string digits = std::to_string(value);
    while (static_cast<int>(digits.size()) < width)
        digits.insert(digits.begin(), '0');
    return digits;
}

// The text of one stored instant (two words), as the local clock of TZ reads it: near either end of the
// calendar that may be a day of the year 0 or 10000.
inline ValueText InstantModel(uint32_t word0, uint32_t word1) {
    if (word0 == 0 && word1 == 0) return {true, "Minimum Valid Date"};
    if (word0 == 0 && word1 == 0x00FFFFFF) return {true, "Maximum Valid Date"};
    if (word0 == 0xFFFFFFFF && word1 == 0xFFFFFFFF) return {true, "Any Day//Any Time"};
    const int64_t day = word1 & 0x00FFFFFF;
    if (word0 >= 8640000 || day < testsupport::civil::kFirstDay || day > testsupport::civil::kLastDay)
        return {false, ""};
    const testsupport::civil::Reading local =
        testsupport::civil::LocalReading(testsupport::civil::UtcHundredths(word0, word1));
    const testsupport::civil::Civil& c = local.civil;
    const int hour = c.hour % 12 == 0 ? 12 : c.hour % 12;
    return {true, Padded(c.month, 2) + "/" + Padded(c.day, 2) + "/" + Padded(c.year, 4) + " " +
                      Padded(hour, 2) + ":" + Padded(c.minute, 2) + ":" + Padded(c.second, 2) +
                      (c.hour < 12 ? " AM" : " PM")};
}

// The model of a stored value: its type word and the data after it.
inline ValueText ValueModel(uint16_t type, const std::string& data) {
    const auto word = [&](size_t at) { return util::DecodeFixed16(data.data() + at); };
    const auto instant = [&](size_t at) {
        return InstantModel(util::DecodeFixed32(data.data() + at), util::DecodeFixed32(data.data() + at + 4));
    };
    const auto number = [&](size_t at) {
        double value = 0;
        std::memcpy(&value, data.data() + at, 8);
        return ValueText{true, NumberModel(value)};
    };
    if (data.empty()) return {};
    switch (type) {
    case nnotes::TYPE_TEXT:
        return TextModel(data);
    case nnotes::TYPE_TEXT_LIST: {
        if (word(0) == 0) return {};
        return TextModel(data.substr(2 + 2 * size_t{word(0)}, word(2)));
    }
    case nnotes::TYPE_NUMBER:
        return number(0);
    case nnotes::TYPE_NUMBER_RANGE:
        return word(0) == 0 ? ValueText{} : number(4);
    case nnotes::TYPE_TIME:
        return instant(0);
    case nnotes::TYPE_TIME_RANGE: {
        // The single instants come first; a range is written "begin - end".
        if (word(0) > 0) return instant(4);
        if (word(2) == 0) return {};
        const ValueText begin = instant(4), end = instant(12);
        if (!begin.readable || !end.readable) return {false, ""};
        return {true, begin.text + " - " + end.text};
    }
    default:
        return {}; // a view keeps no other kind of value
    }
}

// The bytes the summary of a view row takes: its header, then per item 4 bytes, its name and its value with
// the type word. Values are left empty from the last backwards until it fits the largest summary.
constexpr size_t kMaxSummary = 0xFFFF - 64;
inline std::vector<bool> SummaryKeeps(const std::vector<std::pair<std::string, size_t>>& items) {
    size_t size = 4;
    for (const auto& [name, value] : items)
        size += 4 + name.size() + value;
    std::vector<bool> kept(items.size(), true);
    for (size_t i = items.size(); i-- > 0 && size > kMaxSummary;) {
        kept[i] = false;
        size -= items[i].second;
    }
    return kept;
}

} // namespace qvltest
