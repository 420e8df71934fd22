// A process-wide table of handles to shared objects: handles are non-zero values up to the table's last one,
// handed out in order. After the last they come round again from 1, passing over the handles still in use,
// so that a stale handle finds nothing until every handle of the table has been handed out since.
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
    // last: the largest handle, for handles narrower than 32 bits; first: where the handles start (tests).
    explicit HandleTable(uint32_t last = UINT32_MAX, uint32_t first = 1)
        : lastHandleOfTable_(last), next_(first) {}

    // 0 when every handle is in use.
    uint32_t Add(std::shared_ptr<T> object) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (objects_.size() >= lastHandleOfTable_) return 0;
        // In the first round no handle at or after the next one is in use.
        while (rounded_ && objects_.count(next_) != 0)
            Advance();
        const uint32_t handle = next_;
        Advance();
        auto [it, added] = objects_.emplace(handle, std::move(object));
        Remember(handle, &it->second); // a new object's handle is most often the next one asked for
        return handle;
    }

    std::shared_ptr<T> Find(uint32_t handle) const {
        std::lock_guard<std::mutex> guard(mutex_);
        if (handle != 0 && handle == lastHandle_) return *last_;
        auto it = objects_.find(handle);
        if (it == objects_.end()) return nullptr;
        Remember(handle, &it->second);
        return it->second;
    }

    std::shared_ptr<T> Remove(uint32_t handle) {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end()) return nullptr;
        if (handle == lastHandle_) Remember(0, nullptr);
        auto object = std::move(it->second);
        objects_.erase(it);
        return object;
    }

    // Empties the table; the objects are returned so that they are released outside the table's lock.
    std::vector<std::shared_ptr<T>> RemoveAll() {
        std::lock_guard<std::mutex> guard(mutex_);
        std::vector<std::shared_ptr<T>> all;
        Remember(0, nullptr);
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
    // The entry last added or found, for the run of calls on one object that callers make: its handle (0
    // for none, which is never handed out) and its place in the map, which stays put while the entry lives.
    void Remember(uint32_t handle, const std::shared_ptr<T>* object) const {
        lastHandle_ = handle;
        last_ = object;
    }

    void Advance() {
        rounded_ = rounded_ || next_ >= lastHandleOfTable_;
        next_ = next_ >= lastHandleOfTable_ ? 1 : next_ + 1;
    }

    mutable std::mutex mutex_;
    std::unordered_map<uint32_t, std::shared_ptr<T>> objects_;
    const uint32_t lastHandleOfTable_;
    uint32_t next_;
    bool rounded_ = false;
    mutable uint32_t lastHandle_ = 0;
    mutable const std::shared_ptr<T>* last_ = nullptr;
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

// Adds object to the process-wide table of T; 0 when every handle is in use.
template <class T>
uint32_t AddToProcessTable(std::shared_ptr<T> object) {
    // Registered once: the process keeps its releasers from one start to the next.
    static const bool registered = (AtTermProcess(EmptyProcessTable<T>), true);
    (void)registered;
    return ProcessTable<T>().Add(std::move(object));
}

} // namespace nnotes::store
