#include "views/reply_block.h"

#include "memory/memory.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace nnotes::views {
namespace {

size_t RoundUpToPage(size_t n) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (n + page - 1) / page * page;
}

} // namespace

ReplyBlock::~ReplyBlock() {
    if (handle_ != NULLHANDLE) FreeBlock(handle_);
}

STATUS ReplyBlock::Start(size_t capacity) {
    capacity = std::min<size_t>(RoundUpToPage(std::max<size_t>(capacity, 1)), MAXBLOCKSIZE);
    if (STATUS s = AllocateBlock(0, static_cast<uint32_t>(capacity), &handle_)) return failure_ = s;
    uint32_t size = 0;
    base_ = PeekBlock(handle_, &size);
    capacity_ = size;
    return NOERROR;
}

bool ReplyBlock::Room(size_t more) {
    if (failure_ != NOERROR) return false;
    if (more <= capacity_ - size_) return true;
    if (more > MAXBLOCKSIZE - size_) {
        failure_ = ERR_BLOCK_TOO_LARGE;
        return false;
    }
    // The block's region never moves: growing it in place touches only the new pages. It grows by a quarter
    // at a time, so that what it hands over is seldom more than a page short of its room.
    const size_t capacity = std::min<size_t>(RoundUpToPage(size_ + more + capacity_ / 4), MAXBLOCKSIZE);
    if (STATUS s = ResizeBlock(handle_, static_cast<uint32_t>(capacity))) {
        failure_ = s;
        return false;
    }
    capacity_ = capacity;
    return true;
}

void ReplyBlock::append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (handle_ != NULLHANDLE || failure_ != NOERROR) {
        if (!Room(bytes.size())) return;
        std::memcpy(base_ + size_, bytes.data(), bytes.size());
    }
    size_ += bytes.size();
}

void ReplyBlock::resize(size_t size) {
    size_ = std::min(size, size_);
}

STATUS ReplyBlock::Take(DHANDLE* handle) {
    *handle = NULLHANDLE;
    if (failure_ != NOERROR) return failure_;
    if (handle_ == NULLHANDLE || size_ == 0) return NOERROR;
    if (size_ != capacity_)
        if (STATUS s = ResizeBlock(handle_, static_cast<uint32_t>(size_))) return s;
    *handle = handle_;
    handle_ = NULLHANDLE;
    base_ = nullptr;
    return NOERROR;
}

} // namespace nnotes::views
