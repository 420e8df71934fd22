// A program of its own that loads qvllib.so the way a program binding it at run time does, and calls its
// exports as its arguments say, for the tests that need real processes: several callers writing back at once,
// and callers that end without LibClose. It reads $NOTES_INI and the qvllib.ini beside the library like any
// program. Each command answers one line on stdout ("ok" or "failed"), flushed before the next begins.
//
//   library_caller LIBRARY COMMAND... where a command is one of
//     open                     LibOpen
//     close                    LibClose
//     ds NAME                  DSOpen
//     search QUERY             Search
//     kwopen NAME              KWOpen, then KWGetFirst
//     kwload NAME              KWLoad
//     update ITEM VALUE        UpdateDocument on the current row's document
//     history ITEM TAG COUNT   COUNT rounds of UpdateDocument(ITEM, "TAG ROUND", id) on every row of the
//                              open data source, the rows read once before the first round
//     scatter ITEM TAG SEED COUNT IDS
//                              COUNT calls of UpdateDocument(ITEM, "TAG-N", id), N from 1, each on an id
//                              drawn from the comma-separated IDS by a generator seeded with SEED; after each
//                              call returns, the line "did ID TAG-N" (flushed), so a caller killed at any
//                              moment has told which calls it finished
// and then returns from main: without LibClose unless a "close" command said so.
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Library {
    int (*open)();
    void (*close)();
    int (*dsOpen)(const char*);
    int (*search)(const char*);
    int (*gotoFirst)();
    int (*gotoNext)();
    int (*noteId)();
    int (*kwOpen)(const char*);
    int (*kwGetFirst)(char*, int);
    int (*kwLoad)(const char*);
    void (*update)(const char*, const char*, int);
};

template <class Function>
bool Bind(void* handle, const char* name, Function*& out) {
    out = reinterpret_cast<Function*>(dlsym(handle, name));
    return out != nullptr;
}

void Answer(bool ok) {
    std::printf("%s\n", ok ? "ok" : "failed");
    std::fflush(stdout);
}

std::vector<int> RowIds(const Library& lib) {
    std::vector<int> ids;
    for (int more = lib.gotoFirst(); more == 1; more = lib.gotoNext())
        if (const int id = lib.noteId(); id != 0) ids.push_back(id);
    return ids;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    void* handle = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 3;
    }
    Library lib{};
    if (!Bind(handle, "LibOpen", lib.open) || !Bind(handle, "LibClose", lib.close) ||
        !Bind(handle, "DSOpen", lib.dsOpen) || !Bind(handle, "Search", lib.search) ||
        !Bind(handle, "GotoFirst", lib.gotoFirst) || !Bind(handle, "GotoNext", lib.gotoNext) ||
        !Bind(handle, "GetNoteID", lib.noteId) || !Bind(handle, "KWOpen", lib.kwOpen) ||
        !Bind(handle, "KWGetFirst", lib.kwGetFirst) || !Bind(handle, "KWLoad", lib.kwLoad) ||
        !Bind(handle, "UpdateDocument", lib.update))
        return 4;
    for (int i = 2; i < argc; ++i) {
        const std::string command = argv[i];
        const auto argument = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (command == "open") {
            Answer(lib.open() == 1);
        } else if (command == "close") {
            lib.close();
            Answer(true);
        } else if (command == "ds") {
            Answer(lib.dsOpen(argument()) > 0);
        } else if (command == "search") {
            Answer(lib.search(argument()) == 1);
        } else if (command == "kwopen") {
            char keyword[256];
            Answer(lib.kwOpen(argument()) == 1 && lib.kwGetFirst(keyword, sizeof keyword) == -1);
        } else if (command == "kwload") {
            Answer(lib.kwLoad(argument()) > 0);
        } else if (command == "update") {
            const std::string item = argument();
            lib.update(item.c_str(), argument(), lib.noteId());
            Answer(true);
        } else if (command == "history") {
            const std::string item = argument(), tag = argument();
            const int rounds = std::atoi(argument());
            const std::vector<int> ids = RowIds(lib);
            for (int round = 1; round <= rounds; ++round)
                for (const int id : ids)
                    lib.update(item.c_str(), (tag + " " + std::to_string(round)).c_str(), id);
            Answer(!ids.empty());
        } else if (command == "scatter") {
            const std::string item = argument(), tag = argument();
            std::mt19937 random(static_cast<unsigned>(std::strtoul(argument(), nullptr, 10)));
            const int count = std::atoi(argument());
            std::vector<int> ids;
            std::istringstream list(argument());
            for (std::string id; std::getline(list, id, ',');)
                ids.push_back(std::atoi(id.c_str()));
            if (ids.empty()) return 6;
            for (int n = 1; n <= count; ++n) {
                const int id = ids[std::uniform_int_distribution<size_t>(0, ids.size() - 1)(random)];
                const std::string value = tag + "-" + std::to_string(n);
                lib.update(item.c_str(), value.c_str(), id);
                std::printf("did %d %s\n", id, value.c_str());
                std::fflush(stdout);
            }
            Answer(true);
        } else {
            return 5;
        }
    }
    // The library stays loaded: its globals end with the process, after main has returned.
    return 0;
}
