#include "platform/instancelock.h"
#include "core/product.h"
#include "platform/userfolders.h"

#include <QList>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace mensurio {

namespace {

// Never follows a link, never blocks on a FIFO, never leaks into a started program (an
// editor inheriting the descriptor would hold the lock after the program has ended).
constexpr int openFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// A regular file opened at `name` in `folder` with `flags`, or -1.
int openRegular(int folder, const char* name, int flags)
{
    const int fd = ::openat(folder, name, flags, 0600);
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

// One step of a walk no other user can turn aside: `name` opened in `folder`, which is closed,
// or -1. The folder is the user's or root's and keeps its names from others, and so is the
// name, a link included; a link's own target is taken as the kernel finds it. With `make`, a
// missing folder of that name is made first, only where the step may be taken.
int stepInto(int folder, const char* name, bool make = false)
{
    struct stat parent = {}, entry = {};
    int next = -1;
    if (std::strcmp(name, "..") != 0 && ::fstat(folder, &parent) == 0 && userOrRoot(parent) &&
        !othersMayRename(parent)) {
        if (make)
            ::mkdirat(folder, name, 0700);
        if (::fstatat(folder, name, &entry, AT_SYMLINK_NOFOLLOW) == 0 && userOrRoot(entry))
            next = ::openat(folder, name,
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY |
                                (S_ISLNK(entry.st_mode) ? 0 : O_NOFOLLOW));
    }
    ::close(folder);
    return next;
}

// The folder at an absolute path, every step of it taken as above, or -1. Another user could
// otherwise move a folder on the way between two starts and have the next copy lock elsewhere.
int openUnmovable(const QByteArray& path)
{
    int folder = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray& name : path.split('/')) {
        if (folder >= 0 && !name.isEmpty() && name != ".")
            folder = stepInto(folder, name.constData());
    }
    return folder;
}

bool ownAndPrivate(int folder)
{
    struct stat there = {};
    return ::fstat(folder, &there) == 0 && S_ISDIR(there.st_mode) && there.st_uid == ::geteuid() &&
           (there.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// `.cache/mensurio` in the home folder, made where missing (a new account has no cache folder
// yet); -1 unless it is the user's own and no one else may enter it. A folder others may look
// into, or one reached through a name another user could replace, would let them have the
// program remove and create files where it should not, or lose the lock.
int openLockFolder(const QByteArray& home)
{
    if (!home.startsWith('/'))
        return -1;
    int folder = openUnmovable(home);
    for (const char* name : {".cache", product::program}) {
        if (folder >= 0)
            folder = stepInto(folder, name, true);
    }
    if (folder >= 0 && !ownAndPrivate(folder)) {
        ::close(folder);
        return -1;
    }
    return folder;
}

// Something that is no lock file has the lock's name: an unreadable file, a link, a FIFO,
// an empty folder. Copies starting together must not remove each other's fresh lock file,
// so the removal runs under a second lock and only after looking again.
bool clearTheName(int folder, const QByteArray& name)
{
    const int guard = openRegular(folder, (name + ".guard").constData(), openFlags | O_CREAT);
    if (guard < 0)
        return false;
    bool cleared = false;
    if (::flock(guard, LOCK_EX) == 0) {
        const int fd = openRegular(folder, name.constData(), openFlags);
        if (fd >= 0) {
            ::close(fd); // another copy put a lock file there meanwhile
            cleared = true;
        } else {
            cleared = errno == ENOENT || ::unlinkat(folder, name.constData(), 0) == 0 ||
                      (errno == EISDIR && ::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0);
        }
    }
    ::close(guard);
    return cleared;
}

// What one try at the lock file came to, and the locked file when it was locked.
struct Attempt {
    enum Outcome { Locked, HeldElsewhere, TryAgain, NoLock } outcome;
    int fd = -1;
};

Attempt lockOnce(int folder, const QByteArray& name)
{
    const int fd = openRegular(folder, name.constData(), openFlags | O_CREAT);
    if (fd < 0)
        return {clearTheName(folder, name) ? Attempt::TryAgain : Attempt::NoLock};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK; // else a file system without locks
        ::close(fd);
        return {taken ? Attempt::HeldElsewhere : Attempt::NoLock};
    }
    if (sameFile(fd, folder, name.constData()))
        return {Attempt::Locked, fd};
    ::close(fd); // the name moved on to another file while this one was locked
    return {Attempt::TryAgain};
}

// The machine's identity (32 hex digits), empty where it has none.
QByteArray machineId()
{
    const int fd = openRegular(AT_FDCWD, "/etc/machine-id", openFlags & ~O_NOFOLLOW);
    if (fd < 0)
        return {};
    char text[64] = {};
    const ssize_t size = ::read(fd, text, sizeof text);
    ::close(fd);
    const QByteArray id = QByteArray(text, size > 0 ? size : 0).trimmed();
    const bool hex = std::all_of(id.begin(), id.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
    return id.size() == 32 && hex ? id : QByteArray();
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

InstanceLock InstanceLock::take() { return take(userfolders::home(), machineName()); }

// Not QLockFile: it tells a lock left by a dead copy by the process number and host written in
// the file, and can take a live copy's lock for stale; flock is held by the kernel exactly as
// long as the process lives.
InstanceLock InstanceLock::take(const QByteArray& home, const QByteArray& machine)
{
    InstanceLock lock;
    const int folder = machine.contains('/') ? -1 : openLockFolder(home);
    if (folder < 0)
        return lock;
    // A few rounds at most: each one either decides or clears away what was in the way.
    Attempt attempt{Attempt::TryAgain};
    for (int round = 0; round < 4 && attempt.outcome == Attempt::TryAgain; ++round)
        attempt = lockOnce(folder, machine + ".lock");
    ::close(folder);
    if (attempt.outcome == Attempt::Locked) {
        lock.fd_ = attempt.fd;
        lock.state_ = State::Held;
    } else if (attempt.outcome == Attempt::HeldElsewhere) {
        lock.state_ = State::HeldByAnotherCopy;
    }
    return lock;
}

QByteArray InstanceLock::machineName()
{
    // The machine id rather than the host name: fresh installs share host names ("debian",
    // "localhost") and a host name changes with the network, while the id is the machine's own
    // for its life. A home shared between machines then holds a lock for each, and a copy on
    // one never keeps a copy on another from starting.
    QByteArray name = machineId();
    if (name.isEmpty()) {
        char host[HOST_NAME_MAX + 1] = {};
        if (::gethostname(host, sizeof host - 1) == 0)
            name = host;
    }
    // Only characters that make a plain file name of it, whatever the host is called.
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.')
            c = '_';
    }
    return name.isEmpty() ? QByteArrayLiteral("localhost") : name;
}

} // namespace mensurio
