// Seeded random formulas against a model of the formula language written here: numbers of every size and
// form, texts with quotes, backslashes, multi-byte characters, ill-formed bytes and NULs, lists, every
// operator at its precedence, the @functions over values, fields of every type and temporaries. Each formula
// runs against a document through the engine and without one through the library's calls, whose result
// block must hold the model's item value byte for byte. The model computes its answers apart from the
// engine: its own character splitting, case table and collation order for the texts it builds.
#include "formula/tests/formula_fixture.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <tuple>

namespace nnotes::testing {
namespace {

// ---- Model values ----

enum class MType { Text, Number, Time };

// An instant as the model reads it: hundredths since the start of the Julian day count, or a special one.
struct MTime {
    enum Kind { Minimum, Ordinary, Maximum, Wildcard } kind = Ordinary;
    int64_t hundredths = 0;
};

constexpr int64_t kPerDay = 8640000;
constexpr int64_t kFirstDay = 1721426; // 1 January of year 1
constexpr int64_t kLastDay = 5373484;  // 31 December 9999

MTime TimeOf(const Instant& t) {
    if (t.words[0] == 0xFFFFFFFF && t.words[1] == 0xFFFFFFFF) return {MTime::Wildcard, 0};
    if (t.words[0] == 0 && (t.words[1] & 0xFFFFFF) == 0) return {MTime::Minimum, 0};
    if (t.words[0] == 0 && (t.words[1] & 0xFFFFFF) == 0xFFFFFF) return {MTime::Maximum, 0};
    return {MTime::Ordinary, static_cast<int64_t>(t.words[1] & 0xFFFFFF) * kPerDay + t.words[0]};
}

Instant InstantOf(const MTime& t) {
    switch (t.kind) {
    case MTime::Minimum:
        return Instant{{0, 0}};
    case MTime::Maximum:
        return Instant{{0, 0xFFFFFF}};
    case MTime::Wildcard:
        return Instant{{0xFFFFFFFF, 0xFFFFFFFF}};
    case MTime::Ordinary:
        break;
    }
    return Instant{
        {static_cast<uint32_t>(t.hundredths % kPerDay), static_cast<uint32_t>(t.hundredths / kPerDay)}};
}

struct MValue {
    MType type = MType::Text;
    std::vector<std::string> texts{""};
    std::vector<double> numbers;
    std::vector<MTime> times;

