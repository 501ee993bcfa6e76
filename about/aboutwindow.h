#pragma once

#include "platform/context.h"
#include "ui/secondarywindow.h"

class QPushButton;

namespace mensurio {

// Product, version, the user the copy runs for, and the ways to reach the maker. While
// it is shown the main window is disabled; every way out of it hands control back.
// Object name "AboutApp".
class AboutWindow : public ui::LockingWindow {
    Q_OBJECT
public:
    explicit AboutWindow(Context& context);

    // What the controls do; each names the object it answers.
    void openLicence(); // "Command1", the licence agreement
    void donate();      // "Image2"
    void vote();        // "Label10", at the download site
    void mailSupport(); // "Label6"

private:
    void buildLayout();

    Context& context_;
    QPushButton* backButton_ = nullptr; // "MinimizeToTray2"
};

} // namespace mensurio
