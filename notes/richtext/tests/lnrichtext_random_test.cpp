// Seeded random edits of two rich-text fields of one note, each step checked against a plain model: the
// characters in order, each with the font id of its run (paragraph records stand as elements of their own).
// Text goes in at random places (ASCII, characters of several bytes, texts longer than one run holds, empty
// text), ranges are deleted, restyled and copied into the other field, a cursor is moved by random distances
// and searched with, and one field is appended to the other. Every few steps the note is saved, closed and
// opened again, and what the store gives back must equal the model, styles included. The cases after the
// random one each hold a fault it found, without the random driver.
#include "ln/lnfontstyle.h"
#include "ln/lnnote.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnstylizedtext.h"
#include "lncompositefactory.h"
#include "richtextfixture.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr char32_t kParagraph = 0xFFFF; // an element, not a character of a run

struct Char {
    char32_t code;
    uint32_t font;
    bool operator==(const Char& other) const { return code == other.code && font == other.font; }
};
using Model = std::vector<Char>;

std::u32string Decode(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(code);
        i += length;
    }
    return out;
}

std::string Encode(const std::u32string& text) {
    std::string out;
    for (const char32_t code : text) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::string Platform(LNString text) {
    return std::string(text.GetPlatformTextPtr(), text.GetPlatformTextLength());
}

// The text GetText gives for the model: a paragraph reads as a line feed.
std::string Plain(const Model& model, size_t from = 0, size_t to = SIZE_MAX) {
    std::u32string text;
    for (size_t i = from; i < std::min(to, model.size()); ++i)
        text.push_back(model[i].code == kParagraph ? U'\n' : model[i].code);
    return Encode(text);
}

// An upper bound of the Notes bytes of the model's text, so that the whole text stays one string.
size_t Bytes(const Model& model) {
    size_t bytes = 0;
    for (const Char& c : model)
        bytes += c.code < 0x80 ? 1 : 3;
    return bytes;
}

// What the tree holds, read run by run (nested containers walked into).
void ReadTree(const LNRTObject& container, Model* out) {
    LNRTObject child;
    if (LNRTContainer(container).GetFirstChild(&child) != 0u) return;
    while (!child.IsNull()) {
        if (child.IsType(LNRTTYPE_STYLIZED_TEXT)) {
            LNFontStyle style;
            EXPECT_EQ(LNStylizedText(child).GetFontStyle(&style), 0u);
            LNString text;
            EXPECT_EQ(child.GetText(&text), 0u);
            for (const char32_t code : Decode(Platform(text)))
                out->push_back(Char{code, style.GetFontID()});
        } else if (child.IsType(LNRTTYPE_CONTAINER)) {
            ReadTree(child, out);
        } else {
            LNString text;
            EXPECT_EQ(child.GetText(&text), 0u);
            EXPECT_EQ(Platform(text), "\n");
            out->push_back(Char{kParagraph, 0});
        }
        LNRTObject next;
        if (child.GetNext(&next) != 0u) break;
        child = next;
    }
}

Model Read(const LNRichText& richText) {
    Model model;
    LNRTContainer top;
    EXPECT_EQ(richText.GetRTContainer(&top), 0u);
    ReadTree(top, &model);
    return model;
}

// Whether every object of the tree lies inside its container's interval, after its previous sibling.
bool IndexValuesInOrder(LNRTObjectBody* container) {
    if (!container->IsType(LNRTTYPE_CONTAINER) || container->IsType(LNRTTYPE_STYLIZED_TEXT)) return true;
    LNRTObject child;
    static_cast<LNRTContainerBody*>(container)->GetFirstChild(&child);
    uint32_t after = container->GetIndexValue();
    for (LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling()) {
        if (at->GetIndexValue() <= after || at->GetEndIndexValue() < at->GetIndexValue() ||
            at->GetEndIndexValue() >= container->GetEndIndexValue() || !IndexValuesInOrder(at))
            return false;
        after = at->GetEndIndexValue();
    }
    return true;
}

bool IndexValuesInOrder(const LNRichText& richText) {
    LNRTContainer top;
    EXPECT_EQ(richText.GetRTContainer(&top), 0u);
    return IndexValuesInOrder(top.GetObjectBody());
}

std::string Describe(const Model& model) {
    std::ostringstream out;
    uint32_t font = 0;
    for (const Char& c : model) {
        if (c.code == kParagraph) {
            out << "<P>";
            continue;
        }
        if (c.font != font) out << "{" << std::hex << c.font << std::dec << "}";
        font = c.font;
        out << Encode(std::u32string(1, c.code));
    }
    std::string text = out.str();
    if (text.size() > 400) text = text.substr(0, 200) + "..." + text.substr(text.size() - 200);
    return text;
}

// A cursor of its own at model position at (the end cursor at the end).
LNRTCursor CursorAt(const LNRichText& richText, size_t at, size_t size) {
    LNRTCursor cursor;
    if (at >= size) {
        EXPECT_EQ(richText.GetEndCursor(&cursor), 0u);
    } else {
        EXPECT_EQ(richText.GetStartCursor(&cursor), 0u);
        cursor += static_cast<uint32_t>(at);
    }
    return cursor;
}

int64_t IndexOf(const LNRichText& richText, const LNRTCursor& cursor) {
    LNRTCursor start;
    EXPECT_EQ(richText.GetStartCursor(&start), 0u);
    return cursor - start;
}

const char* const kLetters[] = {
    "a",           "b", "a", "c", "x", " ", "A", "\xC3\xA9", "\xC3\x9F", "\xE2\x82\xAC", "\xE6\x97\xA5",
    "\xE6\x9C\xAC"};

// A random text: mostly a few characters, sometimes none, sometimes more than one run holds.
std::u32string RandomText(std::mt19937& rng, size_t room) {
    const uint32_t kind = rng() % 40;
    std::u32string text;
    if (kind == 0) return text;
    if (kind == 1 && room > 44000) {
        // Longer than a run holds: plain letters, or characters of three bytes each.
        if (rng() % 2 == 0) {
            text.assign(41000 + rng() % 2000, U'a');
            for (size_t i = 0; i < text.size(); i += 1 + rng() % 997)
                text[i] = U'a' + static_cast<char32_t>(rng() % 26);
        } else {
            text.assign(13700 + rng() % 700, U'\x65E5');
            for (size_t i = 0; i < text.size(); i += 1 + rng() % 499)
                text[i] = U'b';
        }
        return text;
    }
    const size_t length = 1 + rng() % (kind < 30 ? 6 : 60);
    for (size_t i = 0; i < length; ++i)
        text += Decode(kLetters[rng() % std::size(kLetters)]);
    return text;
}

uint32_t RandomFont(std::mt19937& rng) {
    static const uint8_t attributes[] = {0, 1, 2, 3, 4, 8, 0x10, 0x20, 0x41};
    return 0x01u | uint32_t{attributes[rng() % std::size(attributes)]} << 8 | (rng() % 4) << 16 |
           uint32_t{static_cast<uint8_t>(8 + 2 * (rng() % 6))} << 24;
}

class RichTextRandomTest : public NoteRichTextTest {
protected:
    void SetUp() override {
        LNInstallRichTextFactory();
        NoteRichTextTest::SetUp();
    }
    void TearDown() override {
        rover_ = LNRTCursor();
        fields_[0] = fields_[1] = LNRichText();
        note_ = LNNote();
        NoteRichTextTest::TearDown();
        LNInstallRichTextFactory();
    }

    // A stored field of a few runs (ASCII, in random fonts) and paragraphs.
    std::string RandomField(std::mt19937& rng, Model* model) {
        std::string records;
        const uint32_t runs = 1 + rng() % 3;
        for (uint32_t r = 0; r < runs; ++r) {
            std::string text;
            const uint32_t font = r == 0 ? LNFONTID_DEFAULT : RandomFont(rng);
            for (uint32_t i = 1 + rng() % 8; i > 0; --i)
                text.push_back(static_cast<char>('a' + rng() % 4));
            records += TextRecord(text, font);
            for (const char c : text)
                model->push_back(Char{static_cast<char32_t>(c), font});
            if (rng() % 3 == 0) {
                records += Paragraph();
                model->push_back(Char{kParagraph, 0});
            }
        }
        return records;
    }

    void Open() {
        note_ = LNNote(static_cast<LNDatabaseBody*>(db_.GetBody()), id_);
        ASSERT_EQ(note_.Open(0), 0u);
        ASSERT_EQ(note_.GetItem(LNString("Body"), &fields_[0]), 0u);
        ASSERT_EQ(note_.GetItem(LNString("Other"), &fields_[1]), 0u);
    }

    void SaveAndReopen() {
        rover_ = LNRTCursor();
        ASSERT_EQ(note_.Save(0), 0u);
        fields_[0] = fields_[1] = LNRichText();
        note_ = LNNote();
        // Each stored item of a field holds at most a block.
        for (const char* name : {"Body", "Other"})
            for (const std::string& value : StoredValues(id_, name))
                ASSERT_LE(value.size(), LNRICHTEXT_BLOCK_SIZE) << name;
        Open();
    }

    // Both fields as the model has them: the whole text, and the characters with their fonts.
    void Check(const std::string& where) {
        for (int f = 0; f < 2; ++f) {
            LNString text;
            ASSERT_EQ(fields_[f].GetText(&text), 0u) << where;
            ASSERT_EQ(Platform(text), Plain(models_[f])) << where << " field " << f;
            const Model read = Read(fields_[f]);
            ASSERT_TRUE(read == models_[f]) << where << " field " << f << "\n read  " << Describe(read)
                                            << "\n model " << Describe(models_[f]);
            ASSERT_TRUE(IndexValuesInOrder(fields_[f])) << where << " field " << f;
        }
        if (!rover_.IsNull() && !models_[0].empty()) {
            ASSERT_TRUE(rover_.IsValid()) << where;
            ASSERT_EQ(IndexOf(fields_[0], rover_), static_cast<int64_t>(roverAt_)) << where << " rover";
            // The style at a cursor is its run's.
            if (models_[0][roverAt_].code != kParagraph) {
                LNFontStyle style;
                ASSERT_EQ(rover_.GetFontStyle(&style), 0u) << where;
                ASSERT_EQ(style.GetFontID(), models_[0][roverAt_].font) << where << " rover's style";
            }
        }
    }

    // The rover (a cursor kept across the edits of field 0) stands on a random character.
    void PlaceRover(std::mt19937& rng) {
        rover_ = LNRTCursor();
        if (models_[0].empty()) return;
        roverAt_ = rng() % models_[0].size();
        rover_ = CursorAt(fields_[0], roverAt_, models_[0].size());
    }

    // Text put in at position at of field f goes before the character there and takes the style of the run
    // it joins: the run at the position, else the run before it, else a new run in the default font.
    // Through a cursor just after the character before (afterPrevious), the text joins that character's
    // run; after a paragraph, the run that follows it.
    void InsertText(int f, size_t at, const std::u32string& text, bool afterPrevious,
                    const std::string& where) {
        Model& model = models_[f];
        const bool textAt = at < model.size() && model[at].code != kParagraph;
        const bool textBefore = at > 0 && model[at - 1].code != kParagraph;
        afterPrevious = afterPrevious && at > 0 && at < model.size();
        uint32_t font = LNFONTID_DEFAULT;
        if (afterPrevious ? textBefore : textAt)
            font = model[afterPrevious ? at - 1 : at].font;
        else if (afterPrevious ? textAt : textBefore)
            font = model[afterPrevious ? at : at - 1].font;
        const LNString put(Encode(text).c_str());
        if (model.empty()) {
            ASSERT_EQ(fields_[f].Append(put), 0u) << where;
        } else {
            LNRTCursor cursor = CursorAt(fields_[f], afterPrevious ? at - 1 : at, model.size());
            if (afterPrevious) cursor = LNRTCursor(cursor.GetCursorBody()->GetStop(), true);
            const LNSTATUS status = fields_[f].InsertTextAtCursor(put, cursor);
            if (status == LNERR_CANNOT_INSERT_TYPE) {
                // Refused only where no text may go: on a paragraph that follows another inside a nested
                // container (the model holds runs and paragraphs only).
                ASSERT_FALSE(cursor.CanInsert(LNRTTYPE_STYLIZED_TEXT)) << where;
                ASSERT_TRUE(at > 0 && model[at].code == kParagraph && model[at - 1].code == kParagraph)
                    << where;
                LNRTObject container;
                ASSERT_EQ(cursor.GetParent(&container), 0u) << where;
                LNRTObject outer;
                ASSERT_EQ(container.GetParent(&outer), 0u) << where << " refused in the top container";
                return;
            }
            ASSERT_EQ(status, 0u) << where;
            if (!text.empty()) {
                ASSERT_EQ(IndexOf(fields_[f], cursor), static_cast<int64_t>(at + text.size())) << where;
            }
        }
        Model chars;
        for (const char32_t code : text)
            chars.push_back(Char{code, font});
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), chars.begin(), chars.end());
        if (f == 0 && at <= roverAt_) roverAt_ += text.size();
    }

    // Model positions a range may start and end on: anywhere, with run ends and both ends favoured.
    size_t RandomBound(std::mt19937& rng, const Model& model) {
        const uint32_t kind = rng() % 6;
        if (kind == 0) return 0;
        if (kind == 1) return model.size();
        if (kind == 2) {
            std::vector<size_t> ends;
            for (size_t i = 1; i < model.size(); ++i)
                if (model[i].font != model[i - 1].font || model[i].code == kParagraph ||
                    model[i - 1].code == kParagraph)
                    ends.push_back(i);
            if (!ends.empty()) return ends[rng() % ends.size()];
        }
        return rng() % (model.size() + 1);
    }

    void Step(std::mt19937& rng, const std::string& where);
    void Search(std::mt19937& rng, const std::string& where);

    nnotes::NOTEID id_ = 0;
    LNNote note_;
    LNRichText fields_[2];
    Model models_[2];
    LNRTCursor rover_;
    size_t roverAt_ = 0;
};

