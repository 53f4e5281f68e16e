#include "searchplugins/readablelength.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace sokuri {

bool ParseContentMaxLength(QStringView value, qsizetype& length, QString& error)
{
    const QStringView trimmed = value.trimmed();
    if (trimmed.isEmpty()) {
        length = DefaultContentMaxLength;
        return true;
    }
    bool number = false;
    const qlonglong parsed = trimmed.toLongLong(&number);
    const bool digits =
        std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!number || !digits || parsed < 1 || parsed > MaxContentMaxLength) {
        error = u"ContentMaxLength は 1 から %1 までの整数です: "_s.arg(MaxContentMaxLength) +
                trimmed.toString();
        return false;
    }
    length = qsizetype(parsed);
    return true;
}

QString CutToReadableLength(QString text, qsizetype maxLength)
{
    if (maxLength < 1 || text.size() <= maxLength)
        return text;
    qsizetype end = maxLength;
    if (text[end - 1].isHighSurrogate())
        --end;
    text.truncate(end);
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    text += u'…';
    return text;
}

} // namespace sokuri
