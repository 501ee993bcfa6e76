#pragma once

#include "platform/context.h"
#include "shell/windowregistry.h"

#include <QMainWindow>

class QLineEdit;

namespace mensurio {

// The launch board and the program's hub: every other window is reached from here,
// and the program ends when this window goes.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(Platform& platform);
    ~MainForm() override;

    Context& context() { return context_; }
    WindowRegistry& windows() { return windows_; }

    // Asks, and on Yes ends the program.
    void CloseApp();
    // Ends the whole program at once, whatever caused the unload.
    void Form_Unload();
    // The program's own minimize: the frame has no minimize box.
    void MinimizeApp();

    // Commands that show another window.
    void ShowPair(const QString& window);
    void VIP_Click();
    void About_Click();
    void LikeIt_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildHeader(QWidget* client);
    void buildCategoryFrames(QWidget* client);
    void buildCommandFrame(QWidget* client);
    void buildMenus();
    void registerWindows();

    Context context_;
    WindowRegistry windows_;
    QLineEdit* text1_ = nullptr;
};

} // namespace mensurio
