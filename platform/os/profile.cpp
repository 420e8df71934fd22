#include "os/os.h"
#include "util/text.h"

#include <fstream>
#include <sstream>
#include <strings.h>

namespace os {
namespace {

bool SameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// One line of an INI file, classified.
struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    std::string name;  // section name or key
    std::string value; // entry value
};

Line Parse(const std::string& raw) {
    Line l;
    std::string t = util::TrimBlanks(raw);
    if (t.empty() || t[0] == ';' || t[0] == '#') return l;
    if (t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos) {
            l.kind = Line::Section;
            l.name = util::TrimBlanks(t.substr(1, close - 1));
        }
        return l;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos) return l;
    l.kind = Line::Entry;
    l.name = util::TrimBlanks(t.substr(0, eq));
    l.value = util::TrimBlanks(t.substr(eq + 1));
    return l;
}

bool ReadLines(const std::string& file, std::vector<std::string>& lines) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return true;
}

} // namespace

std::optional<std::string> ReadProfileString(const std::string& file, const std::string& section,
                                             const std::string& key) {
    std::vector<std::string> lines;
    if (!ReadLines(file, lines)) return std::nullopt;
    bool inSection = false;
    for (const auto& raw : lines) {
        Line l = Parse(raw);
        if (l.kind == Line::Section)
            inSection = SameName(l.name, section);
        else if (inSection && l.kind == Line::Entry && SameName(l.name, key))
            return l.value;
    }
    return std::nullopt;
}

std::string GetProfileString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& def) {
    return ReadProfileString(file, section, key).value_or(def);
}

std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& file,
                                                                    const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    std::vector<std::string> lines;
    if (!ReadLines(file, lines)) return out;
    bool inSection = false;
    for (const auto& raw : lines) {
        Line l = Parse(raw);
        if (l.kind == Line::Section)
            inSection = SameName(l.name, section);
        else if (inSection && l.kind == Line::Entry)
            out.emplace_back(l.name, l.value);
    }
    return out;
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::optional<std::string>& value) {
    std::vector<std::string> lines;
    ReadLines(file, lines); // a missing file starts empty

    // Find the section's extent and the key's line within it.
    long sectionLine = -1, keyLine = -1, lastEntry = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        Line l = Parse(lines[i]);
        if (l.kind == Line::Section) {
            if (sectionLine >= 0) break;
            if (SameName(l.name, section)) sectionLine = lastEntry = static_cast<long>(i);
        } else if (sectionLine >= 0 && l.kind == Line::Entry) {
            lastEntry = static_cast<long>(i);
            if (keyLine < 0 && SameName(l.name, key)) keyLine = static_cast<long>(i);
        }
    }

    if (keyLine >= 0) {
        if (value)
            lines[keyLine] = key + "=" + *value;
        else
            lines.erase(lines.begin() + keyLine);
    } else if (value) {
        if (sectionLine < 0) {
            if (!lines.empty() && !util::TrimBlanks(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(key + "=" + *value);
        } else {
            lines.insert(lines.begin() + lastEntry + 1, key + "=" + *value);
        }
    } else {
        return true; // nothing to remove
    }

    std::ostringstream out;
    for (const auto& l : lines)
        out << l << '\n';
    return WriteFileAtomically(file, out.str());
}

} // namespace os
