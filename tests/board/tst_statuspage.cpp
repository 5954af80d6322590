// The status registers page: census, the switch-state grid, the flag grid, the result grids
// and which of the page's bindings are fixed while building.
#include "formhost.h"
#include "pagecensus.h"

#include <QTest>
#include <QTranslator>

namespace
{

const QStringList switchStates = {"0. On/Off OK", "1. On/Off Failed", "2. Open", "3. Short"};

// The register 16 flags: object name, bound field, caption, cell and column span.
struct Flag {
    const char *name;
    const char *field;
    const char *caption;
    int row;
    int column;
    int span;
};
const Flag flags[] = {
    {"cbREG10_0", "TW", "TW", 0, 0, 1},
    {"cbREG10_3", "DIMWARN", "DIMWARN", 0, 1, 1},
    {"cbREG10_7", "CAP_UV", "CAP_UV", 0, 2, 1},
    {"cbREG10_10", "GND_LOSS", "GND_LOSS", 0, 3, 1},
    {"cbREG10_13", "PXN_GLOBAL_COMM_ERR", "PXN_GLOBAL_COMM_ERR", 0, 4, 2},
    {"cbREG10_1", "TSD", "TSD", 1, 0, 1},
    {"cbREG10_4", "DIMERR", "DIMERR", 1, 1, 1},
    {"cbREG10_8", "OTP_ZAP_UV", "OTP_ZAP_UV", 1, 2, 1},
    {"cbREG10_11", "PWM_CNT_OVF", "PWM_CNT_OVF", 1, 3, 1},
    {"cbREG10_14", "PXN_LOCAL_COMM_ERR", "PXN_LOCAL_COMM_ERR", 1, 4, 2},
    {"cbREG10_2", "GSWERR", "GSWERR", 2, 0, 1},
    {"cbREG10_6", "HWR", "HWR", 2, 1, 1},
    {"cbREG10_9", "VBB_LOW", "VBB_LOW", 2, 2, 1},
    {"cbREG10_12", "MAPENA_ST", "MAPENA_STATUS", 2, 3, 1},
    {"cbREG10_15", "PXN_FRAME_ERR", "PXN_FRAME_ERR", 2, 4, 1},
    {"cbREG10_16", "PXN_SYNC_ERR", "PXN_SYNC_ERR", 3, 3, 1},
    {"cbREG10_19", "OTP_CRC_FAIL_BANK0", "OTP_CRC_FAIL_BANK_0", 3, 4, 2},
    {"cbREG10_17", "TIMEOUT", "TIMEOUT", 4, 3, 1},
    {"cbREG10_18", "OTP_CRC_FAIL_BANK2", "OTP_CRC_FAIL_BANK_2", 4, 4, 2},
};

// One row of the register 17 and 18 grids: caption, bound result edit, converted value (or
// the TSD_CODE note), unit.
struct Result {
    const char *grid;
    int row;
    const char *caption;
    const char *captionText;
    const char *edit;
    const char *field;
    const char *value;
    const char *unit;
    const char *unitText;
};
const Result results[] = {
    {"gridLayout_18", 0, "label_67", "TEMP_RES [7:0]", "leREG11_7_0", "TEMP_RES", "leTemp",
     "label_8", "°C"},
    {"gridLayout_18", 1, "label_68", "VDD_RES [7:0]", "leREG11_15_8", "VDD_RES", "leVDD", "label_4",
     "V"},
    {"gridLayout_18", 2, "label_69", "ADCX_RES [7:0]", "leREG11_23_16", "ADCX_RES", "leADCX",
     "label_5", "V"},
    {"gridLayout_17", 0, "label_70", "VBB_RES [7:0]", "leREG12_7_0", "VBB_RES", "leVBB", "label_6",
     "V"},
    {"gridLayout_17", 1, "label_71", "VLED_RES [7:0]", "leREG12_15_8", "VLED_RES", "leVLED",
     "label_7", "V"},
    {"gridLayout_17", 2, "label_72", "TSD_CODE [7:0]", "leREG12_23_16", "TSD_CODE", "label_10",
     nullptr, nullptr},
};

QString comboName(int k)
{
    return QStringLiteral("cmREG0F_%1_%2").arg(2 * k - 1).arg(2 * k - 2);
}

QList<CensusRow> censusTable()
{
    const QString line = QStringLiteral("LineEditStyle");
    QList<CensusRow> t;
    t << CensusRow{"status", "QWidget", "", "Status registers", ""}
      << CensusRow{"grI2C_EEPROM_19", "QGroupBox", "", "Slave Address", ""}
      << CensusRow{"label_140", "QLabel", "", "SA", ""}
      // The form's text counts as an edit, whose marking replaces the sheet.
      << CensusRow{"leW_BANK_SA_3", "CustomControls::LineEdit", "SA", "15", "color:blue;"}
      << CensusRow{"btWriteEEPROM_50", "CustomControls::PushButton", "Read_all2()", "Read All",
                   "PushButtonStyle dark large"}
      << CensusRow{"grI2C_EEPROM_11", "QGroupBox", "", "Register Bank", ""}
      << CensusRow{"label_55", "QLabel", "", "Register bank - read", ""}
      << CensusRow{"gbReg10_2", "QGroupBox", "", "Register 15", ""}
      << CensusRow{"gbReg10", "QGroupBox", "", "Register 16", ""}
      << CensusRow{"gbReg11", "QGroupBox", "", "Register 17", ""}
      << CensusRow{"gbReg01_3", "QGroupBox", "", "Register 18", ""};
    // The read buttons carry the register number in hexadecimal.
    for (int reg = 15; reg <= 18; ++reg)
        t << CensusRow{QStringLiteral("pbBoard_readReg") +
                           QString::number(reg, 16).rightJustified(2, '0').toUpper(),
                       "CustomControls::PushButton", QStringLiteral("Read_REG_%1()").arg(reg),
                       "Read", "PushButtonStyle dark small"};
    for (int k = 1; k <= 12; ++k)
        t << CensusRow{QStringLiteral("label_%1").arg(40 + k), "QLabel", "",
                       QStringLiteral("SW%1 Status").arg(k), ""}
          << CensusRow{comboName(k), "CustomControls::ComboBox",
                       QStringLiteral("BANK[SW%1_ST]").arg(k), switchStates.join('|'), ""};
    for (const Flag &f : flags)
        t << CensusRow{f.name, "CustomControls::CheckBox", QStringLiteral("BANK[%1]").arg(f.field),
                       f.caption, "background: transparent;"};
    t << CensusRow{"label_53", "QLabel", "", "PXN_CRC_ERR_CNT [3:0]", ""}
      << CensusRow{"cbREG10_23_20", "CustomControls::LineEdit", "BANK[PXN_CRC_ERR_CNT]", "", line};
    for (const Result &r : results) {
        t << CensusRow{r.caption, "QLabel", "", r.captionText, ""}
          << CensusRow{r.edit, "CustomControls::LineEdit", QStringLiteral("BANK[%1]").arg(r.field),
                       "", line};
        if (r.unit)
            t << CensusRow{r.value, "QLineEdit", "", "", line}
              << CensusRow{r.unit, "QLabel", "", QString::fromUtf8(r.unitText), ""};
        else
            t << CensusRow{r.value, "QLabel", "", QString::fromUtf8("@ 170 °C"), ""};
    }
    return t;
}

// Marks every text of the form's context, so a test sees which texts went through translation.
class MarkingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "Board") != 0)
            return QString();
        return QLatin1Char('~') + QString::fromUtf8(source);
    }
};

} // namespace

