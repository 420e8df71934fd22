#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtselection.h"
#include "ln/lnstylizedtext.h"
#include "nnotes/memblock.h"
#include "nnotes/nls.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kHeader = 8; // the on-disk text record header
// A record must fit one output block beside the block's type word.
constexpr uint32_t kMaxRecord = LNRICHTEXT_BLOCK_SIZE - 2;

const nnotes::NLSInfo* NLS() {
    const nnotes::NLSInfo* info = nullptr;
    if (nnotes::GetNLSInfo(&info) != nnotes::NOERROR || info == nullptr) throw LNERR_STRING_SIZE;
    return info;
}

const char* Chars(const LNString& text) {
    return reinterpret_cast<const char*>(text.GetTextPtr());
}

} // namespace

LNStylizedTextBody::LNStylizedTextBody() : FontStyle(LNFONTID_DEFAULT, LNFontTable()) {
    SetType(LNRTTYPE_STYLIZED_TEXT);
}

LNStylizedTextBody::LNStylizedTextBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length,
                                       const LNFontTable& fonts)
    : LNRTContainerBody(pool, block, length) {
    SetType(LNRTTYPE_STYLIZED_TEXT);
    nnotes::ODSTextRecord header{};
    if (const LNSTATUS status = ReadHeader(&header)) throw status;
    if (header.Signature != LNRTSIG_TEXT) throw LNERR_WRONG_RICHTEXT_TYPE;
    if (header.Length < kHeader ||
        ((header.FontID >> 8) & LNFONT_EXCLUSIVE_ATTRIBUTES) == LNFONT_EXCLUSIVE_ATTRIBUTES)
        throw LNERR_CORRUPTED;
    FontStyle = LNFontStyle(header.FontID, fonts);
}

LNStylizedTextBody::LNStylizedTextBody(const LNString& text) : LNStylizedTextBody() {
    if (const LNSTATUS status = InsertText(0, text)) throw status;
}

LNStylizedTextBody::~LNStylizedTextBody() {
    if (!IsClosed()) LNStylizedTextBody::Close();
}

LNSTATUS LNStylizedTextBody::Close() {
    if (IsClosed()) return LNWARN_NOT_OPEN;
    // Character handles hold references to this run: one of its own keeps it alive while they let go.
    const LNRTObject self(RTCharArray.GetCount() > 0 ? this : nullptr);
    MarkClosed();
    FontStyle = LNFontStyle();
    RTCharArray.DetachAll();
    return LNRTObjectBody::Close();
}

LNRTObjectBody* LNStylizedTextBody::NewOfSameKind() const {
    return new LNStylizedTextBody();
}

LNSTATUS LNStylizedTextBody::Assign(LNRTObjectBody* source, bool) {
    if (source == nullptr || source == this) return LNERR_INVALID_PARAMETER;
    if (IsClosed() || source->IsClosed()) return LNERR_ALREADY_CLOSED;
    if (!source->IsType(LNRTTYPE_STYLIZED_TEXT)) return LNERR_INAPPROPRIATE_FOR_OBJECT;
    const LNFontStyle& style = static_cast<LNStylizedTextBody*>(source)->FontStyle;
    LNFontTable table;
    style.GetFontTable(&table);
    FontStyle = LNFontStyle(style.GetFontID(), table);
    return LNRTObjectBody::Assign(source, false);
}

LNSTATUS LNStylizedTextBody::ReadHeader(nnotes::ODSTextRecord* header) const {
    return ReadStructure(nnotes::ODS_TEXT_RECORD, header, 0);
}

uint32_t LNStylizedTextBody::GetTextLength() const {
    if (GetBlockSize() == 0) return 0;
    nnotes::ODSTextRecord header{};
    if (ReadHeader(&header) != LNNOERROR || header.Length < kHeader || header.Length > GetBlockSize())
        return 0;
    return header.Length - kHeader;
}

LNSTATUS LNStylizedTextBody::CopyText(LNString* text) const {
    const uint32_t length = GetTextLength();
    if (length == 0) {
        *text = LNString();
        return LNNOERROR;
    }
    std::vector<LNUCHAR> bytes(length);
    if (const LNSTATUS status = ReadBytes(length, bytes.data(), kHeader)) return status;
    *text = LNString(bytes.data(), length);
    return LNNOERROR;
}