void RichTextRandomTest::Search(std::mt19937& rng, const std::string& where) {
    const Model& model = models_[0];
    // The runs' text joined (elements left out), and where each of its characters stands in the model.
    std::u32string joined;
    std::vector<size_t> place;
    for (size_t i = 0; i < model.size(); ++i)
        if (model[i].code != kParagraph) {
            joined.push_back(model[i].code);
            place.push_back(i);
        }
    std::u32string pattern;
    if (!joined.empty() && rng() % 4 != 0) {
        const size_t from = rng() % joined.size();
        pattern = joined.substr(from, 1 + rng() % 3);
    } else {
        for (uint32_t i = 1 + rng() % 3; i > 0; --i)
            pattern += Decode(kLetters[rng() % std::size(kLetters)]);
    }
    // The rover searches, or a cursor of its own anywhere (the end included).
    const bool rover = rng() % 2 == 0;
    const size_t from = rover ? roverAt_ : rng() % (model.size() + 1);
    LNRTCursor probe = rover ? rover_ : CursorAt(fields_[0], from, model.size());
    // The cursor's place in the joined text: its character, or the first character after its element.
    size_t at = 0;
    while (at < place.size() && place[at] < from)
        ++at;
    const bool onCharacter = at < place.size() && place[at] == from;
    std::vector<size_t> matches; // overlapping matches count
    for (size_t i = joined.find(pattern); i != std::u32string::npos; i = joined.find(pattern, i + 1))
        matches.push_back(i);
    const uint32_t kind = rng() % 4;
    size_t expected = SIZE_MAX;
    LNSTATUS status = 0;
    probe.SetSearchOptions(3);
    const LNString text(Encode(pattern).c_str());
    if (kind == 0) {
        if (!matches.empty()) expected = matches.front();
        status = probe.FindFirst(text);
    } else if (kind == 1) {
        if (!matches.empty()) expected = matches.back();
        status = probe.FindLast(text);
    } else if (kind == 2) {
        const size_t after = onCharacter ? at + 1 : at;
        for (const size_t m : matches)
            if (m >= after) {
                expected = m;
                break;
            }
        status = probe.FindNext(text);
    } else {
        for (const size_t m : matches)
            if (m < at) expected = m;
        status = probe.FindPrevious(text);
    }
    const std::string what = where + " search " + std::to_string(kind) + " for \"" + Encode(pattern) +
                             "\" from " + std::to_string(from) + (rover ? " (rover)" : "") + " in " +
                             Describe(model);
    size_t now = from;
    if (expected == SIZE_MAX) {
        ASSERT_EQ(status, LNWARN_NOT_FOUND) << what;
    } else {
        ASSERT_EQ(status, 0u) << what;
        now = place[expected];
    }
    ASSERT_EQ(IndexOf(fields_[0], probe), static_cast<int64_t>(now)) << what;
    if (rover) roverAt_ = now;
}

