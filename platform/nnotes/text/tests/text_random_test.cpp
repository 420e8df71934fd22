// Seeded random text against a UTF-8 model written here: translation both ways, the foldings' character
// counts, counting and stepping, cuts at a byte bound, ill-formed bytes of every kind, and text lists edited
// at their limits against a vector. Texts and lists sit in heap buffers of their exact size, so that any read
// past them is caught, and outputs are followed by guard bytes that must stay untouched.
#include "nnotes/nnotes.h"
#include "testsupport/utf8_model.h"
#include "text/tests/text_fixture.h"
#include "util/coding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace nnotes {
namespace {

// ---- The model: a UTF-8 decoder and encoder of its own ----

struct ModelChar {
    int32_t codePoint; // -1 for an ill-formed stretch
    uint32_t size;
};

// One well-formed sequence, or one maximal subpart of an ill-formed one: the longest start of a sequence that
// could still have become well-formed, at least one byte.
ModelChar ModelDecode(const std::string& s, size_t pos) {
    const auto at = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    const uint8_t b0 = at(pos);
    if (b0 < 0x80) return {b0, 1};
    uint32_t need = 0;
    uint8_t lo = 0x80, hi = 0xBF; // the range of the second byte
    int32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0; // no overlong forms
        if (b0 == 0xED) hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90; // no overlong forms
        if (b0 == 0xF4) hi = 0x8F; // nothing beyond U+10FFFF
    } else {
        return {-1, 1}; // a continuation byte, C0, C1 or F5 to FF
    }
    uint32_t taken = 1;
    for (uint32_t k = 0; k < need; ++k) {
        if (pos + taken >= s.size()) return {-1, taken};
        const uint8_t b = at(pos + taken);
        const uint8_t low = k == 0 ? lo : 0x80, high = k == 0 ? hi : 0xBF;
        if (b < low || b > high) return {-1, taken};
        cp = (cp << 6) | (b & 0x3F);
        ++taken;
    }
    return {cp, taken};
}

std::vector<ModelChar> ModelChars(const std::string& s) {
    std::vector<ModelChar> chars;
    for (size_t pos = 0; pos < s.size();) {
        chars.push_back(ModelDecode(s, pos));
        pos += chars.back().size;
    }
    return chars;
}

// The characters of a translation between the character sets: each ill-formed stretch becomes U+FFFD.
std::vector<std::string> ModelRepairedUnits(const std::string& s) {
    std::vector<std::string> units;
    size_t pos = 0;
    for (const ModelChar& c : ModelChars(s)) {
        units.push_back(c.codePoint < 0 ? testsupport::utf8::Encode(0xFFFD) : s.substr(pos, c.size));
        pos += c.size;
    }
    return units;
}

// The longest run of whole units that fits in size bytes.
std::string ModelCut(const std::vector<std::string>& units, size_t size, bool* complete) {
    std::string out;
    *complete = true;
    for (const std::string& unit : units) {
        if (out.size() + unit.size() > size) {
            *complete = false;
            break;
        }
        out += unit;
    }
    return out;
}

// ---- Random text ----

