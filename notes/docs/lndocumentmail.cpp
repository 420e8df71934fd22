// Replies, forwards and sending: a new reply or forward made from a document in the user's mail database,
// and a document sent by depositing a copy of it in the mail router's "mail.box".
#include "ln/lnassert.h"
#include "ln/lndatetimes.h"
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnmailmessage.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "ln/lnstringcompare.h"
#include "nnotes/mail.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <string>

namespace {

constexpr uint32_t kFontPlain = 0x0A000001, kFontRule = 0x0A0B0001, kFontHeader = 0x080B0001;
constexpr const char* kLineDelimiter = "\r\n";
constexpr uint32_t kIgnoreCase = 1;

// The first entry of a text item of the note; "" when it is missing or empty.
LNString FirstEntry(LNNoteBody* note, const char* name) {
    LNText text;
    if (!note->HasItem(LNString(name)) || note->GetItem(LNString(name), &text) != LNNOERROR ||
        text.GetCount() == 0)
        return LNString("");
    return text[0].GetText();
}

// A one-entry text item, replacing any of the name.
LNSTATUS WriteText(LNNoteBody* note, const char* name, const LNString& value, uint16_t flags) {
    LNText text;
    if (const LNSTATUS status = text.SetText(value)) return status;
    return note->CreateItem(LNString(name), text, flags, LNITEMDUP_REPLACE, nullptr);
}

// "CN=Ann Lee/O=Acme" as "Ann Lee/Acme": each part of a hierarchical name without its "XX=" label.
std::string Abbreviated(const std::string& name) {
    std::string shortened;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t slash = std::min(name.find('/', start), name.size());
        std::string part = name.substr(start, slash - start);
        const size_t equals = part.find('=');
        if (equals != std::string::npos) part.erase(0, equals + 1);
        shortened += (start == 0 ? "" : "/") + part;
        start = slash + 1;
    }
    return shortened.size() < nnotes::MAXPATH ? shortened : name;
}

// "Forwarded by <user> on <now>".
LNString ForwardHeader(LNNotesSession* session) {
    const LNString user = session->GetUserName();
    LNString now;
    session->GetCurrentDatetime().GetText(&now);
    LNString header(
        ("Forwarded by " + Abbreviated(std::string(LNNotesText(user), user.GetByteLength())) + " on ")
            .c_str());
    header += now;
    return header;
}

nnotes::STATUS AddRun(nnotes::HRTBUILDER builder, uint32_t font, const LNString& text, uint16_t flags = 0) {
    return nnotes::RichTextAddRun(builder, font, LNNotesText(text),
                                  static_cast<uint16_t>(text.GetByteLength()), kLineDelimiter, flags);
}

// Keeps a body that is still being built alive while item handles of it come and go: the last of them would
// otherwise delete it.
class HoldReference {
public:
    explicit HoldReference(LNBody* body) : Body(body) { Body->AddReference(); }
    ~HoldReference() { Body->ReleaseReference(); }
    HoldReference(const HoldReference&) = delete;
    HoldReference& operator=(const HoldReference&) = delete;

private:
    LNBody* Body;
};

} // namespace

LNDocumentBody::LNDocumentBody(LNDocumentBody* source, LNDatabaseBody* database, LNSTATUS* status,
                               LNMAILMSGTYPE type)
    : LNNoteBody(database, LNNOTECLASS{LNNOTECLASS_DOCUMENT}, status), MailType(type) {
    LN_ASSERT(source && type <= LNMAILMSGTYPE_REPLY_TO_ALL_WITH_HISTORY, "lndocb", 201);
    const HoldReference building(this);
    // Texts that outgrow a string or a list on the way (a subject that fills its item and gains "Re: ", a
    // long sender and domain) fail with a status like every other step.
    try {
        if (*status == LNNOERROR) *status = SetUpReply(source);
        if (*status == LNNOERROR &&
            (type == LNMAILMSGTYPE_FORWARD || type == LNMAILMSGTYPE_REPLY_WITH_HISTORY ||
             type == LNMAILMSGTYPE_REPLY_TO_ALL_WITH_HISTORY))
            *status = AddForwardBody(source);
    } catch (LNSTATUS thrown) {
        *status = thrown;
    }
}

