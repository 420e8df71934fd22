// The automation object as the desktop program drives it: connecting, the command sequences of a merge and
// of template creation, the documents an instance keeps open, and every failure as an automation error
// that leaves nothing written.

#include "test_support.h"
#include "word/word.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace word::test {
namespace {

class Automation : public WordTest {
protected:
    // The command sequence of a merge with a Word started for it.
    void MergeStartedHere(const std::string& templatePath, const std::string& dataPath,
                          const std::string& output) {
        auto word = CreateObject(kProgramId);
        word->Invoke("AppHide");
        word->Invoke("AppMinimize", {Positional(1)});
        word->Invoke("FileOpen", {Named("name", templatePath)});
        word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
        word->Invoke("MailMerge", {Named("Destination", 0)});
        word->Invoke("MailMergeToDoc");
        word->Invoke("FileSaveAs", {Named("Name", output)});
        word->Invoke("FileClose", {Positional(2)});
        word->Invoke("FileClose", {Positional(2)});
        word->Invoke("AppClose");
    }

    // Expects an automation error whose message holds the given text.
    template <typename Call>
    void ExpectError(Call call, const std::string& text) {
        try {
            call();
            ADD_FAILURE() << "no automation error (expected one about " << text << ")";
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
        }
    }

    std::string Template() {
        DocxTemplate docx;
        docx.body =
            "<w:p><w:r><w:t xml:space=\"preserve\">Dear </w:t></w:r><w:fldSimple "
            "w:instr=\" MERGEFIELD First_Name \"><w:r><w:t>«First_Name»</w:t></w:r></w:fldSimple></w:p>";
        return Write("letter.dotx", BuildDocx(docx));
    }
    std::string Data() {
        return Write("mm1.tmp", DataFile({{"First Name", "Town"}, {"Ann", "Leeds"}, {"Bo", "York"}}));
    }
};

TEST_F(Automation, ConnectingAttachesToARunningInstanceOrStartsOne) {
    EXPECT_FALSE(IsProgramRunning());
    ExpectError([] { GetActiveObject(kProgramId); }, "not running");
    auto started = CreateObject("word.basic"); // program identifiers compare case-insensitively
    EXPECT_TRUE(IsProgramRunning());
    auto attached = GetActiveObject(kProgramId);
    EXPECT_EQ(attached, started);

    attached->Invoke("AppClose");
    EXPECT_FALSE(IsProgramRunning());
    ExpectError([&] { started->Invoke("AppMinimize", {Positional(1)}); }, "closed");
    ExpectError([] { GetActiveObject(kProgramId); }, "not running");

    // An instance runs until closed, whether or not any handle to it is left.
    CreateObject(kProgramId).reset();
    EXPECT_TRUE(IsProgramRunning());
    GetActiveObject(kProgramId)->Invoke("FileExit", {Positional(2)});
    EXPECT_FALSE(IsProgramRunning());
}

TEST_F(Automation, AnUnavailableProgramOrUnknownIdentifierCannotBeConnected) {
    ExpectError([] { CreateObject("Excel.Application"); }, "Excel.Application");
    CreateObject(kProgramId);
    SetProgramAvailable(false);
    ExpectError([] { GetActiveObject(kProgramId); }, "not available");
    ExpectError([] { CreateObject(kProgramId); }, "not available");
    SetProgramAvailable(true);
    EXPECT_NO_THROW(GetActiveObject(kProgramId));
}

TEST_F(Automation, MergeWithAStartedWordSavesTheMergedDocumentInTheTemplatesFormat) {
    MergeStartedHere(Template(), Data(), Path("mailmerge122597.doc"));
    DocumentContent content = ReadDocumentContent(Read("mailmerge122597.doc"));
    EXPECT_EQ(content.format, DocumentFormat::Docx); // its own format, whatever the name says
    EXPECT_EQ(Pages(content.text), (std::vector<std::string>{"Dear Ann\n", "Dear Bo\n"}));
    EXPECT_FALSE(IsProgramRunning());
}

TEST_F(Automation, MergeAttachedToARunningWordLeavesItRunning) {
    std::string templatePath = Template(), dataPath = Data();
    CreateObject(kProgramId); // the user's Word
    auto word = GetActiveObject(kProgramId);
    word->Invoke("AppMinimize", {Positional(1)});
    word->Invoke("AppMinimize", {Positional(1)});
    word->Invoke("FileOpen", {Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
    word->Invoke("MailMerge", {Named("Destination", 0)});
    word->Invoke("AppActivate", {Positional("Microsoft Word"), Positional(1)});
    word->Invoke("MailMergeToDoc");
    word->Invoke("FileSaveAs", {Named("Name", Path("out.doc"))});
    word->Invoke("FileClose", {Positional(2)});
    word->Invoke("FileClose", {Positional(2)});
    EXPECT_TRUE(IsProgramRunning());
    EXPECT_EQ(ReadDocumentContent(Read("out.doc")).text, "Dear Ann\n\fDear Bo\n");
    // Both documents are closed: a third close has nothing to act on.
    ExpectError([&] { word->Invoke("FileClose", {Positional(2)}); }, "no open document");
}

TEST_F(Automation, AfterAMergeTheMergedDocumentIsActiveAndTheTemplateBehindIt) {
    std::string templatePath = Template(), dataPath = Data();
    auto word = CreateObject(kProgramId);
    word->Invoke("FileOpen", {Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
    word->Invoke("MailMergeToDoc");
    word->Invoke("FileSaveAs", {Positional(Path("merged.doc"))});
    word->Invoke("FileClose", {Positional(2)});
    // The template is active again and unchanged: saving it gives the template, fields and all.
    word->Invoke("FileSaveAs", {Positional(Path("template-copy.docx"))});
    DocumentContent copy = ReadDocumentContent(Read("template-copy.docx"));
    EXPECT_EQ(copy.fields, std::vector<std::string>{" MERGEFIELD First_Name "});
    EXPECT_EQ(ReadDocumentContent(Read("merged.doc")).text, "Dear Ann\n\fDear Bo\n");
}

TEST_F(Automation, TemplateCreationWritesAFieldPerParagraphAndTheHeaderSource) {
    auto word = CreateObject(kProgramId);
    word->Invoke("AppHide");
    word->Invoke("FileNewDefault");
    word->Invoke("MailMergeCreateHeaderSource",
                 {Named("FileName", Path("testmerge.tmp")), Named("HeaderRecord", "Name,Post_Code")});
    word->Invoke("InsertMergeField", {Named("MergeField", "Name")});
    word->Invoke("InsertMergeField", {Named("MergeField", "Post_Code")});
    word->Invoke("FileSaveAs", {Positional(Path("wordmergetemplate.doc"))});
    word->Invoke("FileClose", {Positional(2)});
    word->Invoke("FileClose", {Positional(2)});
    word->Invoke("FileExit", {Positional(2)});
    EXPECT_FALSE(IsProgramRunning());

    EXPECT_EQ(Read("testmerge.tmp"), "Name,Post_Code\r\n");
    DocumentContent content = ReadDocumentContent(Read("wordmergetemplate.doc"));
    EXPECT_EQ(content.format, DocumentFormat::Rtf); // the program's ".doc" names give RTF
    EXPECT_EQ(content.text, "«Name»\n«Post_Code»\n");
    EXPECT_EQ(content.fields, (std::vector<std::string>{" MERGEFIELD Name ", " MERGEFIELD Post_Code "}));
}

TEST_F(Automation, ACreatedTemplateMergesInBothFormats) {
    std::string data =
        Write("mm2.tmp", DataFile({{"First Name", "Ville {é}", "Odd \"1\""}, {"Ann", "Sète", "a<b"}}));
    for (const std::string name : {"created.doc", "created.docx"}) {
        auto word = CreateObject(kProgramId);
        word->Invoke("FileNewDefault");
        word->Invoke("InsertMergeField", {Named("mergefield", "First_Name")});
        word->Invoke("InsertMergeField", {Named("MergeField", "Ville_{é}")});
        word->Invoke("InsertMergeField", {Named("MergeField", "Odd_\"1\"")});
        word->Invoke("FileSaveAs", {Positional(Path(name))});
        word->Invoke("FileClose", {Positional(2)});
        EXPECT_EQ(ReadDocumentContent(Read(name)).format,
                  name.ends_with(".docx") ? DocumentFormat::Docx : DocumentFormat::Rtf);
        EXPECT_EQ(ReadDocumentContent(Read(name)).text, "«First_Name»\n«Ville_{é}»\n«Odd_\"1\"»\n");
        MergeStartedHere(Path(name), data, Path("merged-" + name));
        EXPECT_EQ(ReadDocumentContent(Read("merged-" + name)).text, "Ann\nSète\na<b\n") << name;
        word->Invoke("AppClose");
    }
}

TEST_F(Automation, ReceivedCommandsAreRecordedAsSent) {
    auto word = CreateObject(kProgramId);
    word->Invoke("AppActivate", {Positional("Microsoft Word"), Positional(1)});
    ExpectError([&] { word->Invoke("FileOpen", {Named("name", "/nowhere/t.doc")}); }, "/nowhere/t.doc");
    EXPECT_EQ(ReceivedCommands(), (std::vector<std::string>{"AppActivate(\"Microsoft Word\", 1)",
                                                            "FileOpen(name:=\"/nowhere/t.doc\")"}));
}

TEST_F(Automation, UnknownCommandsAndArgumentsAreErrors) {
    auto word = CreateObject(kProgramId);
    ExpectError([&] { word->Invoke("FilePrint"); }, "FilePrint");
    ExpectError([&] { word->Invoke("FileOpen", {Named("FileName", "x")}); }, "FileName");
    ExpectError([&] { word->Invoke("AppHide", {Positional(1)}); }, "Too many");
    ExpectError([&] { word->Invoke("FileOpen"); }, "Name is missing");
    ExpectError([&] { word->Invoke("FileOpen", {Positional("a"), Named("NAME", "b")}); }, "twice");
    ExpectError([&] { word->Invoke("AppMinimize", {Positional("minimised")}); }, "Type mismatch");
    ExpectError([&] { word->Invoke("AppActivate", {Positional("Notepad")}); }, "Notepad");
    EXPECT_NO_THROW(word->Invoke("appminimize", {Positional("1")})); // converted as automation does
}

TEST_F(Automation, CommandsWithoutADocumentAreErrors) {
    auto word = CreateObject(kProgramId);
    for (const char* command : {"FileClose", "MailMergeToDoc", "MailMerge"}) {
        ExpectError([&] { word->Invoke(command); }, "no open document");
    }
    ExpectError([&] { word->Invoke("FileSaveAs", {Named("Name", Path("x.doc"))}); }, "no open document");
    ExpectError([&] { word->Invoke("InsertMergeField", {Named("MergeField", "a")}); }, "no open document");
    ExpectError([&] { word->Invoke("MailMergeOpenDataSource", {Named("Name", Data())}); },
                "no open document");
    ExpectError(
        [&] {
            word->Invoke("MailMergeCreateHeaderSource",
                         {Named("FileName", Path("h.tmp")), Named("HeaderRecord", "a")});
        },
        "no open document");
    EXPECT_EQ(Files(), std::vector<std::string>{"mm1.tmp"});
}

TEST_F(Automation, MergeFailuresLeaveNothingWritten) {
    std::string templatePath = Template(), dataPath = Data();
    Write("old.doc", "not a document");
    Write("binary.doc", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "binary Word file");
    Write("broken.docx", "PK\x03\x04 broken");
    DocxTemplate unknownField;
    unknownField.body = "<w:p><w:fldSimple w:instr=\"MERGEFIELD Shoe_Size\"/></w:p>";
    Write("unknown-field.docx", BuildDocx(unknownField));
    Write("plain-file", "x");
    std::vector<std::string> before = Files();

    auto word = CreateObject(kProgramId);
    ExpectError([&] { word->Invoke("FileOpen", {Named("name", Path("missing.doc"))}); }, "missing.doc");
    ExpectError([&] { word->Invoke("FileOpen", {Named("name", Path("old.doc"))}); }, "neither RTF nor DOCX");
    ExpectError([&] { word->Invoke("FileOpen", {Named("name", Path("binary.doc"))}); }, "binary.doc");
    ExpectError([&] { word->Invoke("FileOpen", {Named("name", Path("broken.docx"))}); }, "cannot be read");
    ExpectError([&] { word->Invoke("FileOpen", {Named("name", dir_.string())}); }, "not a file");

    word->Invoke("FileOpen", {Named("name", Path("unknown-field.docx"))});
    ExpectError([&] { word->Invoke("MailMergeToDoc"); }, "no data source");
    ExpectError([&] { word->Invoke("MailMerge", {Named("Destination", 0)}); }, "no data source");
    ExpectError([&] { word->Invoke("MailMergeOpenDataSource", {Named("Name", Path("mm9.tmp"))}); },
                "mm9.tmp");
    word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
    ExpectError([&] { word->Invoke("MailMerge", {Named("Destination", 1)}); }, "Destination");
    ExpectError([&] { word->Invoke("MailMergeToDoc"); }, "Shoe_Size");
    word->Invoke("FileClose", {Positional(2)});

    word->Invoke("FileOpen", {Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
    word->Invoke("MailMergeToDoc");
    ExpectError([&] { word->Invoke("FileSaveAs", {Named("Name", Path("no-such-folder/out.doc"))}); },
                "no-such-folder/out.doc");
    // A folder that cannot be written: a file where the folder should be (refused even to root), and a
    // folder without write permission (refused to everyone else).
    ExpectError([&] { word->Invoke("FileSaveAs", {Named("Name", Path("plain-file/out.doc"))}); },
                "plain-file/out.doc");
    std::filesystem::create_directory(dir_ / "locked");
    std::filesystem::permissions(dir_ / "locked",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (access((dir_ / "locked").c_str(), W_OK) != 0) { // root may write anywhere
        ExpectError([&] { word->Invoke("FileSaveAs", {Named("Name", Path("locked/out.doc"))}); },
                    "locked/out.doc");
        EXPECT_TRUE(std::filesystem::is_empty(dir_ / "locked"));
    }
    std::filesystem::remove(dir_ / "locked");
    EXPECT_EQ(Files(), before);
}

// A save replaces only a regular file that the user may write; whatever else stands at the path (even to
// root, who may write anything) is refused with an error naming it, and left as it was.
TEST_F(Automation, SavingReplacesOnlyAWritableRegularFile) {
    std::string templatePath = Template(), dataPath = Data();
    Write("kept.txt", "kept");
    Write("read-only.doc", "read-only");
    std::filesystem::permissions(dir_ / "read-only.doc", std::filesystem::perms::owner_read);
    std::filesystem::create_symlink(dir_ / "kept.txt", dir_ / "link.doc");
    ASSERT_EQ(mkfifo(Path("fifo.doc").c_str(), 0644), 0);
    std::filesystem::create_directory(dir_ / "folder.doc");
    // A device node: a copy of the null device, where the system lets this process make one.
    bool device = mknod(Path("device.doc").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    std::vector<std::string> before = Files();

    auto word = CreateObject(kProgramId);
    word->Invoke("FileOpen", {Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
    word->Invoke("MailMergeToDoc");
    std::vector<std::pair<std::string, std::string>> refused = {{"read-only.doc", "read-only"},
                                                                {"link.doc", "symbolic link"},
                                                                {"fifo.doc", "no regular file"},
                                                                {"folder.doc", "folder"},
                                                                {"folder.doc/", "folder"}};
    if (device) refused.push_back({"device.doc", "no regular file"});
    for (const auto& [name, reason] : refused) {
        ExpectError([&] { word->Invoke("FileSaveAs", {Named("Name", Path(name))}); }, Path(name));
        ExpectError([&] { word->Invoke("FileSaveAs", {Named("Name", Path(name))}); }, reason);
    }
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(Read("kept.txt"), "kept");
    EXPECT_EQ(Read("read-only.doc"), "read-only");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.doc"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "fifo.doc"));
    if (device) {
        EXPECT_TRUE(std::filesystem::is_character_file(dir_ / "device.doc"));
    }

    // A writable file is replaced, keeping its permissions.
    Write("old.doc", "old");
    std::filesystem::permissions(dir_ / "old.doc", std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_write |
                                                       std::filesystem::perms::group_read);
    word->Invoke("FileSaveAs", {Named("Name", Path("old.doc"))});
    EXPECT_EQ(ReadDocumentContent(Read("old.doc")).text, "Dear Ann\n\fDear Bo\n");
    EXPECT_EQ(std::filesystem::status(dir_ / "old.doc").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

// The temporary file of a save is named independently of the target, so names up to the file system's
// limit of 255 bytes save, new or replaced.
TEST_F(Automation, NamesUpToTheFileSystemsLimitSave) {
    std::string templatePath = Template(), dataPath = Data();
    auto word = CreateObject(kProgramId);
    word->Invoke("FileOpen", {Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {Named("Name", dataPath)});
    word->Invoke("MailMergeToDoc");
    for (size_t length : {240u, 244u, 250u, 255u}) {
        std::string name = std::string(length - 4, 'n') + ".doc";
        word->Invoke("FileSaveAs", {Named("Name", Path(name))});
        word->Invoke("FileSaveAs", {Named("Name", Path(name))});
        EXPECT_EQ(ReadDocumentContent(Read(name)).text, "Dear Ann\n\fDear Bo\n") << length;
    }
    EXPECT_EQ(Files().size(), 6u); // the template, the data file and the four documents
}

TEST_F(Automation, HeaderSourceOnlyDataHasNoRecordsToMerge) {
    std::string templatePath = Template();
    auto word = CreateObject(kProgramId);
    word->Invoke("FileOpen", {Named("name", templatePath)});
    word->Invoke("MailMergeCreateHeaderSource",
                 {Named("FileName", Path("h.tmp")), Named("HeaderRecord", "First_Name")});
    ExpectError([&] { word->Invoke("MailMergeToDoc"); }, "no records");
    ExpectError(
        [&] {
            word->Invoke("MailMergeCreateHeaderSource",
                         {Named("FileName", Path("nowhere/h.tmp")), Named("HeaderRecord", "a")});
        },
        "nowhere/h.tmp");
}

TEST_F(Automation, ClosingFollowsTheSaveArgument) {
    auto word = CreateObject(kProgramId);
    word->Invoke("FileNewDefault");
    word->Invoke("InsertMergeField", {Named("MergeField", "a")});
    ExpectError([&] { word->Invoke("FileClose"); }, "unsaved changes");
    ExpectError([&] { word->Invoke("FileClose", {Positional(1)}); }, "no name");
    ExpectError([&] { word->Invoke("FileClose", {Positional(3)}); }, "0, 1 or 2");
    ExpectError([&] { word->Invoke("FileExit"); }, "unsaved changes");
    EXPECT_TRUE(IsProgramRunning()); // a refused exit leaves everything open
    word->Invoke("FileSaveAs", {Positional(Path("a.doc"))});
    word->Invoke("InsertMergeField", {Named("MergeField", "b")});
    word->Invoke("FileClose", {Named("save", 1)});
    EXPECT_EQ(ReadDocumentContent(Read("a.doc")).text, "«a»\n«b»\n");
    ExpectError([&] { word->Invoke("InsertMergeField", {Named("MergeField", "c")}); }, "no open document");

    word->Invoke("FileOpen", {Named("name", Path("a.doc"))});
    ExpectError([&] { word->Invoke("InsertMergeField", {Named("MergeField", "c")}); }, "new documents");
    word->Invoke("FileClose"); // unchanged: closes without asking
}

} // namespace
} // namespace word::test
