// LNServerAddin: the services of a task running inside a Notes server (console status lines, log messages,
// timers), and LNAddinStatusLine, one console status line of it. A session holds at most one add-in.
#pragma once

#include "ln/lnobjlist.h"
#include "ln/lnstring.h"
#include "nnotes/memblock.h"

class LNServerAddin;

class LNAddinStatusLine : public LNNotesClass {
public:
    explicit LNAddinStatusLine(LNNotesSession* session = nullptr) : LNNotesClass(session) {}
    // Makes a console line for name showing text.
    LNAddinStatusLine(const LNString& name, const LNString& text);
    // A copy shares no console line: it is a bare object of the same session.
    LNAddinStatusLine(const LNAddinStatusLine& other) : LNNotesClass(other) {}
    LNAddinStatusLine& operator=(const LNAddinStatusLine& other);
    ~LNAddinStatusLine() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNADDINSTATUSLINE; }

private:
    friend class LNServerAddin;

    nnotes::DHANDLE LineHandle = nnotes::NULLHANDLE;
    LNString Name;
    LNString Text;
    LNServerAddin* Addin = nullptr;
    uint32_t ID = 0;
};

class LNServerAddin : public LNNotesClass {
public:
    // The id that stands for the default status line; it is never looked up among the other lines.
    static constexpr uint32_t kDefaultStatusLineID = 0xFFEF;

    LNServerAddin() = default;
    LNServerAddin(const LNServerAddin&) = delete;
    LNServerAddin& operator=(const LNServerAddin&) = delete;
    ~LNServerAddin() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNSERVERADDIN; }
    LNSTATUS Close() override;

    LNSTATUS Initialize(const LNString& taskName, const LNString& statusText);

    // A new line with the next id of the process, given in *id.
    LNSTATUS CreateStatusLine(const LNString& name, const LNString& text, uint32_t* id);
    LNSTATUS CreateStatusLine(const LNString& name, const LNString& text, uint32_t id);
    LNSTATUS DeleteStatusLine(uint32_t id);
    // Makes the line *id the task's default line; *id becomes kDefaultStatusLineID.
    LNSTATUS SetDefaultStatusLine(uint32_t* id);

    LNSTATUS GetTaskName(LNString* name) const;
    LNSTATUS GetStatusText(LNString* text) const;
    LNSTATUS GetStatusLineName(uint32_t id, LNString* name) const;
    LNSTATUS GetStatusLineText(uint32_t id, LNString* text) const;
    LNSTATUS SetTaskName(const LNString& name);
    LNSTATUS SetStatusText(const LNString& text);
    LNSTATUS SetStatusLineName(uint32_t id, const LNString& name);
    LNSTATUS SetStatusLineText(uint32_t id, const LNString& text);

    LNSTATUS LogMessage(const LNString& text);
    bool HaveMinutesElapsed(uint32_t minutes);
    bool HaveSecondsElapsed(uint32_t seconds);
    // The task has been asked to end.
    bool IsTerminating();
    bool HasDayElapsed();
    bool HaveMinutesPassed(uint32_t minutes);
    bool HasHourElapsed();

private:
    friend class LNNotesSession;
    friend class LNAddinStatusLine;

    LNAddinStatusLine* Find(uint32_t id) const;
    LNSTATUS AddLine(LNAddinStatusLine* line, uint32_t id);
    // Replaces DefaultStatusLine by line (whose console line becomes the task's default).
    void MakeDefault(LNAddinStatusLine* line);

    LNAddinStatusLine* DefaultStatusLine = nullptr;
    LNObjectList StatusLines;
    LNNotesSession* AddinSession = nullptr;
};
