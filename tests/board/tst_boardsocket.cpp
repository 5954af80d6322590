// The whole program (every tool applet and the board page) driven through its own socket,
// against the whole simulated board: the board gets only the lines a request asks for.
#include "animationimage.h"
#include "boardappfixture.h"
#include "dialogprogressbar.h"
#include "logrecorder.h"
#include "logs.h"
#include "mainwindow.h"
#include "pipeclient.h"
#include "programtestmain.h"
#include "simulatedboard.h"
#include "tablerows.h"
#include "testfiles.h"
#include "toolapplets.h"
#include "x11tools.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

using Lines = QList<QByteArray>;

// The read of the KVL52404 map word 55, the boost voltage's measurement.
const QByteArray ReadWord55 = "set SPILEDCS0DATA=046e000009|get SPILEDCS0DATA";

// A request for one bound widget of the page that changes what it shows: a box is ticked, a
// field flips its lowest bit, a number steps by one within the variable's range. Empty when
// the widget takes no value.
QByteArray changeRequest(const Binding &b, CustomControls::UniversalControl *w)
{
    const QByteArray name = "Board." + w->registerName(2).toLatin1();
    if (!w->isWritable() || (b.isRegister() ? b.reg->isReadOnly() : b.variable->isReadOnly()))
        return QByteArray();
    if (w->type() == CustomControls::UniversalControl::CheckBoxControl)
        return "set\t" + name + "\ti1\n";
    if (b.isRegister()) {
        const quint32 value = b.reg->getField(w->registerName(2));
        return "set\t" + name + "\ti" + QByteArray::number(value ^ 1u) + "\n";
    }
    if (b.variable->type() == Variable::TypeString)
        return QByteArray();
    const double value = b.variable->value();
    const double changed = value + 1 <= b.variable->max() ? value + 1 : value - 1;
    return "set\t" + name + "\tf" + QByteArray::number(changed) + "\n";
}

// A client on a plain socket, for a thread that must not wait: connects to the program's socket,
// writes batch and half-closes. The descriptor, or -1.
int sendRequest(const QByteArray &socketPath, const QByteArray &batch)
{
    sockaddr_un address{AF_UNIX, {}};
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::send(fd, batch.constData(), size_t(batch.size()), MSG_NOSIGNAL) != batch.size() ||
        ::shutdown(fd, SHUT_WR) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The reply on a descriptor of sendRequest up to the program's close, serving events meanwhile.
QByteArray receiveReply(int fd)
{
    QByteArray reply;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired();) {
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0)
            break;
        if (n > 0)
            reply.append(buffer, n);
        else if (errno == EAGAIN)
            QTest::qWait(5);
        else
            return "<failed>";
    }
    ::close(fd);
    return reply;
}

// The slave address of a matrix frame.
int frameAddress(const QPair<int, QByteArray> &frame)
{
    return quint8(frame.second.at(1)) & 0x1F;
}

} // namespace

class TestBoardSocket : public QObject
{
    Q_OBJECT

    SilentTones tones;
    RecordingPrompt prompt;
    SimulatedBoard sim;
    MainApp *app = MainApp::instance();

    static QByteArray request(const QByteArray &batch)
    {
        return PipeClient::exchange(PipeClient::programPipe(), batch);
    }

    // The lines the board received since the last call, without the rate lines that the link
    // sends on its own around connecting.
    Lines take()
    {
        Lines lines = sim.board.lines();
        sim.board.clearRecords();
        lines.removeIf([](const QByteArray &l) { return l.startsWith("set baudrate="); });
        return lines;
    }

    // The reply to one request line and the lines it sent, apart by "|".
    QPair<QByteArray, QByteArray> exchange(const QByteArray &line)
    {
        take();
        const QByteArray reply = request(line + "\n");
        return {reply, take().join('|')};
    }

