#include "core/product.h"
#include "launch/launch.h"
#include "platform/desktopplatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace mensurio;

namespace {

// What one run of a recording script saw.
struct Run {
    QString program;
    QStringList arguments;
    QString folder;
};

// A private PATH holding only recording stand-ins for xdg-open, the calculators and
// touch, so that no real opener, browser or calculator can ever start. Each script
// writes its arguments one file each, then its working folder, then a "done" mark, using
// shell built-ins only (the PATH has nothing else on it), and ends with the given status.
class Recorders {
public:
    explicit Recorders(const QStringList& programs, int status = 0) : status_(status)
    {
        // Without close-on-exec, so that every program started from now on holds the write
        // end; only the read end is kept from them.
        QVERIFY(::pipe(witness_) == 0);
        QVERIFY(::fcntl(witness_[0], F_SETFD, FD_CLOEXEC) == 0);
        QDir(bin.path()).mkdir(QStringLiteral("log"));
        for (const QString& program : programs)
            install(program);
        qputenv("PATH", QFile::encodeName(bin.path()));
    }

    ~Recorders()
    {
        for (int end : witness_) {
            if (end >= 0)
                ::close(end);
        }
    }

    QString log() const { return bin.path() + QStringLiteral("/log"); }

    // Waits until every program started since the recorders were made has ended, however
    // many there were, and the program has taken note of their ends: the pipe reads its end
    // once the last holder of the write end is gone, and a marker program started after that
    // reports its own end after theirs. No new launch may start meanwhile.
    bool allEnded() const
    {
        if (witness_[1] >= 0) {
            ::close(witness_[1]);
            witness_[1] = -1;
        }
        const bool ended = QTest::qWaitFor([this] {
            pollfd end{witness_[0], POLLIN, 0};
            return ::poll(&end, 1, 0) == 1;
        });
        if (!ended)
            return false;
        QProcess marker;
        QSignalSpy markerEnded(&marker, &QProcess::finished);
        marker.start(QStringLiteral("/bin/true"), QStringList());
        return markerEnded.wait();
    }

    // Every finished run so far, in no particular order.
    QList<Run> runs() const
    {
        QList<Run> result;
        const QDir logs(log());
        for (const QString& done : logs.entryList({QStringLiteral("*.done")}, QDir::Files)) {
            const QString base = logs.filePath(done.chopped(5));
            Run run;
            run.program = done.section(QLatin1Char('.'), 0, -3);
            const int count = read(base + QStringLiteral(".argc")).toInt();
            for (int i = 1; i <= count; ++i)
                run.arguments << read(base + QStringLiteral(".arg") + QString::number(i));
            run.folder = read(base + QStringLiteral(".pwd")).chopped(1);
            result << run;
        }
        return result;
    }
    int finished() const
    {
        return QDir(log()).entryList({QStringLiteral("*.done")}, QDir::Files).size();
    }

private:
    void install(const QString& program)
    {
        QFile script(bin.filePath(program));
        QVERIFY(script.open(QIODevice::WriteOnly));
        const QByteArray text = "#!/bin/sh\n"
                                "log='" +
                                QFile::encodeName(log()) + "/" + program.toUtf8() +
                                ".'$$\n"
                                "i=0\n"
                                "for a in \"$@\"; do\n"
                                "  i=$((i + 1))\n"
                                "  printf '%s' \"$a\" > \"$log.arg$i\"\n"
                                "done\n"
                                "printf '%s' $# > \"$log.argc\"\n"
                                "pwd -P > \"$log.pwd\"\n" +
                                (program == QLatin1String("touch")
                                     ? QByteArray("for a in \"$@\"; do : > \"$a\"; done\n")
                                     : QByteArray()) +
                                ": > \"$log.done\"\n"
                                "exit " +
                                QByteArray::number(status_) + "\n";
        QCOMPARE(script.write(text), text.size());
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    static QString read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir bin;
    int status_;
    mutable int witness_[2] = {-1, -1}; // read end, write end
};

// Answers the program's message boxes as a user would and keeps what they said.
class MessageBoxes : public QObject {
public:
    struct Shown {
        QString title, text;
        QMessageBox::Icon icon;
    };
    MessageBoxes()
    {
        connect(&timer_, &QTimer::timeout, this, &MessageBoxes::answer);
        timer_.start(10);
    }
    QList<Shown> shown;

private:
    void answer()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown.append({box->windowTitle(), box->text(), box->icon()});
            box->done(QMessageBox::Ok);
        }
    }
    QTimer timer_;
};

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

} // namespace

class TestDesktopLaunch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void xdgOpenGetsOneUnchangedArgument_data();
    void xdgOpenGetsOneUnchangedArgument();
    void calculatorFoundByName_data();
    void calculatorFoundByName();
    void launchRoutinesReachTheShell();
    void launchThatCannotBeCarriedOutSaysWhy_data();
    void launchThatCannotBeCarriedOutSaysWhy();
    void failuresAreToldOneAtATime_data();
    void failuresAreToldOneAtATime();

