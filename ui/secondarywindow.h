#pragma once

#include <QWidget>

namespace mensurio::ui {

// A window the main window shows and the user leaves to go back to it. Leaving hides it
// and says so; what that means for the main window is the main window's own business.
class SecondaryWindow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Hides the window and hands control back.
    void leave();

signals:
    void left();

protected:
    // Escape leaves it the way its own way back does, once no control or open list or
    // menu has taken the key first.
    void keyPressEvent(QKeyEvent* event) override;
};

// One the main window stays disabled behind while it is shown (About, feedback): the
// frame's close box leaves it the way its own way back does, so it never strands a
// disabled main window, and the window keeps what it holds for its next showing.
class LockingWindow : public SecondaryWindow {
    Q_OBJECT
public:
    using SecondaryWindow::SecondaryWindow;

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace mensurio::ui
