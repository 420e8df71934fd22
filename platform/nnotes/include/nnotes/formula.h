// libnnotes formulas: compiling formula text, evaluating a compiled formula for any number of notes, and the
// formula statuses with their detailed texts. A search of a database by a compiled formula is SearchDatabase
// (nnotes/database.h).
#pragma once

#include <cstdint>

#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

namespace nnotes {

// CompileFormula, Compute*, SearchDatabase, GetModifiedNoteTable
// Formula statuses. A failed compile or evaluation also leaves a detailed text, naming the problem and
// where in the formula it lies, for LoadFormulaErrorText.
constexpr STATUS ERR_FORMULA_SYNTAX = 0x0501;       // syntax error
constexpr STATUS ERR_FORMULA_UNTERMINATED = 0x0502; // text constant without its closing quote
constexpr STATUS ERR_FORMULA_UNKNOWN_FUNCTION = 0x0503;
constexpr STATUS ERR_FORMULA_ARGUMENT_COUNT = 0x0504; // wrong number of arguments for an @function
constexpr STATUS ERR_FORMULA_NO_MAIN = 0x0505;        // no main or selection expression
constexpr STATUS ERR_FORMULA_TOO_COMPLEX = 0x0506;    // nested too deeply
constexpr STATUS ERR_FORMULA_TOO_LONG = 0x0507;
constexpr STATUS ERR_FORMULA_DAMAGED = 0x0508; // compiled formula is not one of ours or is damaged
constexpr STATUS ERR_FORMULA_TYPE = 0x0510;    // wrong data type for an operator or @function
constexpr STATUS ERR_FORMULA_DIVIDE_BY_ZERO = 0x0511;
constexpr STATUS ERR_FORMULA_NUMBER_RANGE = 0x0512; // arithmetic result is not a finite number
constexpr STATUS ERR_FORMULA_NEEDS_NOTE = 0x0513;   // evaluated without the document it reads
constexpr STATUS ERR_FORMULA_RESULT_TOO_LARGE = 0x0514;
constexpr STATUS ERR_FORMULA_BAD_HANDLE = 0x0515;   // unknown computation handle
constexpr STATUS ERR_FORMULA_BAD_NOTE = 0x0516;     // note handle that gives no document
constexpr STATUS ERR_FORMULA_BAD_ARGUMENT = 0x0517; // missing output pointer or formula
constexpr STATUS ERR_FORMULA_BAD_VALUE = 0x0518;    // item value damaged or of a type formulas cannot read

// Compiles a formula of textLength bytes of Notes text (statements separated by ";", the last one giving
// the value; SELECT sets whether a note matches). *formula receives a new memory block of *formulaLength
// bytes holding the compiled formula; the caller frees it (FreeBlock). The text may be at most 65527 bytes.
STATUS CompileFormula(const char* text, uint16_t textLength, DHANDLE* formula, uint16_t* formulaLength);

// The detailed text of this thread's last failed formula operation, naming the problem and, for a formula
// text, its line and column ("Unknown @function @Foo (line 1, column 8)"); written as LoadNotesMessage does.
uint16_t LoadFormulaErrorText(char* buf, uint16_t size);

// A computation: one compiled formula, started once and evaluated for any number of notes.
using HCOMPUTE = uint32_t;
// Starts a computation over formulaLength bytes of a compiled formula (as CompileFormula made it).
STATUS ComputeStart(const void* formula, uint16_t formulaLength, HCOMPUTE* compute);
// Evaluates the formula for the note of a note handle, or without a document for NULLHANDLE (a formula that
// reads the document then fails with ERR_FORMULA_NEEDS_NOTE). When result is given, it receives a new memory
// block of *resultLength bytes holding the value as an item value: type word 1280 (text), 1281 (text list),
// 768 (number), 769 (number list), 1024 (time) or 1025 (time list), then the data; the caller frees it.
// *noteMatches, when given, tells whether the note is selected: the truth of the SELECT statement, or
// without one the truth of the value (a non-zero number).
STATUS ComputeEvaluate(HCOMPUTE compute, NOTEHANDLE note, DHANDLE* result, uint32_t* resultLength,
                       bool* noteMatches);
STATUS ComputeStop(HCOMPUTE compute);

} // namespace nnotes
