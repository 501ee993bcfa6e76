#include "platform/instancelock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace mensurio {

namespace {

const QByteArray lockName = "/mensurio.lock";
const QByteArray guardName = "/mensurio.lock.guard";

// Never follows a link, never blocks on a FIFO, never leaks into a started program (an
// editor inheriting the descriptor would hold the lock after the program has ended).
constexpr int openFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// A regular file opened at `path`, or -1.
int openRegular(const QByteArray& path, int extraFlags)
{
    const int fd = ::open(path.constData(), openFlags | extraFlags, 0600);
    if (fd < 0)
        return -1;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode))
        return fd;
    ::close(fd);
    errno = EINVAL;
    return -1;
}

bool sameFile(int fd, const QByteArray& path)
{
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// A folder of this user's own, made when missing.
bool usableFolder(const QByteArray& folder)
{
    if (!folder.startsWith('/'))
        return false;
    ::mkdir(folder.constData(), 0700);
    struct stat there {};
    return ::stat(folder.constData(), &there) == 0 && S_ISDIR(there.st_mode) &&
           there.st_uid == ::geteuid();
}

// Something that is no lock file has the lock's name: an unreadable file, a link, a FIFO,
// an empty folder. Copies starting together must not remove each other's fresh lock file,
// so the removal runs under a second lock and only after looking again.
bool clearTheName(const QByteArray& folder, const QByteArray& path)
{
    const int guard = openRegular(folder + guardName, O_CREAT);
    if (guard < 0)
        return false;
    bool cleared = false;
    if (::flock(guard, LOCK_EX) == 0) {
        const int fd = openRegular(path, 0);
        if (fd >= 0) {
            ::close(fd); // another copy put a lock file there meanwhile
            cleared = true;
        } else {
            cleared = errno == ENOENT || ::unlink(path.constData()) == 0 ||
                      (errno == EISDIR && ::rmdir(path.constData()) == 0);
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
    for (const QByteArray& folder : folders) {
        if (!usableFolder(folder))
            continue;
        const QByteArray path = folder + lockName;
        // A few rounds at most: each one either decides or clears away what was in the way.
        for (int round = 0; round < 4; ++round) {
            const int fd = openRegular(path, O_CREAT);
            if (fd < 0) {
                if (!clearTheName(folder, path))
                    break;
                continue;
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const bool taken = errno == EWOULDBLOCK;
                ::close(fd);
                if (taken) {
                    lock.state_ = State::HeldByAnotherCopy;
                    return lock;
                }
                break; // a file system without locks: try the next folder
            }
            if (sameFile(fd, path)) {
                lock.fd_ = fd;
                lock.state_ = State::Held;
                return lock;
            }
            ::close(fd); // the name moved on to another file while this one was locked
        }
    }
    return lock;
}

QList<QByteArray> InstanceLock::defaultFolders()
{
    QByteArray temporary = qgetenv("TMPDIR");
    if (!temporary.startsWith('/'))
        temporary = "/tmp";
    return {qgetenv("XDG_RUNTIME_DIR"),
            temporary + "/mensurio-" + QByteArray::number(qulonglong(::geteuid()))};
}

} // namespace mensurio
