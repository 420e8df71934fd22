// Seeded random descriptions built by the nsfadmin program itself (a child process, bounded in time) and
// read back through the store: every document's items (name, flags, type, value bytes) are the ones the
// description gives, worked out here from the JSON text alone; responses name their parents; each view read
// whole from its stored index gives what the same view note, kept in a database of its own, makes in memory
// over the same documents; and `dump` and `view` agree. Hostile descriptions fail with one line naming the
// file, a non-zero exit and the data folder byte for byte as it was.
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"
#include "program_run.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace nsfadmin {
namespace {

using namespace nnotes;

// An item as the description gives it and as the store must hold it.
struct ExpectedItem {
    std::string name;
    uint16_t type = TYPE_TEXT;
    std::string bytes; // after the type word
};

struct ExpectedDocument {
    std::vector<ExpectedItem> items;
    std::optional<size_t> parent;
};

void PutU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutDouble(std::string& out, double d) {
    const uint64_t bits = std::bit_cast<uint64_t>(d);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void PutUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

size_t Utf8Length(uint32_t cp) {
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Writes descriptions and keeps what they describe.
class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }

    uint32_t CodePoint(bool allowNul) {
        static constexpr uint32_t kWide[] = {0xE9,   0xDF,   0x7FF,  0x800,   0x4E2D,  0xFFFD,
                                             0xE000, 0xFFFF, 0x20AC, 0x1F600, 0x10000, 0x10FFFF};
        switch (Below(10)) {
        case 0:
            return allowNul && Chance(30) ? 0 : 1 + static_cast<uint32_t>(Below(0x1F));
        case 1:
        case 2:
            return kWide[Below(std::size(kWide))];
        case 3:
            return "\"\\/~|$"[Below(6)];
        default:
            return 0x20 + static_cast<uint32_t>(Below(0x5F));
        }
    }

    // A JSON string of code points, each written raw or escaped as the chance falls.
    std::string Quoted(const std::vector<uint32_t>& cps) {
        std::string out = "\"";
        for (uint32_t cp : cps) {
            const bool escape = cp < 0x20 || cp == '"' || cp == '\\' || Chance(15);
            if (!escape) {
                PutUtf8(out, cp);
                continue;
            }
            static const std::map<uint32_t, const char*> kShort = {
                {'"', "\\\""}, {'\\', "\\\\"}, {'/', "\\/"},  {'\b', "\\b"},
                {'\f', "\\f"}, {'\n', "\\n"},  {'\r', "\\r"}, {'\t', "\\t"}};
            const auto s = kShort.find(cp);
            if (s != kShort.end() && (Chance(70) || cp == '"' || cp == '\\')) {
                out += s->second;
                continue;
            }
            char buf[16];
            if (cp < 0x10000) {
                std::snprintf(buf, sizeof buf, Chance(50) ? "\\u%04x" : "\\u%04X", cp);
            } else {
                const uint32_t v = cp - 0x10000;
                std::snprintf(buf, sizeof buf, "\\u%04X\\u%04x", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
            }
            out += buf;
        }
        return out + "\"";
    }

    // A random text of up to maxBytes bytes, as JSON and as its bytes.
    std::pair<std::string, std::string> Text(size_t maxBytes, bool allowNul = true) {
        std::vector<uint32_t> cps;
        std::string bytes;
        const size_t target = Below(maxBytes + 1);
        while (true) {
            const uint32_t cp = CodePoint(allowNul);
            if (bytes.size() + Utf8Length(cp) > target) break;
            PutUtf8(bytes, cp);
            cps.push_back(cp);
        }
        return {Quoted(cps), bytes};
    }

    // A long text, near the most an item or list entry holds.
    std::pair<std::string, std::string> LongText(size_t bytes) {
        std::string text(bytes, 'x');
        for (size_t i = 0; i < bytes; i += 97)
            text[i] = static_cast<char>('a' + Below(26));
        return {"\"" + text + "\"", text};
    }

    // A number as JSON and as the double it stands for (read by the C library, correctly rounded).
    std::pair<std::string, double> Number() {
        static const char* kEdges[] = {"0",
                                       "-1",
                                       "1.5",
                                       "-0.0",
                                       "0.1",
                                       "1e300",
                                       "-1.7976931348623157e308",
                                       "1.7976931348623157e+308",
                                       "5e-324",
                                       "2.2250738585072014E-308",
                                       "9007199254740993",
                                       "-9223372036854775808",
                                       "9223372036854775807",
                                       "18446744073709551615",
                                       "18446744073709551616",
                                       "123456789012345678901234567890",
                                       "-123456.789e-3",
                                       "3.141592653589793238462643383279",
                                       "1E2",
                                       "0.30000000000000004"};
        std::string text;
        switch (Below(4)) {
        case 0:
            text = kEdges[Below(std::size(kEdges))];
            break;
        case 1:
            text = std::to_string(static_cast<int64_t>(Below(2000000)) - 1000000);
            break;
        case 2: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g",
                          std::uniform_real_distribution<double>(-1e6, 1e6)(rng_) *
                              std::pow(10.0, static_cast<double>(Below(40)) - 20));
            text = buf;
            break;
        }
        default:
            text = std::to_string(Below(100));
        }
        return {text, std::strtod(text.c_str(), nullptr)};
    }

