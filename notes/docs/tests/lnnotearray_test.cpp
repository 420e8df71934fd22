// Note arrays over ID tables of the store, and dates as text in the session's international settings.
#include "docsfixture.h"
#include "ln/lndatetimerange.h"
#include "ln/lninternational.h"
#include "ln/lnnotearray.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

TEST_F(DocsTest, NoteArraysGiveIdsByIndex) {
    LNNoteArray empty;
    EXPECT_EQ(empty.GetCount(), 0u);
    EXPECT_EQ(Thrown([&] { empty[0]; }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { empty.GetIDTableHandle(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { empty.GetScore(0); }), LNERR_NOT_INITIALIZED);

    nnotes::DHANDLE table = nnotes::NULLHANDLE;
    ASSERT_EQ(nnotes::CreateIDTable(&table), nnotes::NOERROR);
    for (nnotes::NOTEID id : {12u, 4u, 8u})
        ASSERT_EQ(nnotes::InsertID(table, id, nullptr), nnotes::NOERROR);
    LNDocumentArray documents;
    documents.SetBody(db_.GetDatabaseBody(), new LNIDTable(table), nnotes::NOTE_CLASS_DOCUMENT);
    ASSERT_EQ(documents.GetCount(), 3u);
    EXPECT_EQ(documents[0], 4u);
    EXPECT_EQ(documents[2], 12u);
    EXPECT_EQ(documents[1], 8u);
    EXPECT_EQ(Thrown([&] { documents[3]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_FALSE(documents.IsFTSearchResult());
    EXPECT_EQ(documents.GetScore(1), 0u);
    EXPECT_EQ(documents.GetIDTableHandle(), table);
    LNNoteArray copy = documents;
    EXPECT_EQ(copy.GetNoteClass(), nnotes::NOTE_CLASS_DOCUMENT);
    EXPECT_EQ(copy.GetClassID(), LNCLASSID_LNNOTEARRAY);
    EXPECT_EQ(documents.GetClassID(), LNCLASSID_LNDOCUMENTARRAY);
}

TEST_F(DocsTest, DatesAsTextInTheSessionsSettings) {
    const LNInternational international = session_.GetInternational();
    LNDatetimeFormat format;
    ASSERT_EQ(format.SetDatetimeStructure(nnotes::TIME_STRUCTURE_DATE), 0u);
    const LNDatetime date(LNString("01/15/2024 09:30:00 AM"));
    LNString text;
    ASSERT_EQ(date.GetText(format, international, &text), 0u);
    EXPECT_EQ(Text(text), "01/15/2024");
    LNDatetimeRange range(date);
    ASSERT_EQ(range.GetText(format, international, &text), 0u);
    EXPECT_EQ(Text(text), "01/15/2024 - 01/15/2024");
    EXPECT_EQ(date.GetText(format, international, nullptr), LNERR_INVALID_PARAMETER);
}
