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
    QString notepadFolder() override;
    QString homeFolder() override;
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
    // Where notepads are made for a program in programFolder: there when the user may write
    // it, else in the user's data folder (a system-wide install), as Windows redirects a
    // program's writes to its own folder.
    static QString notepadFolderFor(const QString& programFolder);
};

} // namespace mensurio
