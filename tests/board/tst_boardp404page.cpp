// The KVL52404 page against a simulated KVL52404 on a pseudo-terminal: field writes by address,
// the focus rule, dial releases, defaults, currents, the current plots, fading and the
// Application page's buck enables.
#include "boardglobals.h"
#include "powerappfixture.h"
#include "powerprobe.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>
#include <qcustomplot.h>

namespace
{

// The write frame's address byte: R/W bit and address in bits 31..25.
QByteArray writeHead(int address)
{
    return QByteArray::number(0x80 | (address << 1), 16);
}

// The addresses written by the frames among lines, in order.
QList<int> writtenAddresses(const QList<QByteArray> &lines)
{
    QList<int> addresses;
    for (const QByteArray &line : lines) {
        if (!line.startsWith("set SPILEDCS0DATA=04"))
            continue;
        const int head = line.mid(20, 2).toInt(nullptr, 16);
        if (head & 0x80)
            addresses << ((head & 0x7F) >> 1);
    }
    return addresses;
}

} // namespace

class TestBoardP404Page : public QObject
{
    Q_OBJECT

    PowerAppFixture f;
    Board *page = nullptr;

    quint32 map(const QString &field)
    {
        return page->get(QStringLiteral("SPI_MAPP404[%1]").arg(field), Variable::InternalKey)
            .toUInt();
    }
    void setMap(const QString &field, quint32 value)
    {
        QVERIFY(
            page->set(QStringLiteral("SPI_MAPP404[%1]").arg(field), value, Variable::InternalKey));
    }
    void setVariable(const char *name, double value)
    {
        QVERIFY(page->set(QLatin1String(name), value, Variable::InternalKey));
    }
    template <typename T> T *w(const char *name) { return f.widget<T>(name); }

