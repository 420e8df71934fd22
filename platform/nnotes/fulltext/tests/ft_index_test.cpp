// The index's life: none until FTIndex, brought up to added, changed and deleted documents, dropped again.
#include "fulltext/tests/ft_fixture.h"

namespace nnotes::testing {
namespace {

using FullTextIndex = FullTextTest;

TEST_F(FullTextIndex, WithoutAnIndexEveryOperationSaysSo) {
    Instant when{};
    EXPECT_EQ(FTGetIndexInfo(db_, &when), ERR_FT_NOT_INDEXED);
    EXPECT_EQ(FTDeleteIndex(db_), ERR_FT_NOT_INDEXED);
    const Result r = Search("budget");
    EXPECT_EQ(r.status, ERR_FT_NOT_INDEXED);
    EXPECT_EQ(r.count, 0u);
}

TEST_F(FullTextIndex, UpdatesCountWhatChangedSinceTheLastRun) {
    Instant before{}, when{};
    ASSERT_EQ(CurrentTime(&before), NOERROR);
    FTIndexStats stats{};
    ASSERT_EQ(FTIndex(db_, 0, nullptr, &stats), NOERROR);
    EXPECT_EQ(stats.DocsAdded, 4u);
    EXPECT_EQ(stats.DocsUpdated + stats.DocsDeleted, 0u);
    EXPECT_GT(stats.BytesIndexed, 60u);
    ASSERT_EQ(FTGetIndexInfo(db_, &when), NOERROR);
    int order = 0;
    ASSERT_EQ(CompareInstants(&before, &when, &order), NOERROR);
    EXPECT_LE(order, 0);

    ASSERT_EQ(FTIndex(db_, 0, "", &stats), NOERROR);
    EXPECT_EQ(stats.DocsAdded + stats.DocsUpdated + stats.DocsDeleted, 0u);

    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db_, tips_, 0, &note), NOERROR);
    ASSERT_EQ(SetItemText(note, "Subject", "Gardening tips", 14), NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    CloseNote(note);
    ASSERT_EQ(DeleteNote(db_, cafe_, 0), NOERROR);
    SaveNote(db_, {{"Subject", "Quarterly budget"}});
    SaveNote(db_, {{"Title", "A form, not a document"}}, NOTE_CLASS_FORM);
    ASSERT_EQ(FTIndex(db_, 0, nullptr, &stats), NOERROR);
    EXPECT_EQ(stats.DocsAdded, 1u);
    EXPECT_EQ(stats.DocsUpdated, 1u);
    EXPECT_EQ(stats.DocsDeleted, 1u);
    EXPECT_EQ(Search("gardening").ids, std::vector<NOTEID>{tips_});
    EXPECT_EQ(Search("budgeting").status, ERR_FT_NO_MATCHES);
    EXPECT_EQ(Search("form").status, ERR_FT_NO_MATCHES);

    ASSERT_EQ(FTIndex(db_, FT_INDEX_REINDEX, nullptr, &stats), NOERROR);
    EXPECT_EQ(stats.DocsAdded, 4u);
}

TEST_F(FullTextIndex, DeletedDocumentsAreNoHitsEvenBeforeTheNextUpdate) {
    ASSERT_EQ(FTIndex(db_, 0, nullptr, nullptr), NOERROR);
    ASSERT_EQ(DeleteNote(db_, heavy_, 0), NOERROR);
    EXPECT_EQ(Search("budget").ids, std::vector<NOTEID>{annual_});
}

TEST_F(FullTextIndex, DroppedIndexIsGoneAndCanBeMadeAgain) {
    ASSERT_EQ(FTIndex(db_, 0, nullptr, nullptr), NOERROR);
    ASSERT_EQ(FTDeleteIndex(db_), NOERROR);
    EXPECT_EQ(FTGetIndexInfo(db_, nullptr), ERR_FT_NOT_INDEXED);
    EXPECT_EQ(Search("budget").status, ERR_FT_NOT_INDEXED);
    ASSERT_EQ(FTIndex(db_, 0, nullptr, nullptr), NOERROR);
    EXPECT_EQ(Search("budget").count, 2u);
}

TEST_F(FullTextIndex, TheIndexLivesInTheFileAndOutlivesTheProcess) {
    ASSERT_EQ(FTIndex(db_, 0, nullptr, nullptr), NOERROR);
    CloseDatabase(db_);
    FTCloseSearch(search_);
    TermProcess();
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    ASSERT_EQ(OpenDatabase("ft.nsf", &db_), NOERROR);
    ASSERT_EQ(FTOpenSearch(&search_), NOERROR);
    EXPECT_EQ(Search("review").ids, std::vector<NOTEID>{annual_});
}

TEST_F(FullTextIndex, HandlesOfNoDatabaseAreRefused) {
    EXPECT_EQ(FTIndex(0, 0, nullptr, nullptr), ERR_DB_HANDLE);
    EXPECT_EQ(FTGetIndexInfo(db_ + 1000, nullptr), ERR_DB_HANDLE);
    EXPECT_EQ(FTDeleteIndex(db_ + 1000), ERR_DB_HANDLE);
}

} // namespace
} // namespace nnotes::testing
