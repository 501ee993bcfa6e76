#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mensurio;

namespace {

// A file system that lacks some of the calls a whole-file write may use, as vfat does, and
// remembers the order in which names and syncs reached the disk.
struct StandIn {
    bool unnamed = true, links = true, renameNoReplace = true, groups = true;
    int modeError = 0;        // what setting a mode answers: 0, ENOSYS (no modes), EPERM
    int folderSyncsLeft = -1; // the folder syncs that succeed before the disk fails; -1: all
    QStringList log;
};
StandIn standIn;
files::FileSystemCalls real;

bool isFolder(int fd)
{
    struct stat there = {};
    return ::fstat(fd, &there) == 0 && S_ISDIR(there.st_mode);
}

// -1 and `error` where the stand-in lacks the call, else the call's own answer, noted when it
// gave a file its name.
template <typename Call> int unless(bool lacked, int error, Call call, bool names = true)
{
    errno = error;
    const int done = lacked ? -1 : call();
    if (done == 0 && names)
        standIn.log << QStringLiteral("name");
    return done;
}

const files::FileSystemCalls lacking{
    [](int folder, mode_t mode) {
        return unless(
            !standIn.unnamed, EOPNOTSUPP, [=] { return real.openUnnamed(folder, mode); }, false);
    },
    [](int from, const char* name, int to, const char* newName, int flags) {
        return unless(!standIn.links, EPERM,
                      [=] { return real.linkat(from, name, to, newName, flags); });
    },
    [](int from, const char* name, int to, const char* newName, unsigned flags) {
        return unless(!standIn.renameNoReplace && (flags & RENAME_NOREPLACE), EINVAL,
                      [=] { return real.renameat2(from, name, to, newName, flags); });
    },
    [](int fd) {
        const bool folder = isFolder(fd);
        standIn.log << (folder ? QStringLiteral("sync folder") : QStringLiteral("sync file"));
        // EIO: a disk failing
        const bool fails = folder && standIn.folderSyncsLeft == 0;
        if (folder && standIn.folderSyncsLeft > 0)
            --standIn.folderSyncsLeft;
        const auto sync = [=] { return real.fsync(fd); };
        return unless(fails, EIO, sync, false);
    },
    // A group the user is not in, or vfat's, answers EPERM.
    [](int fd, mode_t mode) {
        const auto setMode = [=] { return real.fchmod(fd, mode); };
        return unless(standIn.modeError != 0, standIn.modeError, setMode, false);
    },
    [](int fd, uid_t owner, gid_t group) {
        const auto setGroup = [=] { return real.fchown(fd, owner, group); };
        return unless(standIn.modeError != 0 || !standIn.groups, EPERM, setGroup, false);
    }};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(files::Write)
Q_DECLARE_METATYPE(files::Outcome)

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        real = files::fileSystemCalls();
        ::umask(022);
    }
    void init()
    {
        standIn = {};
        files::fileSystemCalls() = lacking;
    }
    void cleanup() { files::fileSystemCalls() = real; }

    void writtenWhateverTheFileSystemLacks_data();
    void writtenWhateverTheFileSystemLacks();
    void replacedFileKeepsModeAndGroup_data();
    void replacedFileKeepsModeAndGroup();
};

void TestFiles::writtenWhateverTheFileSystemLacks_data()
{
    // Of "unnamed", "links", "rename", "modes" (ENOSYS), "mode-refused" (EPERM), "sync" (every
    // folder sync fails) and "second-sync" (the folder syncs after the first fail).
    QTest::addColumn<QString>("lacks");
    QTest::addColumn<files::Write>("mode");
    QTest::addColumn<QByteArray>("before"); // a private file at the name (0600); null: none
    QTest::addColumn<files::Outcome>("outcome");

    const auto newOnly = files::Write::NewOnly;
    const auto replace = files::Write::Replace;
    const auto saved = files::Outcome::Saved;
    const auto notSaved = files::Outcome::NotSaved;
    const QByteArray none;
    const QByteArray old("old");
    QTest::newRow("new file, every call there") << "" << newOnly << none << saved;
    QTest::newRow("new file, no unnamed files") << "unnamed" << newOnly << none << saved;
    QTest::newRow("new file, neither unnamed files nor links")
        << "unnamed links" << newOnly << none << saved;
    QTest::newRow("new file on vfat: made on its name")
        << "unnamed links rename modes" << newOnly << none << saved;
    QTest::newRow("replace, every call there") << "" << replace << old << saved;
    QTest::newRow("replace on vfat, which holds no mode: saved again")
        << "unnamed links rename modes" << replace << old << saved;
    QTest::newRow("new file whose folder cannot be synced: nothing left")
        << "sync" << newOnly << none << notSaved;
    QTest::newRow("new file on vfat whose folder cannot be synced: nothing left")
        << "unnamed links rename modes sync" << newOnly << none << notSaved;
    QTest::newRow("replace whose folder cannot be synced: the earlier file stays")
        << "sync" << replace << old << notSaved;
    QTest::newRow("replace whose folder fails after the rename: in place, unconfirmed")
        << "second-sync" << replace << old << files::Outcome::SavedUnconfirmed;
    QTest::newRow("replace whose mode is refused (EPERM): the private file stays, private")
        << "mode-refused" << replace << old << notSaved;
}

