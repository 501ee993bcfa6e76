// The real executable on a private X server, driven by real X input: what only a desktop
// shows, such as one running copy per home folder, windows that map, keyboard focus and shortcuts.
#include "core/product.h"
#include "expected.h"
#include "session.h"
#include "xclient.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString mainTitle = QStringLiteral("Mensurio - Version 1.2");

// Long enough for a sanitizer build on a busy machine; a window that maps sooner ends the
// wait at once.
constexpr int mapTimeoutMs = 20000;
// In place of an expected output: the copy writes to a full output (/dev/full).
const QString fullOutput = QStringLiteral("<full>");

// The main window's client area starts below its menu bar, whose height depends on the font.
constexpr int clientHeight = 369;
constexpr int twipsPerPixel = 15;
// The link label "Pound <> Kilogram" at 1140,840 in frame One at 180,1200, 195 twips high.
const QPoint poundLinkTwips(180 + 1140, 1200 + 840);
constexpr int linkHeightTwips = 195;

// xdotool matches titles with POSIX extended expressions.
QString exactTitle(const QString& title)
{
    QString pattern = QStringLiteral("^");
    for (QChar c : title) {
        if (QStringLiteral("\\^$.|?*+()[]{}").contains(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('$');
}

struct Run {
    int exitCode = -1;
    QStringList lines;
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void secondCopyEndsSilentlyAndKilledCopyFreesTheLock_data();
    void secondCopyEndsSilentlyAndKilledCopyFreesTheLock();
    void startWithoutWindowAnswersOnTheTerminal_data();
    void startWithoutWindowAnswersOnTheTerminal();
    void relativeRuntimeFolderMakesNothingInTheWorkingFolder();
    void copiesStartedTogetherLeaveOne_data();
    void copiesStartedTogetherLeaveOne();
    void shortcutHandsAddressToShell_data();
    void shortcutHandsAddressToShell();
    void shownWindowLeavesOnEscape_data();
    void shownWindowLeavesOnEscape();
    void pairWindowConvertsTypedDigits_data();
    void pairWindowConvertsTypedDigits();
    void windowManagerCloseEndsProgram_data();
    void windowManagerCloseEndsProgram();
    void framedWindowIsCentred_data();
    void framedWindowIsCentred();
    void ownedWindowStaysAboveDisabledMainWindow_data();
    void ownedWindowStaysAboveDisabledMainWindow();

private:
    void startWindowManager();
    void showUnderWindowManager(const QString& keys, QString& mainWindow, QString& window);
    // A copy with the session's environment, changed by `changes` (an empty value unsets).
    QProcess* startCopy(const QStringList& arguments = {},
                        const QHash<QString, QString>& changes = {},
                        QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels,
                        const QString& outputFile = {});
    Run xdotool(const QStringList& arguments, int timeoutMs = 5000) const;
    Run tool(const QString& program, const QStringList& arguments, int timeoutMs) const;
    // A window's property or the root's, as X window ids in the property's order.
    QList<qulonglong> windowIds(const QString& window, const QString& property) const;
    QString waitForMainWindow(const QProcess* copy) const;
    QStringList visibleWindows(const QProcess* copy) const;
    QString waitForNewWindow(const QProcess* copy, const QStringList& known) const;
    QString windowTitle(const QString& window) const;
    bool clickAtTwips(const QString& mainWindow, QPoint twips) const;
    // Focuses the window and presses the keys (space-separated xdotool key names).
    bool pressKeys(const QString& window, const QString& keys) const;
    QString recordedShellArguments() const;

    QProcess xvfb_;
    QByteArray display_;
    std::unique_ptr<e2e::XClient> x_;
    std::unique_ptr<QTemporaryDir> session_;
    QString runtimeFolder_; // the copies' XDG_RUNTIME_DIR
    std::vector<std::unique_ptr<QProcess>> copies_;
    std::unique_ptr<QProcess> windowManager_;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY2(QFileInfo(QStringLiteral(MENSURIO_EXE)).isExecutable(), MENSURIO_EXE);

    // Xvfb picks a free display itself and writes its number to our pipe, so parallel runs
    // never race for one.
    xvfb_.setStandardErrorFile(QProcess::nullDevice());
    xvfb_.start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp")});
    QVERIFY2(xvfb_.waitForStarted(), "Xvfb could not be started");
    const QDeadlineTimer deadline(10000);
    while (!xvfb_.canReadLine() && xvfb_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    QVERIFY2(xvfb_.canReadLine(), "Xvfb named no display");
    display_ = ':' + xvfb_.readLine().trimmed();

    x_ = std::make_unique<e2e::XClient>(display_);
    QVERIFY(x_->isOpen());
}

void TestEndToEnd::cleanupTestCase()
{
    if (windowManager_) {
        windowManager_->terminate();
        windowManager_->waitForFinished();
    }
    x_.reset();
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) {
        xvfb_.kill();
        xvfb_.waitForFinished();
    }
}

void TestEndToEnd::init()
{
    // One home, runtime folder and shell stand-in per case, shared by every copy it starts.
    session_ = std::make_unique<QTemporaryDir>();
    QVERIFY(session_->isValid());
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const char* folder : {"home", "runtime", "bin", "tmp"}) {
        const QString path = session_->filePath(QLatin1String(folder));
        QVERIFY(QDir().mkdir(path));
        QVERIFY(QFile::setPermissions(path, ownerOnly));
    }
    runtimeFolder_ = session_->filePath(QStringLiteral("runtime"));

    // Records what the program hands to the shell, one argument a line, and opens nothing:
    // no browser or mailer may start from a test.
    QFile opener(session_->filePath(QStringLiteral("bin/xdg-open")));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" +
                 QFile::encodeName(session_->filePath(QStringLiteral("opened.txt"))) + "'\n");
    opener.close();
    QVERIFY(opener.setPermissions(ownerOnly));

    // Keep the pointer off every window, so no hover or tool tip maps anything on its own.
    // (No --sync: it would wait for ever for a pointer that is already there.)
    QCOMPARE(
        xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")}).exitCode,
        0);
}

void TestEndToEnd::cleanup()
{
    for (const std::unique_ptr<QProcess>& copy : copies_) {
        if (copy->state() != QProcess::NotRunning) {
            copy->kill();
            copy->waitForFinished();
        }
    }
    copies_.clear();
    session_.reset();
}

QProcess* TestEndToEnd::startCopy(const QStringList& arguments,
                                  const QHash<QString, QString>& changes,
                                  QProcess::ProcessChannelMode channels, const QString& outputFile)
{
    QProcessEnvironment environment = e2e::programEnvironment(display_, QDir(session_->path()));
    // The lock lives in the session's home; runtime and temporary folders are the session's too.
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder_);
    environment.insert(QStringLiteral("TMPDIR"), session_->filePath(QStringLiteral("tmp")));
    for (auto change = changes.begin(); change != changes.end(); ++change) {
        if (change.value().isEmpty())
            environment.remove(change.key());
        else
            environment.insert(change.key(), change.value());
    }

    auto copy = std::make_unique<QProcess>();
    copy->setProcessEnvironment(environment);
    copy->setWorkingDirectory(session_->filePath(QStringLiteral("home")));
    // A sanitizer's report must reach the test log, unless the case reads the output.
    copy->setProcessChannelMode(channels);
    if (!outputFile.isEmpty())
        copy->setStandardOutputFile(outputFile);
    copy->start(QStringLiteral(MENSURIO_EXE), arguments);
    if (!copy->waitForStarted())
        return nullptr;
    copies_.push_back(std::move(copy));
    return copies_.back().get();
}

