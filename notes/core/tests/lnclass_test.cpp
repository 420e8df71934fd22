#include "ln/lnclass.h"
#include "ln/lnheap.h"
#include "os/os.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

LNNotesSession* FakeSession() {
    static int marker;
    return reinterpret_cast<LNNotesSession*>(&marker);
}

TEST(HandleTest, CopiesShareOneBodyDeletedWithTheLastHandle) {
    Tally tally;
    auto* body = new FakeBody(&tally);
    {
        FakeHandle first(body);
        {
            FakeHandle second(first);
            EXPECT_EQ(second.GetBody(), body);
            EXPECT_EQ(body->GetRefCount(), 2u);
        }
        EXPECT_EQ(tally.deleted, 0);
        EXPECT_EQ(body->GetRefCount(), 1u);
    }
    EXPECT_EQ(tally.deleted, 1);
}

TEST(HandleTest, SelfAssignmentAndSharedAssignmentKeepTheBody) {
    Tally tally;
    FakeHandle a(new FakeBody(&tally));
    FakeHandle b(a);
    FakeBody* body = a.Body();

    FakeHandle& alias = a;
    a = alias;
    EXPECT_EQ(a.GetBody(), body);
    EXPECT_EQ(body->GetRefCount(), 2u);

    a = b;
    b = a;
    EXPECT_EQ(body->GetRefCount(), 2u);

    // The only handle re-taking its own body must not delete it on the way.
    FakeHandle single(new FakeBody(&tally));
    single.AssignBody(single.Body());
    EXPECT_EQ(single.Body()->GetRefCount(), 1u);
    EXPECT_EQ(tally.deleted, 0);
}

TEST(HandleTest, AssigningAnEmptyHandleReleasesTheOldBody) {
    Tally tally;
    FakeHandle target(new FakeBody(&tally));
    FakeHandle other(new FakeBody(&tally));
    FakeHandle keep(other);

    target = FakeHandle();
    EXPECT_TRUE(target.IsNull());
    EXPECT_EQ(tally.deleted, 1);

    other = FakeHandle();
    EXPECT_EQ(tally.deleted, 1) << "a body another handle holds survives";
    EXPECT_EQ(keep.Body()->GetRefCount(), 1u);
}

TEST(HandleTest, ReleaseBodyEmptiesTheHandleBeforeTheBodyGoes) {
    Tally tally;
    FakeHandle handle(new FakeBody(&tally));
    FakeHandle* seen = &handle;
    bool emptyDuringDelete = false;
    struct Watch : FakeBody {
        Watch(Tally* t, FakeHandle** h, bool* e) : FakeBody(t), h_(h), e_(e) {}
        ~Watch() override { *e_ = (*h_)->IsNull(); }
        FakeHandle** h_;
        bool* e_;
    };
    handle.AssignBody(new Watch(&tally, &seen, &emptyDuringDelete));
    EXPECT_EQ(tally.deleted, 1);
    EXPECT_EQ(handle.ReleaseBody(), 1);
    EXPECT_TRUE(emptyDuringDelete);
    EXPECT_EQ(handle.ReleaseBody(), 0);

    FakeHandle a(new FakeBody(&tally));
    FakeHandle b(a);
    EXPECT_EQ(a.ReleaseBody(), 0);
    EXPECT_EQ(b.ReleaseBody(), 1);
}

TEST(HandleTest, EmptyHandleHasNoSessionButNamesItsClass) {
    FakeHandle empty;
    EXPECT_TRUE(empty.IsNull());
    EXPECT_EQ(empty.GetSession(), nullptr);
    EXPECT_STREQ(empty.GetClassName(), "LNDatabase");

    FakeHandle full(new FakeBody);
    EXPECT_EQ(full.GetSession(), nullptr);
    EXPECT_STREQ(full.GetClassName(), "LNDatabase");
    EXPECT_STREQ(full.Body()->GetClassName(), "LNDatabaseBody");
}

TEST(HandleTest, FailedReleaseInADestructorIsReportedNotThrown) {
    os::MessageBoxRecorder boxes;
    Tally tally;
    auto* body = new FakeBody(&tally);
    {
        FakeHandle handle(body);
        body->ReleaseReference(); // leaves the handle holding a reference the body no longer counts
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("Assertion failed in file lncommon at line 286."),
              std::string::npos);
    EXPECT_NE(boxes.Boxes()[0].text.find("Expression: RefCount > 0"), std::string::npos);
    EXPECT_EQ(tally.deleted, 0);
    delete body;
}

