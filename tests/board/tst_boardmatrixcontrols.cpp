// The matrix controls of the board page: the position-mode check boxes, all on and all off,
// the status hint, a switch slider's move and the buck switches offered to other tools.
#include "layoutfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSpinBox>
#include <QTimer>

namespace
{

const QString AddressHint = "Set the device addresses (0-31);";
const QString ModeHint = " At least one device is not valid (OPMODE);";
const QString BuckHint = " Enable at least one buck;";
const QString ResetHint = " Consider if you need to press the reset button;";

} // namespace

class TestBoardMatrixControls : public QObject
{
    Q_OBJECT

    LayoutFixture f;

    QCheckBox *box(const char *name) const { return f.widget<QCheckBox>(name); }

    // The checked states of row, switch and row-independent mode, as "RSI" with "-" for off.
    QString modes() const
    {
        return QString(box("cbByRow")->isChecked() ? "R" : "-") +
               (box("cbBySW")->isChecked() ? "S" : "-") +
               (box("cbByRowIndependent")->isChecked() ? "I" : "-");
    }

    void setModes(bool row, bool bySwitch, bool independent)
    {
        box("cbByRow")->setChecked(row);
        box("cbBySW")->setChecked(bySwitch);
        box("cbByRowIndependent")->setChecked(independent);
    }

    QComboBox *opMode(int device) const
    {
        auto *edit = f.deviceArea()->findChild<QLineEdit *>(QStringLiteral("leSA%1").arg(device));
        QWidget *group = edit ? edit->parentWidget() : nullptr;
        return group ? group->findChildren<QComboBox *>().value(0) : nullptr;
    }

