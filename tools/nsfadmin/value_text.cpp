#include "value_text.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <charconv>
#include <cstdio>

namespace nsfadmin {

using namespace nnotes;

std::string TimeText(const Instant& time) {
    TimeRecord r{};
    r.instant = time;
    if (InstantToZoneFields(&r) != NOERROR || r.year == 0) {
        // The special instants have no calendar reading; their text is what the store reads them from.
        char text[80];
        uint16_t length = 0;
        if (InstantToText(nullptr, nullptr, &time, text, sizeof text, &length) != NOERROR) return "";
        return std::string(text, length);
    }
    char text[48];
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", r.year, r.month, r.day, r.hour,
                          r.minute, r.second);
    if (r.hundredth) n += std::snprintf(text + n, sizeof text - n, ".%02d", r.hundredth);
    return std::string(text, n) + "Z";
}

std::string NumberText(double number) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    return std::string(text, end);
}

std::string ValueText(const ReadValue& value) {
    std::vector<std::string> entries = value.texts;
    for (double d : value.numbers)
        entries.push_back(NumberText(d));
    for (const auto& t : value.times)
        entries.push_back(TimeText(t));
    std::string text;
    for (size_t i = 0; i < entries.size(); ++i)
        text += (i ? ", " : "") + entries[i];
    return text;
}

} // namespace nsfadmin
