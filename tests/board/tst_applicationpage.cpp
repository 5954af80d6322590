// The application page of the board form: its census and its initial states.
#include "formhost.h"
#include "pagecensus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

namespace
{

const QString pbLight = QStringLiteral("PushButtonStyle light");
const QString pbWide = QStringLiteral("PushButtonStyle light wide");
const QString check = QStringLiteral("CustomControls::CheckBox");
const QString button = QStringLiteral("CustomControls::PushButton");

QList<CensusRow> ledControlRows()
{
    return {
        {"gbLedControl", "QGroupBox", "", "LED Control", "GroupBoxStyle"},
        {"slHorizontal", "QSlider", "", "", ""},
        {"DeviceWidget", "QWidget", "", "", ""},
        {"cbByRow", check, "", "Row", ""},
        {"cbByRowIndependent", check, "", "Row indepedent", ""},
        {"cbBySW", check, "", "SW number", ""},
        {"cbExtended", check, "", "Extended", ""},
        {"pbLoadConfiguration", "QPushButton", "", "Load configuration", pbWide},
        {"SWwidget", "QWidget", "", "", ""},
        {"pbAllOn", button, "allOn", "ALL ON", "PushButtonStyle light small"},
        {"label_75", "QLabel", "", "ALL SW", ""},
        {"spAllDC", "QSpinBox", "", "", ""},
        {"slAll", "CustomControls::Slider", "DCALL", "", ""},
        {"pbAllOff", button, "allOff", "ALL OFF", pbLight},
    };
}

QList<CensusRow> groupRowRows()
{
    return {
        {"cbAutoupdate", check, "", "Autoupdate", ""},
        {"pbUpdate", button, "UPDATE", "ON OFF times", pbLight},
        {"pbMAPENA", button, "MAPENA", "MAPENA", pbLight},
        {"gbLEDDRIVER", "QGroupBox", "", "LED Driver", ""},
        {"cbBUCK1EN", check, "", "BUCK1 EN", ""},
        {"cbBUCK2EN", check, "", "BUCK2 EN", ""},
        {"groupBox_9", "QGroupBox", "", "Addressing", ""},
        {"pbAdrDiscovery", "QPushButton", "", "Discover Devices", pbWide},
        {"pbAA", "QPushButton", "", "Auto addressing", pbWide},
        {"gbTest", "QGroupBox", "", "GroupBox", ""},
        {"sbFaddingStop", "QSpinBox", "", "", ""},
        {"cmDelay", "QComboBox", "",
         "0. 250 us|1. 500 us|2. 1000 us|3. 2000 us|4. 4000 us|5. 8000 us|6. 16000 us", ""},
        {"cmShift", "QComboBox", "", "0. 500 Hz|1. 1000 Hz|2. 2000 Hz|3. 4000 Hz", ""},
        {"pushButton", "QPushButton", "", "PushButton", ""},
        {"label_36", "QLabel", "", "", ""},
        {"groupBox_8", "QGroupBox", "", "M-LVDS transceiver", ""},
        {"pbLVDSEN", "QPushButton", "", "Enable Driver", pbLight},
        {"pbLVDSDIS", "QPushButton", "", "Disable Driver", pbLight},
    };
}

QList<CensusRow> rightGroupRows()
{
    QList<CensusRow> rows = {
        {"gb_UARTspd", "QGroupBox", "", "UART speed", ""},
        {"cbBAUDRATE", "QComboBox", "", "125 kbps|250 kbps|500 kbps|1000 kbps", ""},
        {"pbBAUDRATE", button, "BAUDRATE", "Send", pbLight},
        {"leUART", "QLineEdit", "", "0", ""},
        {"groupBox_4", "QGroupBox", "", "Stepping", ""},
        {"cbStepping", "QComboBox", "", "1|2|4|8|16|32|64", ""},
        {"cbLeft", "QCheckBox", "", "L", ""},
        {"cbRight", "QCheckBox", "", "R", ""},
        {"cbStart", "QCheckBox", "", "S", ""},
        {"pbReset", "QPushButton", "", "Reset", pbLight},
        {"label", "QLabel", "", "Refresh time:", ""},
        {"leEffectTime", "QLineEdit", "", "250", "LineEditStyle"},
        {"label_2", "QLabel", "", "ms", ""},
        {"groupBox", "QGroupBox", "", "Patterns", ""},
        {"pbPatternCustom", "QPushButton", "", "Load custom", pbLight},
        {"label_3", "QLabel", "", "Info", ""},
        {"leInfoBox", "QLineEdit", "", "", "LineEditStyle"},
    };
    for (int i = 1; i <= 3; ++i)
        rows << CensusRow{QStringLiteral("pbPattern%1").arg(i), button,
                          QStringLiteral("Pattern%1").arg(i), QStringLiteral("Pattern #%1").arg(i),
                          pbLight};
    return rows;
}

QList<CensusRow> applicationTable()
{
    return QList<CensusRow>{{"application", "QWidget", "", "Application", ""}} + ledControlRows() +
           groupRowRows() + rightGroupRows();
}

} // namespace

