#pragma once

#include <QLocale>
#include <QObject>

class QInputMethodQueryEvent;
class QKeyEvent;
class QLineEdit;
class QPoint;

namespace mensurio {

// Lets only digits, "-", ",", ".", the locale's own decimal sign and backspace reach a
// value field. Keys that type no character (arrows, Home, End, Delete, Tab) keep their
// usual meaning; the clipboard and undo combinations do nothing. The fields' context menu
// keeps its items but hints at no key that the filter refuses. A field takes no input
// method: a dead key or compose sequence gives its plain keys, each through the filter.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    KeyFilter(const QLocale& locale, QObject* parent);

    bool passes(const QKeyEvent& event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool answerNoInputMethod(QObject* field, QInputMethodQueryEvent* query);
    void showMenu(QLineEdit* field, const QPoint& globalPos) const;
    bool allowedText(const QString& text) const;

    // Arabic and Persian write fractions with U+066B; without it no fraction could be typed.
    const QString decimalSign_;
};

} // namespace mensurio
