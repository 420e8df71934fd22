// A program of its own for the tests of this module that need a process of their own: what the services
// answer in a program started under another name, and what they do while the program ends.
//
//   os_helper module-path       prints the path of the program and of libqvl_os.so, a line each
//   os_helper documents-folder  prints the user's documents folder as this environment makes it
//   os_helper box-at-exit       installs a message-box handler and returns from main; a static object
//                               shows a box from its destructor, which the handler prints as "box: TEXT"
#include "os/os.h"

#include <cstdio>
#include <string>

namespace {

// Built before main, so destroyed after whatever main made, the handler it installs among them.
struct BoxAtExit {
    bool armed = false;
    ~BoxAtExit() {
        if (armed) os::MessageBox("shown at exit", "Helper", os::MB_OK);
    }
} boxAtExit;

// An address in the program itself.
void InTheProgram() {}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    if (command == "module-path") {
        std::printf("%s\n%s\n", os::ModulePath(reinterpret_cast<const void*>(&InTheProgram)).c_str(),
                    os::ModulePath(reinterpret_cast<const void*>(&os::MessageBox)).c_str());
    } else if (command == "documents-folder") {
        std::printf("%s\n", os::DocumentsFolder().c_str());
    } else if (command == "box-at-exit") {
        // A handler too large to be held inside the std::function: it lives on the heap.
        const std::string prefix = "box: the handler the program installed, with a text of its own";
        os::SetMessageBoxHandler([prefix](const os::MessageBoxRequest& box) {
            std::printf("%s\n", (prefix.substr(0, 5) + box.text).c_str());
            std::fflush(stdout);
            return os::IDOK;
        });
        boxAtExit.armed = true;
    } else {
        return 3;
    }
    std::fflush(stdout);
    return 0;
}
