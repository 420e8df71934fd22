// Damaged composite values: whatever the bytes, loading either gives the whole tree or a status, and a tree
// that loads is written out again whole.
#include "ln/lnrichtext.h"
#include "nnotes/note.h"
#include "richtextfixture.h"

#include <cstdint>

namespace {

using DamagedValueTest = RichTextTest;

// A deterministic stream of bytes, biased towards record headers so that most values reach the parser.
class Bytes {
public:
    explicit Bytes(uint32_t seed) : State(seed) {}
    uint8_t Next() {
        State = State * 1103515245u + 12345u;
        return static_cast<uint8_t>(State >> 16);
    }
    std::string Record() {
        static const uint16_t kSignatures[] = {0xFF85, 0x0081, 0xFFA4, 0x0001, 0xFF8A, 0x00A4};
        const uint16_t signature = kSignatures[Next() % 6];
        std::string record = Word(signature);
        const uint8_t length = Next() % 40;
        if (signature == 0x0001)
            record += Dword(length);
        else if ((signature >> 8) == 0xFF)
            record += Word(length);
        else
            record[1] = static_cast<char>(length);
        while (record.size() < length)
            record.push_back(static_cast<char>(Next()));
        if (record.size() % 2) record.push_back('\0');
        // Now and then a byte anywhere is damaged.
        if (Next() % 4 == 0) record[Next() % record.size()] = static_cast<char>(Next());
        return record;
    }

private:
    uint32_t State;
};

// A free-standing rich text over a copy of value (type word first).
LNRichText Over(const std::string& value, LNMemoryBlock* block) {
    EXPECT_EQ(block->Allocate(static_cast<uint32_t>(value.size())), 0u);
    EXPECT_EQ(block->Write(static_cast<uint32_t>(value.size()), value.data(), 0), 0u);
    auto* body = new LNRichTextBody();
    LNMemoryBlock view;
    view.Attach(block->GetBlockID().pool, 0, block->GetSize());
    EXPECT_EQ(body->ReplaceFirstBlock(&view), 0u);
    body->SetValueOwned(false);
    LNRichText richText;
    richText.SetItemBody(nullptr, body);
    return richText;
}

TEST_F(DamagedValueTest, EveryValueLoadsWholeOrNotAtAll) {
    Bytes bytes(20261209);
    int loaded = 0;
    for (int i = 0; i < 400; ++i) {
        std::string value = Word(nnotes::TYPE_COMPOSITE);
        const int records = 1 + bytes.Next() % 6;
        for (int r = 0; r < records; ++r)
            value += bytes.Record();
        LNMemoryBlock block;
        LNRichText richText = Over(value, &block);
        LNString text;
        const LNSTATUS status = richText.GetText(&text);
        if (status != LNNOERROR) {
            EXPECT_TRUE(LNIsError(status)) << i;
            EXPECT_FALSE(richText.GetRichTextBody()->IsLoaded()) << i;
            continue;
        }
        ++loaded;
        ASSERT_EQ(richText.Append(LNString("+")), 0u) << i;
        ASSERT_EQ(richText.Flush(), 0u) << i;
        LNString again;
        ASSERT_EQ(richText.GetText(&again), 0u) << i;
        EXPECT_EQ(again.GetByteLength(), text.GetByteLength() + 1) << i;
    }
    // The generator must reach both outcomes for the test to mean anything.
    EXPECT_GT(loaded, 20);
    EXPECT_LT(loaded, 400);
}

} // namespace