    std::string TimeText() {
        char buf[64];
        const int year = 1900 + static_cast<int>(Below(200)), month = 1 + static_cast<int>(Below(12)),
                  day = 1 + static_cast<int>(Below(28)), hour = static_cast<int>(Below(24)),
                  minute = static_cast<int>(Below(60)), second = static_cast<int>(Below(60));
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                      second);
        std::string text = buf;
        if (Chance(30)) text += "." + std::to_string(Below(100) + 100).substr(1);
        switch (Below(3)) {
        case 0:
            text += "Z";
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "%c%02d:%02d", Chance(50) ? '+' : '-', static_cast<int>(Below(14)),
                          Chance(50) ? 0 : 30);
            text += buf;
            break;
        default:
            break; // local time
        }
        return text;
    }

    // The stored bytes of a time, as the store reads its text.
    static std::string TimeBytes(const std::string& text) {
        Instant t{};
        EXPECT_EQ(ConvertTextToTime(nullptr, nullptr, text.c_str(), static_cast<uint16_t>(text.size()), &t),
                  NOERROR)
            << text;
        std::string out;
        PutU32(out, t.words[0]);
        PutU32(out, t.words[1]);
        return out;
    }

    // An item value of a random kind: its JSON and the item it must make.
    std::string Value(ExpectedItem& item, bool viewed) {
        const size_t kind = Below(12);
        if (kind <= 2) {
            auto [json, bytes] = Chance(viewed ? 1 : 2) ? LongText(40000 + Below(25000)) : Text(40);
            item.type = TYPE_TEXT;
            item.bytes = bytes;
            return json;
        }
        if (kind <= 4) {
            const size_t n = Chance(10) ? 0 : 1 + Below(6);
            std::string json = "[", lengths, texts;
            for (size_t i = 0; i < n; ++i) {
                auto [j, b] = Chance(1) && !viewed ? LongText(30000) : Text(20);
                json += (i ? ", " : "") + j;
                PutU16(lengths, static_cast<uint16_t>(b.size()));
                texts += b;
            }
            item.type = TYPE_TEXT_LIST;
            item.bytes.clear();
            PutU16(item.bytes, static_cast<uint16_t>(n));
            item.bytes += lengths + texts;
            return json + "]";
        }
        if (kind <= 6) {
            auto [json, d] = Number();
            item.type = TYPE_NUMBER;
            item.bytes.clear();
            PutDouble(item.bytes, d);
            return json;
        }
        if (kind <= 8) {
            const size_t n = 1 + Below(6);
            std::string json = "[";
            item.type = TYPE_NUMBER_RANGE;
            item.bytes.clear();
            PutU16(item.bytes, static_cast<uint16_t>(n));
            PutU16(item.bytes, 0);
            for (size_t i = 0; i < n; ++i) {
                auto [j, d] = Number();
                json += (i ? ", " : "") + j;
                PutDouble(item.bytes, d);
            }
            return json + "]";
        }
        if (kind <= 10) {
            const std::string text = TimeText();
            item.type = TYPE_TIME;
            item.bytes = TimeBytes(text);
            return R"({"datetime": ")" + text + "\"}";
        }
        const size_t n = 1 + Below(4);
        std::string json = "[";
        item.type = TYPE_TIME_RANGE;
        item.bytes.clear();
        PutU16(item.bytes, static_cast<uint16_t>(n));
        PutU16(item.bytes, 0);
        for (size_t i = 0; i < n; ++i) {
            const std::string text = TimeText();
            json += std::string(i ? ", " : "") + R"({"datetime": ")" + text + "\"}";
            item.bytes += TimeBytes(text);
        }
        return json + "]";
    }

    // A name of 1 to 31 bytes, not yet used in the document without regard to ASCII case.
    std::string Name(std::set<std::string>& used, std::string& json) {
        while (true) {
            std::vector<uint32_t> cps;
            std::string bytes;
            const size_t target = Chance(15) ? 31 : 1 + Below(31);
            while (bytes.size() < target) {
                uint32_t cp = CodePoint(false);
                if (bytes.size() + Utf8Length(cp) > target) cp = 'a' + static_cast<uint32_t>(Below(26));
                PutUtf8(bytes, cp);
                cps.push_back(cp);
            }
            std::string folded = bytes;
            for (char& c : folded)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (folded == "$parent" || folded == "$ref" || !used.insert(folded).second) continue;
            json = Quoted(cps);
            return bytes;
        }
    }

    // The items that views show, given to most documents.
    static constexpr const char* kShown[] = {"Form", "Subject", "N", "Tags", "When"};

    std::string Document(size_t index, ExpectedDocument& doc) {
        std::vector<std::string> members;
        std::set<std::string> used;
        for (const char* shown : kShown) {
            if (Chance(25)) continue;
            std::string folded = shown;
            for (char& c : folded)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            used.insert(folded);
            ExpectedItem item{shown, TYPE_TEXT, {}};
            std::string json;
            if (std::string(shown) == "Form" && Chance(80)) {
                const std::string form = Chance(50) ? "A" : "B";
                json = "\"" + form + "\"";
                item.bytes = form;
            } else {
                json = Value(item, true);
            }
            members.push_back("\"" + item.name + "\": " + json);
            doc.items.push_back(std::move(item));
        }
        for (size_t i = 0, n = Below(6); i < n; ++i) {
            ExpectedItem item;
            std::string nameJson;
            item.name = Name(used, nameJson);
            members.push_back(nameJson + ": " + Value(item, false));
            doc.items.push_back(std::move(item));
        }
        // Responses, and responses to responses: to a document not long before, or any earlier one.
        if (index > 0 && Chance(35)) {
            doc.parent = Chance(70) ? index - 1 - Below(std::min<size_t>(index, 5)) : Below(index);
            // "$Parent" stands anywhere among the items; the items keep their order.
            members.insert(members.begin() + static_cast<std::ptrdiff_t>(Below(members.size() + 1)),
                           "\"$Parent\": " + std::to_string(*doc.parent));
        }
        std::string json = "{";
        for (size_t i = 0; i < members.size(); ++i)
            json += (i ? ", " : "") + members[i];
        return json + "}";
    }

    std::string Column() {
        std::string json = "{";
        const auto add = [&](const std::string& member) { json += (json.size() > 1 ? ", " : "") + member; };
        if (Chance(60)) add(R"("title": )" + Text(12, false).first);
        switch (Below(5)) {
        case 0:
            add(R"("formula": "Subject + \"!\"")");
            break;
        case 1:
            add(R"("constant": "c")");
            break;
        default:
            add(std::string(R"("item": ")") + kShown[Below(std::size(kShown))] + "\"");
        }
        for (const char* flag : {"sorted", "descending", "categorised", "hidden", "response", "totals"})
            if (Chance(20)) add("\"" + std::string(flag) + "\": " + (Chance(85) ? "true" : "false"));
        return json + "}";
    }

    std::string View(size_t index) {
        std::string json = R"({"name": "View )" + std::to_string(index) + "\"";
        if (Chance(40)) json += R"(, "alias": "v)" + std::to_string(index) + "\"";
        static const char* kSelections[] = {R"(SELECT Form = \"A\")", R"(SELECT Form = \"B\" | N > 10)",
                                            R"(SELECT @IsResponseDoc | Form = \"A\")", "SELECT N < 0"};
        if (Chance(60))
            json += std::string(R"(, "selection": ")") + kSelections[Below(std::size(kSelections))] + "\"";
        if (Chance(90)) {
            json += R"(, "columns": [)";
            for (size_t i = 0, n = Below(5); i < n; ++i)
                json += (i ? ", " : "") + Column();
            json += "]";
        }
        return json + "}";
    }

    // A title: a random text without NULs or line feeds, which the title may not hold.
    std::string Title() {
        std::vector<uint32_t> cps;
        for (size_t i = 0, n = Below(20); i < n; ++i)
            if (const uint32_t cp = CodePoint(false); cp != '\n') cps.push_back(cp);
        return Quoted(cps);
    }

    // A whole description of count documents and a few views.
    std::string Description(const std::string& path, size_t count, std::vector<ExpectedDocument>& docs) {
        std::string views = "[";
        for (size_t i = 0, n = 1 + Below(4); i < n; ++i)
            views += (i ? ", " : "") + View(i);
        views += "]";
        std::string documents = "[";
        for (size_t i = 0; i < count; ++i) {
            docs.emplace_back();
            documents += (i ? ",\n" : "") + Document(i, docs.back());
        }
        documents += "]";
        const std::string head = R"("path": ")" + path + R"(", "title": )" + Title();
        if (Chance(50)) return "{" + head + R"(, "views": )" + views + R"(, "documents": )" + documents + "}";
        return R"({"documents": )" + documents + R"(, "views": )" + views + ", " + head + "}";
    }

