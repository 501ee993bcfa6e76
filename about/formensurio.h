#pragma once

#include "platform/context.h"

#include <QWidget>

class QLineEdit;

namespace mensurio {

// The "I like it" window: write to the maker, tell a friend, vote at two download sites.
// While it is shown the main window is disabled; every way out of it hands control back.
// Between showings it keeps only the friend's address in the hidden Mail box.
class ForMensurio : public QWidget {
    Q_OBJECT
public:
    explicit ForMensurio(Context& context);

    // Load handling: runs once, when the registry creates the window.
    void Form_Load();

    void Image4_Click();  // exit
    void Label6_Click();  // mail to support
    void Label4_Click();  // tell a friend
    void Label8_Click();  // first download site
    void Label12_Click(); // second download site
    void Image1_Click();  // first site's note
    void Image2_Click();  // second site's note

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void note(const QString& text);

    Context& context_;
    QLineEdit* mail_ = nullptr;
};

} // namespace mensurio
