#pragma once

#include "analysis/chasendialogue.h"
#include "common/socketcontrol.h"
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;

namespace sokuri {

class KeywordList;

// The dialogue with a ChaSen server over one TCP connection (the socket
// sckChasen): the server's bytes go through a ChasenDialogue, whose answers
// are sent back; the server's close after "QUIT" ends the analysis.
//
// state() follows the socket control the search run watches: 0 closed, 9 an
// error (kept until close() or the next start()), anything else busy.
class ChasenClient : public QObject
{
    Q_OBJECT

public:
    enum State : int {
        Closed = socketcontrol::Closed,
        Pausing = 1, // the second between closing and connecting
        Resolving = socketcontrol::Resolving,
        Connecting = socketcontrol::Connecting,
        Connected = socketcontrol::Connected,
        Closing = socketcontrol::Closing,
        Error = socketcontrol::Error,
    };

    // The longest reply line kept; the rest of a longer line is dropped.
    static constexpr int MaxLineBytes = ChasenDialogue::MaxLineBytes;
    // How much of what the client sends may wait unread by the server
    // (beyond one request of a longer text): a server that keeps asking for
    // the text without reading it is an error, not a growing buffer.
    static constexpr qint64 MaxUnsentBytes = 4 * 1024 * 1024;

    explicit ChasenClient(QObject* parent = nullptr);
    ~ChasenClient() override;

    // Closes any earlier conversation, then, one second later, connects to
    // host and port and holds the dialogue for text; analysis lines go to
    // keywords, which must outlive the conversation. A port that is no decimal
    // number from 1 to 65535 gives the error state at once.
    void start(const QString& text, const QString& host, const QString& port,
               KeywordList& keywords);
    // Closes the socket; the state is 0 afterwards (sckChasen_Close).
    void close();

    int state() const;

    // The port number of a "port" setting: blanks around it are allowed;
    // 0 when it is no decimal number from 1 to 65535.
    static quint16 ParsePort(const QString& port);

signals:
    // The state has changed; emitted from socket and timer events only, so
    // the changes made by start() and close() themselves are not signalled.
    void stateChanged(int state);

private:
    void connectToServer();
    void sckChasen_DataArrival();
    void sckChasen_Close();
    void socketFailed();
    void send(const QByteArray& bytes);
    void releaseSocket();
    void fail();
    void reportState();

    QTcpSocket* m_socket = nullptr;
    QTimer m_pause;
    ChasenDialogue m_dialogue;
    QString m_host;
    quint16 m_port = 0;
    bool m_error = false;
    int m_lastReportedState = Closed;
};

} // namespace sokuri
