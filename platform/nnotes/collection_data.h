// An open collection's entries in memory: the category, document, response and total entries of one view
// in view order, each knowing its parent, its peers and its subtree, so that every move is a few steps.
#pragma once

#include "view_format.h"
#include "viewindex_store.h"

#include <memory>
#include <string>
#include <vector>

namespace nnotes::views {

constexpr uint32_t kNoEntry = UINT32_MAX;

enum class EntryKind : uint8_t { Category, Document, Response, Total };

struct Entry {
    NOTEID id = 0;
    uint16_t noteClass = 0;
    uint16_t indent = 0; // response depth
    uint16_t level = 0;
    EntryKind kind = EntryKind::Document;
    uint32_t parent = kNoEntry;
    uint32_t rank = 0;       // 1-based among its peers
    uint32_t end = 0;        // the index past its last descendant
    uint32_t childBegin = 0; // its children in CollectionData::children
    uint32_t childCount = 0;
    uint32_t summaryOffset = 0, summaryLength = 0; // in arena
    uint32_t sortOffset = 0, sortLength = 0;       // documents: their sort values, in arena
};

struct CollectionData {
    std::shared_ptr<const ViewDefinition> view;
    std::vector<Entry> entries;
    std::vector<uint32_t> children; // the top-level entries first, then each entry's children in turn
    uint32_t topCount = 0;
    std::string arena;

    std::string_view Summary(const Entry& e) const {
        return {arena.data() + e.summaryOffset, e.summaryLength};
    }
    std::string_view SortValues(const Entry& e) const { return {arena.data() + e.sortOffset, e.sortLength}; }
    // The peers of an entry (the top level for kNoEntry as parent): first index and count in children.
    uint32_t PeersBegin(uint32_t parent) const { return parent == kNoEntry ? 0 : entries[parent].childBegin; }
    uint32_t PeerCount(uint32_t parent) const {
        return parent == kNoEntry ? topCount : entries[parent].childCount;
    }
};

// Builds the entries from rows that a reader hands over in view order: feed each row to Add, then Finish.
class CollectionBuilder {
public:
    explicit CollectionBuilder(std::shared_ptr<const ViewDefinition> view);
    ~CollectionBuilder();
    STATUS Add(const RowRef& row);
    STATUS Finish(CollectionData& out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace nnotes::views
