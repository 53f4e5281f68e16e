#include "analysis/analysabletext.h"

#include "encoding/codepage932.h"

#include <QList>
#include <QStringView>

namespace sokuri {

namespace {

// Where a piece of line that is too long ends (exclusive): after the last
// sentence end within the limit, else the last comma or blank.
qsizetype pieceEnd(QStringView line)
{
    const QStringView head = line.left(MaxPieceChars);
    for (const QStringView marks : {QStringView(u"。！？!?"), QStringView(u"、，,　 \t")}) {
        for (qsizetype i = head.size() - 1; i > 0; --i) {
            if (marks.contains(head[i]))
                return i + 1;
        }
    }
    qsizetype end = head.size();
    if (end > 1 && head[end - 1].isHighSurrogate())
        --end;
    return end;
}

} // namespace

QString PieceLines(const QString& text)
{
    QString pieces;
    pieces.reserve(text.size() + text.size() / MaxPieceChars + 1);
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        if (n > 0)
            pieces += u'\n';
        QStringView line = lines[n];
        while (line.size() > MaxPieceChars) {
            const qsizetype end = pieceEnd(line);
            pieces += line.left(end);
            pieces += u'\n';
            line = line.sliced(end);
        }
        pieces += line;
    }
    return pieces;
}

QString AnalysableText(const QString& text)
{
    QString analysable;
    analysable.reserve(text.size());
    // A lone surrogate arrives as U+FFFD, which code page 932 cannot hold.
    const QList<uint> characters = text.toUcs4();
    for (const uint code : characters) {
        const char32_t character = code;
        const QString one = QString::fromUcs4(&character, 1);
        if (character < 0x80 || cp932::encode(one) != "?")
            analysable += one;
        else
            analysable += u' ';
    }
    return PieceLines(analysable);
}

} // namespace sokuri
