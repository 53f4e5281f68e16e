#include "app/searchedkeywords.h"

namespace sokuri {

using namespace Qt::StringLiterals;

namespace {

bool isUnfinished(const EngineStatus& status)
{
    return status.kind == EngineStatus::Waiting || status.kind == EngineStatus::Connecting ||
           status.kind == EngineStatus::Receiving;
}

} // namespace

QString SearchedKeywordsText(const QStringList& keywords)
{
    // Keyword mode keeps the empty fields of doubled blanks; they show as one.
    QStringList words = keywords;
    words.removeAll(QString());
    if (words.isEmpty())
        return QStringLiteral("検索語がありません。");
    return u"検索語: " + words.join(u' ');
}

QString RowCountText(int shownRows, int allRows)
{
    QString text = u"%1 件"_s.arg(shownRows);
    if (shownRows < allRows)
        text += u" (%1 件を統合)"_s.arg(allRows);
    return text;
}

QString RunEndText(const QList<EngineStatus>& statuses, int shownRows, int allRows, bool stopped)
{
    QStringList failed;
    for (const EngineStatus& status : statuses) {
        if (status.kind == EngineStatus::Failed || status.kind == EngineStatus::Skipped)
            failed.append(status.plugin + u" ("_s + status.reason + u')');
    }
    QString line = stopped ? u"中止しました　"_s : QString();
    line += RowCountText(shownRows, allRows);
    if (!failed.isEmpty())
        line += u"　失敗: "_s + failed.join(u'、');
    return line;
}

QString RunToolTip(const QStringList& keywords, const QList<EngineStatus>& statuses, bool stopped)
{
    QStringList lines;
    if (!keywords.isEmpty())
        lines.append(SearchedKeywordsText(keywords));
    for (const EngineStatus& status : statuses) {
        if (stopped && isUnfinished(status))
            lines.append(status.plugin + u": 中止 (%1 件)"_s.arg(status.rows));
        else
            lines.append(status.plugin + u": "_s + DescribeStatus(status));
    }
    return lines.join(u'\n');
}

} // namespace sokuri