class TextSource {
public:
    explicit TextSource(uint32_t seed) : rng_(seed) {}

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }
    uint32_t Between(uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng_);
    }

    // A Unicode scalar value from one of the ranges that text is made of.
    uint32_t CodePoint() {
        switch (Below(7)) {
        case 0:
            return Below(0x80); // ASCII, NUL included
        case 1:
            return Between(0x80, 0xFF); // Latin-1
        case 2:
            return Between(0x4E00, 0x9FFF); // CJK
        case 3:
            return Between(0x10000, 0x10FFFF); // beyond the BMP
        case 4:
            return Between(0x0300, 0x036F); // combining marks
        case 5:
            return Between(0xE000, 0xFFFF); // the top of the BMP, noncharacters included
        default: {
            uint32_t cp = Between(0x80, 0x10FFFF);
            if (cp >= 0xD800 && cp <= 0xDFFF) cp -= 0x800;
            return cp;
        }
        }
    }

    std::string WellFormed(uint32_t maxChars) {
        std::string s;
        const uint32_t n = Below(maxChars + 1);
        for (uint32_t i = 0; i < n; ++i)
            s += testsupport::utf8::Encode(CodePoint());
        return s;
    }

    // One ill-formed piece of each kind that UTF-8 decoders meet.
    std::string IllFormed() {
        const auto byte = [](uint32_t b) { return std::string(1, static_cast<char>(b)); };
        switch (Below(8)) {
        case 0:
            return byte(Between(0x80, 0xBF)); // a lone continuation byte
        case 1: {                             // an overlong form
            switch (Below(3)) {
            case 0:
                return byte(Between(0xC0, 0xC1)) + byte(Between(0x80, 0xBF));
            case 1:
                return byte(0xE0) + byte(Between(0x80, 0x9F)) + byte(Between(0x80, 0xBF));
            default:
                return byte(0xF0) + byte(Between(0x80, 0x8F)) + byte(Between(0x80, 0xBF)) +
                       byte(Between(0x80, 0xBF));
            }
        }
        case 2: // a surrogate written in UTF-8
            return byte(0xED) + byte(Between(0xA0, 0xBF)) + byte(Between(0x80, 0xBF));
        case 3: { // a sequence cut short
            std::string full = testsupport::utf8::Encode(Between(0x80, 0x10FFFF) | 0x800);
            if (full.size() < 3) full = testsupport::utf8::Encode(0x65E5);
            return full.substr(0, Between(1, static_cast<uint32_t>(full.size()) - 1));
        }
        case 4:
            return byte(Between(0xF5, 0xFF));
        case 5: // beyond U+10FFFF
            return byte(0xF4) + byte(Between(0x90, 0xBF)) + byte(Between(0x80, 0xBF)) +
                   byte(Between(0x80, 0xBF));
        case 6:
            return std::string(Between(1, 3), '\0');
        default: { // any bytes at all
            std::string s;
            for (uint32_t i = Between(1, 6); i > 0; --i)
                s += byte(Below(256));
            return s;
        }
        }
    }

    std::string Mixed(uint32_t maxPieces) {
        std::string s;
        for (uint32_t i = Below(maxPieces + 1); i > 0; --i)
            s += Below(3) == 0 ? IllFormed() : testsupport::utf8::Encode(CodePoint());
        return s;
    }

private:
    std::mt19937 rng_;
};

// Bytes on the heap that are exactly as long as the text, so that a read past them is caught.
class ExactBytes {
public:
    explicit ExactBytes(const std::string& s) : bytes_(new char[s.size() ? s.size() : 1]), size_(s.size()) {
        std::memcpy(bytes_.get(), s.data(), s.size());
    }
    const char* data() const { return bytes_.get(); }
    uint16_t size() const { return static_cast<uint16_t>(size_); }

private:
    std::unique_ptr<char[]> bytes_;
    size_t size_;
};

constexpr char kGuard = '\x5A';
constexpr size_t kGuards = 16;

struct Translated {
    STATUS status;
    std::string text;
};

// Translates into an output of outSize bytes followed by guard bytes, and checks that none of them moved.
Translated TranslateGuarded(uint16_t mode, const std::string& in, size_t outSize) {
    const ExactBytes input(in);
    std::vector<char> out(outSize + kGuards, kGuard);
    uint16_t length = 0xFFFF;
    const STATUS status =
        TranslateText(mode, input.data(), input.size(), out.data(), static_cast<uint16_t>(outSize), &length);
    EXPECT_LE(length, outSize);
    for (size_t i = outSize; i < out.size(); ++i)
        EXPECT_EQ(out[i], kGuard) << "written past the output at " << i;
    return {status, std::string(out.data(), std::min<size_t>(length, outSize))};
}

class RandomText : public testing::TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        ASSERT_EQ(GetNLSInfo(&info), NOERROR);
    }

    // Counting, measuring and stepping agree with the model's characters.
    void ExpectCountsAgree(const std::string& text, TextSource& source) {
        const ExactBytes bytes(text);
        const std::vector<ModelChar> chars = ModelChars(text);
        uint16_t count = 0;
        ASSERT_EQ(NLSStringChars(bytes.data(), bytes.size(), &count, info), NOERROR);
        ASSERT_EQ(count, chars.size());
        std::vector<uint32_t> starts{0};
        for (const ModelChar& c : chars)
            starts.push_back(starts.back() + c.size);
        for (int probe = 0; probe < 4; ++probe) {
            const uint32_t k = source.Below(static_cast<uint32_t>(chars.size()) + 3);
            uint16_t measured = 0xFFFF;
            if (k <= chars.size()) {
                ASSERT_EQ(
                    NLSStringBytes(bytes.data(), bytes.size(), static_cast<uint16_t>(k), &measured, info),
                    NOERROR);
                EXPECT_EQ(measured, starts[k]);
            } else {
                EXPECT_EQ(
                    NLSStringBytes(bytes.data(), bytes.size(), static_cast<uint16_t>(k), &measured, info),
                    ERR_NLS_TOO_FEW_CHARS);
                EXPECT_EQ(measured, text.size());
            }
        }
        const char* p = bytes.data();
        for (const ModelChar& c : chars) {
            uint16_t stepped = 0;
            ASSERT_EQ(
                NLSStepCharacter(&p, static_cast<uint16_t>(bytes.data() + bytes.size() - p), &stepped, info),
                NOERROR);
            ASSERT_EQ(stepped, c.size);
        }
        EXPECT_EQ(p, bytes.data() + bytes.size());
    }

    const NLSInfo* info = nullptr;
};