private:
    std::mt19937 rng_;
};

class RandomBuild : public ::testing::Test {
protected:
    // Runs the nsfadmin program (beside this test program) with the arguments, each quoted for the shell.
    Outcome Run(const std::vector<std::string>& arguments) {
        std::string quoted;
        for (const auto& a : arguments)
            quoted += " '" + a + "'";
        return RunProgram(quoted, area_.Root() + "/stderr.txt");
    }

    std::string Write(const std::string& name, const std::string& text) {
        return WriteFile(area_.Root(), name, text);
    }

    // Every file of the data folder and its bytes.
    std::map<std::string, std::string> DataBytes() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(area_.DataDirectory())) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().string()].assign(std::istreambuf_iterator<char>(in), {});
        }
        return files;
    }

    testsupport::TestArea area_;
};

std::vector<NOTEID> NoteIds(DBHANDLE db, uint16_t noteClass) {
    std::vector<NOTEID> ids;
    DHANDLE table = NULLHANDLE;
    if (GetModifiedNoteTable(db, noteClass, nullptr, nullptr, &table) != NOERROR) return ids;
    NOTEID id = 0;
    for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false)
        ids.push_back(id);
    DestroyIDTable(table);
    return ids;
}

struct StoredItem {
    std::string name;
    uint16_t flags = 0, type = 0;
    std::string bytes;
};

