// Documents whose column values are of every kind the store holds, with seeded random content: text with
// NUL, CR/LF, tabs and ill-formed UTF-8, lists short, empty and huge, numbers with NaN and infinities, times
// from year 1 to 9999 and special ones, ranges, rich text and values of no kind a view keeps. Each is read
// through GetData, KWGet and KWGetFirst/KWGetNext into buffers of every size and checked against the model
// of the text the library promises (value_model.h), cut at the size, never written past it.
#include "guarded_buffer.h"
#include "libfixture.h"
#include "raw_notes.h"
#include "value_model.h"

#include <cmath>
#include <limits>
#include <optional>
#include <random>

namespace qvltest {
namespace {

constexpr const char* kHostileServerPath = "hostile.nsf";

// A view of the values in key order, a keyword view of them (column 0 the value, ordered by a hidden key),
// and the data source that walks the first with the second as its lookup "V".
inline std::string HostileDatabase() {
    return R"({"path": "hostile.nsf", "views": [
        {"name": "Rows", "columns": [{"title": "Key", "item": "Key", "sorted": true},
            {"title": "Value", "item": "V"}, {"title": "Tail", "item": "Tail"}]},
        {"name": "Keywords", "columns": [{"title": "Value", "item": "V"},
            {"title": "Key", "item": "Key", "sorted": true, "hidden": true}]}],
      "documents": []})";
}

// One document as the model sees it: the texts its row and its keyword read as.
struct Expected {
    int id = 0;
    std::vector<std::string> row; // Key, Value, Tail
    std::string keyword;
};

class HostileValueTest : public LibraryTest {
protected:
    void SetUp() override {
        zone_.Use("UTC");
        Build(DataSourceDatabase(kServer,
                                 DataSource("Hostile", kHostileServerPath, "Rows", R"(["V=Keywords"])")));
        UseServer(kServer);
    }

    // Rebuilds hostile.nsf with these documents (each its items after Key), opens the library and the data
    // source, and gives what each document should read as, in key order.
    std::vector<Expected> Fill(const std::vector<std::vector<RawItem>>& values) {
        LibClose();
        Build(HostileDatabase());
        // The library's session is the process the store's own calls below run in.
        EXPECT_EQ(LibOpen(), 1) << LastErrorText();
        std::vector<Expected> expected;
        for (size_t i = 0; i < values.size(); ++i) {
            const std::string key = "K" + Padded(static_cast<int64_t>(i), 5),
                              tail = "t" + Padded(static_cast<int64_t>(i), 5);
            std::vector<RawItem> items{TextItem("Key", key)};
            items.insert(items.end(), values[i].begin(), values[i].end());
            items.push_back(TextItem("Tail", tail));
            Expected e;
            e.id = AddRawDocument(kHostileServerPath, items);
            // A view reads the first item of a name, matched without regard to case.
            const RawItem* value = nullptr;
            for (const RawItem& item : values[i])
                if (value == nullptr && (item.name == "V" || item.name == "v")) value = &item;
            const bool kept =
                value != nullptr && value->type != nnotes::TYPE_COMPOSITE && ValueKind(value->type);
            const size_t valueBytes = kept ? 2 + value->data.size() : 0;
            const std::vector<bool> row =
                SummaryKeeps({{"Key", 2 + key.size()}, {"V", valueBytes}, {"Tail", 2 + tail.size()}});
            const std::vector<bool> keyword = SummaryKeeps({{"V", valueBytes}, {"Key", 2 + key.size()}});
            const ValueText rowValue = kept && row[1] ? ValueModel(value->type, value->data) : ValueText{};
            const ValueText keywordValue =
                kept && keyword[0] ? ValueModel(value->type, value->data) : ValueText{};
            if (rowValue.readable)
                e.row = {key, rowValue.text, row[2] ? tail : ""};
            else
                e.row = {"", "", ""}; // a row that cannot be read whole reads empty
            e.keyword = keywordValue.text;
            expected.push_back(std::move(e));
        }
        EXPECT_EQ(DSOpen("Hostile"), 3);
        return expected;
    }

