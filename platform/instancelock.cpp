#include "platform/instancelock.h"
#include "core/product.h"
#include "platform/userfolders.h"

#include <QCryptographicHash>
#include <QList>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

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

// A file of the user's that no one else may open, made where missing; -1 for anything else
// at the name. Another user who could open it could hold its lock and keep every copy from
// starting.
int openPrivate(int folder, const char* name)
{
    const int fd = openRegular(folder, name, openFlags | O_CREAT);
    struct stat opened = {};
    if (fd < 0 || (::fstat(fd, &opened) == 0 && opened.st_uid == ::geteuid() &&
                   (opened.st_mode & (S_IRWXG | S_IRWXO)) == 0))
        return fd;
    ::close(fd);
    return -1;
}

bool sameFile(int fd, int folder, const char* name)
{
    struct stat opened = {}, named = {};
    return ::fstat(fd, &opened) == 0 && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// A flock that a signal arriving meanwhile does not undo.
int lockFile(int fd, int operation)
{
    int done = -1;
    do
        done = InstanceLock::calls().flock(fd, operation);
    while (done != 0 && errno == EINTR);
    return done;
}

// Whether a user other than this one and root belongs to `group`, by the user database or
// by the group's own list: only such a user could use the group's write permission. Where the
// databases cannot be read, one is assumed.
bool othersInGroup(gid_t group)
{
    const QByteArray me = userfolders::login().name;
    std::vector<char> scratch(65536);
    struct group entry = {};
    struct group* found = nullptr;
    if (::getgrgid_r(group, &entry, scratch.data(), scratch.size(), &found) != 0)
        return true;
    for (char** member = found ? found->gr_mem : nullptr; member && *member; ++member) {
        if (me != *member && std::strcmp(*member, "root") != 0)
            return true;
    }
    bool others = false;
    passwd user = {};
    passwd* next = nullptr;
    ::setpwent();
    while (!others && ::getpwent_r(&user, scratch.data(), scratch.size(), &next) == 0)
        others = next->pw_gid == group && next->pw_uid != ::geteuid() && next->pw_uid != 0;
    ::endpwent();
    return others;
}

// Whether another user may write in this folder: all may where others may, and where its
// group may, any other member of the group.
bool othersMayWrite(const struct stat& folder)
{
    return (folder.st_mode & S_IWOTH) != 0 ||
           ((folder.st_mode & S_IWGRP) != 0 && othersInGroup(folder.st_gid));
}

// Whether another user could put something else at a name in this folder: only where they
// may write it, and in a sticky folder (as /tmp) not even then for a name the user or root
// owns, which the walk below asks of every name it passes.
bool othersMayRename(const struct stat& folder)
{
    return (folder.st_mode & S_ISVTX) == 0 && othersMayWrite(folder);
}

bool userOrRoot(const struct stat& entry)
{
    return entry.st_uid == ::geteuid() || entry.st_uid == 0;
}

// One step of a walk no other user can turn aside: `name` opened in `folder`, which is closed,
// or -1. The folder is the user's or root's and keeps its names from others, and so is the
// name, a link included; a link's own target is taken as the kernel finds it, and the next
// step asks the same of it. With `make`, a missing folder of that name is made first, only
// where the step may be taken.
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

// The folder is the user's own, and no one else may write in it: the program's own folder,
// which it closes to others' writes where it finds them open (the user's group shared with
// others, say), as they could otherwise put things at the lock's names.
bool keptFromOthers(int folder)
{
    struct stat there = {};
    if (::fstat(folder, &there) != 0 || !S_ISDIR(there.st_mode) || there.st_uid != ::geteuid())
        return false;
    return !othersMayWrite(there) ||
           ::fchmod(folder, there.st_mode & 07777 & ~mode_t(S_IWGRP | S_IWOTH)) == 0;
}

// `.cache/mensurio` in the home folder, made where missing (a new account has no cache folder
// yet); -1 unless it is the user's own, no one else may write in it, and it is reached through
// names no other user could replace.
int openLockFolder(const QByteArray& home)
{
    if (!home.startsWith('/'))
        return -1;
    int folder = openUnmovable(home);
    for (const char* name : {".cache", product::program}) {
        if (folder >= 0)
            folder = stepInto(folder, name, true);
    }
    if (folder >= 0 && !keptFromOthers(folder)) {
        ::close(folder);
        return -1;
    }
    return folder;
}

// What one try at a lock file came to, and the locked file when it was locked.
struct Attempt {
    enum Outcome {
        Locked,
        HeldElsewhere,
        TryAgain,
        // Something that is no lock file holds the name and stays: the next name is tried.
        NameTaken,
        // The file system takes no locks (ENOLCK: an NFS home without a lock service).
        NoLocks
    } outcome;
    int fd = -1;
};

// Something that is no lock file has the lock's name: another user's file, a link, a FIFO,
// a folder. Copies starting together must not remove each other's fresh lock file, so the
// removal runs under a second lock and only after looking again. What cannot be removed (a
// folder that holds files), or junk at the guard's own name, leaves the name taken.
Attempt::Outcome clearTheName(int folder, const QByteArray& name)
{
    const int guard = openPrivate(folder, (name + ".guard").constData());
    if (guard < 0)
        return Attempt::NameTaken;
    Attempt::Outcome outcome = Attempt::NameTaken;
    if (lockFile(guard, LOCK_EX) == 0) {
        const int fd = openPrivate(folder, name.constData());
        if (fd >= 0) {
            ::close(fd); // another copy put a lock file there meanwhile
            outcome = Attempt::TryAgain;
        } else if (::unlinkat(folder, name.constData(), 0) == 0 ||
                   (errno == EISDIR && ::unlinkat(folder, name.constData(), AT_REMOVEDIR) == 0)) {
            outcome = Attempt::TryAgain;
        }
    } else {
        outcome = Attempt::NoLocks;
    }
    ::close(guard);
    return outcome;
}

Attempt lockOnce(int folder, const QByteArray& name)
{
    const int fd = openPrivate(folder, name.constData());
    if (fd < 0)
        return {clearTheName(folder, name)};
    if (lockFile(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return {taken ? Attempt::HeldElsewhere : Attempt::NoLocks};
    }
    if (sameFile(fd, folder, name.constData()))
        return {Attempt::Locked, fd};
    ::close(fd); // the name moved on to another file while this one was locked
    return {Attempt::TryAgain};
}

// The lock file in the lock folder: `<machine>.lock`, or where junk that cannot be cleared
// holds that name, `<machine>-1.lock` and on. Every copy finds the same junk, so every copy
// settles on the same name.
Attempt lockFirstFreeName(int folder, const QByteArray& machine)
{
    Attempt attempt{Attempt::NameTaken};
    for (int name = 0; name < 4 && attempt.outcome == Attempt::NameTaken; ++name) {
        const QByteArray file = machine + (name ? '-' + QByteArray::number(name) : "") + ".lock";
        // A few rounds at most: each one either decides or clears away what was in the way.
        attempt = {Attempt::TryAgain};
        for (int round = 0; round < 4 && attempt.outcome == Attempt::TryAgain; ++round)
            attempt = lockOnce(folder, file);
    }
    return attempt;
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

// The abstract socket address of the user's home folder on this machine: the user, the home
// folder by its device and inode (however HOME spells it), and the machine. It lives in the
// kernel alone, so no file system, folder or lock service can be in its way.
std::pair<sockaddr_un, socklen_t> socketAddress(const QByteArray& home, const QByteArray& machine)
{
    std::pair<sockaddr_un, socklen_t> address = {{}, 0};
    struct stat folder = {};
    if (::stat(home.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return address;
    const QByteArray identity = QByteArray::number(::geteuid()) + ' ' +
                                QByteArray::number(quint64(folder.st_dev)) + ' ' +
                                QByteArray::number(quint64(folder.st_ino)) + ' ' + machine;
    const QByteArray name = QByteArray(product::program) + '-' +
                            QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex();
    address.first.sun_family = AF_UNIX;
    // The leading NUL makes the name abstract.
    std::memcpy(address.first.sun_path + 1, name.constData(), std::size_t(name.size()));
    address.second = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(name.size()));
    return address;
}

// Whether the copy listening at `address` runs as this user; another user may have taken
// the name first, which must never keep this user's copies from starting.
bool heldByThisUser(const sockaddr_un& address, socklen_t size)
{
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool ours = false;
    // A copy starting together may have bound the name and not listen yet.
    for (int round = 0; probe >= 0 && round < 20; ++round) {
        if (::connect(probe, reinterpret_cast<const sockaddr*>(&address), size) == 0) {
            ucred peer = {};
            socklen_t length = sizeof peer;
            ours = ::getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
                   peer.uid == ::geteuid();
            break;
        }
        if (errno != ECONNREFUSED)
            break;
        const timespec pause = {0, 1000000};
        ::nanosleep(&pause, nullptr);
    }
    if (probe >= 0)
        ::close(probe);
    return ours;
}

} // namespace

InstanceLock::Calls& InstanceLock::calls()
{
    static Calls system{::flock};
    return system;
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), socket_(std::exchange(other.socket_, -1)),
      state_(std::exchange(other.state_, State::Unavailable))
{}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        socket_ = std::exchange(other.socket_, -1);
        state_ = std::exchange(other.state_, State::Unavailable);
    }
    return *this;
}

InstanceLock::~InstanceLock() { release(); }

void InstanceLock::release()
{
    for (int* fd : {&fd_, &socket_}) {
        if (*fd >= 0)
            ::close(std::exchange(*fd, -1));
    }
}

InstanceLock InstanceLock::take() { return take(userfolders::home(), machineName()); }

// Not QLockFile: it tells a lock left by a dead copy by the process number and host written in
// the file, and can take a live copy's lock for stale; flock is held by the kernel exactly as
// long as the process lives. Both locks are always taken, so that a copy that finds one of
// them unusable and a copy that does not still find each other.
InstanceLock InstanceLock::take(const QByteArray& home, const QByteArray& machine)
{
    InstanceLock lock;
    if (machine.contains('/'))
        return lock;
    const State inFolder = lock.lockInFolder(home, machine);
    const State bySocket =
        inFolder == State::HeldByAnotherCopy ? inFolder : lock.lockBySocket(home, machine);
    if (inFolder == State::HeldByAnotherCopy || bySocket == State::HeldByAnotherCopy) {
        lock.release();
        lock.state_ = State::HeldByAnotherCopy;
    } else if (inFolder == State::Held || bySocket == State::Held) {
        lock.state_ = State::Held;
    }
    return lock;
}

InstanceLock::State InstanceLock::lockInFolder(const QByteArray& home, const QByteArray& machine)
{
    const int folder = openLockFolder(home);
    if (folder < 0)
        return State::Unavailable;
    const Attempt attempt = lockFirstFreeName(folder, machine);
    ::close(folder);
    if (attempt.outcome == Attempt::Locked) {
        fd_ = attempt.fd;
        return State::Held;
    }
    return attempt.outcome == Attempt::HeldElsewhere ? State::HeldByAnotherCopy
                                                     : State::Unavailable;
}

InstanceLock::State InstanceLock::lockBySocket(const QByteArray& home, const QByteArray& machine)
{
    const auto [address, size] = socketAddress(home, machine);
    const int fd = size ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
    if (fd < 0)
        return State::Unavailable;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0 &&
        ::listen(fd, SOMAXCONN) == 0) {
        socket_ = fd;
        return State::Held;
    }
    const bool inUse = errno == EADDRINUSE;
    ::close(fd);
    return inUse && heldByThisUser(address, size) ? State::HeldByAnotherCopy : State::Unavailable;
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
