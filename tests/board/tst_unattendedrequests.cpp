// Requests over the socket never wait for a person: the program's own dialogs are installed,
// and the boxes a request raises stay open, unanswered, while the request is answered. The
// simulator runs as the fakeboard tool ("--eeprom err": every EEPROM transfer refused) or in
// this process (an older firmware, whose question the request answers by its default, No).
#include "bootloader.h"
#include "errorbar.h"
#include "logrecorder.h"
#include "logs.h"
#include "pipeclient.h"
#include "setupappfixture.h"
#include "simulatedboard.h"
#include "whenmodal.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <cstdio>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

const int WaitMs = 60000;

QStringList openBoxes()
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            texts << box->windowTitle() + ": " + box->text();
    }
    return texts;
}

void closeBoxes()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w))
            w->close();
    }
    QApplication::processEvents();
}

// The first reply of a batch, the boxes open when it came and whether a modal one was waiting;
// the connection is half-closed after the batch and read to its end.
struct Answered {
    QByteArray reply;
    QStringList boxes;
    bool modal = false;
};

Answered request(const QByteArray &batch)
{
    Answered answered;
    QLocalSocket socket;
    if (!PipeClient::connectSocket(&socket, PipeClient::programPipe()))
        return answered;
    socket.write(batch);
    socket.flush();
    ::shutdown(int(socket.socketDescriptor()), SHUT_WR);
    // A modal box that nobody answers is closed after a while, so that a request held by one
    // ends (its reply then comes after the boxes have gone).
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, []() {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(3000);
    const QDeadlineTimer deadline(WaitMs);
    while (socket.bytesAvailable() == 0 && !deadline.hasExpired())
        QTest::qWait(2);
    answered.boxes = openBoxes();
    answered.modal = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr;
    while (socket.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired())
        QTest::qWait(2);
    answered.reply = socket.readAll();
    return answered;
}

// This process's standard error, while the capture lives, into a file of its own.
class StandardErrorCapture
{
public:
    StandardErrorCapture() : m_path(QDir::current().absoluteFilePath("stderr.txt"))
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int file =
            ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~StandardErrorCapture() { restore(); }
    StandardErrorCapture(const StandardErrorCapture &) = delete;
    StandardErrorCapture &operator=(const StandardErrorCapture &) = delete;

    // What was written, the capture ended.
    QString text()
    {
        restore();
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QString m_path;
    int m_saved = -1;
};

bool contains(const QStringList &texts, const QString &part)
{
    return std::any_of(texts.cbegin(), texts.cend(),
                       [&part](const QString &t) { return t.contains(part); });
}

} // namespace

class TestUnattendedRequests : public QObject
{
    Q_OBJECT

    SetupAppFixture f;
    WidgetPrompt widgets;

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        Prompt::install(&widgets);
    }
    void cleanupTestCase()
    {
        closeBoxes();
        Prompt::install(&f.prompt);
    }

    // Every EEPROM transfer refused, with "Log" ticked: the driver board's box is open, not
    // modal, when "open" is answered, and still open after the request; the box's text is in
    // the log too. The log's errors show in the main window's error bar, in no box.
    void informingBoxesStayOpen()
    {
        // In this process: a board that has just started in a process of its own may answer
        // the first keep-alive later than the link waits on a loaded machine.
        SimulatedBoard board;
        board.board.refuse("SPI0CS3DATA");
        const QByteArray device = board.board.devicePath().toLatin1();
        LogRecorder log(f.app);
        f.app->setLogComm(true);
        const Answered answered = request("run\topen\ts" + device + "\n");
        f.app->setLogComm(false);
        QCOMPARE(answered.reply, QByteArray("i1"));
        QVERIFY(!answered.modal);
        const QString driverBox = "BOOST-BUCK: EEPROM is not connected or config data are not "
                                  "valid!\n You will not be able to control the current source.";
        QVERIFY2(answered.boxes.contains(": " + driverBox), qPrintable(answered.boxes.join('|')));
        QVERIFY2(!contains(answered.boxes, "SPI0CS3DATA:err"), qPrintable(answered.boxes.join('|')));
        const ErrorBar *bar = f.app->logs()->errorBar();
        QTRY_VERIFY_WITH_TIMEOUT(!bar->isHidden() && bar->text().contains("SPI0CS3DATA:err"),
                                 WaitMs);
        QTest::qWait(100);
        QVERIFY(openBoxes().contains(": " + driverBox));
        QVERIFY(log.contains(driverBox.simplified()));
        closeBoxes();
        QCOMPARE(request("run\tclose\n").reply, QByteArray("i1"));
    }

    // An older firmware raises the question whether to update: a request, and a run that nobody
    // can answer, take its default, No, and open nothing; the log and standard error say so. A
    // person connecting from the window gets the question as before.
    void questionsTakeTheirDefault()
    {
        f.board.setIdnReply("Velmora,P110,0x0001044B,Mon Aug 26 10:00:00 2024");
        f.app->setOption("ignore_version", false);
        for (const bool headless : {false, true}) {
            LogRecorder log(f.app);
            StandardErrorCapture standardError;
            if (headless) {
                Prompt::setUnattended(true);
                QVERIFY(f.app->connectBoard(f.board.devicePath()));
                Prompt::setUnattended(false);
            } else {
                const Answered answered =
                    request("run\topen\ts" + f.board.devicePath().toLatin1() + "\n");
                QCOMPARE(answered.reply, QByteArray("i1"));
                QVERIFY(!answered.modal);
                QVERIFY(!contains(answered.boxes, "VELMCU FW version not compatible!"));
            }
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            const QString asked = "Nobody to answer \"KVL52110: VELMCU FW version not compatible!: "
                                  "Current version of Firmware might not be compatible";
            const QString took =
                "Do you want to update VELMCU Firmware now?\": took No, the default";
            QVERIFY(log.contains(asked) && log.contains(took));
            const QString err = standardError.text();
            QVERIFY2(err.contains("kvl52110: " + asked) && err.contains(took), qPrintable(err));
            QVERIFY(!f.app->bootloader() || !f.app->bootloader()->isVisible());
            f.app->disconnectBoard();
        }

        QString asked;
        whenModal([&asked](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                asked = box->text();
                box->button(QMessageBox::No)->click();
            }
        });
        QVERIFY(f.app->connectBoard(f.board.devicePath()));
        QCOMPARE(asked, QString("VELMCU FW version not compatible!"));
        f.app->disconnectBoard();
    }
};

QTEST_MAIN(TestUnattendedRequests)
#include "tst_unattendedrequests.moc"
