// Merge throughput of the word processor stand-in: 1,000 and 10,000 records of eight columns merged into a
// one-page letter, as DOCX and as RTF. Prints records per second of the merge itself (template and data
// read, every byte of the merged document made) and of the automation commands the desktop program sends
// (the merged document saved and flushed to disk, whose time depends on the disk), and the 10,000/1,000
// time ratio of the merge (a linear merge gives about 10). The templates, the data files and the times
// are left in the work folder for the docxtemplater comparison of run.sh.
//
// Usage: word_bench [work folder]   (default: a new folder under the temporary folder)

#include "bench_templates.h"
#include "data_source.h"
#include "file_io.h"
#include "main_document.h"
#include "os/os.h"
#include "word/word.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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
    std::vector<char> buffer(size_t{1} << 16);
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

// Runs one timing in a child process, so that every run starts from a fresh heap as the desktop
// program's merge does: in one long process, blocks of a small merge are reused warm while those of a
// large one come fresh from the system each time, which would bend the comparison.
template <typename Run>
double InFreshProcess(Run run) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        double seconds = -1;
        try {
            seconds = run();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "word_bench: %s\n", e.what());
        }
        ssize_t written = write(pipeEnds[1], &seconds, sizeof seconds);
        _exit(written == sizeof seconds ? 0 : 1);
    }
    close(pipeEnds[1]);
    double seconds = -1;
    ssize_t got = read(pipeEnds[0], &seconds, sizeof seconds);
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    if (got != sizeof seconds || seconds < 0) throw std::runtime_error("a timed run failed");
    return seconds;
}

// The best of five runs, so that one disturbed run does not decide the figure.
template <typename Run>
double Best(Run run) {
    double best = InFreshProcess(run);
    for (int i = 0; i < 4; ++i)
        best = std::min(best, InFreshProcess(run));
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
    WriteFile(work + "/rich-letter.docx", word::bench::RichLetterDocx());
    WriteFile(work + "/rich-letter.rtf", word::bench::RichLetterRtf());
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
            timesFile << format << " " << count << " " << merge[i] << "\n";
            std::printf("stand-in, %-4s, %5d records: merge %7.3f s, %8.0f records/s; "
                        "with saving %7.3f s, %8.0f records/s\n",
                        format, count, merge[i], count / merge[i], road[i], count / road[i]);
        }
        std::printf("stand-in, %-4s, 10,000/1,000 merge time ratio: %.2f (linear: 10; limit: 11)\n", format,
                    merge[1] / merge[0]);
    }

    // The richer letter (a picture, a table, header and footer fields, IF fields) at 10,000 and 100,000
    // records: every copy gets header and footer parts of its own, so this is where a cost per part or per
    // zip entry that grows with their number would show.
    bool linear = true;
    for (const char* format : {"docx", "rtf"}) {
        std::string templatePath = work + "/rich-letter." + format;
        double merge[2] = {};
        for (int i = 0; i < 2; ++i) {
            int count = i == 0 ? 10000 : 100000;
            std::string data = work + "/records-" + std::to_string(count) + ".txt";
            WriteFile(data, word::bench::Records(count));
            merge[i] = Best([&] { return TimeMerge(templatePath, data); });
            std::printf("stand-in, rich %-4s, %6d records: merge %7.3f s, %8.0f records/s\n", format, count,
                        merge[i], count / merge[i]);
        }
        double ratio = merge[1] / merge[0];
        std::printf("stand-in, rich %-4s, 100,000/10,000 merge time ratio: %.2f (linear: 10; limit: 11)%s\n",
                    format, ratio, ratio > 11 ? ": NOT LINEAR" : "");
        linear = linear && ratio <= 11;
    }
    return linear ? 0 : 1;
}