class tst_StatusPage : public QObject
{
    Q_OBJECT
private slots:
    void census();
    void switchStateGrid_data();
    void switchStateGrid();
    void flagGrid_data();
    void flagGrid();
    void flagGridLeavesCellsEmpty();
    void resultGrids_data();
    void resultGrids();
    void buildTimeBindingsAreNotTranslated();
    void retranslationRestoresSlaveAddress();
    void nothingStartsReadOnlyDisabledOrChecked();
    void slaveAddressBoxHoldsItsMinimumWidth();
};

void tst_StatusPage::census()
{
    const FormHost host;
    const PageCensus census(host.page("status"));
    const QStringList problems = census.compare(censusTable());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(census.widgetCount(), 83);
    QCOMPARE(census.layoutCount(), 25);
    QCOMPARE(census.spacerCount(), 7);
    QCOMPARE(census.boundClassCount(), 44);
    QCOMPARE(census.boundWithBindingCount(), 44);
    QCOMPARE(host.ui.label_55->font().pointSize(), 16);
}

void tst_StatusPage::switchStateGrid_data()
{
    QTest::addColumn<int>("k");
    for (int k = 1; k <= 12; ++k)
        QTest::addRow("SW%d", k) << k;
}

// Combo k sits under its caption in its own column layout at cell ((k-1) div 6, (k-1) mod 6).
void tst_StatusPage::switchStateGrid()
{
    QFETCH(int, k);
    const FormHost host;
    auto *combo = host.form.findChild<QComboBox *>(comboName(k));
    QVERIFY(combo);
    QLayoutItem *item = host.ui.gridLayout_15->itemAtPosition((k - 1) / 6, (k - 1) % 6);
    QVERIFY(item);
    auto *column = qobject_cast<QVBoxLayout *>(item->layout());
    QVERIFY(column);
    QCOMPARE(column->count(), 2);
    auto *caption = qobject_cast<QLabel *>(column->itemAt(0)->widget());
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral("SW%1 Status").arg(k));
    QCOMPARE(caption->alignment(), Qt::AlignCenter);
    QCOMPARE(column->itemAt(1)->widget(), combo);
    QCOMPARE(combo->accessibleName(), QStringLiteral("BANK[SW%1_ST]").arg(k));
    QCOMPARE(combo->currentIndex(), 0);
}

