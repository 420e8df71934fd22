// Opening and reading a large categorised view, against a raw SQLite query over the same file.
#include "nnotes.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace nnotes;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

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
void SaveView(DBHANDLE db) {
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
    AppendText(note, FIELD_TITLE, "Orders");
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

// Opens the view and reads every entry; gives the document ids in view order.
std::vector<NOTEID> ReadView(DBHANDLE db, NOTEID view, double& openTime, double& readTime, size_t& entries) {
    const auto start = Clock::now();
    HCOLLECTION c = 0;
    Check(OpenCollection(db, db, view, 0, NULLHANDLE, &c), "open collection");
    openTime = Seconds(start);
    const auto read = Clock::now();
    std::vector<NOTEID> docs;
    CollectionPosition pos{};
    pos.MaxLevel = MAXTUMBLERLEVELS - 1;
    entries = 0;
    const uint32_t mask = READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDENTLEVELS | READ_MASK_SUMMARY;
    for (;;) {
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0, signal = 0;
        uint32_t returned = 0;
        Check(ReadEntries(c, &pos, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFFFFFF, mask, &buffer, &length,
                          nullptr, &returned, &signal),
              "read entries");
        if (buffer == NULLHANDLE) break;
        const auto* p = static_cast<const unsigned char*>(LockBlock(buffer));
        for (size_t at = 0; at < length;) {
            uint32_t id;
            uint16_t total;
            std::memcpy(&id, p + at, 4);
            std::memcpy(&total, p + at + 8, 2);
            if (!(id & NOTEID_CATEGORY)) docs.push_back(id);
            at += 8 + total;
            ++entries;
        }
        UnlockBlock(buffer);
        FreeBlock(buffer);
        if (!(signal & SIGNAL_MORE_TO_DO)) break;
    }
    readTime = Seconds(read);
    CloseCollection(c);
    return docs;
}

// The same six values of every selected document, in the same order, straight from the store's tables.
std::vector<NOTEID> RawQuery(const std::string& file, double& seconds) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const char* sql =
        "SELECT n.id, r.value, c.value, p.value, t.value, a.value, k.value FROM notes n"
        " JOIN items f ON f.note = n.id AND f.name = 'Form' AND f.value = CAST(x'00054f72646572' AS BLOB)"
        " JOIN items r ON r.note = n.id AND r.name = 'Region'"
        " JOIN items c ON c.note = n.id AND c.name = 'Customer'"
        " JOIN items p ON p.note = n.id AND p.name = 'Product'"
        " JOIN items t ON t.note = n.id AND t.name = 'City'"
        " JOIN items a ON a.note = n.id AND a.name = 'Amount'"
        " JOIN items k ON k.note = n.id AND k.name = 'Code'"
        " WHERE n.class = 1 ORDER BY r.value, c.value, n.id";
    sqlite3_stmt* q = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &q, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "raw query: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    std::vector<NOTEID> docs;
    size_t bytes = 0;
    while (sqlite3_step(q) == SQLITE_ROW) {
        docs.push_back(static_cast<NOTEID>(sqlite3_column_int64(q, 0)));
        for (int i = 1; i <= 6; ++i)
            bytes += static_cast<size_t>(sqlite3_column_bytes(q, i));
    }
    sqlite3_finalize(q);
    sqlite3_close(db);
    seconds = Seconds(start);
    if (bytes == 0) docs.clear();
    return docs;
}

double SaveCost(DBHANDLE db, uint32_t first, uint32_t count) {
    const auto start = Clock::now();
    for (uint32_t i = 0; i < count; ++i)
        SaveOrder(db, first + i);
    return Seconds(start) / count;
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t documents = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
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
    Check(CreateDatabase("plain.nsf", 0, false, 0, 0, 0), "create plain");
    DBHANDLE db = 0, plain = 0;
    Check(OpenDatabase("orders.nsf", &db), "open");
    Check(OpenDatabase("plain.nsf", &plain), "open plain");

    std::printf("database folder: %s\nsaving %u documents...\n", root.c_str(), documents);
    auto start = Clock::now();
    for (uint32_t i = 0; i < documents; ++i)
        SaveOrder(db, i);
    std::printf("  %.1f s\n", Seconds(start));
    start = Clock::now();
    SaveView(db);
    std::printf("indexing the view: %.2f s\n", Seconds(start));
    NOTEID view = 0;
    Check(FindDesignNote(db, "Orders", NOTE_CLASS_VIEW, &view), "find view");

    double openTime = 0, readTime = 0, rawTime = 0;
    size_t entries = 0;
    const std::vector<NOTEID> viewed = ReadView(db, view, openTime, readTime, entries);
    const std::vector<NOTEID> raw = RawQuery((root / "data" / "orders.nsf").string(), rawTime);
    std::printf("open the view:             %8.3f s\n", openTime);
    std::printf("read %zu entries:     %8.3f s\n", entries, readTime);
    std::printf("open and read, together:   %8.3f s\n", openTime + readTime);
    std::printf("raw SQLite query:          %8.3f s (%zu rows)\n", rawTime, raw.size());
    std::printf("ratio view / raw query:    %8.2f\n", (openTime + readTime) / rawTime);
    std::printf("same documents, same order: %s\n", viewed == raw ? "yes" : "NO");

    const uint32_t saves = 500;
    const double indexed = SaveCost(db, documents, saves);
    const double unindexed = SaveCost(plain, 0, saves);
    std::printf("save one document, indexed view:   %8.1f us\n", indexed * 1e6);
    std::printf("save one document, no views:       %8.1f us\n", unindexed * 1e6);

    CloseDatabase(db);
    CloseDatabase(plain);
    TermProcess();
    std::filesystem::remove_all(root);
    return viewed == raw ? 0 : 2;
}
