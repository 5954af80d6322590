// The "KVL52404" page of the board form: boost, two buck channels with their output-current
// plots, and the four status words.
#include "pagecensus.h"
#include "pagelookup.h"
#include "tablerows.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

using namespace PageLookup;

namespace
{

const QString &CB = CheckBox;
const QString &LE = LineEdit;
const QString &RE = RealEdit;
const QString &PB = PushButton;
const QString CM = QStringLiteral("CustomControls::ComboBox");
const QString SB = QStringLiteral("CustomControls::SpinBox");
const QString &DIAL = Dial;
const QString &LB = Label;
const QString &GB = GroupBox;
const QString LINE = QStringLiteral("QFrame");
const QString PLOT = QStringLiteral("QCustomPlot");
// The page sets no sheet but the plot's empty one; edits with text show their edited mark.
const QString &MARKED = MarkedEdit;

QString map(const QString &field)
{
    return QStringLiteral("SPI_MAPP404[%1]").arg(field);
}

QList<CensusRow> boostRows()
{
    return {
        {"groupBox_10", GB, "", "Boost", ""},
        {"label_89", LB, "", "Boost Voltage", ""},
        {"dialVBOOST", DIAL, map("BST_VSETPOINT"), "", ""},
        {"label_91", LB, "", "V", ""},
        {"label_94", LB, "", "Measured VBOOST", ""},
        {"label_93", LB, "", "V", ""},
        {"leVBSTV", RE, "BoostVoltageMeas", "0", MARKED},
        {"label_92", LB, "", "Set VBOOST", ""},
        {"leVBSTSET", RE, "BoostVoltage", "0", MARKED},
        {"pbReadVBOOST", PB, "ReadVBOOST()", "Read VBOOST", ""},
        {"line_5", LINE, "", "", ""},
        {"label_95", LB, "", "Boost Phases", ""},
        {"cbBST1EN", CB, map("BST1_EN"), "Phase 1 Enable", ""},
        {"cbBST2EN", CB, map("BST2_EN"), "Phase 2 Enable", ""},
        {"label_90", LB, "", "Boost Softstart", ""},
        {"cmBSTSOFTSTART", CM, map("BST_SOFTSTART"), "", ""},
        {"label_40", LB, "", "Boost CLK Source", ""},
        {"cmBSTSRC", CM, map("BST_SRC"), "", ""},
        {"label_57", LB, "", "Boost CLK Frequency", ""},
        {"cmBSTSRCFREQ", CM, map("BST_SRC_FREQ"), "", ""},
        {"line_6", LINE, "", "", ""},
        {"cbBSTSYNCP404", CB, "BOOSTPWM", "MCU BSTSYNC generator", ""},
        {"pbBSTSYNCFREQ", PB, "setBoostCLK", "Set Freq ", ""},
        {"lbFreq0_4", LB, "", "Freq [kHz]", ""},
        {"leBSTFREQP404", LE, "BOOSTFREQ", "", ""},
    };
}

// The two buck channel boxes are twins with names of their own; grid cells are the same.
struct ChannelWidget {
    const char *one;
    const char *two;
    QString className;
    QString binding; // pattern, see forChannel
    QString text;
    QString style;
    const char *gridOne; // grid of the channel-1 widget, nullptr outside a grid
    const char *gridTwo;
    int row;
    int column;
};

const QList<ChannelWidget> &channelWidgets()
{
    static const QList<ChannelWidget> widgets = {
        {"groupBox_11", "groupBox_12", GB, "", "BUCK Channel %1", "", nullptr, nullptr, 0, 0},
        {"label_102", "label_114", LB, "", "Average current", "", nullptr, nullptr, 0, 0},
        {"dialBCK1AVG", "dialBCK2AVG", DIAL, map("BUCK%1_IAVG"), "", "", nullptr, nullptr, 0, 0},
        {"cbBUCK1EN_P404", "cbBUCK2EN_P404", CB, map("BUCK%1_EN"), "Buck CH%1 Enable", "", nullptr,
         nullptr, 0, 0},
        {"label_106", "label_115", LB, "", "Iaverage", "", "gridLayout_27", "gridLayout_33", 0, 0},
        {"le_BUCK1CURRENT", "le_BUCK2CURRENT", RE, "IAVERAGE%1", "0", MARKED, "gridLayout_27",
         "gridLayout_33", 0, 1},
        {"label_39", "label_58", LB, "", "mA", "", "gridLayout_27", "gridLayout_33", 0, 2},
        {"label_100", "label_116", LB, "", "Current Range", "", "gridLayout_27", "gridLayout_33", 1,
         0},
        {"sbBCK1RANGE", "sbBCK2RANGE", SB, map("BUCK%1_IRNG"), "", "", "gridLayout_27",
         "gridLayout_33", 1, 1},
        {"label_110", "label_117", LB, "", "Constant Freq. Regulation", "", nullptr, nullptr, 0, 0},
        {"cmBCK1FREQ", "cmBCK2FREQ", CM, map("BUCK%1_FREQ"), "", "", nullptr, nullptr, 0, 0},
        {"line_9", "line_13", LINE, "", "", "", nullptr, nullptr, 0, 0},
        {"plotCH1", "plotCH2", PLOT, "", "", "", nullptr, nullptr, 0, 0},
        {"lbIPEAK1", "lbIPEAK2", LB, "", "Ipeak", "", "gridLayout_11", "gridLayout_34", 0, 0},
        {"leIPEAK1P404", "leIPEAK2P404", LE, "", "0", MARKED, "gridLayout_11", "gridLayout_34", 0,
         1},
        {"lbIUnitCurrent", "lbIUnitCurrent_13", LB, "", "mA", "", "gridLayout_11", "gridLayout_34",
         0, 2},
        {"lbIAVERAGE1", "lbIAVERAGE_2", LB, "", "Iaverage", "", "gridLayout_11", "gridLayout_34", 0,
         4},
        {"leIAVERAGE1P404", "leIAVERAGE2P404", LE, "IAVERAGE%1", "0", MARKED, "gridLayout_11",
         "gridLayout_34", 0, 5},
        {"lbIUnitCurrent_3", "lbIUnitCurrent_15", LB, "", "mA", "", "gridLayout_11",
         "gridLayout_34", 0, 6},
        {"lbIRIPPLE1", "lbIRIPPLE1_3", LB, "", "Iripple", "", "gridLayout_11", "gridLayout_34", 1,
         0},
        {"leIRIPPLE1P404", "leIRIPPLE2P404", LE, "", "0", MARKED, "gridLayout_11", "gridLayout_34",
         1, 1},
        {"lbIUnitCurrent_2", "lbIUnitCurrent_14", LB, "", "mA", "", "gridLayout_11",
         "gridLayout_34", 1, 2},
        {"lbFREQ1", "lbFREQ_2", LB, "", "Frequency", "", "gridLayout_11", "gridLayout_34", 1, 4},
        {"leFREQ1P404_2", "leFREQ2P404_2", "QLineEdit", "", "0", "", "gridLayout_11",
         "gridLayout_34", 1, 5},
        {"lbUnitHertz_3", "lbUnitHertz", LB, "", "kHz", "", "gridLayout_11", "gridLayout_34", 1, 6},
        {"line_7", "line_8", LINE, "", "", "", nullptr, nullptr, 0, 0},
        {"label_85", "label_119", LB, "", "VLED%1", "", "gridLayout_46", "gridLayout_47", 0, 0},
        {"leBCK1VLED", "leBCK2VLED", RE, "VLED%1", "0", MARKED, "gridLayout_46", "gridLayout_47", 0,
         1},
        {"label_59", "label_60", LB, "", "V", "", "gridLayout_46", "gridLayout_47", 0, 2},
        {"pbBCK1VLED", "pbBCK2VLED", PB, "ReadVLED(%1)", "Read", "", "gridLayout_46",
         "gridLayout_47", 0, 3},
        {"label_111", "label_112", LB, "", "BUCK%1 DIM DUTY", "", "gridLayout_46", "gridLayout_47",
         1, 0},
        {"sbBCK1DIMDUTY", "sbBCK2DIMDUTY", SB, map("BUCK%1_DIM_DUTY"), "", "", "gridLayout_46",
         "gridLayout_47", 1, 1},
        {"line_15", "line_16", LINE, "", "", "", nullptr, nullptr, 0, 0},
        {"cbLEDCTRL1P404", "cbLEDCTRL2P404", CB, "LEDCTRL%1", "LEDCTRL%1", "", nullptr, nullptr, 0,
         0},
        {"cbPWM1P404", "cbPWM2P404", CB, "PWM%1", "PWM%1", "", nullptr, nullptr, 0, 0},
        {"pbFREQ1P404", "pbFREQ2P404", PB, "setCLKFreq%1", "Set Freq ", "", "gridLayout_42",
         "gridLayout_43", 0, 0},
        {"lbFreq0_5", "lbFreq0_6", LB, "", "Freq [Hz]", "", "gridLayout_42", "gridLayout_43", 0, 1},
        {"leFREQ1P404", "leFREQ2P404", LE, "FREQ%1", "", "", "gridLayout_42", "gridLayout_43", 0,
         2},
        {"pbDUTY1P404", "pbDUTY2P404", PB, "setDuty%1", "Set Duty", "", "gridLayout_42",
         "gridLayout_43", 1, 0},
        {"lbDuty0_4", "lbDuty0_5", LB, "", "Duty [%]", "", "gridLayout_42", "gridLayout_43", 1, 1},
        {"leDUTY1P404", "leDUTY2P404", LE, "DUTY%1", "", "", "gridLayout_42", "gridLayout_43", 1,
         2},
    };
    return widgets;
}

// A status flag: its name, the field it shows (also its text), its grid and cell.
struct Flag {
    QString name;
    QString field;
    QString grid;
    int row;
    int column;
};

QList<Flag> statusFlags()
{
    QList<Flag> flags = {
        {"cbHWR_2", "HWR", "gridLayout_35", 0, 0},
        {"cbCMD_REJECT", "CMD_REJECT", "gridLayout_35", 0, 1},
        {"cbFSO_2", "FSO", "gridLayout_35", 1, 0},
        {"cbSPIERR_2", "SPIERR", "gridLayout_35", 1, 1},
        {"cbTW_2", "TW", "gridLayout_35", 2, 0},
        {"cbEEPROMERR", "EEPROMERR", "gridLayout_35", 2, 1},
        {"cbTSD_2", "TSD", "gridLayout_35", 3, 0},
        {"cbTRIMERR", "TRIMERR", "gridLayout_35", 3, 1},
        {"cbBST1_RUNNING", "BST1_RUNNING", "gridLayout_41", 0, 0},
        {"cbBST2_RUNNING", "BST2_RUNNING", "gridLayout_41", 0, 2},
        {"cbVDRV_UV", "VDRV_UV", "gridLayout_41", 2, 0},
        {"cbBST_SYNCFAIL", "BST_SYNCFAIL", "gridLayout_41", 2, 2},
        {"cbBST_OSCFAIL", "BST_OSCFAIL", "gridLayout_41", 3, 0},
        {"cbBST_OV", "BST_OV", "gridLayout_41", 3, 2},
        {"cbBST_FBFAIL", "BST_FBFAIL", "gridLayout_41", 4, 0},
        {"cbBST_SKCL", "BST_SKCL", "gridLayout_41", 4, 2},
    };
    // The two buck words share one grid arrangement.
    const struct {
        const char *flag;
        int row;
        int column;
    } buckCells[] = {{"RUNNING", 0, 0},  {"OVLD", 0, 1},    {"CBT_OV", 0, 2},  {"DIM_FADE", 1, 0},
                     {"SHORTLED", 1, 1}, {"TSD", 1, 2},     {"ZCDMODE", 2, 0}, {"OPENLED", 2, 1},
                     {"CBT_UVS", 2, 2},  {"MIN_TON", 3, 0}, {"CBT_UV", 3, 1}};
    for (int channel = 1; channel <= 2; ++channel)
        for (const auto &cell : buckCells) {
            const QString field = QStringLiteral("BUCK%1_%2").arg(channel).arg(cell.flag);
            const QString suffix = field.endsWith("OPENLED") ? "_2" : "";
            flags << Flag{"cb" + field + suffix, field,
                          channel == 1 ? "gridLayout_36" : "gridLayout_40", cell.row, cell.column};
        }
    return flags;
}

QList<CensusRow> statusRows()
{
    QList<CensusRow> rows = {
        {"groupBox_13", GB, "", "Status", ""},
        {"label_63", LB, "", "General", ""},
        {"label_56", LB, "", "FRAME_CNT [3:0]", ""},
        {"leFRAME_CNT", LE, map("FRAME_CNT"), "", ""},
        {"pbGeneralP404", PB, "Read(32)", "Read General Flags", ""},
        {"line_10", LINE, "", "", ""},
        {"label_79", LB, "", "Boost", ""},
        {"label_77", LB, "", "BST1_REGSTATUS [1:0]", ""},
        {"leBST1_REGSTATUS", LE, map("BST1_REGSTATUS"), "", ""},
        {"label_78", LB, "", "BST2_REGSTATUS [1:0]", ""},
        {"leBST2_REGSTATUS", LE, map("BST2_REGSTATUS"), "", ""},
        {"pbStatusP404", PB, "Read(32;33;40;54)", "Read All Status Registers", ""},
        {"line_14", LINE, "", "", ""},
        {"pbSWResetP404", PB, "swresetP404", "Perform SWRESET", ""},
        {"pbDefaultP404", PB, "defaultP404", "Load Defaults", ""},
    };
    const char *heading[] = {"label_66", "label_76"};
    const char *lines[] = {"line_11", "line_12"};
    const char *regLabel[] = {"label_61", "label_64"};
    const char *monLabel[] = {"label_62", "label_65"};
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i + 1);
        rows << CensusRow{heading[i], LB, "", "Buck channel " + n, ""}
             << CensusRow{regLabel[i], LB, "", "BUCK" + n + "_REGSTATUS [1:0]", ""}
             << CensusRow{"cmBUCK" + n + "_REGSTATUS", CM, map("BUCK" + n + "_REGSTATUS"), "", ""}
             << CensusRow{monLabel[i], LB, "", "LEDCTRL" + n + "_MON [1:0]", ""}
             << CensusRow{"leLEDCTRL" + n + "_MON", LE, map("LEDCTRL" + n + "_MON"), "", ""}
             << CensusRow{lines[i], LINE, "", "", ""};
    }
    for (const Flag &f : statusFlags())
        rows << CensusRow{f.name, CB, map(f.field), f.field, ""};
    return rows;
}

} // namespace

