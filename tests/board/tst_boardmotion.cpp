// The position slider on loaded matrix files: every movement mode against hand-computed
// duties, one place per movement, the reference position, stepping and Reset.
#include "boardappfixture.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>

namespace
{

// A matrix file: one row line per "|"-separated part of map.
QByteArray matrixFile(int devices, int columns, const QString &map)
{
    const QStringList rows = map.split(QLatin1Char('|'));
    QByteArray text = QStringLiteral("NumberOfDevices %1\nPixelsPerDevice 12\nNumberOfRows %2\n"
                                     "NumberOfCols %3\n")
                          .arg(devices)
                          .arg(rows.size())
                          .arg(columns)
                          .toLatin1();
    for (const QString &row : rows)
        text += row.toLatin1() + '\n';
    return text;
}

QVector<int> numbers(const QString &text)
{
    QVector<int> out;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append(word.toInt());
    return out;
}

const QString Twelve = QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12");
const QString TwentyFour =
    QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12|13 14 15 16 17 18 19 20 21 22 23 24");
const QString Shuffled = QStringLiteral("3 1 2|6 4 5");

} // namespace

class TestBoardMotion : public QObject
{
    Q_OBJECT

    BoardAppFixture f;
    Board *page = nullptr;
    QSlider *slider = nullptr;
    QComboBox *stepping = nullptr;

    QCheckBox *box(const char *name) const { return f.widget<QCheckBox>(name); }

    void load(const QString &map)
    {
        const int columns = int(map.split(QLatin1Char('|')).first().split(' ').size());
        const int count = int(numbers(QString(map).replace('|', ' ')).size());
        QVERIFY(TestFiles::write("matrix.txt", matrixFile(count > 12 ? 2 : 1, columns, map)));
        page->loadConfiguration(QStringLiteral("matrix.txt"));
    }
    // Turns a mode box on by a click (and the extended box to extended), as the user does.
    void selectMode(const char *name, bool extended)
    {
        QCheckBox *mode = box(name);
        if (!mode->isChecked())
            mode->click();
        QVERIFY(mode->isChecked());
        if (box("cbExtended")->isChecked() != extended)
            box("cbExtended")->click();
    }
    void selectStepping(const QString &text)
    {
        stepping->setCurrentIndex(stepping->findText(text));
        QCOMPARE(stepping->currentText(), text);
    }
    // Presses and lets go of the handle: the reference position becomes its value.
    void release()
    {
        slider->setSliderDown(true);
        slider->setSliderDown(false);
    }
    // Moves the handle to p and lets it go.
    void anchor(int p)
    {
        slider->setValue(p);
        release();
    }
    void setDuties(const QString &duties)
    {
        const QVector<int> values = numbers(duties);
        for (int k = 0; k < values.size(); ++k)
            QVERIFY(page->setDcRegister(quint8(k + 1), quint16(values[k])));
    }
    QVector<int> duties(int count)
    {
        QVector<int> out;
        for (int sw = 1; sw <= count; ++sw)
            out.append(page->dcRegister(quint8(sw)));
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(page);
        slider = f.widget<QSlider>("slHorizontal");
        stepping = f.widget<QComboBox>("cbStepping");
        QVERIFY(slider && stepping);
    }
    void init()
    {
        if (box("cbExtended")->isChecked())
            box("cbExtended")->click();
        selectStepping("1");
    }

