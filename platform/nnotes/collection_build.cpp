// Turning the rows of a view, in view order, into its entries: category levels, documents, the responses
// under each appearance of their parent, and the total entry.
#include "collection_data.h"

#include "formula_value.h"
#include "view_itemtable.h"
#include "view_sortkey.h"

#include <unordered_map>
#include <unordered_set>

namespace nnotes::views {

namespace {

struct Record {
    NOTEID note = 0;
    std::string unid;
    uint32_t summaryOffset = 0, summaryLength = 0;
    uint32_t sortOffset = 0, sortLength = 0;
    size_t breakLevel = 0; // main rows: the first category level that differs from the row before
};

} // namespace

struct CollectionBuilder::State {
    CollectionData data;
    std::vector<Record> mains;
    std::vector<Record> responses;
    std::unordered_map<std::string, std::vector<size_t>> responsesOf; // parent unid -> responses
    std::string previousKey;
    std::vector<TableItem> scratch;

    uint32_t Keep(std::string_view bytes) {
        const auto offset = static_cast<uint32_t>(data.arena.size());
        data.arena.append(bytes);
        return offset;
    }

    STATUS BreakLevel(std::string_view key, size_t& level) const {
        const ViewDefinition& view = *data.view;
        size_t at = 0;
        for (level = 0; level < view.categoryLevels; ++level) {
            const size_t end = SegmentEnd(key, at, view.columns[view.sortColumns[level]].Descending());
            if (end == std::string_view::npos) return ERR_VIEW_INDEX_DAMAGED;
            if (previousKey.size() < end ||
                std::string_view(previousKey).substr(at, end - at) != key.substr(at, end - at))
                return NOERROR;
            at = end;
        }
        return NOERROR;
    }

    uint32_t Push(Entry e) {
        data.entries.push_back(e);
        return static_cast<uint32_t>(data.entries.size() - 1);
    }

    void Close(uint32_t index) { data.entries[index].end = static_cast<uint32_t>(data.entries.size()); }

    // The summary of an entry that fills one column's item (or none, with column npos) with value.
    uint32_t EntrySummary(size_t column, std::string_view value, uint32_t& length) {
        std::vector<TableItem> items;
        for (size_t i = 0; i < data.view->columns.size(); ++i) {
            const ViewColumn& c = data.view->columns[i];
            if (c.InSummary()) items.push_back({c.itemName, i == column ? value : std::string_view()});
        }
        const std::string table = BuildItemTable(items);
        length = static_cast<uint32_t>(table.size());
        return Keep(table);
    }

    uint32_t PushDocument(const Record& r, uint32_t parent, uint16_t level, uint16_t indent) {
        Entry e;
        e.id = r.note;
        e.noteClass = NOTE_CLASS_DOCUMENT;
        e.indent = indent;
        e.level = level;
        e.kind = indent > 0 ? EntryKind::Response : EntryKind::Document;
        e.parent = parent;
        e.summaryOffset = r.summaryOffset;
        e.summaryLength = r.summaryLength;
        e.sortOffset = r.sortOffset;
        e.sortLength = r.sortLength;
        return Push(e);
    }

    void PushResponses(const std::string& unid, uint32_t parent, uint16_t level, uint16_t indent) {
        const auto it = responsesOf.find(unid);
        if (it == responsesOf.end() || level >= MAXTUMBLERLEVELS) return;
        for (size_t i : it->second) {
            const uint32_t index = PushDocument(responses[i], parent, level, indent);
            PushResponses(responses[i].unid, index, static_cast<uint16_t>(level + 1),
                          static_cast<uint16_t>(indent + 1));
            Close(index);
        }
    }

    STATUS PushCategory(size_t level, const Record& r, uint32_t parent, uint32_t& index) {
        std::vector<TableItem> values;
        if (!ParseItemTable(data.arena.data() + r.sortOffset, r.sortLength, values) || values.size() <= level)
            return ERR_VIEW_INDEX_DAMAGED;
        Entry e;
        e.kind = EntryKind::Category;
        e.level = static_cast<uint16_t>(level);
        e.parent = parent;
        const std::string value(values[level].value);
        e.summaryOffset = EntrySummary(data.view->sortColumns[level], value, e.summaryLength);
        index = Push(e);
        data.entries[index].id = NOTEID_CATEGORY | (index & ~NOTEID_TOTAL);
        return NOERROR;
    }

