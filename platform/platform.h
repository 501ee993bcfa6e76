#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace mensurio {

enum class MessageIcon { Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The desktop's show-normally code, handed on with every shell request.
inline constexpr int showNormal = 1;

// Everything the program asks of the world outside it. Windows receive it by
// reference so that tests can hand them a recording fake.
class Platform {
public:
    virtual ~Platform() = default;

    // Opens a document, program or address with its associated program and returns at
    // once. An empty verb means the shell's default; nobody looks at the outcome.
    virtual void shellExecute(QWidget* owner, const QString& verb, const QString& file,
                              const QString& parameters, const QString& folder, int show) = 0;

    // The login name, failing (nothing) when it does not fit a buffer of bufferSize
    // bytes together with its terminating NUL.
    virtual std::optional<QString> loginName(int bufferSize) = 0;

    // The folder that holds the executable, without a trailing separator; empty only when
    // it cannot be named at all.
    virtual QString programFolder() = 0;
    // Where new category notepads are made: the program folder where the user may write
    // it, the user's own data folder where not; empty when neither is available.
    virtual QString notepadFolder() = 0;
    // Where the symbols export and the mail launches are rooted.
    virtual QString rootFolder() = 0;

    // True when another copy of the program holds the per-user lock.
    virtual bool previousInstance() = 0;

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

// The program name the shell is asked to open for the system calculator.
QString calculatorProgram();

// A file in the program folder, joined with the platform's separator; empty when the
// program folder is unknown, so that nothing is ever looked for or made at the root.
QString programFile(Platform& platform, const QString& name);

} // namespace mensurio
