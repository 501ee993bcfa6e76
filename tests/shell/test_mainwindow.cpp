#include "core/product.h"
#include "fakeplatform.h"
#include "pairs/pairwindow.h"
#include "platform/desktopplatform.h"
#include "platform/instancelock.h"
#include "shell/mainwindow.h"
#include "ui/controls.h"
#include "ui/style.h"
#include "windows.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

using namespace mensurio;

namespace {

struct Harness {
    Harness() : mainWindow(std::make_unique<MainWindow>(platform))
    {
        mainWindow->show();
        // The pair menus are made as the menu first opens.
        auto* conversions = find<QMenu>(QStringLiteral("Conversions"));
        conversions->popup(QPoint());
        conversions->hide();
    }
    ~Harness()
    {
        // The registry owns the secondary windows; destroying the main window takes them along.
        mainWindow.reset();
    }
    template <typename T> T* find(const QString& name) const
    {
        T* child = mainWindow->findChild<T*>(name);
        if (!child)
            qWarning("no %s", qPrintable(name));
        return child;
    }
    QAction* action(const QString& name) const { return find<QAction>(name); }
    void click(const QString& name) const
    {
        QTest::mouseClick(find<QWidget>(name), Qt::LeftButton);
    }

    test::FakePlatform platform;
    std::unique_ptr<MainWindow> mainWindow;
};

int visibleTopLevels()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->isVisible() ? 1 : 0;
    return count;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void lockAnswersWhetherToRun_data();
    void lockAnswersWhetherToRun();
    void closeAppAsks_data();
    void closeAppAsks();
    void endingWithoutQuestion_data();
    void endingWithoutQuestion();
    void minimizeCommandsLeavePairWindows_data();
    void minimizeCommandsLeavePairWindows();
    void pairCommandsShowOneInstance_data();
    void pairCommandsShowOneInstance();
    void hiddenPairWindowReturnsWithValues();
    void frameClosedPairWindowComesBackNew();
    void everyPairIsReachable();
    void shortcutsPassThroughFocusedText1_data();
    void shortcutsPassThroughFocusedText1();
    void escapeLeavesSecondaryWindows_data();
    void escapeLeavesSecondaryWindows();
    void symbolsLeavesTheMainWindowLockedBehindAbout();
    void windowsOpenOnTheMainWindowsScreen_data();
    void windowsOpenOnTheMainWindowsScreen();
};

void TestMainWindow::lockAnswersWhetherToRun_data()
{
    QTest::addColumn<bool>("anotherCopy");
    QTest::newRow("first copy runs") << false;
    QTest::newRow("second copy ends") << true;
}

void TestMainWindow::lockAnswersWhetherToRun()
{
    QFETCH(bool, anotherCopy);
    // main() answers from the lock it takes in the home folder before the toolkit starts;
    // the main window asks nothing more.
    QTemporaryDir home;
    QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray homePath = QFile::encodeName(home.path());
    std::optional<InstanceLock> running;
    if (anotherCopy)
        running = InstanceLock::take(homePath, "machine");
    const InstanceLock lock = InstanceLock::take(homePath, "machine");
    QCOMPARE(lock.state() == InstanceLock::State::HeldByAnotherCopy, anotherCopy);
    test::FakePlatform platform;
    MainWindow mainWindow(platform);
    // Silently: no message either way.
    QVERIFY(platform.messages.isEmpty());
}

void TestMainWindow::closeAppAsks_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("yes");

    QTest::newRow("Quit, Yes") << "Quit" << true;
    QTest::newRow("Quit, No") << "Quit" << false;
    QTest::newRow("Command4, Yes") << "Command4" << true;
    QTest::newRow("Command4, No") << "Command4" << false;
}

void TestMainWindow::closeAppAsks()
{
    QFETCH(QString, command);
    QFETCH(bool, yes);

    Harness h;
    auto* pair = test::named(h.mainWindow->windows()).show<PairWindow>(QStringLiteral("Length5"));
    QTest::keyClicks(pair->findChild<QLineEdit*>("Var1"), QStringLiteral("3"));
    h.platform.messageAnswers = {yes ? MessageAnswer::Yes : MessageAnswer::No};

    if (command == QLatin1String("Quit"))
        h.action(command)->trigger();
    else
        h.click(command);

    QCOMPARE(h.platform.messages.size(), 1);
    const auto& message = h.platform.messages.first();
    QCOMPARE(message.text, QStringLiteral("Are you sure you want to close Mensurio"));
    QCOMPARE(message.title, product::text(product::name));
    QCOMPARE(message.buttons, MessageButtons::YesNo);
    QCOMPARE(message.icon, MessageIcon::Question);
    QCOMPARE(h.platform.endRequests, yes ? 1 : 0);
    if (!yes) {
        // No leaves everything as it was, open pair windows and their values included.
        QVERIFY(h.mainWindow->isVisible());
        QVERIFY(pair->isVisible());
        QCOMPARE(pair->findChild<QLineEdit*>("Var2")->text(), QStringLiteral("7.62"));
    }
}

