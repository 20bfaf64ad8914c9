// The timer seam: interval 0 never fires (a bare QTimer would fire continuously), Enabled and
// Interval each start and stop it, and intervals above 65535 ms are kept.
#include <QtTest>

#include "platform/timer.h"

using morvek::platform::Timer;

class TestTimer : public QObject {
    Q_OBJECT
  private slots:
    void interval_0_never_fires_even_when_enabled() {
        Timer timer(0);
        int ticks = 0;
        connect(&timer, &Timer::Tick, [&] { ++ticks; });
        timer.SetEnabled(true);
        QTest::qWait(30);
        QCOMPARE(ticks, 0);
        QVERIFY(timer.Enabled() && !timer.Running());
        // A running timer whose interval drops to 0 stops; raising it again starts it.
        timer.SetInterval(5);
        QTRY_VERIFY_WITH_TIMEOUT(ticks > 0, 2000);
        timer.SetInterval(0);
        ticks = 0;
        QTest::qWait(30);
        QCOMPARE(ticks, 0);
    }

    void enabled_and_interval_decide_running_data() {
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<qint64>("kept");
        QTest::addColumn<bool>("running");
        QTest::newRow("disabled") << qint64(5000) << false << qint64(5000) << false;
        QTest::newRow("enabled") << qint64(5000) << true << qint64(5000) << true;
        QTest::newRow("above_65535_ms") << qint64(70000) << true << qint64(70000) << true;
        QTest::newRow("negative_is_0") << qint64(-5) << true << qint64(0) << false;
        QTest::newRow("past_int_is_the_largest")
            << (qint64(1) << 33) << true << qint64(2147483647) << true;
    }
    void enabled_and_interval_decide_running() {
        QFETCH(qint64, interval);
        QFETCH(bool, enabled);
        Timer timer;
        timer.SetInterval(interval);
        timer.SetEnabled(enabled);
        QFETCH(qint64, kept);
        QCOMPARE(qint64(timer.Interval()), kept);
        QTEST(timer.Running(), "running");
    }
};

QTEST_GUILESS_MAIN(TestTimer)
#include "test_timer.moc"
