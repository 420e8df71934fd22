#include "json_tree.h"

#include "failure.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace nsfadmin {
namespace {

// Builds the tree from nlohmann's parser events. The containers on the stack do not move while they are
// open: their parent gets no further element until they are closed (a streamed array holds at most the one
// element being read).
class TreeBuilder {
public:
    using number_integer_t = int64_t;
    using number_unsigned_t = uint64_t;
    using number_float_t = double;
    using string_t = std::string;
    using binary_t = nlohmann::json::binary_t;

    TreeBuilder(const std::string& source, const JsonStreamed* streamed)
        : source_(source), streamed_(streamed) {}

    JsonValue& Root() { return root_; }

    bool null() {
        Place(JsonValue::Kind::Null);
        return Placed();
    }
    bool boolean(bool b) {
        Place(JsonValue::Kind::Boolean)->boolean = b;
        return Placed();
    }
    bool number_integer(int64_t n) {
        Place(JsonValue::Kind::Integer)->integer = n;
        return Placed();
    }
    bool number_unsigned(uint64_t n) {
        Place(JsonValue::Kind::Unsigned)->unsignedInteger = n;
        return Placed();
    }
    bool number_float(double n, const std::string&) {
        Place(JsonValue::Kind::Float)->floating = n;
        return Placed();
    }
    bool string(std::string& s) {
        Place(JsonValue::Kind::String)->text = std::move(s);
        return Placed();
    }
    bool binary(binary_t&) { return false; } // JSON text has none
    bool start_object(std::size_t) { return Open(JsonValue::Kind::Object); }
    bool key(std::string& k) {
        stack_.back().value->members.push_back(JsonMember{std::move(k), JsonValue()});
        return true;
    }
    bool end_object() {
        stack_.pop_back();
        return Placed();
    }
    bool start_array(std::size_t) { return Open(JsonValue::Kind::Array); }
    bool end_array() {
        stack_.pop_back();
        return Placed();
    }
    [[noreturn]] bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception& e) {
        // nlohmann's text names line and column after its own "[json.exception...] " tag, except for a number
        // out of range, whose place is given here.
        const std::string what = e.what();
        const size_t tag = what.find("] ");
        const std::string text = tag == std::string::npos ? what : what.substr(tag + 2);
        if (dynamic_cast<const nlohmann::json::out_of_range*>(&e) != nullptr)
            throw Failure(source_ + ": " + PlaceOfNext() + ": " + text);
        throw Failure(source_ + ": " + text);
    }

private:
    struct Level {
        JsonValue* value;
        size_t count = 0;      // elements of an array begun so far
        bool streamed = false; // elements are handed on rather than kept
    };

    JsonValue* Place(JsonValue::Kind kind) {
        JsonValue* value = &root_;
        if (!stack_.empty()) {
            Level& container = stack_.back();
            if (container.value->kind == JsonValue::Kind::Array) {
                container.value->elements.emplace_back();
                value = &container.value->elements.back();
                ++container.count;
            } else {
                value = &container.value->members.back().value;
            }
        }
        value->kind = kind;
        return value;
    }

    // A value is complete: an element of a streamed array is handed on.
    bool Placed() {
        if (!stack_.empty() && stack_.back().streamed) {
            Level& array = stack_.back();
            JsonValue element = std::move(array.value->elements.back());
            array.value->elements.clear(); // keeps its room for the next element
            streamed_->onElement(std::move(element), array.count - 1);
        }
        return true;
    }

    bool Open(JsonValue::Kind kind) {
        if (stack_.size() >= static_cast<size_t>(kMaxJsonDepth))
            throw Failure(source_ + ": " + PlaceOfNext() + ": objects and arrays are nested more than " +
                          std::to_string(kMaxJsonDepth) + " deep");
        const bool streamed = kind == JsonValue::Kind::Array && streamed_ != nullptr && stack_.size() == 1 &&
                              root_.kind == JsonValue::Kind::Object &&
                              root_.members.back().name == streamed_->key;
        stack_.push_back({Place(kind), 0, streamed});
        return true;
    }

    // The JSON pointer of the value about to be read.
    std::string PlaceOfNext() const {
        std::string place;
        for (size_t i = 0; i < stack_.size(); ++i) {
            const Level& level = stack_[i];
            const bool last = i + 1 == stack_.size();
            if (level.value->kind == JsonValue::Kind::Array)
                place = PointerStep(place, last ? level.count : level.count - 1);
            else
                place = PointerStep(place, level.value->members.back().name);
        }
        return place.empty() ? "/" : place;
    }

    const std::string& source_;
    const JsonStreamed* streamed_;
    JsonValue root_;
    std::vector<Level> stack_;
};

// A file's bytes read a buffer at a time, for the parser as an input iterator. A read error ends the bytes
// and is kept for the caller.
class FileBytes {
public:
    explicit FileBytes(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0) error_ = errno;
    }
    ~FileBytes() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    int Error() const { return error_; }

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = const char&;

        Iterator() = default; // the end
        explicit Iterator(FileBytes* file) : file_(file) {}
        reference operator*() const { return file_->buffer_[file_->at_]; }
        Iterator& operator++() {
            ++file_->at_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return AtEnd() == other.AtEnd(); }
        bool operator!=(const Iterator& other) const { return !(*this == other); }

    private:
        bool AtEnd() const { return file_ == nullptr || !file_->Fill(); }
        FileBytes* file_ = nullptr;
    };

private:
    // True while a byte is there to read.
    bool Fill() {
        if (at_ < size_) return true;
        if (fd_ < 0 || error_ != 0) return false;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error_ = errno;
            at_ = 0;
            size_ = n > 0 ? static_cast<size_t>(n) : 0;
            return size_ > 0;
        }
    }

    int fd_;
    int error_ = 0;
    char buffer_[1 << 16];
    size_t at_ = 0, size_ = 0;
};

} // namespace

double JsonValue::Number() const {
    switch (kind) {
    case Kind::Integer:
        return static_cast<double>(integer);
    case Kind::Unsigned:
        return static_cast<double>(unsignedInteger);
    default:
        return floating;
    }
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : members)
        if (name == key) return &value;
    return nullptr;
}

std::string PointerStep(const std::string& place, std::string_view key) {
    std::string step = place + "/";
    for (char c : key)
        step += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
    return step;
}

std::string PointerStep(const std::string& place, size_t index) {
    return place + "/" + std::to_string(index);
}

JsonValue ParseJson(const JsonInput& input, const std::string& sourceName, const JsonStreamed* streamed) {
    TreeBuilder builder(sourceName, streamed);
    if (input.file == nullptr) {
        nlohmann::json::sax_parse(input.text, &builder);
        return std::move(builder.Root());
    }
    FileBytes file(*input.file);
    if (file.Error() != 0) throw Failure(sourceName + ": cannot be read: " + std::strerror(file.Error()));
    try {
        nlohmann::json::sax_parse(FileBytes::Iterator(&file), FileBytes::Iterator(), &builder);
    } catch (const Failure&) {
        // The end of the text it met may have been a read error.
        if (file.Error() != 0) throw Failure(sourceName + ": cannot be read: " + std::strerror(file.Error()));
        throw;
    }
    if (file.Error() != 0) throw Failure(sourceName + ": cannot be read: " + std::strerror(file.Error()));
    return std::move(builder.Root());
}

} // namespace nsfadmin
