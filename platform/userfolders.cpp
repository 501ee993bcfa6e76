#include "platform/userfolders.h"

#include <QList>

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace mensurio::userfolders {

Login login()
{
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> scratch(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found) != 0 || !found)
        return {};
    return {found->pw_name, found->pw_dir};
}

namespace {

// An absolute path with its "." and ".." steps taken away as written, as the shell and
// QDir::cleanPath take them, so that every spelling of a folder leads to the same files and
// the same lock; empty for a relative path.
QByteArray plainPath(const QByteArray& path)
{
    if (!path.startsWith('/'))
        return {};
    QList<QByteArray> kept;
    for (const QByteArray& name : path.split('/')) {
        if (name == "..") {
            if (!kept.isEmpty())
                kept.removeLast();
        } else if (!name.isEmpty() && name != ".") {
            kept.append(name);
        }
    }
    return '/' + kept.join('/');
}

// Whether `folder` is the effective user's to make things in: the folder itself, or where it
// is missing, the deepest folder above it that is there.
bool usersOwn(const QByteArray& folder)
{
    // What is missing is made below the deepest part that is there, so that part decides.
    QByteArray there = folder;
    struct stat entry = {};
    while (::stat(there.constData(), &entry) != 0 && errno == ENOENT && there.size() > 1)
        there.truncate(qMax(there.lastIndexOf('/'), 1));
    return ::stat(there.constData(), &entry) == 0 && S_ISDIR(entry.st_mode) &&
           entry.st_uid == ::geteuid();
}

// A folder named by a variable, taken where it is an absolute path of the effective user's
// own: root in a shell that kept another user's environment (sudo -E, su without -) would
// otherwise leave root's folders and files in that user's home, which the user could then
// neither replace nor write in.
QByteArray ownFolderIn(const char* variable)
{
    const QByteArray folder = plainPath(qgetenv(variable));
    return folder.size() > 1 && usersOwn(folder) ? folder : QByteArray();
}

} // namespace

Named namedHome()
{
    const QByteArray fromEnvironment = ownFolderIn("HOME");
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment, "HOME"};
    // The home is never "/", where the program would put its files among the system's.
    const QByteArray fromDatabase = plainPath(login().home);
    if (fromDatabase.size() <= 1)
        return {};
    return {fromDatabase, "the home folder in the user database"};
}

Named namedXdg(const char* variable, const char* underHome)
{
    const QByteArray fromEnvironment = ownFolderIn(variable);
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment, variable};
    const Named home = namedHome();
    return home.folder.isEmpty() ? Named{} : Named{home.folder + underHome, home.from};
}

QByteArray home() { return namedHome().folder; }

void ignoreUnusableValues()
{
    // The runtime folder is only read here, and a desktop session's sockets are found by it.
    if (!qgetenv("XDG_RUNTIME_DIR").startsWith('/'))
        ::unsetenv("XDG_RUNTIME_DIR");
    for (const char* variable :
         {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        if (qEnvironmentVariableIsSet(variable) && ownFolderIn(variable).isEmpty())
            ::unsetenv(variable);
    }
    const Named home = namedHome();
    if (home.from != "HOME" && !home.folder.isEmpty())
        ::setenv("HOME", home.folder.constData(), 1);
}

} // namespace mensurio::userfolders
