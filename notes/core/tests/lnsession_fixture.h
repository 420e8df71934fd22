// Tests of the session and its databases: a temporary folder with its own settings file, a data directory
// and one server folder, and a session initialised over them.
#pragma once

#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "nnotes/database.h"
#include "nnotes/status.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvlsessionXXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        data_ = root_ + "/data";
        server_ = root_ + "/alpha";
        std::filesystem::create_directories(data_);
        std::filesystem::create_directories(server_);
        WriteSettings("");
        ASSERT_EQ(session_.Init(), LNNOERROR);
    }

    void TearDown() override {
        LNSetThrowAllErrors(false);
        if (session_.IsInitialized()) {
            EXPECT_EQ(session_.Term(), LNNOERROR) << "objects outlived the session";
        }
        unsetenv("NOTES_INI");
        std::filesystem::remove_all(root_);
    }

    // Replaces the settings file: the data directory, a user, the server "Alpha/Acme" and extra [Notes]
    // lines.
    void WriteSettings(const std::string& notesLines) {
        std::ofstream(root_ + "/notes.ini", std::ios::trunc)
            << "[Notes]\nDirectory=" << data_ << "\nUserName=CN=Jane Doe/O=Acme\n"
            << notesLines << "[Servers]\nAlpha/Acme=" << server_ << "\n";
        setenv("NOTES_INI", (root_ + "/notes.ini").c_str(), 1);
    }

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

    // The status that f throws; 0 when it throws none.
    LNNotesSession session_;
    std::string root_, data_, server_;
};

// Notes text of a platform literal, for tests that run with the API started.
inline LNString T(const char* text) {
    return LNString(text);
}
