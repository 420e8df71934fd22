// Mail messages, replies and responses under hostile input: recipient strings of many entries, texts with
// NUL and non-ASCII characters, subjects at the size limit of an item, and parents or responses that were
// deleted.
#include "ln/lnmailmessage.h"
#include "lnmailmessage_fixture.h"
#include "testsupport/item_bytes.h"

using Strings = std::vector<std::string>;
using namespace std::string_literals;

class MailHostileTest : public MailTest {
protected:
    LNMailMessage Memo() {
        LNMailMessage memo;
        EXPECT_EQ(session_.CreateMailMessage(&memo), 0u);
        return memo;
    }

    // The raw value (type word first) of an item of an open note; "" when missing.
    static std::string Stored(const LNNote& note, const char* name) {
        const auto item = testsupport::ReadItem(note.GetNoteBody()->GetNoteHandle(), name);
        return item ? item->value : "";
    }
};

TEST_F(MailHostileTest, RecipientStringsOfManyEntries) {
    LNMailMessage memo = Memo();
    // Every comma makes an entry, empty ones included; as many as a list can hold are taken.
    const std::string commas(3000, ',');
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_PRIMARY, LNString(commas.c_str())), 0u);
    LNText names;
    ASSERT_EQ(memo.GetSendTo(&names), 0u);
    EXPECT_EQ(names.GetCount(), 3001u);
    const std::string before = Stored(memo, "SendTo");
    // More than one item holds: refused, and what was set stays.
    const std::string many =
        std::string(21842, 'a') + "," + std::string(21842, 'b') + "," + std::string(21846, 'c');
    EXPECT_NE(memo.SetRecipients(LNRECIPIENTTYPE_PRIMARY, LNString(many.c_str())), 0u);
    EXPECT_EQ(Stored(memo, "SendTo"), before);
    memo.Close();
}

TEST_F(MailHostileTest, RecipientsWithNulAndNonAsciiCharactersAreKeptWhole) {
    LNMailMessage memo = Memo();
    const std::string odd = "Zo\xC3\xAB M\xC3\xBCller/\xE6\x9D\xB1\xE4\xBA\xAC";
    LNText names;
    names << LNString(odd.c_str());
    names << LNString("x");
    const std::string withNul("Ann\0Bob", 7);
    names << LNString(withNul.data(), static_cast<uint32_t>(withNul.size()));
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_PRIMARY, names), 0u);
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_CC, LNString(("\xC3\xA9," + odd).c_str())), 0u);
    const Strings sendTo = Entries(memo, "SendTo");
    ASSERT_EQ(sendTo.size(), 3u);
    EXPECT_EQ(sendTo[0], odd);
    EXPECT_EQ(sendTo[1], "x");
    EXPECT_EQ(sendTo[2].size(), 7u) << "a NUL character ends nothing";
    EXPECT_EQ(Entries(memo, "CopyTo"), (Strings{"\xC3\xA9", odd}));
    ASSERT_EQ(memo.SetSubject(LNString(odd.c_str())), 0u);
    EXPECT_EQ(Entries(memo, "Subject"), Strings{odd});
    ASSERT_EQ(memo.Send(), 0u);
    const auto deposited = Deposited("Recipients");
    ASSERT_EQ(deposited.size(), 1u);
    ASSERT_EQ(deposited[0].size(), 5u);
    EXPECT_EQ(deposited[0][2], sendTo[2]);
    EXPECT_EQ(deposited[0][4], odd);
    memo.Close();
}

