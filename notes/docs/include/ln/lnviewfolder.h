// LNViewFolder: a view or folder of a database, the design note whose "$ViewFormat" lists its columns and
// whose "$TITLE" names it. LNViewFolderBody holds it open: the decoded column layout, its name and alias, the
// database whose documents it shows, its own navigator over every entry and the navigators made from it.
#pragma once

#include "ln/lnftsearch.h"
#include "ln/lnnote.h"
#include "ln/lnvfnavigator.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"

#include <string>
#include <vector>

class LNVFEntry;

using LNVFNOTETYPE = uint32_t;
constexpr LNVFNOTETYPE LNVFNOTETYPE_VIEW = 0, LNVFNOTETYPE_FOLDER = 1, LNVFNOTETYPE_UNKNOWN = 2;

// Open options of a view; other bits, also above the 16 that the view keeps, are refused.
constexpr uint16_t LNVFOPENOPTION_ALLOWED = 0x0017;

class LNViewFolderBody : public LNNoteBody {
public:
    static constexpr uint16_t kNew = 0x0001, kOpen = 0x0002, kKnownView = 0x0004, kOwnsDatabase = 0x0008,
                              kSummaryMapped = 0x0010;
    static constexpr uint16_t kColumnCategory = 0x0002, kColumnHidden = 0x0008, kColumnResponse = 0x0010;
    static constexpr uint16_t kNotMapped = 0xFFFF;
    static constexpr uint32_t kNoResponseColumn = 0xFFFFFFFF;

    // One column of the layout: its record and its four variable parts.
    struct Column {
        nnotes::ODSViewColumnFormat format;
        std::string itemName, title, formula, constant;
        uint16_t summaryIndex;
    };

    // A view note of the database, to be opened later.
    LNViewFolderBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNVFNOTETYPE type, LNSTATUS* status);
    // An open note handed over by the database; a note that is no view gives LNERR_INVALID_VIEW.
    LNViewFolderBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status);
    ~LNViewFolderBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVIEWFOLDERBODY; }
    // The view's Close; LNWARN_NOT_OPEN when it is not open.
    LNSTATUS Close() override;
    // Opens the view with the note's own database as the data database.
    LNSTATUS Open(uint32_t options) override;
    // Opens the view over the documents of data; statuses pass through the throw-or-return rule.
    LNSTATUS OpenView(uint32_t options, const LNDatabase& data);

    bool IsViewOpen() const { return (Flags & kOpen) != 0; }
    LNSTATUS GetNotOpenStatus() const { return NotOpenStatus; }
    const LNString& GetName() const { return Name; }
    const LNString& GetAlias() const { return Alias; }
    const LNDatabase& GetViewDatabase() const { return Database; }
    uint16_t GetOpenOptions() const { return OpenOptions; }
    LNVFNavigator& GetNavigator() { return Navigator; }

    uint32_t GetColumnCount() const { return static_cast<uint32_t>(Columns.size()); }
    // Throw the not-open status, or LNERR_OUT_OF_RANGE for an index not below the column count.
    LNString GetColumnTitle(uint32_t index) const;
    const Column& GetColumn(uint32_t index) const { return Columns[index]; }
    uint32_t GetFirstResponseColumn() const { return FirstResponseColumn; }
    // The index of the first column titled exactly so (case and accents count); statuses unfiltered.
    LNSTATUS FindColumn(const LNString& title, uint32_t* index) const;
    // Fills each column's summary index from an entry's summary item names, in step with the columns.
    void MapSummary(const std::vector<std::string>& itemNames, bool keep);
    bool IsSummaryMapped() const { return (Flags & kSummaryMapped) != 0; }

    // A navigator over every entry, or over the entries under start (levels 0: all), for navigator.
    LNSTATUS GetEntries(LNVFNavigator* navigator, const LNVFPosition* start, uint32_t levels);
    LNSTATUS FTSearch(const LNString* query, LNVFNavigator* navigator, const LNFTSearchOptions* options,
                      LNVFNavigator* restrict);
    // Takes a dying navigator body off the list of those made from this view.
    void ForgetNavigator(LNVFNavigatorBody* navigator);

private:
    LNSTATUS ReadColumnLayout();
    void ReadTitle();
    void FreeLayout();

    LNString Alias;
    LNDatabase Database;
    LNString Name;
    LNVFNavigator Navigator;
    LNObjectList Navigators;
    LNVFNOTETYPE NoteType = LNVFNOTETYPE_VIEW;
    uint16_t OpenOptions = 0;
    uint16_t Flags = 0;
    uint32_t FirstResponseColumn = kNoResponseColumn;
    std::vector<Column> Columns;
    LNSTATUS NotOpenStatus = LNERR_VIEW_NOT_OPEN;
};