Run TestEndToEnd::xdotool(const QStringList& arguments, int timeoutMs) const
{
    return tool(QStringLiteral("xdotool"), arguments, timeoutMs);
}

Run TestEndToEnd::tool(const QString& program, const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display_));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    // "search --sync" waits for ever; a window that never maps shows as no answer.
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.lines = QString::fromLocal8Bit(process.readAllStandardOutput())
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

QString TestEndToEnd::waitForMainWindow(const QProcess* copy) const
{
    const Run run = xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                             QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                             QString::number(copy->processId()), QStringLiteral("--name"),
                             exactTitle(mainTitle)},
                            mapTimeoutMs);
    return run.lines.value(0);
}

QStringList TestEndToEnd::visibleWindows(const QProcess* copy) const
{
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(copy->processId())})
        .lines;
}

// The first window of this copy that maps besides the known ones, whatever its title, so a
// wrong title shows up as itself rather than as a long wait.
QString TestEndToEnd::waitForNewWindow(const QProcess* copy, const QStringList& known) const
{
    const QDeadlineTimer deadline(mapTimeoutMs);
    do {
        for (const QString& window : visibleWindows(copy)) {
            if (!known.contains(window))
                return window;
        }
        QTest::qWait(50);
    } while (!deadline.hasExpired());
    return {};
}

QString TestEndToEnd::windowTitle(const QString& window) const
{
    return xdotool({QStringLiteral("getwindowname"), window}).lines.value(0);
}

