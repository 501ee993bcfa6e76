#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace mensurio::files {

// A write past the user's file-size limit (ulimit -f) then fails with EFBIG, as on a full
// disk, instead of ending the program with SIGXFSZ. Every write makes sure of it; calling it
// first thing covers the toolkit's own writes (a log on standard error) too.
void surviveFileSizeLimit();

enum class Found {
    RegularFile,
    Nothing,
    // No file is there and none can be made: a folder, a link that leads nowhere, or a name
    // that cannot be looked at.
    NotAFile,
    // Something that cannot be read as a file: a file without read permission, a FIFO, a
    // device, a socket.
    SomethingElse
};

enum class Accept {
    // Whatever the name leads to: a link to a regular file is that file.
    AnyFile,
    // Only a regular file of the user's own under the name itself: a link, or another
    // user's file, is SomethingElse. For a folder where others may have put things.
    OwnFileOnly
};

// Opens `path` for reading without ever blocking (a FIFO or device of that name answers
// SomethingElse instead of hanging) and says what is there. Nothing is read.
Found probe(const QString& path, Accept accept = Accept::AnyFile);

enum class Write {
    // Only where nothing has the name yet; an existing file, link or anything else keeps it.
    NewOnly,
    // The name is pointed at a new file: a link there is replaced, never written through,
    // and a regular file the user may not write is left alone. The new file keeps the
    // permissions of the regular file it replaces.
    Replace
};

// The calls of a whole-file write that some file systems lack (vfat has neither unnamed
// files, nor hard links, nor a rename that refuses to replace, nor modes and groups), that
// fail for some users (a group the user is not in), or whose order matters for a power cut.
// Each does what the system call of its name does; tests put others in their place to stand
// in for such a file system or to watch the order.
struct FileSystemCalls {
    int (*openUnnamed)(int folder, mode_t mode); // openat(folder, ".", O_TMPFILE ..., mode)
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    int (*renameat2)(int fromFolder, const char* from, int toFolder, const char* to,
                     unsigned flags);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
};
FileSystemCalls& fileSystemCalls();

enum class Outcome {
    Saved,
    // Nothing changed: the name holds what it held before, and no new file is left.
    NotSaved,
    // The new file holds the name, yet the disk did not confirm the name: after a power cut
    // the name may hold the file it replaced again.
    SavedUnconfirmed
};

// Writes `bytes` to a new file beside `path`, unnamed where the file system allows, and only
// then gives it the name, so the name holds either everything or what it held before. On
// failure nothing is left behind; after a crash, nothing either, or at the latest once the
// next write of that name has run. Where no file can be named after it is written (NewOnly
// on vfat), it is made on its name, exclusively, and removed again if the write fails.
// Saved once the data and the name are on the disk. A replacing file keeps the mode and the
// group of the file it replaces where the file system holds them; where the group cannot be
// given to it, it is not shared with a group at all. A relative path is refused.
Outcome writeWhole(const QString& path, const QByteArray& bytes, Write mode);

} // namespace mensurio::files
