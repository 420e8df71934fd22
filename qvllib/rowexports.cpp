// The exports that walk the open data source's rows and read them.
#include "exportguard.h"
#include "libstate.h"
#include "qvllib/qvllib.h"
#include "rowwalk.h"
#include "textout.h"

namespace {

int StepTo(LNVFNAVIGATION code) {
    return Shielded(0, [code] { return MoveCurrentRow(code) ? ReadCurrentRow() : 0; });
}

// The category readers move the row walk's own navigator; they read the row they reach as it is. The
// categories are those of column 0, so the categories below them are passed over.
int CategoryStep(LNVFNAVIGATION code, char* buffer, int size) {
    return Shielded(0, [=] {
        if (!MoveCurrentRow(code)) return 0;
        while (AtSubcategory()) {
            if (!MoveCurrentRow(LNVFNAVIGATION_NEXT_CATEGORY)) return 0;
        }
        ReadEntryColumns(CurrentEntry);
        // The rows after the category reached are of that category, whatever the walk passed before.
        CurrentCategory = CurrentColumnValues.empty() ? std::string() : CurrentColumnValues[0];
        CopyOut(buffer, size, CurrentCategory);
        return -1;
    });
}

bool IsColumn(int column) {
    return column >= 0 && static_cast<size_t>(column) < CurrentColumnValues.size();
}

} // namespace

int GotoFirst(void) {
    CurrentCategory.clear();
    return StepTo(LNVFNAVIGATION_FIRST);
}

int GotoNext(void) {
    return StepTo(LNVFNAVIGATION_NEXT);
}

int GotoNextCategory(void) {
    return StepTo(LNVFNAVIGATION_NEXT_CATEGORY);
}

int IsCategorised(void) {
    return CurrentViewCategorised ? -1 : 0;
}

int CategoryGetFirst(char* buffer, int size) {
    return CategoryStep(LNVFNAVIGATION_FIRST, buffer, size);
}

int CategoryGetNext(char* buffer, int size) {
    return CategoryStep(LNVFNAVIGATION_NEXT_CATEGORY, buffer, size);
}

void GetHeader(int column, char* buffer, int size) {
    const std::string title = Shielded(std::string(), [column] {
        return IsColumn(column) ? PlatformText(CurrentView.GetColumnTitle(static_cast<uint32_t>(column)))
                                : std::string();
    });
    CopyOut(buffer, size, title);
}

void GetData(int column, char* buffer, int size) {
    // A view of the kept text: the walk calls this for every column of every row, and a copy of the text
    // would cost an allocation for each one longer than a few bytes.
    CopyOut(buffer, size,
            IsColumn(column) ? std::string_view(CurrentColumnValues[static_cast<size_t>(column)])
                             : std::string_view());
}

int GetNoteID(void) {
    // The entry knows its document's note id: no document is built for it.
    return Shielded(0, [] {
        const LNVFEntryBody* body = CurrentEntry.GetVFEntryBody();
        return body != nullptr ? static_cast<int>(body->GetDocumentNoteID()) : 0;
    });
}