// A real pointer click on the main window's client area, at a position given in twips.
bool TestEndToEnd::clickAtTwips(const QString& mainWindow, QPoint twips) const
{
    const Run geometry =
        xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), mainWindow});
    int height = -1;
    for (const QString& line : geometry.lines) {
        if (line.startsWith(QLatin1String("HEIGHT=")))
            height = line.mid(7).toInt();
    }
    if (height <= clientHeight)
        return false;
    const int menuBar = height - clientHeight;
    const QPoint pixel(twips.x() / twipsPerPixel + 4,
                       menuBar + (twips.y() + linkHeightTwips / 2) / twipsPerPixel);
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                    QStringLiteral("--window"), mainWindow, QString::number(pixel.x()),
                    QString::number(pixel.y()), QStringLiteral("click"), QStringLiteral("1")})
               .exitCode == 0;
}

bool TestEndToEnd::pressKeys(const QString& window, const QString& keys) const
{
    QStringList arguments{QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                          QStringLiteral("key")};
    arguments += keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return xdotool(arguments).exitCode == 0;
}

QList<qulonglong> TestEndToEnd::windowIds(const QString& window, const QString& property) const
{
    const QStringList where = window.isEmpty() ? QStringList{QStringLiteral("-root")}
                                               : QStringList{QStringLiteral("-id"), window};
    // "NAME(WINDOW): window id # 0x400007, 0x600009"; no "#" when the property is unset.
    const QString line =
        tool(QStringLiteral("xprop"), where + QStringList{property}, 5000).lines.value(0);
    QList<qulonglong> ids;
    for (const QString& id : line.section(QLatin1Char('#'), 1).split(QLatin1Char(','))) {
        bool ok = false;
        const qulonglong value = id.trimmed().toULongLong(&ok, 16);
        if (ok)
            ids.append(value);
    }
    return ids;
}

