#pragma once

#include <QStringView>
#include <QVarLengthArray>
#include <QtGlobal>

namespace sokuri {

// Where one entry holds the words that its row is read by, found in one pass
// over it: anchor starts "<a" and ends "</a>" and image sources "src=" (in
// any letter case), and "http" (as written), the start of a web address.
// The searches for them then read these marks instead of the text.
class EntryMarks
{
public:
    explicit EntryMarks(QStringView text);

    // The first of each from `from` on, or -1.
    qsizetype nextAnchorStart(qsizetype from) const { return next(m_anchorStarts, from); }
    qsizetype nextAnchorEnd(qsizetype from) const { return next(m_anchorEnds, from); }
    qsizetype nextSource(qsizetype from) const { return next(m_sources, from); }
    qsizetype nextHttp(qsizetype from) const { return next(m_https, from); }

private:
    // One bit a position of the text.
    using Bits = QVarLengthArray<quint64, 16>;

    qsizetype next(const Bits& bits, qsizetype from) const;

    qsizetype m_words;
    Bits m_anchorStarts;
    Bits m_anchorEnds;
    Bits m_sources;
    Bits m_https;
};

} // namespace sokuri
