// Merge throughput of the word processor stand-in: 1,000 and 10,000 records of eight columns merged into a
// one-page letter, as DOCX and as RTF, through the automation commands the desktop program sends. Prints
// records per second and the 10,000/1,000 time ratio (a linear merge gives about 10). The templates, the
// data files and the times are left in the work folder for the docxtemplater comparison of run.sh.
//
// Usage: word_bench [work folder]   (default: a new folder under the temporary folder)

#include "bench_templates.h"
#include "os.h"
#include "word.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

struct Times {
    double merge; // MailMergeToDoc alone
    double road;  // the whole command sequence, saving (flushed to disk) included
};

Times TimeMerge(const std::string& templatePath, const std::string& dataPath, const std::string& output) {
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::time_point from) {
        return std::chrono::duration<double>(Clock::now() - from).count();
    };
    auto start = Clock::now();
    auto word = word::CreateObject(word::kProgramId);
    word->Invoke("FileOpen", {word::Named("name", templatePath)});
    word->Invoke("MailMergeOpenDataSource", {word::Named("Name", dataPath)});
    word->Invoke("MailMerge", {word::Named("Destination", 0)});
    auto mergeStart = Clock::now();
    word->Invoke("MailMergeToDoc");
    double merge = seconds(mergeStart);
    word->Invoke("FileSaveAs", {word::Named("Name", output)});
    word->Invoke("FileClose", {word::Positional(2)});
    word->Invoke("FileClose", {word::Positional(2)});
    word->Invoke("AppClose");
    return {merge, seconds(start)};
}

// The best of five runs, so that one disturbed run does not decide the figure.
Times Best(const std::string& templatePath, const std::string& dataPath, const std::string& output) {
    Times best = TimeMerge(templatePath, dataPath, output);
    for (int i = 0; i < 4; ++i) {
        Times t = TimeMerge(templatePath, dataPath, output);
        best = {std::min(best.merge, t.merge), std::min(best.road, t.road)};
    }
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
        Times times[2] = {};
        int index = 0;
        for (int count : {1000, 10000}) {
            std::string data = work + "/records-" + std::to_string(count) + ".txt";
            WriteFile(data, word::bench::Records(count));
            std::string output = work + "/merged-" + std::to_string(count) + "." + format;
            Times t = Best(work + "/letter." + format, data, output);
            times[index++] = t;
            timesFile << format << " " << count << " " << t.road << "\n";
            std::printf("stand-in, %-4s, %5d records: merge %7.3f s %8.0f records/s; "
                        "open+merge+save %7.3f s %8.0f records/s\n",
                        format, count, t.merge, count / t.merge, t.road, count / t.road);
        }
        std::printf("stand-in, %-4s, 10,000/1,000 time ratio: merge %.2f, open+merge+save %.2f "
                    "(linear: 10; limit: 11)\n",
                    format, times[1].merge / times[0].merge, times[1].road / times[0].road);
    }
    return 0;
}
