#include "retrieval/characterreferences.h"

#include <libxml/HTMLparser.h>

#include <algorithm>

namespace sokuri {

namespace {

// The longest name of a named reference that is looked up ("thetasym").
constexpr qsizetype MaxNameLength = 32;

bool isAsciiAlnum(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The character of a numeric reference's digits (decimal, or hexadecimal
// after "x"); U+FFFD for a number that is no character. -1 when digits holds
// no number at all.
char32_t numericCharacter(QStringView digits)
{
    int base = 10;
    if (!digits.isEmpty() && (digits.front() == u'x' || digits.front() == u'X')) {
        base = 16;
        digits = digits.sliced(1);
    }
    if (digits.isEmpty())
        return char32_t(-1);
    char32_t value = 0;
    for (const QChar c : digits) {
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        else
            return char32_t(-1);
        // Saturates: any larger number is no character either.
        value = value > 0x10FFFF ? value : value * char32_t(base) + char32_t(digit);
    }
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0xFFFD;
    return value;
}

// The character of a named reference, from the HTML entity table of
// libxml2; -1 when the name is unknown. The name is ASCII letters and digits
// of at most MaxNameLength; the four references of markup itself are told
// without the table's search.
char32_t namedCharacter(QStringView name)
{
    if (name == u"amp")
        return u'&';
    if (name == u"lt")
        return u'<';
    if (name == u"gt")
        return u'>';
    if (name == u"quot")
        return u'"';
    char ascii[MaxNameLength + 1];
    const qsizetype length = std::min(name.size(), MaxNameLength);
    for (qsizetype i = 0; i < length; ++i)
        ascii[i] = char(name[i].unicode());
    ascii[length] = '\0';
    const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(ascii));
    return entity ? char32_t(entity->value) : char32_t(-1);
}

} // namespace

QString DecodeCharacterReferences(QStringView text)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text.toString();
    QString decoded;
    decoded.reserve(text.size());
    qsizetype copied = 0;
    for (; amp >= 0; amp = text.indexOf(u'&', amp + 1)) {
        // The name or number runs up to the ";" that ends the reference.
        qsizetype end = amp + 1;
        const bool numeric = end < text.size() && text[end] == u'#';
        if (numeric)
            ++end;
        while (end < text.size() && end - amp <= MaxNameLength && isAsciiAlnum(text[end]))
            ++end;
        if (end >= text.size() || text[end] != u';')
            continue;
        const qsizetype nameStart = amp + (numeric ? 2 : 1);
        const QStringView name = text.sliced(nameStart, end - nameStart);
        const char32_t c = numeric ? numericCharacter(name) : namedCharacter(name);
        if (c == char32_t(-1))
            continue;
        decoded.append(text.sliced(copied, amp - copied));
        if (QChar::requiresSurrogates(c)) {
            decoded.append(QChar(QChar::highSurrogate(c)));
            decoded.append(QChar(QChar::lowSurrogate(c)));
        } else {
            decoded.append(QChar(c));
        }
        copied = end + 1;
        amp = end;
    }
    decoded.append(text.sliced(copied));
    return decoded;
}

} // namespace sokuri
