// An open note as the formula engine reads it.
#pragma once

#include "formula/formula_engine.h"
#include "store/note.h"

#include <memory>

namespace nnotes::store {

std::unique_ptr<formula::FormulaNote> FormulaViewOf(std::shared_ptr<const Note> note);

} // namespace nnotes::store
