#include "retrieval/replyhead.h"

#include <algorithm>

namespace sokuri {

namespace {

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The status code of an "HTTP/x.y NNN …" line, or 0.
int statusCode(QByteArrayView line)
{
    const qsizetype space = line.indexOf(' ');
    if (space < 0 || space + 4 > line.size())
        return 0;
    const QByteArrayView code = line.sliced(space + 1, 3);
    if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    if (space + 4 < line.size() && line[space + 4] != ' ' && line[space + 4] != '\r')
        return 0;
    return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
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
            if (!isRedirectStatus(statusCode(line)))
                return m_verdict = Lines;
            continue;
        }
        if (line.isEmpty())
            return m_verdict = m_location.isEmpty() ? Lines : Redirect;
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().compare("location", Qt::CaseInsensitive) == 0)
            m_location = QString::fromUtf8(line.sliced(colon + 1)).trimmed();
    }
    // A head that never ends is no redirect.
    if (held.size() > MaxHeadBytes) {
        m_location.clear();
        return m_verdict = Lines;
    }
    return Undecided;
}

} // namespace sokuri
