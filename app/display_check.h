// Starting without a display: a plain message and exit code 1 instead of
// Qt's abort and its advice to reinstall.
#pragma once

namespace mq::app {

// Whether a display is named at all: a platform chosen with QT_QPA_PLATFORM or
// -platform, or DISPLAY or WAYLAND_DISPLAY set.
bool displayNamed(int argc, char** argv);

// Tells the user that Maskquill needs a graphical session; returns the exit code.
int reportNoDisplay();

// While it lives, a fatal error of Qt (the display named could not be opened)
// ends the program with reportNoDisplay's message and code.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;
};

}  // namespace mq::app
