// The "KVL52205" page of the board form: boost, two buck channels, LED control, boost clock
// and the chip's status register.
#include "pagecensus.h"
#include "pagelookup.h"
#include "tablerows.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QDial>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

using namespace PageLookup;

namespace
{

const QString &CB = CheckBox;
const QString &LE = LineEdit;
const QString &RE = RealEdit;
const QString &PB = PushButton;
const QString &DIAL = Dial;
const QString SL = QStringLiteral("CustomControls::Slider");
const QString &LB = Label;
const QString &GB = GroupBox;
// Edits without text keep the shared sheet the form gives every edit of the page.
const QString EDIT = QStringLiteral("LineEditStyle");
const QString &MARKED = MarkedEdit;
const QString BUTTON = QStringLiteral("PushButtonStyle dark small");
const QString BOLD = QStringLiteral("font-weight: bold;");
const QString FLAG = QStringLiteral("color: black;");

QList<CensusRow> boostRows()
{
    return {
        {"gbBoost", GB, "", "Boost", ""},
        {"cbBOOSTEN", CB, "BOOSTP205[EN]", "BOOST EN", ""},
        {"cbBOOSTSRC", CB, "BOOSTP205[SRC]", "BOOST SRC", ""},
        {"lbBoostVoltageP202", LB, "", "Boost Voltage", BOLD},
        {"dialBoostVoltage", DIAL, "BOOSTP205[VSETPOINT]", "", ""},
        {"leBoostVoltage", RE, "BoostVoltage", "50.1", MARKED},
        {"lbUnitVolt_6", LB, "", "V", ""},
        {"lbVBOOST", LB, "", "VBOOST ADC", BOLD},
        {"leVBOOST", RE, "BoostVoltageMeas", "50.1", MARKED},
        {"lbUnitVolt_4", LB, "", "V", ""},
        {"pbBoard_adcVBOOST", PB, "readAdcVBOOST", "Read ADC", BUTTON},
        {"lbVBOOST_2", LB, "", "VBAT ADC", BOLD},
        {"leVBAT", RE, "BatteryVoltage", "12.0", MARKED},
        {"lbUnitVolt_5", LB, "", "V", ""},
        {"pbBoard_adcVBAT", PB, "readAdcVBAT", "Read ADC", BUTTON},
        {"pbBoostRestart", PB, "restartBoost", "Restart", BUTTON},
    };
}

// The buck channel boxes are twins: channel 2 carries names of its own.
struct ChannelWidget {
    const char *one;
    const char *two;
    QString className;
    QString binding; // pattern, see forChannel
    QString text;
    QString style;
};

const QList<ChannelWidget> &channelWidgets()
{
    static const QList<ChannelWidget> widgets = {
        {"gbChannel1", "gbChannel1_2", GB, "", "Channel %1", ""},
        {"cbEN1", "cbEN2", CB, "BUCK%1[EN]", "BUCK%1 EN", ""},
        {"dialBuck1", "dialBuck2", DIAL, "BUCK%1[VTHR]", "", ""},
        {"leCH1", "leCH2", RE, "", "41.4", MARKED},
        {"lbIUnitCurrent_11", "lbIUnitCurrent_12", LB, "", "mV", ""},
        {"lbRange0_7", "lbRange0_8", LB, "", "Ripple", ""},
        {"hsRIPPLE1", "hsRIPPLE2", SL, "", "", ""},
        {"leRIPPLE1", "leRIPPLE2", LE, "BUCK%1[TOFF_SET]", "8", MARKED},
        {"leRIPPLE1Current", "leRIPPLE2Current", RE, "", "21.2", MARKED},
        {"lbRIPPLEUnit2", "lbRIPPLEUnit2_2", LB, "", QStringLiteral(u"\u03bcs x V"), ""},
        {"lbIPEAK2P205", "lbIPEAK2P205_2", LB, "", "Ipeak", ""},
        {"leIPEAK1", "leIPEAK2", LE, "IPEAK%1", "207", MARKED},
        {"lbIUnitCurrent_5", "lbIUnitCurrent_6", LB, "", "mA", ""},
        {"lbIAVERAGE1P205_3", "lbIAVERAGE1P205_4", LB, "", "Iripple", ""},
        {"leIRIPPLE1", "leIRIPPLE2", LE, "IRIPPLE%1", "212", MARKED},
        {"lbIUnitCurrent_9", "lbIUnitCurrent_10", LB, "", "mA", ""},
        {"lbIAVERAGE2P205", "lbIAVERAGE2P205_2", LB, "", "Iaverage", ""},
        {"leIAVERAGE1", "leIAVERAGE2", RE, "IAVERAGE%1", "101", MARKED},
        {"lbIUnitCurrent_7", "lbIUnitCurrent_8", LB, "", "mA", ""},
        {"label_73", "label_74", LB, "", "VLED", BOLD},
        {"leVLED1", "leVLED2", RE, "", "12", MARKED},
        {"lbUnitVolt_3", "lbUnitVolt_7", LB, "", "V", ""},
        {"pbSpiP205_adcVLED1", "pbSpiP205_adcVLED2", PB, "adcVLED%1", "Read ADC", BUTTON},
    };
    return widgets;
}

// "LEDCTRL1" and "LEDCTRL2": the same texts, bindings numbered by channel.
QList<CensusRow> ledControlRows(int channel)
{
    const QString n = QString::number(channel);
    const QString freqLabel = channel == 1 ? "lbFreq0_2" : "lbFreq0_3";
    const QString dutyLabel = channel == 1 ? "lbDuty0" : "lbDuty0_2";
    return {
        {channel == 1 ? "gbCH1" : "gbCH1_2", GB, "", "LEDCTRL" + n, ""},
        {"cbLEDCTRL" + n, CB, "LEDCTRL" + n, "LEDCTRL", ""},
        {"cbPWM" + n, CB, "PWM" + n, "PWM", ""},
        {"leFREQ" + n, LE, "FREQ" + n, "1000", MARKED},
        {freqLabel, LB, "", "Freq [Hz]", ""},
        {"pbBoard_setCLKFreq" + n, PB, "setCLKFreq" + n, "Set Freq ", BUTTON},
        {"leDUTY" + n, LE, "DUTY" + n, "50", MARKED},
        {dutyLabel, LB, "", "Duty [%]", ""},
        {"pbBoard_setDuty" + n, PB, "setDuty" + n, "Set Duty", BUTTON},
    };
}

// The status grid: caption label, caption text, value edit, field of P205STATUS.
struct StatusValue {
    const char *caption;
    const char *captionText;
    const char *edit;
    const char *field;
};
const StatusValue statusValues[] = {
    {"lbREG0CP202_2", "VLED1ON [7:0]", "leVLED1ON", "VLED1ON"},
    {"lbREG0DP202_2", "VLED2ON [7:0]", "leVLED2ON", "VLED2ON"},
    {"lbREG0EP202_2", "VLED1 [7:0]", "leVLED1_2", "VLED1"},
    {"lbREG0FP202_2", "VLED2 [7:0]", "leVLED2_2", "VLED2"},
    {"lbREG10P202_2", "VTEMP [7:0]", "leVTEMP", "VTEMP"},
    {"lbREG13P202_2", "BUCK1_TON_DUR [7:0]", "leBUCK1_TON_DUR", "BUCK1_TON_DUR"},
    {"lbREG12P202_2", "VBAT [7:0]", "leVBAT_2", "VBAT"},
    {"lbREG14P202_2", "BUCK2_TON_DUR [7:0]", "leBUCK2_TON_DUR", "BUCK2_TON_DUR"},
    {"lbREG11P202_2", "VBOOST [7:0]", "leVBOOST_2", "VBOOST"},
};

// The fifteen flags: "LED1" rows 0-4, "LED2" rows 0-4, then the bottom row.
struct StatusFlag {
    const char *name;
    const char *field;
    const char *text;
};
const StatusFlag statusFlags[] = {
    {"cbOPENLED1", "OPENLED1", "OPENLED1 "},
    {"cbSHORTLED1", "SHORTLED1", "SHORTLED1 "},
    {"cbOCLED1", "OCLED1", "OCLED1 "},
    {"cbBUCKACTIVE1", "BUCKACTIVE1", "BUCKACTIVE1"},
    {"cbLED1VAL", "LED1VAL", "LED1VAL "},
    {"cbOPENLED2", "OPENLED2", "OPENLED2 "},
    {"cbSHORTLED2", "SHORTLED2", "SHORTLED2 "},
    {"cbOCLED2", "OCLED2", "OCLED2 "},
    {"cbBUCKACTIVE2", "BUCKACTIVE2", "BUCKACTIVE2"},
    {"cbLED2VAL", "LED2VAL", "LED2VAL "},
    {"cbTW", "TW", "TW "},
    {"cbSPIERR", "SPIERR", "SPIERR "},
    {"cbBOOST_STATUS", "BOOST_STATUS", "BOOST_STATUS"},
    {"cbTSD", "TSD", "TSD "},
    {"cbBOST_OV", "BOOST_OV", "BOOST_OV"},
};

QList<CensusRow> statusRows()
{
    QList<CensusRow> rows = {
        {"groupBox_2", GB, "", "Status", ""},
        {"gbREG15P202_1", GB, "", "LED1", ""},
        {"gbREG15P202_2", GB, "", "LED2", ""},
        {"pbSpiP205_readStatus", PB, "readStatus", "Read", BUTTON},
    };
    for (const StatusValue &v : statusValues) {
        rows << CensusRow{v.caption, LB, "", v.captionText, ""};
        rows << CensusRow{v.edit, LE, QStringLiteral("P205STATUS[%1]").arg(v.field), "", EDIT};
    }
    for (const StatusFlag &f : statusFlags)
        rows << CensusRow{f.name, CB, QStringLiteral("P205STATUS[%1]").arg(f.field), f.text, FLAG};
    return rows;
}

QList<CensusRow> boostClockRows()
{
    return {
        {"gbBSTSYNC", GB, "", "BSTSYNC", ""},
        {"cbBOOSTPWM", CB, "BOOSTPWM", "Clock", ""},
        {"lbFreq0", LB, "", "Freq [kHz]", ""},
        {"leBOOSTFREQ", LE, "BOOSTFREQ", "300", MARKED},
        {"pbBoard_setBoostCLK", PB, "setBoostCLK", "Set Freq ", BUTTON},
    };
}

} // namespace