LNSTATUS LNDocumentBody::SetUpReply(LNDocumentBody* source) {
    LN_ASSERT(source && MailType != LNMAILMSGTYPE_MEMO && MailType != LNMAILMSGTYPE_DOCUMENT, "lndocb", 2253);
    const LNString subject("Subject");
    LNItem sourceSubject;
    LNSTATUS status = source->HasItem(subject) ? source->GetItem(subject, &sourceSubject) : LNWARN_NOT_FOUND;
    if (status == LNNOERROR)
        status = CopyItem(sourceSubject, LNITEMDUP_REPLACE, nullptr);
    else
        status = WriteText(this, "Subject", LNString(""), 0x05);
    if (status != LNNOERROR) return status;
    if (MailType == LNMAILMSGTYPE_FORWARD) return SetForm(LNString("Memo"));
    const bool history =
        MailType == LNMAILMSGTYPE_REPLY_WITH_HISTORY || MailType == LNMAILMSGTYPE_REPLY_TO_ALL_WITH_HISTORY;
    if ((status = SetForm(LNString(history ? "Reply With History" : "Reply"))) != LNNOERROR) return status;

    LNText text;
    if ((status = GetItem(subject, &text)) != LNNOERROR) return status;
    const LNString old = text.GetCount() > 0 ? text[0].GetText() : LNString("");
    LNString prefix;
    // "RE: " and "re: " answer something as well: a second prefix would only pile up.
    if (old.GetLength() >= 4 && old.GetSubstring(0, 4, &prefix) == LNNOERROR &&
        LNStringCompare(prefix, LNString("Re: "), kIgnoreCase) == 0) {
        // The subject already answers something.
    } else {
        LNString answered("Re: ");
        answered += old;
        if (text.GetCount() > 0)
            text[0] = answered;
        else if ((status = text.Append(answered)) != LNNOERROR)
            return status;
    }

    // A reply goes back to the sender: without one there is no one to answer.
    if (!source->HasItem(LNString("From"))) return LNERR_INVALID_MAIL_MESSAGE;
    {
        LNItem from;
        if ((status = source->GetItem(LNString("From"), &from)) != LNNOERROR) return status;
        if ((status = CreateItem(LNString("SendTo"), from, from.GetFlags(), LNITEMDUP_REPLACE, nullptr)) !=
            LNNOERROR)
            return status;
        const LNString domain = FirstEntry(source, "FromDomain");
        if (!domain.IsEmpty()) {
            LNText sendTo;
            if ((status = GetItem(LNString("SendTo"), &sendTo)) != LNNOERROR) return status;
            LNString sender = FirstEntry(this, "SendTo");
            sender += LNString(" @ ");
            sender += domain;
            if (sendTo.GetCount() > 0) sendTo[0] = sender;
        }
    }
    if (MailType != LNMAILMSGTYPE_REPLY_TO_ALL && MailType != LNMAILMSGTYPE_REPLY_TO_ALL_WITH_HISTORY)
        return LNNOERROR;
    LNText copyTo, part;
    for (const char* name : {"SendTo", "CopyTo"}) {
        if (!source->HasItem(LNString(name))) continue;
        if ((status = source->GetItem(LNString(name), &part)) != LNNOERROR) return status;
        if ((status = copyTo.Append(part)) != LNNOERROR) return status;
    }
    if (copyTo.GetCount() == 0) return LNNOERROR;
    return CreateItem(LNString("CopyTo"), copyTo, 0x45, LNITEMDUP_REPLACE, nullptr);
}

