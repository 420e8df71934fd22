// Data source definitions as users' qvlds.nsf files hold them, seeded: fields missing, empty, lists, rich
// text, tens of kilobytes long, with NULs, CR/LF, tabs and ill-formed UTF-8, lookups with runs of "=" and
// "|", databases named absolutely, through "..", on unknown servers or naming a file that is no database or
// a folder, views that do not exist or name a form, and hundreds of definitions. The table must hold each
// field as its platform text cut to the field, every name must open what its definition names or give -1,
// and nothing stored may change.
#include "guarded_buffer.h"
#include "libfixture.h"
#include "nsfadmin/nsfadmin.h"
#include "raw_notes.h"
#include "value_model.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

namespace qvltest {
namespace {

const std::string kSourcesPath = "Alpha/Acme!!qvlds.nsf";

const char* const kFields[] = {"DataSourceName", "ServerName",         "DatabaseName", "ViewName",
                               "MergeHistField", "PrimarySearchField", "LookupFields"};
constexpr size_t kWidths[] = {60, 60, 60, 60, 30, 30, 0};

// The rows of the views of contacts.nsf, by the name of the view as the model looks it up.
const std::map<std::string, int> kColumns = {{"all", 3},     {"by region", 3}, {"ages", 2},
                                             {"regions", 1}, {"statuses", 1},  {"nocolumns", 0}};
const std::map<std::string, int> kRows = {{"regions", 12}, {"statuses", 2}, {"nocolumns", 2}, {"all", 3}};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// One definition as the model sees it.
struct Definition {
    std::vector<RawItem> items;
    std::string fields[6];                                    // the table's text fields
    std::vector<std::pair<std::string, std::string>> lookups; // kept lookups: name, view
};

Definition Of(std::vector<RawItem> items) {
    Definition definition;
    definition.items = std::move(items);
    return definition;
}

class HostileSourceTest : public LibraryTest {
protected:
    void SetUp() override {
        Build(ContactsDatabase());
        std::ofstream(area_.DataDirectory() + "/notes.txt", std::ios::binary) << kForeign;
        std::filesystem::create_directories(area_.DataDirectory() + "/sub");
        UseServer(kServer);
    }

    // Rebuilds qvlds.nsf with these definitions and starts the library on it; LibOpen's answer.
    int Fill(const std::vector<Definition>& definitions) {
        LibClose();
        Build(DataSourceDatabase(kServer, ""));
        EXPECT_EQ(LibOpen(), 1) << LastErrorText(); // the session the store's calls below run in
        if (!formAdded_) AddForm();
        for (const Definition& definition : definitions)
            EXPECT_NE(AddRawDocument(kSourcesPath, definition.items), 0);
        dump_ = Dump();
        return LibOpen();
    }

    // A form "Form1" in contacts.nsf: a design note of that title that is no view.
    void AddForm() {
        formAdded_ = true;
        nnotes::DBHANDLE db = 0;
        ASSERT_EQ(nnotes::OpenDatabase("contacts.nsf", &db), nnotes::NOERROR);
        nnotes::NOTEHANDLE note = 0;
        ASSERT_EQ(nnotes::CreateNote(db, &note), nnotes::NOERROR);
        const uint16_t form = nnotes::NOTE_CLASS_FORM;
        EXPECT_EQ(nnotes::SetNoteInfo(note, nnotes::NOTE_INFO_CLASS, &form), nnotes::NOERROR);
        EXPECT_EQ(AppendItems(note, {TextItem(nnotes::FIELD_TITLE, "Form1")}), nnotes::NOERROR);
        EXPECT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
        nnotes::CloseNote(note);
        nnotes::CloseDatabase(db);
    }

    static std::string Dump() {
        std::ostringstream out;
        EXPECT_EQ(nsfadmin::Dump("qvlds.nsf", "Alpha/Acme", out), "");
        return out.str();
    }

