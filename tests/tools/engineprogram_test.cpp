#include "testengine/rootfiles.h"

#include "support/qtprinters.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using sokuri::test::readFile;
using sokuri::test::RootFilePath;
using sokuri::test::writeFile;

namespace {

constexpr int Patience = 30000;

// A served folder "root" with a sibling file outside it.
class ServedFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.filePath(u"root"_s);
        writeFile(root + u"/index.html"_s, "index");
        writeFile(root + u"/a/b.html"_s, "page b");
        writeFile(root + u"/日本/語.html"_s, "japanese name");
        writeFile(root + u"/empty/.keep"_s, "");
        writeFile(m_dir.filePath(u"secret.txt"_s), "secret");
        ASSERT_TRUE(QFile::link(m_dir.filePath(u"secret.txt"_s), root + u"/link.txt"_s));
    }

    QString served(const QString& relative) const
    {
        return QFileInfo(root + relative).canonicalFilePath();
    }

    QTemporaryDir m_dir;
    QString root;
};

QByteArray Ask(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    QByteArray received;
    QObject::connect(&socket, &QIODevice::readyRead, &socket,
                     [&] { received += socket.readAll(); });
    QSignalSpy connected(&socket, &QAbstractSocket::connected);
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!connected.wait(Patience))
        return "(no connection)";
    socket.write(request);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                         Patience))
        return "(no end)";
    return received;
}

QByteArray Body(const QByteArray& reply)
{
    const qsizetype end = reply.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray("(no header)") : reply.sliced(end + 4);
}

} // namespace

TEST_F(ServedFolder, PathsMapToFilesInsideTheRoot)
{
    EXPECT_EQ(RootFilePath(root, u"/a/b.html"_s), served(u"/a/b.html"_s));
    EXPECT_EQ(RootFilePath(root, u"/"_s), served(u"/index.html"_s));
    EXPECT_EQ(RootFilePath(root + u"/"_s, u"/a//b.html"_s), served(u"/a/b.html"_s));
    EXPECT_EQ(RootFilePath(root, u"/%E6%97%A5%E6%9C%AC/%E8%AA%9E.html"_s),
              served(u"/日本/語.html"_s));
}

TEST_F(ServedFolder, NothingOutsideTheRootIsServed)
{
    for (const QString& path :
         {u"/../secret.txt"_s, u"/a/../../secret.txt"_s, u"/%2e%2e/secret.txt"_s,
          u"/a/%2E%2E/%2E%2E/secret.txt"_s, u"/link.txt"_s, u"/..\\secret.txt"_s,
          u"../secret.txt"_s, u"a/b.html"_s, QString(), u"/a/b.html%00.txt"_s, u"/a"_s, u"/empty"_s,
          u"/missing.html"_s})
        EXPECT_TRUE(RootFilePath(root, path).isEmpty()) << path.toStdString();
    EXPECT_TRUE(RootFilePath(m_dir.filePath(u"none"_s), u"/index.html"_s).isEmpty());
}

TEST_F(ServedFolder, ProgramServesRootPagesAndRecordsRequests)
{
    writeFile(m_dir.filePath(u"fixed.html"_s), "fixed page");
    const QString record = m_dir.filePath(u"requests.log"_s);
    QProcess engine;
    engine.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-test-engine"),
                 {u"--port"_s, u"0"_s, u"--root"_s, root, u"--page"_s,
                  u"/fixed="_s + m_dir.filePath(u"fixed.html"_s), u"--record"_s, record});
    QByteArray output;
    QObject::connect(&engine, &QProcess::readyReadStandardOutput, &engine,
                     [&] { output += engine.readAllStandardOutput(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.contains('\n'); }, Patience))
        << engine.readAllStandardError().constData();
    const QRegularExpressionMatch listening =
        QRegularExpression(u"^listening on (\\d+)\n$"_s).match(QString::fromLatin1(output));
    ASSERT_TRUE(listening.hasMatch()) << output.constData();
    const quint16 port = listening.captured(1).toUShort();

    const QByteArray pageB = Ask(port, "GET /a/b.html?q=%82%A0 HTTP/1.0\r\nHost: h\r\n\r\n");
    EXPECT_TRUE(pageB.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_EQ(Body(pageB), "page b");
    EXPECT_EQ(Body(Ask(port, "GET /fixed HTTP/1.0\r\n\r\n")), "fixed page");
    EXPECT_EQ(Body(Ask(port, "GET / HTTP/1.0\r\n\r\n")), "index");
    EXPECT_TRUE(Ask(port, "GET /../secret.txt HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 404 "));
    EXPECT_EQ(readFile(record), "GET /a/b.html?q=%82%A0 HTTP/1.0\r\nHost: h\r\n\r\n"
                                "GET /fixed HTTP/1.0\r\n\r\n"
                                "GET / HTTP/1.0\r\n\r\n"
                                "GET /../secret.txt HTTP/1.0\r\n\r\n");

    QSignalSpy finished(&engine, &QProcess::finished);
    engine.terminate();
    EXPECT_TRUE(finished.wait(Patience));
}

TEST(EngineProgram, WrongUsageExitsWithTwo)
{
    for (const QStringList& arguments :
         {QStringList{u"--port"_s, u"http"_s}, QStringList{u"--tls"_s, u"cert.pem"_s},
          QStringList{u"--page"_s, u"/nofile"_s}, QStringList{u"--bogus"_s},
          QStringList{u"--status"_s, u"42"_s}, QStringList{u"--header"_s, u"no colon"_s}}) {
        QProcess engine;
        QSignalSpy finished(&engine, &QProcess::finished);
        engine.start(QStringLiteral(SOKURI_APP_DIR "/sokuri-test-engine"), arguments);
        ASSERT_TRUE(finished.wait(Patience)) << arguments.join(u' ').toStdString();
        EXPECT_EQ(engine.exitCode(), 2) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(engine.readAllStandardError().isEmpty());
        EXPECT_TRUE(engine.readAllStandardOutput().isEmpty());
    }
}