    // The rotating modes: a jump of several units moves one place, forward or backward.
    void rotations_data()
    {
        addRows<QString, QString, int, QString, QString>(
            {"map", "mode", "jump", "duties", "expected"},
            {
                {Twelve, "cbBySW", 3, "10 20 30 40 50 60 70 80 90 100 110 120",
                 "120 10 20 30 40 50 60 70 80 90 100 110"},
                {Twelve, "cbByRow", -2, "10 20 30 40 50 60 70 80 90 100 110 120",
                 "20 30 40 50 60 70 80 90 100 110 120 10"},
                {TwentyFour, "cbByRowIndependent", 3,
                 "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24",
                 "12 1 2 3 4 5 6 7 8 9 10 11 24 13 14 15 16 17 18 19 20 21 22 23"},
                {TwentyFour, "cbByRow", -1,
                 "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24",
                 "2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 1"},
                {Shuffled, "cbBySW", 1, "10 20 30 40 50 60", "60 10 20 30 40 50"},
                {Shuffled, "cbByRow", 3, "10 20 30 40 50 60", "30 10 50 60 40 20"},
                {Shuffled, "cbByRow", -3, "10 20 30 40 50 60", "20 60 10 50 30 40"},
                {Shuffled, "cbByRowIndependent", 2, "10 20 30 40 50 60", "30 10 20 60 40 50"},
                {Shuffled, "cbByRowIndependent", -1, "10 20 30 40 50 60", "20 30 10 50 60 40"},
            });
    }
    void rotations()
    {
        QFETCH(QString, map);
        QFETCH(QString, mode);
        QFETCH(int, jump);
        QFETCH(QString, duties);
        QFETCH(QString, expected);
        load(map);
        selectMode(mode.toLatin1().constData(), false);
        selectStepping("8"); // a range wide enough for every jump
        anchor(4);
        setDuties(duties);
        slider->setValue(4 + jump);
        const int count = int(numbers(duties).size());
        QCOMPARE(this->duties(count), numbers(expected));
        // Back to the reference position: nothing moves.
        slider->setValue(4);
        QCOMPARE(this->duties(count), numbers(expected));
    }

    // Stepping 4 cross-fades a single full duty from switch 1 to switch 2 in four calls;
    // Reset takes the current profile as the new pattern and starts the sub-steps afresh.
    void extendedSwitch()
    {
        load(Twelve);
        selectMode("cbBySW", true);
        // A load keeps the old pattern's target; Reset clears it before the first whole step.
        page->on_pbReset_clicked();
        anchor(0);
        setDuties("1023 0 0 0 0 0 0 0 0 0 0 0");
        selectStepping("4"); // takes the profile as the pattern
        const QList<QPair<int, int>> steps{{768, 255}, {513, 510}, {258, 765}, {0, 1023}};
        for (int k = 0; k < steps.size(); ++k) {
            slider->setValue(k % 2 + 1);
            QCOMPARE(qMakePair(int(page->dcRegister(1)), int(page->dcRegister(2))), steps[k]);
            QCOMPARE(page->dcRegister(3), quint16(0));
        }
        // Back by two sub-steps, then Reset: 510/513 becomes the pattern.
        release();
        slider->setValue(1);
        slider->setValue(0);
        QCOMPARE(duties(3), numbers("510 513 0"));
        f.widget<QGroupBox>("groupBox_4")->setEnabled(true);
        f.widget<QPushButton>("pbReset")->setEnabled(true);
        f.widget<QPushButton>("pbReset")->click();
        slider->setValue(3);
        QCOMPARE(duties(3), numbers("383 512 128"));
    }

    // The extended row modes shift the pattern; the row-independent lines lose what leaves
    // them.
    void extendedRows_data()
    {
        addRows<QString, bool, QString, QString>(
            {"mode", "forward", "moved", "back"},
            {
                {"cbByRow", true, "100 200 0 400 500 300", "200 300 100 500 600 400"},
                {"cbByRow", false, "300 400 200 600 0 500", "200 300 100 500 600 400"},
                {"cbByRowIndependent", true, "100 200 0 400 500 0", "200 300 100 500 600 400"},
                {"cbByRowIndependent", false, "300 0 200 600 0 500", "200 300 100 500 600 400"},
            });
    }
    void extendedRows()
    {
        QFETCH(QString, mode);
        QFETCH(bool, forward);
        QFETCH(QString, moved);
        load(Shuffled);
        selectMode(mode.toLatin1().constData(), true);
        anchor(1);
        setDuties("200 300 100 500 600 400");
        slider->setValue(forward ? 2 : 0);
        QCOMPARE(duties(6), numbers(moved));
        release();
        slider->setValue(1);
        QFETCH(QString, back);
        QCOMPARE(duties(6), numbers(back));
    }

