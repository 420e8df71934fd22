// Mail messages: the typed items of a memo, and sending, which deposits a copy in the mail server's
// "mail.box".
#include "ln/lndatetime.h"
#include "ln/lnmailmessage.h"
#include "lnmailmessage_fixture.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

using Strings = std::vector<std::string>;

class MailMessageTest : public MailTest {
protected:
    // A new memo in the user's mail file.
    LNMailMessage Memo() {
        LNMailMessage memo;
        EXPECT_EQ(session_.CreateMailMessage(&memo), 0u);
        return memo;
    }
};

TEST_F(MailMessageTest, ANewMessageIsAMemoOfTheMailFile) {
    LNMailMessage memo = Memo();
    EXPECT_EQ(memo.GetMailType(), LNMAILMSGTYPE_MEMO);
    EXPECT_EQ(Entries(memo, "Form"), Strings{"Memo"});
    EXPECT_EQ(Text(memo.GetDatabase().GetFilepath()), "mail/tuser.nsf");
    EXPECT_EQ(Text(memo.GetDatabase().GetServer()), "Alpha/Acme");
    EXPECT_EQ(memo.Close(), 0u);
}

TEST_F(MailMessageTest, RecipientsFromACommaSeparatedString) {
    LNMailMessage memo = Memo();
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_PRIMARY, LNString("Ann,,Bob Lee")), 0u);
    EXPECT_EQ(Entries(memo, "SendTo"), (Strings{"Ann", "", "Bob Lee"}));
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_CC, LNString("Carol")), 0u);
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_BCC, LNString("Dan, Eve")), 0u);
    LNText names;
    ASSERT_EQ(memo.GetCopyTo(&names), 0u);
    EXPECT_EQ(names.GetCount(), 1u);
    EXPECT_EQ(StoredFlags(memo, "CopyTo"), 0x45u);
    ASSERT_EQ(memo.GetBlindCopyTo(&names), 0u);
    EXPECT_EQ(Text(names[1].GetText()), " Eve") << "entries are taken as they are";
    EXPECT_EQ(StoredFlags(memo, "BlindCopyTo"), 0x44u);
    // Setting again replaces.
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_PRIMARY, LNString("Zed")), 0u);
    EXPECT_EQ(Entries(memo, "SendTo"), Strings{"Zed"});
    memo.Close();
}

TEST_F(MailMessageTest, RecipientTypesOutsideTheThreeKindsAreRefused) {
    LNMailMessage memo = Memo();
    LNText names;
    names << "Ann";
    for (const LNRECIPIENTTYPE type : {LNRECIPIENTTYPE(3), LNRECIPIENTTYPE(0xFFFFFFFF)}) {
        EXPECT_EQ(memo.GetRecipients(type, &names), LNERR_INVALID_PARAMETER);
        EXPECT_EQ(memo.SetRecipients(type, names), LNERR_INVALID_PARAMETER);
        EXPECT_EQ(memo.SetRecipients(type, LNString("Ann")), LNERR_INVALID_PARAMETER);
    }
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { memo.GetRecipients(LNRECIPIENTTYPE(7), &names); }), LNERR_INVALID_PARAMETER);
    LNSetThrowAllErrors(false);
    EXPECT_EQ(memo.Close(), 0u);
}

TEST_F(MailMessageTest, MissingItemsGiveNoMatch) {
    LNMailMessage memo = Memo();
    LNString from("x");
    EXPECT_EQ(memo.GetFrom(&from), LNWARN_NOT_FOUND);
    EXPECT_EQ(Text(from), "");
    LNText names;
    names.Append("stale");
    EXPECT_EQ(memo.GetSendTo(&names), LNWARN_NOT_FOUND);
    EXPECT_EQ(names.GetCount(), 0u);
    LNDatetime posted;
    EXPECT_EQ(memo.GetPostedDate(&posted), LNWARN_NOT_FOUND);
    LNItem body;
    EXPECT_EQ(memo.GetBody(&body), LNWARN_NOT_FOUND);
    EXPECT_EQ(memo.GetFrom(nullptr), LNERR_NULL_POINTER);
    EXPECT_EQ(memo.GetSubject(nullptr), LNERR_NULL_POINTER);
    memo.Close();
}

