#include "core/product.h"
#include "expected.h"
#include "fakeplatform.h"
#include "shell/mainwindow.h"
#include "ui/style.h"
#include "windows.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace mensurio;

namespace {

// A real main window with its registry, so the windows open through the real commands.
struct Harness {
    Harness() { mainWindow->show(); }
    ~Harness() { mainWindow.reset(); } // takes the registry's windows along

    QWidget* open(const QString& window)
    {
        if (window == QLatin1String("AboutApp"))
            QTest::mouseClick(mainWindow->findChild<QWidget*>("Command3"), Qt::LeftButton);
        else
            mainWindow->findChild<QAction*>("LikeIt")->trigger();
        return test::named(mainWindow->windows()).existing(window);
    }
    static void click(QWidget* window, const QString& control)
    {
        QTest::mouseClick(window->findChild<QWidget*>(control), Qt::LeftButton);
    }

    test::FakePlatform platform;
    std::unique_ptr<MainWindow> mainWindow = std::make_unique<MainWindow>(platform);
};

const QString webPage = expected::homePage;

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::initialise(); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void userNameIsReadOnce_data();
    void userNameIsReadOnce();
    void mainWindowLockedWhileShown_data();
    void mainWindowLockedWhileShown();
    void tellAFriend_data();
    void tellAFriend();
    void launches_data();
    void launches();
    void controlsClearAndNamed_data();
    void controlsClearAndNamed();
};

void TestAbout::userNameIsReadOnce_data()
{
    QTest::addColumn<QString>("login"); // a null text makes the call fail
    QTest::addColumn<QString>("shown");
    const QString fits(143, u'n');
    QTest::newRow("ordinary name") << QStringLiteral("ada") << QStringLiteral("ada");
    QTest::newRow("143 characters fit beside the NUL") << fits << fits;
    QTest::newRow("144 characters do not fit: blank") << QString(144, u'n') << "";
    QTest::newRow("failing call: blank") << QString() << "";
}

void TestAbout::userNameIsReadOnce()
{
    QFETCH(QString, login);
    QFETCH(QString, shown);
    Harness h;
    h.platform.login = login.isNull() ? std::nullopt : std::optional<QString>(login);
    QWidget* about = h.open(QStringLiteral("AboutApp"));
    auto* userName = about->findChild<QLabel*>("UserName");
    QCOMPARE(userName->text(), shown);
    QCOMPARE(userName->height(), 13); // a line of the 8.25 pt face, as every one-line label

    // A later showing shows the name read at the first one.
    Harness::click(about, QStringLiteral("MinimizeToTray2"));
    h.platform.login = QStringLiteral("someone.else");
    QCOMPARE(h.open(QStringLiteral("AboutApp")), about);
    QCOMPARE(userName->text(), shown);
    QCOMPARE(h.platform.loginQueries, 1);
}

void TestAbout::mainWindowLockedWhileShown_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("leaveBy"); // empty: the title bar's close box
    auto row = [](const char* tag, const char* window, const char* input, const char* leaveBy) {
        QTest::newRow(tag) << QString(window) << QString(input) << QString(leaveBy);
    };
    row("About: click, back button", "AboutApp", "click", "MinimizeToTray2");
    row("About: key, close box", "AboutApp", "key", "");
    row("About: shortcut, back button", "AboutApp", "shortcut", "MinimizeToTray2");
    row("feedback: click, close box", "ForMensurio", "click", "");
    row("feedback: key, exit picture", "ForMensurio", "key", "Image4");
    row("feedback: shortcut, close box", "ForMensurio", "shortcut", "");
}

void TestAbout::mainWindowLockedWhileShown()
{
    QFETCH(QString, window);
    QFETCH(QString, input);
    QFETCH(QString, leaveBy);
    Harness h;
    QWidget* command2 = h.mainWindow->findChild<QWidget*>("Command2"); // "Mensurio on the web"
    auto tryInput = [&] {
        if (input == QLatin1String("click")) {
            QTest::mouseClick(command2, Qt::LeftButton);
        } else if (input == QLatin1String("key")) {
            command2->setFocus();
            QTest::keyClick(h.mainWindow->windowHandle(), Qt::Key_Space);
        } else {
            QTest::keyClick(h.mainWindow.get(), Qt::Key_W, Qt::ControlModifier);
        }
    };

    QWidget* shown = h.open(window);
    QVERIFY(shown->isVisible());
    QVERIFY(!h.mainWindow->isEnabled());
    // Even brought to the front, the locked main window takes nothing.
    h.mainWindow->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), h.mainWindow.get());
    tryInput();
    QCOMPARE(h.platform.launches.size(), 0);

    shown->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), shown);
    if (leaveBy.isEmpty())
        shown->close();
    else
        Harness::click(shown, leaveBy);
    QVERIFY(!shown->isVisible());
    QVERIFY(h.mainWindow->isEnabled());
    QTRY_COMPARE(QApplication::activeWindow(), h.mainWindow.get());
    QCOMPARE(test::named(h.mainWindow->windows()).existing(window), shown); // hidden, not unloaded

    tryInput();
    QCOMPARE(h.platform.launches.size(), 1);
    QCOMPARE(h.platform.launches.first().target, webPage);
}

void TestAbout::tellAFriend_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QStringList>("launched");
    const QString address = QStringLiteral("ada@example.org");
    QTest::newRow("Cancel") << QStringList{""} << "" << QStringList{};
    QTest::newRow("only blanks, handed on")
        << QStringList{"   "} << "   " << QStringList{"mailto:   "};
    QTest::newRow("an address") << QStringList{address} << address
                                << QStringList{"mailto:" + address};
    QTest::newRow("Cancel clears the last address")
        << QStringList{address, ""} << "" << QStringList{"mailto:" + address};
}

