// The board form in the running page of a TO1/TO2 project: its pages, the items and commands
// its widgets are bound to by name, the status page's readouts and the pixel duties of the DCREG
// binding.
#include "accessiblenames.h"
#include "boardappfixture.h"
#include "boardglobals.h"
#include "secondprojectprompt.h"
#include "universalcontrol.h"
#include "variable.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <qcustomplot.h>

namespace
{

// The binding of a widget: its binding name, or empty for a plain Qt widget.
QString bindingOf(QWidget *widget)
{
    return dynamic_cast<CustomControls::UniversalControl *>(widget)
               ? CustomControls::AccessibleNames::bindingName(widget)
               : QString();
}

} // namespace

class TestBoardForm : public QObject
{
    Q_OBJECT

    BoardAppFixture f;
    SecondItemPrompt prompt; // chooses the TO1/TO2 project

private slots:
    // Such a project has no mode selection and no broadcast writes. The page is titled after
    // the chip family.
    void initTestCase()
    {
        QVERIFY(f.start());
        const QString title = f.page()->windowTitle(); // after its shortcut
        QVERIFY2(title.endsWith(" KVL52110"), qPrintable(title));
        QVERIFY(!f.widget<QWidget>("pushButton")->isHidden());
        QCOMPARE(f.app->projectType(), QString("TO1/TO2"));
        QVERIFY(!f.widget<QWidget>("comboBox")->isEnabledTo(f.page()));
        QVERIFY(!f.widget<QWidget>("cbBroadcast")->isEnabledTo(f.page()));
        QVERIFY(f.widget<QWidget>("cbAutoupdate")->isEnabledTo(f.page()));
    }

    // The pages in order; every named binding of a value widget reaches an item of the page;
    // each bank field of the control page is bound once in the whole form; the two
    // power-stage pages share their common items.
    void bindings()
    {
        auto *tabs = f.widget<QTabWidget>("tabWidget");
        QStringList pages;
        for (int i = 0; i < tabs->count(); ++i)
            pages << tabs->widget(i)->objectName() + ':' + tabs->tabText(i);
        QCOMPARE(pages.join(' '),
                 QStringLiteral("application:Application control:Control registers "
                                "status:Status registers p205:KVL52205 "
                                "P404:KVL52404 animation:Animation"));
        QMap<QString, QStringList> bound;
        for (QWidget *w : f.page()->findChildren<QWidget *>()) {
            const QString binding = bindingOf(w);
            if (binding.isEmpty())
                continue;
            bound[binding] << w->objectName();
            if (!qobject_cast<QAbstractButton *>(w) || w->inherits("QCheckBox"))
                QVERIFY2(f.page()->get(binding, Variable::InternalKey).isValid(),
                         qPrintable(w->objectName() + " " + binding));
        }
        int bankFields = 0;
        for (QWidget *w : f.widget<QWidget>("control")->findChildren<QWidget *>()) {
            if (bindingOf(w).startsWith(QLatin1String("BANK["))) {
                ++bankFields;
                QCOMPARE(bound.value(bindingOf(w)).size(), 1);
            }
        }
        QCOMPARE(bankFields, 12 + 2 + 36 + 7);
        const QStringList shared{"IAVERAGE1 leIAVERAGE1 leIAVERAGE1P404 le_BUCK1CURRENT",
                                 "BOOSTPWM cbBOOSTPWM cbBSTSYNCP404",
                                 "BoostVoltage leBoostVoltage leVBSTSET",
                                 "LEDCTRL2 cbLEDCTRL2 cbLEDCTRL2P404",
                                 "P205STATUS[BOOST_OV] cbBOST_OV",
                                 "SPI_MAPP404[BUCK2_FREQ] cmBCK2FREQ",
                                 "readStatus pbSpiP205_readStatus"};
        for (const QString &row : shared) {
            QStringList widgets = bound.value(row.section(' ', 0, 0));
            widgets.sort();
            QCOMPARE(row.section(' ', 0, 0) + ' ' + widgets.join(' '), row);
        }
    }

