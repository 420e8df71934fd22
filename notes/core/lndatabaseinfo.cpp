// A database's information fields, option bits and size figures.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnsessiontext.h"
#include "nnotes/database.h"
#include "nnotes/status.h"

namespace {

void ThrowIfFailed(nnotes::STATUS status) {
    if (status != nnotes::NOERROR) throw LNToNotesStatus(status);
}

} // namespace

LNString LNDatabase::GetInfo(uint16_t field) const {
    const nnotes::DBHANDLE handle = RequireOpen()->GetHandle();
    char info[nnotes::DBINFO_SIZE];
    ThrowIfFailed(nnotes::GetDatabaseInfo(handle, info));
    char text[nnotes::DBINFO_SIZE];
    ThrowIfFailed(nnotes::GetInfoField(info, field, text, sizeof text));
    return LNNotesString(text);
}

LNSTATUS LNDatabase::SetInfo(uint16_t field, const LNString& text) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    char info[nnotes::DBINFO_SIZE];
    nnotes::STATUS status = nnotes::GetDatabaseInfo(body->GetHandle(), info);
    if (status == nnotes::NOERROR) status = nnotes::SetInfoField(info, field, LNNotesText(text));
    if (status == nnotes::NOERROR) status = nnotes::SetDatabaseInfo(body->GetHandle(), info);
    return LNReturnOrThrowNotesStatus(status);
}

LNString LNDatabase::GetTitle() const {
    return GetInfo(nnotes::INFOFIELD_TITLE);
}

LNString LNDatabase::GetDesignTemplateName() const {
    return GetInfo(nnotes::INFOFIELD_DESIGN_CLASS);
}

LNString LNDatabase::GetInheritTemplateName() const {
    return GetInfo(nnotes::INFOFIELD_INHERIT_FROM);
}

LNSTATUS LNDatabase::SetTitle(const LNString& title) {
    return SetInfo(nnotes::INFOFIELD_TITLE, title);
}

LNSTATUS LNDatabase::SetDesignTemplateName(const LNString& name) {
    return SetInfo(nnotes::INFOFIELD_DESIGN_CLASS, name);
}

LNSTATUS LNDatabase::SetInheritTemplateName(const LNString& name) {
    return SetInfo(nnotes::INFOFIELD_INHERIT_FROM, name);
}

LNSTATUS LNDatabase::ReadOptions(uint32_t* word) const {
    LNDatabaseBody* body = GetDatabaseBody();
    if (body == nullptr) return LNERR_NOT_INITIALIZED;
    if (!body->IsOpen()) return LNERR_DATABASE_NOT_OPEN;
    const nnotes::STATUS status =
        nnotes::GetDatabaseOptions(body->GetHandle(), &body->OptionsCache[0], &body->OptionsCache[1]);
    *word = body->OptionsCache[0] & 0xFFFFu;
    return status;
}

bool LNDatabase::GetOptionBit(uint32_t bit) const {
    uint32_t word = 0;
    if (const LNSTATUS status = ReadOptions(&word)) throw status;
    return (word & bit) != 0;
}

LNSTATUS LNDatabase::SetOptionBit(uint32_t bit, bool set) {
    uint32_t word = 0;
    if (const LNSTATUS status = ReadOptions(&word)) return LNReturnOrThrow(status);
    return SetOptions(set ? word | bit : word & ~bit);
}

LNSTATUS LNDatabase::SetOptions(uint32_t options) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    return LNReturnOrThrowNotesStatus(nnotes::SetDatabaseOptions(body->GetHandle(), options));
}

void LNDatabase::GetOptions(uint32_t* first, uint32_t* second) const {
    uint32_t word = 0;
    if (const LNSTATUS status = ReadOptions(&word)) throw status;
    const LNDatabaseBody* body = GetDatabaseBody();
    if (first != nullptr) *first = body->OptionsCache[0];
    if (second != nullptr) *second = body->OptionsCache[1];
}

// Bits 0x0040, 0x0400 and 0x1000 are kept inverted: TRUE is a clear bit.
bool LNDatabase::GetOption0004() const {
    return GetOptionBit(0x0004);
}
bool LNDatabase::GetOption0020() const {
    return GetOptionBit(0x0020);
}
bool LNDatabase::GetOption0040() const {
    return !GetOptionBit(0x0040);
}
bool LNDatabase::GetOption0080() const {
    return GetOptionBit(0x0080);
}
bool LNDatabase::GetOption0100() const {
    return GetOptionBit(0x0100);
}
bool LNDatabase::GetOption0200() const {
    return GetOptionBit(0x0200);
}
bool LNDatabase::GetOption0400() const {
    return !GetOptionBit(0x0400);
}
bool LNDatabase::GetOption1000() const {
    return !GetOptionBit(0x1000);
}
LNSTATUS LNDatabase::SetOption0004(bool flag) {
    return SetOptionBit(0x0004, flag);
}
LNSTATUS LNDatabase::SetOption0020(bool flag) {
    return SetOptionBit(0x0020, flag);
}
LNSTATUS LNDatabase::SetOption0040(bool flag) {
    return SetOptionBit(0x0040, flag);
}
LNSTATUS LNDatabase::SetOption0080(bool flag) {
    return SetOptionBit(0x0080, flag);
}
LNSTATUS LNDatabase::SetOption0100(bool flag) {
    return SetOptionBit(0x0100, flag);
}
LNSTATUS LNDatabase::SetOption0200(bool flag) {
    return SetOptionBit(0x0200, flag);
}
LNSTATUS LNDatabase::SetOption0400(bool flag) {
    return SetOptionBit(0x0400, !flag);
}
LNSTATUS LNDatabase::SetOption1000(bool flag) {
    return SetOptionBit(0x1000, !flag);
}

uint32_t LNDatabase::GetOptionFieldC000() const {
    uint32_t first = 0;
    GetOptions(&first, nullptr);
    return first & 0xC000u;
}

LNSTATUS LNDatabase::SetOptionFieldC000(uint32_t value) {
    uint32_t word = 0;
    if (const LNSTATUS status = ReadOptions(&word)) return LNReturnOrThrow(status);
    return SetOptions((word & ~0xC000u) | value);
}

LNSTATUS LNDatabase::SetOptionBit200(bool flag) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    return LNReturnOrThrowNotesStatus(nnotes::SetDatabaseOptionBits(body->GetHandle(), flag ? 512 : 0, 512));
}

bool LNDatabase::GetQueryFlag0200() const {
    uint32_t second = 0;
    GetOptions(nullptr, &second);
    return (second & 0x0200u) != 0;
}

uint32_t LNDatabase::GetSize() const {
    uint32_t used = 0, unused = 0;
    ThrowIfFailed(nnotes::GetDatabaseSpace(RequireOpen()->GetHandle(), &used, &unused));
    const uint64_t total = uint64_t{used} + unused;
    return total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
}

double LNDatabase::GetPercentUsed() const {
    uint32_t used = 0, unused = 0;
    ThrowIfFailed(nnotes::GetDatabaseSpace(RequireOpen()->GetHandle(), &used, &unused));
    const double total = static_cast<double>(used) + unused;
    return total == 0 ? 0.0 : used / total * 100.0;
}

uint16_t LNDatabase::GetInfoWord() const {
    uint16_t word = 0;
    ThrowIfFailed(nnotes::GetDatabaseVersion(RequireOpen()->GetHandle(), &word));
    return word;
}
