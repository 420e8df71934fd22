// A started library in a chosen time zone, and small builders for instants.
#pragma once

#include "nnotes/nnotes.h"
#include "testsupport/civil_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace nnotes::testing {

// Runs each test in the zone given by Zone() (TZ), with the library started.
class ZonedTimeTest : public ::testing::Test {
protected:
    virtual const char* Zone() const { return "Europe/Berlin"; }

    void SetUp() override {
        UseZone(Zone());
        ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    }

    void TearDown() override { EXPECT_EQ(TermProcess(), NOERROR); }

    static void UseZone(const char* zone) { testsupport::civil::ZoneOverride::Use(zone); }

    // The local reading of fields with the zone and dst the library finds for them.
    static TimeRecord Local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                            int hundredth = 0) {
        const Instant instant =
            Parse(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day) + " " +
                  std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second) + "." +
                  (hundredth < 10 ? "0" : "") + std::to_string(hundredth));
        TimeRecord r{};
        r.instant = instant;
        EXPECT_EQ(InstantToFields(&r), NOERROR);
        return r;
    }

    static Instant Parse(const std::string& text) {
        Instant t{};
        EXPECT_EQ(ConvertTextToTime(nullptr, nullptr, text.c_str(), 80, &t), NOERROR) << text;
        return t;
    }

    static std::string Text(const Instant& t, const TimeTextFormat* format = nullptr,
                            const IntlSettings* intl = nullptr) {
        char buffer[81] = {};
        uint16_t length = 0;
        EXPECT_EQ(InstantToText(intl, format, &t, buffer, 80, &length), NOERROR);
        return std::string(buffer, length);
    }

    static int Compare(const Instant& a, const Instant& b) {
        int result = 99;
        EXPECT_EQ(CompareInstants(&a, &b, &result), NOERROR);
        return result;
    }

private:
    testsupport::civil::ZoneOverride zone_; // made before SetUp, ended after TearDown
};

class NewYorkTimeTest : public ZonedTimeTest {
protected:
    const char* Zone() const override { return "America/New_York"; }
};

} // namespace nnotes::testing