void RichTextRandomTest::Step(std::mt19937& rng, const std::string& where) {
    const int f = static_cast<int>(rng() % 2);
    Model& model = models_[f];
    const uint32_t op = rng() % 10;
    // Big texts mostly shrink, so that the whole text stays one string.
    const bool big = Bytes(models_[0]) + Bytes(models_[1]) > 50000;
    if (op <= 2 && !big) {
        const size_t at = rng() % (model.size() + 1);
        const std::u32string text = RandomText(rng, 60000 - Bytes(models_[0]) - Bytes(models_[1]));
        const bool afterPrevious = rng() % 3 == 0;
        ASSERT_NO_FATAL_FAILURE(InsertText(f, at, text, afterPrevious,
                                           where + " insert \"" + Encode(text.substr(0, 20)) + "\" (" +
                                               std::to_string(text.size()) + ") at " + std::to_string(at) +
                                               (afterPrevious ? " after the one before" : "") + " of field " +
                                               std::to_string(f) + " " + Describe(model)));
        return;
    }
    if (op <= 4 && !model.empty()) {
        size_t from = RandomBound(rng, model);
        size_t to = big ? model.size() : RandomBound(rng, model);
        if (to < from) std::swap(from, to);
        const std::string what = where + " delete " + std::to_string(from) + ".." + std::to_string(to) +
                                 " of field " + std::to_string(f) + " " + Describe(model);
        LNRTCursor a = CursorAt(fields_[f], from, model.size());
        LNRTCursor b = CursorAt(fields_[f], to, model.size());
        // An empty range selects nothing, and is refused.
        const LNSTATUS expected = from < to ? 0u : LNERR_INVALID_SELECTION;
        if (rng() % 2 == 0) {
            ASSERT_EQ(fields_[f].DeleteRange(&a, &b), expected) << what;
        } else {
            b = LNRTCursor();
            ASSERT_EQ(fields_[f].DeleteCount(&a, static_cast<uint32_t>(to - from)), expected) << what;
        }
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(from),
                    model.begin() + static_cast<std::ptrdiff_t>(to));
        if (!model.empty() && from < to) {
            ASSERT_TRUE(a.IsValid()) << what;
            ASSERT_EQ(IndexOf(fields_[f], a), static_cast<int64_t>(from)) << what;
        }
        if (f == 0 && from < to) {
            if (roverAt_ >= to)
                roverAt_ -= to - from;
            else if (roverAt_ >= from)
                PlaceRover(rng);
        }
        return;
    }
    if (op == 5 && !models_[0].empty()) {
        if (rover_.IsNull()) PlaceRover(rng);
        if (rng() % 2 == 0) {
            ASSERT_NO_FATAL_FAILURE(Search(rng, where));
            return;
        }
        // Moves past either end stop there.
        const int64_t by = static_cast<int64_t>(rng() % 40) - 20;
        const int64_t to = std::clamp<int64_t>(static_cast<int64_t>(roverAt_) + by, 0,
                                               static_cast<int64_t>(models_[0].size()));
        if (by >= 0)
            rover_ += static_cast<uint32_t>(by);
        else
            rover_ -= static_cast<uint32_t>(-by);
        const std::string what =
            where + " move by " + std::to_string(by) + " from " + std::to_string(roverAt_);
        ASSERT_EQ(IndexOf(fields_[0], rover_), to) << what;
        ASSERT_EQ(rover_.IsAtEnd(), to == static_cast<int64_t>(models_[0].size())) << what;
        roverAt_ = static_cast<size_t>(to);
        if (rover_.IsAtEnd()) PlaceRover(rng);
        return;
    }
    if (op == 6 && !model.empty()) {
        size_t from = RandomBound(rng, model);
        size_t to = RandomBound(rng, model);
        if (to < from) std::swap(from, to);
        LNFontStyle style;
        const uint32_t font = RandomFont(rng);
        ASSERT_EQ(style.SetAttributes(static_cast<uint8_t>(font >> 8)), 0u);
        style.SetColor(static_cast<uint8_t>(font >> 16));
        style.SetPointSize(static_cast<uint8_t>(font >> 24));
        static const uint32_t masks[] = {0xFF00, 0xFF0000, 0xFF000000, 0xFFFFFF00};
        const uint32_t mask = masks[rng() % std::size(masks)];
        LNRTCursor a = CursorAt(fields_[f], from, model.size());
        LNRTCursor b = CursorAt(fields_[f], to, model.size());
        ASSERT_EQ(fields_[f].SetFontStyleInRange(&a, &b, style, mask), 0u)
            << where << " restyle " << from << ".." << to << " of field " << f;
        for (size_t i = from; i < to; ++i)
            if (model[i].code != kParagraph)
                model[i].font = (model[i].font & ~mask) | (style.GetFontID() & mask);
        return;
    }
    if (op == 7 && !model.empty() && !big) {
        // A range copied into the other field (or into this one) at a random place.
        size_t from = RandomBound(rng, model);
        size_t to = RandomBound(rng, model);
        if (to < from) std::swap(from, to);
        const int into = static_cast<int>(rng() % 3 == 0 ? f : 1 - f);
        const Model part(model.begin() + static_cast<std::ptrdiff_t>(from),
                         model.begin() + static_cast<std::ptrdiff_t>(to));
        if (Bytes(part) + Bytes(models_[0]) + Bytes(models_[1]) > 60000) return;
        const std::string what = where + " copy " + std::to_string(from) + ".." + std::to_string(to) +
                                 " of field " + std::to_string(f) + " " + Describe(model) + " into field " +
                                 std::to_string(into) + " " + Describe(models_[into]);
        LNRichText copy;
        LNRTCursor a = CursorAt(fields_[f], from, model.size());
        LNRTCursor b = CursorAt(fields_[f], to, model.size());
        if (from == to) {
            // An empty range selects nothing, and is refused.
            ASSERT_EQ(fields_[f].CopyRangeToRichText(a, b, &copy), LNERR_INVALID_SELECTION) << what;
            return;
        }
        ASSERT_EQ(fields_[f].CopyRangeToRichText(a, b, &copy), 0u) << what;
        LNString text;
        ASSERT_EQ(copy.GetText(&text), 0u) << what;
        ASSERT_EQ(Platform(text), Plain(part)) << what;
        ASSERT_TRUE(Read(copy) == part) << what << "\n copied " << Describe(Read(copy));
        Model& target = models_[into];
        if (target.empty()) {
            ASSERT_EQ(fields_[into].Append(copy), 0u) << what;
            target = part;
            if (into == 0) PlaceRover(rng);
            return;
        }
        const size_t at = rng() % (target.size() + 1);
        a = b = LNRTCursor();
        LNRTCursor cursor = CursorAt(fields_[into], at, target.size());
        ASSERT_EQ(fields_[into].InsertRichTextAtCursor(cursor, copy), 0u) << what << " at " << at;
        target.insert(target.begin() + static_cast<std::ptrdiff_t>(at), part.begin(), part.end());
        if (into == 0 && at <= roverAt_) roverAt_ += part.size();
        return;
    }
    if (op == 8 && !big) {
        // One field appended to the other, or to itself.
        const int from = static_cast<int>(rng() % 3 == 0 ? f : 1 - f);
        const Model part = models_[from];
        if (Bytes(part) + Bytes(models_[0]) + Bytes(models_[1]) > 60000) return;
        ASSERT_EQ(fields_[f].Append(fields_[from]), 0u)
            << where << " append field " << from << " to field " << f;
        model.insert(model.end(), part.begin(), part.end());
        return;
    }
    if (op == 9 && !model.empty()) {
        // A paragraph put in at a random place.
        const size_t at = rng() % (model.size() + 1);
        LNRTCursor cursor = CursorAt(fields_[f], at, model.size());
        ASSERT_EQ(fields_[f].InsertObjectAtCursor(cursor, ParagraphRecord()), 0u)
            << where << " paragraph at " << at << " of field " << f << " " << Describe(model);
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), Char{kParagraph, 0});
        if (f == 0 && at <= roverAt_) ++roverAt_;
        return;
    }
    // The text of a random range, read through a copy of it: between two cursors, or over a count of
    // positions (which may run past the end).
    if (model.empty()) return;
    const size_t from = rng() % model.size();
    const size_t count = 1 + rng() % (model.size() - from + 3);
    const size_t to = std::min(from + count, model.size());
    const uint32_t kind = rng() % 3;
    const std::string what = where + " copy " + std::to_string(kind) + " of " + std::to_string(from) + ".." +
                             std::to_string(from + count) + " of field " + std::to_string(f);
    LNRichText copy;
    const LNRTCursor a = CursorAt(fields_[f], from, model.size());
    if (kind == 0) {
        ASSERT_EQ(fields_[f].CopyRangeToRichText(a, CursorAt(fields_[f], to, model.size()), &copy), 0u)
            << what;
    } else if (kind == 1) {
        ASSERT_EQ(fields_[f].CopyCountToRichText(a, static_cast<uint32_t>(count), &copy), 0u) << what;
    } else {
        ASSERT_EQ(fields_[f].CopyCountToRichText(&a, static_cast<uint32_t>(count), &copy), 0u) << what;
    }
    LNString text;
    ASSERT_EQ(copy.GetText(&text), 0u) << what;
    ASSERT_EQ(Platform(text), Plain(model, from, to)) << what;
    const Model part(model.begin() + static_cast<std::ptrdiff_t>(from),
                     model.begin() + static_cast<std::ptrdiff_t>(to));
    ASSERT_TRUE(Read(copy) == part) << what << "\n copied " << Describe(Read(copy));
}

} // namespace

