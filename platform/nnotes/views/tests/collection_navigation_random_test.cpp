// Random reads over collections whose rows come from the stored index in batches, of which only the last
// two keep their bytes in memory: every read of a seeded sequence (skip and return codes with their level
// flags, counts from none to all, read masks, jumps to places that exist and to places that do not, category
// walks, keys found, hit lists) is made on the stored collection and on the same view read whole (kept in
// another database, made in memory at once), and the two must answer alike to the byte. With saves, deletes
// and new documents between the reads, what is read must be what was stored at some time since the
// collection was opened, and exactly that for a document left alone.
#include "testing/view_fixture.h"
#include "util/coding.h"
#include "views/collection.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace nnotes::testing {
namespace {

constexpr uint32_t kAll = 0xFFFFFFFF;
constexpr uint32_t kCountFields =
    READ_MASK_INDEXSIBLINGS | READ_MASK_INDEXCHILDREN | READ_MASK_INDEXDESCENDANTS;
constexpr uint32_t kFields[] = {READ_MASK_NOTEID,        READ_MASK_NOTECLASS,        READ_MASK_INDEXSIBLINGS,
                                READ_MASK_INDEXCHILDREN, READ_MASK_INDEXDESCENDANTS, READ_MASK_INDENTLEVELS,
                                READ_MASK_SCORE,         READ_MASK_INDEXPEER,        READ_MASK_SUMMARY};

// One read as a caller makes it.
struct Call {
    CollectionPosition pos{};
    uint16_t skipCode = NAVIGATE_CURRENT, returnCode = NAVIGATE_CURRENT;
    uint32_t skipCount = 0, returnCount = 0, mask = 0;
};

std::string PlaceText(const CollectionPosition& p) {
    std::ostringstream out;
    out << "level " << p.Level << " [";
    for (uint16_t l = 0; l <= std::min<uint16_t>(p.Level, MAXTUMBLERLEVELS - 1); ++l)
        out << (l ? "." : "") << p.EntryIndex[l];
    out << "] min " << int{p.MinLevel} << " max " << int{p.MaxLevel};
    return out.str();
}

std::string CallText(const Call& c) {
    std::ostringstream out;
    out << "from " << PlaceText(c.pos) << std::hex << ": skip 0x" << c.skipCode << " x " << std::dec
        << c.skipCount << ", return 0x" << std::hex << c.returnCode << " x " << std::dec << c.returnCount
        << ", mask 0x" << std::hex << c.mask;
    return out.str();
}

// Everything a caller sees of one read: its status, counts, signal, buffer and the position it left.
struct Answer {
    STATUS status = NOERROR;
    uint32_t skipped = 0, returned = 0;
    uint16_t signal = 0;
    std::string bytes;
    CollectionPosition pos{};
    bool operator==(const Answer& o) const {
        return status == o.status && skipped == o.skipped && returned == o.returned && signal == o.signal &&
               bytes == o.bytes && std::memcmp(&pos, &o.pos, sizeof pos) == 0;
    }
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return out << "status 0x" << std::hex << a.status << std::dec << ", skipped " << a.skipped
               << ", returned " << a.returned << ", signal " << a.signal << ", " << a.bytes.size()
               << " bytes, at " << PlaceText(a.pos);
}

// Where two buffers first differ, for the failure message.
std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    return at == a.size() && at == b.size() ? "same bytes" : "bytes differ from offset " + std::to_string(at);
}

// One entry of a buffer, its fields checked as it is read.
struct Read {
    NOTEID id = 0;
    std::vector<std::string> names, values; // values readable: first text, or a number in decimal
};

// A stored value as text: its first text, a number in decimal, "" when empty; "?" for what it cannot be.
std::string Readable(std::string_view value) {
    if (value.empty()) return "";
    if (value.size() < 2) return "?";
    const uint16_t type = util::DecodeFixed16(value.data());
    if (type == TYPE_TEXT) return std::string(value.substr(2));
    if (type == TYPE_TEXT_LIST && value.size() >= 6) {
        const size_t count = util::DecodeFixed16(value.data() + 2),
                     first = util::DecodeFixed16(value.data() + 4);
        return value.size() >= 4 + 2 * count + first ? std::string(value.substr(4 + 2 * count, first)) : "?";
    }
    if (type == TYPE_NUMBER && value.size() == 10)
        return std::to_string(
            static_cast<long long>(std::bit_cast<double>(util::DecodeFixed64(value.data() + 2))));
    return "?";
}