private:
    QString startFolder_;
    QTemporaryDir elsewhere_;
};

void TestDesktopLaunch::initTestCase()
{
    startFolder_ = QDir::currentPath();
    // Until a test installs its recorders, nothing at all can be found.
    qputenv("PATH", QFile::encodeName(elsewhere_.path()));
}

void TestDesktopLaunch::cleanup()
{
    QDir::setCurrent(startFolder_);
    qputenv("PATH", QFile::encodeName(elsewhere_.path()));
}

void TestDesktopLaunch::xdgOpenGetsOneUnchangedArgument_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("withFolder");

    QTest::newRow("file path with blanks") << "/home/ada/My Notes/Notepad of Weight.txt" << false;
    QTest::newRow("mail address with quotes, semicolon and command substitution")
        << "mailto:Ada \"the Countess\" O'Neil <ada@example.org>; $(touch x) `touch x` && touch x"
        << true;
    QTest::newRow("web page with query, glob and newline")
        << "https://www.filez.example.com/a b?q=*&r=1\ntouch x" << true;
    QTest::newRow("file that looks like the calculator") << "/opt/Calc.exe" << false;
}

void TestDesktopLaunch::xdgOpenGetsOneUnchangedArgument()
{
    QFETCH(QString, file);
    QFETCH(bool, withFolder);

    const Recorders recorders(
        {QStringLiteral("xdg-open"), QStringLiteral("gnome-calculator"), QStringLiteral("touch")});
    QTemporaryDir folder;
    DesktopPlatform platform;
    platform.open(nullptr, file, withFolder ? folder.path() : QString());

    QTRY_COMPARE(recorders.finished(), 1);
    QVERIFY(recorders.allEnded()); // a stray second program too
    const QList<Run> runs = recorders.runs();
    QCOMPARE(runs.size(), 1); // neither the calculator nor touch ran
    QCOMPARE(runs.first().program, QStringLiteral("xdg-open"));
    QCOMPARE(runs.first().arguments, QStringList{file});
    QCOMPARE(runs.first().folder, canonical(withFolder ? folder.path() : startFolder_));
    for (const QString& place : {folder.path(), startFolder_, recorders.log()})
        QVERIFY2(!QFile::exists(place + QStringLiteral("/x")), qPrintable(place));
}

void TestDesktopLaunch::calculatorFoundByName_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("expected"); // empty: nothing runs
    QTest::addColumn<bool>("movedAway");   // the program's own current folder changed

    QTest::newRow("GNOME's calculator before the others")
        << QStringList{"xcalc", "kcalc", "gnome-calculator"} << "gnome-calculator" << false;
    QTest::newRow("KDE's calculator from another current folder")
        << QStringList{"galculator", "kcalc"} << "kcalc" << true;
    // The calculator has no working folder of its own: it starts in the program's.
    QTest::newRow("the last candidate, from another current folder")
        << QStringList{"xcalc"} << "xcalc" << true;
    QTest::newRow("no calculator at all") << QStringList{} << "" << false;
}

void TestDesktopLaunch::calculatorFoundByName()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, expected);
    QFETCH(bool, movedAway);

    const Recorders recorders(installed + QStringList{QStringLiteral("xdg-open")});
    if (movedAway)
        QVERIFY(QDir::setCurrent(elsewhere_.path()));
    DesktopPlatform platform;
    const MessageBoxes boxes;
    platform.startCalculator(nullptr);
    QCOMPARE(boxes.shown.size(), expected.isEmpty() ? 1 : 0);

    QTRY_COMPARE(recorders.finished(), expected.isEmpty() ? 0 : 1);
    QVERIFY(recorders.allEnded()); // a stray second program too
    const QList<Run> runs = recorders.runs();
    if (expected.isEmpty()) {
        QVERIFY(runs.isEmpty()); // not even xdg-open
        return;
    }
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().program, expected);
    QCOMPARE(runs.first().arguments, QStringList());
    QCOMPARE(runs.first().folder, canonical(movedAway ? elsewhere_.path() : startFolder_));
}

void TestDesktopLaunch::launchRoutinesReachTheShell()
{
    // The mail routine runs from the user's home folder; a file opens from wherever the
    // program is.
    const Recorders recorders({QStringLiteral("xdg-open"), QStringLiteral("touch")});
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    DesktopPlatform platform;
    Context context{platform, nullptr};
    const QString friendAddress = QStringLiteral("bob@example.org; $(touch x)");
    const QString notes = home.path() + QStringLiteral("/Notepad of Area.txt");

    launch::mailTo(context, friendAddress);
    launch::open(context, notes);

    QTRY_COMPARE(recorders.finished(), 2);
    QVERIFY(recorders.allEnded()); // a stray second program too
    qputenv("HOME", oldHome);
    QList<Run> runs = recorders.runs();
    QCOMPARE(runs.size(), 2);
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.arguments < b.arguments; });
    QCOMPARE(runs[0].arguments, QStringList{notes});
    QCOMPARE(runs[0].folder, canonical(startFolder_));
    QCOMPARE(runs[1].arguments, QStringList{QStringLiteral("mailto:") + friendAddress});
    QCOMPARE(runs[1].folder, canonical(home.path()));
    QVERIFY(!QFile::exists(home.path() + QStringLiteral("/x")));
}

