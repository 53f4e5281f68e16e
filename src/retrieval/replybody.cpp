#include "retrieval/replybody.h"

#include "retrieval/headerline.h"

namespace sokuri {

namespace {

constexpr qsizetype MaxHeadLineBytes = 8 * 1024;

} // namespace

ReplyBody::ReplyBody(Mode mode)
    : m_mode(mode)
{}

bool ReplyBody::fail(const QString& reason)
{
    if (m_reason.isEmpty())
        m_reason = reason;
    m_whole = QByteArray();
    return false;
}

bool ReplyBody::keep(QByteArrayView bytes)
{
    if (bytes.size() > MaxWholeBytes - m_whole.size())
        return fail(QStringLiteral("答えが %1 MiB を超えました").arg(MaxWholeBytes >> 20));
    m_whole.append(bytes);
    return true;
}

// One line of the head is complete in m_line (its line end dropped): the
// status line, a header line, or the empty line that ends the head. False
// when the answer cannot be read on.
bool ReplyBody::endOfHeadLine()
{
    QByteArrayView line = m_line;
    if (line.endsWith('\r'))
        line.chop(1);
    if (m_phase == StatusLine) {
        m_phase = line.startsWith("HTTP/") ? Head : Body;
    } else if (line.isEmpty()) {
        m_phase = Body;
        Inflater::Method method = Inflater::Gzip;
        bool unknown = false;
        if (InflaterMethodOf(m_contentEncoding, method, unknown))
            m_inflater.emplace(method);
        else if (unknown)
            return fail(QStringLiteral("この圧縮形式には対応していません: ") +
                        QString::fromLatin1(m_contentEncoding.left(40)));
    } else if (const auto encoding = HeaderValue(line, "content-encoding")) {
        m_contentEncoding = encoding->toByteArray();
    }
    m_line.resize(0);
    return true;
}

bool ReplyBody::take(QByteArrayView bytes, const Inflater::Sink& sink)
{
    if (!m_reason.isEmpty())
        return false;
    qsizetype i = 0;
    bool headEnded = false;
    while (m_phase != Body && i < bytes.size()) {
        const char c = bytes[i++];
        ++m_head;
        if (c == '\n') {
            const Phase before = m_phase;
            if (!endOfHeadLine())
                return false;
            headEnded = before == Head && m_phase == Body;
        } else if (m_line.size() < MaxHeadLineBytes) {
            m_line.append(c);
        }
        if (m_phase != Body && m_head > MaxHeadBytes) {
            // A head that never ends: it and what follows are the body.
            m_phase = Body;
            m_contentEncoding.clear();
        }
    }
    const QByteArrayView head = bytes.first(i);
    if (m_mode == Lines) {
        if (!head.isEmpty())
            sink(head);
    } else if (headEnded) {
        // The head was one: the whole body starts after it.
        m_whole.clear();
    } else if (!keep(head)) {
        return false;
    }
    return takeBody(bytes.sliced(i), sink);
}

bool ReplyBody::takeBody(QByteArrayView bytes, const Inflater::Sink& sink)
{
    if (bytes.isEmpty())
        return true;
    if (!m_inflater) {
        if (m_mode == Lines) {
            sink(bytes);
            return true;
        }
        return keep(bytes);
    }
    bool kept = true;
    const bool inflated = m_mode == Lines
                              ? m_inflater->take(bytes, sink)
                              : m_inflater->take(bytes, [this, &kept](QByteArrayView piece) {
                                    kept = kept && keep(piece);
                                });
    if (!inflated)
        return fail(m_inflater->reason());
    return kept;
}

} // namespace sokuri