class tst_P205Page : public QObject
{
    Q_OBJECT
private slots:
    void census();
    void groupCells_data();
    void groupCells();
    void statusCells();
    void currentGrids();
    void spacers();
    void creationOrder();
    void dialsAndSliders_data();
    void dialsAndSliders();
    void edits_data();
    void edits();
    void setButtons();
    void flagsTakeNoFocus();
    void nameBoundWidgets_data();
    void nameBoundWidgets();
};

void tst_P205Page::census()
{
    const FormHost host;
    QList<CensusRow> table = {{"p205", "QWidget", "", "KVL52205", ""}};
    table << boostRows() << twinRows(channelWidgets(), 1) << twinRows(channelWidgets(), 2)
          << ledControlRows(1) << ledControlRows(2) << statusRows() << boostClockRows();
    const PageCensus census(host.page("p205"));
    const QStringList problems = census.compare(table);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(census.widgetCount(), 123);
    QCOMPARE(census.layoutCount(), 51);
    QCOMPARE(census.spacerCount(), 10);
    QCOMPARE(census.boundClassCount(), 71);
    QCOMPARE(census.boundWithBindingCount(), 63);
    const QMap<QString, int> layouts = {
        {"QGridLayout", 12}, {"QHBoxLayout", 21}, {"QVBoxLayout", 18}};
    QCOMPARE(census.layoutClasses(), layouts);
}

