#pragma once

#include "common/proxysettings.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSslConfiguration>
#include <QString>

class QNetworkReply;

namespace sokuri {

// One download of a plugin file or a search description from an http: or
// https: address, with the limits every plugin download has: redirects are
// followed, a transfer that brings no data for the time-out fails, and a body
// that grows (or is announced) beyond MaxBytes is dropped. The body is kept in
// memory; nothing is written here.
class PluginDownload : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxBytes = 1024 * 1024;
    static constexpr int DefaultTransferTimeoutMs = 30000;

    explicit PluginDownload(QObject* parent = nullptr);
    ~PluginDownload() override;

    // Milliseconds without data after which a download counts as failed.
    void setTransferTimeout(int milliseconds) { m_transferTimeoutMs = milliseconds; }
    // The TLS settings of https: downloads (the system's by default).
    void setSslConfiguration(const QSslConfiguration& configuration);
    // The proxy of later downloads, chosen for each address by the settings.
    void setProxySettings(const ProxySettings& settings);

    // True when address is an http: or https: address with a host.
    static bool IsWebAddress(const QString& address);

    // Starts the download; false, with nothing started, when address is not
    // a web address. finished() follows from the event loop.
    bool start(const QString& address);
    // Drops a download under way; finished() arrives with a failure.
    void abort();
    bool isRunning() const { return m_reply != nullptr; }

    // After finished(): the body, or the reason why there is none.
    bool succeeded() const { return m_error.isEmpty(); }
    const QByteArray& body() const { return m_body; }
    const QString& errorText() const { return m_error; }

    static QString TooLargeText();

signals:
    void finished();

private:
    void readArrived();
    void checkAnnouncedSize();
    void replyFinished();

    QNetworkAccessManager m_network;
    int m_transferTimeoutMs = DefaultTransferTimeoutMs;
    QSslConfiguration m_ssl;
    bool m_hasSsl = false;
    QNetworkReply* m_reply = nullptr;
    QByteArray m_body;
    QString m_error;
    bool m_tooLarge = false;
    bool m_aborted = false;
};

} // namespace sokuri