void TestDesktopLaunch::launchThatCannotBeCarriedOutSaysWhy_data()
{
    QTest::addColumn<QString>("file"); // empty: the calculator
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status"); // of the programs installed

    const QString noOpener = QStringLiteral(
        "xdg-open, which opens files and addresses with the desktop's programs, is not "
        "installed (package xdg-utils).");
    QTest::newRow("calculator, none installed")
        << "" << QStringList{"xdg-open"}
        << "The calculator could not be started:\nNone of these calculators is installed: "
           "gnome-calculator, kcalc, qalculate-qt, qalculate-gtk, galculator, mate-calc, xcalc."
        << 0;
    QTest::newRow("notepad without xdg-open")
        << "/home/ada/Notepad of Weight.txt" << QStringList{"gnome-calculator"}
        << "Could not open \"/home/ada/Notepad of Weight.txt\":\n" + noOpener << 0;
    QTest::newRow("mail address without xdg-open")
        << "mailto:" + product::text(product::supportAddress) << QStringList{}
        << "Could not open \"mailto:" + product::text(product::supportAddress) + "\":\n" + noOpener
        << 0;
    // xdg-open's own statuses: 3 no program for the type, 4 the program failed.
    QTest::newRow("notepad with no program for text files")
        << "/home/ada/Notepad of Weight.txt" << QStringList{"xdg-open"}
        << "Could not open \"/home/ada/Notepad of Weight.txt\":\nThe desktop could not open it "
           "(xdg-open ended with status 3)."
        << 3;
    QTest::newRow("licence whose program fails")
        << "/usr/share/mensurio/" + product::text(product::licenceFile) << QStringList{"xdg-open"}
        << "Could not open \"/usr/share/mensurio/" + product::text(product::licenceFile) +
               "\":\nThe desktop could not "
               "open it (xdg-open ended with status 4)."
        << 4;
}

void TestDesktopLaunch::launchThatCannotBeCarriedOutSaysWhy()
{
    QFETCH(QString, file);
    QFETCH(QStringList, installed);
    QFETCH(QString, text);
    QFETCH(int, status);

    const Recorders recorders(installed, status);
    const MessageBoxes boxes;
    {
        DesktopPlatform platform; // gone before a failing opener ends
        if (file.isEmpty())
            platform.startCalculator(nullptr);
        else
            platform.open(nullptr, file, QString());
    }

    QTRY_COMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().title, product::text(product::name));
    QCOMPARE(boxes.shown.first().text, text);
    QCOMPARE(boxes.shown.first().icon, QMessageBox::Warning);
    QVERIFY(recorders.allEnded()); // a stray second program too
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(recorders.finished(), status == 0 ? 0 : 1);
}

void TestDesktopLaunch::failuresAreToldOneAtATime_data()
{
    QTest::addColumn<QStringList>("files"); // opened in a burst, without xdg-open
    QTest::addColumn<QStringList>("told");  // the boxes shown, in order

    QTest::newRow("three files, one box after the other")
        << QStringList{"/a.txt", "/b.txt", "/c.txt"} << QStringList{"/a.txt", "/b.txt", "/c.txt"};
    QTest::newRow("the same file thrice, told once")
        << QStringList{"/a.txt", "/a.txt", "/a.txt"} << QStringList{"/a.txt"};
}

void TestDesktopLaunch::failuresAreToldOneAtATime()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, told);

    // Each launch fails at once, from the event loop, as openers ending together do; a box
    // already up runs that loop.
    DesktopPlatform platform;
    int asked = 0;
    for (const QString& file : std::as_const(files))
        QTimer::singleShot(0, this, [&platform, &asked, file] {
            ++asked;
            platform.open(nullptr, file, QString());
        });
    // The boxes are answered once every launch has been asked for; until then they pile up
    // if they are going to.
    qsizetype mostAtOnce = 0;
    QStringList shown;
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        mostAtOnce =
            std::max(mostAtOnce, std::count_if(windows.begin(), windows.end(), [](QWidget* window) {
                         return qobject_cast<QMessageBox*>(window) && window->isVisible();
                     }));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && asked == files.size()) {
            shown << box->text().section(QLatin1Char('"'), 1, 1);
            box->done(QMessageBox::Ok);
        }
    });
    user.start(10);

    QTRY_COMPARE(shown, told);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(mostAtOnce, 1);
    QCOMPARE(shown, told);
}

QTEST_MAIN(TestDesktopLaunch)
#include "test_desktoplaunch.moc"
