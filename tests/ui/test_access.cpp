// What the desktop must not take away: readable text under any theme, keyboard presses of
// buttons, presses over the accessibility bus, and the look of a disabled main window.
#include "fakeplatform.h"
#include "shell/mainform.h"
#include "ui/widgets.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <memory>

using namespace mensurio;

namespace {

struct Harness {
    Harness() { mainForm->show(); }
    ~Harness() { mainForm.reset(); }
    QWidget* window(const QString& name)
    {
        return name == QLatin1String("MainForm") ? mainForm.get() : mainForm->windows().show(name);
    }
    test::FakePlatform platform;
    std::unique_ptr<MainForm> mainForm = std::make_unique<MainForm>(platform);
};

// WCAG 2 relative luminance and contrast ratio.
double luminance(const QColor& colour)
{
    auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour a widget's text is drawn in, and the colour under it.
std::pair<QColor, QColor> textAndBackground(const QWidget* widget)
{
    const QPalette& palette = widget->palette();
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget))
        return {palette.color(QPalette::Text), palette.color(QPalette::Base)};
    if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget))
        return {palette.color(QPalette::ButtonText), palette.color(QPalette::Button)};
    // A label is transparent: what shows through is the nearest painted ancestor.
    const QWidget* under = widget->parentWidget();
    while (!under->isWindow() && !under->autoFillBackground())
        under = under->parentWidget();
    return {palette.color(QPalette::WindowText), under->palette().color(under->backgroundRole())};
}

} // namespace

class TestAccess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void textIsReadable_data();
    void textIsReadable();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void clickablesOfferPress_data();
    void clickablesOfferPress();
    void disabledLinksAreGrey();
    void submenusKeepEdgeSeparators();
};

// Run once per desktop theme (see tests/CMakeLists.txt); a dark one made text vanish.
void TestAccess::textIsReadable_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("secondDirection");
    for (const char* window : {"MainForm", "Symbols", "AboutApp", "ForMensurio"})
        QTest::newRow(window) << window << false;
    QTest::newRow("Weight1 first direction") << "Weight1" << false;
    QTest::newRow("Weight1 second direction") << "Weight1" << true;
}

void TestAccess::textIsReadable()
{
    QFETCH(QString, window);
    QFETCH(bool, secondDirection);
    Harness h;
    QWidget* shown = h.window(window);
    if (secondDirection) {
        auto* parts = shown->findChild<QComboBox*>("Parts");
        parts->setCurrentIndex(1);
        emit parts->activated(1);
    }
    for (QLineEdit* field : shown->findChildren<QLineEdit*>())
        field->setText(QStringLiteral("12"));
    for (const QWidget* widget : shown->findChildren<QWidget*>()) {
        const bool text =
            qobject_cast<const QLabel*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
            qobject_cast<const QPlainTextEdit*>(widget) ||
            qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget);
        if (!text || !widget->isVisible())
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget);
            label && label->text().isEmpty())
            continue; // a picture
        const auto [fore, back] = textAndBackground(widget);
        const double ratio = contrast(fore, back);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2 on %3, %4:1")
                                              .arg(widget->objectName(), fore.name(), back.name())
                                              .arg(ratio, 0, 'f', 2)));
    }
}

void TestAccess::enterPressesFocusedButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("presses");

    const int keypad = Qt::KeypadModifier;
    QTest::newRow("main Command2, Return") << "MainForm"
                                           << "Command2" << int(Qt::Key_Return) << 0 << 1;
    QTest::newRow("main Command3, keypad Enter") << "MainForm"
                                                 << "Command3" << int(Qt::Key_Enter) << keypad << 1;
    QTest::newRow("About back, Enter") << "AboutApp"
                                       << "MinimizeToTray2" << int(Qt::Key_Enter) << 0 << 1;
    QTest::newRow("About licence, Return") << "AboutApp"
                                           << "Command1" << int(Qt::Key_Return) << 0 << 1;
    QTest::newRow("Symbols close, keypad Enter") << "Symbols"
                                                 << "Command1" << int(Qt::Key_Enter) << keypad << 1;
    QTest::newRow("Symbols export, Return") << "Symbols"
                                            << "Command2" << int(Qt::Key_Return) << 0 << 1;
    // Ctrl+Return is no press: it belongs to whatever shortcut may claim it.
    QTest::newRow("main Command2, Ctrl+Return")
        << "MainForm"
        << "Command2" << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
}

