// The benchmark's one-page letter, written as a DOCX and an RTF template with MERGEFIELD fields and as a
// DOCX template with docxtemplater's tags, and its records.
#pragma once

#include <string>

namespace word::bench {

// The eight column titles; fields name them with "_" for spaces.
inline constexpr const char* kTitles[] = {"Title",     "First Name", "Last Name", "Street",
                                          "Post Code", "Town",       "Country",   "Customer Id"};

std::string LetterDocx();
std::string LetterRtf();
// The same letter for docxtemplater: {First_Name} tags, the body repeated by a {#records} loop that ends
// in a page break.
std::string LetterDocxTemplater();

// A richer letter: a picture, a table of fields, header and footer fields and IF fields (with nested
// MERGEFIELDs), as DOCX and as RTF.
std::string RichLetterDocx();
std::string RichLetterRtf();

// The merge data file with count records.
std::string Records(int count);

} // namespace word::bench
