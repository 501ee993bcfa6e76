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

// Removes XDG base folder variables that do not hold an absolute path from the environment,
// before the toolkit starts: the rules say to ignore them, yet the toolkit takes them as they
// stand and would make XDG_RUNTIME_DIR's folder, and look for its settings, in the working
// folder. The programs the user opens then do not see them either.
void ignoreRelativeValues();

} // namespace mensurio::userfolders
