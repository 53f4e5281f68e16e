#include "demoengine/pagecharset.h"

#include "encoding/codepage932.h"

using namespace Qt::StringLiterals;

namespace sokuri::demo {

namespace {

void appendReference(QByteArray& bytes, char32_t codePoint)
{
    bytes += "&#x" + QByteArray::number(uint(codePoint), 16).toUpper() + ';';
}

// The JIS X 0208 row and cell bytes (0x21-0x7E each) of a double-byte
// Shift_JIS code, or false when the lead byte lies outside rows 1 to 94.
bool jisBytes(uchar lead, uchar trail, uchar& first, uchar& second)
{
    if (lead >= 0x81 && lead <= 0x9F)
        lead = uchar(lead - 0x81);
    else if (lead >= 0xE0 && lead <= 0xEF)
        lead = uchar(lead - 0xC1);
    else
        return false;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
        return false;
    first = uchar(0x21 + 2 * lead);
    if (trail >= 0x9F) {
        ++first;
        second = uchar(trail - 0x9F + 0x21);
    } else {
        second = uchar(trail - 0x40 + 0x21 - (trail >= 0x80 ? 1 : 0));
    }
    return true;
}

// EUC-JP or ISO-2022-JP from the code page 932 codes of each character.
QByteArray encodeJisFamily(QStringView text, bool jis)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    bool kanji = false;
    const auto ascii = [&] {
        if (kanji)
            bytes += "\x1b(B";
        kanji = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            ascii();
            bytes += char(c.unicode());
            continue;
        }
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t codePoint = pair ? QChar::surrogateToUcs4(c, text[i + 1]) : c.unicode();
        const QByteArray sjis =
            pair || c.isSurrogate() ? QByteArray("?") : cp932::encode(text.sliced(i, 1));
        if (pair)
            ++i;
        uchar first = 0;
        uchar second = 0;
        if (sjis.size() == 2 && jisBytes(uchar(sjis[0]), uchar(sjis[1]), first, second)) {
            if (jis) {
                if (!kanji)
                    bytes += "\x1b$B";
                kanji = true;
                bytes += char(first);
                bytes += char(second);
            } else {
                bytes += char(first | 0x80);
                bytes += char(second | 0x80);
            }
        } else if (!jis && sjis.size() == 1 && uchar(sjis[0]) >= 0xA1 && uchar(sjis[0]) <= 0xDF) {
            bytes += '\x8e';
            bytes += sjis[0];
        } else {
            ascii();
            appendReference(bytes, codePoint);
        }
    }
    ascii();
    return bytes;
}

} // namespace

std::optional<PageCharset> CharsetOfPath(QStringView path)
{
    if (path == u"/jis")
        return PageCharset::Jis;
    if (path == u"/euc")
        return PageCharset::Euc;
    if (path == u"/sjis")
        return PageCharset::Sjis;
    if (path == u"/utf8")
        return PageCharset::Utf8;
    return std::nullopt;
}

QString CharsetName(PageCharset charset)
{
    switch (charset) {
    case PageCharset::Jis:
        return u"ISO-2022-JP"_s;
    case PageCharset::Euc:
        return u"EUC-JP"_s;
    case PageCharset::Sjis:
        return u"Shift_JIS"_s;
    case PageCharset::Utf8:
        break;
    }
    return u"UTF-8"_s;
}

QByteArray EncodePage(QStringView text, PageCharset charset)
{
    switch (charset) {
    case PageCharset::Jis:
        return encodeJisFamily(text, true);
    case PageCharset::Euc:
        return encodeJisFamily(text, false);
    case PageCharset::Sjis:
        return cp932::encodeWithReferences(text);
    case PageCharset::Utf8:
        break;
    }
    return text.toUtf8();
}

} // namespace sokuri::demo
