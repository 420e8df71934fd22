// The formula tokenizer.
#include "formula/formula_lexer.h"

#include <charconv>
#include <cmath>

namespace nnotes::formula {
namespace {

using Kind = Token::Kind;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Item names may carry letters of any script, so every byte of a multi-byte character counts as a letter.
bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c);
}

// A line feed of stored Notes text is a NUL byte.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

class Lexer {
public:
    Lexer(std::string_view s, std::vector<Token>* out, Error* err) : s_(s), out_(out), err_(err) {}

    bool Run() {
        while (true) {
            while (pos_ < s_.size() && IsSpace(s_[pos_]))
                ++pos_;
            if (pos_ == s_.size()) {
                Emit(Kind::End, pos_, 0);
                return true;
            }
            if (!Next()) return false;
        }
    }

private:
    bool Next() {
        const char c = s_[pos_];
        if (IsDigit(c) || (c == '.' && pos_ + 1 < s_.size() && IsDigit(s_[pos_ + 1]))) return NumberToken();
        if (IsNameStart(c)) {
            const size_t start = pos_;
            while (pos_ < s_.size() && IsNameChar(s_[pos_]))
                ++pos_;
            Emit(Kind::Name, start, pos_ - start).text = std::string(s_.substr(start, pos_ - start));
            return true;
        }
        if (c == '@') return FunctionToken();
        if (c == '"') return TextToken();
        return Punctuation();
    }

    bool NumberToken() {
        const size_t start = pos_;
        while (pos_ < s_.size() && IsDigit(s_[pos_]))
            ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            while (pos_ < s_.size() && IsDigit(s_[pos_]))
                ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            size_t p = pos_ + 1;
            if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
            if (p < s_.size() && IsDigit(s_[p])) {
                while (p < s_.size() && IsDigit(s_[p]))
                    ++p;
                pos_ = p;
            }
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + pos_, value);
        if (ec != std::errc() || end != s_.data() + pos_ || !std::isfinite(value))
            return Fail(ERR_FORMULA_SYNTAX, start, "Number constant is out of range");
        Token& t = Emit(Kind::Number, start, pos_ - start);
        t.number = value;
        t.text = std::string(s_.substr(start, pos_ - start));
        return true;
    }

    bool FunctionToken() {
        const size_t start = pos_++;
        if (pos_ == s_.size() || !IsNameStart(s_[pos_]))
            return Fail(ERR_FORMULA_SYNTAX, start, "An @ must be followed by the name of an @function");
        while (pos_ < s_.size() && IsNameChar(s_[pos_]))
            ++pos_;
        Emit(Kind::Function, start, pos_ - start).text = std::string(s_.substr(start, pos_ - start));
        return true;
    }

    // A backslash takes the next character as it is, so that quotes and backslashes can be written.
    bool TextToken() {
        const size_t start = pos_++;
        std::string text;
        while (pos_ < s_.size() && s_[pos_] != '"') {
            if (s_[pos_] == '\\' && pos_ + 1 < s_.size()) ++pos_;
            text.push_back(s_[pos_] == '\0' ? '\n' : s_[pos_]);
            ++pos_;
        }
        if (pos_ == s_.size())
            return Fail(ERR_FORMULA_UNTERMINATED, start, "Text constant has no closing quote");
        ++pos_;
        Emit(Kind::Text, start, pos_ - start).text = std::move(text);
        return true;
    }

    bool Punctuation() {
        // "*" glued to another operator is a permuted operator of other formula languages (each entry of one
        // list with each of the other). Read as two operators it would compute something else unseen.
        static constexpr std::string_view kPermuted[] = {"*<>", "*<=", "*>=", "*!=", "*+", "*-",
                                                         "**",  "*/",  "*=",  "*<",  "*>"};
        for (const std::string_view op : kPermuted)
            if (s_.substr(pos_, op.size()) == op)
                return Fail(ERR_FORMULA_SYNTAX, pos_,
                            "Unknown operator '" + std::string(op) +
                                "': permuted operators are not supported");
        struct Symbol {
            std::string_view text;
            Kind kind;
        };
        // Longer symbols first, so that ":=" is not read as ":".
        static constexpr Symbol kSymbols[] = {
            {":=", Kind::Assign},    {"!=", Kind::NotEqual},     {"<>", Kind::NotEqual},
            {"<=", Kind::LessEqual}, {">=", Kind::GreaterEqual}, {":", Kind::Colon},
            {";", Kind::Semicolon},  {"(", Kind::LeftParen},     {")", Kind::RightParen},
            {"+", Kind::Plus},       {"-", Kind::Minus},         {"*", Kind::Star},
            {"/", Kind::Slash},      {"=", Kind::Equal},         {"<", Kind::Less},
            {">", Kind::Greater},    {"&", Kind::Ampersand},     {"|", Kind::Bar},
            {"!", Kind::Bang},
        };
        for (const auto& sym : kSymbols) {
            if (s_.substr(pos_, sym.text.size()) == sym.text) {
                Emit(sym.kind, pos_, sym.text.size()).text = std::string(sym.text);
                pos_ += sym.text.size();
                return true;
            }
        }
        const auto code = static_cast<unsigned char>(s_[pos_]);
        if (code < 0x20)
            return Fail(ERR_FORMULA_SYNTAX, pos_, "Unexpected character code " + std::to_string(code));
        return Fail(ERR_FORMULA_SYNTAX, pos_, "Unexpected character '" + std::string(1, s_[pos_]) + "'");
    }

    Token& Emit(Kind kind, size_t offset, size_t length) {
        Token t;
        t.kind = kind;
        t.offset = offset;
        t.length = length;
        out_->push_back(std::move(t));
        return out_->back();
    }

    bool Fail(STATUS status, size_t offset, std::string detail) {
        *err_ = Error{status, offset, std::move(detail)};
        return false;
    }

    std::string_view s_;
    std::vector<Token>* out_;
    Error* err_;
    size_t pos_ = 0;
};

} // namespace

bool Tokenize(std::string_view source, std::vector<Token>* tokens, Error* err) {
    tokens->clear();
    return Lexer(source, tokens, err).Run();
}

} // namespace nnotes::formula
