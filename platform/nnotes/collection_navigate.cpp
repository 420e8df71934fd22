#include "collection_navigate.h"

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
    Mover(const CollectionData& d, const MoveRules& r) : d_(d), r_(r) {}

    bool Allowed(uint32_t i) const { return !r_.minLevel || d_.entries[i].level >= r_.min; }
    bool TooDeep(uint32_t i) const { return r_.maxLevel && d_.entries[i].level > r_.max; }

    uint32_t AncestorAtMax(uint32_t i) const {
        while (d_.entries[i].level > r_.max)
            i = d_.entries[i].parent;
        return i;
    }

    // The next entry in order from the cursor, passing over entries too deep.
    uint32_t Next(const Cursor& c) const {
        const uint32_t n = static_cast<uint32_t>(d_.entries.size());
        uint32_t i = c.exists ? c.index + 1 : c.index;
        if (i >= n) return kNoEntry;
        if (TooDeep(i)) i = d_.entries[AncestorAtMax(i)].end;
        return i < n && Allowed(i) ? i : kNoEntry;
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
            if (pred(d_.entries[i])) return i;
        return kNoEntry;
    }

    template <class Pred>
    uint32_t ScanBackward(Cursor c, Pred pred) const {
        for (uint32_t i; (i = Previous(c)) != kNoEntry; c = {i, true})
            if (pred(d_.entries[i])) return i;
        return kNoEntry;
    }

    // The peer of entry i (itself among them) with that 1-based rank.
    uint32_t Peer(uint32_t i, int64_t rank) const {
        const Entry& e = d_.entries[i];
        const uint32_t count = d_.PeerCount(e.parent);
        if (rank < 1 || rank > count) return kNoEntry;
        return d_.children[d_.PeersBegin(e.parent) + static_cast<uint32_t>(rank) - 1];
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
            const uint32_t p = d_.entries[i].parent;
            return p != kNoEntry && Allowed(p) ? p : kNoEntry;
        }
        case NAVIGATE_CHILD: {
            const Entry& e = d_.entries[i];
            if (e.childCount == 0) return kNoEntry;
            const uint32_t child = d_.children[e.childBegin];
            return TooDeep(child) ? kNoEntry : child;
        }
        case NAVIGATE_NEXT_PEER:
            return Peer(i, int64_t{d_.entries[i].rank} + 1);
        case NAVIGATE_PREV_PEER:
            return Peer(i, int64_t{d_.entries[i].rank} - 1);
        case NAVIGATE_FIRST_PEER:
            return Peer(i, 1);
        case NAVIGATE_LAST_PEER:
            return Peer(i, d_.PeerCount(d_.entries[i].parent));
        case NAVIGATE_MAIN: {
            uint32_t m = i;
            while (d_.entries[m].kind == EntryKind::Response)
                m = d_.entries[m].parent;
            return d_.entries[m].kind == EntryKind::Document && Allowed(m) ? m : kNoEntry;
        }
        case NAVIGATE_NEXT_MAIN:
            return ScanForward(c, isMain);
        case NAVIGATE_PREV_MAIN:
            return ScanBackward(c, isMain);
        case NAVIGATE_NEXT_DESCENDANT: {
            if (r_.anchor == kNoEntry) return kNoEntry;
            const uint32_t next = Next(c);
            return next != kNoEntry && next > r_.anchor && next < d_.entries[r_.anchor].end ? next : kNoEntry;
        }
        case NAVIGATE_NEXT_PARENT:
        case NAVIGATE_PREV_PARENT: {
            const uint32_t p = d_.entries[i].parent;
            if (p == kNoEntry) return kNoEntry;
            const int64_t step = r_.code == NAVIGATE_NEXT_PARENT ? 1 : -1;
            const uint32_t peer = Peer(p, int64_t{d_.entries[p].rank} + step);
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
    const CollectionData& d_;
    const MoveRules& r_;
};

} // namespace

Cursor Locate(const CollectionData& d, const CollectionPosition& position) {
    const auto n = static_cast<uint32_t>(d.entries.size());
    uint32_t parent = kNoEntry;
    for (uint16_t level = 0; level <= position.Level && level < MAXTUMBLERLEVELS; ++level) {
        const uint32_t index = position.EntryIndex[level];
        if (index == 0) return {parent == kNoEntry ? 0 : parent + 1, false};
        if (index > d.PeerCount(parent)) return {parent == kNoEntry ? n : d.entries[parent].end, false};
        const uint32_t e = d.children[d.PeersBegin(parent) + index - 1];
        if (level == position.Level) return {e, true};
        parent = e;
    }
    return {n, false};
}

void PositionOf(const CollectionData& d, uint32_t index, CollectionPosition& position) {
    const Entry& e = d.entries[index];
    position.Level = e.level;
    for (uint32_t i = index; i != kNoEntry; i = d.entries[i].parent)
        position.EntryIndex[d.entries[i].level] = d.entries[i].rank;
}

bool Move(const CollectionData& d, const MoveRules& rules, Cursor& cursor) {
    if (d.entries.empty()) return false;
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
