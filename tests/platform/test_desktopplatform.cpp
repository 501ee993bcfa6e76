#include "platform/desktopplatform.h"
#include "platform/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mensurio;

// The parts of the desktop platform that need no X server and start no program, and the
// lock main() takes before the toolkit starts.
class TestDesktopPlatform : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void oneCopyAtATime();
    void lockLeftByDeadCopyIsTakenOver();
    void unusableRuntimeFolderStillStarts();
    void notepadFolderFollowsWritability_data();
    void notepadFolderFollowsWritability();
    void loginNameFitsTheBuffer_data();
    void loginNameFitsTheBuffer();
    void foldersOfTheDesktop_data();
    void foldersOfTheDesktop();

private:
    std::unique_ptr<QTemporaryDir> runtime_;
    QByteArray savedRuntime_;
};

void TestDesktopPlatform::init()
{
    runtime_ = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(runtime_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
}

void TestDesktopPlatform::cleanup() { qputenv("XDG_RUNTIME_DIR", savedRuntime_); }

void TestDesktopPlatform::oneCopyAtATime()
{
    // As main() takes it: in the user's runtime folder.
    auto first = std::make_unique<InstanceLock>(InstanceLock::take(InstanceLock::defaultFolders()));
    QCOMPARE(first->state(), InstanceLock::State::Held);
    QVERIFY(QFile::exists(runtime_->filePath("mensurio.lock")));
    const InstanceLock second = InstanceLock::take(InstanceLock::defaultFolders());
    QCOMPARE(second.state(), InstanceLock::State::HeldByAnotherCopy);
    first.reset(); // the first copy ends and releases its lock
    const InstanceLock third = InstanceLock::take(InstanceLock::defaultFolders());
    QCOMPARE(third.state(), InstanceLock::State::Held);
}

void TestDesktopPlatform::lockLeftByDeadCopyIsTakenOver()
{
    // A copy killed with SIGKILL leaves its lock file behind; its process is gone.
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    QVERIFY(child > 0);
    QTRY_VERIFY(::kill(child, 0) != 0 || waitpid(child, nullptr, WNOHANG) == child);
    QFile lock(runtime_->filePath("mensurio.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(child) + "\nmensurio\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    const InstanceLock taken = InstanceLock::take(InstanceLock::defaultFolders());
    QCOMPARE(taken.state(), InstanceLock::State::Held);
}

void TestDesktopPlatform::unusableRuntimeFolderStillStarts()
{
    // A regular file where the runtime folder should be: no lock can be made at all.
    const QString blocker = runtime_->filePath("not-a-folder");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const InstanceLock none = InstanceLock::take({QFile::encodeName(blocker + "/run")});
    // Runs unguarded: only a lock held by another copy ends a start.
    QCOMPARE(none.state(), InstanceLock::State::Unavailable);
}

void TestDesktopPlatform::notepadFolderFollowsWritability_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("inProgramFolder");

    // Cases that no write permission decides, so that they hold for root as well.
    QTest::newRow("writable program folder") << "{folder}" << true;
    QTest::newRow("program folder missing") << "{folder}/gone" << false;
    QTest::newRow("program folder unknown") << "" << false;
}

void TestDesktopPlatform::notepadFolderFollowsWritability()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, inProgramFolder);

    QTemporaryDir folder;
    programFolder.replace(QStringLiteral("{folder}"), folder.path());
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
    QCoreApplication::setApplicationName(QStringLiteral("Mensurio"));

    const QString chosen = DesktopPlatform::notepadFolderFor(programFolder);

    qputenv("XDG_DATA_HOME", savedData);
    QCOMPARE(chosen,
             inProgramFolder ? programFolder : folder.filePath(QStringLiteral("data/Mensurio")));
    QVERIFY(QFileInfo(chosen).isDir());
}

void TestDesktopPlatform::loginNameFitsTheBuffer_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<bool>("fits");
    // Bytes to spare in the program's 144 for a name and its terminating NUL.
    QTest::newRow("room to spare") << 10 << true;
    QTest::newRow("exactly name and NUL") << 1 << true;
    QTest::newRow("no room for the NUL") << 0 << false;
}

void TestDesktopPlatform::loginNameFitsTheBuffer()
{
    QFETCH(int, extra);
    QFETCH(bool, fits);
    // The system's own answer, asked another way.
    QProcess id;
    id.start(QStringLiteral("id"), {QStringLiteral("-un")});
    QVERIFY(id.waitForFinished());
    const QString expected = QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed();
    DesktopPlatform platform;
    const std::optional<QString> name = platform.loginName();
    QVERIFY(name);
    QCOMPARE(*name, expected);
    const QByteArray longName(144 - extra, 'n');
    QCOMPARE(DesktopPlatform::fittingLoginName(longName).has_value(), fits);
}

void TestDesktopPlatform::foldersOfTheDesktop_data()
{
    // HOME and XDG_DATA_HOME as set (null: unset; "{tmp}": a fresh folder), and the home and
    // data folders expected ("{login}": the login's home in the user database).
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("dataHome");
    QTest::addColumn<QString>("homeFolder");
    QTest::addColumn<QString>("data");

    QTest::newRow("as set") << QByteArray("{tmp}") << QByteArray("{tmp}/data") << "{tmp}"
                            << "{tmp}/data/Mensurio";
    QTest::newRow("HOME unset") << QByteArray() << QByteArray("{tmp}/data") << "{login}"
                                << "{tmp}/data/Mensurio";
    QTest::newRow("HOME empty") << QByteArray("") << QByteArray("{tmp}/data") << "{login}"
                                << "{tmp}/data/Mensurio";
    QTest::newRow("HOME relative") << QByteArray("home") << QByteArray("{tmp}/data") << "{login}"
                                   << "{tmp}/data/Mensurio";
    QTest::newRow("XDG_DATA_HOME relative") << QByteArray("{tmp}") << QByteArray("data") << "{tmp}"
                                            << "{tmp}/.local/share/Mensurio";
}

void TestDesktopPlatform::foldersOfTheDesktop()
{
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, dataHome);
    QFETCH(QString, homeFolder);
    QFETCH(QString, data);

    // The login's home, asked of the user database another way.
    QProcess getent;
    getent.start(QStringLiteral("getent"), {QStringLiteral("passwd"), QString::number(geteuid())});
    QVERIFY(getent.waitForFinished());
    const QString login = QString::fromLocal8Bit(getent.readAllStandardOutput()).section(':', 5, 5);
    QVERIFY(login.startsWith('/'));
    QTemporaryDir tmp;
    const auto expand = [&](QString text) {
        return text.replace(QStringLiteral("{tmp}"), tmp.path())
            .replace(QStringLiteral("{login}"), login);
    };
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_DATA_HOME")};
    const auto set = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    set("HOME", home.replace("{tmp}", QFile::encodeName(tmp.path())));
    set("XDG_DATA_HOME", dataHome.replace("{tmp}", QFile::encodeName(tmp.path())));
    QCoreApplication::setApplicationName(QStringLiteral("Mensurio"));

    DesktopPlatform platform;
    const QString homeFolderFound = platform.homeFolder();
    const QString dataFolder = DesktopPlatform::notepadFolderFor({});

    set("HOME", saved[0]);
    set("XDG_DATA_HOME", saved[1]);
    QCOMPARE(homeFolderFound, expand(homeFolder));
    QCOMPARE(dataFolder, expand(data));
    QCOMPARE(platform.programFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(!platform.programFolder().endsWith('/'));
}

QTEST_GUILESS_MAIN(TestDesktopPlatform)
#include "test_desktopplatform.moc"
