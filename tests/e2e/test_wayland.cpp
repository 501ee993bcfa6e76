// The real executable on a headless Weston, as on a Wayland desktop: the toolkit picks its
// Wayland platform itself, every window carries the desktop entry's app id, typed digits
// convert, and the program ends cleanly. The compositor module westondriver.c gives the
// compositor a keyboard and reports its windows and clipboard.
#include "core/product.h"
#include "session.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <linux/input-event-codes.h>

namespace {

// Long enough for a sanitizer build on a busy machine; a window that maps sooner ends the
// wait at once.
constexpr int timeoutMs = 20000;

const QString appId = mensurio::product::text(mensurio::product::appId);
const QString socketName = QStringLiteral("wayland-mensurio");

// A window on the compositor's screen, by app id and title; a menu has neither.
using Window = std::pair<QString, QString>;
const Window mainWindow{appId, QStringLiteral("Mensurio - Version 1.2")};
const Window pairWindow{appId, QStringLiteral("Conversion part of Weight")};
const Window closeQuestion{appId, mensurio::product::text(mensurio::product::name)};
const Window menu;

int keyOf(QChar c)
{
    if (c == u'.')
        return KEY_DOT;
    return c == u'0' ? KEY_0 : KEY_1 + (c.unicode() - u'1');
}

} // namespace

class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedValueConvertsAndProgramEnds_data();
    void typedValueConvertsAndProgramEnds();

private:
    void command(const QString& line);
    void readReports();
    // Presses the keys in order, then releases them in reverse. A menu asks for its grab with
    // the serial of the press that opens it, which the compositor grants only while that
    // press is the seat's latest input, so keys that open a menu are held until `shown`.
    bool press(const QList<int>& keys, const std::function<bool()>& shown = {});
    bool showing(QList<Window> expected) const;
    qsizetype menus() const { return windows_.count(menu); }
    QString windowList() const;
    QString selection();

    std::unique_ptr<QTemporaryDir> session_;
    std::unique_ptr<QProcess> weston_;
    std::unique_ptr<QProcess> program_;
    bool ready_ = false;
    QList<Window> windows_;
    Window focus_; // the keyboard's
    std::optional<QString> selection_;
};

void TestWayland::init()
{
    session_ = std::make_unique<QTemporaryDir>();
    QVERIFY(session_->isValid());
    for (const char* folder : {"home", "runtime"}) {
        const QString path = session_->filePath(QLatin1String(folder));
        QVERIFY(QDir().mkdir(path));
        // Both Weston and the toolkit refuse a runtime folder that others may enter.
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner));
    }

    ready_ = false;
    windows_.clear();
    focus_ = {};
    weston_ = std::make_unique<QProcess>();
    weston_->setProcessEnvironment(e2e::sessionEnvironment(QDir(session_->path())));
    weston_->setStandardErrorFile(session_->filePath(QStringLiteral("weston.log")));
    connect(weston_.get(), &QProcess::readyReadStandardOutput, this, &TestWayland::readReports);
    // The pixman renderer, as the headless backend's default one draws nothing and so never
    // tells of a repaint. No screen blanking, no weston.ini of the machine.
    weston_->start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
                    QStringLiteral("--socket=") + socketName, QStringLiteral("--idle-time=0"),
                    QStringLiteral("--no-config"), QStringLiteral("--modules=" WESTON_DRIVER)});
    QVERIFY2(weston_->waitForStarted(), "weston could not be started");
    QTRY_VERIFY_WITH_TIMEOUT(ready_, timeoutMs);
}

void TestWayland::cleanup()
{
    if (program_ && program_->state() != QProcess::NotRunning) {
        program_->kill();
        program_->waitForFinished();
    }
    if (program_ && QTest::currentTestFailed())
        qInfo("The program's standard error:\n%s", program_->readAllStandardError().constData());
    program_.reset();
    // The module ends the compositor when its input closes.
    weston_->closeWriteChannel();
    if (!weston_->waitForFinished(timeoutMs)) {
        weston_->kill();
        weston_->waitForFinished();
    }
    if (QTest::currentTestFailed()) {
        QFile log(session_->filePath(QStringLiteral("weston.log")));
        if (log.open(QIODevice::ReadOnly))
            qInfo("Weston's log:\n%s", log.readAll().constData());
    }
    weston_.reset();
    session_.reset();
}

void TestWayland::command(const QString& line)
{
    weston_->write(line.toUtf8() + '\n');
    // Sent now, also when the test next blocks on the program rather than the event loop.
    weston_->waitForBytesWritten(timeoutMs);
}

void TestWayland::readReports()
{
    while (weston_->canReadLine()) {
        const QString line = QString::fromUtf8(weston_->readLine()).chopped(1);
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (line == QLatin1String("ready")) {
            ready_ = true;
        } else if (fields.first() == QLatin1String("windows")) {
            windows_.clear();
            for (qsizetype i = 1; i + 1 < fields.size(); i += 2)
                windows_.append({fields[i], fields[i + 1]});
        } else if (fields.first() == QLatin1String("focus")) {
            focus_ = fields.size() == 3 ? Window{fields[1], fields[2]} : Window{};
        } else if (line.startsWith(QLatin1String("selection"))) {
            selection_ = line.section(QLatin1Char(' '), 1);
        }
    }
}

