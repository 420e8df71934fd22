// Connecting to the word processor by program identifier, as an automation client does: the running
// instance or a new one. A process-wide table holds the instances that run; an instance runs from its
// creation until AppClose or FileExit, whether or not any handle to it is left.

#include "unicode_text.h"
#include "word/word.h"
#include "word_processor.h"

#include <mutex>

namespace word {
namespace {

class Instance : public AutomationObject {
public:
    void Invoke(const std::string& method, const std::vector<Argument>& arguments) override;

    // Called with the registry locked.
    void Stop() {
        std::lock_guard lock(mutex_);
        processor_.CloseAll();
        running_ = false;
    }

private:
    std::mutex mutex_; // one call at a time, as a single-threaded apartment serves them
    WordProcessor processor_;
    bool running_ = true; // guarded by the registry's mutex
};

struct Registry {
    std::mutex mutex;
    bool available = true;
    std::vector<std::shared_ptr<Instance>> running;
    std::vector<std::string> received;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::string Describe(const std::string& method, const std::vector<Argument>& arguments) {
    std::string text = method + "(";
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) text += ", ";
        if (!arguments[i].name.empty()) text += arguments[i].name + ":=";
        if (const auto* value = std::get_if<std::string>(&arguments[i].value))
            text += "\"" + *value + "\"";
        else
            text += std::to_string(std::get<std::int32_t>(arguments[i].value));
    }
    return text + ")";
}

void CheckProgram(const std::string& programId, const Registry& registry) {
    if (!EqualsNoCase(programId, kProgramId)) throw AutomationError("Invalid class string: " + programId);
    if (!registry.available) throw AutomationError(programId + " is not available on this machine");
}

} // namespace

void Instance::Invoke(const std::string& method, const std::vector<Argument>& arguments) {
    Registry& registry = TheRegistry();
    {
        std::lock_guard lock(registry.mutex);
        registry.received.push_back(Describe(method, arguments));
        if (!running_) throw AutomationError("The remote procedure call failed: the program has been closed");
    }
    bool stillRunning = false;
    {
        std::lock_guard lock(mutex_);
        stillRunning = processor_.Run(method, arguments);
    }
    if (stillRunning) return;
    std::lock_guard lock(registry.mutex);
    running_ = false;
    std::erase_if(registry.running, [this](const auto& instance) { return instance.get() == this; });
}

std::shared_ptr<AutomationObject> GetActiveObject(const std::string& programId) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    CheckProgram(programId, registry);
    if (registry.running.empty())
        throw AutomationError("Operation unavailable: " + programId + " is not running");
    return registry.running.front();
}

std::shared_ptr<AutomationObject> CreateObject(const std::string& programId) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    CheckProgram(programId, registry);
    registry.running.push_back(std::make_shared<Instance>());
    return registry.running.back();
}

void SetProgramAvailable(bool available) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.available = available;
}

bool IsProgramRunning() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return !registry.running.empty();
}

std::vector<std::string> ReceivedCommands() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.received;
}

void ResetAutomation() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (const auto& instance : registry.running)
        instance->Stop();
    registry.running.clear();
    registry.received.clear();
    registry.available = true;
}

} // namespace word
