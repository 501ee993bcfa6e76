#pragma once

#include "platform/platform.h"

#include <QLocale>
#include <QPointer>
#include <QWidget>

namespace mensurio {

// What every window needs from outside itself: the platform, the main window (the one a
// launch's failure is told over, source of the application icon) and the locale of value text.
struct Context {
    Platform& platform;
    QPointer<QWidget> mainWindow;
    QLocale locale = QLocale();
};

} // namespace mensurio
