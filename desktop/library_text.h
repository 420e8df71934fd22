// Texts from the data-access library: its exports fill caller buffers with 8-bit text, at most size - 1
// bytes of it, cut wherever that limit falls, even inside a character.
#pragma once

#include <QString>

#include <functional>
#include <vector>

// The text the library left in a buffer of that size. When it fills the buffer, a character cut at the end
// is left out rather than shown as a replacement character; any other invalid byte is shown as one.
QString LibraryText(const char* text, int size);

// For an export that gives the same text each time it is asked (a title, a name by index, a value of the
// current row): while the text fills the buffer it is asked again with a larger one, so that nothing is cut.
QString ReadWholeLibraryText(const std::function<void(char*, int)>& fill);

// A buffer for the exports that step as they answer (categories, keywords), which cannot be asked twice. It
// holds the longest text an item entry can hold, so that a category compares equal to the column value
// that GetData gives for it; one buffer serves a whole walk.
class SteppedText {
public:
    static constexpr int kSize = 65536;
    SteppedText() : buffer_(kSize + 1, '\0') {}
    char* Data() { return buffer_.data(); }
    int Size() const { return kSize; }
    // The text of the last answer; the buffer is emptied for the next one.
    QString Take();

private:
    std::vector<char> buffer_;
};