// Splits a buffer read with mask into its entries; false with why when its fields or an entry's item table
// do not add up.
bool ReadBuffer(const std::string& in, uint32_t mask, std::vector<Read>& out, std::string& why) {
    size_t at = 0;
    const auto need = [&](size_t n) {
        if (in.size() - at >= n) return true;
        why = "entry " + std::to_string(out.size()) + " cut short at offset " + std::to_string(at);
        return false;
    };
    while (at < in.size()) {
        Read r;
        if (mask & READ_MASK_NOTEID) {
            if (!need(4)) return false;
            std::memcpy(&r.id, in.data() + at, 4);
            at += 4;
        }
        size_t fixed = 0;
        for (uint32_t field : {READ_MASK_NOTECLASS, READ_MASK_INDENTLEVELS, READ_MASK_SCORE})
            fixed += (mask & field) ? 2 : 0;
        for (uint32_t field : {READ_MASK_INDEXSIBLINGS, READ_MASK_INDEXCHILDREN, READ_MASK_INDEXDESCENDANTS,
                               READ_MASK_INDEXPEER})
            fixed += (mask & field) ? 4 : 0;
        if (!need(fixed)) return false;
        at += fixed;
        if (mask & READ_MASK_SUMMARY) {
            if (!need(4)) return false;
            const size_t total = util::DecodeFixed16(in.data() + at);
            const size_t count = util::DecodeFixed16(in.data() + at + 2);
            if (!need(total) || total < 4 + 4 * count) {
                why = "entry " + std::to_string(out.size()) + ": item table of " + std::to_string(total) +
                      " bytes for " + std::to_string(count) + " items";
                return false;
            }
            size_t data = at + 4 + 4 * count;
            for (size_t i = 0; i < count; ++i) {
                const size_t name = util::DecodeFixed16(in.data() + at + 4 + 4 * i);
                const size_t value = util::DecodeFixed16(in.data() + at + 6 + 4 * i);
                if (data + name + value > at + total) {
                    why = "entry " + std::to_string(out.size()) + ": item " + std::to_string(i) +
                          " runs past its table";
                    return false;
                }
                r.names.push_back(in.substr(data, name));
                r.values.push_back(Readable(std::string_view(in).substr(data + name, value)));
                data += name + value;
            }
            if (data != at + total) {
                why = "entry " + std::to_string(out.size()) + ": item table of " + std::to_string(total) +
                      " bytes holds " + std::to_string(data - at);
                return false;
            }
            at += total;
        }
        out.push_back(std::move(r));
        if (mask == 0) break;
    }
    return true;
}

std::string KeyTable(const std::vector<std::string>& texts) {
    std::string headers, values;
    for (const std::string& text : texts) {
        util::PutFixed16(&headers, 0);
        util::PutFixed16(&headers, static_cast<uint16_t>(2 + text.size()));
        util::PutFixed16(&values, TYPE_TEXT);
        values += text;
    }
    std::string table;
    util::PutFixed16(&table, static_cast<uint16_t>(4 + headers.size() + values.size()));
    util::PutFixed16(&table, static_cast<uint16_t>(texts.size()));
    return table + headers + values;
}

// The random choices of a sequence. The generator's own numbers are taken modulo, not through the standard
// distributions, whose results the standard leaves to each library.
class Chooser {
public:
    explicit Chooser(uint32_t seed) : rng_(seed) {}

    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

    uint16_t Code(bool hits, bool odd) {
        static constexpr uint16_t kCodes[] = {NAVIGATE_CURRENT,
                                              NAVIGATE_NEXT,
                                              NAVIGATE_NEXT,
                                              NAVIGATE_NEXT,
                                              NAVIGATE_PREV,
                                              NAVIGATE_PREV,
                                              NAVIGATE_PARENT,
                                              NAVIGATE_CHILD,
                                              NAVIGATE_NEXT_PEER,
                                              NAVIGATE_PREV_PEER,
                                              NAVIGATE_FIRST_PEER,
                                              NAVIGATE_LAST_PEER,
                                              NAVIGATE_MAIN,
                                              NAVIGATE_NEXT_MAIN,
                                              NAVIGATE_PREV_MAIN,
                                              NAVIGATE_NEXT_DESCENDANT,
                                              NAVIGATE_NEXT_PARENT,
                                              NAVIGATE_PREV_PARENT,
                                              NAVIGATE_NEXT_CATEGORY,
                                              NAVIGATE_PREV_CATEGORY,
                                              NAVIGATE_NEXT_NONCATEGORY,
                                              NAVIGATE_PREV_NONCATEGORY};
        uint16_t code = kCodes[Below(std::size(kCodes))];
        if (hits && OneIn(12)) code = OneIn(2) ? NAVIGATE_NEXT_HIT : NAVIGATE_CURRENT_HIT;
        const uint32_t flags = Below(100);
        if (flags < 8)
            code |= NAVIGATE_MINLEVEL;
        else if (flags < 16)
            code |= NAVIGATE_MAXLEVEL;
        else if (flags < 20)
            code |= NAVIGATE_MINLEVEL | NAVIGATE_MAXLEVEL;
        else if (flags < 24)
            code |= NAVIGATE_CONTINUE;
        if (odd && OneIn(60)) {
            static constexpr uint16_t kOdd[] = {2, 10, 0x00FE, NAVIGATE_NEXT | 0x0400, 45};
            code = kOdd[Below(std::size(kOdd))];
        }
        return code;
    }

    uint32_t Count() {
        const uint32_t r = Below(100);
        if (r < 6) return 0;
        if (r < 40) return 1;
        if (r < 65) return 2 + Below(8);
        if (r < 80) return 10 + Below(290);
        if (r < 90) return 300 + Below(5000);
        return kAll;
    }

    uint32_t Mask(bool odd) {
        const uint32_t r = Below(100);
        if (r < 4) return 0;
        if (odd && r < 6) return READ_MASK_NOTEID | 0x0002;
        uint32_t mask = 0;
        for (uint32_t field : kFields)
            if ((field & kCountFields) ? OneIn(5) : OneIn(2)) mask |= field;
        if (!OneIn(4)) mask |= READ_MASK_SUMMARY;
        return mask;
    }