constexpr uint16_t kCrossings[] = {TRANSLATE_PLATFORM_TO_NOTES, TRANSLATE_NOTES_TO_PLATFORM};
constexpr uint16_t kFoldings[] = {TRANSLATE_UPPER_CASE, TRANSLATE_FOLD_CASE, TRANSLATE_STRIP_ACCENTS};

TEST_F(RandomText, WellFormedTextCrossesAndComesBackUnchanged) {
    TextSource source(20261210);
    for (int round = 0; round < 400; ++round) {
        const std::string text = source.WellFormed(round < 200 ? 12 : 300);
        const Translated in = TranslateGuarded(TRANSLATE_PLATFORM_TO_NOTES, text, 3 * text.size());
        ASSERT_EQ(in.status, NOERROR);
        ASSERT_EQ(in.text, text);
        const Translated out = TranslateGuarded(TRANSLATE_NOTES_TO_PLATFORM, in.text, 3 * in.text.size());
        ASSERT_EQ(out.status, NOERROR);
        ASSERT_EQ(out.text, text);
        ExpectCountsAgree(text, source);
    }
}

TEST_F(RandomText, IllFormedBytesAreReplacedOnceEachAndNeverOverflow) {
    TextSource source(7);
    for (int round = 0; round < 600; ++round) {
        const std::string text = source.Mixed(round < 300 ? 6 : 120);
        const std::vector<std::string> units = ModelRepairedUnits(text);
        bool complete = false;
        const std::string expected = ModelCut(units, 3 * text.size(), &complete);
        ASSERT_TRUE(complete);
        for (uint16_t mode : kCrossings) {
            const Translated t = TranslateGuarded(mode, text, 3 * text.size());
            ASSERT_EQ(t.status, NOERROR) << mode;
            ASSERT_EQ(t.text, expected) << mode;
            // What comes out is well-formed: crossing again changes nothing.
            const Translated again = TranslateGuarded(mode ^ 1, t.text, 3 * t.text.size());
            ASSERT_EQ(again.text, expected);
        }
        ExpectCountsAgree(text, source);
    }
}

TEST_F(RandomText, ACutOutputHoldsTheWholeCharactersThatFit) {
    TextSource source(99);
    for (int round = 0; round < 800; ++round) {
        const std::string text = source.Below(2) ? source.WellFormed(40) : source.Mixed(40);
        const std::vector<std::string> units = ModelRepairedUnits(text);
        const size_t outSize = source.Below(static_cast<uint32_t>(3 * text.size()) + 2);
        bool complete = false;
        const std::string expected = ModelCut(units, outSize, &complete);
        const Translated t = TranslateGuarded(kCrossings[round % 2], text, outSize);
        ASSERT_EQ(t.status, complete ? NOERROR : ERR_NLS_BUFFER_TOO_SMALL) << outSize;
        ASSERT_EQ(t.text, expected) << outSize;
    }
}