QString TestEndToEnd::recordedShellArguments() const
{
    QFile file(session_->filePath(QStringLiteral("opened.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void TestEndToEnd::secondCopyEndsSilentlyAndKilledCopyFreesTheLock_data()
{
    // The launcher's startup identifier of the second copy, and the message that must end
    // the launcher's wait: quoted, in pieces of 20 bytes.
    // And the second copy's runtime folder: the first copy's, or none (su, ssh -X).
    QTest::addColumn<QString>("startupId");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("runtime");

    QTest::newRow("started from a terminal") << QString() << QStringList() << true;
    QTest::newRow("started from the menu")
        << QStringLiteral("menu-4711 \"Mensurio\" \\_TIME123")
        << QStringList{QStringLiteral("remove: ID=\"menu-4711 \\\"Mensurio\\\" \\\\_TIME123\"")}
        << true;
    QTest::newRow("started from a terminal without a runtime folder")
        << QString() << QStringList() << false;
}

void TestEndToEnd::secondCopyEndsSilentlyAndKilledCopyFreesTheLock()
{
    QFETCH(QString, startupId);
    QFETCH(QStringList, messages);
    QFETCH(bool, runtime);

    QProcess* first = startCopy();
    QVERIFY(first);
    const QString firstWindow = waitForMainWindow(first);
    QVERIFY2(!firstWindow.isEmpty(), "the first copy's main window never mapped");

    // The second copy would be gone before any look could find its window, so count every
    // window that the server maps while it lives.
    x_->watchMaps();
    QProcess* second =
        startCopy({}, {{QStringLiteral("DESKTOP_STARTUP_ID"), startupId},
                       {QStringLiteral("XDG_RUNTIME_DIR"), runtime ? runtimeFolder_ : QString()}});
    QVERIFY(second);
    QVERIFY2(second->waitForFinished(2000), "the second copy still runs after 2 s");
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QTRY_COMPARE(x_->startupMessagesSinceWatch(), messages);
    QCOMPARE(x_->mapsSinceWatch(), 0);

    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(visibleWindows(first), QStringList{firstWindow});

    // A killed copy cannot release its lock; the next start must take it over.
    first->kill();
    QVERIFY(first->waitForFinished());
    QProcess* third = startCopy();
    QVERIFY(third);
    QVERIFY2(!waitForMainWindow(third).isEmpty(), "the lock of the killed copy was not taken over");
}

void TestEndToEnd::copiesStartedTogetherLeaveOne_data()
{
    // What lies at the lock's name: a file's bytes, "<FIFO>" or "<no permission>" (an empty
    // file); nothing when null, with a runtime folder that cannot exist. Or, with no runtime
    // folder either, what another user has put in the shared temporary folder at the name an
    // earlier version locked in: a link to a folder of ours, or a folder of theirs open to all.
    QTest::addColumn<QByteArray>("left");

    QTest::newRow("empty lock file") << QByteArray("");
    QTest::newRow("lock file without any permission") << QByteArray("<no permission>");
    QTest::newRow("lock naming a dead copy") << QByteArray("999999999\nmensurio\nhost\n");
    QTest::newRow("lock naming another program") << QByteArray("1\ninit\nhost\n");
    QTest::newRow("FIFO of the lock's name") << QByteArray("<FIFO>");
    QTest::newRow("runtime folder below a file") << QByteArray();
    QTest::newRow("fallback folder a link to one of ours") << QByteArray("<link>");
    QTest::newRow("fallback folder another user's, open to all") << QByteArray("<theirs>");
}

void TestEndToEnd::copiesStartedTogetherLeaveOne()
{
    QFETCH(QByteArray, left);

    // The lock's place: the home's cache folder, a file named for the machine.
    const QString lockFolder = session_->filePath(QStringLiteral("home/.cache/mensurio"));
    QVERIFY(QDir().mkpath(lockFolder));
    QVERIFY(QFile::setPermissions(lockFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    QFile id(QStringLiteral("/etc/machine-id"));
    if (!id.open(QIODevice::ReadOnly))
        QSKIP("the lock is named for the host here: no /etc/machine-id");
    QFile lock(lockFolder + QLatin1Char('/') + QString::fromLatin1(id.readAll().trimmed()) +
               QStringLiteral(".lock"));
    const QString fallback = session_->filePath(QStringLiteral("tmp/mensurio-%1").arg(geteuid()));
    const QString ours = session_->filePath(QStringLiteral("home/Docs"));
    if (left.isNull() || left == "<link>" || left == "<theirs>")
        runtimeFolder_ = QStringLiteral(MENSURIO_EXE "/run");
    if (left == "<link>") {
        QVERIFY(QDir().mkpath(ours + QStringLiteral("/mensurio.lock")));
        QVERIFY(QFile::link(ours, fallback));
    } else if (left == "<theirs>") {
        QVERIFY(QDir().mkdir(fallback));
        QVERIFY(QFile::setPermissions(fallback, QFileDevice::Permissions(0x7777)));
        if (::chown(QFile::encodeName(fallback).constData(), 65534, 65534) != 0)
            QSKIP("only root can make a folder of another user");
    } else if (left == "<FIFO>")
        QCOMPARE(::mkfifo(QFile::encodeName(lock.fileName()).constData(), 0600), 0);
    else if (left == "<no permission>")
        QVERIFY(lock.open(QIODevice::WriteOnly) && lock.setPermissions({}));
    else
        QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write(left) == left.size());
    lock.close();

    for (int i = 0; i < 20; ++i)
        QVERIFY(startCopy());
    const auto running = [this] {
        return std::count_if(copies_.begin(), copies_.end(), [](const auto& copy) {
            return copy->state() != QProcess::NotRunning;
        });
    };
    // All but one end by themselves, silently; the one left shows its window.
    QTRY_VERIFY_WITH_TIMEOUT(running() <= 1, mapTimeoutMs);
    QCOMPARE(running(), 1);
    for (const std::unique_ptr<QProcess>& copy : copies_) {
        if (copy->state() == QProcess::NotRunning)
            QVERIFY(copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0);
        else
            QVERIFY(!waitForMainWindow(copy.get()).isEmpty());
    }
    // Nothing of theirs, and nothing of ours reached through their link, was touched.
    if (left == "<link>")
        QCOMPARE(QDir(ours).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList{QStringLiteral("mensurio.lock")});
    if (left == "<link>" || left == "<theirs>")
        QCOMPARE(QDir(fallback).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 left == "<link>" ? QStringList{QStringLiteral("mensurio.lock")} : QStringList());
}

void TestEndToEnd::startWithoutWindowAnswersOnTheTerminal_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("display");   // the copy's DISPLAY (":n") or WAYLAND_DISPLAY
    QTest::addColumn<bool>("whileRunning"); // another copy holds the lock
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // the first line on standard output; fullOutput: a full one
    QTest::addColumn<QString>("err"); // all of standard error

    QTest::newRow("--help without a display")
        << QStringList{"--help"} << "" << false << 0 << "Usage: mensurio [--help | --version]"
        << "";
    QTest::newRow("--version while a copy runs")
        << QStringList{"--version"} << "" << true << 0 << mensurio::expected::nameAndVersion << "";
    QTest::newRow("--version to a full output fails")
        << QStringList{"--version"} << "" << false << 1 << fullOutput << "";
    QTest::newRow("no display at all")
        << QStringList{} << "" << false << 1 << ""
        << "Mensurio needs a graphical display: neither DISPLAY nor WAYLAND_DISPLAY is set\n";
    QTest::newRow("a display that cannot be opened, unknown argument ignored")
        << QStringList{"--unknown"} << ":4093" << false << 1 << ""
        << "Mensurio needs a graphical display: the X display \":4093\" could not be opened\n";
    QTest::newRow("a display given with -display that cannot be opened")
        << QStringList{"-display", ":4094"} << ":4093" << false << 1 << ""
        << "Mensurio needs a graphical display: the X display \":4094\" could not be opened\n";
    // The toolkit tries Wayland first where a Wayland display is named, then X.
    QTest::newRow("a Wayland display that does not answer, and no DISPLAY")
        << QStringList{} << "wayland-4093" << false << 1 << ""
        << "Mensurio needs a graphical display: the Wayland display \"wayland-4093\" named by "
           "WAYLAND_DISPLAY could not be opened, and DISPLAY is not set\n";
}

void TestEndToEnd::startWithoutWindowAnswersOnTheTerminal()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(bool, whileRunning);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const bool full = out == fullOutput;
    const bool x11 = display.startsWith(QLatin1Char(':'));

    if (whileRunning) {
        QProcess* first = startCopy();
        QVERIFY(first && !waitForMainWindow(first).isEmpty());
    }
    // The toolkit chooses its platform itself, as on a desktop.
    QProcess* copy = startCopy(arguments,
                               {{QStringLiteral("DISPLAY"), x11 ? display : QString()},
                                {QStringLiteral("WAYLAND_DISPLAY"), x11 ? QString() : display},
                                {QStringLiteral("QT_QPA_PLATFORM"), QString()},
                                {QStringLiteral("XDG_SESSION_TYPE"), QString()}},
                               QProcess::SeparateChannels, full ? "/dev/full" : QString());
    QVERIFY(copy);
    QVERIFY2(copy->waitForFinished(mapTimeoutMs), "the copy still runs");
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit); // no abort, no core dump
    QCOMPARE(copy->exitCode(), status);
    QCOMPARE(QString::fromLocal8Bit(copy->readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0),
             full ? QString() : out);
    QCOMPARE(QString::fromLocal8Bit(copy->readAllStandardError()), err);
}

void TestEndToEnd::relativeRuntimeFolderMakesNothingInTheWorkingFolder()
{
    const QDir working(session_->filePath(QStringLiteral("home")));
    const QStringList before = working.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QProcess* copy = startCopy({}, {{QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("relrun")}});
    QVERIFY(copy);
    QVERIFY2(!waitForMainWindow(copy).isEmpty(), "the main window never mapped");
    QCOMPARE(working.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestEndToEnd::shortcutHandsAddressToShell_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("argument");

    QTest::newRow("Ctrl+W web page")
        << "ctrl+w" << mensurio::product::text(mensurio::product::homePage);
    QTest::newRow("Ctrl+T support mail")
        << "ctrl+t"
        << QStringLiteral("mailto:") + mensurio::product::text(mensurio::product::supportAddress);
    // A path with a blank must still arrive as one argument.
    QTest::newRow("Ctrl+L licence document")
        << "ctrl+l"
        << QFileInfo(QStringLiteral(MENSURIO_EXE)).absolutePath() + QLatin1Char('/') +
               mensurio::product::text(mensurio::product::licenceFile);
}

void TestEndToEnd::shortcutHandsAddressToShell()
{
    QFETCH(QString, keys);
    QFETCH(QString, argument);

    QProcess* copy = startCopy();
    QVERIFY(copy);
    const QString mainWindow = waitForMainWindow(copy);
    QVERIFY(!mainWindow.isEmpty());
    // The hidden read-only field holds the focus now; the shortcut must get past it.
    QVERIFY(pressKeys(mainWindow, keys));
    QTRY_COMPARE_WITH_TIMEOUT(recordedShellArguments(), argument + QLatin1Char('\n'), 10000);
}

void TestEndToEnd::shownWindowLeavesOnEscape_data()
{
    QTest::addColumn<QString>("keys"); // on the main window
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("popupKeys"); // in the shown window: open a list or a menu

    QTest::newRow("F1 symbols") << "F1" << QStringLiteral("Important Symbols - Not For Mensurio")
                                << QString();
    // Ctrl+A is also a text field's "select all"; the focused field must not keep it.
    QTest::newRow("Ctrl+A about") << "ctrl+a" << QStringLiteral("About Mensurio") << QString();
    const QString length5 = QStringLiteral("alt+c l Up Return");
    QTest::newRow("pair window, direction list open")
        << length5 << QStringLiteral("Conversion part of Length")
        << QStringLiteral("Tab Tab alt+Down");
    QTest::newRow("pair window, field's context menu open")
        << length5 << QStringLiteral("Conversion part of Length") << QStringLiteral("Menu");
}

// The first Escape closes only what is open in the window; the next one leaves the window.
void TestEndToEnd::shownWindowLeavesOnEscape()
{
    QFETCH(QString, keys);
    QFETCH(QString, title);
    QFETCH(QString, popupKeys);

    QProcess* copy = startCopy();
    QVERIFY(copy);
    const QString mainWindow = waitForMainWindow(copy);
    QVERIFY(!mainWindow.isEmpty());
    QVERIFY(pressKeys(mainWindow, keys));
    const QString shown = waitForNewWindow(copy, {mainWindow});
    QVERIFY2(!shown.isEmpty(), "no window mapped");
    QCOMPARE(windowTitle(shown), title);
    if (!popupKeys.isEmpty()) {
        QVERIFY(pressKeys(shown, popupKeys));
        QVERIFY2(!waitForNewWindow(copy, {mainWindow, shown}).isEmpty(), "nothing opened");
        // The open list or menu holds the keyboard: the key goes to it, not to a window.
        QCOMPARE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}).exitCode, 0);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(copy).size(), 2, mapTimeoutMs);
        QVERIFY2(visibleWindows(copy).contains(shown), "the window left with what was open");
    }
    QVERIFY(pressKeys(shown, QStringLiteral("Escape")));
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(copy), QStringList{mainWindow}, mapTimeoutMs);
}

