#include "launch/notepads.h"

#include "launch/launch.h"
#include "platform/files.h"

#include <QDir>

namespace mensurio::notepads {

QString fileName(Category category) { return notepadName(category) + QStringLiteral(".txt"); }

namespace {

// The file a notepad click opens: one the user already keeps beside the program stays in use
// there, if it is a regular file of the user's own under that very name; a new one is made
// where the user's notepads are made. A link or another user's file beside the program is
// never opened, wherever it leads.
struct Notepad {
    QString path;
    files::Accept accept = files::Accept::AnyFile;
};

Notepad notepad(Platform& platform, const QString& name)
{
    const QString besideProgram = programFile(platform, name);
    if (files::probe(besideProgram, files::Accept::OwnFileOnly) == files::Found::RegularFile)
        return {besideProgram, files::Accept::OwnFileOnly};
    const QString folder = platform.notepadFolder();
    if (folder.isEmpty())
        return {};
    const QString path = folder + QDir::separator() + name;
    return {path, path == besideProgram ? files::Accept::OwnFileOnly : files::Accept::AnyFile};
}
} // namespace

void open(Context& context, Category category)
{
    const QString name = fileName(category);
    const auto [path, accept] = notepad(context.platform, name);
    QString failure;
    switch (files::probe(path, accept)) {
    case files::Found::RegularFile:
        break; // handed on as it is, whatever it holds
    case files::Found::Nothing:
        // Only a new file gets the empty line, and it gets its name only once the line is
        // written: a failed write leaves no empty file behind. A new file is never replaced,
        // so it is either saved or not there at all.
        if (files::writeWhole(path, QByteArrayLiteral("\r\n"), files::Write::NewOnly) !=
            files::Outcome::Saved)
            failure = QStringLiteral("The notepad file could not be created:\n");
        break;
    case files::Found::NotAFile:
        // A folder or a dangling link holds the name, so no file can be made there.
        failure = QStringLiteral("The notepad file could not be created:\n");
        break;
    case files::Found::SomethingElse:
        // Unreadable, a FIFO, a device: never touched, never waited on.
        failure = QStringLiteral("The notepad file could not be opened:\n");
        break;
    }
    if (!failure.isEmpty()) {
        const QString unusable =
            path.isEmpty() ? unusableFolderText(context.platform, UserFolder::Notepads) : QString();
        const QString shown = !unusable.isEmpty() ? unusable : path.isEmpty() ? name : path;
        context.platform.messageBox(context.mainWindow, failure + shown, applicationTitle(),
                                    MessageButtons::Ok, MessageIcon::Exclamation);
        return;
    }
    launch::open(context, path);
}

} // namespace mensurio::notepads