    std::string RandomText(size_t longest) {
        static const char* const pieces[] = {"a",
                                             "Zed",
                                             " ",
                                             "\t",
                                             "\r\n",
                                             "\n",
                                             "=",
                                             "===",
                                             "|",
                                             "..",
                                             "/",
                                             "\\",
                                             "!!",
                                             "\xC3\xA9",
                                             "\xE6\x9D\xB1",
                                             "\xF0\x9F\x98\x80",
                                             "\x80",
                                             "\xC3",
                                             "\xE2\x82",
                                             "\xED\xA0\x80",
                                             "\xFF",
                                             "",
                                             "nsf"};
        const size_t target = random_() % 8 != 0 ? random_() % 30 : 100 + random_() % longest;
        std::string text;
        while (text.size() < target) {
            const size_t piece = random_() % (std::size(pieces) + 2);
            if (piece == 21 || piece == std::size(pieces))
                text += '\0';
            else if (piece > std::size(pieces))
                text += static_cast<char>(random_() % 256);
            else
                text += pieces[piece];
        }
        return text;
    }

    // The first entry of a field's value as the model reads it, and the item that holds it; nothing stored
    // for a missing field.
    void RandomField(Definition& definition, const std::string& name, const std::string& wanted,
                     size_t field) {
        std::string first = wanted;
        const uint16_t flags = random_() % 4 ? nnotes::ITEM_SUMMARY : 0; // a view shows either kind
        switch (random_() % 16) {
        case 0:
            return; // missing: an empty field
        case 1:
            definition.items.push_back(RawItem{name, nnotes::TYPE_TEXT, "", flags});
            first.clear();
            break;
        case 2:
            definition.items.push_back(RawItem{name, nnotes::TYPE_TEXT_LIST, TextListData({}), flags});
            first.clear();
            break;
        case 3:
            definition.items.push_back(RawItem{name, nnotes::TYPE_TEXT_LIST,
                                               TextListData({wanted, RandomText(50), "second"}), flags});
            break;
        case 4:
            definition.items.push_back(RawItem{name, nnotes::TYPE_COMPOSITE, wanted, flags}); // rich text
            first.clear();
            break;
        default:
            definition.items.push_back(RawItem{name, nnotes::TYPE_TEXT, wanted, flags});
            break;
        }
        definition.fields[field] = first;
    }

    Definition RandomDefinition(int index) {
        static const char* const servers[] = {
            "", "", "", "Alpha/Acme", "Nowhere/Acme", "../Alpha", "Alpha/Acme/.."};
        static const char* const views[] = {"All",   "all", " Ages ",   "By Region", "No Such View",
                                            "Form1", "",    "All|Ages", "Regions",   "NoColumns"};
        const std::string root = area_.DataDirectory();
        const std::string databases[] = {
            "contacts.nsf",         "CONTACTS.NSF", "",    "nowhere.nsf", root + "/contacts.nsf",
            "../data/contacts.nsf", "notes.txt",    "sub", "/etc/passwd", "sub/../contacts.nsf"};
        Definition definition;
        std::string name = "D" + std::to_string(index) + " " + RandomText(40000);
        if (random_() % 20 == 0)
            name += std::string(22000, '\xFF'); // longer than any string as platform text
        definition.items.push_back(TextItem("DataSourceName", name));
        definition.fields[0] = name;
        RandomField(definition, "ServerName", servers[random_() % std::size(servers)], 1);
        RandomField(definition, "DatabaseName", databases[random_() % std::size(databases)], 2);
        RandomField(definition, "ViewName", views[random_() % std::size(views)], 3);
        RandomField(definition, "MergeHistField", RandomText(200), 4);
        RandomField(definition, "PrimarySearchField", RandomText(200), 5);

        static const char* const keywordViews[] = {"Regions", "Statuses",   "No Such View", "regions",
                                                   "",        "Statuses|x", "NoColumns",    "All"};
        std::vector<std::string> entries;
        const int lookups = random_() % 3 == 0 ? 0 : static_cast<int>(random_() % 26);
        for (int i = 0; i < lookups; ++i) {
            std::string suffix = RandomText(30);
            suffix.erase(std::remove(suffix.begin(), suffix.end(), '='), suffix.end());
            std::string entry =
                std::string(random_() % 4 == 0 ? random_() % 4 : 0, '=') + "L" + std::to_string(i) + ":" +
                suffix.substr(0, random_() % 3 == 0 ? suffix.size() : 8) +
                std::string(1 + random_() % 3, '=') + keywordViews[random_() % std::size(keywordViews)];
            if (random_() % 5 == 0) entry += "=third";
            entries.push_back(entry);
        }
        if (lookups > 0 || random_() % 2)
            definition.items.push_back(
                RawItem{"LookupFields", nnotes::TYPE_TEXT_LIST, TextListData(entries)});
        // Each entry is cut to 99 bytes of its platform text and split at runs of "=", leading ones skipped.
        for (size_t i = 0; i < entries.size() && i < 20; ++i) {
            std::string rest = PlatformModel(entries[i]).substr(0, 99);
            std::vector<std::string> parts;
            std::string part;
            for (const char c : rest + "=") {
                if (c != '=') {
                    part += c;
                } else if (!part.empty()) {
                    parts.push_back(part);
                    part.clear();
                }
            }
            parts.resize(2);
            definition.lookups.emplace_back(parts[0].substr(0, 29), parts[1].substr(0, 59));
        }
        return definition;
    }

