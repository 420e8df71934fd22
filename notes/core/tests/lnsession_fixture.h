// Tests of the session and its databases: a test area whose user is "CN=Jane Doe/O=Acme", with the server
// "Alpha/Acme", and a session initialised over it.
#pragma once

#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "nnotes/database.h"
#include "nnotes/status.h"
#include "testobjects.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <string>

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        area_.SetUserName("CN=Jane Doe/O=Acme");
        server_ = area_.AddServer("Alpha/Acme");
        ASSERT_EQ(session_.Init(), LNNOERROR);
    }

    void TearDown() override {
        LNSetThrowAllErrors(false);
        if (session_.IsInitialized()) {
            EXPECT_EQ(session_.Term(), LNNOERROR) << "objects outlived the session";
        }
    }

    // Rewrites the settings file with these extra [Notes] lines.
    void WriteSettings(const std::string& notesLines) { area_.SetNotesLines(notesLines); }

    // Makes a database file through the store; netpath as the store takes it ("Alpha/Acme!!x.nsf").
    static void MakeFile(const std::string& netpath) {
        ASSERT_EQ(nnotes::CreateDatabase(netpath.c_str(), 0, false, 0, 0, 0), nnotes::NOERROR) << netpath;
    }

    // A database of the session, opened (server null: local).
    LNDatabase OpenDb(const char* path, const char* server = nullptr) {
        LNDatabase db;
        EXPECT_EQ(
            session_.GetDatabase(LNString(path), &db, server != nullptr ? LNString(server) : LNString()),
            LNNOERROR)
            << path;
        EXPECT_EQ(db.Open(), LNNOERROR) << path;
        return db;
    }

    testsupport::TestArea area_;
    const std::string data_ = area_.DataDirectory();
    std::string server_;
    LNNotesSession session_;
};

// Notes text of a platform literal, for tests that run with the API started.
inline LNString T(const char* text) {
    return LNString(text);
}
