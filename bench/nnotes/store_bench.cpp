// Notes per second through the store, against plain SQLite doing the same work with the same durability.
#include "store_bench.h"
#include "nnotes.h"

#include <chrono>
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
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Check(STATUS s, const char* what) {
    if (s == nnotes::NOERROR) return true;
    char text[256];
    nnotes::LoadNotesMessage(s, text, sizeof text);
    std::fprintf(stderr, "%s failed: 0x%04X %s\n", what, s, text);
    return false;
}

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

    bool Create(int notes) override {
        ids_.resize(notes);
        for (int n = 0; ok_ && n < notes; ++n) {
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

    bool Read() override {
        size_t bytes = 0;
        for (nnotes::NOTEID id : ids_) {
            nnotes::NOTEHANDLE note = 0;
            if (!Check(nnotes::OpenNote(db_, id, 0, &note), "OpenNote")) return false;
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

    bool Update() override {
        const std::string name = ItemName(3);
        for (size_t n = 0; n < ids_.size(); ++n) {
            nnotes::NOTEHANDLE note = 0;
            if (!Check(nnotes::OpenNote(db_, ids_[n], 0, &note), "OpenNote")) return false;
            const std::string text = UpdatedText(static_cast<int>(n));
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

// Runs one phase on both sides, store first; the seconds each took.
template <class Phase>
bool Time(Runner& store, Runner& sqlite, Phase phase, double& storeSeconds, double& sqliteSeconds) {
    auto start = Clock::now();
    if (!phase(store)) return false;
    storeSeconds = Since(start);
    start = Clock::now();
    if (!phase(sqlite)) return false;
    sqliteSeconds = Since(start);
    return true;
}

void Print(const char* phase, int notes, double store, double sqlite) {
    std::printf("%-8s store %10.0f notes/s   sqlite %10.0f notes/s   store/sqlite %.2f\n", phase,
                notes / store, notes / sqlite, sqlite / store);
}

} // namespace
} // namespace bench

int main(int argc, char** argv) {
    const int notes = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::string folder = argc > 2 ? argv[2] : "";
    if (notes <= 0) {
        std::fprintf(stderr, "usage: %s [notes] [folder]\n", argv[0]);
        return 2;
    }
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/nnotes-bench-XXXXXX";
        if (mkdtemp(folder.data()) == nullptr) return 1;
    }
    std::filesystem::create_directories(folder);
    bool ok;
    double store[3] = {}, sqlite[3] = {};
    {
        bench::StoreRunner storeRunner(folder);
        const auto sqliteRunner = bench::PlainSqliteRunner(folder + "/plain.db");
        ok =
            bench::Time(
                storeRunner, *sqliteRunner, [&](bench::Runner& r) { return r.Create(notes); }, store[0],
                sqlite[0]) &&
            bench::Time(
                storeRunner, *sqliteRunner, [](bench::Runner& r) { return r.Read(); }, store[1], sqlite[1]) &&
            bench::Time(
                storeRunner, *sqliteRunner, [](bench::Runner& r) { return r.Update(); }, store[2], sqlite[2]);
    }
    if (argc <= 2) std::filesystem::remove_all(folder);
    if (!ok) return 1;
    std::printf("%d notes, %d text items each, one transaction per save (WAL, synchronous=FULL)\n", notes,
                bench::kItemsPerNote);
    const char* phases[] = {"create", "read", "update"};
    for (int i = 0; i < 3; ++i)
        bench::Print(phases[i], notes, store[i], sqlite[i]);
    return 0;
}
