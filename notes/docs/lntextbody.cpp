// Text item bodies. Every change builds the whole new list in a block of its own and then takes it as the
// value (a text item of a note is written into the note at once), so a failure leaves the old value as it
// was.
#include "ln/lntext.h"

#include "ln/lnapi.h"
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/textlist.h"
#include "util/coding.h"

#include <cstring>

namespace {

constexpr bool kPrefix = true;

// Notes text as it is stored: line feeds become NUL bytes.
std::string Stored(const LNString& text) {
    std::string bytes(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
    for (char& c : bytes)
        if (c == '\n') c = '\0';
    return bytes;
}

LNSTATUS InsertEntry(nnotes::DHANDLE list, uint32_t index, const std::string& text, uint16_t* size) {
    if (index > 0xFFFF || text.size() > 0xFFFF) return LNERR_INVALID_PARAMETER;
    return LNToNotesStatus(nnotes::InsertTextListEntry(
        list, kPrefix, static_cast<uint16_t>(index), text.data(), static_cast<uint16_t>(text.size()), size));
}

LNSTATUS Count(nnotes::DHANDLE list, uint16_t size, uint16_t* count) {
    const void* at = nnotes::LockBlock(list);
    const nnotes::STATUS status = nnotes::CountTextListEntries(at, size, kPrefix, count);
    nnotes::UnlockBlock(list);
    return LNToNotesStatus(status);
}

// A new list holding one text.
LNSTATUS NewList(const std::string* text, nnotes::DHANDLE* list, uint16_t* size) {
    if (const nnotes::STATUS status = nnotes::NewTextList(kPrefix, list, size))
        return LNToNotesStatus(status);
    if (text == nullptr) return LNNOERROR;
    if (const LNSTATUS status = InsertEntry(*list, 0, *text, size)) {
        nnotes::FreeBlock(*list);
        return status;
    }
    return LNNOERROR;
}

void Require() {
    if (!LNIsAPIInitialized()) throw LNERR_SESSION_NOT_INITIALIZED;
}

struct Unlock {
    LNItemBody* body;
    ~Unlock() { body->UnlockValue(); }
};

} // namespace

LNTextBody::LNTextBody(nnotes::BLOCKID value, uint32_t size) : LNItemBody() {
    AdoptValue(value, nnotes::TYPE_TEXT_LIST, size);
    SetDirty(false);
}

LNTextBody::LNTextBody(const void* value, uint16_t nsfType, uint32_t size) {
    Require();
    LN_ASSERT(value != nullptr && (nsfType == nnotes::TYPE_TEXT || nsfType == nnotes::TYPE_TEXT_LIST),
              "lntext", 1156);
    nnotes::DHANDLE list = nnotes::NULLHANDLE;
    uint16_t listSize = 0;
    if (nsfType == nnotes::TYPE_TEXT) {
        const std::string text(static_cast<const char*>(value), size);
        if (const LNSTATUS status = NewList(size > 0 ? &text : nullptr, &list, &listSize)) throw status;
    } else {
        if (uint64_t{size} + 2 > 0xFFFF) throw LNERR_INVALID_PARAMETER;
        listSize = static_cast<uint16_t>(size + 2);
        if (const nnotes::STATUS status = nnotes::AllocateBlock(LNITEM_BLOCK_TYPE, listSize, &list))
            throw LNSTATUS{status};
        auto* at = static_cast<uint8_t*>(nnotes::LockBlock(list));
        util::EncodeFixed16(at, nnotes::TYPE_TEXT_LIST);
        std::memcpy(at + 2, value, size);
        nnotes::UnlockBlock(list);
    }
    AdoptValue(nnotes::BLOCKID{list, 0}, nsfType, listSize);
    SetDirty(false);
}

LNTextBody::LNTextBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                       nnotes::BLOCKID value, uint32_t size)
    : LNItemBody((LN_ASSERT(note != nullptr, "lntext", 1254), note), item, nsfType, flags, value, size) {}

LNSTATUS LNTextBody::Flush(const LNString*) {
    SetDirty(false);
    return LNNOERROR;
}

uint32_t LNTextBody::GetCount() {
    Require();
    if (IsSingleText()) return 1;
    uint16_t count = 0;
    const void* at = LockValue();
    Unlock unlock{this};
    if (const nnotes::STATUS status = nnotes::CountTextListEntries(at, GetValueSize(), kPrefix, &count))
        throw LNSTATUS{status};
    return count;
}

LNSTATUS LNTextBody::RawEntry(uint32_t index, std::string* bytes) {
    const char* at = reinterpret_cast<const char*>(LockValue());
    Unlock unlock{this};
    if (IsSingleText()) {
        if (GetValueSize() < 2) return LNERR_CORRUPTED;
        bytes->assign(at + 2, GetValueSize() - 2);
        return LNNOERROR;
    }
    if (index > 0xFFFF) return LNERR_INVALID_PARAMETER;
    const char* text = nullptr;
    uint16_t length = 0;
    if (const nnotes::STATUS status = nnotes::GetTextListEntry(at, GetValueSize(), kPrefix,
                                                               static_cast<uint16_t>(index), &text, &length))
        return LNToNotesStatus(status);
    bytes->assign(text, length);
    return LNNOERROR;
}