class LNViewFolder : public LNNote {
public:
    LNViewFolder() = default;
    LNViewFolder(const LNViewFolder& other) = default;
    // Throws LNERR_CONVERSION unless the note is a view or folder.
    LNViewFolder(const LNNote& note);
    // A view note of the database, not opened.
    LNViewFolder(LNDatabaseBody* database, nnotes::NOTEID noteId);
    explicit LNViewFolder(LNViewFolderBody* body);
    ~LNViewFolder() override = default;

    LNViewFolder& operator=(const LNViewFolder& other);
    // Throws LNERR_CONVERSION unless the note is a view or folder.
    LNViewFolder& operator=(const LNNote& note);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVIEWFOLDER; }
    LNSTATUS Close() override;
    LNSTATUS Open(uint32_t options) override;
    LNSTATUS Open(uint32_t options, const LNDatabase& data);
    LNSTATUS Open(uint32_t options, const LNString& path, const LNString& server);
    LNSTATUS Save(uint32_t flags) override;

    LNString GetName() const;
    LNString GetAlias() const;
    LNDatabase GetDatabase() const;
    uint32_t GetColumnCount() const;
    LNString GetColumnTitle(uint32_t index) const;

    LNSTATUS GetEntries(LNVFNavigator* navigator);
    LNSTATUS GetEntries(LNVFNavigator* navigator, uint32_t levels);
    uint32_t GetEntryCount() const;
    LNVFEntry operator[](uint32_t index);
    LNSTATUS Goto(LNVFNAVIGATION code, LNVFEntry* entry = nullptr);
    LNSTATUS GetEntry(LNVFEntry* entry);
    LNSTATUS GetEntry(LNVFEntry* entry, const LNVFPosition& position);
    LNSTATUS GetPosition(LNVFPosition* position) const;
    LNSTATUS SetPosition(const LNVFPosition& position);
    LNSTATUS GotoStart();
    LNSTATUS Refresh();
    bool IsCategorized() const;
    LNSTATUS DeleteEntry(LNVFEntry* entry, bool descendants = false);
    LNSTATUS DeleteEntry(const LNVFPosition& position, bool descendants = false);

    LNSTATUS FindByKey(const LNString& key, LNVFEntry* entry, uint32_t* count = nullptr);
    LNSTATUS FindByKey(const LNString& key, const LNVFFindOptions& options, LNVFEntry* entry,
                       uint32_t* count = nullptr);
    LNSTATUS FindByKey(double key, LNVFEntry* entry, uint32_t* count = nullptr);
    LNSTATUS FindByKey(double key, const LNVFFindOptions& options, LNVFEntry* entry,
                       uint32_t* count = nullptr);
    LNSTATUS FindByKey(const LNDatetime& key, LNVFEntry* entry, uint32_t* count = nullptr);
    LNSTATUS FindByKey(const LNDatetime& key, const LNVFFindOptions& options, LNVFEntry* entry,
                       uint32_t* count = nullptr);
    LNSTATUS FindByKeys(LNVFFindKeys& keys, LNVFEntry* entry, uint32_t* count = nullptr);
    LNSTATUS FindByKeys(LNVFFindKeys& keys, const LNVFFindOptions& options, LNVFEntry* entry,
                        uint32_t* count = nullptr);

    LNSTATUS FTSearch(const LNString& query, LNVFNavigator* navigator);
    LNSTATUS FTSearch(const LNString& query, LNVFNavigator* navigator, const LNFTSearchOptions& options);
    LNSTATUS FTSearch(const LNString& query, LNVFNavigator* navigator, const LNFTSearchOptions& options,
                      LNVFNavigator* restrict);

    LNViewFolderBody* GetViewFolderBody() const;

private:
    // The status of a handle without a body.
    LNSTATUS MissingBodyStatus() const;
    // The body, or the missing-body status thrown.
    LNViewFolderBody* RequireView() const;
    // The view's navigator, or the missing-body status thrown.
    LNVFNavigator& ViewNavigator() const;
    // Runs work on the view's navigator; without a body the missing-body status passes through the
    // throw-or-return rule.
    template <class Work>
    LNSTATUS WithNavigator(Work work) const;
    // Makes the body on the first Open.
    LNSTATUS MakeBody();
    void Convert(const LNNote& note);
};
