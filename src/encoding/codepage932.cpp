#include "encoding/codepage932.h"

#include "encoding/asciirun.h"

#include <QtGlobal>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <memory>

// What ICU's "windows-31j" gives where the Microsoft table is silent or odd,
// and what this file does about it:
//
// - The single bytes 0x80, 0xA0 and 0xFD-0xFF are no character, nor is a lead
//   byte on its own, or a lead byte followed by a byte that cannot be a trail
//   (below 0x40, 0x7F, 0xFD-0xFF). ICU reports them as illegal sequences; its
//   default substitution writes U+001A for one bad byte and U+FFFD for two.
//   Here every illegal or unassigned sequence decodes to one U+FFFD.
// - ICU's table rotates three controls the way IBM code pages do: byte 0x1A is
//   U+001C, 0x1C is U+007F and 0x7F is U+001A, in both directions. Code page
//   932 passes 0x00-0x7F through unchanged, so this file undoes the rotation.
//   No double-byte code uses these three bytes, and no double-byte character
//   is a control, so the rotation can be undone on the converted result.
// - ICU encodes without fallback mappings: only characters that decode back
//   to themselves are encoded (U+FF5E is 0x8160; U+301C and U+00A5 are not
//   held), so encoding then decoding gives the text back or shows the loss.
namespace sokuri::cp932 {

namespace {

constexpr char16_t Replacement = 0xFFFD;

struct ConverterCloser
{
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter()
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status) || !converter)
        qFatal("ICU has no windows-31j converter: %s", u_errorName(status));
    return converter;
}

// Where a converter callback acts: the reasons above UCNV_IRREGULAR are the
// converter's own reset, close and clone notices.
bool isConversionError(UConverterCallbackReason reason)
{
    return reason <= UCNV_IRREGULAR;
}

void writeReplacementCharacter(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                               UConverterCallbackReason reason, UErrorCode* status)
{
    if (!isConversionError(reason))
        return;
    *status = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &Replacement, 1, 0, status);
}

void writeQuestionMark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
                       UConverterCallbackReason reason, UErrorCode* status)
{
    if (!isConversionError(reason))
        return;
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, "?", 1, 0, status);
}

// "&#x20BB7;": the code point in upper-case hexadecimal. A lone surrogate is
// no character; it is written as the replacement character.
void writeCharacterReference(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                             UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* status)
{
    if (!isConversionError(reason))
        return;
    if (U_IS_SURROGATE(codePoint))
        codePoint = Replacement;
    char reference[16] = {'&', '#', 'x'};
    int length = 3;
    char digits[8];
    int digitCount = 0;
    do {
        digits[digitCount++] = "0123456789ABCDEF"[codePoint & 0xF];
        codePoint >>= 4;
    } while (codePoint != 0);
    while (digitCount > 0)
        reference[length++] = digits[--digitCount];
    reference[length++] = ';';
    *status = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, reference, length, 0, status);
}

enum class Unmappable { QuestionMark, Reference };

Converter openDecoder()
{
    Converter converter = openConverter();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), writeReplacementCharacter, nullptr, nullptr, nullptr,
                        &status);
    return converter;
}

Converter openEncoder(UConverterFromUCallback onUnmappable)
{
    Converter converter = openConverter();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), onUnmappable, nullptr, nullptr, nullptr, &status);
    return converter;
}

// One converter per thread and purpose, opened on first use; each conversion
// resets it first, so no state carries over between calls.
UConverter* decoder()
{
    thread_local const Converter converter = openDecoder();
    ucnv_resetToUnicode(converter.get());
    return converter.get();
}

UConverter* encoder(Unmappable unmappable)
{
    thread_local const Converter questionMarks = openEncoder(writeQuestionMark);
    thread_local const Converter references = openEncoder(writeCharacterReference);
    UConverter* converter =
        unmappable == Unmappable::QuestionMark ? questionMarks.get() : references.get();
    ucnv_resetFromUnicode(converter);
    return converter;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return uchar(b) < 0x80; });
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// ICU's rotation of the three controls: byte b decodes to icuRotated(b), and
// the character c encodes to the byte whose icuRotated value is c.
constexpr char16_t icuRotated(char16_t code)
{
    switch (code) {
    case 0x1A:
        return 0x1C;
    case 0x1C:
        return 0x7F;
    case 0x7F:
        return 0x1A;
    default:
        return code;
    }
}

constexpr char16_t icuUnrotated(char16_t code)
{
    return icuRotated(icuRotated(code)); // a rotation of three, applied twice more
}

void undoIcuRotation(QString& text)
{
    for (QChar& c : text)
        c = QChar(icuUnrotated(c.unicode()));
}

void undoIcuRotation(QByteArray& bytes)
{
    for (char& b : bytes)
        b = char(icuRotated(uchar(b)));
}

QByteArray encodeWith(QStringView text, Unmappable unmappable)
{
    if (isAscii(text))
        return text.toLatin1();
    UConverter* converter = encoder(unmappable);
    // Two bytes a character hold every mapped text; references may need more.
    QByteArray out(text.size() * 2 + 16, Qt::Uninitialized);
    const UChar* source = reinterpret_cast<const UChar*>(text.utf16());
    const UChar* sourceEnd = source + text.size();
    qsizetype written = 0;
    for (;;) {
        char* target = out.data() + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter, &target, out.data() + out.size(), &source, sourceEnd, nullptr,
                         true, &status);
        written = target - out.data();
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
        out.resize(out.size() * 2);
    }
    out.truncate(written);
    undoIcuRotation(out);
    return out;
}

