#include "documents/documentformat.h"

#include "common/wholefile.h"
#include "encoding/codepage932.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

using Encoder = QByteArray (*)(QStringView);

// The Shift_JIS form of text, cut at a character boundary so that it fits a
// text field. Every character takes at least one byte, so the walk over a
// text too long to fit ends within MaxDocumentTextBytes characters.
QByteArray fittedText(QStringView text, Encoder encode)
{
    QByteArray bytes = encode(text);
    if (bytes.size() <= MaxDocumentTextBytes)
        return bytes;
    qsizetype fitting = 0; // UTF-16 units of the longest prefix that fits
    qsizetype used = 0;
    while (fitting < text.size()) {
        const qsizetype width =
            text[fitting].isHighSurrogate() && fitting + 1 < text.size() ? 2 : 1;
        const qsizetype bytesOfCharacter = encode(text.sliced(fitting, width)).size();
        if (used + bytesOfCharacter > MaxDocumentTextBytes)
            break;
        used += bytesOfCharacter;
        fitting += width;
    }
    return encode(text.first(fitting));
}

class Writer
{
public:
    void count(quint32 value)
    {
        char le[4];
        qToLittleEndian(value, le);
        m_bytes.append(le, 4);
    }
    void number(qint16 value)
    {
        char le[2];
        qToLittleEndian(value, le);
        m_bytes.append(le, 2);
    }
    void text(QStringView text, Encoder encode = cp932::encode)
    {
        const QByteArray bytes = fittedText(text, encode);
        char le[2];
        qToLittleEndian(quint16(bytes.size()), le);
        m_bytes.append(le, 2);
        m_bytes.append(bytes);
    }
    void raw(const QByteArray& bytes) { m_bytes.append(bytes); }

    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

// Reads fields in order; the first field that the bytes cannot satisfy stops
// every later read and leaves the reason.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes)
        : m_bytes(bytes)
    {}

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }

    QByteArrayView take(qint64 n)
    {
        if (failed())
            return {};
        if (n > m_bytes.size() - m_pos) {
            m_error = u"ファイルが途中で終わっています"_s;
            return {};
        }
        const QByteArrayView part = m_bytes.sliced(m_pos, qsizetype(n));
        m_pos += qsizetype(n);
        return part;
    }

    quint32 count32()
    {
        const QByteArrayView le = take(4);
        return failed() ? 0 : qFromLittleEndian<quint32>(le.data());
    }

    qint16 number()
    {
        const QByteArrayView le = take(2);
        return failed() ? 0 : qFromLittleEndian<qint16>(le.data());
    }

    // A count field as readers take it: the first two bytes as a signed
    // 16-bit number, the other two skipped. A negative count, or one that
    // the rest of the file cannot hold at minRecordBytes a record, is no
    // count of a document.
    int recordCount(qsizetype minRecordBytes)
    {
        const qint16 n = number();
        take(2);
        if (failed())
            return 0;
        if (n < 0) {
            m_error = u"件数が負の値です"_s;
            return 0;
        }
        if (qint64(n) * minRecordBytes > m_bytes.size() - m_pos) {
            m_error = u"ファイルが途中で終わっています"_s;
            return 0;
        }
        return n;
    }

    QString text()
    {
        const QByteArrayView le = take(2);
        if (failed())
            return {};
        return cp932::decode(take(qFromLittleEndian<quint16>(le.data())));
    }

    void fail(const QString& reason)
    {
        if (!failed())
            m_error = reason;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    QString m_error;
};

bool isPrintableAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

void setError(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
}

} // namespace

bool EncodeDocument(const Document& document, QByteArray& bytes, QString* errorText)
{
    if (document.plugins.size() > MaxDocumentRecords) {
        setError(errorText, u"プラグインが %1 件を超えています"_s.arg(MaxDocumentRecords));
        return false;
    }
    if (document.rows.size() > MaxDocumentRecords) {
        setError(errorText, u"結果が %1 件を超えています"_s.arg(MaxDocumentRecords));
        return false;
    }
    Writer out;
    const QByteArray version = document.version.toLatin1();
    out.count(quint32(version.size()));
    out.raw(version);
    out.text(document.text);
    out.number(document.mode);
    out.count(quint32(document.plugins.size()));
    for (const PluginMark& mark : document.plugins) {
        out.text(mark.name);
        out.number(mark.checked ? -1 : 0);
    }
    out.count(quint32(document.rows.size()));
    for (const ResultRow& row : document.rows) {
        out.text(row.title);
        out.text(row.plugin);
        out.text(row.relevance);
        out.text(row.site);
        out.text(row.html, cp932::encodeWithReferences);
    }
    bytes = out.take();
    return true;
}

bool DecodeDocument(QByteArrayView bytes, Document& document, QString* errorText)
{
    // The smallest records: a plugin mark with an empty name, a row of five
    // empty texts.
    constexpr qsizetype MinMarkBytes = 2 + 2;
    constexpr qsizetype MinRowBytes = 5 * 2;

    Reader in(bytes);
    Document read;
    const quint32 versionBytes = in.count32();
    const QByteArrayView version = in.take(versionBytes);
    if (!in.failed() && !isPrintableAscii(version))
        in.fail(u"版の文字列が正しくありません"_s);
    read.version = QString::fromLatin1(version);
    read.text = in.text();
    read.mode = in.number();

    const int marks = in.recordCount(MinMarkBytes);
    for (int i = 0; i < marks && !in.failed(); ++i) {
        PluginMark mark;
        mark.name = in.text();
        mark.checked = in.number() != 0;
        read.plugins.append(mark);
    }

    const int rows = in.recordCount(MinRowBytes);
    for (int i = 0; i < rows && !in.failed(); ++i) {
        ResultRow row;
        row.title = in.text();
        row.plugin = in.text();
        row.relevance = in.text();
        row.site = in.text();
        row.html = in.text();
        read.rows.append(row);
    }

    if (in.failed()) {
        setError(errorText, in.error());
        return false;
    }
    document = std::move(read);
    return true;
}

bool ReadDocumentFile(const QString& path, Document& document, QString* errorText)
{
    // Only regular files: a device or a pipe could block or never end.
    QFile file(path);
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        setError(errorText, path + u" を開けません。(通常のファイルではありません)");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setError(errorText, path + u" を開けません。(" + file.errorString() + u")");
        return false;
    }
    // One byte more than the limit tells a file that is too large, whatever
    // size the file system reports.
    const QByteArray bytes = file.read(MaxDocumentFileBytes + 1);
    QString reason;
    if (file.error() != QFileDevice::NoError)
        reason = file.errorString();
    else if (bytes.size() > MaxDocumentFileBytes)
        reason = u"ファイルが大きすぎます"_s;
    else if (DecodeDocument(bytes, document, &reason))
        return true;
    setError(errorText, path + u" は Sokuri の文書として読めません。(" + reason + u")");
    return false;
}

bool WriteDocumentFile(const QString& path, const Document& document, QString* errorText)
{
    QByteArray bytes;
    QString reason;
    if (!EncodeDocument(document, bytes, &reason)) {
        setError(errorText, path + u" に書き込めません。(" + reason + u")");
        return false;
    }
    return WriteWholeFile(path, bytes, errorText);
}

} // namespace sokuri
