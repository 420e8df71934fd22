// Items of open notes: the factory's typed bodies, typed lists written through to the note, item arrays,
// renaming, deleting, copying and the note's own information.
#include "docsfixture.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lndocument.h"
#include "ln/lnitemarray.h"
#include "ln/lnnumbers.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

using namespace std::string_literals;

namespace {

// A document with a number, a time, a time list with pairs and a text list, saved and opened again.
class NoteItemsTest : public DocsTest {
protected:
    void SetUp() override {
        DocsTest::SetUp();
        LNSTATUS status = 1;
        auto* body = new LNDocumentBody(db_.GetDatabaseBody(), &status, LNMAILMSGTYPE_DOCUMENT);
        ASSERT_EQ(status, 0u);
        doc_.SetNoteBody(body);
        const double number = 2.5;
        ASSERT_EQ(doc_.CreateItem("Number", nnotes::TYPE_NUMBER, &number, sizeof number), 0u);
        const nnotes::Instant instant{{100, 2460000}};
        ASSERT_EQ(doc_.CreateItem("Time", nnotes::TYPE_TIME, &instant, sizeof instant), 0u);
        // One instant and one pair.
        const uint8_t ranges[] = {1, 0, 1,    0,    1,    0, 0, 0, 0x60, 0x89, 0x25, 0,    1,    0,
                                  0, 0, 0x60, 0x89, 0x25, 0, 2, 0, 0,    0,    0x60, 0x89, 0x25, 0};
        ASSERT_EQ(doc_.CreateItem("Ranges", nnotes::TYPE_TIME_RANGE, ranges, sizeof ranges), 0u);
        LNText text;
        text << "a"
             << "b";
        ASSERT_EQ(doc_.CreateItem("List", text, nnotes::ITEM_SUMMARY), 0u);
        ASSERT_EQ(doc_.Save(0), 0u);
        id_ = doc_.GetNoteID();
        ASSERT_EQ(doc_.Close(), 0u);
        ASSERT_EQ(doc_.Open(0), 0u);
    }

    LNDocument doc_;
    nnotes::NOTEID id_ = 0;
};

} // namespace

TEST_F(NoteItemsTest, TheFactoryBuildsTypedBodies) {
    EXPECT_EQ(doc_.GetItemCount(), 4u);
    LNNumbers numbers;
    ASSERT_EQ(doc_.GetItem("Number", &numbers), 0u);
    EXPECT_EQ(numbers.GetCount(), 1u);
    EXPECT_EQ(numbers[0].GetValue(), 2.5);
    LNDatetimes times;
    ASSERT_EQ(doc_.GetItem("Time", &times), 0u);
    EXPECT_EQ(times[0].GetValue().GetRawValue()->words[0], 100u);
    LNDatetimeRanges ranges;
    ASSERT_EQ(doc_.GetItem("Ranges", &ranges), 0u);
    EXPECT_EQ(ranges.GetCount(), 2u);
    EXPECT_EQ(ranges[1].GetValue().GetRawValue()->end.words[0], 2u);
    // A typed handle that does not fit the item is refused; a plain item takes any.
    EXPECT_EQ(doc_.GetItem("Number", &times), LNERR_INVALID_PARAMETER);
    LNItem plain;
    ASSERT_EQ(doc_.GetItem("Ranges", &plain), 0u);
    EXPECT_EQ(plain.GetType(), LNITEMTYPE_DATETIMERANGES);
    EXPECT_EQ(Thrown([&] { LNText text(plain); }), LNERR_CONVERSION);
    EXPECT_EQ(doc_.GetItem("Missing", &plain), nnotes::ERR_ITEM_NOT_FOUND);
    EXPECT_EQ(doc_.GetItem("", &plain), LNERR_INVALID_PARAMETER);
    EXPECT_FALSE(doc_.IsModified());
}

