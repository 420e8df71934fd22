// Opening, refreshing and closing collections, and the hit lists that full-text search hands them.
#include "views/collection.h"

#include "process/process.h"
#include "views/collection_load.h"

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

void ResolveHits(Collection& c) {
    c.hits.clear();
    if (c.hitNotes.empty() || !c.data) return;
    std::unordered_map<NOTEID, uint32_t> first;
    CollectionData& d = *c.data;
    const uint32_t count = d.Size();
    for (uint32_t i = 0; i < count; ++i) {
        const Entry& e = d[i];
        if (e.kind == EntryKind::Document || e.kind == EntryKind::Response) first.emplace(e.id, i);
    }
    std::vector<std::pair<NOTEID, uint16_t>> kept;
    for (const auto& [note, score] : c.hitNotes) {
        const auto it = first.find(note);
        if (it == first.end()) continue;
        kept.emplace_back(note, score);
        c.hits.emplace_back(it->second, score);
    }
    c.hitNotes = std::move(kept);
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
    if (STATUS s = views::LoadCollection(*c, false)) return s;
    AtTermProcess(views::CloseAllCollections);
    return views::TheCollections().Add(std::move(c), collection);
}

STATUS UpdateCollection(HCOLLECTION collection) {
    std::shared_ptr<views::Collection> c;
    if (STATUS s = views::CollectionOf(collection, c)) return s;
    std::lock_guard<std::mutex> guard(c->lock);
    return views::LoadCollection(*c, true);
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

STATUS ClearHitList(HCOLLECTION collection) {
    std::shared_ptr<views::Collection> c;
    if (STATUS s = views::CollectionOf(collection, c)) return s;
    std::lock_guard<std::mutex> guard(c->lock);
    c->hitNotes.clear();
    c->hits.clear();
    return NOERROR;
}

} // namespace nnotes
