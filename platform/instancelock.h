#pragma once

#include <QByteArray>
#include <QList>

namespace mensurio {

// The per-user lock that keeps one copy of the program running. The kernel holds it
// (flock) for as long as the copy lives and drops it when the copy ends in any way, a crash
// or SIGKILL included, so what the lock file holds never matters and a left-over file is
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

    // Tries the folders in order; the first in which a lock can be made decides. A folder
    // counts only if it is the user's own and closed to everyone else, reached through
    // folders in which no other user can move or replace a name. Where no folder can hold
    // one, the state is Unavailable and the program runs unguarded.
    static InstanceLock take(const QList<QByteArray>& folders);
    // The user's runtime folder, then one in the user's cache folder (where the runtime
    // folder is missing, relative or not private). Never the shared temporary folder.
    // Reads only the environment, so a refused copy ends before the toolkit starts.
    static QList<QByteArray> defaultFolders();

    State state() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

} // namespace mensurio
