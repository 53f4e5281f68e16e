#include "searchplugins/plugindownload.h"

#include "searchplugins/downloaderror.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <utility>

using namespace Qt::StringLiterals;

namespace sokuri {

PluginDownload::PluginDownload(QObject* parent)
    : QObject(parent)
{}

PluginDownload::~PluginDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void PluginDownload::setSslConfiguration(const QSslConfiguration& configuration)
{
    m_ssl = configuration;
    m_hasSsl = true;
}

QString PluginDownload::TooLargeText()
{
    return u"1 MiB を超えています"_s;
}

bool PluginDownload::IsWebAddress(const QString& address)
{
    // Only web addresses: a file from the net must not make the program copy
    // local files around.
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https");
}

bool PluginDownload::start(const QString& address)
{
    if (m_reply || !IsWebAddress(address))
        return false;
    QNetworkRequest request{QUrl(address)};
    request.setTransferTimeout(m_transferTimeoutMs);
    if (m_hasSsl)
        request.setSslConfiguration(m_ssl);
    m_body.clear();
    m_error.clear();
    m_tooLarge = false;
    m_aborted = false;
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &PluginDownload::checkAnnouncedSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &PluginDownload::readArrived);
    connect(m_reply, &QNetworkReply::finished, this, &PluginDownload::replyFinished);
    return true;
}

void PluginDownload::abort()
{
    if (m_reply) {
        m_aborted = true;
        m_reply->abort(); // finished arrives from inside abort()
    }
}

void PluginDownload::checkAnnouncedSize()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > MaxBytes) {
        m_tooLarge = true;
        m_reply->abort();
    }
}

void PluginDownload::readArrived()
{
    m_body += m_reply->readAll();
    if (m_body.size() > MaxBytes) {
        m_tooLarge = true;
        m_body.clear();
        m_reply->abort();
    }
}

void PluginDownload::replyFinished()
{
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->deleteLater();

    if (m_tooLarge) {
        m_error = TooLargeText();
    } else if (reply->error() != QNetworkReply::NoError) {
        m_error = DownloadErrorText(*reply, m_aborted);
    } else {
        m_body += reply->readAll();
        if (m_body.size() > MaxBytes)
            m_error = TooLargeText();
    }
    if (!m_error.isEmpty())
        m_body.clear();
    // Listeners run from the event loop, not from inside the reply's signal
    // (abort() may have emitted it).
    QMetaObject::invokeMethod(this, &PluginDownload::finished, Qt::QueuedConnection);
}

void PluginDownload::setProxySettings(const ProxySettings& settings)
{
    m_network.setProxyFactory(new SettingsProxyFactory(settings));
}

} // namespace sokuri
