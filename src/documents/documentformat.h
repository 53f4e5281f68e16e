#pragma once

#include "retrieval/resultrow.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The document file (.skr): one search kept on disk. A flat little-endian
// file with no magic number:
//
//   u32 v, v bytes of the version text ("0.9.3"),
//   text input, i16 mode,
//   u32 p, p times (text name, i16 flag: -1 checked, 0 not),
//   u32 r, r times (text title, plugin, relevance, site, html),
//
// where a text is a u16 byte count followed by that many Shift_JIS bytes.
// Readers take the low two bytes of each u32 count as a signed 16-bit number
// and skip the other two.
namespace sokuri {

// One catalogue entry's check mark as a document keeps it.
struct PluginMark
{
    QString name;
    bool checked = false;

    friend bool operator==(const PluginMark&, const PluginMark&) = default;
};

// A document's content, field for field.
struct Document
{
    QString version = QStringLiteral(SOKURI_VERSION_TEXT); // the writing program's version
    QString text;                                          // the input text
    qint16 mode = 0;           // 1 sentence, 2 keywords, 0 neither; other values are kept as read
    QList<PluginMark> plugins; // every catalogue entry, in list order
    QList<ResultRow> rows;     // the results list, in display order

    friend bool operator==(const Document&, const Document&) = default;
};

// The most bytes a text holds in its Shift_JIS form; longer texts are cut at a
// character boundary when they are written.
inline constexpr qsizetype MaxDocumentTextBytes = 65535;
// The most plugin marks and the most rows a document holds: readers take the
// counts as signed 16-bit numbers.
inline constexpr int MaxDocumentRecords = 32767;
// Larger files are not read: no document of the program comes near this.
inline constexpr qint64 MaxDocumentFileBytes = 256 * 1024 * 1024;

// The bytes of a document. The entry HTML keeps characters that Shift_JIS
// cannot hold as numeric character references ("&#x20BB7;"); in the other
// texts they become "?". Fails, with the reason in errorText, when the
// document has more plugin marks or rows than a reader accepts.
bool EncodeDocument(const Document& document, QByteArray& bytes, QString* errorText = nullptr);

// Reads a document from bytes. Everything is checked before anything is
// given back: the version must be printable ASCII, every count must be 0 or
// more and every text must lie within the bytes. Bytes after the last row are
// ignored (earlier programs wrote documents over longer files without
// cutting them). On failure document is left as it was and errorText says
// why.
bool DecodeDocument(QByteArrayView bytes, Document& document, QString* errorText = nullptr);

// Reads the document file at path. On failure document is left as it was
// and errorText holds a message naming the file.
bool ReadDocumentFile(const QString& path, Document& document, QString* errorText = nullptr);

// Writes the document file at path, whole or not at all: a failure leaves an
// earlier file as it was. On failure errorText holds a message naming the
// file.
bool WriteDocumentFile(const QString& path, const Document& document, QString* errorText = nullptr);

} // namespace sokuri
