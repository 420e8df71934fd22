// Randomised merges checked against text worked out here from each template's plain text and the records:
// RTF and DOCX templates with fields in body text, tables and headers, their instructions split over runs
// and groups; data with empty, long and awkward values; and damaged templates, which must fail cleanly.

#include "data_source.h"
#include "docx_package.h"
#include "main_document.h"
#include "test_support.h"
#include "testsupport/utf8_model.h"
#include "word/word.h"

#include <cctype>
#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>
#include <zip.h>

namespace word::test {
namespace {

using Random = std::mt19937;

size_t Pick(Random& random, size_t count) {
    return std::uniform_int_distribution<size_t>(0, count - 1)(random);
}
bool Chance(Random& random, int percent) {
    return static_cast<int>(Pick(random, 100)) < percent;
}

// ---- The oracle's own reading of values and names

char32_t Decode(const std::string& text, size_t& pos) {
    unsigned char lead = static_cast<unsigned char>(text[pos]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    pos += length;
    return cp;
}

// The data file's bytes as text: valid UTF-8 as it is, every other byte as the Windows-1252 character.
std::string FromDataFile(const std::string& bytes) {
    static const char32_t k1252[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string text;
    size_t i = 0;
    const auto byte = [&](size_t at) -> unsigned {
        return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
    };
    const auto continuation = [&](size_t at, unsigned low, unsigned high) {
        return byte(at) >= low && byte(at) <= high;
    };
    while (i < bytes.size()) {
        unsigned lead = byte(i);
        size_t length = 0;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF && continuation(i + 1, 0x80, 0xBF))
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF &&
                 continuation(i + 1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF) &&
                 continuation(i + 2, 0x80, 0xBF))
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4 &&
                 continuation(i + 1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF) &&
                 continuation(i + 2, 0x80, 0xBF) && continuation(i + 3, 0x80, 0xBF))
            length = 4;
        if (length) {
            text.append(bytes, i, length);
            i += length;
        } else {
            text += testsupport::utf8::Encode(lead < 0xA0 ? k1252[lead - 0x80] : lead);
            ++i;
        }
    }
    return text;
}

// What a value reads as in a merged document: line ends become line breaks, characters no document can
// hold (controls, C1 controls, non-characters) are left out.
std::string ShownValue(const std::string& bytes) {
    std::string value = FromDataFile(bytes);
    std::string shown;
    size_t pos = 0;
    while (pos < value.size()) {
        char32_t cp = Decode(value, pos);
        if (cp == '\t') {
            shown += '\t';
        } else if (cp == '\r' || cp == '\n' || cp == '\v') {
            if (cp == '\r' && pos < value.size() && value[pos] == '\n') ++pos;
            shown += '\v';
        } else if (cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) && cp != 0xFFFE && cp != 0xFFFF) {
            shown += testsupport::utf8::Encode(cp);
        }
    }
    return shown;
}

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c == ' ') c = '_';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::optional<size_t> Column(const std::vector<std::string>& titles, const std::string& name) {
    for (size_t i = 0; i < titles.size(); ++i) {
        if (Folded(titles[i]) == Folded(name)) return i;
    }
    return std::nullopt;
}

// ---- Random data

const std::vector<std::string> kTitles = {"Name",
                                          "First Name",
                                          "post_code",
                                          "Stra\xC3\x9F"
                                          "e",
                                          "\xC3\x89t\xC3\xA9",
                                          "A B C",
                                          "x",
                                          "\xE5\x90\x8D",
                                          "Town",
                                          "Net  Total",
                                          " Lead",
                                          "TOWN"};

const std::vector<std::string> kValuePieces = {"a",
                                               "Bc",
                                               " ",
                                               "\\",
                                               "{",
                                               "}",
                                               "<",
                                               ">",
                                               "&",
                                               "\"",
                                               "'",
                                               "\x01",
                                               "\x07",
                                               "\x1F",
                                               "\x7F",
                                               "\n",
                                               "\r",
                                               "\v",
                                               "\xC3\xA9",
                                               "\xE2\x82\xAC",
                                               "\xF0\x9F\x98\x80",
                                               "\xE4\xB8\xAD",
                                               "\xC2\x85",
                                               "\xEF\xBF\xBE",
                                               "\\par ",
                                               "&amp;",
                                               "]]>",
                                               "\xC2\xA0",
                                               "0",
                                               "-12.5",
                                               std::string("\0", 1),
                                               "\x80",
                                               "\x85",
                                               "\xE9",
                                               "\xC3",
                                               "\xFF",
                                               "\xED\xA0\x80",
                                               "\xEF\xBB\xBF"};

