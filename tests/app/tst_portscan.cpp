// The port probe on a thread of its own: one at a time, its ports reported on the owner's
// thread, and a scan deleted while its probe runs waits for the probe to end.
#include "portscan.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>

class TestPortScan : public QObject
{
    Q_OBJECT

private slots:
    void oneProbeAtATime()
    {
        PortScan scan;
        QSemaphore mayEnd;
        QThread *probeThread = nullptr;
        QSignalSpy done(&scan, &PortScan::signal_done);
        QVERIFY(scan.start([&]() {
            probeThread = QThread::currentThread();
            mayEnd.acquire();
            return QStringList{"/dev/ttyACM0"};
        }));
        QVERIFY(scan.isRunning());
        QVERIFY(!scan.start([]() { return QStringList(); }));
        mayEnd.release();
        QVERIFY(done.wait(30000));
        QCOMPARE(done.first().first().toStringList(), QStringList{"/dev/ttyACM0"});
        QVERIFY(probeThread && probeThread != thread());
        QVERIFY(!scan.isRunning());
    }

    void deletedWhileProbing()
    {
        auto *scan = new PortScan;
        QSemaphore started;
        std::atomic<bool> ended{false};
        QVERIFY(scan->start([&]() {
            started.release();
            QThread::msleep(200); // a port that answers slowly
            ended = true;
            return QStringList();
        }));
        started.acquire();
        delete scan;
        QVERIFY(ended);
    }
};

QTEST_MAIN(TestPortScan)
#include "tst_portscan.moc"
