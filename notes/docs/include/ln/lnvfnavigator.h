// LNVFNavigator: the handle through which a view's collection is walked. It keeps its own current position
// and moves it by navigation codes, reads the entry there, counts, finds by key, and holds full-text results.
// The body (lnvfnavigatorbody.h) owns the open collection.
#pragma once

#include "ln/lndatetime.h"
#include "ln/lnerrors.h"
#include "ln/lnvffindkey.h"
#include "ln/lnvfposition.h"
#include "nnotes/memblock.h"

class LNDatabase;
class LNVFEntry;
class LNVFNavigatorBody;
class LNViewFolder;

enum LNVFNAVIGATION : uint32_t {
    LNVFNAVIGATION_FIRST = 1,
    LNVFNAVIGATION_FIRST_PEER = 2,
    LNVFNAVIGATION_LAST = 3,
    LNVFNAVIGATION_LAST_PEER = 4,
    LNVFNAVIGATION_MAIN = 5,
    LNVFNAVIGATION_NEXT = 6,
    LNVFNAVIGATION_NEXT_CATEGORY = 7,
    LNVFNAVIGATION_NEXT_MAIN = 8,
    LNVFNAVIGATION_NEXT_NONCATEGORY = 9,
    LNVFNAVIGATION_NEXT_PARENT = 10,
    LNVFNAVIGATION_NEXT_PEER = 11,
    LNVFNAVIGATION_RESERVED12 = 12,
    LNVFNAVIGATION_RESERVED13 = 13,
    LNVFNAVIGATION_PARENT = 14,
    LNVFNAVIGATION_PREVIOUS = 15,
    LNVFNAVIGATION_PREVIOUS_CATEGORY = 16,
    LNVFNAVIGATION_PREVIOUS_MAIN = 17,
    LNVFNAVIGATION_PREVIOUS_NONCATEGORY = 18,
    LNVFNAVIGATION_PREVIOUS_PARENT = 19,
    LNVFNAVIGATION_PREVIOUS_PEER = 20,
    LNVFNAVIGATION_RESERVED21 = 21,
    LNVFNAVIGATION_RESERVED22 = 22,
};

class LNVFNavigator : public LNSmartPtr {
public:
    LNVFNavigator() = default;
    LNVFNavigator(const LNVFNavigator& other) = default;
    ~LNVFNavigator() = default;
    LNVFNavigator& operator=(const LNVFNavigator& other);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNVFNAVIGATOR; }

    // Takes body (null empties the handle); the position goes to the body's start.
    void Attach(LNVFNavigatorBody* body);
    // What operations answer while the handle has no body.
    void SetEmptyStatus(LNSTATUS status) { EmptyStatus = status; }
    LNVFNavigatorBody* GetVFNavigatorBody() const;

    // Failures of status operations pass through the throw-or-return rule; value operations throw them.
    LNSTATUS Goto(LNVFNAVIGATION code, LNVFEntry* entry = nullptr);
    LNVFEntry operator[](uint32_t index);
    LNSTATUS GetEntry(LNVFEntry* entry);
    LNSTATUS GetEntry(LNVFEntry* entry, const LNVFPosition& position);
    LNSTATUS GetPosition(LNVFPosition* position) const;
    LNSTATUS SetPosition(const LNVFPosition& position);
    LNSTATUS GotoStart();
    LNSTATUS Refresh();
    uint32_t GetEntryCount() const;
    bool IsCategorized() const;
    bool IsFTSearch() const;
    bool IsRestricted() const;

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

    LNSTATUS DeleteEntry(LNVFEntry* entry, bool descendants = false);
    LNSTATUS DeleteEntry(const LNVFPosition& position, bool descendants = false);
    // The note ids of every entry, as an ID table that the navigator keeps; failures are also thrown.
    LNSTATUS GetIDTable(nnotes::DHANDLE* table);
    LNDatabase GetDatabase() const;
    LNSTATUS GetViewFolder(LNViewFolder* view) const;
    LNSTATUS Close();

private:
    // The body, or the empty status thrown.
    LNVFNavigatorBody* Require() const;
    // Appends a key made by append to a one-key list, then finds by it.
    template <class Key>
    LNSTATUS FindOne(const Key& key, const LNVFFindOptions* options, LNVFEntry* entry, uint32_t* count);
    LNSTATUS Find(LNVFFindKeys& keys, const LNVFFindOptions* options, LNVFEntry* entry, uint32_t* count);

    LNSTATUS EmptyStatus = LNERR_NOT_INITIALIZED;
    LNVFPosition Position;
};
