#include "ui/secondarywindow.h"

#include <QCloseEvent>

namespace mensurio::ui {

void SecondaryWindow::leave()
{
    hide();
    emit left();
}

void LockingWindow::closeEvent(QCloseEvent* event)
{
    leave();
    event->ignore();
}

} // namespace mensurio::ui
