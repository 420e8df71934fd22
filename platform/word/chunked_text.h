// Text built in pieces of about a megabyte. A large merged document then needs no single large block of
// memory, whose fresh pages cost more per byte than the reused ones of smaller blocks, and is never copied
// whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace word {

class ChunkedText {
public:
    ChunkedText() = default;
    explicit ChunkedText(std::string text) { chunks_.push_back(std::move(text)); }

    // The chunk to append to.
    std::string& Tail();
    // Call between appends: starts a new chunk once the tail has grown to the chunk size.
    void EndPiece();

    const std::vector<std::string>& Chunks() const { return chunks_; }
    std::string_view Front() const {
        return chunks_.empty() ? std::string_view() : std::string_view(chunks_[0]);
    }
    std::string Join() const;

private:
    static constexpr size_t kChunkSize = size_t{1} << 20;
    std::vector<std::string> chunks_;
};

} // namespace word
