// LNString: the text of the object layer, held in the Notes character set, with the platform form made on
// demand. Positions and counts are in characters, never in bytes.
//
// Handles share one body and copy it before they change it. An LNChar taken from a non-const string writes
// into that string only, yet taking it changes nothing: only a write through it (or a change of the string)
// makes the body the string's own, taking the string's live characters along. Reading through such a
// character therefore never moves the string to a new body, so pointers into its text stay good. While such
// characters live, copies of the string get bodies of their own instead of sharing.
#pragma once

#include "ln/lnclass.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A byte of Notes text; a type of its own, so that Notes text and platform text (char) take different
// overloads.
using LNUCHAR = unsigned char;

// The Notes text services take 16-bit lengths: longer texts are refused with LNERR_STRING_TOO_LONG rather
// than cut short.
constexpr uint32_t LNSTRING_MAX_BYTES = 0xFFFF;

class LNChar;
class LNString;

class LNStringBody : public LNBody {
public:
    LNStringBody() = default;
    // The copy that a handle takes before it changes a shared text: the text and the session, no caches.
    LNStringBody(const LNStringBody& other);
    LNStringBody& operator=(const LNStringBody&) = delete;
    ~LNStringBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNSTRINGBODY; }

    // Both replace the text; NUL bytes within length become line feeds. Platform text is translated, which
    // needs the API started; Notes text is copied as is. Throw LNERR_STRING_TOO_LONG, LNERR_NO_MEMORY.
    void SetPlatformText(const char* text, size_t length);
    void SetNotesText(const LNUCHAR* text, size_t length);

    const LNUCHAR* GetTextPtr() const;
    uint32_t GetByteLength() const { return ByteLength; }
    const char* GetPlatformTextPtr();
    uint32_t GetLength();
    bool IsEmpty() const { return ByteLength == 0; }
    // Byte offset of a character index; an index beyond the text throws LNERR_NO_MATCH.
    uint32_t GetByteOffset(uint32_t index);
    // Byte size of the character at index, 0 at the end of the text.
    uint32_t GetCharSize(uint32_t index);

    // The changes return their status unfiltered; the handle passes it through LNReturnOrThrow.
    LNSTATUS Append(const LNUCHAR* text, uint32_t length);
    LNSTATUS Delete(uint32_t position, uint32_t count);
    LNSTATUS Insert(uint32_t position, const LNUCHAR* text, uint32_t length);
    // text is a terminated Notes text; it may point into this body's own text.
    LNSTATUS Replace(uint32_t position, uint32_t count, const LNUCHAR* text);
    LNSTATUS Translate(uint16_t mode);

    // Characters that write into this body as the text of one string (see LNChar).
    uint32_t GetWriterCount() const { return static_cast<uint32_t>(WriterChars.size()); }

private:
    friend class LNChar;
    friend class LNString;

    // References held by handles, not by characters.
    uint32_t GetHandleCount() const { return GetRefCount() - Chars; }

    void ResetCaches();
    // Takes text (allocated by LNAllocText) as the new Notes text.
    void Adopt(LNUCHAR* text);

    uint32_t CharCount = 0; // 0 = not counted yet
    uint32_t CachedByteOffset = 0;
    uint32_t CachedCharIndex = 0;
    char* PlatformText = nullptr;
    LNUCHAR* NotesText = nullptr;
    uint32_t ByteLength = 0;
    uint32_t Chars = 0;               // characters that hold a reference
    std::vector<LNChar*> WriterChars; // characters that write as Owner's text
    const LNString* Owner = nullptr;  // the string of WriterChars, while it lives
};

class LNString : public LNSmartPtr {
public:
    LNString();
    LNString(const LNString& other);
    LNString(const char* text);
    LNString(const char* text, uint32_t length);
    LNString(const LNUCHAR* text);
    LNString(const LNUCHAR* text, uint32_t length);
    explicit LNString(LNStringBody* body);
    ~LNString();

    LNString& operator=(const LNString& other);
    LNString& operator=(const char* text);
    LNString& operator=(const LNUCHAR* text);
    LNString& AssignBody(LNStringBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNSTRING; }

    const LNUCHAR* GetTextPtr() const;
    uint32_t GetByteLength() const;
    const char* GetPlatformTextPtr() const;
    uint32_t GetPlatformTextLength() const;
    uint32_t GetLength() const;
    bool IsEmpty() const;
    const LNChar operator[](uint32_t position) const;
    // Writing through the character never changes a copy; reading through it never detaches the body.
    LNChar operator[](uint32_t position);
    operator const LNUCHAR*() const { return GetTextPtr(); }

    LNSTATUS Append(const LNString& other);
    LNString& operator+=(const LNString& other);
    LNString& operator<<(const LNString& other);
    LNSTATUS Delete(uint32_t position, uint32_t count);
    LNSTATUS Insert(uint32_t position, const LNString& other);
    LNSTATUS Replace(uint32_t position, const LNString& other);
    LNSTATUS Replace(uint32_t position, uint32_t count, const LNString& other);
    LNSTATUS TranslateInPlaceMode3();
    LNSTATUS TranslateInPlaceMode4();
    LNSTATUS TranslateInPlaceMode5();

    // Searches and moves: not found is LNWARN_NOT_FOUND, never thrown.
    LNSTATUS Find(const LNString& pattern, uint32_t start, uint32_t* position) const;
    LNSTATUS FindChar(char c, uint32_t start, uint32_t* position) const;
    // c is one UTF-16 unit of platform text.
    LNSTATUS FindChar(char16_t c, uint32_t start, uint32_t* position) const;
    // Finds the first character of pattern.
    LNSTATUS FindChar(const LNString& pattern, uint32_t start, uint32_t* position) const;
    // A moves between word starts, B between line starts.
    LNSTATUS ScanNextA(uint32_t start, uint32_t* position) const;
    LNSTATUS ScanNextB(uint32_t start, uint32_t* position) const;
    LNSTATUS ScanPreviousA(uint32_t start, uint32_t* position) const;
    LNSTATUS ScanPreviousB(uint32_t start, uint32_t* position) const;
    LNSTATUS GetSubstring(uint32_t position, uint32_t count, LNString* target) const;

private:
    LNStringBody* Body() const { return static_cast<LNStringBody*>(GetBody()); }
    // Makes the body this handle's own before a change.
    LNStringBody* CopyOnWrite();
    // Points the handle at body, giving up the characters it wrote through on the old one.
    void TakeBody(LNStringBody* body);
    // Gives up the characters that write into this string's body as its text (see Detach).
    void LetGo();
    // The body this string's characters write into stays theirs; a write by one of them (writer) or by the
    // string gives the string and all of them a copy when handles of other strings share it.
    static LNStringBody* Detach(LNStringBody* body, const LNString* owner);
    friend class LNChar;
    LNSTATUS Translate(uint16_t mode);
    LNSTATUS Search(const LNString& pattern, bool wholePattern, uint32_t start, uint32_t* position) const;
    LNSTATUS Move(bool forward, bool words, uint32_t start, uint32_t* position) const;
};

// True when the string and the platform text collate equal with case and accents counting (LNStringCompare
// with flags 0, lnstringcompare.h).
bool operator==(const LNString& string, const char* text);

// Every user of operator[] needs the character class complete.
#include "ln/lnchar.h"
