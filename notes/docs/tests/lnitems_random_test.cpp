// Seeded random sequences of item operations on a document opened from a stored note, checked after every
// step against a model of the items the note should hold, and the store checked through its C API after
// every save and reopen. Each sequence runs twice, once as opened (items bound when first asked for) and once
// with every item bound right after each open: both must show a caller the same thing at every step.
#include "docsfixture.h"
#include "ln/lndatetimes.h"
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnitemarray.h"
#include "ln/lnnumbers.h"
#include "ln/lntext.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <strings.h>
#include <vector>

namespace {

// One item as the model holds it.
struct ModelItem {
    std::string name;
    std::string raw; // the type word (little-endian), then the data
    uint16_t flags = 0;
    uint64_t rank = 0; // its place in the store's order: a later item has a larger rank
    uint64_t uid = 0;  // the same item through renames and changes of its value
};

using Items = std::vector<ModelItem>;

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Word(uint16_t value) {
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

uint16_t WordAt(const std::string& bytes, size_t at) {
    if (at + 2 > bytes.size()) return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

uint16_t TypeOf(const std::string& raw) {
    return WordAt(raw, 0);
}

std::string Eight(const void* value) {
    return std::string(static_cast<const char*>(value), 8);
}

std::string NumberBytes(double number) {
    return Eight(&number);
}

std::string InstantBytes(uint32_t ticks) {
    const nnotes::Instant instant{{ticks, 2460000}};
    return Eight(&instant);
}

// A text value: one text stored plain, or a list (count, lengths, texts).
std::string TextRaw(const std::vector<std::string>& entries, bool plain) {
    if (plain) return Word(nnotes::TYPE_TEXT) + entries.at(0);
    std::string raw = Word(nnotes::TYPE_TEXT_LIST) + Word(static_cast<uint16_t>(entries.size()));
    for (const std::string& e : entries)
        raw += Word(static_cast<uint16_t>(e.size()));
    for (const std::string& e : entries)
        raw += e;
    return raw;
}

std::vector<std::string> TextEntries(const std::string& raw) {
    if (TypeOf(raw) == nnotes::TYPE_TEXT) return {raw.substr(2)};
    const uint16_t count = WordAt(raw, 2);
    std::vector<std::string> entries;
    size_t at = 4 + 2u * count;
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t length = WordAt(raw, 4 + 2u * i);
        entries.push_back(raw.substr(std::min(at, raw.size()), length));
        at += length;
    }
    return entries;
}

// A number or time value: one stored plain, or a list of single values (no pairs).
std::string ListRaw(uint16_t plainType, uint16_t listType, const std::vector<std::string>& entries,
                    bool plain) {
    if (plain) return Word(plainType) + entries.at(0);
    std::string raw = Word(listType) + Word(static_cast<uint16_t>(entries.size())) + Word(0);
    for (const std::string& e : entries)
        raw += e;
    return raw;
}

std::vector<std::string> ListEntries(const std::string& raw) {
    const uint16_t type = TypeOf(raw);
    if (type == nnotes::TYPE_NUMBER || type == nnotes::TYPE_TIME) return {raw.substr(2, 8)};
    std::vector<std::string> entries;
    for (uint16_t i = 0; i < WordAt(raw, 2); ++i)
        entries.push_back(raw.substr(6 + 8u * i, 8));
    return entries;
}

bool IsText(const std::string& raw) {
    return TypeOf(raw) == nnotes::TYPE_TEXT || TypeOf(raw) == nnotes::TYPE_TEXT_LIST;
}

bool IsNumbers(const std::string& raw) {
    return TypeOf(raw) == nnotes::TYPE_NUMBER || TypeOf(raw) == nnotes::TYPE_NUMBER_RANGE;
}

bool IsTimes(const std::string& raw) {
    return TypeOf(raw) == nnotes::TYPE_TIME || TypeOf(raw) == nnotes::TYPE_TIME_RANGE;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += kDigits[static_cast<uint8_t>(c) >> 4];
        out += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

// Items as one line each: name, flags and value.
std::string Describe(const Items& items) {
    std::string out;
    for (const ModelItem& item : items)
        out += item.name + "/" + std::to_string(item.flags) + "=" + Hex(item.raw) + "\n";
    return out;
}

Items StoreOrder(Items items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const ModelItem& a, const ModelItem& b) { return a.rank < b.rank; });
    return items;
}

constexpr uint16_t kFlagMask =
    nnotes::ITEM_SIGN | nnotes::ITEM_SEAL | nnotes::ITEM_SUMMARY | nnotes::ITEM_PROTECTED;

const char* const kNames[] = {"A", "B", "C", "Num", "Nums", "When", "Body", "E", "F", "K"};
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0];

std::string RawOf(const LNItem& item) {
    LNItemBody* body = item.GetItemBody();
    const uint32_t size = body->GetValueSize();
    const uint8_t* at = body->LockValue();
    std::string raw(reinterpret_cast<const char*>(at), size);
    body->UnlockValue();
    return raw;
}

