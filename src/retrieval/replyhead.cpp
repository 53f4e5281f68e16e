#include "retrieval/replyhead.h"

#include "retrieval/headerline.h"

#include <algorithm>

namespace sokuri {

namespace {

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

ReplyHead::Verdict ReplyHead::take(QByteArrayView bytes)
{
    if (m_verdict != Undecided)
        return m_verdict;
    m_held.append(bytes);
    return decide();
}

ReplyHead::Verdict ReplyHead::finish()
{
    if (m_verdict == Undecided)
        m_verdict = Lines;
    return m_verdict;
}

ReplyHead::Verdict ReplyHead::decide()
{
    static constexpr QByteArrayView prefix = "HTTP/";
    const QByteArrayView held = m_held;
    if (!m_statusRead) {
        const qsizetype compared = std::min(held.size(), prefix.size());
        if (held.first(compared) != prefix.first(compared))
            return m_verdict = Lines;
    }
    // Every complete line not read yet, within the first MaxHeadBytes: the
    // status line, then header lines up to the empty line that ends them.
    // The search for a line end goes on where the last one stopped.
    const QByteArrayView head = held.first(std::min(held.size(), MaxHeadBytes));
    for (;;) {
        const qsizetype end = head.indexOf('\n', std::max(m_lineStart, m_searched));
        if (end < 0) {
            m_searched = head.size();
            break;
        }
        QByteArrayView line = head.sliced(m_lineStart, end - m_lineStart);
        m_lineStart = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!m_statusRead) {
            m_statusRead = true;
            if (!isRedirectStatus(HttpStatusCode(line)))
                return m_verdict = Lines;
            continue;
        }
        if (line.isEmpty())
            return m_verdict = m_location.isEmpty() ? Lines : Redirect;
        if (const auto location = HeaderValue(line, "location"))
            m_location = QString::fromUtf8(*location);
    }
    // A head that never ends is no redirect.
    if (held.size() > MaxHeadBytes) {
        m_location.clear();
        return m_verdict = Lines;
    }
    return Undecided;
}

} // namespace sokuri
