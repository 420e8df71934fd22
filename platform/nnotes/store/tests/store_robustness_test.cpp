// The store's promises under real processes: a saving process killed at random moments loses no save that
// returned, and leaves the file sound and its views in step; four processes writing at once lose no update,
// and a reader that passes back the time reached misses none of their notes.
#include "testing/child_process.h"
#include "testing/view_fixture.h"
#include "testsupport/item_bytes.h"

#include <map>
#include <set>

namespace nnotes::testing {
namespace {

class StoreRobustnessTest : public ViewTest {
protected:
    // The ids of the documents saved after *since (all with null); *since moves on to the time reached.
    std::vector<NOTEID> ChangedSince(Instant* since, bool all = false) {
        DHANDLE table = NULLHANDLE;
        const STATUS s = GetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, all ? nullptr : since, since, &table);
        std::vector<NOTEID> ids;
        if (s == ERR_NO_MODIFIED_NOTES) return ids;
        EXPECT_EQ(s, NOERROR);
        NOTEID id = 0;
        for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false)
            ids.push_back(id);
        DestroyIDTable(table);
        return ids;
    }

    double CountOf(NOTEID id) {
        NOTEHANDLE note = 0;
        if (OpenNote(db_, id, 0, &note) != NOERROR) return -1;
        double count = -1;
        const auto item = testsupport::ReadItem(note, "Count");
        if (item && item->type == TYPE_NUMBER && item->value.size() >= sizeof(uint16_t) + sizeof count)
            std::memcpy(&count, item->value.data() + sizeof(uint16_t), sizeof count);
        CloseNote(note);
        return count;
    }
};

TEST_F(StoreRobustnessTest, AcknowledgedSavesSurviveKillsAtRandomMoments) {
    const NOTEID view = SaveView("Entries", {ColumnSpec("Seq", "Seq")}, "SELECT Form = \"Entry\"");
    ASSERT_EQ(CloseDatabase(db_), NOERROR);
    std::mt19937 random(20261209);
    std::set<NOTEID> acknowledged;
    for (int kill = 0; kill < 24; ++kill) {
        {
            ChildProcess saver({"save-loop", "views.nsf", "0"});
            const int answers = std::uniform_int_distribution<int>(0, 6)(random);
            std::vector<std::string> lines;
            for (int i = 0; i < answers; ++i)
                lines.push_back(saver.ReadLine());
            KillSoon(saver, 0, random);
            // What it acknowledged before it died, read or not.
            for (std::string line; !(line = saver.ReadLine()).empty();)
                lines.push_back(line);
            for (const auto& line : lines) {
                ASSERT_EQ(line.find("error"), std::string::npos) << line;
                acknowledged.insert(static_cast<NOTEID>(std::stoul(line)));
            }
        }
        ASSERT_EQ(IntegrityOf("views.nsf"), "ok") << "after kill " << kill;
        ASSERT_EQ(OpenDatabase("views.nsf", &db_), NOERROR);
        Instant until{};
        const auto stored = ChangedSince(&until, true);
        const std::set<NOTEID> documents(stored.begin(), stored.end());
        for (NOTEID id : acknowledged)
            EXPECT_EQ(documents.count(id), 1u) << "acknowledged note " << id << " lost after kill " << kill;
        // The view shows exactly the documents there are (each kill may add one more than acknowledged: its
        // save was done when the kill came, its answer not yet written).
        const HCOLLECTION c = Open(view);
        std::set<NOTEID> shown;
        for (const auto& row : ReadAll(c))
            shown.insert(row.id);
        CloseCollection(c);
        EXPECT_EQ(shown, documents) << "after kill " << kill;
        EXPECT_LE(documents.size(), acknowledged.size() + kill + 1);
        ASSERT_EQ(CloseDatabase(db_), NOERROR);
    }
    EXPECT_GT(acknowledged.size(), 24u);
}

TEST_F(StoreRobustnessTest, FourWritersLoseNoUpdateAndAReaderMissesNoneOfTheirNotes) {
    constexpr int kWriters = 4, kEach = 25;
    const NOTEID counter = SaveDocument({Text("Form", "Counter")});
    Instant until{};
    ChangedSince(&until, true);

    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{
            "writer", "views.nsf", "w" + std::to_string(w), std::to_string(kEach), std::to_string(counter)}));
    std::set<NOTEID> saved;
    std::map<NOTEID, int> reported;
    auto read = [&] {
        for (NOTEID id : ChangedSince(&until))
            if (id != counter) ++reported[id];
    };
    // Reads while they write: one answer of each writer, then the changes since the last look.
    for (size_t running = writers.size(); running > 0;) {
        running = 0;
        for (auto& writer : writers) {
            const std::string line = writer->ReadLine();
            if (line.empty()) continue;
            ++running;
            ASSERT_EQ(line.find("error"), std::string::npos) << line;
            if (line.rfind("new ", 0) == 0) saved.insert(static_cast<NOTEID>(std::stoul(line.substr(4))));
        }
        read();
    }
    for (auto& writer : writers)
        EXPECT_EQ(writer->Wait(), 0);
    read();

    EXPECT_EQ(saved.size(), static_cast<size_t>(kWriters * kEach));
    EXPECT_EQ(CountOf(counter), kWriters * kEach); // no increment lost
    for (NOTEID id : saved)
        EXPECT_EQ(reported[id], 1) << "note " << id;
    EXPECT_EQ(reported.size(), saved.size());
}

} // namespace
} // namespace nnotes::testing
