// The response hierarchy: responses made with "$REF", their parent, and the responses of a document, direct
// and at any depth.
#include "ln/lnform.h"
#include "ln/lnmailmessage.h"
#include "lnmailmessage_fixture.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"
#include "testsupport/item_bytes.h"

#include <algorithm>

using namespace std::string_literals;

class ResponseTest : public MailTest {
protected:
    static std::vector<nnotes::NOTEID> Ids(const LNDocumentArray& array) {
        std::vector<nnotes::NOTEID> ids;
        for (uint32_t i = 0; i < array.GetCount(); ++i)
            ids.push_back(array.GetDocument(i).GetNoteID());
        return ids;
    }
};

TEST_F(ResponseTest, MakeResponseWritesTheParentsUniversalId) {
    LNDocument parent = Doc(0), child = Doc(1);
    EXPECT_FALSE(child.IsResponse());
    ASSERT_EQ(child.MakeResponse(parent), 0u);
    EXPECT_TRUE(child.IsResponse());
    LNItem ref;
    ASSERT_EQ(child.GetItem("$REF", &ref), 0u);
    ASSERT_EQ(child.Save(0), 0u);
    // One entry: the count, then the parent's 16-byte universal id as the store keeps it.
    const nnotes::ORIGINATORID origin = parent.GetNoteBody()->GetOriginatorID();
    const auto item = testsupport::ReadItem(child.GetNoteBody()->GetNoteHandle(), "$REF");
    ASSERT_TRUE(item.has_value());
    const std::string& stored = item->value;
    ASSERT_EQ(stored.size(), 20u);
    EXPECT_EQ(stored.substr(0, 4), "\x00\x02\x01\x00"s);
    nnotes::UNIVERSALID unid{};
    const void* at = stored.data() + 4;
    ASSERT_EQ(nnotes::ReadOnDiskStructure(&at, 16, nnotes::ODS_UNIVERSALID, &unid, 1), nnotes::NOERROR);
    EXPECT_EQ(std::memcmp(&unid.file, &origin.file, sizeof unid.file), 0);
    EXPECT_EQ(std::memcmp(&unid.note, &origin.note, sizeof unid.note), 0);

    LNDocument found;
    ASSERT_EQ(child.GetParentDocument(&found), 0u);
    EXPECT_EQ(found.GetNoteID(), parent.GetNoteID());
    child.Close();
    parent.Close();
}

TEST_F(ResponseTest, AnExistingParentLinkIsKept) {
    LNDocument grandchild = Doc(5), other = Doc(0);
    ASSERT_EQ(grandchild.MakeResponse(other), 0u);
    LNDocument parent;
    ASSERT_EQ(grandchild.GetParentDocument(&parent), 0u);
    EXPECT_EQ(parent.GetNoteID(), ids_[4]) << "still the child's response";
    grandchild.Close();
    other.Close();
}

TEST_F(ResponseTest, ParentsMustBeOpenAndOfTheSameDatabase) {
    LNDocument child = Doc(1);
    LNDocument unopened(docs_.GetDatabaseBody(), ids_[0]);
    EXPECT_EQ(child.MakeResponse(unopened), LNERR_OBJECT_NOT_OPEN);
    // The same file opened a second time is the same database.
    LNDatabase again;
    ASSERT_EQ(session_.GetDatabase("docs.nsf", &again), 0u);
    ASSERT_EQ(again.Open(), 0u);
    LNDocument sameFile(again.GetDatabaseBody(), ids_[0]);
    ASSERT_EQ(sameFile.Open(0), 0u);
    EXPECT_EQ(child.MakeResponse(sameFile), 0u);
    ASSERT_EQ(child.DeleteItem("$REF"), 0u);
    // A document of another database is refused.
    LNMailMessage memo;
    ASSERT_EQ(session_.CreateMailMessage(&memo), 0u);
    EXPECT_EQ(child.MakeResponse(memo), LNERR_RESPONSE_DATABASE_MISMATCH);
    EXPECT_FALSE(child.IsResponse());
    memo.Close();
    sameFile.Close();
    again.Close();
    child.Close();
    EXPECT_EQ(child.MakeResponse(sameFile), LNERR_NOTE_NOT_OPEN);
}

TEST_F(ResponseTest, DirectAndAllResponses) {
    LNDocument parent = Doc(3);
    EXPECT_EQ(parent.GetResponseCount(), 2u);
    LNDocumentArray responses;
    ASSERT_EQ(parent.GetResponses(&responses), 0u);
    EXPECT_EQ(Ids(responses), (std::vector<nnotes::NOTEID>{ids_[4], ids_[6]}));
    ASSERT_EQ(parent.GetAllResponses(&responses), 0u);
    EXPECT_EQ(Ids(responses), (std::vector<nnotes::NOTEID>{ids_[4], ids_[5], ids_[6]}));
    LNDocument none;
    EXPECT_EQ(parent.GetParentDocument(&none), LNWARN_NOT_FOUND);
    parent.Close();

    LNDocument leaf = Doc(6);
    EXPECT_EQ(leaf.GetResponseCount(), 0u);
    EXPECT_EQ(leaf.GetResponses(&responses), LNWARN_NOT_FOUND);
    EXPECT_EQ(responses.GetCount(), 0u);
    EXPECT_EQ(leaf.GetAllResponses(&responses), LNWARN_NOT_FOUND);
    leaf.Close();
}

TEST_F(ResponseTest, ResponsesInACircleAreCollectedOnce) {
    // The parent made a response to its own grandchild.
    LNDocument parent = Doc(3), grandchild = Doc(5);
    ASSERT_EQ(parent.MakeResponse(grandchild), 0u);
    ASSERT_EQ(parent.Save(0), 0u);
    LNDocumentArray all;
    ASSERT_EQ(parent.GetAllResponses(&all), 0u);
    EXPECT_EQ(Ids(all), (std::vector<nnotes::NOTEID>{ids_[3], ids_[4], ids_[5], ids_[6]}));
    parent.Close();
    grandchild.Close();
}

TEST_F(ResponseTest, TheFormOfADocument) {
    LNSTATUS status = 0;
    LNForm made;
    made.SetNoteBody(new LNFormBody(docs_.GetDatabaseBody(), LNString("Memo"), &status));
    ASSERT_EQ(status, 0u);
    ASSERT_EQ(made.Save(0), 0u);
    LNDocument doc = Doc(0), plain = Doc(1);
    LNForm form;
    ASSERT_EQ(doc.GetForm(&form), 0u);
    EXPECT_EQ(form.GetNoteID(), made.GetNoteID());
    EXPECT_EQ(plain.GetForm(&form), LNWARN_NOT_FOUND);
    EXPECT_TRUE(form.IsNull());
    EXPECT_EQ(doc.GetForm(nullptr), LNERR_NULL_POINTER);
    doc.Close();
    plain.Close();
}
