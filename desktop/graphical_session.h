// Whether the program has a display to open its windows on, and what it says when it has none: Qt alone
// aborts with a message about its platform plugins, which tells a user nothing about what to do.
#pragma once

// The one line the program writes before it ends with kNoGraphicalSessionStatus.
extern const char* const kNoGraphicalSession;
inline constexpr int kNoGraphicalSessionStatus = 1;

// False when neither a platform is chosen ($QT_QPA_PLATFORM, -platform) nor a display is named ($DISPLAY,
// $WAYLAND_DISPLAY).
bool HasGraphicalSession(int argc, char** argv);

// While it lives, a failure to open the display (Qt's fatal message while the application object is made)
// writes kNoGraphicalSession and ends the program with kNoGraphicalSessionStatus instead of aborting.
class DisplayFailureGuard {
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};