// Decodes one character's bytes through a converter that stops at the first
// illegal or unassigned sequence: U+FFFD unless the bytes are exactly one
// character.
char16_t decodeStrictly(UConverter* converter, const char* bytes, int32_t length)
{
    ucnv_resetToUnicode(converter);
    UChar buffer[4];
    UChar* target = buffer;
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, buffer + 4, &bytes, bytes + length, nullptr, true, &status);
    if (U_FAILURE(status) || target - buffer != 1)
        return Replacement;
    return buffer[0];
}

// The characters of every single byte and every double-byte code, decoded
// once through ICU so that the per-character decoders are table look-ups.
struct Tables
{
    std::array<char16_t, 256> single{};
    std::array<char16_t, 65536> pair{};
    // The codes with a trail byte from 0x40 on, one row of TrailCount a lead
    // byte (the row's number in leadRow, NoRow for a byte that leads none):
    // a table that stays in the processor's nearest cache while a page is
    // decoded.
    static constexpr int TrailCount = 0x100 - 0x40;
    static constexpr uchar NoRow = 0xFF;
    std::array<uchar, 256> leadRow{};
    std::array<char16_t, 60 * TrailCount> rows{};

    Tables()
    {
        Converter converter = openConverter();
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                            &status);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            single[b] = b < 0x80 ? char16_t(b) : decodeStrictly(converter.get(), &byte, 1);
        }
        pair.fill(Replacement);
        leadRow.fill(NoRow);
        int row = 0;
        for (int lead = 0; lead < 256; ++lead) {
            if (!isLeadByte(uchar(lead)))
                continue;
            for (int trail = 0; trail < 256; ++trail) {
                const char code[2] = {char(lead), char(trail)};
                pair[lead << 8 | trail] = decodeStrictly(converter.get(), code, 2);
            }
            leadRow[lead] = uchar(row);
            for (int trail = 0x40; trail < 0x100; ++trail)
                rows[row * TrailCount + trail - 0x40] = pair[lead << 8 | trail];
            ++row;
        }
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

} // namespace

QString decodeWithConverter(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    UConverter* converter = decoder();
    // Every character takes at least one byte, so the text is no longer.
    QString out(bytes.size(), Qt::Uninitialized);
    const char* source = bytes.data();
    const char* sourceEnd = source + bytes.size();
    qsizetype written = 0;
    for (;;) {
        UChar* begin = reinterpret_cast<UChar*>(out.data());
        UChar* target = begin + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, begin + out.size(), &source, sourceEnd, nullptr, true,
                       &status);
        written = target - begin;
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
        out.resize(out.size() * 2);
    }
    out.truncate(written);
    undoIcuRotation(out);
    return out;
}

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString::fromLatin1(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    const qsizetype length = decodeInto(bytes, text.data());
    if (length < 0)
        return decodeWithConverter(bytes);
    text.truncate(length);
    return text;
}

qsizetype decodeInto(QByteArrayView bytes, QChar* out)
{
    const Tables& table = tables();
    const auto* b = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    QChar* d = out;
    qsizetype i = 0;
    while (i < size) {
        // Pages are mostly ASCII markup: sixteen bytes a step while they are.
        if (i + AsciiRun <= size) {
            const qsizetype ascii = widenAsciiRun(b + i, d);
            d += ascii;
            i += ascii;
            if (ascii == AsciiRun)
                continue;
        }
        const uchar c = b[i];
        if (c < 0x80) {
            *d++ = QChar(char16_t(c));
            ++i;
            continue;
        }
        // A run of other characters (most of Japanese text) without looking
        // for ASCII between them. Only what the tables hold for certain is
        // decoded here: anything the converter would have to judge (a lone
        // or cut-off lead byte, a code with no character) is left to it.
        do {
            const uchar lead = b[i];
            char16_t character;
            if (const uchar row = table.leadRow[lead]; row != Tables::NoRow) {
                // A trail byte below 0x40 makes no character either.
                if (i + 1 == size || b[i + 1] < 0x40)
                    return -1;
                character = table.rows[row * Tables::TrailCount + b[i + 1] - 0x40];
                i += 2;
            } else {
                character = table.single[lead];
                ++i;
            }
            if (character == Replacement)
                return -1;
            *d++ = QChar(character);
        } while (i < size && b[i] >= 0x80);
    }
    return d - out;
}

QByteArray encode(QStringView text)
{
    return encodeWith(text, Unmappable::QuestionMark);
}

QByteArray encodeWithReferences(QStringView text)
{
    return encodeWith(text, Unmappable::Reference);
}

bool isLeadByte(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QChar decodeByte(uchar byte)
{
    return QChar(tables().single[byte]);
}

QChar decodePair(uchar lead, uchar trail)
{
    return QChar(tables().pair[lead << 8 | trail]);
}

const std::array<char16_t, 65536>& pairTable()
{
    return tables().pair;
}

} // namespace sokuri::cp932
