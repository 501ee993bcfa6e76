#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace mensurio {

enum class MessageIcon { Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };
enum class UserFolder { Home, Notepads };

// Everything the program asks of the world outside it. Windows receive it by
// reference so that tests can hand them a recording fake.
class Platform {
public:
    virtual ~Platform() = default;

    // Opens a file or address with the desktop's program for it, started in `folder` (the
    // program's own current folder when empty), and returns at once. Where it cannot be
    // opened, the user is told in a message box over `owner` (over no window when null).
    virtual void open(QWidget* owner, const QString& target, const QString& folder) = 0;
    // Starts the desktop's calculator; where there is none, says so over `owner`.
    virtual void startCalculator(QWidget* owner) = 0;

    // The user's login name; nothing when it cannot be had or is longer than the program
    // ever had room for.
    virtual std::optional<QString> loginName() = 0;

    // The folder beside the executable that a copy carrying its files with it (a build
    // folder, an unpacked copy) takes them from, without a trailing separator. Empty for an
    // installed copy, and wherever another user could put files there: the folder counts only
    // when it is the user's own (or root's) and writable by no one else.
    virtual QString programFolder() = 0;
    // Where an installed copy keeps its files: <prefix>/share/mensurio, under the same rule;
    // empty for a copy that carries its files beside it.
    virtual QString sharedFolder() = 0;
    // Where new category notepads are made: the program folder where it is the user's own
    // and the user may write it, the user's data folder otherwise (an installed copy always,
    // whoever runs it); empty when neither is available.
    virtual QString notepadFolder() = 0;
    // The user's home folder, where the symbols export and the mail launches are rooted.
    virtual QString homeFolder() = 0;
    // What names `folder` in bytes that are no UTF-8 text, where the home or data folder
    // comes from the environment or the user database so: "HOME", "XDG_DATA_HOME" or "the
    // home folder in the user database"; empty otherwise. No path the program holds can name
    // those bytes, and a look-alike name would lead to another folder, so homeFolder() (or
    // the data folder, for notepadFolder()) is then empty.
    virtual QString unusableFolderName(UserFolder folder) = 0;

    // Modal, application-wide; any outcome other than Yes counts as No for YesNo.
    virtual MessageAnswer messageBox(QWidget* parent, const QString& text, const QString& title,
                                     MessageButtons buttons, MessageIcon icon) = 0;
    // Modal; the typed text, or an empty text on Cancel.
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;

    // Ends the program at once: no further close handling, nothing asked or saved.
    virtual void endProgram() = 0;
};

// The application title, used on every message box of the program.
QString applicationTitle();

// A file in the program folder, joined with the platform's separator; empty when the
// program folder is unknown, so that nothing is ever looked for or made at the root.
QString programFile(Platform& platform, const QString& name);

// Says, for a message, why `folder` is empty where its name is no text; empty otherwise.
QString unusableFolderText(Platform& platform, UserFolder folder);

} // namespace mensurio