TEST_F(RichTextRandomTest, RandomEditsReadBackAsThePlainModelSays) {
    for (uint32_t seed = 1; seed <= 32; ++seed) {
        std::mt19937 rng(seed);
        models_[0].clear();
        models_[1].clear();
        const std::string body = RandomField(rng, &models_[0]);
        const std::string other = RandomField(rng, &models_[1]);
        id_ = SaveItems({{"Body", body}, {"Other", other}});
        ASSERT_NO_FATAL_FAILURE(Open());
        PlaceRover(rng);
        for (uint32_t step = 0; step < 60; ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            ASSERT_NO_FATAL_FAILURE(Step(rng, where));
            ASSERT_NO_FATAL_FAILURE(Check(where));
            if (rng() % 6 == 0) {
                ASSERT_NO_FATAL_FAILURE(SaveAndReopen());
                ASSERT_NO_FATAL_FAILURE(Check(where + " reopened"));
                PlaceRover(rng);
            }
        }
        ASSERT_NO_FATAL_FAILURE(SaveAndReopen());
        ASSERT_NO_FATAL_FAILURE(Check("seed " + std::to_string(seed) + " at the end"));
        rover_ = LNRTCursor();
        fields_[0] = fields_[1] = LNRichText();
        note_ = LNNote();
    }
}

