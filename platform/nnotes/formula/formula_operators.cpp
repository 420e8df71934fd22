// The operators of formulas.
#include "formula/formula_operators.h"

#include "formula/formula_text.h"
#include "formula/formula_time.h"

#include <algorithm>
#include <cmath>

namespace nnotes::formula {
namespace {

template <typename T>
const T& At(const std::vector<T>& v, size_t i) {
    return v[std::min(i, v.size() - 1)];
}

const char* TypeName(ValueType t) {
    switch (t) {
    case ValueType::Number:
        return "number";
    case ValueType::Time:
        return "time";
    case ValueType::Text:
        break;
    }
    return "text";
}

const char* OpName(Op op) {
    switch (op) {
    case Op::Add:
        return "+";
    case Op::Subtract:
        return "-";
    case Op::Multiply:
        return "*";
    case Op::Divide:
        return "/";
    case Op::Equal:
        return "=";
    case Op::NotEqual:
        return "!=";
    case Op::Less:
        return "<";
    case Op::Greater:
        return ">";
    case Op::LessEqual:
        return "<=";
    case Op::GreaterEqual:
        return ">=";
    case Op::And:
        return "&";
    case Op::Or:
        return "|";
    }
    return "?";
}

STATUS Mismatch(Op op, const Value& a, const Value& b, std::string* detail) {
    *detail = std::string("Incorrect data type for operator: ") + OpName(op) + " does not take " +
              TypeName(a.type()) + " and " + TypeName(b.type());
    return ERR_FORMULA_TYPE;
}

bool Satisfies(Op op, int c) {
    switch (op) {
    case Op::Equal:
        return c == 0;
    case Op::NotEqual:
        return c != 0;
    case Op::Less:
        return c < 0;
    case Op::Greater:
        return c > 0;
    case Op::LessEqual:
        return c <= 0;
    case Op::GreaterEqual:
        return c >= 0;
    default:
        return false;
    }
}

STATUS ComparePair(const Value& a, const Value& b, size_t i, int* c) {
    switch (a.type()) {
    case ValueType::Number: {
        const double x = At(a.numbers(), i), y = At(b.numbers(), i);
        *c = x < y ? -1 : (x > y ? 1 : 0);
        return NOERROR;
    }
    case ValueType::Time:
        return CompareTimes(At(a.times(), i), At(b.times(), i), c);
    case ValueType::Text:
        break;
    }
    return CompareTexts(At(a.texts(), i), At(b.texts(), i), c);
}

STATUS Compare(Op op, const Value& a, const Value& b, Value* out, std::string* detail) {
    if (a.type() != b.type()) return Mismatch(op, a, b, detail);
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int c = 0;
        const STATUS s = ComparePair(a, b, i, &c);
        if (s != NOERROR) {
            *detail = "Texts too long to compare";
            return s;
        }
        if (Satisfies(op, c)) {
            *out = Value::Truth(true);
            return NOERROR;
        }
    }
    *out = Value::Truth(false);
    return NOERROR;
}

// Combines a and b pair by pair into entries of type R, stopping at the first pair that fails.
template <typename R, typename F>
STATUS Pairs(const Value& a, const Value& b, Value (*make)(std::vector<R>), Value* out, F pair) {
    std::vector<R> r(std::max(a.size(), b.size()));
    for (size_t i = 0; i < r.size(); ++i) {
        const STATUS s = pair(i, &r[i]);
        if (s != NOERROR) return s;
    }
    *out = make(std::move(r));
    return NOERROR;
}

// The total is watched as it grows: a long list joined with a long text would otherwise take gigabytes.
STATUS Concatenate(const Value& a, const Value& b, Value* out, std::string* detail) {
    size_t total = 0;
    return Pairs<std::string>(a, b, &Value::Texts, out, [&](size_t i, std::string* r) {
        *r = At(a.texts(), i) + At(b.texts(), i);
        total += r->size();
        if (r->size() <= kMaxText && total <= kMaxValueBytes) return NOERROR;
        *detail = "Text is too long";
        return ERR_FORMULA_RESULT_TOO_LARGE;
    });
}

STATUS NumberPair(Op op, double x, double y, double* r, std::string* detail) {
    switch (op) {
    case Op::Add:
        *r = x + y;
        break;
    case Op::Subtract:
        *r = x - y;
        break;
    case Op::Multiply:
        *r = x * y;
        break;
    default:
        if (y == 0) {
            *detail = "Division by zero";
            return ERR_FORMULA_DIVIDE_BY_ZERO;
        }
        *r = x / y;
        break;
    }
    if (std::isfinite(*r)) return NOERROR;
    *detail = "Number is out of range";
    return ERR_FORMULA_NUMBER_RANGE;
}

STATUS Numbers(Op op, const Value& a, const Value& b, Value* out, std::string* detail) {
    return Pairs<double>(a, b, &Value::Numbers, out, [&](size_t i, double* r) {
        return NumberPair(op, At(a.numbers(), i), At(b.numbers(), i), r, detail);
    });
}

// time + number, number + time and time - number move the time by that many seconds.
STATUS MoveTimes(const Value& times, const Value& seconds, double sign, Value* out, std::string* detail) {
    return Pairs<Instant>(times, seconds, &Value::Times, out, [&](size_t i, Instant* r) {
        if (AddSeconds(At(times.times(), i), sign * At(seconds.numbers(), i), r) == NOERROR) return NOERROR;
        *detail = "Time is out of range";
        return ERR_FORMULA_NUMBER_RANGE;
    });
}

STATUS TimeDifferences(const Value& a, const Value& b, Value* out, std::string* detail) {
    return Pairs<double>(a, b, &Value::Numbers, out, [&](size_t i, double* r) {
        if (SecondsBetween(At(a.times(), i), At(b.times(), i), r) == NOERROR) return NOERROR;
        *detail = "Special times have no difference";
        return ERR_FORMULA_NUMBER_RANGE;
    });
}

STATUS Arithmetic(Op op, const Value& a, const Value& b, Value* out, std::string* detail) {
    const ValueType ta = a.type(), tb = b.type();
    if (ta == ValueType::Number && tb == ValueType::Number) return Numbers(op, a, b, out, detail);
    if (ta == ValueType::Text && tb == ValueType::Text && op == Op::Add)
        return Concatenate(a, b, out, detail);
    if (ta == ValueType::Time && tb == ValueType::Number && (op == Op::Add || op == Op::Subtract))
        return MoveTimes(a, b, op == Op::Add ? 1.0 : -1.0, out, detail);
    if (ta == ValueType::Number && tb == ValueType::Time && op == Op::Add)
        return MoveTimes(b, a, 1.0, out, detail);
    if (ta == ValueType::Time && tb == ValueType::Time && op == Op::Subtract)
        return TimeDifferences(a, b, out, detail);
    return Mismatch(op, a, b, detail);
}

} // namespace

