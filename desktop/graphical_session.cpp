#include "graphical_session.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

const char* const kNoGraphicalSession =
    "quorvel: no graphical session to show its windows in; start it from a desktop session, or with "
    "QT_QPA_PLATFORM=offscreen, or under xvfb-run\n";

namespace {

QtMessageHandler previousHandler = nullptr;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The display named could not be opened (or the chosen platform could not start): the program cannot run,
// and nothing has been opened that would need closing.
void EndOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        previousHandler(type, context, message);
        return;
    }
    std::fputs(kNoGraphicalSession, stderr);
    std::fflush(stderr);
    _exit(kNoGraphicalSessionStatus);
}

} // namespace

bool HasGraphicalSession(int argc, char** argv) {
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) return true;
    }
    return false;
}

DisplayFailureGuard::DisplayFailureGuard() {
    previousHandler = qInstallMessageHandler(EndOnFatal);
}

DisplayFailureGuard::~DisplayFailureGuard() {
    qInstallMessageHandler(previousHandler);
}
