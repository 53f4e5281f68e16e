#pragma once

#include "retrieval/enginestatus.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sokuri {

// What the window and the command line say about the keywords a run searched
// with: "検索語: " and the keywords joined by blanks, or "検索語がありません。"
// when the analysis found none (the run then searches nothing).
QString SearchedKeywordsText(const QStringList& keywords);

// The rows a list shows: "17 件", or "17 件 (34 件を統合)" when the merged
// view shows fewer rows than the run found.
QString RowCountText(int shownRows, int allRows);

// The status bar's line at the end of a run: "中止しました　" first when the
// user stopped it, the rows, then the engines that failed ("　失敗: dead
// (接続を拒否されました)、…").
QString RunEndText(const QList<EngineStatus>& statuses, int shownRows, int allRows, bool stopped);

// The status bar's tool tip: the keywords in full on the first line (when the
// run has them), then one line for every engine with its status. An engine
// that was still waiting or answering when the run was stopped says
// "中止" and its rows so far.
QString RunToolTip(const QStringList& keywords, const QList<EngineStatus>& statuses, bool stopped);

} // namespace sokuri