TEST_F(NoteItemsTest, ListEditsAreWrittenThroughAtOnce) {
    LNNumbers numbers;
    ASSERT_EQ(doc_.GetItem("Number", &numbers), 0u);
    ASSERT_EQ(numbers.Append(4.0), 0u);
    EXPECT_EQ(numbers.GetItemBody()->GetNSFType(), nnotes::TYPE_NUMBER_RANGE);
    EXPECT_TRUE(doc_.IsModified());
    LNDatetimes times;
    ASSERT_EQ(doc_.GetItem("Time", &times), 0u);
    EXPECT_EQ(times.Delete(0, 2), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(times.Delete(0, 1), 0u);
    EXPECT_EQ(times.GetCount(), 0u);
    ASSERT_EQ(doc_.Save(0), 0u);
    doc_.Close();
    const double two[2] = {2.5, 4.0};
    EXPECT_EQ(StoredValue(id_, "Number"),
              "\x01\x03\x02\x00\x00\x00"s + std::string(reinterpret_cast<const char*>(two), 16));
    EXPECT_EQ(StoredValue(id_, "Time"), "\x01\x04\x00\x00\x00\x00"s);
}

TEST_F(NoteItemsTest, TextItemsOfANote) {
    LNText list;
    ASSERT_EQ(doc_.GetItem("List", &list), 0u);
    EXPECT_EQ(list.GetCount(), 2u);
    ASSERT_EQ(list.Delete(0, 1), 0u);
    EXPECT_EQ(Text(list[0].GetText()), "b");
    list[0] = "c";
    EXPECT_EQ(Text(list[0].GetText()), "c");
    ASSERT_EQ(list.SetText("x"), 0u);
    ASSERT_EQ(list.DeleteAll(), 0u);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetFlags(), nnotes::ITEM_SUMMARY);
    // A plain text of a note counts one entry, even when empty; appending makes it a list, old text first.
    const nnotes::NOTEID plain = SaveNote({{"Empty", ""}, {"One", "old"}});
    LNDocument other(db_.GetDatabaseBody(), plain);
    ASSERT_EQ(other.Open(0), 0u);
    LNText empty, one;
    ASSERT_EQ(other.GetItem("Empty", &empty), 0u);
    EXPECT_EQ(empty.GetCount(), 1u);
    EXPECT_EQ(Thrown([&] { empty[1]; }), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(other.GetItem("One", &one), 0u);
    EXPECT_EQ(one.Insert(2, "new"), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(one.Insert(0, "new"), 0u);
    EXPECT_EQ(one.GetItemBody()->GetNSFType(), nnotes::TYPE_TEXT_LIST);
    EXPECT_EQ(Text(one[0].GetText()), "new");
    EXPECT_EQ(Text(one[1].GetText()), "old");
}

TEST_F(NoteItemsTest, ItemArraysByType) {
    LNItemArray all;
    ASSERT_EQ(doc_.GetItems(&all), 0u);
    EXPECT_EQ(all.GetCount(), 4u);
    EXPECT_EQ(Text(all[3].GetName()), "List");
    LNItemArray texts;
    ASSERT_EQ(doc_.GetItems(&texts, LNITEMTYPE_TEXT), 0u);
    EXPECT_EQ(texts.GetCount(), 1u);
    LNItemArray none;
    EXPECT_EQ(doc_.GetItems(&none, LNITEMTYPE_RICHTEXT), LNWARN_NOT_FOUND);
    EXPECT_EQ(none.GetCount(), 0u);
    EXPECT_EQ(Thrown([&] { none[0]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(Thrown([] { LNItemArray().GetCount(); }), LNERR_NOT_INITIALIZED);
    // Items the array holds survive the note's close as closed bodies.
    LNItem kept = all[0];
    doc_.Close();
    EXPECT_FALSE(kept.GetItemBody()->IsOpen());
}

TEST_F(NoteItemsTest, RenameDeleteAndCopy) {
    EXPECT_EQ(doc_.RenameItem("Number", "List"), LNERR_ITEM_EXISTS);
    EXPECT_EQ(doc_.RenameItem("Nothing", "Other"), LNWARN_NOT_FOUND);
    ASSERT_EQ(doc_.RenameItem("Number", "Amount"), 0u);
    EXPECT_FALSE(doc_.HasItem("Number"));
    LNNumbers amount;
    ASSERT_EQ(doc_.GetItem("Amount", &amount), 0u);
    EXPECT_EQ(amount[0].GetValue(), 2.5);
    ASSERT_EQ(doc_.RenameItem(&amount, "Sum"), 0u);
    EXPECT_EQ(Text(amount.GetName()), "Sum");

    LNDocument other(db_.GetDatabaseBody(), SaveNote({{"Keep", "k"}}));
    ASSERT_EQ(other.Open(0), 0u);
    ASSERT_EQ(other.CopyItem(amount), 0u);
    EXPECT_EQ(other.CopyItem(amount, LNITEMDUP_REFUSE), LNERR_ITEM_EXISTS);
    LNNumbers copied;
    ASSERT_EQ(other.GetItem("Sum", &copied), 0u);
    EXPECT_EQ(copied[0].GetValue(), 2.5);
    EXPECT_EQ(doc_.CopyItem(amount, LNITEMDUP_REPLACE), LNERR_INVALID_PARAMETER);

    EXPECT_EQ(other.DeleteItem(&amount), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(doc_.DeleteItem(&amount), 0u);
    EXPECT_TRUE(amount.IsNull());
    EXPECT_EQ(doc_.DeleteItem("Sum"), nnotes::ERR_ITEM_NOT_FOUND);
    ASSERT_EQ(doc_.DeleteAllItems(), 0u);
    EXPECT_EQ(doc_.GetItemCount(), 0u);
}

TEST_F(NoteItemsTest, EmptyTypedItemsAndRawItems) {
    LNNumbers numbers;
    ASSERT_EQ(doc_.CreateItem("Counts", &numbers, 0), 0u);
    EXPECT_EQ(numbers.GetCount(), 0u);
    ASSERT_EQ(numbers.Append(7.0), 0u);
    LNText text;
    ASSERT_EQ(doc_.CreateItem("Names", &text, 0), 0u);
    ASSERT_EQ(text.Append("n"), 0u);
    EXPECT_EQ(doc_.CreateItem("Names", &text, 0, LNITEMDUP_REFUSE), LNERR_ITEM_EXISTS);
    LNItem plain;
    EXPECT_EQ(doc_.CreateItem("Plain", &plain, 0), 0u); // a plain handle stands for text
    EXPECT_EQ(doc_.CreateItem("Raw", nnotes::TYPE_TEXT, "", 0), LNERR_INVALID_PARAMETER);
    const double number = 1;
    EXPECT_EQ(doc_.CreateItem("Raw", nnotes::TYPE_NUMBER, &number, sizeof number, 0, LNITEMDUP_ADD, &text),
              LNERR_INVALID_PARAMETER);
    // Raw range data always makes a range body, so a date list handle cannot take it.
    const uint8_t ranges[4] = {};
    LNDatetimes dates;
    EXPECT_EQ(doc_.CreateItem("Span", nnotes::TYPE_TIME_RANGE, ranges, 4, 0, LNITEMDUP_ADD, &dates),
              LNERR_INVALID_PARAMETER);
    LNDatetimeRanges spans;
    ASSERT_EQ(doc_.CreateItem("Span", nnotes::TYPE_TIME_RANGE, ranges, 4, 0, LNITEMDUP_ADD, &spans), 0u);
    ASSERT_EQ(spans.Insert(0, LNDatetime(nnotes::Instant{{5, 2460000}})), 0u);
    LNDatetimeRanges empty;
    ASSERT_EQ(doc_.CreateItem("Empty", &empty, 0), 0u);
    EXPECT_EQ(empty.GetRangesBody()->GetClassID(), LNCLASSID_LNDATETIMERANGESBODY);
    ASSERT_EQ(doc_.Save(0), 0u);
    doc_.Close();
    EXPECT_EQ(StoredValue(id_, "Names"), "\x01\x05\x01\x00\x01\x00n"s);
    EXPECT_EQ(StoredValue(id_, "Plain"), "\x00\x05"s);
    EXPECT_EQ(StoredValue(id_, "Span").size(), 14u);
}

TEST_F(NoteItemsTest, EmptiedDetachedListsAreStoredAsEmptyLists) {
    LNNumbers numbers;
    ASSERT_EQ(numbers.Append(1.5), 0u);
    ASSERT_EQ(numbers.Delete(0, 1), 0u);
    EXPECT_EQ(numbers.GetCount(), 0u);
    LNDatetimes dates;
    ASSERT_EQ(dates.Append(LNDatetime(nnotes::Instant{{7, 2460000}})), 0u);
    ASSERT_EQ(dates.DeleteAll(), 0u);
    LNNumbers storedNumbers;
    ASSERT_EQ(doc_.CreateItem("NoNumbers", numbers, 0, LNITEMDUP_REFUSE, &storedNumbers), 0u);
    EXPECT_EQ(storedNumbers.GetCount(), 0u);
    LNDatetimes storedDates;
    ASSERT_EQ(doc_.CreateItem("NoDates", dates, 0, LNITEMDUP_REFUSE, &storedDates), 0u);
    EXPECT_EQ(storedDates.GetCount(), 0u);
    ASSERT_EQ(storedDates.Append(LNDatetime(nnotes::Instant{{8, 2460000}})), 0u);
    ASSERT_EQ(doc_.Save(0), 0u);
    doc_.Close();
    EXPECT_EQ(StoredValue(id_, "NoNumbers"), "\x01\x03\x00\x00\x00\x00"s);
    ASSERT_EQ(doc_.Open(0), 0u);
    LNDatetimes reread;
    ASSERT_EQ(doc_.GetItem("NoDates", &reread), 0u);
    ASSERT_EQ(reread.GetCount(), 1u);
    EXPECT_EQ(reread[0].GetValue().GetRawValue()->words[0], 8u);
}

TEST_F(NoteItemsTest, ACreatedItemGetsItsOwnBodyBesideItemsWithoutOne) {
    // An item that the store holds but no body stands for, as another program's code may append one.
    const double number = 4;
    ASSERT_EQ(nnotes::AppendItem(doc_.GetNoteBody()->GetNoteHandle(), 0, "Count", 5, nnotes::TYPE_NUMBER,
                                 &number, sizeof number, nullptr),
              nnotes::NOERROR);
    const uint32_t before = doc_.GetItemCount();
    LNText value;
    ASSERT_EQ(value.Append("four"), 0u);
    LNText created;
    ASSERT_EQ(doc_.CreateItem("Count", value, 0, LNITEMDUP_ADD, &created), 0u);
    EXPECT_EQ(doc_.GetItemCount(), before + 1);
    ASSERT_EQ(created.GetCount(), 1u);
    EXPECT_EQ(Text(created[0].GetText()), "four");
    LNNumbers numbers;
    ASSERT_EQ(doc_.CreateItem("Count", &numbers, 0, LNITEMDUP_ADD), 0u);
    EXPECT_EQ(numbers.GetCount(), 0u);
    EXPECT_EQ(doc_.GetItemCount(), before + 2);
}

TEST_F(NoteItemsTest, NoteInformation) {
    EXPECT_EQ(doc_.GetSize(), 8u + 8u + 28u + 8u);
    EXPECT_TRUE(doc_.GetLastModified().IsDateDefined());
    EXPECT_TRUE(doc_.GetCreated() <= doc_.GetLastModified());
    LNNote copy;
    ASSERT_EQ(doc_.Duplicate(&copy), 0u);
    EXPECT_EQ(copy.GetItemCount(), 4u);
    // A copy of a document is a document body, so document handles may take it.
    ASSERT_EQ(copy.GetNoteBody()->GetClassID(), LNCLASSID_LNDOCUMENTBODY);
    LNDocument copied(copy, LNMAILMSGTYPE_DOCUMENT);
    EXPECT_FALSE(copied.IsResponse());
    // A plain body over a document note is refused by the conversion, whatever the class word says.
    LNSTATUS made = 1;
    LNNote plain(new LNNoteBody(db_.GetDatabaseBody(), id_, &made));
    ASSERT_EQ(made, 0u);
    ASSERT_EQ(plain.GetNoteBody()->Open(0), 0u);
    EXPECT_EQ(Thrown([&] { LNDocument refused(plain, LNMAILMSGTYPE_DOCUMENT); }), LNERR_CONVERSION);
    EXPECT_EQ(Thrown([&] { copied = plain; }), LNERR_CONVERSION);
    doc_.Close();
    EXPECT_EQ(Thrown([&] { doc_.GetSize(); }), LNERR_NOTE_NOT_OPEN);
}

TEST_F(NoteItemsTest, BodiesFoundByNameAndType) {
    LNItemBody* list = doc_.GetNoteBody()->FindItemBodyByName("List", nnotes::TYPE_TEXT_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Text(list->GetName()), "List");
    EXPECT_EQ(doc_.GetNoteBody()->FindItemBodyByName("List", nnotes::TYPE_TEXT), nullptr);
    EXPECT_EQ(doc_.GetNoteBody()->FindItemBodyByName("Nothing", nnotes::TYPE_TEXT_LIST), nullptr);
}
