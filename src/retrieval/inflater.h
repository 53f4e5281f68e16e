#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

namespace sokuri {

// Decompresses an answer sent with "Content-Encoding: gzip" or "deflate"
// (zlib), piece by piece as it arrives, handing the decompressed bytes on in
// pieces of at most 64 KiB, so memory stays small whatever the answer holds.
// The decompressed answer may hold at most MaxInflatedBytes: one that grows
// beyond (a compression bomb) fails.
class Inflater
{
public:
    enum Method { Gzip, Deflate };

    // Far more than any engine's answer: 16 MiB.
    static constexpr qsizetype MaxInflatedBytes = qsizetype(16) << 20;

    using Sink = std::function<void(QByteArrayView)>;

    explicit Inflater(Method method);
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Takes the next compressed bytes; false once the stream fails (then
    // reason() says why and later bytes are ignored). Bytes after the end of
    // the compressed stream are ignored.
    bool take(QByteArrayView bytes, const Sink& sink);
    QString reason() const { return m_reason; }
    qsizetype inflatedBytes() const { return m_inflated; }

private:
    bool fail(const QString& reason);

    struct Stream;
    std::unique_ptr<Stream> m_stream;
    Method m_method;
    bool m_started = false;
    bool m_ended = false;
    qsizetype m_inflated = 0;
    QString m_reason;
};

// The decompressing method that a Content-Encoding value names ("gzip",
// "x-gzip", "deflate", letters in any case); false for "identity" or none.
// Any other value sets unknown.
bool InflaterMethodOf(QByteArrayView contentEncoding, Inflater::Method& method, bool& unknown);

} // namespace sokuri
