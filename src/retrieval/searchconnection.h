#pragma once

#include "common/proxysettings.h"
#include "common/socketcontrol.h"
#include "retrieval/enginestatus.h"
#include "retrieval/replybody.h"
#include "retrieval/replyhead.h"
#include "retrieval/resultrow.h"
#include "retrieval/slotstate.h"
#include "searchplugins/pluginslot.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

#include <optional>

class QSslSocket;

namespace sokuri {

struct AnswerCause;

// One connection slot: asks one search engine over its own socket. On
// connect it sends the request, it cuts the answer into lines, decodes them
// and hands them to the result extraction, and it reports the rows it finds.
//
// state() follows the socket control the search run watches: 0 closed, 9 an
// error (kept until close() is called again), anything else busy.
class SearchConnection : public QObject
{
    Q_OBJECT

public:
    enum State : int {
        Closed = socketcontrol::Closed,
        Resolving = socketcontrol::Resolving,
        Connecting = socketcontrol::Connecting,
        Connected = socketcontrol::Connected,
        Closing = socketcontrol::Closing,
        Error = socketcontrol::Error,
    };

    explicit SearchConnection(QObject* parent = nullptr);
    ~SearchConnection() override;

    int state() const;
    const PluginSlot& slot() const { return m_slot; }
    const EngineStatus& status() const { return m_status; }

    // The most redirects followed for one request.
    static constexpr int MaxRedirects = 5;

    // Connects to the slot's host and port (TLS for an "https" slot) and sends
    // its request once the connection is up. An answer that redirects (301,
    // 302, 303, 307 or 308 with a Location) is followed with a GET of the new
    // address on this connection, up to MaxRedirects times; the slot's base
    // address follows the address that answers.
    void connectTo(const PluginSlot& slot);
    // Closes the socket and clears the receive and extraction state; an entry
    // still open is dropped.
    void close();

    // The TLS settings of later connections (tests trust their own
    // certificate authority here).
    void setSslConfiguration(const QSslConfiguration& configuration);
    // Seconds an engine has for its answer when its plugin names none; 0: no
    // limit. An answer still open then is closed, its complete rows kept,
    // and the engine counted as failed.
    void setDefaultTimeout(int seconds) { m_defaultTimeout = seconds; }
    // The proxy settings of later connections: an http engine is asked
    // through an HTTP proxy with the absolute form of its address, an https
    // engine through the proxy's CONNECT. A proxy that cannot be reached or
    // refuses fails the engine with a status naming the proxy.
    void setProxySettings(const ProxySettings& settings) { m_proxySettings = settings; }

signals:
    void rowsFound(const QList<ResultRow>& rows);
    void stateChanged(int state);
    void statusChanged(const EngineStatus& status);

private:
    void openSocket();
    void sendRequest();
    void takeReplyBytes(QByteArrayView bytes, QList<ResultRow>& rows);
    void reportRows(const QList<ResultRow>& rows);
    void followRedirect(const QString& location);
    void fail(const QString& reason, const QString& hint = {});
    void flushHead();
    bool finishReply();
    void readReply();
    void serverClosed();
    void socketFailed();
    void timedOut();
    void noteCause(const AnswerCause& cause);
    void setStatus(EngineStatus::Kind kind, const QString& reason = {}, const QString& hint = {});
    void releaseSocket();
    void detachSocket();

    PluginSlot m_slot;
    SlotState m_state;
    EngineStatus m_status;
    QSslSocket* m_socket = nullptr;
    QSslConfiguration m_sslConfiguration;
    bool m_hasSslConfiguration = false;
    QTimer m_timeout;
    int m_defaultTimeout = 0;
    ProxySettings m_proxySettings;
    QNetworkProxy m_proxy = QNetworkProxy::NoProxy; // the proxy of this socket
    bool m_toProxy = false;                         // the socket itself is connected to the proxy
    bool m_sawList = false;                         // the answer has shown its result list
    QByteArray m_answerStart;        // the answer's first bytes while it gave no rows
    int m_position = 0;              // entries of the engine so far
    std::optional<ReplyHead> m_head; // the answer's head while it may redirect
    std::optional<ReplyBody> m_body; // the answer behind its head, decompressed
    int m_redirects = 0;             // redirects followed for this request
    bool m_error = false;
    int m_lastReportedState = Closed;
};

// The request bytes of a slot: the request line ("GET " + path + "?" + query +
// " HTTP/1.0"; "POST " + path + " HTTP/1.0"; empty for any other method), a
// Host line, the User-Agent line and the plugin's own header lines, for POST
// the form headers, the empty line, and for POST the
// query as the body.
QByteArray BuildRequestBytes(const PluginSlot& slot);

} // namespace sokuri