    // The KVL52404 combos hold one item per table entry, numbered on from their first: the
    // soft-start times after the "0. Soft-start OFF" item from 1.
    void p404Combos()
    {
        const BoardGlobals &g = boardGlobals();
        const struct {
            const char *combo;
            qsizetype count;
            int first;
        } rows[] = {{"cmBCK1FREQ", g.buckFrequencyTable.size(), 1},
                    {"cmBCK2FREQ", g.buckFrequencyTable.size(), 1},
                    {"cmBSTSRCFREQ", g.boostSourceFrequencyTable.size(), 0},
                    {"cmBSTSOFTSTART", g.boostSoftStartTable.size() + 1, 0},
                    {"cmBSTSRC", g.boostClockSourceTexts.size(), 0},
                    {"cmBUCK1_REGSTATUS", g.iripStatusTexts.size(), 0},
                    {"cmBUCK2_REGSTATUS", g.iripStatusTexts.size(), 0}};
        for (const auto &r : rows) {
            auto *combo = f.widget<QComboBox>(r.combo);
            QCOMPARE(combo->count(), r.count);
            for (int i = 0; i < combo->count(); ++i)
                QVERIFY2(combo->itemText(i).startsWith(QString::number(r.first + i) + ". "),
                         qPrintable(combo->itemText(i)));
        }
        QStringList samples; // the texts with their units and decimals
        for (const auto &[combo, item] : {std::pair{"cmBSTSOFTSTART", 0}, {"cmBSTSOFTSTART", 1},
                                          {"cmBCK2FREQ", 0}, {"cmBSTSRCFREQ", 1},
                                          {"cmBSTSRC", 3}, {"cmBUCK1_REGSTATUS", 2}})
            samples << f.widget<QComboBox>(combo)->itemText(item);
        QCOMPARE(samples, (QStringList{"0. Soft-start OFF", "1. 12 us", "1. 180 kHz",
                                       "1. 140.35 kHz", "3. Auto", "2. IRIP is at target"}));
    }

    // Each current plot draws one red curve of the output current over time.
    void plots()
    {
        for (const char *name : {"plotCH1", "plotCH2"}) {
            auto *plot = f.widget<QCustomPlot>(name);
            QCOMPARE(plot->graphCount(), 1);
            QCOMPARE(QStringList({plot->graph(0)->name(), plot->xAxis->label(),
                                  plot->yAxis->label()}),
                     QStringList({"Output current", "Time [us]", "Current [mA]"}));
            QCOMPARE(plot->graph(0)->pen().color(), QColor(Qt::red));
        }
    }

    // The matrix tools reach the page that installed itself last, and none once it is gone; a
    // page that is not the installed one leaves it in place when it goes.
    void pageAccess()
    {
        BoardPageAccess *const page = f.page();
        QCOMPARE(BoardPageAccess::instance(), page);
        {
            Board other;
            QCOMPARE(BoardPageAccess::instance(), static_cast<BoardPageAccess *>(&other));
            BoardPageAccess::install(page);
        }
        QCOMPARE(BoardPageAccess::instance(), page);
        {
            Board other;
        }
        QCOMPARE(BoardPageAccess::instance(), nullptr);
        BoardPageAccess::install(page);
    }

