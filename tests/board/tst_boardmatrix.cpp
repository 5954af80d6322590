// The matrix on the board page: configuration files loaded into the switch sliders and device
// rows, the duties that sliders, patterns and scenario files set, the position slider's moves,
// the running-light timer, the buck switches and the status hint.
#include "boardcommandsfixture.h"
#include "logrecorder.h"

#include <cstring>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>

class TestBoardMatrix : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;
    Board *page() { return f.page(); }
    QCheckBox *box(const char *name) { return f.widget<QCheckBox>(name); }
    QSlider *position() { return f.widget<QSlider>("slHorizontal"); }
    QSlider *slider(int n) { return f.widget<QSlider>(qPrintable(QString("SW%1").arg(n))); }

    // Clicks the mode box on (and the extended box to extended), as the user does.
    void selectMode(const char *name, bool extended = false)
    {
        if (!box(name)->isChecked())
            box(name)->click();
        if (box("cbExtended")->isChecked() != extended)
            box("cbExtended")->click();
    }
    QString duties(int count)
    {
        QStringList out;
        for (int n = 1; n <= count; ++n)
            out.append(QString::number(page()->dcRegister(quint8(n))));
        return out.join(' ');
    }
    void setDuties(const QString &text)
    {
        const QStringList values = text.split(' ');
        for (int n = 1; n <= values.size(); ++n)
            QVERIFY(page()->setDcRegister(quint8(n), quint16(values.at(n - 1).toInt())));
    }
    QString messages(qsizetype first)
    {
        QStringList shown;
        for (const Prompt::Message &m : f.prompt.messages().mid(first))
            shown << QString::number(m.icon) + '|' + m.title + '|' + m.text;
        return shown.join('\n');
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // A refused file shows its box and changes nothing: not the sliders, not their bindings,
    // not the counts a later file builds on. A load starts every switch at 0.
    void load()
    {
        const QByteArrayList row{"1 2 3 4 5 6 7 8 9 10 11 12"};
        const QString counts = "2|Load configuration|Please check the configuration.\n The Number "
                               "of devices must be 1 or 2,\n number of cols must be less than "
                               "25,\n number of rows must be less than 5.";
        const QList<std::tuple<int, int, int, int, QString>> refused = {
            {3, 12, 1, 12, counts},
            {0, 12, 1, 12, counts},
            {2, 12, 1, 25, counts},
            {2, 12, 5, 12, counts},
            {2, 12, 0, 12, counts},
            {1, 11, 1, 12, "2|Error|Number of activ SW is bigger than possible pixels in total!"}};
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QVERIFY(f.setItem("Board.DCREG[SW3]", 500));
        QCOMPARE(slider(3)->value(), 500);
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QCOMPARE(slider(3)->value() + page()->dcRegister(3), 0);
        for (const auto &[devices, pixels, rows, cols, text] : refused) {
            const qsizetype first = f.prompt.messages().size();
            f.load(devices, pixels, rows, cols, row);
            QCOMPARE(messages(first), text);
            QCOMPARE(page()->findChildren<QSlider *>(QRegularExpression("^SW\\d+$")).size(), 24);
            QCOMPARE(page()->deviceAddressTexts(), (QStringList{"1", "2"}));
        }
        slider(24)->setValue(45);
        emit slider(24)->sliderMoved(45);
        QCOMPARE(page()->dcRegister(24), quint16(45));
        // Only the devices given: the rest comes from the last accepted file.
        QCOMPARE(f.load(1, 24, 2, 12, {}), 0);
        QCOMPARE(page()->deviceAddressTexts(), QStringList{"1"});
        QVERIFY(slider(24));

        const qsizetype first = f.prompt.messages().size();
        page()->on_pbLoadConfiguration_clicked(); // cancelled
        QFile unnamed;
        QVERIFY(!unnamed.open(QIODevice::ReadOnly));
        QCOMPARE(messages(first), "1|Error|" + unnamed.errorString());
    }

    // Each run of the alternate pattern lights the other half; the ramp mirrors each run;
    // a scenario file sets its switches, a refused one is reported and sets nothing.
    void patterns()
    {
        QCOMPARE(f.load(1, 12, 2, 3, {"3 1 2", "6 4 5"}), 0);
        selectMode("cbBySW");
        page()->pattern1();
        QCOMPARE(duties(6), QString("1023 0 1023 0 1023 0"));
        page()->pattern1();
        QCOMPARE(duties(6), QString("0 1023 0 1023 0 1023"));
        page()->pattern2();
        QCOMPARE(duties(6), QString("0 512 1023 1023 512 0"));
        selectMode("cbByRowIndependent");
        page()->pattern3();
        QCOMPARE(duties(6), QString("512 1 1023 512 1 1023"));
        page()->pattern3();
        QCOMPARE(duties(6), QString("512 1023 1 512 1023 1"));

        LogRecorder log(page());
        for (const auto &[text, expected] :
             QList<QPair<QByteArray, QString>>{{"1 5 9 2\n1023 512 0 -4\n", "1023 0 1 512 512 1"},
                                               {"1\n0\n2\n", "1023 0 1 512 512 1"},
                                               {"1 2 3 4 5 6 1\n0\n", "1023 0 1 512 512 1"}}) {
            QVERIFY(TestFiles::write("scenario.txt", text));
            f.prompt.queueFile("scenario.txt");
            page()->on_pbPatternCustom_clicked();
            QCOMPARE(duties(6), expected);
        }
        QCOMPARE(log.entries().size(), 2);
        QCOMPARE(log.entries().first().first, -1);
        const qsizetype first = f.prompt.messages().size();
        page()->on_pbPatternCustom_clicked(); // cancelled
        QCOMPARE(f.prompt.messages().mid(first).size(), 1);
    }

    // The stepping gives the position slider its range; a jump of several units moves the
    // pattern one place; moving back onto the reference position moves nothing.
    void motion()
    {
        QCOMPARE(f.load(1, 12, 2, 3, {"3 1 2", "6 4 5"}), 0);
        auto *stepping = f.widget<QComboBox>("cbStepping");
        const struct {
            const char *mode;
            bool extended;
            const char *stepping;
            int maximum;
            int jump;
            QString moved;
        } rows[] = {{"cbByRow", false, "16", 96, 3, "30 10 50 60 40 20"},
                    {"cbByRowIndependent", false, "64", 384, -1, "20 30 10 50 60 40"},
                    {"cbBySW", false, "8", 48, 1, "60 10 20 30 40 50"},
                    {"cbByRow", true, "1", 6, 1, "100 200 0 400 500 300"}};
        for (const auto &row : rows) {
            selectMode(row.mode, row.extended);
            stepping->setCurrentIndex(stepping->findText(row.stepping));
            QCOMPARE(position()->maximum(), row.maximum);
            position()->setValue(2);
            position()->setSliderDown(true); // a press and release takes the reference
            position()->setSliderDown(false);
            setDuties(row.extended ? "200 300 100 500 600 400" : "10 20 30 40 50 60");
            position()->setValue(2 + row.jump);
            QCOMPARE(duties(6), row.moved);
            position()->setValue(2);
        }
    }

    // Each tick moves the slider one single step and wraps at the ends; the interval is
    // clamped to 70..9999 ms; without a direction the effect does not start.
    void effect()
    {
        f.widget<QWidget>("groupBox_4")->setEnabled(true);
        position()->setRange(0, 10);
        position()->setSingleStep(2);
        for (const auto &[direction, from, to] : QList<std::tuple<const char *, int, int>>{
                 {"cbRight", 5, 7}, {"cbRight", 8, 0}, {"cbLeft", 5, 3}, {"cbLeft", 2, 10}}) {
            box(direction)->setChecked(true);
            box(strcmp(direction, "cbLeft") ? "cbLeft" : "cbRight")->setChecked(false);
            position()->setValue(from);
            page()->slotEffectTimer();
            QCOMPARE(position()->value(), to);
        }
        box("cbLeft")->click();
        QVERIFY(!box("cbLeft")->isChecked() && !box("cbRight")->isChecked());
        box("cbStart")->click();
        QVERIFY(!box("cbStart")->isChecked());
        box("cbRight")->click();
        for (const auto &[text, interval] :
             QList<QPair<QString, int>>{{"7", 70}, {"20000", 9999}, {"250", 250}}) {
            f.widget<QLineEdit>("leEffectTime")->setText(text);
            QList<QTimer *> started = page()->findChildren<QTimer *>();
            started.removeIf([](QTimer *t) { return t->isActive(); });
            box("cbStart")->click();
            started.removeIf([](QTimer *t) { return !t->isActive(); });
            QCOMPARE(started.size(), 1);
            QCOMPARE(started.first()->interval(), interval);
            box("cbStart")->click();
        }
    }

    // The buck switches write the driver's register 6 whole and the model field; the hint
    // lists what keeps the matrix from running.
    void bucksAndHint()
    {
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        BoardPageAccess *access = BoardPageAccess::instance();
        for (const auto &[channel, on, word] : QList<std::tuple<int, bool, int>>{
                 {1, true, 2}, {2, true, 3}, {1, false, 1}, {2, false, 0}}) {
            channel == 1 ? access->setBuck1Enabled(on) : access->setBuck2Enabled(on);
            QCOMPARE(int(f.spi.kvl52205Register(6)), word);
            QCOMPARE(f.pageItem(QString("BUCK%1[EN]").arg(channel)), quint32(on));
            QCOMPARE(box(channel == 1 ? "cbBUCK1EN" : "cbBUCK2EN")->isChecked(), on);
        }
        selectMode("cbBySW");
        f.widget<QLineEdit>("leSA0")->setText("32");
        emit f.widget<QLineEdit>("leSA1")->editingFinished();
        QCOMPARE(f.widget<QLineEdit>("leInfoBox")->text(),
                 QString("Set the device addresses (0-31); At least one device is not valid "
                         "(OPMODE); Enable at least one buck; Consider if you need to press the "
                         "reset button;"));
        f.widget<QLineEdit>("leSA0")->setText("1");
        box("cbBySW")->setChecked(false);
        access->setBuck1Enabled(true);
        for (QComboBox *combo : page()->findChildren<QComboBox *>())
            if (combo->accessibleName() == "OPMODE")
                combo->setCurrentIndex(4);
        emit f.widget<QLineEdit>("leSA1")->editingFinished();
        QCOMPARE(f.widget<QLineEdit>("leInfoBox")->text(), QString());
    }
};

QTEST_MAIN(TestBoardMatrix)
#include "tst_boardmatrix.moc"
