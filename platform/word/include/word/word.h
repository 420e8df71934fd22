// The "Word.Basic" automation object: a word processor of our own that the desktop program drives by the
// command names and arguments a word processor's automation interface takes. It opens RTF and DOCX
// templates, merges a tab-separated data file into them, creates merge templates and saves documents that
// Word and LibreOffice open.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace word {

// The program identifier under which the word processor is reached.
inline constexpr const char* kProgramId = "Word.Basic";

// A failure reported by the automation layer or by the word processor behind it. It is its own kind so
// that callers can tell an unavailable or refusing word processor from their own faults.
class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An argument value: automation passes strings and 32-bit integers here.
using ArgumentValue = std::variant<std::string, std::int32_t>;

// One argument of a call: positional when name is empty, otherwise named. Names compare case-insensitively.
struct Argument {
    std::string name;
    ArgumentValue value;
};

inline Argument Positional(ArgumentValue value) {
    return {"", std::move(value)};
}
inline Argument Named(std::string name, ArgumentValue value) {
    return {std::move(name), std::move(value)};
}

// A handle to a running instance of the word processor. Copies of the handle share the instance; releasing
// every handle does not close it (as with a real application, AppClose or FileExit does).
class AutomationObject {
public:
    virtual ~AutomationObject() = default;

    // Calls a command by name (case-insensitive). Positional arguments bind in order, named ones by name.
    // Throws AutomationError for an unknown command or argument, a missing or unreadable file, a command
    // with no document to act on, or an instance that has been closed; nothing is written then.
    virtual void Invoke(const std::string& method, const std::vector<Argument>& arguments = {}) = 0;
};

// The running instance of the program (the first one created and not yet closed). Throws AutomationError
// when the program identifier is unknown, the program is unavailable or no instance is running.
std::shared_ptr<AutomationObject> GetActiveObject(const std::string& programId);

// Starts a new instance. Throws AutomationError when the program identifier is unknown or the program is
// unavailable.
std::shared_ptr<AutomationObject> CreateObject(const std::string& programId);

// ---- Test support
// ------------------------------------------------------------------------------------------

// Makes the program unavailable (as on a machine without it) or available again.
void SetProgramAvailable(bool available);

// True while some instance runs.
bool IsProgramRunning();

// Every call received by any instance since the last reset, in order, written as
// Method(positional, Name:=value) with strings in double quotes: FileClose(2), FileOpen(name:="/t/a.doc").
std::vector<std::string> ReceivedCommands();

// Closes every instance without saving, makes the program available and clears the received commands.
void ResetAutomation();

} // namespace word
