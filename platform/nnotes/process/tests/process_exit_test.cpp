// A program that ends the library only after main has returned, from a static object's destructor (as a
// library's global session does when its caller never closes it): whatever handle it left open, the release
// at the library's end finds the tables it empties still there, and the program ends cleanly.
#include "testing/child_process.h"
#include "testing/view_fixture.h"

#include <sys/wait.h>

namespace nnotes::testing {
namespace {

using ProcessExitTest = ViewTest;

TEST_F(ProcessExitTest, AHandleLeftOpenAtExitIsReleasedByTheLibrarysEnd) {
    SaveView("Subjects", {ColumnSpec("Subject", "Subject")});
    ASSERT_EQ(CloseDatabase(db_), NOERROR);
    db_ = 0;
    for (const char* kind : {"database", "note", "collection", "search", "computation", "log", "status-line",
                             "builder", "block", "idtable"}) {
        ChildProcess child({"leave-open", kind, "views.nsf"});
        EXPECT_EQ(child.ReadLine(), "open") << kind;
        EXPECT_EQ(child.ReadLine(), "") << kind;
        const int status = child.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << kind << ": status " << status;
    }
}

} // namespace
} // namespace nnotes::testing
