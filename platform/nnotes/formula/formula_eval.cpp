// The formula evaluator: statements in order, temporaries before fields, @If and the note's @functions.
#include "formula/formula_engine.h"
#include "formula/formula_error.h"
#include "formula/formula_functions.h"
#include "formula/formula_operators.h"

#include <unordered_map>

namespace nnotes::formula {
namespace {

constexpr size_t kMaxTemporaryBytes = 4 * kMaxValueBytes;
constexpr size_t kMaxKeptBytes = 4 * kMaxValueBytes;

class Evaluator {
public:
    Evaluator(const Program& program, const FormulaNote* note) : program_(program), note_(note) {}

    STATUS Run(Outcome* outcome) {
        bool selectRan = false;
        bool selected = false;
        Value last;
        for (const auto& st : program_.statements) {
            Value v;
            if (!Eval(st.expression, &v)) return Report(err_, program_.source);
            if (st.kind == Statement::Kind::Assign) {
                if (!Assign(st, std::move(v))) return Report(err_, program_.source);
                continue;
            }
            if (st.kind == Statement::Kind::Select) {
                std::string detail;
                if (TruthOf(v, &selected, &detail) != NOERROR)
                    return Report(Error{ERR_FORMULA_TYPE, st.expression.offset, detail}, program_.source);
                selectRan = true;
            }
            last = std::move(v);
        }
        outcome->selected = selectRan ? selected : WithoutSelect(last);
        outcome->value = std::move(last);
        return NOERROR;
    }

private:
    // Every temporary keeps its own copy, so their sum is bounded too: a formula of many assignments of one
    // large value would otherwise hold it thousands of times.
    bool Assign(const Statement& st, Value v) {
        const auto it = variables_.find(st.variable);
        const size_t replaced = it == variables_.end() ? 0 : it->second.footprint();
        const size_t held = temporaryBytes_ - replaced + v.footprint();
        if (held > kMaxTemporaryBytes)
            return Fail(ERR_FORMULA_RESULT_TOO_LARGE, st.expression.offset,
                        "Temporaries take more than " + std::to_string(kMaxTemporaryBytes >> 20) + " MB");
        temporaryBytes_ = held;
        variables_[st.variable] = std::move(v);
        return true;
    }

    // Operands computed and kept while the rest of their expression is evaluated. Their sum is bounded as the
    // temporaries' is: nested a hundred levels deep, each level would otherwise keep a value of 4 MB.
    class Kept {
    public:
        explicit Kept(Evaluator* e) : e_(e) {}
        ~Kept() { e_->keptBytes_ -= bytes_; }
        void Add(const Value& v) {
            const size_t more = v.footprint();
            bytes_ += more;
            e_->keptBytes_ += more;
        }
        Kept(const Kept&) = delete;
        Kept& operator=(const Kept&) = delete;
        bool Allowed(size_t offset) const {
            return e_->keptBytes_ <= kMaxKeptBytes ||
                   e_->Fail(ERR_FORMULA_RESULT_TOO_LARGE, offset,
                            "Values kept while the rest is evaluated take more than " +
                                std::to_string(kMaxKeptBytes >> 20) + " MB");
        }

    private:
        Evaluator* e_;
        size_t bytes_ = 0;
    };

    // A formula without SELECT selects what it finds true; a value that is no truth value selects nothing.
    static bool WithoutSelect(const Value& v) {
        bool truth = false;
        std::string ignored;
        return TruthOf(v, &truth, &ignored) == NOERROR && truth;
    }

    bool Eval(const Node& n, Value* out) {
        if (!EvalNode(n, out)) return false;
        return out->WithinBounds() || TooLarge(n.offset);
    }

    bool TooLarge(size_t offset) {
        return Fail(ERR_FORMULA_RESULT_TOO_LARGE, offset,
                    "Value has more than " + std::to_string(kMaxEntries) + " entries or " +
                        std::to_string(kMaxValueBytes >> 20) + " MB");
    }

    bool EvalNode(const Node& n, Value* out) {
        switch (n.kind) {
        case Node::Kind::Literal:
            *out = n.literal;
            return true;
        case Node::Kind::Name:
            return Name(n, out);
        case Node::Kind::Call:
            return Call(n, out);
        case Node::Kind::Chain:
            return Chain(n, out);
        case Node::Kind::List:
            return List(n, out);
        case Node::Kind::Negate:
        case Node::Kind::Plus:
        case Node::Kind::Not:
            return Unary(n, out);
        }
        return Fail(ERR_FORMULA_DAMAGED, n.offset, "Unknown expression");
    }

    bool Name(const Node& n, Value* out) {
        const auto it = variables_.find(FoldName(n.name));
        if (it != variables_.end()) {
            *out = it->second;
            return true;
        }
        if (!NeedNote(n)) return false;
        const STATUS s = note_->GetItem(n.name, out);
        if (ERR(s) == ERR_ITEM_NOT_FOUND) {
            *out = Value();
            return true;
        }
        return s == NOERROR || Fail(s, n.offset, "Field " + n.name + " cannot be read");
    }

    bool Chain(const Node& n, Value* out) {
        if (!Eval(n.operands[0], out)) return false;
        for (size_t i = 0; i < n.ops.size(); ++i) {
            Value right, result;
            {
                Kept left(this);
                left.Add(*out);
                if (!left.Allowed(n.opOffsets[i]) || !Eval(n.operands[i + 1], &right)) return false;
            }
            std::string detail;
            const STATUS s = ApplyOperator(n.ops[i], *out, right, &result, &detail);
            if (s != NOERROR) return Fail(s, n.opOffsets[i], detail);
            *out = std::move(result);
        }
        return true;
    }

