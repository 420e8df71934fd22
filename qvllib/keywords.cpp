// Keyword lists: the views of the open data source's database that list the allowed values of its lookup
// fields, walked row by row (KWOpen ... KWClose) or read by row index (KWLoad, KWGet).
#include "errorreport.h"
#include "exportguard.h"
#include "libstate.h"
#include "qvllib/qvllib.h"
#include "textout.h"
#include "valuetext.h"

#include <cstring>

namespace {

// The keyword view of the open data source's lookup of that name; null when there is no such lookup.
const char* FindKeywordView(const char* name) {
    if (CurrentSourceIndex < 0 || static_cast<size_t>(CurrentSourceIndex) >= DataSourceTable.size())
        return nullptr;
    if (name == nullptr) return nullptr;
    const DataSourceRecord& record = DataSourceTable[static_cast<size_t>(CurrentSourceIndex)];
    for (int32_t i = 0; i < record.LookupCount; ++i)
        if (std::strcmp(record.Lookups[i].LookupName, name) == 0) return record.Lookups[i].KeywordViewName;
    return nullptr;
}

// The keyword of a row: its column 0's first entry as text, empty when that has no entries, cannot be read
// as text or is missing.
std::string Keyword(const LNVFEntry& entry) {
    try {
        return FirstEntryValueText(entry[0]);
    } catch (...) {
        return {};
    }
}

int OpenKeywordView(const char* viewName) {
    KeywordViewOpen = false;
    // A view that is not found must not leave the previous keyword view in the handle to be opened again.
    if (CurrentDb.GetViewFolder(LNString(viewName), &KeywordView) != LNNOERROR) return 0;
    if (KeywordView.Open(0) != LNNOERROR) return 0;
    KeywordViewOpen = true;
    KeywordView.GetEntries(&KeywordNavigator);
    return KeywordView.GetColumnCount() > 0 ? 1 : 0;
}

int ReadKeywordEntry(LNVFNavigator navigator, LNVFEntry entry, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    CopyOut(buffer, size, navigator.GetEntryCount() == 0 ? std::string() : Keyword(entry));
    return -1;
}

int KeywordStep(LNVFNAVIGATION code, char* buffer, int size) {
    return Shielded(0, [=] {
        if (!KeywordViewOpen) return 0;
        if (const LNSTATUS status = KeywordNavigator.Goto(code, &KeywordEntry)) {
            ReportNotesError(status, false);
            return 0;
        }
        return ReadKeywordEntry(KeywordNavigator, KeywordEntry, buffer, size);
    });
}

int LoadKeywordView(const char* viewName) {
    try {
        LoadedKeywordView.Close();
    } catch (...) {
        // Nothing was loaded yet, or it is closed already.
    }
    LoadedKeywordCount = -1;
    if (CurrentDb.GetViewFolder(LNString(viewName), &LoadedKeywordView) != LNNOERROR) return 0;
    if (LoadedKeywordView.Open(0) != LNNOERROR) return 0;
    LoadedKeywordCount = static_cast<int32_t>(LoadedKeywordView.GetEntryCount());
    return LoadedKeywordCount;
}

} // namespace

int KWOpen(const char* name) {
    return Shielded(0, [name] {
        const char* view = FindKeywordView(name);
        return view != nullptr ? OpenKeywordView(view) : 0;
    });
}

void KWClose(void) {
    if (!KeywordViewOpen) return;
    Shielded([] { KeywordView.Close(); });
    KeywordViewOpen = false;
}

int KWGetFirst(char* buffer, int size) {
    return KeywordStep(LNVFNAVIGATION_FIRST, buffer, size);
}

int KWGetNext(char* buffer, int size) {
    return KeywordStep(LNVFNAVIGATION_NEXT, buffer, size);
}

int KWLoad(const char* name) {
    return Shielded(0, [name] {
        const char* view = FindKeywordView(name);
        return view != nullptr ? LoadKeywordView(view) : 0;
    });
}

int KWGet(int index, char* buffer, int size) {
    return Shielded(0, [=] {
        if (index < 0 || index >= LoadedKeywordCount) return 0;
        CopyOut(buffer, size, Keyword(LoadedKeywordView[static_cast<uint32_t>(index)]));
        return 1;
    });
}