std::string TypeExpected(ValueType wanted) {
    return std::string("Incorrect data type for operator or @function: ") + TypeName(wanted) + " expected";
}

STATUS TruthOf(const Value& v, bool* out, std::string* detail) {
    if (v.type() != ValueType::Number) {
        *detail = TypeExpected(ValueType::Number);
        return ERR_FORMULA_TYPE;
    }
    *out = std::any_of(v.numbers().begin(), v.numbers().end(), [](double d) { return d != 0; });
    return NOERROR;
}

STATUS ApplyNegate(const Value& v, Value* out, std::string* detail) {
    if (v.type() != ValueType::Number) {
        *detail = TypeExpected(ValueType::Number);
        return ERR_FORMULA_TYPE;
    }
    std::vector<double> r(v.numbers());
    for (double& d : r)
        d = -d;
    *out = Value::Numbers(std::move(r));
    return NOERROR;
}

STATUS ApplyOperator(Op op, const Value& a, const Value& b, Value* out, std::string* detail) {
    switch (op) {
    case Op::Add:
    case Op::Subtract:
    case Op::Multiply:
    case Op::Divide:
        return Arithmetic(op, a, b, out, detail);
    case Op::And:
    case Op::Or: {
        bool x = false, y = false;
        STATUS s = TruthOf(a, &x, detail);
        if (s == NOERROR) s = TruthOf(b, &y, detail);
        if (s == NOERROR) *out = Value::Truth(op == Op::And ? (x && y) : (x || y));
        return s;
    }
    default:
        return Compare(op, a, b, out, detail);
    }
}

} // namespace nnotes::formula
