// Seeded random sequences of string changes, searches and character writes, each checked against a model
// kept in the test: the Notes bytes of the text, cut into characters by the test's own reading of UTF-8
// (each well-formed sequence one character, each maximal ill-formed subpart one more). Texts mix every
// UTF-8 size, ill-formed bytes and now and then stretches long enough to reach the 65535-byte limit; copies
// of the string and characters taken from it live across the changes.
#include "ln/lnerrors.h"
#include "ln/lnstringcompare.h"
#include "lnstringfixture.h"

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// The byte offsets at which the characters of text start, and its length at the end.
std::vector<size_t> CharStarts(const std::string& text) {
    std::vector<size_t> starts;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        const unsigned char lead = byte(i);
        // The range of the second byte and the number of bytes after the lead.
        unsigned char low = 0x80, high = 0xBF;
        size_t more = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        ++i;
        for (size_t k = 0; k < more && i < text.size(); ++k, ++i) {
            const unsigned char b = byte(i);
            if (k == 0 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) break;
        }
    }
    starts.push_back(text.size());
    return starts;
}

// A text cut into its characters.
std::vector<std::string> Chars(const std::string& text) {
    const std::vector<size_t> starts = CharStarts(text);
    std::vector<std::string> chars;
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        chars.push_back(text.substr(starts[i], starts[i + 1] - starts[i]));
    return chars;
}

bool WellFormed(const std::string& c) {
    const auto lead = static_cast<unsigned char>(c[0]);
    const size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4 && c.size() == size);
}

// The platform form: every ill-formed character becomes U+FFFD.
std::string PlatformForm(const std::string& text) {
    std::string out;
    for (const std::string& c : Chars(text))
        out += WellFormed(c) ? c : "\xEF\xBF\xBD";
    return out;
}

// What the foldings make of the characters the texts are built from; characters not listed (those that
// pieces form between them) are only checked to stay one character.
struct Folds {
    const char* upper;
    const char* fold;
    const char* strip;
};
const std::map<std::string, Folds>& KnownFolds() {
    static const std::map<std::string, Folds> folds = {
        {"a", {"A", "a", "a"}}, {"Z", {"Z", "z", "Z"}},     {"1", {"1", "1", "1"}},
        {" ", {" ", " ", " "}}, {"\n", {"\n", "\n", "\n"}}, {"é", {"É", "é", "e"}},
        {"É", {"É", "é", "E"}}, {"ä", {"Ä", "ä", "a"}},     {"Ω", {"Ω", "ω", "Ω"}},
        {"ω", {"Ω", "ω", "ω"}}, {"日", {"日", "日", "日"}}, {"€", {"€", "€", "€"}},
        {"😀", {"😀", "😀", "😀"}},
    };
    return folds;
}

// The pieces texts are made of: the characters above and ill-formed bytes, among them a lone continuation
// byte, a cut-off lead, an encoded surrogate and a sequence beyond U+10FFFF.
const std::vector<std::string>& Pieces() {
    static const std::vector<std::string> pieces = {"a",
                                                    "Z",
                                                    "1",
                                                    " ",
                                                    "\n",
                                                    "é",
                                                    "É",
                                                    "ä",
                                                    "Ω",
                                                    "ω",
                                                    "日",
                                                    "€",
                                                    "😀",
                                                    "\x80",
                                                    "\xFF",
                                                    "\xE2\x82",
                                                    "\xC0",
                                                    "\xED\xA0\x80",
                                                    "\xF0\x9F\x98",
                                                    "\xF4\x90\x80\x80"};
    return pieces;
}

class RandomText {
public:
    explicit RandomText(uint32_t seed) : random_(seed) {}

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random_); }

    std::string Text(uint32_t maxPieces) {
        std::string text;
        const uint32_t n = Below(maxPieces + 1);
        for (uint32_t i = 0; i < n; ++i)
            text += Pieces()[Below(static_cast<uint32_t>(Pieces().size()))];
        return text;
    }

    // A position in a text of length characters: mostly inside, sometimes at or past its end.
    uint32_t Position(uint32_t length) {
        switch (Below(10)) {
        case 0:
            return length;
        case 1:
            return length + 1;
        case 2:
            return 0xFFFFFFFF;
        default:
            return Below(length + 1);
        }
    }

    // A count from position: mostly in range, sometimes 0, one too many or large enough to overflow.
    uint32_t Count(uint32_t position, uint32_t length) {
        const uint32_t left = position <= length ? length - position : 0;
        switch (Below(10)) {
        case 0:
            return 0;
        case 1:
            return left + 1;
        case 2:
            return 0xFFFFFFFF - Below(3);
        default:
            return 1 + Below(left > 0 ? left : 1);
        }
    }

