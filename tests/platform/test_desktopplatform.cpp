#include "core/product.h"
#include "platform/desktopplatform.h"
#include "platform/instancelock.h"
#include "platform/startupnotification.h"
#include "platform/userfolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
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
    void lockPlaceIsTheUsersOwn_data();
    void lockPlaceIsTheUsersOwn();
    void stalledServerHoldsNoRefusedCopy();
    void unusableHomeFolderStillStarts();
    void programFolders_data();
    void programFolders();
    void loginNameFitsTheBuffer_data();
    void loginNameFitsTheBuffer();
    void foldersOfTheDesktop_data();
    void foldersOfTheDesktop();

private:
    QString lockFolder() const { return home_->filePath(QStringLiteral(".cache/mensurio")); }

    std::unique_ptr<QTemporaryDir> runtime_;
    std::unique_ptr<QTemporaryDir> home_;
    QList<QByteArray> saved_; // of the variables below
    const QList<const char*> variables_{"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME", "HOME"};
};

void TestDesktopPlatform::init()
{
    runtime_ = std::make_unique<QTemporaryDir>();
    home_ = std::make_unique<QTemporaryDir>();
    for (const QTemporaryDir* folder : {runtime_.get(), home_.get()})
        QFile::setPermissions(folder->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    saved_.clear();
    for (const char* variable : variables_)
        saved_ << qgetenv(variable);
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toLocal8Bit());
    qputenv("HOME", home_->path().toLocal8Bit());
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
    // As main() takes it: in the home's cache folder, named for the machine.
    const auto descriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System);
    };
    const QStringList open = descriptors();
    auto first = std::make_unique<InstanceLock>(InstanceLock::take());
    QCOMPARE(first->state(), InstanceLock::State::Held);
    // What holds the lock stays out of the programs the copy starts, which would hold it on.
    for (const QString& fd : descriptors()) {
        const int flags = ::fcntl(fd.toInt(), F_GETFD); // -1: the listing's own, closed since
        if (!open.contains(fd))
            QVERIFY2(flags == -1 || flags == FD_CLOEXEC, qPrintable(fd));
    }
    QFile id(QStringLiteral("/etc/machine-id"));
    QVERIFY(!id.open(QIODevice::ReadOnly) ||
            QFile::exists(lockFolder() + '/' + id.readAll().trimmed() + ".lock"));
    const InstanceLock second = InstanceLock::take();
    QCOMPARE(second.state(), InstanceLock::State::HeldByAnotherCopy);
    first.reset(); // the first copy ends and releases its lock
    const InstanceLock third = InstanceLock::take();
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
    QVERIFY(QDir().mkpath(lockFolder()));
    QVERIFY(QFile::setPermissions(lockFolder(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QFile lock(lockFolder() + QStringLiteral("/machine.lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(child) + "\nmensurio\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();

    const InstanceLock taken = InstanceLock::take(QFile::encodeName(home_->path()), "machine");
    QCOMPARE(taken.state(), InstanceLock::State::Held);
}

void TestDesktopPlatform::noOtherUserMovesTheLock_data()
{
    // What another user (65534) does, or what differs in the session, between two starts; the
    // second start must find the first copy whatever it was.
    QTest::addColumn<QString>("move");

    QTest::newRow("holds $TMPDIR/mensurio-<uid> for the first, frees it for the second")
        << "temporary";
    QTest::newRow("moves the runtime folder out of a folder others may write") << "runtime";
    QTest::newRow("no runtime folder (su, ssh -X), then a private one") << "appears";
    QTest::newRow("a private runtime folder, then none") << "disappears";
    QTest::newRow("XDG_CACHE_HOME set for the first, unset for the second") << "cache";
    QTest::newRow("makes the missing runtime folder in a sticky folder, removes it for the second")
        << "sticky";
    QTest::newRow("HOME spelled with . and .. steps for the second") << "dots";
}

void TestDesktopPlatform::noOtherUserMovesTheLock()
{
    QFETCH(QString, move);

    QTemporaryDir base;
    const QString shared = base.filePath(QStringLiteral("shared"));
    const QString runtime = shared + QStringLiteral("/run");
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // A folder every user may write, such as a shared temporary folder with or without its
    // sticky bit.
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), move == "sticky" ? 01777 : 0777), 0);
    const QString theirs = shared + QStringLiteral("/mensurio-%1").arg(::geteuid());
    qputenv("TMPDIR", QFile::encodeName(shared));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base.filePath(QStringLiteral("cache"))));
    QVERIFY(QDir().mkdir(base.filePath(QStringLiteral("cache"))));
    const QByteArray privateRuntime = qgetenv("XDG_RUNTIME_DIR"); // the fixture's, 0700
    qputenv("XDG_RUNTIME_DIR", move == "disappears" ? privateRuntime : QFile::encodeName(runtime));
    if (move == "temporary" || move == "appears" || move == "cache")
        qunsetenv("XDG_RUNTIME_DIR");
    if (move == QLatin1String("temporary")) {
        QVERIFY(QDir().mkdir(theirs));
        if (::chown(QFile::encodeName(theirs).constData(), 65534, 65534) != 0)
            QSKIP("only root can make a folder of another user");
    } else if (move == QLatin1String("sticky")) {
        // Theirs where root can give it away; otherwise one open to all, which no more counts
        // as the user's private folder.
        QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), 0777), 0);
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(runtime).constData(), 65534, 65534), 0);
    }

    const InstanceLock first = InstanceLock::take();
    if (move == QLatin1String("temporary"))
        QVERIFY(QDir(theirs).removeRecursively());
    else if (move == QLatin1String("runtime"))
        QVERIFY(QDir().rename(runtime, runtime + QStringLiteral(".moved")));
    else if (move == QLatin1String("appears"))
        qputenv("XDG_RUNTIME_DIR", privateRuntime);
    else if (move == QLatin1String("disappears"))
        qunsetenv("XDG_RUNTIME_DIR");
    else if (move == QLatin1String("cache"))
        qunsetenv("XDG_CACHE_HOME");
    else if (move == QLatin1String("dots"))
        qputenv("HOME", qgetenv("HOME") + "/./not-there/..");
    else
        QVERIFY(QDir(runtime).removeRecursively());
    const InstanceLock second = InstanceLock::take();

    QCOMPARE(first.state(), InstanceLock::State::Held);
    QCOMPARE(second.state(), InstanceLock::State::HeldByAnotherCopy);
}

