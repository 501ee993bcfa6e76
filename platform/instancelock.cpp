#include "platform/instancelock.h"
#include "platform/userfolders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace mensurio {

namespace {

const char* const lockName = "mensurio.lock";
const char* const guardName = "mensurio.lock.guard";

// Never follows a link, never blocks on a FIFO, never leaks into a started program (an
// editor inheriting the descriptor would hold the lock after the program has ended).
constexpr int openFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// A regular file opened at `name` in `folder`, or -1.
int openRegular(int folder, const char* name, int extraFlags)
{
    const int fd = ::openat(folder, name, openFlags | extraFlags, 0600);
    if (fd < 0)
        return -1;
    struct stat opened = {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode))
        return fd;
    ::close(fd);
    errno = EINVAL;
    return -1;
}

bool sameFile(int fd, int folder, const char* name)
{
    struct stat opened = {}, named = {};
    return ::fstat(fd, &opened) == 0 && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Whether another user could put something else at a name in this folder: only where they
// may write it, and in a sticky folder (as /tmp) not even then for a name the user or root
// owns, which the walk below asks of every name it passes.
bool othersMayRename(const struct stat& folder)
{
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (folder.st_mode & S_ISVTX) == 0;
}

bool userOrRoot(const struct stat& entry)
{
    return entry.st_uid == ::geteuid() || entry.st_uid == 0;
}

// The folder opened through a path no other user can change: every folder on the way is the
// user's or root's and keeps its names from others, and so does every link taken. Another
// user could otherwise move the folder away between two starts and have the next copy lock
// somewhere else. A link's own target is taken as the kernel finds it. -1 when not so.
int openUnmovable(const QByteArray& path)
{
    int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const QList<QByteArray> names = path.split('/');
    for (const QByteArray& name : names) {
        if (folder < 0)
            return -1;
        if (name.isEmpty() || name == ".")
            continue;
        struct stat parent = {}, entry = {};
        int next = -1;
        if (name != ".." && ::fstat(folder, &parent) == 0 && userOrRoot(parent) &&
            !othersMayRename(parent) &&
            ::fstatat(folder, name.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
            userOrRoot(entry))
            next = ::openat(folder, name.constData(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY |
                                (S_ISLNK(entry.st_mode) ? 0 : O_NOFOLLOW));
        ::close(folder);
        folder = next;
    }
    return folder;
}

// The folder, opened as above, and made when missing where no other user can take or move
// its name; -1 unless it is the user's own and no one else may enter it. Another user could
// otherwise have made the name a link to one of the user's folders, or a folder of theirs,
// and have the program remove and create files where it should not, or lose the lock.
int openPrivateFolder(const QByteArray& folder)
{
    if (!folder.startsWith('/'))
        return -1;
    // Below the user's home its missing parents are made too (a new account has no cache
    // folder yet); nothing else is made outside the user's own folders.
    const QByteArray home = userfolders::home();
    if (home.size() > 1 && folder.startsWith(home + '/')) {
        for (qsizetype slash = folder.indexOf('/', home.size() + 1); slash > 0;
             slash = folder.indexOf('/', slash + 1))
            ::mkdir(folder.left(slash).constData(), 0700);
    }
    const qsizetype slash = folder.lastIndexOf('/');
    if (const int parent = openUnmovable(folder.left(slash)); parent >= 0) {
        ::mkdirat(parent, folder.mid(slash + 1).constData(), 0700);
        ::close(parent);
    }
    const int fd = openUnmovable(folder);
    if (fd < 0)
        return -1;
    struct stat there = {};
    if (::fstat(fd, &there) == 0 && S_ISDIR(there.st_mode) && there.st_uid == ::geteuid() &&
        (there.st_mode & (S_IRWXG | S_IRWXO)) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// Something that is no lock file has the lock's name: an unreadable file, a link, a FIFO,
// an empty folder. Copies starting together must not remove each other's fresh lock file,
// so the removal runs under a second lock and only after looking again.
bool clearTheName(int folder)
{
    const int guard = openRegular(folder, guardName, O_CREAT);
    if (guard < 0)
        return false;
    bool cleared = false;
    if (::flock(guard, LOCK_EX) == 0) {
        const int fd = openRegular(folder, lockName, 0);
        if (fd >= 0) {
            ::close(fd); // another copy put a lock file there meanwhile
            cleared = true;
        } else {
            cleared = errno == ENOENT || ::unlinkat(folder, lockName, 0) == 0 ||
                      (errno == EISDIR && ::unlinkat(folder, lockName, AT_REMOVEDIR) == 0);
        }
    }
    ::close(guard);
    return cleared;
}

} // namespace

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), state_(std::exchange(other.state_, State::Unavailable))
{}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        state_ = std::exchange(other.state_, State::Unavailable);
    }
    return *this;
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

InstanceLock InstanceLock::take(const QList<QByteArray>& folders)
{
    InstanceLock lock;
    for (const QByteArray& path : folders) {
        const int folder = openPrivateFolder(path);
        if (folder < 0)
            continue;
        // A few rounds at most: each one either decides or clears away what was in the way.
        for (int round = 0; round < 4; ++round) {
            const int fd = openRegular(folder, lockName, O_CREAT);
            if (fd < 0) {
                if (!clearTheName(folder))
                    break;
                continue;
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const bool taken = errno == EWOULDBLOCK;
                ::close(fd);
                if (taken) {
                    ::close(folder);
                    lock.state_ = State::HeldByAnotherCopy;
                    return lock;
                }
                break; // a file system without locks: try the next folder
            }
            if (sameFile(fd, folder, lockName)) {
                ::close(folder);
                lock.fd_ = fd;
                lock.state_ = State::Held;
                return lock;
            }
            ::close(fd); // the name moved on to another file while this one was locked
        }
        ::close(folder);
    }
    return lock;
}

QList<QByteArray> InstanceLock::defaultFolders()
{
    // Nothing another user controls decides the place: not the shared temporary folder,
    // where they could hold the name for the first copy and free it for the second.
    const QByteArray cache = userfolders::xdg("XDG_CACHE_HOME", "/.cache");
    return {qgetenv("XDG_RUNTIME_DIR"), cache.isEmpty() ? QByteArray() : cache + "/mensurio"};
}

} // namespace mensurio
