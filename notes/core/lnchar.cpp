#include "ln/lnchar.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnstringtext.h"
#include "nnotes/nls.h"
#include "nnotes/status.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Room for the translation of one character (at most four bytes, three per byte) and a terminator.
constexpr size_t kCharRoom = 3 * 4 + 1;

} // namespace

LNChar::LNChar(LNStringBody* body, uint32_t position) : LNChar(body, position, true) {}

LNChar::LNChar(LNStringBody* body, uint32_t position, bool writer)
    : LNNotesClass(body != nullptr ? body->GetSession() : nullptr), Body(nullptr), Position(position),
      Writer(writer) {
    LNAssertionFailed(body != nullptr, "string", "lnstring", 101);
    LNAssertionFailed(position < body->GetLength(), "pos < string->GetLength()", "lnstring", 104);
    Attach(body);
}

LNChar::LNChar(const LNChar& other)
    : LNNotesClass(other), Body(nullptr), Position(other.Position), Writer(other.Writer) {
    Attach(other.Body);
}

LNChar::~LNChar() {
    try {
        Detach();
    } catch (LNSTATUS) {
        // The failed check has already shown its box; a destructor must not throw.
    }
}

void LNChar::Attach(LNStringBody* body) {
    Body = body;
    Body->AddReference();
    ++Body->Chars;
    if (Writer) Body->WriterChars.push_back(this);
}

void LNChar::Detach() {
    LNStringBody* body = Body;
    Body = nullptr;
    --body->Chars;
    if (Writer) std::erase(body->WriterChars, this);
    if (body->ReleaseReference() == 0) delete body;
}

void LNChar::Rebind(LNStringBody* body) {
    Detach();
    Attach(body);
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
    char platform[3];
    char notes[kCharRoom];
    const uint32_t length = lntext::Translate(nnotes::TRANSLATE_PLATFORM_TO_NOTES, platform,
                                              lntext::EncodeLatin1(c, platform), notes);
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
    return lntext::DecodeLatin1(platform, length);
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
    if (Writer) {
        // Other strings share the text: this character's string (and its other characters) take a copy. A
        // character made from a body writes into that body itself; one that its string left behind holds a
        // text that no string shares (LNString::LetGo).
        if (Body->Owner != nullptr && Body->GetHandleCount() > 1) LNString::Detach(Body, Body->Owner);
    } else if (Body->GetRefCount() > 1) {
        // A reading character changes only its own copy of the text.
        auto* own = new LNStringBody(*Body);
        Detach();
        Attach(own);
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
