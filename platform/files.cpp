#include "platform/files.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace mensurio::files {

namespace {

// A file descriptor closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

const QByteArray temporaryMark = ".tmp-";

// The temporary names of `name`: name.tmp-<pid>-<n>.
QByteArray temporaryName(const QByteArray& name, int attempt)
{
    return name + temporaryMark + QByteArray::number(::getpid()) + '-' +
           QByteArray::number(attempt);
}

// A copy that crashed while writing under a temporary name (on a file system without unnamed
// files, or an earlier version) left that file behind. The next write removes those of this
// name that are the user's own and whose writer is gone; a running writer's file, or another
// user's, stays.
void removeStaleTemporaries(int folder, const QByteArray& name)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    const QByteArray prefix = name + temporaryMark;
    while (const dirent* entry = ::readdir(entries)) {
        const QByteArray found(entry->d_name);
        if (!found.startsWith(prefix))
            continue;
        const QList<QByteArray> parts = found.mid(prefix.size()).split('-');
        bool isPid = false, isNumber = false;
        const pid_t writer = parts.size() == 2 ? parts[0].toInt(&isPid) : 0;
        parts.value(1).toUInt(&isNumber);
        struct stat there = {};
        if (!isPid || !isNumber || writer <= 0 ||
            ::fstatat(folder, found.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(there.st_mode) || there.st_uid != ::geteuid())
            continue;
        if (writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlinkat(folder, found.constData(), 0);
    }
    ::closedir(entries);
}

// What replacing `name` must keep: nothing when nothing is there or a link is (replaced, never
// followed), the permission bits of a regular file. False when it is not ours to replace: a
// FIFO, device, socket or folder of that name, or a file the user has made read-only.
bool mayReplace(int folder, const QByteArray& name, std::optional<mode_t>& keptMode)
{
    struct stat there = {};
    if (::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISLNK(there.st_mode))
        return true;
    if (!S_ISREG(there.st_mode) || ::faccessat(folder, name.constData(), W_OK, 0) != 0)
        return false;
    keptMode = there.st_mode & 0777;
    return true;
}

FileSystemCalls& calls() { return fileSystemCalls(); }

// Gives an unnamed file (O_TMPFILE) a name in `folder`. Through /proc for an ordinary user;
// AT_EMPTY_PATH where /proc is missing needs a privilege only some have.
bool linkUnnamed(int fd, int folder, const QByteArray& name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (calls().linkat(AT_FDCWD, self.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) ==
        0)
        return true;
    if (errno == EEXIST)
        return false;
    return calls().linkat(fd, "", folder, name.constData(), AT_EMPTY_PATH) == 0;
}

// The errors of a file system that cannot do what was asked at all, as against a name that
// is taken or a disk that failed.
bool unsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

bool giveName(int folder, const QByteArray& from, const QByteArray& to, Write mode)
{
    if (mode == Write::Replace)
        return calls().renameat2(folder, from.constData(), folder, to.constData(), 0) == 0;
    if (calls().renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (!unsupported(errno))
        return false;
    // A file system without the no-replace rename: a hard link fails just as surely on a
    // name that is taken.
    return calls().linkat(folder, from.constData(), folder, to.constData(), 0) == 0;
}

// The new file's contents and permissions, on the disk before any name points at them.
bool fill(int fd, const QByteArray& bytes, const std::optional<mode_t>& keptMode)
{
    return (!keptMode || ::fchmod(fd, *keptMode) == 0) && writeAll(fd, bytes) &&
           calls().fsync(fd) == 0;
}

// A name is on the disk only once its folder is: until then a power cut can take the new
// file with it, or bring back the one it replaced. A file system that cannot sync a folder
// (EINVAL) has nothing more to do. A new file whose name cannot be made sure of is taken
// back, so that a failure leaves nothing; a replaced file cannot be brought back.
bool syncFolder(int folder, const QByteArray& name, Write mode)
{
    if (calls().fsync(folder) == 0 || errno == EINVAL)
        return true;
    if (mode == Write::NewOnly)
        ::unlinkat(folder, name.constData(), 0);
    return false;
}

} // namespace

FileSystemCalls& fileSystemCalls()
{
    static FileSystemCalls system{
        [](int folder) { return ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); },
        ::linkat, ::renameat2, ::fsync};
    return system;
}

void surviveFileSizeLimit()
{
    // A handler that does nothing, rather than SIG_IGN, is not inherited by the programs the
    // user opens; a disposition someone chose is left alone.
    static const bool done = [] {
        struct sigaction current = {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction nothing = {};
            nothing.sa_handler = [](int) {};
            nothing.sa_flags = SA_RESTART;
            ::sigemptyset(&nothing.sa_mask);
            ::sigaction(SIGXFSZ, &nothing, nullptr);
        }
        return true;
    }();
    Q_UNUSED(done);
}

Found probe(const QString& path, Accept accept)
{
    if (path.isEmpty())
        return Found::Nothing;
    const QByteArray name = QFile::encodeName(path);
    const int noLink = accept == Accept::OwnFileOnly ? O_NOFOLLOW : 0;
    const Descriptor fd(
        ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noLink));
    struct stat there = {};
    if (fd.get() < 0) {
        // A dangling link is nothing to read, yet its name is taken.
        if (errno == ENOENT && ::lstat(name.constData(), &there) != 0)
            return Found::Nothing;
        if (errno == ELOOP && noLink)
            return Found::SomethingElse;
    } else if (::fstat(fd.get(), &there) == 0 && S_ISREG(there.st_mode)) {
        return !noLink || there.st_uid == ::geteuid() ? Found::RegularFile : Found::SomethingElse;
    }
    // Looked at through any link, without opening it.
    return ::stat(name.constData(), &there) != 0 || S_ISDIR(there.st_mode) ? Found::NotAFile
                                                                           : Found::SomethingElse;
}