void tst_P205Page::groupCells_data()
{
    addRows<QString, QString, QList<int>>(
        {"name", "grid", "cell"},
        {{"gbBoost", "gridLayout_13", {0, 0, 2, 1}},
         {"gbChannel1", "gridLayout_13", {0, 1, 2, 1}},
         {"gbChannel1_2", "gridLayout_13", {0, 2, 2, 1}},
         {"groupBox_2", "gridLayout_13", {0, 3, 1, 1}},
         {"gbBSTSYNC", "gridLayout_13", {2, 0, 1, 1}},
         {"gbCH1", "gridLayout_13", {2, 1, 2, 1}},
         {"gbCH1_2", "gridLayout_13", {2, 2, 2, 1}},
         // the LED-control rows: button, label, edit whatever the order of creation
         {"pbBoard_setCLKFreq1", "gridLayout_23", {0, 0, 1, 1}},
         {"lbFreq0_2", "gridLayout_23", {0, 1, 1, 1}},
         {"leFREQ1", "gridLayout_23", {0, 2, 1, 1}},
         {"pbBoard_setDuty1", "gridLayout_23", {1, 0, 1, 1}},
         {"lbDuty0", "gridLayout_23", {1, 1, 1, 1}},
         {"leDUTY1", "gridLayout_23", {1, 2, 1, 1}},
         {"pbBoard_setCLKFreq2", "gridLayout_24", {0, 0, 1, 1}},
         {"lbFreq0_3", "gridLayout_24", {0, 1, 1, 1}},
         {"leFREQ2", "gridLayout_24", {0, 2, 1, 1}},
         {"pbBoard_setDuty2", "gridLayout_24", {1, 0, 1, 1}},
         {"lbDuty0_2", "gridLayout_24", {1, 1, 1, 1}},
         {"leDUTY2", "gridLayout_24", {1, 2, 1, 1}},
         {"cbBUCKACTIVE2", "gridLayout_38", {3, 0, 1, 1}}});
}

