// The background-work mechanism every long job uses: the stop request reaches the work, the
// end and the results arrive on the owner's thread, a job runs once at a time, and a job
// destroyed while running stops its work before the work's data goes.

#include "platform/jobs/BackgroundJob.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <memory>

using namespace q32;

class TestBackgroundJob : public QObject {
    Q_OBJECT
private slots:
    void runsOffThreadAndEndsOnTheOwnersThread() {
        BackgroundJob job;
        QThread* worker = nullptr;
        QThread* endedOn = nullptr;
        int result = 0;
        connect(&job, &BackgroundJob::finished, this, [&] {
            endedOn = QThread::currentThread();
            QVERIFY(!job.isRunning());
        });
        std::atomic<bool> release{false};
        QVERIFY(job.start([&](const std::atomic<bool>&) {
            worker = QThread::currentThread();
            while (!release)
                QThread::msleep(1);
            result = 42;
        }));
        QVERIFY(job.isRunning());
        // A second start while the first runs is refused.
        QVERIFY(!job.start([](const std::atomic<bool>&) {}));
        release = true;
        QSignalSpy finished(&job, &BackgroundJob::finished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(result, 42);
        QVERIFY(worker && worker != QThread::currentThread());
        QCOMPARE(endedOn, QThread::currentThread());

        // Started again, the stop request of the last run is forgotten.
        job.requestStop();
        bool stoppedAtStart = true;
        QVERIFY(job.start([&](const std::atomic<bool>& stop) { stoppedAtStart = stop; }));
        QVERIFY(finished.wait(10000));
        QVERIFY(!stoppedAtStart);
    }

    void stopReachesTheWorkAndDestructionStopsIt() {
        // Two jobs run at once even on one core: a long job never waits for another.
        auto first = std::make_unique<BackgroundJob>();
        BackgroundJob second;
        std::atomic<int> running{0};
        auto spin = [&](const std::atomic<bool>& stop) {
            ++running;
            while (!stop)
                QThread::msleep(1);
            --running;
        };
        QVERIFY(first->start(spin));
        QVERIFY(second.start(spin));
        QTRY_COMPARE_WITH_TIMEOUT(running.load(), 2, 10000);

        QSignalSpy finished(&second, &BackgroundJob::finished);
        second.requestStop();
        QVERIFY(finished.wait(10000));
        QCOMPARE(running.load(), 1);
        // Destroyed while running: the work has stopped once the job is gone.
        first.reset();
        QCOMPARE(running.load(), 0);
    }
};

QTEST_MAIN(TestBackgroundJob)
#include "tst_backgroundjob.moc"
