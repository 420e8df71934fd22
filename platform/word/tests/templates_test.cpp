// Templates written by other programs (LibreOffice, python-docx, packages laid out as Word 2010, 2016 and
// 2011 for Mac write them, and RTF written by hand where LibreOffice's export drops fields), each merged
// with 1, 2, 3 and 50 records: every record on pages of its own, every value, header, footer and note in
// place, the IF, NEXT and SKIPIF results and the switches' output, and every character of the template
// outside its fields kept.

#include "data_source.h"
#include "main_document.h"
#include "test_support.h"

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace word::test {
namespace {

const std::string kTemplates = std::string(QVL_TEST_SOURCE_DIR) + "/platform/word/tests/templates/";

std::string ReadTemplate(const std::string& name) {
    std::ifstream in(kTemplates + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct Person {
    std::string title, first, last, street, town, postcode, amount, due, member, visits;
};

// Record i of the test data (from 1).
Person Record(int i) {
    std::string n = std::to_string(i);
    const char* titles[] = {"Mr", "Dr", "Ms"};
    char due[16];
    std::snprintf(due, sizeof due, "2024-03-%02d", i % 28 + 1);
    return {titles[i % 3],
            "First" + n,
            "Last" + n,
            n + " High Street",
            "Town" + n,
            "PC" + n,
            i % 2 ? n + "234.5" : n + ".5",
            due,
            i % 5 == 0   ? "skip"
            : i % 3 == 0 ? "yes"
                         : "no",
            i % 3 == 1   ? "one"
            : i % 3 == 2 ? "two"
                         : "thr\u00e9e"};
}

std::string DataFor(int count) {
    std::vector<std::vector<std::string>> lines = {{"Title", "First Name", "Last Name", "Street", "Town",
                                                    "Postcode", "Amount", "Due", "Member", "Visits"}};
    for (int i = 1; i <= count; ++i) {
        Person p = Record(i);
        lines.push_back(
            {p.title, p.first, p.last, p.street, p.town, p.postcode, p.amount, p.due, p.member, p.visits});
    }
    return DataFile(lines);
}

DocumentContent MergeTemplate(const std::string& name, int count) {
    std::string content = ReadTemplate(name);
    std::unique_ptr<MainDocument> main = DetectFormat(content, name) == DocumentFormat::Rtf
                                             ? ReadRtfMainDocument(content)
                                             : ReadDocxMainDocument(content);
    return ReadDocumentContent(main->Merge(Data(DataFor(count), "data")).Join());
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The amount as the picture #,##0.00 shows it: unfilled places are blanks.
std::string Money(int i) {
    if (i % 2 == 0) {
        std::string whole = std::to_string(i);
        return std::string(whole.size() < 4 ? 4 - whole.size() : 0, ' ') + whole + ".50";
    }
    return std::to_string(i) + ",234.50";
}

std::string DueDate(int i) {
    return std::to_string(i % 28 + 1) + " March 2024";
}

// What a template's copy for record i shows: its pages, the headers and footers of its sections, and its
// notes (which a merged document holds part by part: in these templates the endnotes come first).
struct Copy {
    std::vector<std::string> pages;
    std::vector<std::vector<std::string>> sections;
    std::vector<std::string> endnotes = {};
    std::vector<std::string> footnotes = {};
};
using Expectation = std::function<std::vector<Copy>(int count)>;

// One copy per record.
Expectation PerRecord(std::function<Copy(int)> copy) {
    return [copy](int count) {
        std::vector<Copy> copies;
        for (int i = 1; i <= count; ++i)
            copies.push_back(copy(i));
        return copies;
    };
}

Copy Letter(int i, bool rtf) {
    Person p = Record(i);
    std::string table = rtf ? "Street" + p.street + "Postcode" + p.postcode
                            : "Street\n" + p.street + "\nPostcode\n" + p.postcode + "\n";
    return {{"\nDear " + p.title + " " + p.last + ",\n" + table + "Amount due: " + p.amount + " by " + p.due +
             ".\nKind regards,\n"},
            {{"Account of " + p.last + "\n", "Branch " + p.town + "\n"}}};
}

const std::vector<std::pair<std::string, Expectation>>& Templates() {
    static const std::vector<std::pair<std::string, Expectation>> templates = {
        {"python-letter.docx", PerRecord([](int i) { return Letter(i, false); })},
        {"libreoffice-letter.docx", PerRecord([](int i) { return Letter(i, false); })},
        {"libreoffice-letter.rtf", PerRecord([](int i) { return Letter(i, true); })},
        {"python-split-fields.docx", PerRecord([](int i) {
             Person p = Record(i);
             return Copy{{"Name: " + p.first + " / " + Upper(p.last) + "\nOwed: " + Money(i) + " on " +
                          DueDate(i) + "\nStatus: " + (p.member == "yes" ? "member" : "guest") + "\n" +
                          p.street + "\n" + p.town + "\n" + p.postcode + "\nBox for " + p.town +
                          "\n\nEnd of letter.\n"},
                         {{Upper(p.first) + "\n"}}};
         })},
        {"python-sections.docx", PerRecord([](int i) {
             Person p = Record(i);
             return Copy{{"Section one for " + p.first + "\n\n", "Section two.\n"},
                         {{p.last + "\n", "Even " + p.town + "\n", p.town + "\n",
                           "First page of " + p.postcode + "\n"},
                          {p.street + "\n"}}};
         })},
        {"hand-reminder.rtf", PerRecord([](int i) {
             Person p = Record(i);
             std::string greeting = p.title == "Dr" ? "Dear Doctor" : "Dear " + p.title + " " + p.last;
             return Copy{{"Payment reminder\n" + greeting + ",\nYou owe " + Money(i) + " euros, due on " +
                          DueDate(i) + ".\n" + (i % 2 ? "This is a large sum." : "Thank you.") + " " +
                          (p.member == "yes" ? "Members pay no fee." : "") + "\nKind regards\n"},
                         {{"Reminder for " + Upper(p.last) + "\n",
                           "Record " + std::to_string(i) + "  " + p.town + "\n"}}};
         })},
        {"word2016-letter.docx", PerRecord([](int i) {
             Person p = Record(i);
             return Copy{{"Customer letter\n" + p.first + " " + p.last + "\n" + p.street + "\n" + p.postcode +
                          " " + p.town + "\n\nDear " + p.title + " " + p.last + ",\nYour balance of " +
                          Money(i) + " is due on " + DueDate(i) + ".\nKind regards,\n"},
                         {{"Account of " + p.last + "\n", "Page 1 - " + p.town + "\n"}},
                         {" Record " + std::to_string(i) + "\n"},
                         {" Member: " + Upper(p.member) + "\n"}};
         })},
        {"word2010-nested-if.docx", PerRecord([](int i) {
             Person p = Record(i);
             std::string greeting = p.title == "Dr" ? "Doctor " + p.last : p.title + " " + p.last;
             std::string visits = p.visits == "one"   ? "- one -"
                                  : p.visits == "two" ? "two"
                                                      : "more: " + p.visits;
             return Copy{{"Dear " + greeting + ",\nVisits: " + visits +
                          "\nStatus: " + (p.member == "yes" ? "member" : "guest") + "\nThank you.\n"},
                         {{(p.member == "skip" ? "" : p.first) + "\n", "Leeds office\n"}}};
         })},
        {"macword2011-reminder.docx", PerRecord([](int i) {
             Person p = Record(i);
             return Copy{{"Payment reminder\nDear " + p.first + ",\nAmount: " + Money(i) +
                          " euros\nSequence " + std::to_string(i) + "\n"},
                         {{Upper(p.last) + "\n", "Reminders office\n"}},
                         {},
                         {" Due on " + DueDate(i) + "\n"}};
         })},
        // Two records a page (NEXT); a record whose Member is "skip" starts no page (SKIPIF).
        {"hand-labels.rtf",
         [](int count) {
             std::vector<Copy> copies;
             int merged = 0;
             for (int start = 1; start <= count;) {
                 if (Record(start).member == "skip") {
                     ++start;
                     continue;
                 }
                 std::string page;
                 for (int i : {start, start + 1}) {
                     Person p = i <= count ? Record(i) : Person{};
                     page += p.first + " " + p.last + ", " + p.postcode + "\n";
                 }
                 copies.push_back({{page}, {{"Label sheet " + std::to_string(merged + 1) + "\n"}}});
                 merged += start + 1 <= count ? 2 : 1;
                 start += 2;
             }
             return copies;
         }},
    };
    return templates;
}

TEST(Templates, EachMergesWithOneTwoThreeAndFiftyRecords) {
    for (const auto& [name, expectation] : Templates()) {
        for (int count : {1, 2, 3, 50}) {
            SCOPED_TRACE(name + " with " + std::to_string(count) + " records");
            DocumentContent content = MergeTemplate(name, count);
            std::vector<Copy> copies = expectation(count);
            std::vector<std::string> pages, endnotes, footnotes;
            std::vector<std::vector<std::string>> sections;
            for (const Copy& copy : copies) {
                pages.insert(pages.end(), copy.pages.begin(), copy.pages.end());
                sections.insert(sections.end(), copy.sections.begin(), copy.sections.end());
                endnotes.insert(endnotes.end(), copy.endnotes.begin(), copy.endnotes.end());
                footnotes.insert(footnotes.end(), copy.footnotes.begin(), copy.footnotes.end());
            }
            EXPECT_EQ(Pages(content.text), pages);
            EXPECT_EQ(content.sections, sections);
            endnotes.insert(endnotes.end(), footnotes.begin(), footnotes.end());
            EXPECT_EQ(content.notes, endnotes);
            EXPECT_TRUE(content.fields.empty()) << content.fields.front();
        }
    }
}

// The program that converts documents, when installed: its path, or empty.
std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// Runs a program to its end (at most the given seconds, through timeout(1)); gives its exit status.
int RunProgram(std::vector<std::string> arguments, int seconds, const std::string& output = "/dev/null") {
    arguments.insert(arguments.begin(), {"timeout", std::to_string(seconds)});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, "timeout", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The pages of a PDF file: as pdfinfo tells, or counted from its page objects.
int PdfPages(const std::string& pdf, const std::string& scratch) {
    if (!FindProgram("pdfinfo").empty() && RunProgram({"pdfinfo", pdf}, 60, scratch) == 0) {
        std::ifstream in(scratch);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("Pages:", 0) == 0) return std::stoi(line.substr(6));
    }
    std::ifstream in(pdf, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int pages = 0;
    for (const std::string type : {"/Type /Page", "/Type/Page"})
        for (size_t at = data.find(type); at != std::string::npos; at = data.find(type, at + 1))
            if (at + type.size() >= data.size() || data[at + type.size()] != 's') ++pages;
    return pages;
}

class LibreOffice : public WordTest {};

// A word processor lays the merged documents out as one page (or the template's pages) per record. One
// conversion of several documents: LibreOffice starts slowly.
TEST_F(LibreOffice, LaysOutMergedDocumentsWithTheRecordsPages) {
    std::string soffice = FindProgram("soffice");
    if (soffice.empty())
        GTEST_SKIP()
            << "LibreOffice (soffice) is not installed, so merged documents are not converted to PDF; "
               "scripts/install-deps.sh installs it where the machine allows";
    const std::vector<std::pair<std::string, int>> documents = {{"libreoffice-letter.docx", 3},
                                                                // LibreOffice sets endnotes on a page
                                                                // of their own after the text.
                                                                {"word2016-letter.docx", 4},
                                                                {"word2010-nested-if.docx", 3},
                                                                {"python-sections.docx", 6},
                                                                {"hand-reminder.rtf", 3},
                                                                {"hand-labels.rtf", 2}};
    std::vector<std::string> arguments = {soffice,      "-env:UserInstallation=file://" + Path("profile"),
                                          "--headless", "--convert-to",
                                          "pdf",        "--outdir",
                                          Path("pdf")};
    for (const auto& [name, pages] : documents) {
        std::string content = ReadTemplate(name);
        std::unique_ptr<MainDocument> main = DetectFormat(content, name) == DocumentFormat::Rtf
                                                 ? ReadRtfMainDocument(content)
                                                 : ReadDocxMainDocument(content);
        std::string output = "merged-" + name;
        Write(output, main->Merge(Data(DataFor(3), "data")).Join());
        arguments.push_back(Path(output));
    }
    ASSERT_EQ(RunProgram(arguments, 280), 0) << "soffice failed";
    for (const auto& [name, pages] : documents) {
        std::string pdf = Path("pdf/merged-" + name.substr(0, name.find_last_of('.')) + ".pdf");
        ASSERT_TRUE(std::filesystem::exists(pdf)) << pdf;
        EXPECT_EQ(PdfPages(pdf, Path("pdfinfo.txt")), pages) << name;
    }
}

} // namespace
} // namespace word::test