    static bool ValueKind(uint16_t type) {
        switch (type) {
        case nnotes::TYPE_TEXT:
        case nnotes::TYPE_TEXT_LIST:
        case nnotes::TYPE_NUMBER:
        case nnotes::TYPE_NUMBER_RANGE:
        case nnotes::TYPE_TIME:
        case nnotes::TYPE_TIME_RANGE:
            return true;
        default:
            return false;
        }
    }

    // A buffer size: tiny, roomy, exactly the text, one more or less, none or negative.
    int RandomSize(size_t length) {
        const int sizes[] = {0,
                             1,
                             2,
                             3,
                             5,
                             8,
                             17,
                             64,
                             256,
                             static_cast<int>(length),
                             static_cast<int>(length) + 1,
                             static_cast<int>(length) + 2,
                             70000,
                             70000,
                             -1,
                             std::max(static_cast<int>(length) - 1, 0)};
        return sizes[random_() % std::size(sizes)];
    }

    // Calls write(buffer, size) with a guarded buffer and checks the bounded copy of expected.
    template <class Write>
    void CheckText(const std::string& where, const std::string& expected, Write write) {
        const int size = RandomSize(expected.size());
        GuardedBuffer buffer(size);
        write(buffer.Data(), size);
        if (size <= 0) {
            EXPECT_TRUE(buffer.Untouched()) << where << " (size " << size << ")";
            return;
        }
        EXPECT_TRUE(buffer.GuardsHold(size)) << where << ": wrote past size " << size;
        EXPECT_EQ(buffer.Text(size), Cut(expected, size)) << where << " (size " << size << ")";
    }

    // Walks the rows, loads and walks the keywords, each read checked against expected.
    void CheckReads(const std::string& where, const std::vector<Expected>& expected) {
        for (size_t i = 0; i < expected.size() && !HasFailure(); ++i) {
            const std::string at = where + "row " + std::to_string(i) + ": ";
            ASSERT_EQ(i == 0 ? GotoFirst() : GotoNext(), 1) << at;
            EXPECT_EQ(GetNoteID(), expected[i].id) << at;
            for (int column = 0; column < 3; ++column)
                for (int read = 0; read < 2; ++read)
                    CheckText(at + "GetData(" + std::to_string(column) + ")",
                              expected[i].row[static_cast<size_t>(column)],
                              [&](char* buffer, int size) { GetData(column, buffer, size); });
        }
        EXPECT_EQ(GotoNext(), 0) << where << "after the last row";

        ASSERT_EQ(KWLoad("V"), static_cast<int>(expected.size())) << where;
        for (size_t i = 0; i < expected.size() && !HasFailure(); ++i) {
            int answer = 0;
            CheckText(where + "KWGet(" + std::to_string(i) + ")", expected[i].keyword,
                      [&](char* buffer, int size) { answer = KWGet(static_cast<int>(i), buffer, size); });
            EXPECT_EQ(answer, 1) << where << "KWGet(" << i << ")";
        }
        ASSERT_EQ(KWOpen("V"), 1) << where;
        for (size_t i = 0; i < expected.size() && !HasFailure(); ++i) {
            const int size = RandomSize(expected[i].keyword.size());
            GuardedBuffer buffer(size);
            const int answer = i == 0 ? KWGetFirst(buffer.Data(), size) : KWGetNext(buffer.Data(), size);
            const std::string call = where + "keyword " + std::to_string(i);
            if (size <= 0) {
                EXPECT_EQ(answer, 0) << call;
                EXPECT_TRUE(buffer.Untouched()) << call;
                // A step without a buffer reads nothing; the walk goes on from the row it reached.
                continue;
            }
            EXPECT_EQ(answer, -1) << call;
            EXPECT_TRUE(buffer.GuardsHold(size)) << call << ": wrote past size " << size;
            EXPECT_EQ(buffer.Text(size), Cut(expected[i].keyword, size)) << call << " (size " << size << ")";
        }
        char end[8] = "abc";
        EXPECT_EQ(KWGetNext(end, sizeof end), 0) << where << "after the last keyword";
        KWClose();
        EXPECT_EQ(LastErrorText(), "") << where;
    }