using RichTextRandomFaultTest = RichTextTest;

// "ab", a paragraph and "cd", with a cursor on "cd" and the run it stands on: each paragraph put in at the
// cursor narrows the gap in front of that run.
struct NarrowingGap {
    LNRichText richText{LNString("ab")};
    LNRTCursor c;
    LNRTObject run;

    void Start() {
        ASSERT_EQ(richText.Append(ParagraphRecord()), 0u);
        ASSERT_EQ(richText.Append(LNString("cd")), 0u);
        ASSERT_EQ(richText.GetStartCursor(&c), 0u);
        c += 3;
        ASSERT_EQ(c.GetObject(&run), 0u);
    }

    uint32_t Gap() const {
        LNRTObject previous;
        EXPECT_EQ(run.GetPrevious(&previous), 0u);
        return run.GetIndexValue() - previous.GetEndIndexValue();
    }

    // Puts paragraphs in at the cursor until the gap is below limit.
    void NarrowBelow(uint32_t limit) {
        while (Gap() >= limit)
            ASSERT_EQ(richText.InsertObjectAtCursor(c, ParagraphRecord()), 0u);
    }
};

TEST_F(RichTextRandomFaultTest, RichTextsGoInWhereTheGapBeforeAnObjectIsNarrow) {
    // Each paragraph put in before "cd" narrows the gap in front of it; the rich text of five objects put
    // in there needs more room than a single object, and must get it.
    LNRichText richText(LNString("ab"));
    ASSERT_EQ(richText.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(richText.Append(LNString("cd")), 0u);
    LNRichText piece(LNString("x"));
    for (const char* text : {"y", "z"}) {
        ASSERT_EQ(piece.Append(ParagraphRecord()), 0u);
        ASSERT_EQ(piece.Append(LNString(text)), 0u);
    }
    LNRTCursor c;
    ASSERT_EQ(richText.GetStartCursor(&c), 0u);
    c += 3;
    std::string expected = "ab\n";
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(richText.InsertObjectAtCursor(c, ParagraphRecord()), 0u) << i;
        ASSERT_EQ(richText.InsertRichTextAtCursor(c, piece), 0u) << i;
        expected += "\nx\ny\nz";
        ASSERT_TRUE(IndexValuesInOrder(richText)) << i;
    }
    EXPECT_EQ(TextOf(richText), expected + "cd");
    ASSERT_EQ(richText.Flush(), 0u);
    EXPECT_EQ(TextOf(richText), expected + "cd");
}

