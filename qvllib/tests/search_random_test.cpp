// Seeded random searches over a data source of a few thousand documents, each walked whole and checked
// against what the store holds: the full-text layer's own matches over the whole database, kept to the
// documents the view shows now, in its relevance order, at most the default 250, each on the row that the
// whole walk gives its document first. Between searches documents are changed, added and deleted, and the
// full-text index is brought up to date at some of those moments only: a search finds what the index held,
// among the documents stored and shown now.
#include "libfixture.h"
#include "nnotes/database.h"
#include "nnotes/fulltext.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nsfadmin/nsfadmin.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace qvltest {
namespace {

// The default search options keep this many hits.
constexpr size_t kMaxHits = 250;
constexpr int kColumns = 4;

// Words with their variants in case and accents: the index matches them alike.
const std::vector<std::string> kWords = {
    "alpha",   "Alpha",     "ALPHA",  "bravo",    "charlie",   "delta",     "echo",      "foxtrot",
    "golf",    "hotel",     "india",  "juliet",   "kilo",      "lima",      "mike",      "november",
    "oscar",   "papa",      "quebec", "romeo",    "sierra",    "tango",     "uniform",   "victor",
    "whiskey", "xray",      "yankee", "zulu",     "caf\u00e9", "cafe",      "CAF\u00c9", "r\u00e9sum\u00e9",
    "resume",  "\u00fcber", "uber",   "\u00c5sa", "asa",       "ni\u00f1o", "nino",      "sm\u00f6rg\u00e5s",
    "smorgas", "Smorgas"};
const std::vector<std::string> kRegions = {"East", "West", "North", "South", "Mid\u00e9"};

// A word as the index keeps it: without case and accents.
std::string Fold(const std::string& word) {
    std::string out;
    for (size_t i = 0; i < word.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c == 0xC3 && i + 1 < word.size()) {
            const unsigned char d = static_cast<unsigned char>(word[++i]) | 0x20;
            out += d == 0xA9 || d == 0xA8 ? 'e'
                   : d == 0xBC            ? 'u'
                   : d == 0xB6            ? 'o'
                   : d == 0xA5            ? 'a'
                   : d == 0xB1            ? 'n'
                                          : '?';
        } else {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
    }
    return out;
}

// The folded words of a text: runs of letters and digits (the accented letters above among them).
void Tokens(const std::string& text, std::vector<std::string>& out) {
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
        const unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
        if (std::isalnum(c) || c >= 0x80) {
            word += static_cast<char>(c);
        } else if (!word.empty()) {
            out.push_back(Fold(word));
            word.clear();
        }
    }
}

// Text lists are stored little-endian: a count, each entry's length, then the entries.
void PutLittle16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

struct Item {
    std::string name;
    std::vector<std::string> texts;
    bool list = false;
};

struct Doc {
    nnotes::NOTEID id = 0;
    std::vector<Item> items; // in stored order
    std::vector<std::string> Words() const {
        std::vector<std::string> words;
        for (const Item& item : items)
            for (const std::string& text : item.texts)
                Tokens(text, words);
        return words;
    }
};

// What the searches ask for, and how a document matches it; Odd queries are judged by the index alone.
struct Query {
    enum Kind { Word, Both, Either, Prefix, Phrase, Odd } kind = Word;
    std::string a, b, text;

    bool Matches(const std::vector<std::string>& words) const {
        const auto has = [&](const std::string& w) {
            return std::find(words.begin(), words.end(), w) != words.end();
        };
        switch (kind) {
        case Word:
            return has(Fold(a));
        case Both:
            return has(Fold(a)) && has(Fold(b));
        case Either:
            return has(Fold(a)) || has(Fold(b));
        case Prefix:
            return std::any_of(words.begin(), words.end(),
                               [&](const std::string& w) { return w.starts_with(Fold(a)); });
        case Phrase:
            for (size_t i = 0; i + 1 < words.size(); ++i)
                if (words[i] == Fold(a) && words[i + 1] == Fold(b)) return true;
            return false;
        case Odd:
            return false;
        }
        return false;
    }
};

struct WalkedRow {
    int id = 0;
    std::string columns;
    bool operator==(const WalkedRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const WalkedRow& row) {
    return out << row.id << ":" << row.columns;
}

class SearchRandomTest : public LibraryTest {
protected:
    void TearDown() override { Reset(); }

