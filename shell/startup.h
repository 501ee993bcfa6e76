#pragma once

#include <QtGlobal>

#include <optional>

namespace mensurio {

// What a start does before and around the toolkit: each of these runs without a window.

// Answers --help and --version on standard output. Returns the exit status when one of them
// was asked for, nothing otherwise; every other argument is left to the toolkit, as ever.
std::optional<int> answerCommandLine(int argc, char* argv[]);

// Held while QApplication is constructed. Where the toolkit can open no display, the program
// ends with status 1 and one line that names what is missing (the X display given with
// -display, else DISPLAY), instead of the toolkit's abort and core dump. Costs nothing else:
// no display is opened for the check.
class DisplayGuard {
public:
    DisplayGuard(int argc, char* argv[]);
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

private:
    QtMessageHandler previous_;
};

} // namespace mensurio
