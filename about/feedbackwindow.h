#pragma once

#include "platform/context.h"
#include "ui/secondarywindow.h"

class QLineEdit;

namespace mensurio {

// The "I like it" window: write to the maker, tell a friend, vote at two download sites.
// While it is shown the main window is disabled; every way out of it hands control back.
// Between showings it keeps only the friend's address in the hidden Mail box.
// Object name "For" and the product name.
class FeedbackWindow : public ui::LockingWindow {
    Q_OBJECT
public:
    explicit FeedbackWindow(Context& context);

    // What the controls do; each names the object it answers.
    void mailSupport();          // "Label6"
    void tellAFriend();          // "Label4"
    void openDownloadSite();     // "Label8"
    void openSecondSite();       // "Label12"
    void showDownloadSiteNote(); // "Image1"
    void showSecondSiteNote();   // "Image2"

private:
    void buildLayout();
    void showNote(const QString& text);

    Context& context_;
    QLineEdit* friendAddress_ = nullptr; // "Mail"
};

} // namespace mensurio
