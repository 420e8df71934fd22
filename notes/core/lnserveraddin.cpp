#include "ln/lnserveraddin.h"

#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "nnotes/addin.h"
#include "nnotes/memblock.h"

#include <algorithm>

namespace {

// Ids of the status lines of every add-in of the process; the first line gets 1.
uint32_t LastStatusLineID = 0;

} // namespace

LNAddinStatusLine::LNAddinStatusLine(const LNString& name, const LNString& text) : Name(name), Text(text) {
    nnotes::NewStatusLineHandle(LNNotesText(name), &LineHandle);
    nnotes::SetStatusLineHandleText(LineHandle, LNNotesText(text));
}

LNAddinStatusLine& LNAddinStatusLine::operator=(const LNAddinStatusLine& other) {
    LNNotesClass::operator=(other);
    return *this;
}

LNAddinStatusLine::~LNAddinStatusLine() {
    if (LineHandle != nnotes::NULLHANDLE) {
        nnotes::FreeStatusLineHandle(LineHandle);
        LineHandle = nnotes::NULLHANDLE;
    }
    if (Addin != nullptr && Addin->DefaultStatusLine == this) Addin->DefaultStatusLine = nullptr;
}

LNServerAddin::~LNServerAddin() {
    Close();
}

LNSTATUS LNServerAddin::Close() {
    if (DefaultStatusLine != nullptr) {
        StatusLines.DeleteAllObjects();
        delete DefaultStatusLine;
    }
    if (AddinSession != nullptr) {
        AddinSession->ServerAddin = nullptr;
        AddinSession = nullptr;
    }
    return LNNOERROR;
}

void LNServerAddin::MakeDefault(LNAddinStatusLine* line) {
    nnotes::DHANDLE current = nnotes::NULLHANDLE;
    bool exists = false;
    nnotes::GetTaskDefaults(&current, &exists);
    // Also without a default of the task's, an old line of ours would be left behind.
    delete DefaultStatusLine;
    line->Addin = this;
    line->ID = kDefaultStatusLineID;
    DefaultStatusLine = line;
    nnotes::SetTaskDefaults(current, line->LineHandle);
}

LNSTATUS LNServerAddin::Initialize(const LNString& taskName, const LNString& statusText) {
    MakeDefault(new LNAddinStatusLine(taskName, statusText));
    return LNNOERROR;
}

LNAddinStatusLine* LNServerAddin::Find(uint32_t id) const {
    if (id == kDefaultStatusLineID) return nullptr;
    for (LNNotesClass* object = StatusLines.GetFirstObject(); object != nullptr;
         object = StatusLines.GetNextObject(object)) {
        auto* line = static_cast<LNAddinStatusLine*>(object);
        if (line->ID == id) return line;
    }
    return nullptr;
}

LNSTATUS LNServerAddin::AddLine(LNAddinStatusLine* line, uint32_t id) {
    line->ID = id;
    line->Addin = this;
    const LNSTATUS status = StatusLines.AddObject(line);
    if (status != LNNOERROR) delete line;
    return status;
}

