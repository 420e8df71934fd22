// LNChar: one character of a string, by position. It holds a reference to the string's body.
//
// A character taken from a non-const string (or made from a body) writes into that string's own text: the
// first write while other strings share the body gives the string, and all its characters, a copy. While it
// lives, copies of the string take bodies of their own. A character taken from a const string only reads:
// writing through it first gives it a private copy of the text, so no string changes.
// Every operation but construction needs the API started (else LNERR_SESSION_NOT_INITIALIZED).
#pragma once

#include "ln/lnstring.h"

class LNChar : public LNNotesClass {
public:
    LNChar(LNStringBody* body, uint32_t position);
    LNChar(const LNChar& other);
    ~LNChar() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNCHAR; }

    // Each replaces this character by another; a failure is thrown.
    LNChar& operator=(const LNChar& other);
    LNChar& operator=(char c);
    // c is one UTF-16 unit of platform text.
    LNChar& operator=(char16_t c);

    // The first byte of the character's platform form.
    operator char() const;
    const LNUCHAR* GetTextPtr() const;

    bool IsClassA() const; // letter or digit
    bool IsClassB() const; // letter
    bool IsClassC() const; // control character
    bool IsClassD() const; // decimal digit
    bool IsClassE() const; // lower-case letter
    bool IsClassF() const; // printable, spaces included
    bool IsNull() const;
    bool IsClassG() const; // punctuation
    bool IsSpace() const;  // white space, line feeds and tabs included
    bool IsClassH() const; // upper-case letter

    // Replace the character by its folded form: accents stripped (5), case folded (4), upper case (3).
    void ToMode5();
    void ToMode4();
    void ToMode3();

private:
    friend class LNString;
    friend int LNStringCompare(const LNChar& a, char b, uint32_t flags);
    friend int LNStringCompare(const LNChar& a, const LNChar& b, uint32_t flags);

    LNChar(LNStringBody* body, uint32_t position, bool writer);
    void Attach(LNStringBody* body);
    void Detach();
    // Moves the character to another body (a writer keeps writing there).
    void Rebind(LNStringBody* body);

    // The character's Notes bytes (not terminated) and their number.
    const char* Bytes(uint32_t* size) const;
    bool InClass(uint16_t charClass) const;
    void ReplaceBy(const char* notes, uint32_t length);
    void ToMode(uint16_t mode, unsigned line);

    LNStringBody* Body;
    uint32_t Position;
    bool Writer;
};
