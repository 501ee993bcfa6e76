#include "core/product.h"
#include "platform/desktopplatform.h"
#include "platform/files.h"
#include "platform/instancelock.h"
#include "platform/startupnotification.h"
#include "platform/userfolders.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "ui/style.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char* argv[])
{
    mensurio::files::surviveFileSizeLimit();
    // A question about the program is answered on the terminal, even while a copy runs.
    if (const std::optional<int> status = mensurio::answerCommandLine(argc, argv))
        return *status;

    mensurio::userfolders::ignoreUnusableValues();
    // The single-copy lock comes first: one for the home folder on this machine, in
    // ~/.cache/mensurio/ and in the kernel, whatever the session's runtime folder. A second
    // copy ends here, silently, before the toolkit or any window is built; it only tells the
    // launcher that the start is over. Where neither lock can be had the program runs
    // unguarded.
    mensurio::InstanceLock lock = mensurio::InstanceLock::take();
    if (lock.state() == mensurio::InstanceLock::State::HeldByAnotherCopy) {
        mensurio::endStartupNotification();
        return 0;
    }

    // Only the toolkit's start is guarded: it opens the display.
    std::optional<mensurio::DisplayGuard> displayGuard(std::in_place, argc, argv);
    QApplication app(argc, argv);
    displayGuard.reset();
    QApplication::setApplicationName(mensurio::product::text(mensurio::product::name));
    // Names the installed menu entry, so docks show its name and icon for our windows.
    QGuiApplication::setDesktopFileName(mensurio::product::text(mensurio::product::appId));
    mensurio::ui::initialise();

    // The lock stays taken until the process ends.
    int status = 0;
    {
        mensurio::DesktopPlatform platform;
        mensurio::MainWindow mainWindow(platform);
        mainWindow.show();
        status = app.exec();
    }
    // Qt 6.4's Wayland client can hang for ever while it takes its display connection down
    // (one of its event threads waits for a read that no thread completes anymore). Every
    // window is gone by now and nothing is left to do, so the process ends with the
    // connection still open, as it would on a crash, and the compositor cleans up after it.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        std::exit(status);
    return status;
}
