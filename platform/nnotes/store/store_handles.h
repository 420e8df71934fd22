// A process-wide table of handles to shared objects: handles are non-zero 32-bit values and never handed out
// twice in one process, so a stale handle finds nothing instead of someone else's object.
#pragma once

#include "process/process.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace nnotes::store {

template <class T>
class HandleTable {
public:
    // 0 when every handle has been used.
    uint32_t Add(std::shared_ptr<T> object) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (next_ == 0) return 0;
        const uint32_t handle = next_++;
        objects_.emplace(handle, std::move(object));
        return handle;
    }

    std::shared_ptr<T> Find(uint32_t handle) const {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second;
    }

    std::shared_ptr<T> Remove(uint32_t handle) {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end()) return nullptr;
        auto object = std::move(it->second);
        objects_.erase(it);
        return object;
    }

    // Empties the table; the objects are returned so that they are released outside the table's lock.
    std::vector<std::shared_ptr<T>> RemoveAll() {
        std::lock_guard<std::mutex> guard(mutex_);
        std::vector<std::shared_ptr<T>> all;
        for (auto& [handle, object] : objects_)
            all.push_back(std::move(object));
        objects_.clear();
        return all;
    }

    template <class Predicate>
    bool Any(Predicate p) const {
        std::lock_guard<std::mutex> guard(mutex_);
        for (const auto& [handle, object] : objects_)
            if (p(*object)) return true;
        return false;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<uint32_t, std::shared_ptr<T>> objects_;
    uint32_t next_ = 1;
};

// The process-wide table of T. It is emptied at the last TermProcess (while blocks can still be freed) and
// never destroyed: at exit its objects would free blocks of a memory registry that may be gone already.
template <class T>
HandleTable<T>& ProcessTable() {
    static auto* table = new HandleTable<T>;
    return *table;
}

template <class T>
void EmptyProcessTable() {
    ProcessTable<T>().RemoveAll();
}

// Adds object to the process-wide table of T; 0 when every handle has been used.
template <class T>
uint32_t AddToProcessTable(std::shared_ptr<T> object) {
    AtTermProcess(EmptyProcessTable<T>);
    return ProcessTable<T>().Add(std::move(object));
}

} // namespace nnotes::store
