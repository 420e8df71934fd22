// Turning the rows of a view, in view order, into its entries: category levels, documents, the responses
// under each appearance of their parent, and the total entry.
#include "views/collection_data.h"

#include "formula/formula_value.h"
#include "views/view_itemtable.h"
#include "views/view_sortkey.h"

#include <unordered_map>
#include <unordered_set>

namespace nnotes::views {

namespace {

// Rows read per batch as a collection grows: few for the first rows, more as a reader goes on.
constexpr size_t kFirstBatch = 256, kLargestBatch = 8192;
// Batches whose rows stay in memory: the one being read and the one before, which a reader going on in
// order is still handing over.
constexpr size_t kKeptBatches = 2;

struct Record {
    NOTEID note = 0;
    uint32_t part = 0;
    std::string unid; // hierarchical views only
    uint32_t batch = 0, summaryOffset = 0, summaryLength = 0, sortLength = 0;
    size_t breakLevel = 0; // main rows: the first category level that differs from the row before
    bool totalled = false; // responses: placed under more than one appearance of their parent
};

// Whether bytes hold one whole item table and nothing after it (items gets their number). Stored rows are
// read back as they are, so each is checked before it can reach a caller's buffer.
bool WholeTable(std::string_view bytes, size_t& items) {
    size_t size = 0;
    return CheckItemTable(bytes.data(), bytes.size(), &items, &size) && size == bytes.size();
}

bool WellFormedSummary(std::string_view bytes) {
    size_t items = 0;
    return bytes.size() <= kMaxSummary && WholeTable(bytes, items);
}

// The summary of an entry that fills one column's item (or none, with column npos) with value.
std::string SummaryWith(const ViewDefinition& view, size_t column, std::string_view value) {
    std::vector<TableItem> items;
    for (size_t i = 0; i < view.columns.size(); ++i) {
        const ViewColumn& c = view.columns[i];
        if (c.InSummary()) items.push_back({c.itemName, i == column ? value : std::string_view()});
    }
    return BuildItemTable(items);
}

} // namespace

struct CollectionData::Builder {
    explicit Builder(CollectionData& data) : d(data) {}

    CollectionData& d;
    bool first = true;
    std::string previousKey;
    std::vector<uint32_t> open; // the open category of each level
    // Hierarchical views place their main rows once every response is known.
    std::vector<Record> mains;
    std::vector<Record> responses;
    std::unordered_map<std::string, std::vector<size_t>> responsesOf; // parent unid -> responses
    std::vector<double> sums; // of the total columns, over every document placed

    uint32_t Keep(std::string_view bytes) {
        const auto offset = static_cast<uint32_t>(d.arena_.size());
        d.arena_.append(bytes);
        return offset;
    }

