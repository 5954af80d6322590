// The whole program (every tool applet and the board page) driven through its own socket,
// against the whole simulated board: the board gets only the lines a request asks for.
#include "boardappfixture.h"
#include "logs.h"
#include "pipeclient.h"
#include "simulatedboard.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAbstractButton>
#include <QtTest>

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
        for (int service : {0, 1}) {
            request("set\tBoard.BANK[SERVICE]\ti" + QByteArray::number(service) + "\n");
            for (const QString &command : commands)
                QCOMPARE(exchange("run\tBoard." + command.toLatin1()),
                         qMakePair(QByteArray("i0"), QByteArray()));
        }
    }
};

QTEST_MAIN(TestBoardSocket)
#include "tst_boardsocket.moc"
