// LNDocument and LNDocumentBody: a note of class document. Beyond every note's operations the body knows the
// document's mail role, reads its form name and categories and sets its form.
#pragma once

#include "ln/lnnote.h"
#include "ln/lnnotearray.h"
#include "ln/lntext.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"

class LNDocument;
class LNForm;

using LNMAILMSGTYPE = uint32_t;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_FORWARD = 0;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_REPLY = 1;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_REPLY_WITH_HISTORY = 2;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_REPLY_TO_ALL = 3;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_REPLY_TO_ALL_WITH_HISTORY = 4;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_MEMO = 5;
constexpr LNMAILMSGTYPE LNMAILMSGTYPE_DOCUMENT = 6;

class LNDocumentBody : public LNNoteBody {
public:
    // Adopts an open note handle of a document.
    LNDocumentBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status, uint32_t value = 0);
    // A new document (LNMAILMSGTYPE_DOCUMENT) or memo (LNMAILMSGTYPE_MEMO, whose "Form" is "Memo").
    LNDocumentBody(LNDatabaseBody* database, LNSTATUS* status, LNMAILMSGTYPE type);
    // A document of the database, to be opened later.
    LNDocumentBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNMAILMSGTYPE type, LNSTATUS* status);
    // A new reply (types 1-4) or forward (type 0) of source, in database.
    LNDocumentBody(LNDocumentBody* source, LNDatabaseBody* database, LNSTATUS* status, LNMAILMSGTYPE type);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDOCUMENTBODY; }
    // A mail document (type other than LNMAILMSGTYPE_DOCUMENT) also opens and closes its database.
    LNSTATUS Open(uint32_t options) override;
    LNSTATUS Close() override;

    LNMAILMSGTYPE GetMailType() const { return MailType; }
    // The database was opened for this new mail document, which closes it again on Close.
    void TakeDatabaseOpen() { OpenedDatabase = MailType != LNMAILMSGTYPE_DOCUMENT; }

    // An empty name: LNERR_NULL_STRING.
    LNSTATUS SetForm(const LNString& name);
    LNSTATUS SetForm(const LNText& name);
    // The "Categories" item (empty when absent); throws LNERR_NOTE_NOT_OPEN.
    LNText GetCategories();
    // The first entry of "Form"; a missing item gives the empty text and LNWARN_NOT_FOUND.
    LNSTATUS GetFormName(LNString* name);
    // Whether the document has "$REF"; throws when the database or the note is not open.
    bool IsResponse();

    // Mail. A new reply or forward (types 0-4) in the user's mail database, handed to out.
    LNSTATUS CreateReplyOrForward(LNMAILMSGTYPE type, LNDocument* out);
    // Deposits a copy in "mail.box" of the mail server; with attachForm the form goes into the document.
    LNSTATUS Send(bool attachForm);
    LNSTATUS Send(const LNString& recipients, bool attachForm);
    LNSTATUS Send(const LNText& recipients, bool attachForm);

    // Responses and form.
    LNSTATUS MakeResponse(const LNDocument& parent);
    LNSTATUS GetParentDocument(LNDocument* parent);
    // Throws its failures.
    uint32_t GetResponseCount();
    LNSTATUS GetResponses(LNDocumentArray* responses);
    // Every response below this document, at any depth.
    LNSTATUS GetAllResponses(LNDocumentArray* responses);
    LNSTATUS GetForm(LNForm* form);

private:
    // Subject, form and recipients of a reply; only the form of a forward.
    LNSTATUS SetUpReply(LNDocumentBody* source);
    // The source rendered into "Body", under a header for a forward.
    LNSTATUS AddForwardBody(LNDocumentBody* source);
    // The document's form and subforms, copied into it; before holds the items the document had.
    LNSTATUS StoreForm(const std::vector<nnotes::BLOCKID>& before);
    struct FormBackup {
        std::vector<nnotes::BLOCKID> before;
        bool hadForm = false;
        uint16_t flags = 0;
        LNText form;
    };
    // After a failed send: the items the form brought in go, "Form" comes back.
    void RestoreForm(const FormBackup& backup);
    // A copy of the document, with its "Recipients", saved in the mail router's mailbox.
    LNSTATUS Deposit();
    // Database and note open, else the status (unfiltered).
    LNSTATUS CheckOpen() const;

    uint32_t Value = 0;
    LNMAILMSGTYPE MailType = LNMAILMSGTYPE_DOCUMENT;
    bool OpenedDatabase = false; // Close closes the database too
};

class LNDocument : public LNNote {
public:
    LNDocument() = default;
    LNDocument(const LNDocument& other) = default;
    // A document not yet open.
    LNDocument(LNDatabaseBody* database, nnotes::NOTEID noteId, LNMAILMSGTYPE type = LNMAILMSGTYPE_DOCUMENT);
    // Throws LNERR_CONVERSION unless the note is a document.
    LNDocument(const LNNote& note, LNMAILMSGTYPE type);
    ~LNDocument() override = default;

    LNDocument& operator=(const LNDocument& other);
    // Throws LNERR_CONVERSION unless the note is a document.
    LNDocument& operator=(const LNNote& note);
    LNDocument& SetNoteBody(LNDocumentBody* body);
    LNDocument& AssignBody(LNDocumentBody* body) { return SetNoteBody(body); }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDOCUMENT; }
    // Without a body a new unopened document body is made for the note id (the class is not probed).
    LNSTATUS Open(uint32_t options) override;
    LNSTATUS Close() override;

    // Throws LNERR_NOT_INITIALIZED for a handle with neither body nor note id.
    LNMAILMSGTYPE GetMailType() const;

    LNText GetCategories() const;
    LNSTATUS GetFormName(LNString* name) const;
    bool IsResponse() const;
    LNSTATUS SetForm(const LNString& name);
    LNSTATUS SetForm(const LNText& name);

    LNSTATUS CreateForward(LNDocument* forward) const;
    // kind: 0 reply, 1 reply with history, 2 reply to all, 3 reply to all with history.
    LNSTATUS CreateReply(LNDocument* reply, uint16_t kind) const;
    LNSTATUS Send(bool attachForm = false);
    LNSTATUS Send(const LNString& recipients, bool attachForm = false);
    LNSTATUS Send(const LNText& recipients, bool attachForm = false);
    // Without it a literal list of recipients would be taken for the attach-form flag.
    LNSTATUS Send(const char* recipients, bool attachForm = false) {
        return Send(LNString(recipients), attachForm);
    }
    LNSTATUS MakeResponse(const LNDocument& parent);
    LNSTATUS GetParentDocument(LNDocument* parent) const;
    // Throws its failures.
    uint32_t GetResponseCount() const;
    LNSTATUS GetResponses(LNDocumentArray* responses) const;
    LNSTATUS GetAllResponses(LNDocumentArray* responses) const;
    LNSTATUS GetForm(LNForm* form) const;

    LNDocumentBody* GetDocumentBody() const { return static_cast<LNDocumentBody*>(GetBody()); }

private:
    // work (the open body) when there is a body, else the status of a handle without one.
    template <class Work>
    LNSTATUS WithBody(Work work) const;

    LNMAILMSGTYPE MailType = 0;
};
