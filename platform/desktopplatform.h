#pragma once

#include "platform/instancelock.h"
#include "platform/platform.h"

#include <QStringList>

#include <optional>

namespace mensurio {

// The Linux desktop: xdg-open for the shell, an InstanceLock for the single running copy,
// QMessageBox and QInputDialog for the dialogs.
class DesktopPlatform final : public Platform {
public:
    // The lock is taken at the first question, in lockFolder, or by default in the user's
    // runtime folder or its fallback.
    explicit DesktopPlatform(QString lockFolder = {});
    // With the lock the program took before the toolkit started.
    explicit DesktopPlatform(InstanceLock lock);
    ~DesktopPlatform() override;

    void shellExecute(QWidget* owner, const QString& verb, const QString& file,
                      const QString& parameters, const QString& folder, int show) override;
    std::optional<QString> loginName(int bufferSize) override;
    QString programFolder() override;
    QString notepadFolder() override;
    QString rootFolder() override;
    bool previousInstance() override;
    MessageAnswer messageBox(QWidget* parent, const QString& text, const QString& title,
                             MessageButtons buttons, MessageIcon icon) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void endProgram() override;

    // The desktop calculators tried, in order, for the calculator's program name.
    static QStringList calculatorCandidates();
    // Where notepads are made for a program in programFolder: there when the user may write
    // it, else in the user's data folder (a system-wide install), as Windows redirects a
    // program's writes to its own folder.
    static QString notepadFolderFor(const QString& programFolder);

private:
    QString lockFolder_;
    std::optional<InstanceLock> lock_;
};

} // namespace mensurio