std::vector<StoredItem> Items(NOTEHANDLE note) {
    std::vector<StoredItem> items;
    BLOCKID item{}, value{};
    uint16_t type = 0;
    uint32_t length = 0;
    for (STATUS s = FindItemByName(note, nullptr, 0, &item, &type, &value, &length); s == NOERROR;
         s = FindNextItemByName(note, nullptr, 0, item, &item, &type, &value, &length)) {
        StoredItem stored;
        char name[MAXITEMNAME + 1];
        uint16_t nameLength = 0;
        EXPECT_EQ(QueryItemByBlock(note, item, name, sizeof name, &nameLength, &stored.flags, nullptr,
                                   nullptr, nullptr),
                  NOERROR);
        stored.name.assign(name, std::min<size_t>(nameLength, MAXITEMNAME));
        stored.type = type;
        const char* base = static_cast<const char*>(LockBlock(value.pool));
        if (base != nullptr && length >= 2) stored.bytes.assign(base + value.block + 2, length - 2);
        if (base != nullptr) UnlockBlock(value.pool);
        items.push_back(std::move(stored));
    }
    return items;
}

// Every entry of a collection read whole, in as many reads as its buffer needs.
std::string ReadWhole(HCOLLECTION collection, uint32_t* entries) {
    CollectionPosition position{};
    std::string all;
    *entries = 0;
    for (uint16_t signal = SIGNAL_MORE_TO_DO; signal & SIGNAL_MORE_TO_DO;) {
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0;
        uint32_t returned = 0;
        signal = 0;
        const STATUS s = ReadEntries(collection, &position, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFFFFFF,
                                     READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDEXSIBLINGS |
                                         READ_MASK_INDEXCHILDREN | READ_MASK_INDEXDESCENDANTS |
                                         READ_MASK_INDENTLEVELS | READ_MASK_INDEXPEER | READ_MASK_SUMMARY,
                                     &buffer, &length, nullptr, &returned, &signal);
        if (ERR(s) == ERR_NOT_FOUND) break;
        EXPECT_EQ(s, NOERROR);
        if (s != NOERROR) break;
        *entries += returned;
        if (buffer == NULLHANDLE) break;
        const char* bytes = static_cast<const char*>(LockBlock(buffer));
        all.append(bytes, length);
        UnlockBlock(buffer);
        FreeBlock(buffer);
    }
    return all;
}