std::string RandomValue(Random& random) {
    if (Chance(random, 20)) return "";
    if (Chance(random, 5)) return "zz";
    std::string value;
    size_t pieces = Chance(random, 5) ? 3000 : Pick(random, 12);
    for (size_t i = 0; i < pieces; ++i) {
        std::string piece = kValuePieces[Pick(random, kValuePieces.size())];
        // CR LF ends a line of the data file: it cannot be inside a value.
        if (!value.empty() && value.back() == '\r' && piece[0] == '\n') continue;
        value += piece;
    }
    return value;
}

struct Records {
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> records; // each as long as titles, then its number
    std::string file;
};

Records RandomData(Random& random) {
    Records data;
    std::vector<std::string> titles = kTitles;
    std::shuffle(titles.begin(), titles.end(), random);
    data.titles.assign(titles.begin(), titles.begin() + 2 + static_cast<long>(Pick(random, 4)));
    std::vector<std::vector<std::string>> lines = {data.titles};
    size_t records = Chance(random, 5) ? 40 : 1 + Pick(random, 4);
    for (size_t r = 0; r < records; ++r) {
        std::vector<std::string> record;
        for (size_t c = 0; c < data.titles.size(); ++c)
            record.push_back(RandomValue(random));
        data.records.push_back(record);
        // After the values, what MERGEREC and MERGESEQ give for the record.
        data.records.back().push_back(std::to_string(r + 1));
        // A record may leave out empty values at its end (but keeps a TAB, so its line is not empty).
        size_t written = record.size();
        while (written > 2 && record[written - 1].empty())
            --written;
        lines.emplace_back(record.begin(), record.begin() + static_cast<long>(written));
    }
    data.file = DataFile(lines);
    // A byte-order mark first, as some programs write one.
    if (Chance(random, 15)) data.file = "\xEF\xBB\xBF" + data.file;
    return data;
}

// ---- Random templates, written in either format with the text they show

// A field: the name as the instruction gives it, and the column it names (none for a missing one).
struct Field {
    std::string instruction;
    std::optional<size_t> column;
    std::string before, after; // the \b and \f texts, written around a value that is not empty
    // An IF around the MERGEFIELD: IF {MERGEFIELD ...} = "zz" "Y" "N".
    bool inIf = false;
    // Or IF {MERGEFIELD ...} <> "zz" "Y{MERGEFIELD ...}" "N": the value inside the IF's text as well.
    bool ifShows = false;
    bool recordNumber = false; // MERGEREC or MERGESEQ: the column after the values holds the number
};
const std::string kIfRest = " = \"zz\" \"Y\" \"N\" ";
const std::string kIfShowsBefore = " <> \"zz\" \"Y";
const std::string kIfShowsAfter = "\" \"N\" ";

// A paragraph is literal text and fields; a template has body paragraphs, a table row of cells (each a
// paragraph) and a header paragraph.
struct Piece {
    std::string literal;
    std::optional<Field> field;
};
using Paragraph = std::vector<Piece>;
struct Template {
    std::vector<Paragraph> body;
    std::vector<Paragraph> cells;
    std::vector<Paragraph> tail; // after the table
    Paragraph header;
    bool hasHeader = false;
    Paragraph footer;
    bool hasFooter = false;
};

const std::vector<std::string> kLiteralPieces = {"Dear",
                                                 " ",
                                                 "Sir",
                                                 ",",
                                                 "\\",
                                                 "{",
                                                 "}",
                                                 "<",
                                                 ">",
                                                 "&",
                                                 "\"",
                                                 "'",
                                                 "\xC3\xA9",
                                                 "\xE2\x82\xAC",
                                                 "\xF0\x9F\x98\x80",
                                                 "\xE4\xB8\xAD",
                                                 "1",
                                                 ";",
                                                 "\t",
                                                 "\v"};

