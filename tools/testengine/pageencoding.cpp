#include "testengine/pageencoding.h"

#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace sokuri::test {

namespace {

// The converter name Qt's ICU backend knows for a page character set.
const char* ConverterName(const QString& charset)
{
    const QString name = charset.trimmed().toLower();
    if (name == u"utf-8"_s || name == u"utf8"_s)
        return "UTF-8";
    if (name == u"shift_jis"_s || name == u"x-sjis"_s || name == u"windows-31j"_s)
        return "windows-31j";
    if (name == u"euc-jp"_s || name == u"x-euc-jp"_s)
        return "EUC-JP";
    if (name == u"iso-2022-jp"_s)
        return "ISO-2022-JP";
    return nullptr;
}

} // namespace

QByteArray EncodePage(const QString& text, const QString& charset)
{
    const char* converter = ConverterName(charset);
    if (!converter)
        return {};
    QStringEncoder encoder(converter);
    if (!encoder.isValid())
        return {};
    if (qstrcmp(converter, "ISO-2022-JP") != 0)
        return encoder.encode(text);
    // The encoder returns to ASCII before a line break, but it does not at the
    // end of its input: a line break added at the end, and cut off again,
    // makes the last line end in ASCII as well.
    QByteArray bytes = encoder.encode(text + u'\n');
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    return bytes;
}

} // namespace sokuri::test
