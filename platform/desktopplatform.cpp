#include "platform/desktopplatform.h"
#include "core/product.h"
#include "platform/files.h"
#include "platform/userfolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace mensurio {

namespace {
// A dialog centred on the screen of the window it belongs to, which opened on the screen that
// holds the main window; Qt would centre it over that window instead. Centred once its size
// is known, before it is mapped.
template <class Dialog> class CentredDialog : public Dialog {
public:
    using Dialog::Dialog;

protected:
    void showEvent(QShowEvent* event) override
    {
        Dialog::showEvent(event);
        const QWidget* owner = this->parentWidget() ? this->parentWidget()->window() : nullptr;
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            return;
        QRect frame = this->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        this->move(frame.topLeft());
    }
};

// The desktop's message box; a function of its own, as an opener's failure is told after the
// platform object that started it may be gone.
MessageAnswer showMessageBox(QWidget* parent, const QString& text, const QString& title,
                             MessageButtons buttons, MessageIcon icon)
{
    CentredDialog<QMessageBox> box(parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

// The openers at work and the failures waiting to be told, one set for the whole program: a
// failure is told after the platform object that started its opener may be gone, and an
// opener left at a quit is neither waited for nor killed.
class Openers {
public:
    static Openers& all()
    {
        // Never freed, so that leak checkers count the openers left at a quit as kept.
        static auto* const openers = new Openers;
        return *openers;
    }
    void cannotOpen(QWidget* owner, const QString& what, const QString& why);
    void watch(QWidget* owner, const QString& what, const QString& opener, const QString& file,
               const QString& folder);

private:
    struct Failure {
        QPointer<QWidget> owner;
        QString text;
    };
    QList<Failure> waiting_;
    QString showing_; // empty while no box is up
    QList<QProcess*> running_;
};

// Tells the user that a launch could not be carried out and why; without this the command
// would simply do nothing. One box at a time: openers that fail together (a burst of clicks
// on a desktop without programs) would otherwise stack a modal box on each other, each in
// the event loop of the one before. What fails while a box is up waits for it, in order; a
// message already up or waiting is not told twice.
void Openers::cannotOpen(QWidget* owner, const QString& what, const QString& why)
{
    const QString text = what + QStringLiteral(":\n") + why;
    if (text == showing_ ||
        std::any_of(waiting_.cbegin(), waiting_.cend(),
                    [&text](const Failure& failure) { return failure.text == text; }))
        return;
    waiting_.append({owner, text});
    if (!showing_.isEmpty())
        return;
    while (!waiting_.isEmpty()) {
        const Failure next = waiting_.takeFirst();
        showing_ = next.text;
        showMessageBox(next.owner, next.text, applicationTitle(), MessageButtons::Ok,
                       MessageIcon::Exclamation);
    }
    showing_.clear();
}

// Starts xdg-open and tells the user when it later fails, as it does when the desktop has no
// program for the file (status 3) or that program fails (4). The process belongs to no
// window, which may close first, and is never waited for: a program that quits leaves it
// running and its opening goes on.
void Openers::watch(QWidget* owner, const QString& what, const QString& opener, const QString& file,
                    const QString& folder)
{
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({file});
    if (!folder.isEmpty())
        process->setWorkingDirectory(folder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(
        process, &QProcess::finished, process,
        [this, process, what, owner = QPointer<QWidget>(owner)](int status,
                                                                QProcess::ExitStatus how) {
            running_.removeOne(process);
            process->deleteLater();
            if (how == QProcess::NormalExit && status == 0)
                return;
            cannotOpen(owner, what,
                       QStringLiteral("The desktop could not open it (xdg-open ended with ") +
                           (how == QProcess::NormalExit ? QStringLiteral("status %1).").arg(status)
                                                        : QStringLiteral("a crash).")));
        });
    process->start();
    if (process->waitForStarted()) {
        running_.append(process);
        return;
    }
    delete process;
    cannotOpen(owner, what, opener + QStringLiteral(" failed to start."));
}
} // namespace

QStringList DesktopPlatform::calculatorCandidates()
{
    return {QStringLiteral("gnome-calculator"),
            QStringLiteral("kcalc"),
            QStringLiteral("qalculate-qt"),
            QStringLiteral("qalculate-gtk"),
            QStringLiteral("galculator"),
            QStringLiteral("mate-calc"),
            QStringLiteral("xcalc")};
}

void DesktopPlatform::startCalculator(QWidget* owner)
{
    // The calculator is found by its name, whatever the working folder.
    const QStringList candidates = calculatorCandidates();
    for (const QString& candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(candidate);
        if (!path.isEmpty()) {
            if (!QProcess::startDetached(path, {}))
                Openers::all().cannotOpen(owner,
                                          QStringLiteral("The calculator could not be started"),
                                          path + QStringLiteral(" failed to start."));
            return;
        }
    }
    Openers::all().cannotOpen(owner, QStringLiteral("The calculator could not be started"),
                              QStringLiteral("None of these calculators is installed: ") +
                                  candidates.join(QStringLiteral(", ")) + QLatin1Char('.'));
}

void DesktopPlatform::open(QWidget* owner, const QString& target, const QString& folder)
{
    const QString what = QStringLiteral("Could not open \"%1\"").arg(target);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        Openers::all().cannotOpen(
            owner, what,
            QStringLiteral("xdg-open, which opens files and addresses with the desktop's "
                           "programs, is not installed (package xdg-utils)."));
        return;
    }
    // One argument, never a shell string: an address with blanks, quotes or "$(...)"
    // reaches xdg-open unchanged and runs nothing else.
    Openers::all().watch(owner, what, opener, target, folder);
}

std::optional<QString> DesktopPlatform::fittingLoginName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() + 1 > 144)
        return std::nullopt;
    return QString::fromLocal8Bit(name);
}

