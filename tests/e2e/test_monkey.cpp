// A monkey on the real executable: thousands of real X events on a private X server, into
// the main window and every window it opens. It fails when the program crashes, a sanitizer
// reports, or the program stops answering a window manager's ping within 5 s.
//
// The run is fixed by its seed; both are printed and can be set:
//   MENSURIO_MONKEY_SEED=42 MENSURIO_MONKEY_EVENTS=200000 ctest --test-dir build-asan -R monkey
//
// Message boxes are answered as a user would, mostly with Escape (No, Cancel, OK), now and
// then with Return (the default: Yes to "close Mensurio?"). The program may thus end through
// its own commands (the exit picture, a confirmed close); that is no fault, so the monkey
// checks that it ended cleanly and starts it again. Only at the very end does it close the
// main window itself, so that the leak check of a sanitizer build runs.
#include "core/product.h"
#include "platform/desktopplatform.h"
#include "session.h"
#include "xmonkey.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString mainTitle = QStringLiteral("Mensurio - Version 1.2");
constexpr int startTimeoutMs = 20000;
constexpr int pingTimeoutMs = 5000;
constexpr int defaultSeed = 20261207;
constexpr int defaultEvents = 12000;
// The main window's client area; what lies above it is the menu bar.
constexpr int mainClientHeight = 369;

int setting(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// Points worth a click, in twips of the client area, by window title: every link label,
// clickable picture, button, field and drop-down list. Random clicks cover the rest.
QList<QPoint> hotSpots(const QString& title)
{
    QList<QPoint> spots;
    if (title == mainTitle) {
        // Category frames: left, top, label column, rows; links and their row icons.
        const int frames[][4] = {{180, 1200, 1140, 5},
                                 {3795, 1200, 1110, 5},
                                 {7410, 1200, 1140, 3},
                                 {180, 3330, 1140, 5},
                                 {3795, 3330, 1110, 4}};
        for (const auto& frame : frames) {
            spots += {frame[0] + 450, frame[1] + 540}; // category picture
            for (int row = 0; row < frame[3]; ++row)
                spots += {{frame[0] + frame[2] + 200, frame[1] + 937 + 210 * row},
                          {frame[0] + frame[2] - 180, frame[1] + 960 + 210 * row}};
        }
        for (int top : {300, 705, 1125, 1530})
            spots += {9140, 3330 + top + 157};               // command buttons
        spots += {{10335, 300}, {10650, 300}, {10380, 577}}; // minimize, exit, donate
    } else if (title.startsWith(QLatin1String("Conversion part of"))) {
        // The panel sits 60 to 120 twips up and left, depending on the pair.
        spots += {{4650, 210},  {4920, 210},  {4710, 1170}, {2610, 1207},
                  {2700, 1822}, {2700, 2212}, {450, 510},   {930, 840}};
    } else if (title == QLatin1String("About Mensurio")) {
        spots += {{980, 817}, {6607, 802}, {1900, 1717}, {2100, 3037}, {6652, 4822}, {3727, 4822}};
    } else if (title == QLatin1String("I Like Mensurio")) {
        spots += {{6990, 450},  {1410, 1117}, {1410, 1867}, {2310, 2857},
                  {1245, 3105}, {2610, 3487}, {1245, 3735}};
    } else if (title.startsWith(QLatin1String("Important Symbols"))) {
        spots += {{4012, 2782}, {4012, 3232}, {3600, 900}};
    }
    return spots;
}

// Keys a user might press anywhere, as keysym names; modifiers first.
const QList<QStringList>& keys()
{
    static const QList<QStringList> all = [] {
        QList<QStringList> list;
        for (const char* key :
             {"0",         "1",      "2",     "5",      "9",        "minus",   "comma", "period",
              "BackSpace", "Delete", "Tab",   "Return", "KP_Enter", "Escape",  "space", "Up",
              "Down",      "Left",   "Right", "Home",   "End",      "Page_Up", "F1",    "F2",
              "F3",        "a",      "E",     "plus",   "slash",    "Insert",  "Menu"})
            list += QStringList{QLatin1String(key)};
        // Control characters and shortcuts: every Ctrl+letter, the menus' Alt+letters,
        // the other clipboard keys and Shift+Tab.
        for (char letter = 'a'; letter <= 'z'; ++letter)
            list += QStringList{QStringLiteral("Control_L"), QString(QLatin1Char(letter))};
        for (const char* letter : {"m", "c", "s", "a", "w", "l", "v", "F4"})
            list += QStringList{QStringLiteral("Alt_L"), QLatin1String(letter)};
        list += {{QStringLiteral("Shift_L"), QStringLiteral("Insert")},
                 {QStringLiteral("Control_L"), QStringLiteral("Insert")},
                 {QStringLiteral("Shift_L"), QStringLiteral("Tab")},
                 {QStringLiteral("Control_L"), QStringLiteral("BackSpace")}};
        return list;
    }();
    return all;
}

// Arabic decimal sign, a-umlaut, euro, U+2212 minus, an Arabic-Indic three, a CJK
// character, the degree sign and an emoji outside the Basic Multilingual Plane.
const QList<char32_t> extraCharacters = {0x066B, 0x00E4, 0x20AC, 0x2212,
                                         0x0663, 0x4E2D, 0x00B0, 0x1F600};

QString describe(const QList<e2e::XMonkey::Window>& windows)
{
    QStringList parts;
    for (const e2e::XMonkey::Window& window : windows)
        parts += QStringLiteral("\"%1\"%2%3")
                     .arg(window.title, window.modal ? " modal" : "", window.popup ? " popup" : "");
    return parts.join(QStringLiteral(", "));
}

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void survivesRandomInput();

private:
    bool start();
    // Whether the program still runs after waiting up to ms for its end. QProcess learns of
    // an end only while it waits or its event loop runs; the monkey's loop is no Qt loop.
    bool running(int ms);
    // False when the program ended otherwise than cleanly; then says why.
    bool endedCleanly(QString* why);
    QString randomText(int length);
    void act(const QList<e2e::XMonkey::Window>& windows);
    void click(const e2e::XMonkey::Window& window, bool hot, int button);
    void type(const e2e::XMonkey::Window& window, const QString& keysyms);

    QProcess xvfb_;
    std::unique_ptr<e2e::XMonkey> x_;
    QTemporaryDir session_;
    std::unique_ptr<QProcess> copy_;
    QRandomGenerator random_;
    QStringList extraKeys_;
    QSet<QString> titlesSeen_;
    int starts_ = 0;
};