    // The table's fields once the view's summary and the platform text are applied.
    static void Settle(Definition& definition) {
        std::vector<std::pair<std::string, size_t>> sizes;
        for (const char* field : kFields) {
            size_t bytes = 0;
            for (const RawItem& item : definition.items)
                if (item.name == field && item.type != nnotes::TYPE_COMPOSITE) {
                    bytes = 2 + item.data.size();
                    break;
                }
            sizes.emplace_back(field, bytes);
        }
        const std::vector<bool> kept = SummaryKeeps(sizes);
        for (size_t i = 0; i < 6; ++i) {
            // The table keeps the front of the platform text, however long the whole would be.
            definition.fields[i] =
                kept[i] ? PlatformModel(definition.fields[i]).substr(0, kWidths[i] - 1) : "";
        }
        if (!kept[6]) definition.lookups.clear();
    }

    // What DSOpen gives for a definition: the view's column count when the store opens its database and
    // finds the view there, else -1.
    static int ExpectedOpen(const Definition& definition) {
        const std::string& server = definition.fields[1];
        const std::string& database = definition.fields[2];
        const std::string& view = definition.fields[3];
        if (database.empty() || view.empty()) return -1;
        const std::string netpath = server.empty() ? database : server + "!!" + database;
        nnotes::DBHANDLE db = 0;
        if (nnotes::OpenDatabase(netpath.c_str(), &db) != nnotes::NOERROR) return -1;
        nnotes::NOTEID id = 0;
        const bool found =
            nnotes::FindDesignNote(db, view.c_str(), nnotes::NOTE_CLASS_VIEW, &id) == nnotes::NOERROR;
        nnotes::CloseDatabase(db);
        if (!found) return -1;
        const auto columns = kColumns.find(Lower(Trimmed(view)));
        return columns == kColumns.end() ? -2 : columns->second;
    }

