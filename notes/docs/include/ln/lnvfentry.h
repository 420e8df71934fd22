// LNVFEntry: one row of a view's collection as a navigator read it: a document, a category or a total. The
// body keeps the read buffer (note id, indent levels, score, summary values); column values come from the
// summary, from a column's constant, or from its formula evaluated without a document.
#pragma once

#include "ln/lndocument.h"
#include "ln/lnitem.h"
#include "ln/lnvfnavigator.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/timedate.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class LNVFNavigatorBody;
class LNViewFolderBody;

// Entries read ahead in one buffer by a navigator walking on in order; the entries made from it share it.
class LNVFEntryRun {
public:
    // Takes buffer, which stays locked until the last entry lets go of it.
    explicit LNVFEntryRun(nnotes::DHANDLE buffer);
    ~LNVFEntryRun();
    LNVFEntryRun(const LNVFEntryRun&) = delete;
    LNVFEntryRun& operator=(const LNVFEntryRun&) = delete;
    const uint8_t* Bytes() const { return Locked; }

private:
    nnotes::DHANDLE Buffer;
    const uint8_t* Locked;
};

using LNVFENTRYTYPE = uint16_t;
constexpr LNVFENTRYTYPE LNVFENTRYTYPE_CATEGORY = 0, LNVFENTRYTYPE_MAIN_DOCUMENT = 1,
                        LNVFENTRYTYPE_RESPONSE = 2, LNVFENTRYTYPE_TOTAL = 3;

class LNVFEntryBody : public LNBody {
public:
    static constexpr uint16_t kFTEntry = 0x0001, kStatisticsKnown = 0x0004;

    // Takes buffer (a read of length bytes at position); a buffer that does not hold one whole entry gives
    // LNERR_VIEW_ENTRY_CREATE in *status.
    LNVFEntryBody(LNVFNavigatorBody* navigator, const LNVFPosition& position, nnotes::DHANDLE buffer,
                  uint16_t length, LNSTATUS* status);
    // An entry of a run read ahead: length bytes at offset, whose header holds its peer number after the
    // note class (what a read ahead asks for beside the entry's own fields).
    LNVFEntryBody(LNVFNavigatorBody* navigator, const LNVFPosition& position,
                  std::shared_ptr<const LNVFEntryRun> run, uint32_t offset, uint16_t length,
                  LNSTATUS* status);
    ~LNVFEntryBody() override;
    LNVFEntryBody(const LNVFEntryBody&) = delete;
    LNVFEntryBody& operator=(const LNVFEntryBody&) = delete;

    // Becomes the next entry of a run, as the constructor above makes it, for a walk whose handle is the only
    // one left to this entry: the walk then makes nothing per row.
    void TakeNext(const LNVFPosition& position, const std::shared_ptr<const LNVFEntryRun>& run,
                  uint32_t offset, uint16_t length, LNSTATUS* status);
    bool IsReadAhead() const { return Run != nullptr; }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFENTRYBODY; }
    // Frees the read buffer.
    LNSTATUS Close() override;

    nnotes::NOTEID GetNoteID() const { return NoteID; }
    uint16_t GetIndentLevels() const { return IndentLevels; }
    uint16_t GetScore() const { return Score; }
    LNVFENTRYTYPE GetType() const { return EntryType; }
    bool IsCategoryOrTotal() const {
        return EntryType == LNVFENTRYTYPE_CATEGORY || EntryType == LNVFENTRYTYPE_TOTAL;
    }
    const LNVFPosition& GetPosition() const { return Position; }
    const LNVFNavigator& GetNavigator() const { return Navigator; }

    // All throw their failures.
    LNItem GetColumnValue(uint32_t column);
    // The platform text of a column's plain text value, read straight from the summary for walks that read
    // every column of every row; empty for a column that shows nothing on this entry. False where the value
    // is of another kind or comes from elsewhere (a list, a constant, a formula, an unmapped summary): the
    // caller then takes GetColumnValue, which also reports what is wrong.
    bool GetSummaryText(uint32_t column, std::string* platformText);
    LNItem GetColumnValueByTitle(const LNString& title);
    uint32_t GetChildCount();
    uint32_t GetDescendantCount();
    uint32_t GetSiblingCount();
    LNSTATUS GetDocument(LNDocument* document) const;
    // The note id of the document GetDocument would give, without building it; 0 where it gives none (a
    // category, a total, an entry of a closed view).
    nnotes::NOTEID GetDocumentNoteID() const;
    // GetSummaryText for every column at once, for walks that read every column of every row: the summary is
    // parsed once, and each text goes into texts[column], whose storage is reused. plain[column] is 0 where
    // GetSummaryText would give false, and that column's text is left as it was. texts and plain must hold
    // one element per column of the view.
    void GetSummaryTexts(std::vector<std::string>& texts, std::vector<uint8_t>& plain);

