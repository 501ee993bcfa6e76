#pragma once

#include "platform/context.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace mensurio {

// Product, version, the user the copy runs for, and the ways to reach the maker. While
// it is shown the main window is disabled; every way out of it hands control back.
class AboutApp : public QWidget {
    Q_OBJECT
public:
    explicit AboutApp(Context& context);

    // Load handling: runs once, when the registry creates the window, so the login name
    // is read once per run.
    void Form_Load();

    void MinimizeToTray2_Click(); // "Back To Main Window"
    void Command1_Click();        // licence agreement
    void Image2_Click();          // donate
    void Label10_Click();         // vote at the download site
    void Label6_Click();          // mail to support

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();

    Context& context_;
    QLabel* userName_ = nullptr;
    QPushButton* back_ = nullptr;
};

} // namespace mensurio
