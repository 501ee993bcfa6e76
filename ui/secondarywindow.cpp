#include "ui/secondarywindow.h"

#include <QCloseEvent>
#include <QShortcut>

namespace mensurio::ui {

SecondaryWindow::SecondaryWindow(QWidget* parent) : QWidget(parent)
{
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &SecondaryWindow::leave);
}

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
