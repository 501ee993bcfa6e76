#pragma once

#include "platform/platform.h"

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
    struct ShellCall {
        QPointer<QWidget> owner;
        bool hadOwner = false;
        QString verb, file, parameters, folder;
        int show = 0;
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
    QString rootFolderPath = QStringLiteral("/nonexistent/root");
    std::optional<QString> notepadFolderPath; // the program folder when not set
    std::optional<QString> login = QStringLiteral("ada");
    bool anotherCopyRuns = false;
    QList<MessageAnswer> messageAnswers; // taken in order; Ok/No when empty
    QStringList inputAnswers;            // taken in order; "" (Cancel) when empty

    // Recordings.
    QList<ShellCall> shellCalls;
    QList<Message> messages;
    QList<Input> inputs;
    QList<int> loginBufferSizes;
    int endRequests = 0;
    int previousInstanceQueries = 0;

    void shellExecute(QWidget* owner, const QString& verb, const QString& file,
                      const QString& parameters, const QString& folder, int show) override
    {
        shellCalls.append({owner, owner != nullptr, verb, file, parameters, folder, show});
    }
    std::optional<QString> loginName(int bufferSize) override
    {
        loginBufferSizes.append(bufferSize);
        if (!login || login->toLocal8Bit().size() + 1 > bufferSize)
            return std::nullopt;
        return login;
    }
    QString programFolder() override { return programFolderPath; }
    QString notepadFolder() override { return notepadFolderPath.value_or(programFolderPath); }
    QString rootFolder() override { return rootFolderPath; }
    bool previousInstance() override
    {
        ++previousInstanceQueries;
        return anotherCopyRuns;
    }
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
