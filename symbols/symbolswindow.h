#pragma once

#include "platform/context.h"
#include "ui/secondarywindow.h"

class QLineEdit;

namespace mensurio {

// Six characters that are awkward to type (superscripts, degree sign, fractions), shown
// for copying and exported to a text file in the root folder. The main window's
// registry creates it once and only hides it afterwards. Object name "Symbols".
class SymbolsWindow : public ui::SecondaryWindow {
    Q_OBJECT
public:
    explicit SymbolsWindow(Context& context);

    // What the controls do; each names the object it answers.
    void exportSymbols(); // "Command2": export the symbols and open the file

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();

    Context& context_;
    QLineEdit* focusHolder_ = nullptr; // "Text2"
};

} // namespace mensurio