void tst_StatusPage::flagGrid_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("span");
    for (const Flag &f : flags)
        QTest::newRow(f.name) << f.name << f.row << f.column << f.span;
    QTest::newRow("counter caption") << "label_53" << 5 << 0 << 1;
    QTest::newRow("counter") << "cbREG10_23_20" << 5 << 1 << 2;
    QTest::newRow("read") << "pbBoard_readReg10" << 5 << 5 << 1;
}

void tst_StatusPage::flagGrid()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, span);
    const FormHost host;
    auto *widget = host.ui.gbReg10->findChild<QWidget *>(name);
    QVERIFY(widget);
    const int index = host.ui.gridLayout_16->indexOf(widget);
    QVERIFY(index >= 0);
    int r = -1, c = -1, rs = -1, cs = -1;
    host.ui.gridLayout_16->getItemPosition(index, &r, &c, &rs, &cs);
    QCOMPARE(QList<int>({r, c, rs, cs}), QList<int>({row, column, 1, span}));
    if (auto *flag = qobject_cast<QCheckBox *>(widget))
        QVERIFY(flag->isCheckable());
}

void tst_StatusPage::flagGridLeavesCellsEmpty()
{
    const FormHost host;
    QGridLayout *grid = host.ui.gridLayout_16;
    QCOMPARE(grid->rowCount(), 6);
    QCOMPARE(grid->columnCount(), 6);
    const QList<QPoint> empty = {{2, 5}, {3, 0}, {3, 1}, {3, 2}, {4, 0},
                                 {4, 1}, {4, 2}, {5, 3}, {5, 4}};
    for (const QPoint &cell : empty)
        QVERIFY2(!grid->itemAtPosition(cell.x(), cell.y()),
                 qPrintable(QStringLiteral("%1,%2").arg(cell.x()).arg(cell.y())));
    QCOMPARE(host.ui.cbREG10_23_20->maximumSize(), QSize(250, 23));
    QCOMPARE(host.ui.label_53->alignment(), Qt::AlignRight | Qt::AlignVCenter);
}

