#include "ln/lnvfposition.h"

#include "ln/lnerrors.h"
#include "nnotes/collection.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint8_t kDeepestLevel = 31;
// Text forms of positions stay below this many bytes.
constexpr size_t kMaxText = 512;

nnotes::CollectionPosition* NewPosition() {
    auto* data = new (std::nothrow) nnotes::CollectionPosition;
    if (data == nullptr) throw LNERR_NO_MEMORY;
    return data;
}

const nnotes::CollectionPosition& Require(const nnotes::CollectionPosition* data) {
    if (data == nullptr) throw LNERR_NOT_INITIALIZED;
    return *data;
}

// Negative, 0 or positive as a lies before, at or after b.
int Compare(const nnotes::CollectionPosition& a, const nnotes::CollectionPosition& b) {
    const uint16_t levelA = LNPositionLevel(a), levelB = LNPositionLevel(b);
    const uint16_t common = levelA < levelB ? levelA : levelB;
    for (uint16_t level = 0; level <= common; ++level) {
        if (a.EntryIndex[level] != b.EntryIndex[level])
            return a.EntryIndex[level] < b.EntryIndex[level] ? -1 : 1;
    }
    return levelA == levelB ? 0 : (levelA < levelB ? -1 : 1);
}

} // namespace

uint16_t LNPositionLevel(const nnotes::CollectionPosition& position) {
    return position.Level < nnotes::MAXTUMBLERLEVELS ? position.Level : nnotes::MAXTUMBLERLEVELS - 1;
}

LNVFPosition::LNVFPosition() : Data(NewPosition()) {
    Reset();
}

LNVFPosition::LNVFPosition(const LNVFPosition& other) : LNNotesClass(other) {
    if (other.Data != nullptr) {
        Data = NewPosition();
        std::memcpy(Data, other.Data, sizeof *Data);
    }
}

LNVFPosition::~LNVFPosition() {
    delete Data;
}

void LNVFPosition::Assign(const nnotes::CollectionPosition* raw) {
    if (raw == Data) return;
    if (raw == nullptr) {
        delete Data;
        Data = nullptr;
        return;
    }
    if (Data == nullptr) Data = NewPosition();
    std::memcpy(Data, raw, sizeof *Data);
}

LNVFPosition& LNVFPosition::operator=(const LNVFPosition& other) {
    if (this != &other) Assign(other.Data);
    return *this;
}

LNVFPosition& LNVFPosition::operator=(const nnotes::CollectionPosition* raw) {
    Assign(raw);
    return *this;
}

void LNVFPosition::Reset() {
    nnotes::CollectionPosition* data = Data;
    if (data == nullptr) throw LNERR_NOT_INITIALIZED;
    std::memset(data, 0, sizeof *data);
    data->MaxLevel = kDeepestLevel;
    data->EntryIndex[0] = 1;
}

bool LNVFPosition::operator==(const LNVFPosition& other) const {
    return Compare(Require(Data), Require(other.Data)) == 0;
}

bool LNVFPosition::operator<(const LNVFPosition& other) const {
    return Compare(Require(Data), Require(other.Data)) < 0;
}

bool LNVFPosition::operator>(const LNVFPosition& other) const {
    return Compare(Require(Data), Require(other.Data)) > 0;
}

LNString LNVFPosition::Text(const char* separator, uint32_t separatorLength) const {
    const nnotes::CollectionPosition& data = Require(Data);
    std::string text = std::to_string(data.EntryIndex[0]);
    const uint16_t last = LNPositionLevel(data);
    for (uint16_t level = 1; level <= last; ++level) {
        if (separatorLength + text.size() >= kMaxText) return LNString();
        text.append(separator, separatorLength);
        text += std::to_string(data.EntryIndex[level]);
    }
    if (text.size() > kMaxText) return LNString();
    return LNString(reinterpret_cast<const LNUCHAR*>(text.data()), static_cast<uint32_t>(text.size()));
}

LNString LNVFPosition::GetText(char separator) const {
    return Text(&separator, 1);
}

LNString LNVFPosition::GetText(const LNString& separator) const {
    const LNUCHAR* text = separator.GetTextPtr();
    return Text(reinterpret_cast<const char*>(text), text != nullptr ? separator.GetByteLength() : 0);
}
