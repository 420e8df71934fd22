#include "field_evaluation.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace word {
namespace {

std::string EvaluateText(const FieldText& text, const MergeState& state) {
    std::string out;
    for (const FieldText::Part& part : text.parts)
        out += part.field ? Evaluate(*part.field, state) : part.literal;
    return out;
}

std::string Argument(const MergeField& field, size_t index, const MergeState& state) {
    return index < field.arguments.size() ? EvaluateText(field.arguments[index], state) : "";
}

// Matches text against a pattern in which * stands for any text and ? for any one character (byte).
bool Matches(std::string_view text, std::string_view pattern) {
    size_t t = 0, p = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<double> ReadNumber(std::string_view text) {
    text = Trim(text);
    std::string digits;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        if (text[i++] == '-') digits += '-';
    size_t integerDigits = 0, group = 0;
    bool grouped = false;
    for (; i < text.size() && text[i] != '.'; ++i) {
        char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
            ++integerDigits;
            ++group;
        } else if (c == ',' && integerDigits > 0 && (!grouped || group == 3)) {
            grouped = true;
            group = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && group != 3) return std::nullopt;
    size_t fractionDigits = 0;
    if (i < text.size()) {
        digits += text[i++];
        for (; i < text.size(); ++i, ++fractionDigits) {
            if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
            digits += text[i];
        }
    }
    if (integerDigits + fractionDigits == 0) return std::nullopt;
    // The C locale's digits whatever the program's locale (a desktop's toolkit sets the user's): strtod
    // would stop at the point where the locale has a decimal comma.
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

bool Holds(const MergeField& field, const MergeState& state) {
    std::string left = Argument(field, 0, state);
    if (field.comparison.empty()) {
        std::optional<double> number = ReadNumber(left);
        return number ? *number != 0 : !Trim(left).empty();
    }
    std::string right = Argument(field, 1, state);
    const std::string& op = field.comparison;
    std::optional<double> a = ReadNumber(left), b = ReadNumber(right);
    int order = 0;
    if (a && b) {
        order = *a < *b ? -1 : *a > *b ? 1 : 0;
    } else if (op == "=" || op == "<>") {
        return Matches(left, right) == (op == "=");
    } else {
        int compared = left.compare(right);
        order = compared < 0 ? -1 : compared > 0 ? 1 : 0;
    }
    if (op == "=") return order == 0;
    if (op == "<>") return order != 0;
    if (op == "<") return order < 0;
    if (op == "<=") return order <= 0;
    if (op == ">") return order > 0;
    return order >= 0;
}

std::string Evaluate(const MergeField& field, const MergeState& state) {
    switch (field.kind) {
    case MergeField::Kind::Value: {
        std::string_view value;
        if (state.record < state.data.RecordCount())
            value = state.data.Value(state.record, state.columns.at(field.nameIndex));
        return field.Apply(value);
    }
    case MergeField::Kind::If: {
        size_t texts = field.comparison.empty() ? 1 : 2; // after the expression, or the two operands
        return field.Apply(Argument(field, texts + (Holds(field, state) ? 0 : 1), state));
    }
    case MergeField::Kind::RecordNumber:
        return field.Apply(std::to_string(state.record + 1));
    case MergeField::Kind::SequenceNumber:
        return field.Apply(std::to_string(state.sequence));
    case MergeField::Kind::Result:
        return field.result;
    default:
        return "";
    }
}

} // namespace word
