#include "platform/files.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    void reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
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

// A new, empty file beside `target`, named after it, created by this call alone. The
// kernel applies the user's umask, as for any file the user makes.
QByteArray createTemporary(const QByteArray& target, Descriptor& fd)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name =
            target + ".tmp-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt);
        const int made =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (made >= 0) {
            fd.reset(made);
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

bool mayReplace(const QByteArray& target)
{
    struct stat there {};
    if (::lstat(target.constData(), &there) != 0)
        return errno == ENOENT;
    if (S_ISLNK(there.st_mode))
        return true;
    // A FIFO, device, socket or folder of that name is not ours to replace, and a file the
    // user has made read-only stays as it is.
    return S_ISREG(there.st_mode) && ::access(target.constData(), W_OK) == 0;
}

bool giveName(const QByteArray& from, const QByteArray& to, Write mode)
{
    if (mode == Write::Replace)
        return ::rename(from.constData(), to.constData()) == 0;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a hard link fails just as surely on a
    // name that is taken.
    return ::link(from.constData(), to.constData()) == 0;
}

} // namespace

Found probe(const QString& path)
{
    if (path.isEmpty())
        return Found::Nothing;
    const Descriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        // A dangling link is nothing to read, yet its name is taken: SomethingElse.
        struct stat there {};
        return errno == ENOENT && ::lstat(QFile::encodeName(path).constData(), &there) != 0
                   ? Found::Nothing
                   : Found::SomethingElse;
    }
    struct stat opened {};
    return ::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode) ? Found::RegularFile
                                                                      : Found::SomethingElse;
}

bool writeWhole(const QString& path, const QByteArray& bytes, Write mode)
{
    if (path.isEmpty() || QFileInfo(path).fileName().isEmpty())
        return false;
    const QByteArray target = QFile::encodeName(path);
    if (mode == Write::Replace && !mayReplace(target))
        return false;
    Descriptor fd(-1);
    const QByteArray temporary = createTemporary(target, fd);
    if (temporary.isEmpty())
        return false;
    // The data reaches the disk before the name does: a crash leaves the old name's file or
    // the new one, never an empty file under the name.
    const bool written = writeAll(fd.get(), bytes) && ::fdatasync(fd.get()) == 0 && fd.close() &&
                         giveName(temporary, target, mode);
    ::unlink(temporary.constData()); // gone already after a rename; the spare link after link()
    return written;
}

} // namespace mensurio::files
