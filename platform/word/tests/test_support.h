// Helpers of the word processor's tests: a temporary folder, and templates built in code.
#pragma once

#include "data_source.h"
#include "docx_package.h"
#include "word/reader.h"
#include "word/word.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace word::test {

// A fresh folder under the temporary folder, removed with the fixture; automation is reset around each test.
class WordTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }
    // The names of the files in the folder.
    std::vector<std::string> Files() const;

    std::filesystem::path dir_;
};

// The merge data file of the program: titles, then records; values separated by TAB, lines by CR LF.
std::string DataFile(const std::vector<std::vector<std::string>>& lines);

// The parsed merge data file, as a merge takes it.
std::shared_ptr<const DataSource> Data(const std::string& content, const std::string& name);

// A DOCX package around body content (paragraphs, tables) and the final section properties. With
// headerText, footerText or firstHeaderText the section refers to a header or footer part holding one
// paragraph with that text (or those runs, when it starts with "<"). With footnote, the package has a
// footnotes part (with the two separators, ids 0 and 1) holding that paragraph content as footnote 2.
struct DocxTemplate {
    std::string body;
    std::string sectionProperties = "<w:pgSz w:w=\"11906\" w:h=\"16838\"/>";
    std::string headerText;
    std::string footerText;
    std::string firstHeaderText;
    std::string footnote;
    std::string settings; // the content of word/settings.xml, empty for none
};
std::string BuildDocx(const DocxTemplate& docx);

// An RTF document around body text, with a font table and a style sheet.
std::string BuildRtf(const std::string& body);

// The document part of a DOCX package.
std::string DocumentPart(const std::string& docx);

// Splits merged body text at its page breaks.
std::vector<std::string> Pages(const std::string& text);

} // namespace word::test
