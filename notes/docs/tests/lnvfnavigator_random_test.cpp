// Seeded random walks of a view with two category levels, documents in several categories and responses
// under responses (and of the same documents in a view without categories), checked at every step against a
// model of the view's rows written here: the navigation
// codes, entries by index and at positions, finding by keys with each option, counts, statistics and note
// ids, navigators restricted to one entry's subtree, and documents saved or deleted between steps.
#include "ln/lndatetimes.h"
#include "ln/lnnumbers.h"
#include "ln/lnvffindkey.h"
#include "lnviewfolderfixture.h"
#include "nnotes/collection.h"
#include "nnotes/idtable.h"
#include "util/coding.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <random>
#include <set>

namespace {

// The regions documents are filed under; one differs from a plain name only by its accent.
const char* const kRegions[] = {"alpha", "beta", "delta", "\xC3\xA9lan", "gamma"};
constexpr int kDates = 3;
const char* const kDateTexts[kDates] = {"2019-03-01T09:00:00Z", "2020-07-15T12:30:00Z",
                                        "2021-12-31T23:59:59Z"};

// A document as the model knows it.
struct Doc {
    std::string name;                 // unique, lower-case letters
    std::vector<std::string> regions; // none: the empty category
    double district = 1;
    int when = 0;    // index into kDateTexts
    int parent = -1; // index of the document this one responds to
    bool deleted = false;
    nnotes::NOTEID id = 0;
};

// A row of the view as the model orders it.
struct Row {
    enum Kind { Category, Main, Response } kind = Category;
    int level = 0;
    std::vector<uint32_t> path; // the 1-based rank at each level
    int parent = -1;            // row index
    std::vector<int> children;  // row indexes
    int doc = -1;
    std::string region;  // categories of level 0
    double district = 0; // categories of level 1
    int subtree = 0;     // descendants
};

// The collation the view sorts texts by, for the texts this test uses: accents count only after letters.
std::string SortKey(const std::string& text) {
    std::string primary;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC3\xA9") == 0) {
            primary += 'e';
            ++i;
        } else {
            primary += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        }
    }
    return primary + '\x01' + text;
}

