#pragma once

#include <QObject>

class QSocketNotifier;

namespace sokuri::cli {

// Turns Ctrl+C (SIGINT) into a Qt signal for as long as it lives, so a
// running command can stop cleanly from the event loop instead of being
// killed. The earlier handler comes back when it is destroyed.
class InterruptWatcher : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

signals:
    void interrupted();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace sokuri::cli