// Checks a built database against its description: the documents item by item, the responses' parents,
// every view read whole against the same view made in memory, and the program's dump and view listings.
void CheckBuilt(RandomBuild* test, const std::string& path, const std::vector<ExpectedDocument>& docs,
                const std::function<Outcome(const std::vector<std::string>&)>& run) {
    std::vector<NOTEID> ids;
    std::vector<std::pair<std::string, uint32_t>> views; // name, entries read
    {
        ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
        DBHANDLE db = 0;
        ASSERT_EQ(OpenDatabase(path.c_str(), &db), NOERROR);
        ids = NoteIds(db, NOTE_CLASS_DOCUMENT);
        EXPECT_EQ(ids.size(), docs.size());
        std::vector<ORIGINATORID> oids(ids.size());
        for (size_t i = 0; i < ids.size() && i < docs.size(); ++i) {
            SCOPED_TRACE("document " + std::to_string(i));
            NOTEHANDLE note = 0;
            ASSERT_EQ(OpenNote(db, ids[i], 0, &note), NOERROR);
            ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_OID, &oids[i]), NOERROR);
            NOTEID parent = 0;
            ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_PARENT_NOTEID, &parent), NOERROR);
            EXPECT_EQ(parent, docs[i].parent ? ids[*docs[i].parent] : 0);
            std::vector<StoredItem> items = Items(note);
            CloseNote(note);
            if (docs[i].parent) {
                // The parent reference comes last: one universal id, the parent's.
                ASSERT_FALSE(items.empty());
                EXPECT_EQ(items.back().name, FIELD_REF);
                EXPECT_EQ(items.back().type, TYPE_NOTEREF_LIST);
                std::string ref;
                PutU16(ref, 1);
                const ORIGINATORID& p = oids[*docs[i].parent];
                for (uint32_t w : {p.file.words[0], p.file.words[1], p.note.words[0], p.note.words[1]})
                    PutU32(ref, w);
                EXPECT_EQ(items.back().bytes, ref);
                items.pop_back();
            }
            ASSERT_EQ(items.size(), docs[i].items.size());
            for (size_t k = 0; k < items.size(); ++k) {
                const ExpectedItem& e = docs[i].items[k];
                EXPECT_EQ(items[k].name, e.name) << k;
                EXPECT_EQ(items[k].flags, ITEM_SUMMARY) << e.name;
                EXPECT_EQ(items[k].type, e.type) << e.name;
                EXPECT_TRUE(items[k].bytes == e.bytes) << e.name;
            }
        }

        // Each view from its stored index, and the same view note kept apart, so that its collection is
        // made in memory over the same documents.
        DBHANDLE apart = 0;
        ASSERT_EQ(CreateDatabase((path + ".apart").c_str(), 0, true, 0, 0, 0), NOERROR);
        ASSERT_EQ(OpenDatabase((path + ".apart").c_str(), &apart), NOERROR);
        for (NOTEID viewId : NoteIds(db, NOTE_CLASS_VIEW)) {
            NOTEHANDLE view = 0, copy = 0;
            ASSERT_EQ(OpenNote(db, viewId, 0, &view), NOERROR);
            ASSERT_EQ(CreateNote(apart, &copy), NOERROR);
            const uint16_t viewClass = NOTE_CLASS_VIEW;
            ASSERT_EQ(SetNoteInfo(copy, NOTE_INFO_CLASS, &viewClass), NOERROR);
            BLOCKID item{};
            for (STATUS s = FindItemByName(view, nullptr, 0, &item, nullptr, nullptr, nullptr); s == NOERROR;
                 s = FindNextItemByName(view, nullptr, 0, item, &item, nullptr, nullptr, nullptr))
                ASSERT_EQ(CopyItemToNote(item, copy, nullptr), NOERROR);
            char title[256] = {};
            GetItemText(view, FIELD_TITLE, title, sizeof title, nullptr);
            ASSERT_EQ(UpdateNote(copy, 0), NOERROR);
            NOTEID apartId = 0;
            ASSERT_EQ(GetNoteInfo(copy, NOTE_INFO_ID, &apartId), NOERROR);
            CloseNote(copy);
            CloseNote(view);
            HCOLLECTION stored = 0, inMemory = 0;
            ASSERT_EQ(OpenCollection(db, db, viewId, 0, NULLHANDLE, &stored), NOERROR);
            ASSERT_EQ(OpenCollection(apart, db, apartId, 0, NULLHANDLE, &inMemory), NOERROR);
            uint32_t storedEntries = 0, memoryEntries = 0;
            const std::string a = ReadWhole(stored, &storedEntries), b = ReadWhole(inMemory, &memoryEntries);
            EXPECT_EQ(storedEntries, memoryEntries) << title;
            EXPECT_TRUE(a == b) << title;
            CloseCollection(stored);
            CloseCollection(inMemory);
            std::string name = title;
            views.emplace_back(name.substr(0, name.find('|')), storedEntries);
        }
        CloseDatabase(apart);
        CloseDatabase(db);
        TermProcess();
    }

    // The program's own listings say the same.
    const Outcome dump = run({"dump", path});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    std::istringstream lines(dump.out);
    size_t i = 0;
    for (std::string line; std::getline(lines, line); ++i) {
        const auto j = nlohmann::ordered_json::parse(line, nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << line.substr(0, 200);
        ASSERT_LT(i, docs.size());
        EXPECT_EQ(j["noteid"], ids[i]);
        std::vector<std::string> names;
        for (const auto& [name, value] : j["items"].items()) {
            names.push_back(name);
            (void)value;
        }
        std::vector<std::string> expected;
        for (const auto& item : docs[i].items)
            expected.push_back(item.name);
        EXPECT_EQ(names, expected) << "document " << i;
    }
    EXPECT_EQ(i, docs.size());
    for (const auto& [name, entries] : views) {
        const Outcome listed = run({"view", path, name});
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_EQ(static_cast<uint32_t>(std::count(listed.out.begin(), listed.out.end(), '\n')), entries)
            << name;
    }
    (void)test;
}

