#include "common/waitseconds.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace sokuri {

bool WaitSeconds(int seconds)
{
    if (seconds <= 0) {
        QCoreApplication::processEvents();
        return true;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    bool finished = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        finished = true;
        loop.quit();
    });
    deadline.start(std::chrono::seconds(seconds));
    // QCoreApplication::exit() also ends this loop, before the deadline.
    loop.exec();
    return finished;
}

} // namespace sokuri
