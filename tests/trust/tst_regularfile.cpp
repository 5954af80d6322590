// Reading a file the program is given: a regular file is read whole within its bound; a FIFO
// (no writer, so an open that waited would never return), a link to a device and a file past
// the bound are refused at once with a sentence naming the file; a file of /proc that tells no
// size is read to its end.
#include "regularfile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestRegularFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestFiles::write("small.txt", "12345678"));
        QVERIFY(::mkfifo("fifo.txt", 0600) == 0);
        QVERIFY(QFile::link("/dev/zero", "zero.txt"));
        QVERIFY(QDir().mkdir("folder.txt"));
    }

    void reads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error"); // %P is the path
        QTest::newRow("whole") << "small.txt" << qint64(8) << QByteArray("12345678") << "";
        QTest::newRow("past the bound") << "small.txt" << qint64(7) << QByteArray()
                                        << "%P is larger than 7 bytes, more than such a file holds";
        QTest::newRow("FIFO without a writer")
            << "fifo.txt" << RegularFile::MiB << QByteArray() << "%P is not a regular file";
        QTest::newRow("link to /dev/zero")
            << "zero.txt" << RegularFile::MiB << QByteArray() << "%P is not a regular file";
        QTest::newRow("folder") << "folder.txt" << RegularFile::MiB << QByteArray()
                                << "%P is not a regular file";
        QTest::newRow("missing") << "none.txt" << RegularFile::MiB << QByteArray()
                                 << "%P cannot be opened (No such file or directory)";
        // /proc tells a size of 0 and holds more: the size told is no bound on the reading.
        QTest::newRow("no size told")
            << "/proc/self/status" << 64 * RegularFile::KiB << QByteArray("Name:") << "";
        QTest::newRow("no size told, past the bound")
            << "/proc/self/status" << qint64(10) << QByteArray()
            << "%P is larger than 10 bytes, more than such a file holds";
    }
    void reads()
    {
        QFETCH(QString, path);
        QFETCH(qint64, limit);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QByteArray read = "stale";
        QString why;
        QCOMPARE(RegularFile::read(path, limit, &read, &why), error.isEmpty());
        QCOMPARE(why, QString(error).replace("%P", path));
        if (error.isEmpty())
            QVERIFY2(read.startsWith(bytes) && read.size() <= limit, read.constData());
        else
            QCOMPARE(read, QByteArray("stale"));
    }

    // The descriptor of a regular file waits for its reads again, and a child does not inherit
    // it.
    void openedDescriptor()
    {
        QString error;
        const int descriptor = RegularFile::open(AT_FDCWD, "small.txt", O_RDONLY, "s", &error);
        QVERIFY(descriptor >= 0 && error.isEmpty());
        QCOMPARE(::fcntl(descriptor, F_GETFL) & O_NONBLOCK, 0);
        QVERIFY((::fcntl(descriptor, F_GETFD) & FD_CLOEXEC) != 0);
        ::close(descriptor);
    }
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
