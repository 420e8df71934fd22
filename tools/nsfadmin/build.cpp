// nsfadmin build: a database made from its description in a file beside the target and copied over the target
// whole, so that a failed build leaves no half-written database behind.
#include "description.h"
#include "failure.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nsfadmin/nsfadmin.h"
#include "open_database.h"
#include "view_format.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace nsfadmin {
namespace {

using namespace nnotes;

// An open note that is closed on every way out.
class NoteBeingBuilt {
public:
    NoteBeingBuilt(DBHANDLE db, uint16_t noteClass, const std::string& place) : place_(place) {
        Check(CreateNote(db, &note_), place_);
        if (STATUS s = SetNoteInfo(note_, NOTE_INFO_CLASS, &noteClass)) {
            CloseNote(note_);
            Check(s, place_);
        }
    }
    ~NoteBeingBuilt() { CloseNote(note_); }
    NoteBeingBuilt(const NoteBeingBuilt&) = delete;
    NoteBeingBuilt& operator=(const NoteBeingBuilt&) = delete;

    void Add(const std::string& name, const ItemValue& value, const std::string& place) {
        Check(AppendItem(note_, ITEM_SUMMARY, name.data(), static_cast<uint16_t>(name.size()), value.type,
                         value.bytes.data(), static_cast<uint32_t>(value.bytes.size()), nullptr),
              place);
    }

    UNIVERSALID Save() {
        Check(UpdateNote(note_, 0), place_);
        ORIGINATORID oid{};
        Check(GetNoteInfo(note_, NOTE_INFO_OID, &oid), place_);
        return {oid.file, oid.note};
    }

private:
    NOTEHANDLE note_ = 0;
    std::string place_;
};

void WriteTitle(DBHANDLE db, const std::string& title, const std::string& place) {
    char info[DBINFO_SIZE];
    Check(GetDatabaseInfo(db, info), place);
    Check(SetInfoField(info, INFOFIELD_TITLE, title.c_str()), place);
    Check(SetDatabaseInfo(db, info), place);
}

void WriteView(DBHANDLE db, const ViewDescription& view, const std::string& source) {
    const std::string place = source + ": " + view.place;
    NoteBeingBuilt note(db, NOTE_CLASS_VIEW, place);
    note.Add(FIELD_TITLE, TextValue(view.alias.empty() ? view.name : view.name + "|" + view.alias), place);
    note.Add(VIEW_FORMAT_ITEM, {TYPE_VIEW_FORMAT, ViewFormatBytes(view, place)}, place + "/columns");
    if (!view.selection.empty())
        note.Add(VIEW_FORMULA_ITEM, {TYPE_FORMULA, CompiledFormula(view.selection, place + "/selection")},
                 place + "/selection");
    note.Save();
}

void WriteContents(DBHANDLE db, const DatabaseDescription& d, const std::string& source) {
    if (!d.title.empty()) WriteTitle(db, d.title, source + ": /title");
    for (const auto& view : d.views)
        WriteView(db, view, source);
    std::vector<UNIVERSALID> written;
    for (const auto& doc : d.documents) {
        const std::string place = source + ": " + doc.place;
        NoteBeingBuilt note(db, NOTE_CLASS_DOCUMENT, place);
        for (const auto& item : doc.items)
            note.Add(item.name, item.value, place + "/" + item.name);
        if (doc.parent) note.Add(FIELD_REF, ParentReferenceValue(written[*doc.parent]), place + "/$Parent");
        written.push_back(note.Save());
    }
}

void Build(const DatabaseDescription& d, const std::string& source) {
    const std::string target = NetPath(d.server, d.path, source + ": /path");
    const std::string tempPath = d.path + ".building-" + std::to_string(getpid());
    const std::string temp = NetPath(d.server, tempPath, source + ": /path");
    const STATUS created = CreateDatabase(temp.c_str(), 0, true, 0, 0, 0);
    if (ERR(created) == ERR_SERVER_NOT_KNOWN) Check(created, source + ": /server: \"" + d.server + "\"");
    Check(created, source + ": /path: creating " + target);
    try {
        {
            OpenedDatabase db(tempPath, d.server);
            WriteContents(db.Handle(), d, source);
        }
        Check(CopyDatabase(temp.c_str(), target.c_str(), NOTE_CLASS_ALL, 0, 0, nullptr),
              source + ": writing " + target);
    } catch (const Failure&) {
        DeleteDatabase(temp.c_str());
        throw;
    }
    DeleteDatabase(temp.c_str());
}

} // namespace

std::string BuildFromText(std::string_view json, const std::string& sourceName) {
    return Run([&] {
        StoreSession session;
        Build(ReadDescription(json, sourceName), sourceName);
    });
}

std::string BuildFromFile(const std::string& jsonPath) {
    std::ifstream in(jsonPath, std::ios::binary);
    if (!in) return jsonPath + ": cannot be read: " + std::strerror(errno);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return jsonPath + ": cannot be read";
    return BuildFromText(text.str(), jsonPath);
}

} // namespace nsfadmin
