#pragma once

#include "platform/platform.h"

#include <QLockFile>
#include <QStringList>

#include <memory>

namespace mensurio {

// The Linux desktop: xdg-open for the shell, a QLockFile for the single running copy,
// QMessageBox and QInputDialog for the dialogs.
class DesktopPlatform final : public Platform {
public:
    // The lock lives in lockFolder, or by default in the user's runtime folder.
    explicit DesktopPlatform(QString lockFolder = {});
    ~DesktopPlatform() override;

    void shellExecute(QWidget* owner, const QString& verb, const QString& file,
                      const QString& parameters, const QString& folder, int show) override;
    std::optional<QString> loginName(int bufferSize) override;
    QString programFolder() override;
    QString rootFolder() override;
    bool previousInstance() override;
    MessageAnswer messageBox(QWidget* parent, const QString& text, const QString& title,
                             MessageButtons buttons, MessageIcon icon) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void endProgram() override;

    // The desktop calculators tried, in order, for the calculator's program name.
    static QStringList calculatorCandidates();

private:
    QString lockFolder_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace mensurio
