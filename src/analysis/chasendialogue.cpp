#include "analysis/chasendialogue.h"

#include "analysis/keywords.h"
#include "encoding/charconv.h"
#include "encoding/codepage932.h"

namespace sokuri {

void ChasenDialogue::begin(const QString& text, KeywordList* keywords)
{
    m_keywords = keywords;
    m_request = "RUN -c\n" + SjisToEuc(cp932::encode(text)) + '\n';
    m_line.clear();
    m_cutting = false;
    m_awaitingTrail = false;
}

QByteArray ChasenDialogue::take(QByteArrayView& bytes)
{
    qsizetype taken = 0;
    QByteArray reply;
    while (taken < bytes.size() && reply.isEmpty()) {
        const char byte = bytes[taken++];
        if (byte == '\n' || byte == '\r') {
            reply = endLine();
            continue;
        }
        if (m_cutting)
            continue;
        if (m_line.size() >= MaxLineBytes) {
            // Cut at a character boundary, so the kept part decodes as it was sent.
            if (m_awaitingTrail)
                m_line.chop(1);
            m_cutting = true;
            continue;
        }
        m_line.append(byte);
        m_awaitingTrail = !m_awaitingTrail && uchar(byte) >= 0x80;
    }
    bytes = bytes.sliced(taken);
    return reply;
}

QByteArray ChasenDialogue::endLine()
{
    m_cutting = false;
    m_awaitingTrail = false;
    if (m_line.isEmpty())
        return {};
    m_line.append("\r\n");
    const QString line = DecodeEuc(m_line);
    m_line.clear();
    return dispatch(line);
}

QByteArray ChasenDialogue::dispatch(const QString& line)
{
    if (line.contains(u"200 Running ChaSen"))
        return m_request;
    if (line.contains(u"200 OK"))
        return {}; // acknowledgements carry nothing for the analysis
    if (line.contains(u"EOS"))
        return quit().toByteArray();
    if (m_keywords)
        AddAnalysisLine(*m_keywords, line);
    return {};
}

} // namespace sokuri
