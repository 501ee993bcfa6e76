#include "platform/desktopplatform.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace mensurio {

namespace {
// Tells the user that a launch could not be carried out and why; without this the command
// would simply do nothing.
void cannotOpen(Platform& platform, QWidget* owner, const QString& what, const QString& why)
{
    platform.messageBox(owner, what + QStringLiteral(":\n") + why, applicationTitle(),
                        MessageButtons::Ok, MessageIcon::Exclamation);
}
} // namespace

DesktopPlatform::DesktopPlatform(QString lockFolder) : lockFolder_(std::move(lockFolder)) {}
DesktopPlatform::~DesktopPlatform() = default;

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

void DesktopPlatform::shellExecute(QWidget* owner, const QString& verb, const QString& file,
                                   const QString& parameters, const QString& folder, int show)
{
    // Owner window, verb and show code mean nothing to xdg-open; they are part of the
    // call so that every caller states them and tests can check them.
    Q_UNUSED(owner);
    Q_UNUSED(verb);
    Q_UNUSED(parameters);
    Q_UNUSED(show);

    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    if (file == calculatorProgram()) {
        // The calculator is found by its name, whatever the working folder.
        const QStringList candidates = calculatorCandidates();
        for (const QString& candidate : candidates) {
            const QString path = QStandardPaths::findExecutable(candidate);
            if (!path.isEmpty()) {
                process.setProgram(path);
                if (!process.startDetached())
                    cannotOpen(*this, owner, QStringLiteral("The calculator could not be started"),
                               path + QStringLiteral(" failed to start."));
                return;
            }
        }
        cannotOpen(*this, owner, QStringLiteral("The calculator could not be started"),
                   QStringLiteral("None of these calculators is installed: ") +
                       candidates.join(QStringLiteral(", ")) + QLatin1Char('.'));
        return;
    }
    const QString what = QStringLiteral("Could not open \"%1\"").arg(file);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        cannotOpen(*this, owner, what,
                   QStringLiteral("xdg-open, which opens files and addresses with the desktop's "
                                  "programs, is not installed (package xdg-utils)."));
        return;
    }
    // One argument, never a shell string: an address with blanks, quotes or "$(...)"
    // reaches xdg-open unchanged and runs nothing else.
    process.setProgram(opener);
    process.setArguments({file});
    if (!process.startDetached())
        cannotOpen(*this, owner, what, opener + QStringLiteral(" failed to start."));
}

std::optional<QString> DesktopPlatform::loginName(int bufferSize)
{
    QByteArray name;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> scratch(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found)
        name = found->pw_name;
    else
        name = qgetenv("USER");
    if (name.isEmpty() || name.size() + 1 > bufferSize)
        return std::nullopt;
    return QString::fromLocal8Bit(name);
}

QString DesktopPlatform::programFolder() { return QCoreApplication::applicationDirPath(); }

QString DesktopPlatform::rootFolder() { return QDir::homePath(); }

bool DesktopPlatform::previousInstance()
{
    QString folder = lockFolder_;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(folder + QStringLiteral("/mensurio.lock"));
    // QLockFile takes over a lock whose owning process is gone, so a crash never locks
    // the user out. Age alone must never make a lock stale: a copy left running for
    // hours still holds it. No waiting: the answer is needed at once.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return false;
    // Only a lock held by a live copy means another copy runs. A folder where no lock
    // can be made must not keep the program from starting at all.
    return lock_->error() == QLockFile::LockFailedError;
}

MessageAnswer DesktopPlatform::messageBox(QWidget* parent, const QString& text,
                                          const QString& title, MessageButtons buttons,
                                          MessageIcon icon)
{
    QMessageBox box(parent);
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

QString DesktopPlatform::inputBox(QWidget* parent, const QString& prompt, const QString& title,
                                  const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
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
