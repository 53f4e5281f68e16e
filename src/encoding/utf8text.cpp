#include "encoding/utf8text.h"

#include "encoding/asciirun.h"

namespace sokuri {

namespace {

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Decodes one sequence of two to four bytes at in (whose first byte is not
// ASCII) into out; false when it is not well-formed.
bool decodeSequence(const unsigned char*& in, const unsigned char* end, char16_t*& out)
{
    const unsigned char b = *in;
    if (b >= 0xE0 && b < 0xF0) { // most of Japanese text
        if (end - in < 3 || !isContinuation(in[1]) || !isContinuation(in[2]))
            return false;
        const char16_t c = char16_t(((b & 0x0F) << 12) | ((in[1] & 0x3F) << 6) | (in[2] & 0x3F));
        if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        *out++ = c;
        in += 3;
        return true;
    }
    if (b >= 0xC2 && b < 0xE0) {
        if (end - in < 2 || !isContinuation(in[1]))
            return false;
        *out++ = char16_t(((b & 0x1F) << 6) | (in[1] & 0x3F));
        in += 2;
        return true;
    }
    if (b >= 0xF0 && b < 0xF5) {
        if (end - in < 4 || !isContinuation(in[1]) || !isContinuation(in[2]) ||
            !isContinuation(in[3]))
            return false;
        const char32_t c = (char32_t(b & 0x07) << 18) | (char32_t(in[1] & 0x3F) << 12) |
                           (char32_t(in[2] & 0x3F) << 6) | char32_t(in[3] & 0x3F);
        if (c < 0x10000 || c > 0x10FFFF)
            return false;
        *out++ = QChar::highSurrogate(c);
        *out++ = QChar::lowSurrogate(c);
        in += 4;
        return true;
    }
    // A continuation byte, the lead of an overlong pair, or no lead at all.
    return false;
}

// Decodes well-formed UTF-8 into out, which has room for a unit a byte;
// false at the first byte that is not well-formed.
bool decodeWellFormed(const unsigned char* in, const unsigned char* end, char16_t* out,
                      char16_t*& written)
{
    while (in != end) {
        if (*in >= 0x80) {
            // A run of other characters.
            do {
                if (!decodeSequence(in, end, out))
                    return false;
            } while (in != end && *in >= 0x80);
            continue;
        }
        // A run of ASCII.
        while (end - in >= AsciiRun) {
            const qsizetype ascii = widenAsciiRun(in, reinterpret_cast<QChar*>(out));
            in += ascii;
            out += ascii;
            if (ascii != AsciiRun)
                break;
        }
        // The rest of a run shorter than a block (none when the block found
        // the run's end).
        while (in != end && *in < 0x80)
            *out++ = *in++;
    }
    written = out;
    return true;
}

} // namespace

qsizetype Utf8TextInto(std::string_view utf8, QChar* out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
    const qsizetype size = qsizetype(utf8.size());
    if (size >= 3 && in[0] == 0xEF && in[1] == 0xBB && in[2] == 0xBF)
        return -1;
    // Never more UTF-16 units than bytes, and a block of sixteen is stored
    // only where sixteen bytes remain.
    char16_t* const begin = reinterpret_cast<char16_t*>(out);
    char16_t* written = begin;
    if (!decodeWellFormed(in, in + size, begin, written))
        return -1;
    return written - begin;
}

QString Utf8Text(std::string_view utf8)
{
    const qsizetype size = qsizetype(utf8.size());
    if (size == 0)
        return QString::fromUtf8(utf8.data(), size);
    QString text(size, Qt::Uninitialized);
    const qsizetype length = Utf8TextInto(utf8, text.data());
    if (length < 0)
        return QString::fromUtf8(utf8.data(), size);
    text.truncate(length);
    return text;
}

} // namespace sokuri
