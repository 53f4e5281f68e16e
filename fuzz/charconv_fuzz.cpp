// Arbitrary bytes through the three conversions of the Japanese character
// sets, taken as a line of each; then the well-formed part of the input, as
// Shift_JIS text, converted to EUC-JP and ISO-2022-JP and decoded back.

#include "encoding/charconv.h"

#include "encoding/codepage932.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QString>

using namespace sokuri;
using sokuri::fuzz::Check;

namespace {

constexpr char Esc = 0x1B;

bool isLeadWithinArithmetic(uchar lead)
{
    // The leads whose rows the EUC-JP and ISO-2022-JP forms can hold: JIS
    // X 0208 and the extensions that code page 932 places in the same rows.
    return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF);
}

// The characters of text that travel through every one of the three sets:
// ASCII (ESC aside, which would start an escape) and double-byte characters
// of the rows above, in their Shift_JIS form.
QByteArray travellingSjis(const QString& text)
{
    QByteArray sjis;
    for (const QChar c : text) {
        const QByteArray code = cp932::encode(QStringView(&c, 1));
        const auto first = uchar(code.front());
        if ((code.size() == 1 && first < 0x80 && first != Esc) ||
            (code.size() == 2 && isLeadWithinArithmetic(first)))
            sjis.append(code);
    }
    return sjis;
}

// The ISO-2022-JP form of EUC-JP bytes that hold ASCII and double-byte
// characters only: kanji runs between ESC $ B and ESC ( B, ending in ASCII
// mode before the line end.
QByteArray jisOf(QByteArrayView euc)
{
    QByteArray jis;
    bool kanji = false;
    for (qsizetype i = 0; i < euc.size(); ++i) {
        const auto b = uchar(euc[i]);
        if (b >= 0x80 && !kanji) {
            jis.append("\x1b$B");
            kanji = true;
        } else if (b < 0x80 && kanji) {
            jis.append("\x1b(B");
            kanji = false;
        }
        if (b >= 0x80) {
            jis.append(char(b & 0x7F));
            jis.append(char(uchar(euc[++i]) & 0x7F));
        } else {
            jis.append(char(b));
        }
    }
    jis.append("\x1b(B\r\n");
    return jis;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzz::InputBytes(data, size);

    // Each character takes at least one byte; at most two bytes a byte.
    Check(DecodeJis(bytes).size() <= bytes.size(), "DecodeJis: no more characters than bytes");
    Check(DecodeEuc(bytes).size() <= bytes.size(), "DecodeEuc: no more characters than bytes");
    const QByteArray euc = SjisToEuc(bytes);
    Check(euc.size() <= SjisToEucMaxBytes && euc.size() <= 2 * bytes.size(),
          "SjisToEuc: bounded output");

    // Well-formed text converts to the published codes and decodes back.
    const QByteArray sjis = travellingSjis(cp932::decode(bytes)).left(SjisToEucMaxBytes / 2);
    const QString text = cp932::decode(sjis);
    const QByteArray sjisAsEuc = SjisToEuc(sjis);
    Check(sjisAsEuc.size() == sjis.size(), "SjisToEuc: as many bytes as characters need");
    Check(DecodeEuc(sjisAsEuc) == text, "DecodeEuc(SjisToEuc(text)) gives the text");
    Check(DecodeJis(jisOf(sjisAsEuc)) == text + QStringLiteral("\r\n"),
          "DecodeJis of the ISO-2022-JP form gives the text");
    return 0;
}
