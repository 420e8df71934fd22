// Agents: opened from agent notes only, their formula compiled on open and evaluated for every document
// when run; handles and run contexts checked.
#include "testing/store_fixture.h"

namespace nnotes::testing {
namespace {

class AgentTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("agents.nsf");
    }
    void TearDown() override {
        CloseDatabase(db_);
        StoreTest::TearDown();
    }

    NOTEID Agent(const char* formula) {
        if (formula == nullptr) return SaveNote(db_, {{"$TITLE", "Nightly"}}, NOTE_CLASS_FILTER);
        return SaveNote(db_, {{"$TITLE", "Nightly"}, {"$Formula", formula}}, NOTE_CLASS_FILTER);
    }

    // Opens, runs once and closes; the status of the run.
    STATUS OpenAndRun(NOTEID id) {
        HAGENT agent = 0;
        if (STATUS s = OpenAgent(db_, id, &agent)) return s;
        HAGENTCTX context = 0;
        EXPECT_EQ(CreateRunContext(agent, 0, 0, &context), NOERROR);
        const STATUS run = RunAgent(agent, context, 0, 0);
        EXPECT_EQ(DestroyRunContext(context), NOERROR);
        EXPECT_EQ(CloseAgent(agent), NOERROR);
        return run;
    }

    DBHANDLE db_ = 0;
};

TEST_F(AgentTest, RunsItsFormulaOverEveryDocument) {
    SaveNote(db_, {{"Subject", "one"}});
    SaveNote(db_, {{"Subject", "two"}});
    EXPECT_EQ(OpenAndRun(Agent("SELECT Subject = \"one\"")), NOERROR);
    EXPECT_EQ(OpenAndRun(Agent(nullptr)), NOERROR);
    // A formula that fails on a document fails the run.
    EXPECT_EQ(OpenAndRun(Agent("Subject * 2")), ERR_FORMULA_TYPE);
}

TEST_F(AgentTest, RunsInADatabaseWithoutDocuments) {
    EXPECT_EQ(OpenAndRun(Agent("SELECT 1")), NOERROR);
}

TEST_F(AgentTest, RefusesNotesThatAreNoAgentsAndFormulasThatDoNotCompile) {
    HAGENT agent = 0;
    EXPECT_EQ(OpenAgent(db_, SaveNote(db_, {{"Subject", "x"}}), &agent), ERR_NOT_AN_AGENT);
    EXPECT_EQ(OpenAgent(db_, Agent("SELECT ("), &agent), ERR_FORMULA_SYNTAX);
    EXPECT_EQ(OpenAgent(db_, 999, &agent), ERR_NOTE_NOT_FOUND);
    EXPECT_EQ(OpenAgent(db_, Agent(nullptr), nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(AgentTest, HandlesAndContextsAreChecked) {
    HAGENT first = 0, second = 0;
    ASSERT_EQ(OpenAgent(db_, Agent(nullptr), &first), NOERROR);
    ASSERT_EQ(OpenAgent(db_, Agent(nullptr), &second), NOERROR);
    HAGENTCTX context = 0;
    ASSERT_EQ(CreateRunContext(first, 0, 0, &context), NOERROR);
    // A context runs only the agent it was made for.
    EXPECT_EQ(RunAgent(second, context, 0, 0), ERR_AGENT_HANDLE);
    EXPECT_EQ(CreateRunContext(12345, 0, 0, &context), ERR_AGENT_HANDLE);
    EXPECT_EQ(CloseAgent(first), NOERROR);
    EXPECT_EQ(CloseAgent(first), ERR_AGENT_HANDLE);
    EXPECT_EQ(RunAgent(first, context, 0, 0), ERR_AGENT_HANDLE);
    EXPECT_EQ(DestroyRunContext(context), NOERROR);
    EXPECT_EQ(DestroyRunContext(context), ERR_AGENT_HANDLE);
    EXPECT_EQ(CloseAgent(second), NOERROR);
}

} // namespace
} // namespace nnotes::testing
