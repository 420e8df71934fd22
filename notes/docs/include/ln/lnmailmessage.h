// LNMailMessage: a document seen as a mail memo, with typed access to the items that make it one: the
// recipients, the sender, the subject, the body, the posting date and the delivery options. It holds no data
// of its own; a document becomes a mail message by being assigned to one.
#pragma once

#include "ln/lndocument.h"

class LNDatetime;

using LNRECIPIENTTYPE = uint32_t;
constexpr LNRECIPIENTTYPE LNRECIPIENTTYPE_PRIMARY = 0; // "SendTo"
constexpr LNRECIPIENTTYPE LNRECIPIENTTYPE_CC = 1;      // "CopyTo"
constexpr LNRECIPIENTTYPE LNRECIPIENTTYPE_BCC = 2;     // "BlindCopyTo"

class LNMailMessage : public LNDocument {
public:
    LNMailMessage() = default;
    LNMailMessage(const LNMailMessage& other) = default;
    ~LNMailMessage() override = default;

    LNMailMessage& operator=(const LNMailMessage& other) = default;
    LNMailMessage& operator=(const LNDocument& document) {
        LNDocument::operator=(document);
        return *this;
    }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNMAILMESSAGE; }

    // Each operation needs the document open: LNERR_NOTE_NOT_OPEN, or LNERR_NOT_INITIALIZED for a handle
    // that names no note. Missing items give LNWARN_NOT_FOUND and an emptied result.
    LNSTATUS GetRecipients(LNRECIPIENTTYPE type, LNText* names) const;
    LNSTATUS GetSendTo(LNText* names) const { return GetRecipients(LNRECIPIENTTYPE_PRIMARY, names); }
    LNSTATUS GetCopyTo(LNText* names) const { return GetRecipients(LNRECIPIENTTYPE_CC, names); }
    LNSTATUS GetBlindCopyTo(LNText* names) const { return GetRecipients(LNRECIPIENTTYPE_BCC, names); }
    LNSTATUS SetRecipients(LNRECIPIENTTYPE type, const LNText& names);
    // names: entries separated by ",", taken as they are (empty ones included).
    LNSTATUS SetRecipients(LNRECIPIENTTYPE type, const LNString& names);

    LNSTATUS GetSubject(LNText* subject) const;
    LNSTATUS SetSubject(const LNString& subject);
    // The "Body" item into a rich-text handle (or any item handle).
    LNSTATUS GetBody(LNItem* body) const;
    // The first entry of "From".
    LNSTATUS GetFrom(LNString* from) const;
    // The first date of "PostedDate"; missing: a default date/time.
    LNSTATUS GetPostedDate(LNDatetime* posted) const;

    // The flag getters throw what the status getters return.
    bool IsAssistMail() const;
    bool IsReturnReceipt() const;
    LNSTATUS SetReturnReceipt(bool flag);
    bool IsKeepPrivate() const;
    LNSTATUS SetKeepPrivate(bool flag);
    // The position of the "SenderTag" letter in "NPCRTFGJYQM"; 0 when there is none or it is not one of them.
    uint32_t GetSenderTag() const;
    // Codes 0 to 10; others give LNERR_INVALID_PARAMETER.
    LNSTATUS SetSenderTag(uint32_t code);

private:
    // The open document body, or the status (unfiltered) of a handle without one.
    LNSTATUS OpenBody(LNDocumentBody** body) const;
    LNDocumentBody* RequireOpenBody() const;
    // Reads a text item; a missing one empties text and gives LNWARN_NOT_FOUND.
    LNSTATUS ReadText(const char* name, LNText* text) const;
    // The first entry of a text item, "" when it is missing or empty.
    LNString FirstText(const char* name) const;
    // Writes a one-entry text item, replacing any of the name.
    LNSTATUS WriteText(const char* name, const LNString& text, uint16_t flags);
    // flag: the item holds "1"; otherwise it goes.
    LNSTATUS SetFlagItem(const char* name, bool flag);
};
