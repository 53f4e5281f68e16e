#include "app/searchedkeywords.h"

namespace sokuri {

QString SearchedKeywordsText(const QStringList& keywords)
{
    // Keyword mode keeps the empty fields of doubled blanks; they show as one.
    QStringList words = keywords;
    words.removeAll(QString());
    if (words.isEmpty())
        return QStringLiteral("検索語がありません。");
    return u"検索語: " + words.join(u' ');
}

} // namespace sokuri
