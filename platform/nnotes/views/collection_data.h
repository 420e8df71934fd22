// An open collection's entries: the category, document, response and total entries of one view in view
// order, each knowing its parent, its rank among its peers and, once complete, its subtree.
//
// The entries grow on demand: a collection over a stored index reads its rows a batch at a time, as far as
// the reads ask for, so opening a large view costs what its first rows cost. An entry whose subtree may
// still grow is open (end 0); whatever needs its end, its child count or its peer count reads on until it
// closes. Entries made so far never change, only more follow.
//
// Only the rows of the last batches are kept in memory, so memory does not grow with the view as a reader
// goes through it. A document entry read after its batch has gone reads its row from the store again, and
// the rows after it in the same query into a fresh batch: a reader that starts again from the top (or from
// a key found, or anywhere) goes on in batches as the first reader did, not one query per row.
#pragma once

#include "views/view_format.h"
#include "views/viewindex_store.h"

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

namespace nnotes::views {

constexpr uint32_t kNoEntry = UINT32_MAX;
constexpr uint32_t kKeptForGood = UINT32_MAX; // the batch of entries whose bytes are never let go

enum class EntryKind : uint8_t { Category, Document, Response, Total };

struct Entry {
    NOTEID id = 0;
    uint16_t noteClass = 0;
    uint16_t indent = 0; // response depth
    uint16_t level = 0;
    EntryKind kind = EntryKind::Document;
    uint32_t parent = kNoEntry;
    uint32_t rank = 0;                             // 1-based among its peers
    uint32_t end = 0;                              // the index past its last descendant; 0 while open
    uint32_t children = kNoEntry;                  // its list of children, once it has one
    uint32_t part = 0;                             // documents: which of the note's rows
    uint32_t batch = kKeptForGood;                 // the batch whose bytes hold its row
    uint32_t summaryOffset = 0, summaryLength = 0; // in its batch's bytes
    uint32_t sortLength = 0;                       // documents: their sort values, after the summary
};

// Entries in blocks of a fixed size: growing never moves the ones made, and never asks for one large
// block of fresh memory (which costs a page fault per page on every open of a large view).
// A block's slots are made only as entries are pushed: filling a whole block with default entries first
// would write every one of its bytes twice.
class EntryList {
public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Entry& operator[](size_t i) { return *std::launder(reinterpret_cast<Entry*>(Slot(i))); }
    const Entry& operator[](size_t i) const {
        return *std::launder(reinterpret_cast<const Entry*>(blocks_[i / kPerBlock][i % kPerBlock].bytes));
    }
    // A new entry at the end, made with its defaults, for the caller to fill in where it stands.
    Entry& emplace_back() {
        if (size_ == blocks_.size() * kPerBlock)
            blocks_.push_back(std::make_unique_for_overwrite<Raw[]>(kPerBlock));
        return *::new (static_cast<void*>(Slot(size_++))) Entry();
    }

private:
    static_assert(std::is_trivially_destructible_v<Entry>);
    struct Raw {
        alignas(Entry) unsigned char bytes[sizeof(Entry)];
    };
    unsigned char* Slot(size_t i) { return blocks_[i / kPerBlock][i % kPerBlock].bytes; }
    static constexpr size_t kPerBlock = 1024;
    std::vector<std::unique_ptr<Raw[]>> blocks_;
    size_t size_ = 0;
};

// Where the rest of a collection's rows come from: each call hands up to max rows, in view order, to sink;
// done says there are no more. ReadFrom reads rows again: up to max of them in view order from the row of
// (note, part) as it is stored now, that row first; none when it is no longer stored.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual STATUS Read(size_t max, const RowSink& sink, bool& done) = 0;
    virtual STATUS ReadFrom(NOTEID note, uint32_t part, size_t max, const RowSink& sink) = 0;
    // Hands every row, from the first, to sink in view order.
    virtual STATUS ReadAll(const RowSink& sink) = 0;
    // The first row in view order of each of notes that has one, as one snapshot of the index.
    virtual STATUS FirstRows(const std::vector<NOTEID>& notes, const FirstRowSink& take) = 0;
    // The summaries of rows, as one snapshot of the index (see ReadIndexSummaries).
    virtual STATUS Summaries(const std::vector<RowPlace>& rows, const SummarySink& take) = 0;
};

class CollectionData {
public:
    explicit CollectionData(std::shared_ptr<const ViewDefinition> view);
    ~CollectionData();
    CollectionData(const CollectionData&) = delete;
    CollectionData& operator=(const CollectionData&) = delete;

