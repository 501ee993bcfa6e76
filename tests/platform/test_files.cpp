#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mensurio;

namespace {

// A file system that lacks some of the calls a whole-file write may use, as vfat does, and
// remembers the order in which names and syncs reached the disk.
struct StandIn {
    bool unnamed = true, links = true, renameNoReplace = true, folderSync = true;
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
    [](int folder) {
        return unless(
            !standIn.unnamed, EOPNOTSUPP, [=] { return real.openUnnamed(folder); }, false);
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
        const auto sync = [=] { return real.fsync(fd); };
        return unless(folder && !standIn.folderSync, EIO, sync, false);
    }};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(files::Write)

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
};

void TestFiles::writtenWhateverTheFileSystemLacks_data()
{
    QTest::addColumn<QString>("lacks"); // of "unnamed", "links", "rename", "sync" (a folder)
    QTest::addColumn<files::Write>("mode");
    QTest::addColumn<QByteArray>("before"); // a private file at the name (0600); null: none
    QTest::addColumn<bool>("written");

    const auto newOnly = files::Write::NewOnly;
    const auto replace = files::Write::Replace;
    const QByteArray none;
    QTest::newRow("new file, every call there") << "" << newOnly << none << true;
    QTest::newRow("new file, no unnamed files") << "unnamed" << newOnly << none << true;
    QTest::newRow("new file, neither unnamed files nor links")
        << "unnamed links" << newOnly << none << true;
    QTest::newRow("new file on vfat: made on its name")
        << "unnamed links rename" << newOnly << none << true;
    QTest::newRow("replace, every call there") << "" << replace << QByteArray("old") << true;
    QTest::newRow("replace on vfat")
        << "unnamed links rename" << replace << QByteArray("old") << true;
    QTest::newRow("new file whose folder cannot be synced: nothing left")
        << "sync" << newOnly << none << false;
    QTest::newRow("new file on vfat whose folder cannot be synced: nothing left")
        << "unnamed links rename sync" << newOnly << none << false;
}

void TestFiles::writtenWhateverTheFileSystemLacks()
{
    QFETCH(QString, lacks);
    QFETCH(files::Write, mode);
    QFETCH(QByteArray, before);
    QFETCH(bool, written);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Notepad of Area.txt"));
    QFile earlier(path);
    if (!before.isNull())
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write(before) == before.size() &&
                earlier.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    earlier.close();
    standIn.unnamed = !lacks.contains(QLatin1String("unnamed"));
    standIn.links = !lacks.contains(QLatin1String("links"));
    standIn.renameNoReplace = !lacks.contains(QLatin1String("rename"));
    standIn.folderSync = !lacks.contains(QLatin1String("sync"));
    const QByteArray bytes = "2 lb\r\n";

    QCOMPARE(files::writeWhole(path, bytes, mode), written);
    // No temporary left over, and no new file after a failure.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             written ? QStringList{QStringLiteral("Notepad of Area.txt")} : QStringList());
    QCOMPARE(contents(path), written ? bytes : QByteArray());
    // A replaced file's permissions stay; a new one has the umask's.
    struct stat there = {};
    if (written && ::stat(QFile::encodeName(path).constData(), &there) == 0)
        QCOMPARE(int(there.st_mode & 0777), before.isNull() ? 0644 : 0600);
    // Success only once the folder that holds the new name is on the disk.
    QCOMPARE(standIn.log.value(standIn.log.size() - 1), QStringLiteral("sync folder"));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
