#pragma once

#include <QByteArray>
#include <QString>

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

// Opens `path` for reading without ever blocking (a FIFO or device of that name answers
// SomethingElse instead of hanging) and says what is there. Links are followed: a link to
// a regular file is that file. Nothing is read.
Found probe(const QString& path);

enum class Write {
    // Only where nothing has the name yet; an existing file, link or anything else keeps it.
    NewOnly,
    // The name is pointed at a new file: a link there is replaced, never written through,
    // and a regular file the user may not write is left alone.
    Replace
};

// Writes `bytes` to a new file beside `path`, unnamed where the file system allows, and only
// then gives it the name, so the name holds either everything or what it held before. On
// failure nothing is left behind; after a crash, nothing either, or at the latest once the
// next write of that name has run. A relative path is refused.
bool writeWhole(const QString& path, const QByteArray& bytes, Write mode);

} // namespace mensurio::files