    // Lets go of the store and the library, so that the next seed builds its database afresh.
    void Reset() {
        if (search_ != 0) nnotes::FTCloseSearch(search_);
        if (db_ != nnotes::NULLHANDLE) nnotes::CloseDatabase(db_);
        search_ = 0;
        db_ = nnotes::NULLHANDLE;
        LibClose();
        docs_.clear();
    }

    // A document of the view, in one to three regions and one district, with words that repeat.
    Doc RandomDoc(std::mt19937& random, int serial, bool shown) {
        Doc doc;
        doc.items.push_back({"Form", {shown ? "Doc" : "Other"}});
        doc.items.push_back({"Kind", {"common"}});
        doc.items.push_back({"Region", RandomRegions(random), true});
        doc.items.push_back({"District", {"d" + std::to_string(random() % 7)}});
        char name[16];
        std::snprintf(name, sizeof name, "n%05d", serial);
        doc.items.push_back({"Name", {name}});
        doc.items.push_back({"Body", RandomBody(random), true});
        return doc;
    }

    static std::vector<std::string> RandomRegions(std::mt19937& random) {
        std::vector<std::string> regions = {kRegions[random() % kRegions.size()]};
        if (random() % 4 == 0) {
            const std::string other = kRegions[random() % kRegions.size()];
            if (other != regions[0]) regions.push_back(other);
        }
        return regions;
    }

    static std::vector<std::string> RandomBody(std::mt19937& random) {
        std::vector<std::string> entries(1 + random() % 3);
        for (std::string& entry : entries) {
            const int count = 1 + static_cast<int>(random() % 6);
            for (int i = 0; i < count; ++i) {
                // A word skewed towards the front of the list, sometimes repeated at once.
                const size_t at = std::min<size_t>(random() % kWords.size(), random() % kWords.size());
                entry += (entry.empty() ? "" : " ") + kWords[at];
                if (random() % 5 == 0) entry += " " + kWords[at];
            }
        }
        return entries;
    }

    static std::string Json(const std::string& text) {
        std::string out = "\"";
        for (const char c : text)
            out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
        return out + "\"";
    }

