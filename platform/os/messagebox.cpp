#include "os/os.h"

#include <cstdio>
#include <mutex>

namespace os {
namespace {

// Never destroyed: boxes may be shown from static destructors (an object layer that finds objects left over
// at its end), which may run after the handler a program installed would otherwise have been destroyed.
std::mutex& HandlerMutex() {
    static auto* m = new std::mutex;
    return *m;
}

MessageBoxHandler& Handler() {
    static auto* h = new MessageBoxHandler;
    return *h;
}

int DefaultAnswer(unsigned flags) {
    return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
}

} // namespace

int MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> lock(HandlerMutex());
        handler = Handler();
    }
    MessageBoxRequest request{text, caption, flags};
    if (handler) return handler(request);
    std::fprintf(stderr, "%s: %s\n", caption.empty() ? "Error" : caption.c_str(), text.c_str());
    return DefaultAnswer(flags);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer_(answer) {
    previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
        boxes_.push_back(r);
        return answer_;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxHandler(std::move(previous_));
}

} // namespace os
