#include "views/view_sortkey.h"

#include "formula/formula_value.h"

#include <cstring>
#include <mutex>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

namespace nnotes::views {
namespace {

constexpr unsigned char kEnd = 0x00, kEscape = 0x01;

struct SortCollator {
    std::mutex lock;
    UCollator* collator = nullptr;
};

// Made once and never closed, like the comparison collators: keys may be made while the process ends.
SortCollator& TheCollator() {
    static SortCollator* c = [] {
        auto* made = new SortCollator;
        UErrorCode err = U_ZERO_ERROR;
        made->collator = ucol_open("", &err);
        if (U_SUCCESS(err)) ucol_setAttribute(made->collator, UCOL_STRENGTH, UCOL_SECONDARY, &err);
        if (U_SUCCESS(err)) ucol_setAttribute(made->collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &err);
        if (U_FAILURE(err) && made->collator != nullptr) {
            ucol_close(made->collator);
            made->collator = nullptr;
        }
        return made;
    }();
    return *c;
}

STATUS CollationKey(const std::string& text, std::string& out) {
    UErrorCode err = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr,
                         &err);
    std::u16string wide(static_cast<size_t>(length), u'\0');
    err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), length, nullptr, text.data(), static_cast<int32_t>(text.size()), 0xFFFD,
                         nullptr, &err);
    if (U_FAILURE(err)) return ERR_NLS_NO_COLLATOR;
    SortCollator& c = TheCollator();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.collator == nullptr) return ERR_NLS_NO_COLLATOR;
    out.resize(64 + 4 * wide.size());
    for (;;) {
        const int32_t needed =
            ucol_getSortKey(c.collator, wide.data(), length, reinterpret_cast<uint8_t*>(out.data()),
                            static_cast<int32_t>(out.size()));
        if (needed <= 0) return ERR_NLS_NO_COLLATOR;
        if (static_cast<size_t>(needed) <= out.size()) {
            out.resize(static_cast<size_t>(needed) - 1); // without its terminating zero
            return NOERROR;
        }
        out.resize(static_cast<size_t>(needed));
    }
}

// Big-endian, with the sign handled so that byte order is number order.
std::string NumberBytes(double number) {
    if (number == 0) number = 0; // -0 sorts as 0
    uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    bits = (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(bits >> shift));
    return out;
}

std::string TimeBytes(const Instant& t) {
    const uint32_t day = t.words[1] & 0x00FFFFFF, hundredths = t.words[0];
    std::string out;
    for (int shift = 16; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(day >> shift));
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>(hundredths >> shift));
    return out;
}

} // namespace

SortValue FirstValueOf(std::string_view value) {
    SortValue out;
    formula::Value decoded;
    if (value.empty() || formula::DecodeValue(value.data(), value.size(), &decoded) != NOERROR ||
        decoded.size() == 0)
        return out;
    switch (decoded.type()) {
    case formula::ValueType::Number:
        out.kind = SortValue::Number;
        out.number = decoded.numbers()[0];
        break;
    case formula::ValueType::Time:
        out.kind = SortValue::Time;
        out.time = decoded.times()[0];
        break;
    case formula::ValueType::Text:
        if (!decoded.texts()[0].empty()) {
            out.kind = SortValue::Text;
            out.text = decoded.texts()[0];
        }
        break;
    }
    return out;
}

std::vector<std::string> EachValueOf(std::string_view value) {
    formula::Value decoded;
    if (value.empty() || formula::DecodeValue(value.data(), value.size(), &decoded) != NOERROR ||
        decoded.size() == 0)
        decoded = formula::Value();
    std::vector<formula::Value> entries;
    switch (decoded.type()) {
    case formula::ValueType::Number:
        for (double n : decoded.numbers())
            entries.push_back(formula::Value::Number(n));
        break;
    case formula::ValueType::Time:
        for (const Instant& t : decoded.times())
            entries.push_back(formula::Value::Time(t));
        break;
    case formula::ValueType::Text:
        for (const std::string& t : decoded.texts())
            entries.push_back(formula::Value::Text(t));
        break;
    }
    std::vector<std::string> out;
    for (const formula::Value& entry : entries) {
        std::vector<uint8_t> bytes;
        if (formula::EncodeValue(entry, &bytes) == NOERROR) out.emplace_back(bytes.begin(), bytes.end());
    }
    if (out.empty()) out.emplace_back("\x00\x05", 2); // TYPE_TEXT, no text
    return out;
}

STATUS AppendSortSegment(const SortValue& value, bool descending, std::string& key) {
    std::string bytes;
    switch (value.kind) {
    case SortValue::Number:
        bytes = NumberBytes(value.number);
        break;
    case SortValue::Time:
        bytes = TimeBytes(value.time);
        break;
    case SortValue::Text:
        if (STATUS s = CollationKey(value.text, bytes)) return s;
        break;
    case SortValue::Empty:
        break;
    }
    const size_t start = key.size();
    key.push_back(static_cast<char>(value.kind));
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u == kEnd || u == kEscape) {
            key.push_back(static_cast<char>(kEscape));
            key.push_back(static_cast<char>(u + 1));
        } else {
            key.push_back(b);
        }
    }
    key.push_back(static_cast<char>(kEnd));
    if (descending)
        for (size_t i = start; i < key.size(); ++i)
            key[i] = static_cast<char>(~static_cast<unsigned char>(key[i]));
    return NOERROR;
}

size_t SegmentEnd(std::string_view key, size_t from, bool descending) {
    const unsigned char flip = descending ? 0xFF : 0x00;
    if (from >= key.size()) return std::string_view::npos;
    for (size_t i = from + 1; i < key.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(key[i]) ^ flip;
        if (b == kEnd) return i + 1;
        if (b == kEscape) ++i;
    }
    return std::string_view::npos;
}

std::string CollationVersion() {
    SortCollator& c = TheCollator();
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.collator == nullptr) return std::string();
    UVersionInfo version;
    ucol_getVersion(c.collator, version);
    return std::string(reinterpret_cast<const char*>(version), sizeof version);
}

} // namespace nnotes::views
