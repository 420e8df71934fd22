#include "fulltext/ft_query.h"
#include "util/text.h"

#include <cstring>
#include <vector>

namespace nnotes::fulltext {
namespace {

// Every document holds the word "u" in column "every"; NOT takes its documents from there.
constexpr const char* kEveryDocument = "{every} : \"u\"";

enum class Kind { Word, Prefix, Phrase, And, Or, Not, Open, Close, End };

struct Token {
    Kind kind;
    std::string text;
};

bool Separates(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '(' || c == ')' || c == '"';
}

bool IsOperator(std::string_view word, const char* name) {
    return util::EqualsNoCase(word, name);
}

STATUS Tokenise(std::string_view q, std::vector<Token>& out) {
    size_t i = 0;
    while (i < q.size()) {
        const char c = q[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else if (c == '(' || c == ')') {
            out.push_back({c == '(' ? Kind::Open : Kind::Close, {}});
            ++i;
        } else if (c == '"') {
            const size_t end = q.find('"', i + 1);
            if (end == std::string_view::npos) return ERR_FT_QUERY;
            out.push_back({Kind::Phrase, std::string(q.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else {
            size_t end = i;
            while (end < q.size() && !Separates(q[end]))
                ++end;
            std::string_view word = q.substr(i, end - i);
            i = end;
            if (IsOperator(word, "AND")) {
                out.push_back({Kind::And, {}});
            } else if (IsOperator(word, "OR")) {
                out.push_back({Kind::Or, {}});
            } else if (IsOperator(word, "NOT")) {
                out.push_back({Kind::Not, {}});
            } else {
                const bool prefix = word.back() == '*';
                if (prefix) word.remove_suffix(1);
                if (word.empty() || word.find('*') != std::string_view::npos) return ERR_FT_QUERY;
                out.push_back({prefix ? Kind::Prefix : Kind::Word, std::string(word)});
            }
        }
    }
    out.push_back({Kind::End, {}});
    return NOERROR;
}

// Parentheses and NOTs nest no deeper than this: each level is a step of the descent below, so a query of
// thousands of them would take the stack with it.
constexpr int kMaxNesting = 64;

// Recursive descent over the tokens: or := and {OR and}; and := not {[AND] not}; not := NOT not | primary;
// primary := ( or ) | word | prefix | phrase. Each rule gives a parenthesised FTS5 expression.
class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    STATUS Whole(std::string& out) {
        if (STATUS s = Or(out)) return s;
        return Peek() == Kind::End ? NOERROR : ERR_FT_QUERY;
    }

private:
    Kind Peek() const { return tokens_[at_].kind; }

    STATUS Or(std::string& out) {
        if (STATUS s = And(out)) return s;
        while (Peek() == Kind::Or) {
            ++at_;
            std::string right;
            if (STATUS s = And(right)) return s;
            out = "(" + out + " OR " + right + ")";
        }
        return NOERROR;
    }

    STATUS And(std::string& out) {
        if (STATUS s = Not(out)) return s;
        for (;;) {
            const Kind k = Peek();
            if (k == Kind::And)
                ++at_;
            else if (k == Kind::Or || k == Kind::Close || k == Kind::End)
                return NOERROR;
            std::string right;
            if (STATUS s = Not(right)) return s;
            out = "(" + out + " AND " + right + ")";
        }
    }

    STATUS Not(std::string& out) {
        if (Peek() != Kind::Not) return Primary(out);
        ++at_;
        std::string operand;
        if (STATUS s = Nested([&] { return Not(operand); })) return s;
        out = std::string("(") + kEveryDocument + " NOT " + operand + ")";
        return NOERROR;
    }

    // One level deeper for rule, refused past kMaxNesting.
    template <class Rule>
    STATUS Nested(Rule&& rule) {
        if (depth_ == kMaxNesting) return ERR_FT_QUERY;
        ++depth_;
        const STATUS s = rule();
        --depth_;
        return s;
    }

    STATUS Primary(std::string& out) {
        const Token& t = tokens_[at_];
        switch (t.kind) {
        case Kind::Open:
            ++at_;
            if (STATUS s = Nested([&] { return Or(out); })) return s;
            if (Peek() != Kind::Close) return ERR_FT_QUERY;
            ++at_;
            return NOERROR;
        case Kind::Word:
        case Kind::Phrase:
        case Kind::Prefix:
            if (t.text.find_first_not_of(" \t\r\n") == std::string::npos) return ERR_FT_QUERY;
            // Words and phrases never hold a double quote: it ends them.
            out = "({body} : \"" + t.text + "\"" + (t.kind == Kind::Prefix ? " *)" : ")");
            ++at_;
            return NOERROR;
        default:
            return ERR_FT_QUERY;
        }
    }

    std::vector<Token> tokens_;
    size_t at_ = 0;
    int depth_ = 0;
};

} // namespace

STATUS TranslateQuery(std::string_view query, std::string& match) {
    std::vector<Token> tokens;
    if (STATUS s = Tokenise(query, tokens)) return s;
    return Parser(std::move(tokens)).Whole(match);
}

} // namespace nnotes::fulltext
