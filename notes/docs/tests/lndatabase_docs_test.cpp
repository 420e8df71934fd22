// What databases and the session hand out to documents: note tables, searches, full-text results, categories,
// times, server names and log lines with a time.
#include "docsfixture.h"

#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnftsearch.h"
#include "ln/lnlogentry.h"
#include "ln/lnnotearray.h"
#include "ln/lnsearchoptions.h"
#include "ln/lntext.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <set>

namespace {

using DatabaseDocsTest = DocsTest;

TEST_F(DatabaseDocsTest, DocumentTablesAreEmptyWithAWarningOrHoldEveryDocument) {
    LNDocumentArray documents;
    EXPECT_EQ(db_.GetDocuments(&documents), LNWARN_NOT_FOUND);
    EXPECT_EQ(documents.GetCount(), 0u);
    const nnotes::NOTEID first = SaveNote({{"Subject", "a"}});
    SaveNote({{"Subject", "b"}});
    ASSERT_EQ(db_.GetDocuments(&documents), LNNOERROR);
    ASSERT_EQ(documents.GetCount(), 2u);
    EXPECT_EQ(documents[0], first);

    LNDocument document;
    ASSERT_EQ(db_.GetDocument(first, &document), LNNOERROR);
    ASSERT_EQ(document.Open(0), LNNOERROR);
    EXPECT_TRUE(document.HasItem("Subject"));
    document.Close();
}

TEST_F(DatabaseDocsTest, ClosingTheDatabaseEndsItsArrays) {
    SaveNote({{"Subject", "a"}});
    LNDocumentArray documents;
    ASSERT_EQ(db_.GetDocuments(&documents), LNNOERROR);
    ASSERT_EQ(db_.Close(), LNNOERROR);
    EXPECT_EQ(Thrown([&] { documents.GetCount(); }), LNERR_NOT_INITIALIZED);
}

TEST_F(DatabaseDocsTest, SearchesStopAtTheirMaximumAndKeepToTheirWindow) {
    for (int i = 0; i < 10; ++i)
        SaveNote({{"Kind", i % 2 == 0 ? "even" : "odd"}});
    LNNoteArray found;
    ASSERT_EQ(db_.Search("Kind = \"even\"", &found), LNNOERROR);
    EXPECT_EQ(found.GetCount(), 5u);

    LNSearchOptions options;
    options.SetMaxNotes(3);
    ASSERT_EQ(db_.Search("", &found, &options), LNNOERROR);
    EXPECT_EQ(found.GetCount(), 3u);
    EXPECT_GE(options.GetEndDateReached().GetYear(), 2020) << "the search reports how far it looked";

    LNSearchOptions later;
    ASSERT_EQ(later.SetBeginDate(LNString("01/01/2200")), LNNOERROR);
    EXPECT_EQ(db_.Search("", &found, &later), LNWARN_NOT_FOUND);
    EXPECT_EQ(found.GetCount(), 0u);
    EXPECT_EQ(later.SetEndDate(LNString("")), LNERR_INVALID_PARAMETER);
    EXPECT_TRUE(LNIsNotesStatus(db_.Search("@Nonsense(", &found)));
}

TEST_F(DatabaseDocsTest, IncrementalSearchesSeeEverySavedNoteOnce) {
    SaveNote({{"Kind", "a"}});
    SaveNote({{"Kind", "b"}});
    LNSearchOptions options;
    LNNoteArray found;
    ASSERT_EQ(db_.Search("", &found, &options), LNNOERROR);
    EXPECT_EQ(found.GetCount(), 2u);
    // Nothing saved since the time the search reached: nothing found again.
    LNSearchOptions next;
    ASSERT_EQ(next.SetBeginDate(options.GetEndDateReached()), LNNOERROR);
    EXPECT_EQ(db_.Search("", &found, &next), LNWARN_NOT_FOUND);
    // A new note and a changed old one, each once.
    const nnotes::NOTEID added = SaveNote({{"Kind", "c"}});
    LNDocumentArray documents;
    ASSERT_EQ(db_.GetDocuments(&documents), LNNOERROR);
    const nnotes::NOTEID changed = documents[0];
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::OpenNote(db_.GetHandle(), changed, 0, &note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::SetItemText(note, "Kind", "z", 1), nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    nnotes::CloseNote(note);
    ASSERT_EQ(next.SetBeginDate(options.GetEndDateReached()), LNNOERROR);
    ASSERT_EQ(db_.Search("", &found, &next), LNNOERROR);
    ASSERT_EQ(found.GetCount(), 2u);
    EXPECT_EQ((std::set<nnotes::NOTEID>{found[0], found[1]}), (std::set<nnotes::NOTEID>{added, changed}));
    LNSearchOptions after;
    ASSERT_EQ(after.SetBeginDate(next.GetEndDateReached()), LNNOERROR);
    EXPECT_EQ(db_.Search("", &found, &after), LNWARN_NOT_FOUND);
}

TEST_F(DatabaseDocsTest, FullTextSearchesGiveRankedDocuments) {
    SaveNote({{"Body", "annual budget report"}});
    const nnotes::NOTEID second = SaveNote({{"Body", "budget budget budget"}});
    LNDocumentArray hits;
    EXPECT_EQ(db_.FTSearch("budget", &hits), nnotes::ERR_FT_NOT_INDEXED);
    ASSERT_EQ(db_.CreateFTIndex(0, LNString()), LNNOERROR);
    ASSERT_EQ(db_.FTSearch("budget", &hits), LNNOERROR);
    ASSERT_EQ(hits.GetCount(), 2u);
    EXPECT_EQ(hits[0], second) << "most relevant first";
    EXPECT_EQ(hits.GetScore(0), 100u);
    EXPECT_EQ(db_.FTSearch("nothing", &hits), LNWARN_NOT_FOUND);
    EXPECT_EQ(hits.GetCount(), 0u);
    EXPECT_EQ(db_.FTSearch(LNString(), &hits), LNERR_NULL_STRING);

    LNNoteArray only;
    ASSERT_EQ(db_.Search("Body = \"annual budget report\"", &only), LNNOERROR);
    ASSERT_EQ(db_.FTSearch("budget", &hits, LNFTSearchOptions(), only), LNNOERROR);
    EXPECT_EQ(hits.GetCount(), 1u);
    EXPECT_EQ(db_.FTSearch("budget", &hits, LNFTSearchOptions(), LNNoteArray()), LNERR_UNINITIALIZED_OBJECT);
}

TEST_F(DatabaseDocsTest, CategoriesAreCommaSeparatedInformation) {
    LNText categories;
    categories << "Sales"
               << "North";
    ASSERT_EQ(db_.SetCategories(categories), LNNOERROR);
    const LNText read = db_.GetCategories();
    ASSERT_EQ(read.GetCount(), 2u);
    EXPECT_EQ(Text(read[1]), "North");
    EXPECT_EQ(db_.GetCategories().GetCount(), 2u);
}

TEST_F(DatabaseDocsTest, TimesOfTheDatabase) {
    SaveNote({{"Subject", "a"}});
    const LNDatetime id = db_.GetDatabaseId();
    EXPECT_GE(id.GetYear(), 2020);
    EXPECT_EQ(*db_.GetLastModified().GetRawValue()->words, *db_.GetFirstModifiedTime().GetRawValue()->words)
        << "a document was the last change";
    LNDatetime indexed;
    EXPECT_EQ(db_.GetLastFTIndexTime(&indexed), nnotes::ERR_FT_NOT_INDEXED);
}

TEST_F(DatabaseDocsTest, DeletingANoteEmptiesItsHandle) {
    LNDocument document;
    ASSERT_EQ(db_.GetDocument(SaveNote({{"Subject", "a"}}), &document), LNNOERROR);
    ASSERT_EQ(db_.DeleteNote(&document), LNNOERROR);
    EXPECT_EQ(document.GetNoteID(), 0u);
    LNDocumentArray documents;
    EXPECT_EQ(db_.GetDocuments(&documents), LNWARN_NOT_FOUND);
    EXPECT_EQ(db_.GetSpecialNote(3, &document), LNERR_INVALID_PARAMETER);
    LNNote icon;
    ASSERT_EQ(db_.GetSpecialNote(nnotes::NOTE_CLASS_ICON, &icon), LNNOERROR);
    EXPECT_EQ(icon.Open(0), LNNOERROR);
}

TEST_F(DatabaseDocsTest, SessionServerNamesAndTime) {
    area_.AddServer("Alpha/Acme", area_.Root());
    area_.AddServer("Beta/Acme", area_.Root());
    LNText names;
    ASSERT_EQ(session_.GetServerNames(&names), LNNOERROR);
    ASSERT_EQ(names.GetCount(), 2u);
    EXPECT_EQ(Text(names[0]), "Alpha/Acme");
    EXPECT_EQ(session_.GetServerNames(nullptr), LNERR_NULL_POINTER);
    EXPECT_GE(session_.GetCurrentDatetime().GetYear(), 2020);
}

TEST_F(DatabaseDocsTest, LogLinesCarryTheirTime) {
    LNLogEntry entry;
    ASSERT_EQ(session_.OpenLogEntry(&entry, "Merge"), LNNOERROR);
    EXPECT_EQ(entry.WriteWithDatetime(session_.GetCurrentDatetime(), "started"), LNNOERROR);
    EXPECT_EQ(session_.CloseLogEntry(&entry), LNNOERROR);
}

} // namespace

namespace {

TEST_F(DatabaseDocsTest, CopiedNotesAreNewNotesOfTheTargetDatabase) {
    ASSERT_EQ(nnotes::CreateDatabase("target.nsf", 0, false, 0, 0, 0), nnotes::NOERROR);
    LNDatabase target;
    ASSERT_EQ(session_.GetDatabase("target.nsf", &target), LNNOERROR);
    LNDocument source;
    ASSERT_EQ(db_.GetDocument(SaveNote({{"Subject", "copied"}}), &source), LNNOERROR);
    LNNote copy;
    EXPECT_EQ(target.CopyNote(source, &copy), LNERR_DATABASE_NOT_OPEN);
    ASSERT_EQ(target.Open(0), LNNOERROR);
    EXPECT_EQ(target.CopyNote(LNNote(), &copy), LNERR_DATABASE_NOT_OPEN);
    EXPECT_EQ(target.CopyNote(source, nullptr), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(target.CopyNote(source, &copy), LNNOERROR);
    EXPECT_FALSE(source.IsOpen()) << "a source opened for the copy is closed again";
    EXPECT_EQ(copy.GetNoteID(), 0u);
    ASSERT_EQ(copy.Save(0), LNNOERROR);
    LNDocumentArray documents;
    ASSERT_EQ(target.GetDocuments(&documents), LNNOERROR);
    ASSERT_EQ(documents.GetCount(), 1u);
    LNDocumentArray originals;
    ASSERT_EQ(db_.GetDocuments(&originals), LNNOERROR);
    EXPECT_EQ(originals.GetCount(), 1u) << "the source database keeps its note alone";
    copy = LNNote();
}

TEST_F(DatabaseDocsTest, CopiesOfDesignNotesGetTheirOwnBodies) {
    const struct {
        uint16_t noteClass;
        LNCLASSID body;
    } cases[] = {{nnotes::NOTE_CLASS_DOCUMENT, LNCLASSID_LNDOCUMENTBODY},
                 {nnotes::NOTE_CLASS_FORM, LNCLASSID_LNFORMBODY},
                 {nnotes::NOTE_CLASS_VIEW, LNCLASSID_LNVIEWFOLDERBODY},
                 {nnotes::NOTE_CLASS_FILTER, LNCLASSID_LNAGENTBODY},
                 {nnotes::NOTE_CLASS_HELP, LNCLASSID_LNNOTEBODY}};
    for (const auto& c : cases) {
        // Opened as a plain note: a view without a design would not open as a view.
        LNSTATUS made = 1;
        LNNote source(
            new LNNoteBody(db_.GetDatabaseBody(), SaveNote({{"$TITLE", "design"}}, c.noteClass), &made));
        ASSERT_EQ(made, 0u);
        ASSERT_EQ(source.GetNoteBody()->Open(0), 0u);
        LNNote copy;
        ASSERT_EQ(db_.CopyNote(source, &copy), LNNOERROR) << c.noteClass;
        EXPECT_EQ(copy.GetNoteBody()->GetClassID(), c.body) << c.noteClass;
        EXPECT_EQ(copy.GetNoteClass(), c.noteClass);
    }
}

} // namespace
