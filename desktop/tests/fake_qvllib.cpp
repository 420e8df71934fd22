#include "fake_qvllib.h"

#include "os/os.h"
#include "qvllib/qvllib.h"

namespace fake {

Library& Lib() {
    static Library library;
    return library;
}

void Reset() {
    Lib() = Library{};
}

} // namespace fake

namespace {

using fake::Lib;

// Counts the call; true when it is the one that fails.
bool Fails(const char* name) {
    auto& library = Lib();
    ++library.calls[name];
    if (++library.callCount != library.failAt) return false;
    library.failed = name;
    return true;
}

void Copy(char* buffer, int size, const std::string& text) {
    if (size > 0) os::CopyBounded(buffer, static_cast<size_t>(size), text);
}

fake::Source* OpenSource() {
    return Lib().open < 0 ? nullptr : &Lib().sources[Lib().open];
}

bool AtRow() {
    return OpenSource() && Lib().row < OpenSource()->rows.size();
}

// Column column of a row, or the empty text where the row has no such column (as the library answers).
std::string Value(const fake::Row& row, int column) {
    return column >= 0 && static_cast<size_t>(column) < row.values.size()
               ? row.values[static_cast<size_t>(column)]
               : std::string();
}

std::string Category(size_t row) {
    return Value(OpenSource()->rows[row], 0);
}

int RowRead() {
    if (!AtRow()) return 0;
    if (Lib().onRowRead) Lib().onRowRead(Lib().row);
    return 1;
}

int KeywordDelivered(char* buffer, int size) {
    auto& library = Lib();
    if (library.keywordSource < 0) return 0;
    const auto& values = library.sources[library.keywordSource].keywords[library.keywordLookup];
    if (library.keyword >= values.size()) return 0;
    Copy(buffer, size, values[library.keyword]);
    return -1;
}

} // namespace

extern "C" {

int LibOpen(void) {
    if (Fails("LibOpen")) return 0;
    return Lib().libOpenSucceeds ? 1 : 0;
}

void LibClose(void) {
    if (Fails("LibClose")) return;
}

void LastError(char* buffer, int size) {
    Copy(buffer, size, "");
}

int DSGetCount(void) {
    if (Fails("DSGetCount")) return 0;
    return static_cast<int>(Lib().sources.size());
}

int DSGetName(int index, char* buffer, int size) {
    if (Fails("DSGetName")) return 0;
    if (index < 0 || index >= static_cast<int>(Lib().sources.size())) return 0;
    Copy(buffer, size, Lib().sources[index].name);
    return 1;
}

int DSGetInfo(int type, char* buffer, int size) {
    if (Fails("DSGetInfo")) return 0;
    if (type != 1 || !OpenSource()) return 0;
    Copy(buffer, size, OpenSource()->mergeHistField);
    return 1;
}

int DSOpen(const char* name) {
    if (Fails("DSOpen")) return -1;
    for (size_t i = 0; i < Lib().sources.size(); ++i) {
        const fake::Source& source = Lib().sources[i];
        if (source.name != name) continue;
        if (!source.opens) return -1;
        Lib().open = static_cast<int>(i);
        Lib().row = 0;
        return static_cast<int>(source.headers.size());
    }
    return -1;
}

void DSClose(void) {
    if (Fails("DSClose")) return;
    Lib().open = -1;
}

int Search(const char*) {
    if (Fails("Search")) return 0;
    return GotoFirst();
}

int GotoFirst(void) {
    if (Fails("GotoFirst")) return 0;
    Lib().row = 0;
    return RowRead();
}

int GotoNext(void) {
    if (Fails("GotoNext")) return 0;
    if (!AtRow()) return 0;
    ++Lib().row;
    return RowRead();
}

int GotoNextCategory(void) {
    if (Fails("GotoNextCategory")) return 0;
    if (!AtRow()) return 0;
    const std::string category = Category(Lib().row);
    while (AtRow() && Category(Lib().row) == category)
        ++Lib().row;
    return RowRead();
}

int IsCategorised(void) {
    if (Fails("IsCategorised")) return 0;
    return OpenSource() && OpenSource()->categorised ? -1 : 0;
}

int CategoryGetFirst(char* buffer, int size) {
    if (Fails("CategoryGetFirst")) return 0;
    Lib().categoryRow = 0;
    if (!OpenSource() || OpenSource()->rows.empty()) return 0;
    Copy(buffer, size, Category(0));
    return -1;
}

int CategoryGetNext(char* buffer, int size) {
    if (Fails("CategoryGetNext") || !OpenSource()) return 0;
    auto& library = Lib();
    const auto& rows = OpenSource()->rows;
    if (library.categoryRow >= rows.size()) return 0;
    const std::string category = Category(library.categoryRow);
    while (library.categoryRow < rows.size() && Category(library.categoryRow) == category)
        ++library.categoryRow;
    if (library.categoryRow >= rows.size()) return 0;
    Copy(buffer, size, Category(library.categoryRow));
    return -1;
}

void GetHeader(int column, char* buffer, int size) {
    const auto* source = OpenSource();
    bool known = source && column >= 0 && static_cast<size_t>(column) < source->headers.size();
    Copy(buffer, size, Fails("GetHeader") || !known ? "" : source->headers[static_cast<size_t>(column)]);
}

void GetData(int column, char* buffer, int size) {
    Copy(buffer, size, Fails("GetData") || !AtRow() ? "" : Value(OpenSource()->rows[Lib().row], column));
}

int GetNoteID(void) {
    if (Fails("GetNoteID")) return 0;
    return AtRow() ? OpenSource()->rows[Lib().row].noteId : 0;
}

int KWOpen(const char* name) {
    if (Fails("KWOpen")) return 0;
    if (!OpenSource() || !name || !OpenSource()->keywords.contains(name)) return 0;
    Lib().keywordSource = Lib().open;
    Lib().keywordLookup = name;
    return 1;
}

void KWClose(void) {
    if (Fails("KWClose")) return;
    Lib().keywordSource = -1;
}

int KWGetFirst(char* buffer, int size) {
    if (Fails("KWGetFirst")) return 0;
    Lib().keyword = 0;
    return KeywordDelivered(buffer, size);
}

int KWGetNext(char* buffer, int size) {
    if (Fails("KWGetNext")) return 0;
    ++Lib().keyword;
    return KeywordDelivered(buffer, size);
}

int KWLoad(const char*) {
    Fails("KWLoad");
    return 0;
}

int KWGet(int, char*, int) {
    Fails("KWGet");
    return 0;
}

void UpdateDocument(const char* item, const char* value, int noteId) {
    if (Fails("UpdateDocument")) {
        Lib().lostUpdates.push_back({item, value, noteId});
        return;
    }
    Lib().updates.push_back({item, value, noteId});
    if (Lib().onUpdate) Lib().onUpdate();
}

} // extern "C"
