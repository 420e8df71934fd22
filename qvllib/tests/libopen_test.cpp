// Starting and closing the library: the profile file, the log, and the errors shown when it cannot start.
#include "errorreport.h"
#include "libfixture.h"

namespace qvltest {
namespace {

using LibOpenTest = LibraryTest;

TEST_F(LibOpenTest, OpensTheDataSourceDatabaseOfTheConfiguredServerAndLogsTheServer) {
    OpenStandard();
    EXPECT_EQ(DSGetCount(), 5);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(ReadFile("qvllog.txt"), "Alpha/Acme");
    EXPECT_EQ(TheLibApp.GetProfileName(), area_.Root() + "/qvllib.ini");
    LibClose();
    EXPECT_EQ(DSGetCount(), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(LibOpenTest, TwoStartsAgainstTwoServersRunTheirNamesTogetherInTheLog) {
    area_.AddServer("Beta/Acme");
    Build(DataSourceDatabase(kServer, DataSource("One", "a.nsf", "v")));
    Build(DataSourceDatabase("Beta/Acme",
                             DataSource("Two", "b.nsf", "v") + "," + DataSource("Three", "c.nsf", "v")));
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1);
    EXPECT_EQ(DSGetCount(), 1);
    LibClose();
    UseServer("Beta/Acme");
    ASSERT_EQ(LibOpen(), 1);
    EXPECT_EQ(DSGetCount(), 2);
    EXPECT_EQ(ReadFile("qvllog.txt"), "Alpha/AcmeBeta/Acme");
}

TEST_F(LibOpenTest, WithoutAServerKeyTheDataSourceDatabaseIsLocal) {
    Build(DataSourceDatabase("", DataSource("Local", "contacts.nsf", "All")));
    WriteProfile("[General]\nOther=1\n");
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    EXPECT_EQ(DSGetCount(), 1);
    EXPECT_EQ(ReadFile("qvllog.txt"), "");
}

TEST_F(LibOpenTest, AProfileSavedByNotepadNamesItsServer) {
    // Notepad puts a byte-order mark before the first section and ends lines with CRLF.
    Build(DataSourceDatabase(kServer, DataSource("One", "a.nsf", "v")));
    WriteProfile("\xEF\xBB\xBF[General]\r\nServer = Alpha/Acme\r\n");
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    EXPECT_EQ(DSGetCount(), 1);
    EXPECT_EQ(ReadFile("qvllog.txt"), "Alpha/Acme");
}

TEST_F(LibOpenTest, AnUnknownServerIsShownWithTheServerText) {
    OpenStandard();
    UseServer("Nowhere/Acme");
    EXPECT_EQ(LibOpen(), 0);
    EXPECT_EQ(DSGetCount(), 0);
    const std::string text = "The Notes Server can not be opened, check the server name in qvllib.ini";
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, text);
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Notes Error, Contact your Administrator");
    EXPECT_EQ(boxes_.Boxes()[0].flags, os::MB_OK);
    EXPECT_EQ(LastErrorText(), text);
    EXPECT_FALSE(Session.IsInitialized());
    EXPECT_FALSE(LNGetThrowAllErrors());
}

TEST_F(LibOpenTest, AMissingDataSourceDatabaseIsShownWithTheNotFoundText) {
    UseServer(kServer);
    EXPECT_EQ(LibOpen(), 0);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "the File qvlds.nsf can not be found on the Notes file server");
    EXPECT_EQ(ReadFile("qvllog.txt"), "Alpha/Acme");
    EXPECT_FALSE(Session.IsInitialized());
    EXPECT_EQ(DSGetCount(), 0);

    // The next start begins from the beginning.
    Build(DataSourceDatabase(kServer, DataSource("One", "a.nsf", "v")));
    ASSERT_EQ(LibOpen(), 1);
    EXPECT_EQ(DSGetCount(), 1);
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

TEST_F(LibOpenTest, AMissingViewOrAValueThatIsNoTextFailsTheStartWithTheNotesText) {
    Build(R"({"server": "Alpha/Acme", "path": "qvlds.nsf", "views": [{"name": "Other"}]})");
    UseServer(kServer);
    EXPECT_EQ(LibOpen(), 0);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_FALSE(boxes_.Boxes()[0].text.empty());
    EXPECT_EQ(LastErrorText(), boxes_.Boxes()[0].text);

    Build(DataSourceDatabase(kServer, R"({"DataSourceName": 12, "ServerName": "", "DatabaseName": "a.nsf",
        "ViewName": "v", "MergeHistField": "", "PrimarySearchField": "", "LookupFields": []})"));
    EXPECT_EQ(LibOpen(), 0);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].text, "Couldn't perform conversion");
    EXPECT_EQ(DSGetCount(), 0);
}

