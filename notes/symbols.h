#pragma once

#include "platform/context.h"

#include <QByteArray>
#include <QStringView>
#include <QWidget>

class QLineEdit;

namespace mensurio {

// Text as the single-byte files of the program carry it: one Windows-1252 byte per
// character, "?" for a character the code page lacks, whatever the user's locale.
QByteArray toWindows1252(QStringView text);

// Six characters that are awkward to type (superscripts, degree sign, fractions), shown
// for copying and exported to a text file in the root folder. The main window's
// registry creates it once and only hides it afterwards.
class Symbols : public QWidget {
    Q_OBJECT
public:
    explicit Symbols(Context& context);

    // Load handling: runs once, when the registry creates the window.
    void Form_Load();

    void Command1_Click(); // hide and hand the front back to the main window
    void Command2_Click(); // export the symbols and open the file

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();

    Context& context_;
    QLineEdit* text2_ = nullptr;
};

} // namespace mensurio
