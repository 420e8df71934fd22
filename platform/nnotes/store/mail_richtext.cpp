// The rich-text builder: paragraphs of text runs, and rendered notes, composed as CD records and appended to
// a note as composite items.
#include "process/process.h"
#include "store/note.h"
#include "store/store_handles.h"
#include "util/coding.h"

#include <cstring>
#include <string>
#include <vector>

namespace nnotes {
namespace {

constexpr uint16_t kTextSignature = 0xFF85;
constexpr uint8_t kParagraphSignature = 0x81;
constexpr uint32_t kDefaultFont = 0x0A000001;

struct Builder {
    NOTEHANDLE note = NULLHANDLE;
    std::string name;
    std::vector<std::string> records; // whole records, each of even length
};

store::HandleTable<Builder>& Builders() {
    static auto* builders = new store::HandleTable<Builder>; // never destroyed: see AtTermProcess
    return *builders;
}

void ReleaseAll() {
    Builders().RemoveAll();
}

void Paragraph(Builder& b) {
    std::string record;
    record.push_back(static_cast<char>(kParagraphSignature));
    record.push_back(2);
    b.records.push_back(std::move(record));
}

// A text record: word-form header, its font id, the text and a pad byte to an even length.
STATUS Text(Builder& b, uint32_t font, std::string_view text) {
    if (text.size() > RT_ITEM_LIMIT - 8) return ERR_RT_TOO_BIG;
    std::string record;
    util::PutFixed16(&record, kTextSignature);
    util::PutFixed16(&record, static_cast<uint16_t>(8 + text.size()));
    util::PutFixed32(&record, font);
    record.append(text);
    if (record.size() % 2 != 0) record.push_back('\0');
    b.records.push_back(std::move(record));
    return NOERROR;
}

// The records of a composite value (after its type word), each checked against the bytes there are.
STATUS SplitRecords(std::string_view bytes, std::vector<std::string>* records) {
    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 2) return ERR_ITEM_LAYOUT;
        const uint8_t form = static_cast<uint8_t>(bytes[at + 1]);
        uint64_t length = form, header = 2;
        if (form == 0xFF || form == 0x00) {
            header = form == 0xFF ? 4 : 6;
            if (bytes.size() - at < header) return ERR_ITEM_LAYOUT;
            const char* field = bytes.data() + at + 2;
            length = form == 0xFF ? util::DecodeFixed16(field) : util::DecodeFixed32(field);
        }
        uint64_t span = length < header ? header : length;
        span += span % 2;
        if (span > bytes.size() - at) return ERR_ITEM_LAYOUT;
        records->emplace_back(bytes.substr(at, span));
        at += span;
    }
    return NOERROR;
}

// "name: entries" of a text item.
STATUS TextLine(const store::NoteItem& item, const std::string& value, std::string* line) {
    const auto available = static_cast<uint32_t>(value.size());
    *line = item.name + ": ";
    if (item.type == TYPE_TEXT) {
        line->append(value, sizeof(uint16_t));
        return NOERROR;
    }
    uint16_t count = 0;
    if (STATUS s = CountTextListEntries(value.data(), available, true, &count)) return s;
    for (uint16_t i = 0; i < count; ++i) {
        const char* text = nullptr;
        uint16_t length = 0;
        if (STATUS s = GetTextListEntry(value.data(), available, true, i, &text, &length)) return s;
        line->append(i == 0 ? "" : ", ").append(text, length);
    }
    return NOERROR;
}

} // namespace

STATUS CreateRichTextBuilder(NOTEHANDLE note, const char* itemName, HRTBUILDER* builder) {
    std::shared_ptr<store::Note> open;
    if (STATUS s = store::NoteOf(note, open)) return s;
    if (itemName == nullptr || builder == nullptr) return ERR_MISSING_ARGUMENT;
    if (STATUS s = store::CheckItemName(itemName)) return s;
    auto made = std::make_shared<Builder>();
    made->note = note;
    made->name = itemName;
    AtTermProcess(ReleaseAll);
    const uint32_t handle = Builders().Add(std::move(made));
    if (handle == 0) return ERR_RT_BUILDER;
    *builder = handle;
    return NOERROR;
}

