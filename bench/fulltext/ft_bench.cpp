// Full-text search on a database of many documents: FTSearch against the FTS5 match it comes down to, run
// on the same file through a connection of the benchmark's own, interleaved in rounds.
#include "bench_report.h"
#include "nnotes/database.h"
#include "nnotes/fulltext.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "store_check.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using bench::Check;
using nnotes::STATUS;

// Document n holds a word of its own ("uniq<n>"), one that every tenth document holds ("tenth") and text
// that every document shares.
bool Fill(nnotes::DBHANDLE db, int documents) {
    for (int n = 0; n < documents; ++n) {
        nnotes::NOTEHANDLE note = 0;
        if (!Check(nnotes::CreateNote(db, &note), "CreateNote")) return false;
        const std::string subject = "Order uniq" + std::to_string(n) + (n % 10 == 0 ? " tenth" : " other");
        const std::string body = "Shipped to the north office with the usual paperwork and a receipt";
        if (!Check(
                nnotes::SetItemText(note, "Subject", subject.data(), static_cast<uint16_t>(subject.size())),
                "SetItemText") ||
            !Check(nnotes::SetItemText(note, "Body", body.data(), static_cast<uint16_t>(body.size())),
                   "SetItemText") ||
            !Check(nnotes::UpdateNote(note, 0), "UpdateNote"))
            return false;
        nnotes::CloseNote(note);
    }
    return Check(nnotes::FTIndex(db, 0, nullptr, nullptr), "FTIndex");
}

// One query through the store; the number of hits, or -1.
long StoreQuery(nnotes::DBHANDLE db, const char* query) {
    nnotes::FTSEARCHHANDLE search = 0;
    if (!Check(nnotes::FTOpenSearch(&search), "FTOpenSearch")) return -1;
    uint32_t count = 0;
    nnotes::DHANDLE results = nnotes::NULLHANDLE;
    const STATUS s =
        nnotes::FTSearch(db, &search, 0, query, 0, 0, nnotes::NULLHANDLE, &count, nullptr, &results);
    if (results != nnotes::NULLHANDLE) nnotes::FreeBlock(results);
    nnotes::FTCloseSearch(search);
    return Check(s, "FTSearch") ? static_cast<long>(count) : -1;
}

// The same match straight on the file; the ids are collected as the store's result block holds them.
long DirectQuery(sqlite3_stmt* q, const char* match) {
    sqlite3_bind_text(q, 1, match, -1, SQLITE_STATIC);
    std::string ids;
    while (sqlite3_step(q) == SQLITE_ROW) {
        const auto id = static_cast<uint32_t>(sqlite3_column_int64(q, 0));
        ids.append(reinterpret_cast<const char*>(&id), sizeof id);
    }
    sqlite3_reset(q);
    return static_cast<long>(ids.size() / sizeof(uint32_t));
}

} // namespace

int main(int argc, char** argv) {
    const int documents = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
    if (documents < 10 || rounds < 1 || rounds > BENCH_MAX_ROUNDS) {
        std::fprintf(stderr, "usage: %s [documents >= 10] [rounds 1-%d]\n", argv[0], BENCH_MAX_ROUNDS);
        return 2;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/dev/shm") + "/ft-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) return 1;
    setenv("NOTES_INI", (folder + "/notes.ini").c_str(), 1);
    std::ofstream(folder + "/notes.ini") << "[Notes]\nDirectory=" << folder << "\n";

    bench_measure measures[2] = {};
    measures[0].name = "fulltext one hit";
    measures[1].name = "fulltext tenth of documents";
    int status = 1;
    if (Check(nnotes::InitProcess(0, nullptr), "InitProcess")) {
        nnotes::DBHANDLE db = 0;
        sqlite3* raw = nullptr;
        sqlite3_stmt* joined = nullptr;
        const double built = bench_now();
        bool ok = Check(nnotes::CreateDatabase("ft.nsf", 0, false, 0, 0, 0), "CreateDatabase") &&
                  Check(nnotes::OpenDatabase("ft.nsf", &db), "OpenDatabase") && Fill(db, documents);
        const double buildSeconds = bench_now() - built;
        ok = ok &&
             sqlite3_open_v2((folder + "/ft.nsf").c_str(), &raw, BENCH_OPEN_FLAGS(SQLITE_OPEN_READONLY),
                             nullptr) == SQLITE_OK &&
             sqlite3_exec(raw, BENCH_READ_SETTINGS, nullptr, nullptr, nullptr) == SQLITE_OK &&
             sqlite3_prepare_v2(raw,
                                "SELECT t.rowid FROM ft_text t CROSS JOIN notes n ON n.id = t.rowid"
                                " WHERE ft_text MATCH ?",
                                -1, &joined, nullptr) == SQLITE_OK;
        // Each round's queries run once on both sides before they are timed, so that neither side meets the
        // query's pages first; which side goes first alternates from round to round.
        long hits[2][2] = {};
        for (int r = 0; ok && r < rounds; ++r) {
            const std::string word = "uniq" + std::to_string((r * 7919) % documents);
            const char* queries[2] = {word.c_str(), "tenth"};
            for (int q = 0; q < 2; ++q) {
                StoreQuery(db, queries[q]);
                DirectQuery(joined, queries[q]);
                double seconds[2] = {};
                for (int turn = 0; turn < 2; ++turn) {
                    const int side = (turn == 0) == (r % 2 == 0) ? 0 : 1;
                    const double t = bench_now();
                    hits[q][side] = side == 0 ? StoreQuery(db, queries[q]) : DirectQuery(joined, queries[q]);
                    seconds[side] = bench_now() - t;
                }
                bench_add(&measures[q], seconds[0], seconds[1]);
            }
            ok = hits[0][0] == 1 && hits[0][1] == 1 && hits[1][0] == hits[1][1] && hits[1][0] > 0;
        }
        if (!ok) std::fprintf(stderr, "the two sides disagree or a call failed\n");
        measures[0].unit = measures[1].unit = "ms/query";
        measures[0].scale = measures[1].scale = 1e3;
        measures[0].goal = measures[1].goal = 2.0;
        std::snprintf(measures[0].note, sizeof measures[0].note, "reference: MATCH joined to notes");
        std::snprintf(measures[1].note, sizeof measures[1].note, "%ld hits; reference: MATCH joined to notes",
                      hits[1][0]);
        if (ok) {
            std::printf("%d documents (built and indexed in %.1f s), %d rounds, medians\n", documents,
                        buildSeconds, rounds);
            for (const bench_measure& m : measures)
                bench_print_line(&m);
            bench_print_json("fulltext", measures, 2);
            status = 0;
        }
        sqlite3_finalize(joined);
        sqlite3_close(raw);
        nnotes::CloseDatabase(db);
        nnotes::TermProcess();
    }
    std::filesystem::remove_all(folder);
    return status;
}
