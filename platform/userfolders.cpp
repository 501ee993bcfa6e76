#include "platform/userfolders.h"

#include <cstdlib>
#include <pwd.h>
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

Named namedHome()
{
    const QByteArray fromEnvironment = qgetenv("HOME");
    if (fromEnvironment.startsWith('/'))
        return {fromEnvironment, "HOME"};
    const QByteArray fromDatabase = login().home;
    if (!fromDatabase.startsWith('/'))
        return {};
    return {fromDatabase, "the home folder in the user database"};
}

Named namedXdg(const char* variable, const char* underHome)
{
    const QByteArray fromEnvironment = qgetenv(variable);
    if (fromEnvironment.startsWith('/'))
        return {fromEnvironment, variable};
    const Named home = namedHome();
    return home.folder.isEmpty() ? Named{} : Named{home.folder + underHome, home.from};
}

QByteArray home() { return namedHome().folder; }

void ignoreRelativeValues()
{
    for (const char* variable : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                 "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        const char* value = std::getenv(variable);
        if (value && value[0] != '/')
            ::unsetenv(variable);
    }
}

} // namespace mensurio::userfolders