uint32_t LNStylizedTextBody::BytePosition(const LNString& text, uint32_t characters) {
    if (characters == 0) return 0;
    uint16_t bytes = 0;
    if (nnotes::NLSStringBytes(Chars(text), static_cast<uint16_t>(text.GetByteLength()),
                               static_cast<uint16_t>(characters), &bytes, NLS()) != nnotes::NOERROR)
        throw LNERR_STRING_SIZE;
    return bytes;
}

uint32_t LNStylizedTextBody::MaxTextLength() {
    return kMaxRecord - kHeader;
}

uint32_t LNStylizedTextBody::FitBytes(const LNString& text, uint32_t room) {
    const uint32_t length = std::min(text.GetByteLength(), room);
    if (length == text.GetByteLength() || length == 0) return length;
    // Counted over the cut bytes, where a character the cut splits counts as one; its bytes are measured
    // over the whole text, so that it is left out rather than cut in two.
    uint16_t chars = 0;
    if (nnotes::NLSStringChars(Chars(text), static_cast<uint16_t>(length), &chars, NLS()) != nnotes::NOERROR)
        throw LNERR_STRING_SIZE;
    for (; chars > 0; --chars) {
        uint16_t bytes = 0;
        if (nnotes::NLSStringBytes(Chars(text), static_cast<uint16_t>(text.GetByteLength()), chars, &bytes,
                                   NLS()) != nnotes::NOERROR)
            throw LNERR_STRING_SIZE;
        if (bytes <= length) return bytes;
    }
    return 0;
}

uint32_t LNStylizedTextBody::GetCharacterCount() const {
    if (CountKnown) return CachedCount;
    LNString text;
    const uint32_t count = CopyText(&text) == LNNOERROR ? CharacterCount(text) : 0;
    CachedCount = count;
    CountKnown = true;
    return count;
}

uint32_t LNStylizedTextBody::CharacterCount(const LNString& text) {
    if (text.GetByteLength() == 0) return 0;
    uint16_t chars = 0;
    if (nnotes::NLSStringChars(Chars(text), static_cast<uint16_t>(text.GetByteLength()), &chars, NLS()) !=
        nnotes::NOERROR)
        throw LNERR_STRING_SIZE;
    return chars;
}

LNSTATUS LNStylizedTextBody::GetText(LNString* text) const {
    if (GetBlockSize() != 0 && GetSignature() != LNRTSIG_TEXT) return LNERR_WRONG_RICHTEXT_TYPE;
    LNString own;
    if (CopyText(&own) != LNNOERROR || own.GetByteLength() == 0) return LNNOERROR;
    return text->Append(own);
}

LNSTATUS LNStylizedTextBody::InsertText(uint32_t position, const LNString& text) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    if (position > GetCharacterCount()) return LNERR_INVALID_PARAMETER;
    LNString old;
    if (const LNSTATUS status = CopyText(&old)) return status;
    const uint32_t oldBytes = old.GetByteLength();
    const uint32_t newBytes = text.GetByteLength();
    const uint64_t length = uint64_t{kHeader} + oldBytes + newBytes;
    // The record's length field is 16 bits wide.
    if (length > 0xFFFF) return LNERR_STRING_TOO_LONG;
    nnotes::ODSTextRecord header{LNRTSIG_TEXT, 0,
                                 FontStyle.IsNull() ? LNFONTID_DEFAULT : FontStyle.GetFontID()};
    if (GetBlockSize() != 0)
        if (const LNSTATUS status = ReadHeader(&header)) return status;
    const uint32_t at = BytePosition(old, position);
    if (const LNSTATUS status = SetRecordSize(static_cast<uint32_t>((length + 1) & ~uint64_t{1})))
        return status;
    if (oldBytes > at && newBytes > 0)
        if (const LNSTATUS status = ShiftBytes(oldBytes - at, newBytes, kHeader + at)) return status;
    if (newBytes > 0)
        if (const LNSTATUS status = WriteBytes(newBytes, text.GetTextPtr(), kHeader + at)) return status;
    header.Length = static_cast<uint16_t>(length);
    if (const LNSTATUS status = WriteStructure(nnotes::ODS_TEXT_RECORD, &header, 0)) return status;
    // Handles on characters after the insertion point move, and so does one just after character
    // `position` (a cursor at the insertion point): the new text goes before it. A handle on character
    // `position` itself stays in front of the new text.
    if (RTCharArray.GetCount() > 0 && newBytes > 0) {
        const uint32_t added = CharacterCount(text);
        for (uint32_t i = 0; i < RTCharArray.GetCount(); ++i) {
            LNRTObject* handle = nullptr;
            RTCharArray.Get(i, &handle);
            const uint32_t at = handle->GetCharacterOffset();
            if (at > position || (at == position && handle->StandsAfter()))
                handle->MoveCharacter(this, at + added);
        }
    }
    return LNNOERROR;
}