class tst_P404Page : public QObject
{
    Q_OBJECT
private slots:
    void census();
    void channelCells();
    void statusCells();
    void stackingOrder();
    void spacers();
    void ranges_data();
    void ranges();
    void combosEmpty();
    void plots();
    void edits_data();
    void edits();
    void initialStates();
    void headings();
    void sharedBindings_data();
    void sharedBindings();
};

void tst_P404Page::census()
{
    const FormHost host;
    QList<CensusRow> table = {{"P404", "QWidget", "", "KVL52404", ""}};
    table << boostRows() << twinRows(channelWidgets(), 1) << twinRows(channelWidgets(), 2)
          << statusRows();
    const PageCensus census(host.page("P404"));
    const QStringList problems = census.compare(table);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(census.widgetCount(), 173);
    QCOMPARE(census.layoutCount(), 39);
    QCOMPARE(census.spacerCount(), 10);
    QCOMPARE(census.boundClassCount(), 95);
    QCOMPARE(census.boundWithBindingCount(), 91);
    const QMap<QString, int> layouts = {
        {"QFormLayout", 2}, {"QGridLayout", 15}, {"QHBoxLayout", 8}, {"QVBoxLayout", 14}};
    QCOMPARE(census.layoutClasses(), layouts);
}

void tst_P404Page::channelCells()
{
    const FormHost host;
    for (const ChannelWidget &w : channelWidgets()) {
        if (!w.gridOne)
            continue;
        const QList<int> cell = {w.row, w.column, 1, 1};
        QCOMPARE(cellOf(widget<QWidget>(host, w.one), w.gridOne), cell);
        QCOMPARE(cellOf(widget<QWidget>(host, w.two), w.gridTwo), cell);
    }
    // The spacer between the result columns and the empty third cells.
    for (const char *grid : {"gridLayout_11", "gridLayout_34"}) {
        auto *layout = host.ui.P404->findChild<QGridLayout *>(grid);
        QVERIFY(layout);
        QVERIFY(layout->itemAtPosition(1, 3)->spacerItem());
        QCOMPARE(layout->itemAtPosition(0, 3), nullptr);
    }
    QCOMPARE(host.ui.gridLayout_27->itemAtPosition(1, 2), nullptr);
    QCOMPARE(host.ui.gridLayout_47->itemAtPosition(1, 3), nullptr);
}