// A reply whose texts outgrow what an item holds ("Re: " before a subject that fills one, a sender with a
// long domain) is refused with a status, and nothing is left in the mail file.
TEST_F(MailHostileTest, RepliesThatWouldOutgrowAnItemAreRefused) {
    const std::string subjectText(65529, 'q'), domain(40000, 'd'), sender(40000, 's');
    for (const bool longSubject : {true, false}) {
        LNDocument doc = Doc(2);
        LNText subject, from, fromDomain;
        subject << LNString(longSubject ? subjectText.c_str() : "Hi");
        from << LNString(longSubject ? "Eve" : sender.c_str());
        fromDomain << LNString(longSubject ? "" : domain.c_str());
        ASSERT_EQ(doc.CreateItem("Subject", subject, 0x05, LNITEMDUP_REPLACE), 0u);
        ASSERT_EQ(doc.CreateItem("From", from, 0x05, LNITEMDUP_REPLACE), 0u);
        ASSERT_EQ(doc.CreateItem("FromDomain", fromDomain, 0x05, LNITEMDUP_REPLACE), 0u);
        LNDocument reply;
        LNSTATUS made = 0;
        EXPECT_EQ(Thrown([&] { made = doc.CreateReply(&reply, 0); }), 0u) << "a status, not an exception";
        EXPECT_NE(made, 0u) << longSubject;
        EXPECT_TRUE(reply.IsNull()) << longSubject;
        doc.Close();
    }
    LNDatabase mail;
    ASSERT_EQ(session_.GetDatabase("mail/tuser.nsf", &mail, "Alpha/Acme"), 0u);
    ASSERT_EQ(mail.Open(), 0u);
    LNDocumentArray made;
    mail.GetDocuments(&made);
    EXPECT_EQ(made.GetCount(), 0u);
    mail.Close();
}

TEST_F(MailHostileTest, RepliesToSubjectsOfOddCharacters) {
    for (const std::string& subject :
         {"R\xC3\xA9: x"s, "Re:"s, "RE: "s, "\xE6\x9D\xB1"s, "Re:  two"s, "re: x"s}) {
        LNDocument doc = Doc(2);
        LNText text;
        text << LNString(subject.c_str());
        ASSERT_EQ(doc.CreateItem("Subject", text, 0x05, LNITEMDUP_REPLACE), 0u);
        LNDocument reply;
        ASSERT_EQ(doc.CreateReply(&reply, 0), 0u) << subject;
        const bool answered =
            subject.size() >= 4 && (subject.compare(0, 4, "Re: ") == 0 ||
                                    subject.compare(0, 4, "RE: ") == 0 || subject.compare(0, 4, "re: ") == 0);
        EXPECT_EQ(Entries(reply, "Subject"), Strings{answered ? subject : "Re: " + subject}) << subject;
        reply.Close();
        doc.Close();
    }
}

TEST_F(MailHostileTest, ResponsesOfDeletedParentsAndDeletedResponses) {
    // Parent (3) <- Child (4) <- Grandchild (5); Parent <- Second child (6).
    ASSERT_EQ(docs_.DeleteNote(ids_[4]), 0u);
    LNDocument parent = Doc(3);
    LNDocumentArray all;
    const LNSTATUS collected = parent.GetAllResponses(&all);
    ASSERT_EQ(collected, 0u) << "a deleted response is no reason to fail";
    std::vector<nnotes::NOTEID> ids;
    for (uint32_t i = 0; i < all.GetCount(); ++i)
        ids.push_back(all.GetDocument(i).GetNoteID());
    EXPECT_EQ(ids, (std::vector<nnotes::NOTEID>{ids_[6]}));
    EXPECT_EQ(parent.GetResponseCount(), 1u);
    parent.Close();

    LNDocument orphan = Doc(5);
    LNDocument found;
    const LNSTATUS s = orphan.GetParentDocument(&found);
    if (s == 0) {
        EXPECT_NE(found.Open(0), 0u) << "the parent named is the deleted one";
    } else {
        EXPECT_EQ(s, LNWARN_NOT_FOUND);
    }
    EXPECT_TRUE(orphan.IsResponse());
    LNDocumentArray none;
    EXPECT_EQ(orphan.GetResponses(&none), LNWARN_NOT_FOUND);
    orphan.Close();
}

// Recipients that each fit their item but together outgrow "Recipients": the send fails, and the mailbox
// keeps no message without its recipients.
TEST_F(MailHostileTest, ASendWhoseRecipientsOutgrowAnItemDepositsNothing) {
    LNMailMessage memo = Memo();
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_PRIMARY, LNString(std::string(30000, 'p').c_str())), 0u);
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_CC, LNString(std::string(30000, 'c').c_str())), 0u);
    ASSERT_EQ(memo.SetRecipients(LNRECIPIENTTYPE_BCC, LNString(std::string(10000, 'b').c_str())), 0u);
    LNSTATUS sent = 0;
    EXPECT_EQ(Thrown([&] { sent = memo.Send(); }), 0u);
    EXPECT_NE(sent, 0u);
    EXPECT_TRUE(Deposited("Recipients").empty());
    EXPECT_FALSE(memo.HasItem("PostedDate"));
    memo.Close();
}