std::optional<QString> DesktopPlatform::loginName()
{
    const QByteArray name = userfolders::login().name;
    return fittingLoginName(name.isEmpty() ? qgetenv("USER") : name);
}

QString DesktopPlatform::executableFolder()
{
    QByteArray executable(PATH_MAX, '\0');
    const ssize_t size = ::readlink("/proc/self/exe", executable.data(), executable.size());
    if (size > 0 && size < executable.size())
        return folderOf(executable.left(size));
    return QCoreApplication::applicationDirPath();
}

namespace {

enum class Owner { User, UserOrRoot };

// A folder in which no one but its owner, the user (or root), can put, replace or remove a
// file: what the program finds there is what the user or the system put there.
bool closedFolder(const QString& folder, Owner owner)
{
    struct stat there = {};
    if (folder.isEmpty() || ::stat(QFile::encodeName(folder).constData(), &there) != 0)
        return false;
    const bool owned =
        there.st_uid == ::geteuid() || (owner == Owner::UserOrRoot && there.st_uid == 0);
    return S_ISDIR(there.st_mode) && owned && (there.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

const QString licenceName = product::text(product::licenceFile);

bool holdsLicence(const QString& folder)
{
    return files::probe(folder + QLatin1Char('/') + licenceName) == files::Found::RegularFile;
}

// The folders' names are bytes: taken as a path only where the path leads back to the very
// same bytes. Bytes that are no UTF-8 text would be read with U+FFFD in their place and
// name a look-alike folder, perhaps another user's.
QString exactPath(const QByteArray& folder)
{
    const QString path = QFile::decodeName(folder);
    return QFile::encodeName(path) == folder ? QDir::cleanPath(path) : QString();
}

userfolders::Named dataBase() { return userfolders::namedXdg("XDG_DATA_HOME", "/.local/share"); }

} // namespace

QString DesktopPlatform::folderOf(const QByteArray& executable)
{
    // Taken by its bytes, as every folder: one whose bytes no text can name (not UTF-8) is
    // unknown, never "", which would put files at "/"; notepads then go to the data folder.
    const QByteArray folder = executable.left(executable.lastIndexOf('/'));
    return folder.isEmpty() ? QString() : exactPath(folder);
}

QString DesktopPlatform::dataFolder()
{
    const QString base = exactPath(dataBase().folder);
    if (base.isEmpty())
        return {};
    const QString data = QDir::cleanPath(base + QLatin1Char('/') + product::text(product::name));
    if (!QDir().mkpath(data))
        return {};
    return data;
}

DesktopPlatform::Folders DesktopPlatform::foldersFor(const QString& executableFolder)
{
    if (executableFolder.isEmpty())
        return {};
    const QString shared = QDir::cleanPath(executableFolder + QStringLiteral("/../share/") +
                                           product::text(product::program));
    if (!holdsLicence(executableFolder) && holdsLicence(shared)) {
        // Installed: the program folder is the system's or the installing user's, never a
        // place for anyone's notes, root's included.
        return {{}, closedFolder(shared, Owner::UserOrRoot) ? shared : QString(), false};
    }
    const bool closed = closedFolder(executableFolder, Owner::UserOrRoot);
    // Notes beside the program only where they are the user's alone.
    const bool notesBeside = closed && closedFolder(executableFolder, Owner::User) &&
                             ::access(QFile::encodeName(executableFolder).constData(), W_OK) == 0;
    return {closed ? executableFolder : QString(), {}, notesBeside};
}

QString DesktopPlatform::programFolder() { return foldersFor(executableFolder()).program; }

QString DesktopPlatform::sharedFolder() { return foldersFor(executableFolder()).shared; }

QString DesktopPlatform::notepadFolder()
{
    const Folders folders = foldersFor(executableFolder());
    return folders.notesBeside ? folders.program : dataFolder();
}

QString DesktopPlatform::homeFolder()
{
    // Empty when the user has no home at all: the caller's write then fails rather than
    // landing at "/" or in the working folder.
    return exactPath(userfolders::home());
}

QString DesktopPlatform::unusableFolderName(UserFolder folder)
{
    const userfolders::Named named =
        folder == UserFolder::Home ? userfolders::namedHome() : dataBase();
    if (named.folder.isEmpty() || !exactPath(named.folder).isEmpty())
        return {};
    return QString::fromLatin1(named.from);
}

MessageAnswer DesktopPlatform::messageBox(QWidget* parent, const QString& text,
                                          const QString& title, MessageButtons buttons,
                                          MessageIcon icon)
{
    return showMessageBox(parent, text, title, buttons, icon);
}

QString DesktopPlatform::inputBox(QWidget* parent, const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    CentredDialog<QInputDialog> dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(defaultText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void DesktopPlatform::endProgram()
{
    // Every window goes at once; leaving every event loop returns from exec() in main,
    // which then tears the windows down without running their close handling.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

} // namespace mensurio
