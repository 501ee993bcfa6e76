#pragma once

#include <QByteArray>

// The user's own folders, from the environment and the user database alone: the lock is
// taken before the toolkit starts, and the toolkit's own answers take a relative or empty
// HOME or XDG_* value as it stands, which would put files at "/" or in the working folder.
namespace mensurio::userfolders {

// The effective user's entry in the user database: login name and home folder; empty fields
// when there is no entry.
struct Login {
    QByteArray name;
    QByteArray home;
};
Login login();

// A folder as the bytes it was given in, and what gave it: the variable ("HOME",
// "XDG_DATA_HOME") or "the home folder in the user database"; both empty when none did.
struct Named {
    QByteArray folder;
    QByteArray from;
};
// $HOME when it is an absolute path other than "/" and the effective user's own folder (or
// missing below one), else the login's home from the user database; ".." and "." steps taken
// away as written. Empty when neither names a folder other than "/".
Named namedHome();
QByteArray home(); // its bytes alone

// A base folder of the XDG rules: `variable` when it holds an absolute path of the effective
// user's own as HOME must be (a relative one is ignored, as the rules say), else `underHome`
// (such as "/.local/share") in the home folder; empty without a home.
Named namedXdg(const char* variable, const char* underHome);

// Before the toolkit starts, removes the XDG base folder variables that do not hold an
// absolute path, or (but for the runtime folder) name another user's folder, and points HOME at the
// home folder taken (the user database's where HOME is not the user's own): the rules say to ignore
// a relative value, yet the toolkit takes it as it stands and would make XDG_RUNTIME_DIR's folder
// in the working folder; and the toolkit's own caches (fontconfig's) would otherwise land in
// another user's home. The programs the user opens then do not see them either.
void ignoreUnusableValues();

} // namespace mensurio::userfolders
