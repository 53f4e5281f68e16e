#include "app/windowlayout.h"

#include "common/inifile.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

const QString Section = u"window"_s;
// Bounds of what a kept value may say; anything beyond is damage.
constexpr int MaxCoordinate = 100000;
constexpr int MaxExtent = 100000;
// How much of a window must lie on a screen to be found and moved there.
constexpr int GrabMargin = 48;

std::optional<int> number(const QString& text, int low, int high)
{
    static const QRegularExpression digits(u"^[ \\t]*(-?[0-9]{1,6})[ \\t]*$"_s);
    const QRegularExpressionMatch match = digits.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int value = match.captured(1).toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

WindowLayout LoadWindowLayout(const QString& iniPath, int expectedColumns)
{
    const IniFile ini = IniFile::load(iniPath);
    const auto read = [&](const char* key, int low, int high) {
        return number(ini.value(Section, QString::fromLatin1(key)), low, high);
    };
    WindowLayout layout;
    const auto left = read("left", -MaxCoordinate, MaxCoordinate);
    const auto top = read("top", -MaxCoordinate, MaxCoordinate);
    if (left && top)
        layout.position = QPoint(*left, *top);
    const auto width = read("width", 1, MaxExtent);
    const auto height = read("height", 1, MaxExtent);
    if (width && height)
        layout.size = QSize(*width, *height);
    layout.maximised = read("maximized", 0, 1).value_or(0) == 1;

    const QStringList widths = ini.value(Section, u"columns"_s).split(u',');
    for (const QString& text : widths) {
        const auto w = number(text, 1, MaxExtent);
        if (!w) {
            layout.columnWidths.clear();
            break;
        }
        layout.columnWidths.append(*w);
    }
    if (layout.columnWidths.size() != expectedColumns)
        layout.columnWidths.clear();
    return layout;
}

bool SaveWindowLayout(const QString& iniPath, const WindowLayout& layout, QString* errorText)
{
    const auto text = [](const auto& value, auto member) {
        return value ? QString::number(member(*value)) : QString();
    };
    QStringList widths;
    for (const int w : layout.columnWidths)
        widths.append(QString::number(w));
    const QList<std::pair<QString, QString>> values = {
        {u"left"_s, text(layout.position, [](const QPoint& p) { return p.x(); })},
        {u"top"_s, text(layout.position, [](const QPoint& p) { return p.y(); })},
        {u"width"_s, text(layout.size, [](const QSize& s) { return s.width(); })},
        {u"height"_s, text(layout.size, [](const QSize& s) { return s.height(); })},
        {u"maximized"_s, layout.maximised ? u"1"_s : u"0"_s},
        {u"columns"_s, widths.join(u',')},
    };
    return WriteIniStrings(Section, values, iniPath, errorText);
}

QRect FitOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return window;
    for (const QRect& screen : screens) {
        const QRect shared = screen.intersected(window);
        if (shared.width() >= GrabMargin && shared.height() >= GrabMargin &&
            window.top() >= screen.top())
            return window;
    }
    const QRect& first = screens.first();
    QRect fitted(window.topLeft(), window.size().boundedTo(first.size()));
    fitted.moveLeft(std::clamp(fitted.left(), first.left(), first.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), first.top(), first.bottom() + 1 - fitted.height()));
    return fitted;
}

} // namespace sokuri
