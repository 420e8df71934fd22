// Texts, flags and small actions of an open note that the object layer hands on as they are.
#include "store/note.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace nnotes {
namespace {

// Copies text into out (size bytes), cut and terminated; the bytes written.
uint16_t CopyCut(const std::string& text, char* out, size_t size) {
    if (size == 0) return 0;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<uint16_t>(n);
}

std::string Hex(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

const char* ClassName(uint16_t noteClass) {
    static const struct {
        uint16_t bit;
        const char* name;
    } kNames[] = {{NOTE_CLASS_FILTER, "Agent"},   {NOTE_CLASS_DOCUMENT, "Document"},
                  {NOTE_CLASS_FORM, "Form"},      {NOTE_CLASS_VIEW, "View"},
                  {NOTE_CLASS_ICON, "Icon"},      {NOTE_CLASS_INFO, "Info"},
                  {NOTE_CLASS_HELP, "Help"},      {NOTE_CLASS_HELP_INDEX, "HelpIndex"},
                  {NOTE_CLASS_FIELD, "Field"},    {NOTE_CLASS_REPLFORMULA, "ReplicationFormula"},
                  {NOTE_CLASS_PRIVATE, "Private"}};
    for (const auto& n : kNames)
        if ((noteClass & n.bit) != 0) return n.name;
    return "Note";
}

} // namespace

STATUS GetNoteTextByLength(NOTEHANDLE handle, char* buffer, uint16_t size, uint16_t* length, uint16_t) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (buffer == nullptr || size == 0) return ERR_MISSING_ARGUMENT;
    const ORIGINATORID& oid = note->oid;
    const std::string text =
        Hex(oid.file.words[1]) + Hex(oid.file.words[0]) + Hex(oid.note.words[1]) + Hex(oid.note.words[0]);
    const uint16_t written = CopyCut(text, buffer, size);
    if (length != nullptr) *length = written;
    return NOERROR;
}

STATUS GetNoteTexts(NOTEHANDLE handle, uint16_t, uint16_t, char* first, char* second) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (first == nullptr || second == nullptr) return ERR_MISSING_ARGUMENT;
    CopyCut(ClassName(note->noteClass), first, MAXPATH);
    CopyCut("NT" + Hex(note->id), second, MAXPATH);
    return NOERROR;
}

STATUS GetNoteFlagPair(NOTEHANDLE handle, uint32_t* first, uint32_t* second) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (first == nullptr || second == nullptr) return ERR_MISSING_ARGUMENT;
    *first = note->noteClass;
    *second = note->origin.has_value() ? 0 : 1;
    return NOERROR;
}

STATUS NoteActionA(NOTEHANDLE handle, uint16_t, uint16_t) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    Instant now;
    if (STATUS s = CurrentTime(&now)) return s;
    ++note->oid.sequence;
    note->oid.sequenceTime = now;
    return NOERROR;
}

STATUS NoteActionB(NOTEHANDLE handle) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    return CurrentTime(&note->accessed);
}

STATUS NoteActionC(NOTEHANDLE handle) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    note->accessed = Instant{};
    return NOERROR;
}

} // namespace nnotes
