// Each connection configures the controller, detects the LED-driver board from its EEPROM,
// selects and configures its power stage and resets the page.
#include "boardglobals.h"
#include "controlboard.h"
#include "localclient.h"
#include "pipeclient.h"
#include "programfiles.h"
#include "setupappfixture.h"
#include "slider.h"
#include "spiraw4b.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <atomic>
#include <thread>

#include <sys/stat.h>

namespace
{

using Lines = QList<QByteArray>;

const Lines SpiSetup{
    "set SPI0CONF",       "set SPI0CS0CONF", "set SPI0CS0SPEED=300000", "set SPI0CS0CPOL=0",
    "set SPI0CS0NCPHA=1", "set SPI0CS3CONF", "set SPI0CS3SPEED=300000", "set SPI0CS3CPOL=0",
    "set SPI0CS3NCPHA=1"};
const Lines ControllerSetup =
    SpiSetup + Lines{"set DIO03DIR=1",    "set DIO03CONF=00",  "set DIO04DIR=1",
                     "set DIO04CONF=00",  "set SER2CONF",      "set SER2BAUD=250000",
                     "set PWM0CONF",      "set PWM0FREQ=1000", "set PWM0DUTY=50",
                     "set PWM0START",     "set PWM1CONF",      "set PWM1FREQ=300000",
                     "set PWM1DUTY=50",   "set PWM1START",     "set PWM2CONF",
                     "set PWM2FREQ=1000", "set PWM2DUTY=50",   "set PWM2START"};
const Lines P404ChipSelect{"set SPILEDCONF", "set SPILEDCS0SPEED=300000", "set SPILEDCS0CPOL=0",
                           "set SPILEDCS0NCPHA=1"};
// A detected driver's LED-control lines held statically on.
const Lines StaticOn{"set PWM0DUTY=100", "set PWM2DUTY=100"};

const QString ConfigBox = QStringLiteral("BOOST-BUCK: EEPROM is not connected or config data are "
                                         "not valid!\n You will not be able to control the "
                                         "current source.");
const QString DefaultConfiguration = QStringLiteral("configuration/Configuration12.txt");

bool isEeprom(const QByteArray &line)
{
    return line.contains("SPI0CS3DATA");
}

// The lines without the EEPROM's and the driver chips' transfers.
Lines commandLines(Lines lines)
{
    lines.removeIf([](const QByteArray &l) {
        return l.contains("SPI0CS3DATA") || l.contains("SPI0CS0DATA") ||
               l.contains("SPILEDCS0DATA");
    });
    return lines;
}

QString ratings(const Board::DriverRatings &r)
{
    return QStringLiteral("%1/%2/%3/%4").arg(r.ripple1).arg(r.ripple2).arg(r.peak1).arg(r.peak2);
}

} // namespace

class TestBoardSetup : public QObject
{
    Q_OBJECT

    SetupAppFixture f;