// The foldings keep each character's place: ill-formed stretches stay byte for byte where they were, ASCII
// letters fold as ASCII does, and every other character stays one character.
TEST_F(RandomText, FoldingsKeepEveryCharacterInItsPlace) {
    TextSource source(4242);
    for (int round = 0; round < 400; ++round) {
        const std::string text = source.Mixed(round < 200 ? 8 : 100);
        const std::vector<ModelChar> chars = ModelChars(text);
        for (uint16_t mode : kFoldings) {
            const Translated t = TranslateGuarded(mode, text, 3 * text.size());
            ASSERT_EQ(t.status, NOERROR) << mode;
            const std::vector<ModelChar> folded = ModelChars(t.text);
            ASSERT_EQ(folded.size(), chars.size()) << mode;
            size_t from = 0, to = 0;
            for (size_t i = 0; i < chars.size(); ++i) {
                const std::string original = text.substr(from, chars[i].size);
                const std::string result = t.text.substr(to, folded[i].size);
                if (chars[i].codePoint < 0) {
                    EXPECT_EQ(result, original) << mode;
                } else if (chars[i].codePoint < 0x80) {
                    char expected = original[0];
                    if (mode == TRANSLATE_UPPER_CASE && expected >= 'a' && expected <= 'z') expected -= 32;
                    if (mode == TRANSLATE_FOLD_CASE && expected >= 'A' && expected <= 'Z') expected += 32;
                    EXPECT_EQ(result, std::string(1, expected)) << mode;
                } else {
                    EXPECT_GE(folded[i].codePoint, 0) << mode;
                }
                from += chars[i].size;
                to += folded[i].size;
            }
            // A cut output is the longest run of whole folded characters that fits.
            std::vector<std::string> units;
            to = 0;
            for (const ModelChar& c : folded) {
                units.push_back(t.text.substr(to, c.size));
                to += c.size;
            }
            const size_t outSize = source.Below(static_cast<uint32_t>(t.text.size()) + 1);
            bool complete = false;
            const std::string expected = ModelCut(units, outSize, &complete);
            const Translated cut = TranslateGuarded(mode, text, outSize);
            ASSERT_EQ(cut.status, complete ? NOERROR : ERR_NLS_BUFFER_TOO_SMALL) << mode;
            ASSERT_EQ(cut.text, expected) << mode;
        }
    }
}

// Measuring a prefix of text cut at any byte gives back a character boundary of the whole text, or of the
// characters the cut itself makes at its end.
TEST_F(RandomText, CuttingAtAByteBoundNeverSplitsACharacter) {
    TextSource source(31337);
    for (int round = 0; round < 400; ++round) {
        const std::string text = source.Below(2) ? source.WellFormed(30) : source.Mixed(30);
        const uint32_t bound = source.Below(static_cast<uint32_t>(text.size()) + 1);
        const std::string prefix = text.substr(0, bound);
        const std::vector<ModelChar> whole = ModelChars(text);
        const std::vector<ModelChar> cut = ModelChars(prefix);
        // Every character that ends before the bound is cut the same way in the prefix as in the whole.
        size_t pos = 0;
        for (size_t i = 0; i < cut.size() && pos + whole[i].size <= bound; ++i) {
            EXPECT_EQ(cut[i].size, whole[i].size);
            pos += cut[i].size;
        }
        const ExactBytes bytes(prefix);
        uint16_t measured = 0;
        EXPECT_EQ(
            NLSStringBytes(bytes.data(), bytes.size(), static_cast<uint16_t>(cut.size()), &measured, info),
            NOERROR);
        EXPECT_EQ(measured, bound);
        ExpectCountsAgree(prefix, source);
    }
}

