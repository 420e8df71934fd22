// One instance of the word processor: its open documents and the commands it takes.
#pragma once

#include "command_arguments.h"
#include "document.h"

#include <memory>
#include <string>
#include <vector>

namespace word {

class WordProcessor {
public:
    // Runs a command. Gives false when the command ended the program (AppClose, FileExit). Throws
    // AutomationError, led by the command's name, when the command fails; it then has changed nothing.
    bool Run(const std::string& command, const std::vector<Argument>& arguments);

    // Closes every document without saving.
    void CloseAll() { documents_.clear(); }

private:
    struct Command;
    static const std::vector<Command>& Commands();

    Document& Active();
    static int CloseMode(const Document& document, std::optional<std::int32_t> save);
    void Close(size_t index, std::optional<std::int32_t> save);

    void WindowCommand(const BoundArguments& args);
    void AppActivate(const BoundArguments& args);
    void AppClose(const BoundArguments& args);
    void FileExit(const BoundArguments& args);
    void FileOpen(const BoundArguments& args);
    void FileNewDefault(const BoundArguments& args);
    void FileSaveAs(const BoundArguments& args);
    void FileClose(const BoundArguments& args);
    void MailMergeOpenDataSource(const BoundArguments& args);
    void MailMerge(const BoundArguments& args);
    void MailMergeToDoc(const BoundArguments& args);
    void MailMergeCreateHeaderSource(const BoundArguments& args);
    void InsertMergeField(const BoundArguments& args);

    // The open documents; the active one is the last.
    std::vector<std::unique_ptr<Document>> documents_;
};

} // namespace word
