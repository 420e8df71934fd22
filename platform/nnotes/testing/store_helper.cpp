// A process of its own that uses the store the way another program would, driven by the tests of sharing,
// kills and faults. It reads $NOTES_INI like any program. Every acknowledged step is written to stdout as
// one line and flushed before the next step begins, so that a parent knows exactly what has returned.
//
//   store_helper hold DB          opens DB, answers "ready", then runs commands from stdin:
//                                 "save TEXT" (a new note, answers its id), "put ID CLASS NAME TYPE HEX
//                                 ..." (note ID, or a new note of CLASS when ID is 0: each item NAME
//                                 replaced by one of TYPE and the value HEX after the type word, summary
//                                 flagged; answers the note's id), "delete ID" (answers "deleted"), "quit"
//   store_helper save-loop DB N   saves N new notes (0: until killed), answering each note's id; each note
//                                 holds "Form" = "Entry" and "Seq" = its number
//   store_helper writer DB NAME N COUNTER
//                                 N times: saves a new note ("Writer" = NAME; answers "new ID"), then adds
//                                 one to the number item "Count" of note COUNTER, reopening it after every
//                                 conflict with another writer (answers "inc")
//   store_helper recreate DB      makes DB anew (CreateDatabase with force) again and again, answering
//                                 "created" after each
//   store_helper copy-loop SRC DST copies SRC over DST again and again, answering "copied" after each
//   store_helper full-disk DIR SOURCE ID
//                                 (needs to be root) mounts a tiny file system of its own on DIR, copies the
//                                 database SOURCE into it as "full.nsf", fills it, and answers what the store
//                                 does there: "opened STATUS", "read STATUS TEXT" (item "Subject" of note
//                                 ID), "saved STATUS", and with a view "Subjects" "view STATUS ENTRIES"
//   store_helper set-env PREFIX N answers "ready", waits for one line on stdin (so that several helpers start
//                                 together), then sets the environment values PREFIX0 .. PREFIX<N-1>, each to
//                                 its own number, and answers "set FAILURES"
//   store_helper log-text PREFIX N
//                                 answers "ready", waits for one line on stdin, then writes the messages
//                                 PREFIX0 .. PREFIX<N-1> to the log database (WriteLogText) and answers
//                                 "logged FAILURES" with the status of the first failure, if any, after it
//   store_helper leave-open KIND DB
//                                 opens one handle of KIND in DB (database, note, collection of the view
//                                 "Subjects", search, computation, log, status-line, builder, block,
//                                 idtable), answers "open" and returns from main with it open: the library
//                                 is ended after main by a static object's destructor, as a library's
//                                 global session ends it
#include "nnotes/nnotes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

using namespace nnotes;

