#include "chunked_text.h"

namespace word {

std::string& ChunkedText::Tail() {
    if (chunks_.empty()) {
        chunks_.emplace_back();
        chunks_.back().reserve(kChunkSize + kChunkSize / 4);
    }
    return chunks_.back();
}

void ChunkedText::EndPiece() {
    if (!chunks_.empty() && chunks_.back().size() >= kChunkSize) {
        chunks_.emplace_back();
        chunks_.back().reserve(kChunkSize + kChunkSize / 4);
    }
}

std::string ChunkedText::Join() const {
    size_t size = 0;
    for (const std::string& chunk : chunks_)
        size += chunk.size();
    std::string text;
    text.reserve(size);
    for (const std::string& chunk : chunks_)
        text += chunk;
    return text;
}

} // namespace word
