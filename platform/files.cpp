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

// What a replacing file keeps of the regular file it replaces.
struct Kept {
    mode_t mode;
    gid_t group;
};

// One whole-file write: the folder as it was opened, the name in it, the bytes, and what a
// replacing file keeps.
struct Target {
    int folder;
    QByteArray name;
    const QByteArray& bytes;
    std::optional<Kept> kept;
};

// What replacing `name` must keep: nothing when nothing is there or a link is (replaced, never
// followed), the permission bits and group of a regular file. False when it is not ours to
// replace: a FIFO, device, socket or folder of that name, or a file the user has made
// read-only.
bool mayReplace(Target& target)
{
    struct stat there = {};
    if (::fstatat(target.folder, target.name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISLNK(there.st_mode))
        return true;
    if (!S_ISREG(there.st_mode) ||
        ::faccessat(target.folder, target.name.constData(), W_OK, 0) != 0)
        return false;
    target.kept = Kept{there.st_mode & 0777, there.st_gid};
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

// Gives the new file `mode`. Only a file system that holds no modes at all (ENOSYS,
// EOPNOTSUPP) lets a file go without it; vfat takes the call and keeps the mode its mount
// gives every file. Any other failure would leave the file other than the user made it.
bool setMode(int fd, mode_t mode)
{
    return calls().fchmod(fd, mode) == 0 || errno == ENOSYS || errno == EOPNOTSUPP;
}

// The mode and group of the replaced file. A group the user may not give (one the user is
// not in), or a file system without groups, leaves the file the user's own group; that group
// then gets no more than everyone else had, so the file is shared with no one the old file
// was not.
bool keep(int fd, const std::optional<Kept>& kept)
{
    if (!kept)
        return true;
    mode_t mode = kept->mode;
    struct stat now = {};
    if (::fstat(fd, &now) != 0 ||
        (now.st_gid != kept->group && calls().fchown(fd, uid_t(-1), kept->group) != 0))
        mode = (mode & ~mode_t(S_IRWXG)) | ((mode & S_IRWXO) << 3);
    return setMode(fd, mode);
}

// The new file's contents and permissions, on the disk before any name points at them.
bool fill(int fd, const Target& target)
{
    return keep(fd, target.kept) && writeAll(fd, target.bytes) && calls().fsync(fd) == 0;
}

// A name is on the disk only once its folder is: until then a power cut can take the new
// file with it, or bring back the one it replaced. A file system that cannot sync a folder
// (EINVAL) has nothing more to do.
bool syncFolder(int folder) { return calls().fsync(folder) == 0 || errno == EINVAL; }

// A new file whose name cannot be made sure of is taken back, so that a failure leaves
// nothing.
Outcome confirmNew(const Target& target)
{
    if (syncFolder(target.folder))
        return Outcome::Saved;
    ::unlinkat(target.folder, target.name.constData(), 0);
    return Outcome::NotSaved;
}

// An unnamed file given a temporary name; empty when none could be given.
QByteArray nameTemporarily(int fd, const Target& target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = temporaryName(target.name, attempt);
        if (linkUnnamed(fd, target.folder, temporary))
            return temporary;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// The whole file written under a temporary name, for a file system without unnamed files or
// without links to them; empty, and nothing left, when it cannot be. A file that keeps a
// mode is private until it has it.
QByteArray writeTemporary(const Target& target)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = temporaryName(target.name, attempt);
        Descriptor fd(::openat(target.folder, temporary.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               target.kept ? 0600 : 0666));
        if (fd.get() < 0 && errno == EEXIST)
            continue;
        if (fd.get() < 0)
            break;
        if (fill(fd.get(), target) && fd.close())
            return temporary;
        ::unlinkat(target.folder, temporary.constData(), 0);
        break;
    }
    return {};
}

// Whether an unnamed file could not be had because the file system or kernel has none
// (EISDIR: a kernel without O_TMPFILE), as against a failure to write at all.
bool lacksUnnamedFiles(int error) { return error == EOPNOTSUPP || error == EISDIR; }

// The replacing file, complete and on the disk under a temporary name beside the name; empty
// when it could not be written. Unnamed while it is written where the file system allows, so
// that a crash in the middle leaves nothing at all. The kernel applies the user's umask, as
// for any file the user makes.
QByteArray writeBeside(const Target& target)
{
    // Private until it has the mode it keeps, so that it is never open to more people than
    // the file it replaces, even for a moment.
    const Descriptor fd(calls().openUnnamed(target.folder, target.kept ? 0600 : 0666));
    if (fd.get() < 0)
        return lacksUnnamedFiles(errno) ? writeTemporary(target) : QByteArray();
    if (!fill(fd.get(), target))
        return {};
    const QByteArray temporary = nameTemporarily(fd.get(), target);
    return temporary.isEmpty() ? writeTemporary(target) : temporary;
}

// The temporary's name reaches the disk before the rename, so that a disk failing there
// leaves the earlier file as it was; a failure after the rename leaves the new file in place,
// just not confirmed.
Outcome replace(Target& target)
{
    if (!mayReplace(target))
        return Outcome::NotSaved;
    const QByteArray temporary = writeBeside(target);
    if (temporary.isEmpty())
        return Outcome::NotSaved;
    if (!syncFolder(target.folder) ||
        calls().renameat2(target.folder, temporary.constData(), target.folder,
                          target.name.constData(), 0) != 0) {
        ::unlinkat(target.folder, temporary.constData(), 0);
        return Outcome::NotSaved;
    }
    return syncFolder(target.folder) ? Outcome::Saved : Outcome::SavedUnconfirmed;
}

// A file system that can name a file only as it makes it. Made exclusively on the name,
// never through a link; what a failed write leaves there is removed again.
Outcome writeOnName(const Target& target)
{
    Descriptor fd(::openat(target.folder, target.name.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return Outcome::NotSaved;
    if (fill(fd.get(), target) && fd.close())
        return confirmNew(target);
    ::unlinkat(target.folder, target.name.constData(), 0);
    return Outcome::NotSaved;
}

// A temporary file takes the name only where nothing has it. A file system without the
// no-replace rename: a hard link fails just as surely on a name that is taken; one without
// links either gets the file made on its name.
Outcome nameNew(const Target& target, const QByteArray& temporary)
{
    const char* from = temporary.constData();
    const char* to = target.name.constData();
    bool named = calls().renameat2(target.folder, from, target.folder, to, RENAME_NOREPLACE) == 0;
    if (!named && unsupported(errno))
        named = calls().linkat(target.folder, from, target.folder, to, 0) == 0;
    const int why = errno;
    // Gone already after a rename; the spare link after linkat(), or the unnamed file's.
    ::unlinkat(target.folder, from, 0);
    if (named)
        return confirmNew(target);
    return unsupported(why) ? writeOnName(target) : Outcome::NotSaved;
}

// A new file: linked straight to its name where unnamed files can be, else named from a
// temporary, else made on its name.
Outcome writeNew(const Target& target)
{
    const Descriptor fd(calls().openUnnamed(target.folder, 0666));
    if (fd.get() >= 0) {
        if (!fill(fd.get(), target))
            return Outcome::NotSaved;
        if (linkUnnamed(fd.get(), target.folder, target.name))
            return confirmNew(target);
        if (errno == EEXIST)
            return Outcome::NotSaved;
    } else if (!lacksUnnamedFiles(errno)) {
        return Outcome::NotSaved;
    }
    const QByteArray temporary = writeTemporary(target);
    return temporary.isEmpty() ? Outcome::NotSaved : nameNew(target, temporary);
}

// What a name that could not be opened for reading holds, where the error tells: nothing,
// or a link where none is accepted. A dangling link is nothing to read, yet its name is taken.
std::optional<Found> notOpened(const QByteArray& name, bool noLink)
{
    const int error = errno;
    struct stat there = {};
    if (error == ENOENT && ::lstat(name.constData(), &there) != 0)
        return Found::Nothing;
    if (error == ELOOP && noLink)
        return Found::SomethingElse;
    return std::nullopt;
}

} // namespace

FileSystemCalls& fileSystemCalls()
{
    static FileSystemCalls system{[](int folder, mode_t mode) {
                                      return ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                                                      mode);
                                  },
                                  ::linkat,
                                  ::renameat2,
                                  ::fsync,
                                  ::fchmod,
                                  ::fchown};
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
        if (const std::optional<Found> found = notOpened(name, noLink))
            return *found;
    } else if (::fstat(fd.get(), &there) == 0 && S_ISREG(there.st_mode)) {
        return !noLink || there.st_uid == ::geteuid() ? Found::RegularFile : Found::SomethingElse;
    }
    // Looked at through any link, without opening it.
    return ::stat(name.constData(), &there) != 0 || S_ISDIR(there.st_mode) ? Found::NotAFile
                                                                           : Found::SomethingElse;
}

Outcome writeWhole(const QString& path, const QByteArray& bytes, Write mode)
{
    // A relative path would land in whatever the working folder happens to be.
    const QFileInfo file(path);
    if (!path.startsWith(QLatin1Char('/')) || file.fileName().isEmpty())
        return Outcome::NotSaved;
    surviveFileSizeLimit();
    // Everything happens in the folder as it was opened, whatever its name points to later.
    const Descriptor folder(
        ::open(QFile::encodeName(file.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return Outcome::NotSaved;
    Target target{folder.get(), QFile::encodeName(file.fileName()), bytes, std::nullopt};
    removeStaleTemporaries(target.folder, target.name);
    return mode == Write::Replace ? replace(target) : writeNew(target);
}

} // namespace mensurio::files