    STATUS BreakLevel(std::string_view key, size_t& level) const {
        const ViewDefinition& view = d.View();
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

    // A new entry, with its defaults, as the last child of parent (its parent and rank set).
    Entry& PushNew(uint32_t parent) {
        const auto index = static_cast<uint32_t>(d.entries_.size());
        std::vector<uint32_t>* peers = &d.top_;
        if (parent != kNoEntry) {
            uint32_t& list = d.entries_[parent].children;
            if (list == kNoEntry) {
                list = static_cast<uint32_t>(d.lists_.size());
                d.lists_.emplace_back();
            }
            peers = &d.lists_[list];
        }
        peers->push_back(index);
        Entry& e = d.entries_.emplace_back();
        e.parent = parent;
        e.rank = static_cast<uint32_t>(peers->size());
        return e;
    }

    uint32_t Push(const Entry& made) {
        const auto index = static_cast<uint32_t>(d.entries_.size());
        Entry& e = PushNew(made.parent);
        const uint32_t rank = e.rank;
        e = made;
        e.rank = rank;
        return index;
    }

    void Close(uint32_t index) { d.entries_[index].end = static_cast<uint32_t>(d.entries_.size()); }

    uint32_t EntrySummary(size_t column, std::string_view value, uint32_t& length) {
        const std::string table = SummaryWith(d.View(), column, value);
        length = static_cast<uint32_t>(table.size());
        return Keep(table);
    }

    std::string_view RowBytes(const Record& r) const {
        const std::string* bytes = d.BytesOf(r.batch);
        return {bytes->data() + r.summaryOffset, size_t{r.summaryLength} + r.sortLength};
    }

    // Adds a document's numbers to the totals, once per note: its first row, the first time it is placed.
    void Total(Record& r) {
        const ViewDefinition& view = d.View();
        if (!view.totals || r.part != 0 || r.totalled) return;
        r.totalled = true;
        sums.resize(view.columns.size(), 0);
        std::vector<TableItem> items;
        if (!ParseItemTable(RowBytes(r).data(), r.summaryLength, items)) return;
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

    uint32_t PushDocument(Record& r, uint32_t parent, uint16_t level, uint16_t indent) {
        Total(r);
        // Filled in where it stands: an entry made on the stack and copied over is read back whole right
        // after its fields were written one by one, which stalls on every row.
        const auto index = static_cast<uint32_t>(d.entries_.size());
        Entry& e = PushNew(parent);
        e.id = r.note;
        e.noteClass = NOTE_CLASS_DOCUMENT;
        e.indent = indent;
        e.level = level;
        e.kind = indent > 0 ? EntryKind::Response : EntryKind::Document;
        e.part = r.part;
        e.batch = r.batch;
        e.summaryOffset = r.summaryOffset;
        e.summaryLength = r.summaryLength;
        e.sortLength = r.sortLength;
        return index;
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
        if (!ParseItemTable(RowBytes(r).data() + r.summaryLength, r.sortLength, values) ||
            values.size() <= level)
            return ERR_VIEW_INDEX_DAMAGED;
        Entry e;
        e.kind = EntryKind::Category;
        e.level = static_cast<uint16_t>(level);
        e.parent = parent;
        const std::string value(values[level].value);
        e.summaryOffset = EntrySummary(d.View().sortColumns[level], value, e.summaryLength);
        index = Push(e);
        d.entries_[index].id = NOTEID_CATEGORY | (index & ~NOTEID_TOTAL);
        return NOERROR;
    }

    // Places a main row: closes the categories it leaves, opens the ones it starts, then the document and
    // (in a hierarchical view) its responses.
    STATUS Place(Record& r) {
        const size_t levels = d.View().categoryLevels;
        for (size_t level = open.size(); level-- > r.breakLevel;) {
            Close(open[level]);
            open.pop_back();
        }
        while (open.size() < levels) {
            uint32_t index = 0;
            if (STATUS status = PushCategory(open.size(), r, open.empty() ? kNoEntry : open.back(), index))
                return status;
            open.push_back(index);
        }
        const auto level = static_cast<uint16_t>(levels);
        const uint32_t doc = PushDocument(r, open.empty() ? kNoEntry : open.back(), level, 0);
        if (d.View().hierarchy) PushResponses(r.unid, doc, static_cast<uint16_t>(level + 1), 1);
        Close(doc);
        return NOERROR;
    }

    void PushTotal() {
        const ViewDefinition& view = d.View();
        sums.resize(view.columns.size(), 0);
        std::vector<TableItem> items;
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
        d.entries_[index].id = NOTEID_TOTAL | (index & ~NOTEID_TOTAL);
        Close(index);
    }
};

CollectionData::CollectionData(std::shared_ptr<const ViewDefinition> view)
    : view_(std::move(view)), builder_(new Builder(*this)) {}

CollectionData::~CollectionData() = default;

STATUS CollectionData::Add(const RowRef& row) {
    Builder& b = *builder_;
    size_t sortItems = 0;
    if (!WellFormedSummary(row.summary) || !WholeTable(row.sortValues, sortItems) ||
        sortItems < View().categoryLevels)
        return ERR_VIEW_INDEX_DAMAGED;
    if (batches_.empty()) StartBatch();
    Batch& batch = batches_.back();
    if (batch.bytes.size() + row.summary.size() + row.sortValues.size() > UINT32_MAX)
        return ERR_INSUFFICIENT_MEMORY;
    Record r;
    r.note = row.note;
    r.part = row.part;
    r.batch = batch.number;
    r.summaryOffset = static_cast<uint32_t>(batch.bytes.size());
    r.summaryLength = static_cast<uint32_t>(row.summary.size());
    r.sortLength = static_cast<uint32_t>(row.sortValues.size());
    batch.bytes.append(row.summary);
    batch.bytes.append(row.sortValues);
    if (View().hierarchy) {
        r.unid = row.unid;
        if (!row.parent.empty()) {
            b.responsesOf[std::string(row.parent)].push_back(b.responses.size());
            b.responses.push_back(std::move(r));
            return NOERROR;
        }
    }
    if (!b.first && (row.sameKey || row.key == b.previousKey)) {
        // The key of the row before (rows read without their keys are handed it while their categories
        // stay): no category breaks, and the key kept is the same.
        r.breakLevel = View().categoryLevels;
    } else {
        if (STATUS status = b.BreakLevel(row.key, r.breakLevel)) return status;
        if (b.first) r.breakLevel = 0;
        b.first = false;
        b.previousKey = row.key;
    }
    if (View().hierarchy) {
        b.mains.push_back(std::move(r));
        return NOERROR;
    }
    return b.Place(r);
}

STATUS CollectionData::Finish() {
    Builder& b = *builder_;
    for (Record& r : b.mains)
        if (STATUS status = b.Place(r)) return status;
    b.mains.clear();
    while (!b.open.empty()) {
        b.Close(b.open.back());
        b.open.pop_back();
    }
    if (View().totals && !entries_.empty()) b.PushTotal();
    complete_ = true;
    builder_.reset();
    return NOERROR;
}

void CollectionData::StartBatch() {
    // The oldest batch's bytes are let go, and their buffer serves the new batch.
    std::string bytes;
    if (batches_.size() == kKeptBatches) {
        bytes = std::move(batches_.front().bytes);
        bytes.clear();
        batches_.erase(batches_.begin());
    }
    batches_.push_back({nextBatch_++, std::move(bytes)});
}

const std::string* CollectionData::BytesOf(uint32_t batch) const {
    if (batch == kKeptForGood) return &arena_;
    for (const Batch& b : batches_)
        if (b.number == batch) return &b.bytes;
    return nullptr;
}

uint32_t CollectionData::AgainFrom(uint32_t index, size_t& rows) {
    // Between two row entries in order stand at most the categories the second one opens.
    const uint32_t slack = static_cast<uint32_t>(View().categoryLevels) + 1;
    const bool on = againFrom_ != kNoEntry && index >= againFrom_ && index <= againEnd_ + slack;
    const bool back = againFrom_ != kNoEntry && index < againFrom_ && againFrom_ - index <= slack;
    // A jump reads its own row alone, as a reader going from hit to hit does; a reader that goes on from
    // there reads batches as growing does.
    rows = on || back ? std::min(std::max(againRows_ * 2, kFirstBatch), kLargestBatch) : 1;
    if (!back) return index;
    // Going backwards, the rows read end at index.
    uint32_t from = index + 1 > rows ? static_cast<uint32_t>(index + 1 - rows) : 0;
    while (from < index && !OfRow(from))
        ++from;
    return from;
}

bool CollectionData::ReadAgain(uint32_t index) {
    size_t rows = 0;
    uint32_t from = AgainFrom(index, rows);
    const uint32_t built = Built();
    // The rows come in the order their entries were made, so each is matched against the next entry. A
    // row saved, deleted or added since breaks the step: the rows that follow are looked up among the
    // entries ahead (as many as twice the rows asked for) until the step is found again.
    uint32_t next = from, aheadEnd = from, aheadCount = 0;
    std::unordered_map<uint64_t, uint32_t> ahead;
    const auto keyOf = [](NOTEID note, uint32_t part) { return uint64_t{note} << 32 | part; };
    Batch* batch = nullptr; // made with the first row given back, so that a row gone lets no batch go
    bool damaged = false;
    const auto take = [&](const RowRef& row) {
        while (next < built && !OfRow(next))
            ++next;
        uint32_t at = next;
        if (at >= built || entries_[at].id != row.note || entries_[at].part != row.part) {
            for (aheadEnd = std::max(aheadEnd, next); aheadEnd < built && aheadCount < 2 * rows; ++aheadEnd)
                if (OfRow(aheadEnd)) {
                    ahead.emplace(keyOf(entries_[aheadEnd].id, entries_[aheadEnd].part), aheadEnd);
                    ++aheadCount;
                }
            const auto it = ahead.find(keyOf(row.note, row.part));
            if (it == ahead.end()) return NOERROR;
            at = it->second;
        }
        next = at + 1;
        Entry& e = entries_[at];
        // An entry still in memory keeps its bytes; a damaged row is reported when its entry is read.
        if (BytesOf(e.batch) != nullptr) return NOERROR;
        if (!WellFormedSummary(row.summary)) {
            damaged = damaged || at == index;
            return NOERROR;
        }
        if (batch == nullptr) {
            StartBatch();
            batch = &batches_.back();
        }
        if (batch->bytes.size() + row.summary.size() + row.sortValues.size() > UINT32_MAX)
            return ERR_INSUFFICIENT_MEMORY;
        e.batch = batch->number;
        e.summaryOffset = static_cast<uint32_t>(batch->bytes.size());
        e.summaryLength = static_cast<uint32_t>(row.summary.size());
        e.sortLength = static_cast<uint32_t>(row.sortValues.size());
        batch->bytes.append(row.summary);
        batch->bytes.append(row.sortValues);
        return NOERROR;
    };
    const Entry& e = entries_[index];
    STATUS s =
        source_ ? source_->ReadFrom(entries_[from].id, entries_[from].part, rows, take) : ERR_NOT_FOUND;
    // Reading backwards from an entry whose row has gone or moved since may not have reached index.
    if (s == NOERROR && BytesOf(e.batch) == nullptr && from != index) {
        from = next = aheadEnd = index;
        aheadCount = 0;
        ahead.clear();
        s = source_->ReadFrom(e.id, e.part, rows, take);
    }
    if (batch != nullptr) {
        againFrom_ = from;
        againEnd_ = std::max(next, index + 1);
        againRows_ = rows;
    }
    if (BytesOf(e.batch) != nullptr) return true;
    // A document deleted since its entry was made shows empty columns; any other failure is the read's.
    if (s == NOERROR && damaged) s = ERR_VIEW_INDEX_DAMAGED;
    if (s != NOERROR && s != ERR_NOT_FOUND && failure_ == NOERROR) failure_ = s;
    cold_ = SummaryWith(View(), std::string::npos, {});
    coldSummary_ = static_cast<uint32_t>(cold_.size());
    return false;
}

STATUS CollectionData::FirstRows(const std::vector<NOTEID>& notes, const FirstRowSink& take) {
    return source_ ? source_->FirstRows(notes, take) : ERR_NOT_FOUND;
}

void CollectionData::RowSummaries(const std::vector<RowPlace>& rows, std::vector<std::string>& summaries) {
    const std::string empty = SummaryWith(View(), std::string::npos, {});
    summaries.assign(rows.size(), empty);
    STATUS s = source_ ? source_->Summaries(rows,
                                            [&](size_t at, std::string_view summary, bool found) {
                                                if (!found) return NOERROR;
                                                if (!WellFormedSummary(summary))
                                                    return ERR_VIEW_INDEX_DAMAGED;
                                                summaries[at].assign(summary);
                                                return NOERROR;
                                            })
                       : NOERROR;
    if (s != NOERROR) {
        summaries.assign(rows.size(), empty);
        if (failure_ == NOERROR) failure_ = s;
    }
}

std::string_view CollectionData::Summary(uint32_t index) {
    const Entry& e = entries_[index];
    const std::string* bytes = BytesOf(e.batch);
    if (bytes == nullptr && ReadAgain(index)) bytes = BytesOf(e.batch);
    if (bytes == nullptr) return std::string_view(cold_).substr(0, coldSummary_);
    return {bytes->data() + e.summaryOffset, e.summaryLength};
}

STATUS CollectionData::EachDocumentSortValues(const std::function<void(uint32_t, std::string_view)>& take) {
    const uint32_t count = Size();
    if (failure_ != NOERROR) return failure_;
    uint32_t next = 0; // the first document entry not yet handed over
    const auto isDocument = [this](uint32_t i) { return entries_[i].kind == EntryKind::Document; };
    if (source_ != nullptr) {
        // The stored rows come in the order their entries were made; an entry whose row has moved or gone
        // since ends the pass and is read on its own below.
        bool inStep = true;
        const STATUS s = source_->ReadAll([&](const RowRef& row) {
            while (next < count && !isDocument(next))
                ++next;
            if (!inStep || next == count || entries_[next].id != row.note ||
                entries_[next].part != row.part) {
                inStep = false;
                return NOERROR;
            }
            take(next++, row.sortValues);
            return NOERROR;
        });
        if (s != NOERROR) return s;
    }
    for (; next < count; ++next)
        if (isDocument(next)) take(next, SortValues(next));
    return failure_;
}

std::string_view CollectionData::SortValues(uint32_t index) {
    const Entry& e = entries_[index];
    const std::string* bytes = BytesOf(e.batch);
    if (bytes == nullptr && ReadAgain(index)) bytes = BytesOf(e.batch);
    if (bytes == nullptr) return std::string_view(cold_).substr(coldSummary_);
    return {bytes->data() + e.summaryOffset + e.summaryLength, e.sortLength};
}

void CollectionData::GrowFrom(std::unique_ptr<RowSource> source) {
    source_ = std::move(source);
    batch_ = kFirstBatch;
}

bool CollectionData::Grow() {
    if (complete_) return false;
    bool done = true;
    StartBatch();
    // Room for the batch's rows at the size of the last batch's: grown step by step, a large batch's bytes
    // would be copied again at every step, into fresh pages each time.
    if (rowBytes_ > 0) batches_.back().bytes.reserve(batch_ * rowBytes_);
    STATUS s = source_ ? source_->Read(
                             batch_, [this](const RowRef& row) { return Add(row); }, done)
                       : NOERROR;
    rowBytes_ = (batches_.back().bytes.size() + batch_ - 1) / batch_;
    batch_ = std::min(batch_ * 2, kLargestBatch);
    if (s == NOERROR && done) s = Finish();
    if (s != NOERROR) {
        // The entries end where reading failed; every later question answers from them and the failure.
        failure_ = s;
        complete_ = true;
        builder_.reset();
    }
    return true;
}

bool CollectionData::Has(uint32_t index) {
    while (index >= entries_.size() && Grow()) {
    }
    return index < entries_.size();
}

uint32_t CollectionData::Size() {
    while (Grow()) {
    }
    return Built();
}

uint32_t CollectionData::End(uint32_t index) {
    while (entries_[index].end == 0 && Grow()) {
    }
    return entries_[index].end != 0 ? entries_[index].end : Built();
}

const std::vector<uint32_t>* CollectionData::ChildrenOf(uint32_t parent) const {
    if (parent == kNoEntry) return &top_;
    const uint32_t list = entries_[parent].children;
    return list == kNoEntry ? nullptr : &lists_[list];
}

uint32_t CollectionData::ChildAt(uint32_t parent, uint32_t rank) {
    if (rank == 0) return kNoEntry;
    for (;;) {
        const std::vector<uint32_t>* children = ChildrenOf(parent);
        if (children != nullptr && rank <= children->size()) return (*children)[rank - 1];
        if (Closed(parent) || !Grow()) return kNoEntry;
    }
}

uint32_t CollectionData::ChildCount(uint32_t parent) {
    while (!Closed(parent) && Grow()) {
    }
    const std::vector<uint32_t>* children = ChildrenOf(parent);
    return children == nullptr ? 0 : static_cast<uint32_t>(children->size());
}

} // namespace nnotes::views
