#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <mutex>
#include <optional>
#include <vector>

namespace mensurio {

// What a start does before and around the toolkit: each of these runs without a window.

// Answers --help and --version on standard output. Returns the exit status when one of them
// was asked for, nothing otherwise; every other argument is left to the toolkit, as ever.
std::optional<int> answerCommandLine(int argc, char* argv[]);

// Held while QApplication is constructed. Where the toolkit can open no display, the program
// ends with status 1 and one line that names each display the toolkit tried (WAYLAND_DISPLAY's,
// the X display given with -display, else DISPLAY's), instead of its abort and core dump.
// Costs nothing else: no display is opened for the check.
class DisplayGuard {
public:
    DisplayGuard(int argc, char* argv[]);
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

private:
    // What the toolkit said while it started, held back until it is known whether it started.
    struct Held {
        QtMsgType type;
        const char* file;
        int line;
        const char* function;
        const char* category;
        QString text;
    };

    // The toolkit's message handler is a plain function: it reaches the guard through the
    // one that is active.
    static void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text);
    void hold(QtMsgType type, const QMessageLogContext& context, const QString& text);
    void replayHeld();
    QByteArray missingDisplay() const;
    QByteArray unopened(const QString& plugin) const;
    QByteArray x11Display() const; // the toolkit's -display, else DISPLAY

    static DisplayGuard* active_;
    std::vector<Held> held_;
    std::mutex heldLock_;        // the toolkit's event thread may speak while the toolkit starts
    QByteArray displayArgument_; // the toolkit's -display, which wins over DISPLAY; null when none
    QtMessageHandler previous_;
};

} // namespace mensurio