    void PushTotal() {
        const ViewDefinition& view = *data.view;
        std::vector<double> sums(view.columns.size(), 0);
        std::unordered_set<NOTEID> seen;
        std::vector<TableItem> items;
        for (const Entry& e : data.entries) {
            if (e.kind == EntryKind::Category || !seen.insert(e.id).second) continue;
            if (!ParseItemTable(data.arena.data() + e.summaryOffset, e.summaryLength, items)) continue;
            size_t item = 0;
            for (size_t i = 0; i < view.columns.size() && item < items.size(); ++i) {
                if (!view.columns[i].InSummary()) continue;
                formula::Value v;
                const std::string_view bytes = items[item++].value;
                if (view.columns[i].Totals() && !bytes.empty() &&
                    formula::DecodeValue(bytes.data(), bytes.size(), &v) == NOERROR &&
                    v.type() == formula::ValueType::Number)
                    for (double n : v.numbers())
                        sums[i] += n;
            }
        }
        std::vector<std::string> values(view.columns.size());
        items.clear();
        for (size_t i = 0; i < view.columns.size(); ++i) {
            const ViewColumn& c = view.columns[i];
            if (!c.InSummary()) continue;
            std::vector<uint8_t> bytes;
            if (c.Totals() && formula::EncodeValue(formula::Value::Number(sums[i]), &bytes) == NOERROR)
                values[i].assign(bytes.begin(), bytes.end());
            items.push_back({c.itemName, values[i]});
        }
        Entry e;
        e.kind = EntryKind::Total;
        const std::string table = BuildItemTable(items);
        e.summaryLength = static_cast<uint32_t>(table.size());
        e.summaryOffset = Keep(table);
        const uint32_t index = Push(e);
        data.entries[index].id = NOTEID_TOTAL | (index & ~NOTEID_TOTAL);
        Close(index);
    }

    void LinkPeers() {
        std::vector<Entry>& entries = data.entries;
        data.topCount = 0;
        for (const Entry& e : entries)
            (e.parent == kNoEntry ? data.topCount : entries[e.parent].childCount)++;
        uint32_t next = data.topCount;
        for (Entry& e : entries) {
            e.childBegin = next;
            next += e.childCount;
        }
        data.children.assign(entries.size(), 0);
        uint32_t topFill = 0;
        std::vector<uint32_t> fill(entries.size(), 0);
        for (uint32_t i = 0; i < entries.size(); ++i) {
            const uint32_t p = entries[i].parent;
            const uint32_t slot = p == kNoEntry ? topFill++ : entries[p].childBegin + fill[p]++;
            data.children[slot] = i;
            entries[i].rank = slot - data.PeersBegin(p) + 1;
        }
    }
};

CollectionBuilder::CollectionBuilder(std::shared_ptr<const ViewDefinition> view) : state_(new State) {
    state_->data.view = std::move(view);
}

CollectionBuilder::~CollectionBuilder() = default;

STATUS CollectionBuilder::Add(const RowRef& row) {
    State& s = *state_;
    // Stored rows are read back as they are, so each is checked before it can reach a caller's buffer.
    size_t size = 0;
    if (row.summary.size() > kMaxSummary ||
        !ParseItemTable(row.summary.data(), row.summary.size(), s.scratch, &size) ||
        size != row.summary.size() ||
        !ParseItemTable(row.sortValues.data(), row.sortValues.size(), s.scratch, &size) ||
        size != row.sortValues.size() || s.scratch.size() < s.data.view->categoryLevels)
        return ERR_VIEW_INDEX_DAMAGED;
    Record r;
    r.note = row.note;
    r.unid = row.unid;
    if (s.data.arena.size() + row.summary.size() + row.sortValues.size() > UINT32_MAX)
        return ERR_INSUFFICIENT_MEMORY;
    r.summaryOffset = s.Keep(row.summary);
    r.summaryLength = static_cast<uint32_t>(row.summary.size());
    r.sortOffset = s.Keep(row.sortValues);
    r.sortLength = static_cast<uint32_t>(row.sortValues.size());
    if (s.data.view->hierarchy && !row.parent.empty()) {
        s.responsesOf[std::string(row.parent)].push_back(s.responses.size());
        s.responses.push_back(std::move(r));
        return NOERROR;
    }
    if (STATUS status = s.BreakLevel(row.key, r.breakLevel)) return status;
    if (s.mains.empty()) r.breakLevel = 0;
    s.previousKey = row.key;
    s.mains.push_back(std::move(r));
    return NOERROR;
}

STATUS CollectionBuilder::Finish(CollectionData& out) {
    State& s = *state_;
    const size_t levels = s.data.view->categoryLevels;
    std::vector<uint32_t> open; // the open category of each level
    for (const Record& r : s.mains) {
        for (size_t level = open.size(); level-- > r.breakLevel;) {
            s.Close(open[level]);
            open.pop_back();
        }
        while (open.size() < levels) {
            uint32_t index = 0;
            if (STATUS status = s.PushCategory(open.size(), r, open.empty() ? kNoEntry : open.back(), index))
                return status;
            open.push_back(index);
        }
        const auto level = static_cast<uint16_t>(levels);
        const uint32_t doc = s.PushDocument(r, open.empty() ? kNoEntry : open.back(), level, 0);
        s.PushResponses(r.unid, doc, static_cast<uint16_t>(level + 1), 1);
        s.Close(doc);
    }
    while (!open.empty()) {
        s.Close(open.back());
        open.pop_back();
    }
    if (s.data.view->totals && !s.data.entries.empty()) s.PushTotal();
    s.LinkPeers();
    out = std::move(s.data);
    return NOERROR;
}

} // namespace nnotes::views
