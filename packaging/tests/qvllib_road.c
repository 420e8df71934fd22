/* The demo road through a qvllib.so given by its path, by a program that is linked against nothing of the
 * project: the library must find its own neighbours. Usage: qvllib_road LIBRARY SOURCE
 * Prints the data-source count, the column titles, the first row, the number of rows and the libraries
 * mapped into the process; appends "Installed road" to the first row's merge history. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

typedef int (*IntFn)(void);
typedef void (*VoidFn)(void);
typedef int (*NameFn)(const char*);
typedef void (*TextFn)(char*, int);
typedef void (*ColumnFn)(int, char*, int);
typedef void (*UpdateFn)(const char*, const char*, int);

static void* library;

static void* Export(const char* name) {
    void* symbol = dlsym(library, name);
    if (symbol == NULL) {
        fprintf(stderr, "missing export %s\n", name);
    }
    return symbol;
}

static void PrintColumns(ColumnFn read, int columns) {
    char text[256];
    for (int i = 0; i < columns; ++i) {
        read(i, text, (int)sizeof text);
        printf("%s%s", i ? "|" : "", text);
    }
    printf("\n");
}

static void PrintMappedLibraries(void) {
    FILE* maps = fopen("/proc/self/maps", "r");
    char line[4096];
    if (maps == NULL) return;
    while (fgets(line, sizeof line, maps) != NULL) {
        const char* path = strchr(line, '/');
        if (path != NULL &&
            (strstr(path, "libnnotes.so") || strstr(path, "libqvl_os.so") || strstr(path, "qvllib.so")) &&
            strstr(line, "r-xp")) {
            printf("loaded %s", path);
        }
    }
    fclose(maps);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: qvllib_road LIBRARY SOURCE\n");
        return 2;
    }
    library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    IntFn libOpen = (IntFn)Export("LibOpen");
    VoidFn libClose = (VoidFn)Export("LibClose");
    TextFn lastError = (TextFn)Export("LastError");
    IntFn dsGetCount = (IntFn)Export("DSGetCount");
    NameFn dsOpen = (NameFn)Export("DSOpen");
    IntFn gotoNext = (IntFn)Export("GotoNext");
    ColumnFn getHeader = (ColumnFn)Export("GetHeader");
    ColumnFn getData = (ColumnFn)Export("GetData");
    IntFn getNoteId = (IntFn)Export("GetNoteID");
    UpdateFn updateDocument = (UpdateFn)Export("UpdateDocument");
    if (!libOpen || !libClose || !lastError || !dsGetCount || !dsOpen || !gotoNext || !getHeader ||
        !getData || !getNoteId || !updateDocument)
        return 2;

    if (libOpen() != 1) {
        char error[512];
        lastError(error, (int)sizeof error);
        fprintf(stderr, "LibOpen failed: %s\n", error);
        return 3;
    }
    printf("sources %d\n", dsGetCount());
    int columns = dsOpen(argv[2]);
    printf("columns %d\n", columns);
    if (columns > 0) {
        PrintColumns(getHeader, columns);
        PrintColumns(getData, columns);
        updateDocument("MergeHistory", "Installed road", getNoteId());
        int rows = 1;
        while (gotoNext() == 1)
            ++rows;
        printf("rows %d\n", rows);
    }
    PrintMappedLibraries();
    libClose();
    return columns > 0 ? 0 : 4;
}