    // The stepping sets the slider's range for the checked mode and never moves its value;
    // the switch mode box itself uses the longest row.
    void steppingRange_data()
    {
        addRows<QString, QString, QString, int, int>(
            {"map", "mode", "stepping", "maximum", "value"},
            {
                {Twelve, "cbByRow", "8", 96, 6},
                {Twelve, "cbBySW", "2", 24, 6},
                {TwentyFour, "cbBySW", "4", 96, 6},
                {TwentyFour, "cbByRowIndependent", "4", 96, 6},
                {Shuffled, "cbByRowIndependent", "64", 384, 1},
                {Shuffled, "cbByRow", "16", 96, 3},
            });
    }
    void steppingRange()
    {
        QFETCH(QString, map);
        QFETCH(QString, mode);
        QFETCH(QString, stepping);
        load(map);
        selectMode(mode.toLatin1().constData(), false);
        selectStepping(stepping);
        QTEST(slider->maximum(), "maximum");
        QTEST(slider->value(), "value");
    }

    void switchModeRange()
    {
        load(Twelve);
        selectMode("cbByRow", false);
        selectStepping("8");
        box("cbBySW")->click();
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 96);
        QCOMPARE(slider->value(), 48);
    }

    // With no mode box checked the stepping leaves the range alone and nothing moves.
    void noMode()
    {
        load(Twelve);
        selectMode("cbByRow", false);
        box("cbByRow")->click();
        QVERIFY(!box("cbByRow")->isChecked() && !box("cbBySW")->isChecked() &&
                !box("cbByRowIndependent")->isChecked());
        const int maximum = slider->maximum();
        selectStepping("16");
        QCOMPARE(slider->maximum(), maximum);
        anchor(1);
        setDuties("1023");
        slider->setValue(2);
        QCOMPARE(duties(2), numbers("1023 0"));
        box("cbByRow")->click();
    }

    // Dragging takes each new position as the reference, so dragging back returns the
    // pattern; key and page steps keep the reference, so stepping back onto it moves nothing.
    void referencePosition_data()
    {
        addRows<bool, QString>({"drag", "expected"}, {{true, "1023 0 0"}, {false, "0 1023 0"}});
    }
    void referencePosition()
    {
        QFETCH(bool, drag);
        load(Twelve);
        selectMode("cbBySW", false);
        anchor(5);
        setDuties("1023 0 0 0 0 0 0 0 0 0 0 0");
        slider->setSliderDown(drag);
        if (drag)
            slider->setSliderPosition(6);
        else
            slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(duties(3), numbers("0 1023 0"));
        if (drag)
            slider->setSliderPosition(5);
        else
            slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
        slider->setSliderDown(false);
        QFETCH(QString, expected);
        QCOMPARE(duties(3), numbers(expected));
    }

    // Mode boxes, stepping and Reset reconnect the slider; each movement still moves one
    // place only.
    void oneMovePerChange()
    {
        load(TwentyFour);
        selectMode("cbBySW", false);
        selectMode("cbByRowIndependent", false);
        selectMode("cbByRow", false);
        selectStepping("2");
        selectStepping("4");
        page->on_pbReset_clicked();
        anchor(10);
        setDuties("0 0 0 1023");
        slider->setValue(30);
        QCOMPARE(duties(6), numbers("0 0 0 0 1023 0"));
    }

    // A switch number beyond the switch count has no duty slot: the row rotation passes it
    // by and its field keeps its duty.
    void unknownSwitch()
    {
        load(QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 13"));
        selectMode("cbByRow", false);
        anchor(4);
        setDuties("10 20 30 40 50 60 70 80 90 100 110");
        QVERIFY(page->setDcRegister(13, 500));
        slider->setValue(5);
        QCOMPARE(duties(11), numbers("110 10 20 30 40 50 60 70 80 90 100"));
        QCOMPARE(page->dcRegister(13), quint16(500));
    }

    void autoupdate()
    {
        auto *update = f.widget<QPushButton>("pbUpdate");
        QCheckBox *autoupdate = box("cbAutoupdate");
        const bool start = autoupdate->isChecked();
        autoupdate->click();
        QCOMPARE(update->isEnabled(), start);
        autoupdate->click();
        QCOMPARE(update->isEnabled(), !start);
    }
};

QTEST_MAIN(TestBoardMotion)
#include "tst_boardmotion.moc"
