// The KVL52404 power stage's page through a simulated chip: the readouts, and what the page's
// controls, name-based writes and Write send. (The frames and the map commands: tst_boardp404.)
#include "applethelper.h"
#include "mainwindow.h"
#include "p404fixture.h"
#include "qcustomplot.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

class TestBoardP404Page : public P404Test
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(start()); }
    void init() { f.take(); }
    void cleanup() { checkAndReset(); }

    // The average current in single precision from range and code; the dials show their value
    // as they turn and write their word once when released.
    void currents()
    {
        const struct {
            int channel, range, code;
            double milliamps;
        } rows[] = {{1, 3, 255, 1600},
                    {1, 0, 128, 100.39216},
                    {1, 1, 128, 200.78431},
                    {2, 1, 51, 80},
                    {2, 2, 0, 0}};
        for (const auto &r : rows) {
            setMap(QStringLiteral("BUCK%1_IRNG").arg(r.channel), r.range);
            setMap(QStringLiteral("BUCK%1_IAVG").arg(r.channel), r.code);
            r.channel == 1 ? f.page()->calculateBUCK1_I_AVG() : f.page()->calculateBUCK2_I_AVG();
            const double value = f.item(QStringLiteral("IAVERAGE%1").arg(r.channel));
            QVERIFY2(qAbs(value - r.milliamps) < 1e-4, qPrintable(QString::number(value)));
            QCOMPARE(double(float(value)), value);
            // The channel's estimates follow the new average at once, as a redraw shows them.
            const QString peak = QStringLiteral("leIPEAK%1P404").arg(r.channel);
            const QString shown = w<QLineEdit>(qPrintable(peak))->text();
            f.page()->updateBuckPlot();
            QVERIFY(!shown.isEmpty());
            QCOMPARE(shown, w<QLineEdit>(qPrintable(peak))->text());
        }
        // The KVL52205 page writes the shared average too, which may be negative.
        f.set("IPEAK1", 100);
        f.set("IRIPPLE1", 203);
        PowerProbe::average(f.page(), 1);
        QCOMPARE(w<QLineEdit>("leIAVERAGE1P404")->text(), QStringLiteral("-1"));
        // A range box's change shows the new average at once: 102 of 255 of 400 mA, then 800.
        setMap("BUCK1_IAVG", 102);
        setMap("BUCK1_IRNG", 1);
        f.page()->calculateBUCK1_I_AVG();
        QCOMPARE(f.item("IAVERAGE1"), 160.0);
        w<QSpinBox>("sbBCK1RANGE")->setValue(2);
        QCOMPARE(f.item("IAVERAGE1"), 320.0);
        const struct {
            const char *dial, *item;
            int value;
            double shown;
            int address, shift;
            uint field;
        } dials[] = {{"dialBCK1AVG", "IAVERAGE1", 51, 320, 1, 0, (3 << 8) | 51},
                     {"dialBCK2AVG", "IAVERAGE2", 51, 320, 5, 0, (3 << 8) | 51},
                     {"dialVBOOST", "BoostVoltage", 127, 62, 18, 3, 127}};
        f.take();
        setMap("BUCK1_IRNG", 3);
        setMap("BUCK2_IRNG", 3);
        QCOMPARE(f.take(), Lines()); // a named write stays in the map; the dial's word takes it
        for (const auto &d : dials) {
            auto *dial = w<QAbstractSlider>(d.dial);
            dial->setSliderDown(true);
            dial->setValue(d.value);
            QCOMPARE(float(f.item(d.item)), float(d.shown));
            QCOMPARE(f.take(), Lines());
            dial->setSliderDown(false);
            QCOMPARE(chipWords(f.take()), QStringLiteral("w%1").arg(d.address));
            QCOMPARE((f.spi.kvl52404Word(d.address) >> d.shift) & 0x3FF, d.field);
        }
    }

    // The clock combos and the range boxes write their word whatever has the focus, and a
    // refresh of the map's controls writes nothing; a range box's editing finished writes it
    // even when the value is the map's.
    void focusedControls()
    {
        f.app->mainWindow()->show();
        f.app->mainWindow()->activateWindow();
        f.page()->showWindow();
        auto *tabs = w<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == "KVL52404")
                tabs->setCurrentIndex(i);
        QVERIFY(QTest::qWaitForWindowActive(f.app->mainWindow()));
        Register *mapRegister = f.page()->binding("SPI_MAPP404")->reg;
        for (const auto &[name, word, field] : QList<std::tuple<const char *, QString, QString>>{
                 {"cmBSTSRC", "w17", "[BST_SRC]"},
                 {"cmBSTSRCFREQ", "w17", "[BST_SRC_FREQ]"},
                 {"sbBCK1RANGE", "w1", "[BUCK1_IRNG]"},
                 {"sbBCK2RANGE", "w5", "[BUCK2_IRNG]"},
                 {"sbBCK1DIMDUTY", "w3", "[BUCK1_DIM_DUTY]"},
                 {"sbBCK2DIMDUTY", "w7", "[BUCK2_DIM_DUTY]"}}) {
            QWidget *control = w<QWidget>(name);
            auto *spin = qobject_cast<QSpinBox *>(control);
            for (const bool focused : {false, true}) {
                focused ? control->setFocus() : w<QWidget>("cmBSTSOFTSTART")->setFocus();
                QCOMPARE(control->hasFocus(), focused);
                f.take(); // a spin box that loses the focus finishes its editing
                if (auto *combo = qobject_cast<QComboBox *>(control)) {
                    combo->setCurrentIndex(combo->currentIndex() == 1 ? 2 : 1);
                    QCOMPARE(chipWords(f.take()), word);
                    continue;
                }
                // The end of a spin box's edit commits the value it shows, a staged one too,
                // once: the chip that has the word does not hear it again.
                const int staged = int(mapRegister->getField(field)) == 1 ? 2 : 1;
                QVERIFY(f.setItem("Board.SPI_MAPP404" + field, staged));
                QCOMPARE(f.take(), Lines());
                QCOMPARE(spin->value(), staged);
                emit spin->editingFinished();
                QCOMPARE(chipWords(f.take()), word);
                emit spin->editingFinished();
                QCOMPARE(f.take(), Lines());
            }
            const quint32 held = mapRegister->getField(field);
            for (const quint32 shown : {held == 1 ? 2u : 1u, held}) {
                mapRegister->blockSignals(true);
                mapRegister->setField(field, shown);
                mapRegister->blockSignals(false);
                f.page()->slot_updateControls(QStringLiteral("SPI_MAPP404"));
                QCOMPARE(f.take(), Lines());
                if (auto *combo = qobject_cast<QComboBox *>(control))
                    QCOMPARE(quint32(combo->currentIndex()), shown);
            }
        }
    }

    // What the page knows the chip holds goes with a reset (also one sent as a line by a script
    // or typed in the log's console), a read of the word, a frame of the 32-bit SPI tool's own
    // and a write that failed: the end of a range box's edit then sends
    // its word again, once.
    void editAfterResetSendsAgain()
    {
        auto *spin = w<QSpinBox>("sbBCK1RANGE"); // it writes whatever has the focus
        spin->setValue(spin->value() == 2 ? 1 : 2);
        QCOMPARE(chipWords(f.take()), QStringLiteral("w1"));
        const quint32 word = f.spi.kvl52404Word(1);
        const auto toolFrame = [this]() {
            QVariant none = QVariantList(), result; // no arguments, as the socket passes them
            return f.app->run("SpiRaw4B.Transfer", none, &result);
        };
        const auto failedWrite = [this]() { // the board does not answer: did the chip hear it?
            f.board.setSilent(true);
            const bool written = f.run("Write", "1").toBool();
            f.board.setSilent(false);
            return !written;
        };
        const auto rawReset = [this](bool typed) { // a script's line, or one typed in the log
            const QString reset = QStringLiteral("set SPILEDCS0DATA=04ba002017");
            QLineEdit *console = f.app->logs()->consoleLine();
            console->setText(reset);
            QVariant line = reset, answer;
            if (typed)
                QTest::keyClick(console, Qt::Key_Return);
            return typed || (f.app->run("write", line, &answer) && answer.isValid());
        };
        for (const auto &[action, frames] : QList<QPair<std::function<bool()>, QString>>{
                 {[this]() { return !f.run("swresetP404").toBool(); }, "w29"},
                 {[rawReset]() { return rawReset(false); }, "w29"},
                 {[rawReset]() { return rawReset(true); }, "w29"},
                 {[this]() { return f.run("Read", "1").toBool(); }, "r1"},
                 {toolFrame, "w1"}, // the tool's frame is the page's last one
                 {failedWrite, "w1"}}) {
            QVERIFY2(action(), qPrintable(frames));
            QCOMPARE(chipWords(f.take()), frames);
            emit spin->editingFinished();
            QCOMPARE(chipWords(f.take()), QStringLiteral("w1"));
            QCOMPARE(f.spi.kvl52404Word(1), word);
            emit spin->editingFinished();
            QCOMPARE(f.take(), Lines());
        }
    }

    // A name-based write of a field stays in the map until Write names its word, whatever has
    // the focus and whether a control or none shows the field; Write then sends the word once
    // and the chip holds the map's word. A dial let go writes its own word, staged fields too.
    void namedWrites()
    {
        Register *mapRegister = f.page()->binding("SPI_MAPP404")->reg;
        for (const auto &[field, value, address] :
             QList<std::tuple<QString, int, int>>{{"BUCK1_FREQ", 30, 2},
                                                  {"BUCK2_FREQ", 7, 6},
                                                  {"BST_SOFTSTART", 3, 18},
                                                  {"BST_SRC", 2, 17},
                                                  {"BST_SRC_FREQ", 9, 17},
                                                  {"BUCK1_IRNG", 2, 1},
                                                  {"BUCK2_DIM_DUTY", 99, 7},
                                                  {"BUCK1_EN", 1, 13},
                                                  {"BST1_VLIM_THR", 33, 14},
                                                  {"BUCK2_IAVG", 77, 5},
                                                  {"BUCK1_SHORTLED_FMASK", 1, 4},
                                                  {"EEPROM_CTRL", 15, 28},
                                                  {"FSO_ENTER", 1, -1}}) {
            for (const int step : {0, 1}) {
                w<QWidget>(step ? "cmBCK1FREQ" : "sbBCK2RANGE")->setFocus();
                f.take(); // a spin box that loses the focus finishes its editing
                const int changed = int(map(field)) == value ? value - 1 : value;
                QVERIFY(f.setItem("Board.SPI_MAPP404[" + field + "]", changed));
                QCOMPARE(f.take(), Lines());
                QCOMPARE(map(field), double(changed));
            }
            if (address < 0)
                continue; // the command word, whose SWRESET the chip would act on
            QVERIFY(f.run("Write", QString::number(address)).toBool());
            QCOMPARE(chipWords(f.take()), QStringLiteral("w%1").arg(address));
            QCOMPARE(f.spi.kvl52404Word(address),
                     mapRegister->selectByAttribute("ADD", QString::number(address))->value(true));
        }
        auto *dial = w<QAbstractSlider>("dialBCK2AVG");
        dial->setSliderDown(true);
        QVERIFY(f.setItem("Board.SPI_MAPP404[BUCK2_IRNG]", map("BUCK2_IRNG") == 1 ? 2 : 1));
        QVERIFY(f.setItem("Board.SPI_MAPP404[BUCK2_IAVG]", dial->value() == 9 ? 10 : 9));
        QCOMPARE(f.take(), Lines());
        dial->setSliderDown(false);
        QCOMPARE(chipWords(f.take()), QStringLiteral("w5"));
        QCOMPARE(f.spi.kvl52404Word(5) & 0x3FF,
                 quint32(map("BUCK2_IAVG")) | quint32(map("BUCK2_IRNG")) << 8);
    }

    // Two fields of one word staged by a script go out together, once, when Write names the
    // word; the console's Set and Fill and an applied register file stage the map as well, and
    // Write of every writable word then sends each once.
    void stagedWrites()
    {
        QVERIFY(f.setItem("Board.SPI_MAPP404[BST_SRC]", map("BST_SRC") == 2 ? 3 : 2));
        QVERIFY(f.setItem("Board.SPI_MAPP404[BST_SRC_FREQ]", map("BST_SRC_FREQ") == 5 ? 6 : 5));
        QCOMPARE(f.take(), Lines());
        QVERIFY(f.run("Write", "17").toBool());
        QCOMPARE(chipWords(f.take()), QStringLiteral("w17"));
        QCOMPARE(f.spi.kvl52404Word(17) & 0x1FF,
                 quint32(map("BST_SRC")) | quint32(map("BST_SRC_FREQ")) << 4);

        AppletHelper console(f.page(), QStringLiteral("HELP:Board"));
        console.itemCombo()->setEditText(QStringLiteral("SPI_MAPP404[BST_SRC]"));
        console.valueEdit()->setText(QStringLiteral("1"));
        console.button(QStringLiteral("Set"))->click();
        QCOMPARE(map("BST_SRC"), 1.0);
        for (const char *fill : {"Fill 1", "Fill 0", "Fill 1"})
            console.button(QLatin1String(fill))->click();
        QCOMPARE(f.take(), Lines());
        QCOMPARE(map("BST_SRC_FREQ"), 31.0);
        QStringList all; // the words that take writes but the command word 29
        for (int address = 0; address < 32; ++address)
            if (address != 29)
                all << QString::number(address);
        QVERIFY(f.run("Write", all.join(';')).toBool());
        QCOMPARE(chipWords(f.take()), "w" + all.join(" w"));
        QCOMPARE(f.spi.kvl52404Word(17), 0x1FFFFFu);

        const qsizetype bits = f.page()->binding("SPI_MAPP404")->reg->size();
        QVERIFY(TestFiles::write("map.101", "SPI_MAPP404::" + QByteArray(bits, '0') + "\n"));
        QVERIFY(console.applyRegisterFile("map.101"));
        QCOMPARE(map("BST_SRC_FREQ"), 0.0);
        QCOMPARE(chipWords(f.take()), QString()); // (writing every item back starts PWM 1)
        QCOMPARE(widgetsOutOfStep(f.page(), "SPI_MAPP404").join(" | "), QString());
        QVERIFY(f.run("Write", "17;18").toBool());
        QCOMPARE(chipWords(f.take()), QStringLiteral("w17 w18"));
        f.page()->writeP404Defaults();
        f.take();
    }

    // The tab's own controls write their own word, once for each action, with the field the
    // control shows: a box's click (a buck's box also checks the Application page's), a
    // combo's choice (its first item too), a spin box's change.
    void controlsWriteTheirWord()
    {
        for (const auto &[name, field, word] :
             QList<std::tuple<const char *, QString, int>>{{"cbBST1EN", "BST1_EN", 18},
                                                           {"cbBST2EN", "BST2_EN", 18},
                                                           {"cbBUCK1EN_P404", "BUCK1_EN", 13},
                                                           {"cbBUCK2EN_P404", "BUCK2_EN", 13},
                                                           {"cbBUCK1EN_P404", "BUCK1_EN", 13}}) {
            auto *box = w<QAbstractButton>(name);
            box->click();
            QCOMPARE(chipWords(f.take()), QStringLiteral("w%1").arg(word));
            QCOMPARE(map(field), double(box->isChecked()));
            if (field.startsWith("BUCK")) // and the other buck's box keeps its own level
                for (const QString buck : {"BUCK1", "BUCK2"})
                    QCOMPARE(w<QAbstractButton>(qPrintable("cb" + buck + "EN"))->isChecked(),
                             map(buck + "_EN") != 0);
        }
        for (const auto &[name, field, word] : QList<std::tuple<const char *, QString, int>>{
                 {"cmBSTSOFTSTART", "BST_SOFTSTART", 18},
                 {"cmBSTSRC", "BST_SRC", 17},
                 {"cmBSTSRCFREQ", "BST_SRC_FREQ", 17},
                 {"cmBCK1FREQ", "BUCK1_FREQ", 2},
                 {"cmBCK2FREQ", "BUCK2_FREQ", 6},
                 {"sbBCK1RANGE", "BUCK1_IRNG", 1},
                 {"sbBCK2RANGE", "BUCK2_IRNG", 5},
                 {"sbBCK1DIMDUTY", "BUCK1_DIM_DUTY", 3},
                 {"sbBCK2DIMDUTY", "BUCK2_DIM_DUTY", 7}}) {
            int shown = 0;
            if (auto *combo = w<QComboBox>(name)) {
                combo->setCurrentIndex(combo->currentIndex() == 2 ? 3 : 2);
                shown = combo->currentIndex();
            } else {
                auto *spin = w<QSpinBox>(name);
                spin->setValue(spin->value() == 2 ? 3 : 2);
                shown = spin->value();
            }
            QCOMPARE(chipWords(f.take()), QStringLiteral("w%1").arg(word));
            QCOMPARE(map(field), double(shown));
            QCOMPARE(f.spi.kvl52404Word(word), p404Word(word));
        }
        // A combo's first item is a choice like any other.
        w<QComboBox>("cmBSTSRC")->setCurrentIndex(0);
        QCOMPARE(chipWords(f.take()), QStringLiteral("w17"));
        QCOMPARE(map("BST_SRC"), 0.0);
    }

    // A dial's key steps write its word once they are done, once for steps in a row; a press
    // on the dial, which turns it at once, writes only when the dial is let go, and once, also
    // when the whole drag arrives at once.
    void dialSteps()
    {
        f.app->mainWindow()->show();
        f.page()->showWindow();
        auto *tabs = w<QTabWidget>("tabWidget");
        auto *dial = w<QAbstractSlider>("dialBCK1AVG");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(dial))
                tabs->setCurrentIndex(i);
        QVERIFY(QTest::qWaitForWindowExposed(f.app->mainWindow()));
        f.take();
        for (const auto &[name, address, shift] : QList<std::tuple<const char *, int, int>>{
                 {"dialBCK2AVG", 5, 0}, {"dialVBOOST", 18, 3}, {"dialBCK1AVG", 1, 0}}) {
            auto *stepped = w<QAbstractSlider>(name);
            Lines lines;
            for (int step = 0; step < 2; ++step)
                QTest::keyClick(stepped, stepped->value() > 1 ? Qt::Key_Down : Qt::Key_Up);
            QTRY_VERIFY(!(lines += f.take()).isEmpty());
            QCoreApplication::processEvents(); // where a second write would go out
            lines += f.take();
            QCOMPARE(chipWords(lines), QStringLiteral("w%1").arg(address));
            QCOMPARE(f.spi.kvl52404Word(address) >> shift & 0x7F, quint32(stepped->value()) & 0x7F);
        }
        for (const QPoint at : {QPoint(3, dial->height() / 2), QPoint(dial->width() - 3, 10)}) {
            const int before = dial->value();
            QTest::mousePress(dial, Qt::LeftButton, {}, at);
            QVERIFY(dial->value() != before);
            QCoreApplication::processEvents(); // where a step's write would go out
            QCOMPARE(f.take(), Lines());
            QTest::mouseRelease(dial, Qt::LeftButton, {}, at);
            QCoreApplication::processEvents();
            QCOMPARE(chipWords(f.take()), QStringLiteral("w1"));
            QCOMPARE(f.spi.kvl52404Word(1) & 0xFF, quint32(dial->value()));
        }
        // A busy program receives a whole drag at once: press, move and release come before
        // anything posted runs. The word still goes out once, with the released value.
        const QPoint pressed(3, dial->height() / 2);
        const QPoint released(dial->width() / 2, 3);
        const int before = dial->value();
        QTest::mousePress(dial, Qt::LeftButton, {}, pressed);
        QVERIFY(dial->value() != before);
        QTest::mouseMove(dial, released);
        QTest::mouseRelease(dial, Qt::LeftButton, {}, released);
        QCoreApplication::processEvents();
        QCOMPARE(chipWords(f.take()), QStringLiteral("w1"));
        QCOMPARE(f.spi.kvl52404Word(1) & 0xFF, quint32(dial->value()));
    }

    // A set-up afterwards changes nothing in what a control writes: its own word only, not
    // one the page changed while disconnected.
    void editAfterSetup()
    {
        Register *mapRegister = f.page()->binding("SPI_MAPP404")->reg;
        f.app->disconnectBoard();
        mapRegister->setField("[BUCK1_SHORTLED_FMASK]",
                              mapRegister->getField("[BUCK1_SHORTLED_FMASK]") ^ 1);
        QVERIFY(f.connectTo(f.board));
        f.take();
        auto *combo = w<QComboBox>("cmBCK2FREQ");
        combo->setCurrentIndex(combo->currentIndex() == 5 ? 6 : 5);
        QCOMPARE(chipWords(f.take()), QStringLiteral("w6"));
    }

    // The plot's top steps by 400 mA from 800 to 3200; the plot is drawn anew with each set of
    // numbers. A frequency code without a frequency (63) leaves no numbers and no new plot.
    void buckPlot()
    {
        const QList<QPair<double, int>> tops{{0, 800},       {700, 800},   {701, 1200},
                                             {1500.5, 2000}, {2700, 2800}, {2701, 3200},
                                             {9000, 3200}};
        for (const auto &[peak, top] : tops)
            QCOMPARE(Board::buckPlotTop(peak), top);
        for (const auto &[name, value] :
             pairs("BoostVoltageMeas=48 VLED1=20 IAVERAGE1=500 [BUCK1_FREQ]=19"))
            f.set(name, value);
        auto *plot = w<QCustomPlot>("plotCH1");
        for (QCPAxis *axis : {plot->xAxis, plot->yAxis})
            axis->setRange(-1, 1); // the estimate sets both ranges anew
        for (const auto &[code, shown] :
             {qMakePair(19, "410 606.0 803.0 803 1200 0 1"), qMakePair(63, "    1200 0 0")}) {
            QSignalSpy drawn(plot, &QCustomPlot::afterReplot);
            setMap("BUCK1_FREQ", code);
            f.page()->updateBuckPlot();
            const QCPGraphDataContainer &curve = *plot->graph(0)->data();
            QStringList numbers;
            for (const char *name : {"leFREQ1P404_2", "leIRIPPLE1P404", "leIPEAK1P404"})
                numbers << w<QLineEdit>(name)->text();
            numbers << (code == 19 ? QString::number(qRound(curve.at(1)->value)) : QString())
                    << QString::number(plot->yAxis->range().upper)
                    << QString::number(plot->xAxis->range().lower) // the curve from its start
                    << QString::number(drawn.count());
            QCOMPARE(numbers.join(' '), QLatin1String(shown));
        }
        QCOMPARE(plot->graph(0)->dataCount(), 5); // code 19's curve stays
        // Two whole periods from 0: the second repeats the first.
        const QCPGraphDataContainer &curve = *plot->graph(0)->data();
        QCOMPARE(curve.at(0)->key, 0.0);
        QCOMPARE(curve.at(3)->key - curve.at(1)->key, curve.at(2)->key);
        QCOMPARE(curve.at(4)->key, 2 * curve.at(2)->key);
        QCOMPARE(qRound(curve.at(0)->value), 803 - 606);              // the peak less the ripple
        QCOMPARE(plot->xAxis->range().upper, 2.2 * curve.at(2)->key); // and a little more
        // The coil current rises for the switch's share of the period: the LED voltage over the
        // input, each with its resistive drop at 0.5 A (0.5 ohm on, 0.33 ohm off).
        QCOMPARE(curve.at(1)->key / curve.at(2)->key, (20 + 0.165) / (48 - 0.25 + 0.165));
        // No boost voltage measured yet and no current: no period to draw, the plot stays.
        const double shownRange = plot->xAxis->range().upper;
        f.set("BoostVoltageMeas", 0);
        f.set("IAVERAGE1", 0);
        setMap("BUCK1_FREQ", 19);
        QSignalSpy drawn(plot, &QCustomPlot::afterReplot);
        f.page()->updateBuckPlot();
        QCOMPARE(plot->xAxis->range().upper, shownRange);
        QCOMPARE(curve.at(1)->key / curve.at(2)->key, (20 + 0.165) / (48 - 0.25 + 0.165));
        QCOMPARE(drawn.count(), 0);
    }

    // A channel's LED-voltage button reads the voltage and shows the estimates from it at once;
    // so does a read of the boost voltage.
    void vledButtonsRedraw()
    {
        for (const auto &[channel, items, chip, volts] :
             {std::tuple{1, "BoostVoltageMeas=48 VLED1=20 IAVERAGE1=500 [BUCK1_FREQ]=19",
                         "2=0x4000 35=0x1500", 17.5},
              {2, "VLED2=20 IAVERAGE2=500 [BUCK2_FREQ]=19", "6=0 42=0x80", 17.5}}) {
            for (const auto &[name, value] : pairs(items))
                f.set(name, value);
            for (const auto &[address, word] : pairs(chip))
                f.spi.setKvl52404Word(address.toInt(), quint32(word));
            const QString ripple = QStringLiteral("leIRIPPLE%1P404").arg(channel);
            const QString before = w<QLineEdit>(qPrintable(ripple))->text();
            w<QAbstractButton>(qPrintable(QStringLiteral("pbBCK%1VLED").arg(channel)))->click();
            QCOMPARE(f.item(QStringLiteral("VLED%1").arg(channel)), volts);
            const QString shown = w<QLineEdit>(qPrintable(ripple))->text();
            QVERIFY(shown != before);
            f.page()->updateBuckPlot();
            QCOMPARE(shown, w<QLineEdit>(qPrintable(ripple))->text());
        }
        f.spi.setKvl52404Word(55, 0x200); // 40 V
        const QString before = w<QLineEdit>("leIRIPPLE1P404")->text();
        QVERIFY(f.run("ReadVBOOST").toBool());
        const QString shown = w<QLineEdit>("leIRIPPLE1P404")->text();
        QVERIFY(shown != before);
        f.page()->updateBuckPlot();
        QCOMPARE(shown, w<QLineEdit>("leIRIPPLE1P404")->text());
        f.take();
    }

    // A buck's clock choice shows its frequency and the estimates from it at once, whichever
    // channel changed last.
    void clockChoiceRedraws()
    {
        const QVector<int> &kHz = boardGlobals().buckFrequencyTable;
        for (const int channel : {2, 1}) {
            auto *combo = w<QComboBox>(qPrintable(QStringLiteral("cmBCK%1FREQ").arg(channel)));
            auto *shown = w<QLineEdit>(qPrintable(QStringLiteral("leFREQ%1P404_2").arg(channel)));
            for (const int code : {4, 9}) {
                combo->setCurrentIndex(code);
                QCOMPARE(shown->text(), QString::number(kHz.at(code)));
            }
        }
        f.take();
    }

    void fading()
    {
        w<QSpinBox>("sbFaddingStop")->setValue(255);
        w<QComboBox>("cmDelay")->setCurrentIndex(3);
        w<QComboBox>("cmShift")->setCurrentIndex(1);
        f.page()->on_pushButton_clicked();
        w<QSpinBox>("sbFaddingStop")->setValue(16);
        w<QComboBox>("cmDelay")->setCurrentIndex(6);
        w<QComboBox>("cmShift")->setCurrentIndex(0);
        f.page()->on_pushButton_clicked();
        QCOMPARE(f.take(), (Lines{"set P404FADDING=00ff0301", "set P404FADDING=ff100600"}));
    }

    // The Application page's buck enables write address 13 only for a KVL52404 driver; the
    // page's own keeps the Application page's box level, as does a script's edit of the map.
    void buckEnables()
    {
        for (const auto &[chipCode, writes] :
             QList<QPair<int, bool>>{{16, true}, {12, true}, {6, false}, {13, false}}) {
            PowerProbe::setChipCode(f.page(), chipCode);
            setMap("BUCK1_EN", 0);
            w<QAbstractButton>("cbBUCK1EN")->setChecked(false);
            f.take(); // the named write reaches the chip
            f.page()->on_cbBUCK1EN_clicked(true);
            QCOMPARE(chipWords(f.take()), QLatin1String(writes ? "w13" : ""));
            QCOMPARE(map("BUCK1_EN"), writes ? 1.0 : 0.0);
            QCOMPARE(w<QAbstractButton>("cbBUCK1EN")->isChecked(), writes);
        }
        f.page()->on_cbBUCK2EN_P404_clicked(true);
        QCOMPARE(chipWords(f.take()), QStringLiteral("w13"));
        QVERIFY(w<QAbstractButton>("cbBUCK2EN")->isChecked());
        QCOMPARE(f.spi.kvl52404Word(13) & 2, 2u);
        // A script's edit of the map stays staged, and the Application page's box shows it.
        PowerProbe::setChipCode(f.page(), 16);
        for (const bool on : {false, true}) {
            QVERIFY(f.setItem("Board.SPI_MAPP404[BUCK2_EN]", on));
            QCOMPARE(w<QAbstractButton>("cbBUCK2EN")->isChecked(), on);
        }
        QCOMPARE(f.take(), Lines());
    }
};

QTEST_MAIN(TestBoardP404Page)
#include "tst_boardp404page.moc"