    // The page's send timer when it runs.
    QTimer *runningSendTimer() const
    {
        for (QTimer *t : f.page()->findChildren<QTimer *>(Qt::FindDirectChildrenOnly))
            if (t->isActive() && t->interval() == 70)
                return t;
        return nullptr;
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void hint_data()
    {
        QTest::addColumn<QString>("address0");
        QTest::addColumn<QString>("address1");
        QTest::addColumn<int>("mode0");
        QTest::addColumn<int>("mode1");
        QTest::addColumn<bool>("buck1");
        QTest::addColumn<bool>("buck2");
        QTest::addColumn<bool>("bySwitch");
        QTest::addColumn<QString>("hint");
        QTest::newRow("ready") << "3"
                               << "31" << 4 << 5 << true << false << false << "";
        QTest::newRow("buck 2 only") << "0"
                                     << "1" << 1 << 15 << false << true << false << "";
        QTest::newRow("no address") << "3"
                                    << "-1" << 4 << 5 << true << false << false << AddressHint;
        QTest::newRow("address 32") << "32"
                                    << "1" << 4 << 5 << true << false << false << AddressHint;
        QTest::newRow("mode not valid") << "3"
                                        << "4" << 4 << 0 << true << true << false << ModeHint;
        QTest::newRow("no buck") << "3"
                                 << "4" << 4 << 4 << false << false << false << BuckHint;
        QTest::newRow("switch mode") << "3"
                                     << "4" << 4 << 4 << true << false << true << ResetHint;
        QTest::newRow("everything") << "-1"
                                    << "2" << 0 << 4 << false << false << true
                                    << AddressHint + ModeHint + BuckHint + ResetHint;
    }
    // The hint follows an address edit's editing-finished signal.
    void hint()
    {
        QFETCH(QString, address0);
        QFETCH(QString, address1);
        QFETCH(int, mode0);
        QFETCH(int, mode1);
        QFETCH(bool, buck1);
        QFETCH(bool, buck2);
        QFETCH(bool, bySwitch);
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        auto *edit0 = f.deviceArea()->findChild<QLineEdit *>("leSA0");
        auto *edit1 = f.deviceArea()->findChild<QLineEdit *>("leSA1");
        QVERIFY(edit0 && edit1 && opMode(0) && opMode(1));
        edit0->setText(address0);
        edit1->setText(address1);
        opMode(0)->setCurrentIndex(mode0);
        opMode(1)->setCurrentIndex(mode1);
        box("cbBUCK1EN")->setChecked(buck1);
        box("cbBUCK2EN")->setChecked(buck2);
        box("cbBySW")->setChecked(bySwitch);
        emit edit1->editingFinished();
        QTEST(f.hint(), "hint");
        QCOMPARE(f.page()->deviceAddressTexts(), QStringList({address0, address1}));
        box("cbBySW")->setChecked(false);
    }

    void modeBoxes_data()
    {
        QTest::addColumn<QString>("click");
        QTest::addColumn<int>("stepping");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("modes");
        QTest::newRow("switch, stepping 8") << "cbBySW" << 3 << 96 << "-S-";
        QTest::newRow("switch, stepping 1") << "cbBySW" << 0 << 12 << "-S-";
        QTest::newRow("row") << "cbByRow" << 3 << 24 << "R--";
        QTest::newRow("row independent") << "cbByRowIndependent" << 3 << 12 << "--I";
    }
    // Checking a mode box gives the position slider its range, centres it and unchecks the
    // other mode boxes; 2 rows of 12 switches each.
    void modeBoxes()
    {
        QFETCH(QString, click);
        QFETCH(int, stepping);
        QFETCH(int, maximum);
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        setModes(true, true, true);
        box(click.toLatin1().constData())->setChecked(false);
        f.widget<QComboBox>("cbStepping")->setCurrentIndex(stepping);
        box(click.toLatin1().constData())->click();
        QCOMPARE(f.position()->maximum(), maximum);
        QCOMPARE(f.position()->value(), maximum / 2);
        QTEST(modes(), "modes");
    }

    // Unchecking a mode box leaves the slider and the other boxes alone; in switch mode the
    // hint follows.
    void uncheckMode_data()
    {
        QTest::addColumn<QString>("click");
        QTest::newRow("row") << "cbByRow";
        QTest::newRow("switch") << "cbBySW";
        QTest::newRow("row independent") << "cbByRowIndependent";
    }
    void uncheckMode()
    {
        QFETCH(QString, click);
        QCOMPARE(f.loadGrid(1, 12, 1, 12), 0);
        setModes(false, false, false);
        box(click.toLatin1().constData())->click();
        const int maximum = f.position()->maximum();
        f.position()->setValue(1);
        box("cbBUCK1EN")->setChecked(true);
        box("cbBySW")->setChecked(true);
        f.page()->addressChangedSlot();
        QVERIFY(f.hint().endsWith(ResetHint));
        box(click.toLatin1().constData())->click();
        QVERIFY(!box(click.toLatin1().constData())->isChecked());
        QCOMPARE(f.position()->maximum(), maximum);
        QCOMPARE(f.position()->value(), 1);
        QCOMPARE(f.hint().endsWith(ResetHint), click != "cbBySW");
    }

    void loaderMode_data()
    {
        QTest::addColumn<bool>("row");
        QTest::addColumn<bool>("independent");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("modes");
        QTest::newRow("row") << true << false << 12 << "R--";
        QTest::newRow("row independent") << false << true << 4 << "--I";
        QTest::newRow("none: switch mode") << false << false << 8 << "-S-";
    }
    // A load keeps row or row-independent mode and falls back to switch mode; 3 rows of
    // 4 switches, stepping 2.
    void loaderMode()
    {
        QFETCH(bool, row);
        QFETCH(bool, independent);
        QFETCH(int, maximum);
        setModes(row, false, independent);
        f.widget<QComboBox>("cbStepping")->setCurrentIndex(1);
        QCOMPARE(f.loadGrid(1, 12, 3, 4), 0);
        QCOMPARE(f.position()->maximum(), maximum);
        QCOMPARE(f.position()->value(), maximum / 2);
        QTEST(modes(), "modes");
    }

    // All on and all off reach every switch: the duties, the all-switches slider and every
    // switch slider.
    void allOnOff()
    {
        setModes(true, false, false);
        QCOMPARE(f.loadGrid(2, 12, 2, 12), 0);
        f.page()->allOn();
        QCOMPARE(f.widget<QSlider>("slAll")->value(), 1023);
        for (int n : {0, 1, 24, 35})
            QCOMPARE(f.duty(n), 1023);
        for (CustomControls::Slider *s : f.sliders())
            QCOMPARE(s->QSlider::value(), 1023);
        f.page()->allOff();
        QCOMPARE(f.widget<QSlider>("slAll")->value(), 0);
        for (int n : {0, 1, 24, 35})
            QCOMPARE(f.duty(n), 0);
        for (CustomControls::Slider *s : f.sliders())
            QCOMPARE(s->QSlider::value(), 0);
    }

    // Row-independent mode checked while the row vectors are those of a smaller grid (or none):
    // all on and all off touch only the rows that exist.
    void allOnOffUnbuiltRows()
    {
        setModes(false, false, true);
        QCOMPARE(f.loadGrid(1, 12, 1, 12), 0);
        setModes(true, false, false);
        QCOMPARE(f.loadGrid(1, 12, 4, 3), 0);
        box("cbByRowIndependent")->setChecked(true);
        f.page()->allOn();
        QCOMPARE(f.duty(12), 1023);
        f.page()->allOff();
        QCOMPARE(f.duty(12), 0);
        box("cbByRowIndependent")->setChecked(false);
    }

    // The spin box beside the all-switches slider moves it, and with it every switch slider.
    void allSwitchesSpinBox()
    {
        setModes(true, false, false);
        QCOMPARE(f.loadGrid(1, 12, 1, 12), 0);
        auto *spin = f.widget<QSpinBox>("spAllDC");
        spin->setValue(640);
        emit spin->editingFinished();
        QCOMPARE(f.widget<QSlider>("slAll")->value(), 640);
        for (CustomControls::Slider *s : f.sliders())
            QCOMPARE(s->QSlider::value(), 640);
    }

    // A switch slider's move starts live sending (with Autoupdate) and recomputes the hint,
    // also for a switch number that has no place in the duty buffers (20 of 3 switches).
    void switchMoved_data()
    {
        QTest::addColumn<int>("switchNumber");
        QTest::newRow("switch 2") << 2;
        QTest::newRow("switch 20 of 3") << 20;
    }
    void switchMoved()
    {
        QFETCH(int, switchNumber);
        QCOMPARE(f.load(LayoutFixture::configText(1, 12, 1, 3, {"1 2 20"})), 0);
        box("cbAutoupdate")->setChecked(true);
        f.widget<QLineEdit>("leInfoBox")->setText("stale");
        if (QTimer *earlier = runningSendTimer())
            earlier->stop();
        f.slider(switchNumber)->QSlider::setValue(300);
        QTimer *timer = runningSendTimer();
        QVERIFY(timer);
        timer->stop();
        QVERIFY(f.hint() != "stale");
        box("cbAutoupdate")->setChecked(false);
        f.widget<QLineEdit>("leInfoBox")->setText("stale");
        f.slider(switchNumber)->QSlider::setValue(400);
        QVERIFY(!runningSendTimer());
        QVERIFY(f.hint() != "stale");
    }

    void buckSwitches_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("buck1");
        QTest::addColumn<QString>("buck2");
        QTest::newRow("buck 1 on") << 1 << true << 0x2 << "1"
                                   << "0";
        QTest::newRow("buck 2 on") << 2 << true << 0x3 << "1"
                                   << "1";
        QTest::newRow("buck 1 off") << 1 << false << 0x1 << "0"
                                    << "1";
        QTest::newRow("buck 2 off") << 2 << false << 0x0 << "0"
                                    << "0";
    }
    // The buck switches write the shared driver register 6 whole, the model field and the
    // Application tab's box, and the hint follows.
    void buckSwitches()
    {
        QFETCH(int, channel);
        QFETCH(bool, on);
        BoardPageAccess *access = BoardPageAccess::instance();
        QVERIFY(access);
        if (channel == 1)
            access->setBuck1Enabled(on);
        else
            access->setBuck2Enabled(on);
        QTEST(int(f.spi.kvl52205Register(6)), "word");
        QFETCH(QString, buck1);
        QFETCH(QString, buck2);
        QVariant value1;
        QVariant value2;
        QVERIFY(f.getItem("Board.BUCK1[EN]", &value1));
        QVERIFY(f.getItem("Board.BUCK2[EN]", &value2));
        QCOMPARE(value1.toString(), buck1);
        QCOMPARE(value2.toString(), buck2);
        QCOMPARE(QString::number(box("cbBUCK1EN")->isChecked()), buck1);
        QCOMPARE(QString::number(box("cbBUCK2EN")->isChecked()), buck2);
        QCOMPARE(f.hint().contains(BuckHint), buck1 == "0" && buck2 == "0");
    }
};

QTEST_MAIN(TestBoardMatrixControls)
#include "tst_boardmatrixcontrols.moc"