    // Where the next read starts: where the last one left (most often), an entry's place, the place before
    // the first or after the last, or a path that names no entry; now and then with level bounds.
    CollectionPosition Place(const CollectionPosition& current, const std::vector<CollectionPosition>& places,
                             bool odd) {
        const uint32_t r = Below(100);
        if (r < 55) return current;
        CollectionPosition p{};
        p.MaxLevel = MAXTUMBLERLEVELS - 1;
        if (r < 80 && !places.empty()) {
            p = places[Below(static_cast<uint32_t>(places.size()))];
        } else if (r < 85) {
            p.EntryIndex[0] = OneIn(2) ? 0 : static_cast<uint32_t>(places.size() + Below(3));
        } else {
            static constexpr uint32_t kIndexes[] = {0, 1, 1, 2, 3, 7, 5000, kAll};
            p.Level = static_cast<uint16_t>(Below(5));
            for (uint16_t l = 0; l <= p.Level; ++l)
                p.EntryIndex[l] = OneIn(3) ? Below(40) : kIndexes[Below(std::size(kIndexes))];
            if (OneIn(10)) p.Level = MAXTUMBLERLEVELS - 1;
            if (odd && OneIn(15)) p.Level = static_cast<uint16_t>(MAXTUMBLERLEVELS + Below(40));
        }
        if (OneIn(6)) p.MinLevel = static_cast<uint8_t>(Below(4));
        if (OneIn(6)) p.MaxLevel = static_cast<uint8_t>(Below(4));
        return p;
    }

    Call Make(const CollectionPosition& current, const std::vector<CollectionPosition>& places, bool hits,
              bool odd) {
        Call c;
        c.pos = Place(current, places, odd);
        c.skipCode = Code(hits, odd);
        c.skipCount = Count();
        c.returnCode = Code(hits, odd);
        c.returnCount = Count();
        c.mask = Mask(odd);
        return c;
    }

private:
    std::mt19937 rng_;
};

class CollectionNavigationRandomTest : public ViewTest {
protected:
    // Orders under two category levels (some documents under two regions or two cities, some under an
    // empty region, regions told apart by case alone), enough of them that the rows come in several batches;
    // threads of responses under topics for a view with responses; each view also kept apart.
    void SetUp() override {
        ViewTest::SetUp();
        orders_ = SaveView("Orders", OrderColumns());
        threads_ = SaveView("Threads", ThreadColumns(), "SELECT Kind = \"thread\"");
        for (const Shape& shape : Shapes())
            shapes_.push_back(SaveView(shape.title, shape.columns, shape.selection));
        ASSERT_EQ(BeginBatch(db_), NOERROR);
        char name[32];
        for (int i = 0; i < kDocuments; ++i) {
            std::snprintf(name, sizeof name, "n%05d", (i * 7919) % kDocuments);
            std::string region = "Region" + std::to_string(i % 5),
                        city = "City" + std::to_string((i / 5) % 6);
            if (i % 211 == 7) region = "REGION" + std::to_string(i % 5);
            std::vector<ItemSpec> items;
            if (i % 97 == 3)
                items.push_back(Texts("Region", {region, "Region4"}));
            else if (i % 701 == 9)
                items.push_back(Texts("Region", {region, region}));
            else if (i % 503 != 5)
                items.push_back(Text("Region", region));
            items.push_back(i % 389 == 11 ? Texts("City", {city, "City9"}) : Text("City", city));
            // Now and then a long name, so that full buffers end at entries of every kind.
            items.push_back(Text("Name", i % 53 == 0 ? std::string(name) + std::string(150, 'x') : name));
            items.push_back(Number("Amount", i % 13));
            items.push_back(Number("Seq", i));
            orders_ids_.push_back(SaveDocument(items));
            saved_[orders_ids_.back()] = {{"Region", i % 503 == 5 ? "" : region},
                                          {"City", city},
                                          {"Name", items[items.size() - 3].texts[0]},
                                          {"Amount", std::to_string(i % 13)}};
        }
        for (int t = 0; t < kThreads; ++t) {
            const std::vector<ItemSpec> root = {
                Text("Kind", "thread"), Text("Topic", "t" + std::to_string(t % 4)),
                Text("Subject", "s" + std::to_string(1000 + (t * 37) % kThreads))};
            const NOTEID top = SaveDocument(root);
            saved_[top] = {};
            NOTEID parent = top;
            for (int depth = 1; depth <= t % 4; ++depth) {
                const NOTEID reply = SaveDocument(
                    {Text("Kind", "thread"), Text("Reply", "re" + std::to_string(depth))}, parent);
                saved_[reply] = {};
                if (depth == 1 && t % 3 == 0)
                    saved_[SaveDocument({Text("Kind", "thread"), Text("Reply", "aside")}, top)] = {};
                parent = reply;
            }
        }
        ASSERT_EQ(CommitBatch(db_), NOERROR);
        ordersApart_ = SaveViewApart("Orders", OrderColumns());
        threadsApart_ = SaveViewApart("Threads", ThreadColumns(), "SELECT Kind = \"thread\"");
        for (const Shape& shape : Shapes())
            shapesApart_.push_back(SaveViewApart(shape.title, shape.columns, shape.selection));
    }

