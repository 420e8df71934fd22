// The bytes of one read of a collection's entries, written straight into the memory block the read hands
// over: the entries are not gathered elsewhere first and copied in at the end.
#pragma once

#include "nnotes/nnotes.h"

#include <cstddef>
#include <string_view>

namespace nnotes::views {

class ReplyBlock {
public:
    ReplyBlock() = default;
    ~ReplyBlock();
    ReplyBlock(const ReplyBlock&) = delete;
    ReplyBlock& operator=(const ReplyBlock&) = delete;

    // Makes the block, with room for capacity bytes (it grows in place as bytes are added). Until then the
    // bytes added are only counted, for a read that gives no buffer but stops where a buffer would be full.
    STATUS Start(size_t capacity);
    size_t size() const { return size_; }
    // What making or growing the block failed with; the bytes added since are left out.
    STATUS Failure() const { return failure_; }

    void append(std::string_view bytes);
    template <class T>
    void Put(T value) {
        append(std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
    }
    // Takes back the bytes past size (no more than it holds).
    void resize(size_t size);
    // Hands over the block, its size the bytes added; the caller frees it. Nothing when no byte was added.
    STATUS Take(DHANDLE* handle);

private:
    bool Room(size_t more);

    DHANDLE handle_ = NULLHANDLE;
    std::byte* base_ = nullptr;
    size_t size_ = 0, capacity_ = 0;
    STATUS failure_ = NOERROR;
};

} // namespace nnotes::views
