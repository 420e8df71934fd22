#include "views/collection_navigate.h"

namespace nnotes::views {
namespace {

// Codes that walk the entries in order, and so may start between two entries.
bool WalksInOrder(uint16_t code) {
    switch (code) {
    case NAVIGATE_NEXT:
    case NAVIGATE_PREV:
    case NAVIGATE_NEXT_MAIN:
    case NAVIGATE_PREV_MAIN:
    case NAVIGATE_NEXT_DESCENDANT:
    case NAVIGATE_NEXT_CATEGORY:
    case NAVIGATE_PREV_CATEGORY:
    case NAVIGATE_NEXT_NONCATEGORY:
    case NAVIGATE_PREV_NONCATEGORY:
        return true;
    default:
        return false;
    }
}

class Mover {
public:
    Mover(CollectionData& d, const MoveRules& r) : d_(d), r_(r) {}

    bool Allowed(uint32_t i) const { return !r_.minLevel || d_[i].level >= r_.min; }
    bool TooDeep(uint32_t i) const { return r_.maxLevel && d_[i].level > r_.max; }

    uint32_t AncestorAtMax(uint32_t i) const {
        while (d_[i].level > r_.max)
            i = d_[i].parent;
        return i;
    }

    // The next entry in order from the cursor, passing over entries too deep.
    uint32_t Next(const Cursor& c) const {
        uint32_t i = c.exists ? c.index + 1 : c.index;
        if (!d_.Has(i)) return kNoEntry;
        if (TooDeep(i)) i = d_.End(AncestorAtMax(i));
        return d_.Has(i) && Allowed(i) ? i : kNoEntry;
    }

    uint32_t Previous(const Cursor& c) const {
        if (c.index == 0) return kNoEntry;
        uint32_t i = c.index - 1;
        if (TooDeep(i)) i = AncestorAtMax(i);
        return Allowed(i) ? i : kNoEntry;
    }

    template <class Pred>
    uint32_t ScanForward(Cursor c, Pred pred) const {
        for (uint32_t i; (i = Next(c)) != kNoEntry; c = {i, true})
            if (pred(d_[i])) return i;
        return kNoEntry;
    }

    template <class Pred>
    uint32_t ScanBackward(Cursor c, Pred pred) const {
        for (uint32_t i; (i = Previous(c)) != kNoEntry; c = {i, true})
            if (pred(d_[i])) return i;
        return kNoEntry;
    }

    // The peer of entry i (itself among them) with that 1-based rank.
    uint32_t Peer(uint32_t i, int64_t rank) const {
        if (rank < 1 || rank > UINT32_MAX) return kNoEntry;
        return d_.ChildAt(d_[i].parent, static_cast<uint32_t>(rank));
    }