void TestDesktopPlatform::lockPlaceIsTheUsersOwn_data()
{
    // What is at the lock's place in the home folder when a copy starts, and the file it locks
    // in .cache/mensurio (none: the socket alone guards it). A second start finds it.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("lockFile");

    const QString none;
    QTest::newRow("a link at the lock's name to a file of the user's") << "link"
                                                                       << "here.lock";
    QTest::newRow("a link at the lock's name to a missing file") << "dangling"
                                                                 << "here.lock";
    QTest::newRow("lock folder of the user's that others may read (0755)") << "0755"
                                                                           << "here.lock";
    QTest::newRow("lock folder its group may write, a group of the user's alone (0770)")
        << "0770"
        << "here.lock";
    QTest::newRow("home folder its group may write, a group of the user's alone") << "home"
                                                                                  << "here.lock";
    QTest::newRow("home folder writable by a group with other members: the socket")
        << "home shared" << none;
    QTest::newRow("a folder of another user on the way: the socket") << "theirs" << none;
    QTest::newRow("a folder holding a file at the lock's name: the next name") << "full"
                                                                               << "here-1.lock";
    QTest::newRow("junk at the lock's and the guard's names: the next name") << "fifo guard"
                                                                             << "here-1.lock";
    QTest::newRow("~/.cache a link to a folder not made yet: the socket") << "cache" << none;
    QTest::newRow("a signal interrupts the first lock (EINTR): locked again") << "EINTR"
                                                                              << "here.lock";
    QTest::newRow("a file system without locks (ENOLCK): the socket") << "ENOLCK" << none;
    QTest::newRow("another user holds the socket's name: the file decides") << "squatted"
                                                                            << "here.lock";
    QTest::newRow("a copy on another machine sharing the home") << "machine"
                                                                << "here.lock";
}

namespace {
// A socket listening at an abstract name, as the user the process acts as then; -1 where
// none could be made.
int listenAt(const QByteArray& name)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), std::size_t(name.size()));
    const auto size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0 &&
        ::listen(fd, 8) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// A flock that answers `flockError`, EINTR only once, and then the real call.
int flockError = 0;
int flockStandIn(int fd, int operation)
{
    if (flockError == 0)
        return ::flock(fd, operation);
    errno = std::exchange(flockError, flockError == EINTR ? 0 : flockError);
    return -1;
}
} // namespace

