// The zip file written as it is read: what a zip reader (libzip, checking every local header against the
// central directory) reads back, past the format's 16- and 32-bit limits too.

#include "docx_package.h"
#include "word/word.h"
#include "zip_writer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace word {
namespace {

// Entries held as names and contents; every third is a merged text, the rest bytes.
class TestEntries : public ZipEntries {
public:
    explicit TestEntries(std::vector<std::pair<std::string, std::string>> entries)
        : entries_(std::move(entries)) {}
    size_t Count() const override { return entries_.size(); }
    std::string Name(size_t index) const override { return entries_[index].first; }
    ZipContent Content(size_t index) const override {
        if (index % 3 == 2) return MergedText(entries_[index].second);
        return std::make_shared<const std::string>(entries_[index].second);
    }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

void ExpectReadBack(const std::vector<std::pair<std::string, std::string>>& entries,
                    ZipFieldLimits limits = {}) {
    const std::string zip = ZipFile(std::make_shared<TestEntries>(entries), limits).Join();
    Package package = Package::Read(zip);
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.first);
    ASSERT_EQ(package.Names(), names);
    for (const auto& [name, content] : entries) {
        ASSERT_NE(package.Find(name), nullptr) << name;
        EXPECT_TRUE(*package.Find(name) == content) << name;
    }
}

std::string Noise(size_t size) {
    std::string noise(size, '\0');
    for (size_t i = 0; i < size; ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    return noise;
}

TEST(ZipWriter, EntriesReadBackAsTheyWereGiven) {
    ExpectReadBack({{"[Content_Types].xml", "<Types/>"},
                    {"empty", ""},
                    {"word/document.xml", std::string(300000, 'a') + "<w:p/>"},
                    {"word/media/noise.bin", Noise(size_t{3} << 20)},
                    {"word/m\xC3\xA9"
                     "dia/caf\xC3\xA9.png",
                     "\x89PNG"},
                    {"word/last.xml", Noise(100)}});
}

// More than 65,535 entries (the headers and footers of a merge of some tens of thousands of records) need
// the 64-bit end records; so do offsets past 4 GiB, which the lowered limits bring within a test's reach.
TEST(ZipWriter, ArchivesPastTheFormatsLimitsGetItsSixtyFourBitRecords) {
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 70000; ++i)
        many.push_back(
            {"word/header" + std::to_string(i) + ".xml", "<w:hdr>" + std::to_string(i) + "</w:hdr>"});
    ExpectReadBack(many);

    std::vector<std::pair<std::string, std::string>> far;
    for (int i = 0; i < 12; ++i)
        far.push_back({"part" + std::to_string(i), Noise(300)});
    ExpectReadBack(far, {3, 1000});
    ExpectReadBack({far[0], far[1]}, {1, 1000});
}

TEST(ZipWriter, AnEntryReachingTheSizeLimitIsAnErrorNamingIt) {
    const std::vector<std::pair<std::string, std::string>> entries = {{"small", "x"},
                                                                      {"word/large.bin", Noise(5000)}};
    try {
        ZipFile(std::make_shared<TestEntries>(entries), {0xFFFF, 4096}).Join();
        FAIL() << "wrote an entry past the limit";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("word/large.bin"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace word
