#include "retrieval/inflater.h"

#include <QByteArray>

#include <zlib.h>

#include <array>

namespace sokuri {

struct Inflater::Stream
{
    z_stream z{};
    bool open = false;
    ~Stream()
    {
        if (open)
            inflateEnd(&z);
    }
};

Inflater::Inflater(Method method)
    : m_stream(std::make_unique<Stream>())
    , m_method(method)
{}

Inflater::~Inflater() = default;

bool Inflater::fail(const QString& reason)
{
    m_reason = reason;
    m_ended = true;
    return false;
}

bool Inflater::take(QByteArrayView bytes, const Sink& sink)
{
    if (!m_reason.isEmpty())
        return false;
    if (m_ended || bytes.isEmpty())
        return true;
    z_stream& z = m_stream->z;
    if (!m_started) {
        m_started = true;
        // gzip: its header is checked (32: gzip or zlib alike). deflate: the
        // zlib format the name stands for, or, as some servers send it,
        // bare deflate data without the zlib header.
        int windowBits = m_method == Gzip ? 15 + 32 : 15;
        if (m_method == Deflate) {
            const auto b0 = uchar(bytes[0]);
            const bool zlibHeader =
                bytes.size() < 2 ? (b0 & 0x0f) == 8
                                 : (b0 & 0x0f) == 8 && ((b0 << 8) | uchar(bytes[1])) % 31 == 0;
            if (!zlibHeader)
                windowBits = -15;
        }
        if (inflateInit2(&z, windowBits) != Z_OK)
            return fail(QStringLiteral("圧縮を解けません (zlib を初期化できません)"));
        m_stream->open = true;
    }
    std::array<Bytef, 64 * 1024> out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    // Until the input is used up and the last round left room in the output
    // (a full output may hold back more).
    for (bool full = true; z.avail_in > 0 || full;) {
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        const int result = inflate(&z, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(out.size() - z.avail_out);
        // Z_BUF_ERROR only says that no progress was possible this round.
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            return fail(QStringLiteral("圧縮された答えが壊れています (") +
                        QString::fromLatin1(z.msg ? z.msg : "zlib") + u')');
        if (produced > MaxInflatedBytes - m_inflated)
            return fail(QStringLiteral("圧縮を解いた答えが %1 MiB を超えました")
                            .arg(MaxInflatedBytes >> 20));
        m_inflated += produced;
        if (produced > 0)
            sink(QByteArrayView(reinterpret_cast<const char*>(out.data()), produced));
        full = z.avail_out == 0;
        if (result == Z_STREAM_END) {
            m_ended = true;
            break;
        }
        if (produced == 0 && result == Z_BUF_ERROR)
            break;
    }
    return true;
}

bool InflaterMethodOf(QByteArrayView contentEncoding, Inflater::Method& method, bool& unknown)
{
    const QByteArray value = contentEncoding.trimmed().toByteArray().toLower();
    unknown = false;
    if (value == "gzip" || value == "x-gzip") {
        method = Inflater::Gzip;
        return true;
    }
    if (value == "deflate") {
        method = Inflater::Deflate;
        return true;
    }
    unknown = !value.isEmpty() && value != "identity";
    return false;
}

} // namespace sokuri