void TestMainWindow::endingWithoutQuestion_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("alsoShown");
    QTest::newRow("exit picture") << "Image30"
                                  << "";
    QTest::newRow("window frame close") << "frame"
                                        << "";
    // A disabled main window still ends everything when its frame closes it.
    QTest::newRow("frame close during About") << "frame"
                                              << "About";
    QTest::newRow("frame close during feedback") << "frame"
                                                 << "LikeIt";
}

void TestMainWindow::endingWithoutQuestion()
{
    QFETCH(QString, road);
    QFETCH(QString, alsoShown);
    Harness h;
    test::named(h.mainWindow->windows()).show(QStringLiteral("Weight1"));
    if (!alsoShown.isEmpty()) {
        h.action(alsoShown)->trigger();
        QVERIFY(!h.mainWindow->isEnabled());
    }
    if (road == QLatin1String("frame"))
        h.mainWindow->close();
    else
        h.click(road);
    QVERIFY(h.platform.messages.isEmpty());
    QCOMPARE(h.platform.endRequests, 1);
}

void TestMainWindow::minimizeCommandsLeavePairWindows_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("menu Minimize") << "Minimize";
    QTest::newRow("button Command1") << "Command1";
    QTest::newRow("picture Image31") << "Image31";
}

void TestMainWindow::minimizeCommandsLeavePairWindows()
{
    QFETCH(QString, command);
    Harness h;
    QWidget* pair = test::named(h.mainWindow->windows()).show(QStringLiteral("Temp2"));
    if (QAction* action = h.mainWindow->findChild<QAction*>(command))
        action->trigger();
    else
        h.click(command);
    QVERIFY(h.mainWindow->windowState() & Qt::WindowMinimized);
    QVERIFY(pair->isVisible());
    QVERIFY(!(pair->windowState() & Qt::WindowMinimized));
    QCOMPARE(h.platform.endRequests, 0);
}

void TestMainWindow::pairCommandsShowOneInstance_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("minimised"); // the window is minimised between the two commands

    QTest::newRow("label twice") << "Label9"
                                 << "Label9"
                                 << "Weight1" << false;
    QTest::newRow("label then menu item") << "Label9"
                                          << "WeightMenu1"
                                          << "Weight1" << false;
    QTest::newRow("menu item then label") << "AreaMeun5"
                                          << "Label19"
                                          << "Area5" << false;
    QTest::newRow("misspelt menu names") << "LenghtMenu3"
                                         << "Label18"
                                         << "Length3" << false;
    QTest::newRow("minimised, label again restores it") << "Label9"
                                                        << "Label9"
                                                        << "Weight1" << true;
}

void TestMainWindow::pairCommandsShowOneInstance()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, window);
    QFETCH(bool, minimised);

    Harness h;
    for (const QString& command : {first, second}) {
        if (QWidget* open = test::named(h.mainWindow->windows()).existing(window);
            open && minimised)
            open->setWindowState(Qt::WindowMinimized);
        if (QAction* action = h.mainWindow->findChild<QAction*>(command))
            action->trigger();
        else
            h.click(command);
    }
    QWidget* shown = test::named(h.mainWindow->windows()).existing(window);
    QVERIFY(shown);
    QVERIFY(shown->isVisible());
    QVERIFY(!shown->isMinimized());
    QCOMPARE(visibleTopLevels(), 2); // the main window and one pair window
    int pairWindows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        pairWindows += widget->objectName() == window ? 1 : 0;
    QCOMPARE(pairWindows, 1);
}

void TestMainWindow::hiddenPairWindowReturnsWithValues()
{
    Harness h;
    h.click(QStringLiteral("Label13")); // Inch <> Centimetre
    auto* pair =
        qobject_cast<PairWindow*>(test::named(h.mainWindow->windows()).existing("Length5"));
    QVERIFY(pair);
    QTest::keyClicks(pair->findChild<QLineEdit*>("Var1"), QStringLiteral("12"));
    QTest::mouseClick(pair->findChild<QWidget*>("Image1"), Qt::LeftButton);
    QVERIFY(!pair->isVisible());
    h.action(QStringLiteral("LenghtMenu5"))->trigger();
    QCOMPARE(test::named(h.mainWindow->windows()).existing("Length5"), pair);
    QVERIFY(pair->isVisible());
    QCOMPARE(pair->findChild<QLineEdit*>("Var2")->text(), QStringLiteral("30.48"));
}

