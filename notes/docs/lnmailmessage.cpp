#include "ln/lnmailmessage.h"

#include "ln/lnassert.h"
#include "ln/lndatetimes.h"
#include "ln/lnerrors.h"

namespace {

constexpr const char* kRecipientItems[] = {"SendTo", "CopyTo", "BlindCopyTo"};
constexpr uint16_t kRecipientFlags[] = {0x45, 0x45, 0x44};

// A caller's number, not an internal fault: one outside the three kinds is refused with a status.
bool IsRecipientType(LNRECIPIENTTYPE type) {
    return type == LNRECIPIENTTYPE_PRIMARY || type == LNRECIPIENTTYPE_CC || type == LNRECIPIENTTYPE_BCC;
}

} // namespace

LNSTATUS LNMailMessage::OpenBody(LNDocumentBody** body) const {
    *body = GetDocumentBody();
    if (*body == nullptr) return NoBodyStatus();
    return (*body)->IsOpen() ? LNNOERROR : LNERR_NOTE_NOT_OPEN;
}

LNDocumentBody* LNMailMessage::RequireOpenBody() const {
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) throw status;
    return body;
}

LNSTATUS LNMailMessage::ReadText(const char* name, LNText* text) const {
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) return LNReturnOrThrow(status);
    if (text == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (!body->HasItem(LNString(name))) {
        *text = LNText();
        return LNWARN_NOT_FOUND;
    }
    return body->GetItem(LNString(name), text);
}

LNString LNMailMessage::FirstText(const char* name) const {
    LNDocumentBody* body = RequireOpenBody();
    LNText text;
    if (!body->HasItem(LNString(name)) || body->GetItem(LNString(name), &text) != LNNOERROR ||
        text.GetCount() == 0)
        return LNString("");
    return text[0].GetText();
}

LNSTATUS LNMailMessage::WriteText(const char* name, const LNString& text, uint16_t flags) {
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) return LNReturnOrThrow(status);
    LNText value;
    if (const LNSTATUS status = value.SetText(text)) return status;
    return body->CreateItem(LNString(name), value, flags, LNITEMDUP_REPLACE, nullptr);
}

LNSTATUS LNMailMessage::GetRecipients(LNRECIPIENTTYPE type, LNText* names) const {
    if (!IsRecipientType(type)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return ReadText(kRecipientItems[type], names);
}

LNSTATUS LNMailMessage::SetRecipients(LNRECIPIENTTYPE type, const LNText& names) {
    if (!IsRecipientType(type)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) return LNReturnOrThrow(status);
    return body->CreateItem(LNString(kRecipientItems[type]), names, kRecipientFlags[type], LNITEMDUP_REPLACE,
                            nullptr);
}

LNSTATUS LNMailMessage::SetRecipients(LNRECIPIENTTYPE type, const LNString& names) {
    if (!IsRecipientType(type)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNText list;
    uint32_t start = 0;
    while (true) {
        uint32_t comma = 0;
        const LNSTATUS found = names.FindChar(',', start, &comma);
        if (found != LNNOERROR && found != LNWARN_NOT_FOUND) return found;
        const uint32_t end = found == LNNOERROR ? comma : names.GetLength();
        LNString entry("");
        if (end > start)
            if (const LNSTATUS status = names.GetSubstring(start, end - start, &entry)) return status;
        if (const LNSTATUS status = list.Append(entry)) return status;
        if (found != LNNOERROR) break;
        start = comma + 1;
    }
    return SetRecipients(type, list);
}

LNSTATUS LNMailMessage::GetSubject(LNText* subject) const {
    return ReadText("Subject", subject);
}

LNSTATUS LNMailMessage::SetSubject(const LNString& subject) {
    return WriteText("Subject", subject, 0x05);
}

LNSTATUS LNMailMessage::GetBody(LNItem* body) const {
    LNDocumentBody* document = nullptr;
    if (const LNSTATUS status = OpenBody(&document)) return LNReturnOrThrow(status);
    if (body == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (!document->HasItem(LNString("Body"))) {
        *body = LNItem();
        return LNWARN_NOT_FOUND;
    }
    return document->GetItem(LNString("Body"), body);
}

LNSTATUS LNMailMessage::GetFrom(LNString* from) const {
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) return LNReturnOrThrow(status);
    if (from == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    *from = FirstText("From");
    return body->HasItem(LNString("From")) ? LNNOERROR : LNWARN_NOT_FOUND;
}

LNSTATUS LNMailMessage::GetPostedDate(LNDatetime* posted) const {
    LNDocumentBody* body = nullptr;
    if (const LNSTATUS status = OpenBody(&body)) return LNReturnOrThrow(status);
    if (posted == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNDatetimes dates;
    if (!body->HasItem(LNString("PostedDate")) ||
        body->GetItem(LNString("PostedDate"), &dates) != LNNOERROR || dates.GetCount() == 0) {
        *posted = LNDatetime();
        return LNWARN_NOT_FOUND;
    }
    *posted = dates[0].GetValue();
    return LNNOERROR;
}