    // The switch sliders of the matrix.
    qsizetype sliders() const
    {
        return f.widget<QWidget>("SWwidget")->findChildren<CustomControls::Slider *>().size();
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init()
    {
        BoardGlobals &g = boardGlobals();
        g.LEDCTRL1.setValue(0, Variable::InternalKey);
        g.LEDCTRL2.setValue(0, Variable::InternalKey);
        for (Register *r : {&g.BOOSTP205, &g.BUCK1, &g.BUCK2})
            r->setValue(0u, true);
    }

    // The lines, chip words, tabs, group, logs, boxes and ratings of one connection to each
    // driver board, from a page on which both tabs are enabled and the group shows.
    void driverBoards()
    {
        // The KVL52404's defaults written, then its boost and LED voltages read; the KVL52205's
        // power-up image, register 2 (the enables) last, each word twice.
        const QString p404 = "w1 w2 w3 w5 w6 w7 w13 w14 w15 w17 w18 r55 r2 r35 r6 r42";
        const QString p205 = "w1 w1 w3 w3 w4 w4 w5 w5 w6 w6 w7 w7 w8 w8 w9 w9 w10 w10 w2 w2";
        const QString p404Logs = "0 KVL52404 detected|0 Configure SPILED@0 P404";
        const struct {
            FakeSpiEeprom::Image image;
            Lines driverLines;
            QString chipWrites;
            int eepromLines; // the configuration and parameter blocks: length, primary, check
            QString tabs, logs, ratings;
        } rows[] = {
            // clang-format off
            {FakeSpiEeprom::Kvl52404Board, P404ChipSelect + StaticOn, p404, 12, "KVL52404",
             p404Logs, "47/256/330/330"},
            {FakeSpiEeprom::Kvl52404BuckBoard, P404ChipSelect + StaticOn, p404, 12, "KVL52404",
             p404Logs, "47/256/330/330"},
            {FakeSpiEeprom::Kvl52205Board, SpiSetup + StaticOn, p205, 12, "KVL52205",
             "0 KVL52205 detected|0 Configure SPI@0 P205", "100/120/200/330"},
            {FakeSpiEeprom::UnsupportedBoard, StaticOn, "", 6, "KVL52205 KVL52404", "",
             "100/100/200/200"},
            {FakeSpiEeprom::Blank, {}, "", 2, "", "", "100/100/200/200"}}; // clang-format on
        for (const auto &r : rows) {
            QVERIFY(f.connectFresh(QStringLiteral("mockup")));
            init();
            QVERIFY(f.connectWith(r.image));
            const Lines lines = f.take();
            QCOMPARE(lines.mid(0, 27), ControllerSetup);
            QCOMPARE(commandLines(lines), ControllerSetup + r.driverLines);
            QCOMPARE(chipWords(lines), r.chipWrites);
            QCOMPARE(std::count_if(lines.begin(), lines.end(), isEeprom), r.eepromLines);
            QCOMPARE(f.tabs(), r.tabs);
            const bool detected = !r.driverLines.isEmpty();
            QCOMPARE(f.widget<QWidget>("gbLEDDRIVER")->isHidden(), !detected);
            QCOMPARE(f.logs.filter(QRegularExpression("^(?!0 (Address|SPIMemory))")).join('|'),
                     r.logs);
            QCOMPARE(f.boxes(), detected ? QStringList() : QStringList{ConfigBox});
            QCOMPARE(ratings(f.page()->driverRatings()), r.ratings);
            QCOMPARE(boardGlobals().LEDCTRL1.value() + boardGlobals().LEDCTRL2.value(),
                     detected ? 2.0 : 0.0);
            QCOMPARE(f.spi.violations() + f.eeprom.violations(), QStringList());
            QCOMPARE(widgetsOutOfStep(f.page()).join(" | "), QString());
        }
        // A board whose EEPROM cannot be read drops the last driver's ratings.
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        QCOMPARE(ratings(f.page()->driverRatings()), QString("100/100/200/200"));
    }

    // The KVL52404's frames and plots show once the driver is set up: the SPI tool's frame
    // field takes only the last frame, the current plots are drawn once, when the program next
    // takes up its events.
    void p404FramesAndPlotsShownOnce()
    {
        auto *frame = spiRaw4B->findChild<CustomControls::LineEdit *>("leSpiIn4B_30_25");
        QVERIFY(frame);
        QVERIFY(spiRaw4B->set("SpiIn4B[]", 0, Variable::InternalKey));
        QCOMPARE(frame->text(), QString("0"));
        QSignalSpy shown(frame, &QLineEdit::textChanged);
        QSignalSpy drawn1(f.widget<QCustomPlot>("plotCH1"), &QCustomPlot::afterReplot);
        QSignalSpy drawn2(f.widget<QCustomPlot>("plotCH2"), &QCustomPlot::afterReplot);
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(shown.count(), 1);
        QCOMPARE(frame->value(), 42.0); // the address of the last word read
        QCOMPARE(spiRaw4B->get("SpiIn4B[30:25]", 0).toUInt(), 42u);
        QCOMPARE(drawn1.count() + drawn2.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(drawn1.count() + drawn2.count(), 2, 30000);
        QTest::qWait(20);
        QCOMPARE(drawn1.count() + drawn2.count(), 2);
    }

    // A curve changed since the last set-up is drawn anew from the next set-up's defaults,
    // though the page is not shown (no layout draws it then).
    void p404PlotsRedrawnAtSetup()
    {
        auto *plot = f.widget<QCustomPlot>("plotCH1");
        QSignalSpy drawn(plot, &QCustomPlot::afterReplot);
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QTRY_VERIFY_WITH_TIMEOUT(!drawn.isEmpty(), 30000);
        const QCPGraphDataContainer &curve = *plot->graph(0)->data();
        const double period = curve.at(2)->key;
        f.set("SPI_MAPP404[BUCK1_FREQ]", 4);
        f.page()->updateBuckPlot();
        QVERIFY(curve.at(2)->key > period);
        QList<double> periodsDrawn;
        const QMetaObject::Connection recorder =
            connect(plot, &QCustomPlot::afterReplot, this,
                    [&curve, &periodsDrawn]() { periodsDrawn << curve.at(2)->key; });
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QTRY_COMPARE_WITH_TIMEOUT(periodsDrawn.value(periodsDrawn.size() - 1), period, 30000);
        disconnect(recorder);
    }

    // The current estimates after the set-up are worked out from what the page shows at its
    // end (the measured boost voltage among it), as a later estimate of the same state is.
    void p404EstimatesFromFinalState()
    {
        const char *const readouts[] = {"leFREQ1P404_2", "leIRIPPLE1P404", "leIPEAK1P404",
                                   "leFREQ2P404_2", "leIRIPPLE2P404", "leIPEAK2P404"};
        const auto texts = [this, &readouts]() {
            QStringList shown;
            for (const char *name : readouts)
                shown << f.widget<QLineEdit>(name)->text();
            return shown;
        };
        f.set("BoostVoltageMeas", 1.0); // a voltage the set-up measures anew
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        const QStringList afterSetup = texts();
        QVERIFY(!afterSetup.contains(QString()));
        QVERIFY(f.widget<QLineEdit>("leVBSTV")->text().toDouble() > 0);
        f.page()->updateBuckPlot();
        QCOMPARE(texts(), afterSetup);
    }

    // The KVL52205's power-up image reaches the chip; the model holds what it wrote (both bucks
    // off), and once the set-up is done the controls show it, which sends nothing more.
    void p205Defaults()
    {
        QAbstractButton *enable = f.widget<QAbstractButton>("cbBOOSTEN");
        enable->setChecked(false);
        f.set("BoostVoltage", 20.0); // the set-up shows the default code's voltage instead
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52205Board));
        QList<quint16> chip;
        for (int address = 1; address <= 10; ++address)
            chip << f.spi.kvl52205Register(address);
        QCOMPARE(chip, (QList<quint16>{413, 43, 474, 24, 24, 544, 435, 12, 1023, 1023}));
        BoardGlobals &g = boardGlobals();
        QCOMPARE(QList<quint32>({g.BOOSTP205.getField("[EN]"), g.BOOSTP205.getField("[SRC]"),
                                 g.BOOSTP205.getField("[VSETPOINT]"), g.BUCK1.getField("[VTHR]"),
                                 g.BUCK2.getField("[TOFF_SET]"), g.BUCK2.getField("[EN]")}),
                 QList<quint32>({1, 1, 90, 24, 8, 0}));
        QCOMPARE(p205Differences(f.spi), QStringList());
        QVERIFY(enable->isChecked());
        QCOMPARE(f.widget<QAbstractSlider>("dialBoostVoltage")->value(), 90);
        QCOMPARE(g.BoostVoltage.value(), 50.1);
        QCOMPARE(widgetsOutOfStep(f.page()).join(" | "), QString());
        f.take();
        f.page()->slot_updateAllControls();
        QCOMPARE(f.take(), Lines());
    }

