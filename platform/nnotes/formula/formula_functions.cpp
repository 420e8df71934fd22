// The @functions over values.
#include "formula/formula_functions.h"

#include "formula/formula_operators.h"
#include "formula/formula_text.h"
#include "formula/formula_time.h"

#include <charconv>

namespace nnotes::formula {
namespace {

STATUS Expect(const Value& v, ValueType type, std::string* detail) {
    if (v.type() == type) return NOERROR;
    *detail = TypeExpected(type);
    return ERR_FORMULA_TYPE;
}

// Applies f to every text of v.
template <typename F>
STATUS EachText(const Value& v, Value* out, std::string* detail, F f) {
    STATUS s = Expect(v, ValueType::Text, detail);
    std::vector<std::string> texts(v.size());
    for (size_t i = 0; s == NOERROR && i < texts.size(); ++i)
        s = f(v.texts()[i], &texts[i]);
    if (s != NOERROR) {
        if (detail->empty()) *detail = "Text is too long";
        return s;
    }
    *out = Value::Texts(std::move(texts));
    return NOERROR;
}

STATUS ToText(const Value& v, Value* out) {
    std::vector<std::string> texts(v.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        switch (v.type()) {
        case ValueType::Number:
            texts[i] = NumberText(v.numbers()[i]);
            break;
        case ValueType::Time: {
            const STATUS s = TimeText(v.times()[i], &texts[i]);
            if (s != NOERROR) return s;
            break;
        }
        case ValueType::Text:
            texts[i] = v.texts()[i];
            break;
        }
    }
    *out = Value::Texts(std::move(texts));
    return NOERROR;
}

STATUS Trim(const Value& v, Value* out, std::string* detail) {
    STATUS s = Expect(v, ValueType::Text, detail);
    if (s != NOERROR) return s;
    std::vector<std::string> texts;
    for (const auto& t : v.texts()) {
        std::string trimmed = TrimSpaces(t);
        if (!trimmed.empty()) texts.push_back(std::move(trimmed));
    }
    *out = Value::Texts(std::move(texts));
    return NOERROR;
}

// @Left and @Right: a number counts characters; a text cuts at its first occurrence. Either applies, by its
// first entry, to every entry of the list.
STATUS LeftRight(const Value& v, const Value& where, bool left, Value* out, std::string* detail) {
    if (where.type() == ValueType::Number) {
        const double count = where.numbers()[0];
        return EachText(v, out, detail, [&](const std::string& t, std::string* r) {
            return left ? LeftChars(t, count, r) : RightChars(t, count, r);
        });
    }
    STATUS s = Expect(where, ValueType::Text, detail);
    if (s != NOERROR) return s;
    const std::string& cut = where.texts()[0];
    return EachText(v, out, detail, [&](const std::string& t, std::string* r) {
        const size_t at = t.find(cut);
        if (at == std::string::npos)
            r->clear();
        else
            *r = left ? t.substr(0, at) : t.substr(at + cut.size());
        return NOERROR;
    });
}

// @Contains and @Begins: true when any text holds (or starts with) any of the sought texts.
STATUS Search(const Value& v, const Value& sought, bool begins, Value* out, std::string* detail) {
    STATUS s = Expect(v, ValueType::Text, detail);
    if (s == NOERROR) s = Expect(sought, ValueType::Text, detail);
    if (s != NOERROR) return s;
    for (const auto& t : v.texts()) {
        for (const auto& part : sought.texts()) {
            if (begins ? t.compare(0, part.size(), part) == 0 : t.find(part) != std::string::npos) {
                *out = Value::Truth(true);
                return NOERROR;
            }
        }
    }
    *out = Value::Truth(false);
    return NOERROR;
}

STATUS Implode(const std::vector<Value>& args, Value* out, std::string* detail) {
    STATUS s = Expect(args[0], ValueType::Text, detail);
    if (s == NOERROR && args.size() > 1) s = Expect(args[1], ValueType::Text, detail);
    if (s != NOERROR) return s;
    const std::string separator = args.size() > 1 ? args[1].texts()[0] : " ";
    std::string joined;
    for (size_t i = 0; i < args[0].size(); ++i) {
        if (i > 0) joined += separator;
        joined += args[0].texts()[i];
        if (joined.size() > kMaxText) {
            *detail = "Text is longer than 65535 bytes";
            return ERR_FORMULA_RESULT_TOO_LARGE;
        }
    }
    *out = Value::Text(std::move(joined));
    return NOERROR;
}

STATUS CurrentInstant(bool dayOnly, Value* out) {
    Instant t{};
    const STATUS s = dayOnly ? Today(&t) : Now(&t);
    if (s == NOERROR) *out = Value::Time(t);
    return s;
}

} // namespace

std::string NumberText(double d) {
    if (d == 0) return "0"; // also -0
    // The C locale's digits, whatever locale the program runs in: a decimal comma would not read back.
    char buf[32];
    const auto written = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
    std::string text(buf, written.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

STATUS CallFunction(Function f, const std::vector<Value>& args, Value* out, std::string* detail) {
    switch (f) {
    case Function::All:
        *out = Value::Truth(true);
        return NOERROR;
    case Function::Text:
        return ToText(args[0], out);
    case Function::Trim:
        return Trim(args[0], out, detail);
    case Function::UpperCase:
    case Function::LowerCase:
    case Function::ProperCase: {
        const CaseMapping m = f == Function::UpperCase   ? CaseMapping::Upper
                              : f == Function::LowerCase ? CaseMapping::Lower
                                                         : CaseMapping::Proper;
        return EachText(args[0], out, detail,
                        [m](const std::string& t, std::string* r) { return MapCase(t, m, r); });
    }
    case Function::Left:
    case Function::Right:
        return LeftRight(args[0], args[1], f == Function::Left, out, detail);
    case Function::Contains:
    case Function::Begins:
        return Search(args[0], args[1], f == Function::Begins, out, detail);
    case Function::Elements:
        *out = Value::Number(args[0].IsEmptyText() ? 0.0 : static_cast<double>(args[0].size()));
        return NOERROR;
    case Function::Implode:
        return Implode(args, out, detail);
    case Function::Now:
    case Function::Today:
        return CurrentInstant(f == Function::Today, out);
    case Function::If:
    case Function::IsResponseDoc:
    case Function::Created:
    case Function::Modified:
        break; // the evaluator's own: they choose what to evaluate or read the document
    }
    *detail = "@function cannot be called on values alone";
    return ERR_FORMULA_DAMAGED;
}

} // namespace nnotes::formula