LNSTATUS LNServerAddin::CreateStatusLine(const LNString& name, const LNString& text, uint32_t* id) {
    if (id == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    // Ids that callers chose are passed over, and so is the default line's.
    uint32_t next = ++LastStatusLineID;
    while (next == kDefaultStatusLineID || Find(next) != nullptr)
        next = ++LastStatusLineID;
    if (const LNSTATUS status = AddLine(new LNAddinStatusLine(name, text), next)) return status;
    *id = next;
    return LNNOERROR;
}

LNSTATUS LNServerAddin::CreateStatusLine(const LNString& name, const LNString& text, uint32_t id) {
    // A line under the default line's id, or under an id in use, could never be found or deleted.
    if (id == kDefaultStatusLineID || Find(id) != nullptr) return LNReturnOrThrow(LNERR_INVALID_STATUS_LINE);
    return AddLine(new LNAddinStatusLine(name, text), id);
}

LNSTATUS LNServerAddin::DeleteStatusLine(uint32_t id) {
    LNAddinStatusLine* line = Find(id);
    if (line == nullptr) return LNReturnOrThrow(LNERR_INVALID_STATUS_LINE);
    if (line == DefaultStatusLine) return LNReturnOrThrow(LNERR_DELETE_DEFAULT_STATUS_LINE);
    return StatusLines.DeleteObject(line);
}

LNSTATUS LNServerAddin::SetDefaultStatusLine(uint32_t* id) {
    if (id == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNAddinStatusLine* line = Find(*id);
    if (line == nullptr) return LNReturnOrThrow(LNERR_INVALID_STATUS_LINE);
    if (const LNSTATUS status = StatusLines.RemoveObject(line)) return status;
    MakeDefault(line);
    *id = kDefaultStatusLineID;
    return LNNOERROR;
}

namespace {

LNSTATUS Give(const LNAddinStatusLine* line, const LNString& value, LNString* out) {
    if (out == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (line == nullptr) return LNReturnOrThrow(LNERR_INVALID_STATUS_LINE);
    *out = value;
    return LNNOERROR;
}

} // namespace

LNSTATUS LNServerAddin::GetTaskName(LNString* name) const {
    return Give(DefaultStatusLine, DefaultStatusLine != nullptr ? DefaultStatusLine->Name : LNString(), name);
}

LNSTATUS LNServerAddin::GetStatusText(LNString* text) const {
    return Give(DefaultStatusLine, DefaultStatusLine != nullptr ? DefaultStatusLine->Text : LNString(), text);
}

LNSTATUS LNServerAddin::GetStatusLineName(uint32_t id, LNString* name) const {
    const LNAddinStatusLine* line = Find(id);
    return Give(line, line != nullptr ? line->Name : LNString(), name);
}

LNSTATUS LNServerAddin::GetStatusLineText(uint32_t id, LNString* text) const {
    const LNAddinStatusLine* line = Find(id);
    return Give(line, line != nullptr ? line->Text : LNString(), text);
}

LNSTATUS LNServerAddin::SetTaskName(const LNString& name) {
    const LNString text = DefaultStatusLine != nullptr ? DefaultStatusLine->Text : LNString();
    return Initialize(name, text);
}

LNSTATUS LNServerAddin::SetStatusText(const LNString& text) {
    nnotes::SetTaskStatusText(LNNotesText(text));
    if (DefaultStatusLine != nullptr) DefaultStatusLine->Text = text;
    return LNNOERROR;
}

LNSTATUS LNServerAddin::SetStatusLineName(uint32_t id, const LNString& name) {
    LNAddinStatusLine* line = Find(id);
    if (line == nullptr) return LNReturnOrThrow(LNERR_INVALID_STATUS_LINE);
    const LNString text = line->Text;
    StatusLines.DeleteObject(line);
    return CreateStatusLine(name, text, id);
}

LNSTATUS LNServerAddin::SetStatusLineText(uint32_t id, const LNString& text) {
    LNAddinStatusLine* line = Find(id);
    if (line == nullptr) return LNReturnOrThrow(LNERR_INVALID_STATUS_LINE);
    nnotes::SetStatusLineHandleText(line->LineHandle, LNNotesText(text));
    line->Text = text;
    return LNNOERROR;
}

LNSTATUS LNServerAddin::LogMessage(const LNString& text) {
    return LNReturnOrThrowNotesStatus(nnotes::WriteLogText(LNNotesText(text), 0));
}

bool LNServerAddin::HaveMinutesElapsed(uint32_t minutes) {
    return nnotes::SecondsElapsedQuery(std::min<uint32_t>(minutes, UINT32_MAX / 60) * 60);
}

bool LNServerAddin::HaveSecondsElapsed(uint32_t seconds) {
    return nnotes::SecondsElapsedQuery(seconds);
}

bool LNServerAddin::IsTerminating() {
    return nnotes::AddinStateQuery1();
}

bool LNServerAddin::HasDayElapsed() {
    return nnotes::AddinStateQuery2();
}

bool LNServerAddin::HaveMinutesPassed(uint32_t minutes) {
    return nnotes::AddinStateQuery3(minutes);
}

bool LNServerAddin::HasHourElapsed() {
    return nnotes::AddinStateQuery4();
}