    // A parameter block whose check copy disagrees loads the chip's default ratings.
    void invalidComponentData()
    {
        const QList<QPair<FakeSpiEeprom::Image, QString>> rows{
            {FakeSpiEeprom::Kvl52404Board, "47/47/330/330"},
            {FakeSpiEeprom::Kvl52205Board, "100/100/200/200"}};
        for (const auto &[image, expected] : rows) {
            QByteArray contents = FakeSpiEeprom::image(image);
            contents[0x40 + 481 + 4] = char(contents.at(0x40 + 481 + 4) ^ 1);
            f.eeprom.load(contents);
            QVERIFY(f.connectFresh());
            QVERIFY(f.logs.contains("1000 Invalid component data bit found in external EEPROM. "
                                    "Loading defaults."));
            QCOMPARE(f.boxes(), QStringList{"BOOST-BUCK: EEPROM does not contain valid component "
                                            "data. Loading defaults. Some GUI calculations might "
                                            "not be accurate."});
            const Prompt::Message box = f.prompt.messages().last();
            QVERIFY(box.icon == Prompt::NoIcon && box.title.isEmpty() && box.buttons == Prompt::Ok);
            QCOMPARE(ratings(f.page()->driverRatings()), expected);
            QVERIFY(!f.widget<QWidget>("gbLEDDRIVER")->isHidden());
        }
    }