void TestAbout::tellAFriend()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, mail);
    QFETCH(QStringList, launched);
    Harness h;
    h.platform.inputAnswers = answers;
    QWidget* feedback = h.open(QStringLiteral("ForMensurio"));
    for (qsizetype i = 0; i < answers.size(); ++i)
        Harness::click(feedback, QStringLiteral("Label4"));

    QCOMPARE(h.platform.inputs.size(), answers.size());
    for (const auto& input : h.platform.inputs)
        QVERIFY(input.prompt == QLatin1String("Please insert your friend's full mail address:") &&
                input.title == QLatin1String("Tell-a-friend") && input.defaultText.isEmpty());
    QStringList files;
    for (const auto& launch : h.platform.launches) {
        // Like the support mail: over no window, from the home folder.
        QVERIFY(!launch.hadOwner && launch.folder == QLatin1String("/nonexistent/home"));
        files << launch.target;
    }
    QCOMPARE(files, launched);

    // The address is all the window keeps between showings.
    Harness::click(feedback, QStringLiteral("Image4"));
    QCOMPARE(h.open(QStringLiteral("ForMensurio")), feedback);
    QVERIFY(!h.mainWindow->isEnabled());
    QCOMPARE(feedback->findChild<QLineEdit*>("Mail")->text(), mail);
}

void TestAbout::launches_data()
{
    // "open": opened over the main window; "address": an address opened over no window
    // from the home folder; "note": an information box.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("outcome"); // <program> stands for the program folder
    auto row = [](const char* tag, const char* window, const char* control,
                  const QString& outcome) {
        QTest::newRow(tag) << QString(window) << QString(control) << outcome;
    };
    row("About vote link", "AboutApp", "Label10", "address: " + expected::homePage);
    row("About support link", "AboutApp", "Label6", "address: mailto:" + expected::supportAddress);
    row("About licence button", "AboutApp", "Command1", "open: <program>/" + expected::licenceFile);
    row("About donate picture", "AboutApp", "Image2", "open: <program>/Donate with PayPal.exe");
    row("feedback support link", "ForMensurio", "Label6",
        "address: mailto:" + expected::supportAddress);
    row("feedback first site", "ForMensurio", "Label8", "open: https://www.filez.example.com/");
    row("feedback second site", "ForMensurio", "Label12",
        "open: https://www.softland.example.net/");
    row("feedback first note", "ForMensurio", "Image1",
        "note: Free registration required to vote and add a review at www.filez.example.com");
    row("feedback second note", "ForMensurio", "Image2",
        "note: Free registration required to add a review at www.softland.example.net (No "
        "registration required to vote)");
}

void TestAbout::launches()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, outcome);
    QTemporaryDir program;
    QFile licence(program.filePath(product::text(product::licenceFile)));
    QVERIFY(licence.open(QIODevice::WriteOnly));
    licence.close();

    Harness h;
    h.platform.programFolderPath = program.path();
    QWidget* shown = h.open(window);
    Harness::click(shown, control);

    QStringList outcomes;
    for (const auto& launch : h.platform.launches) {
        const bool open = launch.owner == h.mainWindow.get() && launch.folder.isEmpty();
        const bool address =
            !launch.hadOwner && launch.folder == QLatin1String("/nonexistent/home");
        QVERIFY(open || address);
        outcomes << (open ? "open: " : "address: ") + launch.target;
    }
    for (const auto& message : h.platform.messages) {
        QVERIFY(message.title == product::text(product::name) &&
                message.buttons == MessageButtons::Ok && message.icon == MessageIcon::Information);
        outcomes << "note: " + message.text;
    }
    QCOMPARE(outcomes, QStringList{outcome.replace(QLatin1String("<program>"), program.path())});
    // The window stays up and the main window locked.
    QVERIFY(shown->isVisible());
    QVERIFY(!h.mainWindow->isEnabled());
}

void TestAbout::controlsClearAndNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("About") << "AboutApp";
    QTest::newRow("feedback") << "ForMensurio";
}

void TestAbout::controlsClearAndNamed()
{
    QFETCH(QString, window);
    Harness h;
    QWidget* shown = h.open(window);
    // Frames, lines and the backdrop box are decoration; everything else is a control.
    QList<QWidget*> controls;
    for (QWidget* child : shown->findChildren<QWidget*>()) {
        const QString name = child->objectName();
        if (child->isVisibleTo(shown) && !name.startsWith(QLatin1String("Line")) &&
            !name.startsWith(QLatin1String("Frame")) && name != QLatin1String("Shape1"))
            controls << child;
    }
    QVERIFY(controls.size() >= 15);
    for (QWidget* control : controls) {
        const QString name = control->objectName();
        QVERIFY2(shown->rect().contains(QRect(control->mapTo(shown, QPoint()), control->size())),
                 qPrintable(name + " sticks out"));
        // What a control draws: a label may keep its place and indent its text.
        auto drawn = [](const QWidget* widget) {
            const QMargins margins = widget->contentsMargins();
            return widget->geometry().marginsRemoved(margins);
        };
        for (QWidget* other : controls)
            QVERIFY2(other == control || other->parentWidget() != control->parentWidget() ||
                         !drawn(control).intersects(drawn(other)),
                     qPrintable(name + " overlaps " + other->objectName()));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                 qPrintable(name + " has no accessible name"));
    }
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"
