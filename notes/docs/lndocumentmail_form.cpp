// Storing a form in a document: the form's design items, and those of its subforms, copied into the document
// so that it can be shown where the form is not at hand.
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnsessiontext.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/textlist.h"
#include "util/text.h"

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

using Names = std::initializer_list<const char*>;

constexpr Names kFormExcluded = {"$$XMB", "$ACTIONS", "$Class", "$Flags", "$UpdatedBy"};
constexpr Names kSubformExcluded = {"$Class", "$Flags", "$UpdatedBy", "$Body", "$TITLE", "$Info"};
// Items of a subform stored under their name followed by the subform's number, and those stored under their
// name less its last two characters, the number and "_O".
constexpr Names kNumbered = {"$$FormScript", "$Script", "$$ScriptName", "$$FormAction"};
constexpr Names kNumberedObject = {"$$$FormScript_O", "$$Script_O"};

bool IsOneOf(const char* name, Names names) {
    for (const char* candidate : names)
        if (util::EqualsNoCase(name, candidate)) return true;
    return false;
}

// Opens the form or subform named name.
nnotes::STATUS OpenForm(nnotes::DBHANDLE db, const char* name, nnotes::NOTEHANDLE* form) {
    nnotes::NOTEID id = 0;
    if (const nnotes::STATUS status = nnotes::FindDesignNote(db, name, nnotes::NOTE_CLASS_FORM, &id))
        return status;
    return nnotes::OpenNote(db, id, 0, form);
}

// Appends a copy of an item's value under a new name, with the item's flags.
nnotes::STATUS AppendRenamed(nnotes::NOTEHANDLE to, const std::string& name, uint16_t flags,
                             nnotes::BLOCKID value, uint32_t length) {
    nnotes::DHANDLE copy = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::AllocateBlock(0x4000, length, &copy)) return status;
    auto* to_bytes = static_cast<char*>(nnotes::LockBlock(copy));
    const auto* from = static_cast<const char*>(nnotes::LockBlock(value.pool));
    if (to_bytes == nullptr || from == nullptr) {
        if (to_bytes != nullptr) nnotes::UnlockBlock(copy);
        if (from != nullptr) nnotes::UnlockBlock(value.pool);
        nnotes::FreeBlock(copy);
        return nnotes::ERR_BAD_HANDLE;
    }
    std::memcpy(to_bytes, from + value.block, length);
    nnotes::UnlockBlock(value.pool);
    nnotes::UnlockBlock(copy);
    const nnotes::STATUS status =
        nnotes::AppendItemByBlock(to, flags, name.c_str(), static_cast<uint16_t>(name.size()),
                                  nnotes::BLOCKID{copy, 0}, length, nullptr);
    if (status != nnotes::NOERROR) nnotes::FreeBlock(copy);
    return status;
}

// Copies the "$" items of a form note into the document, but the excluded ones; subform is 0 for the form
// itself, else the subform's number.
nnotes::STATUS CopyFormItems(nnotes::NOTEHANDLE form, nnotes::NOTEHANDLE document, Names excluded,
                             int subform) {
    nnotes::BLOCKID item{}, value{};
    uint32_t length = 0;
    nnotes::STATUS status = nnotes::FindItemByName(form, nullptr, 0, &item, nullptr, &value, &length);
    for (; status == nnotes::NOERROR;
         status = nnotes::FindNextItemByName(form, nullptr, 0, item, &item, nullptr, &value, &length)) {
        char name[nnotes::MAXITEMNAME + 1] = {};
        uint16_t flags = 0;
        if (const nnotes::STATUS s = nnotes::QueryItemByBlock(form, item, name, sizeof name, nullptr, &flags,
                                                              nullptr, nullptr, nullptr))
            return s;
        if (name[0] != '$' || IsOneOf(name, excluded)) continue;
        nnotes::STATUS copied = nnotes::NOERROR;
        if (subform != 0 && IsOneOf(name, kNumbered))
            copied = AppendRenamed(document, name + std::to_string(subform), flags, value, length);
        else if (subform != 0 && IsOneOf(name, kNumberedObject))
            copied = AppendRenamed(document,
                                   std::string(name, std::strlen(name) - 2) + std::to_string(subform) + "_O",
                                   flags, value, length);
        else
            copied = nnotes::CopyItemToNote(item, document, nullptr);
        if (copied != nnotes::NOERROR) return copied;
    }
    return nnotes::ERR(status) == nnotes::ERR_ITEM_NOT_FOUND ? nnotes::NOERROR : status;
}

// The subforms named by the form's "$SubForms" text list, numbered from 2; one that cannot be found or
// opened is passed over, the first copy failure ends the walk.
nnotes::STATUS CopySubforms(nnotes::DBHANDLE db, nnotes::NOTEHANDLE form, nnotes::NOTEHANDLE document) {
    nnotes::BLOCKID item{}, value{};
    uint16_t type = 0;
    uint32_t length = 0;
    if (nnotes::FindItemByName(form, "$SubForms", 9, &item, &type, &value, &length) != nnotes::NOERROR ||
        type != nnotes::TYPE_TEXT_LIST)
        return nnotes::NOERROR;
    const auto* list = static_cast<const char*>(nnotes::LockBlock(value.pool));
    if (list == nullptr) return nnotes::ERR_BAD_HANDLE;
    list += value.block;
    // Names are taken out before any subform is opened: the form's block stays locked only meanwhile.
    std::vector<std::string> names;
    uint16_t count = 0;
    nnotes::STATUS status = nnotes::CountTextListEntries(list, length, true, &count);
    for (uint16_t i = 0; status == nnotes::NOERROR && i < count; ++i) {
        const char* text = nullptr;
        uint16_t size = 0;
        status = nnotes::GetTextListEntry(list, length, true, i, &text, &size);
        if (status == nnotes::NOERROR) names.emplace_back(text, size);
    }
    nnotes::UnlockBlock(value.pool);
    for (size_t i = 0; status == nnotes::NOERROR && i < names.size(); ++i) {
        nnotes::NOTEHANDLE subform = nnotes::NULLHANDLE;
        if (OpenForm(db, names[i].c_str(), &subform) != nnotes::NOERROR) continue;
        status = CopyFormItems(subform, document, kSubformExcluded, static_cast<int>(i) + 2);
        nnotes::CloseNote(subform);
    }
    return status;
}

} // namespace

LNSTATUS LNDocumentBody::StoreForm(const std::vector<nnotes::BLOCKID>& before) {
    LNString name;
    if (GetFormName(&name) != LNNOERROR || name.IsEmpty()) return LNNOERROR;
    const nnotes::DBHANDLE db = GetDatabaseBody()->GetHandle();
    nnotes::NOTEHANDLE form = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = OpenForm(db, LNNotesText(name), &form))
        return LNReturnOrThrowNotesStatus(status);
    nnotes::STATUS status = CopyFormItems(form, GetNoteHandle(), kFormExcluded, 0);
    if (status == nnotes::NOERROR) status = CopySubforms(db, form, GetNoteHandle());
    nnotes::CloseNote(form);
    // The copied items get their bodies, as if the document had been opened with them.
    const LNSTATUS adopted = AdoptItemsExcept(before);
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    if (adopted != LNNOERROR) return LNReturnOrThrow(adopted);
    return DeleteItem(LNString("Form"));
}
