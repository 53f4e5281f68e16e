#include "common/waitseconds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>
#include <sys/resource.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

TEST(WaitSeconds, WaitsTheFullTimeWhileEventsRun)
{
    int ticks = 0;
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&ticks] { ++ticks; });
    timer.start();

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(WaitSeconds(1));
    EXPECT_GE(clock.elapsed(), 1000);
    EXPECT_GE(ticks, 3);
}

TEST(WaitSeconds, SleepsInsteadOfSpinning)
{
    // A spinning wait would use about a second of CPU here.
    const double before = cpuSeconds();
    ASSERT_TRUE(WaitSeconds(1));
    EXPECT_LT(cpuSeconds() - before, 0.3);
}

TEST(WaitSeconds, ZeroOnlyRunsPendingEvents)
{
    bool ran = false;
    QTimer::singleShot(0, QCoreApplication::instance(), [&ran] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(WaitSeconds(0));
    EXPECT_TRUE(ran);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST(WaitSeconds, QuittingTheApplicationEndsTheWait)
{
    // The wait runs inside the application's own loop, as in the program;
    // quitting ends both and the wait says it did not complete.
    bool completed = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [&completed] {
        QTimer::singleShot(100, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
        completed = WaitSeconds(30);
    });
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::exec();
    EXPECT_FALSE(completed);
    EXPECT_LT(clock.elapsed(), 30000);
}
