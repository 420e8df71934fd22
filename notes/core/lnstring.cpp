// The string handle: construction, sharing and copy on write, and the changes, each passed on to the body.
#include "ln/lnstring.h"

#include "ln/lnchar.h"
#include "ln/lnerrors.h"
#include "ln/lnstringtext.h"
#include "nnotes/nls.h"

#include <cstring>

namespace {

// The body that a copy of a string takes: the same one, unless characters write into it as that string's own
// text; then a body of its own.
LNStringBody* BodyForCopy(LNStringBody* body) {
    return body != nullptr && body->GetWriterCount() > 0 ? new LNStringBody(*body) : body;
}

} // namespace

LNString::LNString() : LNSmartPtr(new LNStringBody) {}

LNString::LNString(const LNString& other) : LNSmartPtr() {
    LNSmartPtr::AssignBody(BodyForCopy(other.Body()));
}

LNString::~LNString() {
    try {
        LetGo();
    } catch (LNSTATUS) {
        // No copy could be made (no memory, or the API is deleting its objects): the characters keep the
        // text.
        if (Body() != nullptr && Body()->Owner == this) Body()->Owner = nullptr;
    }
}

void LNString::LetGo() {
    LNStringBody* body = Body();
    if (body == nullptr || body->Owner != this) return;
    // Characters this string leaves behind belong to no string now: while other strings share the text,
    // they take a copy of their own, so that writing them never changes those strings.
    if (body->GetWriterCount() > 0 && body->GetHandleCount() > 1)
        Detach(body, nullptr);
    else
        body->Owner = nullptr;
}

void LNString::TakeBody(LNStringBody* body) {
    if (body != Body()) LetGo();
    LNSmartPtr::AssignBody(body);
}

LNString::LNString(const char* text)
    : LNSmartPtr(lntext::NewPlatformBody(text, text != nullptr ? std::strlen(text) : 0)) {}

LNString::LNString(const char* text, uint32_t length) : LNSmartPtr(lntext::NewPlatformBody(text, length)) {}

LNString::LNString(const LNUCHAR* text)
    : LNSmartPtr(lntext::NewNotesBody(text, text != nullptr ? std::strlen(lntext::Chars(text)) : 0)) {}

LNString::LNString(const LNUCHAR* text, uint32_t length) : LNSmartPtr(lntext::NewNotesBody(text, length)) {}

LNString::LNString(LNStringBody* body) : LNSmartPtr(body) {}

LNString& LNString::operator=(const LNString& other) {
    if (this != &other) TakeBody(BodyForCopy(other.Body()));
    return *this;
}

LNString& LNString::operator=(const char* text) {
    return AssignBody(lntext::NewPlatformBody(text, text != nullptr ? std::strlen(text) : 0));
}

LNString& LNString::operator=(const LNUCHAR* text) {
    return AssignBody(lntext::NewNotesBody(text, text != nullptr ? std::strlen(lntext::Chars(text)) : 0));
}

LNString& LNString::AssignBody(LNStringBody* body) {
    TakeBody(body);
    return *this;
}

const LNUCHAR* LNString::GetTextPtr() const {
    static const LNUCHAR kEmpty[1] = {0};
    return Body() != nullptr ? Body()->GetTextPtr() : kEmpty;
}

uint32_t LNString::GetByteLength() const {
    return Body() != nullptr ? Body()->GetByteLength() : 0;
}

const char* LNString::GetPlatformTextPtr() const {
    if (Body() == nullptr) {
        lntext::RequireAPI();
        return "";
    }
    return Body()->GetPlatformTextPtr();
}

uint32_t LNString::GetPlatformTextLength() const {
    return static_cast<uint32_t>(std::strlen(GetPlatformTextPtr()));
}

uint32_t LNString::GetLength() const {
    if (Body() == nullptr) {
        lntext::RequireAPI();
        return 0;
    }
    return Body()->GetLength();
}

bool LNString::IsEmpty() const {
    return Body() == nullptr || Body()->IsEmpty();
}

const LNChar LNString::operator[](uint32_t position) const {
    if (position >= GetLength()) throw LNERR_INVALID_PARAMETER;
    return LNChar(Body(), position, false);
}

LNChar LNString::operator[](uint32_t position) {
    if (position >= GetLength()) throw LNERR_INVALID_PARAMETER;
    LNStringBody* body = Body();
    // Characters of another string already write into this body: this string takes its own copy.
    if (body->GetWriterCount() > 0 && body->Owner != this) TakeBody(new LNStringBody(*body));
    Body()->Owner = this;
    return LNChar(Body(), position, true);
}

LNStringBody* LNString::CopyOnWrite() {
    LNStringBody* body = Body();
    if (body == nullptr) {
        LNSmartPtr::AssignBody(new LNStringBody);
        return Body();
    }
    if (body->GetHandleCount() < 2) return body;
    if (body->Owner == this) return Detach(body, this);
    TakeBody(new LNStringBody(*body));
    return Body();
}

LNStringBody* LNString::Detach(LNStringBody* body, const LNString* owner) {
    auto* own = new LNStringBody(*body);
    // The string's characters follow it to the copy.
    const std::vector<LNChar*> writers = body->WriterChars;
    for (LNChar* c : writers)
        c->Rebind(own);
    body->Owner = nullptr;
    if (owner != nullptr) {
        // Assigning through the base keeps the characters just moved.
        const_cast<LNString*>(owner)->LNSmartPtr::AssignBody(own);
        own->Owner = owner;
    }
    return own;
}

LNSTATUS LNString::Append(const LNString& other) {
    // The body is made this string's own before the other's text is read: other may be this string itself.
    LNStringBody* body = CopyOnWrite();
    return LNReturnOrThrow(body->Append(other.GetTextPtr(), other.GetByteLength()));
}

LNString& LNString::operator+=(const LNString& other) {
    if (const LNSTATUS status = Append(other)) throw status;
    return *this;
}

LNString& LNString::operator<<(const LNString& other) {
    return *this += other;
}

LNSTATUS LNString::Delete(uint32_t position, uint32_t count) {
    return LNReturnOrThrow(CopyOnWrite()->Delete(position, count));
}

LNSTATUS LNString::Insert(uint32_t position, const LNString& other) {
    LNStringBody* body = CopyOnWrite();
    return LNReturnOrThrow(body->Insert(position, other.GetTextPtr(), other.GetByteLength()));
}

LNSTATUS LNString::Replace(uint32_t position, const LNString& other) {
    return Replace(position, other.GetLength(), other);
}

LNSTATUS LNString::Replace(uint32_t position, uint32_t count, const LNString& other) {
    LNStringBody* body = CopyOnWrite();
    return LNReturnOrThrow(body->Replace(position, count, other.GetTextPtr()));
}

LNSTATUS LNString::Translate(uint16_t mode) {
    return LNReturnOrThrow(CopyOnWrite()->Translate(mode));
}

LNSTATUS LNString::TranslateInPlaceMode3() {
    return Translate(nnotes::TRANSLATE_UPPER_CASE);
}

LNSTATUS LNString::TranslateInPlaceMode4() {
    return Translate(nnotes::TRANSLATE_FOLD_CASE);
}

LNSTATUS LNString::TranslateInPlaceMode5() {
    return Translate(nnotes::TRANSLATE_STRIP_ACCENTS);
}
