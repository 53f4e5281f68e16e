#include "encoding/charconv.h"

#include "encoding/asciirun.h"
#include "encoding/codepage932.h"

#include <QChar>

#include <array>

namespace sokuri {

namespace {

constexpr uchar Esc = 0x1B;

// JIS X 0208 row/cell bytes to the Shift_JIS code. The arithmetic is kept
// exactly as it stands for any byte values (the ISO-2022-JP decoder feeds it
// raw bytes and checks the range of the result), so it works in int.
struct SjisCode
{
    int lead;
    int trail;
};

constexpr SjisCode jisToSjis(int j1, int j2)
{
    int s2 = (j1 % 2 == 1) ? j2 + 31 : j2 + 125;
    if (s2 >= 127)
        ++s2;
    int s1 = (j1 - 33) / 2 + 129; // truncated toward zero, as C++ divides
    if (s1 >= 160)
        s1 += 64;
    return {s1, s2};
}

// Half-width katakana 0xA1-0xDF as their full-width characters, one for one.
constexpr std::array<char16_t, 63> FullWidthKatakana = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ',
    u'ョ', u'ッ', u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ',
    u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ',
    u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ',
    u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜'};

// The full-width form of a single-byte character: half-width katakana become
// full-width katakana, printable ASCII the full-width Latin forms, the space
// the ideographic space; anything else stays as the single byte decodes.
QChar fullWidth(uchar byte)
{
    if (byte >= 0xA1 && byte <= 0xDF)
        return QChar(FullWidthKatakana[byte - 0xA1]);
    if (byte >= 0x21 && byte <= 0x7E)
        return QChar(char16_t(0xFF01 + (byte - 0x21)));
    if (byte == 0x20)
        return QChar(u'\u3000');
    return cp932::decodeByte(byte);
}

// An EUC-JP pair's character depends only on the low seven bits of its two
// bytes (the high bit may be clear in the second byte of a malformed pair):
// the characters of all 128 × 128 of them, through the Shift_JIS arithmetic
// and code page 932, looked up once.
constexpr int EucPairs = 128 * 128;

const std::array<char16_t, EucPairs>& eucTable()
{
    static const std::array<char16_t, EucPairs> table = [] {
        const std::array<char16_t, 65536>& pairs = cp932::pairTable();
        std::array<char16_t, EucPairs> characters{};
        for (int j1 = 0; j1 < 128; ++j1) {
            for (int j2 = 0; j2 < 128; ++j2) {
                const SjisCode code = jisToSjis(j1, j2);
                characters[j1 << 7 | j2] = pairs[uchar(code.lead) << 8 | uchar(code.trail)];
            }
        }
        return characters;
    }();
    return table;
}

const uchar* bytesOf(QByteArrayView view)
{
    return reinterpret_cast<const uchar*>(view.data());
}

// Decodes a line by the ISO-2022-JP rules into out, which has room for one
// character a byte. Returns the number of characters written, or -1 when the
// line cannot be decoded.
qsizetype decodeJisInto(const uchar* b, qsizetype size, QChar* out)
{
    const qsizetype last = size - 1;
    const std::array<char16_t, 65536>& pairs = cp932::pairTable();
    const std::array<char16_t, EucPairs>& euc = eucTable();
    QChar* d = out;
    bool kanji = false;
    qsizetype i = 0;
    while (i <= last - 1) {
        if (!kanji && i + AsciiRun <= last) {
            const qsizetype run = widenAsciiRun(b + i, d, Esc);
            d += run;
            i += run;
            if (run == AsciiRun)
                continue;
        }
        if (kanji) {
            // A run of kanji-mode pairs of printable seven-bit bytes (the
            // Japanese text between the escapes) is looked up in the EUC-JP
            // table at once: the arithmetic below gives the same characters.
            while (i <= last - 1 && uchar(b[i] - 0x21) < 0x5E && uchar(b[i + 1] - 0x21) < 0x5E) {
                *d++ = QChar(euc[b[i] << 7 | b[i + 1]]);
                i += 2;
            }
            if (i > last - 1)
                break;
        }
        if (b[i] == Esc) {
            if (b[i + 1] == '$') {
                if (i + 2 > last)
                    return -1;
                if (b[i + 2] == 'B') {
                    kanji = true;
                    i += 3;
                }
            } else if (b[i + 1] == '(') {
                if (i + 2 > last)
                    return -1;
                if (b[i + 2] == 'B' || b[i + 2] == 'J') {
                    kanji = false;
                    i += 3;
                    if (i >= last)
                        break;
                }
            }
            // After ESC $ B the byte now at i is taken at once, whether or
            // not the line has a pair left there.
            if (i + 1 > last)
                return -1;
        }
        int c1 = b[i];
        int c2 = b[i + 1];
        if (kanji) {
            const SjisCode code = jisToSjis(c1, c2);
            if (code.lead > 255 || code.trail > 255)
                return -1;
            c1 = code.lead;
            c2 = code.trail;
        }
        if (c1 <= 0x7F) {
            *d++ = QChar(char16_t(b[i]));
        } else if (c1 <= 0x9F || c1 >= 0xE0) {
            // A kanji-mode pair of seven-bit bytes is looked up in the
            // smaller table of EUC-JP pairs, which holds the same character.
            const bool sevenBit = kanji && b[i] < 0x80 && b[i + 1] < 0x80;
            *d++ = QChar(sevenBit ? euc[b[i] << 7 | b[i + 1]] : pairs[uchar(c1) << 8 | uchar(c2)]);
            ++i;
        } else {
            *d++ = cp932::decodeByte(uchar(c1));
        }
        ++i;
    }
    if (i == last)
        *d++ = b[last] < 0x80 ? QChar(char16_t(b[last])) : cp932::decodeByte(b[last]);
    return d - out;
}

} // namespace

qsizetype DecodeJisInto(QByteArrayView line, QChar* out)
{
    const uchar* b = bytesOf(line);
    const qsizetype length = decodeJisInto(b, line.size(), out);
    if (length >= 0)
        return length;
    for (qsizetype i = 0; i < line.size(); ++i)
        out[i] = cp932::decodeByte(b[i]);
    return line.size();
}

QString DecodeJis(QByteArrayView line)
{
    QString text(line.size(), Qt::Uninitialized);
    text.truncate(DecodeJisInto(line, text.data()));
    return text;
}

qsizetype DecodeEucInto(QByteArrayView line, QChar* out)
{
    const uchar* b = bytesOf(line);
    const qsizetype last = line.size() - 1;
    const std::array<char16_t, EucPairs>& euc = eucTable();
    QChar* d = out;
    qsizetype i = 0;
    while (i <= last - 1) {
        if (i + AsciiRun <= last) {
            const qsizetype run = widenAsciiRun(b + i, d, 0);
            d += run;
            i += run;
            if (run == AsciiRun)
                continue;
        }
        const uchar c1 = b[i];
        if (c1 <= 0x7F) {
            *d++ = QChar(char16_t(c1));
            ++i;
            continue;
        }
        // A run of pairs (most of Japanese text) is decoded without looking
        // for ASCII between them.
        do {
            const uchar h1 = b[i];
            const uchar h2 = b[i + 1];
            *d++ = h1 == 0x8E ? fullWidth(h2) : QChar(euc[(h1 & 0x7F) << 7 | (h2 & 0x7F)]);
            i += 2;
        } while (i <= last - 1 && b[i] > 0x7F);
    }
    if (i == last)
        *d++ = b[last] < 0x80 ? QChar(char16_t(b[last])) : cp932::decodeByte(b[last]);
    return d - out;
}

QString DecodeEuc(QByteArrayView line)
{
    QString text(line.size(), Qt::Uninitialized);
    text.truncate(DecodeEucInto(line, text.data()));
    return text;
}

QByteArray SjisToEuc(QByteArrayView sjis)
{
    const uchar* b = bytesOf(sjis);
    const qsizetype last = sjis.size() - 1;
    // Every byte gives at most two.
    QByteArray euc(std::min(sjis.size() * 2, SjisToEucMaxBytes), Qt::Uninitialized);
    uchar* const out = reinterpret_cast<uchar*>(euc.data());
    uchar* const end = out + euc.size();
    uchar* d = out;
    const auto put = [&](uchar first, uchar second) {
        if (end - d < 2)
            return false;
        *d++ = first;
        *d++ = second;
        return true;
    };
    const auto putOne = [&](uchar byte) {
        if (d == end)
            return false;
        *d++ = byte;
        return true;
    };
    qsizetype i = 0;
    bool room = true;
    while (room && i <= last - 1) {
        const uchar c1 = b[i];
        const uchar c2 = b[i + 1];
        if (c1 <= 0x7F) {
            room = putOne(c1);
        } else if (c1 >= 0xA0 && c1 <= 0xDF) {
            room = put(0x8E, c1);
        } else if (c2 < 31) {
            // Malformed: no trail byte follows the lead byte.
            room = putOne(c1);
        } else {
            int row = (c1 <= 0x9F ? c1 - 113 : c1 - 177) * 2 + 1;
            int cell;
            if (c2 >= 0x9F) {
                cell = c2 - 126;
                ++row;
            } else if (c2 >= 0x80) {
                cell = c2 - 32;
            } else {
                cell = c2 - 31;
            }
            room = put(uchar(row | 0x80), uchar(cell | 0x80));
            ++i;
        }
        ++i;
    }
    if (room && i == last) {
        const uchar c = b[last];
        if (c >= 0xA0 && c <= 0xDF)
            put(0x8E, c);
        else
            putOne(c);
    }
    euc.truncate(d - out);
    return euc;
}

} // namespace sokuri
