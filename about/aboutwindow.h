#pragma once

#include "platform/context.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace mensurio {

// Product, version, the user the copy runs for, and the ways to reach the maker. While
// it is shown the main window is disabled; every way out of it hands control back.
// Object name "AboutApp".
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(Context& context);

    // Load handling: runs once, when the registry creates the window, so the login name
    // is read once per run.
    void load();

    // What the controls do; each names the object it answers.
    void backToMainWindow(); // "MinimizeToTray2", "Back To Main Window"
    void openLicence();      // "Command1", the licence agreement
    void donate();           // "Image2"
    void vote();             // "Label10", at the download site
    void mailSupport();      // "Label6"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();

    Context& context_;
    QLabel* userName_ = nullptr;        // "UserName"
    QPushButton* backButton_ = nullptr; // "MinimizeToTray2"
};

} // namespace mensurio
