// ReadEntries: skip, then return entries into one buffer.
#include "memory/memory.h"
#include "store/database.h"
#include "views/collection_handle.h"
#include "views/collection_navigate.h"

#include <cstring>

namespace nnotes {
namespace views {
namespace {

constexpr uint32_t kKnownMask = READ_MASK_NOTEID | READ_MASK_NOTECLASS | READ_MASK_INDEXSIBLINGS |
                                READ_MASK_INDEXCHILDREN | READ_MASK_INDEXDESCENDANTS |
                                READ_MASK_INDENTLEVELS | READ_MASK_SCORE | READ_MASK_INDEXPEER |
                                READ_MASK_SUMMARY;
constexpr uint32_t kAsFarAsPossible = 0xFFFFFFFF;
// Entries a navigator reads ahead at a time, and room for the entry that no longer fits a full buffer.
constexpr uint32_t kReadAhead = 64;
constexpr size_t kEntryRoom = 4096;

struct Code {
    MoveRules rules;
    bool hits = false;
};

STATUS SplitCode(uint16_t code, const CollectionPosition& position, Code& out) {
    code &= static_cast<uint16_t>(~NAVIGATE_CONTINUE);
    const uint16_t base = code & 0x00FF, flags = code & 0xFF00;
    if ((flags & ~(NAVIGATE_MINLEVEL | NAVIGATE_MAXLEVEL)) != 0 || !KnownCode(base))
        return ERR_COLLECTION_NAVIGATOR;
    out.rules.code = base;
    out.rules.minLevel = (flags & NAVIGATE_MINLEVEL) != 0;
    out.rules.maxLevel = (flags & NAVIGATE_MAXLEVEL) != 0;
    out.rules.min = position.MinLevel;
    out.rules.max = position.MaxLevel;
    out.hits = base == NAVIGATE_NEXT_HIT || base == NAVIGATE_CURRENT_HIT;
    return NOERROR;
}

// One read's cursor: over the entries, or over the hit list (position Level 0, index = rank).
class Walk {
public:
    Walk(Collection& c, const CollectionPosition& position, bool hits) : c_(c), d_(*c.data), hits_(hits) {
        if (hits_)
            rank_ = position.Level == 0 ? position.EntryIndex[0] : 0;
        else
            cursor_ = Locate(d_, position);
        anchor_ = !hits_ && Exists() ? EntryIndex() : kNoEntry;
    }

    bool Exists() const { return hits_ ? rank_ >= 1 && rank_ <= c_.hits.size() : cursor_.exists; }

    // Moves count times at most; the number of moves made.
    uint32_t Skip(const Code& code, uint32_t count) {
        if (count == 0) return 0;
        if (StaysPut(code.rules.code)) return Step(code) ? 1 : 0;
        if (hits_) {
            const uint64_t left = rank_ < c_.hits.size() ? c_.hits.size() - rank_ : 0;
            const auto moved = static_cast<uint32_t>(std::min<uint64_t>(left, count));
            rank_ += moved;
            return moved;
        }
        if (code.rules.code == NAVIGATE_NEXT && !code.rules.minLevel && !code.rules.maxLevel) {
            // Reads on only as far as the skip goes.
            const uint64_t last = uint64_t{First()} + count - 1;
            d_.Has(static_cast<uint32_t>(std::min<uint64_t>(last, kNoEntry - 1)));
            return Ahead(d_.Built(), count);
        }
        if (code.rules.code == NAVIGATE_NEXT_DESCENDANT && !code.rules.maxLevel && anchor_ != kNoEntry &&
            (!cursor_.exists || cursor_.index >= anchor_))
            return Ahead(d_.End(anchor_), count);
        uint32_t moved = 0;
        while (moved < count && Step(code))
            ++moved;
        return moved;
    }

    bool Step(const Code& code) {
        if (hits_) {
            if (code.rules.code == NAVIGATE_NEXT_HIT && rank_ < c_.hits.size()) {
                ++rank_;
                return true;
            }
            return code.rules.code != NAVIGATE_NEXT_HIT && Exists();
        }
        MoveRules rules = code.rules;
        rules.anchor = anchor_;
        return Move(d_, rules, cursor_);
    }

    void Append(uint32_t mask, std::string& out) {
        if (hits_) return AppendHit(c_, rank_ - 1, mask, out);
        AppendEntry(d_, EntryIndex(), mask, 0, out);
    }

    void Store(CollectionPosition& position) const {
        if (hits_) {
            position.Level = 0;
            position.EntryIndex[0] = rank_;
        } else {
            PositionOf(d_, cursor_.index, position);
        }
    }

