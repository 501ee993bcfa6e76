#include "pairs/keyfilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace mensurio {

namespace {

bool allowedCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'-' || u == u',' || u == u'.' || u == 8;
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
    // These keys carry control characters on some desktops yet type nothing.
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return true; // arrows, Home, End, modifiers: no character typed
    return allowedText(text);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return !passes(*static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        // A line edit does nothing on a release but show its cursor again, which the
        // press already did; letting it through repaints the field a second time.
        return true;
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