class tst_ApplicationPage : public QObject
{
    Q_OBJECT
private slots:
    void census();
    void censusReportsDifferences_data();
    void censusReportsDifferences();
    void initialChecks_data();
    void initialChecks();
    void disabledWidgets();
    void ranges();
    void firstItems();
    void widthsAsGiven();
    void boldFontOnFirstPattern();
    void logoShown();

private:
    FormHost m_host;
};

void tst_ApplicationPage::census()
{
    const PageCensus census(m_host.page("application"));
    const QStringList problems = census.compare(applicationTable());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(census.widgetCount(), 53);
    QCOMPARE(census.layoutCount(), 21);
    QCOMPARE(census.spacerCount(), 3);
    QCOMPARE(census.boundClassCount(), 16);
    QCOMPARE(census.boundWithBindingCount(), 9);
    const QMap<QString, int> layouts = census.layoutClasses();
    QCOMPARE(layouts.value("QGridLayout"), 8);
    QCOMPARE(layouts.value("QVBoxLayout"), 8);
    QCOMPARE(layouts.value("QHBoxLayout"), 5);
}

// The census must fail a page that differs from its table.
void tst_ApplicationPage::censusReportsDifferences_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("problems");
    QTest::newRow("missing row") << "pbAA"
                                 << "drop" << QStringList{"pbAA: QPushButton not in the table"};
    QTest::newRow("renamed row") << "pbAA"
                                 << "name"
                                 << QStringList{"X: missing from the page",
                                                "pbAA: QPushButton not in the table"};
    QTest::newRow("class") << "cbBySW"
                           << "className"
                           << QStringList{"cbBySW: class is \"CustomControls::CheckBox\", "
                                          "table says \"X\""};
    QTest::newRow("binding") << "slAll"
                             << "binding"
                             << QStringList{
                                    "slAll: accessible name is \"DCALL\", table says \"X\""};
    QTest::newRow("text") << "label_3"
                          << "text" << QStringList{"label_3: text is \"Info\", table says \"X\""};
    QTest::newRow("sheet") << "leUART"
                           << "style"
                           << QStringList{"leUART: style sheet is \"\", table says \"X\""};
    QTest::newRow("twice") << "label"
                           << "twice" << QStringList{"label: twice in the table"};
}

void tst_ApplicationPage::censusReportsDifferences()
{
    QFETCH(QString, name);
    QFETCH(QString, change);
    QFETCH(QStringList, problems);
    QList<CensusRow> table = applicationTable();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [&](const CensusRow &r) { return r.name == name; });
    QVERIFY(row != table.end());
    const QHash<QString, QString CensusRow::*> fields = {{"name", &CensusRow::name},
                                                         {"className", &CensusRow::className},
                                                         {"binding", &CensusRow::binding},
                                                         {"text", &CensusRow::text},
                                                         {"style", &CensusRow::style}};
    if (change == "drop")
        table.erase(row);
    else if (change == "twice")
        table << CensusRow(*row);
    else
        (*row).*fields.value(change) = "X";
    QCOMPARE(PageCensus(m_host.page("application")).compare(table), problems);
}

void tst_ApplicationPage::initialChecks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("checked");
    for (const char *name : {"cbByRow", "cbExtended", "cbAutoupdate"})
        QTest::newRow(name) << name << true;
    for (const char *name :
         {"cbByRowIndependent", "cbBySW", "cbBUCK1EN", "cbBUCK2EN", "cbLeft", "cbRight", "cbStart"})
        QTest::newRow(name) << name << false;
}

void tst_ApplicationPage::initialChecks()
{
    QFETCH(QString, name);
    QFETCH(bool, checked);
    const auto *box = m_host.form.findChild<QCheckBox *>(name);
    QVERIFY(box);
    QCOMPARE(box->isChecked(), checked);
}