void tst_P404Page::statusCells()
{
    const FormHost host;
    for (const Flag &f : statusFlags())
        QCOMPARE(cellOf(widget<QWidget>(host, f.name), f.grid),
                 QList<int>({f.row, f.column, 1, 1}));
    QCOMPARE(host.ui.gridLayout_36->itemAtPosition(3, 2), nullptr);
    QCOMPARE(host.ui.gridLayout_40->itemAtPosition(3, 2), nullptr);
    QCOMPARE(cellOf(host.ui.leBST1_REGSTATUS, "gridLayout_41"), QList<int>({1, 1, 1, 1}));
    QCOMPARE(cellOf(host.ui.leBST2_REGSTATUS, "gridLayout_41"), QList<int>({1, 3, 1, 1}));
    // The REGSTATUS selectors and monitor edits are form rows: label left, field right.
    const struct {
        QFormLayout *form;
        QWidget *label;
        QWidget *field;
        int row;
    } rows[] = {{host.ui.formLayout_15, host.ui.label_61, host.ui.cmBUCK1_REGSTATUS, 0},
                {host.ui.formLayout_15, host.ui.label_62, host.ui.leLEDCTRL1_MON, 1},
                {host.ui.formLayout_16, host.ui.label_64, host.ui.cmBUCK2_REGSTATUS, 0},
                {host.ui.formLayout_16, host.ui.label_65, host.ui.leLEDCTRL2_MON, 1}};
    for (const auto &r : rows) {
        QCOMPARE(r.form->itemAt(r.row, QFormLayout::LabelRole)->widget(), r.label);
        QCOMPARE(r.form->itemAt(r.row, QFormLayout::FieldRole)->widget(), r.field);
    }
    // Buck channel 2 creates DIM_FADE before RUNNING, channel 1 the other way round.
    const QObjectList children = host.ui.groupBox_13->children();
    QVERIFY(children.indexOf(host.ui.cbBUCK1_RUNNING) < children.indexOf(host.ui.cbBUCK1_DIM_FADE));
    QVERIFY(children.indexOf(host.ui.cbBUCK2_DIM_FADE) < children.indexOf(host.ui.cbBUCK2_RUNNING));
}