void TestEndToEnd::pairWindowConvertsTypedDigits_data()
{
    QTest::addColumn<QPoint>("linkTwips");
    QTest::addColumn<QString>("menuKeys");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("layout"); // setxkbmap's layout and variant, if not the default
    QTest::addColumn<QString>("typed");  // xdotool key names
    QTest::addColumn<QString>("converted");

    // The program's pound is the short 0.4536 kg: 12 x 0.4536; 12 x 2.54 for the inch.
    QTest::newRow("link label Pound <> Kilogram")
        << poundLinkTwips << QString() << QStringLiteral("Conversion part of Weight") << QString()
        << QStringLiteral("1 2") << QStringLiteral("5.4432");
    // Alt+C opens "Conversions Parts", L its "Lenght" submenu; Up wraps to its last pair.
    QTest::newRow("menu Inch <> Centimetre")
        << QPoint() << QStringLiteral("alt+c l Up Return")
        << QStringLiteral("Conversion part of Length") << QString() << QStringLiteral("1 2")
        << QStringLiteral("30.48");
    // Alt+C opens "Conversions Parts" on its first item, the Weight submenu; Right opens that
    // on its first pair.
    QTest::newRow("menu Pound <> Kilogram")
        << QPoint() << QStringLiteral("alt+c Right Return")
        << QStringLiteral("Conversion part of Weight") << QString() << QStringLiteral("1 2")
        << QStringLiteral("5.4432");
    // The fields take no input method, so a dead key types nothing and the key after it
    // types itself: no composed character (a superscript one) that the field would refuse.
    QTest::newRow("dead circumflex before a digit")
        << poundLinkTwips << QString() << QStringLiteral("Conversion part of Weight")
        << QStringLiteral("us intl") << QStringLiteral("dead_circumflex 1 2")
        << QStringLiteral("5.4432");
}