namespace {

int Fail(const char* what, STATUS s) {
    std::printf("error %s 0x%04X\n", what, s);
    std::fflush(stdout);
    return 1;
}

void Answer(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

STATUS SaveText(DBHANDLE db, const char* name, const std::string& text, const char* seq, NOTEID* id) {
    NOTEHANDLE note = 0;
    if (STATUS s = CreateNote(db, &note)) return s;
    STATUS s = SetItemText(note, name, text.data(), static_cast<uint16_t>(text.size()));
    if (s == NOERROR && seq != nullptr) s = SetItemText(note, "Seq", seq, static_cast<uint16_t>(strlen(seq)));
    if (s == NOERROR) s = UpdateNote(note, 0);
    if (s == NOERROR) s = GetNoteInfo(note, NOTE_INFO_ID, id);
    CloseNote(note);
    return s;
}

// The bytes of a hexadecimal text.
std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// "ID CLASS NAME TYPE HEX ...": the note's items replaced and the note saved.
STATUS Put(DBHANDLE db, const std::string& arguments, NOTEID* id) {
    std::istringstream in(arguments);
    unsigned long given = 0, noteClass = 0;
    if (!(in >> given >> noteClass)) return ERR_MISSING_ARGUMENT;
    NOTEHANDLE note = 0;
    if (STATUS s = given == 0 ? CreateNote(db, &note) : OpenNote(db, static_cast<NOTEID>(given), 0, &note))
        return s;
    STATUS s = NOERROR;
    if (given == 0) {
        const auto cls = static_cast<uint16_t>(noteClass);
        s = SetNoteInfo(note, NOTE_INFO_CLASS, &cls);
    }
    std::string name, hex;
    unsigned type = 0;
    while (s == NOERROR && in >> name >> type >> hex) {
        const std::string value = Unhex(hex);
        const auto length = static_cast<uint16_t>(name.size());
        DeleteItem(note, name.c_str(), length);
        s = AppendItem(note, ITEM_SUMMARY, name.c_str(), length, static_cast<uint16_t>(type), value.data(),
                       static_cast<uint32_t>(value.size()), nullptr);
    }
    if (s == NOERROR) s = UpdateNote(note, 0);
    if (s == NOERROR) s = GetNoteInfo(note, NOTE_INFO_ID, id);
    CloseNote(note);
    return s;
}

int Hold(const char* path) {
    DBHANDLE db = 0;
    if (STATUS s = OpenDatabase(path, &db)) return Fail("open", s);
    Answer("ready");
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.rfind("save ", 0) == 0) {
            NOTEID id = 0;
            const STATUS s = SaveText(db, "Subject", line.substr(5), nullptr, &id);
            Answer(s == NOERROR ? std::to_string(id) : "status " + std::to_string(s));
        } else if (line.rfind("put ", 0) == 0) {
            NOTEID id = 0;
            const STATUS s = Put(db, line.substr(4), &id);
            Answer(s == NOERROR ? std::to_string(id) : "status " + std::to_string(s));
        } else if (line.rfind("delete ", 0) == 0) {
            const STATUS s = DeleteNote(db, static_cast<NOTEID>(std::stoul(line.substr(7))), 0);
            Answer(s == NOERROR ? "deleted" : "status " + std::to_string(s));
        } else if (line == "quit") {
            break;
        }
    }
    return CloseDatabase(db) == NOERROR ? 0 : 1;
}

int SaveLoop(const char* path, long count) {
    DBHANDLE db = 0;
    if (STATUS s = OpenDatabase(path, &db)) return Fail("open", s);
    for (long i = 1; count == 0 || i <= count; ++i) {
        NOTEID id = 0;
        const std::string seq = std::to_string(i);
        if (STATUS s = SaveText(db, "Form", "Entry", seq.c_str(), &id)) return Fail("save", s);
        Answer(std::to_string(id));
    }
    return CloseDatabase(db) == NOERROR ? 0 : 1;
}

// Adds one to "Count" of note id, as a user would: open, change, save; a conflict means another writer
// saved first, so the note is read again.
STATUS Increment(DBHANDLE db, NOTEID id) {
    for (;;) {
        NOTEHANDLE note = 0;
        if (STATUS s = OpenNote(db, id, 0, &note)) return s;
        double count = 0;
        BLOCKID value;
        uint32_t length = 0;
        uint16_t type = 0;
        if (FindItemByName(note, "Count", 5, nullptr, &type, &value, &length) == NOERROR &&
            type == TYPE_NUMBER && length == 10) {
            const char* bytes = static_cast<const char*>(LockBlock(value.pool));
            std::memcpy(&count, bytes + value.block + sizeof(uint16_t), sizeof count);
            UnlockBlock(value.pool);
        }
        count += 1;
        DeleteItem(note, "Count", 5);
        STATUS s = AppendItem(note, ITEM_SUMMARY, "Count", 5, TYPE_NUMBER, &count, sizeof count, nullptr);
        if (s == NOERROR) s = UpdateNote(note, 0);
        CloseNote(note);
        if (s != ERR_NOTE_CONFLICT) return s;
    }
}

int Repeat(const char* what, STATUS (*step)(const char*, const char*), const char* a, const char* b) {
    for (;;) {
        if (STATUS s = step(a, b)) return Fail(what, s);
        Answer(what);
    }
}

