#include "failure.h"
#include "nnotes/process.h"
#include "nnotes/status.h"

#include <cstdio>

namespace nsfadmin {

std::string StatusText(nnotes::STATUS status) {
    char text[256] = {};
    nnotes::LoadNotesMessage(status, text, sizeof text);
    char code[32];
    std::snprintf(code, sizeof code, "status 0x%04X", static_cast<unsigned>(status));
    return text[0] ? std::string(text) + " (" + code + ")" : std::string(code);
}

void Check(nnotes::STATUS status, const std::string& place) {
    if (status != nnotes::NOERROR) throw Failure(place + ": " + StatusText(status));
}

StoreSession::StoreSession() {
    Check(nnotes::InitProcess(0, nullptr), "starting the store");
}

StoreSession::~StoreSession() {
    nnotes::TermProcess();
}

} // namespace nsfadmin
