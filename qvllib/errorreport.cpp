#include "errorreport.h"

#include "libstate.h"
#include "os/os.h"
#include "qvllib/qvllib.h"
#include "textout.h"

char ErrorText[kErrorTextSize] = {};

namespace {

// Statuses of the Notes client library that a user can act on get words of their own.
constexpr LNSTATUS kFileNotFound = 0x0103, kRemoteFileNotFound = 0x4103, kServerNotKnown = 0x0803;

void SetErrorText(LNSTATUS status) {
    switch (status) {
    case kFileNotFound:
    case kRemoteFileNotFound:
        CopyOut(ErrorText, kErrorTextSize, "the File qvlds.nsf can not be found on the Notes file server");
        break;
    case kServerNotKnown:
        CopyOut(ErrorText, kErrorTextSize,
                "The Notes Server can not be opened, check the server name in qvllib.ini");
        break;
    default:
        LNGetErrorText(status, ErrorText, kErrorTextSize);
        break;
    }
}

} // namespace

void ReportNotesError(LNSTATUS status, bool show) {
    ErrorText[0] = '\0';
    if (!show) return;
    SetErrorText(status);
    try {
        Session.Term();
    } catch (LNSTATUS) {
        // The box is shown whether or not the session ended cleanly.
    }
    os::MessageBox(ErrorText, kErrorCaption, os::MB_OK);
}

void LastError(char* buffer, int size) {
    CopyOut(buffer, size, ErrorText);
}