void tst_ApplicationPage::disabledWidgets()
{
    const Ui::Board &ui = m_host.ui;
    QVERIFY(ui.gb_UARTspd->isEnabled());
    QVERIFY(!ui.pbPatternCustom->isEnabled());
    // The "Stepping" group starts disabled; its combo and "Reset" are disabled on their own.
    QVERIFY(!ui.groupBox_4->isEnabled());
    for (QWidget *w : std::initializer_list<QWidget *>{ui.cbLeft, ui.label, ui.leEffectTime})
        QVERIFY(!w->isEnabled());
    ui.groupBox_4->setEnabled(true);
    QVERIFY(!ui.cbStepping->isEnabled());
    QVERIFY(!ui.pbReset->isEnabled());
    for (QWidget *w : std::initializer_list<QWidget *>{ui.cbLeft, ui.label, ui.leEffectTime})
        QVERIFY(w->isEnabled());
    QVERIFY(ui.leInfoBox->isReadOnly());
    ui.groupBox_4->setEnabled(false);
}

void tst_ApplicationPage::ranges()
{
    const Ui::Board &ui = m_host.ui;
    const struct {
        QAbstractSlider *slider;
        int maximum;
    } sliders[] = {{ui.slAll, 1023}, {ui.slHorizontal, 99}};
    for (const auto &s : sliders) {
        QCOMPARE(s.slider->minimum(), 0);
        QCOMPARE(s.slider->maximum(), s.maximum);
        QCOMPARE(s.slider->value(), 0);
    }
    const struct {
        QSpinBox *spin;
        int maximum;
    } spins[] = {{ui.spAllDC, 1023}, {ui.sbFaddingStop, 255}};
    for (const auto &s : spins) {
        QCOMPARE(s.spin->minimum(), 0);
        QCOMPARE(s.spin->maximum(), s.maximum);
        QCOMPARE(s.spin->value(), 0);
    }
    QVERIFY(!ui.slAll->hasTracking());
    QCOMPARE(ui.slAll->orientation(), Qt::Vertical);
    QCOMPARE(ui.slAll->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(ui.slHorizontal->orientation(), Qt::Horizontal);
}

void tst_ApplicationPage::firstItems()
{
    const Ui::Board &ui = m_host.ui;
    QCOMPARE(ui.cmDelay->currentText(), QStringLiteral("0. 250 us"));
    QCOMPARE(ui.cmShift->currentText(), QStringLiteral("0. 500 Hz"));
    QCOMPARE(ui.cbBAUDRATE->currentText(), QStringLiteral("125 kbps"));
    QCOMPARE(ui.cbStepping->currentText(), QStringLiteral("1"));
    // Items of the delay and shift lists begin with their own index and a point.
    for (QComboBox *combo : {ui.cmDelay, ui.cmShift})
        for (int i = 0; i < combo->count(); ++i)
            QVERIFY2(combo->itemText(i).startsWith(QStringLiteral("%1. ").arg(i)),
                     qPrintable(combo->itemText(i)));
}

// Maximum widths below minimum widths are kept as the form gives them.
void tst_ApplicationPage::widthsAsGiven()
{
    const Ui::Board &ui = m_host.ui;
    const struct {
        QWidget *widget;
        int minimum;
        int maximum;
    } widths[] = {
        {ui.gb_UARTspd, 125, 104},
        {ui.groupBox_4, 135, 115},
        {ui.slAll, 50, 59},
        {ui.SWwidget, 1103, QWIDGETSIZE_MAX},
        {ui.leInfoBox, 1051, QWIDGETSIZE_MAX},
    };
    for (const auto &w : widths) {
        QCOMPARE(w.widget->minimumWidth(), w.minimum);
        QCOMPARE(w.widget->maximumWidth(), w.maximum);
    }
    QCOMPARE(ui.pbAllOn->maximumWidth(), 59);
    QCOMPARE(ui.groupBox_4->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(ui.leInfoBox->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void tst_ApplicationPage::boldFontOnFirstPattern()
{
    const Ui::Board &ui = m_host.ui;
    QVERIFY(ui.pbPattern1->font().bold());
    QVERIFY(ui.pbPattern1->testAttribute(Qt::WA_SetFont));
    for (QPushButton *b :
         std::initializer_list<QPushButton *>{ui.pbPattern2, ui.pbPattern3, ui.pbPatternCustom})
        QVERIFY(!b->testAttribute(Qt::WA_SetFont));
}

void tst_ApplicationPage::logoShown()
{
    const QLabel *logo = m_host.ui.label_36;
    QVERIFY(!logo->pixmap().isNull());
    QVERIFY(logo->hasScaledContents());
    QCOMPARE(logo->maximumSize(), QSize(250, 89));
}

QTEST_MAIN(tst_ApplicationPage)
#include "tst_applicationpage.moc"