private:
    std::mt19937 random_;
};

// The status of a change or search: returned, or thrown while ThrowAllErrors is set; an error that takes the
// other road is a failure.
template <typename F>
LNSTATUS Status(F f) {
    try {
        const LNSTATUS status = f();
        if (LNGetThrowAllErrors() && LNIsError(status)) ADD_FAILURE() << "returned, not thrown: " << status;
        return status;
    } catch (LNSTATUS status) {
        if (!LNGetThrowAllErrors()) ADD_FAILURE() << "thrown: " << status;
        return status;
    }
}

LNString Make(const std::string& bytes) {
    return LNString(Notes(bytes.c_str()), static_cast<uint32_t>(bytes.size()));
}

// The string under test with what it should hold, the copies taken of it and the characters held from it.
struct Subject {
    LNString s;
    std::string model;
    std::vector<std::pair<LNString, std::string>> copies;
    std::optional<LNChar> held;
    uint32_t heldAt = 0;

    void Check() const {
        ASSERT_EQ(Bytes(s), model);
        ASSERT_EQ(s.GetLength(), CharStarts(model).size() - 1);
        for (size_t i = 0; i < copies.size(); ++i)
            ASSERT_EQ(Bytes(copies[i].first), copies[i].second) << "copy " << i;
    }
};

