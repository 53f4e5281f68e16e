#pragma once

#include <QStringView>
#include <QVarLengthArray>
#include <QtGlobal>

#include <bit>

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
    qsizetype nextAnchorStart(qsizetype from) const { return next(AnchorStarts, from); }
    qsizetype nextAnchorEnd(qsizetype from) const { return next(AnchorEnds, from); }
    qsizetype nextSource(qsizetype from) const { return next(Sources, from); }
    qsizetype nextHttp(qsizetype from) const { return next(Https, from); }

private:
    enum Kind { AnchorStarts, AnchorEnds, Sources, Https, Kinds };

    qsizetype next(Kind kind, qsizetype from) const
    {
        const quint64* const bits = m_bits.data() + kind * m_stride;
        qsizetype word = from >> 6;
        if (from < 0 || word >= m_words)
            return -1;
        quint64 found = bits[word] & (~quint64(0) << (from & 63));
        while (found == 0) {
            if (++word == m_words)
                return -1;
            found = bits[word];
        }
        return word * 64 + std::countr_zero(found);
    }
    quint64* bitsOf(Kind kind) { return m_bits.data() + kind * m_stride; }

    // One bit a position of the text for each kind, one kind after the
    // other, each with a spare word after its last: sixteen marks that
    // start in a kind's last word may spill into the next word.
    qsizetype m_words;
    qsizetype m_stride;
    QVarLengthArray<quint64, Kinds * 17> m_bits;
};

} // namespace sokuri
