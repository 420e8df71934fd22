// Text operations of formulas.
#include "formula/formula_text.h"

#include <algorithm>
#include <cmath>

namespace nnotes::formula {
namespace {

uint16_t Length16(const std::string& s) {
    return static_cast<uint16_t>(s.size());
}

STATUS Translate(uint16_t mode, const char* in, size_t length, std::string* out) {
    // Three times the input always suffices; a result beyond 16 bits could not be stored anyway.
    std::string buf(std::min<size_t>(3 * length, kMaxText), '\0');
    uint16_t written = 0;
    const STATUS s = TranslateText(mode, in, static_cast<uint16_t>(length), buf.data(),
                                   static_cast<uint16_t>(buf.size()), &written);
    if (ERR(s) == ERR_NLS_BUFFER_TOO_SMALL) return ERR_FORMULA_RESULT_TOO_LARGE;
    if (s != NOERROR) return s;
    out->append(buf.data(), written);
    return NOERROR;
}

// Proper case upper-cases the first character of every word (a word follows white space) and lower-cases the
// rest, one character at a time.
STATUS ProperCase(const std::string& in, std::string* out) {
    const NLSInfo* info = nullptr;
    STATUS s = GetNLSInfo(&info);
    if (s != NOERROR) return s;
    const char* p = in.data();
    const char* end = p + in.size();
    bool wordStart = true;
    while (p < end) {
        const char* ch = p;
        uint16_t stepped = 0;
        s = NLSStepCharacter(&p, static_cast<uint16_t>(end - p), &stepped, info);
        if (s != NOERROR) return s;
        s = Translate(wordStart ? TRANSLATE_UPPER_CASE : TRANSLATE_FOLD_CASE, ch, stepped, out);
        if (s != NOERROR) return s;
        wordStart = NLSCharacterIsOfClass(ch, stepped, NLS_CLASS_SPACE, info) == NOERROR;
    }
    return out->size() > kMaxText ? ERR_FORMULA_RESULT_TOO_LARGE : NOERROR;
}

// Whole characters only, however large or fractional the count.
uint16_t CharCount(double count) {
    if (!(count > 0)) return 0;
    return static_cast<uint16_t>(std::min(std::floor(count), static_cast<double>(kMaxText)));
}

STATUS TakeChars(const std::string& in, double count, bool fromLeft, std::string* out) {
    if (in.size() > kMaxText) return ERR_FORMULA_RESULT_TOO_LARGE;
    const NLSInfo* info = nullptr;
    STATUS s = GetNLSInfo(&info);
    if (s != NOERROR) return s;
    uint16_t chars = 0;
    s = NLSStringChars(in.data(), Length16(in), &chars, info);
    if (s != NOERROR) return s;
    const uint16_t take = std::min(CharCount(count), chars);
    const uint16_t skip = fromLeft ? 0 : static_cast<uint16_t>(chars - take);
    uint16_t from = 0, to = 0;
    s = NLSStringBytes(in.data(), Length16(in), skip, &from, info);
    if (s == NOERROR)
        s = NLSStringBytes(in.data(), Length16(in), static_cast<uint16_t>(skip + take), &to, info);
    if (s != NOERROR) return s;
    *out = in.substr(from, to - from);
    return NOERROR;
}

} // namespace

STATUS MapCase(const std::string& in, CaseMapping mapping, std::string* out) {
    out->clear();
    if (in.size() > kMaxText) return ERR_FORMULA_RESULT_TOO_LARGE;
    if (in.empty()) return NOERROR;
    switch (mapping) {
    case CaseMapping::Upper:
        return Translate(TRANSLATE_UPPER_CASE, in.data(), in.size(), out);
    case CaseMapping::Lower:
        return Translate(TRANSLATE_FOLD_CASE, in.data(), in.size(), out);
    case CaseMapping::Proper:
        break;
    }
    return ProperCase(in, out);
}

STATUS CompareTexts(const std::string& a, const std::string& b, int* result) {
    if (a.size() > kMaxText || b.size() > kMaxText) return ERR_FORMULA_RESULT_TOO_LARGE;
    return CompareText(a.data(), Length16(a), b.data(), Length16(b), COMPARE_IGNORE_CASE, result);
}

STATUS LeftChars(const std::string& in, double count, std::string* out) {
    return TakeChars(in, count, true, out);
}

STATUS RightChars(const std::string& in, double count, std::string* out) {
    return TakeChars(in, count, false, out);
}

std::string TrimSpaces(const std::string& in) {
    std::string out;
    bool pendingSpace = false;
    for (char c : in) {
        if (c == ' ') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out.push_back(' ');
        pendingSpace = false;
        out.push_back(c);
    }
    return out;
}

} // namespace nnotes::formula
