// The board page's matrix and Animation tab on the simulated board: configuration and scenario
// files, patterns, the position slider, the running light, the buck switches and the hint;
// "Flash MCU", playback, the script list and its files, and the NTC readout.
#include "accessiblenames.h"
#include "animationimage.h"
#include "applethelper.h"
#include "boardcommandsfixture.h"
#include "boardglobals.h"
#include "configurationregisters.h"
#include "csvreader.h"
#include "logrecorder.h"
#include "mainwindow.h"
#include "scriptcsv.h"
#include "sliderdrag.h"

#include <algorithm>
#include <cstring>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

using ScriptCsv::steps;

class TestBoardMatrix : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;
    Board *page() { return f.page(); }
    QCheckBox *box(const char *name) { return f.widget<QCheckBox>(name); }
    // The move mode boxes that are checked.
    QStringList checkedModes()
    {
        QStringList checked;
        for (const char *name : {"cbByRow", "cbByRowIndependent", "cbBySW"})
            if (box(name)->isChecked())
                checked << name;
        return checked;
    }
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
    QString messages(qsizetype first)
    {
        QStringList shown;
        for (const Prompt::Message &m : f.prompt.messages().mid(first))
            shown << QString::number(m.icon) + '|' + m.title + '|' + m.text;
        return shown.join('\n');
    }

    QString label(const char *name) { return f.widget<QLabel>(name)->text(); }
    // Whether the label "SWn" stands above switch n's slider in the slider's column.
    bool labelAboveSlider(int n)
    {
        QLayout *grid = f.widget<QWidget>("SWwidget")->layout();
        for (int i = 0; i < grid->count(); ++i) {
            QLayout *column = grid->itemAt(i)->layout();
            const int place = column ? column->indexOf(slider(n)) : -1;
            for (int above = 0; above < place; ++above) {
                auto *label = qobject_cast<QLabel *>(column->itemAt(above)->widget());
                if (label && label->text() == QString("SW%1").arg(n))
                    return true;
            }
        }
        return false;
    }
    // The switches' spin boxes, in memory order.
    QList<QSpinBox *> dutyBoxes()
    {
        QList<QSpinBox *> boxes =
            f.widget<QWidget>("SWwidget")
                ->findChildren<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly);
        std::sort(boxes.begin(), boxes.end());
        return boxes;
    }
    // Whether the read-only hint keeps an undo history (which read-only mode only hides).
    bool hintUndoable()
    {
        auto *hint = f.widget<QLineEdit>("leInfoBox");
        hint->setReadOnly(false);
        const bool undoable = hint->isUndoAvailable();
        hint->setReadOnly(true);
        return undoable;
    }
    // A label's text, marked "<cut>" unless it shows it whole (a wrapping label on its lines).
    QString wholeText(const char *name)
    {
        const QLabel *shown = f.widget<QLabel>(name);
        const bool cut = shown->wordWrap() ? shown->heightForWidth(shown->width()) > shown->height()
                                           : shown->fontMetrics().horizontalAdvance(shown->text()) >
                                                 shown->width();
        return cut ? "<cut> " + shown->text() : shown->text();
    }

    // Flash lines' addresses and the other lines sent since the last take.
    QPair<QByteArrayList, QByteArrayList> sent()
    {
        QPair<QByteArrayList, QByteArrayList> out;
        for (const QByteArray &line : f.take())
            line.startsWith("set flash=") ? out.first.append(line.mid(10, 8))
                                          : out.second.append(line);
        return out;
    }
    void clearList()
    {
        while (!page()->scriptListEntries().isEmpty()) {
            f.widget<QTableWidget>("tableAnimationScripts")->setCurrentCell(0, 0);
            page()->on_pbRemoveFromList_clicked();
        }
    }
