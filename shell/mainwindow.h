#pragma once

#include "platform/context.h"
#include "shell/windowregistry.h"

#include <QMainWindow>

class QLineEdit;
class QMenu;

namespace mensurio {

// The launch board and the program's hub: every other window is reached from here,
// and the program ends when this window goes. Object name "MainForm".
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform);
    ~MainWindow() override;

    Context& context() { return context_; }
    WindowRegistry& windows() { return windows_; }

    // Asks, and on Yes ends the program ("Command4", menu "Quit").
    void confirmClose();
    // Ends the whole program at once, whatever closed the main window.
    void endProgram();
    // The program's own minimize: the frame has no minimize box ("Image31", "Command1",
    // menu "Minimize").
    void minimize();

    // Commands that show another window.
    void showPair(PairId pair); // the category frames' links and the pair menus
    void showSymbols();         // menu "VIP": "Symbols"
    void showAbout();           // "Command3", menu "About": "AboutApp"
    void showFeedback();        // menu "LikeIt": "ForMensurio"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildHeader(QWidget* client);
    void buildCategoryFrames(QWidget* client);
    void buildCommandFrame(QWidget* client);
    void buildMenus();
    void addPairMenus(QMenu* conversions);
    // Shows a window that the main window stays disabled behind until it leaves.
    void showLocking(Secondary window);
    // Takes control back from a window that left: enabled again after a locking one.
    void unlock();
    void comeForward();

    Context context_;
    WindowRegistry windows_;
    QLineEdit* focusHolder_ = nullptr; // "Text1"
};

} // namespace mensurio
