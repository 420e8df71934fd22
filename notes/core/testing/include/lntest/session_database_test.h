// A fixture for the object layer's document tests: a session started in a test area of its own, with one
// database of the given name made through the store and opened.
#pragma once

#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "nnotes/database.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

class SessionDatabaseTest : public ::testing::Test {
protected:
    explicit SessionDatabaseTest(const char* file) : file_(file) {}

    void SetUp() override {
        ASSERT_EQ(session_.Init(), 0u);
        ASSERT_EQ(nnotes::CreateDatabase(file_, 0, false, 0, 0, 0), nnotes::NOERROR);
        ASSERT_EQ(session_.GetDatabase(file_, &db_), 0u);
        ASSERT_EQ(db_.Open(0), 0u);
    }

    void TearDown() override {
        LNSetThrowAllErrors(false);
        db_ = LNDatabase();
        session_.Term();
    }

    testsupport::TestArea area_;
    LNNotesSession session_;
    LNDatabase db_;

private:
    const char* file_;
};
