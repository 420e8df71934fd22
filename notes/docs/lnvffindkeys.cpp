#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvffindkey.h"
#include "util/coding.h"

#include <cstdlib>
#include <cstring>

namespace {

// The packed table: total length, key count, then per key a name length (always 0) and a value length.
constexpr size_t kTableHeader = 4;
constexpr size_t kKeyHeader = 4;

} // namespace

LNVFFindKeys::LNVFFindKeys(const LNVFFindKeys& other) : LNNotesClass(other) {
    *this = other;
}

LNVFFindKeys::~LNVFFindKeys() {
    Clear();
}

LNVFFindKeys& LNVFFindKeys::operator=(const LNVFFindKeys& other) {
    if (this == &other) return *this;
    Clear();
    for (LNNotesClass* object = other.Keys.GetFirstObject(); object != nullptr;
         object = other.Keys.GetNextObject(object)) {
        auto* key = new LNVFFindKey(*static_cast<LNVFFindKey*>(object));
        const LNSTATUS added = Keys.AddObject(key);
        if (added != LNNOERROR) {
            delete key;
            Clear();
            throw added;
        }
        ++Count;
    }
    if (other.Table != nullptr) {
        const uint16_t length = util::DecodeFixed16(other.Table);
        Table = static_cast<uint8_t*>(std::malloc(length));
        if (Table == nullptr) throw LNERR_NO_MEMORY;
        std::memcpy(Table, other.Table, length);
    }
    return *this;
}

void LNVFFindKeys::DropTable() {
    std::free(Table);
    Table = nullptr;
}

void LNVFFindKeys::Clear() {
    DropTable();
    DeleteAll();
}

void LNVFFindKeys::DeleteAll() {
    Keys.DeleteAllObjects();
    Count = 0;
}

LNSTATUS LNVFFindKeys::Append(LNVFFindKey* key, LNSTATUS made) {
    if (made != LNNOERROR) {
        delete key;
        return LNReturnOrThrow(made);
    }
    LN_ASSERT(key, "vfindkey", 479);
    if (Count >= kMaxKeys) {
        delete key;
        return LNReturnOrThrow(LNERR_TOO_MANY_KEYS);
    }
    LNSTATUS added = LNNOERROR;
    try {
        added = Keys.AddObject(key);
    } catch (LNSTATUS) {
        delete key;
        throw;
    }
    if (added != LNNOERROR) {
        delete key;
        return LNReturnOrThrow(added);
    }
    ++Count;
    DropTable();
    return LNNOERROR;
}

LNSTATUS LNVFFindKeys::AppendTextKey(const LNString& text) {
    LNSTATUS made = LNNOERROR;
    auto* key = new LNVFFindKey(text, &made);
    return Append(key, made);
}

LNSTATUS LNVFFindKeys::AppendNumberKey(double number) {
    LNSTATUS made = LNNOERROR;
    auto* key = new LNVFFindKey(number, &made);
    return Append(key, made);
}

LNSTATUS LNVFFindKeys::AppendDatetimeKey(const LNDatetime& datetime) {
    LNSTATUS made = LNNOERROR;
    auto* key = new LNVFFindKey(datetime, &made);
    return Append(key, made);
}

const LNVFFindKey& LNVFFindKeys::operator[](uint32_t index) const {
    if (index >= Count) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    LNNotesClass* object = Keys.GetFirstObject();
    for (uint32_t i = 0; i < index; ++i)
        object = Keys.GetNextObject(object);
    return *static_cast<LNVFFindKey*>(object);
}

const void* LNVFFindKeys::GetKeyTable() {
    if (Table != nullptr) return Table;
    size_t total = kTableHeader;
    for (LNNotesClass* object = Keys.GetFirstObject(); object != nullptr; object = Keys.GetNextObject(object))
        total += kKeyHeader + static_cast<LNVFFindKey*>(object)->GetKeySize();
    if (total > 0xFFFF) throw LNERR_KEY_TABLE_TOO_BIG;
    auto* table = static_cast<uint8_t*>(std::malloc(total));
    if (table == nullptr) throw LNERR_NO_MEMORY;
    util::EncodeFixed16(table, static_cast<uint16_t>(total));
    util::EncodeFixed16(table + 2, static_cast<uint16_t>(Count));
    uint8_t* sizes = table + kTableHeader;
    uint8_t* values = sizes + kKeyHeader * Count;
    for (LNNotesClass* object = Keys.GetFirstObject(); object != nullptr;
         object = Keys.GetNextObject(object)) {
        const auto* key = static_cast<LNVFFindKey*>(object);
        util::EncodeFixed16(sizes, 0);
        util::EncodeFixed16(sizes + 2, static_cast<uint16_t>(key->GetKeySize()));
        sizes += kKeyHeader;
        std::memcpy(values, key->GetKeyValue(), key->GetKeySize());
        values += key->GetKeySize();
    }
    Table = table;
    return Table;
}
