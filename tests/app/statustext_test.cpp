// The status bar's texts: the rows, the end of a run and the tool tip.

#include "app/searchedkeywords.h"

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

EngineStatus status(const QString& plugin, EngineStatus::Kind kind, int rows,
                    const QString& reason = {})
{
    EngineStatus status;
    status.plugin = plugin;
    status.kind = kind;
    status.rows = rows;
    status.reason = reason;
    return status;
}

} // namespace

TEST(StatusText, RowsAndTheEndOfARun)
{
    const QList<EngineStatus> mixed = {
        status(u"alpha"_s, EngineStatus::Done, 17),
        status(u"busy"_s, EngineStatus::Failed, 0, u"HTTP 429 要求が多すぎます"_s),
        status(u"slow"_s, EngineStatus::Receiving, 3),
        status(u"robot"_s, EngineStatus::Failed, 0, u"CAPTCHA"_s)};
    struct Case
    {
        QList<EngineStatus> statuses;
        int shown;
        int all;
        bool stopped;
        QString expected;
    };
    const Case cases[] = {
        {{}, 0, 0, false, u"0 件"_s},
        {{mixed[0]}, 17, 17, false, u"17 件"_s},
        {{mixed[0]}, 17, 34, false, u"17 件 (34 件を統合)"_s},
        {mixed, 20, 20, false, u"20 件　失敗: busy (HTTP 429 要求が多すぎます)、robot (CAPTCHA)"_s},
        {{mixed[0], mixed[2]}, 20, 20, true, u"中止しました　20 件"_s},
        {mixed, 12, 20, true,
         u"中止しました　12 件 (20 件を統合)　失敗: busy (HTTP 429 要求が多すぎます)、robot (CAPTCHA)"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunEndText(c.statuses, c.shown, c.all, c.stopped), c.expected);
}

TEST(StatusText, ToolTipHasTheKeywordsThenALineAnEngine)
{
    const QList<EngineStatus> statuses = {
        status(u"alpha"_s, EngineStatus::Done, 2), status(u"slow"_s, EngineStatus::Receiving, 3),
        status(u"later"_s, EngineStatus::Waiting, 0),
        status(u"dead"_s, EngineStatus::Failed, 0, u"時間切れ"_s)};
    const QStringList keywords = {u"夏目"_s, u"漱石"_s, u"小説"_s};
    EXPECT_EQ(
        RunToolTip(keywords, statuses, false).split(u'\n'),
        (QStringList{u"検索語: 夏目 漱石 小説"_s, u"alpha: 完了 (2 件)"_s, u"slow: 受信中 (3 件)"_s,
                     u"later: 待機中"_s, u"dead: 失敗: 時間切れ"_s}));
    // Stopped: what was still going says so, with its rows so far.
    EXPECT_EQ(
        RunToolTip(keywords, statuses, true).split(u'\n'),
        (QStringList{u"検索語: 夏目 漱石 小説"_s, u"alpha: 完了 (2 件)"_s, u"slow: 中止 (3 件)"_s,
                     u"later: 中止 (0 件)"_s, u"dead: 失敗: 時間切れ"_s}));
    EXPECT_EQ(RunToolTip({}, {}, false), QString());
}
