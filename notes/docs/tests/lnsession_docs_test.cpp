// Finding the user's mail database when the address book gives no location document.
#include "docsfixture.h"

#include "lnerrors.h"

namespace {

using MailDatabaseTest = DocsTest;

TEST_F(MailDatabaseTest, WithoutLocationOrMailFileThereIsNone) {
    LNDatabase mail;
    EXPECT_EQ(session_.GetMailDatabase(&mail), LNERR_NO_MAIL_DATABASE);
    EXPECT_EQ(session_.GetMailDatabase(nullptr), LNERR_NULL_POINTER);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { session_.GetMailDatabase(&mail); }), LNERR_NO_MAIL_DATABASE);
}

TEST_F(MailDatabaseTest, TheEnvironmentNamesFileAndServer) {
    ASSERT_EQ(session_.SetEnvironmentString("MailFile", "mail/jdoe.nsf"), LNNOERROR);
    LNDatabase mail;
    ASSERT_EQ(session_.GetMailDatabase(&mail), LNNOERROR);
    EXPECT_EQ(Text(mail.GetFilepath()), "mail/jdoe.nsf");
    EXPECT_FALSE(mail.IsRemote());
    EXPECT_FALSE(mail.IsOpen());
    ASSERT_EQ(session_.SetEnvironmentString("MailServer", "Alpha/Acme"), LNNOERROR);
    ASSERT_EQ(session_.GetMailDatabase(&mail), LNNOERROR);
    EXPECT_EQ(Text(mail.GetServer()), "Alpha/Acme");
}

TEST_F(MailDatabaseTest, ALocationWithoutAddressBookFallsBackAndRestoresThrowing) {
    ASSERT_EQ(session_.SetEnvironmentString("Location", "Office (Network),12345,67890"), LNNOERROR);
    ASSERT_EQ(session_.SetEnvironmentString("MailFile", "mail/fallback.nsf"), LNNOERROR);
    LNSetThrowAllErrors(true);
    LNDatabase mail;
    ASSERT_EQ(session_.GetMailDatabase(&mail), LNNOERROR);
    EXPECT_EQ(Text(mail.GetFilepath()), "mail/fallback.nsf");
    EXPECT_TRUE(LNGetThrowAllErrors());
}

} // namespace