class ItemsRandomTest : public DocsTest {
protected:
    // Runs steps random operations from seed; eager binds every item at each open. Gives what was seen.
    std::vector<std::string> Run(uint32_t seed, bool eager, int steps);

    // The note the sequence starts from: text, a text list, numbers, a time, opaque composite bytes and two
    // items of one name, stored through the C API.
    nnotes::NOTEID SaveItems(const Items& items) {
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
        const uint16_t noteClass = nnotes::NOTE_CLASS_DOCUMENT;
        EXPECT_EQ(nnotes::SetNoteInfo(note, nnotes::NOTE_INFO_CLASS, &noteClass), nnotes::NOERROR);
        for (const ModelItem& item : items)
            EXPECT_EQ(nnotes::AppendItem(note, item.flags, item.name.data(),
                                         static_cast<uint16_t>(item.name.size()), TypeOf(item.raw),
                                         item.raw.data() + 2, static_cast<uint32_t>(item.raw.size() - 2),
                                         nullptr),
                      nnotes::NOERROR);
        nnotes::NOTEID id = 0;
        EXPECT_EQ(testsupport::SaveAndClose(note, id), nnotes::NOERROR);
        return id;
    }

    ModelItem Made(const std::string& name, const std::string& raw, uint16_t flags) {
        return ModelItem{name, raw, flags, ++rank_, ++uid_};
    }

    Items BaseItems() {
        return {
            Made("A", TextRaw({"alpha"}, true), nnotes::ITEM_SUMMARY),
            Made("B", TextRaw({"b1", "b2"}, false), nnotes::ITEM_SUMMARY),
            Made("Num", ListRaw(nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE, {NumberBytes(2.5)}, true), 0),
            Made("When", ListRaw(nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE, {InstantBytes(100)}, true),
                 nnotes::ITEM_SUMMARY),
            Made("Body", Word(nnotes::TYPE_COMPOSITE) + std::string("\x03\x00\x10\x20\x30\x40", 6), 0),
            Made("B", TextRaw({"b-again"}, true), 0),
            Made("Nums",
                 ListRaw(nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE,
                         {NumberBytes(1), NumberBytes(2), NumberBytes(3)}, false),
                 nnotes::ITEM_SUMMARY),
            Made("C", TextRaw({"gamma"}, true), nnotes::ITEM_SUMMARY)};
    }

    Items OtherItems() {
        return {Made("K", TextRaw({"kay"}, true), nnotes::ITEM_SUMMARY),
                Made("B", TextRaw({"other-b"}, true), 0),
                Made("Num", ListRaw(nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE, {NumberBytes(7)}, true),
                     nnotes::ITEM_SUMMARY),
                Made("Body", Word(nnotes::TYPE_COMPOSITE) + std::string("\x01\x00\x55", 3), 0)};
    }