    // Views of other shapes: a category for every row under a descending number category (each row's key
    // is looked up, so the rows soon come with their keys), and views without categories whose rows end
    // where a batch ends (the opening row, then 256 rows; then 512 more).
    struct Shape {
        std::string title;
        std::vector<ColumnSpec> columns;
        std::string selection;
    };
    static std::vector<Shape> Shapes() {
        const std::vector<ColumnSpec> plain = {{"Name", "Name", VIEW_COLUMN_SORT}, {"Amount", "Amount"}};
        return {{"ByAmount",
                 {{"Amount", "Amount", VIEW_COLUMN_CATEGORY | VIEW_COLUMN_DESCENDING},
                  {"Name", "Name", VIEW_COLUMN_CATEGORY},
                  {"City", "City", VIEW_COLUMN_SORT}},
                 "SELECT Seq < 1500"},
                {"First257", plain, "SELECT Seq < 257"},
                {"First769", plain, "SELECT Seq < 769"}};
    }

    static std::vector<ColumnSpec> ThreadColumns() {
        return {{"Topic", "Topic", VIEW_COLUMN_CATEGORY},
                {"Subject", "Subject", VIEW_COLUMN_SORT},
                {"Reply", "Reply", VIEW_COLUMN_RESPONSE}};
    }

    static Answer Ask(HCOLLECTION c, const Call& call) {
        Answer a;
        a.pos = call.pos;
        RawRead raw =
            ReadRaw(c, a.pos, call.skipCode, call.skipCount, call.returnCode, call.returnCount, call.mask);
        a.status = raw.status;
        a.skipped = raw.skipped;
        a.returned = raw.returned;
        a.signal = raw.signal;
        a.bytes = std::move(raw.bytes);
        return a;
    }

