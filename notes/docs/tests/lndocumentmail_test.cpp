// Replies and forwards made in the user's mail file, and a form stored in a document that is sent.
#include "ln/lnform.h"
#include "ln/lnmailmessage.h"
#include "lnmailmessage_fixture.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "testsupport/item_bytes.h"
#include "util/coding.h"

using Strings = std::vector<std::string>;

class DocumentMailTest : public MailTest {
protected:
    LNDocument Reply(size_t source, uint16_t kind) {
        LNDocument doc = Doc(source);
        LNDocument reply;
        EXPECT_EQ(doc.CreateReply(&reply, kind), 0u);
        doc.Close();
        return reply;
    }

    // A form (or subform) of docs.nsf whose items each hold the text "x", and further items of its own.
    LNForm MakeForm(const char* name, std::initializer_list<const char*> items,
                    std::initializer_list<std::pair<const char*, LNText>> lists = {}) {
        LNSTATUS status = 0;
        auto* body = new LNFormBody(docs_.GetDatabaseBody(), LNString(name), &status);
        EXPECT_EQ(status, 0u);
        LNForm form;
        form.SetNoteBody(body);
        LNText value;
        value.Append("x");
        for (const char* item : items)
            EXPECT_EQ(form.CreateItem(item, value, 4, LNITEMDUP_REPLACE), 0u);
        for (const auto& [item, list] : lists)
            EXPECT_EQ(form.CreateItem(item, list, 4, LNITEMDUP_REPLACE), 0u);
        EXPECT_EQ(form.Save(0), 0u);
        return form;
    }

    // The text of every text record of the first "Body" item, one after another.
    static std::string BodyText(const LNNote& note) {
        const auto item = testsupport::ReadItem(note.GetNoteBody()->GetNoteHandle(), "Body");
        if (!item) return "<missing>";
        const auto length = static_cast<uint32_t>(item->value.size());
        const auto* at = reinterpret_cast<const uint8_t*>(item->value.data()) + 2;
        std::string text;
        for (uint32_t i = 0; i + 1 < length - 2;) {
            const uint16_t word = util::DecodeFixed16(at + i);
            const uint32_t size = word == 0xFF85 ? util::DecodeFixed16(at + i + 2) : at[i + 1];
            if (word == 0xFF85) text.append(reinterpret_cast<const char*>(at + i + 8), size - 8).append("|");
            i += size + size % 2;
        }
        return text;
    }
};

TEST_F(DocumentMailTest, ReplySubjectsGetOnePrefix) {
    LNDocument reply = Reply(0, 0);
    EXPECT_EQ(Entries(reply, "Subject"), Strings{"Re: Hello"});
    EXPECT_EQ(Entries(reply, "Form"), Strings{"Reply"});
    EXPECT_EQ(reply.GetMailType(), LNMAILMSGTYPE_REPLY);
    EXPECT_EQ(Text(reply.GetDatabase().GetFilepath()), "mail/tuser.nsf");
    reply.Close();
    reply = Reply(1, 0);
    EXPECT_EQ(Entries(reply, "Subject"), Strings{"Re: Hi"});
    reply.Close();
    reply = Reply(2, 0);
    EXPECT_EQ(Entries(reply, "Subject"), Strings{"Re: "});
    reply.Close();
}

TEST_F(DocumentMailTest, APrefixInAnyCaseIsKept) {
    LNDocument doc;
    ASSERT_EQ(docs_.CreateDocument(&doc), 0u);
    for (const auto& [name, value] : {std::pair{"Subject", "RE: Hi"}, {"From", "Dan"}}) {
        LNText text;
        text << value;
        ASSERT_EQ(doc.CreateItem(name, text), 0u);
    }
    LNDocument reply;
    ASSERT_EQ(doc.CreateReply(&reply, 0), 0u);
    EXPECT_EQ(Entries(reply, "Subject"), Strings{"RE: Hi"});
    reply.Close();
    doc.Close();
}