LNFontStyle LNStylizedTextBody::CopyOfFontStyle() const {
    LNFontTable table;
    FontStyle.GetFontTable(&table);
    return LNFontStyle(FontStyle.IsNull() ? LNFONTID_DEFAULT : FontStyle.GetFontID(), table);
}

LNSTATUS LNStylizedTextBody::PutText(uint32_t position, const LNString& text, LNRTStop* end) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    const uint32_t count = GetCharacterCount();
    if (position > count) return LNERR_INVALID_PARAMETER;
    const uint32_t max = MaxTextLength();
    if (GetParent() == nullptr || uint64_t{GetTextLength()} + text.GetByteLength() <= max) {
        const uint32_t added = CharacterCount(text);
        if (const LNSTATUS status = InsertText(position, text)) return status;
        if (end != nullptr) *end = LNRTStop{this, position + added};
        return LNNOERROR;
    }
    // The run's own text after the insertion point becomes a run of its own, so that the new text goes in
    // between; at the very start the whole run is that rest.
    const bool head = position > 0 || count == 0;
    if (position > 0 && position < count)
        if (const LNSTATUS status = SplitAt(position + 1)) return status;
    LNString rest = text;
    LNStylizedTextBody* last = this;
    uint32_t lastOffset = position;
    if (head) {
        const uint32_t used = GetTextLength();
        const uint32_t fit = FitBytes(rest, max > used ? max - used : 0);
        if (fit > 0) {
            if (const LNSTATUS status = InsertText(position, LNString(rest.GetTextPtr(), fit))) return status;
            rest = LNString(rest.GetTextPtr() + fit, rest.GetByteLength() - fit);
        }
        lastOffset = GetCharacterCount();
    }
    LNStylizedTextBody* after = head ? this : nullptr;
    while (rest.GetByteLength() > 0) {
        const uint32_t bytes = FitBytes(rest, max);
        if (bytes == 0) return LNERR_STRING_SIZE;
        LNStylizedText run(LNString(rest.GetTextPtr(), bytes));
        auto* body = static_cast<LNStylizedTextBody*>(run.GetObjectBody());
        body->FontStyle = CopyOfFontStyle();
        const LNSTATUS status = after != nullptr ? after->InsertAfter(&run) : InsertBefore(&run);
        if (status != LNNOERROR) return status;
        after = body;
        last = body;
        lastOffset = body->GetCharacterCount();
        rest = LNString(rest.GetTextPtr() + bytes, rest.GetByteLength() - bytes);
    }
    // Handles that stood just after the insertion point (now just after this run's new last character)
    // stand after all of the new text. The last new run is fresh, so it has room for them.
    if (head && last != this) {
        const uint32_t own = GetCharacterCount();
        for (uint32_t i = RTCharArray.GetCount(); i-- > 0;) {
            LNRTObject* handle = nullptr;
            RTCharArray.Get(i, &handle);
            if (handle->GetCharacterOffset() != own || !handle->StandsAfter()) continue;
            RTCharArray.RemoveAt(i);
            last->RTCharArray.Add(handle);
            handle->MoveCharacter(last, lastOffset);
        }
    }
    if (end != nullptr) *end = LNRTStop{last, lastOffset};
    return LNNOERROR;
}

LNSTATUS LNStylizedTextBody::SplitToFit() {
    const uint32_t max = MaxTextLength();
    for (LNStylizedTextBody* run = this; run->GetTextLength() > max;) {
        LNString text;
        if (const LNSTATUS status = run->CopyText(&text)) return status;
        const uint32_t bytes = FitBytes(text, max);
        const uint32_t keep = bytes > 0 ? CharacterCount(LNString(text.GetTextPtr(), bytes)) : 0;
        if (keep == 0) return LNERR_INVALID_RICHTEXT;
        if (const LNSTATUS status = run->SplitAt(keep + 1)) return status;
        run = static_cast<LNStylizedTextBody*>(run->GetNextSibling());
    }
    return LNNOERROR;
}

