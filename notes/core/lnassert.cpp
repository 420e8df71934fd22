#include "ln/lnassert.h"

#include "ln/lnerrors.h"
#include "os/os.h"

#include <cstdio>

void LNReportAssertion(const char* expression, const char* file, unsigned line) {
    char text[512];
    std::snprintf(text, sizeof text, "Assertion failed in file %s at line %u.\n\nExpression: %s\n\n", file,
                  line, expression);
    os::MessageBox(text, "", os::MB_ICONERROR | os::MB_SYSTEMMODAL);
}

void LNAssertionFailed(int condition, const char* expression, const char* file, unsigned line) {
    if (condition != 0) return;
    LNReportAssertion(expression, file, line);
    throw LNERR_ASSERTION_FAILED;
}