void TestEndToEnd::pairWindowConvertsTypedDigits()
{
    QFETCH(QPoint, linkTwips);
    QFETCH(QString, menuKeys);
    QFETCH(QString, title);
    QFETCH(QString, layout);
    QFETCH(QString, typed);
    QFETCH(QString, converted);

    if (!layout.isEmpty()) {
        const QStringList names = layout.split(QLatin1Char(' '));
        QCOMPARE(tool(QStringLiteral("setxkbmap"),
                      {QStringLiteral("-layout"), names.value(0), QStringLiteral("-variant"),
                       names.value(1)},
                      5000)
                     .exitCode,
                 0);
    }
    // The server's keyboard is shared by every case.
    const auto defaultLayout = qScopeGuard([&] {
        if (!layout.isEmpty())
            tool(QStringLiteral("setxkbmap"), {QStringLiteral("us")}, 5000);
    });
    QProcess* copy = startCopy();
    QVERIFY(copy);
    const QString mainWindow = waitForMainWindow(copy);
    QVERIFY(!mainWindow.isEmpty());
    if (menuKeys.isEmpty()) {
        QVERIFY(clickAtTwips(mainWindow, linkTwips));
    } else {
        QVERIFY(pressKeys(mainWindow, menuKeys));
    }
    const QString pairWindow = waitForNewWindow(copy, {mainWindow});
    QVERIFY2(!pairWindow.isEmpty(), "no pair window mapped");
    QCOMPARE(windowTitle(pairWindow), title);

    // Type into the editable field, which has the focus, then select the converted value in
    // the locked one: on X a keyboard selection becomes the PRIMARY selection, the one way to
    // read a field's text from outside (the fields refuse the clipboard keys).
    QVERIFY(pressKeys(pairWindow, typed));
    QCOMPARE(xdotool({QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Home"),
                      QStringLiteral("shift+End")})
                 .exitCode,
             0);
    QTRY_COMPARE_WITH_TIMEOUT(x_->primarySelection(2000).value_or(QString()), converted, 10000);
    QCOMPARE(copy->state(), QProcess::Running);
}

