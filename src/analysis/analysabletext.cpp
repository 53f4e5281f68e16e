#include "analysis/analysabletext.h"

#include "encoding/codepage932.h"

#include <QList>

namespace sokuri {

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
    return analysable;
}

} // namespace sokuri