TEST_F(RichTextRandomFaultTest, AContainerGoesInAsTheFirstChildOfANarrowContainer) {
    // Paragraphs put in before "cd" until the gap in front of it is narrow, then an empty container there,
    // which takes a container of five objects as its first child.
    NarrowingGap g;
    ASSERT_NO_FATAL_FAILURE(g.Start());
    ASSERT_NO_FATAL_FAILURE(g.NarrowBelow(161));
    ASSERT_GE(g.Gap(), 80u);
    LNRichText& richText = g.richText;
    LNRTCursor& c = g.c;
    LNRTObject& run = g.run;
    LNRTContainer empty;
    empty = new LNRTContainerBody();
    ASSERT_EQ(richText.InsertObjectAtCursor(c, empty), 0u);
    LNRTObject inserted;
    ASSERT_EQ(run.GetPrevious(&inserted), 0u);
    ASSERT_TRUE(inserted.IsType(LNRTTYPE_CONTAINER));
    LNRTContainer five;
    ASSERT_EQ(five.Append(LNString("x")), 0u);
    for (const char* text : {"y", "z"}) {
        ASSERT_EQ(five.Append(ParagraphRecord()), 0u);
        ASSERT_EQ(five.Append(LNStylizedText(LNString(text))), 0u);
    }
    ASSERT_EQ(LNRTContainer(inserted).Append(five), 0u);
    EXPECT_TRUE(IndexValuesInOrder(richText));
    const std::string text = TextOf(richText);
    EXPECT_EQ(text.substr(text.size() - 7), "x\ny\nzcd");
}