TEST_F(MailMessageTest, SubjectAndSenderTag) {
    LNMailMessage memo = Memo();
    ASSERT_EQ(memo.SetSubject("Quarterly"), 0u);
    LNText subject;
    ASSERT_EQ(memo.GetSubject(&subject), 0u);
    EXPECT_EQ(Text(subject[0].GetText()), "Quarterly");
    EXPECT_EQ(StoredFlags(memo, "Subject"), 0x05u);

    EXPECT_EQ(memo.GetSenderTag(), 0u);
    ASSERT_EQ(memo.SetSenderTag(10), 0u);
    EXPECT_EQ(Entries(memo, "SenderTag"), Strings{"M"});
    EXPECT_EQ(memo.GetSenderTag(), 10u);
    ASSERT_EQ(memo.SetSenderTag(2), 0u);
    EXPECT_EQ(memo.GetSenderTag(), 2u);
    EXPECT_EQ(memo.SetSenderTag(11), LNERR_INVALID_PARAMETER);
    LNText tag;
    tag.Append("Z");
    ASSERT_EQ(memo.CreateItem("SenderTag", tag, 4, LNITEMDUP_REPLACE), 0u);
    EXPECT_EQ(memo.GetSenderTag(), 0u) << "a letter outside the table";
    memo.Close();
}

TEST_F(MailMessageTest, DeliveryFlags) {
    LNMailMessage memo = Memo();
    const uint32_t items = memo.GetItemCount();
    EXPECT_EQ(memo.SetKeepPrivate(false), 0u);
    EXPECT_EQ(memo.GetItemCount(), items) << "nothing to remove, nothing changed";
    EXPECT_FALSE(memo.IsKeepPrivate());
    ASSERT_EQ(memo.SetKeepPrivate(true), 0u);
    EXPECT_TRUE(memo.IsKeepPrivate());
    ASSERT_EQ(memo.SetKeepPrivate(false), 0u);
    EXPECT_FALSE(memo.HasItem("$KeepPrivate"));

    EXPECT_FALSE(memo.IsReturnReceipt());
    ASSERT_EQ(memo.SetReturnReceipt(true), 0u);
    EXPECT_TRUE(memo.IsReturnReceipt());
    LNText two;
    two.Append("11");
    ASSERT_EQ(memo.CreateItem("ReturnReceipt", two, 4, LNITEMDUP_REPLACE), 0u);
    EXPECT_FALSE(memo.IsReturnReceipt()) << "the item must hold one character";

    EXPECT_FALSE(memo.IsAssistMail());
    ASSERT_EQ(memo.CreateItem("$AssistMail", two, 4, LNITEMDUP_REPLACE), 0u);
    EXPECT_TRUE(memo.IsAssistMail());
    memo.Close();
}

TEST_F(MailMessageTest, HandlesWithoutAnOpenDocument) {
    LNMailMessage empty;
    LNText names;
    EXPECT_EQ(empty.GetSendTo(&names), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { empty.IsAssistMail(); }), LNERR_NOT_INITIALIZED);
    LNMailMessage named;
    named = LNDocument(docs_.GetDatabaseBody(), ids_[0]);
    EXPECT_EQ(named.SetSubject("x"), LNERR_NOTE_NOT_OPEN);
    ASSERT_EQ(named.Open(0), 0u);
    ASSERT_EQ(named.Close(), 0u);
    EXPECT_EQ(Thrown([&] { named.IsReturnReceipt(); }), LNERR_NOTE_NOT_OPEN);
}

