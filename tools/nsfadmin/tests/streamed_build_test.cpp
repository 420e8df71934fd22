// Builds of long descriptions, whose documents are stored as they are read: the database does not depend on
// where the documents stand among the other members or on whether the text comes from a file, responses
// find parents stored many commits before them, and a fault anywhere leaves the target as it was.
#include "nsfadmin/nsfadmin.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace nsfadmin {
namespace {

constexpr const char* kViews = R"([{"name": "Threads", "columns": [
                                     {"title": "Subject", "item": "Subject", "sorted": true},
                                     {"title": "Reply", "item": "Subject", "response": true},
                                     {"title": "N", "item": "N"}]},
                                   {"name": "By Group", "selection": "SELECT Form = \"Topic\"", "columns": [
                                     {"title": "Group", "item": "Group", "sorted": true, "categorised": true},
                                     {"title": "N", "item": "N", "sorted": true, "totals": true}]}])";

// count documents: topics, and every third one a reply to the topic 25 places before it or, further on, to
// one stored 12,000 places (more than a commit's worth of documents) before it.
std::string Documents(int count) {
    std::string docs = "[";
    for (int i = 0; i < count; ++i) {
        if (i) docs += ",\n";
        const int parent = i >= 12000 ? i - 12000 : i - 25;
        if (i % 3 == 2 && parent >= 0 && parent % 3 != 2)
            docs += R"({"Subject": "re )" + std::to_string(parent) + R"(", "N": )" + std::to_string(i) +
                    R"(, "$Parent": )" + std::to_string(parent) + "}";
        else
            docs += R"({"Form": "Topic", "Subject": "topic )" + std::to_string(i) + R"(", "Group": "g)" +
                    std::to_string(i % 7) + R"(", "N": )" + std::to_string(i) + R"(, "Tags": ["a", "b"]})";
    }
    return docs + "]";
}

class StreamedBuild : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& name, const std::string& text) const {
        const std::string path = area_.Root() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // What a database holds, as dump and view show it.
    std::string Contents(const std::string& database) {
        std::ostringstream out;
        EXPECT_EQ(Dump(database, "", out), "");
        for (const char* view : {"Threads", "By Group"}) {
            out << "== " << view << "\n";
            EXPECT_EQ(ListView(database, view, "", out), "");
        }
        return out.str();
    }

    std::vector<std::string> DataFiles() const { return area_.DataFiles(); }

    testsupport::TestArea area_;
};

TEST_F(StreamedBuild, DocumentsBeforeOrAfterTheOtherMembersFromTextOrFileGiveTheSameDatabase) {
    const std::string docs = Documents(300);
    const std::string after = std::string(R"({"path": "a.nsf", "title": "T", "views": )") + kViews +
                              R"(, "documents": )" + docs + "}";
    const std::string before =
        R"({"documents": )" + docs + R"(, "views": )" + kViews + R"(, "title": "T", "path": "a.nsf"})";
    const std::string between = std::string(R"({"views": )") + kViews + R"(, "documents": )" + docs +
                                R"(, "path": "a.nsf", "title": "T"})";

    ASSERT_EQ(BuildFromText(after, "after.json"), "");
    const std::string expected = Contents("a.nsf");
    ASSERT_EQ(BuildFromText(before, "before.json"), "");
    EXPECT_EQ(Contents("a.nsf"), expected);
    ASSERT_EQ(BuildFromFile(WriteFile("between.json", between)), "");
    EXPECT_EQ(Contents("a.nsf"), expected);
    ASSERT_EQ(BuildFromFile(WriteFile("before.json", before)), "");
    EXPECT_EQ(Contents("a.nsf"), expected);

    // And the database is the one described: replies one level below their topics.
    std::istringstream lines(expected.substr(expected.find("== Threads\n")));
    std::string line;
    std::getline(lines, line);
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind("document\t0\t", 0), 0u) << line;
    EXPECT_NE(line.find("\ttopic 0\ttopic 0\t0"), std::string::npos) << line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_NE(line.find("\ttopic 1\ttopic 1\t1"), std::string::npos) << line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind("document\t1\t", 0), 0u) << line;
    EXPECT_NE(line.find("\tre 1\tre 1\t26"), std::string::npos) << line;
}

