// LNSearchOptions: the limits of a formula search over a database's notes: a time window, a maximum number
// of notes and the note classes searched. The window is one of saves: a search finds the notes last saved
// after the begin time and not after the end time, and reports the time up to which it looked (the end time
// reached); passed on as the next search's begin time, that finds every note saved since, exactly once.
#pragma once

#include "ln/lnclass.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"

class LNDatetime;
class LNString;

class LNSearchOptions : public LNNotesClass {
public:
    LNSearchOptions();
    LNSearchOptions(const LNSearchOptions& other) = default;
    LNSearchOptions& operator=(const LNSearchOptions& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNSEARCHOPTIONS; }

    LNDatetime GetBeginDate() const;
    LNDatetime GetEndDate() const;
    LNDatetime GetEndDateReached() const;
    LNSTATUS SetBeginDate(const LNDatetime& datetime);
    LNSTATUS SetEndDate(const LNDatetime& datetime);
    // Text in the default international format; empty text gives LNERR_INVALID_PARAMETER.
    LNSTATUS SetBeginDate(const LNString& text);
    LNSTATUS SetEndDate(const LNString& text);

    uint32_t GetMaxNotes() const { return MaxNotes; }
    void SetMaxNotes(uint32_t count) { MaxNotes = count; }
    uint16_t GetNoteClass() const { return NoteClass; }
    void SetNoteClass(uint16_t noteClass) { NoteClass = noteClass; }

    // The raw times, for the search itself.
    const nnotes::Instant& GetBeginTime() const { return BeginTime; }
    const nnotes::Instant& GetEndTime() const { return EndTime; }
    void SetEndTimeReached(const nnotes::Instant& time) { EndTimeReached = time; }

private:
    static LNSTATUS Parse(const LNString& text, nnotes::Instant* out);

    nnotes::Instant BeginTime;
    nnotes::Instant EndTimeReached;
    nnotes::Instant EndTime;
    uint32_t MaxNotes = 0;
    uint16_t NoteClass = nnotes::NOTE_CLASS_DOCUMENT;
};
