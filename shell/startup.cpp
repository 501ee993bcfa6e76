#include "shell/startup.h"

#include "core/product.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>

namespace mensurio {

std::optional<int> answerCommandLine(int argc, char* argv[])
{
    const std::string usage =
        "Usage: " + std::string(product::program) +
        " [--help | --version]\n"
        "Converts weights, lengths, areas, volumes and temperatures in a window on the desktop.\n"
        "Only one copy runs for each home folder and machine; starting another ends it at once.\n"
        "\n"
        "  --help     print this help and exit\n"
        "  --version  print the version and exit\n";
    const std::string version = product::nameAndVersion().toStdString() + "\n";
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        const char* answer = argument == "--help"      ? usage.c_str()
                             : argument == "--version" ? version.c_str()
                                                       : nullptr;
        if (!answer)
            continue;
        // A closed or full standard output is a failure that a script must be able to see.
        return std::fputs(answer, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    }
    return std::nullopt;
}

DisplayGuard* DisplayGuard::active_ = nullptr;

void DisplayGuard::replayHeld()
{
    const std::lock_guard<std::mutex> guard(heldLock_);
    for (const Held& message : held_)
        previous_(
            message.type,
            QMessageLogContext(message.file, message.line, message.function, message.category),
            message.text);
    held_.clear();
}

// Why no display could be opened, from the platform plugins the toolkit names in its warnings
// ('Could not load the Qt platform plugin "xcb" ...'), in the order it tried them: Wayland
// first where a Wayland display is named, then X. Empty when the failure is another one.
QByteArray DisplayGuard::missingDisplay() const
{
    QByteArrayList reasons;
    static const QLatin1String named("platform plugin \"");
    for (const Held& message : held_) {
        if (const qsizetype at = message.text.indexOf(named); at >= 0)
            reasons.append(unopened(message.text.mid(at + named.size()).section('"', 0, 0)));
    }
    if (reasons.contains(QByteArray()))
        return {};
    if (x11Display().isEmpty() && qgetenv("WAYLAND_DISPLAY").isEmpty())
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return reasons.join(", and ");
}

// Why one platform plugin opened no display; empty for a plugin that needs none of these.
QByteArray DisplayGuard::unopened(const QString& plugin) const
{
    if (plugin.startsWith(QLatin1String("wayland"))) {
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        if (wayland.isEmpty()) // the toolkit's Wayland client then tries wayland-0
            return "the Wayland display \"wayland-0\" could not be opened";
        return "the Wayland display \"" + wayland +
               "\" named by WAYLAND_DISPLAY could not be opened";
    }
    if (plugin != QLatin1String("xcb"))
        return {};
    if (x11Display().isEmpty())
        return "DISPLAY is not set";
    return "the X display \"" + x11Display() + "\" could not be opened";
}

QByteArray DisplayGuard::x11Display() const
{
    return displayArgument_.isNull() ? qgetenv("DISPLAY") : displayArgument_;
}

void DisplayGuard::holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    active_->hold(type, context, text);
}

void DisplayGuard::hold(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    std::unique_lock<std::mutex> guard(heldLock_);
    if (type != QtFatalMsg) {
        held_.push_back(
            {type, context.file, context.line, context.function, context.category, text});
        return;
    }
    // The toolkit gives up and would abort. No display is a matter of the surroundings, not
    // a crash: say what is missing and end with a failure status, leaving no core dump.
    const QByteArray reason = missingDisplay();
    if (reason.isEmpty()) {
        guard.unlock();
        replayHeld();
        previous_(QtCriticalMsg, context, text);
    } else {
        const QByteArray line =
            QByteArray(product::name) + " needs a graphical display: " + reason + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    }
    std::fflush(stderr);
    ::_exit(1);
}

DisplayGuard::DisplayGuard(int argc, char* argv[])
{
    // As the toolkit reads its arguments: "--display" is "-display", and the last one counts.
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "-display" || argument == "--display")
            displayArgument_ = argv[++i];
    }
    active_ = this;
    previous_ = qInstallMessageHandler(holdOrEnd);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previous_);
    active_ = nullptr;
    replayHeld();
}

} // namespace mensurio