void tst_P205Page::groupCells()
{
    QFETCH(QString, name);
    QFETCH(QString, grid);
    QFETCH(QList<int>, cell);
    const FormHost host;
    QCOMPARE(cellOf(widget<QWidget>(host, name), grid), cell);
}

void tst_P205Page::statusCells()
{
    const FormHost host;
    int index = 0;
    for (const StatusValue &v : statusValues) {
        const int row = index / 2;
        const int column = 2 * (index % 2);
        QCOMPARE(cellOf(widget<QWidget>(host, v.caption), "gridLayout_12"),
                 QList<int>({row, column, 1, 1}));
        QCOMPARE(cellOf(widget<QWidget>(host, v.edit), "gridLayout_12"),
                 QList<int>({row, column + 1, 1, 1}));
        ++index;
    }
    auto *grid = host.ui.p205->findChild<QGridLayout *>("gridLayout_12");
    QVERIFY(grid);
    QCOMPARE(grid->itemAtPosition(4, 2), nullptr);
    QCOMPARE(grid->itemAtPosition(4, 3), nullptr);
    // "LED1" and "LED2" hold five flags each in one column.
    for (int i = 0; i < 10; ++i)
        QCOMPARE(cellOf(widget<QWidget>(host, statusFlags[i].name),
                        i < 5 ? "gridLayout_37" : "gridLayout_38"),
                 QList<int>({i % 5, 0, 1, 1}));
    // The bottom row holds the last five flags, left to right.
    for (int i = 10; i < 15; ++i)
        QCOMPARE(host.ui.horizontalLayout_3->indexOf(widget<QWidget>(host, statusFlags[i].name)),
                 i - 10);
}

