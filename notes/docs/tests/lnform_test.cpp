// Forms and agents: made with a title, found by name, listed, opened by class and converted from notes.
#include "docsfixture.h"
#include "ln/lnagent.h"
#include "ln/lnform.h"
#include "ln/lntext.h"
#include "ln/lnviewfolder.h"
#include "nnotes/formula.h"
#include "nnotes/idtable.h"
#include "nnotes/mail.h"
#include "nnotes/note.h"

class DesignTest : public DocsTest {
protected:
    // A saved form (or agent) titled name, with the text items given; its note id.
    template <class Body, class Handle>
    nnotes::NOTEID Make(const char* name,
                        std::initializer_list<std::pair<const char*, const char*>> texts = {}) {
        LNSTATUS status = 0;
        Handle handle;
        handle.SetNoteBody(new Body(db_.GetDatabaseBody(), LNString(name), &status));
        EXPECT_EQ(status, 0u);
        for (const auto& [item, text] : texts) {
            LNText value;
            value.Append(text);
            EXPECT_EQ(handle.CreateItem(item, value, 4, LNITEMDUP_REPLACE), 0u);
        }
        EXPECT_EQ(handle.Save(0), 0u);
        return handle.GetNoteID();
    }
};

TEST_F(DesignTest, FormsAreFoundByNameAndListed) {
    const nnotes::NOTEID order = Make<LNFormBody, LNForm>("Order|Bestellung");
    const nnotes::NOTEID contact = Make<LNFormBody, LNForm>("Contact");
    EXPECT_EQ(StoredValue(order, "$TITLE"), std::string("\x00\x05Order|Bestellung", 18));
    EXPECT_TRUE(db_.FormExists("bestellung"));
    EXPECT_FALSE(db_.FormExists("Invoice"));
    LNForm form;
    ASSERT_EQ(db_.GetForm("Contact", &form), 0u);
    EXPECT_EQ(form.GetNoteID(), contact);
    EXPECT_FALSE(form.IsOpen());
    ASSERT_EQ(form.Open(0), 0u);
    EXPECT_EQ(form.GetNoteBody()->GetClassID(), LNCLASSID_LNFORMBODY);
    EXPECT_EQ(form.GetNoteClass(), nnotes::NOTE_CLASS_FORM);
    form.Close();
    EXPECT_EQ(db_.GetForm("Invoice", &form), nnotes::ERR_NOTE_NOT_FOUND);
    EXPECT_EQ(db_.GetForm("", &form), LNERR_INVALID_PARAMETER);

    LNFormArray forms;
    ASSERT_EQ(db_.GetForms(&forms), 0u);
    ASSERT_EQ(forms.GetCount(), 2u);
    EXPECT_EQ(forms[0].GetNoteID(), order);
    EXPECT_EQ(Thrown([&] { forms[2]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    ASSERT_EQ(db_.DeleteForm(&form), 0u);
    EXPECT_FALSE(db_.FormExists("Contact"));
}

TEST_F(DesignTest, ANameIsRequired) {
    LNSTATUS status = 0;
    LNForm form;
    form.SetNoteBody(new LNFormBody(db_.GetDatabaseBody(), LNString(""), &status));
    EXPECT_EQ(status, LNERR_NAME_REQUIRED);
    EXPECT_FALSE(form.HasItem("$TITLE"));
    LNAgent agent;
    agent.SetNoteBody(new LNAgentBody(db_.GetDatabaseBody(), LNString(""), &status));
    EXPECT_EQ(status, LNERR_NAME_REQUIRED);
    EXPECT_FALSE(agent.HasItem("$TITLE"));
}

TEST_F(DesignTest, NotesConvertOnlyToTheirOwnKind) {
    const nnotes::NOTEID document = SaveNote({{"Subject", "x"}});
    const nnotes::NOTEID form = Make<LNFormBody, LNForm>("Order");
    const nnotes::NOTEID agent = Make<LNAgentBody, LNAgent>("Nightly");
    LNNote note(db_.GetDatabaseBody(), document);
    EXPECT_EQ(Thrown([&] { LNForm f(note); }), LNERR_CONVERSION);
    EXPECT_EQ(Thrown([&] { LNAgent a(note); }), LNERR_CONVERSION);
    LNForm asForm;
    EXPECT_EQ(Thrown([&] { asForm = LNNote(db_.GetDatabaseBody(), agent); }), LNERR_CONVERSION);
    asForm = LNNote(db_.GetDatabaseBody(), form);
    EXPECT_EQ(asForm.GetNoteID(), form);
    LNAgent asAgent(LNNote(db_.GetDatabaseBody(), agent));
    EXPECT_EQ(asAgent.GetNoteID(), agent);
}

TEST_F(DesignTest, NotesOpenWithTheBodyOfTheirClass) {
    const nnotes::NOTEID form = Make<LNFormBody, LNForm>("Order");
    const nnotes::NOTEID agent = Make<LNAgentBody, LNAgent>("Nightly");
    const nnotes::NOTEID view = SaveNote({{"$TITLE", "All"}}, nnotes::NOTE_CLASS_VIEW);
    // A view note without a layout cannot be opened as a view, but it is taken for one.
    const struct {
        nnotes::NOTEID id;
        LNCLASSID classId;
        LNSTATUS opened;
    } expected[] = {{form, LNCLASSID_LNFORMBODY, 0},
                    {agent, LNCLASSID_LNAGENTBODY, 0},
                    {view, LNCLASSID_LNVIEWFOLDERBODY, LNERR_INVALID_VIEW}};
    for (const auto& [id, classId, opened] : expected) {
        LNNote note(db_.GetDatabaseBody(), id);
        EXPECT_EQ(note.Open(0), opened);
        ASSERT_NE(note.GetNoteBody(), nullptr);
        EXPECT_EQ(note.GetNoteBody()->GetClassID(), classId);
        note.Close();
    }
}

TEST_F(DesignTest, AgentsOpenRunAndClose) {
    SaveNote({{"Subject", "one"}});
    Make<LNAgentBody, LNAgent>("Nightly", {{"$Formula", "SELECT Subject = \"one\""}});
    Make<LNAgentBody, LNAgent>("Broken", {{"$Formula", "Subject * 2"}});
    LNAgent agent;
    ASSERT_EQ(db_.GetAgent("Nightly", &agent), 0u);
    EXPECT_EQ(agent.Close(), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(agent.Run(), LNERR_NOTE_NOT_OPEN);
    ASSERT_EQ(agent.Open(0), 0u);
    EXPECT_EQ(agent.Open(0), LNWARN_ALREADY_OPEN);
    EXPECT_EQ(agent.Open(1), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(agent.Run(), 0u);
    EXPECT_EQ(agent.Run(), 0u) << "an agent runs again";
    ASSERT_EQ(agent.Close(), 0u);
    EXPECT_FALSE(agent.IsOpen());
    EXPECT_EQ(agent.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(agent.Run(), nnotes::ERR_AGENT_HANDLE) << "a closed agent does not run";

    LNAgent broken;
    ASSERT_EQ(db_.GetAgent("Broken", &broken), 0u);
    ASSERT_EQ(broken.Open(0), 0u);
    EXPECT_EQ(broken.Run(), nnotes::ERR_FORMULA_TYPE);
    // Left open: closing the database closes it.
    EXPECT_EQ(LNAgent().Open(0), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(LNAgent().Close(), LNERR_NOT_INITIALIZED);
}

TEST_F(DesignTest, HiddenAgentsAreNotListed) {
    EXPECT_EQ(db_.GetAgents(nullptr), LNERR_INVALID_PARAMETER);
    LNAgentArray agents;
    EXPECT_EQ(db_.GetAgents(&agents), LNWARN_NOT_FOUND);
    EXPECT_EQ(agents.GetCount(), 0u);
    Make<LNAgentBody, LNAgent>("Hidden", {{"$Flags", "aX"}});
    EXPECT_EQ(db_.GetAgents(&agents), LNWARN_NOT_FOUND) << "only hidden ones";
    const nnotes::NOTEID shown = Make<LNAgentBody, LNAgent>("Shown", {{"$Flags", "ab"}});
    const nnotes::NOTEID plain = Make<LNAgentBody, LNAgent>("Plain");
    Make<LNAgentBody, LNAgent>("Private", {{"$Flags", "s"}});
    ASSERT_EQ(db_.GetAgents(&agents), 0u);
    ASSERT_EQ(agents.GetCount(), 2u);
    EXPECT_EQ(agents[0].GetNoteID(), shown);
    EXPECT_EQ(agents[1].GetNoteID(), plain);
    EXPECT_TRUE(db_.AgentExists("Private"));
    LNAgent agent = agents[1];
    ASSERT_EQ(db_.DeleteAgent(&agent), 0u);
    EXPECT_FALSE(db_.AgentExists("Plain"));
}
