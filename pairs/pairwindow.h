#pragma once

#include "core/catalogue.h"
#include "platform/context.h"
#include "ui/secondarywindow.h"

class QComboBox;
class QLineEdit;

namespace mensurio {

namespace ui {
class ClickLabel;
}

// One conversion window. All 22 are instances of this class, each bound to one row of
// the catalogue; the window's whole state is the two fields' texts and read-only flags.
// Leaving it (its close picture "Image1", Escape) keeps texts and direction.
class PairWindow : public ui::SecondaryWindow {
    Q_OBJECT
public:
    PairWindow(const UnitPair& pair, Context& context);

    const UnitPair& pair() const { return pair_; }

    // What the controls do; each names the object it answers.
    void directionChosen(); // "Parts": the user picked an entry
    void convertForward();  // "Var1" changed
    void convertBackward(); // "Var2" changed
    void eraseFields();     // "Image2" (in Weight1 this picture is "Image3")
    void openNotepad();     // "NotePad"

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void convertField(QLineEdit* field, QLineEdit* partner, Direction direction);
    void setDirection(bool first);

    const UnitPair& pair_;
    Context& context_;
    QLineEdit* firstField_ = nullptr;  // "Var1"
    QLineEdit* secondField_ = nullptr; // "Var2"
    QComboBox* direction_ = nullptr;   // "Parts"
};

} // namespace mensurio
