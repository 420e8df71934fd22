// LNRichText and LNRichTextBody: a rich-text field of a note. The field may be stored as several composite
// items of one name; the body joins them into one tree of rich-text objects under one top container, parsed
// on first use, and lays the tree out again on Flush in items of at most LNRICHTEXT_BLOCK_SIZE bytes. A
// record is never split between items.
#pragma once

#include "ln/lncompositeitembody.h"
#include "ln/lnfontstyle.h"
#include "ln/lnitem.h"
#include "ln/lnrtcontainer.h"
#include "nnotes/memblock.h"

#include <memory>
#include <vector>

constexpr uint32_t LNRICHTEXT_BLOCK_SIZE = 40960;

class LNRichText;
class LNRTCursor;

class LNRichTextBody : public LNCompositeItemBody {
public:
    LNRichTextBody() = default;
    // The first item of a rich-text field of an open note; further items come through AddItemBlock.
    LNRichTextBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                   nnotes::BLOCKID value, uint32_t size);
    ~LNRichTextBody() override;

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNRICHTEXTBODY; }
    // The value sizes of every item of the field.
    uint32_t GetValueSize() const override;
    bool IsItemBlock(nnotes::BLOCKID item) const override;
    bool IsDirty() const override;
    bool ShouldCloseOnRelease() const override;
    LNSTATUS Flush(const LNString* name) override;
    LNSTATUS BuildValue() override;
    // Takes a copy of other's contents.
    virtual LNSTATUS Assign(LNRichTextBody* other);
    // Appends the text of the whole rich text.
    virtual LNSTATUS GetText(LNString* text);

    LNSTATUS Append(const LNString& text);
    LNSTATUS Append(LNRichTextBody* other);
    LNSTATUS Append(const LNRTObject& object);
    LNSTATUS RemoveChild(LNRTObject* object);
    LNSTATUS GetFirstChild(LNRTObject* out);
    LNSTATUS GetRTContainer(LNRTContainer* out);

    // Fills this rich text with a copy of what selection holds: the top container becomes a shallow copy
    // of the selection's container and takes copies of the selected part of its children.
    LNSTATUS CopySelection(const RTSelection& selection);
    // A new free-standing rich text holding a copy of what selection holds.
    static LNSTATUS NewFromSelection(const RTSelection& selection, LNRichText* out);

    // The font table of the note (or of this free-standing rich text); LNWARN_NOT_FOUND when none.
    LNSTATUS GetFontTable(LNFontTable* table) const;
    // A style whose face id is valid in this rich text: a face of another table is looked up or added
    // here. mask selects the bits of style's font id that are taken over. A rich text of a note without a
    // font table gives the note its "$Fonts" item (created through the note) when createTable is set;
    // without it (while the note writes its items) the face id is kept as it is.
    LNSTATUS AdoptFontStyle(const LNFontStyle& style, LNFontStyle* adopted, uint32_t mask,
                            bool createTable = true);
    // Every run inside object takes its style adopted into this rich text's font table.
    LNSTATUS AdoptRunFonts(LNRTObjectBody* object);
    // The items of source were just copied to the end of this field of a note: the runs they hold name
    // their faces by source's font table (its note's, or its own), and take them into this note's.
    LNSTATUS AdoptFontsOf(const LNRichTextBody* source);
    // The records of the field's stored items.
    uint32_t CountStoredRecords() const;
    // Restyles the range (the style adopted first) and the run from a cursor on (full mask).
    LNSTATUS SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style, uint32_t mask);
    LNSTATUS SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style);

    // A further item of the field, in item order.
    LNSTATUS AddItemBlock(nnotes::BLOCKID item, nnotes::BLOCKID value, uint32_t length);
    uint32_t GetItemBlockCount() const { return static_cast<uint32_t>(ItemBlocks.size()); }
    // Further item index (from 0); LNWARN_NOT_FOUND past the last one.
    LNSTATUS GetItemBlock(uint32_t index, nnotes::BLOCKID* item, nnotes::BLOCKID* value,
                          uint32_t* length) const;
    // A block with room for length bytes at *offset, starting a new output block (and moving *offset)
    // when the current one is full.
    LNSTATUS GetWriteBlock(uint32_t length, uint32_t* offset, LNMemoryBlock** block);
    uint32_t GetFirstBlockUsed() const { return FirstBlockUsed; }
    void SetFirstBlockUsed(uint32_t used) { FirstBlockUsed = used; }
    // Fills further item index (from 0); past the last: LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNSTATUS SetItemBlock(uint32_t index, nnotes::BLOCKID item, nnotes::BLOCKID value, uint32_t length);
    // The further items, in item order.
    LNSTATUS GetItemBlocks(std::vector<nnotes::BLOCKID>* items, uint32_t* count) const;

    bool IsValid() const;
    bool IsLoaded() const { return !Top.IsNull(); }
    bool IsClosed() const { return Closed != 0; }
    LNSTATUS Load();

