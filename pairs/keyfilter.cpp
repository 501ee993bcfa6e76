#include "pairs/keyfilter.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace mensurio {

namespace {

bool allowedCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'-' || u == u',' || u == u'.' || u == 8;
}

// The key press a shortcut makes on a desktop: Ctrl with a letter types its control
// character (Ctrl+A types U+0001), other combinations type nothing.
QKeyEvent pressOf(const QKeyCombination& combination)
{
    const int key = combination.key();
    QString text;
    if (combination.keyboardModifiers() == Qt::ControlModifier && key >= Qt::Key_A &&
        key <= Qt::Key_Z)
        text = QChar(key - Qt::Key_A + 1);
    return QKeyEvent(QEvent::KeyPress, key, combination.keyboardModifiers(), text);
}

} // namespace

KeyFilter::KeyFilter(const QLocale& locale, QObject* parent)
    : QObject(parent), decimalSign_(locale.decimalPoint())
{}

bool KeyFilter::allowedText(const QString& text) const
{
    for (QChar c : text) {
        if (!allowedCharacter(c) && !decimalSign_.contains(c))
            return false;
    }
    return true;
}

bool KeyFilter::passes(const QKeyEvent& event) const
{
    // Clipboard and undo are refused however the desktop spells them.
    for (QKeySequence::StandardKey key :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo,
          QKeySequence::Redo}) {
        if (event.matches(key))
            return false;
    }
    switch (event.key()) {
    case Qt::Key_Backspace:
        return true;
    // These keys carry control characters on some desktops yet type nothing; the field
    // passes Escape on to its window, which it leaves.
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return true; // arrows, Home, End, modifiers: no character typed
    return allowedText(text);
}

void KeyFilter::showMenu(QLineEdit* field, const QPoint& globalPos) const
{
    QMenu* menu = field->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Qt writes each item's shortcut after a tab ("&Copy\tCtrl+C"); a hint naming a key
    // that this filter refuses in the field would be false, so it goes. The items stay.
    for (QAction* action : menu->actions()) {
        const qsizetype tab = action->text().indexOf(QLatin1Char('\t'));
        if (tab < 0)
            continue;
        const QKeySequence hint(action->text().mid(tab + 1), QKeySequence::NativeText);
        if (hint.count() == 1 && passes(pressOf(hint[0])))
            continue;
        action->setText(action->text().left(tab));
    }
    menu->popup(globalPos);
}

bool KeyFilter::answerNoInputMethod(QObject* field, QInputMethodQueryEvent* query)
{
    if (!(query->queries() & Qt::ImEnabled))
        return QObject::eventFilter(field, query);
    // A value field takes no input method. Qt's compose input context hands a key to the
    // locale's compose table only where the focused widget takes one, and builds that table,
    // half a megabyte read and parsed, on the first key it is handed. The field still answers
    // every other question itself (cursor, surrounding text), as it would without the filter.
    field->event(query);
    query->setValue(Qt::ImEnabled, false);
    return true;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (auto* field = qobject_cast<QLineEdit*>(watched)) {
            showMenu(field, static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        return QObject::eventFilter(watched, event);
    case QEvent::KeyPress:
        return !passes(*static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        // A line edit does nothing on a release but show its cursor again, which the
        // press already did; letting it through repaints the field a second time.
        return true;
    case QEvent::InputMethodQuery:
        return answerNoInputMethod(watched, static_cast<QInputMethodQueryEvent*>(event));
    case QEvent::InputMethod: {
        // Composed text (dead keys, input methods) goes through the same gate.
        const auto* input = static_cast<QInputMethodEvent*>(event);
        return !allowedText(input->commitString());
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace mensurio