std::string RandomLiteral(Random& random) {
    std::string text;
    for (size_t i = Pick(random, 6); i > 0; --i)
        text += kLiteralPieces[Pick(random, kLiteralPieces.size())];
    return text;
}

std::string CaseChanged(Random& random, std::string name) {
    for (char& c : name) {
        if (Chance(random, 30) && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (Chance(random, 30) && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

Field RandomField(Random& random, const Records& data) {
    Field field;
    if (Chance(random, 6)) {
        field.instruction = Chance(random, 50) ? " MERGEREC " : "MERGESEQ";
        field.column = data.titles.size();
        field.recordNumber = true;
        return field;
    }
    std::string name;
    if (Chance(random, 8)) {
        name = Chance(random, 50) ? "Shoe_Size" : "N\xC3\xA4me";
    } else {
        name = CaseChanged(random, data.titles[Pick(random, data.titles.size())]);
    }
    field.column = Column(data.titles, name);
    bool quoted = name.find(' ') != std::string::npos || Chance(random, 20);
    if (!quoted) {
        for (char& c : name) {
            if (c == ' ') c = '_';
        }
    }
    field.instruction = std::string(Pick(random, 3), ' ') + "MERGEFIELD " +
                        std::string(Pick(random, 2), ' ') + (quoted ? "\"" + name + "\"" : name) +
                        (Chance(random, 40) ? " \\* MERGEFORMAT" : "");
    if (Chance(random, 20)) {
        field.before = Chance(random, 50) ? "(" : "\xC2\xAB ";
        field.instruction += " \\b \"" + field.before + "\"";
    }
    if (Chance(random, 20)) {
        field.after = Chance(random, 50) ? ")" : " \xE2\x82\xAC";
        field.instruction += " \\f \"" + field.after + "\"";
    }
    field.instruction += std::string(Pick(random, 3), ' ');
    field.inIf = Chance(random, 15);
    field.ifShows = field.inIf && Chance(random, 50);
    return field;
}

Paragraph RandomParagraph(Random& random, const Records& data) {
    Paragraph paragraph;
    for (size_t i = Pick(random, 5); i > 0; --i) {
        if (Chance(random, 50))
            paragraph.push_back({RandomLiteral(random), std::nullopt});
        else
            paragraph.push_back({"", RandomField(random, data)});
    }
    return paragraph;
}

Template RandomTemplate(Random& random, const Records& data) {
    Template document;
    for (size_t i = 1 + Pick(random, 3); i > 0; --i)
        document.body.push_back(RandomParagraph(random, data));
    if (Chance(random, 40)) {
        for (size_t i = 1 + Pick(random, 3); i > 0; --i)
            document.cells.push_back(RandomParagraph(random, data));
        document.tail.push_back(RandomParagraph(random, data));
    }
    if (Chance(random, 40)) {
        document.hasHeader = true;
        document.header = RandomParagraph(random, data);
    }
    if (Chance(random, 30)) {
        document.hasFooter = true;
        document.footer = RandomParagraph(random, data);
    }
    return document;
}

bool NamesMissingColumn(const Template& document) {
    for (const auto* paragraphs : {&document.body, &document.cells, &document.tail}) {
        for (const Paragraph& paragraph : *paragraphs) {
            for (const Piece& piece : paragraph) {
                if (piece.field && !piece.field->column) return true;
            }
        }
    }
    for (const Paragraph* part :
         {document.hasHeader ? &document.header : nullptr, document.hasFooter ? &document.footer : nullptr}) {
        for (const Piece& piece : part ? *part : Paragraph{}) {
            if (piece.field && !piece.field->column) return true;
        }
    }
    return false;
}

std::string Shown(const Paragraph& paragraph, const std::vector<std::string>& record) {
    std::string text;
    for (const Piece& piece : paragraph) {
        if (!piece.field) {
            text += piece.literal;
        } else if (piece.field->recordNumber) {
            text += record[*piece.field->column];
        } else if (piece.field->inIf) {
            // The IF compares the nested field's text, \b and \f texts included.
            const std::string& value = record[*piece.field->column];
            bool zz = !value.empty() && piece.field->before + value + piece.field->after == "zz";
            if (!piece.field->ifShows)
                text += zz ? "Y" : "N";
            else if (zz)
                text += "N";
            else
                text +=
                    "Y" + (value.empty() ? "" : piece.field->before + ShownValue(value) + piece.field->after);
        } else if (const std::string& value = record[*piece.field->column]; !value.empty()) {
            text += piece.field->before + ShownValue(value) + piece.field->after;
        }
    }
    return text;
}

// The body text of one record's copy, as the readers give it.
std::string ShownBody(const Template& document, const std::vector<std::string>& record, bool docx) {
    std::string text;
    for (const Paragraph& paragraph : document.body)
        text += Shown(paragraph, record) + "\n";
    for (const Paragraph& cell : document.cells)
        text += Shown(cell, record) + (docx ? "\n" : "");
    for (const Paragraph& paragraph : document.tail)
        text += Shown(paragraph, record) + "\n";
    return text;
}

// Cuts text at random character boundaries into one or more pieces.
std::vector<std::string> Cut(Random& random, const std::string& text) {
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < text.size(); ++i) {
        bool boundary = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (boundary && !pieces.back().empty() && Chance(random, 25)) pieces.emplace_back();
        pieces.back() += text[i];
    }
    return pieces;
}

// -- RTF

std::string RtfText(Random& random, const std::string& text) {
    std::string rtf;
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = Decode(text, pos);
        const auto unicode = [&](char32_t unit) {
            rtf += "\\u" + std::to_string(static_cast<int16_t>(unit)) + "?";
        };
        if (cp == '\\' || cp == '{' || cp == '}') {
            rtf += '\\';
            rtf += static_cast<char>(cp);
        } else if (cp == '\t') {
            rtf += "\\tab ";
        } else if (cp == '\v') {
            rtf += "\\line ";
        } else if (cp < 0x80) {
            if (Chance(random, 10) && cp > 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(cp));
                rtf += hex;
            } else {
                rtf += static_cast<char>(cp);
            }
        } else if (cp == 0xE9 && Chance(random, 50)) {
            rtf += "\\'e9";
        } else if (cp < 0x10000) {
            unicode(cp);
        } else {
            unicode(0xD800 + ((cp - 0x10000) >> 10));
            unicode(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return rtf;
}

std::string RtfGroups(Random& random, const std::string& text) {
    std::string rtf;
    for (const std::string& piece : Cut(random, text)) {
        std::string encoded = RtfText(random, piece);
        // Destinations a reader that does not know them skips, as word processors write between pieces.
        if (Chance(random, 15)) rtf += Chance(random, 50) ? "{\\*\\bkmkstart m}" : "{\\*\\xmlnstbl x}";
        switch (Pick(random, 5)) {
        case 4: {
            // Unicode characters with two fallback characters (or none) after each.
            std::string uc = Chance(random, 50) ? "\\uc2 " : "\\uc0 ";
            std::string text;
            for (size_t at = 0; at < encoded.size(); ++at) {
                text += encoded[at];
                if (encoded[at] == '?' && at > 0 && encoded.rfind("\\u", at) != std::string::npos &&
                    encoded.find_first_not_of("-0123456789", encoded.rfind("\\u", at) + 2) == at) {
                    text.pop_back();
                    text += uc == "\\uc2 " ? "\\'3f\\'3f" : " ";
                }
            }
            rtf += "{" + uc + text + "}";
            break;
        }
        case 0:
            rtf += "{" + encoded + "}";
            break;
        case 1:
            rtf += "{\\b {\\i " + encoded + "}}";
            break;
        case 2:
            rtf += "\r\n{" + encoded + "}\r\n";
            break;
        default:
            rtf += "{\\f0 " + encoded + "}";
            break;
        }
    }
    return rtf;
}

std::string RtfParagraph(Random& random, const Paragraph& paragraph) {
    std::string rtf;
    for (const Piece& piece : paragraph) {
        if (!piece.field) {
            rtf += Chance(random, 50) ? "{" + RtfText(random, piece.literal) + "}"
                                      : RtfGroups(random, piece.literal);
            continue;
        }
        std::string instruction = RtfGroups(random, piece.field->instruction);
        if (piece.field->inIf) {
            std::string nested = "{\\field{\\*\\fldinst " + instruction + "}{\\fldrslt x}}";
            instruction = "{IF }" + nested +
                          (piece.field->ifShows
                               ? RtfGroups(random, kIfShowsBefore) + nested + RtfGroups(random, kIfShowsAfter)
                               : RtfGroups(random, kIfRest));
        }
        std::string result;
        if (Chance(random, 70)) result = "{\\fldrslt {\\b \\'ab" + RtfText(random, "x") + "\\'bb}}";
        const std::vector<std::string> opening = {"{\\*\\fldinst", "{\\*\\fldinst ", "{\\fldinst ",
                                                  "\\flddirty{\\*\\fldinst ", "\\fldedit{\\*\\fldinst"};
        rtf += "{\\field" + opening[Pick(random, opening.size())] + instruction + "}" + result + "}";
    }
    return rtf;
}

std::string WriteRtf(Random& random, const Template& document) {
    std::string body = "\\sectd";
    if (document.hasHeader) body += "{\\header \\pard " + RtfParagraph(random, document.header) + "\\par}";
    if (document.hasFooter) body += "{\\footer \\pard " + RtfParagraph(random, document.footer) + "\\par}";
    body += "\\pard\\plain ";
    for (const Paragraph& paragraph : document.body)
        body += "\\pard " + RtfParagraph(random, paragraph) + "\\par\r\n";
    if (!document.cells.empty()) {
        body += "\\trowd";
        for (size_t i = 1; i <= document.cells.size(); ++i)
            body += "\\cellx" + std::to_string(2000 * i);
        for (const Paragraph& cell : document.cells)
            body += "\\pard\\intbl " + RtfParagraph(random, cell) + "\\cell ";
        body += "\\row ";
    }
    for (const Paragraph& paragraph : document.tail)
        body += "\\pard " + RtfParagraph(random, paragraph) + "\\par\r\n";
    return BuildRtf(body);
}

// -- DOCX

std::string XmlText(Random& random, const std::string& text, bool attribute) {
    std::string xml;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = pos;
        char32_t cp = Decode(text, pos);
        if (cp == '\t' || cp == '\v')
            xml += std::string("</w:t>") + (cp == '\t' ? "<w:tab/>" : "<w:br/>") +
                   "<w:t xml:space=\"preserve\">";
        else if (cp == '&')
            xml += "&amp;";
        else if (cp == '<')
            xml += "&lt;";
        else if (cp == '>')
            xml += Chance(random, 50) ? "&gt;" : ">";
        else if (cp == '"')
            xml += attribute || Chance(random, 50) ? "&quot;" : "\"";
        else if (cp == '\'')
            xml += Chance(random, 50) ? "&apos;" : "'";
        else if (cp >= 0x80 && Chance(random, 30))
            xml += "&#" + std::to_string(cp) + ";";
        else
            xml += text.substr(start, pos - start);
    }
    return xml;
}

// What word processors write between runs: proofing marks and bookmarks.
std::string BetweenRuns(Random& random) {
    if (!Chance(random, 15)) return "";
    return Chance(random, 50) ? "<w:proofErr w:type=\"spellStart\"/>"
                              : "<w:bookmarkStart w:id=\"9\" w:name=\"m\"/><w:bookmarkEnd w:id=\"9\"/>";
}

std::string DocxRuns(Random& random, const std::string& text) {
    std::string runs;
    for (const std::string& piece : Cut(random, text)) {
        runs += BetweenRuns(random);
        runs += std::string("<w:r>") + (Chance(random, 30) ? "<w:rPr><w:b/></w:rPr>" : "") +
                "<w:t xml:space=\"preserve\">" + XmlText(random, piece, false) + "</w:t></w:r>";
    }
    return runs;
}

// Runs inside the elements that word processors wrap them in: smart tags, tracked insertions, custom XML.
std::string Wrapped(Random& random, const std::string& runs) {
    switch (Pick(random, 8)) {
    case 0:
        return "<w:smartTag w:uri=\"urn:x\" w:element=\"place\">" + runs + "</w:smartTag>";
    case 1:
        return "<w:ins w:id=\"5\" w:author=\"a\" w:date=\"2020-01-01T00:00:00Z\">" + runs + "</w:ins>";
    case 2:
        return "<w:customXml w:element=\"c\">" + runs + "</w:customXml>";
    default:
        return runs;
    }
}

// The paragraph's runs alone (for a header part), a paragraph, or one that may be in a content control
// (not the last of a copy, which would need a paragraph after it for the copy's section break).
enum class Form { Runs, Paragraph, Block };

std::string DocxParagraph(Random& random, const Paragraph& paragraph, Form form) {
    std::string xml = form != Form::Runs && Chance(random, 30)
                          ? "<w:p><w:pPr><w:pStyle w:val=\"Greeting\"/></w:pPr>"
                          : "<w:p>";
    for (const Piece& piece : paragraph) {
        if (!piece.field) {
            xml += Wrapped(random, DocxRuns(random, piece.literal));
            continue;
        }
        if (!piece.field->inIf && Chance(random, 20)) {
            xml +=
                Wrapped(random, "<w:fldSimple w:instr=\"" + XmlText(random, piece.field->instruction, true) +
                                    "\"><w:r><w:t>x</w:t></w:r></w:fldSimple>");
            continue;
        }
        if (!piece.field->inIf && Chance(random, 30)) {
            xml += "<w:fldSimple w:instr=\"" + XmlText(random, piece.field->instruction, true) +
                   "\"><w:r><w:t>\xC2\xAB"
                   "x\xC2\xBB</w:t></w:r></w:fldSimple>";
            continue;
        }
        const std::string begin = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
        const auto instruction = [&](const std::string& text) {
            std::string runs;
            for (const std::string& cut : Cut(random, text))
                runs += BetweenRuns(random) + "<w:r><w:instrText xml:space=\"preserve\">" +
                        XmlText(random, cut, false) + "</w:instrText></w:r>";
            return runs;
        };
        xml += begin;
        if (piece.field->inIf) {
            const std::string nested =
                begin + instruction(piece.field->instruction) +
                "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:instrText>x</w:instrText></w:r>"
                "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
            xml += instruction("IF ") + nested +
                   (piece.field->ifShows ? instruction(kIfShowsBefore) + nested + instruction(kIfShowsAfter)
                                         : instruction(kIfRest));
        } else {
            xml += instruction(piece.field->instruction);
        }
        if (Chance(random, 70)) {
            xml += "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>\xC2\xAB"
                   "x\xC2\xBB</w:t></w:r>";
        }
        xml += "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    }
    if (form == Form::Block && Chance(random, 10))
        return "<w:sdt><w:sdtPr/><w:sdtContent>" + xml + "</w:p></w:sdtContent></w:sdt>";
    return xml + "</w:p>";
}

std::string WriteDocx(Random& random, const Template& document) {
    DocxTemplate docx;
    for (size_t i = 0; i < document.body.size(); ++i) {
        bool last = i + 1 == document.body.size() && document.tail.empty();
        docx.body += DocxParagraph(random, document.body[i], last ? Form::Paragraph : Form::Block);
    }
    if (!document.cells.empty()) {
        docx.body += "<w:tbl><w:tr>";
        for (const Paragraph& cell : document.cells)
            docx.body += "<w:tc>" + DocxParagraph(random, cell, Form::Block) + "</w:tc>";
        docx.body += "</w:tr></w:tbl>";
    }
    for (const Paragraph& paragraph : document.tail)
        docx.body += DocxParagraph(random, paragraph, Form::Paragraph);
    if (document.hasHeader) {
        // The header part holds the runs of one paragraph.
        std::string paragraph = DocxParagraph(random, document.header, Form::Runs);
        docx.headerText = "<w:r><w:t></w:t></w:r>" + paragraph.substr(5, paragraph.size() - 11);
    }
    if (document.hasFooter) {
        std::string paragraph = DocxParagraph(random, document.footer, Form::Runs);
        docx.footerText = "<w:r><w:t></w:t></w:r>" + paragraph.substr(5, paragraph.size() - 11);
    }
    return BuildDocx(docx);
}

// ---- Checks of a merged document's form

// Group braces balance and the document is one group (escaped braces and backslashes aside).
void ExpectBalancedRtf(const std::string& rtf) {
    long depth = 0;
    bool closed = false;
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            // \binN takes the N bytes after it as data, braces and all.
            if (rtf.compare(i + 1, 3, "bin") == 0) {
                size_t end = i + 4;
                while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end])))
                    ++end;
                if (end > i + 4) {
                    size_t length = std::stoul(rtf.substr(i + 4, end - i - 4));
                    i = end + (end < rtf.size() && rtf[end] == ' ' ? 1 : 0) + length - 1;
                    continue;
                }
            }
            ++i;
        } else if (rtf[i] == '{') {
            ASSERT_FALSE(closed) << "text after the document's group";
            ++depth;
        } else if (rtf[i] == '}') {
            --depth;
            ASSERT_GE(depth, 0);
            if (depth == 0) closed = true;
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_TRUE(closed);
}

