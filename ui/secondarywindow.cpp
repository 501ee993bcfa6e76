#include "ui/secondarywindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace mensurio::ui {

// A key press, not a shortcut: a shortcut is matched before the focused widget sees the key,
// and a drop-down list closes itself while the toolkit asks whether to match one, so a
// shortcut would take the Escape that closed the list and leave the window with it. A key
// press reaches the window only when the focused control and any open list or menu have
// passed it on, as a dialog's Escape does.
void SecondaryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel))
        leave();
    else
        QWidget::keyPressEvent(event);
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