void TestFiles::writtenWhateverTheFileSystemLacks()
{
    QFETCH(QString, lacks);
    QFETCH(files::Write, mode);
    QFETCH(QByteArray, before);
    QFETCH(files::Outcome, outcome);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Notepad of Area.txt"));
    QFile earlier(path);
    if (!before.isNull())
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(before) == before.size() &&
                earlier.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    earlier.close();
    const QStringList lacked = lacks.split(QLatin1Char(' '));
    standIn.unnamed = !lacked.contains(QLatin1String("unnamed"));
    standIn.links = !lacked.contains(QLatin1String("links"));
    standIn.renameNoReplace = !lacked.contains(QLatin1String("rename"));
    standIn.modeError = lacked.contains(QLatin1String("modes"))          ? ENOSYS
                        : lacked.contains(QLatin1String("mode-refused")) ? EPERM
                                                                         : 0;
    standIn.folderSyncsLeft = lacked.contains(QLatin1String("sync"))          ? 0
                              : lacked.contains(QLatin1String("second-sync")) ? 1
                                                                              : -1;
    const QByteArray bytes = "2 lb\r\n";

    QCOMPARE(files::writeWhole(path, bytes, mode), outcome);
    // No temporary left over; after a failure, the name holds what it held.
    const bool saved = outcome != files::Outcome::NotSaved;
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             saved || !before.isNull() ? QStringList{QStringLiteral("Notepad of Area.txt")}
                                       : QStringList());
    QCOMPARE(contents(path), saved ? bytes : before);
    // A replaced file's permissions stay; a new one has the umask's.
    struct stat there = {};
    if (standIn.modeError != ENOSYS && ::stat(QFile::encodeName(path).constData(), &there) == 0)
        QCOMPARE(int(there.st_mode & 0777), before.isNull() ? 0644 : 0600);
    // The data is on the disk before any name points at it, and success only once the folder
    // that holds the new name is.
    if (!saved)
        return;
    const qsizetype dataSynced = standIn.log.indexOf(QStringLiteral("sync file"));
    QVERIFY(dataSynced >= 0);
    QVERIFY(standIn.log.indexOf(QStringLiteral("name")) > dataSynced ||
            !standIn.log.contains(QStringLiteral("name")));
    QCOMPARE(standIn.log.constLast(), QStringLiteral("sync folder"));
}

void TestFiles::replacedFileKeepsModeAndGroup_data()
{
    QTest::addColumn<bool>("groupGiven"); // whether the user may give the file its group
    QTest::addColumn<int>("mode");        // of the file replaced
    QTest::addColumn<int>("modeAfter");

    QTest::newRow("a file shared with a group keeps group and mode") << true << 0640 << 0640;
    QTest::newRow("a group that cannot be given: shared with no group") << false << 0660 << 0600;
    QTest::newRow("a group that cannot be given gets what everyone else had")
        << false << 0644 << 0644;
}

void TestFiles::replacedFileKeepsModeAndGroup()
{
    QFETCH(bool, groupGiven);
    QFETCH(int, mode);
    QFETCH(int, modeAfter);

    // Another group than the user's own: any for root, else one of the user's other groups
    // (the unprivileged run is given one); the stand-in refuses it where it must not be given.
    gid_t groups[64] = {};
    const int count = ::getgroups(64, groups);
    const gid_t* other = std::find_if(groups, groups + qMax(count, 0),
                                      [](gid_t group) { return group != ::getegid(); });
    const gid_t group = ::geteuid() == 0 ? 65534 : other < groups + qMax(count, 0) ? *other : 0;
    if (::geteuid() != 0 && group == 0)
        QSKIP("no group other than the user's own to give a file");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Mensurio Symbols.txt"));
    const QByteArray name = QFile::encodeName(path);
    QVERIFY(::close(::open(name.constData(), O_WRONLY | O_CREAT, 0600)) == 0);
    QVERIFY(::chown(name.constData(), uid_t(-1), group) == 0 &&
            ::chmod(name.constData(), mode) == 0);
    standIn.groups = groupGiven;

    QCOMPARE(files::writeWhole(path, "x", files::Write::Replace), files::Outcome::Saved);
    struct stat there = {};
    QCOMPARE(::stat(name.constData(), &there), 0);
    QCOMPARE(int(there.st_mode & 0777), modeAfter);
    QCOMPARE(there.st_gid, groupGiven ? group : ::getegid());
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