// A zip that the zip library opens, whose entries all read and whose XML parts parse.
void ExpectWellFormedDocx(const std::string& docx) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(docx.data(), docx.size(), 0, &error);
    ASSERT_NE(source, nullptr);
    zip_t* archive = zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error);
    if (!archive) zip_source_free(source);
    ASSERT_NE(archive, nullptr) << zip_error_strerror(&error);
    bool document = false;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        std::string name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(name.find(".."), std::string::npos) << name;
        zip_stat_t stat;
        ASSERT_EQ(zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat), 0);
        std::string content(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(zip_fread(file, content.data(), content.size()), static_cast<zip_int64_t>(content.size()));
        zip_fclose(file);
        if (name.ends_with(".xml") || name.ends_with(".rels")) {
            pugi::xml_document xml;
            EXPECT_TRUE(xml.load_buffer(content.data(), content.size())) << name;
        }
        if (name == "word/document.xml") document = true;
    }
    EXPECT_TRUE(document);
    zip_close(archive);
}

// Merges data into a template: the merged bytes, or nothing when the merge reported an AutomationError.
std::string& LastError() {
    static std::string error;
    return error;
}

std::optional<std::string> TryMerge(const std::string& bytes, bool docx, const std::string& dataFile) {
    try {
        std::unique_ptr<MainDocument> main = docx ? ReadDocxMainDocument(bytes) : ReadRtfMainDocument(bytes);
        return main->Merge(Data(dataFile, "data")).Join();
    } catch (const AutomationError& e) {
        LastError() = e.what();
        return std::nullopt;
    }
}

