// The parsed form of a formula: statements over expression trees. Runs of operators of one precedence
// level are kept flat, so that long chains such as a+b+c+... cost no stack depth.
#pragma once

#include "formula/formula_value.h"

#include <string>
#include <vector>

namespace nnotes::formula {

enum class Op {
    Add,
    Subtract,
    Multiply,
    Divide,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    And,
    Or
};

enum class Function {
    All,
    If,
    Text,
    Trim,
    UpperCase,
    LowerCase,
    ProperCase,
    Left,
    Right,
    Contains,
    Begins,
    Elements,
    Implode,
    IsResponseDoc,
    Created,
    Modified,
    Now,
    Today,
};

struct Node {
    enum class Kind { Literal, Name, Call, Chain, List, Negate, Plus, Not };
    Kind kind = Kind::Literal;
    size_t offset = 0;          // where the node begins in the formula text
    Value literal;              // Literal
    std::string name;           // Name: as written; Call: the @function as written
    Function function{};        // Call
    std::vector<Node> operands; // Chain, List, Call arguments; the one operand of Negate, Plus, Not
    std::vector<Op> ops;        // Chain: ops[i] joins the result so far with operands[i + 1]
    std::vector<size_t> opOffsets;
};

struct Statement {
    enum class Kind { Expression, Select, Assign };
    Kind kind = Kind::Expression;
    std::string variable; // Assign: the temporary's name, lower-cased
    Node expression;
};

struct Program {
    std::string source;
    std::vector<Statement> statements;
};

// Parses source into program; a failure is reported with its position (formula_error.h).
STATUS Parse(std::string source, Program* program);

// Lower-cases ASCII letters: names of fields, temporaries, keywords and @functions ignore case.
std::string FoldName(std::string_view name);

} // namespace nnotes::formula
