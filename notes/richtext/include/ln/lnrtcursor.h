// LNRTCursor and LNRTCursorBody: a position in a rich-text tree, on or just after one of its smallest parts
// (a character of a text run, or a non-text element). A cursor on a character registers with its run, so
// that inserting text before it and splitting the run carry it along. A scope container, when set, limits
// the cursor's moves.
#pragma once

#include "ln/lnrtcontainer.h"

class LNRTCursor;
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

// A position: on a stop, or just after it (only the end of a scope is ever held that way once normalised).
struct LNRTPosition {
    LNRTStop stop;
    bool after = false;
};

// One step forward or back within scope; false (and pos unchanged) when there is none. These walk without
// registering with any run, so they serve as temporary cursors.
bool LNRTStepForward(LNRTPosition* pos, const LNRTContainerBody* scope);
bool LNRTStepBack(LNRTPosition* pos, const LNRTContainerBody* scope);
// A position after a stop that is not the end becomes the position on the next stop.
LNRTPosition LNRTNormalise(const LNRTPosition& pos, const LNRTContainerBody* scope);
bool LNRTSamePosition(const LNRTPosition& a, const LNRTPosition& b, const LNRTContainerBody* scope);
// Whether a lies before b (both normalised first).
bool LNRTPositionBefore(const LNRTPosition& a, const LNRTPosition& b, const LNRTContainerBody* scope);

enum class LNRTFindDirection {
    From,   // the first match at or after the position
    After,  // the first match after the position's character
    Before, // the last match that starts before the position (anywhere without one)
};
// Searches the text of the runs inside `within` (a match may run on from one run into the next);
// found is the match's first character. options bit 0 keeps case, bit 1 keeps accents.
LNSTATUS LNRTFindText(const LNRTObjectBody* within, const LNString& text, uint32_t options,
                      const LNRTStop* position, LNRTFindDirection direction, LNRTStop* found);

// Splits the run that the cursor stands inside (not on its first character), so that the cursor stands
// at the start of the second part.
LNSTATUS LNRTSplitAtCursor(const LNRTCursor& cursor);

class LNRTCursorBody : public LNBody {
public:
    // A cursor body always has a position: this throws LNERR_INAPPROPRIATE_FOR_OBJECT.
    LNRTCursorBody();
    // On stop (after it when after is set); an empty stop throws LNERR_CORRUPTED, a run at offset 0
    // LNERR_INVALID_PARAMETER, a full run LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNRTCursorBody(const LNRTStop& stop, bool after);
    // An invalid source throws LNERR_INVALID_RTCURSOR.
    LNRTCursorBody(const LNRTCursorBody& other);
    ~LNRTCursorBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCURSORBODY; }
    // Takes other's position, scope and search options; null or itself gives LNERR_INVALID_PARAMETER.
    LNSTATUS Assign(const LNRTCursorBody* other);

    LNRTStop GetStop() const { return LNRTStop{Element.GetObjectBody(), Element.GetCharacterOffset()}; }
    LNRTPosition GetPosition() const { return LNRTPosition{GetStop(), IsAfter()}; }
    bool IsAfter() const { return After != 0; }
    // The element the cursor stands on: a character handle on a run, or the element itself.
    const LNRTObject& GetElement() const { return Element; }
    // Moves onto stop. A run that already holds 20 character handles gives LNERR_SUBSCRIPT_OUT_OF_RANGE
    // and the cursor stays where it was.
    LNSTATUS Place(const LNRTStop& stop, bool after);
    LNSTATUS Place(const LNRTPosition& pos) { return Place(pos.stop, pos.after); }
    // Forgets the position.
    void Clear();
    const LNRTContainer& GetContainer() const { return Container; }
    void SetContainer(const LNRTContainer& container) { Container = container; }
    // The container that limits the cursor's moves: the set scope, else the whole tree that holds the
    // element, so that a cursor walks into and out of nested containers.
    const LNRTContainerBody* Scope() const;
    bool IsValid() const;

    uint32_t SearchOptions = 0;

private:
    // The cursor's character handle: it stands after its character when the cursor does.
    class Anchor : public LNRTObject {
    public:
        explicit Anchor(const LNRTCursorBody* owner) : Owner(owner) {}
        Anchor(const Anchor&) = delete;
        Anchor& operator=(const Anchor&) = delete;
        bool StandsAfter() const override { return Owner->IsAfter(); }

    private:
        const LNRTCursorBody* Owner;
    };

    Anchor Element{this};
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
    // Postfix: the result is a cursor of its own at the old position.
    LNRTCursor operator++(int);
    LNRTCursor operator--(int);
    // A new cursor n steps away; steps asked for that cannot move it throw LNERR_OUT_OF_RANGE.
    LNRTCursor operator+(uint32_t n) const;
    LNRTCursor operator-(uint32_t n) const;
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

    // This handle gets a body of its own at other's position; a run that already holds 20 handles gives
    // LNERR_SUBSCRIPT_OUT_OF_RANGE and the handle stays as it was.
    LNSTATUS SetPosition(const LNRTCursor& other);
    // Onto the first element of object (a character handle: that character); an empty handle gets a
    // body. An object with no element gives LNWARN_NOT_FOUND.
    LNSTATUS SetPosition(const LNRTObject& object);
    // The container of the element the cursor stands on (a character's is its run).
    LNSTATUS GetParent(LNRTObject* out) const;
    LNSTATUS GetContainerOfType(uint32_t type, LNRTObject* out) const;
    // The style of the run at the cursor: its character's run, else the next run within the scope.
    LNSTATUS GetFontStyle(LNFontStyle* style) const;
    // Onto the first element of, or after the last element of, a valid object inside the scope (an
    // empty handle gets a body).
    LNSTATUS GotoStartOfObject(const LNRTObject& object);
    LNSTATUS GotoEndOfObject(const LNRTObject& object);
    // Whether the cursor's element lies inside container (which must not be empty).
    bool IsInContainer(const LNRTContainer& container) const;
    // Valid, and standing in object (itself or inside it).
    bool IsValidFor(const LNRTObject& object) const;
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
    // Onto the last occurrence that starts before the cursor.
    LNSTATUS FindPrevious(const LNString& text);
    void SetSearchOptions(uint32_t options) { Valid()->SearchOptions = options; }
    // The scope must be valid and hold the cursor's element.
    LNSTATUS SetContainer(const LNRTContainer& container);
    void ClearContainer();

private:
    // The body of a valid cursor, else LNERR_INVALID_RTCURSOR thrown.
    LNRTCursorBody* Valid() const;
    // One step; moved tells whether there was one. A full run refuses the new place.
    LNSTATUS Step(bool forward, bool* moved);
    LNRTCursor& Move(bool forward, uint32_t count);
    LNSTATUS Goto(uint32_t type, bool last, LNRTObject* out);
    LNSTATUS GotoObject(uint32_t type, bool forward, LNRTObject* out);
    LNSTATUS GotoEnclosing(uint32_t type, bool end);
    LNSTATUS GotoObject(const LNRTObject& object, bool end);
    LNSTATUS Find(const LNString& text, LNRTFindDirection direction, bool fromCursor);
};
