// Record retrieval: the category choice, the loader form and the status it leaves.
#include "forms.h"
#include "frm_category.h"
#include "frm_load_records.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "messages.h"
#include "modal.h"
#include "program_state.h"
#include "string_grid.h"

#include <QPushButton>

void TfrmMain::RetrieveRecords() {
    ProgramState& state = State();
    btnSelectAll->setEnabled(true);
    btnMerge->setEnabled(true);
    frmLoadRecords->Grid = gridAll;
    if (state.OfferedCategories.isEmpty()) {
        frmLoadRecords->AllCategories = true;
        state.IgnoreDuplicates = false;
    } else {
        frmCategory->OfferedCategories = state.OfferedCategories;
        frmCategory->RetrievedCategories = state.RetrievedCategories;
        frmCategory->IgnoreDuplicates = state.IgnoreDuplicates;
        if (ShowModal(*frmCategory) != mrOk) return;
        if (frmCategory->AllChosen) {
            frmLoadRecords->AllCategories = true;
            state.AllCategoriesRetrieved = true;
        } else {
            frmLoadRecords->AllCategories = false;
            frmLoadRecords->ChosenCategories = frmCategory->ChosenCategories;
        }
        state.IgnoreDuplicates = frmCategory->IgnoreDuplicates;
    }
    state.RetrievalInterrupted = false;
    ShowModal(*frmLoadRecords);

    if (frmLoadRecords->StoppedByUser) {
        state.RetrievalInterrupted = true;
        SetStatusMessage("Record retrieval stopped by user.");
    } else if (state.AllCategoriesRetrieved) {
        SetStatusMessage("All records retrieved.");
        mnuRetrieve->setEnabled(false);
    } else {
        CopyStringList(state.RetrievedCategories, frmCategory->ChosenCategories);
        if (state.OfferedCategories.size() == state.RetrievedCategories.size()) {
            SetStatusMessage("All records retrieved.");
            mnuRetrieve->setEnabled(false);
        } else {
            SetStatusMessage(QString("Records retrieved for %1 of %2 categories.")
                                 .arg(state.RetrievedCategories.size())
                                 .arg(state.OfferedCategories.size()));
        }
    }
    UpdateCountLabels();
}

void TfrmMain::RetrieveClick() {
    ProgramState& state = State();
    if (state.RetrievalInterrupted) {
        if (!Confirm("Record retrieval previously interrupted.  All existing records retrieved will be "
                     "discarded.  Continue?")) {
            return;
        }
        state.RetrievedCategories.clear();
        // An interrupted run of all categories left the flag set although not all records are here.
        state.AllCategoriesRetrieved = state.OfferedCategories.isEmpty();
        ClearGrid(*gridAll);
        UpdateCountLabels();
    }
    RetrieveRecords();
}
