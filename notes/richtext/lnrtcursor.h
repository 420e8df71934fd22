// LNRTCursor and LNRTCursorBody: a position in a rich-text tree, on or just after one of its smallest parts
// (a character of a text run, or a non-text element). A cursor on a character registers with its run, so
// that inserting text before it and splitting the run carry it along. A scope container, when set, limits
// the cursor's moves.
#pragma once

#include "lnrtcontainer.h"

class LNStylizedTextBody;

// A place a cursor can stand on: an element (offset 0) or character `offset` (from 1) of a text run.
struct LNRTStop {
    LNRTObjectBody* object = nullptr;
    uint32_t offset = 0;
};

// The first or last stop inside object (itself when it is one), none when it holds none.
LNRTStop LNRTFirstStop(LNRTObjectBody* object);
LNRTStop LNRTLastStop(LNRTObjectBody* object);
// The stop after or before `from` in document order, without leaving scope (null: the whole tree).
LNRTStop LNRTNextStop(const LNRTStop& from, const LNRTContainerBody* scope);
LNRTStop LNRTPreviousStop(const LNRTStop& from, const LNRTContainerBody* scope);

class LNRTCursorBody : public LNBody {
public:
    // On stop (after it when after is set); an empty stop throws LNERR_CORRUPTED.
    LNRTCursorBody(const LNRTStop& stop, bool after);
    // An invalid source throws LNERR_INVALID_RTCURSOR.
    LNRTCursorBody(const LNRTCursorBody& other);
    ~LNRTCursorBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCURSORBODY; }

    LNRTStop GetStop() const { return LNRTStop{Element.GetObjectBody(), Offset}; }
    bool IsAfter() const { return After != 0; }
    // Moves onto stop (unregistering from the old run, registering with the new one).
    void Place(const LNRTStop& stop, bool after);
    // Forgets the position: the run that held it is closing.
    void Clear();
    // Called by a run whose text moved: the cursor now stands on character offset of run.
    void MoveTo(LNStylizedTextBody* run, uint32_t offset);
    const LNRTContainer& GetContainer() const { return Container; }
    void SetContainer(const LNRTContainer& container) { Container = container; }
    // The container that limits the cursor's moves: the set scope, else the element's container.
    const LNRTContainerBody* Scope() const;
    bool IsValid() const;

    uint32_t SearchOptions = 0;

private:
    LNRTObject Element;
    uint32_t Offset = 0;
    LNRTContainer Container;
    uint32_t After = 0;
};

class LNRTCursor : public LNSmartPtr {
public:
    LNRTCursor() = default;
    LNRTCursor(const LNRTCursor& other) = default;
    LNRTCursor& operator=(const LNRTCursor& other);
    // On the first stop inside object (after its last one when after is set).
    LNRTCursor(const LNRTObject& object, bool after);
    LNRTCursor(const LNRTStop& stop, bool after);
    virtual ~LNRTCursor() = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCURSOR; }
    LNRTCursorBody* GetCursorBody() const { return static_cast<LNRTCursorBody*>(GetBody()); }

    LNRTCursor& operator++();
    LNRTCursor& operator--();
    LNRTCursor& operator+=(uint32_t count);
    LNRTCursor& operator-=(uint32_t count);
    // Signed number of steps from other to this cursor.
    int64_t operator-(const LNRTCursor& other) const;
    bool operator<(const LNRTCursor& other) const;
    bool operator==(const LNRTCursor& other) const;
    bool operator!=(const LNRTCursor& other) const { return !(*this == other); }
    bool operator<=(const LNRTCursor& other) const { return *this == other || *this < other; }
    bool operator>(const LNRTCursor& other) const { return other < *this; }
    bool operator>=(const LNRTCursor& other) const { return other <= *this; }

    // This handle gets a body of its own at other's position.
    LNSTATUS SetPosition(const LNRTCursor& other);
    // The character offset (plus 1 after it); 0 on a non-text element.
    uint32_t GetOffset() const;
    // The object at the cursor: the element, or the run of a character.
    LNSTATUS GetObject(LNRTObject* object) const;
    bool IsAtStart() const;
    bool IsAtEnd() const;
    bool IsValid() const { return !IsNull() && GetCursorBody()->IsValid(); }
    // Whether an object of type may be inserted here.
    bool CanInsert(uint32_t type) const;
    // Onto the first (or last) object of type in the scope; none: LNWARN_NOT_FOUND, the cursor stays. out,
    // when given, receives the object.
    LNSTATUS GotoFirst(uint32_t type, LNRTObject* out = nullptr);
    LNSTATUS GotoLast(uint32_t type, LNRTObject* out = nullptr);
    // Onto the next (or previous) object of type that does not hold the cursor's element, within the scope.
    LNSTATUS GotoNextObject(uint32_t type, LNRTObject* out = nullptr);
    LNSTATUS GotoPreviousObject(uint32_t type, LNRTObject* out = nullptr);
    // Onto the first stop of, or after the last stop of, the innermost object of type that holds the
    // cursor's element (the element itself when it is of the type). None: LNWARN_NOT_FOUND; one outside
    // the scope: LNERR_NOT_IN_CONTAINER.
    LNSTATUS GotoStartOf(uint32_t type);
    LNSTATUS GotoEndOf(uint32_t type);
    // Onto the first character of the first, next or last occurrence of text in the text of the scope's
    // runs (a match may run on from one run into the next). FindNext starts one character after the
    // cursor, so that repeated calls move on. None: LNWARN_NOT_FOUND, the cursor stays. SearchOptions bit
    // 0 set keeps case, bit 1 set keeps accents.
    LNSTATUS FindFirst(const LNString& text);
    LNSTATUS FindNext(const LNString& text);
    LNSTATUS FindLast(const LNString& text);
    void SetSearchOptions(uint32_t options) { Valid()->SearchOptions = options; }
    // The scope must be valid and hold the cursor's element.
    LNSTATUS SetContainer(const LNRTContainer& container);
    void ClearContainer();

private:
    // The body of a valid cursor, else LNERR_INVALID_RTCURSOR thrown.
    LNRTCursorBody* Valid() const;
    // The stop this cursor stands on once an after-flag not at the end is turned into the next stop.
    LNRTStop Normalised(bool* after) const;
    bool Next();
    bool Previous();
    LNSTATUS Goto(uint32_t type, bool last, LNRTObject* out);
    LNSTATUS GotoObject(uint32_t type, bool forward, LNRTObject* out);
    LNSTATUS GotoEnclosing(uint32_t type, bool end);
    // Searches from character start of the scope's text; last: the last match at or after start.
    LNSTATUS Find(const LNString& text, uint32_t start, bool last);
};
