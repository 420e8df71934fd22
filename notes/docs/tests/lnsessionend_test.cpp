// Handles that outlive their session: once the session has ended, what they still hold answers a status
// instead of reaching into the session's memory.
#include "apifixture.h"
#include "ln/lndatabase.h"
#include "ln/lndocument.h"
#include "ln/lnsession.h"
#include "nnotes/database.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(SessionEndTest, HandlesKeptPastTheSessionAnswerAStatus) {
    testsupport::TestArea area;
    LNDatabase db;
    LNDocument doc;
    {
        auto session = std::make_unique<LNNotesSession>();
        ASSERT_EQ(session->Init(), 0u);
        ASSERT_EQ(nnotes::CreateDatabase("kept.nsf", 0, false, 0, 0, 0), nnotes::NOERROR);
        ASSERT_EQ(session->GetDatabase("kept.nsf", &db), 0u);
        ASSERT_EQ(db.Open(), 0u);
        ASSERT_EQ(db.CreateDocument(&doc), 0u);
        EXPECT_EQ(db.GetSession(), session.get());
        EXPECT_FALSE(LNIsError(session->Term())) << "the handles' bodies outlive it";
        EXPECT_EQ(db.GetSession(), nullptr) << "terminated: the session is gone for what survives";
        ASSERT_EQ(session->Init(), 0u);
        EXPECT_EQ(db.GetSession(), session.get()) << "the same session, started again";
    }
    EXPECT_EQ(db.GetSession(), nullptr);
    EXPECT_EQ(doc.GetSession(), nullptr);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Open(), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(doc.Send(false), LNERR_NOTE_NOT_OPEN);
}

} // namespace
