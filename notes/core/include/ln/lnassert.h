// Internal checks of the object layer. A failed check shows a system-modal error box naming the source unit,
// line and expression, then throws LNERR_ASSERTION_FAILED whatever ThrowAllErrors says. The unit names and
// lines are those the layer's diagnostics have always reported, so support texts stay stable.
#pragma once

// Returns at once when condition is not 0; otherwise reports and throws.
void LNAssertionFailed(int condition, const char* expression, const char* file, unsigned line);

// Shows the assertion box without throwing: for failures met where no exception may escape (destructors,
// release operators).
void LNReportAssertion(const char* expression, const char* file, unsigned line);

#define LN_ASSERT(condition, file, line) LNAssertionFailed((condition) ? 1 : 0, #condition, file, line)
