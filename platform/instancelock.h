#pragma once

#include <QByteArray>

namespace mensurio {

// The lock that keeps one copy of the program running for each home folder and machine. The
// kernel holds it (flock) for as long as the copy lives and drops it when the copy ends in any
// way, a crash or SIGKILL included, so what the lock file holds never matters and a left-over
// file is never mistaken for a running copy.
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
    // The file `<machine>.lock` in `<home>/.cache/mensurio/`, made where missing. The place
    // follows from the home folder and the machine alone: nothing that comes and goes with a
    // login session (the runtime folder), nor a variable that differs between two ways of
    // starting (XDG_CACHE_HOME), may split one user's starts between two locks. It counts only
    // when the lock folder is the user's own and closed to everyone else, reached through
    // folders in which no other user can move or replace a name (a home writable by its group
    // is not); otherwise the state is Unavailable and the program runs unguarded.
    static InstanceLock take(const QByteArray& home, const QByteArray& machine);
    // The name that tells this machine from others sharing the home folder (NFS).
    static QByteArray machineName();

    State state() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

} // namespace mensurio