// Searches and line scans only ever land where the model's characters begin.
TEST_F(RandomText, SearchesAndLineScansLandOnCharacterStarts) {
    TextSource source(1010);
    for (int round = 0; round < 400; ++round) {
        std::string text = source.Mixed(30);
        for (uint32_t i = source.Below(4); i > 0; --i)
            text.insert(source.Below(static_cast<uint32_t>(text.size()) + 1), "\n");
        if (text.empty()) continue;
        const ExactBytes bytes(text);
        const std::vector<ModelChar> chars = ModelChars(text);
        std::vector<uint32_t> starts{0};
        for (const ModelChar& c : chars)
            starts.push_back(starts.back() + c.size);
        // The pattern is any run of bytes of the text, so it may begin or end inside a character.
        const uint32_t from = source.Below(static_cast<uint32_t>(text.size()));
        const uint32_t to = source.Between(from + 1, static_cast<uint32_t>(text.size()));
        const std::string pattern = text.substr(from, to - from);
        long expected = -1;
        for (size_t i = 0; i + 1 < starts.size() && expected < 0; ++i) {
            const uint32_t end = starts[i] + static_cast<uint32_t>(pattern.size());
            if (text.compare(starts[i], pattern.size(), pattern) == 0 &&
                std::find(starts.begin(), starts.end(), end) != starts.end())
                expected = starts[i];
        }
        const ExactBytes wanted(pattern);
        const char* found = nullptr;
        const STATUS status =
            NLSFindSubstring(bytes.data(), bytes.size(), wanted.data(), wanted.size(), &found, info);
        ASSERT_EQ(status, expected < 0 ? ERR_NLS_NOT_FOUND : NOERROR);
        ASSERT_EQ(found ? found - bytes.data() : -1, expected);

        // Lines start behind every line feed; the start of the text counts for the backward scan only.
        const uint32_t at = starts[source.Below(static_cast<uint32_t>(starts.size()))];
        long next = -1, previous = at > 0 ? 0 : -1;
        for (size_t i = 1; i < starts.size(); ++i) {
            if (chars[i - 1].codePoint != '\n') continue;
            if (starts[i] > at && starts[i] < text.size() && next < 0) next = starts[i];
            if (starts[i] < at) previous = starts[i];
        }
        const char* p = bytes.data() + at;
        ASSERT_EQ(NLSNextLine(&p, static_cast<uint16_t>(text.size() - at), info),
                  next < 0 ? ERR_NLS_NOT_FOUND : NOERROR);
        ASSERT_EQ(p - bytes.data(), next < 0 ? long{at} : next);
        p = bytes.data() + at;
        ASSERT_EQ(NLSPreviousLine(&p, bytes.data(), info), previous < 0 ? ERR_NLS_NOT_FOUND : NOERROR);
        ASSERT_EQ(p - bytes.data(), previous < 0 ? long{at} : previous);
    }
}

// ---- Text lists against a vector ----

class RandomTextLists : public testing::TextTest {
protected:
    static uint32_t ModelSize(const std::vector<std::string>& entries, bool prefix) {
        uint32_t size = prefix ? 4 : 2;
        for (const std::string& e : entries)
            size += 2 + static_cast<uint32_t>(e.size());
        return size;
    }

    // The stored layout, byte for byte.
    static std::string ModelBytes(const std::vector<std::string>& entries, bool prefix) {
        std::string bytes;
        const auto word = [&](uint16_t v) {
            bytes += static_cast<char>(v & 0xFF);
            bytes += static_cast<char>(v >> 8);
        };
        if (prefix) word(1281);
        word(static_cast<uint16_t>(entries.size()));
        for (const std::string& e : entries)
            word(static_cast<uint16_t>(e.size()));
        for (const std::string& e : entries)
            bytes += e;
        return bytes;
    }

    static std::string BlockBytes(DHANDLE handle) {
        uint32_t size = 0;
        EXPECT_EQ(GetBlockSize(handle, &size), NOERROR);
        const auto* base = static_cast<const char*>(LockBlock(handle));
        std::string bytes(base, size);
        EXPECT_EQ(UnlockBlock(handle), NOERROR);
        return bytes;
    }

    // Reads the entries of a stored copy of the list (every one, or every stride-th and the last), and
    // indexes past its end.
    static void ExpectReadsAgree(const std::string& stored, const std::vector<std::string>& entries,
                                 bool prefix, uint32_t stride = 1) {
        const ExactBytes list(stored);
        uint16_t count = 0, size = 0;
        ASSERT_EQ(CountTextListEntries(list.data(), list.size(), prefix, &count), NOERROR);
        ASSERT_EQ(count, entries.size());
        ASSERT_EQ(GetTextListSize(list.data(), list.size(), prefix, &size), NOERROR);
        ASSERT_EQ(size, stored.size());
        std::vector<uint32_t> indexes;
        for (uint32_t i = 0; i < count; i += stride)
            indexes.push_back(i);
        if (count > 0) indexes.push_back(count - 1u);
        for (uint32_t i : indexes) {
            const char* text = nullptr;
            uint16_t length = 0;
            ASSERT_EQ(
                GetTextListEntry(list.data(), list.size(), prefix, static_cast<uint16_t>(i), &text, &length),
                NOERROR);
            ASSERT_EQ(std::string(text, length), entries[i]);
        }
        for (uint32_t past : {uint32_t{count}, uint32_t{count} + 1, uint32_t{0xFFFF}}) {
            const char* text = nullptr;
            uint16_t length = 0;
            EXPECT_EQ(GetTextListEntry(list.data(), list.size(), prefix, static_cast<uint16_t>(past), &text,
                                       &length),
                      ERR_TEXTLIST_INDEX);
        }
    }
};