    // What the board heard until the page has no live update pending: a change of the duties
    // reaches the chips a moment later, when the update's timer runs out.
    QByteArray settle()
    {
        QByteArray heard;
        Lines lines;
        do {
            QCoreApplication::processEvents();
            if (!QTest::qWaitFor([this]() { return !LiveSendProbe::pending(page()); }, 30000))
                return heard + "|<live update still pending>";
            lines = take();
            heard += lines.join('|');
        } while (!lines.isEmpty());
        return heard;
    }

    // Connects through the socket to the simulated board holding the EEPROM image, from no
    // connection, as at a start.
    bool open(FakeSpiEeprom::Image image)
    {
        sim.eeprom.load(FakeSpiEeprom::image(image));
        const QByteArray reply =
            request("run\tclose\nrun\topen\ts" + sim.board.devicePath().toLatin1() + "\n");
        take();
        return reply == QByteArray("i1i1") && app->isConnected();
    }

    // The page shown with its tab (on X11, the main window active, as a person has them).
    void showTab(const char *tab)
    {
        auto *tabs = page()->findChild<QTabWidget *>("tabWidget");
        tabs->setCurrentWidget(tabs->findChild<QWidget *>(tab));
        page()->showWindow();
        MainWindow *window = app->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            return;
        X11Tools::output("xdotool", {"windowactivate", QString::number(window->winId())});
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window, 30000);
    }
    // Where a person clicks widget (in its own place), brought into view.
    static QPoint pointOf(QWidget *widget)
    {
        for (QWidget *w = widget; w; w = w->parentWidget())
            if (auto *area = qobject_cast<QScrollArea *>(w))
                area->ensureWidgetVisible(widget);
        return QPoint(6, widget->height() / 2); // a box's tick, a field's first letter
    }
    // The duty box over switch n's slider.
    QSpinBox *dutyBox(int n) const
    {
        const auto *slider = page()->findChild<QSlider *>(QStringLiteral("SW%1").arg(n));
        for (QSpinBox *box : slider->parentWidget()->findChildren<QSpinBox *>())
            if (qAbs(box->geometry().center().x() - slider->geometry().center().x()) <
                    slider->width() &&
                box->y() < slider->y())
                return box;
        return nullptr;
    }
    // The first switch's step in the live image the board's flash holds, or -1.
    int liveStepOne() const
    {
        const QByteArray image = sim.flash.read(Board::FlashStartAddress, 256);
        const int begin = 8 + (image.size() > 6 ? quint8(image.at(6)) : 0); // header, device bytes
        return image.startsWith("START") && image.size() > begin ? quint8(image.at(begin)) : -1;
    }

    Board *page() const
    {
        return qobject_cast<Board *>(app->findApplet(QStringLiteral("Board"), MainApp::ByName));
    }
    bool checked(const char *box) const
    {
        return page()->findChild<QAbstractButton *>(QLatin1String(box))->isChecked();
    }

    // One batch changing every bound widget of every tab, the slave address last (to a chip
    // the bus carries).
    QByteArray changeEveryControl() const
    {
        QByteArray batch;
        QSet<QString> done{QStringLiteral("SA")};
        for (const QString &item : page()->itemNames()) {
            const Binding *b = page()->binding(item);
            for (CustomControls::UniversalControl *w : b->widgets)
                if (!done.contains(w->registerName(2))) {
                    done.insert(w->registerName(2));
                    batch += changeRequest(*b, w);
                }
        }
        return batch + "set\tBoard.SA\ti7\n";
    }

    // Reads of word 55 by address and by name, and of the status word 16 of chip 7, twice each:
    // each sends its own lines, the same both times, and nothing follows later.
    void checkOwnLines()
    {
        for (const char *line : {"run\tBoard.Read\ts55", "run\tBoard.ReadVBOOST"})
            for (int round = 0; round < 2; ++round)
                QCOMPARE(exchange(line), qMakePair(QByteArray("i1"), ReadWord55));
        const auto status = exchange("run\tBoard.Read_REG_16");
        QVERIFY2(status.second.startsWith("set SER2PXNDATA=0e03550710|get SER2DATA"),
                 status.second);
        for (const QByteArray &line : status.second.split('|')) // a flag clear may follow
            QVERIFY2(line.contains("SER2") || line.startsWith("set P110MAPENAREG=07"), line);
        QCOMPARE(exchange("run\tBoard.Read_REG_16"), status);
        QCOMPARE(settle(), QByteArray());
    }

