// The parameters and results of full-text work: LNFTSearchOptions for a query, LNFTIndexStatistics for the
// counters of an index update, and LNFTArrayBody for the matching notes of one database search.
#pragma once

#include "ln/lnidtable.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"

class LNFTSearchOptions : public LNNotesClass {
public:
    static constexpr uint32_t kScores = 0x0008, kSortDate = 0x0020, kAscend = 0x0040, kTopScores = 0x0080,
                              kStemWords = 0x0200, kThesaurusWords = 0x0400;

    LNFTSearchOptions() = default;
    LNFTSearchOptions(const LNFTSearchOptions& other) = default;
    LNFTSearchOptions& operator=(const LNFTSearchOptions& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFTSEARCHOPTIONS; }

    uint32_t GetMaxDocuments() const { return MaxDocuments; }
    uint32_t GetOptions() const { return Options; }
    // Above 0xFFFF: LNERR_INVALID_PARAMETER. A limit with relevance order keeps the most relevant.
    LNSTATUS SetMaxDocuments(uint32_t count);
    // 8 relevance, 32 newest first, 96 oldest first.
    uint32_t GetSortOrder() const;
    // 8, 32 or 96, else LNERR_INVALID_PARAMETER.
    LNSTATUS SetSortOrder(uint32_t order);
    bool GetStemWords() const { return (Options & kStemWords) != 0; }
    void SetStemWords(bool flag) { SetBit(kStemWords, flag); }
    bool GetThesaurusWords() const { return (Options & kThesaurusWords) != 0; }
    void SetThesaurusWords(bool flag) { SetBit(kThesaurusWords, flag); }

private:
    void SetBit(uint32_t bit, bool flag) { Options = flag ? Options | bit : Options & ~bit; }

    uint16_t MaxDocuments = 250;
    uint32_t Options = kScores | kTopScores | kStemWords;
};

class LNFTIndexStatistics : public LNNotesClass {
public:
    LNFTIndexStatistics() = default;
    LNFTIndexStatistics(const LNFTIndexStatistics& other) = default;
    LNFTIndexStatistics& operator=(const LNFTIndexStatistics& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFTINDEXSTATISTICS; }

    void SetStatistics(uint32_t added, uint32_t updated, uint32_t deleted, uint32_t bytes);
    uint32_t GetDocsAdded() const { return DocsAdded; }
    uint32_t GetDocsUpdated() const { return DocsUpdated; }
    uint32_t GetDocsDeleted() const { return DocsDeleted; }
    uint32_t GetBytesIndexed() const { return BytesIndexed; }

private:
    uint32_t DocsAdded = 0;
    uint32_t DocsUpdated = 0;
    uint32_t DocsDeleted = 0;
    uint32_t BytesIndexed = 0;
};

// The result of a database's full-text search, in result order, over a result block that it owns. As an
// LNIDTable it is closed from the start: it has no ID table until GetHandle asks for one.
class LNFTArrayBody : public LNIDTable {
public:
    // Takes ownership of the result block; NULLHANDLE throws LNERR_NULL_POINTER, a block too short for the
    // count it states throws LNERR_CORRUPTED (the block is freed in both cases).
    explicit LNFTArrayBody(nnotes::DHANDLE results);
    ~LNFTArrayBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFTARRAYBODY; }

    // An ID table of every result, built once; none for 0 results. A failure to build it is thrown.
    nnotes::DHANDLE GetHandle() const override;
    // Throw LNERR_SUBSCRIPT_OUT_OF_RANGE for an index not below GetCount.
    nnotes::NOTEID operator[](uint32_t index) override;
    uint32_t GetScore(uint32_t index) const;
    uint32_t GetCount() const override { return Count; }

private:
    void CheckIndex(uint32_t index) const;

    uint32_t Count = 0;
    nnotes::DHANDLE Results;
    mutable nnotes::DHANDLE Table = nnotes::NULLHANDLE;
    const unsigned char* Block = nullptr;
    bool HasScores = false;
};
