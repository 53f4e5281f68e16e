#pragma once

#include <QString>
#include <QStringList>

namespace sokuri {

// What the window and the command line say about the keywords a run searched
// with: "検索語: " and the keywords joined by blanks, or "検索語がありません。"
// when the analysis found none (the run then searches nothing).
QString SearchedKeywordsText(const QStringList& keywords);

} // namespace sokuri
