#include "core/product.h"
#include "platform/desktopplatform.h"
#include "platform/instancelock.h"
#include "platform/startupnotification.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstring>
#include <memory>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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
    void noOtherUserMovesTheLock_data();
    void noOtherUserMovesTheLock();
    void stalledServerHoldsNoRefusedCopy();
    void unusableRuntimeFolderStillStarts();
    void programFolders_data();
    void programFolders();
    void loginNameFitsTheBuffer_data();
    void loginNameFitsTheBuffer();
    void foldersOfTheDesktop_data();
    void foldersOfTheDesktop();

private:
    std::unique_ptr<QTemporaryDir> runtime_;
    QList<QByteArray> saved_; // of the variables below
    const QList<const char*> variables_{"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"};
};

void TestDesktopPlatform::init()
{
    runtime_ = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(runtime_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    saved_.clear();
    for (const char* variable : variables_)
        saved_ << qgetenv(variable);
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
}

void TestDesktopPlatform::cleanup()
{
    for (qsizetype i = 0; i < variables_.size(); ++i) {
        if (saved_[i].isNull())
            qunsetenv(variables_[i]);
        else
            qputenv(variables_[i], saved_[i]);
    }
}

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

void TestDesktopPlatform::noOtherUserMovesTheLock_data()
{
    // What another user (65534) does between two starts; the second start must find the
    // first copy whatever they did.
    QTest::addColumn<QString>("move");

    QTest::newRow("holds $TMPDIR/mensurio-<uid> for the first, frees it for the second")
        << "temporary";
    QTest::newRow("moves the runtime folder out of a folder others may write") << "runtime";
}

void TestDesktopPlatform::noOtherUserMovesTheLock()
{
    QFETCH(QString, move);

    QTemporaryDir base;
    const QString shared = base.filePath(QStringLiteral("shared"));
    const QString runtime = shared + QStringLiteral("/run");
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // A folder every user may write, such as a shared temporary folder without its sticky bit.
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    const QString theirs = shared + QStringLiteral("/mensurio-%1").arg(::geteuid());
    qputenv("TMPDIR", QFile::encodeName(shared));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base.filePath(QStringLiteral("cache"))));
    QVERIFY(QDir().mkdir(base.filePath(QStringLiteral("cache"))));
    if (move == QLatin1String("temporary")) {
        qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(QDir().mkdir(theirs));
        if (::chown(QFile::encodeName(theirs).constData(), 65534, 65534) != 0)
            QSKIP("only root can make a folder of another user");
    } else {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }

    const InstanceLock first = InstanceLock::take(InstanceLock::defaultFolders());
    if (move == QLatin1String("temporary"))
        QVERIFY(QDir(theirs).removeRecursively());
    else
        QVERIFY(QDir().rename(runtime, runtime + QStringLiteral(".moved")));
    const InstanceLock second = InstanceLock::take(InstanceLock::defaultFolders());

    QCOMPARE(first.state(), InstanceLock::State::Held);
    QCOMPARE(second.state(), InstanceLock::State::HeldByAnotherCopy);
}

void TestDesktopPlatform::stalledServerHoldsNoRefusedCopy()
{
    // An X server that takes connections and never answers them, as a stopped one does: a
    // listening socket where libxcb looks first for display :N, never accepted from.
    const int display = 3000 + int(::getpid() % 2000);
    const QByteArray address = "/tmp/.X11-unix/X" + QByteArray::number(display);
    sockaddr_un server{};
    server.sun_family = AF_UNIX;
    std::memcpy(server.sun_path + 1, address.constData(), std::size_t(address.size()));
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(listening >= 0);
    QVERIFY(::bind(listening, reinterpret_cast<const sockaddr*>(&server),
                   socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(address.size()))) ==
            0);
    QVERIFY(::listen(listening, 8) == 0);

    // The refused copy's last step, in a process of its own that the test can end.
    const pid_t copy = ::fork();
    if (copy == 0) {
        ::setenv("DISPLAY", (":" + QByteArray::number(display)).constData(), 1);
        ::setenv("DESKTOP_STARTUP_ID", "menu-4711_TIME1", 1);
        endStartupNotification();
        ::_exit(0);
    }
    QVERIFY(copy > 0);
    int status = -1;
    const auto ended = [&] { return ::waitpid(copy, &status, WNOHANG) == copy; };
    const bool endedByItself = QTest::qWaitFor(ended, 10000);
    if (!endedByItself) {
        ::kill(copy, SIGKILL);
        ::waitpid(copy, nullptr, 0);
    }
    ::close(listening);
    QVERIFY2(endedByItself, "the copy still waits for the server");
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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

