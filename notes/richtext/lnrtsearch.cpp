// Jumps and text searches of a cursor within its scope.
#include "ln/lnerrors.h"
#include "ln/lnrtcursor.h"
#include "ln/lnstylizedtext.h"

#include <vector>

namespace {

struct RunText {
    LNStylizedTextBody* run;
    uint32_t first; // position of its first character in the joined text
};

// The runs of scope in document order, and their texts joined.
std::vector<RunText> JoinRuns(const LNRTObjectBody* within, LNString* joined) {
    std::vector<RunText> runs;
    uint32_t position = 0;
    // A stop inside `within` that has no next stop within it ends the walk.
    const auto* scope = static_cast<const LNRTContainerBody*>(within);
    for (LNRTStop stop = LNRTFirstStop(const_cast<LNRTObjectBody*>(within)); stop.object != nullptr;) {
        if (stop.offset == 0) {
            stop = LNRTNextStop(stop, scope);
            continue;
        }
        auto* run = static_cast<LNStylizedTextBody*>(stop.object);
        const uint32_t count = run->GetCharacterCount();
        runs.push_back(RunText{run, position});
        position += count;
        if (const LNSTATUS status = run->GetText(joined)) throw status;
        stop = LNRTNextStop(LNRTStop{run, count}, scope);
    }
    return runs;
}

LNSTATUS Normalise(LNString* text, uint32_t options) {
    if ((options & 2) == 0)
        if (const LNSTATUS status = text->TranslateInPlaceMode5()) return status;
    if ((options & 1) == 0)
        if (const LNSTATUS status = text->TranslateInPlaceMode4()) return status;
    return LNNOERROR;
}

// Index in the joined text of the character at stop, or of the first run's character after a non-text
// stop; the joined length when none follows.
uint32_t IndexOf(const std::vector<RunText>& runs, const LNRTStop& stop, uint32_t length) {
    for (const RunText& run : runs) {
        if (run.run == stop.object) return run.first + stop.offset - 1;
        if (stop.offset == 0 && stop.object->CheckIndexValues(run.run)) return run.first;
    }
    return length;
}

} // namespace

LNSTATUS LNRTFindText(const LNRTObjectBody* within, const LNString& text, uint32_t options,
                      const LNRTStop* position, LNRTFindDirection direction, LNRTStop* found) {
    if (text.IsEmpty() || found == nullptr) return LNERR_INVALID_PARAMETER;
    LNString joined;
    std::vector<RunText> runs;
    try {
        runs = JoinRuns(within, &joined);
    } catch (LNSTATUS status) {
        return status;
    }
    const uint32_t length = joined.GetLength();
    const uint32_t at =
        position != nullptr && position->object != nullptr ? IndexOf(runs, *position, length) : 0;
    LNString pattern = text;
    if (const LNSTATUS status = Normalise(&joined, options)) return status;
    if (const LNSTATUS status = Normalise(&pattern, options)) return status;
    // Forward: the first match at or after `from`. Back: the last match that starts before `before`.
    // After a character means past it; after an element, from the first character that follows it.
    uint32_t from = direction == LNRTFindDirection::After && position->offset > 0 ? at + 1 : at;
    if (direction == LNRTFindDirection::Before) from = 0;
    const uint32_t before = direction == LNRTFindDirection::Before && position != nullptr ? at : length;
    bool any = false;
    uint32_t match = 0;
    while (from < length) {
        uint32_t next = 0;
        if (joined.Find(pattern, from, &next) != LNNOERROR || next >= before) break;
        match = next;
        any = true;
        if (direction != LNRTFindDirection::Before) break;
        from = next + 1;
    }
    if (!any) return LNWARN_NOT_FOUND;
    for (size_t i = runs.size(); i-- > 0;) {
        if (runs[i].first <= match) {
            *found = LNRTStop{runs[i].run, match - runs[i].first + 1};
            return LNNOERROR;
        }
    }
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTCursor::Goto(uint32_t type, bool last, LNRTObject* out) {
    LNRTCursorBody* body = Valid();
    auto* scope = const_cast<LNRTContainerBody*>(body->Scope());
    LNRTObject found;
    const LNSTATUS status = last ? scope->GetLastOfType(type, &found) : scope->GetFirstOfType(type, &found);
    const LNRTStop stop = last ? LNRTLastStop(found.GetObjectBody()) : LNRTFirstStop(found.GetObjectBody());
    if (status != LNNOERROR || stop.object == nullptr) return LNWARN_NOT_FOUND;
    if (const LNSTATUS placed = body->Place(stop, last && body->IsAfter())) return LNReturnOrThrow(placed);
    if (out != nullptr) *out = found;
    return LNNOERROR;
}

LNSTATUS LNRTCursor::GotoFirst(uint32_t type, LNRTObject* out) {
    return Goto(type, false, out);
}

LNSTATUS LNRTCursor::GotoLast(uint32_t type, LNRTObject* out) {
    return Goto(type, true, out);
}

LNSTATUS LNRTCursor::Find(const LNString& text, LNRTFindDirection direction, bool fromCursor) {
    LNRTCursorBody* body = Valid();
    // Searching back, a cursor just after a character stands where the next stop is, so a match that
    // starts on that character lies before it; after the scope's last stop, every match does.
    const LNRTPosition pos = direction == LNRTFindDirection::Before
                                 ? LNRTNormalise(body->GetPosition(), body->Scope())
                                 : body->GetPosition();
    const bool whole = !fromCursor || (direction == LNRTFindDirection::Before && pos.after);
    LNRTStop found;
    const LNSTATUS status = LNRTFindText(body->Scope(), text, body->SearchOptions,
                                         whole ? nullptr : &pos.stop, direction, &found);
    if (status != LNNOERROR) return status == LNWARN_NOT_FOUND ? status : LNReturnOrThrow(status);
    return LNReturnOrThrow(body->Place(found, false));
}

LNSTATUS LNRTCursor::FindFirst(const LNString& text) {
    return Find(text, LNRTFindDirection::From, false);
}

LNSTATUS LNRTCursor::FindLast(const LNString& text) {
    return Find(text, LNRTFindDirection::Before, false);
}

LNSTATUS LNRTCursor::FindNext(const LNString& text) {
    return Find(text, LNRTFindDirection::After, true);
}

LNSTATUS LNRTCursor::FindPrevious(const LNString& text) {
    return Find(text, LNRTFindDirection::Before, true);
}

namespace {

LNSTATUS FindString(const LNRTObjectBody* within, const LNString& text, uint32_t options,
                    LNRTObject* position, bool* found, LNRTFindDirection direction) {
    if (found == nullptr || position == nullptr) return LNERR_INVALID_PARAMETER;
    *found = false;
    const LNRTStop from{position->GetObjectBody(), position->GetCharacterOffset()};
    LNRTStop match;
    const LNSTATUS status =
        LNRTFindText(within, text, options, from.object != nullptr ? &from : nullptr, direction, &match);
    if (status != LNNOERROR) return status;
    if (const LNSTATUS placed = position->SetBodyAndOffset(match.object, match.offset)) return placed;
    *found = true;
    return LNNOERROR;
}

} // namespace

LNSTATUS LNRTObjectBody::FindFirstString(const LNString& text, uint32_t options, LNRTObject* position,
                                         bool* found) {
    return FindString(this, text, options, position, found, LNRTFindDirection::From);
}

LNSTATUS LNRTObjectBody::FindLastString(const LNString& text, uint32_t options, LNRTObject* position,
                                        bool* found) {
    return FindString(this, text, options, position, found, LNRTFindDirection::Before);
}