// The three current rows of each channel: caption, value, unit.
void tst_P205Page::currentGrids()
{
    const FormHost host;
    const char *const cells[3][3] = {{"lbIPEAK2P205", "leIPEAK1", "lbIUnitCurrent_5"},
                                     {"lbIAVERAGE1P205_3", "leIRIPPLE1", "lbIUnitCurrent_9"},
                                     {"lbIAVERAGE2P205", "leIAVERAGE1", "lbIUnitCurrent_7"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const QString one = QString::fromLatin1(cells[row][column]);
            const auto twin = std::find_if(channelWidgets().cbegin(), channelWidgets().cend(),
                                           [&](const ChannelWidget &w) { return one == w.one; });
            QVERIFY(twin != channelWidgets().cend());
            const QList<int> cell = {row, column, 1, 1};
            QCOMPARE(cellOf(widget<QWidget>(host, one), "gridLayout_20"), cell);
            QCOMPARE(cellOf(widget<QWidget>(host, twin->two), "gridLayout_21"), cell);
        }
}

// Horizontal spacers 40 by 20 push row items apart, vertical ones 20 by 40 push columns down.
void tst_P205Page::spacers()
{
    const FormHost host;
    const QString across =
        QStringLiteral(" 40x20 %1 %2").arg(QSizePolicy::Expanding).arg(QSizePolicy::Minimum);
    const QString down =
        QStringLiteral(" 20x40 %1 %2").arg(QSizePolicy::Minimum).arg(QSizePolicy::Expanding);
    QStringList expected;
    for (const char *row : {"horizontalLayout_12", "horizontalLayout_14", "horizontalLayout_16",
                            "horizontalLayout_25", "horizontalLayout_26"})
        expected << row + across;
    for (const char *column : {"gridLayout_13", "verticalLayout_28", "verticalLayout_35",
                               "verticalLayout_37", "verticalLayout_46"})
        expected << column + down;
    expected.sort();
    QCOMPARE(spacersOf(host.ui.p205), expected);
}

void tst_P205Page::creationOrder()
{
    const FormHost host;
    const auto order = [](const QWidget *parent, const QStringList &names) {
        QStringList seen;
        for (const QObject *child : parent->children())
            if (names.contains(child->objectName()))
                seen << child->objectName();
        return seen;
    };
    const QStringList groups = {"gbChannel1", "gbBoost",   "gbCH1_2",     "gbCH1",
                                "groupBox_2", "gbBSTSYNC", "gbChannel1_2"};
    QCOMPARE(order(host.ui.p205, groups), groups);
    // Channel 1 creates its rows edit first, channel 2 button first.
    const QStringList one = {"leFREQ1", "lbFreq0_2", "pbBoard_setCLKFreq1"};
    QCOMPARE(order(host.ui.gbCH1, one), one);
    const QStringList two = {"pbBoard_setCLKFreq2", "lbFreq0_3", "leFREQ2"};
    QCOMPARE(order(host.ui.gbCH1_2, two), two);
}

void tst_P205Page::dialsAndSliders_data()
{
    addRows<QString, int, int, int>({"name", "maximum", "value", "minimumWidth"},
                                    {{"dialBoostVoltage", 127, 64, 0},
                                     {"dialBuck1", 255, 27, 0},
                                     {"dialBuck2", 255, 27, 0},
                                     {"hsRIPPLE1", 15, 8, 115},
                                     {"hsRIPPLE2", 15, 8, 115}});
}

void tst_P205Page::dialsAndSliders()
{
    QFETCH(QString, name);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(int, minimumWidth);
    const FormHost host;
    auto *slider = widget<QAbstractSlider>(host, name);
    QVERIFY(slider);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), maximum);
    QCOMPARE(slider->value(), value);
    QCOMPARE(slider->singleStep(), 1);
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QCOMPARE(slider->minimumWidth(), minimumWidth);
    QVERIFY(!slider->hasTracking());
    if (auto *dial = qobject_cast<QDial *>(slider)) {
        QVERIFY(!dial->wrapping());
        QVERIFY(dial->notchesVisible());
    }
    // No tracking: a drag only moves the handle; the value follows on release.
    slider->setSliderDown(true);
    slider->setSliderPosition(maximum);
    QCOMPARE(slider->value(), value);
    slider->setSliderDown(false);
    QCOMPARE(slider->value(), maximum);
}

