// Mail tests: a started session over a test area with the mail server "Alpha/Acme", its router mailbox
// "mail.box", the user's mail file "mail/tuser.nsf" on it (named by MailServer and MailFile), and a local
// database "docs.nsf" of ordinary documents.
#pragma once

#include "apifixture.h"
#include "ln/lndatabase.h"
#include "ln/lndocument.h"
#include "ln/lnsession.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

class MailTest : public ::testing::Test {
protected:
    void SetUp() override {
        area_.AddServer("Alpha/Acme");
        ASSERT_EQ(area_.Build(R"({"server": "Alpha/Acme", "path": "mail.box", "documents": []})"), "");
        ASSERT_EQ(area_.Build(R"({"server": "Alpha/Acme", "path": "mail/tuser.nsf", "documents": []})"), "");
        ASSERT_EQ(area_.Build(R"({"path": "docs.nsf", "documents": [
            {"Form": "Memo", "Subject": "Hello", "From": "CN=Ann Lee/O=Acme", "SendTo": ["Test User", "Bob"],
             "CopyTo": ["Carol"]},
            {"Subject": "Re: Hi", "From": "Dan", "FromDomain": "Beta"},
            {"From": "Eve", "FromDomain": ""},
            {"Subject": "Parent"},
            {"Subject": "Child", "$Parent": 3},
            {"Subject": "Grandchild", "$Parent": 4},
            {"Subject": "Second child", "$Parent": 3}]})"),
                  "");
        ASSERT_EQ(session_.Init(), 0u);
        ASSERT_EQ(nnotes::SetEnvironmentText("MailServer", "Alpha/Acme"), nnotes::NOERROR);
        ASSERT_EQ(nnotes::SetEnvironmentText("MailFile", "mail/tuser.nsf"), nnotes::NOERROR);
        ASSERT_EQ(session_.GetDatabase("docs.nsf", &docs_), 0u);
        ASSERT_EQ(docs_.Open(), 0u);
        LNDocumentArray all;
        ASSERT_EQ(docs_.GetDocuments(&all), 0u);
        for (uint32_t i = 0; i < all.GetCount(); ++i)
            ids_.push_back(all[i]);
    }

    void TearDown() override {
        LNSetThrowAllErrors(false);
        docs_ = LNDatabase();
        session_.Term();
    }

    // The n-th document of docs.nsf (in description order), open.
    LNDocument Doc(size_t n) {
        LNDocument doc(docs_.GetDatabaseBody(), ids_.at(n));
        EXPECT_EQ(doc.Open(0), 0u);
        return doc;
    }

    // The entries of a text item of the document; {"<missing>"} when it cannot be read.
    static std::vector<std::string> Entries(const LNNote& note, const char* name) {
        LNText text;
        if (!note.HasItem(name) || note.GetItem(name, &text) != 0) return {"<missing>"};
        std::vector<std::string> entries;
        for (uint32_t i = 0; i < text.GetCount(); ++i)
            entries.push_back(Text(text[i].GetText()));
        return entries;
    }

    // The item flags of the first item of name of an open note, as the store holds them.
    static uint16_t StoredFlags(const LNNote& note, const char* name) {
        const nnotes::NOTEHANDLE handle = note.GetNoteBody()->GetNoteHandle();
        nnotes::BLOCKID item{};
        uint16_t flags = 0;
        if (nnotes::FindItemByName(handle, name, static_cast<uint16_t>(std::strlen(name)), &item, nullptr,
                                   nullptr, nullptr) != nnotes::NOERROR ||
            nnotes::QueryItemByBlock(handle, item, nullptr, 0, nullptr, &flags, nullptr, nullptr, nullptr) !=
                nnotes::NOERROR)
            return 0xFFFF;
        return flags;
    }

    // The documents deposited in the mailbox of the mail server, by their entries of item name.
    std::vector<std::vector<std::string>> Deposited(const char* name) {
        LNDatabase box;
        std::vector<std::vector<std::string>> found;
        EXPECT_EQ(session_.GetDatabase("mail.box", &box, "Alpha/Acme"), 0u);
        EXPECT_EQ(box.Open(), 0u);
        LNDocumentArray all;
        box.GetDocuments(&all);
        for (uint32_t i = 0; i < all.GetCount(); ++i) {
            LNDocument doc = all.GetDocument(i);
            EXPECT_EQ(doc.Open(0), 0u);
            found.push_back(Entries(doc, name));
            doc.Close();
        }
        box.Close();
        return found;
    }

    testsupport::TestArea area_;
    LNNotesSession session_;
    LNDatabase docs_;
    std::vector<nnotes::NOTEID> ids_;
};