    size_t size() const {
        return type == MType::Text ? texts.size() : type == MType::Number ? numbers.size() : times.size();
    }
    static MValue Texts(std::vector<std::string> t) {
        MValue v;
        if (!t.empty()) v.texts = std::move(t);
        return v;
    }
    static MValue Numbers(std::vector<double> n) {
        MValue v;
        v.type = MType::Number;
        v.texts.clear();
        v.numbers = std::move(n);
        return v;
    }
    static MValue Times(std::vector<MTime> t) {
        MValue v;
        v.type = MType::Time;
        v.texts.clear();
        v.times = std::move(t);
        return v;
    }
    static MValue Truth(bool b) { return Numbers({b ? 1.0 : 0.0}); }
};

struct MResult {
    STATUS status = NOERROR;
    MValue value;
};

MResult Failed(STATUS s) {
    MResult r;
    r.status = s;
    return r;
}

MResult Ok(MValue v) {
    MResult r;
    r.value = std::move(v);
    return r;
}

// ---- The model's text: characters, cases and collation of the alphabet the generator writes ----

// The byte length of the character at s[pos]: the generator writes only whole UTF-8 sequences and lone 0xFF
// bytes, which are one ill-formed character each.
size_t CharLength(const std::string& s, size_t pos) {
    const auto b = static_cast<uint8_t>(s[pos]);
    const size_t n = b < 0x80                 ? 1
                     : b >= 0xF0 && b <= 0xF4 ? 4
                     : b >= 0xE0 && b < 0xF0  ? 3
                     : b >= 0xC2 && b < 0xE0  ? 2
                                              : 1;
    return std::min(n, s.size() - pos);
}

std::vector<std::string> CharsOf(const std::string& s) {
    std::vector<std::string> chars;
    for (size_t pos = 0; pos < s.size();) {
        const size_t n = CharLength(s, pos);
        chars.push_back(s.substr(pos, n));
        pos += n;
    }
    return chars;
}

// Lower and upper case of the cased letters the generator writes; every other character has no case.
const std::vector<std::pair<std::string, std::string>>& CasePairs() {
    static const auto* pairs = [] {
        auto* p = new std::vector<std::pair<std::string, std::string>>{
            {"\xC3\xA4", "\xC3\x84"}, // ä Ä
            {"\xC3\xA9", "\xC3\x89"}, // é É
            {"\xC3\xB6", "\xC3\x96"}, // ö Ö
            {"\xCE\xB1", "\xCE\x91"}, // α Α
            {"\xCE\xB4", "\xCE\x94"}, // δ Δ
            {"\xD0\xB4", "\xD0\x94"}, // д Д
        };
        for (char c = 'a'; c <= 'z'; ++c)
            p->push_back({std::string(1, c), std::string(1, static_cast<char>(c - 'a' + 'A'))});
        return p;
    }();
    return *pairs;
}

std::string Upper(const std::string& ch) {
    for (const auto& [lower, upper] : CasePairs())
        if (ch == lower) return upper;
    return ch;
}

std::string Lower(const std::string& ch) {
    for (const auto& [lower, upper] : CasePairs())
        if (ch == upper) return lower;
    return ch;
}

std::string MapChars(const std::string& s, std::string (*map)(const std::string&)) {
    std::string out;
    for (const auto& ch : CharsOf(s))
        out += map(ch);
    return out;
}

bool IsWhiteSpace(const std::string& ch) {
    return ch == " " || ch == "\t" || ch == "\n";
}

std::string ProperCase(const std::string& s) {
    std::string out;
    bool wordStart = true;
    for (const auto& ch : CharsOf(s)) {
        out += wordStart ? Upper(ch) : Lower(ch);
        wordStart = IsWhiteSpace(ch);
    }
    return out;
}

// The characters whose place in the root collation order the model knows: white space, then punctuation,
// symbols, digits and letters, a letter with an accent sorting with its base letter and after it only when
// all else is equal. Case makes no difference to a caseless comparison.
const std::string kComparable = " -.+0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char* const kAccented[] = {"\xC3\xA4", "\xC3\x84", "\xC3\xA9", "\xC3\x89", "\xC3\xB6", "\xC3\x96"};

struct CollationKey {
    int primary;
    bool accent;
};

CollationKey KeyOf(const std::string& ch) {
    for (size_t i = 0; i < std::size(kAccented); ++i)
        if (ch == kAccented[i]) return {100 + "aaeeoo"[i] - 'a', true};
    const char c = ch[0];
    if (c == ' ') return {1, false};
    if (c == '-') return {2, false};
    if (c == '.') return {3, false};
    if (c == '+') return {4, false};
    if (c >= '0' && c <= '9') return {10 + c - '0', false};
    if (c >= 'a' && c <= 'z') return {100 + c - 'a', false};
    if (c >= 'A' && c <= 'Z') return {100 + c - 'A', false};
    return {0, false};
}

bool Comparable(const std::string& s) {
    for (const auto& ch : CharsOf(s)) {
        bool known = ch.size() == 1 && kComparable.find(ch[0]) != std::string::npos;
        for (const char* a : kAccented)
            known = known || ch == a;
        if (!known) return false;
    }
    return true;
}

template <typename T>
int Lexicographic(const std::vector<T>& a, const std::vector<T>& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Primary weights first; then the secondary ones, where an accent is a mark after its letter that weighs
// more than a letter's own.
int Collate(const std::string& a, const std::string& b) {
    std::vector<int> pa, pb, sa, sb;
    for (const auto& [chars, primary, secondary] :
         {std::tuple{CharsOf(a), &pa, &sa}, std::tuple{CharsOf(b), &pb, &sb}}) {
        for (const auto& ch : chars) {
            const CollationKey k = KeyOf(ch);
            primary->push_back(k.primary);
            secondary->push_back(0);
            if (k.accent) secondary->push_back(1);
        }
    }
    const int c = Lexicographic(pa, pb);
    return c != 0 ? c : Lexicographic(sa, sb);
}

// "%.15g" with a capital E, and 0 without its sign.
std::string NumberText(double d) {
    if (d == 0) return "0";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
    EXPECT_EQ(ec, std::errc());
    std::string s(buf, end);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

std::string Trimmed(const std::string& s) {
    std::string out;
    bool pending = false;
    for (char c : s) {
        if (c == ' ') {
            pending = !out.empty();
            continue;
        }
        if (pending) out += ' ';
        pending = false;
        out += c;
    }
    return out;
}

// ---- The model's operators ----

enum class MOp { Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, And, Or };

bool IsComparison(MOp op) {
    return op >= MOp::Eq && op <= MOp::Ge;
}

template <typename T>
const T& Nth(const std::vector<T>& v, size_t i) {
    return i < v.size() ? v[i] : v.back();
}

bool Truth(const MValue& v) {
    for (double d : v.numbers)
        if (d != 0) return true;
    return false;
}

int CompareTimes(const MTime& a, const MTime& b) {
    const auto rank = [](const MTime& t) { return static_cast<int>(t.kind); };
    if (rank(a) != rank(b)) return rank(a) < rank(b) ? -1 : 1;
    if (a.hundredths != b.hundredths) return a.hundredths < b.hundredths ? -1 : 1;
    return 0;
}

bool Holds(MOp op, int c) {
    switch (op) {
    case MOp::Eq:
        return c == 0;
    case MOp::Ne:
        return c != 0;
    case MOp::Lt:
        return c < 0;
    case MOp::Gt:
        return c > 0;
    case MOp::Le:
        return c <= 0;
    default:
        return c >= 0;
    }
}

bool gUncollatable = false;

MResult Compare(MOp op, const MValue& a, const MValue& b) {
    if (a.type != b.type) return Failed(ERR_FORMULA_TYPE);
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        int c = 0;
        if (a.type == MType::Number) {
            const double x = Nth(a.numbers, i), y = Nth(b.numbers, i);
            c = x < y ? -1 : x > y ? 1 : 0;
        } else if (a.type == MType::Time) {
            c = CompareTimes(Nth(a.times, i), Nth(b.times, i));
        } else {
            const std::string &x = Nth(a.texts, i), &y = Nth(b.texts, i);
            // A text the generator's alphabet did not make (a time written as text, say) leaves the answer
            // unknown; the formula is then not checked.
            if (!Comparable(x) || !Comparable(y)) gUncollatable = true;
            c = Collate(x, y);
        }
        if (Holds(op, c)) return Ok(MValue::Truth(true));
    }
    return Ok(MValue::Truth(false));
}

MResult MoveTime(const MTime& t, double seconds, MTime* out) {
    if (t.kind != MTime::Ordinary || !(std::fabs(seconds) <= 4e11)) return Failed(ERR_FORMULA_NUMBER_RANGE);
    const int64_t moved = t.hundredths + std::llround(seconds * 100);
    if (moved < kFirstDay * kPerDay || moved >= (kLastDay + 1) * kPerDay)
        return Failed(ERR_FORMULA_NUMBER_RANGE);
    *out = {MTime::Ordinary, moved};
    return {};
}

MResult Arithmetic(MOp op, const MValue& a, const MValue& b) {
    const size_t n = std::max(a.size(), b.size());
    if (a.type == MType::Number && b.type == MType::Number) {
        std::vector<double> r;
        for (size_t i = 0; i < n; ++i) {
            const double x = Nth(a.numbers, i), y = Nth(b.numbers, i);
            double z = 0;
            if (op == MOp::Div && y == 0) return Failed(ERR_FORMULA_DIVIDE_BY_ZERO);
            z = op == MOp::Add ? x + y : op == MOp::Sub ? x - y : op == MOp::Mul ? x * y : x / y;
            if (!std::isfinite(z)) return Failed(ERR_FORMULA_NUMBER_RANGE);
            r.push_back(z);
        }
        return Ok(MValue::Numbers(r));
    }
    if (a.type == MType::Text && b.type == MType::Text && op == MOp::Add) {
        std::vector<std::string> r;
        size_t total = 0;
        for (size_t i = 0; i < n; ++i) {
            r.push_back(Nth(a.texts, i) + Nth(b.texts, i));
            total += r.back().size();
            if (r.back().size() > 65535 || total > (size_t{4} << 20))
                return Failed(ERR_FORMULA_RESULT_TOO_LARGE);
        }
        return Ok(MValue::Texts(r));
    }
    const bool timeAndNumber =
        a.type == MType::Time && b.type == MType::Number && (op == MOp::Add || op == MOp::Sub);
    const bool numberAndTime = a.type == MType::Number && b.type == MType::Time && op == MOp::Add;
    if (timeAndNumber || numberAndTime) {
        const MValue& times = timeAndNumber ? a : b;
        const MValue& seconds = timeAndNumber ? b : a;
        std::vector<MTime> r(n);
        for (size_t i = 0; i < n; ++i) {
            const double s = Nth(seconds.numbers, i) * (op == MOp::Sub ? -1.0 : 1.0);
            if (MResult m = MoveTime(Nth(times.times, i), s, &r[i]); m.status != NOERROR) return m;
        }
        return Ok(MValue::Times(r));
    }
    if (a.type == MType::Time && b.type == MType::Time && op == MOp::Sub) {
        std::vector<double> r;
        for (size_t i = 0; i < n; ++i) {
            const MTime &x = Nth(a.times, i), &y = Nth(b.times, i);
            if (x.kind != MTime::Ordinary || y.kind != MTime::Ordinary)
                return Failed(ERR_FORMULA_NUMBER_RANGE);
            r.push_back(static_cast<double>(x.hundredths - y.hundredths) / 100.0);
        }
        return Ok(MValue::Numbers(r));
    }
    return Failed(ERR_FORMULA_TYPE);
}

MResult Apply(MOp op, const MValue& a, const MValue& b) {
    if (IsComparison(op)) return Compare(op, a, b);
    if (op == MOp::And || op == MOp::Or) {
        if (a.type != MType::Number || b.type != MType::Number) return Failed(ERR_FORMULA_TYPE);
        return Ok(MValue::Truth(op == MOp::And ? Truth(a) && Truth(b) : Truth(a) || Truth(b)));
    }
    return Arithmetic(op, a, b);
}

// ---- Expressions: the generator's trees, written out as formula text and evaluated by the model ----

// How tightly each form binds, loosest first, as a formula writer reads the language.
enum Level { kLogic, kNot, kComparison, kAdditive, kMultiplicative, kSigned, kList, kElement, kPrimary };

struct Expr {
    enum Kind { Number, Text, Name, Chain, Not, Negate, Plus, List, Call } kind = Number;
    double number = 0;
    std::string text;  // Number and Text: as written; Name: as written; Call: the @function
    std::string value; // Text: the constant's value
    std::vector<MOp> ops;
    std::vector<Expr> operands;
};

struct Written {
    std::string text;
    Level level;
};

const char* OpText(MOp op) {
    static const char* const kTexts[] = {"+", "-", "*", "/", "=", "!=", "<", ">", "<=", ">=", "&", "|"};
    return kTexts[static_cast<int>(op)];
}

Level LevelOf(MOp op) {
    if (op == MOp::And || op == MOp::Or) return kLogic;
    if (IsComparison(op)) return kComparison;
    if (op == MOp::Add || op == MOp::Sub) return kAdditive;
    return kMultiplicative;
}

class Writer {
public:
    explicit Writer(std::mt19937* rng) : rng_(rng) {}

    Written Write(const Expr& e) {
        switch (e.kind) {
        case Expr::Number:
        case Expr::Text:
        case Expr::Name:
            return {e.text, kPrimary};
        case Expr::Chain: {
            const Level level = LevelOf(e.ops[0]);
            std::string s = AtLeast(e.operands[0], level);
            for (size_t i = 0; i < e.ops.size(); ++i)
                s += std::string(" ") + OpText(e.ops[i]) + " " + Space() +
                     AtLeast(e.operands[i + 1], Level(level + 1));
            return {s, level};
        }
        case Expr::Not:
            return {"!" + Space() + AtLeast(e.operands[0], kNot), kNot};
        case Expr::Negate:
        case Expr::Plus: {
            // A sign before a primary binds as tightly as an element of a list; before a list it takes it
            // all.
            const Written w = Write(e.operands[0]);
            const std::string sign = e.kind == Expr::Negate ? "-" : "+";
            if (w.level >= kElement) return {sign + Space() + w.text, kElement};
            return {sign + Space() + AtLeast(e.operands[0], kSigned), kSigned};
        }
        case Expr::List: {
            // The first element may not begin with a sign, which would take the whole list.
            std::string s = AtLeast(e.operands[0], kPrimary);
            for (size_t i = 1; i < e.operands.size(); ++i)
                s += Space() + ":" + Space() + AtLeast(e.operands[i], kElement);
            return {s, kList};
        }
        case Expr::Call: {
            std::string s = e.text;
            if (e.operands.empty()) return {s + (Coin() ? "" : "()"), kPrimary};
            s += "(";
            for (size_t i = 0; i < e.operands.size(); ++i)
                s += (i == 0 ? "" : ";" + Space()) + Write(e.operands[i]).text;
            return {s + ")", kPrimary};
        }
        }
        return {"?", kPrimary};
    }

private:
    std::string AtLeast(const Expr& e, Level level) {
        const Written w = Write(e);
        return w.level >= level ? w.text : "(" + Space() + w.text + Space() + ")";
    }
    bool Coin() { return (*rng_)() % 2 == 0; }
    std::string Space() {
        switch ((*rng_)() % 8) {
        case 0:
            return " ";
        case 1:
            return std::string(1, '\0'); // a stored line feed
        case 2:
            return "\n\t";
        default:
            return "";
        }
    }
    std::mt19937* rng_;
};

// What a formula finds outside itself.
struct World {
    const FakeNote* note = nullptr;
    std::map<std::string, MValue> temporaries; // by lower-cased name
};

MValue ModelOf(const Value& v) {
    switch (v.type()) {
    case ValueType::Number:
        return MValue::Numbers(v.numbers());
    case ValueType::Time: {
        std::vector<MTime> t;
        for (const Instant& i : v.times())
            t.push_back(TimeOf(i));
        return MValue::Times(t);
    }
    case ValueType::Text:
        break;
    }
    return MValue::Texts(v.texts());
}

std::string Folded(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

MResult Evaluate(const Expr& e, World& w);

MResult Bounded(MResult r) {
    if (r.status != NOERROR) return r;
    size_t bytes = 0;
    for (const auto& t : r.value.texts)
        bytes += t.size();
    if (r.value.type != MType::Text) bytes = 8 * r.value.size();
    if (r.value.size() > 65535 || bytes > (size_t{4} << 20)) return Failed(ERR_FORMULA_RESULT_TOO_LARGE);
    return r;
}

// Each text of v through f; v must be text.
template <typename F>
MResult EachText(const MValue& v, F f) {
    if (v.type != MType::Text) return Failed(ERR_FORMULA_TYPE);
    std::vector<std::string> out;
    for (const auto& t : v.texts)
        out.push_back(f(t));
    return Ok(MValue::Texts(out));
}

MResult CallModel(const std::string& name, const std::vector<MValue>& a) {
    const auto text = [&](size_t i) { return a[i].type == MType::Text; };
    if (name == "@Text") {
        if (a[0].type == MType::Number) {
            std::vector<std::string> t;
            for (double d : a[0].numbers)
                t.push_back(NumberText(d));
            return Ok(MValue::Texts(t));
        }
        if (a[0].type == MType::Time) {
            // Times are written by the library's time services, which have tests of their own.
            std::vector<std::string> t;
            for (const MTime& m : a[0].times) {
                const Instant i = InstantOf(m);
                char buf[80];
                uint16_t length = 0;
                if (const STATUS s = InstantToText(nullptr, nullptr, &i, buf, sizeof buf, &length))
                    return Failed(s);
                t.emplace_back(buf, length);
            }
            return Ok(MValue::Texts(t));
        }
        return Ok(a[0]);
    }
    if (name == "@Trim") {
        if (!text(0)) return Failed(ERR_FORMULA_TYPE);
        std::vector<std::string> t;
        for (const auto& s : a[0].texts)
            if (!Trimmed(s).empty()) t.push_back(Trimmed(s));
        return Ok(MValue::Texts(t));
    }
    if (name == "@UpperCase") return EachText(a[0], [](const std::string& s) { return MapChars(s, Upper); });
    if (name == "@LowerCase") return EachText(a[0], [](const std::string& s) { return MapChars(s, Lower); });
    if (name == "@ProperCase") return EachText(a[0], ProperCase);
    if (name == "@Left" || name == "@Right") {
        const bool left = name == "@Left";
        if (a[1].type == MType::Number) {
            const double count = a[1].numbers[0];
            const size_t n = count > 0 ? static_cast<size_t>(std::min(std::floor(count), 65535.0)) : 0;
            return EachText(a[0], [&](const std::string& s) {
                const auto chars = CharsOf(s);
                const size_t take = std::min(n, chars.size());
                std::string out;
                for (size_t i = left ? 0 : chars.size() - take; i < (left ? take : chars.size()); ++i)
                    out += chars[i];
                return out;
            });
        }
        if (!text(1)) return Failed(ERR_FORMULA_TYPE);
        const std::string cut = a[1].texts[0];
        return EachText(a[0], [&](const std::string& s) {
            const size_t at = s.find(cut);
            if (at == std::string::npos) return std::string();
            return left ? s.substr(0, at) : s.substr(at + cut.size());
        });
    }
    if (name == "@Contains" || name == "@Begins") {
        if (!text(0) || !text(1)) return Failed(ERR_FORMULA_TYPE);
        for (const auto& s : a[0].texts)
            for (const auto& p : a[1].texts)
                if (name == "@Begins" ? s.rfind(p, 0) == 0 : s.find(p) != std::string::npos)
                    return Ok(MValue::Truth(true));
        return Ok(MValue::Truth(false));
    }
    if (name == "@Elements") {
        const bool nothing = a[0].type == MType::Text && a[0].texts.size() == 1 && a[0].texts[0].empty();
        return Ok(MValue::Numbers({nothing ? 0.0 : static_cast<double>(a[0].size())}));
    }
    if (name == "@Implode") {
        if (!text(0) || (a.size() > 1 && !text(1))) return Failed(ERR_FORMULA_TYPE);
        const std::string sep = a.size() > 1 ? a[1].texts[0] : " ";
        std::string joined;
        for (size_t i = 0; i < a[0].texts.size(); ++i)
            joined += (i == 0 ? "" : sep) + a[0].texts[i];
        if (joined.size() > 65535) return Failed(ERR_FORMULA_RESULT_TOO_LARGE);
        return Ok(MValue::Texts({joined}));
    }
    if (name == "@All") return Ok(MValue::Truth(true));
    ADD_FAILURE() << "the model has no " << name;
    return Failed(ERR_FORMULA_DAMAGED);
}

MResult EvaluateCall(const Expr& e, World& w) {
    if (e.text == "@If") {
        for (size_t i = 0; i + 1 < e.operands.size(); i += 2) {
            const MResult c = Evaluate(e.operands[i], w);
            if (c.status != NOERROR) return c;
            if (c.value.type != MType::Number) return Failed(ERR_FORMULA_TYPE);
            if (Truth(c.value)) return Evaluate(e.operands[i + 1], w);
        }
        return Evaluate(e.operands.back(), w);
    }
    if (e.text == "@IsResponseDoc" || e.text == "@Created" || e.text == "@Modified") {
        if (w.note == nullptr) return Failed(ERR_FORMULA_NEEDS_NOTE);
        if (e.text == "@IsResponseDoc") return Ok(MValue::Truth(w.note->response));
        return Ok(MValue::Times({TimeOf(e.text == "@Created" ? w.note->created : w.note->modified)}));
    }
    std::vector<MValue> args;
    for (const auto& o : e.operands) {
        MResult r = Evaluate(o, w);
        if (r.status != NOERROR) return r;
        args.push_back(std::move(r.value));
    }
    return CallModel(e.text, args);
}

MResult EvaluateName(const Expr& e, World& w) {
    const auto it = w.temporaries.find(Folded(e.text));
    if (it != w.temporaries.end()) return Ok(it->second);
    if (w.note == nullptr) return Failed(ERR_FORMULA_NEEDS_NOTE);
    const auto item = w.note->items.find(Folded(e.text));
    if (item == w.note->items.end()) return Ok(MValue());
    if (item->second.status != NOERROR) return Failed(item->second.status);
    return Ok(ModelOf(item->second.value));
}

MResult EvaluateNode(const Expr& e, World& w) {
    switch (e.kind) {
    case Expr::Number:
        return Ok(MValue::Numbers({e.number}));
    case Expr::Text:
        return Ok(MValue::Texts({e.value}));
    case Expr::Name:
        return EvaluateName(e, w);
    case Expr::Chain: {
        MResult left = Evaluate(e.operands[0], w);
        for (size_t i = 0; left.status == NOERROR && i < e.ops.size(); ++i) {
            const MResult right = Evaluate(e.operands[i + 1], w);
            if (right.status != NOERROR) return right;
            left = Apply(e.ops[i], left.value, right.value);
        }
        return left;
    }
    case Expr::Not:
    case Expr::Negate:
    case Expr::Plus: {
        MResult r = Evaluate(e.operands[0], w);
        if (r.status != NOERROR) return r;
        if (r.value.type != MType::Number) return Failed(ERR_FORMULA_TYPE);
        if (e.kind == Expr::Not) return Ok(MValue::Truth(!Truth(r.value)));
        if (e.kind == Expr::Negate)
            for (double& d : r.value.numbers)
                d = -d;
        return r;
    }
    case Expr::List: {
        std::vector<MValue> parts;
        for (const auto& o : e.operands) {
            MResult r = Evaluate(o, w);
            if (r.status != NOERROR) return r;
            if (!parts.empty() && r.value.type != parts[0].type) return Failed(ERR_FORMULA_TYPE);
            parts.push_back(std::move(r.value));
            // The bounds hold for the list as it grows, before any later part is evaluated.
            size_t entries = 0;
            for (const auto& p : parts)
                entries += p.size();
            MValue joined = MValue::Texts({});
            for (const auto& p : parts)
                joined.texts.insert(joined.texts.end(), p.texts.begin(), p.texts.end());
            if (entries > 65535 || Bounded(Ok(joined)).status != NOERROR)
                return Failed(ERR_FORMULA_RESULT_TOO_LARGE);
        }
        MValue all = parts[0];
        for (size_t i = 1; i < parts.size(); ++i) {
            all.texts.insert(all.texts.end(), parts[i].texts.begin(), parts[i].texts.end());
            all.numbers.insert(all.numbers.end(), parts[i].numbers.begin(), parts[i].numbers.end());
            all.times.insert(all.times.end(), parts[i].times.begin(), parts[i].times.end());
        }
        return Ok(all);
    }
    case Expr::Call:
        return EvaluateCall(e, w);
    }
    return Failed(ERR_FORMULA_DAMAGED);
}

MResult Evaluate(const Expr& e, World& w) {
    return Bounded(EvaluateNode(e, w));
}

// ---- The generator ----

// A statement: an assignment to a temporary, SELECT, or a plain expression.
struct MStatement {
    enum Kind { Assign, Select, Plain } kind = Plain;
    std::string variable;
    Expr expression;
};

struct ModelOutcome {
    MResult result;
    bool selected = false;
};

ModelOutcome ModelRun(const std::vector<MStatement>& program, const FakeNote* note) {
    World w;
    w.note = note;
    gUncollatable = false;
    ModelOutcome out;
    bool selectRan = false;
    for (const auto& st : program) {
        MResult r = Evaluate(st.expression, w);
        if (r.status != NOERROR) return {r, false};
        if (st.kind == MStatement::Assign) {
            w.temporaries[Folded(st.variable)] = r.value;
            continue;
        }
        if (st.kind == MStatement::Select) {
            if (r.value.type != MType::Number) return {Failed(ERR_FORMULA_TYPE), false};
            out.selected = Truth(r.value);
            selectRan = true;
        }
        out.result = r;
    }
    if (!selectRan) out.selected = out.result.value.type == MType::Number && Truth(out.result.value);
    return out;
}

class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    std::mt19937& rng() { return rng_; }

    std::vector<MStatement> Program() {
        temporaries_.clear();
        std::vector<MStatement> program;
        const uint32_t assigns = Below(4);
        for (uint32_t i = 0; i < assigns; ++i) {
            MStatement st;
            st.kind = MStatement::Assign;
            const MType type = AnyType();
            const bool comparable = true; // temporaries may be compared wherever they are read
            st.expression = Make(type, 2, comparable);
            static const char* const kNames[] = {"t0", "T1", "total", "Subject", "amount"};
            st.variable = kNames[Below(std::size(kNames))];
            temporaries_[Folded(st.variable)] = {type, comparable};
            program.push_back(std::move(st));
        }
        if (Below(4) == 0) {
            MStatement st;
            st.kind = MStatement::Select;
            st.expression = Make(MType::Number, 2, false);
            program.push_back(std::move(st));
        }
        MStatement main;
        main.expression = Make(AnyType(), 3, false);
        program.push_back(std::move(main));
        return program;
    }

    std::string Text(const std::vector<MStatement>& program) {
        Writer writer(&rng_);
        std::string s;
        for (size_t i = 0; i < program.size(); ++i) {
            const auto& st = program[i];
            if (i > 0) s += Coin() ? ";" : ";\n";
            if (st.kind == MStatement::Assign) s += st.variable + " := ";
            if (st.kind == MStatement::Select) s += Coin() ? "SELECT " : "select ";
            s += writer.Write(st.expression).text;
        }
        return s + (Below(5) == 0 ? ";" : "");
    }

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }

private:
    bool Coin() { return Below(2) == 0; }
    MType AnyType() { return static_cast<MType>(Below(3)); }

    // Mostly the type asked for; now and then another, to reach the type errors.
    MType Wanted(MType type) { return Below(80) == 0 ? AnyType() : type; }

    Expr Make(MType type, int depth, bool comparable) {
        type = Wanted(type);
        if (depth <= 0 || Below(4) == 0) return Leaf(type, comparable);
        switch (type) {
        case MType::Number:
            return MakeNumber(depth - 1);
        case MType::Time:
            return MakeTime(depth - 1);
        case MType::Text:
            break;
        }
        return MakeText(depth - 1, comparable);
    }

    Expr Leaf(MType type, bool comparable) {
        if (Below(4) == 0) {
            if (Expr e; FieldOrTemporary(type, comparable, &e)) return e;
        }
        switch (type) {
        case MType::Number:
            return NumberConstant();
        case MType::Time:
            return Call(Coin() ? "@Created" : "@Modified", {});
        case MType::Text:
            break;
        }
        return TextConstant(comparable);
    }

    bool FieldOrTemporary(MType type, bool comparable, Expr* e) {
        std::vector<std::string> names;
        for (const auto& [name, kind] : temporaries_)
            if (kind.first == type && (kind.second || !comparable)) names.push_back(name);
        static const char* const kNumbers[] = {"Amount", "Price"};
        static const char* const kTimes[] = {"When", "Dates", "Specials", "Stamped"};
        static const char* const kComparableTexts[] = {"Subject", "Tags", "Nowhere"};
        static const char* const kTexts[] = {"Title", "Lines"};
        const auto add = [&](const auto& list) {
            for (const char* n : list)
                if (temporaries_.count(Folded(n)) == 0) names.push_back(n);
        };
        if (type == MType::Number) add(kNumbers);
        if (type == MType::Time) add(kTimes);
        if (type == MType::Text) add(kComparableTexts);
        if (type == MType::Text && !comparable) add(kTexts);
        if (type == MType::Number && Below(10) == 0) names.push_back("Broken");
        if (type == MType::Number && Below(60) == 0) names.push_back("Big");
        if (names.empty()) return false;
        e->kind = Expr::Name;
        e->text = Cased(names[Below(static_cast<uint32_t>(names.size()))]);
        return true;
    }

    std::string Cased(std::string name) {
        for (char& c : name) {
            const uint32_t r = Below(4);
            if (r == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (r == 1 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return name;
    }

    Expr NumberConstant() {
        static const char* const kForms[] = {"0",
                                             "1",
                                             "2",
                                             "3",
                                             "7",
                                             "10",
                                             "255",
                                             "12.5",
                                             "0.25",
                                             ".5",
                                             "3.",
                                             "1e3",
                                             "2.5E-3",
                                             "1e+2",
                                             "1e308",
                                             "9e307",
                                             "1e-300",
                                             "0.1",
                                             "1.7976931348623157e308",
                                             "2.2250738585072014e-308",
                                             "86400",
                                             "123456789012345678",
                                             "0.30000000000000004",
                                             "1e11",
                                             "4e11",
                                             "5e11"};
        Expr e;
        e.kind = Expr::Number;
        if (Below(3) == 0) {
            e.text = std::to_string(Below(1000));
        } else {
            e.text = kForms[Below(std::size(kForms))];
        }
        e.number = std::strtod(e.text.c_str(), nullptr);
        return e;
    }

    // The characters of texts: those the model can also collate, and with them, others.
    std::string Char(bool comparable) {
        static const char* const kComparableChars[] = {
            " ", " ", "-",        ".",        "+",        "0",        "1",        "7",
            "a", "b", "e",        "o",        "z",        "A",        "B",        "E",
            "O", "Z", "\xC3\xA4", "\xC3\x84", "\xC3\xA9", "\xC3\x89", "\xC3\xB6", "\xC3\x96"};
        static const char* const kOtherChars[] = {"\"",
                                                  "\\",
                                                  "\n",
                                                  "\t",
                                                  "\xE4\xB8\xAD" /* 中 */,
                                                  "\xF0\x9F\x98\x80" /* 😀 */,
                                                  "\xCE\xB1",
                                                  "\xCE\x94",
                                                  "\xD0\x94",
                                                  "\xD0\xB4",
                                                  "\xFF",
                                                  "q",
                                                  "Q",
                                                  ";",
                                                  ":",
                                                  "(",
                                                  "@"};
        // Texts of a few letters that differ only in case or accent, so that comparisons find them equal.
        if (comparable || Below(3) != 0) return kComparableChars[Below(std::size(kComparableChars))];
        return kOtherChars[Below(std::size(kOtherChars))];
    }

    Expr TextConstant(bool comparable) {
        Expr e;
        e.kind = Expr::Text;
        e.text = "\"";
        if (comparable && Coin()) {
            // One or two letters that differ only in case or accent, so that comparisons find them equal.
            static const char* const kNear[] = {"a", "A", "\xC3\xA4", "\xC3\x84"};
            for (uint32_t i = 0, n = 1 + Below(2); i < n; ++i)
                e.value += kNear[Below(std::size(kNear))];
            e.text += e.value + "\"";
            return e;
        }
        const uint32_t n = Below(4) == 0 ? 0 : Below(comparable ? 4 : 8);
        for (uint32_t i = 0; i < n; ++i) {
            const std::string ch = Char(comparable);
            e.value += ch;
            if (ch == "\"" || ch == "\\")
                e.text += "\\" + ch;
            else if (ch == "\n" && Coin())
                e.text += std::string(1, '\0'); // a line feed as stored text holds it
            else if (Below(10) == 0)
                e.text += "\\" + ch; // a backslash takes any character as it is
            else
                e.text += ch;
        }
        e.text += "\"";
        return e;
    }

    static Expr Call(const std::string& name, std::vector<Expr> args) {
        Expr e;
        e.kind = Expr::Call;
        e.text = name;
        e.operands = std::move(args);
        return e;
    }

    Expr Chain(Level level, MType type, int depth, bool comparable) {
        static const MOp kLogicOps[] = {MOp::And, MOp::Or};
        static const MOp kComparisonOps[] = {MOp::Eq, MOp::Ne, MOp::Lt, MOp::Gt, MOp::Le, MOp::Ge};
        static const MOp kAdditiveOps[] = {MOp::Add, MOp::Sub};
        static const MOp kMultiplicativeOps[] = {MOp::Mul, MOp::Div};
        Expr e;
        e.kind = Expr::Chain;
        const uint32_t n = 1 + Below(3);
        e.operands.push_back(Make(type, depth, comparable));
        for (uint32_t i = 0; i < n; ++i) {
            switch (level) {
            case kLogic:
                e.ops.push_back(kLogicOps[Below(2)]);
                break;
            case kComparison:
                e.ops.push_back(kComparisonOps[Below(6)]);
                break;
            case kAdditive:
                e.ops.push_back(kAdditiveOps[Below(2)]);
                break;
            default:
                e.ops.push_back(kMultiplicativeOps[Below(2)]);
                break;
            }
            // A comparison chain compares its truth with the next operand after the first pair.
            const MType next = level == kComparison && i > 0 ? MType::Number : type;
            e.operands.push_back(Make(next, depth, comparable));
        }
        return e;
    }

    Expr Unary(Expr::Kind kind, Expr operand) {
        Expr e;
        e.kind = kind;
        e.operands.push_back(std::move(operand));
        return e;
    }

    Expr ListOf(MType type, int depth, bool comparable) {
        Expr e;
        e.kind = Expr::List;
        const uint32_t n = 2 + Below(3);
        // Now and then a list of the long field, too long from its third part on.
        const bool big = type == MType::Number && Below(20) == 0;
        for (uint32_t i = 0; i < n; ++i) {
            if (big && Below(4) != 0) {
                Expr name;
                name.kind = Expr::Name;
                name.text = Cased("Big");
                e.operands.push_back(std::move(name));
                continue;
            }
            e.operands.push_back(Make(type, depth, comparable));
        }
        return e;
    }

    Expr If(MType type, int depth, bool comparable) {
        std::vector<Expr> args;
        const uint32_t pairs = 1 + Below(2);
        for (uint32_t i = 0; i < pairs; ++i) {
            args.push_back(Make(MType::Number, depth, false));
            args.push_back(Make(type, depth, comparable));
        }
        args.push_back(Make(type, depth, comparable));
        return Call("@If", std::move(args));
    }

    Expr MakeNumber(int depth) {
        switch (Below(14)) {
        case 12:
        case 13:
            return Chain(kComparison, MType::Text, depth, true);
        case 0:
            return Chain(kAdditive, MType::Number, depth, false);
        case 1:
            return Chain(kMultiplicative, MType::Number, depth, false);
        case 2:
            return Unary(Coin() ? Expr::Negate : Expr::Plus, Make(MType::Number, depth, false));
        case 3:
            return ListOf(MType::Number, depth, false);
        case 4: {
            // Whatever their type, the operands of a comparison hold only texts the model collates.
            return Chain(kComparison, AnyType(), depth, true);
        }
        case 5:
            return Chain(kLogic, MType::Number, depth, false);
        case 6:
            return Unary(Expr::Not, Make(MType::Number, depth, false));
        case 7:
            return Call(Coin() ? "@Contains" : "@Begins",
                        {Make(MType::Text, depth, false), Make(MType::Text, depth, false)});
        case 8:
            return Call("@Elements", {Make(AnyType(), depth, false)});
        case 9:
            return If(MType::Number, depth, false);
        case 10: {
            Expr e;
            e.kind = Expr::Chain;
            e.ops.push_back(MOp::Sub);
            e.operands.push_back(Make(MType::Time, depth, false));
            e.operands.push_back(Make(MType::Time, depth, false));
            return e;
        }
        default:
            return Call(Below(3) == 0 ? "@IsResponseDoc" : "@All", {});
        }
    }

    Expr MakeTime(int depth) {
        switch (Below(4)) {
        case 0: {
            Expr e;
            e.kind = Expr::Chain;
            e.operands.push_back(Make(MType::Time, depth, false));
            const uint32_t n = 1 + Below(2);
            for (uint32_t i = 0; i < n; ++i) {
                e.ops.push_back(Coin() ? MOp::Add : MOp::Sub);
                e.operands.push_back(Make(MType::Number, depth, false));
            }
            return e;
        }
        case 1: {
            Expr e;
            e.kind = Expr::Chain;
            e.ops.push_back(MOp::Add);
            e.operands.push_back(Make(MType::Number, depth, false));
            e.operands.push_back(Make(MType::Time, depth, false));
            return e;
        }
        case 2:
            return ListOf(MType::Time, depth, false);
        default:
            return If(MType::Time, depth, false);
        }
    }

    Expr MakeText(int depth, bool comparable) {
        switch (Below(11)) {
        case 0: {
            Expr e = Chain(kAdditive, MType::Text, depth, comparable);
            std::fill(e.ops.begin(), e.ops.end(), MOp::Add);
            return e;
        }
        case 1:
            return ListOf(MType::Text, depth, comparable);
        case 2:
            // @Text of a number writes digits, signs, points and E, all of which the model collates.
            return Call("@Text",
                        {Coin() ? Make(MType::Number, depth, false) : Make(MType::Text, depth, comparable)});
        case 3:
            return Call("@Trim", {Make(MType::Text, depth, comparable)});
        case 4: {
            static const char* const kCase[] = {"@UpperCase", "@LowerCase", "@ProperCase"};
            return Call(kCase[Below(3)], {Make(MType::Text, depth, comparable)});
        }
        case 5:
        case 6: {
            Expr where = Coin() ? Make(MType::Number, depth, false) : Make(MType::Text, depth, false);
            return Call(Coin() ? "@Left" : "@Right",
                        {Make(MType::Text, depth, comparable), std::move(where)});
        }
        case 7: {
            std::vector<Expr> args{Make(MType::Text, depth, comparable)};
            if (Coin()) args.push_back(Make(MType::Text, depth, comparable));
            return Call("@Implode", std::move(args));
        }
        case 8:
            return If(MType::Text, depth, comparable);
        default:
            return Leaf(MType::Text, comparable);
        }
    }

    std::mt19937 rng_;
    std::map<std::string, std::pair<MType, bool>> temporaries_; // type, and whether the model collates it
};

// ---- Running both sides ----

std::string Shown(const std::string& s) {
    std::ostringstream out;
    for (char c : s) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x20 && b < 0x7F)
            out << c;
        else
            out << "\\x" << std::hex << static_cast<int>(b) << std::dec;
    }
    return out.str();
}

std::string Shown(const MValue& v) {
    std::ostringstream out;
    out << (v.type == MType::Text ? "text" : v.type == MType::Number ? "number" : "time") << "{";
    for (size_t i = 0; i < v.size(); ++i) {
        if (i > 0) out << ", ";
        if (v.type == MType::Text) out << '"' << Shown(v.texts[i]) << '"';
        if (v.type == MType::Number) out << NumberText(v.numbers[i]);
        if (v.type == MType::Time) out << v.times[i].kind << "/" << v.times[i].hundredths;
    }
    return out.str() + "}";
}

bool Same(const MValue& a, const MValue& b) {
    if (a.type != b.type || a.texts != b.texts || a.numbers.size() != b.numbers.size() ||
        a.times.size() != b.times.size())
        return false;
    for (size_t i = 0; i < a.numbers.size(); ++i)
        if (std::memcmp(&a.numbers[i], &b.numbers[i], sizeof(double)) != 0) return false;
    for (size_t i = 0; i < a.times.size(); ++i)
        if (CompareTimes(a.times[i], b.times[i]) != 0) return false;
    return true;
}

void Put16(std::vector<uint8_t>* out, uint32_t w) {
    out->push_back(static_cast<uint8_t>(w & 0xFF));
    out->push_back(static_cast<uint8_t>(w >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t w) {
    Put16(out, w & 0xFFFF);
    Put16(out, w >> 16);
}

// The item value of v as the library's callers read it: type word, then the layout of that type.
std::vector<uint8_t> ItemBytes(const MValue& v) {
    std::vector<uint8_t> out;
    const bool list = v.size() > 1;
    const uint32_t type = v.type == MType::Text ? 1280 : v.type == MType::Number ? 768 : 1024;
    Put16(&out, type + (list ? 1 : 0));
    if (list) Put16(&out, static_cast<uint32_t>(v.size()));
    if (v.type == MType::Text) {
        if (list)
            for (const auto& t : v.texts)
                Put16(&out, static_cast<uint32_t>(t.size()));
        for (const auto& t : v.texts)
            for (char c : t)
                out.push_back(c == '\n' ? 0 : static_cast<uint8_t>(c));
        return out;
    }
    if (list) Put16(&out, 0);
    for (double d : v.numbers) {
        uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        Put32(&out, static_cast<uint32_t>(bits));
        Put32(&out, static_cast<uint32_t>(bits >> 32));
    }
    for (const MTime& t : v.times) {
        const Instant i = InstantOf(t);
        Put32(&out, i.words[0]);
        Put32(&out, i.words[1]);
    }
    return out;
}

Instant At(uint32_t day, uint32_t hundredths) {
    return Instant{{hundredths, day}};
}

class FormulaRandom : public FormulaTest {
protected:
    void SetUp() override {
        FormulaTest::SetUp();
        note_.Set("Subject", Value::Text("Quarterly report 2024"));
        note_.Set("Tags", Value::Texts({"HR", "Sales", "b", ""}));
        note_.Set("Title", Value::Text("say \"hi\" \\ \xE4\xB8\xAD\xF0\x9F\x98\x80"));
        note_.Set("Lines", Value::Texts({"one\ntwo", " \t x  y ", "\xFF\xCE\x91"}));
        note_.Set("Amount", Value::Numbers({10, -2.5, 0}));
        note_.Set("Price", Value::Number(19.99));
        note_.Set("When", Value::Time(At(2460311, 9 * 360000 + 1234)));
        note_.Set("Dates", Value::Times({At(2451545, 0), At(2460311, 8639999)}));
        note_.Set("Specials",
                  Value::Times({Instant{{0, 0}}, Instant{{0, 0xFFFFFF}}, Instant{{0xFFFFFFFF, 0xFFFFFFFF}}}));
        // Long enough that a list of three of it is too long.
        std::vector<double> big(22000);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<double>(i % 977) - 300;
        note_.Set("Big", Value::Numbers(big));
        // A top byte that readers ignore.
        note_.Set("Stamped", Value::Times({At(0x7F000000 | 2460311, 100), At(0x01000000 | 2460312, 0)}));
        note_.Fail("Broken", ERR_FORMULA_BAD_VALUE);
        note_.created = At(2460000, 100);
        note_.modified = At(2460001, 4321);
    }

    // The result of text through the library's calls without a document: status, and the result block.
    STATUS ThroughTheLibrary(const std::string& text, std::vector<uint8_t>* bytes, bool* matches) {
        return EvaluateThroughTheCalls(text, NULLHANDLE, bytes, matches);
    }
};

TEST_F(FormulaRandom, FormulasAnswerAsTheModelDoes) {
    size_t errors = 0, values = 0, unknown = 0, tooLarge = 0;
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        Generator gen(seed);
        for (int step = 0; step < 400; ++step) {
            const auto program = gen.Program();
            const std::string text = gen.Text(program);
            const std::string where =
                "seed " + std::to_string(seed) + ", step " + std::to_string(step) + ": " + Shown(text);

            const ModelOutcome expected = ModelRun(program, &note_);
            if (gUncollatable) {
                ++unknown;
                continue;
            }
            Value value;
            bool selected = false;
            const STATUS s = FormulaTest::Run(text, &note_, &value, &selected);
            ASSERT_EQ(s, expected.result.status) << where << "\n" << formula::LastErrorText();
            if (s == NOERROR) {
                ++values;
                ASSERT_TRUE(Same(ModelOf(value), expected.result.value))
                    << where << "\nengine " << Shown(ModelOf(value)) << "\nmodel  "
                    << Shown(expected.result.value);
                ASSERT_EQ(selected, expected.selected) << where;
            } else {
                ++errors;
                if (s == ERR_FORMULA_RESULT_TOO_LARGE) ++tooLarge;
                ASSERT_FALSE(formula::LastErrorText().empty()) << where;
            }

            const ModelOutcome alone = ModelRun(program, nullptr);
            if (gUncollatable) continue;
            std::vector<uint8_t> bytes;
            bool matches = false;
            const STATUS t = ThroughTheLibrary(text, &bytes, &matches);
            ASSERT_EQ(t, alone.result.status) << where << " (without a document)";
            if (t == NOERROR) {
                ASSERT_EQ(bytes, ItemBytes(alone.result.value)) << where << " (without a document)";
                ASSERT_EQ(matches, alone.selected) << where;
            }
        }
    }
    // The generator reaches both: answers and every kind of failure.
    EXPECT_GT(values, 1200u);
    EXPECT_GT(errors, 100u);
    EXPECT_LT(unknown, 50u);
    EXPECT_GT(tooLarge, 0u);
}

// Formulas of the grammar broken at random (bytes dropped, doubled or put in, the text cut short) give a
// value or a status with its text, through the engine and through the library's calls alike.
TEST_F(FormulaRandom, BrokenFormulasAnswerWithAValueOrAStatus) {
    static const char kInserted[] = {'(',    ')',    '"', '\\', '@', ';', ':', '\0', '*',
                                     '!',    '=',    '-', '+',  'e', '.', '1', ' ',  '\x80',
                                     '\xFF', '\x01', '<', '>',  '&', '|', '#'};
    size_t failed = 0, answered = 0;
    for (uint32_t seed = 101; seed <= 110; ++seed) {
        Generator gen(seed);
        for (int step = 0; step < 300; ++step) {
            std::string text = gen.Text(gen.Program());
            for (uint32_t edits = 1 + gen.Below(3); edits > 0 && !text.empty(); --edits) {
                const size_t at = gen.Below(static_cast<uint32_t>(text.size()));
                const size_t length =
                    1 + gen.Below(static_cast<uint32_t>(std::min<size_t>(8, text.size() - at)));
                switch (gen.Below(4)) {
                case 0:
                    text.erase(at, length);
                    break;
                case 1:
                    text.insert(at, text.substr(at, length));
                    break;
                case 2:
                    text.insert(text.begin() + static_cast<std::ptrdiff_t>(at),
                                kInserted[gen.Below(sizeof kInserted)]);
                    break;
                default:
                    text.resize(at);
                    break;
                }
            }
            const std::string where =
                "seed " + std::to_string(seed) + ", step " + std::to_string(step) + ": " + Shown(text);
            Value value;
            const STATUS s = FormulaTest::Run(text, &note_, &value);
            if (s == NOERROR) {
                ++answered;
                EXPECT_TRUE(value.WithinBounds()) << where;
            } else {
                ++failed;
                ASSERT_TRUE((s >= ERR_FORMULA_SYNTAX && s <= ERR_FORMULA_BAD_VALUE) || s == ERR_TIME_SPECIAL)
                    << where << ": " << s;
                ASSERT_NE(formula::LastErrorText().find("(line "), std::string::npos) << where;
            }
            std::vector<uint8_t> bytes;
            bool matches = false;
            const STATUS t = ThroughTheLibrary(text, &bytes, &matches);
            if (t == NOERROR) {
                ASSERT_GE(bytes.size(), 2u) << where;
            } else {
                char buf[512];
                ASSERT_GT(LoadFormulaErrorText(buf, sizeof buf), 0) << where;
            }
        }
    }
    EXPECT_GT(failed, 500u);
    EXPECT_GT(answered, 250u);
}

} // namespace
} // namespace nnotes::testing
