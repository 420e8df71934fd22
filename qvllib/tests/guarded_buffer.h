// A caller's buffer with canary bytes on both sides, and the text a bounded copy leaves in it, for the tests
// that check that a text result is cut at the caller's size and never written past it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace qvltest {

constexpr unsigned char kCanary = 0xA5;
constexpr size_t kGuard = 32;

// A caller's buffer of size bytes with canary bytes before and after it. The writer gets a pointer to the
// buffer (null when asked for) and the size to pass, which may differ from the room there is.
class GuardedBuffer {
public:
    explicit GuardedBuffer(int room)
        : bytes_(kGuard + static_cast<size_t>(std::max(room, 0)) + kGuard, kCanary) {}
    char* Data() { return reinterpret_cast<char*>(bytes_.data() + kGuard); }
    // Whether anything outside the first room bytes changed.
    bool GuardsHold(int room) const {
        const size_t inside = static_cast<size_t>(std::max(room, 0));
        for (size_t i = 0; i < bytes_.size(); ++i)
            if ((i < kGuard || i >= kGuard + inside) && bytes_[i] != kCanary) return false;
        return true;
    }
    bool Untouched() const {
        return std::all_of(bytes_.begin(), bytes_.end(), [](unsigned char c) { return c == kCanary; });
    }
    // The text written: up to the first zero inside the room; "<unterminated>" without one.
    std::string Text(int room) const {
        const size_t inside = static_cast<size_t>(std::max(room, 0));
        for (size_t i = 0; i < inside; ++i)
            if (bytes_[kGuard + i] == 0)
                return std::string(reinterpret_cast<const char*>(bytes_.data() + kGuard), i);
        return "<unterminated>";
    }

private:
    std::vector<unsigned char> bytes_;
};

// The text a bounded copy of text into size bytes leaves: at most size - 1 bytes.
inline std::string Cut(const std::string& text, int size) {
    return text.substr(0, std::min(text.size(), static_cast<size_t>(std::max(size, 1) - 1)));
}

} // namespace qvltest