LNSTATUS LNDocumentBody::AddForwardBody(LNDocumentBody* source) {
    LNMailMessage message;
    message.SetNoteBody(source);
    if (message.IsKeepPrivate()) return LNNOERROR;
    // Built in a scratch note of the database and copied over, so that this note has item bodies for what
    // the builder writes.
    nnotes::NOTEHANDLE scratchHandle = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::CreateNote(GetDatabaseBody()->GetHandle(), &scratchHandle))
        return LNReturnOrThrowNotesStatus(status);
    nnotes::HRTBUILDER builder = 0;
    nnotes::STATUS built = nnotes::CreateRichTextBuilder(scratchHandle, "Body", &builder);
    if (built == nnotes::NOERROR) built = nnotes::RichTextDefineStyle(builder, "Normal");
    if (built == nnotes::NOERROR) built = AddRun(builder, kFontPlain, LNString(""));
    if (built == nnotes::NOERROR && MailType == LNMAILMSGTYPE_FORWARD) {
        built = AddRun(builder, kFontRule, LNString("---------------------- "));
        if (built == nnotes::NOERROR) built = AddRun(builder, kFontHeader, ForwardHeader(GetSession()));
        if (built == nnotes::NOERROR)
            built = AddRun(builder, kFontRule, LNString(" ---------------------------\n"), 10);
    }
    if (built == nnotes::NOERROR) built = nnotes::RichTextAddRenderedNote(builder, source->GetNoteHandle());
    if (built == nnotes::NOERROR) built = nnotes::CloseRichTextBuilder(builder);
    if (built != nnotes::NOERROR) {
        if (builder != 0) nnotes::DiscardRichTextBuilder(builder);
        nnotes::CloseNote(scratchHandle);
        return LNReturnOrThrowNotesStatus(built);
    }
    LNSTATUS status = LNNOERROR;
    auto* scratch = new LNNoteBody(scratchHandle, GetDatabaseBody(), &status);
    {
        const HoldReference copying(scratch);
        const LNObjectList& items = scratch->GetItemList();
        for (LNNotesClass* object = items.GetFirstObject(); status == LNNOERROR && object != nullptr;
             object = items.GetNextObject(object)) {
            LNItem item;
            status = scratch->FindItemBodyByBlock(static_cast<LNItemBody*>(object)->GetItemBlockID(), &item);
            if (status == LNNOERROR) status = CopyItem(item, LNITEMDUP_ADD, nullptr);
        }
    }
    delete scratch;
    if (status == LNNOERROR && source->HasItem(LNString("$Fonts"))) {
        LNItem fonts;
        if ((status = source->GetItem(LNString("$Fonts"), &fonts)) == LNNOERROR)
            status = CopyItem(fonts, LNITEMDUP_REPLACE, nullptr);
    }
    return status;
}

LNSTATUS LNDocumentBody::CreateReplyOrForward(LNMAILMSGTYPE type, LNDocument* out) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    LN_ASSERT(type <= LNMAILMSGTYPE_REPLY_TO_ALL_WITH_HISTORY, "lndocb", 860);
    if (out == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNNotesSession* session = GetSession();
    if (session == nullptr) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    LNDatabase mail;
    if (const LNSTATUS status = session->GetMailDatabase(&mail)) return status;
    const LNSTATUS opened = mail.Open();
    if (opened != LNNOERROR && opened != LNWARN_ALREADY_OPEN) return opened;
    LNSTATUS status = LNNOERROR;
    auto* made = new LNDocumentBody(this, mail.GetDatabaseBody(), &status, type);
    if (status != LNNOERROR) {
        delete made;
        if (opened == LNNOERROR) mail.Close();
        return LNReturnOrThrow(status);
    }
    if (opened == LNNOERROR) made->TakeDatabaseOpen();
    out->SetNoteBody(made);
    return LNNOERROR;
}