    // Saves and restores the cursor around a move that may be taken back.
    struct Mark {
        Cursor cursor;
        uint32_t rank;
    };
    Mark Save() const { return {cursor_, rank_}; }
    void Restore(const Mark& m) {
        cursor_ = m.cursor;
        rank_ = m.rank;
    }

private:
    uint32_t EntryIndex() const { return cursor_.index; }

    uint32_t First() const { return cursor_.exists ? cursor_.index + 1 : cursor_.index; }

    // Moves forward in order by count entries at most, stopping before limit.
    uint32_t Ahead(size_t limit, uint32_t count) {
        const size_t first = First();
        if (first >= limit) return 0;
        const auto moved = static_cast<uint32_t>(std::min<size_t>(limit - first, count));
        cursor_ = {static_cast<uint32_t>(first + moved - 1), true};
        return moved;
    }

    Collection& c_;
    CollectionData& d_;
    bool hits_;
    Cursor cursor_;
    uint32_t rank_ = 0;
    uint32_t anchor_ = kNoEntry;
};

} // namespace
} // namespace views

STATUS ReadEntries(HCOLLECTION collection, CollectionPosition* position, uint16_t skipNavigator,
                   uint32_t skipCount, uint16_t returnNavigator, uint32_t returnCount, uint32_t returnMask,
                   DHANDLE* buffer, uint16_t* bufferLength, uint32_t* entriesSkipped,
                   uint32_t* entriesReturned, uint16_t* signalFlags) {
    using namespace views;
    std::shared_ptr<Collection> c;
    if (STATUS s = CollectionOf(collection, c)) return s;
    if (buffer) *buffer = NULLHANDLE;
    if (bufferLength) *bufferLength = 0;
    if (entriesSkipped) *entriesSkipped = 0;
    if (entriesReturned) *entriesReturned = 0;
    if (signalFlags) *signalFlags = 0;
    if (position == nullptr) return ERR_MISSING_ARGUMENT;
    if (position->Level >= MAXTUMBLERLEVELS) return ERR_COLLECTION_POSITION;
    if ((returnMask & ~kKnownMask) != 0) return ERR_COLLECTION_MASK;
    Code skip, give;
    if (STATUS s = SplitCode(skipNavigator, *position, skip)) return s;
    if (STATUS s = SplitCode(returnNavigator, *position, give)) return s;
    // One read walks either the entries or the hits; "current" serves both.
    const bool hits = skip.hits || give.hits;
    if ((hits && !skip.hits && skip.rules.code != NAVIGATE_CURRENT) ||
        (hits && !give.hits && give.rules.code != NAVIGATE_CURRENT))
        return ERR_COLLECTION_NAVIGATOR;

    std::lock_guard<std::mutex> guard(c->lock);
    Walk walk(*c, *position, hits);
    const uint32_t skipped = walk.Skip(skip, skipCount);
    if (entriesSkipped) *entriesSkipped = skipped;
    if (STATUS s = c->data->Failure()) return store::NoteStatusOf(c->dataDb, s);
    const bool whole =
        skipCount == kAsFarAsPossible || skipped == skipCount || (skipped == 1 && StaysPut(skip.rules.code));
    if (!whole) return NOERROR;

    // Room for the entries a navigator reads ahead at a time, so that the buffer does not grow step by step
    // as they are appended; a read of more fills a whole buffer, whose entries (and the one that no longer
    // fits) go in without the buffer being copied to a larger one on the way.
    std::string out;
    if (returnCount > kReadAhead)
        out.reserve(size_t{MAXREADBUFFER} + kEntryRoom);
    else if (returnCount > 1)
        out.reserve(size_t{returnCount} * 256);
    uint32_t returned = 0;
    uint16_t signal = 0;
    if (returnCount > 0 && walk.Exists()) {
        auto last = walk.Save();
        for (;;) {
            const size_t before = out.size();
            walk.Append(returnMask, out);
            if (out.size() > MAXREADBUFFER) {
                // The position stays on the last entry given; the next read goes on from there.
                out.resize(before);
                walk.Restore(last);
                signal |= SIGNAL_MORE_TO_DO;
                break;
            }
            ++returned;
            last = walk.Save();
            if (returned == returnCount || StaysPut(give.rules.code) || !walk.Step(give)) break;
        }
    }
    // Rows that could not be read end the entries; the read says why rather than stopping short quietly.
    if (STATUS s = c->data->Failure()) return store::NoteStatusOf(c->dataDb, s);
    if (skipped > 0 || returned > 0) walk.Store(*position);
    if (entriesReturned) *entriesReturned = returned;
    if (signalFlags) *signalFlags = signal;
    if (returned > 0 && returnMask != 0 && buffer != nullptr) {
        if (STATUS s = CopyToNewBlock(out.data(), out.size(), buffer)) return s;
        if (bufferLength) *bufferLength = static_cast<uint16_t>(out.size());
    }
    return NOERROR;
}

} // namespace nnotes
