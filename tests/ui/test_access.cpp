// What the desktop must not take away: readable text under any theme, keyboard presses of
// buttons, presses over the accessibility bus, and the look of a disabled main window.
#include "core/product.h"
#include "expected.h"
#include "fakeplatform.h"
#include "shell/mainwindow.h"
#include "ui/controls.h"
#include "ui/style.h"
#include "windows.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace mensurio;

namespace {

// WCAG 2 relative luminance.
double luminance(const QColor& colour)
{
    double sum = 0;
    for (auto [c, weight] :
         {std::pair{colour.redF(), 0.2126}, {colour.greenF(), 0.7152}, {colour.blueF(), 0.0722}})
        sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    return sum;
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void init() { mainWindow = std::make_unique<MainWindow>(platform), mainWindow->show(); }
    void cleanup() { mainWindow.reset(); }

    void textIsReadable_data();
    void textIsReadable();
    void enterPressesButton_data();
    void enterPressesButton();
    void clickablesOfferPress_data();
    void clickablesOfferPress();
    void disabledLinksTurnGrey();
    void focusSaysWhereYouAre_data();
    void focusSaysWhereYouAre();

private:
    QWidget* window(const QString& name)
    {
        return name == QLatin1String("MainForm") ? mainWindow.get()
                                                 : test::named(mainWindow->windows()).show(name);
    }
    test::FakePlatform platform;
    std::unique_ptr<MainWindow> mainWindow;
};

// Also run under a dark desktop theme (tests/CMakeLists.txt): text vanished there.
void TestAccess::textIsReadable_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("direction"); // of a pair window
    for (const char* name : {"MainForm", "Symbols", "AboutApp", "ForMensurio"})
        QTest::newRow(name) << name << 0;
    QTest::newRow("Weight1 first direction") << "Weight1" << 0;
    QTest::newRow("Weight1 second direction") << "Weight1" << 1;
}

void TestAccess::textIsReadable()
{
    QFETCH(QString, window);
    QFETCH(int, direction);
    QWidget* shown = this->window(window);
    if (auto* parts = shown->findChild<QComboBox*>("Parts"))
        parts->setCurrentIndex(direction), emit parts->activated(direction);
    for (QWidget* widget : shown->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        const bool field = widget->inherits("QLineEdit") || widget->inherits("QPlainTextEdit");
        if (!widget->isVisible() || !(field || (label && !label->text().isEmpty())))
            continue;
        // A label shows the nearest painted widget under it; a field paints its own base.
        const QWidget* under = widget;
        while (!field && under != shown && !(under = under->parentWidget())->autoFillBackground()) {
        }
        const QColor fore = widget->palette().color(field ? QPalette::Text : QPalette::WindowText);
        const QColor back = field ? widget->palette().color(QPalette::Base)
                                  : under->palette().color(under->backgroundRole());
        const double ratio = (std::max(luminance(fore), luminance(back)) + 0.05) /
                             (std::min(luminance(fore), luminance(back)) + 0.05);
        QVERIFY2(ratio >= 4.5, qPrintable(widget->objectName() + ": " + fore.name() + " on " +
                                          back.name() + ", " + QString::number(ratio) + ":1"));
    }
}

void TestAccess::enterPressesButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("repeats"); // auto-repeated presses after the first, key held down
    const int keypad = Qt::KeypadModifier, ctrl = Qt::ControlModifier;
    QTest::newRow("main, Return") << "MainForm"
                                  << "Command2" << int(Qt::Key_Return) << 0 << 1 << 0;
    QTest::newRow("main, keypad Enter") << "MainForm"
                                        << "Command3" << int(Qt::Key_Enter) << keypad << 1 << 0;
    QTest::newRow("About, Enter") << "AboutApp"
                                  << "MinimizeToTray2" << int(Qt::Key_Enter) << 0 << 1 << 0;
    QTest::newRow("Symbols, Return") << "Symbols"
                                     << "Command1" << int(Qt::Key_Return) << 0 << 1 << 0;
    QTest::newRow("Return held down presses once")
        << "MainForm"
        << "Command2" << int(Qt::Key_Return) << 0 << 1 << 3;
    QTest::newRow("Ctrl+Return is no press") << "MainForm"
                                             << "Command2" << int(Qt::Key_Return) << ctrl << 0 << 0;
}

void TestAccess::enterPressesButton()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, presses);
    QFETCH(int, repeats);
    auto* target = this->window(window)->findChild<QAbstractButton*>(button);
    QSignalSpy clicked(target, &QAbstractButton::clicked);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    for (int i = 0; i < repeats; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString(), true);
        QApplication::sendEvent(target, &repeat);
    }
    QCOMPARE(clicked.count(), presses);
}

