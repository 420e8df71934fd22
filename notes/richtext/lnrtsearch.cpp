// Jumps and text searches of a cursor within its scope.
#include "lnerrors.h"
#include "lnrtcursor.h"
#include "lnstylizedtext.h"

#include <vector>

namespace {

struct RunText {
    LNStylizedTextBody* run;
    uint32_t first; // position of its first character in the joined text
};

// The runs of scope in document order, and their texts joined.
std::vector<RunText> JoinRuns(const LNRTContainerBody* scope, LNString* joined) {
    std::vector<RunText> runs;
    uint32_t position = 0;
    for (LNRTStop stop = LNRTFirstStop(const_cast<LNRTContainerBody*>(scope)); stop.object != nullptr;) {
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

} // namespace

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

LNSTATUS LNRTCursor::Find(const LNString& text, uint32_t start, bool last) {
    LNRTCursorBody* body = Valid();
    if (text.IsEmpty()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNString joined;
    const std::vector<RunText> runs = JoinRuns(body->Scope(), &joined);
    LNString pattern = text;
    if (const LNSTATUS status = Normalise(&joined, body->SearchOptions)) return LNReturnOrThrow(status);
    if (const LNSTATUS status = Normalise(&pattern, body->SearchOptions)) return LNReturnOrThrow(status);
    uint32_t found = 0;
    bool any = false;
    for (uint32_t from = start; from < joined.GetLength();) {
        uint32_t at = 0;
        if (joined.Find(pattern, from, &at) != LNNOERROR) break;
        found = at;
        any = true;
        if (!last) break;
        from = at + 1;
    }
    if (!any) return LNWARN_NOT_FOUND;
    for (size_t i = runs.size(); i-- > 0;) {
        if (runs[i].first <= found) {
            return LNReturnOrThrow(body->Place(LNRTStop{runs[i].run, found - runs[i].first + 1}, false));
        }
    }
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNRTCursor::FindFirst(const LNString& text) {
    return Find(text, 0, false);
}

LNSTATUS LNRTCursor::FindLast(const LNString& text) {
    return Find(text, 0, true);
}

LNSTATUS LNRTCursor::FindNext(const LNString& text) {
    const LNRTCursorBody* body = Valid();
    const LNRTStop stop = body->GetStop();
    LNString joined;
    const std::vector<RunText> runs = JoinRuns(body->Scope(), &joined);
    // The first character after the cursor: past its own character, or the next run after an element.
    uint32_t start = joined.GetLength();
    for (const RunText& run : runs) {
        if (run.run == stop.object) {
            start = run.first + stop.offset;
            break;
        }
        if (stop.offset == 0 && stop.object->CheckIndexValues(run.run)) {
            start = run.first;
            break;
        }
    }
    return Find(text, start, false);
}
