// Process and thread start and end.
#include "process/process.h"

#include "memory/memory.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace nnotes {
namespace {

struct ProcessState {
    std::mutex mutex;
    std::atomic<unsigned> starts{0};
    std::vector<void (*)()> releasers;
};

// Never destroyed: other libraries' static destructors may still call in after ours would have run.
ProcessState& State() {
    static ProcessState* state = new ProcessState;
    return *state;
}

thread_local unsigned threadStarts = 0;

} // namespace

STATUS RequireProcess() {
    return State().starts.load(std::memory_order_acquire) > 0 ? NOERROR : ERR_NOT_INITIALIZED;
}

void AtTermProcess(void (*release)()) {
    ProcessState& state = State();
    std::lock_guard lock(state.mutex);
    if (std::find(state.releasers.begin(), state.releasers.end(), release) == state.releasers.end())
        state.releasers.push_back(release);
}

STATUS InitProcess(int /*argc*/, char** /*argv*/) {
    ProcessState& state = State();
    std::lock_guard lock(state.mutex);
    state.starts.fetch_add(1, std::memory_order_acq_rel);
    return NOERROR;
}

STATUS TermProcess() {
    ProcessState& state = State();
    std::lock_guard lock(state.mutex);
    const unsigned starts = state.starts.load(std::memory_order_acquire);
    if (starts == 0) return ERR_NOT_INITIALIZED;
    if (starts == 1) {
        for (auto it = state.releasers.rbegin(); it != state.releasers.rend(); ++it)
            (*it)();
    }
    state.starts.store(starts - 1, std::memory_order_release);
    if (starts == 1) ReleaseAllBlocks();
    return NOERROR;
}

STATUS InitThread() {
    if (STATUS status = RequireProcess()) return status;
    ++threadStarts;
    return NOERROR;
}

STATUS TermThread() {
    if (threadStarts == 0) return ERR_THREAD_NOT_INITIALIZED;
    --threadStarts;
    return NOERROR;
}

} // namespace nnotes
