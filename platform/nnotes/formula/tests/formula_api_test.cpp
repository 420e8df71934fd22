// The library's formula operations as their callers use them: compiled blocks, computations, result blocks.
#include "formula/tests/formula_fixture.h"

#include <cstring>

namespace nnotes::testing {
namespace {

using Bytes = std::vector<uint8_t>;

class FormulaApi : public FormulaTest {
protected:
    void TearDown() override {
        for (DHANDLE h : blocks_)
            FreeBlock(h);
        FormulaTest::TearDown();
    }

    // The compiled block of text, locked for the test's life.
    const void* Compiled(std::string_view text, uint16_t* length) {
        DHANDLE h = NULLHANDLE;
        EXPECT_EQ(CompileFormula(text.data(), static_cast<uint16_t>(text.size()), &h, length), NOERROR)
            << text;
        blocks_.push_back(h);
        return LockBlock(h);
    }

    HCOMPUTE Start(std::string_view text) {
        uint16_t length = 0;
        const void* compiled = Compiled(text, &length);
        HCOMPUTE c = 0;
        EXPECT_EQ(ComputeStart(compiled, length, &c), NOERROR);
        return c;
    }

    // The result of evaluating text without a document, as bytes.
    Bytes Result(std::string_view text) {
        const HCOMPUTE c = Start(text);
        DHANDLE result = NULLHANDLE;
        uint32_t length = 0;
        EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, &result, &length, nullptr), NOERROR) << text;
        EXPECT_EQ(ComputeStop(c), NOERROR);
        Bytes bytes;
        uint32_t size = 0;
        EXPECT_EQ(GetBlockSize(result, &size), NOERROR);
        EXPECT_GE(size, length);
        const auto* p = static_cast<const uint8_t*>(LockBlock(result));
        if (p != nullptr) bytes.assign(p, p + length);
        UnlockBlock(result);
        FreeBlock(result);
        return bytes;
    }

    std::string ErrorText() {
        char buf[512];
        return std::string(buf, LoadFormulaErrorText(buf, sizeof buf));
    }

    std::vector<DHANDLE> blocks_;
};

TEST_F(FormulaApi, ResultBlocksHoldItemValues) {
    EXPECT_EQ(Result("\"ab\" + \"c\""), (Bytes{0x00, 0x05, 'a', 'b', 'c'}));
    EXPECT_EQ(Result("\"a\" : \"bc\""), (Bytes{0x01, 0x05, 2, 0, 1, 0, 2, 0, 'a', 'b', 'c'}));
    EXPECT_EQ(Result("1 + 1"), (Bytes{0x00, 0x03, 0, 0, 0, 0, 0, 0, 0, 0x40}));
    EXPECT_EQ(Result("1 : 2"),
              (Bytes{0x01, 0x03, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0x40}));
    const Bytes time = Result("@Now");
    ASSERT_EQ(time.size(), 10u);
    EXPECT_EQ(time[0], 0x00);
    EXPECT_EQ(time[1], 0x04);
    const Bytes times = Result("@Today : @Today");
    ASSERT_EQ(times.size(), 22u);
    EXPECT_EQ(Bytes(times.begin(), times.begin() + 6), (Bytes{0x01, 0x04, 2, 0, 0, 0}));
    EXPECT_EQ(Bytes(times.begin() + 6, times.begin() + 14), Bytes(times.begin() + 14, times.end()));
}

TEST_F(FormulaApi, OneComputationServesManyEvaluations) {
    const HCOMPUTE c = Start("SELECT @All");
    for (int i = 0; i < 3; ++i) {
        bool matches = false;
        EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, nullptr, nullptr, &matches), NOERROR);
        EXPECT_TRUE(matches);
    }
    EXPECT_EQ(ComputeStop(c), NOERROR);
    EXPECT_EQ(ComputeStop(c), ERR_FORMULA_BAD_HANDLE);
    EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, nullptr, nullptr, nullptr), ERR_FORMULA_BAD_HANDLE);
    EXPECT_EQ(ComputeEvaluate(0, NULLHANDLE, nullptr, nullptr, nullptr), ERR_FORMULA_BAD_HANDLE);
}

TEST_F(FormulaApi, EvaluatingAFormulaThatNeedsANoteWithoutOneGivesAStatus) {
    const HCOMPUTE c = Start("@UpperCase(Subject)");
    DHANDLE result = NULLHANDLE;
    uint32_t length = 0;
    EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, &result, &length, nullptr), ERR_FORMULA_NEEDS_NOTE);
    EXPECT_EQ(result, NULLHANDLE);
    EXPECT_EQ(ErrorText(), "Field Subject needs a document, and there is none (line 1, column 12)");
    char text[128];
    ASSERT_GT(LoadNotesMessage(ERR_FORMULA_NEEDS_NOTE, text, sizeof text), 0);
    EXPECT_STREQ(text, "Formula needs a document and none was given");
    EXPECT_NE(ComputeEvaluate(c, 0x7FFFFFF0, &result, &length, nullptr), NOERROR); // no such note
    EXPECT_EQ(result, NULLHANDLE);
    EXPECT_EQ(ComputeStop(c), NOERROR);
}