TEST_F(RichTextRandomFaultTest, LongTextsOfWideCharactersGoInWhole) {
    std::string wide;
    for (int i = 0; i < 14000; ++i)
        wide += "\xE6\x97\xA5";
    for (uint32_t at : {0u, 1u, 2u}) {
        LNRichText richText(LNString("ab"));
        LNRTCursor cursor;
        if (at < 2) {
            ASSERT_EQ(richText.GetStartCursor(&cursor), 0u);
            cursor += at;
        } else {
            ASSERT_EQ(richText.GetEndCursor(&cursor), 0u);
        }
        ASSERT_EQ(richText.InsertTextAtCursor(LNString(wide.c_str()), cursor), 0u) << at;
        LNString text;
        ASSERT_EQ(richText.GetText(&text), 0u);
        EXPECT_EQ(Platform(text), std::string("ab").insert(at, wide)) << at;
        LNRTCursor start;
        ASSERT_EQ(richText.GetStartCursor(&start), 0u);
        EXPECT_EQ(cursor - start, 14000 + at) << at;
        LNRTCursor end;
        ASSERT_EQ(richText.GetEndCursor(&end), 0u);
        EXPECT_EQ(end - start, 14002) << at;
    }
    // Appended, the text is cut into runs between characters too.
    LNRichText appended(LNString("a"));
    ASSERT_EQ(appended.Append(LNString(wide.c_str())), 0u);
    LNRTCursor start;
    LNRTCursor end;
    ASSERT_EQ(appended.GetStartCursor(&start), 0u);
    ASSERT_EQ(appended.GetEndCursor(&end), 0u);
    EXPECT_EQ(end - start, 14001);
    EXPECT_EQ(TextOf(appended), "a" + wide);
}

TEST_F(RichTextRandomFaultTest, SearchingBackFromTheEndFindsAMatchOnTheLastCharacter) {
    LNRichText richText(LNString("abca"));
    LNRTCursor end;
    ASSERT_EQ(richText.GetEndCursor(&end), 0u);
    ASSERT_EQ(end.FindPrevious(LNString("a")), 0u);
    LNRTCursor start;
    ASSERT_EQ(richText.GetStartCursor(&start), 0u);
    EXPECT_EQ(end - start, 3);
    // So does a cursor just after a character within the text.
    LNRTCursor afterC(Ahead(start, 2).GetCursorBody()->GetStop(), true);
    ASSERT_EQ(afterC.FindPrevious(LNString("c")), 0u);
    EXPECT_EQ(afterC - start, 2);
    EXPECT_FALSE(afterC.GetCursorBody()->IsAfter());
    // Searching on from the end finds nothing.
    ASSERT_EQ(richText.GetEndCursor(&end), 0u);
    EXPECT_EQ(end.FindNext(LNString("a")), LNWARN_NOT_FOUND);
    EXPECT_TRUE(end.IsAtEnd());
}

