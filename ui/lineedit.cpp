#include "ui/lineedit.h"

#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>

namespace mensurio::ui {

QLineEdit* lineEdit(QWidget* parent, const QFont& font)
{
    // QGuiApplication's font, not QApplication's: QApplication would tell every window of
    // the change and back, and each would resolve its fonts twice.
    const QFont applicationFont = QGuiApplication::font();
    QGuiApplication::setFont(font);
    auto* result = new QLineEdit(parent);
    QGuiApplication::setFont(applicationFont);
    result->setFont(font);
    return result;
}

} // namespace mensurio::ui