    // The database with both views; responses name a document before them.
    void BuildDatabase(std::mt19937& random, int shown, int hidden) {
        std::string json = R"({"path": "search.nsf", "views": [
            {"name": "By Area", "selection": "SELECT Form = \"Doc\"", "columns": [
                {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
                {"title": "District", "item": "District", "sorted": true, "categorised": true},
                {"title": "Name", "item": "Name", "sorted": true}, {"title": "Body", "item": "Body"}]},
            {"name": "Threads", "selection": "SELECT Form = \"Doc\"", "columns": [
                {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
                {"title": "District", "item": "District", "sorted": true, "categorised": true},
                {"title": "Reply", "item": "Name", "response": true},
                {"title": "Name", "item": "Name", "sorted": true}]}],
          "documents": [)";
        const int total = shown + hidden;
        for (int i = 0; i < total; ++i) {
            // Documents of another form, which the view does not show, spread among the others.
            const bool inView = hidden == 0 || i % (total / hidden + 1) != 1;
            Doc doc = RandomDoc(random, i, inView);
            json += i ? ",{" : "{";
            for (size_t k = 0; k < doc.items.size(); ++k) {
                const Item& item = doc.items[k];
                json += (k ? ", " : "") + Json(item.name) + ": ";
                if (!item.list) {
                    json += Json(item.texts[0]);
                } else {
                    json += "[";
                    for (size_t t = 0; t < item.texts.size(); ++t)
                        json += (t ? ", " : "") + Json(item.texts[t]);
                    json += "]";
                }
            }
            // A response to one of the documents just before it.
            if (i > 10 && random() % 10 == 0)
                json += ", \"$Parent\": " + std::to_string(i - 1 - random() % 10);
            json += "}";
            docs_.push_back(doc);
        }
        Build(json + "]}");
        ASSERT_EQ(nsfadmin::Index("search.nsf", ""), "");
        Build(DataSourceDatabase(kServer, DataSource("Area", "search.nsf", "By Area") + "," +
                                              DataSource("Threads", "search.nsf", "Threads")));
        UseServer(kServer);
        ASSERT_EQ(LibOpen(), 1) << LastErrorText();
        ASSERT_EQ(nnotes::OpenDatabase("search.nsf", &db_), nnotes::NOERROR);
        // The note ids, in the order the documents were stored.
        ASSERT_EQ(nnotes::FTOpenSearch(&search_), nnotes::NOERROR);
        std::vector<nnotes::NOTEID> ids = IndexHits("common");
        ASSERT_EQ(ids.size(), docs_.size());
        std::sort(ids.begin(), ids.end());
        for (size_t i = 0; i < docs_.size(); ++i)
            docs_[i].id = ids[i];
        Reindex();
    }

    // The index's hits over the whole database, most relevant first; ids only, as the index orders them.
    std::vector<nnotes::NOTEID> IndexHits(const std::string& query, nnotes::STATUS* status = nullptr) {
        uint32_t count = 0;
        nnotes::DHANDLE results = nnotes::NULLHANDLE;
        const nnotes::STATUS s = nnotes::FTSearch(db_, &search_, 0, query.c_str(), nnotes::FT_SEARCH_SCORES,
                                                  0, nnotes::NULLHANDLE, &count, nullptr, &results);
        if (status != nullptr) *status = s;
        std::vector<nnotes::NOTEID> ids;
        if (results == nnotes::NULLHANDLE) return ids;
        const auto* bytes = static_cast<const uint8_t*>(nnotes::LockBlock(results));
        uint32_t stated = 0;
        std::memcpy(&stated, bytes, 4);
        for (uint32_t i = 0; i < stated; ++i) {
            nnotes::NOTEID id = 0;
            std::memcpy(&id, bytes + 8 + 4 * i, 4);
            ids.push_back(id);
        }
        nnotes::UnlockBlock(results);
        nnotes::FreeBlock(results);
        return ids;
    }

    void Reindex() {
        ASSERT_EQ(nnotes::FTIndex(db_, 0, nullptr, nullptr), nnotes::NOERROR);
        indexed_.clear();
        for (const Doc& doc : docs_)
            indexed_[doc.id] = doc.Words();
    }

    // Stores the document's items anew, in the order the model keeps them.
    void Save(Doc& doc) {
        nnotes::NOTEHANDLE note = 0;
        if (doc.id == 0)
            ASSERT_EQ(nnotes::CreateNote(db_, &note), nnotes::NOERROR);
        else
            ASSERT_EQ(nnotes::OpenNote(db_, doc.id, 0, &note), nnotes::NOERROR);
        for (const char* name : {"Form", "Kind", "Region", "District", "Name", "Body"})
            nnotes::DeleteItem(note, name, static_cast<uint16_t>(std::strlen(name)));
        for (const Item& item : doc.items) {
            std::string bytes;
            uint16_t type = nnotes::TYPE_TEXT;
            if (item.list) {
                type = nnotes::TYPE_TEXT_LIST;
                PutLittle16(bytes, static_cast<uint16_t>(item.texts.size()));
                for (const std::string& text : item.texts)
                    PutLittle16(bytes, static_cast<uint16_t>(text.size()));
                for (const std::string& text : item.texts)
                    bytes += text;
            } else {
                bytes = item.texts[0];
            }
            ASSERT_EQ(nnotes::AppendItem(note, nnotes::ITEM_SUMMARY, item.name.c_str(),
                                         static_cast<uint16_t>(item.name.size()), type, bytes.data(),
                                         static_cast<uint32_t>(bytes.size()), nullptr),
                      nnotes::NOERROR);
        }
        ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
        ASSERT_EQ(nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &doc.id), nnotes::NOERROR);
        nnotes::CloseNote(note);
    }

    static Item* Find(Doc& doc, const char* name) {
        for (Item& item : doc.items)
            if (item.name == name) return &item;
        return nullptr;
    }

    // One random change to the store: words, categories, whether the view shows a document, a new
    // document or one deleted.
    void Change(std::mt19937& random, std::string& log) {
        const int what = static_cast<int>(random() % 10);
        if (what == 0 || docs_.empty()) {
            docs_.push_back(RandomDoc(random, 90000 + static_cast<int>(docs_.size()), random() % 4 != 0));
            ASSERT_NO_FATAL_FAILURE(Save(docs_.back()));
            log += " add " + std::to_string(docs_.back().id);
            return;
        }
        const size_t at = random() % docs_.size();
        Doc& doc = docs_[at];
        log += " change " + std::to_string(doc.id) + "/" + std::to_string(what);
        if (what == 1) {
            ASSERT_EQ(nnotes::DeleteNote(db_, doc.id, 0), nnotes::NOERROR);
            docs_.erase(docs_.begin() + static_cast<ptrdiff_t>(at));
            return;
        }
        if (what == 2) {
            Find(doc, "Form")->texts = {Find(doc, "Form")->texts[0] == "Doc" ? "Other" : "Doc"};
        } else if (what == 9) {
            // A new sort key: the document's rows move within their categories.
            char name[16];
            std::snprintf(name, sizeof name, "m%05d", static_cast<int>(random() % 100000));
            Find(doc, "Name")->texts = {name};
        } else if (what <= 4) {
            Find(doc, "Region")->texts = RandomRegions(random);
            Find(doc, "District")->texts = {"d" + std::to_string(random() % 7)};
        } else {
            Find(doc, "Body")->texts = RandomBody(random);
        }
        ASSERT_NO_FATAL_FAILURE(Save(doc));
    }