void TestMainWindow::frameClosedPairWindowComesBackNew()
{
    Harness h;
    auto* pair = test::named(h.mainWindow->windows()).show<PairWindow>(QStringLiteral("Temp1"));
    QTest::keyClick(pair->findChild<QWidget*>("Parts"), Qt::Key_Down);
    QTest::keyClicks(pair->findChild<QLineEdit*>("Var2"), QStringLiteral("100"));
    QPointer<QWidget> old = pair;
    pair->close();
    QTRY_VERIFY(old.isNull());
    QCOMPARE(test::named(h.mainWindow->windows()).existing("Temp1"), nullptr);

    h.click(QStringLiteral("Label26"));
    auto* fresh = qobject_cast<PairWindow*>(test::named(h.mainWindow->windows()).existing("Temp1"));
    QVERIFY(fresh);
    QVERIFY(fresh->findChild<QLineEdit*>("Var1")->text().isEmpty());
    QVERIFY(fresh->findChild<QLineEdit*>("Var2")->text().isEmpty());
    QVERIFY(!fresh->findChild<QLineEdit*>("Var1")->isReadOnly());
    QCOMPARE(h.platform.endRequests, 0); // a pair window's close never ends the program
}

void TestMainWindow::everyPairIsReachable()
{
    // Each catalogue row has a link label and a menu item that open its own window.
    Harness h;
    const QList<ui::ClickLabel*> labels = h.mainWindow->findChildren<ui::ClickLabel*>();
    QSet<QString> opened;
    for (ui::ClickLabel* label : labels) {
        if (!label->objectName().startsWith(QLatin1String("Label")))
            continue;
        const int before = visibleTopLevels();
        QTest::mouseClick(label, Qt::LeftButton);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* pair = qobject_cast<PairWindow*>(widget); pair && pair->isVisible()) {
                if (!opened.contains(pair->objectName())) {
                    QCOMPARE(pair->pair().titleText(), label->text());
                    opened.insert(pair->objectName());
                }
            }
        }
        QCOMPARE(visibleTopLevels(), before + 1);
    }
    QCOMPARE(opened.size(), 22);
}

void TestMainWindow::shortcutsPassThroughFocusedText1_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Ctrl+W web page")
        << QKeySequence("Ctrl+W") << "shell " + product::text(product::homePage);
    QTest::newRow("Ctrl+T support mail")
        << QKeySequence("Ctrl+T") << "shell mailto:" + product::text(product::supportAddress);
    QTest::newRow("F2 calculator") << QKeySequence("F2") << "shell calculator";
    QTest::newRow("Ctrl+L licence")
        << QKeySequence("Ctrl+L") << "message The license agreement file could not be opened:";
    QTest::newRow("Ctrl+E close") << QKeySequence("Ctrl+E")
                                  << "message Are you sure you want to close Mensurio";
    QTest::newRow("Ctrl+M minimize") << QKeySequence("Ctrl+M") << "minimized";
    QTest::newRow("F1 symbols") << QKeySequence("F1") << "window Symbols";
    QTest::newRow("Ctrl+A about") << QKeySequence("Ctrl+A") << "window AboutApp";
    QTest::newRow("Ctrl+I feedback") << QKeySequence("Ctrl+I") << "window ForMensurio";
}

void TestMainWindow::shortcutsPassThroughFocusedText1()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, effect);

    Harness h;
    h.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.mainWindow.get()));
    auto* text1 = h.find<QLineEdit>(QStringLiteral("Text1"));
    QTRY_COMPARE(QApplication::focusWidget(), text1);
    QTest::keySequence(text1, keys);

    const QString kind = effect.section(' ', 0, 0);
    const QString detail = effect.section(' ', 1);
    if (kind == QLatin1String("shell")) {
        QCOMPARE(h.platform.launches.size(), 1);
        QCOMPARE(h.platform.launches.first().target, detail);
    } else if (kind == QLatin1String("message")) {
        QCOMPARE(h.platform.messages.size(), 1);
        QVERIFY2(h.platform.messages.first().text.startsWith(detail),
                 qPrintable(h.platform.messages.first().text));
    } else if (kind == QLatin1String("minimized")) {
        QVERIFY(h.mainWindow->windowState() & Qt::WindowMinimized);
    } else {
        QWidget* window = test::named(h.mainWindow->windows()).existing(detail);
        QVERIFY(window);
        QVERIFY(window->isVisible());
    }
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