void tst_P404Page::stackingOrder()
{
    const FormHost host;
    // Raised last, in this order (cbPWM1P404 is raised twice and ends on top).
    const QStringList raised = {"line_9",      "plotCH1",     "line_7",      "cbLEDCTRL1P404",
                                "leFREQ1P404", "pbFREQ1P404", "leDUTY1P404", "pbDUTY1P404",
                                "lbFreq0_5",   "lbDuty0_4",   "line_15",     "cbPWM1P404"};
    QStringList top;
    for (const QObject *child : host.ui.groupBox_11->children())
        if (child->isWidgetType())
            top << child->objectName();
    QCOMPARE(top.mid(top.size() - raised.size()), raised);
    // Channel 2 keeps its creation order.
    QStringList second;
    for (const QObject *child : host.ui.groupBox_12->children())
        if (child->isWidgetType())
            second << child->objectName();
    QCOMPARE(second.first(), QStringLiteral("label_114"));
    QCOMPARE(second.last(), QStringLiteral("leDUTY2P404"));
}

// Spacers centre the enable boxes, part the result columns and push the groups up.
void tst_P404Page::spacers()
{
    const FormHost host;
    const QString across =
        QStringLiteral("x20 %1 %2").arg(QSizePolicy::Expanding).arg(QSizePolicy::Minimum);
    const QString down =
        QStringLiteral(" %1 %2").arg(QSizePolicy::Minimum).arg(QSizePolicy::Expanding);
    QStringList expected = {"horizontalLayout_50 40" + across, "horizontalLayout_50 40" + across,
                            "horizontalLayout_51 40" + across, "horizontalLayout_51 40" + across,
                            "gridLayout_11 100" + across,      "gridLayout_34 100" + across,
                            "verticalLayout_60 20x40" + down,  "verticalLayout_61 20x40" + down,
                            "verticalLayout_62 20x40" + down,  "verticalLayout_63 20x138" + down};
    expected.sort();
    QCOMPARE(spacersOf(host.ui.P404), expected);
}