private slots:
    void initTestCase()
    {
        f.bus.addChip(3, 4, 1); // for the NTC readout
        f.bus.addChip(5, 4, 1);
        f.bus.setOutputOn(1, true);
        f.bus.setOutputOn(2, true);
        QVERIFY(f.start());
    }
    void init()
    {
        clearList();
        f.widget<QCheckBox>("cbCheckData")->setChecked(false);
        f.take();
    }

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
            {2, 12, 1, 25, counts},
            {2, 12, 0, 12, counts},
            {1, 11, 1, 12, "2|Error|Number of activ SW is bigger than possible pixels in total!"}};
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QVERIFY(f.setItem("Board.DCREG[SW3]", 500));
        QCOMPARE(slider(3)->value(), 500);
        const QList<QSpinBox *> shown = dutyBoxes(); // the switch's box follows its slider
        QCOMPARE(std::count_if(shown.begin(), shown.end(),
                               [](QSpinBox *b) { return b->value() == 500; }),
                 1);
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QCOMPARE(slider(3)->value() + page()->dcRegister(3), 0);
        // The switches' spin boxes are kept across loads (Qt 6.4 keeps a style-sheet cache
        // entry for every spin box ever built): a reload builds none, each box starts at 0
        // and drives one switch of its own.
        QList<QSpinBox *> boxes = dutyBoxes();
        QCOMPARE(f.load(1, 12, 1, 12, row), 0);
        QCOMPARE(dutyBoxes().size(), 12);
        slider(1)->setValue(9);
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QVERIFY(dutyBoxes() == boxes); // the same objects (the old ones would be gone)
        QSet<int> duties;
        for (int i = 0; i < boxes.size(); ++i) {
            QCOMPARE(boxes.at(i)->value(), 0);
            boxes.at(i)->setValue(100 + i);
        }
        for (int n = 1; n <= 24; ++n) {
            QCOMPARE(int(page()->dcRegister(quint8(n))), slider(n)->value());
            duties.insert(slider(n)->value());
        }
        QCOMPARE(duties.size(), 24);
        QCOMPARE(*std::min_element(duties.begin(), duties.end()), 100);
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
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
        QCOMPARE(f.widget<QWidget>("DeviceWidget")->findChildren<QGroupBox *>().size(), 1);
        page()->getAddress(5, 9); // as auto addressing reports them: one row takes the first
        QCOMPARE(page()->deviceAddressTexts(), QStringList{"5"});
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
        // Without a mode ticked a pattern changes nothing.
        for (const char *mode : {"cbBySW", "cbByRow", "cbByRowIndependent"})
            box(mode)->setChecked(false);
        f.setDuties("0 0 0 40 50 60");
        page()->pattern1();
        QCOMPARE(f.duties(6), QString("0 0 0 40 50 60"));
        selectMode("cbBySW");
        page()->pattern1();
        QCOMPARE(f.duties(6), QString("1023 0 1023 0 1023 0"));
        page()->pattern1();
        QCOMPARE(f.duties(6), QString("0 1023 0 1023 0 1023"));
        page()->pattern2();
        QCOMPARE(f.duties(6), QString("0 512 1023 1023 512 0"));
        selectMode("cbByRowIndependent");
        page()->pattern3();
        QCOMPARE(f.duties(6), QString("512 1 1023 512 1 1023"));
        page()->pattern3();
        QCOMPARE(f.duties(6), QString("512 1023 1 512 1023 1"));

        LogRecorder log(page());
        for (const auto &[text, expected] :
             QList<QPair<QByteArray, QString>>{{"1 5 9 2\n1023 512 0 -4\n", "1023 0 1 512 512 1"},
                                               {"1\n0\n2\n", "1023 0 1 512 512 1"},
                                               {"1 2 3 4 5 6 1\n0\n", "1023 0 1 512 512 1"}}) {
            QVERIFY(TestFiles::write("scenario.txt", text));
            f.prompt.queueFile("scenario.txt");
            page()->on_pbPatternCustom_clicked();
            QCOMPARE(f.duties(6), expected);
        }
        QCOMPARE(log.entries().size(), 2);
        for (const QPair<int, QString> &entry : log.entries())
            QCOMPARE(entry.first, -1); // both refusals are errors
        const qsizetype first = f.prompt.messages().size();
        page()->on_pbPatternCustom_clicked(); // cancelled
        QCOMPARE(f.prompt.messages().mid(first).size(), 1);
    }

    // ALL OFF and ALL ON set the whole pattern, also when pressed again after switches were
    // changed: a move afterwards keeps every switch dark or full.
    void allOnOff()
    {
        QCOMPARE(f.load(1, 12, 2, 3, {"3 1 2", "6 4 5"}), 0);
        for (const auto &[command, mode, extended, duty] :
             QList<std::tuple<QString, const char *, bool, QString>>{
                 {"allOff", "cbBySW", false, "0"},
                 {"allOn", "cbBySW", false, "1023"},
                 {"allOff", "cbByRow", true, "0"},
                 {"allOn", "cbByRow", true, "1023"}}) {
            selectMode(mode, extended);
            for (int press = 0; press < 2; ++press) {
                f.setDuties("0 0 0 40 50 60");
                f.run(command);
            }
            position()->setValue(position()->value() + 1);
            QCOMPARE(f.duties(6), QStringList(6, duty).join(' '));
        }
    }

    // ALL ON reaches the board also when the all-switches slider stands at full already: the
    // live image goes out with every duty full, and the playback starts again.
    void allOnReachesBoard()
    {
        QCOMPARE(f.load(1, 12, 1, 12, {"1 2 3 4 5 6 7 8 9 10 11 12"}), 0);
        QVERIFY(box("cbAutoupdate")->isChecked());
        f.set("DCALL", 1023);
        f.set("DCREG[SW1]", 500);
        QVERIFY(LiveSendProbe::flush(page()));
        QCOMPARE(f.liveSteps(), char(97) + QByteArray(11, char(200))); // 500 and 1023 of 1023
        f.take();
        f.run("allOn");
        QVERIFY(LiveSendProbe::flush(page()));
        QCOMPARE(f.liveSteps(), QByteArray(12, char(200)));
        QVERIFY(f.take().contains("set p110animation=01"));
        // Without Autoupdate a change waits; ticking it again sends what the page shows.
        box("cbAutoupdate")->click();
        f.set("DCREG[SW2]", 0);
        QVERIFY(!LiveSendProbe::flush(page()));
        box("cbAutoupdate")->click();
        QVERIFY(LiveSendProbe::flush(page()));
        QCOMPARE(f.liveSteps(), char(200) + QByteArray(1, '\0') + QByteArray(10, char(200)));
        // The console's Fill of the duties goes out as the user's change does.
        AppletHelper console(page(), QStringLiteral("HELP:Board"));
        console.itemCombo()->setEditText(QStringLiteral("DCREG"));
        console.button(QStringLiteral("Fill 0"))->click();
        QVERIFY(LiveSendProbe::flush(page()));
        QCOMPARE(f.liveSteps(), QByteArray(12, '\0'));
    }

    // The all-switches slider moves every switch's slider and gives it its duty, a lone switch
    // too, whatever its number: the live image carries it.
    void allSwitchesSlider()
    {
        for (const auto &[count, row] : {std::pair{1, "1"}, std::pair{3, "1 2 3"}}) {
            QCOMPARE(f.load(1, 12, 1, count, {row}), 0);
            f.widget<QSlider>("slAll")->setValue(500);
            for (int n = 1; n <= count; ++n)
                QCOMPARE(slider(n)->value(), 500);
            QVERIFY(labelAboveSlider(count));
            page()->sendFWData();
            QCOMPARE(f.liveSteps(), QByteArray(count, char(97))); // 500 of 1023
            f.widget<QSlider>("slAll")->setValue(0);
        }
        // A lone switch not numbered 1 takes the all-switches duty too.
        QCOMPARE(f.load(1, 12, 1, 3, {"0 0 2"}), 0);
        f.widget<QSlider>("slAll")->setValue(500);
        QCOMPARE(slider(2)->value(), 500);
        page()->sendFWData();
        QCOMPARE(f.liveSteps(), QByteArray(1, char(97)));
        f.widget<QSlider>("slAll")->setValue(0);
        f.take();
    }

    // A mode box unchecks the others and gives the position slider its range, centred (6
    // switches, 3 a row; switch mode at the stepping still set); the stepping then gives it its
    // range; a jump of several units moves the pattern one place, forward or back.
    void motion()
    {
        QCOMPARE(f.load(1, 12, 2, 3, {"3 1 2", "6 4 5"}), 0);
        auto *stepping = f.widget<QComboBox>("cbStepping");
        for (const auto &[mode, extended, clicked, steps, maximum, jump, moved] :
             QList<std::tuple<const char *, bool, int, QString, int, int, QString>>{
                 {"cbByRow", false, 6, "16", 96, 3, "30 10 50 60 40 20"},
                 {"cbByRowIndependent", false, 3, "64", 384, -1, "20 30 10 50 60 40"},
                 {"cbBySW", false, 3 * 64, "8", 48, 1, "60 10 20 30 40 50"},
                 {"cbByRowIndependent", true, 3, "2", 12, -1, "300 0 200 600 0 500"},
                 {"cbByRow", true, 6, "1", 6, 1, "100 200 0 400 500 300"}}) {
            selectMode(mode, extended);
            QCOMPARE(checkedModes(), QStringList{mode}); // the mode box alone
            QCOMPARE(qMakePair(position()->maximum(), position()->value()),
                     qMakePair(clicked, clicked / 2));
            stepping->setCurrentIndex(stepping->findText(steps));
            QCOMPARE(position()->maximum(), maximum);
            position()->setValue(2);
            position()->setSliderDown(true); // a press and release takes the reference
            position()->setSliderDown(false);
            f.setDuties(extended ? "200 300 100 500 600 400" : "10 20 30 40 50 60");
            position()->setValue(2 + jump);
            QCOMPARE(f.duties(6), moved);
            position()->setValue(2);
        }
        // A load in row mode gives the slider the new switch count, centred.
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QCOMPARE(qMakePair(position()->maximum(), position()->value()), qMakePair(24, 12));
        // A load lays the rows out anew: each row moves on its own, what slides out is lost.
        QCOMPARE(f.load(1, 12, 2, 3, {"1 2 3", "4 5 6"}), 0);
        selectMode("cbByRowIndependent", true);
        stepping->setCurrentIndex(stepping->findText("1"));
        position()->setValue(2);
        position()->setSliderDown(true);
        position()->setSliderDown(false);
        f.setDuties("200 300 100 500 600 400");
        position()->setValue(3);
        QCOMPARE(f.duties(6), QString("0 200 300 0 500 600"));
        // Six places back, to the line's first place, and six forward again: the rows come back.
        stepping->setCurrentIndex(stepping->findText("2")); // room for six moves each way
        for (const int step : {-1, 1}) {
            position()->setValue(step < 0 ? position()->maximum() : position()->value());
            position()->setSliderDown(true);
            position()->setSliderDown(false);
            if (step < 0)
                f.setDuties("200 300 100 500 600 400");
            for (int k = 0; k < 6; ++k)
                position()->setValue(position()->value() + step);
        }
        QCOMPARE(f.duties(6), QString("200 300 100 500 600 400"));
        // Whichever mode box was checked, another one's click leaves that one alone checked.
        const QList<const char *> modes = {"cbByRow", "cbByRowIndependent", "cbBySW"};
        for (const char *first : modes)
            for (const char *second : modes)
                if (first != second) {
                    selectMode(first);
                    selectMode(second);
                    QCOMPARE(checkedModes(), QStringList{second});
                }
        // A second click takes a mode box back off.
        for (const char *name : {"cbByRow", "cbByRowIndependent", "cbBySW"}) {
            selectMode(name);
            box(name)->click();
            QCOMPARE(checkedModes(), QStringList());
        }
    }

    // A switch slider and the all-switches slider take their value when the handle is let go:
    // while one is dragged (the box beside a switch shows where its handle is) neither the
    // model nor the board hears of it; the released value then goes out once.
    void dragsSendOnRelease()
    {
        QCOMPARE(f.load(1, 12, 1, 12, {"1 2 3 4 5 6 7 8 9 10 11 12"}), 0);
        QVERIFY(box("cbAutoupdate")->isChecked());
        f.run("allOff");
        LiveSendProbe::flush(page());
        f.app->mainWindow()->show();
        page()->showWindow();
        auto *tabs = f.widget<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(slider(3)))
                tabs->setCurrentIndex(i);
        QVERIFY(QTest::qWaitForWindowExposed(f.app->mainWindow()));
        QTRY_VERIFY(slider(3)->height() > 100 && f.widget<QSlider>("slAll")->height() > 100);
        QSpinBox *spin = nullptr; // the box above the switch's slider
        for (QSpinBox *box : slider(3)->parentWidget()->findChildren<QSpinBox *>())
            if (qAbs(box->geometry().center().x() - slider(3)->geometry().center().x()) < 5)
                spin = box;
        QVERIFY(spin);
        f.take();
        for (QSlider *dragged : {slider(3), f.widget<QSlider>("slAll")}) {
            const auto duty = [this, dragged]() {
                return dragged == slider(3) ? double(page()->dcRegister(3))
                                            : boardGlobals().DCALL.value();
            };
            const double before = duty();
            const int shown = slider(3)->value();
            int position = 0;
            {
                SliderDrag drag(dragged);
                QVERIFY(dragged->isSliderDown());
                for (int step = 0; step < 3; ++step) {
                    position = drag.move(10);
                    QVERIFY(position > before);
                    QCOMPARE(duty(), before);
                    QCOMPARE(slider(3)->value(), shown);
                    QVERIFY(!LiveSendProbe::flush(page()));
                    QCOMPARE(f.take(), QList<QByteArray>());
                    if (dragged == slider(3))
                        QCOMPARE(spin->value(), position);
                }
            }
            QVERIFY(!dragged->isSliderDown());
            QCOMPARE(duty(), double(position));
            QCOMPARE(int(page()->dcRegister(3)), position);
            QVERIFY(LiveSendProbe::flush(page()));
            QCOMPARE(quint8(f.liveSteps().at(2)), AnimationImage::stepValue(position));
            QCOMPARE(spin->value(), position);
            f.take();
        }
        QCOMPARE(
            f.liveSteps(),
            QByteArray(12, char(AnimationImage::stepValue(int(boardGlobals().DCALL.value())))));
    }

    // Each tick moves the slider one single step and wraps at the ends; the interval is
    // clamped to 70..9999 ms.
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
        for (const auto &[text, interval] :
             QList<QPair<QString, int>>{{"7", 70}, {"20000", 9999}}) {
            f.widget<QLineEdit>("leEffectTime")->setText(text);
            QList<QTimer *> started = page()->findChildren<QTimer *>();
            started.removeIf([](QTimer *t) { return t->isActive(); });
            box("cbStart")->click();
            started.removeIf([](QTimer *t) { return !t->isActive(); });
            QCOMPARE(started.size(), 1);
            QCOMPARE(started.first()->interval(), interval);
            box("cbStart")->click();
        }
        box("cbLeft")->setChecked(false); // no direction: S does not stay ticked
        box("cbRight")->setChecked(false);
        box("cbStart")->click();
        QVERIFY(!box("cbStart")->isChecked());
    }

    // The buck switches write the driver's register 6 whole and the model field; the hint
    // lists what keeps the matrix from running, and keeps no undo history of its refreshes.
    void bucksAndHint()
    {
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        BoardPageAccess *access = BoardPageAccess::instance();
        for (const auto &[channel, on, word] : QList<std::tuple<int, bool, int>>{
                 {1, true, 2}, {2, true, 3}, {1, false, 1}, {2, false, 0}}) {
            channel == 1 ? access->setBuck1Enabled(on) : access->setBuck2Enabled(on);
            QCOMPARE(int(f.spi.kvl52205Register(6)), word);
            QCOMPARE(f.item(QString("BUCK%1[EN]").arg(channel)), double(on));
            QCOMPARE(box(channel == 1 ? "cbBUCK1EN" : "cbBUCK2EN")->isChecked(), on);
        }
        selectMode("cbBySW");
        f.widget<QLineEdit>("leSA0")->setText("32");
        emit f.widget<QLineEdit>("leSA1")->editingFinished();
        QCOMPARE(f.widget<QLineEdit>("leInfoBox")->text(),
                 QString("Set the device addresses (0-31); At least one device is not valid "
                         "(OPMODE); Enable at least one buck; Consider if you need to press the "
                         "reset button;"));
        QVERIFY(!hintUndoable());
        f.widget<QLineEdit>("leSA0")->setText("1");
        box("cbBySW")->setChecked(false);
        access->setBuck1Enabled(true);
        for (QComboBox *combo : page()->findChildren<QComboBox *>())
            if (CustomControls::AccessibleNames::bindingName(combo) == "OPMODE")
                combo->setCurrentIndex(4);
        emit f.widget<QLineEdit>("leSA1")->editingFinished();
        QCOMPARE(f.widget<QLineEdit>("leInfoBox")->text(), QString());
        QVERIFY(!hintUndoable());
    }

    // A device row's buttons act on their row's chip (at 2: the fourth), not without an
    // address; the service combo enables direct switching or "OPEN clear".
    void deviceButtons()
    {
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        f.widget<QLineEdit>("leSA1")->setText("2");
        f.bus.editChip(3, [](FakeMatrixChip &chip) { chip.opmode = 5, chip.pms = 1; });
        f.widget<QPushButton>("OPMODE1")->click();
        QString modes;
        for (QComboBox *combo :
             f.widget<QLineEdit>("leSA1")->parentWidget()->findChildren<QComboBox *>())
            modes += QString::number(combo->currentIndex());
        QCOMPARE(modes, QString("51"));
        f.widget<QPushButton>("NORMAL1")->click();
        QCOMPARE(f.bus.chip(3).opmode, 4);
        Configuration::instance()->hideWindow();
        f.widget<QLineEdit>("leSA0")->setText("1");
        for (QPushButton *b :
             f.widget<QLineEdit>("leSA0")->parentWidget()->findChildren<QPushButton *>())
            if (b->text() == "Configuration")
                b->click(), b->click(); // shows the first row's chip; a second click keeps it
        QCOMPARE(int(configurationRegisters().SACONF.value()), 1);
        QVERIFY(Configuration::instance()->container()->isVisible());
        page()->getAddress(5, 9); // as auto addressing reports them
        QCOMPARE(page()->deviceAddressTexts(), (QStringList{"5", "9"}));
        for (const char *none : {"-1", ""}) {
            f.widget<QLineEdit>("leSA1")->setText(none);
            f.take();
            f.widget<QPushButton>("NORMAL1")->click();
            f.widget<QPushButton>("OPMODE1")->click();
            QCOMPARE(f.take(), QList<QByteArray>());
        }
        for (int index : {1, 0}) {
            f.widget<QComboBox>("comboBox")->setCurrentIndex(index);
            QCOMPARE(f.widget<QWidget>("frame_reg0sw")->isEnabled(), index == 0);
            QCOMPARE(f.widget<QWidget>("cb_opnclr")->isEnabled(), index == 1);
        }
    }

    // A loaded script shows its description, delay, device count and one address row per
    // device, in its order.
    void csvDeviceRows()
    {
        f.loadScript("three.csv", 3, "5,6,7", steps(1, 3));
        f.widget<QSpinBox>("sbDelay")->setValue(5);
        f.loadScript("two.csv", 2, "0,31", steps(1, 2));
        QCOMPARE(label("lbDescription"), QString("Description: Wave"));
        QCOMPARE(f.widget<QSpinBox>("sbDelay")->value(), 100);
        QCOMPARE(f.widget<QSpinBox>("sbDevices")->value(), 2);
        QStringList rows;
        for (QLabel *label : f.widget<QWidget>("gbDevices")->findChildren<QLabel *>())
            rows << label->text();
        for (QSpinBox *box : f.widget<QWidget>("gbDevices")->findChildren<QSpinBox *>())
            rows << QString::number(box->value());
        QCOMPARE(rows.join(','), QString("Device 1,Device 2,0,31"));
    }

    // A double-clicked step opens its values (from 0 to 200); its Save button puts the edited
    // values into that step, the last switch's too; Cancel changes nothing.
    void stepEdit()
    {
        f.loadScript("edit.csv", 1, "5", steps(2, 1, 0));
        QRect lastLabel, lastBox; // SW12 and its value
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                dialog->findChildren<QSpinBox *>().first()->setValue(200); // the most
                dialog->findChildren<QSpinBox *>().last()->setValue(98);
                lastLabel = dialog->findChildren<QLabel *>().last()->geometry();
                lastBox = dialog->findChildren<QSpinBox *>().last()->geometry();
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->click();
                if (dialog->isVisible()) // Save did not close it
                    dialog->reject();
            }
        });
        auto *list = f.widget<QListWidget>("listAnimationSteps");
        emit list->itemDoubleClicked(list->item(0));
        QVERIFY(lastLabel.bottom() < lastBox.top() && lastLabel.left() <= lastBox.center().x() &&
                lastLabel.right() >= lastBox.center().x()); // each value under its switch's name
        const QStringList step = page()->currentCsvScript()->steps.value(0);
        QCOMPARE(step.mid(0, 3) << step.value(12), QStringList({"1", "200", "0", "98"}));
        // Cancel changes no step and adds none, whatever the dialog showed.
        const QList<QStringList> before = page()->currentCsvScript()->steps;
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, [] {
                if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    dialog->findChildren<QSpinBox *>().first()->setValue(97);
                    dialog->findChild<QDialogButtonBox *>()
                        ->button(QDialogButtonBox::Cancel)
                        ->click();
                }
            });
            if (i == 0)
                emit list->itemDoubleClicked(list->item(1));
            else
                page()->on_pbAddStep_clicked(); // its button is disabled in the form
        }
        QCOMPARE(page()->currentCsvScript()->steps, before);
    }

    // The 25-byte image of one device at 5 with two equal steps, in one exact block; with
    // "Check data" each block is read back once, and a differing one ends with a warning.
    void flashScript()
    {
        f.loadScript("one.csv", 1, "5", steps(2, 1, 7, 7));
        page()->on_pbFlashMCU_clicked();
        const QByteArray block = QByteArray("START\x64\x01\x02\x05") + QByteArray(12, 7) +
                                 QByteArray(1, char(0xFF)) + "END" + QByteArray(231, '\0');
        QCOMPARE(f.take(), QList<QByteArray>{f.blockLine(0x800300FF, block)});
        QCOMPARE(f.flash.read(0x800300FF, 256), block);
        QCOMPARE(label("lbFlashSize") + label("lbUsedFlashSize"),
                 QString("Required flash size 25 BUsed flash size 256 B"));
        QCOMPARE(page()->nextFlashAddress(), 0x800301FFu);

        f.loadScript("two.csv", 1, "5", steps(22, 1));
        f.widget<QCheckBox>("cbCheckData")->setChecked(true);
        f.flash.setAlteredReadAt(int(f.flash.readLines().size()) + 1);
        page()->on_pbFlashMCU_clicked();
        QCOMPARE(sent().second,
                 (QByteArrayList{"get flash=800300ff00000100", "get flash=800301ff00000100"}));
        QCOMPARE(f.prompt.messages().last().text, QString("An error appeard while sending"));
        f.flash.setAlteredReadAt(-1);
        const qsizetype warnings = f.prompt.messages().size();
        page()->on_pbFlashMCU_clicked(); // read back whole: each block once, no warning
        QCOMPARE(sent().second,
                 (QByteArrayList{"get flash=800300ff00000100", "get flash=800301ff00000100"}));
        QCOMPARE(f.prompt.messages().size(), warnings);
    }

    // A script that does not fit is refused before anything is sent, flashed alone (copies 0)
    // or in a list; so is a list of more than 255 scripts or one that reaches the update area
    // (the largest script allowed passes its own check). The reason is shown whole, and the
    // previous script's figure does not stay.
    void refusedScripts()
    {
        using ScriptCsv::ones;
        for (const auto &[devices, addresses, rows, copies, text] :
             QList<std::tuple<int, QByteArray, QByteArray, int, QString>>{
                 {1, "5", steps(256, 1), 0, "Invalid script: more than 255 steps"},
                 {3, "5,6", steps(1, 3), 0, "Invalid script: fewer addresses than devices"},
                 {1, "256", steps(1, 1), 0, "Invalid script: address outside 0..255"},
                 {43, ones(43), steps(255, 43), 0, "Reached max size 130560 B"},
                 {2, "5", steps(1, 2), 1, "Invalid script: fewer addresses than devices"},
                 {43, ones(43), steps(255, 43), 1, "Reached max size 130560 B"},
                 {1, "5", steps(1, 1), 256, "Invalid script list: more than 255 scripts"},
                 {24, ones(24), steps(255, 24), 2, "Invalid script list: it ends past 0x80050000"},
                 // 510 blocks each, as many as one script may fill:
                 {44, ones(44), steps(247, 44), 2,
                  "Invalid script list: it ends past 0x80050000"}}) {
            clearList();
            f.loadScript("refused.csv", devices, addresses, rows);
            f.widget<QCheckBox>("cbCheckData")->setChecked(true);
            const quint32 address = page()->nextFlashAddress();
            f.widget<QLabel>("lbFlashSize")->setText("Required flash size 25 B");
            for (int i = 0; i < copies; ++i)
                page()->on_pbAddToList_clicked();
            copies ? page()->on_pbStartScript_clicked() : page()->on_pbFlashMCU_clicked();
            QCOMPARE(wholeText("lbUsedFlashSize"), text);
            QVERIFY(label("lbFlashSize") != "Required flash size 25 B");
            QCOMPARE(page()->nextFlashAddress(), address);
            QVERIFY(f.take().isEmpty());
        }
    }

    void playback()
    {
        f.widget<QSpinBox>("sbLoops")->setValue(20);
        page()->on_pbStartAnimation_clicked();
        page()->on_pbStopAnimation_clicked();
        page()->on_pbContinueAnimation_clicked();
        QCOMPARE(f.take(), (QList<QByteArray>{"set p110animation=14", "set p110stopanim",
                                              "set P110MAPENA=01", "set p110contanim"}));
        f.widget<QSpinBox>("sbDelay")->setValue(77);
        QCOMPARE(page()->currentCsvScript()->delay, quint8(77));
        f.widget<QSpinBox>("sbScriptLoops")->setValue(3);
        page()->on_pbStartScript_clicked(); // an empty list
        QCOMPARE(f.take(), QList<QByteArray>{"set p110script=0300800300ff"});
    }

    // Images of 512 and 256 bytes: the second starts one block beyond the first's end; the
    // board finds both; a second start places them at the same addresses.
    void scriptList()
    {
        f.loadScript("first.csv", 1, "5", steps(40, 1));
        page()->on_pbAddToList_clicked();
        f.loadScript("second.csv", 1, "5", steps(1, 1));
        page()->on_pbAddToList_clicked();
        f.widget<QSpinBox>("sbScriptLoops")->setValue(20);
        f.widget<QCheckBox>("cbCheckData")->setChecked(true);
        for (int pass = 0; pass < 2; ++pass) {
            page()->on_pbStartScript_clicked();
            QCOMPARE(sent(), qMakePair(QByteArrayList{"800300ff", "800301ff", "800303ff"},
                                       QByteArrayList{"set p110script=1402800300ff800303ff"}));
            QCOMPARE(f.scripts.scriptStarts().last().starts,
                     (QList<quint32>{0x800300FF, 0x800303FF}));
            QVERIFY(!f.widget<QCheckBox>("cbCheckData")->isChecked());
        }
    }

    // One "file<row>=<name>" line per row; loading takes the files beside the list, skips the
    // missing ones; files that cannot be written or read are reported.
    void scriptFiles()
    {
        QVERIFY(QDir().mkpath("lists"));
        f.loadScript("lists/a.csv", 1, "5", steps(3, 1));
        page()->on_pbAddToList_clicked();
        f.loadScript("lists/b.csv", 1, "5", steps(2, 1));
        page()->on_pbAddToList_clicked();
        f.widget<QLineEdit>("leScriptName")->setText("saved");
        f.prompt.queueFile(QDir::current().absoluteFilePath("lists"));
        page()->on_pbSaveScript_clicked();
        QCOMPARE(TestFiles::read("lists/saved.script"), QByteArray("file0=a.csv\nfile1=b.csv\n"));

        QVERIFY(TestFiles::write("lists/l.script", "file0=b.csv\r\nfile1=gone.csv\r\nx=a.csv"));
        // The listed scripts live while the list or the tab holds them.
        const QPointer<CSVReader> listedA = page()->scriptListEntries().at(0);
        const QPointer<CSVReader> shownB = page()->currentCsvScript();
        f.prompt.queueFile(QDir::current().absoluteFilePath("lists/l.script"));
        page()->on_pbLoadScript_clicked();
        QVERIFY(!listedA && shownB && shownB == page()->currentCsvScript());
        auto *table = f.widget<QTableWidget>("tableAnimationScripts");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 2)->text() + table->item(0, 3)->text() + table->item(1, 3)->text(),
                 QString("2b.csva.csv"));
        QVERIFY(table->item(0, 0));
        QCOMPARE(table->item(0, 0)->text(), page()->scriptListEntries().at(0)->description);

        const qsizetype messages = f.prompt.messages().size();
        f.prompt.queueFile(QDir::current().absoluteFilePath("no/such/dir"));
        page()->on_pbSaveScript_clicked();
        f.prompt.queueFile(QDir::current().absoluteFilePath("none.script"));
        page()->on_pbLoadScript_clicked();
        QCOMPARE(f.prompt.messages().size(), messages + 2);
        QCOMPARE(f.prompt.messages().last().title, QString("error"));
        QCOMPARE(table->rowCount(), 2);

        const QPointer<CSVReader> listedB = page()->scriptListEntries().at(0);
        f.loadScript("lists/c.csv", 1, "5", steps(1, 1));
        QVERIFY(!shownB && listedB); // the tab's script went with its replacement
        const QPointer<CSVReader> shownC = page()->currentCsvScript();
        f.prompt.queueFile(QDir::current().absoluteFilePath("lists/missing.csv"));
        page()->on_pbLoadCSV_clicked(); // does not open: the tab keeps its script
        QVERIFY(shownC && shownC == page()->currentCsvScript());
        f.loadScript("lists/a.csv", 1, "5", steps(1, 1));
        QVERIFY(!shownC);
        clearList();
        QVERIFY(!listedB);
    }

    // Each device's ADC input is selected (word 13 kept but ADC_SEL), its result read and
    // shown in degrees; an address outside 0..31 leaves its field alone.
    void ntcReadout()
    {
        const quint32 word13 = 0x00AB00;
        for (int chip : {0, 1}) // at 3: 0.600 V, at 5: 1.200 V, both of 2.4 V
            f.bus.editChip(chip, [chip, word13](FakeMatrixChip &c) {
                c.words[13] = word13;
                c.words[17] = quint32(chip == 0 ? 127 : 254) << 16 | 153u << 8 | 0x42;
            });
        page()->currentCsvScript()->addresses = QStringList{" 3", "40", "5\r\n"};
        auto field = [this](int n) {
            return f.widget<QLineEdit>(qPrintable(QString("leNTC_%1").arg(n)));
        };
        field(2)->setText("kept");
        page()->on_pbReadNTCs_clicked();
        QCOMPARE(field(1)->text() + field(2)->text() + field(3)->text(),
                 QString("56.2 °Ckept25.0 °C"));
        QCOMPARE(f.bus.chip(0).word(13), word13 | 0x08);
    }
};

QTEST_MAIN(TestBoardMatrix)
#include "tst_boardmatrix.moc"