LNSTATUS LNDocumentBody::Send(const LNString& recipients, bool attachForm) {
    if (recipients.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    LNMailMessage message;
    message.SetNoteBody(this);
    if (const LNSTATUS status = message.SetRecipients(LNRECIPIENTTYPE_PRIMARY, recipients)) return status;
    return Send(attachForm);
}

LNSTATUS LNDocumentBody::Send(const LNText& recipients, bool attachForm) {
    if (recipients.GetCount() == 0) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNMailMessage message;
    message.SetNoteBody(this);
    if (const LNSTATUS status = message.SetRecipients(LNRECIPIENTTYPE_PRIMARY, recipients)) return status;
    return Send(attachForm);
}

LNSTATUS LNDocumentBody::Send(bool attachForm) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    LNNotesSession* session = GetSession();
    if (session == nullptr) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    if (session->GetEnvironmentLong(LNString("KitType")) == 2)
        return LNReturnOrThrow(LNERR_SERVER_MAIL_UNSUPPORTED);
    if (const LNSTATUS status = WriteText(this, "From", session->GetUserName(), 0x45)) return status;
    // A failed send gives the document back its form name and drops the form's items.
    FormBackup backup;
    if (attachForm) {
        backup.before = GetItemBlocks();
        LNText form;
        if (HasItem(LNString("Form")) && GetItem(LNString("Form"), &form) == LNNOERROR) {
            backup.hadForm = true;
            backup.flags = form.GetFlags();
            for (uint32_t i = 0; i < form.GetCount(); ++i)
                backup.form << form[i].GetText();
        }
        if (const LNSTATUS status = StoreForm(backup.before)) {
            RestoreForm(backup);
            return status;
        }
    }
    LNDatetimes posted;
    LNSTATUS status = posted.Append(session->GetCurrentDatetime());
    if (status == LNNOERROR)
        status = CreateItem(LNString("PostedDate"), posted, 0x04, LNITEMDUP_REPLACE, nullptr);
    if (status == LNNOERROR) {
        status = Deposit();
        if (status != LNNOERROR) DeleteItem(LNString("PostedDate"));
    }
    if (status != LNNOERROR && attachForm) RestoreForm(backup);
    return status;
}

void LNDocumentBody::RestoreForm(const FormBackup& backup) {
    // The send's own failure is what the caller hears of; this undoes what it can.
    DeleteItemsExcept(backup.before);
    if (backup.hadForm) CreateItem(LNString("Form"), backup.form, backup.flags, LNITEMDUP_REPLACE, nullptr);
}

LNSTATUS LNDocumentBody::Deposit() {
    LNNotesSession* session = GetSession();
    if (session == nullptr) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    LNString server;
    if (MailType == LNMAILMSGTYPE_DOCUMENT) {
        LNDatabase mail;
        if (const LNSTATUS status = session->GetMailDatabase(&mail)) return status;
        server = mail.GetServer();
    } else {
        server = GetDatabase().GetServer();
    }
    LNDatabase box;
    if (const LNSTATUS status = session->GetDatabase(LNString("mail.box"), &box, server)) return status;
    if (const LNSTATUS status = box.Open()) return status;
    LNSTATUS status = LNNOERROR;
    {
        LNNote copy;
        LNMailMessage message;
        LNText recipients, part;
        status = box.CopyNote(LNNote(this), &copy);
        if (status == LNNOERROR) {
            message.SetNoteBody(static_cast<LNDocumentBody*>(copy.GetNoteBody()));
            status = message.GetSendTo(&part);
            if (status == LNWARN_NOT_FOUND || (status == LNNOERROR && part.GetCount() == 0))
                status = LNReturnOrThrow(LNERR_INVALID_MAIL_MESSAGE);
        }
        for (const LNRECIPIENTTYPE type :
             {LNRECIPIENTTYPE_PRIMARY, LNRECIPIENTTYPE_CC, LNRECIPIENTTYPE_BCC}) {
            if (status != LNNOERROR) break;
            const LNSTATUS read = message.GetRecipients(type, &part);
            if (read == LNNOERROR)
                status = recipients.Append(part);
            else if (read != LNWARN_NOT_FOUND)
                status = read;
        }
        if (status == LNNOERROR)
            status = message.CreateItem(LNString("Recipients"), recipients, 0x04, LNITEMDUP_REPLACE);
        if (status == LNNOERROR) status = message.Save(0);
        if (copy.IsOpen()) copy.Close();
    }
    box.Close();
    return status;
}
