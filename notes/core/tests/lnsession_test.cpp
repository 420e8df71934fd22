// The session's lifetime rules, its environment questions, ports and log entries.
#include "lnsession_fixture.h"

#include "ln/lninternational.h"
#include "ln/lnlogentry.h"
#include "ln/lnserveraddin.h"
#include "nnotes/acl.h"
#include "nnotes/addin.h"
#include "nnotes/settings.h"

namespace {

TEST(SessionLifetime, TermAndOperationsNeedInit) {
    LNNotesSession session;
    EXPECT_EQ(session.Term(), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(session.TermThread(), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(session.SetDefaultOpenOptions(1), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(session.InitThread(), LNERR_SESSION_NOT_INITIALIZED) << "no other session started the API";
    EXPECT_THROW(session.GetDefaultOpenOptions(), LNSTATUS);
    EXPECT_FALSE(session.IsInitialized());
}

TEST(SessionLifetime, AWrongVersionLeavesTheSessionDown) {
    LNNotesSession session;
    EXPECT_EQ(session.Init(400), LNERR_INCOMPATIBLE_API);
    EXPECT_FALSE(session.IsInitialized());
    EXPECT_FALSE(LNIsAPIInitialized());
}

TEST_F(SessionTest, InitTwiceIsRefused) {
    EXPECT_EQ(session_.Init(), LNERR_SESSION_ALREADY_INITIALIZED);
    EXPECT_EQ(session_.InitThread(), LNERR_SESSION_ALREADY_INITIALIZED);
}

TEST_F(SessionTest, AThreadSessionRunsBesideTheProcessSession) {
    auto* thread = new LNNotesSession;
    ASSERT_EQ(thread->InitThread(), LNNOERROR);
    LNDatabase db;
    MakeFile("t.nsf");
    ASSERT_EQ(thread->GetDatabase(T("t.nsf"), &db), LNNOERROR);
    ASSERT_EQ(db.Open(), LNNOERROR);
    ASSERT_EQ(thread->TermThread(), LNNOERROR);
    EXPECT_FALSE(db.IsOpen()) << "ending the thread closes what it handed out";
    EXPECT_EQ(thread->TermThread(), LNERR_SESSION_NOT_INITIALIZED);
    delete thread;
    EXPECT_TRUE(LNIsAPIInitialized());
}

TEST_F(SessionTest, TermClosesRegisteredDatabasesAndReportsSurvivors) {
    MakeFile("a.nsf");
    LNDatabase db;
    ASSERT_EQ(session_.GetDatabase(T("a.nsf"), &db), LNNOERROR);
    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_EQ(session_.Term(), LNWARN_UNDELETED_OBJECTS) << "the handle still holds its body";
    EXPECT_FALSE(session_.IsInitialized());
}

TEST_F(SessionTest, TermWithoutSurvivorsIsClean) {
    MakeFile("a.nsf");
    {
        LNDatabase db;
        ASSERT_EQ(session_.GetDatabase(T("a.nsf"), &db), LNNOERROR);
        ASSERT_EQ(db.Open(), LNNOERROR);
    }
    EXPECT_EQ(session_.Term(), LNNOERROR);
}

TEST_F(SessionTest, ThrowAllErrorsThrowsApiErrors) {
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { session_.Init(); }), LNERR_SESSION_ALREADY_INITIALIZED);
    EXPECT_EQ(Thrown([&] { session_.GetDatabase(T(""), nullptr); }), LNERR_NULL_POINTER);
}

TEST_F(SessionTest, EnvironmentValuesRoundTrip) {
    EXPECT_STREQ(session_.GetUserName().GetPlatformTextPtr(), "CN=Jane Doe/O=Acme");
    LNString out;
    session_.GetDataDirectory(&out);
    EXPECT_EQ(std::string(out.GetPlatformTextPtr()), data_);

    EXPECT_EQ(session_.SetEnvironmentString(T("Colour"), T("blue")), LNNOERROR);
    EXPECT_STREQ(session_.GetEnvironmentString(T("Colour")).GetPlatformTextPtr(), "blue");
    EXPECT_STREQ(session_.GetEnvironmentString(T("Absent")).GetPlatformTextPtr(), "");
    EXPECT_EQ(session_.SetEnvironmentLong(T("Count"), -42), LNNOERROR);
    EXPECT_EQ(session_.GetEnvironmentLong(T("Count")), -42);
    EXPECT_EQ(session_.GetEnvironmentLong(T("Absent")), 0);
    EXPECT_EQ(session_.SetEnvironmentString(LNString(), T("x")), LNERR_NULL_STRING);
    EXPECT_EQ(session_.SetEnvironmentLong(LNString(), 1), LNERR_NULL_STRING);
    EXPECT_EQ(session_.SetEnvironmentString(T("Bad"), T("two\nlines")), nnotes::ERR_ENV_VALUE)
        << "a value that was not stored is not reported as stored";
}

TEST_F(SessionTest, MailSystemIsReadOnce) {
    ASSERT_EQ(session_.SetEnvironmentLong(T("MailSystem"), 1), LNNOERROR);
    EXPECT_EQ(session_.GetMailSystem(), 1u);
    ASSERT_EQ(session_.SetEnvironmentLong(T("MailSystem"), 2), LNNOERROR);
    EXPECT_EQ(session_.GetMailSystem(), 1u);
}

TEST_F(SessionTest, InternationalSettingsComeFromTheStore) {
    const LNInternational intl = session_.GetInternational();
    EXPECT_STREQ(intl.GetShortText1().GetPlatformTextPtr(), "AM");
    EXPECT_STREQ(intl.GetLongText2().GetPlatformTextPtr(), "Today");
    EXPECT_EQ(intl.GetFormatChoice(), 32u);
}

TEST_F(SessionTest, PortsAreLookedUpAcrossContinuationLines) {
    WriteSettings("Ports=TCPIP, LAN0,*NEXTPORTSLINE*\nPorts1=  X.25 (2)\n");
    for (const char* port : {"TCPIP", "LAN0", "X.25 (2)"})
        EXPECT_EQ(session_.SetPort(T(port)), LNNOERROR) << port;
    EXPECT_EQ(session_.SetPort(T("COM1")), nnotes::ERR_PORT_NOT_CONFIGURED);
    EXPECT_EQ(session_.SetPort(T("tcpip")), nnotes::ERR_PORT_NOT_CONFIGURED) << "port names match exactly";
    EXPECT_EQ(session_.SetPort(LNString()), LNNOERROR);
}

TEST_F(SessionTest, EmptyPortEntriesAreSkipped) {
    WriteSettings("Ports=A,,B\n");
    EXPECT_EQ(session_.SetPort(T("B")), LNNOERROR);
    WriteSettings("");
    EXPECT_EQ(session_.SetPort(T("A")), nnotes::ERR_PORT_NOT_CONFIGURED);
}

TEST_F(SessionTest, LogEntriesOpenOnceAndCloseOnce) {
    LNLogEntry entry;
    EXPECT_EQ(session_.CloseLogEntry(&entry), LNERR_INVALID_LOG_ENTRY);
    ASSERT_EQ(session_.OpenLogEntry(&entry, T("Merge")), LNNOERROR);
    EXPECT_TRUE(entry.IsOpen());
    EXPECT_EQ(session_.OpenLogEntry(&entry, T("Merge")), LNERR_INVALID_LOG_ENTRY);
    entry.SetValue(9);
    const LNLogEntry copy(entry);
    EXPECT_TRUE(copy.IsOpen());
    EXPECT_EQ(copy.GetValue(), 9u);
    EXPECT_EQ(entry.WriteWithNumber(3, T("rows")), LNNOERROR);
    EXPECT_EQ(entry.WriteWithText(T("first"), T("second")), LNNOERROR);
    ASSERT_EQ(session_.CloseLogEntry(&entry), LNNOERROR);
    EXPECT_TRUE(entry.IsNotOpen());
    EXPECT_EQ(entry.GetValue(), 0u);

    LNLogEntry other;
    ASSERT_EQ(session_.OpenLogEntry(&other, T("Scratch")), LNNOERROR);
    EXPECT_EQ(session_.DiscardLogEntry(&other), LNNOERROR);
    EXPECT_EQ(session_.DiscardLogEntry(&other), LNERR_INVALID_LOG_ENTRY);
    EXPECT_EQ(other.WriteWithNumber(1, T("late")), nnotes::ERR_LOG_HANDLE);
}

TEST_F(SessionTest, ASecondAddinIsRefused) {
    LNServerAddin first, second;
    ASSERT_EQ(session_.AddServerAddin(T("Merge"), T("Idle"), &first), LNNOERROR);
    EXPECT_EQ(session_.AddServerAddin(T("Other"), T("Idle"), &second), LNERR_ADDIN_ALREADY_INITIALIZED);
    first.Close();
    EXPECT_EQ(session_.AddServerAddin(T("Other"), T("Idle"), &second), LNNOERROR)
        << "a closed add-in frees its place";
}

} // namespace
