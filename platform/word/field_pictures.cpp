#include "field_pictures.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace word {
namespace {

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

// The section of a numeric picture for a value, and whether it states the sign itself.
std::string_view Section(std::string_view picture, double value, bool& signGiven) {
    std::vector<std::string_view> sections;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < picture.size(); ++i) {
        if (picture[i] == '\'') quoted = !quoted;
        if (picture[i] == ';' && !quoted) {
            sections.push_back(picture.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(picture.substr(start));
    signGiven = false;
    if (value < 0 && sections.size() > 1) {
        signGiven = true;
        return sections[1];
    }
    if (value == 0 && sections.size() > 2) return sections[2];
    return sections[0];
}

// The integer digits of a magnitude (none for 0) and its fraction digits, rounded half away from zero to
// the given places, as word processors round (a nudge keeps 2.675 from rounding down for its binary
// form).
std::string Digits(double magnitude, int places, std::string& fraction) {
    double scaled = std::round(magnitude * std::pow(10.0, places) * (1 + 4 * 2.220446049250313e-16));
    std::vector<char> buffer(400);
    std::snprintf(buffer.data(), buffer.size(), "%.0f", scaled);
    std::string text = buffer.data();
    if (text.size() <= static_cast<size_t>(places))
        text.insert(0, static_cast<size_t>(places) + 1 - text.size(), '0');
    fraction = text.substr(text.size() - static_cast<size_t>(places));
    std::string integer = text.substr(0, text.size() - static_cast<size_t>(places));
    size_t first = integer.find_first_not_of('0');
    return first == std::string::npos ? "" : integer.substr(first);
}

bool IsPlaceholder(char c) {
    return c == '0' || c == '#' || c == 'x';
}

} // namespace

std::string FormatNumber(double value, std::string_view picture) {
    bool signGiven = false;
    std::string_view section = Section(picture, value, signGiven);
    // The placeholders before and after the decimal point, and whether digits are grouped.
    int integerPlaces = 0, fractionPlaces = 0;
    bool grouping = false, point = false, quoted = false;
    for (char c : section) {
        if (c == '\'') quoted = !quoted;
        if (quoted) continue;
        if (c == '.' && !point)
            point = true;
        else if (IsPlaceholder(c))
            ++(point ? fractionPlaces : integerPlaces);
        else if (c == ',' && !point && integerPlaces > 0)
            grouping = true;
        if (c == '-' || c == '+') signGiven = true;
    }
    std::string fraction;
    std::string digits = Digits(std::fabs(value), fractionPlaces, fraction);
    bool negative = value < 0 && (!digits.empty() || fraction.find_first_not_of('0') != std::string::npos);

    // The integer part: digits right-aligned on the placeholders; more digits than placeholders go before
    // the first, unless it is an x, which drops them.
    std::string integer;
    {
        std::string cells;
        size_t placed = 0;
        char firstPlaceholder = 0;
        std::vector<char> placeholders;
        quoted = false;
        for (char c : section) {
            if (c == '\'') quoted = !quoted;
            if (quoted) continue;
            if (c == '.') break;
            if (IsPlaceholder(c)) placeholders.push_back(c);
        }
        if (!placeholders.empty()) firstPlaceholder = placeholders.front();
        for (size_t i = placeholders.size(); i-- > 0;) {
            char c = placeholders[i];
            if (placed < digits.size())
                cells.insert(cells.begin(), digits[digits.size() - 1 - placed++]);
            else
                cells.insert(cells.begin(), c == '#' ? ' ' : '0');
        }
        if (placed < digits.size() && firstPlaceholder != 'x')
            cells.insert(0, digits.substr(0, digits.size() - placed));
        if (grouping) {
            std::string grouped;
            int count = 0;
            for (size_t i = cells.size(); i-- > 0;) {
                bool digit = std::isdigit(static_cast<unsigned char>(cells[i]));
                if (digit && count > 0 && count % 3 == 0) grouped.insert(grouped.begin(), ',');
                grouped.insert(grouped.begin(), cells[i]);
                if (digit) ++count;
            }
            cells = grouped;
        }
        integer = cells;
    }

    std::string out;
    if (negative && !signGiven) out += '-';
    bool integerWritten = false;
    size_t fractionIndex = 0;
    point = false;
    quoted = false;
    for (char c : section) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            out += c;
            continue;
        }
        if (!point && (IsPlaceholder(c) || c == ',')) {
            if (IsPlaceholder(c) && !integerWritten) {
                out += integer;
                integerWritten = true;
            }
            if (c == ',' && integerPlaces == 0) out += c;
            continue;
        }
        if (c == '.' && !point) {
            point = true;
            if (fractionPlaces > 0) out += '.';
            continue;
        }
        if (point && IsPlaceholder(c)) {
            if (fractionIndex < fraction.size()) out += fraction[fractionIndex++];
            continue;
        }
        if (c == '-')
            out += negative ? '-' : ' ';
        else if (c == '+')
            out += negative ? '-' : value > 0 ? '+' : ' ';
        else
            out += c;
    }
    return out;
}