void TestMonkey::initTestCase()
{
    QVERIFY2(QFileInfo(QStringLiteral(MENSURIO_EXE)).isExecutable(), MENSURIO_EXE);
    QVERIFY(session_.isValid());
    xvfb_.setStandardErrorFile(QProcess::nullDevice());
    xvfb_.start(QStringLiteral("Xvfb"),
                QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-screen"), QStringLiteral("0"),
                            QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp")});
    QVERIFY2(xvfb_.waitForStarted(), "Xvfb could not be started");
    const QDeadlineTimer deadline(10000);
    while (!xvfb_.canReadLine() && xvfb_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    QVERIFY2(xvfb_.canReadLine(), "Xvfb named no display");
    const QByteArray display = ':' + xvfb_.readLine().trimmed();
    qputenv("DISPLAY", display);
    x_ = std::make_unique<e2e::XMonkey>(display);
    QVERIFY2(x_->isOpen(), "no XTest on the private X server");
    extraKeys_ = x_->bindExtraKeys(extraCharacters);

    // The program runs from a folder of its own, so its notepads land there; everything it
    // would open goes to stand-ins first on PATH that only record their arguments.
    for (const char* folder : {"home", "runtime", "bin", "program"})
        QVERIFY(QDir(session_.path()).mkdir(QLatin1String(folder)));
    QVERIFY(QFile::setPermissions(session_.filePath(QStringLiteral("runtime")),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner));
    const QString exeFolder = QFileInfo(QStringLiteral(MENSURIO_EXE)).absolutePath();
    QVERIFY(QFile::copy(QStringLiteral(MENSURIO_EXE),
                        session_.filePath(QStringLiteral("program/mensurio"))));
    QVERIFY(QFile::copy(
        exeFolder + QLatin1Char('/') + mensurio::product::text(mensurio::product::licenceFile),
        session_.filePath(QStringLiteral("program/") +
                          mensurio::product::text(mensurio::product::licenceFile))));
    const QByteArray record = "#!/bin/sh\necho \"$0 $*\" >> '" +
                              QFile::encodeName(session_.filePath(QStringLiteral("calls.txt"))) +
                              "'\n";
    for (const QString& name : mensurio::DesktopPlatform::calculatorCandidates() +
                                   QStringList{QStringLiteral("xdg-open")}) {
        QFile standIn(session_.filePath(QStringLiteral("bin/") + name));
        QVERIFY(standIn.open(QIODevice::WriteOnly));
        standIn.write(record);
        standIn.close();
        QVERIFY(standIn.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
}

void TestMonkey::cleanupTestCase()
{
    if (copy_ && copy_->state() != QProcess::NotRunning) {
        copy_->kill();
        copy_->waitForFinished();
    }
    x_.reset();
    xvfb_.terminate();
    xvfb_.waitForFinished(5000);
}

bool TestMonkey::start()
{
    const QProcessEnvironment environment =
        e2e::programEnvironment(qgetenv("DISPLAY"), QDir(session_.path()));
    copy_ = std::make_unique<QProcess>();
    copy_->setProcessEnvironment(environment);
    copy_->setWorkingDirectory(session_.filePath(QStringLiteral("home")));
    copy_->setStandardOutputFile(QProcess::nullDevice());
    copy_->setStandardErrorFile(session_.filePath(QStringLiteral("stderr-%1.txt").arg(++starts_)));
    copy_->start(session_.filePath(QStringLiteral("program/mensurio")), QStringList());
    if (!copy_->waitForStarted())
        return false;
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!deadline.hasExpired() && running(0)) {
        for (const e2e::XMonkey::Window& window : x_->windowsOf(copy_->processId())) {
            if (window.title == mainTitle)
                return true;
        }
        QTest::qWait(50);
    }
    return false;
}

bool TestMonkey::running(int ms)
{
    copy_->waitForFinished(ms);
    return copy_->state() != QProcess::NotRunning;
}

bool TestMonkey::endedCleanly(QString* why)
{
    QFile log(session_.filePath(QStringLiteral("stderr-%1.txt").arg(starts_)));
    const QByteArray errors = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    if (copy_->exitStatus() == QProcess::NormalExit && copy_->exitCode() == 0 &&
        !errors.contains("Sanitizer") && !errors.contains("runtime error"))
        return true;
    *why = QStringLiteral("the program ended with status %1 (%2)\n%3")
               .arg(copy_->exitCode())
               .arg(copy_->exitStatus() == QProcess::CrashExit ? "crash" : "exit")
               .arg(QString::fromLocal8Bit(errors.right(6000)));
    return false;
}

QString TestMonkey::randomText(int length)
{
    static const QString alphabet =
        QStringLiteral("0123456789-,.eE+ \t\n") + QString::fromUtf8("٫٬−äߣ中😀\u200e");
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random_.bounded(alphabet.size()));
    return text;
}

void TestMonkey::click(const e2e::XMonkey::Window& window, bool hot, int button)
{
    const QRect& frame = window.frame;
    const QList<QPoint> spots = window.popup ? QList<QPoint>() : hotSpots(window.title);
    QPoint point(random_.bounded(frame.width()), random_.bounded(frame.height()));
    if (hot && !spots.isEmpty()) {
        const QPoint twips = spots.at(random_.bounded(spots.size()));
        const int clientTop = window.title == mainTitle ? frame.height() - mainClientHeight : 0;
        point = QPoint(twips.x() / 15, clientTop + twips.y() / 15);
    } else if (hot && window.title == mainTitle) {
        point = QPoint(random_.bounded(300), (frame.height() - mainClientHeight) / 2); // menus
    }
    x_->click(frame.x() + point.x(), frame.y() + point.y(), button);
}

void TestMonkey::type(const e2e::XMonkey::Window& window, const QString& keysyms)
{
    x_->focus(window.id);
    for (const QString& key : keysyms.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        x_->pressKeys({key});
}

void TestMonkey::act(const QList<e2e::XMonkey::Window>& windows)
{
    // A modal window takes all input; an open menu or list takes most of it.
    QList<e2e::XMonkey::Window> modal, popups;
    for (const e2e::XMonkey::Window& window : windows) {
        if (window.modal)
            modal += window;
        else if (window.popup)
            popups += window;
    }
    if (!modal.isEmpty()) {
        const e2e::XMonkey::Window& box = modal.last();
        const int roll = random_.bounded(100);
        if (roll < 75)
            type(box, QStringLiteral("Escape"));
        else if (roll < 90)
            type(box, QStringLiteral("a 1 period BackSpace ") + extraKeys_.value(0));
        else if (roll < 95)
            click(box, false, 1);
        else
            type(box, QStringLiteral("Return"));
        return;
    }
    const e2e::XMonkey::Window& target = !popups.isEmpty() && random_.bounded(100) < 70
                                             ? popups.at(random_.bounded(popups.size()))
                                             : windows.at(random_.bounded(windows.size()));
    const int roll = random_.bounded(100);
    if (roll < 30) { // one key or shortcut
        x_->focus(target.id);
        x_->pressKeys(keys().at(random_.bounded(keys().size())));
    } else if (roll < 40) { // characters no US keyboard has
        type(target, extraKeys_.value(random_.bounded(extraKeys_.size())));
    } else if (roll < 50) { // a value, the double zero among them
        static const QStringList values = {QStringLiteral("0 0"), QStringLiteral("1 2 period 5"),
                                           QStringLiteral("minus 3 comma 2"),
                                           QStringLiteral("9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9"),
                                           QStringLiteral("BackSpace BackSpace")};
        type(target, values.at(random_.bounded(values.size())));
    } else if (roll < 80) { // clicks, aimed or not; right and middle ones too
        const int button = random_.bounded(10) == 0 ? 2 + random_.bounded(2) : 1;
        click(target, random_.bounded(2) == 0, button);
    } else if (roll < 86) { // paste a random or a huge text
        const int length =
            random_.bounded(4) == 0 ? 100000 + random_.bounded(300000) : 1 + random_.bounded(40);
        x_->offerText(randomText(length).toUtf8());
        static const QList<QStringList> pastes = {
            {QStringLiteral("Control_L"), QStringLiteral("v")},
            {QStringLiteral("Shift_L"), QStringLiteral("Insert")}};
        if (random_.bounded(3) == 0) {
            click(target, true, 2); // the primary selection, X's own paste
        } else {
            x_->focus(target.id);
            x_->pressKeys(pastes.at(random_.bounded(pastes.size())));
        }
    } else if (roll < 94) { // switch the direction of a pair window
        if (target.title.startsWith(QLatin1String("Conversion part of"))) {
            x_->click(target.frame.x() + 2610 / 15, target.frame.y() + 1207 / 15, 1);
            type(target,
                 random_.bounded(2) ? QStringLiteral("Down Return") : QStringLiteral("Up Return"));
        }
    } else if (roll < 97) { // close a window by its frame; never the main window
        if (target.title != mainTitle && !target.popup)
            x_->sendDelete(target.id);
    } else {
        x_->movePointer(random_.bounded(1280), random_.bounded(800));
    }
}

void TestMonkey::survivesRandomInput()
{
    const int seed = setting("MENSURIO_MONKEY_SEED", defaultSeed);
    const int events = setting("MENSURIO_MONKEY_EVENTS", defaultEvents);
    qInfo("monkey: seed %d, %d events (MENSURIO_MONKEY_SEED, MENSURIO_MONKEY_EVENTS)", seed,
          events);
    random_.seed(quint32(seed));
    QVERIFY2(start(), "the program never showed its main window");

    int nextPing = 0;
    QString why;
    QElapsedTimer mainGone;
    while (x_->events() < events) {
        x_->pump();
        if (!running(0)) {
            // Ended by its own command: fine if cleanly, and the monkey goes on.
            QVERIFY2(endedCleanly(&why), qPrintable(why));
            QVERIFY2(start(), "the program did not start again");
            continue;
        }
        const QList<e2e::XMonkey::Window> windows = x_->windowsOf(copy_->processId());
        for (const e2e::XMonkey::Window& window : windows)
            titlesSeen_.insert(window.popup ? QStringLiteral("(popup)") : window.title);
        const auto main = std::find_if(windows.cbegin(), windows.cend(), [](const auto& window) {
            return window.title == mainTitle;
        });
        if (main == windows.cend()) {
            // On its way out; a main window gone for good while the program runs is a fault.
            QVERIFY2(!mainGone.isValid() || mainGone.elapsed() < startTimeoutMs,
                     "the main window vanished but the program still runs");
            if (!mainGone.isValid())
                mainGone.start();
            QTest::qWait(20);
            continue;
        }
        mainGone.invalidate();
        act(windows);
        if (x_->events() >= nextPing) {
            const bool answered = x_->ping(main->id, pingTimeoutMs);
            // A program that ended by its own command answers no more pings.
            if (!answered && running(1000)) {
                // Where it hangs, when gdb is at hand.
                QProcess gdb;
                gdb.setProcessChannelMode(QProcess::ForwardedChannels);
                gdb.start(QStringLiteral("gdb"),
                          {QStringLiteral("-p"), QString::number(copy_->processId()),
                           QStringLiteral("-batch"), QStringLiteral("-ex"),
                           QStringLiteral("thread apply all bt 30")});
                gdb.waitForFinished(60000);
                QFAIL(qPrintable(
                    QStringLiteral("no answer to a ping within %1 ms after %2 events; windows: %3")
                        .arg(pingTimeoutMs)
                        .arg(x_->events())
                        .arg(describe(windows))));
            }
            nextPing = x_->events() + 30;
        }
    }

    // Answer what is still open, then close the main window as a window manager would: the
    // program must end cleanly, leak check included.
    for (int i = 0; i < 20 && running(0); ++i) {
        QList<e2e::XMonkey::Window> windows = x_->windowsOf(copy_->processId());
        bool blocked = false;
        for (const e2e::XMonkey::Window& window : windows) {
            if (window.modal || window.popup) {
                type(window, QStringLiteral("Escape"));
                blocked = true;
            }
        }
        if (!blocked) {
            for (const e2e::XMonkey::Window& window : windows) {
                if (window.title == mainTitle)
                    x_->sendDelete(window.id);
            }
        }
        x_->pump();
        copy_->waitForFinished(500);
    }
    copy_->waitForFinished(startTimeoutMs);
    QVERIFY2(copy_->state() == QProcess::NotRunning,
             qPrintable(QStringLiteral("the program did not end on close; windows: ") +
                        describe(x_->windowsOf(copy_->processId()))));
    QVERIFY2(endedCleanly(&why), qPrintable(why));

    QFile calls(session_.filePath(QStringLiteral("calls.txt")));
    const int launched = calls.open(QIODevice::ReadOnly) ? int(calls.readAll().count('\n')) : 0;
    QStringList titles = titlesSeen_.values();
    titles.sort();
    qInfo("monkey: %d X events, %d starts, %d launches recorded; windows: %s", x_->events(),
          starts_, launched, qPrintable(titles.join(QStringLiteral(", "))));
}

QTEST_GUILESS_MAIN(TestMonkey)
#include "test_monkey.moc"
