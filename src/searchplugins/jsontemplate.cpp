#include "searchplugins/jsontemplate.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// A path's steps are keys or indices separated by "/"; none may be empty.
bool isPath(QStringView path)
{
    if (path.isEmpty())
        return false;
    for (const QStringView step : path.tokenize(u'/')) {
        if (step.isEmpty())
            return false;
    }
    return true;
}

} // namespace

bool JsonTemplate::parse(QStringView value, QString& error)
{
    m_parts.clear();
    m_after.clear();
    const QStringView trimmed = value.trimmed();
    if (!trimmed.contains(u'{') && !trimmed.contains(u'}')) {
        if (!trimmed.isEmpty())
            m_parts.append({QString(), trimmed.toString()});
        return true;
    }
    QString text;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        const bool doubled = i + 1 < trimmed.size() && trimmed[i + 1] == c;
        if ((c == u'{' || c == u'}') && doubled) {
            text += c;
            ++i;
            continue;
        }
        if (c == u'}') {
            error = u"「}」に対応する「{」がありません (%1 文字目)"_s.arg(i + 1);
            m_parts.clear();
            return false;
        }
        if (c != u'{') {
            text += c;
            continue;
        }
        const qsizetype close = trimmed.indexOf(u'}', i + 1);
        const qsizetype nested = trimmed.indexOf(u'{', i + 1);
        if (close < 0) {
            error = u"「{」が閉じていません (%1 文字目)"_s.arg(i + 1);
            m_parts.clear();
            return false;
        }
        if (nested >= 0 && nested < close) {
            error = u"「{」の中に「{」があります (%1 文字目)"_s.arg(nested + 1);
            m_parts.clear();
            return false;
        }
        const QStringView path = trimmed.sliced(i + 1, close - i - 1).trimmed();
        if (!isPath(path)) {
            error = path.isEmpty()
                        ? u"空の「{}」があります"_s
                        : u"「{"_s + path.toString() + u"}」は JSON のパスではありません"_s;
            m_parts.clear();
            return false;
        }
        if (m_parts.size() == MaxParts) {
            error = u"つなげるパスは %1 個までです"_s.arg(MaxParts);
            m_parts.clear();
            return false;
        }
        m_parts.append({text, path.toString()});
        text.clear();
        i = close;
    }
    m_after = text;
    return true;
}

QString JsonTemplate::expand(const std::function<QString(QStringView path)>& textAt) const
{
    QString result;
    bool any = false;
    bool last = false;
    for (qsizetype i = 0; i < m_parts.size(); ++i) {
        const QString text = textAt(m_parts[i].path);
        last = !text.isEmpty();
        if (!last)
            continue;
        // The text before the first part opens it, the text between two parts
        // separates the parts that are there.
        if (any || i == 0)
            result += m_parts[i].before;
        result += text;
        any = true;
    }
    if (last)
        result += m_after;
    return result;
}

QStringList JsonTemplate::paths() const
{
    QStringList paths;
    for (const Part& part : m_parts)
        paths.append(part.path);
    return paths;
}

} // namespace sokuri