TEST_F(FormulaApi, CompileErrorsGiveAStatusAndADetailedText) {
    DHANDLE h = NULLHANDLE;
    uint16_t length = 0;
    const char text[] = "@Lft(Subject; 3)";
    EXPECT_EQ(CompileFormula(text, sizeof text - 1, &h, &length), ERR_FORMULA_UNKNOWN_FUNCTION);
    EXPECT_EQ(h, NULLHANDLE);
    EXPECT_EQ(ErrorText(), "Unknown @function @Lft (line 1, column 1)");
    char small[8];
    EXPECT_EQ(LoadFormulaErrorText(small, sizeof small), 7);
    EXPECT_STREQ(small, "Unknown");
    char message[128];
    ASSERT_GT(LoadNotesMessage(ERR_FORMULA_UNKNOWN_FUNCTION, message, sizeof message), 0);
    EXPECT_STREQ(message, "Formula error: unknown @function");
    for (STATUS s = ERR_FORMULA_SYNTAX; s <= ERR_FORMULA_BAD_VALUE; ++s) {
        if (s > ERR_FORMULA_DAMAGED && s < ERR_FORMULA_TYPE) continue;
        EXPECT_GT(LoadNotesMessage(s, message, sizeof message), 0) << s;
    }
}

TEST_F(FormulaApi, DamagedCompiledFormulasAreRefused) {
    uint16_t length = 0;
    const auto* good = static_cast<const uint8_t*>(Compiled("1 + 1", &length));
    const Bytes original(good, good + length);
    HCOMPUTE c = 0;
    EXPECT_EQ(ComputeStart(nullptr, 8, &c), ERR_FORMULA_DAMAGED);
    EXPECT_EQ(ComputeStart(original.data(), 7, &c), ERR_FORMULA_DAMAGED);
    EXPECT_EQ(ComputeStart(original.data(), static_cast<uint16_t>(length - 1), &c), ERR_FORMULA_DAMAGED);
    Bytes bad = original;
    bad[0] = 'X';
    EXPECT_EQ(ComputeStart(bad.data(), length, &c), ERR_FORMULA_DAMAGED);
    bad = original;
    bad[4] = 9; // version
    EXPECT_EQ(ComputeStart(bad.data(), length, &c), ERR_FORMULA_DAMAGED);
    bad = original;
    bad[8] = '*'; // "* + 1" does not parse
    EXPECT_EQ(ComputeStart(bad.data(), length, &c), ERR_FORMULA_DAMAGED);
    EXPECT_EQ(ErrorText(), "Compiled formula is damaged: Missing operand before '*' (line 1, column 1)");
    EXPECT_EQ(ComputeStart(original.data(), length, &c), NOERROR);
    EXPECT_EQ(ComputeStop(c), NOERROR);
}

TEST_F(FormulaApi, AStoredFormulaWithAPermutedOperatorIsRefusedNamingIt) {
    uint16_t length = 0;
    const auto* good = static_cast<const uint8_t*>(Compiled("1:2 * +1:2", &length));
    Bytes stored(good, good + length);
    stored.erase(stored.begin() + 13); // "1:2 *+1:2", as another program may have stored it
    stored[6] = static_cast<uint8_t>(stored[6] - 1);
    HCOMPUTE c = 0;
    EXPECT_EQ(ComputeStart(stored.data(), static_cast<uint16_t>(stored.size()), &c), ERR_FORMULA_DAMAGED);
    EXPECT_EQ(ErrorText(), "Compiled formula is damaged: Unknown operator '*+': permuted operators are not "
                           "supported (line 1, column 5)");
}

TEST_F(FormulaApi, MissingArgumentsGiveAStatus) {
    DHANDLE h = NULLHANDLE;
    uint16_t length = 0;
    EXPECT_EQ(CompileFormula("1", 1, nullptr, &length), ERR_FORMULA_BAD_ARGUMENT);
    EXPECT_EQ(CompileFormula("1", 1, &h, nullptr), ERR_FORMULA_BAD_ARGUMENT);
    EXPECT_EQ(CompileFormula(nullptr, 1, &h, &length), ERR_FORMULA_BAD_ARGUMENT);
    EXPECT_EQ(CompileFormula(nullptr, 0, &h, &length), ERR_FORMULA_NO_MAIN);
    const void* compiled = Compiled("1", &length);
    EXPECT_EQ(ComputeStart(compiled, length, nullptr), ERR_FORMULA_BAD_ARGUMENT);
    const HCOMPUTE c = Start("1");
    DHANDLE result = NULLHANDLE;
    EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, &result, nullptr, nullptr), ERR_FORMULA_BAD_ARGUMENT);
    EXPECT_EQ(ComputeStop(c), NOERROR);
}

TEST_F(FormulaApi, AResultTooLargeForAnItemGivesAStatus) {
    const HCOMPUTE c = Start("x := \"" + std::string(30000, 'a') + "\"; x + x + x");
    DHANDLE result = NULLHANDLE;
    uint32_t length = 0;
    EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, &result, &length, nullptr), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(result, NULLHANDLE);
    EXPECT_EQ(ComputeStop(c), NOERROR);
}

TEST_F(FormulaApi, ComputationsEndWithTheProcess) {
    const HCOMPUTE c = Start("1");
    ASSERT_EQ(TermProcess(), NOERROR);
    DHANDLE h = NULLHANDLE;
    uint16_t length = 0;
    EXPECT_EQ(CompileFormula("1", 1, &h, &length), ERR_NOT_INITIALIZED);
    EXPECT_EQ(ComputeStop(c), ERR_NOT_INITIALIZED);
    blocks_.clear(); // released with the process
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    EXPECT_EQ(ComputeEvaluate(c, NULLHANDLE, nullptr, nullptr, nullptr), ERR_FORMULA_BAD_HANDLE);
}

} // namespace
} // namespace nnotes::testing