    // What the store holds for the note, read through the C API.
    Items ReadStore() {
        Items items;
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::OpenNote(db_.GetHandle(), id_, 0, &note), nnotes::NOERROR);
        if (note == 0) return items;
        nnotes::BLOCKID item{};
        for (nnotes::STATUS status =
                 nnotes::FindItemByName(note, nullptr, 0, &item, nullptr, nullptr, nullptr);
             status == nnotes::NOERROR;
             status = nnotes::FindNextItemByName(note, nullptr, 0, item, &item, nullptr, nullptr, nullptr)) {
            char name[nnotes::MAXITEMNAME + 1] = {};
            uint16_t length = 0, flags = 0, type = 0;
            nnotes::BLOCKID value{};
            uint32_t size = 0;
            EXPECT_EQ(nnotes::QueryItemByBlock(note, item, name, sizeof name, &length, &flags, &type, &value,
                                               &size),
                      nnotes::NOERROR);
            const auto* at = static_cast<const char*>(nnotes::LockBlock(value.pool));
            items.push_back(ModelItem{std::string(name, length), std::string(at + value.block, size), flags});
            nnotes::UnlockBlock(value.pool);
        }
        nnotes::CloseNote(note);
        return items;
    }

    void CheckStore() { EXPECT_EQ(Describe(ReadStore()), Describe(stored_)) << Where(); }

    // Every item of the open document through its item array: names, flags and values in the list's order.
    void CheckAll(LNNote& note, const Items& expected, const char* what) {
        LNItemArray items;
        const LNSTATUS status = note.GetItems(&items);
        EXPECT_EQ(status, expected.empty() ? LNWARN_NOT_FOUND : LNNOERROR) << what << Where();
        Items seen;
        for (uint32_t i = 0; i < items.GetCount(); ++i) {
            const LNItem item = items[i];
            seen.push_back(ModelItem{Text(item.GetName()), RawOf(item), item.GetFlags()});
        }
        Items masked = expected;
        for (ModelItem& item : masked)
            item.flags &= kFlagMask;
        EXPECT_EQ(Describe(seen), Describe(masked)) << what << Where();
        EXPECT_EQ(note.GetItemCount(), expected.size()) << what << Where();
        See(std::string(what) + " all " + std::to_string(status) + "\n" + Describe(seen));
        // The bodies handed out before are the array's, never a second body of the same item.
        for (const Held& held : held_) {
            if (&note != &doc_) break;
            for (size_t i = 0; i < expected.size() && i < items.GetCount(); ++i) {
                if (expected[i].uid != held.uid) continue;
                EXPECT_EQ(items[static_cast<uint32_t>(i)].GetItemBody(), held.item.GetItemBody())
                    << "item " << expected[i].name << Where();
            }
        }
    }

    // The first item of name in the store's order, or null.
    ModelItem* First(Items& items, const std::string& name) {
        ModelItem* first = nullptr;
        for (ModelItem& item : items)
            if (SameName(item.name, name) && (first == nullptr || item.rank < first->rank)) first = &item;
        return first;
    }

    bool Has(const Items& items, const std::string& name) {
        return std::any_of(items.begin(), items.end(),
                           [&](const ModelItem& item) { return SameName(item.name, name); });
    }

    void RemoveNamed(Items& items, const std::string& name) {
        items.erase(std::remove_if(items.begin(), items.end(),
                                   [&](const ModelItem& item) { return SameName(item.name, name); }),
                    items.end());
    }

    ModelItem* ByUid(uint64_t uid) {
        for (ModelItem& item : doc_items_)
            if (item.uid == uid) return &item;
        return nullptr;
    }

    std::string Where() const {
        return "\n(seed " + std::to_string(seed_) + (eager_ ? ", eager" : ", lazy") + ", step " +
               std::to_string(step_) + ": " + op_ + ")";
    }

    void See(const std::string& line) { seen_.push_back(line); }

    uint32_t Pick(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

    std::string PickName() {
        std::string name = kNames[Pick(kNameCount)];
        // Names are found without regard to case.
        if (Pick(6) == 0)
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    }

    // The name of an item of the document (the first of its name is what a lookup finds), else any name.
    std::string PickItemName() {
        if (doc_items_.empty() || Pick(8) == 0) return PickName();
        return doc_items_[Pick(static_cast<uint32_t>(doc_items_.size()))].name;
    }

    uint32_t PickRule() {
        const uint32_t rules[] = {LNITEMDUP_ADD, LNITEMDUP_REPLACE, LNITEMDUP_REFUSE};
        return rules[Pick(3)];
    }

    void Opened(LNNote& note) {
        if (eager_) note.GetItemCount();
    }

    // The duplicate rule as the model applies it before a new item of name: false when it refuses.
    bool ApplyRule(const std::string& name, uint32_t rule) {
        if (!Has(doc_items_, name)) return true;
        if (rule == LNITEMDUP_REFUSE) return false;
        if (rule == LNITEMDUP_REPLACE) RemoveNamed(doc_items_, name);
        return true;
    }

    void Added(const std::string& name, const std::string& raw, uint16_t flags) {
        doc_items_.push_back(Made(name, raw, flags));
        modified_ = true;
    }

    // The steps.
    void Read();
    void ChangeValue();
    void CreateValue();
    void CreateRaw();
    void Delete();
    void Rename();
    void CopyFromOther();
    void CopyOwn();
    void CreateFromItem();
    void CreateEmpty();
    void ThroughHeld();
    void Duplicate();
    void Save();
    void Reopen();
    void Theirs();
    void TheirsThroughDocument(const std::string& name, const std::string& text);
    void DeleteAll();
    void AfterStep();

    struct Held {
        LNItem item;
        uint64_t uid;
    };

    LNDocument doc_;
    LNDocument other_;
    nnotes::NOTEID id_ = 0;
    Items doc_items_;   // the open document's, in the order of its item list
    Items stored_;      // the store's, in its order
    Items other_items_; // the other note's, never changed
    std::vector<Held> held_;
    LNItemArray array_; // an item array taken before, and the items it was taken for
    std::vector<uint64_t> array_uids_;
    std::vector<std::string> seen_;
    std::mt19937 rng_;
    uint64_t rank_ = 0, uid_ = 0;
    uint32_t seed_ = 0;
    int step_ = 0;
    std::string op_;
    bool eager_ = false;
    bool stale_ = false;    // another writer saved the note after the document was opened or last saved
    bool modified_ = false; // the document changed since it was opened or last saved
};

