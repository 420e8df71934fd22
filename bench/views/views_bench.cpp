// Opening and reading a large categorised view, against SQLite reading the view's stored index from the same
// file, in interleaved rounds; what building the index and saving into an indexed view cost.
#include "bench_report.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/formula.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "util/coding.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace nnotes;

// A pass of the index build compares one build of every document with ten builds of a tenth of them; there
// are as many passes as the run has rounds, and never fewer than three, for a median.
constexpr int kLeastBuildPasses = 3;
constexpr int kTenths = 10;

namespace {

void Check(STATUS s, const char* what) {
    if (s == NOERROR) return;
    char text[256];
    LoadNotesMessage(s, text, sizeof text);
    std::fprintf(stderr, "%s: %s (%u)\n", what, text, s);
    std::exit(1);
}

void Append(NOTEHANDLE note, const char* name, uint16_t type, const void* data, size_t length) {
    Check(AppendItem(note, ITEM_SUMMARY, name, static_cast<uint16_t>(std::strlen(name)), type, data,
                     static_cast<uint32_t>(length), nullptr),
          name);
}

void AppendText(NOTEHANDLE note, const char* name, const std::string& text) {
    Append(note, name, TYPE_TEXT, text.data(), text.size());
}

std::string Compiled(const std::string& formula) {
    DHANDLE block = NULLHANDLE;
    uint16_t length = 0;
    Check(CompileFormula(formula.data(), static_cast<uint16_t>(formula.size()), &block, &length), "compile");
    const std::string out(static_cast<const char*>(LockBlock(block)), length);
    UnlockBlock(block);
    FreeBlock(block);
    return out;
}

// Six columns: Region (categorised), Customer (sorted), then Product, City, Amount and Code.
void SaveView(DBHANDLE db, const char* title) {
    struct Column {
        const char* item;
        uint16_t flags;
    };
    const Column columns[] = {{"Region", VIEW_COLUMN_CATEGORY},
                              {"Customer", VIEW_COLUMN_SORT},
                              {"Product", 0},
                              {"City", 0},
                              {"Amount", 0},
                              {"Code", 0}};
    ODSViewTableFormat header{};
    header.Version = VIEW_FORMAT_VERSION;
    header.Columns = 6;
    std::vector<ODSViewColumnFormat> records;
    std::string variable;
    for (const Column& c : columns) {
        ODSViewColumnFormat r{};
        r.Flags = c.flags;
        r.ItemNameSize = static_cast<uint16_t>(std::strlen(c.item));
        r.TitleSize = r.ItemNameSize;
        records.push_back(r);
        variable += std::string(c.item) + c.item;
    }
    std::string format(ODSLength(ODS_VIEW_TABLE_FORMAT) + 6 * ODSLength(ODS_VIEW_COLUMN_FORMAT), '\0');
    void* at = format.data();
    Check(WriteOnDiskStructure(&at, format.size(), ODS_VIEW_TABLE_FORMAT, &header, 1), "header");
    Check(WriteOnDiskStructure(&at, format.size() - ODSLength(ODS_VIEW_TABLE_FORMAT), ODS_VIEW_COLUMN_FORMAT,
                               records.data(), 6),
          "columns");
    format += variable;
    NOTEHANDLE note = 0;
    Check(CreateNote(db, &note), "view");
    const uint16_t viewClass = NOTE_CLASS_VIEW;
    Check(SetNoteInfo(note, NOTE_INFO_CLASS, &viewClass), "view class");
    AppendText(note, FIELD_TITLE, title);
    Append(note, VIEW_FORMAT_ITEM, TYPE_VIEW_FORMAT, format.data(), format.size());
    const std::string selection = Compiled("SELECT Form = \"Order\"");
    Append(note, VIEW_FORMULA_ITEM, TYPE_FORMULA, selection.data(), selection.size());
    Check(UpdateNote(note, 0), "save view");
    CloseNote(note);
}

// Lower-case letters and fixed-width numbers, so that byte order and the view's collation agree.
void SaveOrder(DBHANDLE db, uint32_t i) {
    char text[64];
    NOTEHANDLE note = 0;
    Check(CreateNote(db, &note), "order");
    AppendText(note, "Form", "Order");
    std::snprintf(text, sizeof text, "region%02u", (i * 7919u) % 40u);
    AppendText(note, "Region", text);
    std::snprintf(text, sizeof text, "customer%07u", (i * 104729u) % 1000003u);
    AppendText(note, "Customer", text);
    std::snprintf(text, sizeof text, "product%04u", i % 5000u);
    AppendText(note, "Product", text);
    std::snprintf(text, sizeof text, "city%03u", i % 700u);
    AppendText(note, "City", text);
    const double amount = (i % 1000) * 1.25;
    Append(note, "Amount", TYPE_NUMBER, &amount, sizeof amount);
    std::snprintf(text, sizeof text, "code%08u", i);
    AppendText(note, "Code", text);
    Check(UpdateNote(note, 0), "save order");
    CloseNote(note);
}

// Opens the view and reads every entry in 64 KiB buffers; gives the document ids in view order, the time to
// the first buffer and the peak memory growth of the open.
std::vector<NOTEID> ReadView(DBHANDLE db, NOTEID view, double& firstBuffer, long long& peakGrowth) {
    bench_reset_peak();
    const long long peakBefore = bench_peak_rss();
    const double start = bench_now();
    HCOLLECTION c = 0;
    Check(OpenCollection(db, db, view, 0, NULLHANDLE, &c), "open collection");
    std::vector<NOTEID> docs;
    CollectionPosition pos{};
    pos.MaxLevel = MAXTUMBLERLEVELS - 1;
    const uint32_t mask = READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDENTLEVELS | READ_MASK_SUMMARY;
    firstBuffer = -1;
    for (;;) {
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0, signal = 0;
        uint32_t returned = 0;
        Check(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFFFFFF, mask, &buffer, &length,
                          nullptr, &returned, &signal),
              "read entries");
        if (firstBuffer < 0) {
            firstBuffer = bench_now() - start;
            peakGrowth = bench_peak_rss() - peakBefore;
        }
        if (buffer == NULLHANDLE) break;
        const auto* p = static_cast<const unsigned char*>(LockBlock(buffer));
        for (size_t at = 0; at < length;) {
            uint32_t id;
            std::memcpy(&id, p + at, 4);
            const uint16_t total = util::DecodeFixed16(p + at + 8); // the summary's item table, little-endian
            if (!(id & NOTEID_CATEGORY)) docs.push_back(id);
            at += 8 + total;
        }
        UnlockBlock(buffer);
        FreeBlock(buffer);
        if (!(signal & SIGNAL_MORE_TO_DO)) break;
    }
    CloseCollection(c);
    return docs;
}