    // The entries of a list are all of one type.
    bool List(const Node& n, Value* out) {
        std::vector<Value> parts(n.operands.size());
        Kept kept(this);
        size_t entries = 0, bytes = 0;
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) {
                kept.Add(parts[i - 1]);
                if (!kept.Allowed(n.operands[i].offset)) return false;
            }
            if (!Eval(n.operands[i], &parts[i])) return false;
            if (parts[i].type() != parts[0].type())
                return Fail(ERR_FORMULA_TYPE, n.operands[i].offset,
                            "A list cannot mix texts, numbers and times");
            // Checked as the parts come, so that a list of large lists never takes the memory.
            entries += parts[i].size();
            bytes += parts[i].bytes();
            if (entries > kMaxEntries || bytes > kMaxValueBytes) return TooLarge(n.offset);
        }
        switch (parts[0].type()) {
        case ValueType::Number:
            *out = Value::Numbers(Join(parts, &Value::numbers));
            break;
        case ValueType::Time:
            *out = Value::Times(Join(parts, &Value::times));
            break;
        case ValueType::Text:
            *out = Value::Texts(Join(parts, &Value::texts));
            break;
        }
        return true;
    }

    template <typename T>
    static std::vector<T> Join(const std::vector<Value>& parts,
                               const std::vector<T>& (Value::*entries)() const) {
        std::vector<T> all;
        for (const auto& p : parts)
            all.insert(all.end(), (p.*entries)().begin(), (p.*entries)().end());
        return all;
    }

    bool Unary(const Node& n, Value* out) {
        Value v;
        if (!Eval(n.operands[0], &v)) return false;
        std::string detail;
        STATUS s = NOERROR;
        if (n.kind == Node::Kind::Negate) {
            s = ApplyNegate(v, out, &detail);
        } else if (n.kind == Node::Kind::Plus) {
            if (v.type() == ValueType::Number)
                *out = std::move(v);
            else
                detail = TypeExpected(ValueType::Number), s = ERR_FORMULA_TYPE;
        } else {
            bool truth = false;
            s = TruthOf(v, &truth, &detail);
            if (s == NOERROR) *out = Value::Truth(!truth);
        }
        return s == NOERROR || Fail(s, n.offset, detail);
    }

    bool Call(const Node& n, Value* out) {
        switch (n.function) {
        case Function::If:
            return If(n, out);
        case Function::IsResponseDoc: {
            bool response = false;
            if (!NeedNote(n) || !NoteCall(n, note_->IsResponse(&response))) return false;
            *out = Value::Truth(response);
            return true;
        }
        case Function::Created:
        case Function::Modified: {
            Instant when{};
            if (!NeedNote(n)) return false;
            const STATUS s =
                n.function == Function::Created ? note_->GetCreated(&when) : note_->GetModified(&when);
            if (!NoteCall(n, s)) return false;
            *out = Value::Time(when);
            return true;
        }
        default:
            break;
        }
        std::vector<Value> args(n.operands.size());
        {
            Kept kept(this);
            for (size_t i = 0; i < args.size(); ++i) {
                if (i > 0) {
                    kept.Add(args[i - 1]);
                    if (!kept.Allowed(n.operands[i].offset)) return false;
                }
                if (!Eval(n.operands[i], &args[i])) return false;
            }
        }
        std::string detail;
        const STATUS s = CallFunction(n.function, args, out, &detail);
        return s == NOERROR || Fail(s, n.offset, n.name + ": " + (detail.empty() ? "failed" : detail));
    }

    // Only the chosen branch is evaluated.
    bool If(const Node& n, Value* out) {
        const size_t last = n.operands.size() - 1;
        for (size_t i = 0; i < last; i += 2) {
            bool truth = false;
            {
                Value condition; // gone before the branch is evaluated
                if (!Eval(n.operands[i], &condition)) return false;
                std::string detail;
                if (TruthOf(condition, &truth, &detail) != NOERROR)
                    return Fail(ERR_FORMULA_TYPE, n.operands[i].offset, "@If condition: " + detail);
            }
            if (truth) return Eval(n.operands[i + 1], out);
        }
        return Eval(n.operands[last], out);
    }

    bool NeedNote(const Node& n) {
        if (note_ != nullptr) return true;
        const std::string what = n.kind == Node::Kind::Name ? "Field " + n.name : n.name;
        return Fail(ERR_FORMULA_NEEDS_NOTE, n.offset, what + " needs a document, and there is none");
    }

    bool NoteCall(const Node& n, STATUS s) {
        return s == NOERROR || Fail(s, n.offset, n.name + " cannot read the document");
    }

    bool Fail(STATUS status, size_t offset, std::string detail) {
        err_ = Error{status, offset, std::move(detail)};
        return false;
    }

    const Program& program_;
    const FormulaNote* note_;
    std::unordered_map<std::string, Value> variables_;
    size_t temporaryBytes_ = 0;
    size_t keptBytes_ = 0;
    Error err_;
};

} // namespace

STATUS Evaluate(const Program& program, const FormulaNote* note, Outcome* outcome) {
    return Evaluator(program, note).Run(outcome);
}

} // namespace nnotes::formula
