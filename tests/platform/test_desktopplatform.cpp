#include "platform/desktopplatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mensurio;

// What a copy before may have left at the lock's name.
enum class LockLeft {
    EmptyFile,
    UnreadableFile,
    DeadCopysPid,
    OtherProgramsPid,
    Fifo,
    Link,
    Folder
};
Q_DECLARE_METATYPE(LockLeft)

// The parts of the desktop platform that need no X server and start no program.
class TestDesktopPlatform : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void oneCopyAtATime();
    void lockLeftByDeadCopyIsTakenOver();
    void unusableRuntimeFolderStillStarts();
    void lockConditions_data();
    void lockConditions();
    void notepadFolderFollowsWritability_data();
    void notepadFolderFollowsWritability();
    void loginNameFitsTheBuffer_data();
    void loginNameFitsTheBuffer();
    void foldersOfTheDesktop();

private:
    std::unique_ptr<QTemporaryDir> runtime_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QByteArray savedRuntime_;
    QByteArray savedTemporary_;
};

void TestDesktopPlatform::init()
{
    runtime_ = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(runtime_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    temporary_ = std::make_unique<QTemporaryDir>();
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    savedTemporary_ = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
    // The lock's fallback folder lives here, not in the machine's /tmp.
    qputenv("TMPDIR", temporary_->path().toLocal8Bit());
}

void TestDesktopPlatform::cleanup()
{
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
    qputenv("TMPDIR", savedTemporary_);
}

void TestDesktopPlatform::oneCopyAtATime()
{
    auto first = std::make_unique<DesktopPlatform>();
    QVERIFY(!first->previousInstance());
    QVERIFY(QFile::exists(runtime_->filePath("mensurio.lock")));
    DesktopPlatform second;
    QVERIFY(second.previousInstance());
    first.reset(); // the first copy ends and releases its lock
    DesktopPlatform third;
    QVERIFY(!third.previousInstance());
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

    DesktopPlatform platform;
    QVERIFY(!platform.previousInstance());
}

void TestDesktopPlatform::unusableRuntimeFolderStillStarts()
{
    // A regular file where the runtime folder should be: no lock can be made at all.
    const QString blocker = runtime_->filePath("not-a-folder");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    DesktopPlatform platform(blocker + "/run");
    QVERIFY(!platform.previousInstance());
}

void TestDesktopPlatform::lockConditions_data()
{
    QTest::addColumn<LockLeft>("left");
    QTest::addColumn<bool>("runtimeUsable");
    QTest::addColumn<QString>("lockFile"); // where the first copy's lock ends up

    const QString inRuntime = QStringLiteral("{runtime}/mensurio.lock");
    const QString inFallback =
        QStringLiteral("{temporary}/mensurio-%1/mensurio.lock").arg(geteuid());
    QTest::newRow("empty lock file") << LockLeft::EmptyFile << true << inRuntime;
    QTest::newRow("lock file without any permission")
        << LockLeft::UnreadableFile << true << inRuntime;
    QTest::newRow("lock naming a dead copy") << LockLeft::DeadCopysPid << true << inRuntime;
    QTest::newRow("lock naming a running other program")
        << LockLeft::OtherProgramsPid << true << inRuntime;
    QTest::newRow("FIFO of the lock's name") << LockLeft::Fifo << true << inRuntime;
    QTest::newRow("dangling link of the lock's name") << LockLeft::Link << true << inRuntime;
    QTest::newRow("empty folder of the lock's name") << LockLeft::Folder << true << inRuntime;
    QTest::newRow("runtime folder under a file: fallback folder")
        << LockLeft::EmptyFile << false << inFallback;
}

void TestDesktopPlatform::lockConditions()
{
    QFETCH(LockLeft, left);
    QFETCH(bool, runtimeUsable);
    QFETCH(QString, lockFile);

    const QString lock = runtime_->filePath(QStringLiteral("mensurio.lock"));
    const QByteArray name = QFile::encodeName(lock);
    QFile file(lock);
    switch (left) {
    case LockLeft::EmptyFile:
    case LockLeft::UnreadableFile:
    case LockLeft::DeadCopysPid:
    case LockLeft::OtherProgramsPid:
        QVERIFY(file.open(QIODevice::WriteOnly));
        // The old lock format: pid, program name, host name.
        if (left == LockLeft::DeadCopysPid)
            file.write("999999999\nmensurio\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        if (left == LockLeft::OtherProgramsPid)
            file.write("1\ninit\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        file.close();
        if (left == LockLeft::UnreadableFile)
            QVERIFY(file.setPermissions({}));
        break;
    case LockLeft::Fifo:
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        break;
    case LockLeft::Link:
        QVERIFY(QFile::link(runtime_->filePath(QStringLiteral("gone")), lock));
        break;
    case LockLeft::Folder:
        QVERIFY(QDir().mkdir(lock));
        break;
    }
    if (!runtimeUsable)
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(lock + QStringLiteral("/run")));

    auto first = std::make_unique<DesktopPlatform>();
    QVERIFY(!first->previousInstance());
    DesktopPlatform second;
    QVERIFY(second.previousInstance());
    lockFile.replace(QStringLiteral("{runtime}"), runtime_->path())
        .replace(QStringLiteral("{temporary}"), temporary_->path());
    QVERIFY(QFileInfo(lockFile).isFile());
    QVERIFY(!QFileInfo::exists(runtime_->filePath(QStringLiteral("gone"))));
    first.reset();
    DesktopPlatform third;
    QVERIFY(!third.previousInstance());
}

void TestDesktopPlatform::notepadFolderFollowsWritability_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("inProgramFolder");

    // Cases that no write permission decides, so that they hold for root as well.
    QTest::newRow("writable program folder") << "{folder}" << true;
    QTest::newRow("program folder missing") << "{folder}/gone" << false;
    QTest::newRow("program folder under a regular file") << "{file}/bin" << false;
    QTest::newRow("program folder unknown") << "" << false;
}

void TestDesktopPlatform::notepadFolderFollowsWritability()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, inProgramFolder);

    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    programFolder.replace(QStringLiteral("{folder}"), folder.path())
        .replace(QStringLiteral("{file}"), file.fileName());
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
    // The buffer holds the name and its terminating NUL.
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
    const std::optional<QString> name = platform.loginName(144);
    QVERIFY(name);
    QCOMPARE(*name, expected);
    const int size = static_cast<int>(name->toLocal8Bit().size()) + extra;
    QCOMPARE(platform.loginName(size).has_value(), fits);
}

void TestDesktopPlatform::foldersOfTheDesktop()
{
    DesktopPlatform platform;
    QCOMPARE(platform.rootFolder(), QDir::homePath());
    QCOMPARE(platform.programFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(!platform.programFolder().endsWith('/'));
}

QTEST_GUILESS_MAIN(TestDesktopPlatform)
#include "test_desktopplatform.moc"
