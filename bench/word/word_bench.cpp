// Merge throughput of the word processor stand-in: 1,000 and 10,000 records of eight columns merged into a
// one-page letter, as DOCX and as RTF, through the automation commands the desktop program sends. Prints
// records per second and the 10,000/1,000 time ratio (a linear merge gives about 10). The templates, the
// data files and the times are left in the work folder for the docxtemplater comparison of run.sh.
//
// Usage: word_bench [work folder]   (default: a new folder under the temporary folder)

#include "bench_templates.h"
#include "data_source.h"
#include "file_io.h"
#include "main_document.h"
#include "os.h"
#include "word.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The merge itself: read the template and the data, merge, and make every byte of the merged document
// (into a reused buffer, so that no file system takes part).
double TimeMerge(const std::string& templatePath, const std::string& dataPath) {
    auto start = Clock::now();
    std::string content = word::ReadWholeFile(templatePath, "template");
    auto main = word::DetectFormat(content, templatePath) == word::DocumentFormat::Rtf
                    ? word::ReadRtfMainDocument(std::move(content))
                    : word::ReadDocxMainDocument(std::move(content));
    auto data = std::make_shared<const word::DataSource>(word::DataSource::ReadFile(dataPath));
    word::MergedText merged = main->Merge(data);
    word::MergedText::Reader reader(merged);
    std::vector<char> buffer(size_t{1} << 20);
    while (reader.Read(buffer.data(), buffer.size()) > 0) {
    }
    return SecondsSince(start);
}

// The road of the desktop program: the automation commands, the merged document saved (flushed to disk).
double TimeRoad(const std::string& templatePath, const std::string& dataPath, const std::string& output) {
    std::remove(output.c_str()); // replacing an earlier output would add the cost of freeing it
    auto start = Clock::now();
    auto word = word::CreateObject(word::kProgramId);
    word->Invoke("FileOpen", {word::Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {word::Named("Name", dataPath)});
    word->Invoke("MailMerge", {word::Named("Destination", 0)});
    word->Invoke("MailMergeToDoc");
    word->Invoke("FileSaveAs", {word::Named("Name", output)});
    word->Invoke("FileClose", {word::Positional(2)});
    word->Invoke("FileClose", {word::Positional(2)});
    word->Invoke("AppClose");
    return SecondsSince(start);
}

// The best of five runs, so that one disturbed run does not decide the figure.
template <typename Run>
double Best(Run run) {
    double best = run();
    for (int i = 0; i < 4; ++i)
        best = std::min(best, run());
    return best;
}

} // namespace

int main(int argc, char** argv) {
    std::string work = argc > 1 ? argv[1] : os::TempDirectory() + "/word-bench-XXXXXX";
    if (argc <= 1 && mkdtemp(work.data()) == nullptr) {
        std::fprintf(stderr, "word_bench: cannot create a work folder\n");
        return 1;
    }
    WriteFile(work + "/letter.docx", word::bench::LetterDocx());
    WriteFile(work + "/letter.rtf", word::bench::LetterRtf());
    WriteFile(work + "/letter-docxtemplater.docx", word::bench::LetterDocxTemplater());
    std::ofstream timesFile(work + "/stand-in-times.txt");
    std::printf("work folder: %s\n", work.c_str());

    for (const char* format : {"docx", "rtf"}) {
        std::string templatePath = work + "/letter." + format;
        double merge[2] = {}, road[2] = {};
        for (int i = 0; i < 2; ++i) {
            int count = i == 0 ? 1000 : 10000;
            std::string data = work + "/records-" + std::to_string(count) + ".txt";
            WriteFile(data, word::bench::Records(count));
            std::string output = work + "/merged-" + std::to_string(count) + "." + format;
            merge[i] = Best([&] { return TimeMerge(templatePath, data); });
            road[i] = Best([&] { return TimeRoad(templatePath, data, output); });
            timesFile << format << " " << count << " " << road[i] << "\n";
            std::printf("stand-in, %-4s, %5d records: merge %7.3f s %8.0f records/s; "
                        "commands with save %7.3f s %8.0f records/s\n",
                        format, count, merge[i], count / merge[i], road[i], count / road[i]);
        }
        std::printf("stand-in, %-4s, 10,000/1,000 time ratio: merge %.2f (linear: 10; limit: 11); "
                    "commands with save %.2f\n",
                    format, merge[1] / merge[0], road[1] / road[0]);
    }
    return 0;
}