void CheckRandomMerge(Random& random, bool docx) {
    Records data = RandomData(random);
    Template document = RandomTemplate(random, data);
    std::string bytes = docx ? WriteDocx(random, document) : WriteRtf(random, document);
    SCOPED_TRACE(bytes);
    SCOPED_TRACE(data.file);
    std::string fields;
    for (const auto* paragraphs : {&document.body, &document.cells, &document.tail}) {
        for (const Paragraph& paragraph : *paragraphs) {
            for (const Piece& piece : paragraph) {
                if (piece.field) fields += (piece.field->inIf ? "IF " : "") + piece.field->instruction + "|";
            }
        }
    }
    SCOPED_TRACE("fields: " + fields);
    std::optional<std::string> merged = TryMerge(bytes, docx, data.file);
    if (NamesMissingColumn(document)) {
        EXPECT_FALSE(merged) << "merged with a field naming no column";
        return;
    }
    ASSERT_TRUE(merged) << "the merge failed: " << LastError();
    if (docx)
        ExpectWellFormedDocx(*merged);
    else
        ExpectBalancedRtf(*merged);
    DocumentContent content = docx ? ReadDocxContent(*merged) : ReadRtfContent(*merged);
    std::vector<std::string> pages;
    for (const auto& record : data.records)
        pages.push_back(ShownBody(document, record, docx));
    EXPECT_EQ(Pages(content.text), pages);
    EXPECT_TRUE(content.fields.empty());
    if (document.hasHeader || document.hasFooter) {
        // Each copy has its own header and footer, with the values of its record.
        std::vector<std::vector<std::string>> parts;
        for (const auto& record : data.records) {
            parts.emplace_back();
            if (document.hasHeader) parts.back().push_back(Shown(document.header, record) + "\n");
            if (document.hasFooter) parts.back().push_back(Shown(document.footer, record) + "\n");
        }
        if (docx) {
            EXPECT_EQ(content.sections, parts);
        } else {
            std::vector<std::string> flat;
            for (const auto& copy : parts)
                flat.insert(flat.end(), copy.begin(), copy.end());
            EXPECT_EQ(content.headersAndFooters, flat);
        }
    }
}

