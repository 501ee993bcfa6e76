#pragma once

#include "platform/platform.h"

#include <QStringList>

#include <optional>

namespace mensurio {

// The Linux desktop: xdg-open for files and addresses, the first calculator installed,
// QMessageBox and QInputDialog for the dialogs. The single running copy is main()'s
// business (InstanceLock), settled before the toolkit starts.
class DesktopPlatform final : public Platform {
public:
    void open(QWidget* owner, const QString& target, const QString& folder) override;
    void startCalculator(QWidget* owner) override;
    std::optional<QString> loginName() override;
    QString programFolder() override;
    QString sharedFolder() override;
    QString notepadFolder() override;
    QString homeFolder() override;
    QString unusableFolderName(UserFolder folder) override;
    MessageAnswer messageBox(QWidget* parent, const QString& text, const QString& title,
                             MessageButtons buttons, MessageIcon icon) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void endProgram() override;

    // The desktop calculators tried, in order.
    static QStringList calculatorCandidates();
    // A login name as the program shows it: nothing when it is empty or, with its
    // terminating NUL, does not fit the 144 bytes the program always kept for it.
    static std::optional<QString> fittingLoginName(const QByteArray& name);
    // The folders the program takes its own files from and makes notepads in, for an
    // executable in `executableFolder` (see Platform). An installed copy is one whose licence
    // lies under <prefix>/share/mensurio and not beside the executable.
    struct Folders {
        QString program, shared;
        bool notesBeside = false; // notepads in `program`, else in dataFolder()
    };
    static Folders foldersFor(const QString& executableFolder);
    // The toolkit's AppDataLocation, made when missing, but never below a relative or empty
    // folder, nor below a look-alike of a folder whose name is no text; empty when there is
    // none.
    static QString dataFolder();
    // The folder of the executable's real path; empty only when it cannot be named at all.
    static QString executableFolder();
    // The folder of an executable's path given in bytes; empty where no text names those very
    // bytes, or where the path has no folder.
    static QString folderOf(const QByteArray& executable);
};

} // namespace mensurio