LNSTATUS LNStylizedTextBody::MergeFontStyle(const LNFontStyle& style, uint32_t mask) {
    LNFontStyle merged = CopyOfFontStyle();
    if (const LNSTATUS status = merged.SetStyle(style, mask)) return status;
    return SetFontStyle(merged);
}

LNSTATUS LNRTCharArray::Add(LNRTObject* handle) {
    LN_ASSERT(handle != nullptr, "lnrtchar", 120);
    if (Count >= Capacity) return LNERR_SUBSCRIPT_OUT_OF_RANGE;
    Entries[Count++] = handle;
    return LNNOERROR;
}

LNSTATUS LNRTCharArray::Get(uint32_t index, LNRTObject** handle) const {
    if (index >= Count || handle == nullptr) return LNERR_SUBSCRIPT_OUT_OF_RANGE;
    *handle = Entries[index];
    return LNNOERROR;
}

void LNRTCharArray::Remove(LNRTObject* handle) {
    LN_ASSERT(handle != nullptr, "lnrtchar", 160);
    uint32_t i = 0;
    while (i < Count && Entries[i] != handle)
        ++i;
    LN_ASSERT(i < Count, "lnrtchar", 164);
    RemoveAt(i);
}

void LNRTCharArray::Replace(LNRTObject* old, LNRTObject* handle) noexcept {
    for (uint32_t i = 0; i < Count; ++i)
        if (Entries[i] == old) Entries[i] = handle;
}

void LNRTCharArray::RemoveAt(uint32_t index) {
    LN_ASSERT(Count > index, "lnrtchar", 170);
    for (uint32_t i = index + 1; i < Count; ++i)
        Entries[i - 1] = Entries[i];
    Entries[--Count] = nullptr;
}

void LNRTCharArray::DetachAll() {
    while (Count > 0)
        Entries[Count - 1]->SetObjectBody(nullptr);
}

LNSTATUS LNStylizedTextBody::Append(const LNString& text) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return PutText(GetCharacterCount(), text);
}

LNSTATUS LNStylizedTextBody::DeleteChildren() {
    // Character handles hold references to this run: one of its own keeps it alive while they let go.
    const LNRTObject self(RTCharArray.GetCount() > 0 ? this : nullptr);
    RTCharArray.DetachAll();
    return LNNOERROR;
}

LNSTATUS LNStylizedTextBody::SplitAt(uint32_t offset) {
    const uint32_t count = GetCharacterCount();
    if (count <= 1 || offset <= 1 || offset > count) return LNERR_INVALID_PARAMETER;
    LNString text;
    if (const LNSTATUS status = CopyText(&text)) return status;
    const uint32_t cut = BytePosition(text, offset - 1);
    const LNString tail(text.GetTextPtr() + cut, text.GetByteLength() - cut);
    LNStylizedText rest(tail);
    static_cast<LNStylizedTextBody*>(rest.GetObjectBody())->FontStyle = CopyOfFontStyle();
    if (const LNSTATUS status = InsertAfter(&rest)) return status;
    if (const LNSTATUS status = KeepCharacters(1, offset - 1)) return status;
    auto* second = static_cast<LNStylizedTextBody*>(rest.GetObjectBody());
    for (uint32_t i = RTCharArray.GetCount(); i-- > 0;) {
        LNRTObject* handle = nullptr;
        RTCharArray.Get(i, &handle);
        const uint32_t at = handle->GetCharacterOffset();
        if (at < offset) continue;
        RTCharArray.RemoveAt(i);
        // The new run starts empty of handles, so it has room for every one that moves.
        second->RTCharArray.Add(handle);
        handle->MoveCharacter(second, at - offset + 1);
    }
    if (const LNSTATUS status = second->SetDirty(true)) return status;
    return SetDirty(true);
}

