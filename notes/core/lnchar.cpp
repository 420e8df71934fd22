#include "lnchar.h"

#include "lnassert.h"
#include "lnerrors.h"
#include "lnstringtext.h"

#include <string>

namespace {

// Room for the translation of one character (at most four bytes, three per byte) and a terminator.
constexpr size_t kCharRoom = 3 * 4 + 1;

} // namespace

LNChar::LNChar(LNStringBody* body, uint32_t position) : LNChar(body, position, true) {}

LNChar::LNChar(LNStringBody* body, uint32_t position, bool writer)
    : LNNotesClass(body != nullptr ? body->GetSession() : nullptr), Body(body), Position(position),
      Writer(writer) {
    LNAssertionFailed(body != nullptr, "string", "lnstring", 101);
    LNAssertionFailed(position < body->GetLength(), "pos < string->GetLength()", "lnstring", 104);
    Body->AddReference();
    if (Writer) ++Body->Writers;
}

LNChar::LNChar(const LNChar& other)
    : LNNotesClass(other), Body(other.Body), Position(other.Position), Writer(other.Writer) {
    Body->AddReference();
    if (Writer) ++Body->Writers;
}

LNChar::~LNChar() {
    if (Writer) --Body->Writers;
    try {
        if (Body->ReleaseReference() == 0) delete Body;
    } catch (LNSTATUS) {
        // The failed check has already shown its box; a destructor must not throw.
    }
}

LNChar& LNChar::operator=(const LNChar& other) {
    if (this == &other) return *this;
    uint32_t size = 0;
    const char* bytes = other.Bytes(&size);
    if (size == 0) throw LNERR_INVALID_PARAMETER;
    ReplaceBy(bytes, size);
    return *this;
}

LNChar& LNChar::operator=(char c) {
    lntext::RequireAPI();
    char notes[kCharRoom];
    const uint32_t length = lntext::Translate(nnotes::TRANSLATE_PLATFORM_TO_NOTES, &c, 1, notes);
    ReplaceBy(notes, length);
    return *this;
}

LNChar& LNChar::operator=(char16_t c) {
    lntext::RequireAPI();
    char platform[3];
    char notes[3 * sizeof platform + 1];
    const uint32_t length = lntext::Translate(nnotes::TRANSLATE_PLATFORM_TO_NOTES, platform,
                                              lntext::EncodeUnit(c, platform), notes);
    ReplaceBy(notes, length);
    return *this;
}

LNChar::operator char() const {
    uint32_t size = 0;
    const char* bytes = Bytes(&size);
    char platform[kCharRoom];
    const uint32_t length = lntext::Translate(nnotes::TRANSLATE_NOTES_TO_PLATFORM, bytes, size, platform);
    return length > 0 ? platform[0] : '\0';
}

const LNUCHAR* LNChar::GetTextPtr() const {
    LNAssertionFailed(Body != nullptr, "Body", "lnstring", 353);
    lntext::RequireAPI();
    return Body->GetTextPtr() + Body->GetByteOffset(Position);
}

bool LNChar::IsClassA() const {
    return InClass(nnotes::NLS_CLASS_ALNUM);
}

bool LNChar::IsClassB() const {
    return InClass(nnotes::NLS_CLASS_ALPHA);
}

bool LNChar::IsClassC() const {
    return InClass(nnotes::NLS_CLASS_CNTRL);
}

bool LNChar::IsClassD() const {
    return InClass(nnotes::NLS_CLASS_DIGIT);
}

bool LNChar::IsClassE() const {
    return InClass(nnotes::NLS_CLASS_LOWER);
}

bool LNChar::IsClassF() const {
    return InClass(nnotes::NLS_CLASS_PRINT);
}

bool LNChar::IsNull() const {
    return *GetTextPtr() == '\0';
}

bool LNChar::IsClassG() const {
    return InClass(nnotes::NLS_CLASS_PUNCT);
}

bool LNChar::IsSpace() const {
    return InClass(nnotes::NLS_CLASS_SPACE);
}

bool LNChar::IsClassH() const {
    return InClass(nnotes::NLS_CLASS_UPPER);
}

void LNChar::ToMode5() {
    ToMode(nnotes::TRANSLATE_STRIP_ACCENTS, 743);
}

void LNChar::ToMode4() {
    ToMode(nnotes::TRANSLATE_FOLD_CASE, 799);
}

void LNChar::ToMode3() {
    ToMode(nnotes::TRANSLATE_UPPER_CASE, 855);
}

const char* LNChar::Bytes(uint32_t* size) const {
    lntext::RequireAPI();
    const uint32_t offset = Body->GetByteOffset(Position);
    *size = Body->GetCharSize(Position);
    return lntext::Chars(Body->GetTextPtr()) + offset;
}

bool LNChar::InClass(uint16_t charClass) const {
    uint32_t size = 0;
    const char* bytes = Bytes(&size);
    return size > 0 && nnotes::NLSCharacterIsOfClass(bytes, static_cast<uint16_t>(size), charClass,
                                                     lntext::NotesInfo()) == nnotes::NOERROR;
}

void LNChar::ReplaceBy(const char* notes, uint32_t length) {
    lntext::RequireAPI();
    // Copied out first: the bytes may come from the very text that the replacement changes.
    const std::string text(notes, length);
    if (!Writer && Body->GetRefCount() > 1) {
        // A reading character changes only its own copy of the text.
        auto* own = new LNStringBody(*Body);
        own->AddReference();
        Body->ReleaseReference();
        Body = own;
    }
    if (const LNSTATUS status = Body->Replace(Position, 1, reinterpret_cast<const LNUCHAR*>(text.c_str())))
        throw status;
}

void LNChar::ToMode(uint16_t mode, unsigned line) {
    uint32_t size = 0;
    const char* bytes = Bytes(&size);
    LNAssertionFailed(size != 0, "size", "lnstring", line);
    char folded[kCharRoom];
    ReplaceBy(folded, lntext::Translate(mode, bytes, size, folded));
}