    std::string RandomBytes(size_t limit) {
        static const char* const pieces[] = {"a",
                                             "Zed",
                                             " ",
                                             "\t",
                                             "\r\n",
                                             "\n",
                                             "\r",
                                             "=",
                                             "==",
                                             "|",
                                             ",",
                                             "\"",
                                             "\\",
                                             "",
                                             "\xC3\xA9",
                                             "\xE6\x9D\xB1",
                                             "\xF0\x9F\x98\x80",
                                             "\xEF\xBB\xBF",
                                             "\x80",
                                             "\xBF",
                                             "\xC0\x80",
                                             "\xC3",
                                             "\xE2\x82",
                                             "\xF0\x9F\x98",
                                             "\xED\xA0\x80",
                                             "\xF4\x90\x80\x80",
                                             "\xFF",
                                             "\xFE",
                                             "\xE0\x80\xAF",
                                             "\xF5\x80"};
        std::string text;
        const int shape = static_cast<int>(random_() % 10);
        const size_t target = shape < 7   ? random_() % 40
                              : shape < 9 ? 100 + random_() % 2000
                                          : 20000 + random_() % 45000;
        while (text.size() < std::min(target, limit)) {
            const size_t piece = random_() % (std::size(pieces) + 4);
            if (piece == 13) {
                text += '\0'; // the NUL piece cannot be a C string
            } else if (piece >= std::size(pieces)) {
                text += static_cast<char>(random_() % 256);
            } else {
                text += pieces[piece];
            }
        }
        return text.substr(0, std::min(text.size(), limit));
    }

    double RandomNumber() {
        const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                                   -std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   -0.0,
                                   0.0,
                                   std::numeric_limits<double>::denorm_min(),
                                   std::numeric_limits<double>::max(),
                                   -std::numeric_limits<double>::max(),
                                   std::numeric_limits<double>::min(),
                                   0.1,
                                   1e15,
                                   1e16,
                                   123456789012345678.0,
                                   -2.5,
                                   1.0 / 3};
        if (random_() % 2) return specials[random_() % std::size(specials)];
        std::uniform_real_distribution<double> spread(-1e6, 1e6);
        return random_() % 2 ? spread(random_)
                             : std::ldexp(spread(random_), static_cast<int>(random_() % 200) - 100);
    }

    std::string RandomInstant() {
        const int64_t first = (testsupport::civil::kFirstDay - testsupport::civil::kEpochDay) * 8640000;
        const int64_t last = (testsupport::civil::kLastDay - testsupport::civil::kEpochDay + 1) * 8640000 - 1;
        uint32_t word0 = 0, word1 = 0;
        switch (random_() % 9) {
        case 0:
            testsupport::civil::WordsOf(first + static_cast<int64_t>(random_() % 100000), &word0, &word1);
            break;
        case 1:
            testsupport::civil::WordsOf(last - static_cast<int64_t>(random_() % 100000), &word0, &word1);
            break;
        case 2: {
            static const uint32_t specials[][2] = {{0, 0}, {0, 0x00FFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF}};
            const auto& special = specials[random_() % 3];
            word0 = special[0];
            word1 = special[1];
            break;
        }
        default: {
            std::uniform_int_distribution<int64_t> spread(first, last);
            testsupport::civil::WordsOf(spread(random_), &word0, &word1);
            break;
        }
        }
        return InstantData(word0, word1);
    }

    // A value of a random kind for the item named name.
    RawItem RandomValue(const std::string& name) {
        static const uint16_t flagChoices[] = {nnotes::ITEM_SUMMARY, 0,
                                               nnotes::ITEM_SUMMARY | nnotes::ITEM_PROTECTED};
        RawItem item{name, nnotes::TYPE_TEXT, "", flagChoices[random_() % 3]};
        const auto count = [&](uint32_t huge) {
            const uint32_t counts[] = {0, 1, 2, 5, huge};
            return counts[random_() % std::size(counts)];
        };
        switch (random_() % 11) {
        case 0:
        case 1:
            item.data = RandomBytes(65000);
            break;
        case 2: {
            item.type = nnotes::TYPE_TEXT_LIST;
            const uint32_t entries = count(10000 + random_() % 10000);
            std::vector<std::string> list;
            size_t bytes = 2;
            for (uint32_t i = 0; i < entries; ++i) {
                list.push_back(i == 0          ? RandomBytes(30000)
                               : entries > 100 ? std::string(i % 3, 'x')
                                               : RandomBytes(200));
                bytes += 2 + list.back().size();
            }
            while (bytes > 65000) {
                bytes -= 2 + list.back().size();
                list.pop_back();
            }
            item.data = TextListData(list);
            break;
        }
        case 3:
            item.type = nnotes::TYPE_NUMBER;
            item.data = DoubleData(RandomNumber());
            break;
        case 4: {
            item.type = nnotes::TYPE_NUMBER_RANGE;
            std::vector<std::string> singles, pairs;
            const uint32_t n = count(8000);
            for (uint32_t i = 0; i < n; ++i)
                singles.push_back(DoubleData(RandomNumber()));
            if (random_() % 3 == 0) pairs.push_back(DoubleData(RandomNumber()) + DoubleData(RandomNumber()));
            item.data = RangeData(singles, pairs);
            break;
        }
        case 5:
        case 6:
            item.type = nnotes::TYPE_TIME;
            item.data = RandomInstant();
            break;
        case 7: {
            item.type = nnotes::TYPE_TIME_RANGE;
            std::vector<std::string> singles, pairs;
            const uint32_t n = count(4000);
            for (uint32_t i = 0; i < n; ++i)
                singles.push_back(RandomInstant());
            const uint32_t p = random_() % 2 ? 0 : 1 + random_() % 3;
            for (uint32_t i = 0; i < p; ++i)
                pairs.push_back(RandomInstant() + RandomInstant());
            item.data = RangeData(singles, pairs);
            break;
        }
        case 8:
            item.type = nnotes::TYPE_COMPOSITE; // rich text: no view shows it
            item.data = RandomBytes(2000);
            break;
        default: {
            static const uint16_t others[] = {2, 5, 0x0600, 0x1234, 0xFFFF};
            item.type = others[random_() % std::size(others)];
            item.data = RandomBytes(500);
            break;
        }
        }
        return item;
    }

    testsupport::civil::ZoneOverride zone_;
    std::mt19937 random_;
};