void tst_P205Page::edits_data()
{
    addRows<QString, bool, int, bool>({"name", "readOnly", "maxLength", "centred"},
                                      {{"leCH1", true, 32767, true},
                                       {"leCH2", true, 32767, true},
                                       {"leRIPPLE1Current", true, 32767, false},
                                       {"leRIPPLE2Current", true, 32767, false},
                                       {"leIPEAK1", true, 32767, false},
                                       {"leIPEAK2", true, 32767, false},
                                       {"leIRIPPLE1", true, 32767, false},
                                       {"leIRIPPLE2", true, 32767, false},
                                       {"leIAVERAGE1", true, 32767, false},
                                       {"leIAVERAGE2", true, 32767, false},
                                       {"leVLED1ON", true, 5, false},
                                       {"leVLED2ON", true, 5, false},
                                       {"leVLED1_2", true, 5, false},
                                       {"leVLED2_2", true, 5, false},
                                       {"leVTEMP", true, 5, false},
                                       {"leBUCK1_TON_DUR", true, 5, false},
                                       {"leVBAT_2", true, 5, false},
                                       {"leBUCK2_TON_DUR", true, 5, false},
                                       {"leVBOOST_2", true, 5, false},
                                       {"leBoostVoltage", false, 32767, true},
                                       {"leVBOOST", false, 32767, true},
                                       {"leVBAT", false, 32767, true},
                                       {"leVLED1", false, 32767, true},
                                       {"leVLED2", false, 32767, true},
                                       {"leRIPPLE1", false, 32767, false},
                                       {"leRIPPLE2", false, 32767, false},
                                       {"leFREQ1", false, 5, false},
                                       {"leFREQ2", false, 5, false},
                                       {"leDUTY1", false, 5, false},
                                       {"leDUTY2", false, 5, false},
                                       {"leBOOSTFREQ", false, 7, false}});
}

void tst_P205Page::edits()
{
    QFETCH(QString, name);
    QFETCH(bool, readOnly);
    QFETCH(int, maxLength);
    QFETCH(bool, centred);
    const FormHost host;
    auto *edit = widget<QLineEdit>(host, name);
    QVERIFY(edit);
    QCOMPARE(edit->isReadOnly(), readOnly);
    QCOMPARE(edit->maxLength(), maxLength);
    QCOMPARE(edit->alignment() == Qt::AlignCenter, centred);
    QVERIFY(edit->isEnabled());
}

void tst_P205Page::setButtons()
{
    const FormHost host;
    for (QPushButton *button : {host.ui.pbBoard_setCLKFreq1, host.ui.pbBoard_setDuty1,
                                host.ui.pbBoard_setCLKFreq2, host.ui.pbBoard_setDuty2}) {
        QCOMPARE(button->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
        QCOMPARE(button->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(button->maximumWidth(), 61);
        QVERIFY(button->isEnabled());
    }
    // The boost clock's own button is not narrowed.
    QCOMPARE(host.ui.pbBoard_setBoostCLK->maximumWidth(), QWIDGETSIZE_MAX);
}

void tst_P205Page::flagsTakeNoFocus()
{
    FormHost host;
    for (const StatusFlag &f : statusFlags) {
        auto *flag = widget<QCheckBox>(host, f.name);
        QVERIFY(flag);
        QCOMPARE(flag->focusPolicy(), Qt::NoFocus);
        QVERIFY(flag->isEnabled());
        QVERIFY(!flag->isChecked());
    }
    // Not disabled: a click still toggles a flag.
    host.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.form));
    host.ui.tabWidget->setCurrentWidget(host.ui.p205);
    QTest::mouseClick(host.ui.cbTSD, Qt::LeftButton);
    QVERIFY(host.ui.cbTSD->isChecked());
    QVERIFY(!host.ui.cbTSD->hasFocus());
    // The other check boxes keep the default focus policy.
    QCOMPARE(host.ui.cbEN1->focusPolicy(), Qt::StrongFocus);
}

void tst_P205Page::nameBoundWidgets_data()
{
    // Bound widgets without an accessible name take their binding from the object name.
    addRows<QString, QString>({"name", "binding"}, {{"leVLED1", "VLED1"},
                                                    {"leVLED2", "VLED2"},
                                                    {"leCH1", "CH1"},
                                                    {"leCH2", "CH2"},
                                                    {"leRIPPLE1Current", "RIPPLE1Current"},
                                                    {"leRIPPLE2Current", "RIPPLE2Current"},
                                                    {"hsRIPPLE1", "RIPPLE1"},
                                                    {"hsRIPPLE2", "RIPPLE2"},
                                                    {"cbBOST_OV", "P205STATUS[BOOST_OV]"}});
}

void tst_P205Page::nameBoundWidgets()
{
    QFETCH(QString, name);
    QFETCH(QString, binding);
    const FormHost host;
    QCOMPARE(bindingOf(widget<QWidget>(host, name)), binding);
}

QTEST_MAIN(tst_P205Page)
#include "tst_p205page.moc"
