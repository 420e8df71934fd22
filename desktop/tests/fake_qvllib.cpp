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

void Count(const char* name) {
    ++Lib().calls[name];
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

const std::string& Category(size_t row) {
    return OpenSource()->rows[row].values.at(0);
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
    Count("LibOpen");
    return Lib().libOpenSucceeds ? 1 : 0;
}

void LibClose(void) {
    Count("LibClose");
}

void LastError(char* buffer, int size) {
    Copy(buffer, size, "");
}

int DSGetCount(void) {
    Count("DSGetCount");
    return static_cast<int>(Lib().sources.size());
}

int DSGetName(int index, char* buffer, int size) {
    Count("DSGetName");
    if (index < 0 || index >= static_cast<int>(Lib().sources.size())) return 0;
    Copy(buffer, size, Lib().sources[index].name);
    return 1;
}

int DSGetInfo(int type, char* buffer, int size) {
    Count("DSGetInfo");
    if (type != 1 || !OpenSource()) return 0;
    Copy(buffer, size, OpenSource()->mergeHistField);
    return 1;
}

int DSOpen(const char* name) {
    Count("DSOpen");
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
    Lib().open = -1;
}

int Search(const char*) {
    return GotoFirst();
}

int GotoFirst(void) {
    Count("GotoFirst");
    Lib().row = 0;
    return RowRead();
}

int GotoNext(void) {
    Count("GotoNext");
    if (!AtRow()) return 0;
    ++Lib().row;
    return RowRead();
}

int GotoNextCategory(void) {
    Count("GotoNextCategory");
    if (!AtRow()) return 0;
    const std::string category = Category(Lib().row);
    while (AtRow() && Category(Lib().row) == category)
        ++Lib().row;
    return RowRead();
}

int IsCategorised(void) {
    return OpenSource() && OpenSource()->categorised ? -1 : 0;
}

int CategoryGetFirst(char* buffer, int size) {
    Count("CategoryGetFirst");
    Lib().categoryRow = 0;
    if (!OpenSource() || OpenSource()->rows.empty()) return 0;
    Copy(buffer, size, Category(0));
    return -1;
}

int CategoryGetNext(char* buffer, int size) {
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
    Copy(buffer, size, OpenSource()->headers.at(static_cast<size_t>(column)));
}

void GetData(int column, char* buffer, int size) {
    Copy(buffer, size, AtRow() ? OpenSource()->rows[Lib().row].values.at(static_cast<size_t>(column)) : "");
}

int GetNoteID(void) {
    return AtRow() ? OpenSource()->rows[Lib().row].noteId : 0;
}

int KWOpen(const char* name) {
    Count("KWOpen");
    if (!OpenSource() || !name || !OpenSource()->keywords.contains(name)) return 0;
    Lib().keywordSource = Lib().open;
    Lib().keywordLookup = name;
    return 1;
}

void KWClose(void) {
    Count("KWClose");
    Lib().keywordSource = -1;
}

int KWGetFirst(char* buffer, int size) {
    Count("KWGetFirst");
    Lib().keyword = 0;
    return KeywordDelivered(buffer, size);
}

int KWGetNext(char* buffer, int size) {
    ++Lib().keyword;
    return KeywordDelivered(buffer, size);
}

int KWLoad(const char*) {
    return 0;
}

int KWGet(int, char*, int) {
    return 0;
}

void UpdateDocument(const char* item, const char* value, int noteId) {
    Lib().updates.push_back({item, value, noteId});
    if (Lib().onUpdate) Lib().onUpdate();
}

} // extern "C"