TEST_F(HostileValueTest, EveryKindOfValueReadsAsItsModelCutAtTheCallersBuffer) {
    // Zones either side of UTC, so that the first and last instants read in the years 0 and 10000 too.
    static const char* const zones[] = {"UTC",          "America/New_York",  "Pacific/Kiritimati",
                                        "Asia/Kolkata", "Pacific/Pago_Pago", "Europe/Berlin"};
    for (uint32_t seed = 1; seed <= 8 && !HasFailure(); ++seed) {
        random_.seed(seed);
        zone_.Use(zones[(seed - 1) % std::size(zones)]);
        std::vector<std::vector<RawItem>> values;
        for (int i = 0; i < 40; ++i) {
            std::vector<RawItem> items;
            if (random_() % 12 != 0) items.push_back(RandomValue(random_() % 4 ? "V" : "v"));
            if (random_() % 6 == 0) items.push_back(RandomValue("V")); // a second item of the name
            values.push_back(items);
        }
        const std::vector<Expected> expected = Fill(values);
        ASSERT_FALSE(HasFailure()) << "seed " << seed << " in " << zones[(seed - 1) % std::size(zones)];
        CheckReads("seed " + std::to_string(seed) + ": ", expected);
    }
}

// The edges read as these texts, written out by hand: the first and last instants in zones either side of
// UTC, special instants, NaN, infinities and minus zero, empty, huge and ranged lists, NULs and ill-formed
// bytes, a text whose platform form is longer than a string of the object layer holds. An instant that is
// none leaves its whole row empty.
std::string Replacements(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\xEF\xBF\xBD";
    return text;
}