STATUS Recreate(const char* path, const char*) {
    return CreateDatabase(path, 0, true, 0, 0, 0);
}

STATUS Copy(const char* source, const char* destination) {
    return CopyDatabase(source, destination, NOTE_CLASS_ALL, 0, 0, nullptr);
}

int Writer(const char* path, const std::string& name, long count, NOTEID counter) {
    DBHANDLE db = 0;
    if (STATUS s = OpenDatabase(path, &db)) return Fail("open", s);
    for (long i = 0; i < count; ++i) {
        NOTEID id = 0;
        if (STATUS s = SaveText(db, "Writer", name, nullptr, &id)) return Fail("save", s);
        Answer("new " + std::to_string(id));
        if (STATUS s = Increment(db, counter)) return Fail("increment", s);
        Answer("inc");
    }
    return CloseDatabase(db) == NOERROR ? 0 : 1;
}

int SetEnvironmentValues(const std::string& prefix, long count) {
    Answer("ready");
    std::string go;
    std::getline(std::cin, go);
    long failures = 0;
    for (long i = 0; i < count; ++i)
        failures +=
            SetEnvironmentText((prefix + std::to_string(i)).c_str(), std::to_string(i).c_str()) != NOERROR;
    Answer("set " + std::to_string(failures));
    return 0;
}

int WriteLogTexts(const std::string& prefix, long count) {
    Answer("ready");
    std::string go;
    std::getline(std::cin, go);
    long failures = 0;
    STATUS first = NOERROR;
    for (long i = 0; i < count; ++i) {
        const STATUS s = WriteLogText((prefix + std::to_string(i)).c_str(), 0);
        if (s != NOERROR && failures++ == 0) first = s;
    }
    char line[64];
    std::snprintf(line, sizeof line, failures == 0 ? "logged 0" : "logged %ld 0x%04X", failures, first);
    Answer(line);
    return 0;
}

int FullDisk(const std::string& dir, const std::string& source, NOTEID id) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1m") != 0) {
        Answer("unsupported");
        return 0;
    }
    {
        const std::string to = dir + "/full.nsf";
        FILE* in = std::fopen(source.c_str(), "rb");
        FILE* out = std::fopen(to.c_str(), "wb");
        if (in == nullptr || out == nullptr) return Fail("copy", 0);
        char buf[8192];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
            std::fwrite(buf, 1, n, out);
        std::fclose(in);
        if (std::fclose(out) != 0) return Fail("copy", 0);
        const int fill = open((dir + "/fill").c_str(), O_WRONLY | O_CREAT, 0644);
        static const char zeros[4096] = {};
        while (write(fill, zeros, sizeof zeros) > 0) {
        }
        close(fill);
    }
    setenv("NOTES_INI", (dir + "/notes.ini").c_str(), 1);
    {
        FILE* ini = std::fopen((dir + "/notes.ini").c_str(), "w");
        if (ini != nullptr) std::fclose(ini); // may fail on the full disk: the defaults do
    }
    if (STATUS s = InitProcess(0, nullptr)) return Fail("init", s);
    const std::string path = dir + "/full.nsf";
    DBHANDLE db = 0;
    const STATUS opened = OpenDatabase(path.c_str(), &db);
    Answer("opened " + std::to_string(opened));
    if (opened == NOERROR) {
        NOTEHANDLE note = 0;
        char text[64] = {};
        STATUS read = OpenNote(db, id, 0, &note);
        if (read == NOERROR) {
            read = GetItemText(note, "Subject", text, sizeof text, nullptr);
            CloseNote(note);
        }
        Answer("read " + std::to_string(read) + " " + text);
        NOTEID id = 0;
        Answer("saved " + std::to_string(SaveText(db, "Subject", std::string(20000, 'x'), nullptr, &id)));
        // A view "Subjects", when the database has one: its entries, which must be read even where its
        // stored index cannot be made.
        NOTEID view = 0;
        if (FindDesignNote(db, "Subjects", NOTE_CLASS_VIEW, &view) == NOERROR) {
            HCOLLECTION c = 0;
            uint32_t entries = 0;
            STATUS s = OpenCollection(db, db, view, 0, NULLHANDLE, &c);
            if (s == NOERROR) {
                CollectionPosition at{};
                s = ReadEntries(c, &at, NAVIGATE_NEXT, 0xFFFFFFFF, NAVIGATE_CURRENT, 0, 0, nullptr, nullptr,
                                &entries, nullptr, nullptr);
                CloseCollection(c);
            }
            Answer("view " + std::to_string(s) + " " + std::to_string(entries));
        }
        CloseDatabase(db);
    }
    TermProcess();
    return 0;
}

