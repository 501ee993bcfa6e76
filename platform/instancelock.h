#pragma once

#include <QByteArray>

namespace mensurio {

// The lock that keeps one copy of the program running for each home folder and machine: a
// lock file in the home folder and a socket in the kernel, each taken by every copy. The kernel
// holds both for as long as the copy lives and drops them when the copy ends in any way, a
// crash or SIGKILL included, so what the lock file holds never matters and a left-over file is
// never mistaken for a running copy.
class InstanceLock {
public:
    enum class State { Held, HeldByAnotherCopy, Unavailable };

    InstanceLock() = default;
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // The lock of the user's home folder (userfolders::home()) on this machine. Reads only the
    // environment, the user database and /etc, so a refused copy ends before the toolkit starts.
    static InstanceLock take();
    // The file `<machine>.lock` in `<home>/.cache/mensurio/`, made where missing (where junk
    // that cannot be removed holds that name, `<machine>-1.lock` and on), and the abstract
    // socket named for the user, the home folder's device and inode and the machine. The place
    // follows from the home folder and the machine alone: nothing that comes and goes with a
    // login session (the runtime folder), nor a variable that differs between two ways of
    // starting (XDG_CACHE_HOME), may split one user's starts between two locks. The file counts
    // only where no other user can write in the lock folder, nor move or replace a name on the
    // way to it; the socket only where no other user holds its name. Where neither counts the
    // state is Unavailable and the program runs unguarded.
    static InstanceLock take(const QByteArray& home, const QByteArray& machine);
    // The name that tells this machine from others sharing the home folder (NFS).
    static QByteArray machineName();

    State state() const { return state_; }

    // The system call the lock is taken with; tests put another in its place to stand in for
    // a signal or a file system without locks.
    struct Calls {
        int (*flock)(int fd, int operation);
    };
    static Calls& calls();

private:
    State lockInFolder(const QByteArray& home, const QByteArray& machine);
    State lockBySocket(const QByteArray& home, const QByteArray& machine);
    void release();

    int fd_ = -1;
    int socket_ = -1;
    State state_ = State::Unavailable;
};

} // namespace mensurio
