#pragma once

#include "platform/externalbrowser.h"
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

// Stands in for message boxes: keeps every message shown.
class RecordingMessages : public MessageSink
{
public:
    void critical(const UserMessage& message) override { criticals.append(message); }
    void information(const UserMessage& message) override { informations.append(message); }

    QList<UserMessage> criticals;
    QList<UserMessage> informations;
};

} // namespace sokuri::test
