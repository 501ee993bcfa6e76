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
    struct stat there {};
    return ::fstat(fd, &there) == 0 && S_ISDIR(there.st_mode);
}

const files::FileSystemCalls lacking{
    [](int folder) {
        if (!standIn.unnamed) {
            errno = EOPNOTSUPP;
            return -1;
        }
        return real.openUnnamed(folder);
    },
    [](int fromFolder, const char* from, int toFolder, const char* to, int flags) {
        if (!standIn.links) {
            errno = EPERM;
            return -1;
        }
        const int done = real.linkat(fromFolder, from, toFolder, to, flags);
        if (done == 0)
            standIn.log << QStringLiteral("name");
        return done;
    },
    [](int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) {
        if (!standIn.renameNoReplace && (flags & RENAME_NOREPLACE)) {
            errno = EINVAL;
            return -1;
        }
        const int done = real.renameat2(fromFolder, from, toFolder, to, flags);
        if (done == 0)
            standIn.log << QStringLiteral("name");
        return done;
    },
    [](int fd) {
        standIn.log << (isFolder(fd) ? QStringLiteral("sync folder") : QStringLiteral("sync file"));
        if (!standIn.folderSync && isFolder(fd)) {
            errno = EIO; // a disk failing
            return -1;
        }
        return real.fsync(fd);
    }};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QVERIFY(file.setPermissions(permissions));
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
    void replaceKeepsThePermissions_data();
    void replaceKeepsThePermissions();
};

void TestFiles::writtenWhateverTheFileSystemLacks_data()
{
    QTest::addColumn<QString>("lacks"); // of "unnamed", "links", "rename", "sync" (a folder)
    QTest::addColumn<files::Write>("mode");
    QTest::addColumn<QByteArray>("before"); // the file at the name; null: none
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
    if (!before.isNull())
        writeFile(path, before, QFile::ReadOwner | QFile::WriteOwner);
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
    // Success only once the folder that holds the new name is on the disk.
    QCOMPARE(standIn.log.value(standIn.log.size() - 1), QStringLiteral("sync folder"));
}

void TestFiles::replaceKeepsThePermissions_data()
{
    QTest::addColumn<int>("before"); // permission bits of the file replaced
    QTest::addColumn<int>("after");

    QTest::newRow("private file stays private") << 0600 << 0600;
    QTest::newRow("group-readable file stays so") << 0640 << 0640;
    QTest::newRow("file others may write stays so") << 0666 << 0666;
}

void TestFiles::replaceKeepsThePermissions()
{
    QFETCH(int, before);
    QFETCH(int, after);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Mensurio Symbols.txt"));
    writeFile(path, "earlier", QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(before)), 0);

    QVERIFY(files::writeWhole(path, "later", files::Write::Replace));

    struct stat there {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &there), 0);
    QCOMPARE(int(there.st_mode & 07777), after);
    QCOMPARE(contents(path), QByteArray("later"));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
