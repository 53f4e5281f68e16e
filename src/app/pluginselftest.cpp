#include "app/pluginselftest.h"

#include "app/searchrun.h"
#include "common/inifile.h"
#include "common/searchsettings.h"
#include "platform/messagesink.h"
#include "retrieval/mergedresults.h"
#include "retrieval/resultsmodel.h"
#include "searchplugins/plugincatalogue.h"
#include "searchplugins/pluginfolder.h"

#include <QElapsedTimer>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace sokuri {

namespace {

// Messages of a run under test become its cause instead of a dialog.
class CollectedMessages final : public MessageSink
{
public:
    void critical(const UserMessage& message) override { text = message.text; }
    void information(const UserMessage& message) override { text = message.text; }
    QString text;
};

} // namespace

struct PluginSelfTest::Run
{
    Run(const AppPaths& paths)
        : search(paths, catalogue, results, messages)
    {}

    PluginCatalogue catalogue;
    ResultsModel results;
    CollectedMessages messages;
    SearchRun search;
    PluginTestReport report;
    EngineStatus status;
    QElapsedTimer clock;
};

QString TestQueryOf(const AppPaths& paths, const QString& plugin)
{
    const QString query =
        GetIniString(u"init"_s, u"testquery"_s, PluginFilePath(paths, plugin)).trimmed();
    return query.isEmpty() ? QString::fromUtf16(DefaultTestQuery) : query;
}

QString DescribeTestReport(const PluginTestReport& report)
{
    QString text = report.plugin + (report.passed() ? u": 合格"_s : u": 不合格"_s) + u'\n';
    text += u"  検索語: "_s + report.query + u'\n';
    text += u"  件数: %1\n"_s.arg(report.rows);
    if (report.passed()) {
        text += u"  最初のタイトル: "_s + report.firstTitle + u'\n';
        text += u"  アドレス: "_s +
                (report.firstAddress.isEmpty() ? u"(なし)"_s : report.firstAddress) + u'\n';
    } else {
        text += u"  原因: "_s + report.cause + u'\n';
    }
    text += u"  時間: %1 秒\n"_s.arg(double(report.milliseconds) / 1000.0, 0, 'f', 1);
    return text;
}

PluginSelfTest::PluginSelfTest(const AppPaths& paths, QObject* parent)
    : QObject(parent)
    , m_paths(paths)
{}

PluginSelfTest::~PluginSelfTest() = default;

void PluginSelfTest::start(const QStringList& plugins)
{
    if (isRunning())
        return;
    m_reports.clear();
    m_pending = plugins;
    // Started from the event loop, so the caller connects first and a test
    // without plugins still ends with finished().
    QTimer::singleShot(0, this, &PluginSelfTest::next);
    m_run = std::make_unique<Run>(m_paths);
}

void PluginSelfTest::stop()
{
    m_pending.clear();
    if (m_run && m_run->search.isRunning())
        m_run->search.stop();
}

void PluginSelfTest::next()
{
    if (m_pending.isEmpty()) {
        m_run.reset();
        emit finished();
        return;
    }
    const QString plugin = m_pending.takeFirst();
    m_run = std::make_unique<Run>(m_paths);
    Run& run = *m_run;
    run.report.plugin = plugin;
    run.report.query = TestQueryOf(m_paths, plugin);
    run.catalogue.load(m_paths);
    run.catalogue.setCheckedByName(plugin, true);
    if (!run.catalogue.checkedNames().contains(plugin)) {
        run.report.cause = plugin + u" というプラグインがありません"_s;
        m_reports.append(run.report);
        emit reported(run.report);
        QTimer::singleShot(0, this, &PluginSelfTest::next);
        return;
    }
    run.search.setSearchSettings(LoadSearchSettings(m_paths));
    run.search.setDefaultTimeout(m_timeout);
    connect(&run.search, &SearchRun::engineStatusChanged, this,
            [this](int, const EngineStatus& status) { m_run->status = status; });
    connect(&run.search, &SearchRun::finished, this, &PluginSelfTest::runEnded,
            Qt::QueuedConnection);
    run.clock.start();
    // A run that cannot go on (every engine resting) ends inside start; its
    // finished() arrives queued all the same, so the report is made once.
    run.search.start(InputMode::Keywords, run.report.query);
}

void PluginSelfTest::runEnded()
{
    Run& run = *m_run;
    PluginTestReport& report = run.report;
    report.milliseconds = run.clock.isValid() ? run.clock.elapsed() : 0;
    const QList<ResultRow>& rows = run.results.rows();
    report.rows = int(rows.size());
    if (!rows.isEmpty()) {
        report.firstTitle = rows.constFirst().title;
        report.firstAddress = TitleLink(rows.constFirst());
    } else if (!run.status.reason.isEmpty()) {
        report.cause = run.status.reason;
    } else if (!run.messages.text.isEmpty()) {
        report.cause = run.messages.text;
    } else if (run.status.kind == EngineStatus::Done) {
        report.cause = u"答えに結果がありません"_s;
    } else {
        report.cause = DescribeStatus(run.status);
    }
    m_reports.append(report);
    emit reported(report);
    QTimer::singleShot(0, this, &PluginSelfTest::next);
}

} // namespace sokuri
