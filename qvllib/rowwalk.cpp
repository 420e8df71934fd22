#include "rowwalk.h"

#include "errorreport.h"
#include "libstate.h"
#include "textout.h"
#include "throwallerrors.h"
#include "valuetext.h"

#include <algorithm>

namespace {

// A document row of a categorised view has an empty column 0 and something in another column; every other
// row stands for a category.
bool IsDocumentRow() {
    if (CurrentColumnValues.empty() || !CurrentColumnValues[0].empty()) return false;
    return std::any_of(CurrentColumnValues.begin() + 1, CurrentColumnValues.end(),
                       [](const std::string& value) { return !value.empty(); });
}

} // namespace

bool MoveCurrentRow(LNVFNAVIGATION code) {
    if (const LNSTATUS status = CurrentNavigator.Goto(code, &CurrentEntry)) {
        ReportNotesError(status, false);
        return false;
    }
    return true;
}

int ReadCurrentRow() {
    ReadEntryColumns(CurrentEntry);
    if (!CurrentViewCategorised) return 1;
    while (!IsDocumentRow()) {
        CurrentCategory = CurrentColumnValues.empty() ? std::string() : CurrentColumnValues[0];
        if (!MoveCurrentRow(LNVFNAVIGATION_NEXT)) return 0;
        ReadEntryColumns(CurrentEntry);
    }
    CurrentColumnValues[0] = CurrentCategory;
    return 1;
}

void ReadEntryColumns(LNVFEntry entry) {
    ThrowAllErrorsOn throwing;
    try {
        // Plain text columns are read straight from the entry's summary: building an item per column of
        // every row would cost the walk most of its time.
        LNVFEntryBody* body = entry.GetVFEntryBody();
        std::string text;
        for (uint32_t column = 0; column < CurrentColumnValues.size(); ++column) {
            if (body != nullptr && body->GetSummaryText(column, &text))
                CurrentColumnValues[column] = text;
            else
                CurrentColumnValues[column] = FirstEntryValueText(entry[column]);
        }
    } catch (...) {
        std::fill(CurrentColumnValues.begin(), CurrentColumnValues.end(), std::string());
    }
}