TEST_F(RandomTextLists, EditsAgreeWithAVectorUpToTheLargestList) {
    TextSource source(1281);
    int refusedIndexes = 0, refusedSizes = 0, fullLists = 0;
    for (int run = 0; run < 12; ++run) {
        const bool prefix = run % 2 == 0;
        DHANDLE handle = NULLHANDLE;
        ASSERT_EQ(NewTextList(prefix, &handle, nullptr), NOERROR);
        std::vector<std::string> model;
        for (int step = 0; step < 300; ++step) {
            const uint32_t op = source.Below(10);
            const auto count = static_cast<uint32_t>(model.size());
            uint16_t size = 0;
            if (op < 5) {
                // Mostly short or empty entries, now and then one large enough to reach the limit.
                uint32_t length = source.Below(4) == 0 ? 0 : source.Below(12);
                if (source.Below(8) == 0) length = source.Between(1000, 30000);
                const uint32_t room = 0xFFFF - ModelSize(model, prefix);
                if (source.Below(6) == 0 && room >= 2)
                    length = room - 2 + source.Below(2); // exactly full, or one over
                std::string text(length, '\0');
                for (char& c : text)
                    c = static_cast<char>(source.Below(256));
                const uint32_t index =
                    source.Below(8) == 0 ? count + source.Between(1, 3) : source.Below(count + 1);
                // Now and then the text is an entry of this very list, read in place.
                const bool inPlace = count > 0 && source.Below(5) == 0;
                const char* from = text.data();
                if (inPlace) {
                    uint32_t blockSize = 0;
                    ASSERT_EQ(GetBlockSize(handle, &blockSize), NOERROR);
                    const uint32_t which = source.Below(count);
                    uint16_t entryLength = 0;
                    ASSERT_EQ(GetTextListEntry(LockBlock(handle), blockSize, prefix,
                                               static_cast<uint16_t>(which), &from, &entryLength),
                              NOERROR);
                    text = model[which];
                    length = entryLength;
                }
                const STATUS status = InsertTextListEntry(handle, prefix, static_cast<uint16_t>(index), from,
                                                          static_cast<uint16_t>(length), &size);
                if (inPlace) {
                    ASSERT_EQ(UnlockBlock(handle), NOERROR);
                }
                if (index > count) {
                    ASSERT_EQ(status, ERR_TEXTLIST_INDEX);
                    ++refusedIndexes;
                } else if (ModelSize(model, prefix) + 2 + length > 0xFFFF) {
                    ASSERT_EQ(status, ERR_TEXTLIST_TOO_LARGE);
                    ++refusedSizes;
                } else {
                    fullLists += ModelSize(model, prefix) + 2 + length == 0xFFFF;
                    ASSERT_EQ(status, NOERROR);
                    model.insert(model.begin() + index, text);
                    ASSERT_EQ(size, ModelSize(model, prefix));
                }
            } else if (op < 8) {
                const uint32_t index =
                    source.Below(6) == 0 ? count + source.Below(3) : source.Below(count + 1);
                const STATUS status =
                    RemoveTextListEntry(handle, prefix, static_cast<uint16_t>(index), &size);
                if (index >= count) {
                    ASSERT_EQ(status, ERR_TEXTLIST_INDEX);
                    ++refusedIndexes;
                } else {
                    ASSERT_EQ(status, NOERROR);
                    model.erase(model.begin() + index);
                    ASSERT_EQ(size, ModelSize(model, prefix));
                }
            } else if (op == 8 && source.Below(10) == 0) {
                ASSERT_EQ(ClearTextList(handle, prefix, &size), NOERROR);
                model.clear();
                ASSERT_EQ(size, prefix ? 4 : 2);
            } else {
                DHANDLE copy = NULLHANDLE;
                const std::string stored = BlockBytes(handle);
                const ExactBytes list(stored);
                ASSERT_EQ(CopyTextList(list.data(), list.size(), prefix, &copy, &size), NOERROR);
                ASSERT_EQ(BlockBytes(copy), stored);
                ASSERT_EQ(FreeBlock(copy), NOERROR);
            }
            const std::string stored = BlockBytes(handle);
            ASSERT_EQ(stored, ModelBytes(model, prefix)) << "step " << step;
            if (step % 10 == 0) ExpectReadsAgree(stored, model, prefix);
        }
        ExpectReadsAgree(BlockBytes(handle), model, prefix);
        ASSERT_EQ(FreeBlock(handle), NOERROR);
    }
    // The runs reached every limit.
    EXPECT_GT(refusedIndexes, 0);
    EXPECT_GT(refusedSizes, 0);
    EXPECT_GT(fullLists, 0);
}