LNString LNTextBody::GetEntry(uint32_t index) {
    Require();
    std::string bytes;
    if (const LNSTATUS status = RawEntry(index, &bytes)) throw status;
    return LNString(reinterpret_cast<const LNUCHAR*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

LNSTATUS LNTextBody::CopyList(nnotes::DHANDLE* list, uint16_t* size) {
    if (IsSingleText()) {
        std::string text;
        if (const LNSTATUS status = RawEntry(0, &text)) return status;
        return NewList(&text, list, size);
    }
    const void* at = LockValue();
    Unlock unlock{this};
    return LNToNotesStatus(nnotes::CopyTextList(at, GetValueSize(), kPrefix, list, size));
}

LNSTATUS LNTextBody::StoreList(nnotes::DHANDLE list, uint16_t size) {
    if (IsInNote()) return StoreValueInNote(nnotes::BLOCKID{list, 0}, size);
    uint16_t count = 0;
    if (const LNSTATUS status = Count(list, size, &count)) {
        nnotes::FreeBlock(list);
        return status;
    }
    AdoptValue(nnotes::BLOCKID{list, 0}, count > 1 ? nnotes::TYPE_TEXT_LIST : nnotes::TYPE_TEXT, size);
    return LNNOERROR;
}

template <class Edit>
LNSTATUS LNTextBody::EditList(Edit edit) {
    Require();
    nnotes::DHANDLE list = nnotes::NULLHANDLE;
    uint16_t size = 0, count = 0;
    if (const LNSTATUS status = CopyList(&list, &size)) return status;
    LNSTATUS status = Count(list, size, &count);
    if (status == LNNOERROR) status = edit(list, count, size);
    if (status != LNNOERROR) {
        nnotes::FreeBlock(list);
        return status;
    }
    return StoreList(list, size);
}

LNSTATUS LNTextBody::Insert(uint32_t index, const LNString& text) {
    return EditList([&](nnotes::DHANDLE list, uint16_t count, uint16_t& size) {
        return count < index ? LNERR_INVALID_PARAMETER : InsertEntry(list, index, Stored(text), &size);
    });
}

LNSTATUS LNTextBody::Insert(uint32_t index, const LNText& other) {
    Require();
    LNTextBody* source = other.GetTextBody();
    if (source == nullptr) return LNERR_INVALID_PARAMETER;
    const uint32_t entries = source->GetCount();
    return EditList([&](nnotes::DHANDLE list, uint16_t count, uint16_t& size) {
        if (count < index) return LNSTATUS{LNERR_INVALID_PARAMETER};
        std::string text;
        LNSTATUS status = LNNOERROR;
        for (uint32_t i = 0; status == LNNOERROR && i < entries; ++i) {
            status = source->RawEntry(i, &text);
            if (status == LNNOERROR) status = InsertEntry(list, index + i, text, &size);
        }
        return status;
    });
}

LNSTATUS LNTextBody::Delete(uint32_t index, uint32_t count) {
    Require();
    if (count == 0) return LNNOERROR;
    return EditList([&](nnotes::DHANDLE list, uint16_t entries, uint16_t& size) {
        LNSTATUS status = uint64_t{index} + count > entries ? LNERR_INVALID_PARAMETER : LNNOERROR;
        for (uint32_t i = 0; status == LNNOERROR && i < count; ++i)
            status = LNToNotesStatus(
                nnotes::RemoveTextListEntry(list, kPrefix, static_cast<uint16_t>(index), &size));
        return status;
    });
}

LNSTATUS LNTextBody::Replace(uint32_t index, const LNString& text) {
    return EditList([&](nnotes::DHANDLE list, uint16_t entries, uint16_t& size) {
        if (index >= entries) return LNSTATUS{LNERR_INVALID_PARAMETER};
        LNSTATUS status =
            LNToNotesStatus(nnotes::RemoveTextListEntry(list, kPrefix, static_cast<uint16_t>(index), &size));
        if (status == LNNOERROR) status = InsertEntry(list, index, Stored(text), &size);
        return status;
    });
}

LNSTATUS LNTextBody::DeleteAll() {
    Require();
    nnotes::DHANDLE list = nnotes::NULLHANDLE;
    uint16_t size = 0;
    if (const LNSTATUS status = NewList(nullptr, &list, &size)) return status;
    return StoreList(list, size);
}

LNSTATUS LNTextBody::SetText(const LNString& text) {
    Require();
    nnotes::DHANDLE list = nnotes::NULLHANDLE;
    uint16_t size = 0;
    const std::string stored = Stored(text);
    if (const LNSTATUS status = NewList(&stored, &list, &size)) return status;
    return StoreList(list, size);
}

LNSTATUS LNTextBody::SetText(const LNText& other) {
    Require();
    LNTextBody* source = other.GetTextBody();
    if (source == nullptr) return LNERR_INVALID_PARAMETER;
    nnotes::DHANDLE list = nnotes::NULLHANDLE;
    uint16_t size = 0;
    if (const LNSTATUS status = source->CopyList(&list, &size)) return status;
    return StoreList(list, size);
}