    // Codes that are no number read as 0; only the low byte counts. The calibration code (0 or
    // only its high bit: the default 193) is read when the temperature code changes, not on its
    // own.
    void readouts()
    {
        const struct {
            const char *raw, *code, *result, *shown;
        } rows[] = {// clang-format off
            {"leREG11_15_8", "255", "leVDD", "4.0"}, {"leREG11_15_8", "0", "leVDD", "0.0"},
            {"leREG11_15_8", "511", "leVDD", "4.0"}, {"leREG11_15_8", "abc", "leVDD", "0.0"},
            {"leREG12_7_0", "51", "leVBB", "7.0"}, {"leREG11_23_16", "127", "leADCX", "0.600"},
            {"leREG11_23_16", "255", "leADCX", "1.205"}, {"leREG12_15_8", "255", "leVLED", "66.1"},
            {"leREG12_15_8", "100", "leVLED", "25.9"},
            {"leREG12_23_16", "0", "", ""}, {"leREG11_7_0", "193", "leTemp", "170.0"},
            {"leREG12_23_16", "1", "leTemp", "170.0"}, {"leREG11_7_0", "0", "leTemp", "167.6"},
            {"leREG12_23_16", "128", "", ""}, {"leREG11_7_0", "193", "leTemp", "170.0"},
            {"leREG12_23_16", "129", "", ""}, {"leREG11_7_0", "0", "leTemp", "-12.6"},
            {"leREG12_23_16", "0", "", ""}, {"leREG11_7_0", "x", "leTemp", "-56.8"}};
        // clang-format on
        for (const auto &r : rows) {
            f.widget<QLineEdit>(r.raw)->setText(r.code);
            if (*r.result)
                QCOMPARE(f.widget<QLineEdit>(r.result)->text(), QLatin1String(r.shown));
        }
    }

    // Values above 1023 are clamped; a switch without a field (36 and up) fails and leaves
    // every duty as it was; neighbours keep theirs. Nothing reaches the board by itself. The
    // page tells whether the model already holds a duty.
    void dutyField()
    {
        f.take(); // what the earlier tests sent
        Register &dc = boardGlobals().DCREG;
        dc.fill(0);
        const QByteArray zero = dc.toBitString();
        const struct {
            int sw, value;
            bool ok;
            int stored;
        } rows[] = {{1, 500, true, 500},   {0, 7, true, 7},         {35, 1023, true, 1023},
                    {5, 1024, true, 1023}, {12, 65535, true, 1023}, {36, 9, false, 0},
                    {144, 9, false, 0},    {255, 9, false, 0}};
        for (const auto &r : rows) {
            dc.fill(0);
            QCOMPARE(f.page()->setDcRegister(quint8(r.sw), quint16(r.value)), r.ok);
            QCOMPARE(f.page()->dcRegister(quint8(r.sw)), quint16(r.stored));
            // The model holds what the write stored, compared as the write clamps.
            QCOMPARE(f.page()->holdsDuty(quint8(r.sw), quint16(r.value)), r.ok);
            QVERIFY(!f.page()->holdsDuty(quint8(r.sw), quint16(r.stored - 1)));
            if (r.ok)
                QVERIFY(dc.setField(QStringLiteral("DCREG[SW%1]").arg(r.sw), 0));
            QCOMPARE(dc.toBitString(), zero);
        }
        QVERIFY(f.page()->setDcRegister(3, 1000) && f.page()->setDcRegister(4, 1));
        QCOMPARE(f.page()->dcRegister(3) + f.page()->dcRegister(2), 1000);
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    // Both slave-address fields take an address a person types and Enter, up to 31 (-1: no
    // device); an address beyond is never taken, a third digit not even typed.
    void typedAddresses()
    {
        for (const char *name : {"leW_BANK_SA_2", "leW_BANK_SA_3"}) {
            auto *edit = f.widget<QLineEdit>(name);
            for (const auto &[typed, address] :
                 {std::pair{"31", 31}, {"-1", -1}, {"45", -1}, {"7", 7}, {"320", 7}, {"-2", 7}}) {
                edit->clear();
                QTest::keyClicks(edit, typed);
                QVERIFY2(edit->text().size() <= 2, qPrintable(edit->text()));
                QTest::keyClick(edit, Qt::Key_Return);
                QCOMPARE(boardGlobals().SA.value(), double(address));
            }
        }
    }
};

QTEST_MAIN(TestBoardForm)
#include "tst_boardform.moc"
