// Item value layouts of formula values, read and written with checked lengths.
#include "formula_value.h"

#include <cstring>
#include <limits>

namespace nnotes::formula {

Value Value::Texts(std::vector<std::string> texts) {
    Value v;
    if (!texts.empty()) v.texts_ = std::move(texts);
    return v;
}

Value Value::Numbers(std::vector<double> numbers) {
    if (numbers.empty()) return Value();
    Value v;
    v.type_ = ValueType::Number;
    v.texts_.clear();
    v.numbers_ = std::move(numbers);
    return v;
}

Value Value::Times(std::vector<Instant> times) {
    if (times.empty()) return Value();
    Value v;
    v.type_ = ValueType::Time;
    v.texts_.clear();
    v.times_ = std::move(times);
    return v;
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

namespace {

constexpr size_t kMaxCount = std::numeric_limits<uint16_t>::max();

void PutWord(std::vector<uint8_t>* out, uint16_t w) {
    out->push_back(static_cast<uint8_t>(w & 0xFF));
    out->push_back(static_cast<uint8_t>(w >> 8));
}

void PutText(std::vector<uint8_t>* out, const std::string& text) {
    for (char c : text)
        out->push_back(c == '\n' ? 0 : static_cast<uint8_t>(c));
}

void PutInstant(std::vector<uint8_t>* out, const Instant& t) {
    for (uint32_t w : t.words) {
        PutWord(out, static_cast<uint16_t>(w & 0xFFFF));
        PutWord(out, static_cast<uint16_t>(w >> 16));
    }
}

// Doubles are stored little-endian, as every value of the store.
void PutNumber(std::vector<uint8_t>* out, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; ++i)
        out->push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

STATUS EncodeTexts(const std::vector<std::string>& texts, std::vector<uint8_t>* out) {
    for (const auto& t : texts)
        if (t.size() > kMaxCount) return ERR_FORMULA_RESULT_TOO_LARGE;
    if (texts.size() == 1) {
        PutWord(out, TYPE_TEXT);
        PutText(out, texts[0]);
        return NOERROR;
    }
    if (texts.size() > kMaxCount) return ERR_FORMULA_RESULT_TOO_LARGE;
    PutWord(out, TYPE_TEXT_LIST);
    PutWord(out, static_cast<uint16_t>(texts.size()));
    for (const auto& t : texts)
        PutWord(out, static_cast<uint16_t>(t.size()));
    for (const auto& t : texts)
        PutText(out, t);
    return NOERROR;
}

class Reader {
public:
    Reader(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), left_(size) {}
    bool Word(uint16_t* w) {
        if (left_ < 2) return false;
        *w = static_cast<uint16_t>(p_[0] | (p_[1] << 8));
        Skip(2);
        return true;
    }
    bool Instant8(Instant* t) {
        uint16_t w[4];
        for (auto& x : w)
            if (!Word(&x)) return false;
        t->words[0] = w[0] | (static_cast<uint32_t>(w[1]) << 16);
        t->words[1] = w[2] | (static_cast<uint32_t>(w[3]) << 16);
        return true;
    }
    bool Number(double* d) {
        if (left_ < 8) return false;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<uint64_t>(p_[i]) << (8 * i);
        std::memcpy(d, &bits, sizeof bits);
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

// Reads the list header of a number or time list; only its single entries are kept.
bool ListHeader(Reader* r, uint16_t* entries) {
    uint16_t ranges;
    return r->Word(entries) && r->Word(&ranges);
}

} // namespace

STATUS EncodeValue(const Value& v, std::vector<uint8_t>* out) {
    out->clear();
    if (v.size() > kMaxCount) return ERR_FORMULA_RESULT_TOO_LARGE;
    const bool single = v.size() == 1;
    switch (v.type()) {
    case ValueType::Text:
        return EncodeTexts(v.texts(), out);
    case ValueType::Number:
        PutWord(out, single ? TYPE_NUMBER : TYPE_NUMBER_RANGE);
        if (!single) {
            PutWord(out, static_cast<uint16_t>(v.size()));
            PutWord(out, 0);
        }
        for (double d : v.numbers())
            PutNumber(out, d);
        return NOERROR;
    case ValueType::Time:
        PutWord(out, single ? TYPE_TIME : TYPE_TIME_RANGE);
        if (!single) {
            PutWord(out, static_cast<uint16_t>(v.size()));
            PutWord(out, 0);
        }
        for (const auto& t : v.times())
            PutInstant(out, t);
        return NOERROR;
    }
    return ERR_FORMULA_BAD_VALUE;
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
    case TYPE_NUMBER: {
        double d;
        if (!r.Number(&d)) return ERR_FORMULA_BAD_VALUE;
        *out = Value::Number(d);
        return NOERROR;
    }
    case TYPE_NUMBER_RANGE: {
        uint16_t n;
        if (!ListHeader(&r, &n)) return ERR_FORMULA_BAD_VALUE;
        std::vector<double> numbers(n);
        for (auto& d : numbers)
            if (!r.Number(&d)) return ERR_FORMULA_BAD_VALUE;
        *out = Value::Numbers(std::move(numbers));
        return NOERROR;
    }
    case TYPE_TIME: {
        Instant t;
        if (!r.Instant8(&t)) return ERR_FORMULA_BAD_VALUE;
        *out = Value::Time(t);
        return NOERROR;
    }
    case TYPE_TIME_RANGE: {
        uint16_t n;
        if (!ListHeader(&r, &n)) return ERR_FORMULA_BAD_VALUE;
        std::vector<Instant> times(n);
        for (auto& t : times)
            if (!r.Instant8(&t)) return ERR_FORMULA_BAD_VALUE;
        *out = Value::Times(std::move(times));
        return NOERROR;
    }
    default:
        *out = Value();
        return NOERROR;
    }
}

} // namespace nnotes::formula
