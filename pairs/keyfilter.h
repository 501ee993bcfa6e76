#pragma once

#include <QObject>

class QKeyEvent;

namespace mensurio {

// Lets only digits, "-", ",", "." and backspace reach a value field. Keys that type no
// character (arrows, Home, End, Delete, Tab) keep their usual meaning; the clipboard
// and undo combinations do nothing.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    static bool passes(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace mensurio