    // A failed detection hides the group and disables both tabs; an unsupported chip leaves
    // the tabs as they were; the mock-up board gets no command, both tabs and basic ratings.
    void connectionSequence()
    {
        const QList<QPair<FakeSpiEeprom::Image, QString>> steps{
            {FakeSpiEeprom::Blank, ""},
            {FakeSpiEeprom::UnsupportedBoard, ""},
            {FakeSpiEeprom::Kvl52404Board, "KVL52404"}};
        for (const auto &[image, tabs] : steps) {
            QVERIFY(f.connectWith(image));
            QCOMPARE(f.tabs(), tabs);
            QCOMPARE(f.widget<QWidget>("gbLEDDRIVER")->isHidden(), image == FakeSpiEeprom::Blank);
        }
        init();
        ControlBoard *link = f.app->controlBoard();
        link->setLogEnabled(true);
        QSignalSpy linkLog(link, &ControlBoard::signal_log);
        QVERIFY(f.connectFresh(QStringLiteral("mockup")));
        link->setLogEnabled(false);
        QVERIFY(!linkLog.isEmpty());
        for (const QList<QVariant> &entry : linkLog)
            QVERIFY2(!entry.at(1).toString().contains(QRegularExpression("CONF|DUTY|CS3DATA")),
                     qPrintable(entry.at(1).toString()));
        QCOMPARE(f.tabs() + ' ' + ratings(f.page()->driverRatings()),
                 QStringLiteral("KVL52205 KVL52404 100/100/200/200"));
        QVERIFY(!f.widget<QWidget>("gbLEDDRIVER")->isHidden() && f.logs.isEmpty());
        QCOMPARE(boardGlobals().LEDCTRL1.value(), 0.0);
        QCOMPARE(widgetsOutOfStep(f.page()).join(" | "), QString());
        f.app->disconnectBoard();
    }

    // The set-up of a connection is one command: a script's request sent while its box is open
    // waits until it ends, also when no click started it (as after an automatic reconnection).
    void setupKeepsRequestsWaiting()
    {
        std::unique_ptr<PipeClient> script;
        bool kept = false;
        f.prompt.onMessage = [&](const Prompt::Message &box) {
            if (box.text != ConfigBox || script)
                return;
            script = std::make_unique<PipeClient>();
            script->send("run\twrite\tsget SCRIPTLINE\n");
            kept = script->keptWaitingBy(*f.app->localServer());
        };
        const bool connected = f.connectWith(FakeSpiEeprom::Blank);
        f.prompt.onMessage = nullptr;
        QVERIFY(connected && script);
        QVERIFY(kept);
        QVERIFY(script->waitClosed());
        const Lines lines = f.take();
        QCOMPARE(lines.count("get SCRIPTLINE"), 1);
        QCOMPARE(lines.last(), QByteArray("get SCRIPTLINE"));
    }