LNSTATUS LNStylizedTextBody::KeepCharacters(uint32_t first, uint32_t last) {
    const uint32_t count = GetCharacterCount();
    if (first < 1 || last < first || last > count) return LNERR_INVALID_PARAMETER;
    LNString text;
    if (const LNSTATUS status = CopyText(&text)) return status;
    const uint32_t from = BytePosition(text, first - 1);
    const uint32_t kept = BytePosition(text, last) - from;
    nnotes::ODSTextRecord header{};
    if (const LNSTATUS status = ReadHeader(&header)) return status;
    if (const LNSTATUS status = SetRecordSize((kHeader + kept + 1) & ~1u)) return status;
    if (const LNSTATUS status = WriteBytes(kept, text.GetTextPtr() + from, kHeader)) return status;
    header.Length = static_cast<uint16_t>(kHeader + kept);
    if (const LNSTATUS status = WriteStructure(nnotes::ODS_TEXT_RECORD, &header, 0)) return status;
    // The pad byte of an odd text is zero, never a byte of the text that was cut away.
    if (kept % 2 == 1) {
        const uint8_t zero = 0;
        if (const LNSTATUS status = WriteBytes(1, &zero, kHeader + kept)) return status;
    }
    return LNNOERROR;
}

LNSTATUS LNStylizedTextBody::SetFontStyle(const LNFontStyle& style) {
    if (const LNSTATUS status = SetDirty(true)) return status;
    FontStyle = style;
    return LNNOERROR;
}

namespace {

// Characters fit the types 3 (any element) and 0x13 (characters) and their parts.
bool CharacterFits(uint32_t type) {
    return (type & ~LNRTTYPE_ELEMENT) == 0 || (type & ~LNRTTYPE_CHAR) == 0;
}

} // namespace

LNSTATUS LNStylizedTextBody::FirstOrLastOfType(uint32_t type, LNRTObject* out, bool last) {
    LN_ASSERT(out != nullptr, "lnstyltx", 801);
    const uint32_t count = GetCharacterCount();
    if (count > 0 && IsType(type)) {
        out->SetObjectBody(this);
        return LNNOERROR;
    }
    if (count > 0 && CharacterFits(type)) return out->SetBodyAndOffset(this, last ? count : 1);
    out->SetObjectBody(nullptr);
    return LNWARN_NOT_FOUND;
}

LNSTATUS LNStylizedTextBody::GetFirstOfType(uint32_t type, LNRTObject* out) {
    return FirstOrLastOfType(type, out, false);
}

LNSTATUS LNStylizedTextBody::GetLastOfType(uint32_t type, LNRTObject* out) {
    return FirstOrLastOfType(type, out, true);
}

LNSTATUS LNStylizedTextBody::InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor) {
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    const LNRTCursorBody* body = cursor.IsValid() ? cursor.GetCursorBody() : nullptr;
    if (body == nullptr || body->GetStop().object != this) throw LNERR_INVALID_RTCURSOR;
    if (!CanContain(LNRTTYPE_STYLIZED_TEXT)) return LNERR_CANNOT_INSERT_TYPE;
    const uint32_t offset = body->GetStop().offset;
    return PutText(body->IsAfter() ? offset : offset - 1, text);
}

LNSTATUS LNStylizedTextBody::AdoptedStyle(const LNFontStyle& style, uint32_t mask, LNFontStyle* adopted) {
    LNRichTextBody* richText = GetRichText();
    if (richText == nullptr) {
        *adopted = style;
        return LNNOERROR;
    }
    return richText->AdoptFontStyle(style, adopted, mask);
}

namespace {

// A valid cursor of the tree that holds run; anything else throws LNERR_INVALID_RTCURSOR.
const LNRTCursorBody* CursorOf(const LNRTCursor* cursor, LNRTObjectBody* run) {
    if (cursor == nullptr || !cursor->IsValid() ||
        cursor->GetCursorBody()->GetStop().object->GetTopContainer() != run->GetTopContainer())
        throw LNERR_INVALID_RTCURSOR;
    return cursor->GetCursorBody();
}

} // namespace

LNSTATUS LNStylizedTextBody::SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) {
    if (style.IsNull()) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    const LNRTCursorBody* body = CursorOf(&cursor, this);
    const LNRTPosition pos = LNRTNormalise(body->GetPosition(), body->Scope());
    if (pos.stop.object != this || pos.after) return LNERR_OUT_OF_RANGE;
    LNFontStyle adopted;
    if (const LNSTATUS status = AdoptedStyle(style, 0xFFFFFFFFu, &adopted)) return status;
    if (pos.stop.offset == 1) return SetFontStyle(adopted);
    if (const LNSTATUS status = SplitAt(pos.stop.offset)) return status;
    return static_cast<LNStylizedTextBody*>(GetNextSibling())->SetFontStyle(adopted);
}