    Query RandomQuery(std::mt19937& random) {
        Query q;
        const auto word = [&] { return kWords[random() % kWords.size()]; };
        switch (random() % 16) {
        case 0:
        case 1:
        case 2:
            q.kind = Query::Word;
            q.a = word();
            q.text = q.a;
            break;
        case 3:
        case 4:
            q.kind = Query::Both;
            q.a = word();
            q.b = word();
            q.text = q.a + (random() % 2 ? " AND " : " ") + q.b;
            break;
        case 5:
            q.kind = Query::Either;
            q.a = word();
            q.b = word();
            q.text = q.a + " or " + q.b;
            break;
        case 6: {
            q.kind = Query::Prefix;
            const std::string w = word();
            q.a = w.substr(0, std::max<size_t>(1, w.size() / 2));
            if ((static_cast<unsigned char>(q.a.back()) & 0xC0) == 0xC0) q.a.pop_back(); // a whole character
            if (q.a.empty()) q.a = "a";
            q.text = q.a + "*";
            break;
        }
        case 7:
            q.kind = Query::Phrase;
            q.a = word();
            q.b = word();
            q.text = "\"" + q.a + " " + q.b + "\"";
            break;
        case 8:
            q.kind = Query::Word;
            q.a = random() % 2 ? "zzqx" : "common";
            q.text = q.a;
            break;
        case 9: {
            q.kind = Query::Word;
            char name[16];
            std::snprintf(name, sizeof name, "n%05d", static_cast<int>(random() % 3000));
            q.a = name;
            q.text = name;
            break;
        }
        case 10:
            q.kind = Query::Word;
            q.a = kRegions[random() % kRegions.size()];
            q.text = q.a;
            break;
        case 11: {
            // Long: the same word many times over, or many different ones.
            q.kind = Query::Odd;
            const std::string w = word();
            const int count = 50 + static_cast<int>(random() % 400);
            for (int i = 0; i < count; ++i)
                q.text += (i ? " " : "") + (random() % 2 ? w : word());
            break;
        }
        default: {
            static const char* const odd[] = {"",
                                              " ",
                                              "\"",
                                              "\"alpha",
                                              "((",
                                              "alpha)",
                                              "*",
                                              "al*pha",
                                              "AND",
                                              "NOT",
                                              "alpha OR",
                                              "NOT alpha",
                                              "alpha-bravo",
                                              "alpha:bravo",
                                              "a^b",
                                              "(alpha OR bravo) NOT charlie",
                                              "\"\"",
                                              "'alpha'",
                                              "alpha%",
                                              "caf\u00e9*",
                                              "\u00fc*",
                                              "d3 n00012",
                                              "{body}",
                                              "u"};
            q.kind = Query::Odd;
            q.text = odd[random() % (sizeof odd / sizeof odd[0])];
            break;
        }
        }
        return q;
    }

    static std::string Column(int column) {
        char text[2048] = "untouched";
        GetData(column, text, sizeof text);
        return text;
    }
    static WalkedRow Current() {
        WalkedRow row{GetNoteID(), {}};
        for (int i = 0; i < kColumns; ++i)
            row.columns += (i ? "|" : "") + Column(i);
        return row;
    }
    // The rows from the current one on, the first read by the call that gave more.
    static std::vector<WalkedRow> WalkFrom(int more) {
        std::vector<WalkedRow> rows;
        for (; more; more = GotoNext())
            rows.push_back(Current());
        return rows;
    }

    // The rows of the view as it stands now, and each document's first row without its category.
    void ReadWhole() {
        whole_ = WalkFrom(Search(nullptr));
        walked_ = whole_;
        first_.clear();
        for (const WalkedRow& row : whole_)
            first_.emplace(row.id, row.columns.substr(row.columns.find('|')));
        if (!flat_) return;
        // A view without responses shows each document of the form it selects once in each of its regions.
        std::map<int, size_t> rows, expected;
        for (const WalkedRow& row : whole_)
            ++rows[row.id];
        for (Doc& doc : docs_)
            if (Find(doc, "Form")->texts[0] == "Doc")
                expected[static_cast<int>(doc.id)] = Find(doc, "Region")->texts.size();
        EXPECT_EQ(rows, expected) << "the whole walk";
    }

