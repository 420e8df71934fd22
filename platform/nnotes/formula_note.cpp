// Reaching a note's document from a note handle.
#include "formula_engine.h"

namespace nnotes::formula {

STATUS OpenFormulaNote(NOTEHANDLE, std::unique_ptr<FormulaNote>*) {
    return ERR_FORMULA_BAD_NOTE;
}

} // namespace nnotes::formula