    // Gives the widget the keyboard focus on the shown KVL52404 page.
    void focus(QWidget *widget)
    {
        auto *tabs = w<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(widget))
                tabs->setCurrentIndex(i);
        page->showWindow();
        QWidget *top = widget->window();
        top->show();
        QApplication::setActiveWindow(top);
        widget->setFocus();
        QTRY_VERIFY(widget->hasFocus());
    }
    void dropFocus() { w<QWidget>("tabWidget")->setFocus(); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(page);
        PowerProbe::setScales(page, 330, 47);
    }

    void init() { f.take(); }

    void cleanup()
    {
        dropFocus();
        QCOMPARE(f.spi.violations(), QStringList());
    }

    void averageCurrents_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("milliamps");
        QTest::newRow("1: range 3, 255") << 1 << 3 << 255 << 1600.0;
        QTest::newRow("1: range 0, 128") << 1 << 0 << 128 << 100.39216;
        QTest::newRow("2: range 1, 51") << 2 << 1 << 51 << 80.0;
        QTest::newRow("2: range 2, 0") << 2 << 2 << 0 << 0.0;
    }

    void averageCurrents()
    {
        QFETCH(int, channel);
        QFETCH(int, range);
        QFETCH(int, code);
        QFETCH(double, milliamps);
        setMap(QStringLiteral("BUCK%1_IRNG").arg(channel), quint32(range));
        setMap(QStringLiteral("BUCK%1_IAVG").arg(channel), quint32(code));
        channel == 1 ? page->calculateBUCK1_I_AVG() : page->calculateBUCK2_I_AVG();
        const double value =
            (channel == 1 ? boardGlobals().IAVERAGE1 : boardGlobals().IAVERAGE2).value();
        QVERIFY2(qAbs(value - milliamps) < 1e-4, qPrintable(QString::number(value, 'g', 10)));
        QCOMPARE(double(float(value)), value); // single precision
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    // The dial shows the voltage as it turns and writes address 18 once when released.
    void boostDial()
    {
        auto *dial = w<QAbstractSlider>("dialVBOOST");
        dial->setValue(1);
        dial->setValue(0);
        QCOMPARE(float(boardGlobals().BoostVoltage.value()), 9.7f);
        dial->setValue(127);
        QCOMPARE(float(boardGlobals().BoostVoltage.value()), 62.0f);
        QCOMPARE(map(QStringLiteral("BST_VSETPOINT")), 127u);
        QCOMPARE(f.take(), QList<QByteArray>());
        QMetaObject::invokeMethod(dial, "sliderReleased");
        QCOMPARE(writtenAddresses(f.take()), QList<int>{18});
        QCOMPARE((f.spi.kvl52404Word(18) >> 3) & 0x7F, 127u);
    }

    void currentDials()
    {
        for (int channel : {1, 2}) {
            auto *dial = w<QAbstractSlider>(channel == 1 ? "dialBCK1AVG" : "dialBCK2AVG");
            setMap(QStringLiteral("BUCK%1_IRNG").arg(channel), 3);
            dial->setValue(51);
            QCOMPARE((channel == 1 ? boardGlobals().IAVERAGE1 : boardGlobals().IAVERAGE2).value(),
                     320.0);
            QCOMPARE(f.take(), QList<QByteArray>());
            QMetaObject::invokeMethod(dial, "sliderReleased");
            QCOMPARE(writtenAddresses(f.take()), QList<int>{channel == 1 ? 1 : 5});
            QCOMPARE(f.spi.kvl52404Word(channel == 1 ? 1 : 5) & 0x3FF, (3u << 8) | 51u);
        }
    }

    void boostSwitches()
    {
        page->on_cbBST2EN_clicked(true);
        page->on_cbBST1EN_clicked(false);
        QCOMPARE(writtenAddresses(f.take()), (QList<int>{18, 18}));
        QCOMPARE(f.spi.kvl52404Word(18) & 3, 2u);
    }

    // Selection lists write only while they have the focus: a refresh sends nothing.
    void focusRule_data()
    {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("address");
        QTest::newRow("soft start") << "cmBSTSOFTSTART"
                                    << "BST_SOFTSTART" << 18;
        QTest::newRow("clock source") << "cmBSTSRC"
                                      << "BST_SRC" << 17;
        QTest::newRow("clock frequency") << "cmBSTSRCFREQ"
                                         << "BST_SRC_FREQ" << 17;
        QTest::newRow("buck 1 frequency") << "cmBCK1FREQ"
                                          << "BUCK1_FREQ" << 2;
        QTest::newRow("buck 2 frequency") << "cmBCK2FREQ"
                                          << "BUCK2_FREQ" << 6;
    }

    void focusRule()
    {
        QFETCH(QString, combo);
        QFETCH(QString, field);
        QFETCH(int, address);
        auto *box = w<QComboBox>(combo.toLatin1().constData());
        box->setCurrentIndex(1);
        f.take();
        box->setCurrentIndex(2);
        QCOMPARE(f.take(), QList<QByteArray>());
        focus(box);
        box->setCurrentIndex(3);
        QCOMPARE(writtenAddresses(f.take()), QList<int>{address});
        QCOMPARE(map(field), 3u);
    }

    void spinBoxes_data()
    {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("address");
        QTest::newRow("range 1") << "sbBCK1RANGE"
                                 << "BUCK1_IRNG" << 1;
        QTest::newRow("range 2") << "sbBCK2RANGE"
                                 << "BUCK2_IRNG" << 5;
        QTest::newRow("dim duty 1") << "sbBCK1DIMDUTY"
                                    << "BUCK1_DIM_DUTY" << 3;
        QTest::newRow("dim duty 2") << "sbBCK2DIMDUTY"
                                    << "BUCK2_DIM_DUTY" << 7;
    }

    void spinBoxes()
    {
        QFETCH(QString, spin);
        QFETCH(QString, field);
        QFETCH(int, address);
        auto *box = w<QSpinBox>(spin.toLatin1().constData());
        setMap(field, 1);
        f.take();
        box->setValue(2); // no focus
        QCOMPARE(f.take(), QList<QByteArray>());
        focus(box);
        setMap(field, 1);
        box->setValue(1); // the map holds it already
        QCOMPARE(f.take(), QList<QByteArray>());
        box->setValue(3);
        QCOMPARE(writtenAddresses(f.take()), QList<int>{address});
        QCOMPARE(map(field), 3u);
        QMetaObject::invokeMethod(box, "editingFinished");
        QCOMPARE(writtenAddresses(f.take()), QList<int>{address});
    }

    void rangeRecomputesAverage()
    {
        auto *box = w<QSpinBox>("sbBCK2RANGE");
        setMap(QStringLiteral("BUCK2_IAVG"), 255);
        setMap(QStringLiteral("BUCK2_IRNG"), 0);
        focus(box);
        box->setValue(3);
        QCOMPARE(boardGlobals().IAVERAGE2.value(), 1600.0);
        f.take();
    }

    void plotTops_data()
    {
        QTest::addColumn<double>("peak");
        QTest::addColumn<int>("top");
        QTest::newRow("0") << 0.0 << 800;
        QTest::newRow("700") << 700.0 << 800;
        QTest::newRow("701") << 701.0 << 1200;
        QTest::newRow("1100") << 1100.0 << 1200;
        QTest::newRow("1101") << 1101.0 << 1600;
        QTest::newRow("1500.5") << 1500.5 << 2000;
        QTest::newRow("1901") << 1901.0 << 2400;
        QTest::newRow("2300") << 2300.0 << 2400;
        QTest::newRow("2301") << 2301.0 << 2800;
        QTest::newRow("2700") << 2700.0 << 2800;
        QTest::newRow("2701") << 2701.0 << 3200;
        QTest::newRow("9000") << 9000.0 << 3200;
    }

    void plotTops()
    {
        QFETCH(double, peak);
        QFETCH(int, top);
        QCOMPARE(Board::buckPlotTop(peak), top);
    }

    void plot()
    {
        setVariable("BoostVoltageMeas", 48.0);
        setVariable("VLED1", 20.0);
        setVariable("IAVERAGE1", 500.0);
        setMap(QStringLiteral("BUCK1_FREQ"), 19); // 410 kHz
        page->updateBuckPlot();
        QCOMPARE(w<QLineEdit>("leFREQ1P404_2")->text(), QStringLiteral("410"));
        QCOMPARE(w<QLineEdit>("leIAVERAGE1P404")->text(), QStringLiteral("500.0"));
        QCOMPARE(w<QLineEdit>("leIRIPPLE1P404")->text(), QStringLiteral("606.0"));
        QCOMPARE(w<QLineEdit>("leIPEAK1P404")->text(), QStringLiteral("803.0"));
        QCustomPlot *plot = w<QCustomPlot>("plotCH1");
        QCOMPARE(plot->yAxis->range().upper, 1200.0);
        // A whole period lasts 1 / f.
        QVERIFY(qAbs(plot->xAxis->range().upper - 2.2 * 1000 / 410) < 1e-9);
        QCOMPARE(plot->graph(0)->dataCount(), 5);
        setVariable("IAVERAGE1", 1500.0);
        page->updateBuckPlot();
        QCOMPARE(w<QLineEdit>("leIPEAK1P404")->text(), QStringLiteral("1803.5"));
        QCOMPARE(plot->yAxis->range().upper, 2000.0);
    }

    // Code 63 has no frequency; a period that is no positive number leaves the plot alone.
    void plotWithoutPeriod()
    {
        setVariable("BoostVoltageMeas", 48.0);
        setVariable("VLED2", 20.0);
        setVariable("IAVERAGE2", 500.0);
        setMap(QStringLiteral("BUCK2_FREQ"), 0);
        page->updateBuckPlot();
        QCustomPlot *plot = w<QCustomPlot>("plotCH2");
        const double xTop = plot->xAxis->range().upper;
        QVERIFY(qAbs(xTop - 2.2 * 1000 / 180) < 1e-9);
        setMap(QStringLiteral("BUCK2_FREQ"), 63);
        page->updateBuckPlot();
        QCOMPARE(w<QLineEdit>("leFREQ2P404_2")->text(), QString());
        QCOMPARE(w<QLineEdit>("leIPEAK2P404")->text(), QString());
        QCOMPARE(plot->xAxis->range().upper, xTop);
        setMap(QStringLiteral("BUCK2_FREQ"), 1);
        PowerProbe::setScales(page, 330, 0);
        page->updateBuckPlot();
        QCOMPARE(w<QLineEdit>("leFREQ2P404_2")->text(), QStringLiteral("188"));
        QCOMPARE(plot->xAxis->range().upper, xTop);
        PowerProbe::setScales(page, 330, 47);
    }

    void fading()
    {
        w<QSpinBox>("sbFaddingStop")->setValue(255);
        w<QComboBox>("cmDelay")->setCurrentIndex(3);
        w<QComboBox>("cmShift")->setCurrentIndex(1);
        page->on_pushButton_clicked();
        QCOMPARE(f.take(), QList<QByteArray>{"set P404FADDING=00ff0301"});
        QCOMPARE(PowerProbe::lastFadingLevel(page), quint8(255));
        w<QSpinBox>("sbFaddingStop")->setValue(16);
        w<QComboBox>("cmDelay")->setCurrentIndex(6);
        w<QComboBox>("cmShift")->setCurrentIndex(0);
        page->on_pushButton_clicked();
        QCOMPARE(f.take(), QList<QByteArray>{"set P404FADDING=ff100600"});
    }

    void buckEnables()
    {
        page->on_cbBUCK2EN_P404_clicked(true);
        QCOMPARE(writtenAddresses(f.take()), QList<int>{13});
        QVERIFY(w<QAbstractButton>("cbBUCK2EN")->isChecked());
        QCOMPARE(f.spi.kvl52404Word(13) & 2, 2u);
        page->on_cbBUCK2EN_P404_clicked(false);
        QVERIFY(!w<QAbstractButton>("cbBUCK2EN")->isChecked());
        f.take();
    }

    void applicationBuckEnables_data()
    {
        QTest::addColumn<int>("chipCode");
        QTest::addColumn<bool>("written");
        QTest::newRow("KVL52404BUCK") << 16 << true;
        QTest::newRow("KVL52404") << 12 << true;
        QTest::newRow("unsupported") << 6 << false;
        QTest::newRow("KVL52402") << 13 << false;
    }

    void applicationBuckEnables()
    {
        QFETCH(int, chipCode);
        QFETCH(bool, written);
        PowerProbe::setChipCode(page, chipCode);
        setMap(QStringLiteral("BUCK1_EN"), 0);
        w<QAbstractButton>("cbBUCK1EN")->setChecked(false);
        page->on_cbBUCK1EN_clicked(true);
        QCOMPARE(writtenAddresses(f.take()), written ? QList<int>{13} : QList<int>());
        QCOMPARE(map(QStringLiteral("BUCK1_EN")), written ? 1u : 0u);
        QCOMPARE(w<QAbstractButton>("cbBUCK1EN")->isChecked(), written);
    }

    void defaults()
    {
        f.spi.setKvl52404Word(14, 0);
        page->writeP404Defaults();
        QCOMPARE(writtenAddresses(f.take()), (QList<int>{1, 2, 3, 5, 6, 7, 13, 14, 15, 17, 18}));
        QCOMPARE(f.spi.kvl52404Word(1), 128u);
        QCOMPARE(f.spi.kvl52404Word(6), 20u);
        QCOMPARE(f.spi.kvl52404Word(7), 255u << 2);
        QCOMPARE(f.spi.kvl52404Word(13), 0u);
        QCOMPARE(f.spi.kvl52404Word(14), 21u | (4u << 8) | (4u << 11));
        QCOMPARE(f.spi.kvl52404Word(17), 1u | (12u << 4) | (2u << 14));
        QCOMPARE(f.spi.kvl52404Word(18), 3u | (100u << 3) | (4u << 15));
        QCOMPARE(w<QAbstractSlider>("dialVBOOST")->value(), 100);
        QCOMPARE(w<QComboBox>("cmBCK2FREQ")->currentIndex(), 20);
    }
};

QTEST_MAIN(TestBoardP404Page)
#include "tst_boardp404page.moc"