void TestDesktopPlatform::programFolders_data()
{
    // A prefix with bin/ (the executable's folder) and share/mensurio/: the licence files it
    // holds, the modes of the two folders, which of them another user (65534) owns; then
    // the folders the program takes its files from, relative to the prefix ("-": none), and
    // whether the notepads go beside the program (else to the data folder).
    QTest::addColumn<QStringList>("licences");
    QTest::addColumn<int>("binMode");
    QTest::addColumn<int>("shareMode");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("shared");
    QTest::addColumn<bool>("notesBeside");

    const QStringList beside{"bin"}, installed{"share/mensurio"};
    const QString bin = "bin", share = "share/mensurio", none = "-", mine = "";
    QTest::newRow("build folder of the user's own")
        << beside << 0755 << 0755 << mine << bin << none << true;
    QTest::newRow("program folder missing")
        << beside << -1 << 0755 << mine << none << none << false;
    QTest::newRow("program folder unknown")
        << QStringList() << 0755 << 0755 << mine << none << none << false;
    QTest::newRow("installed, the program folder writable (root, a ~/.local prefix)")
        << installed << 0755 << 0755 << mine << none << share << false;
    QTest::newRow("unpacked into a folder open to all, sticky")
        << beside << 01777 << 0755 << mine << none << none << false;
    QTest::newRow("unpacked into a folder its group may write")
        << beside << 0775 << 0755 << mine << none << none << false;
    QTest::newRow("unpacked into another user's folder")
        << beside << 0755 << 0755 << bin << none << none << false;
    QTest::newRow("installed below another user's shared folder")
        << installed << 0755 << 0755 << share << none << none << false;
    QTest::newRow("installed below a shared folder open to all")
        << installed << 0755 << 0777 << mine << none << none << false;
}

void TestDesktopPlatform::programFolders()
{
    QFETCH(QStringList, licences);
    QFETCH(int, binMode);
    QFETCH(int, shareMode);
    QFETCH(QString, theirs);
    QFETCH(QString, program);
    QFETCH(QString, shared);
    QFETCH(bool, notesBeside);

    if (!theirs.isEmpty() && ::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/mensurio")));
    QVERIFY(QDir(prefix.path()).mkdir(QStringLiteral("bin")));
    for (const QString& folder : licences) {
        QFile licence(
            prefix.filePath(folder + QLatin1Char('/') + product::text(product::licenceFile)));
        QVERIFY(licence.open(QIODevice::WriteOnly));
    }
    const auto setMode = [&](const QString& folder, int mode) {
        const QByteArray path = QFile::encodeName(prefix.filePath(folder));
        QCOMPARE(::chmod(path.constData(), mode_t(mode)), 0);
        if (folder.startsWith(theirs) && !theirs.isEmpty())
            QCOMPARE(::chown(path.constData(), 65534, 65534), 0);
    };
    setMode(QStringLiteral("share/mensurio"), shareMode);
    if (binMode < 0)
        QVERIFY(QDir(prefix.filePath(QStringLiteral("bin"))).removeRecursively());
    else
        setMode(QStringLiteral("bin"), binMode);
    const auto expand = [&](const QString& folder) {
        return folder == QLatin1String("-") ? QString() : prefix.filePath(folder);
    };

    const DesktopPlatform::Folders found =
        DesktopPlatform::foldersFor(licences.isEmpty() ? QString() : prefix.filePath("bin"));

    QCOMPARE(found.program, expand(program));
    QCOMPARE(found.shared, expand(shared));
    QCOMPARE(found.notesBeside, notesBeside);
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
    QCoreApplication::setApplicationName(product::text(product::name));

    DesktopPlatform platform;
    const QString homeFolderFound = platform.homeFolder();
    const QString dataFolder = DesktopPlatform::dataFolder();

    set("HOME", saved[0]);
    set("XDG_DATA_HOME", saved[1]);
    QCOMPARE(homeFolderFound, expand(homeFolder));
    QCOMPARE(dataFolder, expand(data));
    QCOMPARE(DesktopPlatform::executableFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(!DesktopPlatform::executableFolder().endsWith('/'));
}

QTEST_GUILESS_MAIN(TestDesktopPlatform)
#include "test_desktopplatform.moc"
