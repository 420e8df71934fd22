// Seeded random sequences of date values and of number, date and range lists, checked against an
// independent model: day numbers and the C library's zone database (testsupport/civil_model.h) for the
// values, plain vectors of entries for the lists, whose stored bytes are compared after the document is
// saved and opened again.
#include "docsfixture.h"
#include "ln/lndatetimerange.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lndocument.h"
#include "ln/lnnumbers.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"
#include "testsupport/civil_model.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

namespace civil = testsupport::civil;

nnotes::Instant InstantOf(int64_t utcHundredths) {
    nnotes::Instant t{};
    civil::WordsOf(utcHundredths, &t.words[0], &t.words[1]);
    return t;
}

int64_t UtcOf(const LNDatetime& date) {
    const nnotes::Instant* t = date.GetRawValue();
    return civil::UtcHundredths(t->words[0], t->words[1]);
}

std::string Where(const char* zone, uint32_t seed, int step, const std::string& op) {
    return std::string("zone ") + zone + ", seed " + std::to_string(seed) + ", step " + std::to_string(step) +
           ": " + op;
}

// Runs each test in a zone set through TZ, with the session started.
class ZonedDatetimeTest : public DocsTest {
protected:
    void SetUp() override {
        UseZone("UTC");
        DocsTest::SetUp();
    }
    static void UseZone(const char* zone) { testsupport::civil::ZoneOverride::Use(zone); }

    // An instant of the years 1 to 9999, a day from either end, or near a clock change of the zone.
    static int64_t Draw(std::mt19937& rng, const std::vector<int64_t>& changes) {
        const int64_t first = (civil::kFirstDay - civil::kEpochDay) * 8640000 + 8640000;
        const int64_t last = (civil::kLastDay - civil::kEpochDay) * 8640000 - 1;
        switch (rng() % 5) {
        case 0:
            return std::uniform_int_distribution<int64_t>(first, last)(rng);
        case 1:
            return rng() % 2 ? first + rng() % 8640000 : last - rng() % 8640000;
        case 2:
            return std::uniform_int_distribution<int64_t>(0, 2208988800LL * 100)(rng);
        default:
            if (changes.empty()) return std::uniform_int_distribution<int64_t>(first, last)(rng);
            return changes[rng() % changes.size()] * 100 +
                   std::uniform_int_distribution<int64_t>(-2 * 360000, 2 * 360000)(rng);
        }
    }

    // The value reads as its instant does on the local clock.
    static void ExpectLocal(const LNDatetime& date, int64_t utc, const std::string& where) {
        ASSERT_TRUE(date.IsDateDefined()) << where;
        const nnotes::Instant expected = InstantOf(utc);
        ASSERT_EQ(date.GetRawValue()->words[0], expected.words[0]) << where;
        ASSERT_EQ(date.GetRawValue()->words[1], expected.words[1]) << where;
        const civil::Reading r = civil::LocalReading(utc);
        int32_t month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, hundredth = 0;
        ASSERT_EQ(date.GetDate(&month, &day, &year), LNNOERROR) << where;
        ASSERT_EQ(date.GetTime(&hour, &minute, &second, &hundredth), LNNOERROR) << where;
        const civil::Civil got{year, month, day, hour, minute, second, hundredth};
        ASSERT_EQ(got, r.civil) << where;
        ASSERT_EQ(date.GetDayOfWeek(), r.weekday) << where;
        ASSERT_EQ(date.IsDST(), r.dst) << where;
    }

    testsupport::civil::ZoneOverride zone_; // made before SetUp, ended after TearDown
};

const char* const kZones[] = {"America/New_York", "Europe/Berlin", "Australia/Lord_Howe",
                              "Asia/Kathmandu",   "Pacific/Apia",  "Europe/Dublin"};

using DatetimeRandomTest = ZonedDatetimeTest;

