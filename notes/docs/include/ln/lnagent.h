// LNAgent and LNAgentBody: an agent note (class 0x0200). Beyond being a note, an agent is opened as a
// runnable agent of the store and run once at a time; its Open and Close open and close both the note and
// the runnable agent. LNAgentArray holds the agents of a database.
#pragma once

#include "ln/lnnote.h"
#include "ln/lnnotearray.h"
#include "nnotes/idtable.h"
#include "nnotes/mail.h"
#include "nnotes/note.h"

class LNAgentBody : public LNNoteBody {
public:
    // A new agent of the database titled name; an empty name gives LNERR_NAME_REQUIRED and no "$TITLE".
    LNAgentBody(LNDatabaseBody* database, const LNString& name, LNSTATUS* status);
    // Adopts an open note handle of an agent.
    LNAgentBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status)
        : LNNoteBody(handle, database, status) {}
    // An agent of the database, to be opened later.
    LNAgentBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNSTATUS* status)
        : LNNoteBody(database, noteId, status) {}
    ~LNAgentBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNAGENTBODY; }
    // Options must be 0. Opens the note first when it is not open, then the runnable agent.
    LNSTATUS Open(uint32_t options) override;
    // Closes the runnable agent and the note; LNWARN_NOT_OPEN when the agent is not open.
    LNSTATUS Close() override;
    // Runs the open agent once.
    LNSTATUS Run();

    bool IsAgentOpen() const { return (AgentFlags & kAgentOpen) != 0; }

private:
    static constexpr uint16_t kAgentOpen = 0x2;

    uint16_t AgentFlags = 0;
    nnotes::HAGENT Agent = 0;
    nnotes::HAGENTCTX RunContext = 0;
};

class LNAgent : public LNNote {
public:
    LNAgent() = default;
    LNAgent(const LNAgent& other) = default;
    // An agent not yet open.
    LNAgent(LNDatabaseBody* database, nnotes::NOTEID noteId) : LNNote(database, noteId) {}
    // Throws LNERR_CONVERSION unless the note is an agent.
    LNAgent(const LNNote& note);
    ~LNAgent() override = default;

    LNAgent& operator=(const LNAgent& other) = default;
    // Throws LNERR_CONVERSION unless the note is an agent.
    LNAgent& operator=(const LNNote& note);
    LNAgent& SetNoteBody(LNAgentBody* body) {
        LNNote::SetNoteBody(body);
        return *this;
    }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNAGENT; }
    // Without a body a new agent body is made for the note id.
    LNSTATUS Open(uint32_t options) override;
    LNSTATUS Close() override;
    LNSTATUS Run();

    LNAgentBody* GetAgentBody() const;

private:
    void Convert(const LNNote& note);
};

class LNAgentArray : public LNNoteArray {
public:
    LNAgentArray() = default;
    LNAgentArray(const LNAgentArray& other) = default;
    ~LNAgentArray() override = default;
    LNAgentArray& operator=(const LNAgentArray& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNAGENTARRAY; }

    // An agent handle that is not open; past the count: LNERR_SUBSCRIPT_OUT_OF_RANGE (thrown).
    LNAgent operator[](uint32_t index) const {
        const nnotes::NOTEID id = LNNoteArray::operator[](index);
        return LNAgent(Database.GetDatabaseBody(), id);
    }
};