void ItemsRandomTest::Read() {
    const std::string name = PickItemName();
    op_ = "read " + name;
    ModelItem* expected = First(doc_items_, name);
    LNItem plain;
    LNText text;
    LNNumbers numbers;
    LNDatetimes times;
    LNItem* handles[] = {&plain, &text, &numbers, &times};
    const uint32_t kind = Pick(4);
    LNItem* handle = handles[kind];
    const LNSTATUS status = doc_.GetItem(name.c_str(), handle);
    See(op_ + " as " + std::to_string(kind) + ": " + std::to_string(status));
    if (expected == nullptr) {
        EXPECT_EQ(status, nnotes::ERR_ITEM_NOT_FOUND) << Where();
        return;
    }
    const bool fits = kind == 0 || (kind == 1 && IsText(expected->raw)) ||
                      (kind == 2 && IsNumbers(expected->raw)) || (kind == 3 && IsTimes(expected->raw));
    if (!fits) {
        EXPECT_EQ(status, LNERR_INVALID_PARAMETER) << Where();
        return;
    }
    ASSERT_EQ(status, LNNOERROR) << Where();
    EXPECT_EQ(Text(handle->GetName()), expected->name) << Where();
    EXPECT_EQ(handle->GetFlags(), expected->flags & kFlagMask) << Where();
    EXPECT_EQ(Hex(RawOf(*handle)), Hex(expected->raw)) << Where();
    if (kind == 1) {
        std::vector<std::string> entries;
        for (uint32_t i = 0; i < text.GetCount(); ++i)
            entries.push_back(Text(text[i].GetText()));
        EXPECT_EQ(entries, TextEntries(expected->raw)) << Where();
    }
    if (kind == 2) {
        std::vector<std::string> entries;
        for (uint32_t i = 0; i < numbers.GetCount(); ++i)
            entries.push_back(NumberBytes(numbers[i].GetValue()));
        EXPECT_EQ(entries, ListEntries(expected->raw)) << Where();
    }
    See(Hex(RawOf(*handle)));
    if (held_.size() >= 4) held_.erase(held_.begin());
    held_.push_back(Held{*handle, expected->uid});
}

void ItemsRandomTest::ChangeValue() {
    // Through a typed handle of the first item of a name: appended to or set, written into the note at once.
    const std::string name = PickItemName();
    ModelItem* expected = First(doc_items_, name);
    op_ = "change " + name;
    if (expected == nullptr) return;
    const std::string tag = std::to_string(step_);
    LNSTATUS status = 1;
    if (IsText(expected->raw)) {
        LNText text;
        ASSERT_EQ(doc_.GetItem(name.c_str(), &text), LNNOERROR) << Where();
        std::vector<std::string> entries = TextEntries(expected->raw);
        if (Pick(3) == 0) {
            status = text.SetText(("set" + tag).c_str());
            entries = {"set" + tag};
        } else {
            status = text.Append(("t" + tag).c_str());
            entries.push_back("t" + tag);
        }
        expected->raw = TextRaw(entries, false);
    } else if (IsNumbers(expected->raw)) {
        LNNumbers numbers;
        ASSERT_EQ(doc_.GetItem(name.c_str(), &numbers), LNNOERROR) << Where();
        std::vector<std::string> entries = ListEntries(expected->raw);
        status = numbers.Append(static_cast<double>(step_));
        entries.push_back(NumberBytes(step_));
        expected->raw = ListRaw(nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE, entries, false);
    } else if (IsTimes(expected->raw)) {
        LNDatetimes times;
        ASSERT_EQ(doc_.GetItem(name.c_str(), &times), LNNOERROR) << Where();
        std::vector<std::string> entries = ListEntries(expected->raw);
        const nnotes::Instant instant{{static_cast<uint32_t>(step_), 2460000}};
        status = times.Append(LNDatetime(instant));
        entries.push_back(InstantBytes(static_cast<uint32_t>(step_)));
        expected->raw = ListRaw(nnotes::TYPE_TIME, nnotes::TYPE_TIME_RANGE, entries, false);
    } else {
        return;
    }
    // A new value is a new item at the end of the note; the item list keeps the body where it was.
    expected->rank = ++rank_;
    modified_ = true;
    See(op_ + ": " + std::to_string(status));
    EXPECT_EQ(status, LNNOERROR) << Where();
}