private:
    // The database of the document GetDocument gives, or the status it fails with.
    LNSTATUS DocumentDatabase(LNDatabaseBody** database) const;
    // The entry's bytes, from its own buffer or from its run: locked until UnlockBytes.
    const uint8_t* LockBytes() const;
    void UnlockBytes() const;
    // Reads the header of bytes (length of them) as laid out in a read of this navigator.
    void ReadHeader(LNVFNavigatorBody* navigator, const uint8_t* bytes, uint16_t length, LNSTATUS* status);
    void ReadStatistics();
    // The summary items of the read buffer: names, and values with their type word first. Throws
    // LNERR_VIEW_ENTRY_CREATE when the buffer does not hold them whole.
    void ReadSummary(std::vector<std::string>* names, std::vector<std::string>* values) const;
    // The value of summary item index alone (type word first), read as ReadSummary reads it; nothing when the
    // summary has fewer items.
    std::optional<std::string> ReadSummaryValue(size_t index) const;
    // Whether the column gives an empty value on this row without anything being read.
    bool IsEmptyColumn(const LNViewFolderBody& view, uint32_t column) const;
    // A constant text with its special values filled in for this entry.
    std::string TranslateConstant(const LNViewFolderBody& view, const std::string& constant);

    uint32_t ChildCount = 0;
    uint32_t DescendantCount = 0;
    nnotes::DHANDLE Buffer = nnotes::NULLHANDLE;
    std::shared_ptr<const LNVFEntryRun> Run; // instead of Buffer for an entry read ahead
    uint32_t Offset = 0;                     // of the entry in its run
    uint16_t Length = 0;
    uint16_t Flags = 0;
    uint16_t IndentLevels = 0;
    LNVFNavigator Navigator;
    nnotes::NOTEID NoteID = 0;
    LNVFPosition Position;
    uint16_t Score = 0;
    uint32_t SiblingCount = 0;
    uint16_t HeaderSize = 0;
    nnotes::Instant RefreshTime{};
    LNVFENTRYTYPE EntryType = LNVFENTRYTYPE_MAIN_DOCUMENT;
    uint32_t PeerNumber = 0;
};

class LNVFEntry : public LNSmartPtr {
public:
    LNVFEntry() = default;
    LNVFEntry(const LNVFEntry& other) = default;
    ~LNVFEntry() = default;
    LNVFEntry& operator=(const LNVFEntry& other);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFENTRY; }

    void Attach(LNVFEntryBody* body);
    LNVFEntryBody* GetVFEntryBody() const { return static_cast<LNVFEntryBody*>(GetBody()); }

    // Failures are thrown.
    LNItem operator[](uint32_t column) const;
    void GetColumnValueByTitle(LNItem* value, const LNString& title) const;
    nnotes::NOTEID GetNoteID() const;
    uint16_t GetIndentLevels() const;
    uint16_t GetScore() const;
    LNVFENTRYTYPE GetType() const;
    bool IsCategory() const { return GetType() == LNVFENTRYTYPE_CATEGORY; }
    bool IsMainDocument() const { return GetType() == LNVFENTRYTYPE_MAIN_DOCUMENT; }
    bool IsResponse() const { return GetType() == LNVFENTRYTYPE_RESPONSE; }
    bool IsTotal() const { return GetType() == LNVFENTRYTYPE_TOTAL; }
    uint32_t GetChildCount() const;
    uint32_t GetDescendantCount() const;
    uint32_t GetSiblingCount() const;

    // Failures pass through the throw-or-return rule.
    LNSTATUS GetDocument(LNDocument* document) const;
    LNSTATUS GetPosition(LNVFPosition* position) const;
    LNSTATUS GetViewFolder(LNViewFolder* view) const;

private:
    LNVFEntryBody* Require() const;
};
