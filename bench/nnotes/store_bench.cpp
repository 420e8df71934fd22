// The store's create, read and update of notes against plain SQLite doing the same work with the same
// durability, in interleaved rounds, with the bytes each side writes per save.
#include "store_bench.h"
#include "bench_report.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "store_check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace bench {

std::string ItemText(int n, int i) {
    return "Value of item " + std::to_string(i) + " in note " + std::to_string(n) +
           ", a line of ordinary text";
}

std::string UpdatedText(int n) {
    return "Updated value of note " + std::to_string(n);
}

namespace {

using nnotes::STATUS;

class StoreRunner : public Runner {
public:
    explicit StoreRunner(const std::string& folder) {
        setenv("NOTES_INI", (folder + "/notes.ini").c_str(), 1);
        std::ofstream(folder + "/notes.ini") << "[Notes]\nDirectory=" << folder << "\n";
        ok_ = Check(nnotes::InitProcess(0, nullptr), "InitProcess") &&
              Check(nnotes::CreateDatabase("store.nsf", 0, false, 0, 0, 0), "CreateDatabase") &&
              Check(nnotes::OpenDatabase("store.nsf", &db_), "OpenDatabase");
    }
    ~StoreRunner() override {
        nnotes::CloseDatabase(db_);
        nnotes::TermProcess();
    }

    bool Create(int from, int count) override {
        if (static_cast<int>(ids_.size()) < from + count) ids_.resize(from + count);
        for (int n = from; ok_ && n < from + count; ++n) {
            nnotes::NOTEHANDLE note = 0;
            if (!Check(nnotes::CreateNote(db_, &note), "CreateNote")) return false;
            for (int i = 0; i < kItemsPerNote; ++i) {
                const std::string name = ItemName(i), text = ItemText(n, i);
                if (!Check(nnotes::AppendItem(note, nnotes::ITEM_SUMMARY, name.c_str(),
                                              static_cast<uint16_t>(name.size()), nnotes::TYPE_TEXT,
                                              text.data(), static_cast<uint32_t>(text.size()), nullptr),
                           "AppendItem"))
                    return false;
            }
            if (!Check(nnotes::UpdateNote(note, 0), "UpdateNote")) return false;
            nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &ids_[n]);
            nnotes::CloseNote(note);
        }
        return ok_;
    }

    bool Read(int from, int count) override {
        size_t bytes = 0;
        for (int n = from; n < from + count; ++n) {
            nnotes::NOTEHANDLE note = 0;
            if (!Check(nnotes::OpenNote(db_, ids_[n], 0, &note), "OpenNote")) return false;
            nnotes::BLOCKID item{}, value{};
            uint32_t length = 0;
            for (STATUS s = nnotes::FindItemByName(note, nullptr, 0, &item, nullptr, &value, &length); s == 0;
                 s = nnotes::FindNextItemByName(note, nullptr, 0, item, &item, nullptr, &value, &length)) {
                const char* at = static_cast<const char*>(nnotes::LockBlock(value.pool)) + value.block;
                bytes += length + (at[length - 1] != 0);
                nnotes::UnlockBlock(value.pool);
            }
            nnotes::CloseNote(note);
        }
        return bytes > 0;
    }

    bool Update(int from, int count) override {
        const std::string name = ItemName(3);
        for (int n = from; n < from + count; ++n) {
            nnotes::NOTEHANDLE note = 0;
            if (!Check(nnotes::OpenNote(db_, ids_[n], 0, &note), "OpenNote")) return false;
            const std::string text = UpdatedText(n);
            if (!Check(
                    nnotes::SetItemText(note, name.c_str(), text.data(), static_cast<uint16_t>(text.size())),
                    "SetItemText"))
                return false;
            if (!Check(nnotes::UpdateNote(note, 0), "UpdateNote")) return false;
            nnotes::CloseNote(note);
        }
        return true;
    }

private:
    static std::string ItemName(int i) { return "Field" + std::to_string(i); }