    // The rows a search must give, or none when the index refuses the query.
    std::vector<WalkedRow> Expected(const Query& q, bool& refused, const std::string& context) {
        nnotes::STATUS s = nnotes::NOERROR;
        const std::vector<nnotes::NOTEID> hits = IndexHits(q.text, &s);
        refused = s != nnotes::NOERROR && s != nnotes::ERR_FT_NO_MATCHES;
        if (q.kind != Query::Odd) {
            // The index's matches are the documents stored now whose words, as last indexed, match.
            std::set<nnotes::NOTEID> mine, its(hits.begin(), hits.end());
            for (const Doc& doc : docs_) {
                const auto indexed = indexed_.find(doc.id);
                if (indexed != indexed_.end() && q.Matches(indexed->second)) mine.insert(doc.id);
            }
            EXPECT_FALSE(refused) << context;
            EXPECT_EQ(its, mine) << context;
        }
        std::vector<WalkedRow> rows;
        for (const nnotes::NOTEID id : hits) {
            const auto row = first_.find(static_cast<int>(id));
            if (row == first_.end()) continue;
            rows.push_back({static_cast<int>(id), row->second});
            if (rows.size() == kMaxHits) break;
        }
        return rows;
    }

    // Runs one query through Search, walks it, and checks that walking again gives the same.
    void CheckQuery(const Query& q, const std::string& context) {
        bool refused = false;
        const std::vector<WalkedRow> expected = Expected(q, refused, context);
        if (refused) {
            ++seen_["a refused query"];
            // A query that cannot be read leaves the walk where it was.
            const WalkedRow before = Current();
            EXPECT_EQ(Search(q.text.c_str()), 0) << context;
            EXPECT_EQ(Current(), before) << context;
            EXPECT_EQ(WalkFrom(GotoFirst()), walked_) << context << ": the walk before the query";
            return;
        }
        walked_ = expected;
        ++seen_[expected.empty() ? "no row" : expected.size() == kMaxHits ? "the most rows" : "rows"];
        if (stale_) ++seen_["a stale index"];
        const int first = Search(q.text.c_str());
        EXPECT_EQ(first, expected.empty() ? 0 : 1) << context;
        const std::vector<WalkedRow> rows = WalkFrom(first);
        ASSERT_EQ(rows, expected) << context;
        EXPECT_EQ(WalkFrom(GotoFirst()), expected) << context << ": walked again";
        // Moves a search does not offer end the walk or keep to its rows; the next walk is the same.
        if (q.text.size() % 3 == 0) {
            char category[256];
            CategoryGetFirst(category, sizeof category);
            GotoNextCategory();
            EXPECT_EQ(WalkFrom(GotoFirst()), expected) << context << ": after category moves";
        }
        EXPECT_EQ(WalkFrom(Search(q.text.c_str())), expected) << context << ": searched again";
    }

    // Saves documents while a search's rows are walked. Rows are read as they stand when the walk reaches
    // them: each row after the saves is a hit of the search, in its order, shown as it stood at the search
    // or as it stands after the saves; a document deleted or moved away from its row meanwhile may be left
    // out.
    void CheckSavesWhileWalking(const Query& q, std::mt19937& random, std::string& log,
                                const std::string& context) {
        bool refused = false;
        const std::vector<WalkedRow> expected = Expected(q, refused, context);
        if (refused || expected.empty()) return;
        const std::map<int, std::string> before = first_;
        ASSERT_EQ(Search(q.text.c_str()), 1) << context;
        const size_t walked = random() % expected.size();
        std::vector<WalkedRow> rows = {Current()};
        for (size_t i = 0; i < walked && GotoNext(); ++i)
            rows.push_back(Current());
        ASSERT_EQ(rows, std::vector<WalkedRow>(expected.begin(), expected.begin() + rows.size())) << context;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < changes; ++i)
            ASSERT_NO_FATAL_FAILURE(Change(random, log));
        stale_ = true;
        const std::vector<WalkedRow> rest = WalkFrom(GotoNext());
        ReadWhole();
        size_t at = rows.size();
        for (const WalkedRow& row : rest) {
            while (at < expected.size() && expected[at].id != row.id)
                ++at;
            ASSERT_LT(at, expected.size()) << context << ": saves while walking gave " << row;
            const auto now = first_.find(row.id);
            EXPECT_TRUE(row.columns == before.at(row.id) ||
                        (now != first_.end() && row.columns == now->second))
                << context << ": saves while walking gave " << row;
            ++at;
        }
        ++seen_["saves while walking"];
    }

