// Databases that other processes hold: replacing or deleting one is refused while any process has it open,
// and a replacement killed half-way leaves the old database or the new one, whole, and no litter behind.
#include "testing/child_process.h"
#include "testing/store_fixture.h"

#include <filesystem>
#include <random>
#include <set>

namespace nnotes::testing {
namespace {

class StoreSharingTest : public StoreTest {
protected:
    // Names in the data directory that are not databases of the test (temporary files, stale logs).
    std::vector<std::string> Litter(const std::set<std::string>& databases) {
        std::vector<std::string> litter;
        for (const auto& entry : std::filesystem::directory_iterator(data_)) {
            std::string name = entry.path().filename().string();
            for (const char* log : {"-wal", "-shm"})
                if (name.size() > 4 && name.compare(name.size() - 4, 4, log) == 0 &&
                    databases.count(name.substr(0, name.size() - 4)) != 0)
                    name.clear();
            if (!name.empty() && databases.count(name) == 0) litter.push_back(name);
        }
        return litter;
    }
};

TEST_F(StoreSharingTest, ADatabaseAnotherProcessHoldsIsNeitherReplacedNorDeleted) {
    DBHANDLE db = MakeDatabase("held.nsf");
    const NOTEID before = SaveNote(db, {{"Subject", "before"}});
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    db = MakeDatabase("other.nsf");
    ASSERT_EQ(CloseDatabase(db), NOERROR);

    ChildProcess holder({"hold", "held.nsf"});
    ASSERT_EQ(holder.ReadLine(), "ready");
    EXPECT_EQ(CreateDatabase("held.nsf", 0, true, 0, 0, 0), ERR_DB_IN_USE);
    EXPECT_EQ(CopyDatabase("other.nsf", "held.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_DB_IN_USE);
    EXPECT_EQ(DeleteDatabase("held.nsf"), ERR_DB_IN_USE);
    // The holder goes on saving into the database that is still there.
    holder.Send("save after");
    const NOTEID after = static_cast<NOTEID>(std::stoul(holder.ReadLine()));
    holder.Send("quit");
    ASSERT_EQ(holder.Wait(), 0);

    ASSERT_EQ(OpenDatabase("held.nsf", &db), NOERROR);
    EXPECT_EQ(TextOf(db, before, "Subject"), "before");
    EXPECT_EQ(TextOf(db, after, "Subject"), "after");
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    // Released, it may go.
    EXPECT_EQ(CopyDatabase("other.nsf", "held.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), NOERROR);
    EXPECT_EQ(DeleteDatabase("held.nsf"), NOERROR);
    EXPECT_EQ(Litter({"other.nsf"}), std::vector<std::string>{});
}

// Two handles of this process and two other processes, each keeping its handle open, save into one database
// in turn (this process also in batches, by deletes, and once after closing and opening its handle again):
// every change is stamped later than every one before it, whoever made that one, though most come within
// one tick of the clock.
TEST_F(StoreSharingTest, EveryChangeIsStampedLaterThanEveryOneBeforeWhoeverMadeIt) {
    DBHANDLE mine = MakeDatabase("stamps.nsf"), second = 0;
    ASSERT_EQ(OpenDatabase("stamps.nsf", &second), NOERROR);
    ChildProcess first({"hold", "stamps.nsf"}), other({"hold", "stamps.nsf"});
    ASSERT_EQ(first.ReadLine(), "ready");
    ASSERT_EQ(other.ReadLine(), "ready");
    Instant last{};
    int changes = 0;
    // The stamp of the change just made: the note's sequence time, or the data's modified time of a delete.
    const auto expectLater = [&](NOTEID saved, const std::string& what) {
        Instant stamp{};
        if (saved != 0) {
            NOTEHANDLE note = 0;
            ORIGINATORID oid{};
            ASSERT_EQ(OpenNote(mine, saved, 0, &note), NOERROR) << what;
            ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_OID, &oid), NOERROR);
            ASSERT_EQ(CloseNote(note), NOERROR);
            stamp = oid.sequenceTime;
        } else {
            ASSERT_EQ(GetModifiedTimes(mine, &stamp, nullptr), NOERROR);
        }
        int order = 0;
        ASSERT_EQ(CompareInstants(&stamp, &last, &order), NOERROR);
        EXPECT_GT(order, 0) << "change " << changes << ": " << what;
        last = stamp;
        ++changes;
    };
    const auto saveIn = [&](ChildProcess& child, const char* who) {
        child.Send(std::string("save ") + who);
        const std::string answer = child.ReadLine();
        ASSERT_FALSE(answer.empty() || answer.rfind("status", 0) == 0) << answer;
        expectLater(static_cast<NOTEID>(std::stoul(answer)), who);
    };
    std::vector<NOTEID> ours;
    for (int round = 0; round < 12; ++round) {
        ours.push_back(SaveNote(mine, {{"Subject", "mine"}}));
        expectLater(ours.back(), "this handle");
        saveIn(first, "first");
        expectLater(SaveNote(second, {{"Subject", "second"}}), "the second handle");
        saveIn(other, "other");
        ASSERT_EQ(BeginBatch(mine), NOERROR);
        const NOTEID a = SaveNote(mine, {{"Subject", "batched"}});
        const NOTEID b = SaveNote(mine, {{"Subject", "batched"}});
        ASSERT_EQ(CommitBatch(mine), NOERROR);
        expectLater(a, "a batch's first save");
        expectLater(b, "a batch's second save");
        saveIn(first, "first");
        ASSERT_EQ(DeleteNote(mine, ours.front(), 0), NOERROR);
        ours.erase(ours.begin());
        expectLater(0, "a delete");
        saveIn(other, "other");
        ASSERT_EQ(DeleteNote(second, a, 0), NOERROR);
        expectLater(0, "a delete through the second handle");
        expectLater(SaveNote(mine, {{"Subject", "after their delete"}}), "this handle after a delete");
        if (round == 6) {
            ASSERT_EQ(CloseDatabase(mine), NOERROR);
            ASSERT_EQ(OpenDatabase("stamps.nsf", &mine), NOERROR);
        }
    }
    for (ChildProcess* child : {&first, &other}) {
        child->Send("quit");
        EXPECT_EQ(child->Wait(), 0);
    }
    EXPECT_EQ(CloseDatabase(second), NOERROR);
    EXPECT_EQ(CloseDatabase(mine), NOERROR);
}

TEST_F(StoreSharingTest, ReplacingUnderASavingProcessLosesNoAcknowledgedSave) {
    DBHANDLE db = MakeDatabase("busy.nsf");
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    db = MakeDatabase("other.nsf");
    ASSERT_EQ(CloseDatabase(db), NOERROR);

    ChildProcess saver({"save-loop", "busy.nsf", "0"});
    std::vector<NOTEID> acknowledged;
    for (int round = 0; round < 20; ++round) {
        acknowledged.push_back(static_cast<NOTEID>(std::stoul(saver.ReadLine())));
        EXPECT_EQ(CreateDatabase("busy.nsf", 0, true, 0, 0, 0), ERR_DB_IN_USE);
        EXPECT_EQ(CopyDatabase("other.nsf", "busy.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_DB_IN_USE);
        EXPECT_EQ(DeleteDatabase("busy.nsf"), ERR_DB_IN_USE);
    }
    saver.Kill();

    EXPECT_EQ(IntegrityOf("busy.nsf"), "ok");
    ASSERT_EQ(OpenDatabase("busy.nsf", &db), NOERROR);
    for (size_t i = 0; i < acknowledged.size(); ++i)
        EXPECT_EQ(TextOf(db, acknowledged[i], "Seq"), std::to_string(i + 1));
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

TEST_F(StoreSharingTest, AReplacementKilledAnywhereLeavesOneWholeDatabaseAndItsLitterIsCleared) {
    DBHANDLE db = MakeDatabase("source.nsf");
    const NOTEID kept = SaveNote(db, {{"Subject", "copied"}});
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    ASSERT_EQ(CreateDatabase("target.nsf", 0, false, 0, 0, 0), NOERROR);
    std::mt19937 random(10);
    for (int kill = 0; kill < 8; ++kill) {
        {
            ChildProcess child(kill % 2 ? std::vector<std::string>{"recreate", "target.nsf"}
                                        : std::vector<std::string>{"copy-loop", "source.nsf", "target.nsf"});
            KillSoon(child, std::uniform_int_distribution<int>(0, 2)(random), random);
        }
        ASSERT_EQ(OpenDatabase("target.nsf", &db), NOERROR) << "after kill " << kill;
        NOTEHANDLE icon = 0;
        EXPECT_EQ(OpenNote(db, NOTE_ID_SPECIAL | NOTE_CLASS_ICON, 0, &icon), NOERROR);
        CloseNote(icon);
        const std::string subject = TextOf(db, kept, "Subject"); // a copy has it, a new database not
        EXPECT_TRUE(subject == "copied" || subject == "<missing>") << subject;
        ASSERT_EQ(CloseDatabase(db), NOERROR);
        EXPECT_EQ(IntegrityOf("target.nsf"), "ok");
    }
    // Files the killed processes were building are removed by the next replacement of the same database.
    ASSERT_EQ(CopyDatabase("source.nsf", "target.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), NOERROR);
    ASSERT_EQ(CreateDatabase("target.nsf", 0, true, 0, 0, 0), NOERROR);
    EXPECT_EQ(Litter({"source.nsf", "target.nsf"}), std::vector<std::string>{});
}

} // namespace
} // namespace nnotes::testing