void TestDesktopPlatform::lockPlaceIsTheUsersOwn()
{
    QFETCH(QString, before);
    QFETCH(QString, lockFile);

    const bool root = ::geteuid() == 0;
    if ((before == "home shared" || before == "theirs" || before == "squatted") && !root)
        QSKIP("only root can give a folder to another user or group, or become one");
    QByteArray home = QFile::encodeName(home_->path());
    if (before == QLatin1String("theirs")) {
        // The home below a folder of another user, who could move it away.
        const QByteArray theirs = home + "/theirs";
        home = theirs + "/home";
        QVERIFY(::mkdir(theirs.constData(), 0755) == 0 && ::mkdir(home.constData(), 0700) == 0);
        QCOMPARE(::chown(theirs.constData(), 65534, 65534), 0);
    }
    const QByteArray folder = home + "/.cache/mensurio";
    if (before == QLatin1String("cache"))
        QVERIFY(QFile::link(home_->filePath(QStringLiteral("per-boot/cache")),
                            QFile::decodeName(home + "/.cache")));
    else
        QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    const bool mode = before.startsWith('0');
    QCOMPARE(::chmod(folder.constData(), mode ? before.toUInt(nullptr, 8) : 0700) == 0,
             before != QLatin1String("cache"));
    const QByteArray lock = folder + "/here.lock";
    const QString target = home_->filePath(QStringLiteral("notes.txt"));
    if (before == QLatin1String("link"))
        QVERIFY(QFile(target).open(QIODevice::WriteOnly));
    if (before == QLatin1String("link") || before == QLatin1String("dangling"))
        QVERIFY(QFile::link(target, QFile::decodeName(lock)));
    if (before == QLatin1String("full"))
        QVERIFY(QDir().mkpath(QFile::decodeName(lock + "/kept")));
    if (before == QLatin1String("fifo guard"))
        QVERIFY(::mkfifo(lock.constData(), 0600) == 0 &&
                QDir().mkpath(QFile::decodeName(lock + ".guard/kept")));
    if (before.startsWith(QLatin1String("home"))) {
        QCOMPARE(::chmod(home.constData(), 0770), 0);
        // nogroup, the primary group of nobody and of sync
        if (before == QLatin1String("home shared"))
            QCOMPARE(::chown(home.constData(), uid_t(-1), 65534), 0);
    }
    std::optional<InstanceLock> elsewhere;
    if (before == QLatin1String("machine"))
        elsewhere = InstanceLock::take(home, "there");
    // Nobody listening first at the name the lock's socket takes: the user, the home folder's
    // device and inode, and the machine.
    int squatter = -1;
    const auto closeSquatter = qScopeGuard([&squatter] { ::close(squatter); });
    if (before == QLatin1String("squatted")) {
        struct stat homeFolder = {};
        QCOMPARE(::stat(home.constData(), &homeFolder), 0);
        const QByteArray identity = QByteArray::number(::geteuid()) + ' ' +
                                    QByteArray::number(quint64(homeFolder.st_dev)) + ' ' +
                                    QByteArray::number(quint64(homeFolder.st_ino)) + " here";
        QVERIFY(::seteuid(65534) == 0);
        squatter = listenAt("mensurio-" +
                            QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex());
        QVERIFY(::seteuid(0) == 0 && squatter >= 0);
    }
    flockError = before == QLatin1String("EINTR") ? EINTR : before == "ENOLCK" ? ENOLCK : 0;
    InstanceLock::calls().flock = flockStandIn;

    const InstanceLock taken = InstanceLock::take(home, "here");
    const InstanceLock second = InstanceLock::take(home, "here");
    InstanceLock::calls().flock = ::flock;

    QCOMPARE(taken.state(), InstanceLock::State::Held);
    QCOMPARE(second.state(), InstanceLock::State::HeldByAnotherCopy);
    // The lock ends on a regular file of its own; a link's target is never made.
    QStringList locked;
    for (const QString& name :
         QDir(QFile::decodeName(folder)).entryList({QStringLiteral("here*.lock")}, QDir::Files)) {
        QFile file(QFile::decodeName(folder) + '/' + name);
        if (file.open(QIODevice::ReadOnly) && ::flock(file.handle(), LOCK_EX | LOCK_NB) != 0)
            locked << name;
    }
    QCOMPARE(locked, lockFile.isEmpty() ? QStringList() : QStringList{lockFile});
    QCOMPARE(QFile::exists(target), before == QLatin1String("link"));
}

