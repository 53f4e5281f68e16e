#pragma once

#include "demoengine/demosearch.h"
#include "demoengine/pagecharset.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTcpSocket;

namespace sokuri::demo {

class NounAnalyser;

// One HTTP/1.0 connection: reads one request (at most MaxRequestBytes up to
// the empty line), answers it and closes. GET only; the paths are "/", the
// documents "/doc/N" and the four search paths. Once the reply is written the
// sending side is shut and whatever the client still sends is read and
// dropped until it closes, so a client whose request was refused unread still
// receives the whole reply (closing with unread input would reset the
// connection). A connection that has not ended after TimeoutMs is dropped.
// The object deletes itself when the connection is over.
class DemoConnection : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype MaxRequestBytes = 8192;
    static constexpr int TimeoutMs = 30000;

    // siteBase is the address the result links point at
    // ("http://127.0.0.1:31080"); chasenProgram analyses the queries when the
    // index holds nouns.
    DemoConnection(QTcpSocket* socket, const DemoSearch& search, QString siteBase,
                   QString chasenProgram, QObject* parent = nullptr);

private:
    void readRequest();
    void handle(const QByteArray& requestLine);
    void search(const QByteArray& query, PageCharset charset);
    void sendResults(const QString& query, const QStringList& terms, PageCharset charset);
    void send(int status, const QByteArray& body, const QString& charset,
              const QByteArray& extraHeaders = {});
    void sendError(int status, const QString& reason, const QByteArray& extraHeaders = {});
    void closeWhenWritten();

    QTcpSocket* m_socket;
    const DemoSearch& m_search;
    QString m_siteBase;
    QString m_chasenProgram;
    QByteArray m_request;
    QTimer m_timeout;
    QPointer<NounAnalyser> m_analyser;
    bool m_answered = false;
    bool m_replied = false;
    bool m_writeClosed = false;
};

} // namespace sokuri::demo
