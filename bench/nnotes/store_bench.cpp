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

std::string ItemName(int i) {
    return "Field" + std::to_string(i);
}

bool CreatePhase(nnotes::DBHANDLE db, int notes, std::vector<nnotes::NOTEID>& ids) {
    for (int n = 0; n < notes; ++n) {
        nnotes::NOTEHANDLE note = 0;
        if (!Check(nnotes::CreateNote(db, &note), "CreateNote")) return false;
        for (int i = 0; i < kItemsPerNote; ++i) {
            const std::string name = ItemName(i), text = ItemText(n, i);
            if (!Check(nnotes::AppendItem(note, nnotes::ITEM_SUMMARY, name.c_str(),
                                          static_cast<uint16_t>(name.size()), nnotes::TYPE_TEXT, text.data(),
                                          static_cast<uint32_t>(text.size()), nullptr),
                       "AppendItem"))
                return false;
        }
        if (!Check(nnotes::UpdateNote(note, 0), "UpdateNote")) return false;
        nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &ids[n]);
        nnotes::CloseNote(note);
    }
    return true;
}

bool ReadPhase(nnotes::DBHANDLE db, const std::vector<nnotes::NOTEID>& ids) {
    size_t bytes = 0;
    for (nnotes::NOTEID id : ids) {
        nnotes::NOTEHANDLE note = 0;
        if (!Check(nnotes::OpenNote(db, id, 0, &note), "OpenNote")) return false;
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

bool UpdatePhase(nnotes::DBHANDLE db, const std::vector<nnotes::NOTEID>& ids) {
    const std::string name = ItemName(3);
    for (size_t n = 0; n < ids.size(); ++n) {
        nnotes::NOTEHANDLE note = 0;
        if (!Check(nnotes::OpenNote(db, ids[n], 0, &note), "OpenNote")) return false;
        const std::string text = UpdatedText(static_cast<int>(n));
        if (!Check(nnotes::SetItemText(note, name.c_str(), text.data(), static_cast<uint16_t>(text.size())),
                   "SetItemText"))
            return false;
        if (!Check(nnotes::UpdateNote(note, 0), "UpdateNote")) return false;
        nnotes::CloseNote(note);
    }
    return true;
}

bool RunStore(const std::string& folder, int notes, PhaseTimes& times) {
    setenv("NOTES_INI", (folder + "/notes.ini").c_str(), 1);
    std::ofstream(folder + "/notes.ini") << "[Notes]\nDirectory=" << folder << "\n";
    if (!Check(nnotes::InitProcess(0, nullptr), "InitProcess")) return false;
    nnotes::DBHANDLE db = 0;
    bool ok = Check(nnotes::CreateDatabase("store.nsf", 0, false, 0, 0, 0), "CreateDatabase") &&
              Check(nnotes::OpenDatabase("store.nsf", &db), "OpenDatabase");
    std::vector<nnotes::NOTEID> ids(notes);
    auto start = Clock::now();
    ok = ok && CreatePhase(db, notes, ids);
    times.create = Since(start);
    start = Clock::now();
    ok = ok && ReadPhase(db, ids);
    times.read = Since(start);
    start = Clock::now();
    ok = ok && UpdatePhase(db, ids);
    times.update = Since(start);
    nnotes::CloseDatabase(db);
    nnotes::TermProcess();
    return ok;
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
    bench::PhaseTimes store, sqlite;
    const bool ok =
        bench::RunStore(folder, notes, store) && bench::RunPlainSqlite(folder + "/plain.db", notes, sqlite);
    if (argc <= 2) std::filesystem::remove_all(folder);
    if (!ok) return 1;
    std::printf("%d notes, %d text items each, one transaction per save (WAL, synchronous=FULL)\n", notes,
                bench::kItemsPerNote);
    bench::Print("create", notes, store.create, sqlite.create);
    bench::Print("read", notes, store.read, sqlite.read);
    bench::Print("update", notes, store.update, sqlite.update);
    return 0;
}