std::optional<DateTime> ReadDate(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::vector<int> numbers;
    std::vector<char> separators;
    size_t i = 0;
    while (i < text.size()) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        int n = 0, width = 0;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++width) {
            if (width >= 4) return std::nullopt;
            n = n * 10 + (text[i] - '0');
        }
        numbers.push_back(n);
        if (numbers.size() == 1) separators.push_back(static_cast<char>(width)); // the year's width
        if (i == text.size()) break;
        char separator = text[i++];
        if (separator == ' ' && i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) {
            std::string_view rest = text.substr(i);
            if (numbers.size() < 5) return std::nullopt;
            bool pm = rest == "PM" || rest == "pm" || rest == "P" || rest == "p";
            bool am = rest == "AM" || rest == "am" || rest == "A" || rest == "a";
            if (!pm && !am) return std::nullopt;
            if (numbers[3] < 1 || numbers[3] > 12) return std::nullopt;
            numbers[3] = numbers[3] % 12 + (pm ? 12 : 0);
            i = text.size();
            break;
        }
        separators.push_back(separator);
    }
    if (numbers.size() != 3 && numbers.size() != 5 && numbers.size() != 6) return std::nullopt;
    DateTime date;
    char dateSeparator = separators.size() > 1 ? separators[1] : 0;
    if (separators[0] == 4 && dateSeparator == '-' && separators[2] == '-') {
        date.year = numbers[0], date.month = numbers[1], date.day = numbers[2];
    } else if (dateSeparator == '/' && separators[2] == '/') {
        date.month = numbers[0], date.day = numbers[1], date.year = numbers[2];
    } else if (dateSeparator == '.' && separators[2] == '.') {
        date.day = numbers[0], date.month = numbers[1], date.year = numbers[2];
    } else {
        return std::nullopt;
    }
    if (numbers.size() > 3) {
        if (separators.size() < 5 || (separators[3] != ' ' && separators[3] != 'T') || separators[4] != ':')
            return std::nullopt;
        if (numbers.size() == 6 && separators[5] != ':') return std::nullopt;
        date.hour = numbers[3];
        date.minute = numbers[4];
        date.second = numbers.size() == 6 ? numbers[5] : 0;
    }
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > kDays[date.month - 1] || (date.month == 2 && date.day == 29 && !leap) || date.hour > 23 ||
        date.minute > 59 || date.second > 59)
        return std::nullopt;
    return date;
}

std::string FormatDate(const DateTime& date, std::string_view picture) {
    // Days from 1 March of year 0, for the weekday.
    int y = date.year - (date.month <= 2 ? 1 : 0);
    int era = y / 400, yoe = y - era * 400;
    int doy = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    long days = era * 146097L + yoe * 365L + yoe / 4 - yoe / 100 + doy;
    int weekday = static_cast<int>((days + 3) % 7); // 1 March of year 0 was a Wednesday
    const auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };

    std::string out;
    size_t i = 0;
    while (i < picture.size()) {
        char c = picture[i];
        if (c == '\'') {
            size_t end = picture.find('\'', i + 1);
            out += picture.substr(i + 1, (end == std::string_view::npos ? picture.size() : end) - i - 1);
            i = end == std::string_view::npos ? picture.size() : end + 1;
            continue;
        }
        if (picture.substr(i, 5) == "AM/PM" || picture.substr(i, 5) == "am/pm") {
            std::string marker = date.hour < 12 ? "AM" : "PM";
            if (c == 'a')
                for (char& m : marker)
                    m = static_cast<char>(std::tolower(static_cast<unsigned char>(m)));
            out += marker;
            i += 5;
            continue;
        }
        if (picture.substr(i, 3) == "A/P" || picture.substr(i, 3) == "a/p") {
            char marker = date.hour < 12 ? 'A' : 'P';
            out += c == 'a' ? static_cast<char>(std::tolower(marker)) : marker;
            i += 3;
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        int hour12 = date.hour % 12 == 0 ? 12 : date.hour % 12;
        switch (c) {
        case 'd':
        case 'D':
            out += run == 1   ? std::to_string(date.day)
                   : run == 2 ? two(date.day)
                   : run == 3 ? std::string(kWeekdays[weekday]).substr(0, 3)
                              : kWeekdays[weekday];
            break;
        case 'M':
            out += run == 1   ? std::to_string(date.month)
                   : run == 2 ? two(date.month)
                   : run == 3 ? std::string(kMonths[date.month - 1]).substr(0, 3)
                              : kMonths[date.month - 1];
            break;
        case 'y':
        case 'Y':
            out += run <= 2 ? two(date.year % 100) : std::to_string(date.year);
            break;
        case 'h':
            out += run == 1 ? std::to_string(hour12) : two(hour12);
            break;
        case 'H':
            out += run == 1 ? std::to_string(date.hour) : two(date.hour);
            break;
        case 'm':
            out += run == 1 ? std::to_string(date.minute) : two(date.minute);
            break;
        case 's':
        case 'S':
            out += run == 1 ? std::to_string(date.second) : two(date.second);
            break;
        default:
            out += std::string(run, c);
        }
        i += run;
    }
    return out;
}

} // namespace word
