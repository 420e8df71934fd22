// The program's forms, run offscreen against the fake library: a temporary home, documents and current
// folder, scripted answers to message boxes, modal forms and file dialogs, and a Word stand-in reset for
// each test.
#pragma once

#include "fake_qvllib.h"
#include "modal.h"
#include "os/os.h"

#include <QDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <typeindex>

class AppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Scripts how a modal form of type Form is answered: the script drives it and returns its result.
    template <typename Form>
    void On(std::function<int(Form&)> script) {
        scripts_[typeid(Form)] = [script](QDialog& form) { return script(static_cast<Form&>(form)); };
    }
    // How many times a form of that type was shown modally.
    template <typename Form>
    int Shown() const {
        auto it = shown_.find(typeid(Form));
        return it == shown_.end() ? 0 : it->second;
    }

    // Answers the next message boxes in order; after them, Yes or OK.
    void Answer(std::initializer_list<int> answers) { answers_.insert(answers_.end(), answers); }
    // The texts of the boxes shown so far.
    std::vector<std::string> BoxTexts() const;

    // The file name the next file dialog is answered with; empty: the dialog is cancelled.
    std::string dialogAnswer;

    // A source of three columns, "Last Name", "First Name" and "Town", and its rows.
    static fake::Source Contacts(int rows);
    // A categorised source: "Region", "Name", "Town"; categories A (2 rows), B (1), C (2).
    static fake::Source Regions();
    // Scripts the category form to choose the categories in these list rows (none: all categories).
    void ChooseCategories(std::vector<int> rows, bool ignoreDuplicates = false);
    // Adds sources to the fake library, opens the named one through the menu and retrieves every record.
    void OpenSource(const std::string& name);
    // Scripts the merge form to run with that description, and the progress form to run the merge's steps.
    void ScriptMergeForm(const QString& description);
    void ScriptMergeSteps();

    std::string Path(const std::string& name) const;
    std::string ReadFile(const std::string& path) const;

    QTemporaryDir dir_;
    std::vector<os::MessageBoxRequest> boxes_;

private:
    std::map<std::type_index, std::function<int(QDialog&)>> scripts_;
    std::map<std::type_index, int> shown_;
    std::deque<int> answers_;
    std::string oldDir_;
    QByteArray oldHome_, oldTmp_, oldConfig_;
};
