#include "app/searchedkeywords.h"

namespace sokuri {

QString SearchedKeywordsText(const QStringList& keywords)
{
    if (keywords.isEmpty())
        return QStringLiteral("検索語がありません。");
    return u"検索語: " + keywords.join(u' ');
}

} // namespace sokuri
