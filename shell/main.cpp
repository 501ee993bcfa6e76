#include "platform/desktopplatform.h"
#include "platform/files.h"
#include "shell/mainform.h"
#include "ui/widgets.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    mensurio::files::surviveFileSizeLimit();
    // The single-copy lock comes first: a second copy ends here, silently, before the
    // toolkit or any window is built.
    mensurio::InstanceLock lock =
        mensurio::InstanceLock::take(mensurio::InstanceLock::defaultFolders());
    if (lock.state() == mensurio::InstanceLock::State::HeldByAnotherCopy)
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mensurio"));
    // Names the installed menu entry, so docks show its name and icon for our windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Mensurio"));
    mensurio::ui::initialise();

    mensurio::DesktopPlatform platform(std::move(lock));
    mensurio::MainForm mainForm(platform);
    // Form_Load asks the platform, which answers from the lock taken above.
    if (!mainForm.Form_Load())
        return 0;
    mainForm.show();
    return app.exec();
}