    void RunSeed(uint32_t seed, const char* source, int shown, int hidden, int rounds) {
        std::mt19937 random(seed);
        ASSERT_NO_FATAL_FAILURE(BuildDatabase(random, shown, hidden));
        ASSERT_EQ(DSOpen(source), kColumns);
        flat_ = std::string(source) == "Area";
        stale_ = false;
        ReadWhole();
        std::string log;
        for (int round = 0; round < rounds; ++round) {
            const Query q = RandomQuery(random);
            const std::string context = "seed " + std::to_string(seed) + " round " + std::to_string(round) +
                                        " query [" + q.text.substr(0, 80) + "] after" +
                                        log.substr(log.size() > 300 ? log.size() - 300 : 0);
            ASSERT_NO_FATAL_FAILURE(CheckQuery(q, context));
            if (HasFailure()) return;
            if (random() % 4 == 0) {
                // A retrieval between searches, then the same search again.
                ReadWhole();
                ASSERT_NO_FATAL_FAILURE(CheckQuery(q, context + ": after a retrieval"));
            }
            if (random() % 6 == 0) {
                ASSERT_NO_FATAL_FAILURE(CheckSavesWhileWalking(q, random, log, context));
            }
            if (random() % 3 == 0) {
                const int changes = 1 + static_cast<int>(random() % 6);
                for (int i = 0; i < changes; ++i)
                    ASSERT_NO_FATAL_FAILURE(Change(random, log));
                stale_ = true;
                if (random() % 3 != 0) {
                    ASSERT_NO_FATAL_FAILURE(Reindex());
                    stale_ = false;
                    log += " index";
                }
                ReadWhole();
            }
        }
    }

    nnotes::DBHANDLE db_ = nnotes::NULLHANDLE;
    nnotes::FTSEARCHHANDLE search_ = 0;
    std::vector<Doc> docs_;
    std::map<nnotes::NOTEID, std::vector<std::string>> indexed_; // each document's words at the last index
    bool flat_ = false;                                          // the view has no responses
    bool stale_ = false;              // documents changed since the index was last brought up to date
    std::map<std::string, int> seen_; // searches by what they gave, so that a run shows it met each case
    std::vector<WalkedRow> whole_;
    std::vector<WalkedRow> walked_; // the rows the walk goes through now
    std::map<int, std::string> first_;
};

TEST_F(SearchRandomTest, SearchesOfAViewWithoutResponsesMatchTheIndexAndTheWholeWalk) {
    RunSeed(20261210, "Area", 2400, 300, 70);
    for (const char* kind :
         {"no row", "rows", "the most rows", "a refused query", "a stale index", "saves while walking"})
        EXPECT_GT(seen_[kind], 0) << kind;
}

TEST_F(SearchRandomTest, SearchesOfAViewWithResponsesMatchTheIndexAndTheWholeWalk) {
    RunSeed(7, "Threads", 1500, 200, 50);
    for (const char* kind : {"no row", "rows", "the most rows", "a refused query", "a stale index"})
        EXPECT_GT(seen_[kind], 0) << kind;
}

// Queries of tens of thousands of bytes: a word over and over (deeper than the index reads), the same as one
// phrase, and one long word.
TEST_F(SearchRandomTest, OverlongQueriesGiveWhatTheIndexGivesThem) {
    std::mt19937 random(5);
    ASSERT_NO_FATAL_FAILURE(BuildDatabase(random, 50, 5));
    ASSERT_EQ(DSOpen("Area"), kColumns);
    ReadWhole();
    std::string words;
    while (words.size() < 24000)
        words += "alpha ";
    for (const std::string& text : {words, "\"" + words + "\"", std::string(24000, 'x'), words + "zzqx"}) {
        Query q;
        q.kind = Query::Odd;
        q.text = text;
        ASSERT_NO_FATAL_FAILURE(CheckQuery(q, "a query of " + std::to_string(text.size()) + " bytes"));
    }
}

TEST_F(SearchRandomTest, SmallStoresUnderManyChanges) {
    for (const uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        RunSeed(seed, seed % 2 ? "Area" : "Threads", 40, 10, 60);
        if (HasFailure()) return;
        Reset();
    }
}

} // namespace
} // namespace qvltest
