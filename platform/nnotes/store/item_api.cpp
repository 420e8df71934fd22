// Finding, reading, appending, copying and deleting the items of an open note.
#include "store/note.h"

#include <algorithm>
#include <cstring>

namespace nnotes {
namespace {

std::string_view NameOf(const char* name, uint16_t length) {
    return name == nullptr ? std::string_view() : std::string_view(name, length);
}

BLOCKID ItemId(const store::Note& note, const store::NoteItem& item) {
    return BLOCKID{note.self, item.serial};
}

// The item that an item block id of this note names.
STATUS ItemOf(store::Note& note, BLOCKID id, store::NoteItem*& item) {
    item = id.pool == note.self ? note.FindSerial(id.block) : nullptr;
    return item == nullptr ? ERR_ITEM_BLOCK : NOERROR;
}

STATUS Report(const store::Note& note, size_t index, BLOCKID* item, uint16_t* type, BLOCKID* value,
              uint32_t* valueLength) {
    if (index >= note.Items().size()) return ERR_ITEM_NOT_FOUND;
    const store::NoteItem& found = note.Items()[index];
    if (item != nullptr) *item = ItemId(note, found);
    if (type != nullptr) *type = found.type;
    if (value != nullptr) {
        note.Expose(found);
        *value = found.value;
    }
    if (valueLength != nullptr) *valueLength = found.length;
    return NOERROR;
}

} // namespace

STATUS FindItemByName(NOTEHANDLE handle, const char* name, uint16_t nameLength, BLOCKID* item, uint16_t* type,
                      BLOCKID* value, uint32_t* valueLength) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    return Report(*note, note->FindName(NameOf(name, nameLength), 0), item, type, value, valueLength);
}

STATUS FindNextItemByName(NOTEHANDLE handle, const char* name, uint16_t nameLength, BLOCKID after,
                          BLOCKID* item, uint16_t* type, BLOCKID* value, uint32_t* valueLength) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    store::NoteItem* previous = nullptr;
    if (STATUS s = ItemOf(*note, after, previous)) return s;
    const size_t from = static_cast<size_t>(previous - note->Items().data()) + 1;
    return Report(*note, note->FindName(NameOf(name, nameLength), from), item, type, value, valueLength);
}

STATUS QueryItemByBlock(NOTEHANDLE handle, BLOCKID id, char* name, uint16_t nameSize, uint16_t* nameLength,
                        uint16_t* flags, uint16_t* type, BLOCKID* value, uint32_t* valueLength) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    store::NoteItem* item = nullptr;
    if (STATUS s = ItemOf(*note, id, item)) return s;
    if (name != nullptr && nameSize > 0) {
        const size_t n = std::min<size_t>(item->name.size(), nameSize - 1u);
        std::memcpy(name, item->name.data(), n);
        name[n] = '\0';
    }
    if (nameLength != nullptr) *nameLength = static_cast<uint16_t>(item->name.size());
    if (flags != nullptr) *flags = item->flags;
    if (type != nullptr) *type = item->type;
    if (value != nullptr) {
        note->Expose(*item);
        *value = item->value;
    }
    if (valueLength != nullptr) *valueLength = item->length;
    return NOERROR;
}

STATUS AppendItem(NOTEHANDLE handle, uint16_t flags, const char* name, uint16_t nameLength, uint16_t type,
                  const void* data, uint32_t length, BLOCKID* item) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    store::NoteItem* added = nullptr;
    if (STATUS s = note->Append(flags, NameOf(name, nameLength), type, data, length, &added)) return s;
    if (item != nullptr) *item = ItemId(*note, *added);
    return NOERROR;
}

STATUS AppendItemByBlock(NOTEHANDLE handle, uint16_t flags, const char* name, uint16_t nameLength,
                         BLOCKID value, uint32_t valueLength, BLOCKID* item) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    store::NoteItem* added = nullptr;
    if (STATUS s = note->Adopt(flags, NameOf(name, nameLength), value, valueLength, &added)) return s;
    if (item != nullptr) *item = ItemId(*note, *added);
    return NOERROR;
}