TEST_F(StreamedBuild, RepliesFindParentsStoredCommitsBeforeThem) {
    const int count = 24500;
    ASSERT_EQ(BuildFromFile(WriteFile("long.json", std::string(R"({"path": "long.nsf", "views": )") + kViews +
                                                       R"(, "documents": )" + Documents(count) + "}")),
              "");
    std::ostringstream out;
    ASSERT_EQ(ListView("long.nsf", "Threads", "", out), "");
    // Each reply comes right after its parent's other replies, one level below.
    std::istringstream lines(out.str());
    int entries = 0, replies = 0;
    std::string parent;
    for (std::string kind, level, id, subject, reply, n; std::getline(lines, kind, '\t');) {
        std::getline(lines, level, '\t');
        std::getline(lines, id, '\t');
        std::getline(lines, subject, '\t');
        std::getline(lines, reply, '\t');
        std::getline(lines, n);
        ++entries;
        if (level == "0") {
            parent = subject.substr(std::string("topic ").size());
            continue;
        }
        ++replies;
        EXPECT_EQ(level, "1") << subject;
        EXPECT_EQ(subject, "re " + parent) << n;
        if (std::stoi(n) >= 12000) {
            EXPECT_EQ(std::stoi(n), std::stoi(parent) + 12000) << n;
        }
    }
    EXPECT_EQ(entries, count);
    EXPECT_GT(replies, 3000);
}

TEST_F(StreamedBuild, AFaultDeepInALongDescriptionNamesItsPlaceAndLeavesTheTargetAsItWas) {
    ASSERT_EQ(BuildFromText(R"({"path": "t.nsf", "documents": [{"Subject": "keep"}]})", "first.json"), "");
    const auto files = DataFiles();
    std::ostringstream dumped;
    ASSERT_EQ(Dump("t.nsf", "", dumped), "");
    const std::string kept = dumped.str();

    struct Case {
        std::string tail; // the text after 15,000 good documents
        std::string error;
    };
    const std::string tooBig(70000, 'x'); // more than an item holds: the store refuses it as it is saved
    const std::vector<Case> cases = {
        {R"(, {"Subject": [1, "x"]}]})", "/documents/15000/Subject/1: every entry of a number list"},
        {R"(, {"Subject": "x", "subject": "y"}]})",
         "/documents/15000/subject: item \"subject\" is given twice"},
        {R"(, {"Subject": [1, 1e400]}]})", "/documents/15000/Subject/1: number overflow parsing '1e400'"},
        {R"(, {"Subject": ")" + tooBig + R"("}]})", "/documents/15000/Subject: Item value is too large"},
        {R"(, {"Subject": "x", "$Parent": 15000}]})", "/documents/15000/$Parent: the position of an earlier"},
        // Cut off in the middle of a document.
        {R"(, {"Subject": "x", "N)", "parse error at line 1, column "},
        {R"(, {"Subject": "x", )", "parse error at line 1, column "},
        // A fault after the documents, found before any of them is stored.
        {R"(], "views": [{"name": "a|b"}]})", "/views/0/name: a view name may not hold '|'"},
        {R"j(], "views": [{"name": "v", "selection": "SELECT @NoSuchFunction(1)"}]})j", "/views/0/selection"},
    };
    std::string good = R"({"path": "t.nsf", "title": "Second", "documents": [{"Subject": "first"})";
    for (int i = 1; i < 15000; ++i)
        good += R"(, {"Subject": "s)" + std::to_string(i) + R"(", "N": )" + std::to_string(i) + "}";
    for (const auto& c : cases) {
        const std::string file = WriteFile("bad.json", good + c.tail);
        const std::string error = BuildFromFile(file);
        EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(DataFiles(), files);
        std::ostringstream now;
        ASSERT_EQ(Dump("t.nsf", "", now), "");
        EXPECT_EQ(now.str(), kept);
    }
}

} // namespace
} // namespace nsfadmin
