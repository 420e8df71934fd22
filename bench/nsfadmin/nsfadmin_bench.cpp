// nsfadmin_bench: the peak memory and the time of `nsfadmin build`, run as a program of its own, for a small
// and a large description (see README.md).
#include "bench_report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A description of documents orders, with the view of the other benchmarks' shape (a categorised column, a
// sorted one, plain ones) and every tenth document a response to one a hundred places before it.
void WriteDescription(const fs::path& file, const std::string& database, long documents) {
    std::ofstream out(file, std::ios::binary);
    out << R"({"path": ")" << database << R"(", "title": "Orders",
  "views": [{"name": "Orders", "selection": "SELECT Form = \"Order\"", "columns": [
      {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
      {"title": "Customer", "item": "Customer", "sorted": true},
      {"title": "Amount", "item": "Amount"}, {"title": "Status", "item": "Status"},
      {"title": "Reply", "item": "Subject", "response": true}]}],
  "documents": [)";
    static const char* const regions[] = {"North", "South", "East", "West", "Centre"};
    for (long i = 0; i < documents; ++i) {
        out << (i ? ",\n" : "\n");
        if (i % 10 == 9 && i >= 100) {
            out << R"({"Form": "Reply", "Subject": "re order )" << i - 100 << R"(", "$Parent": )" << i - 100
                << "}";
            continue;
        }
        out << R"({"Form": "Order", "Region": ")" << regions[i % 5] << R"(", "Customer": "Customer )"
            << (i * 7919) % 100003 << R"(", "Amount": )" << (i % 1000) * 1.25 << R"(, "Status": ")"
            << (i % 3 ? "open" : "closed") << R"(", "Tags": ["a", "b"], "Placed": {"datetime": "2024-0)"
            << 1 + i % 9 << R"(-1)" << i % 10 << R"(T10:00:00Z"}})";
    }
    out << "]}\n";
}

struct Run {
    double seconds = 0;
    double peakBytes = 0;
};

// Runs `nsfadmin build file` and gives its time and its peak resident memory (ru_maxrss of that child).
Run Build(const fs::path& program, const fs::path& file) {
    const double start = bench_now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, STDOUT_FILENO);
        execl(program.c_str(), program.c_str(), "build", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    Run r;
    r.seconds = bench_now() - start;
    r.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "nsfadmin build %s failed (status %d)\n", file.c_str(), status);
        std::exit(1);
    }
    return r;
}

// The largest ratio of any one pass: a goal is met only when every pass meets it.
double WorstRatio(const bench_measure& m) {
    double worst = 0;
    for (int i = 0; i < m.rounds; ++i)
        worst = std::max(worst, m.ours[i] / m.reference[i]);
    return worst;
}

} // namespace

int main(int argc, char** argv) {
    const long small = argc > 1 ? std::atol(argv[1]) : 20000;
    const long large = argc > 2 ? std::atol(argv[2]) : 1000000;
    const int rounds = std::min(argc > 3 ? std::atoi(argv[3]) : 3, BENCH_MAX_ROUNDS);
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "nsfadmin";
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root =
        fs::path(tmp && *tmp ? tmp : "/dev/shm") / ("nsfadmin_bench." + std::to_string(getpid()));
    fs::create_directories(root / "data");
    std::ofstream(root / "notes.ini")
        << "[Notes]\nUserName=CN=Bench/O=Acme\nDirectory=" << (root / "data").string() << "\n";
    setenv("NOTES_INI", (root / "notes.ini").c_str(), 1);
    const fs::path smallFile = root / "small.json", largeFile = root / "large.json";
    WriteDescription(smallFile, "small.nsf", small);
    WriteDescription(largeFile, "large.nsf", large);

    char smallName[64], largeName[64];
    std::snprintf(smallName, sizeof smallName, "%ld", small);
    std::snprintf(largeName, sizeof largeName, "%ld", large);
    bench_measure measures[3] = {};
    bench_measure& memory = measures[0];
    bench_measure& absolute = measures[1];
    bench_measure& time = measures[2];
    static char names[3][192];
    std::snprintf(names[0], sizeof names[0], "build peak memory %s/%s", largeName, smallName);
    std::snprintf(names[1], sizeof names[1], "build peak memory %s/1GB", largeName);
    std::snprintf(names[2], sizeof names[2], "build time per doc %s/%s", largeName, smallName);
    const auto name = [](bench_measure& m, const char* title, const char* unit, double scale, double goal) {
        m.name = title;
        m.unit = unit;
        m.scale = scale;
        m.goal = goal;
    };
    name(memory, names[0], "MB", 1e-6, 1.5);
    name(absolute, names[1], "GB", 1e-9, 1.0);
    name(time, names[2], "us/doc", 1e6, 0);

    Build(program, smallFile); // warms the program, the library and the page cache alike for both sides
    for (int round = 0; round < rounds; ++round) {
        // Both sides in every round, the first of them alternating.
        Run s, l;
        if (round % 2 == 0) {
            s = Build(program, smallFile);
            l = Build(program, largeFile);
        } else {
            l = Build(program, largeFile);
            s = Build(program, smallFile);
        }
        bench_add(&memory, l.peakBytes, s.peakBytes);
        bench_add(&absolute, l.peakBytes, 1e9);
        bench_add(&time, l.seconds / static_cast<double>(large), s.seconds / static_cast<double>(small));
        fs::remove(root / "data" / "large.nsf");
    }
    std::snprintf(memory.note, sizeof memory.note, "worst pass %.2f", WorstRatio(memory));
    std::snprintf(absolute.note, sizeof absolute.note, "worst pass %.2f GB", WorstRatio(absolute));
    std::snprintf(time.note, sizeof time.note, "worst pass %.2f", WorstRatio(time));
    for (const auto& m : measures)
        bench_print_line(&m);
    bench_print_json("nsfadmin", measures, 3);
    fs::remove_all(root);
    return 0;
}
