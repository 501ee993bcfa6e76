#include "ui/accessibility.h"

#include "ui/controls.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace mensurio::ui {

namespace {

// Reached over the accessibility bus, a picture or link label is pressed the way a click
// presses it. Its name is its text or tool tip; it stays out of the focus chain.
class ClickAccessible : public QAccessibleWidget {
public:
    explicit ClickAccessible(ClickLabel* label) : QAccessibleWidget(label) {}

    QAccessible::Role role() const override
    {
        const bool picture = !label()->pixmap().isNull();
        if (label()->acts())
            return picture ? QAccessible::Button : QAccessible::Link;
        return picture ? QAccessible::Graphic : QAccessible::StaticText;
    }

    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? label()->text() : text;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (label()->acts())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override
    {
        if (actionName != pressAction())
            return QAccessibleWidget::doAction(actionName);
        // A disabled window takes no clicks; it takes no presses either.
        if (label()->acts() && label()->isEnabled())
            emit label()->clicked();
    }

private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

// Asked whenever a label is first looked at, which may be before its click is connected:
// whether it acts is decided at each question, not here.
QAccessibleInterface* clickAccessible(const QString&, QObject* object)
{
    auto* label = qobject_cast<ClickLabel*>(object);
    return label ? new ClickAccessible(label) : nullptr;
}

// Qt on Linux names a drop-down list after its current item and leaves its own name to a
// label beside it; a list with no such label but a name of its own keeps that name here.
// The current item is the list's value, and its text too: a screen reader reads a list's
// shown text to say its value on focus, and says the new item when that text changes.
// The popup list stays its child, so the reader can follow the items while it is open.
// Asked for every list, so a name given after the first question still counts.
class NamedListAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NamedListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox)
    {
        // Told as an insertion alone: the removal of the old text, selected as it was, would
        // be read out as "selection deleted".
        QObject::connect(list, &QComboBox::currentTextChanged, list, [list](const QString& text) {
            QAccessibleTextInsertEvent event(list, 0, text);
            QAccessible::updateAccessibility(&event);
        });
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return list()->currentText();
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? list()->currentText() : text;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list()->view()->isVisible();
        return state;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override
    {
        if (actionName != showMenuAction())
            return QAccessibleWidget::doAction(actionName);
        if (list()->view()->isVisible())
            list()->hidePopup();
        else
            list()->showPopup();
    }

    // The shown text: read only, the caret before it, and selected as a whole, as its item
    // is in the list; a reader says a new text that is selected and keeps quiet otherwise.
    QString text(int startOffset, int endOffset) const override
    {
        return list()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(list()->currentText().size()); }
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
    }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return {};
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* namedListAccessible(const QString&, QObject* object)
{
    auto* list = qobject_cast<QComboBox*>(object);
    return list && !list->isEditable() ? new NamedListAccessible(list) : nullptr;
}

// Qt tells the accessibility bus that a plain frame is a "frame", the role of a top-level
// window, and a plain top-level widget a "filler". A screen reader then takes the panel
// that holds a window's controls for the window, finds it never active and stays silent
// as the focus moves. A plain frame is a panel, a plain top-level widget a window.
QAccessibleInterface* plainWidgetAccessible(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("QFrame"))
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    QAccessible::installFactory(clickAccessible);
    QAccessible::installFactory(namedListAccessible);
    QAccessible::installFactory(plainWidgetAccessible);
}

} // namespace mensurio::ui