TEST(RandomMerge, RtfTemplatesShowTheRecordsValues) {
    Random random(20261210);
    for (int i = 0; i < 600; ++i) {
        SCOPED_TRACE(i);
        CheckRandomMerge(random, false);
        if (HasFatalFailure()) return;
    }
}

TEST(RandomMerge, DocxTemplatesShowTheRecordsValues) {
    Random random(1210);
    for (int i = 0; i < 600; ++i) {
        SCOPED_TRACE(i);
        CheckRandomMerge(random, true);
        if (HasFatalFailure()) return;
    }
}

// ---- Damaged templates: an AutomationError, or a merge whose output is still well formed

void CheckDamaged(const std::string& bytes, bool docx, const std::string& dataFile) {
    std::optional<std::string> merged;
    try {
        merged = TryMerge(bytes, docx, dataFile);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not an AutomationError: " << e.what();
        return;
    }
    if (!merged) return;
    if (docx)
        ExpectWellFormedDocx(*merged);
    else
        ExpectBalancedRtf(*merged);
}

TEST(RandomMerge, DamagedTemplatesFailCleanly) {
    Random random(77);
    for (int i = 0; i < 600; ++i) {
        SCOPED_TRACE(i);
        bool docx = i % 2 == 1;
        Records data = RandomData(random);
        Template document = RandomTemplate(random, data);
        std::string bytes = docx ? WriteDocx(random, document) : WriteRtf(random, document);
        std::string damaged = bytes;
        switch (Pick(random, 4)) {
        case 0:
            damaged.resize(Pick(random, bytes.size()));
            break;
        case 1:
            for (size_t n = 1 + Pick(random, 8); n > 0; --n)
                damaged[Pick(random, damaged.size())] = static_cast<char>(Pick(random, 256));
            break;
        case 2:
            if (docx) {
                // Bad XML in any part, or relationships to parts that are not there or outside.
                Package package = Package::Read(bytes);
                std::vector<std::string> names = package.Names();
                std::string name = names[Pick(random, names.size())];
                std::string part = *package.Find(name);
                if (name.ends_with(".rels") && Chance(random, 50)) {
                    const std::vector<std::string> targets = {
                        "missing.xml",       "../../../etc/hosts",     "/word/document.xml", "",
                        "document.xml.rels", "_rels/document.xml.rels"};
                    size_t at = part.find("Target=\"");
                    if (at != std::string::npos)
                        part.replace(at + 8, part.find('"', at + 8) - at - 8,
                                     targets[Pick(random, targets.size())]);
                } else {
                    part.erase(Pick(random, part.size()), 1 + Pick(random, 20));
                }
                package.Set(name, part);
                damaged = package.Write();
            } else {
                size_t at = damaged.find(Chance(random, 50) ? '}' : '{', Pick(random, damaged.size()));
                if (at != std::string::npos) damaged.erase(at, 1);
            }
            break;
        default:
            if (docx) {
                Package package = Package::Read(bytes);
                const std::vector<std::string> names = {"../evil.xml", "word/../../evil.xml", "/abs.xml",
                                                        "word/..", "..\\evil.xml"};
                package.Set(names[Pick(random, names.size())], "<x/>");
                damaged = package.Write();
            } else {
                // Unbalanced groups, a lone backslash, out-of-range numbers and fallback counts that run
                // past their group or the document.
                const std::vector<std::string> inserts = {
                    "{",   "\\",        "\\uc1000000 \\u233?", "\\u-99999 ",    "\\uc-5 x",
                    "\\'", "\\bin5 ab", "\\uc2\\u233\\'",      "{\\*\\fldinst "};
                damaged.insert(Pick(random, damaged.size()), inserts[Pick(random, inserts.size())]);
            }
            break;
        }
        CheckDamaged(damaged, docx, data.file);
    }
}

} // namespace
} // namespace word::test