TEST(BodyTest, ReferenceCountingAndItsAssertion) {
    os::MessageBoxRecorder boxes;
    FakeBody body;
    EXPECT_TRUE(body.IsBody());
    EXPECT_EQ(body.AddReference(), 1u);
    EXPECT_EQ(body.ReleaseReference(), 0u);
    try {
        body.ReleaseReference();
        FAIL() << "no throw";
    } catch (LNSTATUS status) {
        EXPECT_EQ(status, LNERR_ASSERTION_FAILED);
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "");
    EXPECT_EQ(boxes.Boxes()[0].flags, os::MB_ICONERROR | os::MB_SYSTEMMODAL);
    EXPECT_EQ(body.GetRefCount(), 0u);
}

TEST(BodyTest, CopiesStartUnreferencedAndKeepTheSession) {
    struct SessionBody : LNBody {
        using LNBody::LNBody;
        LNCLASSID GetClassID() const override { return LNCLASSID_LNTEXTBODY; }
    };
    SessionBody original(FakeSession());
    original.AddReference();

    SessionBody copy(original);
    EXPECT_EQ(copy.GetRefCount(), 0u);
    EXPECT_EQ(copy.GetSession(), FakeSession());

    SessionBody fromObject(static_cast<const LNNotesClass&>(original));
    EXPECT_EQ(fromObject.GetRefCount(), 0u);
    EXPECT_EQ(fromObject.GetSession(), FakeSession());

    SessionBody target;
    target.AddReference();
    target.AddReference();
    target = original;
    EXPECT_EQ(target.GetRefCount(), 2u) << "assignment keeps the target's own count";
    EXPECT_EQ(target.GetSession(), FakeSession());
}

TEST(HeapMembershipTest, OnlyObjectsOfTheClassOperatorNewAreOnTheHeap) {
    auto* onHeap = new FakeObject;
    EXPECT_TRUE(onHeap->IsOnHeap());
    FakeObject onStack;
    EXPECT_FALSE(onStack.IsOnHeap());
    auto* array = new FakeObject[2];
    EXPECT_FALSE(array[1].IsOnHeap()) << "array new does not use the object heap";
    delete[] array;
    delete onHeap;

    struct alignas(16) Wide : FakeObject {
        long double value = 1.0L;
    };
    for (int i = 0; i < 4; ++i) {
        auto* wide = new Wide;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(wide) % alignof(std::max_align_t), 0u);
        EXPECT_TRUE(wide->IsOnHeap());
        delete wide;
    }
}

TEST(ClassIdTest, TableEndsAndOrder) {
    EXPECT_EQ(LNGetClassName(0), nullptr);
    EXPECT_EQ(LNGetClassName(139), nullptr);
    EXPECT_STREQ(LNGetClassName(1), "LNACL");
    EXPECT_STREQ(LNGetClassName(LNCLASSID_LNNOTESCLASS), "LNNotesClass");
    EXPECT_STREQ(LNGetClassName(138), "LNViewFolderBody");
    EXPECT_FALSE(LNIsValidClassID(0));
    EXPECT_TRUE(LNIsValidClassID(138));
    EXPECT_FALSE(LNIsValidClassID(139));

    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (uint32_t id = 2; id <= LNCLASSID_COUNT; ++id) {
        EXPECT_LT(lower(LNGetClassName(id - 1)), lower(LNGetClassName(id))) << "id " << id;
    }
    EXPECT_EQ(LNCLASSID_LNSMARTPTR, 110u);
    EXPECT_EQ(LNCLASSID_LNBODY, 14u);
    EXPECT_EQ(LNCLASSID_LNIDTABLE, 58u);
    EXPECT_EQ(LNCLASSID_LNSTRING, 112u);
}

TEST(ClassIdTest, ObjectNamesFollowTheirId) {
    struct Unnamed : LNNotesClass {
        LNCLASSID GetClassID() const override { return static_cast<LNCLASSID>(139); }
    };
    Unnamed unnamed;
    EXPECT_EQ(unnamed.GetClassName(), nullptr);
    FakeObject object;
    EXPECT_STREQ(object.GetClassName(), "LNDatetime");
}

} // namespace
