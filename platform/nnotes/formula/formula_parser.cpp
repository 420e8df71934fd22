// The formula parser. Precedence, loosest first: & and |; !; comparisons; + and -; * and /; unary + and -;
// the list operator ":".
#include "formula/formula_catalog.h"
#include "formula/formula_lexer.h"
#include "formula/formula_syntax.h"

namespace nnotes::formula {
namespace {

using Kind = Token::Kind;

enum class Level { Logic, Comparison, Additive, Multiplicative };

struct BinaryOperator {
    Level level;
    Kind token;
    Op op;
};

constexpr BinaryOperator kBinaryOperators[] = {
    {Level::Logic, Kind::Ampersand, Op::And},
    {Level::Logic, Kind::Bar, Op::Or},
    {Level::Comparison, Kind::Equal, Op::Equal},
    {Level::Comparison, Kind::NotEqual, Op::NotEqual},
    {Level::Comparison, Kind::Less, Op::Less},
    {Level::Comparison, Kind::Greater, Op::Greater},
    {Level::Comparison, Kind::LessEqual, Op::LessEqual},
    {Level::Comparison, Kind::GreaterEqual, Op::GreaterEqual},
    {Level::Additive, Kind::Plus, Op::Add},
    {Level::Additive, Kind::Minus, Op::Subtract},
    {Level::Multiplicative, Kind::Star, Op::Multiply},
    {Level::Multiplicative, Kind::Slash, Op::Divide},
};

bool BinaryOp(Level level, Kind token, Op* op) {
    for (const auto& b : kBinaryOperators) {
        if (b.level == level && b.token == token) {
            *op = b.op;
            return true;
        }
    }
    return false;
}

// Deep enough for any formula written by hand, shallow enough that evaluation cannot exhaust the stack.
constexpr int kMaxDepth = 100;

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : t_(tokens) {}

    bool Run(std::vector<Statement>* statements) {
        while (Peek().kind != Kind::End) {
            Statement st;
            if (!ParseStatement(&st)) return false;
            statements->push_back(std::move(st));
            if (Peek().kind == Kind::Semicolon) {
                ++pos_;
                continue;
            }
            if (Peek().kind != Kind::End)
                return Fail(ERR_FORMULA_SYNTAX, Peek(), "Missing operator or ';' before");
        }
        if (statements->empty() || statements->back().kind == Statement::Kind::Assign)
            return Fail(ERR_FORMULA_NO_MAIN, Peek().offset, "No main or selection expression in formula");
        return true;
    }

    const Error& error() const { return err_; }

private:
    bool ParseStatement(Statement* st) {
        const Token& first = Peek();
        if (first.kind == Kind::Name && FoldName(first.text) == "select") {
            ++pos_;
            st->kind = Statement::Kind::Select;
            return ParseExpression(&st->expression);
        }
        if (first.kind == Kind::Name && t_[pos_ + 1].kind == Kind::Assign) {
            pos_ += 2;
            st->kind = Statement::Kind::Assign;
            st->variable = FoldName(first.text);
            return ParseExpression(&st->expression);
        }
        return ParseExpression(&st->expression);
    }

    bool ParseExpression(Node* n) {
        if (++depth_ > kMaxDepth)
            return Fail(ERR_FORMULA_TOO_COMPLEX, Peek(), "Formula is nested too deeply at");
        const bool ok = ParseLogic(n);
        --depth_;
        return ok;
    }

    bool ParseLogic(Node* n) { return ParseChain(n, Level::Logic, &Parser::ParseNot); }

    bool ParseNot(Node* n) {
        if (Peek().kind != Kind::Bang) return ParseComparison(n);
        return ParseUnary(n, Node::Kind::Not, &Parser::ParseNot);
    }

    bool ParseComparison(Node* n) { return ParseChain(n, Level::Comparison, &Parser::ParseAdditive); }
    bool ParseAdditive(Node* n) { return ParseChain(n, Level::Additive, &Parser::ParseMultiplicative); }
    bool ParseMultiplicative(Node* n) { return ParseChain(n, Level::Multiplicative, &Parser::ParseSigned); }

    // A sign applies to the whole list that follows it: -1:2 is -1:-2.
    bool ParseSigned(Node* n) { return ParseSign(n, &Parser::ParseSigned, &Parser::ParseList); }

    bool ParseList(Node* n) {
        Node first;
        if (!ParseElement(&first)) return false;
        if (Peek().kind != Kind::Colon) {
            *n = std::move(first);
            return true;
        }
        n->kind = Node::Kind::List;
        n->offset = first.offset;
        n->operands.push_back(std::move(first));
        while (Peek().kind == Kind::Colon) {
            ++pos_;
            Node next;
            if (!ParseElement(&next)) return false;
            n->operands.push_back(std::move(next));
        }
        return true;
    }

    // After ":" a sign belongs to the one element it precedes: 1:-2.
    bool ParseElement(Node* n) { return ParseSign(n, &Parser::ParseElement, &Parser::ParsePrimary); }

    bool ParseSign(Node* n, bool (Parser::*self)(Node*), bool (Parser::*next)(Node*)) {
        if (Peek().kind == Kind::Minus) return ParseUnary(n, Node::Kind::Negate, self);
        if (Peek().kind == Kind::Plus) return ParseUnary(n, Node::Kind::Plus, self);
        return (this->*next)(n);
    }