private:
    struct ItemBlock {
        nnotes::BLOCKID item;
        nnotes::BLOCKID value;
        uint32_t length;
        bool owned; // a free-standing value that this body frees
    };
    struct OutputBlock {
        std::unique_ptr<LNMemoryBlock> block;
        uint32_t used;
    };

    // Closed, not loadable or invalid bodies stop a content operation: the status, or 0 to go on.
    LNSTATUS Ready();
    LNSTATUS LoadValue(nnotes::BLOCKID value, uint32_t size, const LNFontTable& fonts, LNRTObject* last);
    LNSTATUS WriteAll();
    // Appends the output blocks to the note as items of the field, recording them in written.
    LNSTATUS AppendItems(const LNString* name, std::vector<ItemBlock>* written);
    LNSTATUS DeleteOldItems();
    void ResetOutput();
    void FreeOwned();

    uint32_t FirstBlockUsed = 0;
    uint32_t Closed = 0;
    LNFontTable NonItemFontTable;
    LNRTContainer Top;
    std::vector<ItemBlock> ItemBlocks;
    std::vector<OutputBlock> MemBlocks;
    uint32_t LastIndex = 0xFFFF;
    uint32_t TotalSize = 0;
    // Blocks that may still be viewed by objects after a failed write; freed on Close.
    std::vector<nnotes::DHANDLE> Orphans;
};

class LNRichText : public LNItem {
public:
    LNRichText() = default;
    // A new free-standing rich text holding text.
    explicit LNRichText(const LNString& text);
    LNRichText(const LNRichText& other) = default;
    LNRichText& operator=(const LNRichText& other) = default;
    // A body that is not rich text throws LNERR_CONVERSION.
    LNRichText& operator=(const LNItem& item);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRICHTEXT; }
    LNRichTextBody* GetRichTextBody() const { return static_cast<LNRichTextBody*>(GetBody()); }

    LNSTATUS GetText(LNString* text) const;
    uint32_t GetValueSize() const;
    // This handle takes a new body holding a copy of item's rich text.
    LNSTATUS Assign(const LNItem& item);
    LNSTATUS Flush(const LNString* name = nullptr);

    // The appends give an empty handle a new free-standing body first.
    LNSTATUS Append(const LNString& text);
    LNSTATUS Append(const LNRichText& other);
    LNSTATUS Append(const LNRTObject& object);
    LNSTATUS GetFirstChild(LNRTObject* out) const;
    LNSTATUS RemoveChild(LNRTObject* object);
    LNSTATUS GetRTContainer(LNRTContainer* out) const;

    // The range and cursor operations of the top container (lnrtcontainer.h), on the loaded tree.
    LNSTATUS GetStartCursor(LNRTCursor* cursor) const;
    LNSTATUS GetEndCursor(LNRTCursor* cursor) const;
    LNSTATUS InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor);
    LNSTATUS InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object);
    LNSTATUS InsertRichTextAtCursor(const LNRTCursor& cursor, const LNRichText& richText);
    LNSTATUS DeleteRange(LNRTCursor* a, LNRTCursor* b);
    LNSTATUS DeleteCount(LNRTCursor* cursor, uint32_t count);
    LNSTATUS CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out) const;
    LNSTATUS CopyCountToRichText(const LNRTCursor& cursor, uint32_t count, LNRichText* out) const;
    LNSTATUS CopyCountToRichText(const LNRTCursor* cursor, uint32_t count, LNRichText* out) const;
    LNSTATUS CopyObjectToRichText(const LNRTObject& object, LNRichText* out) const;
    // The top container's links: it has no siblings nor parent (LNWARN_NOT_FOUND).
    LNSTATUS GetNext(LNRTObject* out) const;
    LNSTATUS GetPrevious(LNRTObject* out) const;
    LNSTATUS GetParent(LNRTObject* out) const;
    // The top container's type bits (this hides the item's type); failures are thrown.
    uint32_t GetType() const;
    LNSTATUS SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style, uint32_t mask);
    LNSTATUS SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style);

private:
    LNRichTextBody* Ensure();
    // Runs operation on the top container; a body that cannot load gives its status.
    template <typename Operation>
    LNSTATUS OnTop(Operation operation) const;
    // As OnTop, for operations that bring in objects: their runs' faces are adopted afterwards.
    template <typename Operation>
    LNSTATUS OnTopAdopting(Operation operation);
};
