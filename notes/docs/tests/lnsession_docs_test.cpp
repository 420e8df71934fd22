// Finding the user's mail database when the address book gives no location document.
#include "docsfixture.h"

#include "ln/lnerrors.h"
#include "testsupport/test_area.h"

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

// An address book whose location documents name mail files: one of the test user's, one for everybody.
constexpr const char* kAddressBook = R"json({
  "path": "names.nsf",
  "views": [ { "name": "($Locations)",
               "columns": [ { "title": "Owner", "item": "Owner", "sorted": true },
                            { "title": "Name", "item": "Name", "sorted": true } ] } ],
  "documents": [
    { "Owner": "CN=Test User/O=Acme", "Name": "Office (Net)", "MailFile": "mail/tuser.nsf", "MailType": "0",
      "MailServer": "Alpha/Acme" },
    { "Owner": "*", "Name": "Home", "MailFile": "mail/home.nsf", "MailType": "1", "MailServer": "Beta/Acme" },
    { "Owner": "*", "Name": "Island", "MailFile": "mail/island.nsf", "MailType": "0" }
  ]
})json";

class LocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(area_.Build(kAddressBook), "");
        ASSERT_EQ(session_.Init(), 0u);
    }
    void TearDown() override {
        LNSetThrowAllErrors(false);
        session_.Term();
    }

    // The mail database for a location value, as "server!!file" ("" when there is none).
    std::string MailFor(const char* location) {
        EXPECT_EQ(session_.SetEnvironmentString("Location", location), LNNOERROR);
        LNDatabase mail;
        if (session_.GetMailDatabase(&mail) != LNNOERROR) return "";
        return Text(mail.GetServer()) + "!!" + Text(mail.GetFilepath());
    }

    testsupport::TestArea area_;
    LNNotesSession session_;
};

TEST_F(LocationTest, TheUsersOwnLocationNamesFileAndServer) {
    EXPECT_EQ(MailFor("Office (Net),1024,ignored"), "Alpha/Acme!!mail/tuser.nsf");
    EXPECT_EQ(MailFor("office (net)"), "Alpha/Acme!!mail/tuser.nsf") << "keys are matched without case";
}

TEST_F(LocationTest, MailTypeOneMeansALocalMailFile) {
    EXPECT_EQ(MailFor("Home"), "!!mail/home.nsf");
}

TEST_F(LocationTest, WithoutAMailServerItemTheEnvironmentNamesIt) {
    ASSERT_EQ(session_.SetEnvironmentString("MailServer", "Gamma/Acme"), LNNOERROR);
    EXPECT_EQ(MailFor("Island"), "Gamma/Acme!!mail/island.nsf");
}

TEST_F(LocationTest, AnUnknownLocationFallsBackToTheEnvironment) {
    EXPECT_EQ(MailFor("Travel"), "");
    ASSERT_EQ(session_.SetEnvironmentString("MailFile", "mail/env.nsf"), LNNOERROR);
    EXPECT_EQ(MailFor("Travel"), "!!mail/env.nsf");
}

} // namespace
