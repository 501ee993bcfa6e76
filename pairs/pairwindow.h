#pragma once

#include "core/catalogue.h"
#include "platform/context.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QTimer;

namespace mensurio {

namespace ui {
class ClickLabel;
}

// One conversion window. All 22 are instances of this class, each bound to one row of
// the catalogue; the window's whole state is the two fields' texts and read-only flags.
class PairWindow : public QWidget {
    Q_OBJECT
public:
    PairWindow(const UnitPair& pair, Context& context);

    const UnitPair& pair() const { return pair_; }

    // Load handling: runs once, when the registry creates the window.
    void Form_Load();

    void Parts_Click();
    void Var1_Change();
    void Var2_Change();
    void Image1_Click(); // hide, keeping texts and direction
    void Image2_Click(); // erase (in Weight1 this picture is Image3)
    void NotePad_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void change(QLineEdit* field, QLineEdit* partner, Direction direction);
    void setDirection(bool first);

    const UnitPair& pair_;
    Context& context_;
    QLineEdit* var1_ = nullptr;
    QLineEdit* var2_ = nullptr;
    QComboBox* parts_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace mensurio