void TestAccess::enterPressesFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, presses);
    Harness h;
    auto* target = h.window(window)->findChild<QAbstractButton*>(button);
    QVERIFY(target);
    target->setFocus();
    QSignalSpy clicked(target, &QAbstractButton::clicked);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicked.count(), presses);
}

void TestAccess::clickablesOfferPress_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name"); // empty: the control does nothing on a click

    QTest::newRow("main pair link") << "MainForm"
                                    << "Label9"
                                    << "Pound <> Kilogram";
    QTest::newRow("main minimize picture") << "MainForm"
                                           << "Image31"
                                           << "Minimize to taskbar";
    QTest::newRow("main donate picture") << "MainForm"
                                         << "Image29"
                                         << "Donate with PayPal";
    QTest::newRow("pair notepad") << "Length2"
                                  << "NotePad"
                                  << "Notepad of Lenght";
    QTest::newRow("pair erase") << "Length2"
                                << "Image2"
                                << "Erase current results";
    QTest::newRow("pair hide") << "Length2"
                               << "Image1"
                               << "Close this window";
    QTest::newRow("About vote link") << "AboutApp"
                                     << "Label10"
                                     << "Note : If you liked Mensurio please vote for it at Filez";
    QTest::newRow("feedback exit picture") << "ForMensurio"
                                           << "Image4"
                                           << "Exit Typelore";
    QTest::newRow("feedback note picture") << "ForMensurio"
                                           << "Image1"
                                           << "Note!";
    QTest::newRow("feedback tell-a-friend") << "ForMensurio"
                                            << "Label4"
                                            << "Tell-a-friend";
    QTest::newRow("category picture: no act") << "MainForm"
                                              << "Image6"
                                              << "";
    QTest::newRow("feedback section picture: no act") << "ForMensurio"
                                                      << "Image29"
                                                      << "";
}

void TestAccess::clickablesOfferPress()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    Harness h;
    auto* target = h.window(window)->findChild<ui::ClickLabel*>(control);
    QVERIFY(target);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(target);
    QVERIFY(accessible);
    QAccessibleActionInterface* actions = accessible->actionInterface();
    const bool offersPress =
        actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction());
    QCOMPARE(offersPress, !name.isEmpty());
    if (!offersPress)
        return;
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QSignalSpy clicked(target, &ui::ClickLabel::clicked);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(target->focusPolicy(), Qt::NoFocus);
}

void TestAccess::disabledLinksAreGrey()
{
    Harness h;
    QWidget* link = h.mainForm->findChild<QWidget*>("Label29");
    // Link blue: blue well above red and green; the disabled text colour is a neutral grey.
    auto bluePixels = [link] {
        const QImage image = link->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.blue() - std::max(c.red(), c.green()) > 60 ? 1 : 0;
            }
        }
        return count;
    };
    QVERIFY(bluePixels() > 0);
    h.mainForm->setEnabled(false);
    QCOMPARE(bluePixels(), 0);
    h.mainForm->setEnabled(true);
    QVERIFY(bluePixels() > 0);
}

void TestAccess::submenusKeepEdgeSeparators()
{
    Harness h;
    for (const char* name :
         {"WeightMenu", "LenghtMenu", "AreaMenu", "VolumeMenu", "TemperatureMenu"}) {
        auto* menu = h.mainForm->findChild<QMenu*>(name);
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        for (QAction* edge : {actions.first(), actions.last()}) {
            QVERIFY2(edge->isSeparator(), name);
            QVERIFY2(menu->actionGeometry(edge).height() > 0, name);
        }
    }
}

QTEST_MAIN(TestAccess)
#include "test_access.moc"
