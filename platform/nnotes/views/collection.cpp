// Opening, refreshing and closing collections, and the hit lists that full-text search hands them.
#include "views/collection.h"

#include "process/process.h"
#include "store/database.h"
#include "views/collection_load.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace nnotes {
namespace views {
namespace {

// Collection handles are 16 bits wide, so they come round again; a handle is never given out while its
// collection is open, and the one given out last is not given again at once.
class Collections {
public:
    STATUS Add(std::shared_ptr<Collection> c, HCOLLECTION* handle) {
        std::lock_guard<std::mutex> guard(lock_);
        for (uint32_t tries = 0; tries < 0x10000; ++tries) {
            const HCOLLECTION h = next_++;
            if (h == 0 || map_.count(h) != 0) continue;
            map_.emplace(h, std::move(c));
            *handle = h;
            return NOERROR;
        }
        return ERR_COLLECTION_HANDLES;
    }
    std::shared_ptr<Collection> Find(HCOLLECTION h) {
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = map_.find(h);
        return it == map_.end() ? nullptr : it->second;
    }
    std::shared_ptr<Collection> Remove(HCOLLECTION h) {
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = map_.find(h);
        if (it == map_.end()) return nullptr;
        auto c = std::move(it->second);
        map_.erase(it);
        return c;
    }
    std::map<HCOLLECTION, std::shared_ptr<Collection>> TakeAll() {
        std::lock_guard<std::mutex> guard(lock_);
        return std::move(map_);
    }

private:
    std::mutex lock_;
    HCOLLECTION next_ = 1;
    std::map<HCOLLECTION, std::shared_ptr<Collection>> map_;
};

Collections& TheCollections() {
    static auto* collections = new Collections;
    return *collections;
}

// Collections die with the process's use of the library, as every other handle does.
void CloseAllCollections() {
    TheCollections().TakeAll();
}

} // namespace

STATUS CollectionOf(HCOLLECTION handle, std::shared_ptr<Collection>& out) {
    if (STATUS s = RequireProcess()) return s;
    out = TheCollections().Find(handle);
    return out ? NOERROR : ERR_COLLECTION_HANDLE;
}

namespace {

// Hits whose rows are read at once when a read reaches one that has not been read: few for the first (a
// search's first row should cost what one row costs), more as a reader goes on.
constexpr size_t kFirstHitRows = 16, kMostHitRows = 1024;

// The first entry of each hit's document, by one pass over every entry (which reads the whole view).
// Hits whose document has no entry get none; dropMissing leaves them out.
void PlaceHits(Collection& c, bool dropMissing) {
    std::unordered_map<NOTEID, uint32_t> first;
    CollectionData& d = *c.data;
    const uint32_t count = d.Size();
    for (uint32_t i = 0; i < count; ++i) {
        const Entry& e = d[i];
        if (e.kind == EntryKind::Document || e.kind == EntryKind::Response) first.emplace(e.id, i);
    }
    for (Hit& h : c.hits) {
        const auto it = first.find(h.note);
        h.entry = it == first.end() ? kNoEntry : it->second;
    }
    if (dropMissing) std::erase_if(c.hits, [](const Hit& h) { return h.entry == kNoEntry; });
    c.hitsPlaced = true;
}

// Each hit by where the first of its document's stored rows stands, read through the index by note; false
// when the index could not say (the hits are then placed among the entries).
bool FindHitRows(Collection& c) {
    std::vector<NOTEID> notes;
    notes.reserve(c.hitNotes.size());
    for (const auto& hit : c.hitNotes)
        notes.push_back(hit.first);
    const STATUS s = c.data->FirstRows(notes, [&](size_t at, uint32_t part, std::string_view key) {
        Hit h;
        h.note = notes[at];
        h.score = c.hitNotes[at].second;
        h.part = part;
        if (c.hitKeys.size() + key.size() > UINT32_MAX) return ERR_INSUFFICIENT_MEMORY;
        h.keyOffset = static_cast<uint32_t>(c.hitKeys.size());
        h.keyLength = static_cast<uint32_t>(key.size());
        c.hitKeys.append(key);
        c.hits.push_back(h);
        return NOERROR;
    });
    if (s == NOERROR) return true;
    c.hits.clear();
    c.hitKeys.clear();
    return false;
}

// The summary of a hit known by its stored row, reading the rows of the hits around it first when they
// have not been read: on from it, or back from it when the reader goes backwards.
std::string_view HitSummary(Collection& c, size_t hit) {
    if (hit >= c.window && hit < c.window + c.windowRows.size()) return c.windowRows[hit - c.window];
    const size_t count = std::clamp(c.windowRows.size() * 2, kFirstHitRows, kMostHitRows);
    const bool backwards = !c.windowRows.empty() && hit + 1 == c.window;
    const size_t first = backwards ? hit + 1 - std::min(hit + 1, count) : hit;
    const size_t end = std::min(c.hits.size(), first + count);
    std::vector<RowPlace> rows(end - first);
    for (size_t i = first; i < end; ++i) {
        const Hit& h = c.hits[i];
        rows[i - first] = {c.hitKeys.substr(h.keyOffset, h.keyLength), h.note, h.part};
    }
    c.window = first;
    c.data->RowSummaries(rows, c.windowRows);
    return c.windowRows[hit - first];
}

template <class T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

void ResolveHits(Collection& c) {
    c.hits.clear();
    c.hitKeys.clear();
    c.hitsPlaced = false;
    c.window = 0;
    c.windowRows.clear();
    if (c.hitNotes.empty() || !c.data) return;
    if (!c.data->Stored() || !FindHitRows(c)) {
        for (const auto& [note, score] : c.hitNotes) {
            Hit h;
            h.note = note;
            h.score = score;
            c.hits.push_back(h);
        }
        PlaceHits(c, true);
    }
    std::vector<std::pair<NOTEID, uint16_t>> kept;
    kept.reserve(c.hits.size());
    for (const Hit& h : c.hits)
        kept.emplace_back(h.note, h.score);
    c.hitNotes = std::move(kept);
}

void AppendHit(Collection& c, size_t hit, uint32_t mask, std::string& out) {
    constexpr uint32_t kCounts =
        READ_MASK_INDEXSIBLINGS | READ_MASK_INDEXCHILDREN | READ_MASK_INDEXDESCENDANTS | READ_MASK_INDEXPEER;
    if ((mask & kCounts) != 0 && !c.hitsPlaced) PlaceHits(c, false);
    CollectionData& d = *c.data;
    const Hit& h = c.hits[hit];
    if (h.entry == kNoEntry) {
        // Known by its stored row alone: a main document of a view without responses (a view with them reads
        // every row when it opens, and so places its hits among its entries), whose counts are not known.
        if (mask & READ_MASK_NOTEID) Put<uint32_t>(out, h.note);
        if (mask & READ_MASK_NOTECLASS) Put<uint16_t>(out, NOTE_CLASS_DOCUMENT);
        for (uint32_t field : {READ_MASK_INDEXSIBLINGS, READ_MASK_INDEXCHILDREN, READ_MASK_INDEXDESCENDANTS,
                               READ_MASK_INDEXPEER})
            if (mask & field) Put<uint32_t>(out, 0);
        if (mask & READ_MASK_INDENTLEVELS) Put<uint16_t>(out, 0);
        if (mask & READ_MASK_SCORE) Put<uint16_t>(out, h.score);
        if (mask & READ_MASK_SUMMARY) out.append(HitSummary(c, hit));
        return;
    }
    AppendEntry(d, h.entry, mask, h.score, out);
}

void AppendEntry(CollectionData& d, uint32_t index, uint32_t mask, uint16_t score, std::string& out) {
    const uint32_t siblings = (mask & READ_MASK_INDEXSIBLINGS) ? d.ChildCount(d[index].parent) : 0;
    const uint32_t children = (mask & READ_MASK_INDEXCHILDREN) ? d.ChildCount(index) : 0;
    const uint32_t end = (mask & READ_MASK_INDEXDESCENDANTS) ? d.End(index) : 0;
    const Entry& e = d[index];
    if (mask & READ_MASK_NOTEID) Put<uint32_t>(out, e.id);
    if (mask & READ_MASK_NOTECLASS) Put<uint16_t>(out, e.noteClass);
    if (mask & READ_MASK_INDEXSIBLINGS) Put<uint32_t>(out, siblings);
    if (mask & READ_MASK_INDEXCHILDREN) Put<uint32_t>(out, children);
    if (mask & READ_MASK_INDEXDESCENDANTS) Put<uint32_t>(out, end - index - 1);
    if (mask & READ_MASK_INDEXPEER) Put<uint32_t>(out, e.rank);
    if (mask & READ_MASK_INDENTLEVELS) Put<uint16_t>(out, e.indent);
    if (mask & READ_MASK_SCORE) Put<uint16_t>(out, score);
    if (mask & READ_MASK_SUMMARY) out.append(d.Summary(index));
}

} // namespace views

STATUS OpenCollection(DBHANDLE viewDb, DBHANDLE dataDb, NOTEID viewId, uint16_t, DHANDLE,
                      HCOLLECTION* collection) {
    if (STATUS s = RequireProcess()) return s;
    if (collection == nullptr) return ERR_MISSING_ARGUMENT;
    auto c = std::make_shared<views::Collection>();
    c->viewDb = viewDb;
    c->dataDb = dataDb;
    c->viewId = viewId;
    if (STATUS s = store::NoteStatusOf(dataDb, views::LoadCollection(*c, false))) return s;
    AtTermProcess(views::CloseAllCollections);
    return views::TheCollections().Add(std::move(c), collection);
}

STATUS UpdateCollection(HCOLLECTION collection) {
    std::shared_ptr<views::Collection> c;
    if (STATUS s = views::CollectionOf(collection, c)) return s;
    std::lock_guard<std::mutex> guard(c->lock);
    return store::NoteStatusOf(c->dataDb, views::LoadCollection(*c, true));
}

STATUS CloseCollection(HCOLLECTION collection) {
    if (STATUS s = RequireProcess()) return s;
    return views::TheCollections().Remove(collection) ? NOERROR : ERR_COLLECTION_HANDLE;
}

STATUS AttachHitList(HCOLLECTION collection, const std::vector<std::pair<NOTEID, uint16_t>>& hitsInOrder,
                     uint32_t* kept) {
    std::shared_ptr<views::Collection> c;
    if (STATUS s = views::CollectionOf(collection, c)) return s;
    std::lock_guard<std::mutex> guard(c->lock);
    std::unordered_set<NOTEID> seen;
    c->hitNotes.clear();
    for (const auto& hit : hitsInOrder)
        if (seen.insert(hit.first).second) c->hitNotes.push_back(hit);
    views::ResolveHits(*c);
    if (kept != nullptr) *kept = static_cast<uint32_t>(c->hits.size());
    return NOERROR;
}

STATUS NarrowHitList(HCOLLECTION collection, const std::vector<std::pair<NOTEID, uint16_t>>& hitsInOrder,
                     uint32_t* kept) {
    std::shared_ptr<views::Collection> c;
    if (STATUS s = views::CollectionOf(collection, c)) return s;
    {
        std::lock_guard<std::mutex> guard(c->lock);
        std::unordered_map<NOTEID, size_t> present;
        for (size_t i = 0; i < c->hits.size(); ++i)
            present.emplace(c->hits[i].note, i);
        std::vector<views::Hit> narrowed;
        narrowed.reserve(hitsInOrder.size());
        std::unordered_set<NOTEID> seen;
        bool held = true;
        for (const auto& [note, score] : hitsInOrder) {
            if (!seen.insert(note).second) continue;
            const auto it = present.find(note);
            if (it == present.end()) {
                held = false;
                break;
            }
            narrowed.push_back(c->hits[it->second]);
            narrowed.back().score = score;
        }
        if (held) {
            c->hits = std::move(narrowed);
            c->window = 0;
            c->windowRows.clear();
            c->hitNotes.clear();
            for (const views::Hit& h : c->hits)
                c->hitNotes.emplace_back(h.note, h.score);
            if (kept != nullptr) *kept = static_cast<uint32_t>(c->hits.size());
            return NOERROR;
        }
    }
    return AttachHitList(collection, hitsInOrder, kept);
}

STATUS ClearHitList(HCOLLECTION collection) {
    std::shared_ptr<views::Collection> c;
    if (STATUS s = views::CollectionOf(collection, c)) return s;
    std::lock_guard<std::mutex> guard(c->lock);
    c->hitNotes.clear();
    c->hits.clear();
    c->hitKeys.clear();
    c->windowRows.clear();
    return NOERROR;
}

} // namespace nnotes
