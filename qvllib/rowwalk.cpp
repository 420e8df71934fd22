#include "rowwalk.h"

#include "errorreport.h"
#include "libstate.h"
#include "ln/lnvfposition.h"
#include "textout.h"
#include "throwallerrors.h"
#include "valuetext.h"

#include <algorithm>

namespace {

// A document row of a categorised view has an empty column 0 and something in another column; every other
// row stands for a category. The columns alone cannot tell a category of a second categorised column (column
// 0 empty, column 1 set) or a total from a document: the entry itself says what it is.
bool IsDocumentRow() {
    const LNVFEntryBody* body = CurrentEntry.GetVFEntryBody();
    if (body != nullptr && body->IsCategoryOrTotal()) return false;
    if (CurrentColumnValues.empty() || !CurrentColumnValues[0].empty()) return false;
    return std::any_of(CurrentColumnValues.begin() + 1, CurrentColumnValues.end(),
                       [](const std::string& value) { return !value.empty(); });
}

bool AtTotal() {
    const LNVFEntryBody* body = CurrentEntry.GetVFEntryBody();
    return body != nullptr && body->GetType() == LNVFENTRYTYPE_TOTAL;
}

} // namespace

bool AtSubcategory() {
    const LNVFEntryBody* body = CurrentEntry.GetVFEntryBody();
    if (body == nullptr || body->GetType() != LNVFENTRYTYPE_CATEGORY) return false;
    const nnotes::CollectionPosition* position = body->GetPosition().GetPositionData();
    return position != nullptr && LNPositionLevel(*position) > 0;
}

bool MoveCurrentRow(LNVFNAVIGATION code) {
    if (const LNSTATUS status = CurrentNavigator.Goto(code, &CurrentEntry)) {
        ReportNotesError(status, false);
        return false;
    }
    return true;
}

int ReadCurrentRow() {
    ReadEntryColumns(CurrentEntry);
    if (!CurrentViewCategorised) {
        // The grand total of a view with totals is a row of no document.
        while (AtTotal()) {
            if (!MoveCurrentRow(LNVFNAVIGATION_NEXT)) return 0;
            ReadEntryColumns(CurrentEntry);
        }
        return 1;
    }
    while (!IsDocumentRow()) {
        // A category below the top level belongs to the category above it, whose text its documents keep.
        if (!AtSubcategory())
            CurrentCategory = CurrentColumnValues.empty() ? std::string() : CurrentColumnValues[0];
        if (!MoveCurrentRow(LNVFNAVIGATION_NEXT)) return 0;
        ReadEntryColumns(CurrentEntry);
    }
    CurrentColumnValues[0] = CurrentCategory;
    return 1;
}

void ReadEntryColumns(const LNVFEntry& entry) {
    ThrowAllErrorsOn throwing;
    try {
        // Plain text columns are read straight from the entry's summary, parsed once for the row, into the
        // column texts kept from row to row: building an item per column of every row, or a string, would
        // cost the walk most of its time.
        LNVFEntryBody* body = entry.GetVFEntryBody();
        CurrentColumnPlain.resize(CurrentColumnValues.size());
        if (body != nullptr)
            body->GetSummaryTexts(CurrentColumnValues, CurrentColumnPlain);
        else
            std::fill(CurrentColumnPlain.begin(), CurrentColumnPlain.end(), uint8_t{0});
        for (uint32_t column = 0; column < CurrentColumnValues.size(); ++column) {
            if (!CurrentColumnPlain[column]) CurrentColumnValues[column] = FirstEntryValueText(entry[column]);
        }
    } catch (...) {
        for (std::string& value : CurrentColumnValues)
            value.clear();
    }
}
