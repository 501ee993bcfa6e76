#pragma once

#include "platform/desktopplatform.h"

#include <QDir>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace mensurio::test {

// Records every request the program makes of the outside world and answers from a
// script, so windows can be driven headless.
class FakePlatform final : public Platform {
public:
    // A file or address opened; the calculator is recorded as the target "calculator".
    struct Launch {
        QPointer<QWidget> owner;
        bool hadOwner = false;
        QString target, folder;
    };
    struct Message {
        QString text, title;
        MessageButtons buttons;
        MessageIcon icon;
    };
    struct Input {
        QString prompt, title, defaultText;
    };

    // Scripted answers.
    QString programFolderPath = QStringLiteral("/nonexistent/program");
    QString homeFolderPath = QStringLiteral("/nonexistent/home");
    std::optional<QString> notepadFolderPath; // the program folder when not set
    QString unusableFolderFrom; // what names the home and data folders in bytes that are no text
    std::optional<QString> sharedFolderPath; // <program>/../share/mensurio when not set
    std::optional<QString> login = QStringLiteral("ada"); // as the user database holds it
    QList<MessageAnswer> messageAnswers;                  // taken in order; Ok/No when empty
    QStringList inputAnswers;                             // taken in order; "" (Cancel) when empty

    // Recordings.
    QList<Launch> launches;
    QList<Message> messages;
    QList<Input> inputs;
    int loginQueries = 0;
    int endRequests = 0;

    void open(QWidget* owner, const QString& target, const QString& folder) override
    {
        launches.append({owner, owner != nullptr, target, folder});
    }
    void startCalculator(QWidget* owner) override
    {
        launches.append({owner, owner != nullptr, QStringLiteral("calculator"), QString()});
    }
    std::optional<QString> loginName() override
    {
        ++loginQueries;
        // The desktop's own rule for what name is shown.
        return login ? DesktopPlatform::fittingLoginName(login->toLocal8Bit()) : std::nullopt;
    }
    QString programFolder() override { return programFolderPath; }
    QString sharedFolder() override
    {
        if (programFolderPath.isEmpty())
            return sharedFolderPath.value_or(QString());
        return sharedFolderPath.value_or(
            QDir::cleanPath(programFolderPath + QStringLiteral("/../share/mensurio")));
    }
    QString notepadFolder() override { return notepadFolderPath.value_or(programFolderPath); }
    QString homeFolder() override { return homeFolderPath; }
    QString unusableFolderName(UserFolder) override { return unusableFolderFrom; }
    MessageAnswer messageBox(QWidget*, const QString& text, const QString& title,
                             MessageButtons buttons, MessageIcon icon) override
    {
        messages.append({text, title, buttons, icon});
        if (!messageAnswers.isEmpty())
            return messageAnswers.takeFirst();
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }
    QString inputBox(QWidget*, const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        inputs.append({prompt, title, defaultText});
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    void endProgram() override { ++endRequests; }
};

} // namespace mensurio::test