// Ends the library after main has returned, when every function-local static made during the run is gone
// already: what the library's release at its end touches must outlive them.
struct EndAtExit {
    bool armed = false;
    ~EndAtExit() {
        if (armed) TermProcess();
    }
} endAtExit;

STATUS OpenOne(const std::string& kind, DBHANDLE db) {
    if (kind == "database") return NOERROR;
    if (kind == "note" || kind == "builder") {
        NOTEHANDLE note = 0;
        if (STATUS s = CreateNote(db, &note)) return s;
        HRTBUILDER builder = 0;
        return kind == "note" ? NOERROR : CreateRichTextBuilder(note, "Body", &builder);
    }
    if (kind == "collection") {
        NOTEID view = 0;
        if (STATUS s = FindDesignNote(db, "Subjects", NOTE_CLASS_VIEW, &view)) return s;
        HCOLLECTION c = 0;
        return OpenCollection(db, db, view, 0, NULLHANDLE, &c);
    }
    if (kind == "search") {
        FTSEARCHHANDLE search = 0;
        return FTOpenSearch(&search);
    }
    if (kind == "computation") {
        DHANDLE formula = NULLHANDLE;
        uint16_t length = 0;
        if (STATUS s = CompileFormula("1 + 1", 5, &formula, &length)) return s;
        HCOMPUTE compute = 0;
        return ComputeStart(LockBlock(formula), length, &compute);
    }
    if (kind == "log") {
        LOGHANDLE entry = 0;
        return OpenLogEntry("Leave open", &entry);
    }
    if (kind == "status-line") {
        DHANDLE line = NULLHANDLE;
        return NewStatusLineHandle("Leave open", &line);
    }
    if (kind == "block") {
        DHANDLE block = NULLHANDLE;
        return AllocateBlock(0, 64, &block);
    }
    if (kind == "idtable") {
        DHANDLE table = NULLHANDLE;
        return CreateIDTable(&table);
    }
    return ERR_MISSING_ARGUMENT;
}

int LeaveOpen(const std::string& kind, const char* path) {
    endAtExit.armed = true;
    DBHANDLE db = 0;
    if (STATUS s = OpenDatabase(path, &db)) return Fail("open", s);
    if (STATUS s = OpenOne(kind, db)) return Fail(kind.c_str(), s);
    Answer("open");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string command = argv[1];
    if (command == "full-disk" && argc == 5)
        return FullDisk(argv[2], argv[3], static_cast<NOTEID>(std::atol(argv[4])));
    if (InitProcess(argc, argv) != NOERROR) return 3;
    if (command == "leave-open" && argc == 4) return LeaveOpen(argv[2], argv[3]);
    int result = 2;
    if (command == "hold") result = Hold(argv[2]);
    if (command == "recreate") result = Repeat("created", Recreate, argv[2], nullptr);
    if (command == "copy-loop" && argc == 4) result = Repeat("copied", Copy, argv[2], argv[3]);
    if (command == "save-loop" && argc == 4) result = SaveLoop(argv[2], std::atol(argv[3]));
    if (command == "set-env" && argc == 4) result = SetEnvironmentValues(argv[2], std::atol(argv[3]));
    if (command == "log-text" && argc == 4) result = WriteLogTexts(argv[2], std::atol(argv[3]));
    if (command == "writer" && argc == 6)
        result = Writer(argv[2], argv[3], std::atol(argv[4]), static_cast<NOTEID>(std::atol(argv[5])));
    TermProcess();
    return result;
}