void tst_P404Page::ranges_data()
{
    addRows<QString, int, int, bool>({"name", "maximum", "minimumHeight", "expanding"},
                                     {{"dialVBOOST", 127, 100, false},
                                      {"dialBCK1AVG", 255, 0, false},
                                      {"dialBCK2AVG", 255, 0, false},
                                      {"sbBCK1RANGE", 3, 0, true},
                                      {"sbBCK2RANGE", 3, 0, true},
                                      {"sbBCK1DIMDUTY", 255, 0, false},
                                      {"sbBCK2DIMDUTY", 255, 0, false}});
}

void tst_P404Page::ranges()
{
    QFETCH(QString, name);
    QFETCH(int, maximum);
    QFETCH(int, minimumHeight);
    QFETCH(bool, expanding);
    const FormHost host;
    QWidget *widget = PageLookup::widget<QWidget>(host, name);
    QVERIFY(widget);
    QCOMPARE(widget->minimumHeight(), minimumHeight);
    QCOMPARE(widget->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding, expanding);
    if (expanding)
        QCOMPARE(widget->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    if (auto *dial = qobject_cast<QAbstractSlider *>(widget)) {
        QCOMPARE(dial->minimum(), 0);
        QCOMPARE(dial->maximum(), maximum);
        QCOMPARE(dial->value(), 0);
        dial->setValue(maximum + 1);
        QCOMPARE(dial->value(), maximum);
    } else {
        auto *spin = qobject_cast<QSpinBox *>(widget);
        QVERIFY(spin);
        QCOMPARE(spin->minimum(), 0);
        QCOMPARE(spin->maximum(), maximum);
        QCOMPARE(spin->value(), 0);
        spin->setValue(maximum + 1);
        QCOMPARE(spin->value(), maximum);
    }
}

void tst_P404Page::combosEmpty()
{
    const FormHost host;
    const QStringList names = {"cmBSTSOFTSTART",   "cmBSTSRC",   "cmBSTSRCFREQ",
                               "cmBCK1FREQ",       "cmBCK2FREQ", "cmBUCK1_REGSTATUS",
                               "cmBUCK2_REGSTATUS"};
    for (const QString &name : names) {
        auto *combo = widget<QComboBox>(host, name);
        QVERIFY(combo);
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->currentIndex(), -1);
        // All but the boost selectors stretch across their column.
        const bool expanding = !name.startsWith(QLatin1String("cmBST"));
        QCOMPARE(combo->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding, expanding);
    }
}

