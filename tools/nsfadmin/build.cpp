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

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
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

// Documents stored between two commits. The database being built is a file of its own that replaces the
// target in one step at the end, so a commit per document would buy nothing; a commit now and then keeps
// the log from growing with the whole build.
constexpr size_t kDocumentsPerCommit = 10000;

// Stores the documents as they are read again from the description, one at a time; of a stored document only
// the universal id is kept, and only when a response names it.
void WriteDocuments(DBHANDLE db, const DatabaseDescription& d, const JsonInput& input,
                    const std::string& source) {
    // By position, which only grows: a sorted list, the smallest way to hold them.
    std::vector<std::pair<size_t, UNIVERSALID>> answered;
    ReadDocuments(input, source, [&](DocumentDescription&& doc, size_t index) {
        const std::string place = source + ": " + doc.place;
        NoteBeingBuilt note(db, NOTE_CLASS_DOCUMENT, place);
        for (const auto& item : doc.items)
            note.Add(item.name, item.value, place + "/" + item.name);
        if (doc.parent) {
            const auto parent = std::lower_bound(
                answered.begin(), answered.end(), *doc.parent,
                [](const std::pair<size_t, UNIVERSALID>& a, size_t i) { return a.first < i; });
            if (parent == answered.end() || parent->first != *doc.parent)
                throw Failure(place + "/$Parent: the description changed while it was read");
            note.Add(FIELD_REF, ParentReferenceValue(parent->second), place + "/$Parent");
        }
        const UNIVERSALID unid = note.Save();
        if (index < d.answered.size() && d.answered[index]) answered.emplace_back(index, unid);
        if ((index + 1) % kDocumentsPerCommit == 0) {
            Check(CommitBatch(db), place);
            Check(BeginBatch(db), place);
        }
    });
}

void WriteContents(DBHANDLE db, const DatabaseDescription& d, const JsonInput& input,
                   const std::string& source, const std::string& target) {
    const std::string writing = source + ": /path: writing " + target;
    Check(BeginBatch(db), writing);
    if (!d.title.empty()) WriteTitle(db, d.title, source + ": /title");
    for (const auto& view : d.views)
        WriteView(db, view, source);
    if (d.documents > 0) WriteDocuments(db, d, input, source);
    Check(CommitBatch(db), writing);
}

void Build(const JsonInput& input, const std::string& source) {
    const DatabaseDescription d = ReadDescription(input, source);
    const std::string target = NetPath(d.server, d.path, source + ": /path");
    const std::string tempPath = d.path + ".building-" + std::to_string(getpid());
    const std::string temp = NetPath(d.server, tempPath, source + ": /path");
    const STATUS created = CreateDatabase(temp.c_str(), 0, true, 0, 0, 0);
    if (ERR(created) == ERR_SERVER_NOT_KNOWN) Check(created, source + ": /server: \"" + d.server + "\"");
    Check(created, source + ": /path: creating " + target);
    try {
        {
            OpenedDatabase db(tempPath, d.server);
            WriteContents(db.Handle(), d, input, source, target);
        }
        Check(CopyDatabase(temp.c_str(), target.c_str(), NOTE_CLASS_ALL, 0, 0, nullptr),
              source + ": /path: writing " + target);
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
        Build(JsonInput{json}, sourceName);
    });
}

std::string BuildFromFile(const std::string& jsonPath) {
    // A file is read twice as it is parsed (checked whole, then stored), never held; what cannot be read
    // twice (a pipe) is read into memory first.
    struct stat st;
    if (::stat(jsonPath.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return Run([&] {
            StoreSession session;
            Build(JsonInput{{}, &jsonPath}, jsonPath);
        });
    std::ifstream in(jsonPath, std::ios::binary);
    if (!in) return jsonPath + ": cannot be read: " + std::strerror(errno);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return jsonPath + ": cannot be read";
    return BuildFromText(text.str(), jsonPath);
}

} // namespace nsfadmin