void TestDesktopPlatform::stalledServerHoldsNoRefusedCopy()
{
    // An X server that takes connections and never answers them, as a stopped one does: a
    // listening socket where libxcb looks first for display :N, never accepted from.
    const int display = 3000 + int(::getpid() % 2000);
    const int listening = listenAt("/tmp/.X11-unix/X" + QByteArray::number(display));
    QVERIFY(listening >= 0);

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

void TestDesktopPlatform::unusableHomeFolderStillStarts()
{
    // A regular file where the home folder should be: no lock can be made at all.
    const QString blocker = runtime_->filePath("not-a-folder");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const InstanceLock none = InstanceLock::take(QFile::encodeName(blocker), "machine");
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
    // HOME and XDG_DATA_HOME as set (null: unset; "{tmp}": a fresh folder), the home and
    // data folders expected ("{login}": the login's home in the user database), and what
    // names each in bytes that are no text.
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("dataHome");
    QTest::addColumn<QString>("homeFolder");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QStringList>("unusable");

    const QStringList usable{QString(), QString()};
    QTest::newRow("as set") << QByteArray("{tmp}") << QByteArray("{tmp}/data") << "{tmp}"
                            << "{tmp}/data/Mensurio" << usable;
    QTest::newRow("HOME unset") << QByteArray() << QByteArray("{tmp}/data") << "{login}"
                                << "{tmp}/data/Mensurio" << usable;
    QTest::newRow("HOME empty") << QByteArray("") << QByteArray("{tmp}/data") << "{login}"
                                << "{tmp}/data/Mensurio" << usable;
    QTest::newRow("HOME relative") << QByteArray("home") << QByteArray("{tmp}/data") << "{login}"
                                   << "{tmp}/data/Mensurio" << usable;
    QTest::newRow("XDG_DATA_HOME relative") << QByteArray("{tmp}") << QByteArray("data") << "{tmp}"
                                            << "{tmp}/.local/share/Mensurio" << usable;
    QTest::newRow("HOME in Latin-1: no look-alike home, nor data folder below it")
        << QByteArray("{tmp}/caf\xe9") << QByteArray() << QString() << QString()
        << QStringList{"HOME", "HOME"};
    QTest::newRow("XDG_DATA_HOME with a byte 0xff: no look-alike data folder")
        << QByteArray("{tmp}") << QByteArray("{tmp}/\xff") << "{tmp}" << QString()
        << QStringList{QString(), "XDG_DATA_HOME"};
    QTest::newRow("HOME in UTF-8 beyond ASCII is taken as it is")
        << QByteArray("{tmp}/caf\xc3\xa9") << QByteArray() << "{tmp}/caf\u00e9"
        << "{tmp}/caf\u00e9/.local/share/Mensurio" << usable;
    QTest::newRow("HOME is /: the login's home")
        << QByteArray("/") << QByteArray("{tmp}/data") << "{login}"
        << "{tmp}/data/Mensurio" << usable;
    QTest::newRow("HOME another user's (root keeping their environment): the login's home")
        << QByteArray("{theirs}") << QByteArray("{tmp}/data") << "{login}"
        << "{tmp}/data/Mensurio" << usable;
    QTest::newRow("XDG_DATA_HOME not made yet in another user's folder: the home's")
        << QByteArray("{tmp}") << QByteArray("{theirs}/.local/share") << "{tmp}"
        << "{tmp}/.local/share/Mensurio" << usable;
}

void TestDesktopPlatform::foldersOfTheDesktop()
{
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, dataHome);
    QFETCH(QString, homeFolder);
    QFETCH(QString, data);
    QFETCH(QStringList, unusable);

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
    // A folder of another user: one given to nobody where root runs the suite, else root's.
    QByteArray theirs = "/usr";
    if (::geteuid() == 0) {
        theirs = QFile::encodeName(tmp.filePath(QStringLiteral("theirs")));
        QVERIFY(::mkdir(theirs.constData(), 0755) == 0 &&
                ::chown(theirs.constData(), 65534, 65534) == 0);
    }
    const QByteArray saved[] = {qgetenv("HOME"), qgetenv("XDG_DATA_HOME")};
    const auto set = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    for (QByteArray* value : {&home, &dataHome})
        value->replace("{tmp}", QFile::encodeName(tmp.path())).replace("{theirs}", theirs);
    set("HOME", home);
    set("XDG_DATA_HOME", dataHome);
    QCoreApplication::setApplicationName(product::text(product::name));

    DesktopPlatform platform;
    const QString homeFolderFound = platform.homeFolder();
    const QString dataFolder = DesktopPlatform::dataFolder();
    const QStringList unusableFound{platform.unusableFolderName(UserFolder::Home),
                                    platform.unusableFolderName(UserFolder::Notepads)};

    // The toolkit and the programs opened see the same folders.
    userfolders::ignoreUnusableValues();
    const QByteArray homeSeen = qgetenv("HOME");
    set("HOME", saved[0]);
    set("XDG_DATA_HOME", saved[1]);
    QCOMPARE(homeSeen, homeFolder == "{login}" ? QFile::encodeName(login) : home);
    QCOMPARE(homeFolderFound, expand(homeFolder));
    QCOMPARE(dataFolder, expand(data));
    QCOMPARE(unusableFound, unusable);
    QCOMPARE(DesktopPlatform::executableFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(!DesktopPlatform::executableFolder().endsWith('/'));
    // Taken by its bytes: none where no text names them, never "" for the root folder.
    QCOMPARE(DesktopPlatform::folderOf("/opt/caf\xc3\xa9/mensurio"), "/opt/caf\u00e9");
    QCOMPARE(DesktopPlatform::folderOf("/opt/caf\xe9/mensurio"), QString());
    QCOMPARE(DesktopPlatform::folderOf("/mensurio"), QString());
}

QTEST_GUILESS_MAIN(TestDesktopPlatform)
#include "test_desktopplatform.moc"