    static constexpr const char* kForeign = "not a database\n";
    std::string dump_;
    bool formAdded_ = false;
    std::mt19937 random_;
};

TEST_F(HostileSourceTest, EveryDefinitionOpensWhatItNamesOrNothing) {
    for (uint32_t seed = 1; seed <= 4 && !HasFailure(); ++seed) {
        random_.seed(seed);
        const std::string where = "seed " + std::to_string(seed) + ": ";
        std::vector<Definition> definitions;
        const int count = seed == 4 ? 300 : 40;
        for (int i = 0; i < count; ++i)
            definitions.push_back(RandomDefinition(i));
        const int opened = Fill(definitions);
        for (Definition& definition : definitions)
            Settle(definition);
        ASSERT_EQ(opened, 1) << where << LastErrorText();
        ASSERT_EQ(DSGetCount(), count) << where;

        std::map<std::string, const Definition*> byName;
        for (const Definition& definition : definitions)
            byName[definition.fields[0]] = &definition;
        ASSERT_EQ(byName.size(), definitions.size()) << where << "names are unique";
        for (int index = 0; index < count && !HasFailure(); ++index) {
            const std::string at = where + "definition " + std::to_string(index) + ": ";
            char whole[64];
            ASSERT_EQ(DSGetName(index, whole, sizeof whole), 1) << at;
            const auto found = byName.find(whole);
            ASSERT_NE(found, byName.end())
                << at << "a name no definition has: " << ::testing::PrintToString(whole);
            const Definition& definition = *found->second;
            for (const int size : {0, 1, 2, 7, 59, 60, 61, -3}) {
                GuardedBuffer buffer(size);
                EXPECT_EQ(DSGetName(index, buffer.Data(), size), 1) << at;
                if (size <= 0) {
                    EXPECT_TRUE(buffer.Untouched()) << at << "size " << size;
                    continue;
                }
                EXPECT_TRUE(buffer.GuardsHold(size)) << at << "wrote past size " << size;
                EXPECT_EQ(buffer.Text(size), Cut(definition.fields[0], size)) << at << "size " << size;
            }
            const int expected = ExpectedOpen(definition);
            ASSERT_NE(expected, -2) << at << "a view the model does not know: " << definition.fields[3];
            EXPECT_EQ(DSOpen(whole), expected)
                << at << "server " << ::testing::PrintToString(definition.fields[1]) << ", database "
                << ::testing::PrintToString(definition.fields[2]) << ", view "
                << ::testing::PrintToString(definition.fields[3]);
            if (expected < 0) continue;
            for (const int type : {1, 2}) {
                char info[64] = "untouched";
                ASSERT_EQ(DSGetInfo(type, info, sizeof info), 1) << at;
                EXPECT_EQ(std::string(info), definition.fields[type == 1 ? 4 : 5])
                    << at << "DSGetInfo " << type;
            }
            for (const auto& [lookup, view] : definition.lookups) {
                const auto known = kRows.find(Lower(view));
                EXPECT_EQ(KWLoad(lookup.c_str()), known == kRows.end() ? 0 : known->second)
                    << at << "lookup " << ::testing::PrintToString(lookup) << " of view "
                    << ::testing::PrintToString(view);
            }
        }
        DSClose();
        LibClose();
        EXPECT_EQ(Dump(), dump_) << where << "qvlds.nsf changed";
        std::ifstream foreign(area_.DataDirectory() + "/notes.txt", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(foreign), std::istreambuf_iterator<char>()),
                  kForeign)
            << where;
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// A definition of the name alone opens nothing, and its lookups, fields and info are empty.
TEST_F(HostileSourceTest, ADefinitionWithoutItsOtherFieldsOpensNothing) {
    ASSERT_EQ(Fill({Of({TextItem("DataSourceName", "Bare")}),
                    Of({TextItem("DataSourceName", "Form"), TextItem("DatabaseName", "contacts.nsf"),
                        TextItem("ViewName", "Form1")})}),
              1)
        << LastErrorText();
    ASSERT_EQ(DSGetCount(), 2);
    EXPECT_EQ(DSOpen("Bare"), -1);
    EXPECT_EQ(DSOpen("Form"), -1); // names a form, not a view
    char text[8] = "abc";
    EXPECT_EQ(DSGetInfo(1, text, sizeof text), 0);
    EXPECT_EQ(KWLoad(""), 0);
    EXPECT_STREQ(text, "abc");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// Of two definitions of one name the first in the table is the one opened; both are listed.
TEST_F(HostileSourceTest, TwoDefinitionsOfOneNameAreBothListedAndTheFirstOpens) {
    const auto definition = [](const char* database, const char* view) {
        return Of({TextItem("DataSourceName", "Twice"), TextItem("DatabaseName", database),
                   TextItem("ViewName", view), TextItem("MergeHistField", view)});
    };
    ASSERT_EQ(Fill({definition("contacts.nsf", "Ages"), definition("contacts.nsf", "All")}), 1);
    ASSERT_EQ(DSGetCount(), 2);
    char first[64], second[64];
    ASSERT_EQ(DSGetName(0, first, sizeof first), 1);
    ASSERT_EQ(DSGetName(1, second, sizeof second), 1);
    EXPECT_STREQ(first, "Twice");
    EXPECT_STREQ(second, "Twice");
    const std::string firstView = DataSourceTable[0].ViewName;
    EXPECT_EQ(DSOpen("Twice"), firstView == "Ages" ? 2 : 3);
    char info[64];
    ASSERT_EQ(DSGetInfo(1, info, sizeof info), 1);
    EXPECT_EQ(info, firstView);
}

} // namespace
} // namespace qvltest

namespace qvltest {
namespace {

// A number, a number list or a time where the table reads text cannot be taken: the start fails, says why
// in LastError and in its box, leaves no table, and qvlds.nsf keeps what it held.
TEST_F(HostileSourceTest, AValueThatIsNoTextFailsTheStartAndSaysWhy) {
    const RawItem values[] = {RawItem{"DataSourceName", nnotes::TYPE_NUMBER, DoubleData(7)},
                              RawItem{"ViewName", nnotes::TYPE_NUMBER_RANGE, RangeData({DoubleData(1)}, {})},
                              RawItem{"ServerName", nnotes::TYPE_TIME, InstantData(0, 2450000)},
                              RawItem{"LookupFields", nnotes::TYPE_NUMBER, DoubleData(1)}};
    size_t boxes = 0;
    for (const RawItem& value : values) {
        std::vector<RawItem> items{TextItem("DatabaseName", "contacts.nsf")};
        if (value.name != "DataSourceName") items.push_back(TextItem("DataSourceName", "Odd"));
        items.push_back(value);
        EXPECT_EQ(Fill({Of({TextItem("DataSourceName", "Good"), TextItem("DatabaseName", "contacts.nsf"),
                            TextItem("ViewName", "All")}),
                        Of(items)}),
                  0)
            << value.name;
        EXPECT_NE(LastErrorText(), "") << value.name;
        EXPECT_EQ(boxes_.Boxes().size(), ++boxes) << value.name;
        EXPECT_EQ(DSGetCount(), 0) << value.name;
        EXPECT_EQ(DSOpen("Good"), -1) << value.name;
        EXPECT_EQ(Dump(), dump_) << value.name;
    }
}

// A name of 22,000 ill-formed bytes is 66,000 bytes of platform text, more than a text of the object layer
// holds: the table keeps only its first 59 bytes, and so of a lookup entry its first 99, and the start goes
// on with them.
TEST_F(HostileSourceTest, ATextFarLongerThanItsFieldIsCutToIt) {
    const std::string odd(22000, '\xFF');
    ASSERT_EQ(Fill({Of({TextItem("DataSourceName", odd), TextItem("DatabaseName", "contacts.nsf"),
                        TextItem("ViewName", "All"), TextItem("MergeHistField", std::string(10000, '\x80')),
                        RawItem{"LookupFields", nnotes::TYPE_TEXT_LIST,
                                TextListData({std::string(25000, '\xC3') + "=Regions", "R=Regions"})}})}),
              1)
        << LastErrorText();
    ASSERT_EQ(DSGetCount(), 1);
    const std::string cut = PlatformModel(odd).substr(0, 59);
    char name[64];
    ASSERT_EQ(DSGetName(0, name, sizeof name), 1);
    EXPECT_EQ(std::string(name), cut);
    ASSERT_EQ(DSOpen(name), 3);
    char info[64];
    ASSERT_EQ(DSGetInfo(1, info, sizeof info), 1);
    EXPECT_EQ(std::string(info), cut.substr(0, 29));
    EXPECT_EQ(DataSourceTable[0].LookupCount, 2);
    EXPECT_EQ(std::string(DataSourceTable[0].Lookups[0].LookupName), PlatformModel(odd).substr(0, 29));
    EXPECT_STREQ(DataSourceTable[0].Lookups[0].KeywordViewName, "");
    EXPECT_EQ(KWLoad("R"), 12);
}

} // namespace
} // namespace qvltest