void tst_P404Page::plots()
{
    const FormHost host;
    for (QCustomPlot *plot : {host.ui.plotCH1, host.ui.plotCH2}) {
        QVERIFY(qobject_cast<QCustomPlot *>(plot));
        QCOMPARE(plot->minimumSize(), QSize(300, 200));
        QCOMPARE(plot->parentWidget()->parentWidget(), host.ui.P404);
    }
}

void tst_P404Page::edits_data()
{
    addRows<QString, bool, int, int>(
        {"name", "readOnly", "maxLength", "minimumWidth"},
        {{"leIPEAK1P404", true, 32767, 0},      {"leIRIPPLE1P404", true, 32767, 0},
         {"leIAVERAGE1P404", true, 32767, 0},   {"leFREQ1P404_2", true, 32767, 0},
         {"leBCK1VLED", true, 32767, 0},        {"leIPEAK2P404", true, 32767, 0},
         {"leIRIPPLE2P404", true, 32767, 0},    {"leIAVERAGE2P404", true, 32767, 0},
         {"leFREQ2P404_2", true, 32767, 0},     {"leBCK2VLED", true, 32767, 0},
         {"leVBSTV", false, 32767, 0},          {"leVBSTSET", false, 32767, 0},
         {"le_BUCK1CURRENT", false, 32767, 0},  {"le_BUCK2CURRENT", false, 32767, 0},
         {"leBSTFREQP404", false, 7, 63},       {"leFREQ1P404", false, 5, 63},
         {"leDUTY1P404", false, 5, 63},         {"leFREQ2P404", false, 5, 63},
         {"leDUTY2P404", false, 5, 63},         {"leFRAME_CNT", false, 32767, 0},
         {"leLEDCTRL1_MON", false, 32767, 0},   {"leLEDCTRL2_MON", false, 32767, 0},
         {"leBST1_REGSTATUS", false, 32767, 0}, {"leBST2_REGSTATUS", false, 32767, 0}});
}

