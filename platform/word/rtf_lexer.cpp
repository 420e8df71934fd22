#include "rtf_lexer.h"

#include "word/word.h"

#include <cctype>
#include <string>

namespace word {
namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Malformed(const std::string& what, size_t offset) {
    throw AutomationError("The RTF text is malformed: " + what + " at offset " + std::to_string(offset));
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : src_(source) {}

    RtfTokens Run() {
        if (src_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3; // a byte-order mark some programs write
        while (pos_ < src_.size() && std::isspace(static_cast<unsigned char>(src_[pos_])))
            ++pos_;
        if (src_.substr(pos_, 5) != "{\\rtf")
            throw AutomationError("The file is not RTF: it does not start with {\\rtf");
        std::vector<size_t> open;
        while (pos_ < src_.size()) {
            char c = src_[pos_];
            if (c == '{') {
                open.push_back(out_.tokens.size());
                Add(RtfToken::Kind::GroupStart, pos_, 1);
                ++pos_;
            } else if (c == '}') {
                if (open.empty()) Malformed("unmatched }", pos_);
                out_.groupEnd[open.back()] = out_.tokens.size();
                open.pop_back();
                Add(RtfToken::Kind::GroupEnd, pos_, 1);
                ++pos_;
                if (open.empty()) return std::move(out_);
            } else if (c == '\\') {
                Control();
            } else {
                size_t start = pos_;
                while (pos_ < src_.size() && src_[pos_] != '\\' && src_[pos_] != '{' && src_[pos_] != '}')
                    ++pos_;
                Add(RtfToken::Kind::Text, start, pos_ - start);
            }
        }
        Malformed("unclosed group", src_.size());
    }

private:
    RtfToken& Add(RtfToken::Kind kind, size_t offset, size_t length) {
        out_.tokens.push_back({kind, offset, length, {}});
        out_.groupEnd.push_back(0);
        return out_.tokens.back();
    }

    void Control() {
        size_t start = pos_++;
        if (pos_ >= src_.size()) Malformed("backslash at the end", start);
        if (!IsLetter(src_[pos_])) {
            ControlSymbol(start);
            return;
        }
        size_t nameStart = pos_;
        while (pos_ < src_.size() && IsLetter(src_[pos_]))
            ++pos_;
        if (pos_ - nameStart > 32) Malformed("overlong control word", start);
        std::string_view name = src_.substr(nameStart, pos_ - nameStart);
        bool negative = pos_ < src_.size() && src_[pos_] == '-';
        if (negative) ++pos_;
        size_t digitsStart = pos_;
        long long value = 0;
        while (pos_ < src_.size() && IsDigit(src_[pos_])) {
            if (pos_ - digitsStart >= 10) Malformed("overlong number", start);
            value = value * 10 + (src_[pos_++] - '0');
        }
        bool hasParameter = pos_ > digitsStart;
        if (negative && !hasParameter) Malformed("minus sign without a number", start);
        if (negative) value = -value;
        if (value > INT32_MAX || value < INT32_MIN) Malformed("number out of range", start);
        if (pos_ < src_.size() && src_[pos_] == ' ') ++pos_;
        RtfToken& token = Add(RtfToken::Kind::ControlWord, start, pos_ - start);
        token.name = name;
        token.hasParameter = hasParameter;
        token.parameter = static_cast<std::int32_t>(value);
        if (name == "bin" && hasParameter) Binary(start, value);
    }

    void ControlSymbol(size_t start) {
        RtfToken token{RtfToken::Kind::ControlSymbol, start, 2, src_.substr(pos_, 1)};
        if (src_[pos_] == '\'') {
            int high = pos_ + 1 < src_.size() ? HexValue(src_[pos_ + 1]) : -1;
            int low = pos_ + 2 < src_.size() ? HexValue(src_[pos_ + 2]) : -1;
            if (high < 0 || low < 0) Malformed("bad \\'hh escape", start);
            token.hasParameter = true;
            token.parameter = high * 16 + low;
            token.length = 4;
        }
        pos_ = start + token.length;
        out_.tokens.push_back(token);
        out_.groupEnd.push_back(0);
    }

    void Binary(size_t start, long long length) {
        if (length < 0 || static_cast<unsigned long long>(length) > src_.size() - pos_)
            Malformed("\\bin length past the end", start);
        Add(RtfToken::Kind::Binary, pos_, static_cast<size_t>(length));
        pos_ += static_cast<size_t>(length);
    }

    std::string_view src_;
    size_t pos_ = 0;
    RtfTokens out_;
};

} // namespace

RtfTokens TokeniseRtf(std::string_view source) {
    return Lexer(source).Run();
}

} // namespace word