// The reference: the view's stored rows read in view order on a connection of its own, each row's id and
// summary copied into 64 KiB buffers as the store hands them over.
std::vector<NOTEID> ReadStoredIndex(sqlite3_stmt* q, NOTEID view) {
    std::vector<NOTEID> docs;
    std::vector<unsigned char> buffer(65536);
    size_t used = 0;
    sqlite3_bind_int64(q, 1, view);
    while (sqlite3_step(q) == SQLITE_ROW) {
        const auto id = static_cast<NOTEID>(sqlite3_column_int64(q, 0));
        const void* summary = sqlite3_column_blob(q, 1);
        const auto size = static_cast<size_t>(sqlite3_column_bytes(q, 1));
        if (used + 8 + size > buffer.size()) used = 0;
        std::memcpy(buffer.data() + used, &id, sizeof id);
        if (size != 0 && size <= buffer.size() - 8) std::memcpy(buffer.data() + used + 8, summary, size);
        used += 8 + size;
        docs.push_back(id);
    }
    sqlite3_reset(q);
    return docs;
}

// Saving the view note again gives it a new stamp, so its index is made again from every document.
double RebuildSeconds(DBHANDLE db, NOTEID view) {
    const double start = bench_now();
    NOTEHANDLE note = 0;
    Check(OpenNote(db, view, 0, &note), "open view");
    Check(UpdateNote(note, 0), "save view again");
    CloseNote(note);
    return bench_now() - start;
}

// Changes an item that no view reads (the kind of save most edits are) in each of the documents.
double SecondsPerRemark(DBHANDLE db, const std::vector<NOTEID>& ids, int round) {
    const double start = bench_now();
    for (NOTEID id : ids) {
        NOTEHANDLE note = 0;
        Check(OpenNote(db, id, 0, &note), "open order");
        const std::string remark = "remark " + std::to_string(round);
        Check(SetItemText(note, "Remark", remark.data(), static_cast<uint16_t>(remark.size())), "remark");
        Check(UpdateNote(note, 0), "save remark");
        CloseNote(note);
    }
    return (bench_now() - start) / ids.size();
}