void TestAccess::clickablesOfferPress_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name"); // empty: a click does nothing there
    QTest::addColumn<QString>("way");  // how it is pressed: only a plain "press" clicks
    QTest::newRow("main pair link") << "MainForm"
                                    << "Label9"
                                    << "Pound <> Kilogram"
                                    << "press";
    QTest::newRow("main pair link, main window disabled") << "MainForm"
                                                          << "Label9"
                                                          << "Pound <> Kilogram"
                                                          << "press, window disabled";
    QTest::newRow("main pair link, mouse released outside") << "MainForm"
                                                            << "Label9"
                                                            << "Pound <> Kilogram"
                                                            << "mouse released outside";
    QTest::newRow("main pair link, another button pressed during the click") << "MainForm"
                                                                             << "Label9"
                                                                             << "Pound <> Kilogram"
                                                                             << "another button";
    QTest::newRow("main donate picture") << "MainForm"
                                         << "Image29"
                                         << "Donate with PayPal"
                                         << "press";
    QTest::newRow("pair notepad") << "Length2"
                                  << "NotePad"
                                  << "Notepad of Lenght"
                                  << "press";
    QTest::newRow("pair erase") << "Length2"
                                << "Image2"
                                << "Erase current results"
                                << "press";
    QTest::newRow("About mail link") << "AboutApp"
                                     << "Label6" << expected::supportAddress << "press";
    QTest::newRow("feedback note picture") << "ForMensurio"
                                           << "Image1"
                                           << "Note!"
                                           << "press";
    QTest::newRow("category picture: no press") << "MainForm"
                                                << "Image6"
                                                << ""
                                                << "press";
    QTest::newRow("feedback section picture: no press") << "ForMensurio"
                                                        << "Image29"
                                                        << ""
                                                        << "press";
}

void TestAccess::clickablesOfferPress()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, way);
    auto* target = this->window(window)->findChild<ui::ClickLabel*>(control);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(target);
    QAccessibleActionInterface* actions = accessible->actionInterface();
    const QString press = QAccessibleActionInterface::pressAction();
    QCOMPARE(actions && actions->actionNames().contains(press), !name.isEmpty());
    if (name.isEmpty())
        return;
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QSignalSpy clicked(target, &ui::ClickLabel::clicked);
    if (way == QLatin1String("mouse released outside")) {
        QTest::mousePress(target, Qt::LeftButton);
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(-1, -1));
    } else if (way == QLatin1String("another button")) {
        QTest::mousePress(target, Qt::LeftButton);
        QTest::mousePress(target, Qt::RightButton);
        QTest::mouseRelease(target, Qt::LeftButton);
    } else {
        target->window()->setEnabled(way == QLatin1String("press"));
        actions->doAction(press);
    }
    QCOMPARE(clicked.count(), way == QLatin1String("press") ? 1 : 0);
    QCOMPARE(target->focusPolicy(), Qt::NoFocus);
}

void TestAccess::disabledLinksTurnGrey()
{
    QWidget* link = mainWindow->findChild<QWidget*>("Label29");
    mainWindow->setEnabled(false);
    // What a label draws with: the colour of the group its state selects.
    QCOMPARE(link->palette().color(QPalette::Disabled, QPalette::WindowText),
             QColor(190, 190, 190));
    mainWindow->setEnabled(true);
    QCOMPARE(link->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 192));
}

// A screen reader speaks a focused control as part of the window the focus is in: the
// nearest ancestor that is a window must be the window itself, or the reader stays silent.
// It reads a drop-down list's value from its text, and says a new text that is selected.
void TestAccess::focusSaysWhereYouAre_data()
{
    QTest::addColumn<int>("tabs"); // from Var1, which has the focus when the window shows
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shownAfterDown"); // selected text after Down, if any
    QTest::newRow("Var2") << 1 << "Var2"
                          << "Kilogram"
                          << "5.4432"
                          << "";
    QTest::newRow("Var1") << 3 << "Var1"
                          << "Pound"
                          << "12"
                          << "";
    QTest::newRow("Parts") << 2 << "Parts"
                           << "Conversion direction"
                           << "Pound - Kilogram"
                           << "Kilogram - Pound";
}

void TestAccess::focusSaysWhereYouAre()
{
    QFETCH(int, tabs);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, shownAfterDown);
    QWidget* shown = window(QStringLiteral("Weight1"));
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QTest::keyClicks(shown->findChild<QLineEdit*>("Var1"), QStringLiteral("12"));
    auto* target = shown->findChild<QWidget*>(control);
    for (int i = 0; i < tabs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(target);
    QVERIFY(accessible->state().focused);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Value), value);
    QAccessibleInterface* frame = accessible->parent();
    while (frame && !QList{QAccessible::Window, QAccessible::Dialog, QAccessible::Border}.contains(
                        frame->role()))
        frame = frame->parent();
    QVERIFY(frame);
    QCOMPARE(frame->object(), shown);
    QCOMPARE(frame->role(), QAccessible::Window);
    QVERIFY(frame->state().active);

    if (shownAfterDown.isEmpty())
        return;
    QTest::keyClick(target, Qt::Key_Down);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text);
    int start = -1, end = -1;
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    QCOMPARE(text->text(start, end), shownAfterDown);
}

QTEST_MAIN(TestAccess)
#include "test_access.moc"