TEST_F(RichTextRandomFaultTest, ContainersOfNarrowIntervalsAreCopiedWithTheirChildren) {
    // Paragraphs put in before "cd" until the gap in front of it is narrow; a rich text put in there is a
    // container narrower than 10, which a copy of the whole rich text copies with its run.
    NarrowingGap g;
    ASSERT_NO_FATAL_FAILURE(g.Start());
    ASSERT_NO_FATAL_FAILURE(g.NarrowBelow(80));
    ASSERT_GE(g.Gap(), 10u);
    LNRichText& richText = g.richText;
    LNRTCursor& c = g.c;
    LNRTObject& run = g.run;
    ASSERT_EQ(richText.InsertRichTextAtCursor(c, LNRichText(LNString("x"))), 0u);
    LNRTObject inserted;
    ASSERT_EQ(run.GetPrevious(&inserted), 0u);
    ASSERT_LT(inserted.GetEndIndexValue() - inserted.GetIndexValue(), 10u);
    const std::string text = TextOf(richText);
    ASSERT_EQ(richText.Append(richText), 0u);
    EXPECT_EQ(TextOf(richText), text + text);
    LNRichText copy;
    ASSERT_EQ(copy.Assign(richText), 0u);
    EXPECT_EQ(TextOf(copy), text + text);
    EXPECT_TRUE(IndexValuesInOrder(richText));
    EXPECT_TRUE(IndexValuesInOrder(copy));
}

TEST_F(RichTextRandomFaultTest, TextGoesInJustAfterALeadingParagraph) {
    LNRichText richText;
    ASSERT_EQ(richText.Append(ParagraphRecord()), 0u);
    ASSERT_EQ(richText.Append(LNString("d")), 0u);
    LNRTCursor start;
    ASSERT_EQ(richText.GetStartCursor(&start), 0u);
    // Just after the paragraph is where "d" starts: text can go in there as on "d".
    LNRTCursor after(start.GetCursorBody()->GetStop(), true);
    EXPECT_TRUE(after.CanInsert(LNRTTYPE_STYLIZED_TEXT));
    ASSERT_EQ(richText.InsertTextAtCursor(LNString("x"), after), 0u);
    EXPECT_EQ(TextOf(richText), "\nxd");
    EXPECT_EQ(after - start, 2);
}

TEST_F(RichTextRandomFaultTest, ManyObjectsGoInsideANestedContainerOfManyObjects) {
    // Spread evenly, a container of 2000 objects among 2000 others leaves each of its own objects too
    // little room for a rich text of 2000 objects put in among them: renumbering gives each the room it
    // needs.
    LNRichText paragraphs;
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(paragraphs.Append(ParagraphRecord()), 0u);
    LNRichText richText;
    ASSERT_EQ(richText.Append(paragraphs), 0u);
    LNRTCursor end;
    ASSERT_EQ(richText.GetEndCursor(&end), 0u);
    ASSERT_EQ(richText.InsertRichTextAtCursor(end, paragraphs), 0u);
    LNRTCursor inside;
    ASSERT_EQ(richText.GetStartCursor(&inside), 0u);
    inside += 3000;
    ASSERT_EQ(richText.InsertRichTextAtCursor(inside, paragraphs), 0u);
    EXPECT_EQ(TextOf(richText), std::string(6000, '\n'));
    EXPECT_TRUE(IndexValuesInOrder(richText));
    // And further objects still find room beside them.
    ASSERT_EQ(richText.InsertObjectAtCursor(inside, ParagraphRecord()), 0u);
    ASSERT_EQ(richText.InsertRichTextAtCursor(inside, paragraphs), 0u);
    EXPECT_TRUE(IndexValuesInOrder(richText));
    EXPECT_EQ(TextOf(richText), std::string(8001, '\n'));
}

TEST_F(RichTextRandomFaultTest, AContainerThatCannotGetRoomLeavesTheTreeAsItWas) {
    // A free-standing container over [0, 30] with three elements cannot hold a container of twenty.
    auto* body = new LNRTContainerBody();
    body->SetIndexValue(0);
    body->SetEndIndexValue(30);
    LNRTContainer tight{LNRTObject(body)};
    LNRTObject kids[3];
    for (LNRTObject& kid : kids) {
        kid = LNRTObject(new LNRTElementBody(LNRTTYPE_COMPOSITE_DATA));
        ASSERT_EQ(tight.AppendChild(&kid), 0u);
    }
    LNRTContainer twenty;
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(twenty.Append(ParagraphRecord()), 0u);
    EXPECT_EQ(kids[1].InsertAfter(&twenty), LNERR_CORRUPTED);
    EXPECT_EQ(kids[1].InsertBefore(&twenty), LNERR_CORRUPTED);
    EXPECT_EQ(tight.GetChildCount(), 3u);
    LNRTObject next;
    ASSERT_EQ(kids[1].GetNext(&next), 0u);
    EXPECT_TRUE(next == kids[2]);
    EXPECT_TRUE(IndexValuesInOrder(body));
    LNRTObject parent;
    EXPECT_EQ(twenty.GetParent(&parent), LNWARN_NOT_FOUND);
    EXPECT_EQ(twenty.GetChildCount(), 20u);
    // Given room, it goes in.
    body->SetEndIndexValue(LNRT_MAX_INDEX_VALUE);
    ASSERT_EQ(kids[1].InsertAfter(&twenty), 0u);
    EXPECT_EQ(tight.GetChildCount(), 4u);
    EXPECT_TRUE(IndexValuesInOrder(body));
}
