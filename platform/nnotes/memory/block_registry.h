// The live memory blocks by handle. Handles are handed out in order and most blocks live briefly, so the
// recent ones sit in a window indexed from its first handle; the few that outlive the window move to a
// table. After the last handle the handles come round again from 1, passing over those of blocks still
// alive, so that a stale handle finds nothing until every handle has been handed out since.
#pragma once

#include "nnotes/memblock.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <unordered_map>

namespace nnotes {

struct Block {
    std::byte* base;
    uint32_t size;
    uint32_t locks;
};

class BlockRegistry {
public:
    static constexpr size_t kWindow = 1024;

    // last: the largest handle; lastHanded: the handle before the first one to hand out (tests).
    explicit BlockRegistry(DHANDLE last = std::numeric_limits<DHANDLE>::max(),
                           DHANDLE lastHanded = NULLHANDLE)
        : last_(last), base_(lastHanded >= last ? 1 : lastHanded + 1) {}

    // The new block's handle; NULLHANDLE when every handle is in use.
    DHANDLE Add(const Block& block) {
        if (live_ >= last_) return NULLHANDLE;
        uint64_t next = uint64_t{base_} + recent_.size();
        if (next > last_) {
            // Round again: the window starts afresh at 1, and the blocks still in it move to the table.
            ForEachInWindow([&](DHANDLE handle, const Block& alive) { old_.emplace(handle, alive); });
            recent_.clear();
            base_ = 1;
            next = 1;
            roundedOnce_ = true;
        }
        // Handles of blocks still alive from an earlier round are passed over: their slots stay empty. In
        // the first round every block in the table has a handle below the window's.
        while (roundedOnce_ && old_.count(static_cast<DHANDLE>(next)) != 0) {
            recent_.emplace_back();
            if (++next > last_) return Add(block); // only blocks of earlier rounds up to the last handle
        }
        recent_.push_back(block);
        ++live_;
        while (recent_.size() > kWindow) {
            if (recent_.front()) old_.emplace(base_, *recent_.front());
            recent_.pop_front();
            ++base_;
        }
        return static_cast<DHANDLE>(next);
    }

    Block* Find(DHANDLE handle) {
        if (InWindow(handle))
            if (std::optional<Block>& block = recent_[handle - base_]) return &*block;
        auto it = old_.find(handle);
        return it == old_.end() ? nullptr : &it->second;
    }

    bool Remove(DHANDLE handle, Block& removed) {
        if (InWindow(handle)) {
            if (std::optional<Block>& block = recent_[handle - base_]) {
                removed = *block;
                block.reset();
                --live_;
                while (!recent_.empty() && !recent_.front()) {
                    recent_.pop_front();
                    ++base_;
                }
                return true;
            }
        }
        auto it = old_.find(handle);
        if (it == old_.end()) return false;
        removed = it->second;
        old_.erase(it);
        --live_;
        return true;
    }

    template <class Fn>
    void ForEach(Fn fn) const {
        ForEachInWindow([&](DHANDLE, const Block& block) { fn(block); });
        for (const auto& [handle, block] : old_)
            fn(block);
    }

    // Forgets every block; the handles go on from where they were.
    void Clear() {
        const uint64_t next = uint64_t{base_} + recent_.size();
        recent_.clear();
        old_.clear();
        live_ = 0;
        base_ = next > last_ ? 1 : static_cast<DHANDLE>(next);
        roundedOnce_ = roundedOnce_ || next > last_;
    }

private:
    bool InWindow(DHANDLE handle) const { return handle >= base_ && handle - base_ < recent_.size(); }

    template <class Fn>
    void ForEachInWindow(Fn fn) const {
        for (size_t i = 0; i < recent_.size(); ++i)
            if (recent_[i]) fn(static_cast<DHANDLE>(base_ + i), *recent_[i]);
    }

    const DHANDLE last_;
    std::deque<std::optional<Block>> recent_; // handles base_, base_ + 1, ...
    DHANDLE base_;
    std::unordered_map<DHANDLE, Block> old_;
    uint64_t live_ = 0;
    bool roundedOnce_ = false;
};

} // namespace nnotes