    // The place of every entry, in order.
    static std::vector<CollectionPosition> EveryPlace(HCOLLECTION c) {
        std::vector<CollectionPosition> places;
        CollectionPosition pos = Position({0});
        for (;;) {
            uint32_t skipped = 0;
            EXPECT_EQ(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 0, 0, nullptr, nullptr,
                                  &skipped, nullptr, nullptr),
                      NOERROR);
            if (skipped == 0) return places;
            places.push_back(pos);
        }
    }

    // What the two collections of a sequence are, and where it stands.
    struct Pair {
        HCOLLECTION stored = 0, whole = 0;
        NOTEID storedView = 0;
        std::vector<CollectionPosition> places; // of the whole view
        std::vector<NOTEID> notes;              // documents to pick hits and keys from
        std::vector<std::vector<std::string>> keys;
    };

    // The stored collection of a view and the same view read whole, with the place and note of each entry.
    Pair MakePair(NOTEID stored, NOTEID apart) {
        Pair p;
        p.storedView = stored;
        p.stored = Open(stored);
        p.whole = OpenApart(apart);
        p.places = EveryPlace(p.whole);
        for (const CollectionPosition& place : p.places) {
            CollectionPosition at = place;
            const RawRead read =
                ReadRaw(p.whole, at, NAVIGATE_CURRENT, 0, NAVIGATE_CURRENT, 1, READ_MASK_NOTEID);
            NOTEID id = 0;
            if (read.bytes.size() == sizeof id) std::memcpy(&id, read.bytes.data(), sizeof id);
            if (id != 0 && (id & NOTEID_CATEGORY) == 0) p.notes.push_back(id);
        }
        EXPECT_FALSE(p.notes.empty());
        return p;
    }

    // The reads of a sequence so far, the last ones shown when two answers differ.
    struct Trace {
        uint32_t seed = 0;
        size_t step = 0;
        std::deque<std::string> last;
        void Note(std::string text) {
            last.push_back("step " + std::to_string(step) + ": " + std::move(text));
            if (last.size() > 12) last.pop_front();
        }
        std::string Text() const {
            std::string out =
                "seed " + std::to_string(seed) + ", step " + std::to_string(step) + "; last reads:";
            for (const std::string& line : last)
                out += "\n  " + line;
            return out;
        }
    };

    // Makes one read on both collections; false (with a failure recorded) when they answer differently.
    static bool SameRead(const Pair& p, const Call& call, Trace& trace, CollectionPosition& left,
                         uint32_t* returned = nullptr) {
        trace.Note(CallText(call));
        const Answer wanted = Ask(p.whole, call), got = Ask(p.stored, call);
        left = wanted.pos;
        if (returned != nullptr) *returned = wanted.returned;
        if (got == wanted) return true;
        ADD_FAILURE() << trace.Text() << "\nread whole: " << wanted << "\nstored:     " << got << "\n"
                      << FirstDifference(wanted.bytes, got.bytes);
        return false;
    }

    // The categories as the desktop lists them: the first entry, then each next category.
    static bool SameCategoryWalk(const Pair& p, Trace& trace) {
        trace.Note("category walk");
        Call call;
        call.pos = Position({1});
        call.returnCount = 1;
        call.mask = kEntryMask;
        for (;;) {
            CollectionPosition left{};
            uint32_t returned = 0;
            if (!SameRead(p, call, trace, left, &returned)) return false;
            if (returned == 0) return true;
            call.pos = left;
            call.skipCode = NAVIGATE_NEXT_CATEGORY;
            call.skipCount = 1;
        }
    }

    // A key looked for in both; where it was found (or the position as it was).
    static bool SameFind(const Pair& p, Chooser& choose, Trace& trace, CollectionPosition& pos) {
        std::vector<std::string> key = p.keys[choose.Below(static_cast<uint32_t>(p.keys.size()))];
        static constexpr uint16_t kFlags[] = {0, FIND_PARTIAL, FIND_CASE_INSENSITIVE,
                                              FIND_PARTIAL | FIND_CASE_INSENSITIVE};
        const uint16_t flags = kFlags[choose.Below(std::size(kFlags))];
        std::string text = "find";
        for (const std::string& k : key)
            text += " '" + k + "'";
        trace.Note(text + " flags " + std::to_string(flags));
        const std::string table = KeyTable(key);
        CollectionPosition found[2] = {pos, pos};
        uint32_t counts[2] = {0, 0};
        const STATUS wanted = FindByKey(p.whole, table.data(), flags, &found[0], &counts[0]);
        const STATUS got = FindByKey(p.stored, table.data(), flags, &found[1], &counts[1]);
        if (wanted != got || counts[0] != counts[1] ||
            std::memcmp(&found[0], &found[1], sizeof found[0]) != 0) {
            ADD_FAILURE() << trace.Text() << "\nread whole: status " << wanted << ", " << counts[0] << " at "
                          << PlaceText(found[0]) << "\nstored:     status " << got << ", " << counts[1]
                          << " at " << PlaceText(found[1]);
            return false;
        }
        if (wanted == NOERROR) pos = found[0];
        return true;
    }

    static bool SameHits(const Pair& p, Chooser& choose, Trace& trace) {
        std::vector<std::pair<NOTEID, uint16_t>> hits;
        const uint32_t count = 1 + choose.Below(30);
        for (uint32_t i = 0; i < count; ++i)
            hits.emplace_back(choose.OneIn(20) ? 0x7FFF0
                                               : p.notes[choose.Below(static_cast<uint32_t>(p.notes.size()))],
                              static_cast<uint16_t>(choose.Below(100)));
        trace.Note("attach " + std::to_string(count) + " hits");
        uint32_t kept[2] = {0, 0};
        EXPECT_EQ(AttachHitList(p.whole, hits, &kept[0]), NOERROR);
        EXPECT_EQ(AttachHitList(p.stored, hits, &kept[1]), NOERROR);
        if (kept[0] == kept[1]) return true;
        ADD_FAILURE() << trace.Text() << "\nhits kept: read whole " << kept[0] << ", stored " << kept[1];
        return false;
    }

    // A reader scrolling: a run of small reads one way, each from where the last left.
    static bool SameScroll(const Pair& p, Chooser& choose, Trace& trace, CollectionPosition& pos) {
        static constexpr uint16_t kWays[] = {NAVIGATE_NEXT,      NAVIGATE_PREV,      NAVIGATE_NEXT_MAIN,
                                             NAVIGATE_PREV_MAIN, NAVIGATE_NEXT_PEER, NAVIGATE_PREV_PEER};
        const uint16_t way = kWays[choose.Below(std::size(kWays))];
        const bool back = way == NAVIGATE_PREV || way == NAVIGATE_PREV_MAIN || way == NAVIGATE_PREV_PEER;
        const uint32_t reads = 5 + choose.Below(choose.OneIn(4) ? 600 : 60);
        const uint32_t mask = choose.OneIn(3) ? choose.Mask(false) : kEntryMask;
        trace.Note("scroll by code " + std::to_string(way) + ", " + std::to_string(reads) + " reads");
        const uint32_t skip = 1 + choose.Below(3), give = choose.OneIn(3) ? 1 + choose.Below(40) : 1;
        for (uint32_t i = 0; i < reads; ++i) {
            Call call;
            call.pos = pos;
            call.skipCode = way;
            call.skipCount = skip;
            // Backwards a reader reads one entry at a time; forwards, several.
            call.returnCode = back ? NAVIGATE_CURRENT : way;
            call.returnCount = back ? 1 : give;
            call.mask = mask;
            uint32_t returned = 0;
            if (!SameRead(p, call, trace, pos, &returned)) return false;
            if (returned == 0) return true;
        }
        return true;
    }

    // Every entry from a place on (or back), a full buffer at a time, each read going on from where the
    // last stopped.
    static bool SameReadOn(const Pair& p, Chooser& choose, Trace& trace, CollectionPosition& pos) {
        const bool back = choose.OneIn(3);
        trace.Note(std::string("read on ") + (back ? "backwards" : "forwards"));
        Call call;
        call.pos = choose.OneIn(2) ? Position({0}) : pos;
        call.skipCode = call.returnCode = back ? NAVIGATE_PREV : NAVIGATE_NEXT;
        call.skipCount = 1;
        call.returnCount = kAll;
        call.mask = choose.OneIn(4) ? choose.Mask(false) | READ_MASK_SUMMARY : kEntryMask;
        for (;;) {
            uint32_t returned = 0;
            if (!SameRead(p, call, trace, call.pos, &returned)) return false;
            if (returned == 0) break;
        }
        pos = call.pos;
        return true;
    }

    // A seeded sequence of steps over one view, in lock step on both collections.
    void RunSequence(Pair& p, uint32_t seed, size_t steps) {
        Chooser choose(seed);
        Trace trace;
        trace.seed = seed;
        CollectionPosition pos = Position({0});
        bool hits = false;
        for (trace.step = 0; trace.step < steps; ++trace.step) {
            const uint32_t r = choose.Below(200);
            bool same = true;
            if (r < 3) {
                same = SameCategoryWalk(p, trace);
            } else if (r < 6 && !p.keys.empty()) {
                same = SameFind(p, choose, trace, pos);
            } else if (r < 9) {
                // Opened again: its rows are read from the first batch on, as after a refresh of the view.
                trace.Note("open the stored collection again");
                EXPECT_EQ(CloseCollection(p.stored), NOERROR);
                p.stored = Open(p.storedView);
                hits = false;
                EXPECT_EQ(ClearHitList(p.whole), NOERROR);
            } else if (r < 11) {
                same = SameHits(p, choose, trace);
                hits = true;
            } else if (r < 12) {
                trace.Note("refresh the stored collection");
                EXPECT_EQ(UpdateCollection(p.stored), NOERROR);
            } else if (r < 20) {
                same = SameScroll(p, choose, trace, pos);
            } else if (r < 23) {
                same = SameReadOn(p, choose, trace, pos);
            } else {
                same = SameRead(p, choose.Make(pos, p.places, hits, true), trace, pos);
            }
            if (!same) return;
        }
    }

    static constexpr int kDocuments = 3000, kThreads = 120;
    NOTEID orders_ = 0, threads_ = 0, ordersApart_ = 0, threadsApart_ = 0;
    std::vector<NOTEID> shapes_, shapesApart_;
    // The items of each document saved, as entries show them ("" for none).
    std::map<NOTEID, std::map<std::string, std::string>> saved_;
    std::vector<NOTEID> orders_ids_;
};

