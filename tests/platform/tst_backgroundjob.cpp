// The background-work mechanism every long job uses: the stop request reaches the work, the
// end and the results arrive on the owner's thread, a job runs once at a time, and a job
// destroyed while running stops its work before the work's data goes.

#include "platform/jobs/BackgroundJob.h"
#include "platform/jobs/BlockingMap.h"

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

    void callsFromWorkersReachTheOwnerInOrderAndNeverLate() {
        // Plain values written by the worker before each call: under ThreadSanitizer the call
        // must see them without a report.
        BackgroundJob job;
        std::vector<int> written;
        QList<int> seen;
        bool onOwnersThread = true;
        QObject context;
        auto gone = std::make_unique<QObject>();
        QObject* late = gone.get();
        std::atomic<bool> sent{false};
        QVERIFY(job.start([&](const std::atomic<bool>&) {
            CallOnThreadOf(late, [&] { seen << -1; });
            for (int i = 0; i < 5; ++i) {
                written.push_back(i);
                CallOnThreadOf(&context, [&, i] {
                    onOwnersThread = onOwnersThread && QThread::currentThread() == thread();
                    seen << written.at(i);
                });
            }
            sent = true;
        }));
        // Gone after the call was sent and before it arrives (no events run here): dropped.
        while (!sent)
            QThread::msleep(1);
        gone.reset();
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 5, 10000);
        QCOMPARE(seen, QList<int>({0, 1, 2, 3, 4}));
        QVERIFY(onOwnersThread);
        // On the context's own thread the call is made at once.
        CallOnThreadOf(&context, [&] { seen.clear(); });
        QVERIFY(seen.isEmpty());

        // What the parallel calls wrote is there when BlockingMap returns.
        std::vector<int> items(64);
        BlockingMap(items, [](int& item) { item = 7; });
        QCOMPARE(std::count(items.begin(), items.end(), 7), 64);
    }
};

QTEST_MAIN(TestBackgroundJob)
#include "tst_backgroundjob.moc"
