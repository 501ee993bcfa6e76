#pragma once

class QWidget;

namespace mensurio::ui {

// Fixed dialog border: a close box, no minimize or maximize box, client area of the
// given twips size; centred the first time it is shown, as centreOnFirstShow() says.
void makeFixedWindow(QWidget* window, int widthTwips, int heightTwips, const QWidget* mainWindow);
// Centres the window the first time it is shown, on the screen that holds the main window;
// the main window itself (no main window given) on the screen that holds the pointer, where
// window managers put new windows. Centred again when a window manager frames it later.
void centreOnFirstShow(QWidget* window, const QWidget* mainWindow = nullptr);
// Tells the window manager that the window belongs to the owner, so it stays in front of
// it, also while the owner is disabled and the user clicks on it.
void keepInFrontOf(QWidget* window, QWidget* owner);

} // namespace mensurio::ui
