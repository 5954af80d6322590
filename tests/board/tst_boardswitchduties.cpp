// A switch slider's move keeps the duty model and the page's duty buffers equal to it; the
// position modes then move what the buffers hold. All on and all off reset the buffers.
#include "layoutfixture.h"

#include <QCheckBox>

class TestBoardSwitchDuties : public QObject
{
    Q_OBJECT

    LayoutFixture f;

    QCheckBox *box(const char *name) const { return f.widget<QCheckBox>(name); }

    // Loads one row of switches in the given position mode (without Autoupdate).
    void loadRow(const QByteArray &row, bool extended, bool independent)
    {
        box("cbAutoupdate")->setChecked(false);
        box("cbExtended")->setChecked(extended);
        box("cbByRow")->setChecked(!independent);
        box("cbBySW")->setChecked(false);
        box("cbByRowIndependent")->setChecked(independent);
        const int cols = row.count(' ') + 1;
        QCOMPARE(f.load(LayoutFixture::configText(1, 12, 1, cols, {row})), 0);
    }

    // Moves the pattern one place forward.
    void stepForward()
    {
        f.page()->on_slHorizontal_sliderReleased();
        f.position()->setValue(f.position()->value() + 1);
    }

    QList<int> duties(const QList<int> &switches)
    {
        QList<int> values;
        for (int n : switches)
            values << f.duty(n);
        return values;
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // A released slider (or one moved by its spin box) writes its duty field; a switch
    // numbered beyond the active switches writes nothing.
    void moveWritesDuty()
    {
        loadRow("1 2 20", false, false);
        f.slider(2)->QSlider::setValue(300);
        QCOMPARE(duties({1, 2, 3, 20}), QList<int>({0, 300, 0, 0}));
        f.slider(20)->QSlider::setValue(500);
        QCOMPARE(duties({1, 2, 3, 20}), QList<int>({0, 300, 0, 0}));
    }

    // The all-switches slider moves every switch slider and so every duty.
    void allSwitchesSlider()
    {
        loadRow("1 2 3", false, false);
        f.widget<QSlider>("slAll")->setValue(700);
        QCOMPARE(duties({1, 2, 3}), QList<int>({700, 700, 700}));
    }

    void modesMoveTheMove_data()
    {
        QTest::addColumn<bool>("extended");
        QTest::addColumn<bool>("independent");
        QTest::newRow("row") << false << false;
        QTest::newRow("row independent") << false << true;
        QTest::newRow("extended row") << true << false;
        QTest::newRow("extended row independent") << true << true;
    }
    // Whatever buffer a mode moves, a switch's move is in it: one step forward carries
    // switch 2's duty to switch 3.
    void modesMoveTheMove()
    {
        QFETCH(bool, extended);
        QFETCH(bool, independent);
        loadRow("1 2 3", extended, independent);
        f.slider(2)->QSlider::setValue(300);
        stepForward();
        QCOMPARE(duties({2, 3}), QList<int>({0, 300}));
    }

    // A switch beyond the active switches leaves every buffer alone: the step moves nothing.
    void badSwitchMovesNothing_data() { modesMoveTheMove_data(); }
    void badSwitchMovesNothing()
    {
        QFETCH(bool, extended);
        QFETCH(bool, independent);
        loadRow("1 20 3", extended, independent);
        f.slider(20)->QSlider::setValue(300);
        stepForward();
        QCOMPARE(duties({1, 3, 20}), QList<int>({0, 0, 0}));
    }

    // After all off nothing is left to move; after all on every place is full.
    void allOnOffBuffers_data() { modesMoveTheMove_data(); }
    void allOnOffBuffers()
    {
        QFETCH(bool, extended);
        QFETCH(bool, independent);
        loadRow("1 2 3", extended, independent);
        f.slider(2)->QSlider::setValue(300);
        f.page()->allOff();
        stepForward();
        QCOMPARE(duties({1, 2, 3}), QList<int>({0, 0, 0}));
        f.page()->allOn();
        stepForward();
        QCOMPARE(f.duty(3), 1023);
        if (!extended)
            QCOMPARE(duties({1, 2}), QList<int>({1023, 1023}));
    }
};

QTEST_MAIN(TestBoardSwitchDuties)
#include "tst_boardswitchduties.moc"