STATUS RichTextDefineStyle(HRTBUILDER builder, const char* styleName) {
    if (STATUS s = RequireProcess()) return s;
    if (styleName == nullptr) return ERR_MISSING_ARGUMENT;
    return Builders().Find(builder) == nullptr ? ERR_RT_BUILDER : NOERROR;
}

STATUS RichTextAddRun(HRTBUILDER builder, uint32_t fontId, const char* text, uint16_t length,
                      const char* lineDelimiter, uint16_t) {
    if (STATUS s = RequireProcess()) return s;
    if (text == nullptr && length != 0) return ERR_MISSING_ARGUMENT;
    const auto b = Builders().Find(builder);
    if (b == nullptr) return ERR_RT_BUILDER;
    if (b->records.empty()) Paragraph(*b);
    const std::string_view all(text == nullptr ? "" : text, length);
    const std::string_view delimiter(lineDelimiter == nullptr ? "" : lineDelimiter);
    size_t start = 0;
    while (true) {
        const size_t end = delimiter.empty() ? std::string_view::npos : all.find(delimiter, start);
        if (STATUS s = Text(*b, fontId, all.substr(start, end == std::string_view::npos ? end : end - start)))
            return s;
        if (end == std::string_view::npos) return NOERROR;
        Paragraph(*b);
        start = end + delimiter.size();
    }
}

STATUS RichTextAddRenderedNote(HRTBUILDER builder, NOTEHANDLE source) {
    if (STATUS s = RequireProcess()) return s;
    const auto b = Builders().Find(builder);
    if (b == nullptr) return ERR_RT_BUILDER;
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(source, note)) return s;
    // Rendered into a copy first, so that a damaged item adds nothing.
    Builder rendered;
    for (const store::NoteItem& item : note->Items()) {
        const bool text = item.type == TYPE_TEXT || item.type == TYPE_TEXT_LIST;
        if (item.name.empty() || item.name[0] == '$' || (!text && item.type != TYPE_COMPOSITE)) continue;
        std::string value;
        if (STATUS s = note->ValueOf(item, value)) return s;
        if (value.size() < sizeof(uint16_t)) return ERR_ITEM_LAYOUT;
        if (item.type == TYPE_COMPOSITE) {
            if (STATUS s = SplitRecords(std::string_view(value).substr(sizeof(uint16_t)), &rendered.records))
                return s;
            continue;
        }
        std::string line;
        if (STATUS s = TextLine(item, value, &line)) return s;
        Paragraph(rendered);
        if (STATUS s = Text(rendered, kDefaultFont, line)) return s;
    }
    for (std::string& record : rendered.records)
        b->records.push_back(std::move(record));
    return NOERROR;
}

STATUS CloseRichTextBuilder(HRTBUILDER builder) {
    if (STATUS s = RequireProcess()) return s;
    const auto b = Builders().Find(builder);
    if (b == nullptr) return ERR_RT_BUILDER;
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(b->note, note)) return s;
    std::vector<std::string> items(1);
    for (const std::string& record : b->records) {
        if (!items.back().empty() && items.back().size() + record.size() > RT_ITEM_LIMIT)
            items.emplace_back();
        items.back() += record;
    }
    // Appended whole or not at all.
    std::vector<uint16_t> appended;
    for (const std::string& bytes : items) {
        store::NoteItem* item = nullptr;
        if (STATUS s = note->Append(0, b->name, TYPE_COMPOSITE, bytes.data(),
                                    static_cast<uint32_t>(bytes.size()), &item)) {
            for (const uint16_t serial : appended)
                note->Remove(serial);
            return s;
        }
        appended.push_back(item->serial);
    }
    Builders().Remove(builder);
    return NOERROR;
}

STATUS DiscardRichTextBuilder(HRTBUILDER builder) {
    if (STATUS s = RequireProcess()) return s;
    return Builders().Remove(builder) == nullptr ? ERR_RT_BUILDER : NOERROR;
}

} // namespace nnotes