    bool ParseUnary(Node* n, Node::Kind kind, bool (Parser::*operand)(Node*)) {
        n->kind = kind;
        n->offset = Peek().offset;
        ++pos_;
        if (++depth_ > kMaxDepth)
            return Fail(ERR_FORMULA_TOO_COMPLEX, Peek(), "Formula is nested too deeply at");
        n->operands.emplace_back();
        const bool ok = (this->*operand)(&n->operands.back());
        --depth_;
        return ok;
    }

    // A run of binary operators of one level, kept flat.
    bool ParseChain(Node* n, Level level, bool (Parser::*operand)(Node*)) {
        Node first;
        if (!(this->*operand)(&first)) return false;
        Op op;
        if (!BinaryOp(level, Peek().kind, &op)) {
            *n = std::move(first);
            return true;
        }
        n->kind = Node::Kind::Chain;
        n->offset = first.offset;
        n->operands.push_back(std::move(first));
        while (BinaryOp(level, Peek().kind, &op)) {
            n->ops.push_back(op);
            n->opOffsets.push_back(Peek().offset);
            ++pos_;
            Node next;
            if (!(this->*operand)(&next)) return false;
            n->operands.push_back(std::move(next));
        }
        return true;
    }

    bool ParsePrimary(Node* n) {
        const Token& tok = Peek();
        n->offset = tok.offset;
        switch (tok.kind) {
        case Kind::Number:
            n->literal = Value::Number(tok.number);
            ++pos_;
            return true;
        case Kind::Text:
            n->literal = Value::Text(tok.text);
            ++pos_;
            return true;
        case Kind::Name:
            if (FoldName(tok.text) == "select")
                return Fail(ERR_FORMULA_SYNTAX, tok, "SELECT must begin a statement, found");
            n->kind = Node::Kind::Name;
            n->name = tok.text;
            ++pos_;
            return true;
        case Kind::Function:
            return ParseCall(n);
        case Kind::LeftParen: {
            ++pos_;
            if (!ParseExpression(n)) return false;
            return Expect(Kind::RightParen, "Missing ')' before");
        }
        default:
            return Fail(ERR_FORMULA_SYNTAX, tok, "Missing operand before");
        }
    }

    bool ParseCall(Node* n) {
        const Token& tok = Peek();
        const FunctionInfo* info = FindFunction(tok.text);
        if (info == nullptr)
            return Fail(ERR_FORMULA_UNKNOWN_FUNCTION, tok.offset, "Unknown @function " + tok.text);
        ++pos_;
        n->kind = Node::Kind::Call;
        n->function = info->id;
        n->name = std::string(info->name);
        if (Peek().kind == Kind::LeftParen) {
            ++pos_;
            if (Peek().kind != Kind::RightParen) {
                do {
                    n->operands.emplace_back();
                    if (!ParseExpression(&n->operands.back())) return false;
                } while (Accept(Kind::Semicolon));
            }
            if (!Expect(Kind::RightParen, "Missing ')' or ';' before")) return false;
        }
        return CheckArguments(*info, n->operands.size(), tok.offset);
    }

    bool CheckArguments(const FunctionInfo& info, size_t count, size_t offset) {
        // Clamped only for comparing with the table's bounds; the parity is the count's own.
        const auto n = static_cast<int>(count < 1000 ? count : 1000);
        if (info.id == Function::If && (count < 3 || count % 2 == 0))
            return Fail(ERR_FORMULA_ARGUMENT_COUNT, offset,
                        "@If needs an odd number of arguments, at least 3, but has " + std::to_string(count));
        if (n >= info.minArgs && (info.maxArgs < 0 || n <= info.maxArgs)) return true;
        std::string wanted = std::to_string(info.minArgs);
        if (info.maxArgs != info.minArgs) wanted += " or " + std::to_string(info.maxArgs);
        return Fail(ERR_FORMULA_ARGUMENT_COUNT, offset,
                    std::string(info.name) + " takes " + wanted + " argument(s), not " +
                        std::to_string(count));
    }

    bool Accept(Kind kind) {
        if (Peek().kind != kind) return false;
        ++pos_;
        return true;
    }

    bool Expect(Kind kind, const char* what) {
        if (Accept(kind)) return true;
        return Fail(ERR_FORMULA_SYNTAX, Peek(), what);
    }

    const Token& Peek() const { return t_[pos_]; }

    // Names the token found, so that the text says what stands where something else was expected.
    bool Fail(STATUS status, const Token& at, const std::string& what) {
        const std::string shown = at.kind == Kind::End ? "the end of the formula" : "'" + Shown(at) + "'";
        return Fail(status, at.offset, what + " " + shown);
    }

    bool Fail(STATUS status, size_t offset, std::string detail) {
        err_ = Error{status, offset, std::move(detail)};
        return false;
    }

    static std::string Shown(const Token& t) { return t.kind == Kind::Text ? "\"" + t.text + "\"" : t.text; }

    const std::vector<Token>& t_;
    size_t pos_ = 0;
    int depth_ = 0;
    Error err_;
};

} // namespace

std::string FoldName(std::string_view name) {
    std::string s(name);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

STATUS Parse(std::string source, Program* program) {
    program->statements.clear();
    std::vector<Token> tokens;
    Error err;
    if (!Tokenize(source, &tokens, &err)) return Report(err, source);
    Parser parser(tokens);
    std::vector<Statement> statements;
    if (!parser.Run(&statements)) return Report(parser.error(), source);
    program->source = std::move(source);
    program->statements = std::move(statements);
    return NOERROR;
}

} // namespace nnotes::formula