TEST_F(CollectionNavigationRandomTest, RandomReadsGiveWhatTheViewReadWholeGives) {
    Pair orders = MakePair(orders_, ordersApart_);
    ASSERT_GT(orders.places.size(), size_t{kDocuments});
    orders.keys = {{"Region0"},
                   {"Region3"},
                   {"region1"},
                   {"REGION2"},
                   {"Reg"},
                   {""},
                   {"Nowhere"},
                   {"Region4", "City9"},
                   {"Region2", "City3"},
                   {"Region1", "City0", "n01234"},
                   {"Region0", "City5", "n0"},
                   {"Region3", "City2", "zzz"}};
    for (uint32_t seed = 1; seed <= 8 && !HasFailure(); ++seed)
        RunSequence(orders, seed, 400);

    Pair threads = MakePair(threads_, threadsApart_);
    ASSERT_GT(threads.places.size(), size_t{kThreads});
    threads.keys = {{"t1"}, {"t3", "s1005"}, {"T2", "s10"}, {"t0", "s9"}, {"s1000"}};
    for (uint32_t seed = 101; seed <= 103 && !HasFailure(); ++seed)
        RunSequence(threads, seed, 300);

    std::vector<Pair> shapes;
    for (size_t i = 0; i < shapes_.size(); ++i)
        shapes.push_back(MakePair(shapes_[i], shapesApart_[i]));
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[1].places.size(), 257u);
    EXPECT_EQ(shapes[2].places.size(), 769u);
    for (Pair& p : shapes)
        p.keys = {{"n0"}, {"n01"}, {"N02"}, {"n00003"}, {""}};
    for (uint32_t seed = 201; seed <= 206 && !HasFailure(); ++seed)
        RunSequence(shapes[seed % shapes.size()], seed, 300);

    shapes.push_back(orders);
    shapes.push_back(threads);
    for (const Pair& p : shapes) {
        EXPECT_EQ(CloseCollection(p.stored), NOERROR);
        EXPECT_EQ(CloseCollection(p.whole), NOERROR);
    }
}

// The values of a document's items as entries show them (first text, or a number in decimal), as saved
// over time.
using Items = std::map<std::string, std::string>;

struct DocumentLife {
    std::vector<std::pair<uint64_t, Items>> versions; // by the clock of the save that made each
    uint64_t changed = 0;                             // the clock of its last save or its delete
    bool deleted = false;
};

class CollectionNavigationChangesTest : public CollectionNavigationRandomTest {
protected:
    // A view read while documents change: its stored collection, its columns (item, categorised) and the
    // clock at which its entries began to be made.
    struct Reader {
        NOTEID view = 0, apart = 0;
        std::vector<std::pair<std::string, bool>> columns;
        HCOLLECTION c = 0;
        uint64_t since = 0;
        bool hits = false; // whether a hit list is attached
        std::vector<CollectionPosition> places;
        std::vector<std::vector<std::string>> keys;
    };

    static Reader MakeReader(NOTEID view, NOTEID apart, const std::vector<ColumnSpec>& columns,
                             std::vector<std::vector<std::string>> keys) {
        Reader r;
        r.view = view;
        r.apart = apart;
        for (const ColumnSpec& c : columns)
            r.columns.emplace_back(c.item, (c.flags & VIEW_COLUMN_CATEGORY) != 0);
        r.keys = std::move(keys);
        return r;
    }

    // What a document entry of the reader's view shows of a document saved with these items.
    static std::vector<std::string> Shows(const Reader& r, const Items& items) {
        std::vector<std::string> values;
        for (const auto& [item, categorised] : r.columns) {
            const auto it = items.find(item);
            values.push_back(categorised || it == items.end() ? "" : it->second);
        }
        return values;
    }

    // Whether an entry of document id shows what it may: exactly what the document holds now when it has
    // not been saved since the reader's entries began; else what one of its saves since (or the last before)
    // stored, or nothing (its row gone).
    bool MayShow(const Reader& r, NOTEID id, const std::vector<std::string>& shown, std::string& why) const {
        const auto it = life_.find(id);
        if (it == life_.end()) {
            why = "no such document";
            return false;
        }
        const DocumentLife& d = it->second;
        const auto text = [](const std::vector<std::string>& values) {
            std::string out;
            for (const std::string& v : values)
                out += "'" + v + "' ";
            return out;
        };
        if (d.changed <= r.since) {
            if (!d.deleted && shown == Shows(r, d.versions.back().second)) return true;
            why = "left alone, shows " + text(shown) + "for " + text(Shows(r, d.versions.back().second));
            return false;
        }
        if (shown == std::vector<std::string>(shown.size())) return true;
        for (size_t i = 0; i < d.versions.size(); ++i) {
            const bool inTime = d.versions[i].first > r.since || i + 1 == d.versions.size() ||
                                d.versions[i + 1].first > r.since;
            if (inTime && Shows(r, d.versions[i].second) == shown) return true;
        }
        why = "saved since, shows " + text(shown) + "which it never stored since";
        return false;
    }