void tst_P404Page::edits()
{
    QFETCH(QString, name);
    QFETCH(bool, readOnly);
    QFETCH(int, maxLength);
    QFETCH(int, minimumWidth);
    const FormHost host;
    auto *edit = widget<QLineEdit>(host, name);
    QVERIFY(edit);
    QCOMPARE(edit->isReadOnly(), readOnly);
    QCOMPARE(edit->maxLength(), maxLength);
    QCOMPARE(edit->minimumWidth(), minimumWidth);
    // The plot results are centred; the other edits keep the default alignment.
    const bool result = name.contains(QLatin1String("P404")) && readOnly;
    QCOMPARE(edit->alignment(), result ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    QVERIFY(edit->isEnabled());
}

void tst_P404Page::initialStates()
{
    const FormHost host;
    const PageCensus census(host.ui.P404);
    for (QWidget *w : census.widgets()) {
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        if (auto *box = qobject_cast<QAbstractButton *>(w))
            QVERIFY2(!box->isChecked(), qPrintable(w->objectName()));
    }
    QCOMPARE(host.ui.cbBST1_RUNNING->layoutDirection(), Qt::LeftToRight);
    QVERIFY(host.ui.dialVBOOST->notchesVisible());
    QVERIFY(host.ui.dialBCK2AVG->notchesVisible());
    QCOMPARE(host.ui.line_5->frameShape(), QFrame::HLine);
    QCOMPARE(host.ui.line_16->frameShadow(), QFrame::Sunken);
}

void tst_P404Page::headings()
{
    const FormHost host;
    for (QLabel *label : {host.ui.label_63, host.ui.label_66, host.ui.label_76, host.ui.label_79}) {
        QCOMPARE(label->font().pointSize(), 10);
        QVERIFY(label->font().bold());
        QCOMPARE(label->alignment(), Qt::AlignCenter);
    }
    // Other labels keep the default font.
    QVERIFY(!host.ui.label_89->font().resolveMask());
    QVERIFY(!host.ui.label_56->font().resolveMask());
}

void tst_P404Page::sharedBindings_data()
{
    // Binding name and every widget of the two power-stage pages that reports it.
    addRows<QString, QStringList>(
        {"binding", "widgets"},
        {{"IAVERAGE1", {"leIAVERAGE1", "le_BUCK1CURRENT", "leIAVERAGE1P404"}},
         {"IAVERAGE2", {"leIAVERAGE2", "le_BUCK2CURRENT", "leIAVERAGE2P404"}},
         {"BOOSTPWM", {"cbBOOSTPWM", "cbBSTSYNCP404"}},
         {"BOOSTFREQ", {"leBOOSTFREQ", "leBSTFREQP404"}},
         {"BoostVoltage", {"leBoostVoltage", "leVBSTSET"}},
         {"BoostVoltageMeas", {"leVBOOST", "leVBSTV"}},
         {"LEDCTRL2", {"cbLEDCTRL2", "cbLEDCTRL2P404"}},
         {"PWM1", {"cbPWM1", "cbPWM1P404"}},
         {"FREQ2", {"leFREQ2", "leFREQ2P404"}},
         {"DUTY1", {"leDUTY1", "leDUTY1P404"}},
         {"VLED1", {"leVLED1", "leBCK1VLED"}},
         {"VLED2", {"leVLED2", "leBCK2VLED"}},
         {"IPEAK1", {"leIPEAK1"}},
         {"IRIPPLE2", {"leIRIPPLE2"}},
         // result edits without an accessible name: names no item of the applet
         {"IPEAK1P404", {"leIPEAK1P404"}},
         {"IRIPPLE1P404", {"leIRIPPLE1P404"}},
         {"IPEAK2P404", {"leIPEAK2P404"}},
         {"IRIPPLE2P404", {"leIRIPPLE2P404"}}});
}

void tst_P404Page::sharedBindings()
{
    QFETCH(QString, binding);
    QFETCH(QStringList, widgets);
    const FormHost host;
    QStringList found;
    for (QWidget *page : {host.ui.p205, host.ui.P404}) {
        const PageCensus census(page);
        for (QWidget *w : census.widgets())
            if (bindingOf(w) == binding)
                found << w->objectName();
    }
    found.sort();
    widgets.sort();
    QCOMPARE(found, widgets);
}

QTEST_MAIN(tst_P404Page)
#include "tst_p404page.moc"
