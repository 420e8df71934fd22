// A started library, a document made up in memory, and short ways to run a formula against it.
#pragma once

#include "formula/formula_engine.h"
#include "formula/formula_error.h"
#include "nnotes/formula.h"
#include "nnotes/memblock.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace nnotes::testing {

using formula::Value;
using formula::ValueType;

class FakeNote : public formula::FormulaNote {
public:
    STATUS GetItem(std::string_view name, Value* value) const override {
        const auto it = items.find(formula::FoldName(name));
        if (it == items.end()) return ERR_ITEM_NOT_FOUND;
        if (it->second.status != NOERROR) return it->second.status;
        *value = it->second.value;
        return NOERROR;
    }
    STATUS IsResponse(bool* r) const override {
        *r = response;
        return NOERROR;
    }
    STATUS GetCreated(Instant* when) const override {
        *when = created;
        return NOERROR;
    }
    STATUS GetModified(Instant* when) const override {
        *when = modified;
        return NOERROR;
    }

    void Set(const std::string& name, Value v) { items[formula::FoldName(name)] = {std::move(v), NOERROR}; }
    void Fail(const std::string& name, STATUS s) { items[formula::FoldName(name)] = {Value(), s}; }

    struct Item {
        Value value;
        STATUS status;
    };
    std::map<std::string, Item> items;
    bool response = false;
    Instant created{};
    Instant modified{};
};

class FormulaTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitProcess(0, nullptr), NOERROR); }
    void TearDown() override { TermProcess(); }

    // Compiles and evaluates text as the library does, against note (null: without a document).
    STATUS Run(std::string_view text, const formula::FormulaNote* note, Value* value,
               bool* selected = nullptr) {
        std::vector<uint8_t> compiled;
        STATUS s = formula::Compile(text, &compiled);
        if (s != NOERROR) return s;
        formula::Program program;
        s = formula::LoadCompiled(compiled.data(), compiled.size(), &program);
        if (s != NOERROR) return s;
        formula::Outcome outcome;
        s = formula::Evaluate(program, note, &outcome);
        if (s != NOERROR) return s;
        *value = outcome.value;
        if (selected != nullptr) *selected = outcome.selected;
        return NOERROR;
    }

    // The value of a formula that must succeed against note_.
    Value Eval(std::string_view text) {
        Value v;
        const STATUS s = Run(text, &note_, &v);
        EXPECT_EQ(s, NOERROR) << text << ": " << formula::LastErrorText();
        return v;
    }

    std::vector<std::string> Texts(std::string_view text) {
        const Value v = Eval(text);
        EXPECT_EQ(v.type(), ValueType::Text) << text;
        return v.texts();
    }

    std::vector<double> Numbers(std::string_view text) {
        const Value v = Eval(text);
        EXPECT_EQ(v.type(), ValueType::Number) << text;
        return v.numbers();
    }

    double Number(std::string_view text) {
        const auto n = Numbers(text);
        EXPECT_EQ(n.size(), 1u) << text;
        return n.empty() ? -1 : n[0];
    }

    std::string Text(std::string_view text) {
        const auto t = Texts(text);
        EXPECT_EQ(t.size(), 1u) << text;
        return t.empty() ? "?" : t[0];
    }

    // The status of a formula that must fail against note_.
    STATUS Status(std::string_view text) {
        Value v;
        return Run(text, &note_, &v);
    }

    FakeNote note_;
};

// Compiles text, then evaluates it through the library's calls (CompileFormula, ComputeStart,
// ComputeEvaluate) against note (NULLHANDLE: without a document); the result block lands in bytes.
inline STATUS EvaluateThroughTheCalls(const std::string& text, NOTEHANDLE note, std::vector<uint8_t>* bytes,
                                      bool* matches = nullptr) {
    DHANDLE compiled = NULLHANDLE;
    uint16_t length = 0;
    STATUS s = CompileFormula(text.data(), static_cast<uint16_t>(text.size()), &compiled, &length);
    if (s != NOERROR) return s;
    HCOMPUTE compute = 0;
    s = ComputeStart(LockBlock(compiled), length, &compute);
    UnlockBlock(compiled);
    FreeBlock(compiled);
    if (s != NOERROR) return s;
    DHANDLE result = NULLHANDLE;
    uint32_t resultLength = 0;
    s = ComputeEvaluate(compute, note, &result, &resultLength, matches);
    EXPECT_EQ(ComputeStop(compute), NOERROR);
    if (s != NOERROR) return s;
    const auto* p = static_cast<const uint8_t*>(LockBlock(result));
    bytes->assign(p, p + resultLength);
    UnlockBlock(result);
    FreeBlock(result);
    return NOERROR;
}

} // namespace nnotes::testing