TEST_F(MailMessageTest, SendingDepositsACopyWithItsRecipients) {
    LNMailMessage memo = Memo();
    ASSERT_EQ(memo.SetSubject("Report"), 0u);
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_CC, LNString("Carol")), 0u);
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_BCC, LNString("Dan")), 0u);
    ASSERT_EQ(memo.Send(LNString("Ann,Bob")), 0u);
    EXPECT_EQ(Deposited("Recipients"), (std::vector<Strings>{{"Ann", "Bob", "Carol", "Dan"}}));
    EXPECT_EQ(Deposited("Subject"), (std::vector<Strings>{{"Report"}}));
    EXPECT_EQ(Deposited("From"), (std::vector<Strings>{{"CN=Test User/O=Acme"}}));
    LNDatetime posted;
    EXPECT_EQ(memo.GetPostedDate(&posted), 0u);
    EXPECT_EQ(Deposited("PostedDate").size(), 1u);
    memo.Close();
}

TEST_F(MailMessageTest, SendingWithoutPrimaryRecipientsFails) {
    LNMailMessage memo = Memo();
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_CC, LNString("Carol")), 0u);
    EXPECT_EQ(memo.Send(), LNERR_INVALID_MAIL_MESSAGE);
    EXPECT_FALSE(memo.HasItem("PostedDate"));
    EXPECT_EQ(Entries(memo, "From"), Strings{"CN=Test User/O=Acme"}) << "the new sender stays";
    EXPECT_TRUE(Deposited("Subject").empty());
    EXPECT_EQ(memo.Send(""), LNERR_NULL_STRING) << "a literal is a list of recipients, not the form flag";
    EXPECT_EQ(memo.Send(LNText()), LNERR_NULL_POINTER);
    memo.Close();
}

TEST_F(MailMessageTest, AServerKitCannotSend) {
    ASSERT_EQ(nnotes::SetEnvironmentText("KitType", "2"), nnotes::NOERROR);
    LNMailMessage memo = Memo();
    EXPECT_EQ(memo.Send(LNString("Ann")), LNERR_SERVER_MAIL_UNSUPPORTED);
    EXPECT_TRUE(Deposited("Subject").empty());
    memo.Close();
}

TEST_F(MailMessageTest, AnOrdinaryDocumentGoesToTheMailServer) {
    LNDocument doc = Doc(0);
    LNText to;
    to.Append("Ann");
    ASSERT_EQ(doc.Send(to), 0u);
    EXPECT_EQ(Deposited("Subject"), (std::vector<Strings>{{"Hello"}}));
    EXPECT_EQ(Deposited("Recipients"), (std::vector<Strings>{{"Ann", "Carol"}}));
    doc.Close();
}

TEST_F(MailMessageTest, WithoutAMailFileNothingIsMade) {
    ASSERT_EQ(nnotes::SetEnvironmentText("MailFile", "mail/nobody.nsf"), nnotes::NOERROR);
    LNMailMessage memo;
    EXPECT_EQ(session_.CreateMailMessage(&memo), nnotes::ERR_NOEXIST);
    EXPECT_TRUE(memo.IsNull());
    LNDocument doc = Doc(0), reply;
    EXPECT_EQ(doc.CreateReply(&reply, 0), nnotes::ERR_NOEXIST);
    EXPECT_TRUE(reply.IsNull());
    ASSERT_EQ(nnotes::SetEnvironmentText("MailFile", nullptr), nnotes::NOERROR);
    EXPECT_EQ(session_.CreateMailMessage(&memo), LNERR_NO_MAIL_DATABASE);
    // An ordinary document is sent through the user's mail server, so it cannot go either.
    EXPECT_EQ(doc.Send("Ann"), LNERR_NO_MAIL_DATABASE);
    EXPECT_FALSE(doc.HasItem("PostedDate"));
    doc.Close();
}

TEST_F(MailMessageTest, AServerWithoutAMailboxRefusesTheMessage) {
    area_.AddServer("Beta/Acme"); // rewrites the settings
    ASSERT_EQ(nnotes::SetEnvironmentText("MailServer", "Beta/Acme"), nnotes::NOERROR);
    ASSERT_EQ(nnotes::SetEnvironmentText("MailFile", "mail/tuser.nsf"), nnotes::NOERROR);
    LNDocument doc = Doc(0);
    EXPECT_EQ(doc.Send("Ann"), nnotes::ERR_NOEXIST);
    EXPECT_FALSE(doc.HasItem("PostedDate"));
    doc.Close();
}