TEST_F(HostileValueTest, EdgeValuesReadAsTheseTexts) {
    struct Case {
        const char* zone;
        RawItem value;
        std::optional<std::string> text; // none: the row reads empty
    };
    const uint32_t firstDay = 1721426, lastDay = 5373484;
    const std::vector<Case> cases = {
        {"UTC", {"V", nnotes::TYPE_TIME, InstantData(0, firstDay)}, "01/01/0001 12:00:00 AM"},
        {"America/New_York", {"V", nnotes::TYPE_TIME, InstantData(0, firstDay)}, "12/31/0000 07:03:58 PM"},
        {"UTC", {"V", nnotes::TYPE_TIME, InstantData(8639999, lastDay)}, "12/31/9999 11:59:59 PM"},
        {"Asia/Tokyo", {"V", nnotes::TYPE_TIME, InstantData(8639999, lastDay)}, "01/01/10000 08:59:59 AM"},
        {"UTC", {"V", nnotes::TYPE_TIME, InstantData(0, 0x00FFFFFF)}, "Maximum Valid Date"},
        {"UTC", {"V", nnotes::TYPE_TIME, InstantData(0xFFFFFFFF, 0xFFFFFFFF)}, "Any Day//Any Time"},
        {"UTC", {"V", nnotes::TYPE_TIME, InstantData(8640000, 2450000)}, std::nullopt},
        {"UTC",
         {"V", nnotes::TYPE_TIME_RANGE,
          RangeData({}, {InstantData(0, 2451545) + InstantData(4320000, 2451545)})},
         "01/01/2000 12:00:00 AM - 01/01/2000 12:00:00 PM"},
        {"UTC", {"V", nnotes::TYPE_NUMBER, DoubleData(std::numeric_limits<double>::quiet_NaN())}, "nan"},
        {"UTC", {"V", nnotes::TYPE_NUMBER, DoubleData(-std::numeric_limits<double>::infinity())}, "-inf"},
        {"UTC", {"V", nnotes::TYPE_NUMBER, DoubleData(-0.0)}, "0"},
        {"UTC", {"V", nnotes::TYPE_NUMBER, DoubleData(0.1 + 0.2)}, "0.3"},
        {"UTC", {"V", nnotes::TYPE_NUMBER, DoubleData(1e21)}, "1e+21"},
        {"UTC", {"V", nnotes::TYPE_NUMBER_RANGE, RangeData({}, {DoubleData(1) + DoubleData(2)})}, ""},
        {"UTC",
         {"V", nnotes::TYPE_NUMBER_RANGE, RangeData(std::vector<std::string>(8000, DoubleData(2.5)), {})},
         "2.5"},
        {"UTC", {"V", nnotes::TYPE_TEXT_LIST, TextListData({})}, ""},
        {"UTC", {"V", nnotes::TYPE_TEXT_LIST, TextListData(std::vector<std::string>(15000, "ab"))}, "ab"},
        {"UTC", {"V", nnotes::TYPE_TEXT, std::string("a\0b\r\n\tc", 7)}, "a\nb\r\n\tc"},
        {"UTC",
         {"V", nnotes::TYPE_TEXT, "\xC3\x28\xE2\x82\x41\xF0\x9F\x98\x80"},
         "\xEF\xBF\xBD(\xEF\xBF\xBD"
         "A\xF0\x9F\x98\x80"},
        {"UTC",
         {"V", nnotes::TYPE_TEXT, std::string(25000, '\xFF')},
         Replacements(85)}, // 255 of 75,000 bytes
        {"UTC", {"V", nnotes::TYPE_TEXT_LIST, TextListData({std::string(25000, '\x80')})}, Replacements(85)},
        {"UTC", {"V", nnotes::TYPE_COMPOSITE, "rich"}, ""},
    };
    for (const Case& c : cases) {
        zone_.Use(c.zone);
        const std::vector<Expected> expected = Fill({{c.value}});
        ASSERT_EQ(expected.size(), 1u);
        ASSERT_EQ(GotoFirst(), 1);
        const std::string where =
            std::string(c.zone) + " " + ::testing::PrintToString(c.value.data.substr(0, 16));
        char text[256] = "untouched";
        GetData(1, text, sizeof text);
        EXPECT_EQ(std::string(text), c.text.value_or("")) << where;
        GetData(0, text, sizeof text);
        EXPECT_EQ(std::string(text), c.text ? "K00000" : "") << where;
        ASSERT_EQ(KWLoad("V"), 1);
        ASSERT_EQ(KWGet(0, text, sizeof text), 1);
        EXPECT_EQ(std::string(text), c.text.value_or("")) << where;
        // The model the seeded test checks against agrees.
        EXPECT_EQ(Cut(expected[0].row[1], sizeof text), c.text.value_or("")) << where;
    }
}

} // namespace
} // namespace qvltest