// Adjusters, date and time setters, comparisons and text, step by step from random instants.
TEST_F(DatetimeRandomTest, ValuesFollowTheLocalCalendarInEachZone) {
    for (const char* zone : kZones) {
        UseZone(zone);
        const std::vector<int64_t> changes = civil::OffsetChanges(0, 2208988800LL);
        for (const uint32_t seed : {7u, 8u}) {
            std::mt19937 rng(seed);
            int64_t utc = Draw(rng, changes);
            LNDatetime date(InstantOf(utc));
            for (int step = 0; step < 1500; ++step) {
                const uint32_t op = rng() % 13;
                const auto count = [&rng](int32_t small) {
                    switch (rng() % 4) {
                    case 0:
                        return static_cast<int32_t>(rng() % 7) - 3;
                    case 1:
                        return static_cast<int32_t>(static_cast<int64_t>(rng() % (2 * uint64_t(small) + 1)) -
                                                    small);
                    case 2:
                        return static_cast<int32_t>(rng());
                    default:
                        return static_cast<int32_t>(rng() % (2 * uint64_t(small) + 1)) / 100 - small / 100;
                    }
                };
                std::string name;
                if (op == 0) {
                    utc = Draw(rng, changes);
                    date = LNDatetime(InstantOf(utc));
                    ExpectLocal(date, utc, Where(zone, seed, step, "raw"));
                    continue;
                }
                if (op <= 7) {
                    int64_t n[7] = {}; // hundredths, seconds, minutes, hours, days, months, years
                    const int which = static_cast<int>(op) - 1;
                    constexpr int32_t kSmall[7] = {100000000, 10000000, 1000000, 100000,
                                                   4000000,   120000,   12000};
                    n[which] = count(kSmall[which]);
                    const int32_t c = static_cast<int32_t>(n[which]);
                    LNSTATUS status = 0;
                    switch (which) {
                    case 0:
                        status = date.AdjustHundredth(c);
                        break;
                    case 1:
                        status = date.AdjustSecond(c);
                        break;
                    case 2:
                        status = date.AdjustMinute(c);
                        break;
                    case 3:
                        status = date.AdjustHour(c);
                        break;
                    case 4:
                        status = date.AdjustDay(c);
                        break;
                    case 5:
                        status = date.AdjustMonth(c);
                        break;
                    default:
                        status = date.AdjustYear(c);
                        break;
                    }
                    const std::string where = Where(
                        zone, seed, step, "adjust " + std::to_string(which) + " by " + std::to_string(c));
                    std::optional<int64_t> expected =
                        which == 0
                            ? (civil::InRange(utc + c) ? std::optional<int64_t>(utc + c) : std::nullopt)
                            : civil::Adjusted(utc, n[1], n[2], n[3], n[4], n[5], n[6]);
                    if (!expected) {
                        ASSERT_EQ(status, LNERR_DATE_ADJUST) << where;
                    } else {
                        ASSERT_EQ(status, LNNOERROR) << where;
                        utc = *expected;
                    }
                    ExpectLocal(date, utc, where);
                    continue;
                }
                if (op == 8 || op == 9) {
                    // A new date, or a new clock time, on the local clock; in a gap or an overlap the value
                    // keeps its fields on one side of the change, elsewhere it names the one moment of that
                    // reading.
                    const civil::Reading before = civil::LocalReading(utc);
                    civil::Civil wanted = before.civil;
                    LNSTATUS status = 0;
                    bool valid = true;
                    if (op == 8) {
                        wanted.year = rng() % 3 == 0 ? before.civil.year + static_cast<int>(rng() % 5) - 2
                                                     : static_cast<int64_t>(1 + rng() % 9999);
                        wanted.month = static_cast<int>(1 + rng() % 12);
                        wanted.day = static_cast<int>(1 + rng() % 31);
                        valid = wanted.year >= 1 && wanted.year <= 9999 &&
                                wanted.day <= civil::MonthDays(wanted.year, wanted.month);
                        status = date.SetDate(wanted.month, wanted.day, static_cast<int32_t>(wanted.year));
                    } else {
                        wanted.hour = static_cast<int>(rng() % 25);
                        wanted.minute = static_cast<int>(rng() % 60);
                        wanted.second = static_cast<int>(rng() % 60);
                        wanted.hundredth = static_cast<int>(rng() % 100);
                        valid = wanted.hour < 24;
                        status = date.SetTime(wanted.hour, wanted.minute, wanted.second, wanted.hundredth);
                    }
                    const std::string where = Where(zone, seed, step, op == 8 ? "set date" : "set time");
                    const std::vector<int64_t> moments = civil::LocalMoments(civil::LocalSeconds(wanted));
                    if (!valid) {
                        ASSERT_EQ(status, LNERR_DATE_CONVERT) << where;
                        ExpectLocal(date, utc, where);
                        continue;
                    }
                    if (moments.size() != 1 || (wanted.year == 1 && wanted.month == 1 && wanted.day == 1) ||
                        (wanted.year == 9999 && wanted.month == 12 && wanted.day == 31)) {
                        // Gaps, overlaps and the days at the ends of the calendar: start afresh.
                        utc = Draw(rng, changes);
                        date = LNDatetime(InstantOf(utc));
                        continue;
                    }
                    ASSERT_EQ(status, LNNOERROR) << where;
                    int32_t month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, hundredth = 0;
                    ASSERT_EQ(date.GetDate(&month, &day, &year), LNNOERROR) << where;
                    ASSERT_EQ(date.GetTime(&hour, &minute, &second, &hundredth), LNNOERROR) << where;
                    const civil::Civil got{year, month, day, hour, minute, second, hundredth};
                    ASSERT_EQ(got, wanted) << where;
                    if (op == 8) {
                        utc = moments.front() * 100 + wanted.hundredth;
                        ASSERT_EQ(UtcOf(date), utc) << where;
                    } else {
                        // A new clock time keeps the zone and daylight-saving flag of the value: the local
                        // moment unless a clock change lies between the old time and the new.
                        const int64_t kept =
                            civil::LocalSeconds(wanted) * 100 + wanted.hundredth - before.offset * 100;
                        const int64_t rounded = civil::LocalSeconds(wanted) * 100 + wanted.hundredth -
                                                (int64_t{date.GetTimeZone()} + (before.dst ? 60 : 0)) * 6000;
                        if (civil::LocalReading(kept).offset == before.offset) {
                            ASSERT_EQ(UtcOf(date), moments.front() * 100 + wanted.hundredth) << where;
                        } else {
                            ASSERT_TRUE(UtcOf(date) == kept || UtcOf(date) == rounded) << where;
                        }
                        utc = UtcOf(date);
                    }
                    // Read from its instant, as a document gives it back, the value is the same.
                    ExpectLocal(LNDatetime(*date.GetRawValue()), utc, where);
                    date = LNDatetime(*date.GetRawValue());
                    continue;
                }
                if (op == 10) {
                    const std::string where = Where(zone, seed, step, "compare");
                    const int64_t other =
                        rng() % 3 == 0 ? utc + static_cast<int>(rng() % 3) - 1 : Draw(rng, changes);
                    if (!civil::InRange(other)) continue;
                    const LNDatetime b(InstantOf(other));
                    ASSERT_EQ(date == b, utc == other) << where;
                    ASSERT_EQ(date != b, utc != other) << where;
                    ASSERT_EQ(date < b, utc < other) << where;
                    ASSERT_EQ(date <= b, utc <= other) << where;
                    ASSERT_EQ(date > b, utc > other) << where;
                    ASSERT_EQ(date >= b, utc >= other) << where;
                    ASSERT_TRUE(LNDatetime(LNDATETIME_MINIMUM) < date) << where;
                    ASSERT_TRUE(date < LNDatetime(LNDATETIME_MAXIMUM)) << where;
                    ASSERT_TRUE(LNDatetime(LNDATETIME_MAXIMUM) < LNDatetime(LNDATETIME_WILDCARD)) << where;
                    continue;
                }
                if (op == 11) {
                    // Another zone keeps the instant and reads it there; read from its instant again the
                    // value is back on the local clock.
                    const int32_t zoneMinutes = static_cast<int32_t>(rng() % 1921) - 960;
                    const std::string where =
                        Where(zone, seed, step, "to zone " + std::to_string(zoneMinutes));
                    const bool dst = date.IsDST();
                    ASSERT_EQ(date.ConvertToZone(zoneMinutes), LNNOERROR) << where;
                    ASSERT_EQ(UtcOf(date), utc) << where;
                    ASSERT_EQ(date.GetTimeZone(), zoneMinutes) << where;
                    ASSERT_EQ(date.IsDST(), dst) << where;
                    int64_t offset = (int64_t{zoneMinutes} + (dst ? 60 : 0)) * 60;
                    // Where the local zone then has that offset to the minute, its odd seconds are kept.
                    const int64_t local = civil::LocalReading(utc).offset;
                    if ((local >= 0 ? local + 30 : local - 30) / 60 * 60 == offset) offset = local;
                    const civil::Civil expected = civil::UtcCivil(utc + offset * 100);
                    int32_t month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, hundredth = 0;
                    ASSERT_EQ(date.GetDate(&month, &day, &year), LNNOERROR) << where;
                    ASSERT_EQ(date.GetTime(&hour, &minute, &second, &hundredth), LNNOERROR) << where;
                    const civil::Civil got{year, month, day, hour, minute, second, hundredth};
                    ASSERT_EQ(got, expected) << where;
                    date = LNDatetime(*date.GetRawValue());
                    ExpectLocal(date, utc, where);
                    continue;
                }
                // Text without hundredths says the whole local reading: read back it names the earlier of the
                // moments that show it.
                const std::string where = Where(zone, seed, step, "text");
                LNString text;
                ASSERT_EQ(date.GetText(&text), LNNOERROR) << where;
                LNSTATUS status = 1;
                const LNDatetime back(text, &status);
                ASSERT_EQ(status, LNNOERROR) << where << " " << Text(text);
                const civil::Reading r = civil::LocalReading(utc);
                const std::vector<int64_t> moments = civil::LocalMoments(civil::LocalSeconds(r.civil));
                ASSERT_FALSE(moments.empty()) << where;
                ASSERT_EQ(UtcOf(back), moments.front() * 100) << where << " " << Text(text);
            }
        }
    }
}