bool writeWhole(const QString& path, const QByteArray& bytes, Write mode)
{
    // A relative path would land in whatever the working folder happens to be.
    const QFileInfo file(path);
    if (!path.startsWith(QLatin1Char('/')) || file.fileName().isEmpty())
        return false;
    surviveFileSizeLimit();
    // Everything happens in the folder as it was opened, whatever its name points to later.
    const Descriptor folder(
        ::open(QFile::encodeName(file.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return false;
    const QByteArray name = QFile::encodeName(file.fileName());
    removeStaleTemporaries(folder.get(), name);
    std::optional<mode_t> keptMode;
    if (mode == Write::Replace && !mayReplace(folder.get(), name, keptMode))
        return false;

    // The data reaches the disk before the name does: a crash leaves the old name's file or
    // the new one, never an empty file under the name. Written unnamed where the file system
    // allows, a file a crash interrupts leaves nothing at all. The kernel applies the user's
    // umask, as for any file the user makes.
    Descriptor fd(calls().openUnnamed(folder.get()));
    if (fd.get() >= 0) {
        if (!fill(fd.get(), bytes, keptMode))
            return false;
        if (mode == Write::NewOnly) {
            if (linkUnnamed(fd.get(), folder.get(), name))
                return syncFolder(folder.get(), name, mode);
            if (errno == EEXIST)
                return false;
        } else {
            // No link replaces a name: a temporary name for a moment, then the rename.
            for (int attempt = 0; attempt < 100; ++attempt) {
                const QByteArray temporary = temporaryName(name, attempt);
                if (linkUnnamed(fd.get(), folder.get(), temporary)) {
                    const bool named = giveName(folder.get(), temporary, name, mode);
                    ::unlinkat(folder.get(), temporary.constData(), 0);
                    return named && syncFolder(folder.get(), name, mode);
                }
                if (errno != EEXIST)
                    break;
            }
        }
        // No way to name an unnamed file here: written again under a name, below.
    } else if (errno != EOPNOTSUPP && errno != EISDIR) {
        return false; // EISDIR: a kernel without unnamed files
    }

    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = temporaryName(name, attempt);
        fd.reset(::openat(folder.get(), temporary.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.get() < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = fill(fd.get(), bytes, keptMode) && fd.close();
        const bool named = written && giveName(folder.get(), temporary, name, mode);
        const int why = errno;
        // Gone already after a rename; the spare link after linkat(), or the failed file.
        ::unlinkat(folder.get(), temporary.constData(), 0);
        if (named)
            return syncFolder(folder.get(), name, mode);
        if (!written || mode == Write::Replace || !unsupported(why))
            return false;
        break;
    }
    if (mode == Write::Replace)
        return false;

    // A file system that can name a file only as it makes it. Made exclusively on the name,
    // never through a link; what a failed write leaves there is removed again.
    fd.reset(::openat(folder.get(), name.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return false;
    if (fill(fd.get(), bytes, keptMode) && fd.close())
        return syncFolder(folder.get(), name, mode);
    ::unlinkat(folder.get(), name.constData(), 0);
    return false;
}

} // namespace mensurio::files