bool TestWayland::press(const QList<int>& keys, const std::function<bool()>& shown)
{
    for (int key : keys)
        command(QStringLiteral("key %1 1").arg(key));
    const bool held = !shown || QTest::qWaitFor(shown, timeoutMs);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        command(QStringLiteral("key %1 0").arg(*key));
    return held;
}

// The windows on the screen are these, in any stacking order.
bool TestWayland::showing(QList<Window> expected) const
{
    QList<Window> shown = windows_;
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    return shown == expected;
}

QString TestWayland::windowList() const
{
    QStringList names;
    for (const Window& window : windows_)
        names.append(QStringLiteral("\"%1\" (%2)").arg(window.second, window.first));
    return QStringLiteral("on the screen: ") + names.join(QStringLiteral(", "));
}

QString TestWayland::selection()
{
    selection_.reset();
    command(QStringLiteral("selection"));
    if (!QTest::qWaitFor([this] { return selection_.has_value(); }, timeoutMs))
        return QStringLiteral("(no answer from the compositor)");
    return *selection_;
}

void TestWayland::typedValueConvertsAndProgramEnds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("converted");
    QTest::addColumn<bool>("confirmedClose"); // else the compositor asks the main window to close

    // The program's pound is the short 0.4536 kg: 12 x 0.4536, 2.5 x 0.4536.
    QTest::newRow("whole pounds, closed by the compositor") << "12"
                                                            << "5.4432" << false;
    QTest::newRow("decimal pounds, Close Mensurio confirmed") << "2.5"
                                                              << "1.134" << true;
}

void TestWayland::typedValueConvertsAndProgramEnds()
{
    QFETCH(QString, typed);
    QFETCH(QString, converted);
    QFETCH(bool, confirmedClose);

    // What a Wayland session sets; the toolkit chooses its platform itself.
    QProcessEnvironment environment = e2e::sessionEnvironment(QDir(session_->path()));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socketName);
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    // Whole allocation stacks in a sanitizer build: Qt's clipboard leak on Wayland, which
    // tools/lsan.supp names by its caller, lies deeper in Qt than the fast unwinder reaches.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":fast_unwind_on_malloc=0"));
    program_ = std::make_unique<QProcess>();
    program_->setProcessEnvironment(environment);
    program_->setWorkingDirectory(session_->filePath(QStringLiteral("home")));
    program_->start(QStringLiteral(MENSURIO_EXE), QStringList());
    QVERIFY(program_->waitForStarted());
    QTRY_VERIFY2_WITH_TIMEOUT(showing({mainWindow}), qPrintable(windowList()), timeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(focus_ == mainWindow, timeoutMs);

    // Alt+C opens "Conversions Parts", W its Weight submenu on its first pair, Return opens it.
    QVERIFY2(press({KEY_LEFTALT, KEY_C}, [this] { return menus() == 1; }),
             qPrintable(windowList()));
    QVERIFY2(press({KEY_W}, [this] { return menus() == 2; }), qPrintable(windowList()));
    QVERIFY(press({KEY_ENTER}));
    QTRY_VERIFY2_WITH_TIMEOUT(showing({pairWindow, mainWindow}), qPrintable(windowList()),
                              timeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(focus_ == pairWindow, timeoutMs);

    // Typed into the editable field, which has the focus; the converted value is selected in
    // the locked one and copied with its context menu (the Menu key), as the fields refuse
    // the clipboard keys.
    for (QChar c : typed)
        QVERIFY(press({keyOf(c)}));
    QVERIFY(press({KEY_TAB}));
    QVERIFY(press({KEY_HOME}));
    QVERIFY(press({KEY_LEFTSHIFT, KEY_END}));
    QVERIFY2(press({KEY_COMPOSE}, [this] { return menus() == 1; }), qPrintable(windowList()));
    QVERIFY(press({KEY_C})); // "&Copy"
    QTRY_COMPARE_WITH_TIMEOUT(selection(), converted, timeoutMs);

    if (confirmedClose) {
        // Back to the main window, which asks before it ends; Return answers Yes. The shell
        // hands the keyboard back only once the closed window has faded out.
        command(QStringLiteral("close ") + pairWindow.second);
        QTRY_VERIFY2_WITH_TIMEOUT(showing({mainWindow}), qPrintable(windowList()), timeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(focus_ == mainWindow, timeoutMs);
        QVERIFY(press({KEY_LEFTCTRL, KEY_E}));
        QTRY_VERIFY2_WITH_TIMEOUT(showing({closeQuestion, mainWindow}), qPrintable(windowList()),
                                  timeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(focus_ == closeQuestion, timeoutMs);
        QVERIFY(press({KEY_ENTER}));
    } else {
        command(QStringLiteral("close ") + mainWindow.second);
    }
    QVERIFY2(program_->waitForFinished(timeoutMs), "the program did not end");
    QCOMPARE(program_->exitStatus(), QProcess::NormalExit);
    QCOMPARE(program_->exitCode(), 0);
    const QByteArray errors = program_->readAllStandardError();
    QVERIFY2(!errors.contains("qt.qpa"), errors.constData());
}

QTEST_GUILESS_MAIN(TestWayland)
#include "test_wayland.moc"