    uint32_t To(const Cursor& c) const {
        if (!c.exists && !WalksInOrder(r_.code)) return kNoEntry;
        const uint32_t i = c.index;
        const auto isMain = [](const Entry& e) { return e.kind == EntryKind::Document; };
        const auto isCategory = [](const Entry& e) { return e.kind == EntryKind::Category; };
        const auto notCategory = [](const Entry& e) { return e.kind != EntryKind::Category; };
        switch (r_.code) {
        case NAVIGATE_CURRENT:
            return i;
        case NAVIGATE_NEXT:
            return Next(c);
        case NAVIGATE_PREV:
            return Previous(c);
        case NAVIGATE_PARENT: {
            const uint32_t p = d_[i].parent;
            return p != kNoEntry && Allowed(p) ? p : kNoEntry;
        }
        case NAVIGATE_CHILD: {
            const uint32_t child = d_.ChildAt(i, 1);
            return child == kNoEntry || TooDeep(child) ? kNoEntry : child;
        }
        case NAVIGATE_NEXT_PEER:
            return Peer(i, int64_t{d_[i].rank} + 1);
        case NAVIGATE_PREV_PEER:
            return Peer(i, int64_t{d_[i].rank} - 1);
        case NAVIGATE_FIRST_PEER:
            return Peer(i, 1);
        case NAVIGATE_LAST_PEER:
            return Peer(i, d_.ChildCount(d_[i].parent));
        case NAVIGATE_MAIN: {
            uint32_t m = i;
            while (d_[m].kind == EntryKind::Response)
                m = d_[m].parent;
            return d_[m].kind == EntryKind::Document && Allowed(m) ? m : kNoEntry;
        }
        case NAVIGATE_NEXT_MAIN:
            return ScanForward(c, isMain);
        case NAVIGATE_PREV_MAIN:
            return ScanBackward(c, isMain);
        case NAVIGATE_NEXT_DESCENDANT: {
            if (r_.anchor == kNoEntry) return kNoEntry;
            const uint32_t next = Next(c);
            return next != kNoEntry && d_.Below(r_.anchor, next) ? next : kNoEntry;
        }
        case NAVIGATE_NEXT_PARENT:
        case NAVIGATE_PREV_PARENT: {
            const uint32_t p = d_[i].parent;
            if (p == kNoEntry) return kNoEntry;
            const int64_t step = r_.code == NAVIGATE_NEXT_PARENT ? 1 : -1;
            const uint32_t peer = Peer(p, int64_t{d_[p].rank} + step);
            return peer != kNoEntry && Allowed(peer) ? peer : kNoEntry;
        }
        case NAVIGATE_NEXT_CATEGORY:
            return ScanForward(c, isCategory);
        case NAVIGATE_PREV_CATEGORY:
            return ScanBackward(c, isCategory);
        case NAVIGATE_NEXT_NONCATEGORY:
            return ScanForward(c, notCategory);
        case NAVIGATE_PREV_NONCATEGORY:
            return ScanBackward(c, notCategory);
        default:
            return kNoEntry;
        }
    }

private:
    CollectionData& d_;
    const MoveRules& r_;
};

} // namespace

Cursor Locate(CollectionData& d, const CollectionPosition& position) {
    uint32_t parent = kNoEntry;
    for (uint16_t level = 0; level <= position.Level && level < MAXTUMBLERLEVELS; ++level) {
        const uint32_t index = position.EntryIndex[level];
        if (index == 0) return {parent == kNoEntry ? 0 : parent + 1, false};
        const uint32_t e = d.ChildAt(parent, index);
        if (e == kNoEntry) return {parent == kNoEntry ? d.Size() : d.End(parent), false};
        if (level == position.Level) return {e, true};
        parent = e;
    }
    return {d.Size(), false};
}

void PositionOf(const CollectionData& d, uint32_t index, CollectionPosition& position) {
    position.Level = d[index].level;
    for (uint32_t i = index; i != kNoEntry; i = d[i].parent)
        position.EntryIndex[d[i].level] = d[i].rank;
}

bool Move(CollectionData& d, const MoveRules& rules, Cursor& cursor) {
    if (!d.Has(0)) return false;
    const uint32_t to = Mover(d, rules).To(cursor);
    if (to == kNoEntry) return false;
    cursor = {to, true};
    return true;
}

bool StaysPut(uint16_t code) {
    return code == NAVIGATE_CURRENT || code == NAVIGATE_FIRST_PEER || code == NAVIGATE_LAST_PEER ||
           code == NAVIGATE_MAIN || code == NAVIGATE_CURRENT_HIT;
}

bool KnownCode(uint16_t code) {
    switch (code) {
    case NAVIGATE_CURRENT:
    case NAVIGATE_NEXT:
    case NAVIGATE_PARENT:
    case NAVIGATE_CHILD:
    case NAVIGATE_NEXT_PEER:
    case NAVIGATE_PREV_PEER:
    case NAVIGATE_FIRST_PEER:
    case NAVIGATE_LAST_PEER:
    case NAVIGATE_PREV:
    case NAVIGATE_MAIN:
    case NAVIGATE_NEXT_MAIN:
    case NAVIGATE_PREV_MAIN:
    case NAVIGATE_NEXT_DESCENDANT:
    case NAVIGATE_NEXT_PARENT:
    case NAVIGATE_PREV_PARENT:
    case NAVIGATE_NEXT_HIT:
    case NAVIGATE_CURRENT_HIT:
    case NAVIGATE_NEXT_CATEGORY:
    case NAVIGATE_PREV_CATEGORY:
    case NAVIGATE_NEXT_NONCATEGORY:
    case NAVIGATE_PREV_NONCATEGORY:
        return true;
    default:
        return false;
    }
}

} // namespace nnotes::views
