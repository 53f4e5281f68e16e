#pragma once

#include "platform/externalbrowser.h"
#include "platform/filedialogs.h"
#include "platform/messagesink.h"

#include <QList>
#include <QStringList>

namespace sokuri::test {

// Stands in for the desktop's browser: records what it was asked to open and
// fails when told to.
class FakeBrowser : public ExternalBrowser
{
public:
    bool open(const QString& url, const QString& target, Failure& failure) override
    {
        opened.append(url + u' ' + target);
        if (fail)
            failure = {429, QStringLiteral("browser"), QStringLiteral("not running")};
        return !fail;
    }

    QStringList opened;
    bool fail = false;
};

// Stands in for message boxes: keeps every message shown and answers each
// question with the next of answers (none left: No).
class RecordingMessages : public MessageSink
{
public:
    void critical(const UserMessage& message) override { criticals.append(message); }
    void information(const UserMessage& message) override { informations.append(message); }
    bool question(const UserMessage& message) override
    {
        questions.append(message);
        return !answers.isEmpty() && answers.takeFirst();
    }

    QList<UserMessage> criticals;
    QList<UserMessage> informations;
    QList<UserMessage> questions;
    QList<bool> answers;
};

// Stands in for the open and save dialogs: answers each dialog with the next
// of answers (an empty text, or no answer left, is a cancelled dialog) and
// records what every dialog was shown with.
class FakeFileDialogs : public FileDialogs
{
public:
    QString openFileName(const FileDialogRequest& request) override
    {
        return answer(QStringLiteral("open"), request);
    }
    QString saveFileName(const FileDialogRequest& request) override
    {
        return answer(QStringLiteral("save"), request);
    }

    QStringList answers;
    QStringList shown; // "open" or "save", one per dialog
    QList<FileDialogRequest> requests;

private:
    QString answer(const QString& kind, const FileDialogRequest& request)
    {
        shown.append(kind);
        requests.append(request);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

} // namespace sokuri::test
