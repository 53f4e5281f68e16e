#pragma once

#include "testengine/testengine.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace sokuri::test {

// Where a request ends in the bytes received so far.
struct RequestEnd
{
    enum Kind { Incomplete, Complete, BadLength, TooLarge } kind = Incomplete;
    qint64 length = 0; // of the whole request, body included, when Complete
};

// Looks for the first empty line (after CR LF or LF) and a Content-Length
// body behind it. scanFrom is where an earlier call on a shorter prefix of
// the same bytes stopped looking (the header end cannot lie before it); it is
// updated so that bytes trickling in are not scanned again and again.
RequestEnd FindRequestEnd(const QByteArray& bytes, qint64& scanFrom);

// One connection of the engine: it collects one request, hands it to the
// engine, then delivers the engine's page as the page says: delay, pieces,
// trickle, reset, endless stream, or keeping the connection open. It owns
// its socket and reports finished() once the socket is gone.
class EngineConnection : public QObject
{
    Q_OBJECT

public:
    EngineConnection(QTcpSocket* socket, QObject* parent);
    ~EngineConnection() override;

    void reply(const EnginePage& page);
    // Drops the connection at once and reports nothing more.
    void shutDown();

signals:
    void requestComplete(const QByteArray& raw);
    // The first bytes of the reply have been handed to the socket.
    void replyStarted();
    void finished();

private:
    void readRequest();
    void startReply();
    void writeNext();
    void written();
    void finishReply();
    void resetConnection();
    void socketGone();
    qint64 pendingBytes() const;
    QByteArray replyBytes(qint64 from, qint64 count) const;

    QTcpSocket* m_socket;
    QByteArray m_buffer;
    qint64 m_scanFrom = 0;
    bool m_requestDone = false;

    EnginePage m_page;
    QTimer m_timer;
    qint64 m_replyLength = 0; // bytes of the reply stream to send
    qint64 m_sent = 0;        // bytes of it handed to the socket
    qsizetype m_pieceIndex = 0;
    bool m_replying = false;
    bool m_finishing = false;
    bool m_gone = false;
};

} // namespace sokuri::test