void tst_StatusPage::resultGrids_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("cells");
    for (const Result &r : results) {
        QStringList cells = {r.caption, r.edit, r.value};
        if (r.unit)
            cells << r.unit;
        QTest::newRow(r.field) << r.grid << r.row << cells;
    }
}

// Caption right-aligned, bound result edit at most 100 by 23, plain value edit at most 100
// wide, unit; the last column of TSD_CODE stays empty.
void tst_StatusPage::resultGrids()
{
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(QStringList, cells);
    const FormHost host;
    auto *layout = host.form.findChild<QGridLayout *>(grid);
    QVERIFY(layout);
    QCOMPARE(layout->columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        QLayoutItem *item = layout->itemAtPosition(row, column);
        const QString actual = item && item->widget() ? item->widget()->objectName() : QString();
        QCOMPARE(actual, cells.value(column));
    }
    QCOMPARE(host.form.findChild<QLabel *>(cells[0])->alignment(),
             Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(host.form.findChild<QLineEdit *>(cells[1])->maximumSize(), QSize(100, 23));
    if (auto *value = host.form.findChild<QLineEdit *>(cells[2]))
        QCOMPARE(value->maximumWidth(), 100);
}

// Thirty accessible names are fixed while building; the other fourteen pass translation.
void tst_StatusPage::buildTimeBindingsAreNotTranslated()
{
    FormHost host;
    MarkingTranslator marker;
    QCoreApplication::installTranslator(&marker);
    host.ui.retranslateUi(&host.form);
    QCoreApplication::removeTranslator(&marker);

    QStringList fixed, translated;
    for (QWidget *widget : host.ui.status->findChildren<QWidget *>()) {
        const QString name = widget->accessibleName();
        if (!name.isEmpty())
            (name.startsWith('~') ? translated : fixed) << widget->objectName();
    }
    QStringList expectedFixed = {"cbREG10_23_20",     "leREG11_7_0",       "leREG11_15_8",
                                 "leREG11_23_16",     "leREG12_7_0",       "leREG12_15_8",
                                 "leREG12_23_16",     "pbBoard_readReg0F", "pbBoard_readReg10",
                                 "pbBoard_readReg11", "pbBoard_readReg12"};
    for (const Flag &f : flags)
        expectedFixed << f.name;
    fixed.sort();
    expectedFixed.sort();
    QCOMPARE(fixed, expectedFixed);
    QCOMPARE(translated.size(), 14);
    QCOMPARE(host.ui.leW_BANK_SA_3->accessibleName(), QStringLiteral("~SA"));
    QCOMPARE(host.ui.btWriteEEPROM_50->accessibleName(), QStringLiteral("~Read_all2()"));
}

void tst_StatusPage::retranslationRestoresSlaveAddress()
{
    FormHost host;
    host.ui.leW_BANK_SA_3->setText("7");
    host.ui.retranslateUi(&host.form);
    QCOMPARE(host.ui.leW_BANK_SA_3->text(), QStringLiteral("15"));
}

void tst_StatusPage::nothingStartsReadOnlyDisabledOrChecked()
{
    const FormHost host;
    for (QWidget *widget : host.ui.status->findChildren<QWidget *>()) {
        QVERIFY2(widget->isEnabled(), qPrintable(widget->objectName()));
        if (auto *edit = qobject_cast<QLineEdit *>(widget))
            QVERIFY2(!edit->isReadOnly(), qPrintable(edit->objectName()));
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
    }
}

// The box's maximum width lies below its minimum; the minimum wins.
void tst_StatusPage::slaveAddressBoxHoldsItsMinimumWidth()
{
    FormHost host;
    host.ui.tabWidget->setCurrentWidget(host.ui.status);
    host.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.form));
    QCOMPARE(host.ui.grI2C_EEPROM_19->maximumWidth(), 100);
    QVERIFY(host.ui.grI2C_EEPROM_19->width() >= 150);
}

QTEST_MAIN(tst_StatusPage)
#include "tst_statuspage.moc"