    // A device opened by a pipe request is a real board, whatever the connection bar shows.
    void openFromThePipe()
    {
        f.app->disconnectBoard();
        f.eeprom.load(FakeSpiEeprom::image(FakeSpiEeprom::Kvl52205Board));
        f.board.clearRecords();
        std::atomic<bool> done{false};
        QVariant result;
        const QString path = f.board.devicePath();
        std::thread client([&]() {
            LocalClient(QStringLiteral("KVL52110"), 60000)
                .run(QStringLiteral("open"), {path}, &result);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        client.join();
        QCOMPARE(result.toInt(), 1);
        QVERIFY(f.app->isConnected());
        QCOMPARE(commandLines(f.take()), ControllerSetup + SpiSetup + StaticOn);
        QCOMPARE(f.tabs(), QStringLiteral("KVL52205"));
    }

    // The page starts over: no scripts (the script table's columns fill its width), the test and
    // UART speed groups hidden, the window shown; the address hand-over from automatic
    // addressing is connected once.
    void pageReset()
    {
        auto *table = f.widget<QTableWidget>("tableAnimationScripts");
        table->setColumnCount(1);
        table->setRowCount(3);
        for (const char *group : {"gbTest", "gb_UARTspd"})
            f.widget<QWidget>(group)->show();
        f.page()->hideWindow();
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(table->rowCount() + table->columnCount(), 4);
        QCOMPARE(table->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("File"));
        QCOMPARE(table->horizontalHeader()->sectionResizeMode(3), QHeaderView::Stretch);
        QVERIFY(f.widget<QWidget>("gbTest")->isHidden() &&
                f.widget<QWidget>("gb_UARTspd")->isHidden());
        QVERIFY(!f.page()->container()->isHidden());
        AutoAddressing *addressing = AutoAddressing::instance();
        for (bool connected : {true, false})
            QCOMPARE(QObject::disconnect(addressing, &AutoAddressing::setAddress, f.page(),
                                         &Board::getAddress),
                     connected);
    }

    // A buck the Application page switched on is off after the next set-up, on that page too,
    // whichever driver the board carries; the status hint asks for a buck again.
    void bucksAfterReconnection()
    {
        for (const auto &[image, line] : QList<QPair<FakeSpiEeprom::Image, QByteArray>>{
                 {FakeSpiEeprom::Kvl52404Board, "set SPILEDCS0DATA=049a000013"},
                 {FakeSpiEeprom::Kvl52205Board, "set SPI0CS0DATA=02b622"}}) {
            QVERIFY(f.connectWith(image));
            f.take();
            auto *box = f.widget<QAbstractButton>("cbBUCK1EN");
            QVERIFY(!box->isChecked());
            box->click();
            const QList<QByteArray> sent = f.take();
            QCOMPARE(sent.first(), line);
            QVERIFY(!f.widget<QLineEdit>("leInfoBox")->text().contains("Enable at least one buck"));
            QVERIFY(f.connectFresh());
            QVERIFY(!box->isChecked());
            QVERIFY(f.widget<QLineEdit>("leInfoBox")->text().contains("Enable at least one buck"));
            QCOMPARE(widgetsOutOfStep(f.page()).join(" | "), QString());
            QCOMPARE(p205Differences(f.spi).isEmpty(), image == FakeSpiEeprom::Kvl52205Board);
        }
    }

    // A KVL52205 control writes its register to a chip that has not had the word from this
    // connection, though the page wrote that word before: a board whose set-up configures no
    // KVL52205 holds whatever it holds. Written once, the word is not sent again.
    void p205WordsOfThisConnection()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52205Board));
        QVERIFY(f.connectWith(FakeSpiEeprom::UnsupportedBoard));
        const quint16 written = PowerProbe::p205Image(f.page(), 6);
        const quint32 offTime = written >> 6 & 0xF;
        f.spi.setKvl52205Register(6, quint16(~written & 0x3FF));
        // The slider shows another off-time, as the form's own on a page no set-up has written.
        auto *slider = f.widget<QAbstractSlider>("hsRIPPLE1");
        slider->blockSignals(true);
        slider->setValue(int(offTime ^ 1));
        slider->blockSignals(false);
        f.take();
        slider->setValue(int(offTime));
        QCOMPARE(chipWords(f.take()), QStringLiteral("w6 w6"));
        QCOMPARE(f.spi.kvl52205Register(6), written);
        slider->setValue(int(offTime ^ 1));
        slider->setValue(int(offTime));
        QCOMPARE(chipWords(f.take()), QStringLiteral("w6 w6 w6 w6"));
        f.page()->on_hsRIPPLE1_valueChanged(int(offTime));
        QCOMPARE(f.take(), Lines());
    }

    // The set-up starts PWM 1: the page shows it running, whatever it showed before.
    void boostPwmAfterSetup()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QVERIFY(f.setItem("Board.BOOSTPWM", 0));
        QVERIFY(!f.pwm.pwm1Running());
        QVERIFY(f.connectFresh());
        QVERIFY(f.pwm.pwm1Running());
        QCOMPARE(f.item("BOOSTPWM"), 1.0);
        QVERIFY(f.widget<QAbstractButton>("cbBOOSTPWM")->isChecked());
    }

    // The script list starts over with its table.
    void scriptListReset()
    {
        f.widget<QLabel>("lbCSV")->setText("a.csv");
        f.page()->on_pbAddToList_clicked();
        QCOMPARE(f.page()->scriptListEntries().size(), 1);
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QVERIFY(f.page()->scriptListEntries().isEmpty());
    }

    // Each connection loads the default matrix configuration, also after a failed detection;
    // a missing one leaves the matrix in place and its box names the file and the way out.
    void defaultConfiguration()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        QCOMPARE(sliders(), 12);
        QVERIFY(QFile::remove(DefaultConfiguration));
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(f.prompt.messages().size(), f.boxesBefore + 1);
        const Prompt::Message box = f.prompt.messages().last();
        QCOMPARE(box.title, QString("Error"));
        QCOMPARE(box.text, "Cannot read the matrix configuration file: " +
                               QDir::current().absoluteFilePath(DefaultConfiguration) +
                               " cannot be opened (No such file or directory).\nChoose a "
                               "configuration file with \"Load configuration\" in LED Control, "
                               "or put one at that path.");
        QCOMPARE(sliders(), 12);
        QVERIFY(TestFiles::installShippedConfiguration());
    }

    // A FIFO (nobody writes it: an open that waited would hang the connection) or a link to
    // /dev/zero (endless) at the configuration's name is refused at once with its box, and the
    // connection goes on; so does the next with the file back.
    void configurationNotARegularFile()
    {
        const QString path = QDir::current().absoluteFilePath(DefaultConfiguration);
        for (const bool fifo : {true, false}) {
            QVERIFY(QFile::remove(DefaultConfiguration));
            QVERIFY(fifo ? ::mkfifo(qPrintable(DefaultConfiguration), 0600) == 0
                         : QFile::link("/dev/zero", DefaultConfiguration));
            QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
            QCOMPARE(f.prompt.messages().size(), f.boxesBefore + 1);
            QVERIFY2(f.prompt.messages().last().text.startsWith(
                         "Cannot read the matrix configuration file: " + path +
                         " is not a regular file.\n"),
                     qPrintable(f.prompt.messages().last().text));
            QCOMPARE(sliders(), 12);
            QVERIFY(f.setItem("Board.BOOSTPWM", 1)); // the board still answers
        }
        QVERIFY(TestFiles::installShippedConfiguration());
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(f.prompt.messages().size(), f.boxesBefore);
    }

    // An installed program loads the configuration it ships when the working directory has
    // none, and the working directory's own first; its load dialog opens where the file is.
    void shippedConfiguration()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        const QString shipped = prefix.filePath("share/kvl52110/" + DefaultConfiguration);
        QVERIFY(QDir().mkpath(prefix.filePath("bin")) && QDir().mkpath(QFileInfo(shipped).path()));
        QVERIFY(TestFiles::write(shipped, "NumberOfDevices 1\nPixelsPerDevice 12\n"
                                          "NumberOfRows 1\nNumberOfCols 3\n1 2 3\n"));
        MainApp::instance()->setProgramFiles(ProgramFiles(
            {prefix.filePath("bin"), QDir::currentPath(), prefix.filePath("home"), "", ""}));
        QVERIFY(QDir("configuration").removeRecursively());
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(f.prompt.messages().size(), f.boxesBefore);
        QCOMPARE(sliders(), 3);
        f.page()->on_pbLoadConfiguration_clicked(); // cancelled
        QCOMPARE(f.prompt.dialogDirs().last(), QFileInfo(shipped).path());

        QVERIFY(TestFiles::installShippedConfiguration());
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(sliders(), 12);
        f.page()->on_pbLoadConfiguration_clicked();
        QCOMPARE(f.prompt.dialogDirs().last(), QDir::current().absoluteFilePath("configuration"));
        MainApp::instance()->setProgramFiles(ProgramFiles::ofThisProcess());
    }

    // The M-LVDS transceiver's driver pin, enabled and disabled.
    void lvdsButtons()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        f.take();
        f.widget<QPushButton>("pbLVDSEN")->click();
        f.widget<QPushButton>("pbLVDSDIS")->click();
        QCOMPARE(f.take(), (Lines{"set DIO22CONF=00", "set DIO22DIR=0", "set DIO22=0",
                                  "set DIO22CONF=00", "set DIO22DIR=1", "set DIO22=0"}));
    }
};

QTEST_MAIN(TestBoardSetup)
#include "tst_boardsetup.moc"