    // Building: rows in view order, then either Finish (no more rows) or GrowFrom (the rest on demand).
    STATUS Add(const RowRef& row);
    STATUS Finish();
    void GrowFrom(std::unique_ptr<RowSource> source);

    const ViewDefinition& View() const { return *view_; }
    const std::shared_ptr<const ViewDefinition>& ViewShared() const { return view_; }
    uint32_t Built() const { return static_cast<uint32_t>(entries_.size()); }
    const Entry& operator[](uint32_t index) const { return entries_[index]; }
    // An entry's summary and (documents) sort values, read again from the store when their batch has gone;
    // valid until the next call.
    std::string_view Summary(uint32_t index);
    std::string_view SortValues(uint32_t index);
    // Reads every entry and hands each document entry's index and sort values to take, in order: the rows
    // that have left memory are read again in one pass rather than one by one.
    STATUS EachDocumentSortValues(const std::function<void(uint32_t, std::string_view)>& take);

    // Whether the rows come from a stored index, which can be asked for the rows of one note.
    bool Stored() const { return source_ != nullptr; }
    // The first row in view order of each of notes that the stored index holds: take gets the note's place
    // in notes, the row's part and key. Needs Stored().
    STATUS FirstRows(const std::vector<NOTEID>& notes, const FirstRowSink& take);
    // The summaries of rows as stored now, each checked: a row no longer stored gives empty columns, as an
    // entry of a deleted document does, and a failure to read leaves them all empty and is Failure().
    void RowSummaries(const std::vector<RowPlace>& rows, std::vector<std::string>& summaries);

    // What reading the rest of the rows failed with, once it has (the entries end where it did).
    STATUS Failure() const { return failure_; }

    // The questions below read on as far as they need to (entries once made stay where they are).
    bool Has(uint32_t index);                         // whether entry index exists
    uint32_t Size();                                  // every entry
    uint32_t End(uint32_t index);                     // the index past its last descendant
    uint32_t ChildAt(uint32_t parent, uint32_t rank); // 1-based; parent kNoEntry for the top level
    uint32_t ChildCount(uint32_t parent);
    // Whether entry index lies in the subtree below anchor (needs no reading: while anchor is open, every
    // entry made after it lies below it).
    bool Below(uint32_t anchor, uint32_t index) const {
        const uint32_t end = entries_[anchor].end;
        return index > anchor && (end == 0 || index < end);
    }

private:
    struct Builder;
    struct Batch {
        uint32_t number = 0;
        std::string bytes;
    };
    bool Grow(); // reads one more batch; false once every row has been read
    void StartBatch();
    const std::string* BytesOf(uint32_t batch) const;
    // Gives entry index (a document whose batch has gone) its row's bytes again, reading on in one query
    // into a fresh batch for the entries after it; false when its row is no longer stored or could not be
    // read, with cold_ holding empty columns.
    bool ReadAgain(uint32_t index);
    // The first entry to read again from for index, and how many rows: reading on in order (forwards or
    // backwards) reads more at a time, as growing does; a jump reads one row.
    uint32_t AgainFrom(uint32_t index, size_t& rows);
    // Whether entry index stands for a stored row.
    bool OfRow(uint32_t index) const { return entries_[index].batch != kKeptForGood; }
    const std::vector<uint32_t>* ChildrenOf(uint32_t parent) const;
    bool Closed(uint32_t parent) const { return parent == kNoEntry ? complete_ : entries_[parent].end != 0; }

    std::shared_ptr<const ViewDefinition> view_;
    EntryList entries_;
    std::vector<uint32_t> top_;                // the top-level entries
    std::vector<std::vector<uint32_t>> lists_; // the children of each entry that has some
    std::string arena_;                        // the entries kept for good: categories and the total
    std::vector<Batch> batches_;               // the last batches read, oldest first
    uint32_t nextBatch_ = 0;
    std::string cold_;
    uint32_t coldSummary_ = 0;
    // The entries the last reading again went over, [againFrom_, againEnd_), and how many rows it read.
    uint32_t againFrom_ = kNoEntry, againEnd_ = 0;
    size_t againRows_ = 0;
    std::unique_ptr<Builder> builder_;
    std::unique_ptr<RowSource> source_; // kept after the last row, to read rows again
    size_t batch_ = 0;                  // rows read by the next growing
    size_t rowBytes_ = 0;               // the bytes of one row in the last batch grown, rounded up
    bool complete_ = false;
    STATUS failure_ = NOERROR;
};

} // namespace nnotes::views
