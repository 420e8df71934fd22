// Damaged database files: whatever the file holds, opening it, reading every note and item, searching it
// and reading its views give values or statuses, never a crash.
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace nnotes;

namespace {

// A folder of the process's own with an empty settings file, made once.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/qvl-fuzz-database-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        std::ofstream(pattern + "/notes.ini") << "[Notes]\nDirectory=" << pattern << "\n";
        setenv("NOTES_INI", (pattern + "/notes.ini").c_str(), 1);
        return pattern;
    }();
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove_all(Folder()); }) == 0;
    (void)removedAtExit;
    return folder;
}

void ReadNote(DBHANDLE db, NOTEID id) {
    NOTEHANDLE note = 0;
    if (OpenNote(db, id, 0, &note) != NOERROR) return;
    BLOCKID item{}, value{};
    uint16_t type = 0;
    uint32_t length = 0;
    for (STATUS s = FindItemByName(note, nullptr, 0, &item, &type, &value, &length); s == NOERROR;
         s = FindNextItemByName(note, nullptr, 0, item, &item, &type, &value, &length)) {
        char name[64];
        uint16_t nameLength = 0, flags = 0;
        QueryItemByBlock(note, item, name, sizeof name, &nameLength, &flags, &type, &value, &length);
    }
    char text[256];
    GetItemText(note, "Subject", text, sizeof text, nullptr);
    uint16_t noteClass = 0;
    GetNoteInfo(note, NOTE_INFO_CLASS, &noteClass);
    CloseNote(note);
    if (noteClass != NOTE_CLASS_VIEW) return;
    HCOLLECTION collection = 0;
    if (OpenCollection(db, db, id, 0, NULLHANDLE, &collection) != NOERROR) return;
    CollectionPosition position{};
    DHANDLE buffer = NULLHANDLE;
    if (ReadEntries(collection, &position, NAVIGATE_NEXT, 0, NAVIGATE_NEXT, 0xFFFFFFFF,
                    READ_MASK_NOTEID | READ_MASK_SUMMARY | READ_MASK_INDENTLEVELS, &buffer, nullptr, nullptr,
                    nullptr, nullptr) == NOERROR &&
        buffer != NULLHANDLE)
        FreeBlock(buffer);
    CloseCollection(collection);
}

STATUS Count(void* context, const SearchMatch*, const SearchSummary*) {
    ++*static_cast<int*>(context);
    return NOERROR;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = !Folder().empty() && InitProcess(0, nullptr) == NOERROR;
    if (!started) return 0;
    const std::string path = Folder() + "/fuzz.nsf";
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        std::remove((path + suffix).c_str());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    DBHANDLE db = 0;
    if (OpenDatabase(path.c_str(), &db) != NOERROR) return 0;
    char info[DBINFO_SIZE];
    GetDatabaseInfo(db, info);
    DHANDLE table = NULLHANDLE;
    std::vector<NOTEID> ids;
    if (GetModifiedNoteTable(db, NOTE_CLASS_ALL, nullptr, nullptr, &table) == NOERROR) {
        NOTEID id = 0;
        for (bool first = true; IDScan(table, first, &id) == NOERROR && ids.size() < 200; first = false)
            ids.push_back(id);
        DestroyIDTable(table);
    }
    for (NOTEID id : ids)
        ReadNote(db, id);
    int matches = 0;
    SearchDatabase(db, NULLHANDLE, SEARCH_SUMMARY, NOTE_CLASS_DOCUMENT, nullptr, Count, &matches, nullptr);
    CloseDatabase(db);
    return 0;
}
