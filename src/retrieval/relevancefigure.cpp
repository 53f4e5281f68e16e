#include "retrieval/relevancefigure.h"

#include "retrieval/textsearch.h"

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace sokuri {

namespace {

// A whole number as a relevance figure: right-aligned in three characters; a
// longer number keeps only its last three.
QString threeCharacters(double whole)
{
    // The figures of 0 to 999, right-aligned, in a table of the program's
    // own: every row that shows one holds a string over its characters,
    // which is copied and freed without a reference count.
    static constexpr auto common = [] {
        std::array<std::array<char16_t, 3>, 1000> figures{};
        for (int i = 0; i < 1000; ++i) {
            figures[i] = {u' ', u' ', u' '};
            int rest = i;
            int at = 2;
            do {
                figures[i][at--] = char16_t(u'0' + rest % 10);
                rest /= 10;
            } while (rest != 0);
        }
        return figures;
    }();
    if (whole >= 0.0 && whole < 1000.0)
        return QString::fromRawData(reinterpret_cast<const QChar*>(common[size_t(whole)].data()),
                                    3);
    char digits[24];
    qsizetype length = 3;
    if (std::abs(whole) < 1e15) {
        length = std::to_chars(digits, digits + sizeof digits, qlonglong(whole)).ptr - digits;
    } else {
        // Far more than three digits: the last three are those of the
        // remainder by 1000.
        const int last = int(std::fmod(std::abs(whole), 1000.0));
        digits[0] = char('0' + last / 100);
        digits[1] = char('0' + last / 10 % 10);
        digits[2] = char('0' + last % 10);
    }
    QString figure(3, u' ');
    const qsizetype shown = std::min<qsizetype>(length, 3);
    for (qsizetype i = 0; i < shown; ++i)
        figure[3 - shown + i] = QLatin1Char(digits[length - shown + i]);
    return figure;
}

} // namespace

// The leading decimal number of text: optional blanks, an optional sign,
// digits with an optional fraction ("12", "12.5", ".5"); 0 when there is
// none. Too many digits for a double give infinity.
double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // A whole number of up to fifteen digits, the common figure, is exact as
    // a double and read without the text conversion below.
    {
        qsizetype end = i;
        qint64 whole = 0;
        while (end < size && end - i < 15 && isAsciiDigit(text[end])) {
            whole = whole * 10 + (text[end].unicode() - u'0');
            ++end;
        }
        if (end > i && (end == size || (!isAsciiDigit(text[end]) && text[end] != u'.')))
            return negative ? -double(whole) : double(whole);
    }
    std::string number;
    bool nonZeroWhole = false;
    while (i < size && isAsciiDigit(text[i])) {
        nonZeroWhole = nonZeroWhole || text[i] != u'0';
        number += char(text[i].unicode());
        ++i;
    }
    bool anyDigit = !number.empty();
    if (i < size && text[i] == u'.') {
        number += '.';
        for (++i; i < size && isAsciiDigit(text[i]); ++i) {
            number += char(text[i].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    double value = 0.0;
    const std::from_chars_result parsed = std::from_chars(
        number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (parsed.ec == std::errc::result_out_of_range)
        value = nonZeroWhole ? HUGE_VAL : 0.0;
    return negative ? -value : value;
}

// The relevance figure of an entry: the leading number x between the relevance
// markers, shown as the integer part of scale × x + 0.5. The first entry with
// a non-zero x sets the connection's scale to 100 / x (while the scale's
// integer part is 0 it is set again), so it shows 100. No markers, an end
// marker that overlaps the start marker, or an x of 0 that would have to set
// the scale give no figure.
QString relevanceFigure(const PluginSlot& slot, SlotState& state, QStringView text)
{
    if (slot.RelevanceStart.isEmpty())
        return {};
    const qsizetype v = findExact(text, slot.RelevanceStart, 0);
    if (v < 0)
        return {};
    const qsizetype w = findExact(text, slot.RelevanceEnd, v);
    // The end marker is looked for from the start marker on; one that ends
    // inside the start marker (or is missing) leaves no relevance text.
    const qsizetype g = v + slot.RelevanceStart.size();
    if (w < g)
        return {};
    const double x = leadingNumber(text.sliced(g, w - g));
    if (!std::isfinite(x))
        return {};
    if (std::trunc(state.RelevanceScale) == 0.0f) {
        const double scale = x == 0.0 ? 0.0 : 100.0 / x;
        if (scale == 0.0 || std::abs(scale) > double(FLT_MAX))
            return {};
        state.RelevanceScale = float(scale);
    }
    const double y = double(state.RelevanceScale) * x + 0.5;
    if (!std::isfinite(y))
        return {};
    return threeCharacters(std::trunc(y));
}

} // namespace sokuri
