// Forms and agents with hostile names: long, non-ASCII, with blanks, bars and NUL characters. Each keeps its
// title byte for byte and is found by its whole title or one of its names, and by nothing shorter.
#include "docsfixture.h"
#include "ln/lnagent.h"
#include "ln/lnform.h"

using namespace std::string_literals;

class DesignHostileTest : public DocsTest {
protected:
    // A saved design note of the body's kind titled name; its note id (0 when it was refused).
    template <class Body, class Handle>
    nnotes::NOTEID Make(const LNString& name, LNSTATUS* made) {
        Handle handle;
        handle.SetNoteBody(new Body(db_.GetDatabaseBody(), name, made));
        if (*made != 0) return 0;
        EXPECT_EQ(handle.Save(0), 0u);
        return handle.GetNoteID();
    }

    template <class Body, class Handle, class Find>
    void CheckNames(Find find) {
        const std::string longName(65000, 'n');
        const std::string names[] = {
            "Bestellung \xC3\xBC\xE6\x9D\xB1", "  padded  ", "A|B|C", longName, "Ann\0Lee"s, "%s%d%n"};
        std::vector<nnotes::NOTEID> ids;
        for (const std::string& name : names) {
            LNSTATUS made = 0;
            const LNString title(name.data(), static_cast<uint32_t>(name.size()));
            ids.push_back(Make<Body, Handle>(title, &made));
            ASSERT_EQ(made, 0u) << name.substr(0, 40);
            const std::string stored = StoredValue(ids.back(), "$TITLE");
            ASSERT_GE(stored.size(), 2u);
            EXPECT_EQ(stored.substr(2),
                      std::string(reinterpret_cast<const char*>(title.GetTextPtr()), title.GetByteLength()))
                << name.substr(0, 40);
        }
        for (size_t i = 0; i < std::size(names); ++i) {
            const LNString title(names[i].data(), static_cast<uint32_t>(names[i].size()));
            nnotes::NOTEID found = 0;
            EXPECT_EQ(find(title, &found), 0u) << names[i].substr(0, 40);
            EXPECT_EQ(found, ids[i]) << names[i].substr(0, 40);
        }
        nnotes::NOTEID found = 0;
        EXPECT_EQ(find(LNString("C"), &found), 0u) << "the alias after the last bar";
        EXPECT_EQ(found, ids[2]);
        EXPECT_EQ(find(LNString("b"), &found), 0u) << "a name between bars, in any case";
        EXPECT_EQ(found, ids[2]);
        EXPECT_EQ(find(LNString("padded"), &found), 0u) << "a name without the blanks around it";
        EXPECT_EQ(found, ids[1]);
        EXPECT_NE(find(LNString(std::string(64999, 'n').c_str()), &found), 0u) << "a prefix names nothing";
        EXPECT_NE(find(LNString("Ann"), &found), 0u) << "nor the text before a NUL character";
        EXPECT_NE(find(LNString("%s%d"), &found), 0u);
    }
};

TEST_F(DesignHostileTest, FormsWithHostileNames) {
    CheckNames<LNFormBody, LNForm>([&](const LNString& name, nnotes::NOTEID* id) {
        LNForm form;
        const LNSTATUS status = db_.GetForm(name, &form);
        *id = status == 0 ? form.GetNoteID() : 0;
        return status;
    });
}

TEST_F(DesignHostileTest, AgentsWithHostileNames) {
    CheckNames<LNAgentBody, LNAgent>([&](const LNString& name, nnotes::NOTEID* id) {
        LNAgent agent;
        const LNSTATUS status = db_.GetAgent(name, &agent);
        *id = status == 0 ? agent.GetNoteID() : 0;
        return status;
    });
}
