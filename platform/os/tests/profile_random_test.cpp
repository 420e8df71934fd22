// Random writes, removals and reads of a profile file checked against a model of what it holds, the file
// read afresh after every step. Names differ in case and in blanks around them; some names and values are
// ones a line cannot hold, which must be refused and leave the file as it was.
#include "profile_files.h"

#include <cctype>
#include <cerrno>
#include <random>

namespace ostest {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string Trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool Same(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool Breaks(const std::string& s) {
    return s.find('\n') != std::string::npos || s.find('\r') != std::string::npos ||
           s.find('\0') != std::string::npos;
}

// What the file should hold: its sections in order, each with its keys in order, names spelled as they were
// first written.
class Model {
public:
    static bool SectionFits(const std::string& raw) {
        const std::string s = Trimmed(raw);
        return !s.empty() && !Breaks(s) && s.find(']') == std::string::npos;
    }
    static bool KeyFits(const std::string& raw) {
        const std::string k = Trimmed(raw);
        return !k.empty() && !Breaks(k) && k.find('=') == std::string::npos && k[0] != '[' && k[0] != ';' &&
               k[0] != '#';
    }

    void Set(const std::string& section, const std::string& key, const std::string& value) {
        auto* s = Find(section);
        if (s == nullptr) s = &sections_.emplace_back(Trimmed(section), Entries{});
        for (auto& [k, v] : s->second)
            if (Same(k, Trimmed(key))) {
                v = Trimmed(value);
                return;
            }
        s->second.emplace_back(Trimmed(key), Trimmed(value));
    }

    void Remove(const std::string& section, const std::string& key) {
        if (auto* s = Find(section))
            std::erase_if(s->second, [&](const auto& e) { return Same(e.first, Trimmed(key)); });
    }

    std::optional<std::string> Value(const std::string& section, const std::string& key) {
        if (auto* s = Find(section))
            for (const auto& [k, v] : s->second)
                if (Same(k, Trimmed(key))) return v;
        return std::nullopt;
    }

    Entries Section(const std::string& section) {
        auto* s = Find(section);
        return s ? s->second : Entries{};
    }

private:
    std::pair<std::string, Entries>* Find(const std::string& section) {
        for (auto& s : sections_)
            if (Same(s.first, Trimmed(section))) return &s;
        return nullptr;
    }
    std::vector<std::pair<std::string, Entries>> sections_;
};

const std::vector<std::string> kSections = {"Notes",     "notes", " NOTES\t", "Servers",
                                            "\tservers", "[x",    "Extra",    "a]b",
                                            "",          "  ",    "Se\nc",    "d\xC3\xA9j\xC3\xA0"};
const std::vector<std::string> kKeys = {"UserName", "username", " USERNAME\t", "Directory", "K1",
                                        "k1 ",      "x]y",      "a=b",         ";c",        "[k",
                                        "#h",       "",         "two words"};

std::string RandomValue(std::mt19937& random) {
    static const std::vector<std::string> pieces = {"a", "Z", " ", "\t",       "=", ";",
                                                    "[", "]", "#", "\xC3\xA9", "/", "0"};
    std::string v;
    const int n = std::uniform_int_distribution<int>(0, 10)(random);
    for (int i = 0; i < n; ++i)
        v += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
    const int odd = std::uniform_int_distribution<int>(0, 19)(random);
    if (odd == 0) v.insert(v.size() / 2, "\n");
    if (odd == 1) v += "\r";
    if (odd == 2) v.insert(0, 1, '\0');
    return v;
}

// The lines of the file that are neither sections nor entries: they must stay as they were, in order.
std::vector<std::string> OtherLines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        if (!line.empty() && line[0] != '[' && line.find('=') == std::string::npos) out.push_back(line);
        start = end + 1;
    }
    return out;
}

using RandomProfile = ProfileFiles;

TEST_F(RandomProfile, WritesRemovalsAndReadsAgreeWithTheModel) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 random(seed);
        // Half the seeds start from a file written on Windows, with a byte-order mark and CRLF line ends.
        const bool windows = seed % 2 == 0;
        const std::string eol = windows ? "\r\n" : "\n";
        const std::string start = std::string(windows ? "\xEF\xBB\xBF" : "") + "; head comment" + eol +
                                  "[Notes]" + eol + "Directory=data" + eol + "no equals sign here" + eol +
                                  eol + "# tail" + (seed == 3 ? "" : eol); // one without a last line end
        const std::string ini = Write("random" + std::to_string(seed) + ".ini", start);
        const auto others = OtherLines(start);
        Model model;
        model.Set("Notes", "Directory", "data");
        for (int step = 0; step < 200 && !HasFailure(); ++step) {
            const std::string& section = kSections[random() % kSections.size()];
            const std::string& key = kKeys[random() % kKeys.size()];
            const bool remove = random() % 4 == 0;
            const std::string value = RandomValue(random);
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step) +
                         (remove ? " remove [" : " set [") + section + "] " + key +
                         (remove ? "" : "=" + value));
            const std::string before = Read(ini);
            const bool fits =
                Model::SectionFits(section) && Model::KeyFits(key) && (remove || !Breaks(value));
            errno = 0;
            const bool written = os::WriteProfileString(
                ini, section, key, remove ? std::nullopt : std::optional<std::string>(value));
            ASSERT_EQ(written, fits);
            if (!fits) {
                EXPECT_EQ(errno, EINVAL);
                EXPECT_EQ(Read(ini), before);
            } else if (remove) {
                model.Remove(section, key);
            } else {
                model.Set(section, key, value);
            }

            const std::string text = Read(ini);
            EXPECT_EQ(OtherLines(text), others);
            EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0) == 0, windows);
            if (windows) {
                size_t lf = 0, crlf = 0;
                for (size_t i = 0; i < text.size(); ++i)
                    if (text[i] == '\n') ++lf, crlf += i > 0 && text[i - 1] == '\r';
                EXPECT_EQ(lf, crlf) << "a line without a CRLF end";
            }
            for (const auto& s : kSections) {
                EXPECT_EQ(os::ReadProfileSection(ini, s), model.Section(s)) << "[" << s << "]";
                for (const auto& k : kKeys)
                    EXPECT_EQ(os::ReadProfileString(ini, s, k), model.Value(s, k)) << "[" << s << "] " << k;
            }
        }
    }
    EXPECT_EQ(Names().size(), 4u); // no temporaries left
}

} // namespace
} // namespace ostest
