// How nsfadmin's commands fail: one exception that carries the whole error text, thrown where the fault is
// found and turned into the command's result at its top.
#pragma once

#include "nnotes/status.h"

#include <stdexcept>
#include <string>

namespace nsfadmin {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "<the status's text> (status 0x0103)".
std::string StatusText(nnotes::STATUS status);

// Throws "<place>: <status text>" for a status other than NOERROR.
void Check(nnotes::STATUS status, const std::string& place);

// Runs a command body and gives its error text, empty on success.
template <class Fn>
std::string Run(Fn fn) {
    try {
        fn();
        return {};
    } catch (const Failure& f) {
        return f.what();
    } catch (const std::exception& e) { // out of memory and the like: the command fails, the program goes on
        return std::string("internal error: ") + e.what();
    }
}

// The store started for one command; starts nest, so this never ends a start made by the caller.
class StoreSession {
public:
    StoreSession();
    ~StoreSession();
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;
};

} // namespace nsfadmin