private slots:
    void initTestCase()
    {
        Board::setDelayHook([](unsigned) {});
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(TestFiles::installShippedConfiguration());
        sim.addDefaultChips();
        QVERIFY(app->init());
        app->start();
    }
    void cleanupTestCase()
    {
        app->shutdown();
        Board::setDelayHook(nullptr);
    }

    // Before any board is connected the page sends nothing and reports no error.
    void startWithoutBoard()
    {
        QCOMPARE(app->logs()->errors(), 0);
        QCOMPARE(prompt.messages().size(), 0);
        QCOMPARE(take(), Lines());
    }

    // The start-up state of a widget overwrites no model default.
    void mockupDefaults()
    {
        QCOMPARE(request("run\topen\tsmockup\nget\tBoard.BoostVoltage\nget\tBoard.IAVERAGE1\n"),
                 QByteArray("i1f50.1f101"));
        QCOMPARE(widgetsOutOfStep(page()).join(" | "), QString());
    }

    // Each LED-control line has a static and a PWM box on both power-stage tabs: ticking one
    // unticks the other, variable and boxes alike, and only the ticking sends.
    void ledControlBoxes()
    {
        QVERIFY(open(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(exchange("set\tBoard.PWM1\ti1"),
                 qMakePair(QByteArray("ok\n"), QByteArray("set PWM0DUTY=50")));
        QCOMPARE(request("get\tBoard.LEDCTRL1\nget\tBoard.PWM1\n"), QByteArray("f0f1"));
        QCOMPARE(QList<bool>({checked("cbLEDCTRL1"), checked("cbLEDCTRL1P404"), checked("cbPWM1"),
                              checked("cbPWM1P404")}),
                 QList<bool>({false, false, true, true}));
        for (int round = 0; round < 2; ++round)
            QCOMPARE(exchange("run\tBoard.ReadVBOOST"), qMakePair(QByteArray("i1"), ReadWord55));
        QCOMPARE(exchange("set\tBoard.LEDCTRL1\ti1").second, QByteArray("set PWM0DUTY=100"));
        QCOMPARE(request("get\tBoard.PWM1\n"), QByteArray("f0"));
        QVERIFY(!checked("cbPWM1P404") && checked("cbLEDCTRL1P404"));
    }

    // After each set-up, and again with every control of every tab changed, every control
    // shows the model and each request sends exactly its own lines.
    void requestsSendOnlyTheirOwnLines()
    {
        for (auto image : {FakeSpiEeprom::Kvl52205Board, FakeSpiEeprom::Kvl52404Board,
                           FakeSpiEeprom::Kvl52404BuckBoard}) {
            QVERIFY(open(image));
            QCOMPARE(request("set\tBoard.SA\ti7\n"), QByteArray("ok\n"));
            QCOMPARE(widgetsOutOfStep(page()).join(" | "), QString());
            checkOwnLines();
            request(changeEveryControl());
            settle();
            QCOMPARE(widgetsOutOfStep(page()).join(" | "), QString());
            checkOwnLines();
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A person's multi-register command on the Control registers tab ("Write All", "Read All"):
    // requests that arrive while its loop runs (its progress window lets events through) wait
    // until it is done and are answered then, in order. Every word goes to the chip the loop
    // started with, and no command of a request runs between two of its words.
    void personsCommandHoldsRequests()
    {
        QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        const SocketDir dir; // the socket's address goes through its descriptor
        const QByteArray socketPath = QFile::encodeName(dir.address(PipeClient::programPipe()));
        std::atomic<int> client{-2};
        for (const char *button : {"btWriteEEPROM_49", "btWriteEEPROM_48"}) {
            QCOMPARE(request("set\tBoard.SA\ti7\n"), QByteArray("ok\n"));
            const qsizetype before = sim.bus.frames().size();
            // The loop's first frame sends the requests, from the simulator's thread.
            client = -2;
            sim.board.setTrace([&](const QByteArray &text) {
                if (text.startsWith("> set SER2PXNDATA=") && client == -2)
                    client = sendRequest(socketPath, "set\tBoard.SA\ti1\nrun\tBoard.Write_REG_1\n");
            });
            QAbstractButton *all = page()->findChild<QAbstractButton *>(button);
            QVERIFY(all && all->isEnabled());
            all->click();
            sim.board.setTrace(nullptr);
            QVERIFY(client >= 0);
            const QList<QPair<int, QByteArray>> loop = sim.bus.frames().mid(before);
            QList<int> addresses;
            for (const auto &frame : loop)
                addresses.append(frameAddress(frame));
            QVERIFY2(addresses.size() >= 15, button);
            QCOMPARE(addresses, QList<int>(addresses.size(), 7));
            QCOMPARE(receiveReply(client), QByteArray("ok\ni1"));
            const QList<QPair<int, QByteArray>> after = sim.bus.frames().mid(before + loop.size());
            QCOMPARE(after.isEmpty() ? -1 : frameAddress(after.first()), 1);
            QCOMPARE(request("get\tBoard.SA\n"), QByteArray("f1"));
        }
    }

    // The live image a change on the page writes (the update timer's work, with a pause after
    // each block) lets no request into its sequence: one sent at its first block runs after the
    // playback's start that ends it.
    void liveImageHoldsRequests()
    {
        QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        settle();
        const SocketDir dir;
        const QByteArray socketPath = QFile::encodeName(dir.address(PipeClient::programPipe()));
        std::atomic<int> client{-2};
        sim.board.setTrace([&](const QByteArray &text) {
            if (text.startsWith("> set flash=") && client == -2)
                client = sendRequest(socketPath, "run\tBoard.Read\ts55\n");
        });
        Board::setDelayHook(nullptr); // each block's pause as for a person
        QSpinBox *duty = dutyBox(1);
        duty->setValue(duty->value() == 21 ? 22 : 21);
        QTRY_VERIFY_WITH_TIMEOUT(client >= 0, 30000);
        const QByteArray reply = receiveReply(client);
        sim.board.setTrace(nullptr);
        const QByteArray heard = settle();
        Board::setDelayHook([](unsigned) {});
        QCOMPARE(reply, QByteArray("i1"));
        const qsizetype read = heard.indexOf(ReadWord55);
        QVERIFY2(read > heard.lastIndexOf("set p110animation="), heard.constData());
        // Nor does an update due within a person's "Write All" go into its sequence: it is
        // written once the loop is done.
        QCOMPARE(request("set\tBoard.SA\ti7\n"), QByteArray("ok\n"));
        take();
        Board::setDelayHook(nullptr);
        duty->setValue(duty->value() == 21 ? 22 : 21);
        QTest::mouseClick(page()->findChild<QAbstractButton *>("btWriteEEPROM_49"), Qt::LeftButton);
        const QByteArray all = settle();
        Board::setDelayHook([](unsigned) {});
        QVERIFY2(all.indexOf("set flash=") > all.lastIndexOf("set SER2PXNDATA="), all.constData());
    }

    // A name that names nothing keeps its reply, and the log gets a warning naming it; names
    // that exist give none.
    void unknownNamesAreWarned()
    {
        QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        QSignalSpy logged(app, &MainApp::signal_log);
        const QList<QPair<QByteArray, QByteArray>> requests{{"set\tfoo\ti1", "ok\n"},
                                                            {"get\tNoSuch", ""},
                                                            {"run\tNoSuchCommand", ""},
                                                            {"run\tBoard.NoSuchCommand", "i0"},
                                                            {"get\tBoard.NoSuchItem", "err\n"},
                                                            {"set\tBoard.NoSuchItem\ti1", "err\n"},
                                                            {"run\tLogs.NoSuchCommand\tsx", "i0"},
                                                            {"get\tNoSuch.Item", "err\n"},
                                                            {"set\tNoSuch.Item\ti1", "err\n"},
                                                            {"run\tNoSuch.Item", "err\n"}};
        for (const auto &[line, reply] : requests) {
            logged.clear();
            QCOMPARE(request(line + "\n"), reply);
            QStringList warnings;
            for (const QList<QVariant> &entry : std::as_const(logged))
                if (entry.at(0).toInt() > 0 && entry.at(0).toInt() <= 100)
                    warnings.append(entry.at(1).toString());
            const QString name = QString::fromLatin1(line.split('\t').at(1));
            const QString item = name.mid(name.indexOf('.') + 1);
            QVERIFY2(warnings.size() == 1 && warnings.first().contains(item), qPrintable(name));
            QVERIFY2(warnings.first().contains(QString::fromLatin1(line.split('\t').at(0))),
                     qPrintable(warnings.first()));
        }
        logged.clear();
        QCOMPARE(request("set\tBoard.SA\ti7\nget\tBoard.SA\nget\tversion\nrun\tBoard.Read_REG_1\n"
                         "run\tLogs.log\tsHello\nset\tBoard.BANK[ON1]\ti5\n"),
                 QByteArray("ok\nf7sWed Jan 08 12:43:22 2019i1i1ok\n"));
        for (const QList<QVariant> &entry : std::as_const(logged))
            QVERIFY2(!entry.at(1).toString().startsWith("Request"),
                     qPrintable(entry.at(1).toString()));
    }

    // Without a slave address (SA -1) no register command reaches any chip, and each fails.
    void noSlaveAddress()
    {
        QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        QCOMPARE(request("set\tBoard.SA\ti-1\nset\tBoard.BROADCAST\ti0\n"), QByteArray("ok\nok\n"));
        QStringList commands{"Read_all1", "Read_all2", "Write_all"};
        for (int n = 0; n <= 18; ++n)
            commands << QStringLiteral("Read_REG_%1").arg(n);
        for (int n = 0; n <= 14; ++n)
            commands << QStringLiteral("Write_REG_%1").arg(n);
        LogRecorder log(page());
        for (int service : {0, 1}) {
            request("set\tBoard.BANK[SERVICE]\ti" + QByteArray::number(service) + "\n");
            for (const QString &command : commands)
                QCOMPARE(exchange("run\tBoard." + command.toLatin1()),
                         qMakePair(QByteArray("i0"), QByteArray()));
        }
        // The multi-register commands say why, each as a warning.
        int warned = 0;
        for (const auto &[level, text] : log.entries())
            if (text == QLatin1String("SA -1 is not a slave address (0..31)")) {
                QCOMPARE(level, 1);
                ++warned;
            }
        QVERIFY(warned >= 2);
    }

    // An integer item (a variable of whole numbers, a register's field, bits or whole value)
    // takes only a whole number within its range, whatever the value's type letter: anything
    // else answers "err" with an error in the log, sends nothing and leaves the item as it was.
    // A whole real is a whole number.
    void integerItemsTakeWholeNumbersInRange_data()
    {
        addRows<QByteArray, QByteArrayList, QByteArray, QByteArray>(
            {"item", "refused", "accepted", "readBack"},
            {{"Board.SA", {"f2.5", "f1e-320", "f1e300", "f-1.5", "i32", "s2.5"}, "f3", "f3"},
             {"Configuration.SACONF",
              {"f2.5", "f-1", "i-1", "f1e-320", "f1e300", "i35"},
              "f7",
              "f7"},
             {"SpiEEPROM.DataIn", {"f2.5", "i-1", "f1e-320", "i256"}, "i255", "f255"},
             {"Board.BANK[TR1]", {"f2.5", "f-1", "i-1", "f1e-320", "f1e300", "i16"}, "f15", "i15"},
             {"Board.BANK[3:0]", {"i-1", "f0.5", "i16", "s-1"}, "i9", "i9"},
             {"Board.DCREG[]", {"i-1", "f2.5", "f1e-320"}, "", ""}});
    }

    void integerItemsTakeWholeNumbersInRange()
    {
        QFETCH(QByteArray, item);
        QFETCH(QByteArrayList, refused);
        QFETCH(QByteArray, accepted);
        QFETCH(QByteArray, readBack);
        if (!app->isConnected())
            QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        QSignalSpy logged(app, &MainApp::signal_log);
        const QByteArray before = request("get\t" + item + "\n");
        for (const QByteArray &value : refused) {
            logged.clear();
            QCOMPARE(exchange("set\t" + item + "\t" + value),
                     qMakePair(QByteArray("err\n"), QByteArray()));
            QCOMPARE(request("get\t" + item + "\n"), before);
            QVERIFY2(logged.size() == 1 && logged.first().at(0).toInt() == -1 &&
                         logged.first().at(1).toString().contains(QString::fromLatin1(item)),
                     value.constData());
        }
        if (accepted.isEmpty())
            return;
        QCOMPARE(request("set\t" + item + "\t" + accepted + "\n"), QByteArray("ok\n"));
        QCOMPARE(request("get\t" + item + "\n"), readBack);
    }

    // On a desktop, connected to the simulated board: a person types a duty into SW1's box, a key
    // every 150 ms, then Tab, while each change writes the live image to the board with a pause
    // after each block. Every key is kept, the keyboard moves on, and the board gets the duty.
    void typingKeepsEveryKey()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("a person's keys as an X server delivers them: runs as tst_boardsocket_x11");
        QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        QVERIFY(checked("cbAutoupdate"));
        showTab("application");
        QSpinBox *duty = dutyBox(1);
        QVERIFY(duty);
        pointOf(duty);
        duty->setFocus();
        duty->selectAll();
        Board::setDelayHook(nullptr); // each block's pause as for a person
        QProcess person;
        person.start("sh", {"-c", "xdotool type --delay 150 21 && sleep 0.15 && xdotool key Tab"});
        QVERIFY(person.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(person.state() == QProcess::NotRunning, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!duty->hasFocus(), 30000);
        QCOMPARE(duty->text(), QString("21"));
        QCOMPARE(settle().contains("<live update still pending>"), false);
        Board::setDelayHook([](unsigned) {});
        QCOMPARE(liveStepOne(), int(AnimationImage::stepValue(21)));
    }

    // The main window closed during a person's "Write All" (by the window manager on X11, as by
    // a click on its close button; by the compositor elsewhere) while a script sends: the program
    // says within the loop that it ends once the command is done, and from then on refuses every
    // request; the loop runs whole, and the window closes after it. The clicks and the key the
    // person gave just before the Close (a box ticked, Space on it, another box) take effect after
    // the loop, in order: the progress window blocks none. Last: the program ends.
    void closeDuringWriteAll()
    {
        QVERIFY(open(FakeSpiEeprom::Kvl52205Board));
        QCOMPARE(request("set\tBoard.SA\ti7\nset\tBoard.BANK[SERVICE]\ti0\n"),
                 QByteArray("ok\nok\n"));
        showTab("control");
        MainWindow *window = app->mainWindow();
        const WId id = window->winId();
        // SW2's and SW1's boxes of register 0 (keys go to boxes only: Qt's Wayland platform
        // fails on a field's key where the compositor has no seat, as a headless one has none).
        QCheckBox *boxes[] = {page()->findChild<QCheckBox *>("cb_sw2"),
                              page()->findChild<QCheckBox *>("cb_sw1")};
        const bool wereTicked[] = {boxes[0]->isChecked(), boxes[1]->isChecked()};
        QVERIFY(boxes[0]->isEnabled() && boxes[1]->isEnabled());
        const QPoint clicks[] = {boxes[0]->mapTo(window, pointOf(boxes[0])),
                                 boxes[1]->mapTo(window, pointOf(boxes[1]))};
        const auto onScreen = [](QCheckBox *box) {
            return X11Tools::point(box->mapToGlobal(pointOf(box)));
        };
        const QStringList person = // xdotool's commands: click SW2, Space on it, click SW1
            QStringList("mousemove") + onScreen(boxes[0]) +
            QStringList{"click", "1", "key", "space", "mousemove"} + onScreen(boxes[1]) +
            QStringList{"click", "1"};
        QStringList done;
        for (QCheckBox *box : boxes)
            connect(box, &QCheckBox::toggled, this, [&done, box]() {
                bool writing = false;
                for (QWidget *w : QApplication::topLevelWidgets())
                    writing = writing || (qobject_cast<DialogProgressBar *>(w) && w->isVisible());
                done << box->objectName() + (writing ? " during Write All" : "");
            });
        const QByteArray socket = QFile::encodeName(SocketDir().address(PipeClient::programPipe()));
        std::atomic<int> words{0}, sent{0}, refused{0};
        std::atomic<bool> said{false};
        sim.board.setTrace([&](const QByteArray &text) { // the simulator's thread
            if (!text.startsWith("> set SER2PXNDATA=") || ++words > 1) {
                const int fd = said ? sendRequest(socket, "get\tversion\n") : -2;
                sent += fd != -2;
                refused += fd == -1;
                ::close(fd);
            } else if (qEnvironmentVariableIsSet("KVL_TEST_X11")) {
                X11Tools::output("xdotool", person);
                X11Tools::closeAsAPerson(id);
            } else { // through the window system's interface, as the platform hands them on
                QMetaObject::invokeMethod(
                    window,
                    [window, clicks]() {
                        QWindow *handle = window->windowHandle();
                        QTest::mouseClick(handle, Qt::LeftButton, {}, clicks[0]);
                        QTest::keyClick(handle, Qt::Key_Space);
                        QTest::mouseClick(handle, Qt::LeftButton, {}, clicks[1]);
                        QWindowSystemInterface::handleCloseEvent(handle);
                    },
                    Qt::QueuedConnection);
            }
        });
        bool refusedWhenSaid = false;
        const auto saying = connect(app, &MainApp::signal_log, this, [&](int, const QString &t) {
            if (said || t != "The program ends once the running command is done")
                return;
            refusedWhenSaid = !PipeClient().connected();
            said = true;
        });
        Board::setDelayHook(nullptr); // the loop pauses as for a person
        QTest::mouseClick(page()->findChild<QAbstractButton *>("btWriteEEPROM_49"), Qt::LeftButton);
        Board::setDelayHook([](unsigned) {});
        sim.board.setTrace(nullptr);
        disconnect(saying);
        QVERIFY(words >= 15 && said && refusedWhenSaid);
        QCOMPARE(refused.load(), sent.load());
        const QStringList inOrder{"cb_sw2", "cb_sw2", "cb_sw1"};
        QTRY_VERIFY2_WITH_TIMEOUT(done == inOrder, qPrintable(done.join(',')), 30000);
        QCOMPARE(boxes[0]->isChecked(), wereTicked[0]);
        QCOMPARE(boxes[1]->isChecked(), !wereTicked[1]);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 30000);
    }
};

KVL_PROGRAM_TEST_MAIN(TestBoardSocket)
#include "tst_boardsocket.moc"