TEST_F(LibOpenTest, ARemoteNotFoundStatusGetsTheNotFoundTextAndOthersTheirNotesText) {
    OpenStandard();
    ReportNotesError(0x4103, true);
    EXPECT_EQ(LastErrorText(), "the File qvlds.nsf can not be found on the Notes file server");
    EXPECT_FALSE(Session.IsInitialized());
    ReportNotesError(LNERR(51), true);
    EXPECT_EQ(LastErrorText(), "Couldn't perform conversion");
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].text, "Couldn't perform conversion");

    // Without the show flag the text is only cleared.
    ReportNotesError(0x0803, false);
    EXPECT_EQ(LastErrorText(), "");
    EXPECT_EQ(boxes_.Boxes().size(), 2u);
}

TEST_F(LibOpenTest, LastErrorIsCutToTheCallersBuffer) {
    UseServer("Nowhere/Acme");
    ASSERT_EQ(LibOpen(), 0);
    char text[8] = "xxxxxxx";
    LastError(text, sizeof text);
    EXPECT_STREQ(text, "The Not");
    LastError(text, 0);
    EXPECT_STREQ(text, "The Not");
    LastError(nullptr, 100);
}

TEST_F(LibOpenTest, AnUnwritableLogDoesNotStopTheStart) {
    Build(DataSourceDatabase(kServer, DataSource("One", "a.nsf", "v")));
    UseServer(kServer);
    std::filesystem::create_directory(area_.Root() + "/qvllog.txt");
    EXPECT_EQ(LibOpen(), 1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(LibOpenTest, AfterLibCloseEveryExportFailsQuietly) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    ASSERT_EQ(KWOpen("Region"), 1);
    ASSERT_EQ(KWLoad("Status"), 2);
    LibClose();

    char text[16] = "untouched";
    EXPECT_EQ(DSGetCount(), 0);
    EXPECT_EQ(DSGetName(0, text, sizeof text), 0);
    EXPECT_EQ(DSGetInfo(1, text, sizeof text), 0);
    EXPECT_EQ(DSOpen("Contacts"), -1);
    EXPECT_EQ(GotoFirst(), 0);
    EXPECT_EQ(GotoNext(), 0);
    EXPECT_EQ(GotoNextCategory(), 0);
    EXPECT_EQ(Search(nullptr), 0);
    EXPECT_EQ(GetNoteID(), 0);
    EXPECT_EQ(KWGetFirst(text, sizeof text), 0);
    EXPECT_EQ(KWGetNext(text, sizeof text), 0);
    EXPECT_EQ(KWGet(0, text, sizeof text), 0);
    EXPECT_EQ(KWOpen("Region"), 0);
    EXPECT_EQ(KWLoad("Region"), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(Data(0), "");
    EXPECT_EQ(Header(0), "");
    UpdateDocument("MergeHistory", "late", 1);
    KWClose();
    DSClose();
    LibClose();
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST(ProfileFile, TheTextAfterTheLastDotOfTheFileNameBecomesIni) {
    EXPECT_EQ(ProfileFileFor("/opt/quorvel/qvllib.so"), "/opt/quorvel/qvllib.ini");
    EXPECT_EQ(ProfileFileFor("/opt/quorvel/qvllib.so.1"), "/opt/quorvel/qvllib.so.ini");
    EXPECT_EQ(ProfileFileFor("/opt/my.dir/qvllib"), "/opt/my.dir/qvllib.ini");
    EXPECT_EQ(ProfileFileFor("/opt/my.dir/qvllib."), "/opt/my.dir/qvllib.ini");
    EXPECT_EQ(ProfileFileFor("qvllib.dll"), "qvllib.ini");
}

} // namespace
} // namespace qvltest