// The text with its accented letters plain and every letter lower-case.
std::string Folded(const std::string& text, bool caseToo, bool accentsToo) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (accentsToo && (text.compare(i, 2, "\xC3\xA9") == 0 || text.compare(i, 2, "\xC3\x89") == 0)) {
            out += text[i + 1] == '\xA9' ? 'e' : 'E';
            ++i;
            continue;
        }
        if (caseToo && text.compare(i, 2, "\xC3\x89") == 0) {
            out += "\xC3\xA9";
            ++i;
            continue;
        }
        out += caseToo ? static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))) : text[i];
    }
    if (caseToo)
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The first characters (not bytes) of text.
std::string FirstCharacters(const std::string& text, size_t characters) {
    size_t at = 0;
    for (size_t n = 0; n < characters && at < text.size(); ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return text.substr(0, at);
}

size_t Characters(const std::string& text) {
    size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string PathText(const std::vector<uint32_t>& path) {
    std::string text;
    for (const uint32_t index : path)
        text += (text.empty() ? "" : ".") + std::to_string(index);
    return text;
}

std::string NumberText(double number) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", number);
    return text;
}

std::set<nnotes::NOTEID> IdsOf(nnotes::DHANDLE table) {
    std::set<nnotes::NOTEID> ids;
    nnotes::NOTEID id = 0;
    for (bool first = true; nnotes::IDScan(table, first, &id) == nnotes::NOERROR; first = false)
        ids.insert(id);
    return ids;
}

// One key of a find: a region, district, name or date, in key order.
struct Key {
    enum Kind { Text, Number, Date } kind = Text;
    std::string text;
    double number = 0;
    int when = 0;
};

class NavigatorRandomTest : public ViewsTest {
protected:
    // The database: random documents under the views "Tree" (two category levels) and "Flat" (none, the same
    // columns otherwise).
    std::string Description() {
        std::string documents;
        for (size_t i = 0; i < docs_.size(); ++i) {
            const Doc& d = docs_[i];
            std::string regions;
            if (d.regions.size() == 1) regions = R"("Region": ")" + d.regions[0] + R"(", )";
            if (d.regions.size() > 1)
                regions = R"("Region": [")" + d.regions[0] + R"(", ")" + d.regions[1] + R"("], )";
            documents += std::string(i ? ",\n" : "") + "{" + regions + R"("District": )" +
                         NumberText(d.district) + R"(, "Name": ")" + d.name + R"(", "When": {"datetime": ")" +
                         kDateTexts[d.when] + R"("})";
            if (d.parent >= 0)
                documents += R"(, "Reply": "re )" + d.name + R"(", "$Parent": )" + std::to_string(d.parent);
            documents += "}";
        }
        return R"({"path": ")" + Path() + R"(", "views": [{"name": "Tree", "columns": [
            {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
            {"title": "District", "item": "District", "sorted": true, "categorised": true},
            {"title": "Name", "item": "Name", "sorted": true},
            {"title": "When", "item": "When", "sorted": true},
            {"title": "Reply", "item": "Reply", "response": true}]},
            {"name": "Flat", "columns": [
            {"title": "Region", "item": "Region"}, {"title": "District", "item": "District"},
            {"title": "Name", "item": "Name", "sorted": true}, {"title": "When", "item": "When", "sorted": true},
            {"title": "Reply", "item": "Reply", "response": true}]}],
          "documents": [)" +
               documents + "]}";
    }

    std::string Path() const { return "tree" + std::to_string(seed_) + ".nsf"; }

    std::string NewName() {
        for (;;) {
            std::string name;
            const int length = 2 + static_cast<int>(rng_() % 5);
            for (int i = 0; i < length; ++i)
                name += static_cast<char>('a' + rng_() % 6);
            if (names_.insert(name).second) return name;
        }
    }

    Doc NewDoc(int parent) {
        Doc d;
        d.name = NewName();
        const uint32_t spread = rng_() % 10;
        if (spread >= 1) d.regions.push_back(kRegions[rng_() % 5]);
        if (spread >= 8) {
            const std::string second = kRegions[rng_() % 5];
            if (second != d.regions[0]) d.regions.push_back(second);
        }
        d.district = (rng_() % 4 == 0) ? 2.5 : static_cast<double>(1 + rng_() % 3);
        d.when = static_cast<int>(rng_() % kDates);
        d.parent = parent;
        return d;
    }

    // Whether document i shows in the view: not deleted, and a response only under a document that shows.
    bool Shown(int i) const {
        for (; i >= 0; i = docs_[i].parent)
            if (docs_[i].deleted) return false;
        return true;
    }

    // The rows of the view in order.
    void BuildModel() {
        rows_.clear();
        struct Appearance {
            std::string region;
            bool noRegion;
            double district;
            int doc;
        };
        std::vector<Appearance> mains;
        for (int i = 0; i < static_cast<int>(docs_.size()); ++i) {
            if (docs_[i].parent >= 0 || !Shown(i)) continue;
            if (flat_) {
                mains.push_back({"", true, 0, i});
                continue;
            }
            if (docs_[i].regions.empty()) mains.push_back({"", true, docs_[i].district, i});
            for (const std::string& r : docs_[i].regions)
                mains.push_back({r, false, docs_[i].district, i});
        }
        std::sort(mains.begin(), mains.end(), [&](const Appearance& a, const Appearance& b) {
            if (a.noRegion != b.noRegion) return a.noRegion;
            if (a.region != b.region) return SortKey(a.region) < SortKey(b.region);
            if (a.district != b.district) return a.district < b.district;
            return docs_[a.doc].name < docs_[b.doc].name;
        });
        const auto push = [&](Row row, int parent) {
            row.parent = parent;
            row.level = parent < 0 ? 0 : rows_[parent].level + 1;
            row.path = parent < 0 ? std::vector<uint32_t>{} : rows_[parent].path;
            const auto& peers = parent < 0 ? top_ : rows_[parent].children;
            row.path.push_back(static_cast<uint32_t>(peers.size() + 1));
            rows_.push_back(row);
            const int index = static_cast<int>(rows_.size()) - 1;
            (parent < 0 ? top_ : rows_[parent].children).push_back(index);
            for (int p = parent; p >= 0; p = rows_[p].parent)
                ++rows_[p].subtree;
            return index;
        };
        std::function<void(int, int)> responses = [&](int doc, int parent) {
            std::vector<int> under;
            for (int i = 0; i < static_cast<int>(docs_.size()); ++i)
                if (docs_[i].parent == doc && Shown(i)) under.push_back(i);
            std::sort(under.begin(), under.end(),
                      [&](int a, int b) { return docs_[a].name < docs_[b].name; });
            for (const int i : under) {
                Row row;
                row.kind = Row::Response;
                row.doc = i;
                responses(i, push(row, parent));
            }
        };
        top_.clear();
        int region = -1, district = -1;
        for (size_t m = 0; m < mains.size(); ++m) {
            const Appearance& a = mains[m];
            if (flat_) {
                Row row;
                row.kind = Row::Main;
                row.doc = a.doc;
                responses(a.doc, push(row, -1));
                continue;
            }
            if (m == 0 || a.noRegion != mains[m - 1].noRegion || a.region != mains[m - 1].region) {
                Row row;
                row.region = a.region;
                region = push(row, -1);
                district = -1;
            }
            if (district < 0 || a.district != mains[m - 1].district) {
                Row row;
                row.district = a.district;
                district = push(row, region);
            }
            Row row;
            row.kind = Row::Main;
            row.doc = a.doc;
            responses(a.doc, push(row, district));
        }
    }

    // What an entry shows, in the same form as Expected.
    static std::string Seen(const LNVFEntry& entry) {
        LNVFPosition position;
        if (entry.GetPosition(&position) != 0) return "(no position)";
        const char kind = entry.IsCategory()       ? 'C'
                          : entry.IsMainDocument() ? 'D'
                          : entry.IsResponse()     ? 'R'
                                                   : '?';
        LNNumbers district = entry[1];
        return std::string(1, kind) + " " + Text(position.GetText('.')) + " " + ColumnText(entry, 0) + "|" +
               (district.GetCount() ? NumberText(district[0].GetValue()) : "") + "|" + ColumnText(entry, 2) +
               " indent " + std::to_string(entry.GetIndentLevels());
    }

    std::string Expected(int r) const {
        const Row& row = rows_[r];
        int indent = 0;
        for (int p = r; rows_[p].kind == Row::Response; p = rows_[p].parent)
            ++indent;
        const char kind = row.kind == Row::Category ? 'C' : row.kind == Row::Main ? 'D' : 'R';
        const std::string name = row.doc >= 0 ? docs_[row.doc].name : "";
        std::string district = row.kind == Row::Category && row.level == 1 ? NumberText(row.district) : "";
        std::string region = row.region;
        if (flat_) {
            // Without categories the plain columns show each document's own values.
            const Doc& d = docs_[row.doc];
            region = d.regions.empty() ? "" : d.regions[0];
            district = NumberText(d.district);
        }
        return std::string(1, kind) + " " + PathText(row.path) + " " + region + "|" + district + "|" + name +
               " indent " + std::to_string(indent);
    }

    // The row a navigation code leads to from row at; -1 where it leads nowhere.
    int Move(int code, int at) const {
        const int n = static_cast<int>(rows_.size());
        const Row& row = rows_[at];
        const std::vector<int>& peers = row.parent < 0 ? top_ : rows_[row.parent].children;
        const int rank = static_cast<int>(row.path.back());
        const auto scan = [&](int step, const std::function<bool(const Row&)>& wanted) {
            for (int i = at + step; i >= 0 && i < n; i += step)
                if (wanted(rows_[i])) return i;
            return -1;
        };
        const auto peerOf = [&](int r, int offset) {
            const std::vector<int>& of = rows_[r].parent < 0 ? top_ : rows_[rows_[r].parent].children;
            const int to = static_cast<int>(rows_[r].path.back()) - 1 + offset;
            return to >= 0 && to < static_cast<int>(of.size()) ? of[to] : -1;
        };
        const bool isCategory = row.kind == Row::Category;
        const auto notCategory = [](const Row& r) { return r.kind != Row::Category; };
        switch (code) {
        case 0:
            return row.children.empty() ? -1 : row.children[0];
        case LNVFNAVIGATION_FIRST:
            return 0;
        case LNVFNAVIGATION_FIRST_PEER:
            return peers.front();
        case LNVFNAVIGATION_LAST:
            return n - 1;
        case LNVFNAVIGATION_LAST_PEER:
            return peers.back();
        case LNVFNAVIGATION_MAIN: {
            if (isCategory) return -1;
            int m = at;
            while (rows_[m].kind == Row::Response)
                m = rows_[m].parent;
            return m;
        }
        case LNVFNAVIGATION_NEXT:
            return at + 1 < n ? at + 1 : -1;
        case LNVFNAVIGATION_NEXT_CATEGORY:
            return scan(1, [](const Row& r) { return r.kind == Row::Category; });
        case LNVFNAVIGATION_NEXT_MAIN:
            if (isCategory) return scan(1, notCategory);
            return scan(1, [](const Row& r) { return r.kind == Row::Main; });
        case LNVFNAVIGATION_NEXT_NONCATEGORY:
            return scan(1, notCategory);
        case LNVFNAVIGATION_NEXT_PARENT:
            return row.parent < 0 ? -1 : peerOf(row.parent, 1);
        case LNVFNAVIGATION_NEXT_PEER:
            return rank < static_cast<int>(peers.size()) ? peers[rank] : -1;
        case LNVFNAVIGATION_PARENT:
            return row.parent;
        case LNVFNAVIGATION_PREVIOUS:
            return at - 1;
        case LNVFNAVIGATION_PREVIOUS_CATEGORY:
            return scan(-1, [](const Row& r) { return r.kind == Row::Category; });
        case LNVFNAVIGATION_PREVIOUS_MAIN:
            return scan(-1, [](const Row& r) { return r.kind == Row::Main; });
        case LNVFNAVIGATION_PREVIOUS_NONCATEGORY:
            return scan(-1, notCategory);
        case LNVFNAVIGATION_PREVIOUS_PARENT:
            return row.parent < 0 ? -1 : peerOf(row.parent, -1);
        case LNVFNAVIGATION_PREVIOUS_PEER:
            return rank > 1 ? peers[rank - 2] : -1;
        default:
            return -1;
        }
    }

    std::string Where(int step) const {
        return "\n(seed " + std::to_string(seed_) + ", step " + std::to_string(step) + ")";
    }

    int RowAt(const LNVFPosition& position) const {
        for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
            if (Text(position.GetText('.')) == PathText(rows_[r].path)) return r;
        return -1;
    }

    static LNVFPosition PositionOf(const std::vector<uint32_t>& path) {
        nnotes::CollectionPosition raw{};
        raw.Level = static_cast<uint16_t>(path.size() - 1);
        raw.MaxLevel = 31;
        std::copy(path.begin(), path.end(), raw.EntryIndex);
        LNVFPosition position;
        position = &raw;
        return position;
    }

    // The sorted column key k is matched against: 0 region, 1 district, 2 name, 3 date.
    int KeyColumn(size_t k) const { return flat_ ? static_cast<int>(k) + 2 : static_cast<int>(k); }
    int SortedColumns() const { return flat_ ? 2 : 4; }

    // The matches of keys among the main rows in order, by the find options; the first and how many.
    std::pair<int, uint32_t> Matches(const std::vector<Key>& keys, bool partial, bool caseToo,
                                     bool accentsToo) const {
        int first = -1;
        uint32_t count = 0;
        for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
            if (rows_[r].kind != Row::Main) continue;
            const Doc& d = docs_[rows_[r].doc];
            const std::string region = flat_ ? "" : rows_[rows_[rows_[r].parent].parent].region;
            bool all = true;
            for (size_t k = 0; k < keys.size() && all; ++k) {
                const Key& key = keys[k];
                const int column = KeyColumn(k);
                if (column == 1 || column == 3) {
                    all = column == 1 ? key.kind == Key::Number && key.number == d.district
                                      : key.kind == Key::Date && key.when == d.when;
                    continue;
                }
                const std::string value = column == 0 ? region : d.name;
                if (key.kind != Key::Text || value.empty()) {
                    all = false;
                    continue;
                }
                const std::string compared = partial ? FirstCharacters(value, Characters(key.text)) : value;
                all = Folded(key.text, caseToo, accentsToo) == Folded(compared, caseToo, accentsToo);
            }
            if (!all) continue;
            if (first < 0) first = r;
            ++count;
        }
        return {first, count};
    }

    // A key list, mostly taken from a document of the view with its text changed in case or cut short.
    std::vector<Key> RandomKeys() {
        std::vector<Key> keys;
        const int wanted = 1 + static_cast<int>(rng_() % SortedColumns());
        std::vector<int> mains;
        for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
            if (rows_[r].kind == Row::Main) mains.push_back(r);
        const int target = mains.empty() ? -1 : mains[rng_() % mains.size()];
        for (int k = 0; k < wanted; ++k) {
            Key key;
            const bool fromTarget = target >= 0 && rng_() % 5 != 0;
            const int column = KeyColumn(static_cast<size_t>(k));
            if (column == 1) {
                key.kind = Key::Number;
                key.number = fromTarget ? docs_[rows_[target].doc].district : 1 + rng_() % 4;
            } else if (column == 3) {
                key.kind = Key::Date;
                key.when = fromTarget ? docs_[rows_[target].doc].when : static_cast<int>(rng_() % kDates);
            } else {
                std::string text = fromTarget
                                       ? (column == 0 ? rows_[rows_[rows_[target].parent].parent].region
                                                      : docs_[rows_[target].doc].name)
                                       : std::string(1, static_cast<char>('a' + rng_() % 8));
                if (text.empty()) text = "alpha";
                if (rng_() % 3 == 0) text = FirstCharacters(text, 1 + rng_() % Characters(text));
                if (rng_() % 4 == 0)
                    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
                if (rng_() % 4 == 0 && text.compare(0, 2, "\xC3\xA9") == 0) text = "e" + text.substr(2);
                if (rng_() % 6 == 0 && text.compare(0, 2, "\xC3\xA9") == 0)
                    text = "\xC3\x89" + text.substr(2);
                key.text = text;
            }
            // Now and then a key of the wrong kind for its column.
            if (rng_() % 12 == 0) {
                key.kind = key.kind == Key::Text ? Key::Number : Key::Text;
                key.text = "1";
                key.number = 1;
            }
            keys.push_back(key);
        }
        return keys;
    }

    // The instant of each date, as the view's entries give it.
    void LearnDates() {
        LNVFNavigator all;
        ASSERT_EQ(view_.GetEntries(&all), 0u);
        LNVFEntry entry;
        for (LNSTATUS s = all.Goto(LNVFNAVIGATION_FIRST, &entry); s == 0;
             s = all.Goto(LNVFNAVIGATION_NEXT, &entry)) {
            if (!entry.IsMainDocument()) continue;
            const std::string name = ColumnText(entry, 2);
            for (Doc& d : docs_)
                if (d.name == name) {
                    d.id = entry.GetNoteID();
                    LNDatetimes when = entry[3];
                    ASSERT_EQ(when.GetCount(), 1u) << name;
                    const LNDatetime date = when[0].GetValue();
                    dates_[d.when] = *date.GetRawValue();
                }
        }
        LNVFEntry response;
        for (LNSTATUS s = all.Goto(LNVFNAVIGATION_FIRST, &response); s == 0;
             s = all.Goto(LNVFNAVIGATION_NEXT, &response))
            if (response.IsResponse())
                for (Doc& d : docs_)
                    if (d.name == ColumnText(response, 2)) d.id = response.GetNoteID();
    }

    // A new main document saved through the store.
    void SaveNewDoc() {
        Doc d = NewDoc(-1);
        d.regions.resize(std::min<size_t>(d.regions.size(), 1));
        nnotes::NOTEHANDLE note = 0;
        ASSERT_EQ(nnotes::CreateNote(tree_.GetHandle(), &note), nnotes::NOERROR);
        if (!d.regions.empty()) {
            ASSERT_EQ(nnotes::SetItemText(note, "Region", d.regions[0].data(),
                                          static_cast<uint16_t>(d.regions[0].size())),
                      nnotes::NOERROR);
        }
        ASSERT_EQ(nnotes::SetItemText(note, "Name", d.name.data(), static_cast<uint16_t>(d.name.size())),
                  nnotes::NOERROR);
        uint64_t bits = 0;
        std::memcpy(&bits, &d.district, sizeof bits);
        char number[8];
        util::EncodeFixed64(number, bits);
        ASSERT_EQ(nnotes::AppendItem(note, 0x0004, "District", 8, nnotes::TYPE_NUMBER, number, 8, nullptr),
                  nnotes::NOERROR);
        char when[8];
        util::EncodeFixed32(when, dates_[d.when].words[0]);
        util::EncodeFixed32(when + 4, dates_[d.when].words[1]);
        ASSERT_EQ(nnotes::AppendItem(note, 0x0004, "When", 4, nnotes::TYPE_TIME, when, 8, nullptr),
                  nnotes::NOERROR);
        ASSERT_EQ(testsupport::SaveAndClose(note, d.id), nnotes::NOERROR);
        docs_.push_back(d);
    }

    void CheckEntry(const LNVFEntry& entry, int r, const std::string& what) {
        ASSERT_EQ(Seen(entry), Expected(r)) << what;
        if (rng_() % 4 != 0) return;
        const Row& row = rows_[r];
        const std::vector<int>& peers = row.parent < 0 ? top_ : rows_[row.parent].children;
        EXPECT_EQ(entry.GetChildCount(), row.children.size()) << what << " children";
        EXPECT_EQ(entry.GetDescendantCount(), static_cast<uint32_t>(row.subtree)) << what << " descendants";
        EXPECT_EQ(entry.GetSiblingCount(), peers.size()) << what << " siblings";
        if (row.doc >= 0) {
            EXPECT_EQ(entry.GetNoteID(), docs_[row.doc].id) << what;
        }
    }

    // A navigator restricted to the subtree of row start, levels deep, walked and read by index.
    void CheckRestricted(int start, uint32_t levels, const std::string& where) {
        ASSERT_EQ(view_.SetPosition(PositionOf(rows_[start].path)), 0u) << where;
        std::vector<int> expected;
        const int deepest = rows_[start].level + static_cast<int>(levels);
        for (int r = start + 1; r <= start + rows_[start].subtree; ++r)
            if (rows_[r].level <= deepest) expected.push_back(r);
        LNVFNavigator under;
        const LNSTATUS made = view_.GetEntries(&under, levels);
        if (expected.empty()) {
            EXPECT_EQ(made, LNWARN_NOT_FOUND) << where;
            return;
        }
        ASSERT_EQ(made, 0u) << where;
        EXPECT_EQ(under.GetEntryCount(), expected.size()) << where;
        LNVFEntry entry;
        size_t seen = 0;
        for (LNSTATUS s = under.Goto(LNVFNAVIGATION_FIRST, &entry); s == 0 && seen <= expected.size();
             s = under.Goto(LNVFNAVIGATION_NEXT, &entry), ++seen) {
            ASSERT_LT(seen, expected.size()) << where << " walks past its entries";
            ASSERT_EQ(Seen(entry), Expected(expected[seen])) << where << " walk " << seen;
        }
        EXPECT_EQ(seen, expected.size()) << where;
        // The last entry is found from wherever the navigator stands: its last entry or its first.
        if (rng_() % 2 == 0) {
            ASSERT_EQ(under.Goto(LNVFNAVIGATION_FIRST), 0u) << where;
        }
        for (size_t back = expected.size(); back-- > 0;) {
            const LNSTATUS s = under.Goto(
                back + 1 == expected.size() ? LNVFNAVIGATION_LAST : LNVFNAVIGATION_PREVIOUS, &entry);
            ASSERT_EQ(s, 0u) << where << " backwards " << back;
            ASSERT_EQ(Seen(entry), Expected(expected[back])) << where << " backwards " << back;
        }
        EXPECT_EQ(under.Goto(LNVFNAVIGATION_PREVIOUS, &entry), LNWARN_NOT_FOUND) << where;
        const uint32_t index = static_cast<uint32_t>(rng_() % (expected.size() + 1));
        if (index < expected.size()) {
            EXPECT_EQ(Seen(under[index]), Expected(expected[index])) << where << " index " << index;
        } else {
            EXPECT_EQ(Thrown([&] { under[index]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE) << where;
        }
        nnotes::DHANDLE ids = 0;
        ASSERT_EQ(under.GetIDTable(&ids), 0u) << where;
        std::set<nnotes::NOTEID> wanted;
        for (const int r : expected)
            if (rows_[r].doc >= 0) wanted.insert(docs_[rows_[r].doc].id);
        EXPECT_EQ(IdsOf(ids), wanted) << where;

        // Random codes stay among the navigator's own entries.
        int at = expected[0];
        ASSERT_EQ(under.Goto(LNVFNAVIGATION_FIRST), 0u) << where;
        for (int move = 0; move < 12; ++move) {
            const int code = RandomCode();
            if (code == 12 || code == 21 || code == 23) continue;
            const std::string what =
                where + " code " + std::to_string(code) + " from " + PathText(rows_[at].path);
            const int to = RestrictedMove(code, at, expected);
            const LNSTATUS s = under.Goto(static_cast<LNVFNAVIGATION>(code), &entry);
            if (to < 0) {
                ASSERT_EQ(s, LNWARN_NOT_FOUND) << what << ", reached " << (s == 0 ? Seen(entry) : "");
                continue;
            }
            ASSERT_EQ(s, 0u) << what << ", expected " << Expected(to);
            ASSERT_EQ(Seen(entry), Expected(to)) << what;
            if (rng_() % 3 == 0) {
                const bool deepest = rows_[to].level >= rows_[start].level + static_cast<int>(levels);
                uint32_t descendants = 0;
                for (int r = to + 1; r <= to + rows_[to].subtree; ++r)
                    descendants += std::find(expected.begin(), expected.end(), r) != expected.end();
                EXPECT_EQ(entry.GetChildCount(), deepest ? 0u : rows_[to].children.size()) << what;
                EXPECT_EQ(entry.GetDescendantCount(), descendants) << what;
            }
            at = to;
        }
    }

    int RandomCode() {
        static constexpr int kCodes[] = {0,  1,  2,  3,  4,  5,  6,  6,  6,  6,  7,  8,  9,
                                         10, 11, 14, 15, 15, 16, 17, 18, 19, 20, 12, 21, 23};
        return kCodes[rng_() % std::size(kCodes)];
    }

    // The row a code leads to among the rows of a restricted navigator; -1 where it leads nowhere.
    int RestrictedMove(int code, int at, const std::vector<int>& own) const {
        const auto mine = [&](int r) { return std::find(own.begin(), own.end(), r) != own.end(); };
        const int here = static_cast<int>(std::find(own.begin(), own.end(), at) - own.begin());
        const auto scan = [&](int step, const std::function<bool(const Row&)>& wanted) {
            for (int i = here + step; i >= 0 && i < static_cast<int>(own.size()); i += step)
                if (wanted(rows_[own[i]])) return own[i];
            return -1;
        };
        const auto any = [](const Row&) { return true; };
        const auto category = [](const Row& r) { return r.kind == Row::Category; };
        const auto notCategory = [](const Row& r) { return r.kind != Row::Category; };
        const auto main = [](const Row& r) { return r.kind == Row::Main; };
        switch (code) {
        case LNVFNAVIGATION_FIRST:
            return own.front();
        case LNVFNAVIGATION_LAST:
            return own.back();
        case LNVFNAVIGATION_NEXT:
            return scan(1, any);
        case LNVFNAVIGATION_PREVIOUS:
            return scan(-1, any);
        case LNVFNAVIGATION_NEXT_CATEGORY:
            return scan(1, category);
        case LNVFNAVIGATION_PREVIOUS_CATEGORY:
            return scan(-1, category);
        case LNVFNAVIGATION_NEXT_MAIN:
            return scan(1, rows_[at].kind == Row::Category ? notCategory : main);
        case LNVFNAVIGATION_PREVIOUS_MAIN:
            return scan(-1, main);
        case LNVFNAVIGATION_NEXT_NONCATEGORY:
            return scan(1, notCategory);
        case LNVFNAVIGATION_PREVIOUS_NONCATEGORY:
            return scan(-1, notCategory);
        default: {
            const int to = Move(code, at);
            return to >= 0 && mine(to) ? to : -1;
        }
        }
    }

    // Each seed's walk on a view of its own, stopping at the first fatal failure.
    void RunSeeds(std::initializer_list<uint32_t> seeds) {
        for (const uint32_t seed : seeds) {
            docs_.clear();
            names_.clear();
            view_ = LNViewFolder();
            tree_ = LNDatabase();
            Run(seed, 250);
            if (HasFatalFailure()) return;
        }
    }

    void Run(uint32_t seed, int steps);

    bool flat_ = false;

    void TearDown() override {
        view_ = LNViewFolder();
        tree_ = LNDatabase();
        ViewsTest::TearDown();
    }

    uint32_t seed_ = 0;
    std::mt19937 rng_;
    std::set<std::string> names_;
    std::vector<Doc> docs_;
    std::vector<Row> rows_;
    std::vector<int> top_;
    nnotes::Instant dates_[kDates]{};
    LNDatabase tree_;
    LNViewFolder view_;
};

void NavigatorRandomTest::Run(uint32_t seed, int steps) {
    seed_ = seed;
    rng_.seed(seed);
    const int count = 12 + static_cast<int>(rng_() % 20);
    for (int i = 0; i < count; ++i) {
        const bool response = i > 2 && rng_() % 3 == 0;
        docs_.push_back(NewDoc(response ? static_cast<int>(rng_() % i) : -1));
    }
    ASSERT_EQ(area_.Build(Description()), "") << Where(0);
    ASSERT_EQ(session_.GetDatabase(Path().c_str(), &tree_), 0u);
    ASSERT_EQ(tree_.Open(), 0u);
    ASSERT_EQ(tree_.GetViewFolder(flat_ ? "Flat" : "Tree", &view_), 0u);
    ASSERT_EQ(view_.Open(0), 0u);
    BuildModel();
    LearnDates();
    for (const Doc& d : docs_)
        ASSERT_NE(d.id, 0u) << d.name << Where(0);
    ASSERT_EQ(view_.IsCategorized(), !flat_) << Where(0);

    int at = 0; // the row of the view's position
    LNVFEntry entry;
    for (int step = 1; step <= steps; ++step) {
        const std::string where = Where(step);
        const int n = static_cast<int>(rows_.size());
        ASSERT_EQ(view_.GetEntryCount(), static_cast<uint32_t>(n)) << where;
        if (n == 0) {
            EXPECT_EQ(view_.Goto(LNVFNAVIGATION_FIRST, &entry), LNWARN_NOT_FOUND) << where;
            SaveNewDoc();
            ASSERT_EQ(view_.Refresh(), 0u) << where;
            BuildModel();
            at = 0;
            continue;
        }
        const uint32_t op = rng_() % 100;
        if (op < 55) {
            const int code = RandomCode();
            const std::string what =
                "code " + std::to_string(code) + " from " + PathText(rows_[at].path) + where;
            const LNSTATUS s = view_.Goto(static_cast<LNVFNAVIGATION>(code), &entry);
            if (code == 12 || code == 21) {
                EXPECT_EQ(s, LNERR_NOT_IMPLEMENTED) << what;
                continue;
            }
            if (code == 23) {
                EXPECT_EQ(s, LNERR_INVALID_PARAMETER) << what;
                continue;
            }
            const int to = Move(code, at);
            if (to < 0) {
                ASSERT_EQ(s, LNWARN_NOT_FOUND) << what;
                LNVFPosition position;
                ASSERT_EQ(view_.GetPosition(&position), 0u);
                ASSERT_EQ(Text(position.GetText('.')), PathText(rows_[at].path))
                    << what << ": a failed move stays";
                continue;
            }
            ASSERT_EQ(s, 0u) << what << ", expected " << Expected(to);
            CheckEntry(entry, to, what);
            at = to;
        } else if (op < 65) {
            const uint32_t index = static_cast<uint32_t>(rng_() % (n + 2));
            if (index < static_cast<uint32_t>(n)) {
                ASSERT_EQ(Seen(view_[index]), Expected(static_cast<int>(index)))
                    << "index " << index << where;
                at = static_cast<int>(index);
            } else {
                EXPECT_EQ(Thrown([&] { view_[index]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE) << where;
                at = 0;
            }
        } else if (op < 72) {
            const int r = static_cast<int>(rng_() % n);
            std::vector<uint32_t> path = rows_[r].path;
            if (rng_() % 5 == 0) {
                path.push_back(static_cast<uint32_t>(rows_[r].children.size() + 1));
                EXPECT_EQ(view_.SetPosition(PositionOf(path)), LNERR_INVALID_PARAMETER) << where;
                continue;
            }
            ASSERT_EQ(view_.SetPosition(PositionOf(path)), 0u) << where;
            ASSERT_EQ(view_.GetEntry(&entry), 0u) << where;
            CheckEntry(entry, r, "at " + PathText(path) + where);
            at = r;
        } else if (op < 84) {
            const std::vector<Key> keys = RandomKeys();
            LNVFFindKeys findKeys;
            std::string what = "keys";
            for (const Key& key : keys) {
                if (key.kind == Key::Text) {
                    ASSERT_EQ(findKeys.AppendTextKey(key.text.c_str()), 0u);
                    what += " '" + key.text + "'";
                } else if (key.kind == Key::Number) {
                    ASSERT_EQ(findKeys.AppendNumberKey(key.number), 0u);
                    what += " " + NumberText(key.number);
                } else {
                    ASSERT_EQ(findKeys.AppendDatetimeKey(LNDatetime(dates_[key.when])), 0u);
                    what += " date" + std::to_string(key.when);
                }
            }
            LNVFFindOptions options;
            const bool partial = rng_() % 3 != 0, caseToo = rng_() % 3 != 0, accentsToo = rng_() % 3 != 0;
            options.SetExactMatch(!partial);
            options.SetCaseSensitive(!caseToo);
            options.SetAccentSensitive(!accentsToo);
            what += " partial " + std::to_string(partial) + " case-blind " + std::to_string(caseToo) +
                    " accent-blind " + std::to_string(accentsToo) + where;
            auto [first, matches] = Matches(keys, partial, caseToo, accentsToo);
            uint32_t found = 77;
            const LNSTATUS s = view_.FindByKeys(findKeys, options, &entry, &found);
            if (first < 0) {
                ASSERT_EQ(s, LNWARN_NOT_FOUND) << what;
                EXPECT_EQ(found, 0u) << what;
                continue;
            }
            if (keys.size() == 1 && rows_[first].level > 0) {
                // One key stands for the top category holding the documents found.
                while (rows_[first].parent >= 0)
                    first = rows_[first].parent;
                matches = 1;
            }
            ASSERT_EQ(s, 0u) << what << ", expected " << Expected(first);
            EXPECT_EQ(found, matches) << what;
            CheckEntry(entry, first, what);
            at = first;
        } else if (op < 88) {
            LNVFNavigator all;
            ASSERT_EQ(view_.GetEntries(&all), 0u);
            nnotes::DHANDLE ids = 0;
            ASSERT_EQ(all.GetIDTable(&ids), 0u) << where;
            std::set<nnotes::NOTEID> wanted;
            for (const Row& row : rows_)
                if (row.doc >= 0) wanted.insert(docs_[row.doc].id);
            EXPECT_EQ(IdsOf(ids), wanted) << where;
        } else if (op < 93) {
            const int r = static_cast<int>(rng_() % n);
            CheckRestricted(r, 1 + static_cast<uint32_t>(rng_() % 4),
                            "under " + PathText(rows_[r].path) + where);
            at = r;
        } else {
            // The documents change and the view is brought up to date.
            const uint32_t change = rng_() % 4;
            if (change == 0) {
                SaveNewDoc();
            } else if (change == 1) {
                std::vector<int> shown;
                for (int i = 0; i < static_cast<int>(docs_.size()); ++i)
                    if (Shown(i)) shown.push_back(i);
                const int victim = shown[rng_() % shown.size()];
                ASSERT_EQ(tree_.DeleteNote(docs_[victim].id), 0u) << where;
                docs_[victim].deleted = true;
            } else {
                // Through an entry: a document, or a category or document with everything under it.
                const int r = static_cast<int>(rng_() % n);
                const bool descendants = change == 3 || rows_[r].kind == Row::Category;
                ASSERT_EQ(view_.GetEntry(&entry, PositionOf(rows_[r].path)), 0u) << where;
                ASSERT_EQ(view_.DeleteEntry(&entry, descendants), 0u) << "delete " << Expected(r) << where;
                EXPECT_TRUE(entry.IsNull()) << where;
                for (int i = r; i <= (descendants ? r + rows_[r].subtree : r); ++i)
                    if (rows_[i].doc >= 0) docs_[rows_[i].doc].deleted = true;
            }
            ASSERT_EQ(view_.Refresh(), 0u) << where;
            BuildModel();
            at = 0;
            if (!rows_.empty()) {
                LNVFPosition position;
                ASSERT_EQ(view_.GetPosition(&position), 0u);
                EXPECT_EQ(Text(position.GetText('.')), "1") << where;
            }
        }
    }
}

TEST_F(NavigatorRandomTest, WalksOfACategorisedViewFollowTheModel) {
    RunSeeds({1, 2, 7, 42, 1234});
}

TEST_F(NavigatorRandomTest, WalksOfAViewOfResponsesWithoutCategoriesFollowTheModel) {
    flat_ = true;
    RunSeeds({3, 11, 99});
}

// The next main document from a category of a navigator that reaches only the categories under a region is
// none: the documents lie deeper than the navigator goes.
TEST_F(ViewsTest, NextMainFromACategoryKeepsToARestrictedNavigator) {
    ASSERT_EQ(area_.Build(R"({"path": "two.nsf", "views": [{"name": "Two", "columns": [
        {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
        {"title": "District", "item": "District", "sorted": true, "categorised": true},
        {"title": "Name", "item": "Name", "sorted": true}]}],
      "documents": [{"Region": "a", "District": "d1", "Name": "x"}, {"Region": "a", "District": "d2", "Name": "y"},
                    {"Region": "b", "District": "d1", "Name": "z"}]})"),
              "");
    LNDatabase two;
    ASSERT_EQ(session_.GetDatabase("two.nsf", &two), 0u);
    ASSERT_EQ(two.Open(), 0u);
    LNViewFolder view;
    ASSERT_EQ(two.GetViewFolder("Two", &view), 0u);
    ASSERT_EQ(view.Open(0), 0u);
    LNVFNavigator districts, everything;
    ASSERT_EQ(view.GetEntries(&districts, 1), 0u) << "the view stands at region a";
    ASSERT_EQ(view.GetEntries(&everything, 2), 0u);
    LNVFEntry entry;
    ASSERT_EQ(districts.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
    ASSERT_EQ(ColumnText(entry, 1), "d2");
    EXPECT_EQ(districts.Goto(LNVFNAVIGATION_NEXT_MAIN, &entry), LNWARN_NOT_FOUND);
    EXPECT_EQ(ColumnText(entry, 1), "d2");
    ASSERT_EQ(districts.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(districts.Goto(LNVFNAVIGATION_NEXT_MAIN, &entry), LNWARN_NOT_FOUND);
    ASSERT_EQ(districts.Goto(LNVFNAVIGATION_NEXT, &entry), 0u) << "the navigator still stands where it may";
    EXPECT_EQ(ColumnText(entry, 1), "d2");

    ASSERT_EQ(everything.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_EQ(everything.Goto(LNVFNAVIGATION_NEXT_MAIN, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 2), "x");
    ASSERT_EQ(everything.Goto(LNVFNAVIGATION_NEXT_CATEGORY, &entry), 0u);
    ASSERT_EQ(everything.Goto(LNVFNAVIGATION_NEXT_MAIN, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 2), "y");
    EXPECT_EQ(everything.Goto(LNVFNAVIGATION_NEXT_MAIN, &entry), LNWARN_NOT_FOUND) << "z lies under region b";
}

// Keys the view cannot take: more than it sorts by, a text that makes the key table too big for one item,
// keys of another kind than their column. Each gives a status, never an exception, and moves nothing.
TEST_F(ViewsTest, HostileKeysGiveAStatus) {
    LNViewFolder view = OpenView("Flat");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
    LNVFFindKeys keys;
    ASSERT_EQ(keys.AppendTextKey("Ann"), 0u);
    ASSERT_EQ(keys.AppendTextKey("Ann"), 0u) << "the view sorts by one column";
    uint32_t count = 5;
    LNSTATUS found = 0;
    EXPECT_EQ(Thrown([&] { found = view.FindByKeys(keys, &entry, &count); }), 0u);
    EXPECT_NE(found, 0u);
    EXPECT_NE(found, LNWARN_NOT_FOUND) << "two keys for one sorted column is no key that is not there";
    EXPECT_EQ(count, 0u);
    for (const uint32_t length : {65525u, 65526u, 65533u}) {
        const std::string text(length, 'A');
        const LNString big(reinterpret_cast<const LNUCHAR*>(text.data()), length);
        found = 0;
        EXPECT_EQ(Thrown([&] { found = view.FindByKey(big, &entry, &count); }), 0u) << length;
        EXPECT_NE(found, 0u) << length;
    }
    found = 0;
    EXPECT_EQ(Thrown([&] { found = view.FindByKey(42.0, &entry, &count); }), 0u);
    EXPECT_EQ(found, LNWARN_NOT_FOUND) << "a number is no name";
    EXPECT_EQ(ColumnText(entry, 0), "Cid") << "nothing found moves nothing";
    LNVFPosition position;
    ASSERT_EQ(view.GetPosition(&position), 0u);
    EXPECT_EQ(Text(position.GetText('.')), "3");
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { view.FindByKey(LNString(std::string(65530, 'A').c_str()), &entry); }),
              LNERR_KEY_TABLE_TOO_BIG);
    LNSetThrowAllErrors(false);
}

// Deleting through entries whose documents are gone already, at positions that name nothing, and below a
// restricted navigator's reach: each gives a status and deletes nothing else.
TEST_F(ViewsTest, DeletingWhatIsGoneOrOutOfReach) {
    LNViewFolder view = OpenView("Flat");
    LNVFEntry ann, bob;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &ann), 0u);
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT, &bob), 0u);
    ASSERT_EQ(ColumnText(bob, 0), "Bob");
    ASSERT_EQ(db_.DeleteNote(ann.GetNoteID()), 0u);
    LNSTATUS deleted = 0;
    EXPECT_EQ(Thrown([&] { deleted = view.DeleteEntry(&ann); }), 0u);
    EXPECT_NE(deleted, 0u) << "the document was deleted before";
    nnotes::CollectionPosition raw{};
    raw.Level = 0;
    raw.MaxLevel = 31;
    raw.EntryIndex[0] = 77;
    LNVFPosition nowhere;
    nowhere = &raw;
    EXPECT_NE(view.DeleteEntry(nowhere), 0u);
    raw.EntryIndex[0] = 0;
    nowhere = &raw;
    EXPECT_NE(view.DeleteEntry(nowhere), 0u);
    ASSERT_EQ(view.Refresh(), 0u);
    EXPECT_EQ(view.GetEntryCount(), 2u) << "Bob and Cid are there still";

    LNViewFolder threads = OpenView("Threads");
    LNVFNavigator under;
    ASSERT_EQ(threads.GetEntries(&under, 1), 0u) << "the responses to Budget, one level deep";
    LNVFEntry agreed;
    ASSERT_EQ(under.Goto(LNVFNAVIGATION_FIRST, &agreed), 0u);
    ASSERT_TRUE(agreed.IsResponse());
    EXPECT_EQ(under.DeleteEntry(&agreed, true), LNERR_FOREIGN_ENTRIES)
        << "its own response lies deeper than the navigator reaches";
    ASSERT_EQ(threads.Refresh(), 0u);
    EXPECT_EQ(threads.GetEntryCount(), 4u)
        << "Budget and both its responses are there still (Travel went with Ann)";
}

} // namespace