// The ids of the first count documents, in id order.
std::vector<NOTEID> FirstDocuments(DBHANDLE db, uint32_t count) {
    std::vector<NOTEID> ids;
    for (NOTEID id = 1; ids.size() < count && id < 4 * count + 16; ++id) {
        NOTEHANDLE note = 0;
        if (OpenNote(db, id, 0, &note) != NOERROR) continue;
        uint16_t noteClass = 0;
        GetNoteInfo(note, NOTE_INFO_CLASS, &noteClass);
        if (noteClass == NOTE_CLASS_DOCUMENT) ids.push_back(id);
        CloseNote(note);
    }
    return ids;
}

void SaveOrders(DBHANDLE db, uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        SaveOrder(db, first + i);
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t documents = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (documents < 100 || rounds < 1 || rounds > BENCH_MAX_ROUNDS) {
        std::fprintf(stderr, "usage: %s [documents >= 100] [rounds 1-%d]\n", argv[0], BENCH_MAX_ROUNDS);
        return 2;
    }
    // Every save is made durable; in memory-backed storage the figures show the work, not the disk's flushes.
    const char* tmp = std::getenv("TMPDIR");
    const std::filesystem::path base = tmp ? std::filesystem::path(tmp)
                                       : std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "views-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    const std::filesystem::path root = pattern;
    std::filesystem::create_directories(root / "data");
    std::ofstream(root / "notes.ini")
        << "[Notes]\nUserName=CN=Bench/O=Acme\nDirectory=" << (root / "data").string() << "\n";
    setenv("NOTES_INI", (root / "notes.ini").c_str(), 1);
    Check(InitProcess(argc, argv), "start");

    Check(CreateDatabase("orders.nsf", 0, false, 0, 0, 0), "create");
    Check(CreateDatabase("tenth.nsf", 0, false, 0, 0, 0), "create tenth");
    Check(CreateDatabase("plain.nsf", 0, false, 0, 0, 0), "create plain");
    DBHANDLE db = 0, tenth = 0, plain = 0;
    Check(OpenDatabase("orders.nsf", &db), "open");
    Check(OpenDatabase("tenth.nsf", &tenth), "open tenth");
    Check(OpenDatabase("plain.nsf", &plain), "open plain");

    double start = bench_now();
    SaveOrders(db, 0, documents);
    SaveOrders(tenth, 0, documents / 10);
    const double saving = bench_now() - start;
    // Building the index: the whole database against a tenth of it, which a linear build takes ten times.
    start = bench_now();
    SaveView(tenth, "Orders");
    const double buildTenth = bench_now() - start;
    start = bench_now();
    SaveView(db, "Orders");
    const double buildAll = bench_now() - start;
    NOTEID view = 0, tenthView = 0;
    Check(FindDesignNote(db, "Orders", NOTE_CLASS_VIEW, &view), "find view");
    Check(FindDesignNote(tenth, "Orders", NOTE_CLASS_VIEW, &tenthView), "find tenth view");
    bench_measure measures[4] = {};
    bench_add(&measures[2], buildAll, kTenths * buildTenth);
    // More builds, so that the figure is a median like the others: in each pass the tenth's index is made
    // ten times, half of them before the whole database's build and half after, so that a change in the
    // machine's load during the pass falls on both sides alike.
    for (int r = 1; r < std::max(rounds, kLeastBuildPasses); ++r) {
        double part = 0;
        for (int i = 0; i < kTenths / 2; ++i)
            part += RebuildSeconds(tenth, tenthView);
        const double all = RebuildSeconds(db, view);
        for (int i = kTenths / 2; i < kTenths; ++i)
            part += RebuildSeconds(tenth, tenthView);
        bench_add(&measures[2], all, part);
    }

    sqlite3* raw = nullptr;
    sqlite3_stmt* q = nullptr;
    if (sqlite3_open_v2((root / "data" / "orders.nsf").c_str(), &raw, BENCH_OPEN_FLAGS(SQLITE_OPEN_READONLY),
                        nullptr) != SQLITE_OK ||
        sqlite3_exec(raw, BENCH_READ_SETTINGS, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(raw, "SELECT note, summary FROM view_rows WHERE view=? ORDER BY key, note, part",
                           -1, &q, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "reference: %s\n", sqlite3_errmsg(raw));
        return 1;
    }
    bool same = true;
    std::vector<NOTEID> remarked, plainRemarked;
    double firstBuffer = 0;
    long long peakGrowth = 0;
    // Both reads run once before the rounds, so that neither meets the file's pages first; within the rounds,
    // which side goes first alternates.
    ReadView(db, view, firstBuffer, peakGrowth);
    ReadStoredIndex(q, view);
    for (int r = 0; r < rounds; ++r) {
        const bool oursFirst = r % 2 == 0;
        double seconds[2] = {};
        std::vector<NOTEID> viewed, stored;
        for (int turn = 0; turn < 2; ++turn) {
            const double t = bench_now();
            if ((turn == 0) == oursFirst) {
                viewed = ReadView(db, view, firstBuffer, peakGrowth);
                seconds[0] = bench_now() - t;
            } else {
                stored = ReadStoredIndex(q, view);
                seconds[1] = bench_now() - t;
            }
        }
        bench_add(&measures[0], seconds[0], seconds[1]);
        same = same && viewed == stored && viewed.size() >= documents;

        // Saving into the indexed database against saving into one without views.
        constexpr uint32_t kSaves = 200;
        for (int turn = 0; turn < 2; ++turn) {
            const double t = bench_now();
            if ((turn == 0) == oursFirst) {
                SaveOrders(db, documents + r * kSaves, kSaves);
                seconds[0] = (bench_now() - t) / kSaves;
            } else {
                SaveOrders(plain, r * kSaves, kSaves);
                seconds[1] = (bench_now() - t) / kSaves;
            }
        }
        bench_add(&measures[1], seconds[0], seconds[1]);

        // Changing an item no view reads, in documents of the indexed database and of the one without.
        if (r == 0) {
            remarked = FirstDocuments(db, kSaves);
            plainRemarked = FirstDocuments(plain, kSaves);
        }
        const bool indexedFirst = r % 2 == 0;
        const double first =
            SecondsPerRemark(indexedFirst ? db : plain, indexedFirst ? remarked : plainRemarked, r);
        const double second =
            SecondsPerRemark(indexedFirst ? plain : db, indexedFirst ? plainRemarked : remarked, r);
        bench_add(&measures[3], indexedFirst ? first : second, indexedFirst ? second : first);
    }
    sqlite3_finalize(q);
    sqlite3_close(raw);

    measures[0].name = "view open and read every entry";
    measures[0].unit = "ms";
    measures[0].scale = 1e3;
    measures[0].goal = 1.2;
    std::snprintf(
        measures[0].note, sizeof measures[0].note,
        "reference: stored index rows in view order; first buffer %.1f ms, peak memory growth %.1f MB",
        firstBuffer * 1e3, static_cast<double>(peakGrowth) / (1 << 20));
    measures[1].name = "save into an indexed view";
    measures[1].unit = "us/save";
    measures[1].scale = 1e6;
    std::snprintf(measures[1].note, sizeof measures[1].note, "reference: the same save, no views");
    measures[2].name = "index build, all against a tenth";
    measures[2].unit = "s";
    measures[2].goal = 1.1;
    std::string passes;
    for (int i = 0; i < measures[2].rounds; ++i) {
        char ratio[16];
        std::snprintf(ratio, sizeof ratio, " %.2f", measures[2].ours[i] / measures[2].reference[i]);
        passes += ratio;
    }
    std::snprintf(measures[2].note, sizeof measures[2].note,
                  "reference: ten builds of %u documents (the first pass: ten times the first); the ratio of "
                  "each pass:%s",
                  documents / 10, passes.c_str());
    measures[3].name = "save of an item no view reads";
    measures[3].unit = "us/save";
    measures[3].scale = 1e6;
    std::snprintf(measures[3].note, sizeof measures[3].note,
                  "reference: the same change in a database without views");
    std::printf("%u documents (saved in %.1f s) in %s, %d rounds, medians; same documents, same order: %s\n",
                documents, saving, root.c_str(), rounds, same ? "yes" : "NO");
    for (const bench_measure& m : measures)
        bench_print_line(&m);
    bench_print_json("views", measures, 4);

    CloseDatabase(db);
    CloseDatabase(tenth);
    CloseDatabase(plain);
    TermProcess();
    std::filesystem::remove_all(root);
    return same ? 0 : 2;
}