    // One read of a stored collection while documents change: it succeeds, its buffer adds up, and each
    // entry shows what it may.
    bool ReadsSound(const Reader& r, const Call& call, Trace& trace, CollectionPosition& left) {
        trace.Note(CallText(call));
        const Answer a = Ask(r.c, call);
        left = a.pos;
        std::vector<Read> entries;
        std::string why;
        // One read walks the entries or the hits, which "current" serves both.
        const auto hit = [](uint16_t code) {
            code &= 0xFF;
            return code == NAVIGATE_NEXT_HIT || code == NAVIGATE_CURRENT_HIT ? 1
                   : code == NAVIGATE_CURRENT                                ? 0
                                                                             : 2;
        };
        const int skipWalk = hit(call.skipCode), returnWalk = hit(call.returnCode);
        const STATUS expected = skipWalk + returnWalk == 3 ? ERR_COLLECTION_NAVIGATOR : NOERROR;
        bool sound = a.status == expected && a.skipped <= call.skipCount && a.returned <= call.returnCount;
        if (!sound) why = "status or counts";
        if (sound && (a.returned == 0 || call.mask == 0)) {
            sound = a.bytes.empty();
            if (!sound) why = "bytes without entries";
        } else if (sound) {
            sound = ReadBuffer(a.bytes, call.mask, entries, why);
            if (sound && entries.size() != a.returned) {
                sound = false;
                why = std::to_string(entries.size()) + " entries in the buffer";
            }
        }
        std::vector<std::string> names;
        for (const auto& column : r.columns)
            names.push_back(column.first);
        for (size_t i = 0; sound && i < entries.size(); ++i) {
            const Read& e = entries[i];
            const std::string which = "entry " + std::to_string(i) + " (note " + std::to_string(e.id) + "): ";
            if (e.names != names) {
                sound = false;
                why = which + "items named otherwise";
            } else if ((e.id & NOTEID_TOTAL) == NOTEID_TOTAL) {
            } else if ((e.id & NOTEID_CATEGORY) != 0) {
                // A category fills its own column's item only.
                size_t filled = 0;
                for (size_t k = 0; k < e.values.size(); ++k)
                    filled += !e.values[k].empty() && !r.columns[k].second ? 1 : 0;
                sound = filled == 0;
                if (!sound) why = which + "a category with a document's values";
            } else {
                lastRead_ = e.id;
                sound = MayShow(r, e.id, e.values, why);
                if (!sound) why = which + why;
            }
        }
        if (sound) return true;
        ADD_FAILURE() << trace.Text() << "\nstored: " << a << "\n" << why;
        return false;
    }

    // Saves one document again (its amount, name, city, or region or regions), deletes one, or adds one.
    void Change(Chooser& choose, Trace& trace) {
        ++clock_;
        std::vector<NOTEID> live;
        for (const auto& [id, d] : life_)
            if (!d.deleted && d.versions.back().second.count("Amount") != 0) live.push_back(id);
        NOTEID id = live[choose.Below(static_cast<uint32_t>(live.size()))];
        // Most often one near the entries read last, whose rows are in the batches in memory or next to them.
        const auto near = std::find(inOrder_.begin(), inOrder_.end(), lastRead_);
        if (near != inOrder_.end() && !choose.OneIn(3)) {
            const int64_t at = (near - inOrder_.begin()) + int64_t{choose.Below(601)} - 300;
            const NOTEID pick = inOrder_[std::clamp<int64_t>(at, 0, int64_t(inOrder_.size()) - 1)];
            if (std::find(live.begin(), live.end(), pick) != live.end()) id = pick;
        }
        DocumentLife& d = life_[id];
        Items now = d.versions.back().second;
        char name[32];
        std::snprintf(name, sizeof name, "n%05ub", choose.Below(kDocuments));
        const std::string region = "Region" + std::to_string(choose.Below(7)),
                          city = "City" + std::to_string(choose.Below(7));
        const std::string what = std::to_string(id);
        switch (choose.Below(7)) {
        case 0:
            now["Amount"] = std::to_string(choose.Below(20));
            trace.Note("save " + what + " with amount " + now["Amount"]);
            UpdateDocument(id, {Number("Amount", std::stod(now["Amount"]))});
            break;
        case 1:
            now["Name"] = name;
            trace.Note("save " + what + " named " + name);
            UpdateDocument(id, {Text("Name", name)});
            break;
        case 2:
            now["City"] = city;
            trace.Note("save " + what + " in " + city);
            UpdateDocument(id, {Text("City", city)});
            break;
        case 3:
            now["Region"] = region;
            trace.Note("save " + what + " under " + region);
            if (choose.OneIn(2))
                UpdateDocument(id, {Text("Region", region)});
            else
                UpdateDocument(id, {Texts("Region", {region, "Region" + std::to_string(choose.Below(7))})});
            break;
        case 4:
            trace.Note("delete " + what);
            ASSERT_EQ(DeleteNote(db_, id, 0), NOERROR);
            d.deleted = true;
            d.changed = clock_;
            return;
        default: {
            const Items added = {
                {"Region", region}, {"City", city}, {"Name", name}, {"Amount", std::to_string(clock_ % 13)}};
            const NOTEID made = SaveDocument({Text("Region", region), Text("City", city), Text("Name", name),
                                              Number("Amount", double(clock_ % 13)),
                                              Number("Seq", choose.Below(kDocuments))});
            trace.Note("add " + std::to_string(made) + " under " + region);
            life_[made] = {{{clock_, added}}, clock_, false};
            return;
        }
        }
        d.versions.emplace_back(clock_, now);
        d.changed = clock_;
    }