// The most entries a list holds are empty ones; it is refused one past them, and an entry can then be removed
// from anywhere in it.
TEST_F(RandomTextLists, TheLongestListOfEmptyEntries) {
    TextSource source(65535);
    for (bool prefix : {false, true}) {
        const uint32_t most = (0xFFFF - (prefix ? 4 : 2)) / 2;
        std::vector<std::string> model(most - 1);
        DHANDLE handle = NULLHANDLE;
        const std::string bytes = ModelBytes(model, prefix);
        ASSERT_EQ(AllocateBlock(0, static_cast<uint32_t>(bytes.size()), &handle), NOERROR);
        std::memcpy(LockBlock(handle), bytes.data(), bytes.size());
        ASSERT_EQ(UnlockBlock(handle), NOERROR);
        uint16_t size = 0;
        ASSERT_EQ(
            InsertTextListEntry(handle, prefix, static_cast<uint16_t>(source.Below(most)), "", 0, &size),
            NOERROR);
        model.emplace_back();
        ASSERT_EQ(size, ModelSize(model, prefix));
        EXPECT_EQ(InsertTextListEntry(handle, prefix, 0, nullptr, 0, &size), ERR_TEXTLIST_TOO_LARGE);
        EXPECT_EQ(InsertTextListEntry(handle, prefix, static_cast<uint16_t>(most), "", 0, &size),
                  ERR_TEXTLIST_TOO_LARGE);
        EXPECT_EQ(InsertTextListEntry(handle, prefix, static_cast<uint16_t>(most + 1), "", 0, &size),
                  ERR_TEXTLIST_INDEX);
        ASSERT_EQ(BlockBytes(handle), ModelBytes(model, prefix));
        ExpectReadsAgree(BlockBytes(handle), model, prefix, 997);
        ASSERT_EQ(RemoveTextListEntry(handle, prefix, static_cast<uint16_t>(source.Below(most)), &size),
                  NOERROR);
        model.pop_back();
        EXPECT_EQ(RemoveTextListEntry(handle, prefix, static_cast<uint16_t>(most - 1), &size),
                  ERR_TEXTLIST_INDEX);
        ASSERT_EQ(BlockBytes(handle), ModelBytes(model, prefix));
        ASSERT_EQ(FreeBlock(handle), NOERROR);
    }
}

// A stored list cut short anywhere is read only as far as its bytes go: entries that lie wholly inside them
// read back, the rest answer a status.
TEST_F(RandomTextLists, ListsCutShortReadOnlyWhatTheyHold) {
    TextSource source(404);
    for (int round = 0; round < 300; ++round) {
        const bool prefix = round % 2 == 0;
        std::vector<std::string> model(source.Below(8));
        for (std::string& e : model)
            e = source.Mixed(5);
        const std::string whole = ModelBytes(model, prefix);
        const uint32_t available = source.Below(static_cast<uint32_t>(whole.size()) + 1);
        const ExactBytes list(whole.substr(0, available));
        const uint32_t header = prefix ? 4 : 2;
        uint16_t count = 0, size = 0;
        const STATUS counted = CountTextListEntries(list.data(), list.size(), prefix, &count);
        if (available < header + 2 * model.size()) {
            EXPECT_EQ(counted, ERR_TEXTLIST_DAMAGED);
            continue;
        }
        ASSERT_EQ(counted, NOERROR);
        EXPECT_EQ(count, model.size());
        EXPECT_EQ(GetTextListSize(list.data(), list.size(), prefix, &size),
                  available == whole.size() ? NOERROR : ERR_TEXTLIST_DAMAGED);
        uint32_t offset = header + 2 * static_cast<uint32_t>(model.size());
        for (uint16_t i = 0; i < model.size(); ++i) {
            const char* text = nullptr;
            uint16_t length = 0;
            const STATUS got = GetTextListEntry(list.data(), list.size(), prefix, i, &text, &length);
            offset += static_cast<uint32_t>(model[i].size());
            if (offset <= available) {
                ASSERT_EQ(got, NOERROR);
                EXPECT_EQ(std::string(text, length), model[i]);
            } else {
                EXPECT_EQ(got, ERR_TEXTLIST_DAMAGED);
            }
        }
    }
}

} // namespace
} // namespace nnotes
