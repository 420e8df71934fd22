// Item value layouts of formula values, read and written with checked lengths.
#include "formula/formula_value.h"
#include "util/coding.h"

#include <bit>
#include <numeric>

namespace nnotes::formula {

Value Value::Texts(std::vector<std::string> texts) {
    Value v;
    if (!texts.empty()) v.texts_ = std::move(texts);
    return v;
}

template <typename T>
Value Value::Of(ValueType type, std::vector<T> entries, std::vector<T> Value::*member) {
    if (entries.empty()) return Value();
    Value v;
    v.type_ = type;
    v.texts_.clear();
    v.*member = std::move(entries);
    return v;
}

Value Value::Numbers(std::vector<double> numbers) {
    return Of(ValueType::Number, std::move(numbers), &Value::numbers_);
}

Value Value::Times(std::vector<Instant> times) {
    return Of(ValueType::Time, std::move(times), &Value::times_);
}

size_t Value::size() const {
    switch (type_) {
    case ValueType::Number:
        return numbers_.size();
    case ValueType::Time:
        return times_.size();
    case ValueType::Text:
        break;
    }
    return texts_.size();
}

size_t Value::bytes() const {
    if (type_ != ValueType::Text) return 8 * size();
    return std::accumulate(texts_.begin(), texts_.end(), size_t{0},
                           [](size_t sum, const std::string& t) { return sum + t.size(); });
}

namespace {

void PutText(std::vector<uint8_t>* out, const std::string& text) {
    for (char c : text)
        out->push_back(c == '\n' ? 0 : static_cast<uint8_t>(c));
}

void Put(std::vector<uint8_t>* out, const Instant& t) {
    for (uint32_t w : t.words)
        util::PutFixed32(out, w);
}

// Doubles are stored little-endian, as every value of the store.
void Put(std::vector<uint8_t>* out, double d) {
    util::PutFixed64(out, std::bit_cast<uint64_t>(d));
}

STATUS EncodeTexts(const std::vector<std::string>& texts, std::vector<uint8_t>* out) {
    for (const auto& t : texts)
        if (t.size() > kMaxText) return ERR_FORMULA_RESULT_TOO_LARGE;
    if (texts.size() == 1) {
        util::PutFixed16(out, TYPE_TEXT);
        PutText(out, texts[0]);
        return NOERROR;
    }
    util::PutFixed16(out, TYPE_TEXT_LIST);
    util::PutFixed16(out, static_cast<uint16_t>(texts.size()));
    for (const auto& t : texts)
        util::PutFixed16(out, static_cast<uint16_t>(t.size()));
    for (const auto& t : texts)
        PutText(out, t);
    return NOERROR;
}

// Numbers and times: one entry alone, more as a list without ranges.
template <typename T>
void EncodeEntries(const std::vector<T>& entries, uint16_t singleType, uint16_t listType,
                   std::vector<uint8_t>* out) {
    const bool single = entries.size() == 1;
    util::PutFixed16(out, single ? singleType : listType);
    if (!single) {
        util::PutFixed16(out, static_cast<uint16_t>(entries.size()));
        util::PutFixed16(out, 0);
    }
    for (const auto& e : entries)
        Put(out, e);
}

class Reader {
public:
    Reader(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), left_(size) {}
    bool Word(uint16_t* w) {
        if (left_ < 2) return false;
        *w = util::DecodeFixed16(p_);
        Skip(2);
        return true;
    }
    bool Read(Instant* t) {
        if (left_ < 8) return false;
        t->words[0] = util::DecodeFixed32(p_);
        t->words[1] = util::DecodeFixed32(p_ + 4);
        Skip(8);
        return true;
    }
    bool Read(double* d) {
        if (left_ < 8) return false;
        *d = std::bit_cast<double>(util::DecodeFixed64(p_));
        Skip(8);
        return true;
    }
    bool Text(size_t n, std::string* s) {
        if (left_ < n) return false;
        s->assign(reinterpret_cast<const char*>(p_), n);
        for (char& c : *s)
            if (c == '\0') c = '\n';
        Skip(n);
        return true;
    }
    size_t left() const { return left_; }

private:
    void Skip(size_t n) {
        p_ += n;
        left_ -= n;
    }
    const uint8_t* p_;
    size_t left_;
};

STATUS DecodeTextList(Reader* r, Value* out) {
    uint16_t count;
    if (!r->Word(&count)) return ERR_FORMULA_BAD_VALUE;
    std::vector<uint16_t> lengths(count);
    for (auto& n : lengths)
        if (!r->Word(&n)) return ERR_FORMULA_BAD_VALUE;
    std::vector<std::string> texts(count);
    for (uint16_t i = 0; i < count; ++i)
        if (!r->Text(lengths[i], &texts[i])) return ERR_FORMULA_BAD_VALUE;
    *out = Value::Texts(std::move(texts));
    return NOERROR;
}

// One number or time, or a list of them; the ranges after a list's single entries are not read.
template <typename T>
STATUS DecodeEntries(Reader* r, bool list, Value (*make)(std::vector<T>), Value* out) {
    uint16_t count = 1, ranges = 0;
    if (list && !(r->Word(&count) && r->Word(&ranges))) return ERR_FORMULA_BAD_VALUE;
    std::vector<T> entries(count);
    for (auto& e : entries)
        if (!r->Read(&e)) return ERR_FORMULA_BAD_VALUE;
    *out = make(std::move(entries));
    return NOERROR;
}

} // namespace

STATUS EncodeValue(const Value& v, std::vector<uint8_t>* out) {
    out->clear();
    if (v.size() > kMaxEntries) return ERR_FORMULA_RESULT_TOO_LARGE;
    switch (v.type()) {
    case ValueType::Number:
        EncodeEntries(v.numbers(), TYPE_NUMBER, TYPE_NUMBER_RANGE, out);
        return NOERROR;
    case ValueType::Time:
        EncodeEntries(v.times(), TYPE_TIME, TYPE_TIME_RANGE, out);
        return NOERROR;
    case ValueType::Text:
        break;
    }
    return EncodeTexts(v.texts(), out);
}

STATUS DecodeValue(const void* data, size_t size, Value* out) {
    if (data == nullptr && size != 0) return ERR_FORMULA_BAD_ARGUMENT;
    Reader r(data, size);
    uint16_t type;
    if (!r.Word(&type)) return ERR_FORMULA_BAD_VALUE;
    switch (type) {
    case TYPE_TEXT: {
        std::string text;
        r.Text(r.left(), &text);
        *out = Value::Text(std::move(text));
        return NOERROR;
    }
    case TYPE_TEXT_LIST:
        return DecodeTextList(&r, out);
    case TYPE_NUMBER:
    case TYPE_NUMBER_RANGE:
        return DecodeEntries<double>(&r, type == TYPE_NUMBER_RANGE, &Value::Numbers, out);
    case TYPE_TIME:
    case TYPE_TIME_RANGE:
        return DecodeEntries<Instant>(&r, type == TYPE_TIME_RANGE, &Value::Times, out);
    default:
        *out = Value();
        return NOERROR;
    }
}

} // namespace nnotes::formula