TEST_F(RandomBuild, RandomDescriptionsBuildTheDocumentsAndViewsTheyDescribe) {
    const auto run = [this](const std::vector<std::string>& a) { return Run(a); };
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Generator g(seed);
        std::vector<ExpectedDocument> docs;
        const std::string path = "r" + std::to_string(seed) + ".nsf";
        ASSERT_EQ(InitProcess(0, nullptr), NOERROR); // times are read by the store's conversion
        const std::string json = g.Description(path, 300 + g.Below(300), docs);
        TermProcess();
        const std::string file = Write("r" + std::to_string(seed) + ".json", json);
        const Outcome built = Run({"build", file});
        ASSERT_EQ(built.exitCode, 0) << built.err;
        EXPECT_EQ(built.err, "");
        CheckBuilt(this, path, docs, run);
        if (HasFatalFailure()) return;
    }
}

// Descriptions that must be refused: each fails alone (the program goes on with the next file), with one
// line that names its file, and leaves the data folder byte for byte as it was, the database of the same
// path included.
TEST_F(RandomBuild, HostileDescriptionsFailCleanlyAndLeaveTheDataFolderAsItWas) {
    const std::string good =
        Write("good.json", R"({"path": "h.nsf", "title": "Kept", "views": [{"name": "V"}],
        "documents": [{"Form": "A", "Subject": "kept"}, {"Subject": "re", "$Parent": 0}]})");
    ASSERT_EQ(Run({"build", good}).exitCode, 0);
    std::ofstream(area_.DataDirectory() + "/foreign.nsf", std::ios::binary) << "kept by hand, not a database";
    const auto before = DataBytes();

    std::vector<std::string> cases = {
        // Wrong types.
        R"({"path": 1})",
        R"({"path": "h.nsf", "title": []})",
        R"({"path": "h.nsf", "views": {}})",
        R"({"path": "h.nsf", "documents": {}})",
        R"({"path": "h.nsf", "documents": [[1, 2]]})",
        R"({"path": "h.nsf", "documents": [null]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": "0"}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": -1}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": 0.5}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": 0.0}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": true}]})",
        R"({"path": "h.nsf", "documents": [{"A": {"datetime": 5}}]})",
        R"({"path": "h.nsf", "documents": [{"A": {"datetime": "2020-01-01", "x": 1}}]})",
        R"({"path": "h.nsf", "documents": [{"A": [{"datetime": "2020-01-01T00:00:00Z"}, 1]}]})",
        R"({"path": "h.nsf", "documents": [{"A": [[1]]}]})",
        R"({"path": "h.nsf", "documents": [{"A": false}]})",
        R"({"path": "h.nsf", "views": [{"name": "v", "columns": "x"}]})",
        R"({"path": "h.nsf", "views": [{"name": "v", "columns": [{"sorted": 1}]}]})",
        R"({"path": "h.nsf", "views": [{"name": 7}]})",
        R"({"path": "h.nsf", "views": [{"name": "v", "selection": ["SELECT @All"]}]})",
        R"([{"path": "h.nsf"}])",
        R"("h.nsf")",
        "",
        // Keys and items given twice.
        R"({"path": "h.nsf", "path": "h.nsf"})",
        R"({"path": "h.nsf", "documents": [{"Subject": 1, "SUBJECT": 2}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": 0, "$Parent": 0}]})",
        R"({"path": "h.nsf", "documents": [], "documents": []})",
        R"({"path": "h.nsf", "views": [{"name": "v", "name": "w"}]})",
        // Parents that are missing, later, the document itself or a cycle.
        R"({"path": "h.nsf", "documents": [{"A": 1, "$Parent": 0}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1, "$Parent": 1}, {"B": 1, "$Parent": 0}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"B": 1, "$Parent": 2}, {"C": 1, "$Parent": 1}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"B": 1, "$Parent": 7}]})",
        // Huge counts and numbers.
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": 18446744073709551615}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": 18446744073709551616}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$Parent": 1e20}]})",
        R"({"path": "h.nsf", "documents": [{"A": 1e400}]})",
        R"({"path": "h.nsf", "documents": [{"A": -1e400}]})",
        // NULs and names out of bounds.
        R"({"path": "h.nsf", "documents": [{"A\u0000B": 1}]})",
        R"({"path": "h.nsf", "documents": [{"\u0000": 1}]})",
        R"({"path": "h.nsf", "documents": [{"": 1}]})",
        R"({"path": "h.nsf", "documents": [{"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345": 1}]})",
        R"({"path": "h.nsf", "documents": [{"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123\u00e9": 1}]})",
        R"({"path": "h.nsf", "views": [{"name": "v", "columns": [{"item": "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}]}]})",
        R"({"path": "h.nsf\u0000x", "documents": [{"A": 1}]})",
        R"({"path": "h.nsf", "title": "a\u0000b"})",
        R"({"path": "h.nsf", "title": "a\nb"})",
        R"({"path": "h.nsf", "views": [{"name": "V\u0000"}]})",
        R"({"path": "h.nsf", "views": [{"name": "V", "alias": "a\u0000"}]})",
        R"({"path": "h.nsf", "views": [{"name": "V", "columns": [{"item": "\u0000"}]}]})",
        // A name that the next build of h.nsf would take for its left-over temporary file.
        R"({"path": "h.nsf.building-1", "documents": [{"A": 1}]})",
        // A file that is not a database is never replaced.
        R"({"path": "foreign.nsf", "documents": [{"A": 1}]})",
        // An item that would stand in for the parent link.
        R"({"path": "h.nsf", "documents": [{"A": 1}, {"$REF": "x", "$Parent": 0}]})",
        R"({"path": "h.nsf", "documents": [{"$ref": 1}]})",
        R"({"path": ""})",
        // Broken escapes and text.
        R"({"path": "h.nsf", "documents": [{"A": "\uD800"}]})",
        R"({"path": "h.nsf", "documents": [{"A": "\x"}]})",
        "{\"path\": \"h.nsf\", \"documents\": [{\"A\": \"line\nbreak\"}]}",
        // Unknown keys and formulas that do not compile.
        R"({"path": "h.nsf", "documents": [{"A": 1}], "extra": 1})",
        R"({"path": "h.nsf", "views": [{"name": "v", "selection": "SELECT ((("}]})",
        R"j({"path": "h.nsf", "views": [{"name": "v", "columns": [{"formula": "@NoSuchThing(1)"}]}]})j",
    };
    // A list one entry too long.
    {
        std::string json = R"({"path": "h.nsf", "documents": [{"A": [)";
        for (int i = 0; i < 65536; ++i)
            json += i ? ",1" : "1";
        cases.push_back(json + "]}]}");
    }
    // Random descriptions cut short anywhere.
    for (uint32_t seed = 100; seed < 103; ++seed) {
        Generator g(seed);
        std::vector<ExpectedDocument> docs;
        ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
        const std::string whole = g.Description("h.nsf", 20, docs);
        TermProcess();
        for (int i = 0; i < 12; ++i)
            cases.push_back(whole.substr(0, g.Below(whole.size())));
    }

    std::vector<std::string> arguments = {"build"};
    for (size_t i = 0; i < cases.size(); ++i)
        arguments.push_back(Write("bad" + std::to_string(i) + ".json", cases[i]));
    const Outcome o = Run(arguments);
    EXPECT_EQ(o.exitCode, 1);
    std::istringstream lines(o.err);
    size_t n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        ASSERT_LT(n, cases.size()) << line;
        EXPECT_EQ(line.rfind("nsfadmin: " + arguments[n + 1] + ": ", 0), 0u)
            << line << "\nfor: " << cases[n].substr(0, 300);
        EXPECT_EQ(line.find("internal error"), std::string::npos) << line;
    }
    EXPECT_EQ(n, cases.size()) << o.err.substr(0, 4000);
    EXPECT_TRUE(DataBytes() == before);

    // Where there was no database, none is left.
    const std::string fresh =
        Write("fresh.json", R"({"path": "fresh.nsf", "documents": [{"A": 1, "$Parent": 0}]})");
    EXPECT_EQ(Run({"build", fresh}).exitCode, 1);
    EXPECT_TRUE(DataBytes() == before);
}

} // namespace
} // namespace nsfadmin