void TestEndToEnd::windowManagerCloseEndsProgram_data()
{
    QTest::addColumn<QString>("aboutKeys");
    QTest::newRow("with a pair window open") << QString();
    // The About window disables the main window; its frame's close must still end all.
    QTest::newRow("while About disables the main window") << QStringLiteral("ctrl+a");
}

void TestEndToEnd::windowManagerCloseEndsProgram()
{
    QFETCH(QString, aboutKeys);
    QProcess* copy = startCopy();
    QVERIFY(copy);
    const QString mainWindow = waitForMainWindow(copy);
    QVERIFY(!mainWindow.isEmpty());
    QVERIFY(clickAtTwips(mainWindow, poundLinkTwips));
    const QString pairWindow = waitForNewWindow(copy, {mainWindow});
    QVERIFY2(!pairWindow.isEmpty(), "no pair window mapped");
    if (!aboutKeys.isEmpty()) {
        QVERIFY(pressKeys(mainWindow, aboutKeys));
        QVERIFY2(!waitForNewWindow(copy, {mainWindow, pairWindow}).isEmpty(),
                 "no About window mapped");
    }

    // There is no window manager on this server, so send its close request ourselves.
    QVERIFY(x_->sendDeleteWindow(mainWindow.toULong()));
    QVERIFY2(copy->waitForFinished(mapTimeoutMs), "the program did not end");
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy->exitCode(), 0);
}

void TestEndToEnd::ownedWindowStaysAboveDisabledMainWindow_data()
{
    QTest::addColumn<QString>("keys");
    QTest::newRow("About") << QStringLiteral("ctrl+a");
    QTest::newRow("feedback") << QStringLiteral("ctrl+i");
}

void TestEndToEnd::ownedWindowStaysAboveDisabledMainWindow()
{
    QFETCH(QString, keys);
    // A real window manager, which raises a window that is clicked, disabled or not.
    QString mainWindow, owned;
    showUnderWindowManager(keys, mainWindow, owned);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(windowIds(owned, QStringLiteral("WM_TRANSIENT_FOR")),
             QList<qulonglong>{mainWindow.toULongLong()});

    // Near the main window's left edge, beside the centred smaller window.
    QCOMPARE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                      QStringLiteral("--window"), mainWindow, QStringLiteral("20"),
                      QStringLiteral("60"), QStringLiteral("click"), QStringLiteral("1")})
                 .exitCode,
             0);
    // Restacked, if at all, by the time the window manager answers a request sent after it.
    QVERIFY(x_->windowManagerRoundTrip(mapTimeoutMs));
    const QList<qulonglong> stacking =
        windowIds(QString(), QStringLiteral("_NET_CLIENT_LIST_STACKING")); // bottom to top
    QVERIFY(stacking.contains(mainWindow.toULongLong()));
    QVERIFY2(stacking.indexOf(owned.toULongLong()) > stacking.indexOf(mainWindow.toULongLong()),
             "the main window was raised over its owned window");
}

