#include "platform/desktopplatform.h"
#include "shell/mainform.h"
#include "ui/widgets.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mensurio"));
    // Names the installed menu entry, so docks show its name and icon for our windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.Mensurio"));
    mensurio::ui::initialise();

    mensurio::DesktopPlatform platform;
    mensurio::MainForm mainForm(platform);
    // A second copy ends here, silently and before any window appears.
    if (!mainForm.Form_Load())
        return 0;
    mainForm.show();
    return app.exec();
}