TEST_F(DocumentMailTest, AMessageWithoutSenderCannotBeAnswered) {
    LNDocument doc = Doc(3);
    LNDocument reply;
    EXPECT_EQ(doc.CreateReply(&reply, 0), LNERR_INVALID_MAIL_MESSAGE);
    EXPECT_TRUE(reply.IsNull());
    LNDocument forward;
    EXPECT_EQ(doc.CreateForward(&forward), 0u) << "a forward names its recipients later";
    forward.Close();
    doc.Close();
}

TEST_F(DocumentMailTest, TheSenderBecomesTheRecipient) {
    LNDocument reply = Reply(0, 0);
    EXPECT_EQ(Entries(reply, "SendTo"), Strings{"CN=Ann Lee/O=Acme"});
    EXPECT_FALSE(reply.HasItem("CopyTo"));
    reply.Close();
    reply = Reply(1, 0);
    EXPECT_EQ(Entries(reply, "SendTo"), Strings{"Dan @ Beta"});
    reply.Close();
    reply = Reply(2, 0);
    EXPECT_EQ(Entries(reply, "SendTo"), Strings{"Eve"}) << "an empty domain is left out";
    reply.Close();
}

TEST_F(DocumentMailTest, ReplyToAllCopiesEveryRecipient) {
    LNDocument reply = Reply(0, 2);
    EXPECT_EQ(reply.GetMailType(), LNMAILMSGTYPE_REPLY_TO_ALL);
    EXPECT_EQ(Entries(reply, "CopyTo"), (Strings{"Test User", "Bob", "Carol"}));
    EXPECT_EQ(BodyText(reply), "<missing>") << "no history";
    reply.Close();
    reply = Reply(0, 3);
    EXPECT_EQ(Entries(reply, "Form"), Strings{"Reply With History"});
    EXPECT_EQ(BodyText(reply),
              "|Form: Memo|Subject: Hello|From: CN=Ann Lee/O=Acme|SendTo: Test User, Bob|CopyTo: Carol|");
    reply.Close();
    LNDocument doc = Doc(0);
    LNDocument none;
    EXPECT_EQ(doc.CreateReply(&none, 4), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(doc.CreateReply(nullptr, 0), LNERR_NULL_POINTER);
    doc.Close();
}

TEST_F(DocumentMailTest, AForwardCarriesTheDocumentUnderAHeader) {
    LNDocument doc = Doc(1);
    LNDocument forward;
    ASSERT_EQ(doc.CreateForward(&forward), 0u);
    EXPECT_EQ(Entries(forward, "Form"), Strings{"Memo"});
    EXPECT_EQ(Entries(forward, "Subject"), Strings{"Re: Hi"});
    EXPECT_FALSE(forward.HasItem("SendTo"));
    const std::string body = BodyText(forward);
    EXPECT_EQ(body.rfind("|---------------------- |Forwarded by Test User/Acme on ", 0), 0u) << body;
    EXPECT_NE(body.find("| ---------------------------\n|Subject: Re: Hi|From: Dan|FromDomain: Beta|"),
              std::string::npos)
        << body;
    // The forward saves into the mail file and can be sent.
    ASSERT_EQ(forward.Send(LNString("Zed")), 0u);
    EXPECT_EQ(Deposited("Subject"), (std::vector<Strings>{{"Re: Hi"}}));
    forward.Close();
    doc.Close();
}

TEST_F(DocumentMailTest, AKeepPrivateDocumentIsForwardedWithoutItsContents) {
    LNMailMessage doc;
    doc = Doc(0);
    ASSERT_EQ(doc.SetKeepPrivate(true), 0u);
    LNDocument forward;
    ASSERT_EQ(doc.CreateForward(&forward), 0u);
    EXPECT_EQ(BodyText(forward), "<missing>");
    forward.Close();
    doc.Close();
}

TEST_F(DocumentMailTest, UnopenedDocumentsCannotBeAnswered) {
    LNDocument named(docs_.GetDatabaseBody(), ids_[0]);
    LNDocument reply;
    EXPECT_EQ(named.CreateReply(&reply, 0), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(LNDocument().CreateForward(&reply), LNERR_NOT_INITIALIZED);
    ASSERT_EQ(named.Open(0), 0u);
    ASSERT_EQ(named.Close(), 0u);
    EXPECT_EQ(named.CreateForward(&reply), LNERR_NOTE_NOT_OPEN);
    EXPECT_EQ(named.Send(), LNERR_NOTE_NOT_OPEN);
}

TEST_F(DocumentMailTest, SendingWithItsFormStoresTheFormInTheDocument) {
    // A form with a subform; the document names the form.
    LNText subforms;
    subforms.Append("Missing");
    subforms.Append("Footer");
    MakeForm("Order", {"$Body", "$Class", "$Info", "Plain"}, {{"$SubForms", subforms}});
    MakeForm("Footer", {"$Script", "$$Script_O", "$Info", "$Footer"});

    LNDocument doc = Doc(3);
    ASSERT_EQ(doc.SetForm(LNString("Order")), 0u);
    ASSERT_EQ(doc.Send(LNString("Ann"), true), 0u);
    const std::pair<const char*, Strings> stored[] = {
        {"$Body", {"x"}},    {"$TITLE", {"Order"}},  {"$Footer", {"x"}},
        {"$Script3", {"x"}}, {"$$Script3_O", {"x"}}, {"$SubForms", {"Missing", "Footer"}}};
    for (const auto& [name, entries] : stored)
        EXPECT_EQ(Deposited(name).at(0), entries) << name;
    for (const char* name : {"$Class", "Plain", "Form", "$Script"})
        EXPECT_EQ(Deposited(name).at(0), Strings{"<missing>"}) << name;
    doc.Close();

    // A document whose form cannot be found is not sent.
    doc = Doc(2);
    ASSERT_EQ(doc.SetForm(LNString("Nowhere")), 0u);
    EXPECT_EQ(doc.Send(LNString("Ann"), true), nnotes::ERR_NOTE_NOT_FOUND);
    EXPECT_FALSE(doc.HasItem("PostedDate"));
    doc.Close();
}

namespace {

class FormMailTest : public DocumentMailTest {
protected:
    // A form "Order" with a design item and a field of its own.
    void MakeForm() { DocumentMailTest::MakeForm("Order", {"$Body", "Plain"}); }
};

TEST_F(FormMailTest, ItemsASendStoresHaveBodies) {
    MakeForm();
    LNDocument doc = Doc(3);
    ASSERT_EQ(doc.SetForm(LNString("Order")), 0u);
    ASSERT_EQ(doc.Send(LNString("Ann"), true), 0u);
    for (const char* name : {"$Body", "$TITLE"}) {
        EXPECT_TRUE(doc.HasItem(name)) << name;
        LNItem item;
        EXPECT_EQ(doc.GetItem(name, &item), 0u) << name;
    }
    EXPECT_EQ(Entries(doc, "$Body"), Strings{"x"});
    EXPECT_EQ(doc.DeleteItem("$Body"), 0u);
    EXPECT_FALSE(doc.HasItem("$Body"));
    EXPECT_FALSE(doc.HasItem("Form"));
    ASSERT_EQ(doc.Save(0), 0u);
    doc.Close();
}

TEST_F(FormMailTest, AFailedSendGivesTheFormBack) {
    MakeForm();
    LNDocument doc = Doc(3); // no recipients: the mail router refuses it
    ASSERT_EQ(doc.SetForm(LNString("Order")), 0u);
    const uint32_t items = doc.GetItemCount();
    EXPECT_EQ(doc.Send(true), LNERR_INVALID_MAIL_MESSAGE);
    EXPECT_EQ(Entries(doc, "Form"), Strings{"Order"});
    EXPECT_FALSE(doc.HasItem("$Body"));
    EXPECT_FALSE(doc.HasItem("$TITLE"));
    EXPECT_FALSE(doc.HasItem("PostedDate"));
    EXPECT_TRUE(doc.HasItem("From")) << "the sender stays";
    EXPECT_EQ(doc.GetItemCount(), items + 1) << "only \"From\" was added";
    doc.Close();
}

} // namespace
