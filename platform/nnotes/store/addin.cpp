// Server add-in services: console status lines, the task's default line, messages and timers.
#include "files/settings.h"
#include "process/process.h"
#include "store/log_database.h"
#include "store/store_handles.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

namespace nnotes {
namespace {

struct StatusLine {
    std::string name;
    std::string text;
};

struct Addins {
    store::HandleTable<StatusLine> lines;
    std::mutex mutex; // guards the fields below
    DHANDLE defaultLine = NULLHANDLE;
    std::map<uint32_t, std::chrono::steady_clock::time_point> secondTimers, minuteTimers;
    bool dayStarted = false, hourStarted = false;
    long day = 0, hour = 0;
};

Addins& Shared() {
    static Addins* state = new Addins; // never destroyed: threads may still call in at exit
    return *state;
}

// Runs inside TermProcess, which holds the registry of releases: it must not register itself again.
void ReleaseAll() {
    Addins& a = Shared();
    a.lines.RemoveAll();
    std::lock_guard<std::mutex> guard(a.mutex);
    a.defaultLine = NULLHANDLE;
    a.secondTimers.clear();
    a.minuteTimers.clear();
    a.dayStarted = a.hourStarted = false;
}

// Every use registers the release, so that timers and lines start afresh with the next process start.
Addins& State() {
    AtTermProcess(ReleaseAll);
    return Shared();
}

std::string Bounded(const char* text) {
    return text == nullptr ? std::string() : std::string(text, strnlen(text, MAXPATH - 1));
}

void Copy(const std::string& text, char* out) {
    if (out == nullptr) return;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
}

// True when seconds have passed on the timer of that interval (the first call only starts it).
bool Elapsed(std::map<uint32_t, std::chrono::steady_clock::time_point>& timers, uint32_t interval,
             std::chrono::seconds length) {
    const auto now = std::chrono::steady_clock::now();
    const auto [it, started] = timers.emplace(interval, now);
    if (started) return length.count() == 0;
    if (now - it->second < length) return false;
    it->second = now;
    return true;
}

// True when the local value of unit (days or hours since the epoch) changed since the last true answer.
bool Changed(bool& started, long& last, long current) {
    const bool changed = started && current != last;
    if (!started || changed) last = current;
    started = true;
    return changed;
}

long LocalUnits(long seconds) {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    return static_cast<long>((now + local.tm_gmtoff) / seconds);
}

} // namespace

STATUS NewStatusLineHandle(const char* name, DHANDLE* line) {
    if (STATUS s = RequireProcess()) return s;
    if (line == nullptr) return ERR_MISSING_ARGUMENT;
    const DHANDLE handle = State().lines.Add(std::make_shared<StatusLine>(StatusLine{Bounded(name), {}}));
    if (handle == NULLHANDLE) return ERR_NO_MORE_HANDLES;
    *line = handle;
    return NOERROR;
}

STATUS FreeStatusLineHandle(DHANDLE line) {
    if (STATUS s = RequireProcess()) return s;
    Addins& a = State();
    if (a.lines.Remove(line) == nullptr) return ERR_STATUS_LINE;
    std::lock_guard<std::mutex> guard(a.mutex);
    if (a.defaultLine == line) a.defaultLine = NULLHANDLE;
    return NOERROR;
}

STATUS SetStatusLineHandleText(DHANDLE line, const char* text) {
    if (STATUS s = RequireProcess()) return s;
    Addins& a = State();
    const auto found = a.lines.Find(line);
    if (found == nullptr) return ERR_STATUS_LINE;
    std::lock_guard<std::mutex> guard(a.mutex);
    found->text = Bounded(text);
    return NOERROR;
}

STATUS GetStatusLineHandleText(DHANDLE line, char* name, char* text) {
    if (STATUS s = RequireProcess()) return s;
    Addins& a = State();
    const auto found = a.lines.Find(line);
    if (found == nullptr) return ERR_STATUS_LINE;
    std::lock_guard<std::mutex> guard(a.mutex);
    Copy(found->name, name);
    Copy(found->text, text);
    return NOERROR;
}

STATUS SetTaskStatusText(const char* text) {
    if (STATUS s = RequireProcess()) return s;
    DHANDLE line;
    {
        std::lock_guard<std::mutex> guard(State().mutex);
        line = State().defaultLine;
    }
    return line == NULLHANDLE ? ERR_STATUS_LINE : SetStatusLineHandleText(line, text);
}

STATUS GetTaskDefaults(DHANDLE* defaultLine, bool* exists) {
    if (STATUS s = RequireProcess()) return s;
    if (defaultLine == nullptr || exists == nullptr) return ERR_MISSING_ARGUMENT;
    std::lock_guard<std::mutex> guard(State().mutex);
    *defaultLine = State().defaultLine;
    *exists = *defaultLine != NULLHANDLE;
    return NOERROR;
}

STATUS SetTaskDefaults(DHANDLE oldDefault, DHANDLE newDefault) {
    if (STATUS s = RequireProcess()) return s;
    Addins& a = State();
    if (newDefault != NULLHANDLE && a.lines.Find(newDefault) == nullptr) return ERR_STATUS_LINE;
    std::lock_guard<std::mutex> guard(a.mutex);
    if (a.defaultLine == oldDefault || a.defaultLine == NULLHANDLE) a.defaultLine = newDefault;
    return NOERROR;
}

STATUS WriteLogText(const char* text, STATUS status) {
    if (STATUS s = RequireProcess()) return s;
    if (text == nullptr) return ERR_MISSING_ARGUMENT;
    const size_t n = strnlen(text, 0xFFFF);
    if (n == 0xFFFF) return ERR_ITEM_TOO_BIG;
    using logdb::Item;
    return logdb::Write({Item{"Form", TYPE_TEXT, {"Event"}}, Item{"Text", TYPE_TEXT, {std::string(text, n)}},
                         Item{"Status", TYPE_NUMBER, {}, static_cast<double>(status)}});
}

bool SecondsElapsedQuery(uint32_t seconds) {
    std::lock_guard<std::mutex> guard(State().mutex);
    return Elapsed(State().secondTimers, seconds, std::chrono::seconds(seconds));
}

bool AddinStateQuery1() {
    const auto value = settings::NotesValue("AddinStop");
    return value.has_value() && std::atol(value->c_str()) != 0;
}

bool AddinStateQuery2() {
    std::lock_guard<std::mutex> guard(State().mutex);
    return Changed(State().dayStarted, State().day, LocalUnits(86400));
}

bool AddinStateQuery3(uint32_t minutes) {
    std::lock_guard<std::mutex> guard(State().mutex);
    return Elapsed(State().minuteTimers, minutes, std::chrono::minutes(minutes));
}

bool AddinStateQuery4() {
    std::lock_guard<std::mutex> guard(State().mutex);
    return Changed(State().hourStarted, State().hour, LocalUnits(3600));
}

} // namespace nnotes