STATUS CopyItemToNote(BLOCKID id, NOTEHANDLE handle, BLOCKID* copy) {
    std::shared_ptr<store::Note> source, target;
    if (STATUS s = store::NoteOf(handle, target)) return s;
    if (store::NoteOf(id.pool, source) != NOERROR) return ERR_ITEM_BLOCK;
    store::NoteItem* item = nullptr;
    if (STATUS s = ItemOf(*source, id, item)) return s;
    std::string bytes;
    if (STATUS s = source->ValueOf(*item, bytes)) return s;
    // Copied before appending: the target may be the source, and appending moves its items in memory.
    const std::string name = item->name;
    const uint16_t flags = item->flags, type = item->type;
    store::NoteItem* added = nullptr;
    if (STATUS s = target->Append(flags, name, type, bytes.data() + sizeof type,
                                  static_cast<uint32_t>(bytes.size() - sizeof type), &added))
        return s;
    if (copy != nullptr) *copy = ItemId(*target, *added);
    return NOERROR;
}

STATUS DeleteItem(NOTEHANDLE handle, const char* name, uint16_t nameLength) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    const std::string_view wanted = NameOf(name, nameLength);
    if (STATUS s = store::CheckItemName(wanted)) return s;
    size_t i = note->FindName(wanted, 0);
    if (i == note->Items().size()) return ERR_ITEM_NOT_FOUND;
    for (; i < note->Items().size(); i = note->FindName(wanted, i))
        note->Remove(note->Items()[i].serial);
    return NOERROR;
}

STATUS DeleteItemByBlock(NOTEHANDLE handle, BLOCKID id) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (id.pool != note->self) return ERR_ITEM_BLOCK;
    return note->Remove(id.block);
}

STATUS GetItemText(NOTEHANDLE handle, const char* name, char* buf, uint16_t size, uint16_t* length) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (name == nullptr || buf == nullptr || size == 0) return ERR_MISSING_ARGUMENT;
    const size_t i = note->FindName(name, 0);
    if (i == note->Items().size()) return ERR_ITEM_NOT_FOUND;
    std::string value;
    if (STATUS s = note->ValueOf(note->Items()[i], value)) return s;
    const char* text = value.data() + sizeof(uint16_t);
    uint16_t textLength = static_cast<uint16_t>(value.size() - sizeof(uint16_t));
    if (note->Items()[i].type == TYPE_TEXT_LIST) {
        uint16_t count = 0;
        if (STATUS s = CountTextListEntries(value.data(), static_cast<uint32_t>(value.size()), true, &count))
            return s;
        textLength = 0;
        if (count > 0)
            if (STATUS s = GetTextListEntry(value.data(), static_cast<uint32_t>(value.size()), true, 0, &text,
                                            &textLength))
                return s;
    } else if (note->Items()[i].type != TYPE_TEXT) {
        return ERR_ITEM_TYPE;
    }
    const uint16_t n = std::min<uint16_t>(textLength, size - 1u);
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    if (length != nullptr) *length = n;
    return NOERROR;
}

STATUS SetItemText(NOTEHANDLE handle, const char* name, const char* text, uint16_t length) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (name == nullptr || (text == nullptr && length != 0)) return ERR_MISSING_ARGUMENT;
    // The new item first: when it cannot be made, the old ones stay.
    store::NoteItem* added = nullptr;
    if (STATUS s = note->Append(ITEM_SUMMARY, name, TYPE_TEXT, text, length, &added)) return s;
    const uint16_t keep = added->serial;
    for (size_t i = note->FindName(name, 0); i < note->Items().size(); i = note->FindName(name, i)) {
        if (note->Items()[i].serial == keep)
            ++i;
        else
            note->Remove(note->Items()[i].serial);
    }
    return NOERROR;
}

} // namespace nnotes