    bool ok_ = false;
    nnotes::DBHANDLE db_ = 0;
    std::vector<nnotes::NOTEID> ids_;
};

// One phase of a round on both sides, in the given order: each side's seconds and bytes written per note.
template <class Phase>
bool Time(Runner& store, Runner& sqlite, bool storeFirst, int count, Phase phase, double seconds[2],
          double bytes[2]) {
    for (int turn = 0; turn < 2; ++turn) {
        const int side = (turn == 0) == storeFirst ? 0 : 1;
        const long long written = bench_bytes_written();
        const double start = bench_now();
        if (!phase(side == 0 ? store : sqlite)) return false;
        seconds[side] = (bench_now() - start) / count;
        bytes[side] = static_cast<double>(bench_bytes_written() - written) / count;
    }
    return true;
}

} // namespace
} // namespace bench

int main(int argc, char** argv) {
    const int notes = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 10;
    std::string folder = argc > 2 ? argv[2] : "";
    const bool ownFolder = folder.empty();
    if (notes <= 0 || rounds <= 0 || rounds > BENCH_MAX_ROUNDS || notes < rounds) {
        std::fprintf(stderr, "usage: %s [notes] [folder] [rounds 1-%d]\n", argv[0], BENCH_MAX_ROUNDS);
        return 2;
    }
    // By default the files lie in memory, so that the code is measured rather than the disk's flushes.
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string(tmp && *tmp ? tmp : "/dev/shm") + "/nnotes-bench-XXXXXX";
        if (mkdtemp(folder.data()) == nullptr) return 1;
    }
    std::filesystem::create_directories(folder);
    bench_measure measures[3] = {};
    const char* names[] = {"store create (one save per note)", "store read (every item)",
                           "store update (one item, one save)"};
    double bytes[3][2] = {};
    bool ok = true;
    {
        bench::StoreRunner storeRunner(folder);
        const auto sqliteRunner = bench::PlainSqliteRunner(folder + "/plain.db");
        const int slice = notes / rounds;
        for (int r = 0; ok && r < rounds; ++r) {
            const int from = r * slice;
            const bool storeFirst = r % 2 == 0;
            double seconds[3][2] = {}, written[3][2] = {};
            ok = bench::Time(
                     storeRunner, *sqliteRunner, storeFirst, slice,
                     [&](bench::Runner& x) { return x.Create(from, slice); }, seconds[0], written[0]) &&
                 bench::Time(
                     storeRunner, *sqliteRunner, !storeFirst, slice,
                     [&](bench::Runner& x) { return x.Read(from, slice); }, seconds[1], written[1]) &&
                 bench::Time(
                     storeRunner, *sqliteRunner, storeFirst, slice,
                     [&](bench::Runner& x) { return x.Update(from, slice); }, seconds[2], written[2]);
            for (int p = 0; ok && p < 3; ++p) {
                bench_add(&measures[p], seconds[p][0], seconds[p][1]);
                bytes[p][0] += written[p][0] / rounds;
                bytes[p][1] += written[p][1] / rounds;
            }
        }
    }
    if (ownFolder) std::filesystem::remove_all(folder);
    if (!ok) return 1;
    std::printf("%d notes of %d text items in %d rounds, one transaction per save (WAL, synchronous=FULL), "
                "in %s; medians\n",
                notes, bench::kItemsPerNote, rounds, folder.c_str());
    for (int p = 0; p < 3; ++p) {
        measures[p].name = names[p];
        measures[p].unit = "us/note";
        measures[p].scale = 1e6;
        measures[p].goal = 1.25; // at least 0.8 times SQLite's notes per second
        std::snprintf(measures[p].note, sizeof measures[p].note,
                      "written per note: ours %.0f B (%.1f pages), reference %.0f B (%.1f pages)",
                      bytes[p][0], bytes[p][0] / 4096, bytes[p][1], bytes[p][1] / 4096);
        bench_print_line(&measures[p]);
    }
    bench_print_json("nnotes_store", measures, 3);
    return 0;
}
