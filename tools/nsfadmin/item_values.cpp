#include "item_values.h"

#include "failure.h"
#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/textlist.h"
#include "nnotes/timedate.h"
#include "util/coding.h"

#include <bit>

namespace nsfadmin {
namespace {

void PutInstant(std::string& out, const nnotes::Instant& t) {
    util::PutFixed32(&out, t.words[0]);
    util::PutFixed32(&out, t.words[1]);
}

void PutNumber(std::string& out, double d) {
    util::PutFixed64(&out, std::bit_cast<uint64_t>(d));
}

uint16_t Count(size_t n, const std::string& place) {
    if (n > 0xFFFF)
        throw Failure(place + ": a list holds at most 65535 entries, this one " + std::to_string(n));
    return static_cast<uint16_t>(n);
}

double Number(std::string_view b, size_t at) {
    return std::bit_cast<double>(util::DecodeFixed64(b.data() + at));
}

nnotes::Instant Time(std::string_view b, size_t at) {
    return {{util::DecodeFixed32(b.data() + at), util::DecodeFixed32(b.data() + at + 4)}};
}

// A range-list value: 16-bit count of single values, 16-bit count of pairs, then the values of width bytes.
// Pairs are not written by nsfadmin and are skipped when read.
std::optional<size_t> RangeCount(std::string_view b, size_t width) {
    if (b.size() < 4) return std::nullopt;
    const size_t singles = util::DecodeFixed16(b.data()), pairs = util::DecodeFixed16(b.data() + 2);
    if (b.size() != 4 + singles * width + pairs * 2 * width) return std::nullopt;
    return singles;
}

// One 8-byte value, or a range list of them, read into out.
template <class T>
bool ReadEights(std::string_view b, bool list, T (*read)(std::string_view, size_t), std::vector<T>& out) {
    if (!list) {
        if (b.size() != 8) return false;
        out.push_back(read(b, 0));
        return true;
    }
    const auto n = RangeCount(b, 8);
    if (!n) return false;
    for (size_t i = 0; i < *n; ++i)
        out.push_back(read(b, 4 + i * 8));
    return true;
}

} // namespace

ItemValue TextValue(std::string_view text) {
    return {nnotes::TYPE_TEXT, std::string(text)};
}

ItemValue TextListValue(const std::vector<std::string>& texts, const std::string& place) {
    ItemValue v{nnotes::TYPE_TEXT_LIST, {}};
    util::PutFixed16(&v.bytes, Count(texts.size(), place));
    for (const auto& t : texts) {
        if (t.size() > 0xFFFF) throw Failure(place + ": a list entry holds at most 65535 bytes");
        util::PutFixed16(&v.bytes, static_cast<uint16_t>(t.size()));
    }
    for (const auto& t : texts)
        v.bytes += t;
    return v;
}

ItemValue NumberValue(double number) {
    ItemValue v{nnotes::TYPE_NUMBER, {}};
    PutNumber(v.bytes, number);
    return v;
}

ItemValue NumberListValue(const std::vector<double>& numbers, const std::string& place) {
    ItemValue v{nnotes::TYPE_NUMBER_RANGE, {}};
    util::PutFixed16(&v.bytes, Count(numbers.size(), place));
    util::PutFixed16(&v.bytes, 0);
    for (double d : numbers)
        PutNumber(v.bytes, d);
    return v;
}

ItemValue TimeValue(const nnotes::Instant& time) {
    ItemValue v{nnotes::TYPE_TIME, {}};
    PutInstant(v.bytes, time);
    return v;
}

ItemValue TimeListValue(const std::vector<nnotes::Instant>& times, const std::string& place) {
    ItemValue v{nnotes::TYPE_TIME_RANGE, {}};
    util::PutFixed16(&v.bytes, Count(times.size(), place));
    util::PutFixed16(&v.bytes, 0);
    for (const auto& t : times)
        PutInstant(v.bytes, t);
    return v;
}

ItemValue ParentReferenceValue(const nnotes::UNIVERSALID& parent) {
    ItemValue v{nnotes::TYPE_NOTEREF_LIST, {}};
    util::PutFixed16(&v.bytes, 1);
    PutInstant(v.bytes, parent.file);
    PutInstant(v.bytes, parent.note);
    return v;
}

std::optional<ReadValue> ReadItemValue(uint16_t type, std::string_view b) {
    ReadValue r;
    switch (type) {
    case nnotes::TYPE_TEXT:
        r.texts.emplace_back(b);
        return r;
    case nnotes::TYPE_TEXT_LIST: {
        uint16_t count = 0;
        if (nnotes::CountTextListEntries(b.data(), b.size(), false, &count)) return std::nullopt;
        r.list = true;
        for (uint16_t i = 0; i < count; ++i) {
            const char* text = nullptr;
            uint16_t length = 0;
            if (nnotes::GetTextListEntry(b.data(), b.size(), false, i, &text, &length)) return std::nullopt;
            r.texts.emplace_back(text, length);
        }
        return r;
    }
    case nnotes::TYPE_NUMBER:
    case nnotes::TYPE_NUMBER_RANGE:
        r.list = type == nnotes::TYPE_NUMBER_RANGE;
        return ReadEights(b, r.list, Number, r.numbers) ? std::optional(r) : std::nullopt;
    case nnotes::TYPE_TIME:
    case nnotes::TYPE_TIME_RANGE:
        r.list = type == nnotes::TYPE_TIME_RANGE;
        return ReadEights(b, r.list, Time, r.times) ? std::optional(r) : std::nullopt;
    default:
        return std::nullopt;
    }
}

} // namespace nsfadmin