    // The lock-step reads of a view opened now and of a reader refreshed, against the view read whole now.
    void SameAfterChanges(Reader& r, uint32_t seed) {
        Pair fresh = MakePair(r.view, r.apart);
        r.places = fresh.places;
        fresh.keys = r.keys;
        RunSequence(fresh, seed, 100);
        EXPECT_EQ(CloseCollection(fresh.stored), NOERROR);
        EXPECT_EQ(UpdateCollection(r.c), NOERROR);
        r.since = clock_;
        fresh.stored = r.c;
        RunSequence(fresh, seed + 1, 60);
        r.c = fresh.stored;
        EXPECT_EQ(ClearHitList(r.c), NOERROR);
        r.hits = false;
        EXPECT_EQ(CloseCollection(fresh.whole), NOERROR);
    }

    std::map<NOTEID, DocumentLife> life_;
    std::vector<NOTEID> inOrder_; // the orders in view order as first read
    NOTEID lastRead_ = 0;         // the document of the last entry read
    uint64_t clock_ = 0;
};

TEST_F(CollectionNavigationChangesTest, RandomReadsBetweenSavesReadTheRowsAsTheyAreStored) {
    for (const auto& [id, items] : saved_)
        life_[id].versions = {{0, items}};
    std::vector<Reader> readers = {
        MakeReader(orders_, ordersApart_, OrderColumns(), {{"Region0"}, {"Region5"}, {"Region6", "City3"}}),
        MakeReader(shapes_[0], shapesApart_[0], Shapes()[0].columns, {{"n0"}, {"n01"}, {"n00003b"}})};
    for (Reader& r : readers) {
        const Pair first = MakePair(r.view, r.apart);
        r.places = first.places;
        r.c = first.stored;
        if (r.view == orders_) inOrder_ = first.notes;
        EXPECT_EQ(CloseCollection(first.whole), NOERROR);
    }
    ASSERT_GT(inOrder_.size(), size_t{kDocuments});
    for (uint32_t round = 0; round < 6 && !HasFailure(); ++round) {
        Chooser choose(1000 + round);
        Trace trace;
        trace.seed = 1000 + round;
        CollectionPosition pos[2] = {Position({0}), Position({0})};
        for (trace.step = 0; trace.step < 400 && !HasFailure(); ++trace.step) {
            const uint32_t r = choose.Below(100);
            Reader& reader = readers[choose.Below(2)];
            CollectionPosition& at = pos[&reader - readers.data()];
            if (r < 8) {
                Change(choose, trace);
            } else if (r < 10) {
                trace.Note("open the stored collection again");
                EXPECT_EQ(CloseCollection(reader.c), NOERROR);
                reader.c = Open(reader.view);
                reader.since = clock_;
                reader.hits = false;
            } else if (r < 12) {
                // A key looked for where rows have changed since their entries were made.
                const std::vector<std::string>& key = reader.keys[choose.Below(uint32_t(reader.keys.size()))];
                trace.Note("find '" + key[0] + "'");
                const std::string table = KeyTable(key);
                CollectionPosition found = at;
                const STATUS s = FindByKey(reader.c, table.data(), FIND_PARTIAL, &found, nullptr);
                EXPECT_TRUE(s == NOERROR || s == ERR_NOT_FOUND) << trace.Text() << "\nstatus " << s;
                if (s == NOERROR) at = found;
            } else if (r < 13) {
                // Hits among documents that may have changed or gone since, and reads of them.
                std::vector<std::pair<NOTEID, uint16_t>> hits;
                for (uint32_t i = 1 + choose.Below(40); i > 0; --i)
                    hits.emplace_back(std::next(life_.begin(), choose.Below(uint32_t(life_.size())))->first,
                                      static_cast<uint16_t>(i));
                trace.Note("attach " + std::to_string(hits.size()) + " hits");
                EXPECT_EQ(AttachHitList(reader.c, hits, nullptr), NOERROR);
                reader.hits = true;
            } else {
                Call call = choose.Make(at, reader.places, reader.hits, false);
                call.mask |= READ_MASK_NOTEID | READ_MASK_SUMMARY;
                if (!ReadsSound(reader, call, trace, at)) break;
            }
        }
        // With no change between the reads, the view opened now and the one refreshed answer as the view
        // read whole now does.
        for (size_t i = 0; i < readers.size() && !HasFailure(); ++i)
            SameAfterChanges(readers[i], 2000 + 10 * round + 2 * static_cast<uint32_t>(i));
    }
    for (const Reader& r : readers)
        EXPECT_EQ(CloseCollection(r.c), NOERROR);
}

} // namespace
} // namespace nnotes::testing