// Applies one random operation to run, checking its status and its answer.
void Step(Subject& run, RandomText& random) {
    LNString& s = run.s;
    std::string& model = run.model;
    // Offsets in the text as it was before this step.
    const std::vector<size_t> starts = CharStarts(model);
    const auto length = static_cast<uint32_t>(starts.size() - 1);
    const auto offset = [&](uint32_t position) { return starts[position]; };
    const auto tooLong = [](size_t bytes) { return bytes > LNSTRING_MAX_BYTES; };
    switch (random.Below(16)) {
    case 0: {
        // Now and then a long stretch, so that the limit is met.
        const std::string more =
            random.Below(40) == 0 ? std::string(20000 + random.Below(30000), 'a') : random.Text(6);
        const LNSTATUS expected = tooLong(model.size() + more.size()) ? LNERR_STRING_TOO_LONG : LNNOERROR;
        ASSERT_EQ(Status([&] { return s.Append(Make(more)); }), expected)
            << "append of " << more.size() << " bytes";
        if (expected == LNNOERROR) model += more;
        break;
    }
    case 1: {
        const uint32_t at = random.Position(length);
        const std::string more = random.Text(4);
        LNSTATUS expected = LNNOERROR;
        if (more.empty() || at > length)
            expected = LNERR_INVALID_PARAMETER;
        else if (tooLong(model.size() + more.size()))
            expected = LNERR_STRING_TOO_LONG;
        ASSERT_EQ(Status([&] { return s.Insert(at, Make(more)); }), expected) << "insert at " << at;
        if (expected == LNNOERROR) model.insert(offset(at), more);
        break;
    }
    case 2:
    case 3: {
        const uint32_t at = random.Position(length);
        const uint32_t count = random.Count(at, length);
        const bool valid = count != 0 && at <= length && count <= length - at;
        ASSERT_EQ(Status([&] { return s.Delete(at, count); }), valid ? LNNOERROR : LNERR_INVALID_PARAMETER)
            << "delete " << count << " at " << at;
        if (valid) model.erase(offset(at), offset(at + count) - offset(at));
        break;
    }
    case 4: {
        const uint32_t at = random.Position(length);
        const uint32_t count = random.Count(at, length);
        const std::string by = random.Text(3);
        const bool valid = count != 0 && at < length && count <= length - at;
        LNSTATUS expected = valid ? LNNOERROR : LNERR_INVALID_PARAMETER;
        size_t from = 0, to = 0;
        if (valid) {
            from = offset(at);
            to = offset(at + count);
            if (tooLong(model.size() - (to - from) + by.size())) expected = LNERR_STRING_TOO_LONG;
        }
        ASSERT_EQ(Status([&] { return s.Replace(at, count, Make(by)); }), expected)
            << "replace " << count << " at " << at;
        if (expected == LNNOERROR) model.replace(from, to - from, by);
        break;
    }
    case 5: {
        // Replacing by a piece of the text itself.
        if (length == 0) break;
        const uint32_t at = random.Below(length);
        const uint32_t count = 1 + random.Below(length - at);
        const std::string by = model.substr(offset(at), offset(at + count) - offset(at));
        const uint32_t where = random.Below(length);
        const uint32_t byLength = static_cast<uint32_t>(Chars(by).size());
        LNSTATUS expected = byLength <= length - where ? LNNOERROR : LNERR_INVALID_PARAMETER;
        if (expected == LNNOERROR &&
            tooLong(model.size() - (offset(where + byLength) - offset(where)) + by.size()))
            expected = LNERR_STRING_TOO_LONG;
        LNString part;
        ASSERT_EQ(s.GetSubstring(at, count, &part), LNNOERROR);
        ASSERT_EQ(Bytes(part), by);
        ASSERT_EQ(Status([&] { return s.Replace(where, part); }), expected)
            << "replace at " << where << " by " << byLength << " characters";
        if (expected == LNNOERROR) model.replace(offset(where), offset(where + byLength) - offset(where), by);
        break;
    }
    case 6: {
        const uint32_t at = random.Position(length);
        const uint32_t count = random.Count(at, length);
        const bool valid = count != 0 && at <= length && count <= length - at;
        LNString part("kept");
        ASSERT_EQ(Status([&] { return s.GetSubstring(at, count, &part); }),
                  valid ? LNNOERROR : LNERR_INVALID_PARAMETER)
            << "substring " << count << " at " << at;
        ASSERT_EQ(Bytes(part), valid ? model.substr(offset(at), offset(at + count) - offset(at)) : "kept");
        break;
    }
    case 7: {
        // A pattern from the text itself (so that it is found) or one made up.
        std::string pattern = random.Text(2);
        if (length > 0 && random.Below(2) == 0) {
            const uint32_t at = random.Below(length);
            const uint32_t count = 1 + random.Below(std::min<uint32_t>(3, length - at));
            pattern = model.substr(offset(at), offset(at + count) - offset(at));
        }
        const uint32_t start = random.Position(length);
        uint32_t position = 0xABCD;
        const LNSTATUS status = Status([&] { return s.Find(Make(pattern), start, &position); });
        if (pattern.empty() || start > length) {
            ASSERT_EQ(status, LNERR_INVALID_PARAMETER);
            break;
        }
        const std::vector<size_t> starts = CharStarts(model);
        uint32_t expected = start;
        while (expected < length && model.compare(starts[expected], pattern.size(), pattern) != 0)
            ++expected;
        if (expected >= length) {
            ASSERT_EQ(status, LNWARN_NOT_FOUND) << "find from " << start;
            ASSERT_EQ(position, 0xABCDu);
        } else {
            ASSERT_EQ(status, LNNOERROR) << "find from " << start;
            ASSERT_EQ(position, expected) << "find from " << start;
        }
        break;
    }
    case 8: {
        const std::string pattern = random.Text(2);
        const uint32_t start = random.Position(length);
        uint32_t position = 0xABCD;
        const LNSTATUS status = Status([&] { return s.FindChar(Make(pattern), start, &position); });
        if (pattern.empty() || start > length) {
            ASSERT_EQ(status, LNERR_INVALID_PARAMETER);
            break;
        }
        const std::string wanted = Chars(pattern)[0];
        const std::vector<std::string> chars = Chars(model);
        uint32_t expected = start;
        while (expected < length && chars[expected] != wanted)
            ++expected;
        ASSERT_EQ(status, expected < length ? LNNOERROR : LNWARN_NOT_FOUND) << "find char from " << start;
        if (expected < length) {
            ASSERT_EQ(position, expected);
        }
        break;
    }
    case 9: {
        // Reading a character of the string, through a const view: it never detaches the body.
        const uint32_t at = random.Position(length);
        const LNString& view = s;
        if (at >= length) {
            ASSERT_EQ(Thrown([&] { view[at]; }), LNERR_INVALID_PARAMETER);
            break;
        }
        const std::string expected = Chars(model)[at];
        const LNChar c = view[at];
        ASSERT_EQ(c.GetTextPtr() - s.GetTextPtr(), static_cast<ptrdiff_t>(offset(at)));
        const std::string platform = PlatformForm(expected);
        const auto lead = static_cast<unsigned char>(platform[0]);
        // Characters up to U+00FF read as their Latin-1 byte, the rest as their first platform byte.
        const char latin1 = lead == 0xC2 || lead == 0xC3
                                ? static_cast<char>(((lead & 3) << 6) | (platform[1] & 0x3F))
                                : platform[0];
        ASSERT_EQ(char(c), latin1) << "character " << at;
        ASSERT_EQ(c.IsSpace(), expected == " " || expected == "\n");
        ASSERT_EQ(c.IsClassD(), expected == "1");
        break;
    }
    case 10: {
        // Writing a character through the string, or through the character held from it.
        const char letters[] = "qé";
        if (run.held.has_value() && random.Below(2) == 0) {
            const uint32_t at = run.heldAt;
            const LNSTATUS status = Thrown([&] { *run.held = 'q'; });
            ASSERT_EQ(status, at < length ? LNNOERROR : LNERR_INVALID_PARAMETER) << "held character " << at;
            if (status == LNNOERROR) model.replace(offset(at), offset(at + 1) - offset(at), "q");
            break;
        }
        if (length == 0) break;
        const uint32_t at = random.Below(length);
        const bool wide = random.Below(2) == 0;
        if (wide)
            s[at] = u'é';
        else
            s[at] = letters[0];
        model.replace(offset(at), offset(at + 1) - offset(at), wide ? "é" : "q");
        break;
    }
    case 11: {
        // Take a character to hold, or let the held one go.
        if (run.held.has_value() || length == 0) {
            run.held.reset();
            break;
        }
        run.heldAt = random.Below(length);
        run.held.emplace(s[run.heldAt]);
        break;
    }
    case 12: {
        // Copies: taken, dropped, or the string itself given a new text while a copy shares the old one.
        if (run.copies.size() < 3 && random.Below(3) != 0) {
            run.copies.emplace_back(s, model);
        } else if (!run.copies.empty()) {
            run.copies.erase(run.copies.begin() + random.Below(static_cast<uint32_t>(run.copies.size())));
        }
        break;
    }
    case 13: {
        // The string takes another text: a copy's, or a new one.
        if (!run.copies.empty() && random.Below(2) == 0) {
            const auto& copy = run.copies[random.Below(static_cast<uint32_t>(run.copies.size()))];
            s = copy.first;
            model = copy.second;
        } else {
            model = random.Text(5);
            s = Make(model);
        }
        // A character held from the string now belongs to no string: writing it changes no string.
        if (run.held.has_value()) {
            (void)Thrown([&] { *run.held = 'q'; });
            run.held.reset();
        }
        break;
    }
    case 14: {
        const int mode = static_cast<int>(random.Below(3));
        ASSERT_EQ(mode == 0   ? s.TranslateInPlaceMode3()
                  : mode == 1 ? s.TranslateInPlaceMode4()
                              : s.TranslateInPlaceMode5(),
                  LNNOERROR);
        const std::vector<std::string> before = Chars(model);
        const std::vector<std::string> after = Chars(Bytes(s));
        ASSERT_EQ(after.size(), before.size()) << "folding " << mode << " keeps the character count";
        for (size_t i = 0; i < before.size(); ++i) {
            const auto known = KnownFolds().find(before[i]);
            if (known != KnownFolds().end()) {
                const Folds& f = known->second;
                ASSERT_EQ(after[i], mode == 0   ? f.upper
                                    : mode == 1 ? f.fold
                                                : f.strip)
                    << "folding " << mode << " of character " << i;
            } else if (!WellFormed(before[i])) {
                ASSERT_EQ(after[i], before[i]) << "ill-formed character " << i << " passes unchanged";
            }
        }
        model = Bytes(s);
        break;
    }
    case 15: {
        const std::string platform = PlatformForm(model);
        if (tooLong(platform.size())) {
            ASSERT_EQ(Thrown([&] { s.GetPlatformTextPtr(); }), LNERR_STRING_TOO_LONG);
            break;
        }
        ASSERT_EQ(std::string(s.GetPlatformTextPtr()), platform);
        ASSERT_EQ(s.GetPlatformTextLength(), platform.size());
        // A text and its copy collate equal; two texts collate in opposite orders.
        if (model.size() < 2000) {
            const LNString other = Make(random.Text(3));
            ASSERT_EQ(LNStringCompare(s, LNString(s), 0), 0);
            const int ab = LNStringCompare(s, other, 0);
            const int ba = LNStringCompare(other, s, 0);
            ASSERT_EQ(ab<0, ba> 0);
            ASSERT_EQ(ab == 0, ba == 0);
        }
        break;
    }
    }
}

using StringRandomTest = TextTest;

// Every second seed runs with ThrowAllErrors set: a refused change is thrown and leaves the text as it was.
TEST_F(StringRandomTest, SequencesOfChangesAgreeWithTheModel) {
    for (const uint32_t seed : {1u, 2u, 3u, 20261210u}) {
        LNSetThrowAllErrors(seed % 2 == 0);
        RandomText random(seed);
        Subject run;
        run.model = random.Text(8);
        run.s = Make(run.model);
        for (int step = 0; step < 1000; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            ASSERT_NO_FATAL_FAILURE(Step(run, random));
            ASSERT_FALSE(HasFailure());
            ASSERT_NO_FATAL_FAILURE(run.Check());
        }
    }
}

} // namespace
