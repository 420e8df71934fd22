// nsfadmin: builds databases of the store from JSON descriptions and shows what they hold.
#include "nsfadmin/nsfadmin.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: nsfadmin build FILE.json [FILE.json ...]\n"
                               "       nsfadmin dump DATABASE [--server NAME]\n"
                               "       nsfadmin view DATABASE VIEW [--server NAME]\n"
                               "       nsfadmin index DATABASE [--server NAME]\n";

int Usage(const std::string& problem) {
    std::cerr << "nsfadmin: " << problem << "\n" << kUsage;
    return 2;
}

// One line per failure, so that scripts and logs keep each error whole; line breaks inside the store's texts
// (a formula's fault, say) become spaces.
int Report(std::string error) {
    if (error.empty()) return 0;
    for (char& c : error)
        if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "nsfadmin: " << error << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    std::vector<std::string> operands;
    std::string server;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--server") == 0 && command != "build") {
            if (++i == argc) return Usage("--server needs a server name");
            server = argv[i];
        } else {
            operands.emplace_back(argv[i]);
        }
    }

    if (command == "build") {
        if (operands.empty()) return Usage("build needs at least one JSON file");
        int result = 0;
        for (const auto& file : operands)
            result = Report(nsfadmin::BuildFromFile(file)) ? 1 : result;
        return result;
    }
    if (command == "dump" && operands.size() == 1)
        return Report(nsfadmin::Dump(operands[0], server, std::cout));
    if (command == "view" && operands.size() == 2)
        return Report(nsfadmin::ListView(operands[0], operands[1], server, std::cout));
    if (command == "index" && operands.size() == 1) return Report(nsfadmin::Index(operands[0], server));
    if (command == "dump" || command == "view" || command == "index")
        return Usage("wrong number of arguments for " + command);
    return Usage("unknown command \"" + command + "\"");
}