LNSTATUS LNStylizedTextBody::SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                                 uint32_t mask) {
    if (style.IsNull()) return LNERR_INVALID_PARAMETER;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    const LNRTPosition from = LNRTNormalise(CursorOf(a, this)->GetPosition(), nullptr);
    const LNRTPosition to = LNRTNormalise(CursorOf(b, this)->GetPosition(), nullptr);
    if (LNRTPositionBefore(to, from, nullptr)) return LNERR_INVALID_PARAMETER;
    const uint32_t count = GetCharacterCount();
    LNFontStyle adopted;
    if (count == 0) {
        // No cursor stands on an empty run: it is restyled when it lies between the two.
        const bool afterFrom = from.stop.object->CheckIndexValues(this);
        const bool beforeTo = to.after || CheckIndexValues(to.stop.object);
        if (!afterFrom || !beforeTo) return LNNOERROR;
        if (const LNSTATUS status = AdoptedStyle(style, mask, &adopted)) return status;
        return MergeFontStyle(adopted, mask);
    }
    const LNRTPosition start{LNRTStop{this, 1}, false};
    const LNRTPosition end{LNRTStop{this, count}, true};
    if (!LNRTPositionBefore(from, end, nullptr) || !LNRTPositionBefore(start, to, nullptr)) return LNNOERROR;
    if (const LNSTATUS status = AdoptedStyle(style, mask, &adopted)) return status;
    // Positions strictly inside the run stand on its own characters.
    const uint32_t first = LNRTPositionBefore(start, from, nullptr) ? from.stop.offset : 1;
    const uint32_t past = LNRTPositionBefore(to, end, nullptr) ? to.stop.offset : count + 1;
    if (past <= count)
        if (const LNSTATUS status = SplitAt(past)) return status;
    LNStylizedTextBody* target = this;
    if (first > 1) {
        if (const LNSTATUS status = SplitAt(first)) return status;
        target = static_cast<LNStylizedTextBody*>(GetNextSibling());
    }
    return target->MergeFontStyle(adopted, mask);
}

LNSTATUS LNStylizedTextBody::AppendChild(LNRTObject*) {
    return LNERR_RTCHAR_ACCESS;
}

LNSTATUS LNStylizedTextBody::GetFirstChild(LNRTObject* out) const {
    out->SetObjectBody(nullptr);
    return LNERR_RTCHAR_ACCESS;
}

LNSTATUS LNStylizedTextBody::GetLastChild(LNRTObject* out) const {
    return GetFirstChild(out);
}

LNSTATUS LNStylizedTextBody::WriteRecord(uint32_t* offset) {
    if (LNRichTextBody* richText = GetRichText(); richText != nullptr && !FontStyle.IsNull()) {
        LNFontStyle adopted;
        if (const LNSTATUS status = richText->AdoptFontStyle(FontStyle, &adopted, 0xFFFFFFFFu, false))
            return status;
        nnotes::ODSTextRecord header{};
        if (const LNSTATUS status = ReadHeader(&header)) return status;
        if (header.FontID != adopted.GetFontID()) {
            header.FontID = adopted.GetFontID();
            if (const LNSTATUS status = WriteStructure(nnotes::ODS_TEXT_RECORD, &header, 0)) return status;
        }
    }
    return LNRTObjectBody::WriteRecord(offset);
}

LNSTATUS LNStylizedTextBody::CopyChildrenInSelection(const RTSelection& selection, LNRTObjectBody* source,
                                                     LNRTObject* before) {
    if (before != nullptr && !before->IsNull()) return LNERR_INVALID_PARAMETER;
    const uint32_t count = GetCharacterCount();
    uint32_t first = 1;
    uint32_t last = count;
    if (selection.First.GetObjectBody() == source && selection.First.HasOffset())
        first = selection.First.GetCharacterOffset();
    if (selection.Last.GetObjectBody() == source && selection.Last.HasOffset())
        last = selection.Last.GetCharacterOffset();
    if (last >= count && first < 2) return LNNOERROR;
    return KeepCharacters(first, last);
}