// The stored form of a list of single entries: the plain type and the entry alone for one entry of a new
// value, else the list type, the counts and the entries.
std::string ListBytes(uint16_t listType, const std::vector<std::string>& singles,
                      const std::vector<std::string>& pairs) {
    std::string bytes;
    const auto word = [&bytes](uint16_t w) {
        bytes += static_cast<char>(w & 0xFF);
        bytes += static_cast<char>(w >> 8);
    };
    word(listType);
    word(static_cast<uint16_t>(singles.size()));
    word(static_cast<uint16_t>(pairs.size()));
    for (const std::string& s : singles)
        bytes += s;
    for (const std::string& p : pairs)
        bytes += p;
    return bytes;
}

std::string HeldBytes(LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    if (body == nullptr) return "";
    const uint8_t* at = body->LockValue();
    std::string bytes(reinterpret_cast<const char*>(at), body->GetValueSize());
    body->UnlockValue();
    return bytes;
}

std::string InstantBytes(const nnotes::Instant& t) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &t, 8);
    return bytes;
}

std::string NumberBytes(double n) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &n, 8);
    return bytes;
}

using ListsRandomTest = ZonedDatetimeTest;

// Insertions, deletions and element assignments at random indexes of date and number lists, detached and
// then in a saved document, against a vector of entries.
TEST_F(ListsRandomTest, DateAndNumberListsFollowAVectorOfEntries) {
    for (const uint32_t seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        std::vector<std::string> dates, numbers;
        LNDatetimes dateList;
        LNNumbers numberList;
        LNDocument doc;
        bool inNote = false;
        // Whether each list is still the plain single-entry item it was saved as.
        bool plainDates = false, plainNumbers = false;
        nnotes::NOTEID id = 0;
        for (int step = 0; step < 300; ++step) {
            const uint32_t op = rng() % 10;
            const bool onDates = rng() % 2 == 0;
            std::vector<std::string>& model = onDates ? dates : numbers;
            LNItem& list = onDates ? static_cast<LNItem&>(dateList) : static_cast<LNItem&>(numberList);
            const uint32_t size = static_cast<uint32_t>(model.size());
            const uint32_t index = static_cast<uint32_t>(rng() % (size + 3));
            const nnotes::Instant instant = InstantOf(Draw(rng, {}));
            // Any bit pattern, not-a-number ones included, is kept as it is.
            const double number = rng() % 4 == 0 ? std::bit_cast<double>(uint64_t{rng()} << 32 | rng())
                                                 : static_cast<double>(static_cast<int32_t>(rng())) / 8;
            const std::string entry = onDates ? InstantBytes(instant) : NumberBytes(number);
            const std::string where =
                Where("UTC", seed, step, std::to_string(op) + " at " + std::to_string(index));
            const bool empty = list.IsNull();
            LNSTATUS status = 0;
            LNSTATUS expected = LNNOERROR;
            if (op <= 3) {
                status =
                    onDates ? dateList.Insert(index, LNDatetime(instant)) : numberList.Insert(index, number);
                if (index > size || (empty && index != 0))
                    expected = LNERR_INVALID_PARAMETER;
                else
                    model.insert(model.begin() + index, entry);
            } else if (op == 4) {
                // A list of two, or the list itself, inserted at index.
                LNDatetimes otherDates;
                LNNumbers otherNumbers;
                std::vector<std::string> inserted = model;
                if (rng() % 3 != 0) {
                    otherDates += LNDatetime(instant);
                    otherDates +=
                        LNDatetime(InstantOf(civil::UtcHundredths(instant.words[0], instant.words[1]) + 1));
                    otherNumbers += number;
                    otherNumbers += number + 1;
                    const nnotes::Instant next =
                        InstantOf(civil::UtcHundredths(instant.words[0], instant.words[1]) + 1);
                    inserted = onDates ? std::vector<std::string>{entry, InstantBytes(next)}
                                       : std::vector<std::string>{entry, NumberBytes(number + 1)};
                } else {
                    otherDates = dateList;
                    otherNumbers = numberList;
                }
                status =
                    onDates ? dateList.Insert(index, otherDates) : numberList.Insert(index, otherNumbers);
                if (index > size || (empty && index != 0) ||
                    (onDates ? otherDates.IsNull() : otherNumbers.IsNull()))
                    expected = LNERR_INVALID_PARAMETER;
                else
                    model.insert(model.begin() + index, inserted.begin(), inserted.end());
            } else if (op <= 6) {
                const uint32_t count = static_cast<uint32_t>(rng() % 4);
                status = onDates ? dateList.Delete(index, count) : numberList.Delete(index, count);
                if (empty)
                    expected = LNERR_NOT_INITIALIZED;
                else if (count != 0 && uint64_t{index} + count > size)
                    expected = LNERR_INVALID_PARAMETER;
                else if (count != 0)
                    model.erase(model.begin() + index, model.begin() + index + count);
            } else if (op == 7) {
                if (index >= size) {
                    const LNSTATUS thrown = Thrown([&] {
                        if (onDates)
                            (void)dateList[index];
                        else
                            (void)numberList[index];
                    });
                    ASSERT_EQ(thrown, empty ? LNERR_NOT_INITIALIZED : LNERR_INVALID_PARAMETER) << where;
                    continue;
                }
                if (onDates)
                    dateList[index] = LNDatetime(instant);
                else
                    numberList[index] = number;
                model[index] = entry;
            } else if (op == 8) {
                status = onDates ? dateList.SetValue(LNDatetime(instant)) : numberList.SetValue(number);
                model = {entry};
            } else if (rng() % 4 == 0) {
                status = onDates ? dateList.DeleteAll() : numberList.DeleteAll();
                if (empty)
                    expected = LNERR_NOT_INITIALIZED;
                else
                    model.clear();
            } else {
                // Save: a new document takes both lists as new items; later the lists are its items, edited
                // in place. Either way the document saved and opened again holds the model's bytes.
                if (!inNote) {
                    if (dateList.IsNull() || numberList.IsNull()) continue;
                    ASSERT_EQ(db_.CreateDocument(&doc), LNNOERROR) << where;
                    ASSERT_EQ(doc.CreateItem("When", dateList), LNNOERROR) << where;
                    ASSERT_EQ(doc.CreateItem("Amount", numberList), LNNOERROR) << where;
                }
                ASSERT_EQ(doc.Save(0), LNNOERROR) << where;
                id = doc.GetNoteID();
                ASSERT_EQ(doc.Close(), LNNOERROR) << where;
                // A new detached value of one entry is stored plain.
                if (!inNote) {
                    plainDates = dates.size() == 1;
                    plainNumbers = numbers.size() == 1;
                }
                const auto stored = [&](uint16_t plain, uint16_t listType,
                                        const std::vector<std::string>& m) {
                    if ((plain == nnotes::TYPE_TIME ? plainDates : plainNumbers) && m.size() == 1) {
                        std::string bytes(1, static_cast<char>(plain & 0xFF));
                        bytes += static_cast<char>(plain >> 8);
                        return bytes + m[0];
                    }
                    return ListBytes(listType, m, {});
                };
                ASSERT_EQ(StoredValue(id, "When"), stored(nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE, dates))
                    << where;
                ASSERT_EQ(StoredValue(id, "Amount"),
                          stored(nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE, numbers))
                    << where;
                doc = LNDocument(db_.GetDatabaseBody(), id);
                ASSERT_EQ(doc.Open(0), LNNOERROR) << where;
                ASSERT_EQ(doc.GetItem("When", &dateList), LNNOERROR) << where;
                ASSERT_EQ(doc.GetItem("Amount", &numberList), LNNOERROR) << where;
                inNote = true;
                continue;
            }
            ASSERT_EQ(status, expected) << where;
            if (status == LNNOERROR && !((op == 5 || op == 6) && model.size() == size))
                (onDates ? plainDates : plainNumbers) = false;
            // The lists hold the model's entries, in list layout (a plain item of a note holds its one entry
            // after the type word).
            for (int family = 0; family < 2; ++family) {
                const std::vector<std::string>& m = family == 0 ? dates : numbers;
                LNItem& l = family == 0 ? static_cast<LNItem&>(dateList) : static_cast<LNItem&>(numberList);
                const uint32_t got = family == 0 ? dateList.GetCount() : numberList.GetCount();
                ASSERT_EQ(got, l.IsNull() ? 0u : m.size()) << where;
                if (l.IsNull()) continue;
                const std::string held = HeldBytes(l);
                const uint16_t plain = family == 0 ? nnotes::TYPE_TIME : nnotes::TYPE_NUMBER;
                const uint16_t listType = family == 0 ? nnotes::TYPE_TIME_RANGE : nnotes::TYPE_NUMBER_RANGE;
                if (l.GetItemBody()->IsInNote() && l.GetItemBody()->GetNSFType() == plain) {
                    ASSERT_EQ(m.size(), 1u) << where;
                    ASSERT_EQ(held.substr(2), m[0]) << where;
                } else {
                    ASSERT_EQ(held, ListBytes(listType, m, {})) << where;
                    if (!l.GetItemBody()->IsInNote()) {
                        ASSERT_EQ(l.GetItemBody()->GetNSFType(), m.size() > 1 ? listType : plain) << where;
                    }
                }
                for (uint32_t i = 0; i < m.size(); ++i) {
                    if (family == 0) {
                        const LNDatetime value = dateList[i].GetValue();
                        ASSERT_EQ(InstantBytes(*value.GetRawValue()), m[i]) << where << " entry " << i;
                    } else {
                        ASSERT_EQ(NumberBytes(numberList[i].GetValue()), m[i]) << where << " entry " << i;
                    }
                }
            }
        }
        if (inNote) doc.Close();
    }
}