void ItemsRandomTest::CreateValue() {
    const std::string name = kNames[Pick(kNameCount)];
    const uint32_t rule = PickRule();
    const uint16_t flags = Pick(2) == 0 ? 0 : nnotes::ITEM_SUMMARY;
    const uint32_t count = 1 + Pick(3);
    const std::string tag = std::to_string(step_);
    std::string raw;
    LNSTATUS status = 1;
    if (Pick(2) == 0) {
        op_ = "create text " + name;
        LNText value;
        std::vector<std::string> entries;
        for (uint32_t i = 0; i < count; ++i) {
            entries.push_back("n" + tag + "." + std::to_string(i));
            ASSERT_EQ(value.Append(entries.back().c_str()), LNNOERROR);
        }
        raw = TextRaw(entries, count == 1);
        status = doc_.CreateItem(name.c_str(), value, flags, rule);
    } else {
        op_ = "create numbers " + name;
        LNNumbers value;
        std::vector<std::string> entries;
        for (uint32_t i = 0; i < count; ++i) {
            entries.push_back(NumberBytes(step_ + i / 4.0));
            ASSERT_EQ(value.Append(step_ + i / 4.0), LNNOERROR);
        }
        raw = ListRaw(nnotes::TYPE_NUMBER, nnotes::TYPE_NUMBER_RANGE, entries, count == 1);
        status = doc_.CreateItem(name.c_str(), value, flags, rule);
    }
    op_ += " rule " + std::to_string(rule);
    See(op_ + ": " + std::to_string(status));
    if (!ApplyRule(name, rule)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    Added(name, raw, flags);
}

void ItemsRandomTest::CreateRaw() {
    const std::string name = kNames[Pick(kNameCount)];
    const uint32_t rule = PickRule();
    std::string data;
    uint16_t type = 0;
    switch (Pick(3)) {
    case 0:
        type = nnotes::TYPE_TIME;
        data = InstantBytes(static_cast<uint32_t>(step_));
        break;
    case 1:
        type = nnotes::TYPE_NUMBER;
        data = NumberBytes(-step_);
        break;
    default:
        type = nnotes::TYPE_COMPOSITE;
        data = std::string("\x02\x00", 2) + std::to_string(step_);
        break;
    }
    op_ = "create raw " + std::to_string(type) + " " + name + " rule " + std::to_string(rule);
    const LNSTATUS status = doc_.CreateItem(name.c_str(), type, data.data(),
                                            static_cast<uint32_t>(data.size()), nnotes::ITEM_SUMMARY, rule);
    See(op_ + ": " + std::to_string(status));
    if (!ApplyRule(name, rule)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    Added(name, Word(type) + data, nnotes::ITEM_SUMMARY);
}

void ItemsRandomTest::Delete() {
    const std::string name = PickItemName();
    op_ = "delete " + name;
    const LNSTATUS status = doc_.DeleteItem(name.c_str());
    See(op_ + ": " + std::to_string(status));
    EXPECT_EQ(status, Has(doc_items_, name) ? LNNOERROR : LNSTATUS{nnotes::ERR_ITEM_NOT_FOUND}) << Where();
    if (Has(doc_items_, name)) modified_ = true;
    RemoveNamed(doc_items_, name);
}

void ItemsRandomTest::Rename() {
    const std::string from = PickItemName();
    const std::string to = kNames[Pick(kNameCount)];
    op_ = "rename " + from + " to " + to;
    const LNSTATUS status = doc_.RenameItem(from.c_str(), to.c_str());
    See(op_ + ": " + std::to_string(status));
    if (Has(doc_items_, to)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    if (!Has(doc_items_, from)) {
        EXPECT_EQ(status, LNWARN_NOT_FOUND) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    modified_ = true;
    // Every item of the name, first to last in the store's order, goes to the end under the new name.
    while (ModelItem* item = First(doc_items_, from)) {
        item->name = to;
        item->rank = ++rank_;
    }
}

void ItemsRandomTest::CopyFromOther() {
    const ModelItem& source = other_items_[Pick(static_cast<uint32_t>(other_items_.size()))];
    const uint32_t rule = PickRule();
    op_ = "copy other " + source.name + " rule " + std::to_string(rule);
    LNItem item;
    ASSERT_EQ(other_.GetItem(source.name.c_str(), &item), LNNOERROR) << Where();
    const LNSTATUS status = doc_.CopyItem(item, rule);
    See(op_ + ": " + std::to_string(status));
    if (!ApplyRule(source.name, rule)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    Added(source.name, source.raw, source.flags);
}

void ItemsRandomTest::CopyOwn() {
    const std::string name = PickItemName();
    ModelItem* source = First(doc_items_, name);
    op_ = "copy own " + name;
    if (source == nullptr) return;
    const uint32_t rule = PickRule();
    op_ += " rule " + std::to_string(rule);
    LNItem item;
    ASSERT_EQ(doc_.GetItem(name.c_str(), &item), LNNOERROR) << Where();
    const LNSTATUS status = doc_.CopyItem(item, rule);
    See(op_ + ": " + std::to_string(status));
    // An item copied over itself would be lost: refused.
    if (rule == LNITEMDUP_REFUSE) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
    } else if (rule == LNITEMDUP_REPLACE) {
        EXPECT_EQ(status, LNERR_INVALID_PARAMETER) << Where();
    } else {
        EXPECT_EQ(status, LNNOERROR) << Where();
        const ModelItem copy = *source;
        Added(copy.name, copy.raw, copy.flags);
    }
}

void ItemsRandomTest::CreateFromItem() {
    // A new item of another name with the value of an item of this note or of the other one.
    const bool own = Pick(2) == 0 && !doc_items_.empty();
    const std::string from =
        own ? PickItemName() : other_items_[Pick(static_cast<uint32_t>(other_items_.size()))].name;
    ModelItem* source = own ? First(doc_items_, from) : First(other_items_, from);
    const std::string name = kNames[Pick(kNameCount)];
    const uint32_t rule = PickRule();
    op_ = std::string("create from ") + (own ? "own " : "other ") + from + " as " + name + " rule " +
          std::to_string(rule);
    if (source == nullptr) return;
    const ModelItem value = *source;
    LNItem item;
    ASSERT_EQ((own ? doc_ : other_).GetItem(from.c_str(), &item), LNNOERROR) << Where();
    const uint16_t flags = Pick(2) == 0 ? 0 : nnotes::ITEM_SUMMARY;
    const LNSTATUS status = doc_.CreateItem(name.c_str(), item, flags, rule);
    See(op_ + ": " + std::to_string(status));
    if (own && rule == LNITEMDUP_REPLACE && SameName(value.name, name)) {
        // Replacing an item by itself would delete the value being copied.
        EXPECT_EQ(status, LNERR_INVALID_PARAMETER) << Where();
        return;
    }
    if (!ApplyRule(name, rule)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    Added(name, value.raw, flags);
}

void ItemsRandomTest::CreateEmpty() {
    // An empty item of a typed handle's type, which the handle takes.
    const std::string name = kNames[Pick(kNameCount)];
    const uint32_t rule = PickRule();
    LNText text;
    LNNumbers numbers;
    const bool isText = Pick(2) == 0;
    op_ = std::string("create empty ") + (isText ? "text " : "numbers ") + name + " rule " +
          std::to_string(rule);
    const LNSTATUS status = isText ? doc_.CreateItem(name.c_str(), &text, 0, rule)
                                   : doc_.CreateItem(name.c_str(), &numbers, 0, rule);
    See(op_ + ": " + std::to_string(status));
    if (!ApplyRule(name, rule)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    const std::string empty =
        isText ? Word(nnotes::TYPE_TEXT_LIST) + Word(0) : Word(nnotes::TYPE_NUMBER_RANGE) + Word(0) + Word(0);
    Added(name, empty, 0);
    EXPECT_EQ(isText ? text.GetCount() : numbers.GetCount(), 0u) << Where();
    if (held_.size() >= 4) held_.erase(held_.begin());
    held_.push_back(Held{isText ? LNItem(text) : LNItem(numbers), doc_items_.back().uid});
}

void ItemsRandomTest::ThroughHeld() {
    // An item read before, deleted or renamed through its handle.
    op_ = "held";
    size_t at = held_.size();
    for (size_t i = 0; i < held_.size(); ++i)
        if (ByUid(held_[i].uid) != nullptr && Pick(2) == 0) at = i;
    if (at == held_.size()) return;
    ModelItem* item = ByUid(held_[at].uid);
    if (Pick(2) == 0) {
        op_ = "delete held " + item->name;
        const LNSTATUS status = doc_.DeleteItem(&held_[at].item);
        See(op_ + ": " + std::to_string(status));
        EXPECT_EQ(status, LNNOERROR) << Where();
        EXPECT_TRUE(held_[at].item.IsNull()) << Where();
        const uint64_t uid = held_[at].uid;
        doc_items_.erase(std::find_if(doc_items_.begin(), doc_items_.end(),
                                      [&](const ModelItem& m) { return m.uid == uid; }));
        held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(at));
        modified_ = true;
        return;
    }
    const std::string to = kNames[Pick(kNameCount)];
    op_ = "rename held " + item->name + " to " + to;
    const LNSTATUS status = doc_.RenameItem(&held_[at].item, to.c_str());
    See(op_ + ": " + std::to_string(status));
    if (Has(doc_items_, to)) {
        EXPECT_EQ(status, LNERR_ITEM_EXISTS) << Where();
        return;
    }
    EXPECT_EQ(status, LNNOERROR) << Where();
    item->name = to;
    item->rank = ++rank_;
    modified_ = true;
}

void ItemsRandomTest::Duplicate() {
    op_ = "duplicate";
    LNNote copy;
    ASSERT_EQ(doc_.Duplicate(&copy), LNNOERROR) << Where();
    Opened(copy);
    // The copy holds the note's items as they are now, in the store's order.
    Items expected = StoreOrder(doc_items_);
    if (!expected.empty()) {
        const ModelItem& one = expected[Pick(static_cast<uint32_t>(expected.size()))];
        const ModelItem* first = First(expected, one.name);
        LNItem item;
        ASSERT_EQ(copy.GetItem(one.name.c_str(), &item), LNNOERROR) << Where();
        EXPECT_EQ(Hex(RawOf(item)), Hex(first->raw)) << Where();
    }
    CheckAll(copy, expected, "copy");
}

void ItemsRandomTest::Save() {
    op_ = "save";
    const LNSTATUS status = doc_.Save(0);
    See(op_ + ": " + std::to_string(status));
    if (stale_) {
        // Another writer saved first: refused, and the store keeps theirs.
        EXPECT_EQ(status, nnotes::ERR_NOTE_CONFLICT) << Where();
        CheckStore();
        if (Pick(2) == 0) {
            Reopen();
            return;
        }
        op_ = "save forced";
        const LNSTATUS forced = doc_.Save(nnotes::UPDATE_FORCE);
        See(op_ + ": " + std::to_string(forced));
        EXPECT_EQ(forced, LNNOERROR) << Where();
    } else {
        EXPECT_EQ(status, LNNOERROR) << Where();
    }
    stale_ = false;
    modified_ = false;
    stored_ = StoreOrder(doc_items_);
    CheckStore();
}

void ItemsRandomTest::Reopen() {
    op_ = "reopen";
    held_.clear();
    array_ = LNItemArray();
    array_uids_.clear();
    ASSERT_EQ(doc_.Close(), LNNOERROR) << Where();
    ASSERT_EQ(doc_.Open(0), LNNOERROR) << Where();
    Opened(doc_);
    doc_items_ = stored_;
    stale_ = false;
    modified_ = false;
    CheckStore();
}

void ItemsRandomTest::Theirs() {
    // Another writer sets one text item (replacing every item of its name) and saves at once.
    const std::string name = kNames[Pick(kNameCount)];
    const std::string text = "their" + std::to_string(step_);
    op_ = "theirs " + name;
    if (Pick(3) == 0) {
        TheirsThroughDocument(name, text);
        return;
    }
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::OpenNote(db_.GetHandle(), id_, 0, &note), nnotes::NOERROR) << Where();
    ASSERT_EQ(nnotes::SetItemText(note, name.c_str(), text.data(), static_cast<uint16_t>(text.size())),
              nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR) << Where();
    ASSERT_EQ(nnotes::CloseNote(note), nnotes::NOERROR);
    RemoveNamed(stored_, name);
    stored_.push_back(Made(name, TextRaw({text}, true), nnotes::ITEM_SUMMARY));
    stale_ = true;
}

void ItemsRandomTest::TheirsThroughDocument(const std::string& name, const std::string& text) {
    // The other writer is a document of this layer, opened afresh and saved with one text set.
    op_ += " through a document";
    LNDocument theirs(db_.GetDatabaseBody(), id_);
    ASSERT_EQ(theirs.Open(0), LNNOERROR) << Where();
    ModelItem* first = First(stored_, name);
    if (first != nullptr && IsText(first->raw)) {
        LNText value;
        ASSERT_EQ(theirs.GetItem(name.c_str(), &value), LNNOERROR) << Where();
        ASSERT_EQ(value.SetText(text.c_str()), LNNOERROR) << Where();
        first->raw = TextRaw({text}, false);
        first->rank = ++rank_;
        first->uid = ++uid_;
        stored_ = StoreOrder(stored_);
    } else {
        LNText value;
        ASSERT_EQ(value.Append(text.c_str()), LNNOERROR);
        ASSERT_EQ(theirs.CreateItem(name.c_str(), value, nnotes::ITEM_SUMMARY, LNITEMDUP_REPLACE), LNNOERROR)
            << Where();
        RemoveNamed(stored_, name);
        stored_.push_back(Made(name, TextRaw({text}, true), nnotes::ITEM_SUMMARY));
    }
    ASSERT_EQ(theirs.Save(0), LNNOERROR) << Where();
    ASSERT_EQ(theirs.Close(), LNNOERROR) << Where();
    stale_ = true;
    CheckStore();
}

void ItemsRandomTest::DeleteAll() {
    op_ = "delete all";
    const LNSTATUS status = doc_.DeleteAllItems();
    See(op_ + ": " + std::to_string(status));
    EXPECT_EQ(status, LNNOERROR) << Where();
    doc_items_.clear();
    modified_ = true;
}

void ItemsRandomTest::AfterStep() {
    // What needs no body: which names the note has.
    std::string names;
    for (const char* name : kNames) {
        const bool has = doc_.HasItem(name);
        EXPECT_EQ(has, Has(doc_items_, name)) << name << Where();
        names += has ? '1' : '0';
    }
    See(names);
    // Asked only now and then: asking notes the changes the note's bodies hold.
    if (Pick(3) == 0) {
        const bool modified = doc_.IsModified();
        EXPECT_EQ(modified, modified_) << Where();
        See(modified ? "modified" : "unmodified");
    }
    // What the note's values add up to, read without building a body.
    uint32_t size = 0;
    for (const ModelItem& item : doc_items_)
        size += static_cast<uint32_t>(item.raw.size() - 2);
    EXPECT_EQ(doc_.GetSize(), size) << Where();
    // The items read before show their items as they are now, or are closed once the item is gone.
    for (const Held& held : held_) {
        const ModelItem* item = ByUid(held.uid);
        LNItemBody* body = held.item.GetItemBody();
        ASSERT_NE(body, nullptr) << Where();
        EXPECT_EQ(body->IsOpen(), item != nullptr) << Where();
        if (item == nullptr || !body->IsOpen()) continue;
        EXPECT_EQ(Text(held.item.GetName()), item->name) << Where();
        EXPECT_EQ(Hex(RawOf(held.item)), Hex(item->raw)) << item->name << Where();
        See("held " + item->name + " " + Hex(RawOf(held.item)));
    }
    for (size_t i = 0; i < array_uids_.size(); ++i) {
        const LNItem element = array_[static_cast<uint32_t>(i)];
        const ModelItem* item = ByUid(array_uids_[i]);
        EXPECT_EQ(element.GetItemBody()->IsOpen(), item != nullptr) << i << Where();
        if (item == nullptr || !element.GetItemBody()->IsOpen()) continue;
        EXPECT_EQ(Text(element.GetName()), item->name) << Where();
        EXPECT_EQ(Hex(RawOf(element)), Hex(item->raw)) << item->name << Where();
    }
}

std::vector<std::string> ItemsRandomTest::Run(uint32_t seed, bool eager, int steps) {
    seed_ = seed;
    eager_ = eager;
    rng_.seed(seed);
    seen_.clear();
    held_.clear();
    stale_ = false;
    modified_ = false;
    step_ = 0;
    op_ = "open";
    stored_ = BaseItems();
    id_ = SaveItems(stored_);
    other_items_ = OtherItems();
    other_ = LNDocument(db_.GetDatabaseBody(), SaveItems(other_items_));
    EXPECT_EQ(other_.Open(0), LNNOERROR);
    Opened(other_);
    doc_ = LNDocument(db_.GetDatabaseBody(), id_);
    EXPECT_EQ(doc_.Open(0), LNNOERROR);
    Opened(doc_);
    doc_items_ = stored_;
    for (step_ = 1; step_ <= steps && !HasFailure(); ++step_) {
        const uint32_t roll = Pick(100);
        if (roll < 18) {
            Read();
        } else if (roll < 21) {
            op_ = "count";
            const uint32_t count = doc_.GetItemCount();
            See(op_ + " " + std::to_string(count));
            EXPECT_EQ(count, doc_items_.size()) << Where();
        } else if (roll < 27) {
            op_ = "items";
            CheckAll(doc_, doc_items_, "document");
            array_ = LNItemArray();
            array_uids_.clear();
            if (!doc_items_.empty()) {
                doc_.GetItems(&array_);
                for (const ModelItem& item : doc_items_)
                    array_uids_.push_back(item.uid);
            }
        } else if (roll < 40) {
            ChangeValue();
        } else if (roll < 48) {
            CreateValue();
        } else if (roll < 52) {
            CreateRaw();
        } else if (roll < 58) {
            Delete();
        } else if (roll < 63) {
            Rename();
        } else if (roll < 68) {
            CopyFromOther();
        } else if (roll < 70) {
            CopyOwn();
        } else if (roll < 72) {
            Duplicate();
        } else if (roll < 74) {
            CreateFromItem();
        } else if (roll < 82) {
            Save();
        } else if (roll < 86) {
            Reopen();
        } else if (roll < 95) {
            Theirs();
        } else if (roll < 96) {
            DeleteAll();
        } else if (roll < 97) {
            CreateEmpty();
        } else if (roll < 99) {
            ThroughHeld();
        } else {
            op_ = "has";
            const std::string name = PickName();
            EXPECT_EQ(doc_.HasItem(name.c_str()), Has(doc_items_, name)) << Where();
        }
        if (!HasFailure()) AfterStep();
    }
    // The end: every item as the model has it, saved (forced over another writer's save) and read back.
    op_ = "end";
    if (!HasFailure()) {
        CheckAll(doc_, doc_items_, "document");
        EXPECT_EQ(doc_.Save(nnotes::UPDATE_FORCE), LNNOERROR) << Where();
        stored_ = StoreOrder(doc_items_);
        CheckStore();
    }
    held_.clear();
    array_ = LNItemArray();
    array_uids_.clear();
    doc_.Close();
    other_.Close();
    return seen_;
}

} // namespace

TEST_F(ItemsRandomTest, LazyAndEagerBindingShowTheSameItems) {
    constexpr uint32_t kSeeds[] = {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 377, 610, 987, 1597};
    for (const uint32_t seed : kSeeds) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::vector<std::string> lazy = Run(seed, false, 300);
        if (HasFailure()) return;
        const std::vector<std::string> eager = Run(seed, true, 300);
        if (HasFailure()) return;
        ASSERT_EQ(lazy.size(), eager.size());
        for (size_t i = 0; i < lazy.size(); ++i)
            ASSERT_EQ(lazy[i], eager[i]) << "seed " << seed << ", line " << i;
    }
}
