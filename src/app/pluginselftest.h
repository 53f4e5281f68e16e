#pragma once

#include "common/appstate.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace sokuri {

// The query a plugin is tested with when it names none ("[init] testquery").
inline constexpr char16_t DefaultTestQuery[] = u"日本";

// What one plugin's self-test found: its test query asked of its engine
// alone, as a search would ask it.
struct PluginTestReport
{
    QString plugin;
    QString query;
    int rows = 0;
    QString firstTitle;
    QString firstAddress;
    QString cause;           // why there are no rows, in the user's words
    qint64 milliseconds = 0; // from the start of the run to its end

    bool passed() const { return rows > 0; }
};

// The plugin's test query: "[init] testquery", else DefaultTestQuery.
QString TestQueryOf(const AppPaths& paths, const QString& plugin);

// The report as lines for a person: the plugin and its verdict, then the
// query, the rows, the first title and address, or the cause, and the time.
QString DescribeTestReport(const PluginTestReport& report);

// Tests plugins one after another, each with a search run of its own over
// the real connections (a plugin's key and time-out included), and reports
// each as it ends. Event-driven like a search: start() returns at once.
class PluginSelfTest : public QObject
{
    Q_OBJECT

public:
    explicit PluginSelfTest(const AppPaths& paths, QObject* parent = nullptr);
    ~PluginSelfTest() override;

    // Seconds an engine has for its answer when its plugin names no time-out
    // of its own; a test always has one (30 seconds unless set).
    void setDefaultTimeout(int seconds) { m_timeout = seconds > 0 ? seconds : m_timeout; }

    // Tests the plugins named, in this order. Does nothing while a test runs.
    void start(const QStringList& plugins);
    // Ends the test after the plugin under test; no further plugin is tested.
    void stop();
    bool isRunning() const { return m_run != nullptr; }

    const QList<PluginTestReport>& reports() const { return m_reports; }

signals:
    void reported(const PluginTestReport& report);
    void finished();

private:
    struct Run;
    void next();
    void runEnded();

    AppPaths m_paths;
    int m_timeout = 30;
    QStringList m_pending;
    QList<PluginTestReport> m_reports;
    std::unique_ptr<Run> m_run;
};

} // namespace sokuri
