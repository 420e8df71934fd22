// The merge-history write-back: one more line of history in one document of the open data source.
#include "exportguard.h"
#include "libstate.h"
#include "ln/lndocument.h"
#include "ln/lntext.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "qvllib/qvllib.h"

#include <algorithm>
#include <cstring>

namespace {

// Item flags and duplicate rule of a new history item: summary, and never a second item of the name.
constexpr uint16_t kHistoryItemFlags = 4;
constexpr uint32_t kRefuseDuplicate = 2;
// How often a write-back reads the document again after another writer saved it first. Every conflict means
// that other writer's save went through, so a write-back loses this many races only under a storm of them.
constexpr int kConflictRetries = 100;

// Whether the note holds more than one item of the name (matched without regard to case, as items are).
bool HasSecondItem(const LNDocument& document, const char* item) {
    const LNNoteBody* body = document.GetNoteBody();
    if (body == nullptr) return false;
    const nnotes::NOTEHANDLE note = body->GetNoteHandle();
    const auto length = static_cast<uint16_t>(std::min<size_t>(std::strlen(item), 0xFFFF));
    nnotes::BLOCKID first{};
    if (nnotes::FindItemByName(note, item, length, &first, nullptr, nullptr, nullptr) != nnotes::NOERROR)
        return false;
    nnotes::BLOCKID second{};
    return nnotes::FindNextItemByName(note, item, length, first, &second, nullptr, nullptr, nullptr) ==
           nnotes::NOERROR;
}

// Appends value to the text item, or creates the item holding value alone; the status of that change.
LNSTATUS AddHistory(LNDocument& document, const LNString& item, const LNString& value) {
    LNText history;
    if (document.GetItem(item, &history) == LNNOERROR) return history.Append(value);
    history = LNText();
    history.Append(value);
    return document.CreateItem(item, history, kHistoryItemFlags, kRefuseDuplicate, nullptr);
}

} // namespace

void UpdateDocument(const char* item, const char* value, int noteId) {
    if (item == nullptr || value == nullptr) return;
    Shielded([=] {
        // A save refused because another process saved the document since it was opened would drop this
        // line unseen: the document is opened afresh and the line appended to what that save left.
        for (int attempt = 0; attempt <= kConflictRetries; ++attempt) {
            LNDocument document;
            CurrentDb.GetDocument(static_cast<nnotes::NOTEID>(noteId), &document);
            document.Open(0);
            // Only a document takes a history line: a design note (a view, a form) of that id is left alone.
            if (document.GetNoteClass() != LNNOTECLASS_DOCUMENT) {
                document.Close();
                return;
            }
            // Readers see the first of several items of the name. The changed item would go last and leave
            // another one first, so that the history they see would lose its lines: such a document is left
            // as it was.
            if (HasSecondItem(document, item)) {
                document.Close();
                return;
            }
            LNSTATUS saved = LNNOERROR;
            if (AddHistory(document, LNString(item), LNString(value)) == LNNOERROR) saved = document.Save(0);
            document.Close();
            if (saved != nnotes::ERR_NOTE_CONFLICT) return;
        }
    });
}