// A real window manager. It stays for the rest of the run (a second one would race the
// first one's exit), so the cases that expect none come before the first case that starts it.
void TestEndToEnd::startWindowManager()
{
    if (!windowManager_)
        windowManager_ = std::make_unique<QProcess>();
    if (windowManager_->state() != QProcess::NotRunning)
        return;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display_));
    environment.insert(QStringLiteral("HOME"), session_->filePath(QStringLiteral("home")));
    windowManager_->setProcessEnvironment(environment);
    windowManager_->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    QVERIFY(windowManager_->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(
        !windowIds(QString(), QStringLiteral("_NET_SUPPORTING_WM_CHECK")).isEmpty(), 10000);
    // The check window comes early in the manager's start, and a request sent before the
    // start is over may go unanswered: ask until one is answered, so that a window mapped
    // after this is placed the way it always will be.
    QTRY_VERIFY_WITH_TIMEOUT(x_->windowManagerRoundTrip(1000), mapTimeoutMs);
}

// Starts a copy under the window manager and shows the window that `keys` open (none: the
// main window itself); the main window's id in `mainWindow`, the shown one's in `window`.
void TestEndToEnd::showUnderWindowManager(const QString& keys, QString& mainWindow, QString& window)
{
    startWindowManager();
    if (QTest::currentTestFailed())
        return;
    QProcess* copy = startCopy();
    QVERIFY(copy);
    mainWindow = window = waitForMainWindow(copy);
    QVERIFY(!mainWindow.isEmpty());
    if (keys.isEmpty())
        return;
    QVERIFY(pressKeys(mainWindow, keys));
    window = waitForNewWindow(copy, {mainWindow});
    QVERIFY2(!window.isEmpty(), "no window mapped");
}

void TestEndToEnd::framedWindowIsCentred_data()
{
    QTest::addColumn<QString>("keys");     // that show the window; none: the main window
    QTest::addColumn<bool>("lateManager"); // started once the window is mapped
    // First: the window manager stays for the rest of the run once started.
    QTest::newRow("main window, manager starting late") << QString() << true;
    QTest::newRow("main window") << QString() << false;
    QTest::newRow("About") << QStringLiteral("ctrl+a") << false;
}

// Under a window manager the frame, title bar and borders included, sits in the middle of
// the 1280 x 800 screen, not the client area.
void TestEndToEnd::framedWindowIsCentred()
{
    QFETCH(QString, keys);
    QFETCH(bool, lateManager);
    QString mainWindow, window;
    if (lateManager) {
        if (windowManager_ && windowManager_->state() != QProcess::NotRunning)
            QSKIP("a window manager is running already");
        QProcess* copy = startCopy();
        QVERIFY(copy);
        mainWindow = window = waitForMainWindow(copy);
        QVERIFY(!window.isEmpty());
        startWindowManager();
    } else {
        showUnderWindowManager(keys, mainWindow, window);
    }
    if (QTest::currentTestFailed())
        return;
    // Left, right, top, bottom; set once the manager has framed the window.
    QList<int> extents;
    const auto readExtents = [&] {
        // "_NET_FRAME_EXTENTS(CARDINAL) = 1, 1, 20, 1"; "not found" before.
        extents.clear();
        const QString line =
            tool(QStringLiteral("xprop"),
                 {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")}, 5000)
                .lines.value(0);
        for (const QString& value : line.section(QLatin1Char('='), 1).split(QLatin1Char(','))) {
            bool ok = false;
            extents.append(value.trimmed().toInt(&ok));
            if (!ok)
                extents.clear();
        }
        return extents.size() == 4;
    };
    QTRY_VERIFY_WITH_TIMEOUT(readExtents(), 15000);
    const auto centre = [&] {
        // xwininfo, as xdotool adds the frame's extents to a framed window's position.
        QMap<QString, int> values;
        for (const QString& line :
             tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}, 5000).lines)
            values.insert(line.section(QLatin1Char(':'), 0, 0).trimmed(),
                          line.section(QLatin1Char(':'), 1).trimmed().toInt());
        const int left = extents[0], right = extents[1], top = extents[2], bottom = extents[3];
        // Twice the frame's centre, to stay in whole pixels.
        return QPoint(2 * (values.value(QStringLiteral("Absolute upper-left X")) - left) +
                          values.value(QStringLiteral("Width")) + left + right,
                      2 * (values.value(QStringLiteral("Absolute upper-left Y")) - top) +
                          values.value(QStringLiteral("Height")) + top + bottom);
    };
    // A cold window manager on a busy machine can take seconds to frame the first window.
    QTRY_VERIFY2_WITH_TIMEOUT(
        std::abs(centre().x() - 1280) <= 2 && std::abs(centre().y() - 800) <= 2,
        qPrintable(QStringLiteral("frame centre x2 at %1,%2").arg(centre().x()).arg(centre().y())),
        15000);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_e2e.moc"