// A range list's instants and pairs, ranges whose start is after their end included, inserted, deleted and
// assigned at random joint indexes, then saved and read back byte for byte.
TEST_F(ListsRandomTest, RangeListsKeepInstantsBeforePairs) {
    for (const uint32_t seed : {4u, 5u, 6u}) {
        std::mt19937 rng(seed);
        std::vector<std::string> singles, pairs;
        LNDatetimeRanges list;
        for (int step = 0; step < 300; ++step) {
            const uint32_t op = rng() % 11;
            const uint32_t L = static_cast<uint32_t>(singles.size()), R = static_cast<uint32_t>(pairs.size());
            const uint32_t index = static_cast<uint32_t>(rng() % (L + R + 3));
            const nnotes::Instant a = InstantOf(Draw(rng, {})), b = InstantOf(Draw(rng, {}));
            LNDatetimeRange range;
            range.SetBegin(LNDatetime(a));
            range.SetEnd(LNDatetime(b));
            const std::string single = InstantBytes(a), pair = InstantBytes(a) + InstantBytes(b);
            const std::string where =
                Where("UTC", seed, step, std::to_string(op) + " at " + std::to_string(index));
            const bool empty = list.IsNull();
            LNSTATUS status = 0, expected = LNNOERROR;
            if (op <= 1) {
                status = list.Insert(index, LNDatetime(a));
                if (index > L || (empty && index != 0))
                    expected = LNERR_INVALID_PARAMETER;
                else
                    singles.insert(singles.begin() + index, single);
            } else if (op <= 3) {
                status = list.Insert(index, range);
                if (index < L || index > L + R || (empty && index != 0))
                    expected = LNERR_INVALID_PARAMETER;
                else
                    pairs.insert(pairs.begin() + (index - L), pair);
            } else if (op == 8 || op == 9) {
                // An element given an instant or a range: in place when of its kind; else the old entry goes
                // and the new one joins the instants at their end, or the ranges at their front.
                if (index >= L + R) continue;
                const bool toInstant = rng() % 2 == 0;
                if (toInstant)
                    list[index] = LNDatetime(a);
                else
                    list[index] = range;
                if (index < L && toInstant) {
                    singles[index] = single;
                } else if (index >= L && !toInstant) {
                    pairs[index - L] = pair;
                } else if (toInstant) {
                    pairs.erase(pairs.begin() + (index - L));
                    singles.push_back(single);
                } else {
                    singles.erase(singles.begin() + index);
                    pairs.insert(pairs.begin(), pair);
                }
            } else if (op == 10) {
                // Another list, or the list itself: its instants among the instants, its ranges among the
                // ranges, each at the index or the nearest end of its kind.
                LNDatetimeRanges other;
                std::vector<std::string> otherSingles = singles, otherPairs = pairs;
                if (rng() % 3 != 0) {
                    other += LNDatetime(b);
                    other += range;
                    otherSingles = {InstantBytes(b)};
                    otherPairs = {pair};
                } else {
                    other = list;
                }
                status = list.Insert(index, other);
                if (index > L + R || (empty && index != 0) || other.IsNull()) {
                    expected = LNERR_INVALID_PARAMETER;
                } else {
                    singles.insert(singles.begin() + std::min(index, L), otherSingles.begin(),
                                   otherSingles.end());
                    pairs.insert(pairs.begin() + (index > L ? index - L : 0), otherPairs.begin(),
                                 otherPairs.end());
                }
            } else if (op <= 5) {
                const uint32_t count = static_cast<uint32_t>(rng() % 5);
                status = list.Delete(index, count);
                if (empty) {
                    expected = LNERR_NOT_INITIALIZED;
                } else if (count != 0 && uint64_t{index} + count > L + R) {
                    expected = LNERR_INVALID_PARAMETER;
                } else if (count != 0) {
                    // One run over the instants, then the pairs.
                    const uint32_t end = index + count;
                    const uint32_t singleEnd = std::min(end, L);
                    const uint32_t pairStart = index > L ? index - L : 0;
                    if (end > L) pairs.erase(pairs.begin() + pairStart, pairs.begin() + (end - L));
                    if (index < singleEnd)
                        singles.erase(singles.begin() + index, singles.begin() + singleEnd);
                }
            } else if (op == 6) {
                if (index >= L + R) {
                    ASSERT_EQ(Thrown([&] { (void)list[index]; }),
                              empty ? LNERR_NOT_INITIALIZED : LNERR_INVALID_PARAMETER)
                        << where;
                    continue;
                }
                const LNDatetimeRange read = list[index].GetValue();
                const std::string held =
                    InstantBytes(read.GetRawValue()->begin) + InstantBytes(read.GetRawValue()->end);
                ASSERT_EQ(held, index < L ? singles[index] + singles[index] : pairs[index - L]) << where;
                ASSERT_TRUE(read.IsBeginDefined() && read.IsEndDefined()) << where;
                continue;
            } else {
                // Saved as a new item and read back; its value is the same bytes.
                if (empty) continue;
                LNDocument doc;
                ASSERT_EQ(db_.CreateDocument(&doc), LNNOERROR) << where;
                ASSERT_EQ(doc.CreateItem("Span", list), LNNOERROR) << where;
                ASSERT_EQ(doc.Save(0), LNNOERROR) << where;
                const nnotes::NOTEID id = doc.GetNoteID();
                ASSERT_EQ(doc.Close(), LNNOERROR) << where;
                ASSERT_EQ(StoredValue(id, "Span"), ListBytes(nnotes::TYPE_TIME_RANGE, singles, pairs))
                    << where;
                LNDocument again(db_.GetDatabaseBody(), id);
                ASSERT_EQ(again.Open(0), LNNOERROR) << where;
                // A value without pairs is read as a list of instants.
                if (R == 0) {
                    LNDatetimes instants;
                    ASSERT_EQ(again.GetItem("Span", &instants), LNNOERROR) << where;
                    ASSERT_EQ(instants.GetCount(), L) << where;
                    ASSERT_EQ(HeldBytes(instants), ListBytes(nnotes::TYPE_TIME_RANGE, singles, pairs))
                        << where;
                } else {
                    LNDatetimeRanges stored;
                    ASSERT_EQ(again.GetItem("Span", &stored), LNNOERROR) << where;
                    ASSERT_EQ(stored.GetDatetimeCount(), L) << where;
                    ASSERT_EQ(stored.GetRangeCount(), R) << where;
                    ASSERT_EQ(HeldBytes(stored), ListBytes(nnotes::TYPE_TIME_RANGE, singles, pairs)) << where;
                }
                again.Close();
                continue;
            }
            ASSERT_EQ(status, expected) << where;
            if (list.IsNull()) continue;
            ASSERT_EQ(list.GetDatetimeCount(), singles.size()) << where;
            ASSERT_EQ(list.GetRangeCount(), pairs.size()) << where;
            ASSERT_EQ(HeldBytes(list), ListBytes(nnotes::TYPE_TIME_RANGE, singles, pairs)) << where;
            ASSERT_EQ(list.GetItemBody()->GetNSFType(), nnotes::TYPE_TIME_RANGE) << where;
        }
    }
}

} // namespace