void TestMainWindow::escapeLeavesSecondaryWindows_data()
{
    QTest::addColumn<QString>("command"); // the main window's action that shows the window
    QTest::addColumn<QString>("window");

    QTest::newRow("pair window") << "LenghtMenu5"
                                 << "Length5";
    QTest::newRow("Symbols") << "VIP"
                             << "Symbols";
    QTest::newRow("About") << "About"
                           << "AboutApp";
    QTest::newRow("feedback") << "LikeIt"
                              << "ForMensurio";
    QTest::newRow("main window ignores it") << ""
                                            << "MainForm";
}

void TestMainWindow::escapeLeavesSecondaryWindows()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    Harness h;
    if (!command.isEmpty())
        h.action(command)->trigger();
    QWidget* shown = command.isEmpty() ? h.mainWindow.get()
                                       : test::named(h.mainWindow->windows()).existing(window);
    QVERIFY(shown && shown->isVisible());
    auto* var1 = shown->findChild<QLineEdit*>("Var1");
    if (var1) // a pair window keeps its texts
        QTest::keyClicks(var1, QStringLiteral("12"));
    shown->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), shown);

    QTest::keyClick(shown, Qt::Key_Escape);
    QCOMPARE(shown->isVisible(), command.isEmpty());
    QVERIFY(h.mainWindow->isVisible());
    QVERIFY(h.mainWindow->isEnabled());
    QCOMPARE(test::named(h.mainWindow->windows()).existing(window),
             command.isEmpty() ? nullptr : shown);
    if (var1) // hidden as by its close picture, which leaves the activation to the desktop
        QCOMPARE(shown->findChild<QLineEdit*>("Var2")->text(), QStringLiteral("30.48"));
    else
        QTRY_COMPARE(QApplication::activeWindow(), h.mainWindow.get());
    QCOMPARE(h.platform.endRequests, 0);
}

void TestMainWindow::windowsOpenOnTheMainWindowsScreen_data()
{
    QTest::addColumn<QString>("command"); // the action that shows the window; none: the main
                                          // window, "box": a message box over it

    QTest::newRow("main window, on the pointer's screen") << "";
    QTest::newRow("pair window") << "WeightMenu1";
    QTest::newRow("Symbols") << "VIP";
    QTest::newRow("About") << "About";
    QTest::newRow("feedback") << "LikeIt";
    QTest::newRow("message box") << "box";
}

// Run with two screens side by side (see CMakeLists.txt): the main window opens where the
// pointer is, on the second screen; the pointer then goes back to the first, and every other
// window still opens on the main window's screen, centred on it.
void TestMainWindow::windowsOpenOnTheMainWindowsScreen()
{
    QFETCH(QString, command);
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        QSKIP("needs two screens");
    QScreen* second = screens.at(1);
    QCursor::setPos(second->geometry().center());
    Harness h;
    QVERIFY(QTest::qWaitForWindowExposed(h.mainWindow.get()));
    QCursor::setPos(screens.at(0)->geometry().center());

    QRect shown;
    if (command.isEmpty()) {
        shown = h.mainWindow->frameGeometry();
    } else if (command == QLatin1String("box")) {
        DesktopPlatform desktop;
        QTimer::singleShot(0, h.mainWindow.get(), [&shown] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            shown = box->frameGeometry();
            box->close();
        });
        desktop.messageBox(h.mainWindow.get(), QStringLiteral("Text"), QString(),
                           MessageButtons::Ok, MessageIcon::Information);
    } else {
        h.action(command)->trigger();
        QWidget* window = QApplication::activeModalWidget();
        for (QWidget* top : QApplication::topLevelWidgets())
            window = top != h.mainWindow.get() && top->isVisible() ? top : window;
        QVERIFY(window);
        shown = window->frameGeometry();
    }
    const QPoint offset = shown.center() - second->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("centre off by %1,%2").arg(offset.x()).arg(offset.y())));
}

void TestMainWindow::symbolsLeavesTheMainWindowLockedBehindAbout()
{
    Harness h;
    h.action(QStringLiteral("VIP"))->trigger();
    h.action(QStringLiteral("About"))->trigger();
    const test::NamedWindows windows = test::named(h.mainWindow->windows());
    QTest::mouseClick(windows.existing("Symbols")->findChild<QWidget*>("Command1"), Qt::LeftButton);
    QVERIFY(!windows.existing("Symbols")->isVisible());
    QVERIFY(!h.mainWindow->isEnabled()); // About still holds it
    windows.existing("AboutApp")->close();
    QVERIFY(h.mainWindow->isEnabled());
}
