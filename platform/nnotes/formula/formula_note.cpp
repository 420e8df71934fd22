// Reaching a note's document from a note handle.
#include "formula/formula_engine.h"
#include "formula/formula_value.h"
#include "store/note_formula.h"

namespace nnotes {
namespace store {
namespace {

class NoteView : public formula::FormulaNote {
public:
    explicit NoteView(std::shared_ptr<const Note> note) : note_(std::move(note)) {}

    STATUS GetItem(std::string_view name, formula::Value* value) const override {
        const size_t i = note_->FindName(name, 0);
        if (name.empty() || i == note_->Items().size()) return ERR_ITEM_NOT_FOUND;
        switch (note_->Items()[i].type) {
        case TYPE_TEXT:
        case TYPE_TEXT_LIST:
        case TYPE_NUMBER:
        case TYPE_NUMBER_RANGE:
        case TYPE_TIME:
        case TYPE_TIME_RANGE:
            break;
        default:
            return ERR_ITEM_NOT_FOUND; // rich text and other kinds read as "" in a formula
        }
        std::string bytes;
        if (STATUS s = note_->ValueOf(note_->Items()[i], bytes)) return s;
        return formula::DecodeValue(bytes.data(), bytes.size(), value);
    }

    STATUS IsResponse(bool* response) const override {
        *response = note_->FindName(FIELD_REF, 0) < note_->Items().size();
        return NOERROR;
    }

    STATUS GetCreated(Instant* when) const override {
        *when = note_->oid.note;
        return NOERROR;
    }

    STATUS GetModified(Instant* when) const override {
        *when = note_->oid.sequenceTime;
        return NOERROR;
    }

private:
    std::shared_ptr<const Note> note_;
};

} // namespace

std::unique_ptr<formula::FormulaNote> FormulaViewOf(std::shared_ptr<const Note> note) {
    return std::make_unique<NoteView>(std::move(note));
}

} // namespace store

namespace formula {

STATUS OpenFormulaNote(NOTEHANDLE handle, std::unique_ptr<FormulaNote>* out) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s == ERR_NOTE_HANDLE ? ERR_FORMULA_BAD_NOTE : s;
    *out = store::FormulaViewOf(std::move(note));
    return NOERROR;
}

} // namespace formula
} // namespace nnotes
