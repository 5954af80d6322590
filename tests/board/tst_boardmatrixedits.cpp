// The board page's matrix on the simulated board, as the user's edits leave it: reloads, ALL ON
// and ALL OFF in row-independent mode, the mode a load takes, Reset and the stepping, ramp
// directions, the duty boxes' digits and switches moved by hand, a layout with fewer rows than
// its file lists, the device groups and rows without a chip, their actions and the addressing
// windows, the hint, the chip at 0, read loops, the steps of a loaded script and its step
// dialog, script lists (the fullest too), the effect, the static line, and the largest script
// flashed.
#include "accessiblenames.h"
#include "addressdiscovery.h"
#include "applethost.h"
#include "autoaddressing.h"
#include "boardcommandsfixture.h"
#include "boardglobals.h"
#include "configurationregisters.h"
#include "csvreader.h"
#include "logrecorder.h"

#include <algorithm>
#include <memory>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

// The program as the applets see it, with one applet more at the end of its table; the
// program is the host again once this goes.
class HostWithApplet : public AppletHost
{
public:
    explicit HostWithApplet(Applet *extra) : m_host(AppletHost::instance()), m_extra(extra)
    {
        AppletHost::setInstance(this);
    }
    ~HostWithApplet() override { AppletHost::setInstance(m_host); }

    ControlBoard *controlBoard() const override { return m_host->controlBoard(); }
    QObject *logs() const override { return m_host->logs(); }
    int appletCount() const override { return m_host->appletCount() + 1; }
    Applet *applet(int index) const override
    {
        return index == m_host->appletCount() ? m_extra : m_host->applet(index);
    }
    QString projectType() const override { return m_host->projectType(); }
    QString dataPath(const QString &relative) const override { return m_host->dataPath(relative); }
    QString chosenPort() const override { return m_host->chosenPort(); }
    std::shared_ptr<void> requestHold() override { return m_host->requestHold(); }

private:
    AppletHost *m_host;
    Applet *m_extra;
};

class TestBoardMatrixEdits : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;
    Board *page() { return f.page(); }
    QLineEdit *address(int row)
    {
        return f.widget<QLineEdit>(qPrintable(QString("leSA%1").arg(row)));
    }
    QSlider *position() { return f.widget<QSlider>("slHorizontal"); }
    // Presses and releases the position slider's handle: the pattern's reference is taken.
    void takeReference(int value)
    {
        position()->setValue(value);
        position()->setSliderDown(true);
        position()->setSliderDown(false);
    }
    // Checks the box, clicking it as the user does when it is not checked yet.
    void tick(const char *name)
    {
        auto *box = f.widget<QAbstractButton>(name);
        if (!box->isChecked())
            box->click();
        QVERIFY(box->isChecked());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        f.bus.addChip(0, 4, 1); // beside the fixture's chips at 1 and 2
        f.bus.setOutputOn(1, true);
        f.bus.setOutputOn(2, true);
    }
    void init() { f.take(); }
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }

    // A load in row-independent mode lays out the new rows: the position slider takes the
    // longest new row as its range, centred, and each new row moves on its own.
    void rowIndependentReload()
    {
        QCOMPARE(f.load(1, 12, 2, 3, {"1 2 3", "4 5 6"}), 0);
        tick("cbByRowIndependent");
        tick("cbExtended");
        QCOMPARE(f.load(1, 12, 2, 5, {"1 2 3 4 5", "6 7 8 9 10"}), 0);
        QCOMPARE(qMakePair(position()->maximum(), position()->value()), qMakePair(5, 2));
        auto *stepping = f.widget<QComboBox>("cbStepping");
        stepping->setCurrentIndex(stepping->findText("1"));
        takeReference(2);
        f.setDuties("10 20 30 40 50 60 70 80 90 100");
        position()->setValue(3);
        QCOMPARE(f.duties(10), QString("0 10 20 30 40 0 60 70 80 90"));
        // What slid out of the rows comes back after a visit to another mode: the layout
        // stands until the next load.
        QCOMPARE(f.load(1, 12, 2, 3, {"1 2 3", "4 5 6"}), 0);
        takeReference(3);
        f.setDuties("200 300 100 500 600 400");
        for (int value : {2, 1})
            position()->setValue(value);
        QCOMPARE(f.duties(6), QString("100 0 0 400 0 0"));
        tick("cbByRow");
        tick("cbByRowIndependent");
        for (int value : {2, 3}) {
            takeReference(value - 1);
            position()->setValue(value);
        }
        QCOMPARE(f.duties(6), QString("200 300 100 500 600 400"));
        // ALL ON lights the rows' switches, not the dark places beside them.
        takeReference(2);
        f.run("allOn");
        position()->setValue(1);
        QCOMPARE(f.duties(6), QString("1023 1023 0 1023 1023 0"));
        // A long run forward brings in dark places only.
        takeReference(1);
        for (int k = 0; k < 10; ++k)
            position()->setValue(2 + k % 2); // right of the reference: forward each time
        QCOMPARE(f.duties(6), QString("0 0 0 0 0 0"));
        // ALL OFF also clears what slid out of the rows: moving back brings in dark places.
        takeReference(2);
        f.setDuties("10 20 30 40 50 60");
        position()->setValue(1);
        QCOMPARE(f.duties(6), QString("20 30 0 50 60 0"));
        f.run("allOff");
        position()->setValue(3);
        QCOMPARE(f.duties(6), QString("0 0 0 0 0 0"));
        // Extended mode turned off and on again keeps the row lines.
        takeReference(2);
        f.setDuties("10 20 30 40 50 60");
        for (int click = 0; click < 2; ++click)
            f.widget<QAbstractButton>("cbExtended")->click();
        position()->setValue(1);
        QCOMPARE(f.duties(6), QString("20 30 0 50 60 0"));
        f.widget<QAbstractButton>("cbExtended")->click();
    }

    // A load with no position mode chosen takes switch mode. A mode's slot called with false
    // unchecks its box, as a click does.
    void switchModeByDefault()
    {
        tick("cbBySW");
        f.widget<QAbstractButton>("cbBySW")->click();
        for (const char *mode : {"cbBySW", "cbByRow", "cbByRowIndependent"})
            QVERIFY(!f.widget<QAbstractButton>(mode)->isChecked());
        for (const auto &[mode, slot] :
             {std::pair{"cbByRow", &Board::on_cbByRow_clicked},
              {"cbByRowIndependent", &Board::on_cbByRowIndependent_clicked},
              {"cbBySW", &Board::on_cbBySW_clicked}}) {
            tick(mode);
            (page()->*slot)(false);
            QVERIFY(!f.widget<QAbstractButton>(mode)->isChecked());
        }
        QCOMPARE(f.load(1, 12, 2, 3, {"1 2 3", "4 5 6"}), 0);
        QVERIFY(f.widget<QAbstractButton>("cbBySW")->isChecked());
    }

    // Reset (disabled in the form until the page offers it) gives the position slider the
    // stepping's range again.
    void resetTakesTheStepping()
    {
        QCOMPARE(f.load(1, 12, 1, 3, {"1 2 3"}), 0);
        tick("cbBySW");
        auto *stepping = f.widget<QComboBox>("cbStepping");
        const int before = stepping->currentIndex();
        stepping->setCurrentIndex(stepping->findText("2"));
        position()->setMaximum(1);
        page()->on_pbReset_clicked();
        QCOMPARE(position()->maximum(), 6);
        stepping->setCurrentIndex(before);
    }

    // A stepping that shortens the position slider's range pulls its handle back without
    // moving the pattern.
    void steppingKeepsThePattern()
    {
        QCOMPARE(f.load(1, 12, 1, 3, {"1 2 3"}), 0);
        tick("cbBySW");
        auto *stepping = f.widget<QComboBox>("cbStepping");
        const int before = stepping->currentIndex();
        stepping->setCurrentIndex(stepping->findText("2"));
        takeReference(6);
        f.setDuties("100 200 300");
        stepping->setCurrentIndex(stepping->findText("1"));
        QCOMPARE(position()->value(), 3);
        QCOMPARE(f.duties(3), QString("100 200 300"));
        stepping->setCurrentIndex(before);
    }

    // Each mode keeps its own ramp direction: a ramp in another mode between two runs in
    // switch mode does not keep the second from mirroring the first.
    void rampDirections()
    {
        QCOMPARE(f.load(1, 12, 2, 3, {"1 2 3", "4 5 6"}), 0);
        QStringList runs;
        for (const char *mode : {"cbBySW", "cbByRowIndependent", "cbBySW"}) {
            tick(mode);
            page()->pattern3();
            runs << f.duties(6);
        }
        QStringList mirrored = runs.first().split(' ');
        std::reverse(mirrored.begin(), mirrored.end());
        QVERIFY(runs.first() != runs.last());
        QCOMPARE(runs.last(), mirrored.join(' '));
    }

    // Rows the file lists beyond its row count take no part in a pattern: the hill of the one
    // row runs over its three switches, and the live image holds them alone. A file without
    // columns is refused, one of four rows is not.
    void rowsBeyondTheCount()
    {
        QCOMPARE(f.load(1, 12, 1, 3, {"1 2 3", "4 5 6"}), 0);
        tick("cbByRow");
        page()->pattern2();
        QCOMPARE(f.duties(3), QString("0 1023 0"));
        // Nor in the live image, with a device for each line.
        QCOMPARE(f.load(2, 12, 1, 3, {"1 2 3", "4 5 6"}), 0);
        page()->sendFWData();
        QCOMPARE(f.liveSteps().size(), 3);
        QCOMPARE(f.load(1, 12, 1, 0, {}), 1); // no columns: refused
        // Four rows and 24 columns are the most a file may have.
        QCOMPARE(f.load(1, 12, 4, 3, {"1 2 3", "4 5 6", "7 8 9", "10 11 12"}), 0);
        QByteArray wide;
        for (int n = 1; n <= 24; ++n)
            wide += QByteArray::number(n) + ' ';
        QCOMPARE(f.load(2, 12, 1, 24, {wide}), 0);
        QCOMPARE(page()->findChildren<QSlider *>(QRegularExpression("^SW\\d+$")).size(), 24);
        // A longer row beyond the count does not widen the row-independent range.
        QCOMPARE(f.load(1, 12, 1, 5, {"1 2 3 0 0", "4 5 6 7 8"}), 0);
        tick("cbByRowIndependent");
        QCOMPARE(position()->maximum(), 3);
    }

    // The duty boxes show plain digits, whatever number rules the page has.
    void dutyBoxDigits()
    {
        page()->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
        QCOMPARE(f.load(1, 12, 1, 3, {"1 2 3"}), 0);
        f.run("allOn");
        QStringList shown;
        for (QSpinBox *box : f.widget<QWidget>("SWwidget")->findChildren<QSpinBox *>())
            shown << box->text();
        page()->unsetLocale();
        QCOMPARE(shown, QStringList({"1023", "1023", "1023"}));
    }

    // Switch sliders moved by hand, the first one too, give the live image their duties.
    void handMovedSwitches()
    {
        QCOMPARE(f.load(1, 12, 1, 3, {"1 2 3"}), 0);
        f.run("allOff");
        for (const char *name : {"SW1", "SW3"})
            f.widget<QSlider>(name)->setValue(1023);
        page()->sendFWData();
        QCOMPARE(f.liveSteps(), QByteArray("\xC8\x00\xC8", 3)); // 200 steps for full duty
    }

    // A device row that the layout lacks, or whose address no chip can have, is no target:
    // its commands and buttons send nothing (no earlier target takes them).
    void rowsWithoutChip()
    {
        QCOMPARE(f.load(1, 12, 1, 12, {"1 2 3 4 5 6 7 8 9 10 11 12"}), 0);
        for (const char *command : {"OPMODE1", "NORMAL1"})
            QCOMPARE(f.run(command), QVariant(false));
        QCOMPARE(f.takeSettled(), QList<QByteArray>());
        // The page has two device rows at most: no command stands for a third.
        QVERIFY(page()->hasCommand("NORMAL1") && page()->hasCommand("OPMODE1"));
        QVERIFY(!page()->hasCommand("NORMAL2") && !page()->hasCommand("OPMODE2"));

        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        address(0)->setText("1");
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.opmode = 5; });
        f.widget<QPushButton>("NORMAL0")->click(); // the configuration's target is now 1
        QCOMPARE(f.bus.chip(0).opmode, 4);
        address(1)->setText("32");
        f.take();
        f.widget<QPushButton>("NORMAL1")->click();
        f.widget<QPushButton>("OPMODE1")->click();
        QCOMPARE(f.run("NORMAL1"), QVariant(false));
        QCOMPARE(f.takeSettled(), QList<QByteArray>());
        // The live pass and a broadcast map frame leave that row out and name it.
        LogRecorder log(page());
        page()->sendData();
        QCOMPARE(log.starting("Device row 2: address 32 is outside 0..31").size(), 1);
        f.set("BROADCAST", 1);
        f.take();
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        const QList<QByteArray> frames = f.take("set P110MAPENAREG=");
        QVERIFY(!frames.isEmpty());
        for (const QByteArray &frame : frames)
            QVERIFY2(frame.startsWith("set P110MAPENAREG=01"), frame.constData());
        QCOMPARE(log.starting("Address 32 is outside 0..31").size(), 1);
        f.set("BROADCAST", 0);
        // -1 is how a row is marked as having no device: the address field takes it.
        address(1)->setText("-1");
        QVERIFY(address(1)->hasAcceptableInput());
    }

    // Whether the layout holds the widget, in itself or in one of its inner layouts.
    static bool holds(QLayout *layout, QWidget *widget)
    {
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem *item = layout->itemAt(i);
            if (item->widget() == widget || (item->layout() && holds(item->layout(), widget)))
                return true;
        }
        return false;
    }

    // The device groups are laid out, and each lays out all its controls, no two of them in one
    // place.
    void deviceGroupsLaidOut()
    {
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QWidget *area = f.widget<QWidget>("DeviceWidget");
        const QList<QGroupBox *> groups = area->findChildren<QGroupBox *>();
        QCOMPARE(groups.size(), 2);
        QVERIFY(area->layout());
        for (QGroupBox *group : groups) {
            QVERIFY(holds(area->layout(), group)); // side by side, not on top of each other
            group->layout()->activate();
            const QList<QWidget *> controls =
                group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
            QCOMPARE(controls.size(), 9); // three captions, the address and five actions
            for (QWidget *control : controls)
                QVERIFY2(holds(group->layout(), control),
                         qPrintable(control->property("text").toString()));
            for (int i = 0; i < controls.size(); ++i)
                for (int j = 0; j < i; ++j)
                    QVERIFY2(!controls.at(i)->geometry().intersects(controls.at(j)->geometry()),
                             qPrintable(controls.at(i)->property("text").toString() + " / " +
                                        controls.at(j)->property("text").toString()));
        }
    }

    // A device action that no row's button sent has no row to act for: nothing is sent.
    void deviceActionsWithoutRow()
    {
        QCOMPARE(f.load(1, 12, 1, 3, {"1 2 3"}), 0);
        f.take();
        page()->configurationClicked();
        page()->goToNormalMode();
        page()->readMode();
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    // The addressing buttons show the tool windows of automatic addressing and of address
    // discovery, when the program has them; a window already shown stays.
    void addressingWindows()
    {
        auto *autoAddressing = new AutoAddressing;
        auto *discovery = new AddressDiscovery;
        const std::unique_ptr<QWidget> autoWindow(
            autoAddressing->createContainer(Applet::MdiContainer, nullptr));
        const std::unique_ptr<QWidget> discoveryWindow(
            discovery->createContainer(Applet::MdiContainer, nullptr));
        HostWithApplet host(discovery);
        for (int click = 0; click < 2; ++click) {
            f.widget<QPushButton>("pbAA")->click();
            QVERIFY(autoWindow->isVisible());
        }
        QVERIFY(!discoveryWindow->isVisible());
        f.widget<QPushButton>("pbAdrDiscovery")->click();
        QVERIFY(discoveryWindow->isVisible());
    }

    // A chip that reads back mode 0 shows "Not valid" in its row, and the hint asks for a mode;
    // a switch moved refreshes the hint.
    void modeHint()
    {
        QCOMPARE(f.load(1, 12, 1, 12, {"1 2 3 4 5 6 7 8 9 10 11 12"}), 0);
        auto *mode = address(0)->parentWidget()->findChild<QComboBox *>();
        QCOMPARE(CustomControls::AccessibleNames::bindingName(mode), QString("OPMODE"));
        QCOMPARE(mode->accessibleName(), QString("OPMODE")); // as its label reads
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.opmode = 0; });
        for (bool byCommand : {false, true}) { // the row's button, then its command
            mode->setCurrentIndex(4);
            emit address(0)->editingFinished(); // the hint without the mode
            QVERIFY(!f.widget<QLineEdit>("leInfoBox")->text().contains("(OPMODE)"));
            byCommand ? void(f.run("OPMODE0")) : f.widget<QPushButton>("OPMODE0")->click();
            QCOMPARE(mode->currentIndex(), 0);
            QVERIFY(f.widget<QLineEdit>("leInfoBox")->text().contains("(OPMODE)"));
        }
        // A mode chosen by hand and row mode show in the hint once a switch moves.
        tick("cbBySW");
        tick("cbByRow");
        mode->setCurrentIndex(4);
        f.widget<QSlider>("SW1")->setValue(100);
        const QString hint = f.widget<QLineEdit>("leInfoBox")->text();
        QVERIFY2(!hint.contains("OPMODE") && !hint.contains("reset"), qPrintable(hint));
        // 31 is an address as any other.
        address(0)->setText("31");
        emit address(0)->editingFinished();
        QVERIFY(!f.widget<QLineEdit>("leInfoBox")->text().contains("addresses"));
        // A load's new rows have no mode yet, and the hint says so at once.
        QCOMPARE(f.load(1, 12, 1, 12, {"1 2 3 4 5 6 7 8 9 10 11 12"}), 0);
        QVERIFY(f.widget<QLineEdit>("leInfoBox")->text().contains("(OPMODE)"));
    }

    // The chip at 0 is a slave as any other: its row's command reaches it, register 0 goes to
    // it as a map frame, and a DIMFREQ code written to it is kept for its live pass: both
    // rows' chips get the same windows for the same duties.
    void chipAtZero()
    {
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        address(0)->setText("0");
        address(1)->setText("1");
        f.bus.editChip(2, [](FakeMatrixChip &chip) { chip.opmode = 5; });
        QCOMPARE(f.run("NORMAL0"), QVariant(false));
        QCOMPARE(f.bus.chip(2).opmode, 4);
        f.set("SA", 0);
        f.set("BROADCAST", 0);
        f.take();
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        const QList<QByteArray> frames = f.take("set P110MAPENAREG=");
        QCOMPARE(frames.size(), 1);
        QVERIFY(frames.first().startsWith("set P110MAPENAREG=000100"));
        f.set("BANK[DIMFREQ]", 20);
        for (int sa : {0, 1}) {
            f.set("SA", sa);
            QCOMPARE(f.run("Write_REG_14"), QVariant(true));
        }
        auto *all = f.widget<QAbstractSlider>("slAll");
        all->setValue(0);
        all->setValue(512);
        page()->sendData();
        const FakeMatrixChip zero = f.bus.chip(2), one = f.bus.chip(0);
        QVERIFY(zero.word(1) != 0);
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(zero.word(n), one.word(n));
        f.set("BANK[DIMFREQ]", 0);
    }

    // A read loop keeps the bank images quiet only while it runs.
    void readLoopsWakeTheBanks()
    {
        f.set("SA", 1);
        for (const char *loop : {"Read_all1", "Read_all2"}) {
            QCOMPARE(f.run(loop), QVariant(true));
            QVERIFY(!boardGlobals().BANK.signalsBlocked() &&
                    !boardGlobals().BANKX.signalsBlocked());
        }
    }

    // The on/off times' broadcast map enable leaves the watchdog selection as it is.
    void onOffKeepsTheWatchdog()
    {
        ConfigurationRegisters &r = configurationRegisters();
        r.MAPENA.setField("[WDT_SEL]", 1);
        r.MAPENA.setField("[MAPENA]", 0);
        f.widget<QLineEdit>("leAddessBox")->setText("1");
        auto *mapEnable = f.widget<QAbstractButton>("chbMAPENA");
        mapEnable->setChecked(true);
        QCOMPARE(f.run("Write_on_off"), QVariant(true));
        mapEnable->setChecked(false);
        f.widget<QLineEdit>("leAddessBox")->clear();
        QCOMPARE(r.MAPENA.getField("[MAPENA]"), 1u);
        QCOMPARE(r.MAPENA.getField("[WDT_SEL]"), 1u);
    }

    // Each loaded script lists its own steps only; a device row's address is its device's; the
    // step dialog holds its buttons below the values.
    void stepList()
    {
        auto *list = f.widget<QListWidget>("listAnimationSteps");
        f.loadScript("three.csv", 1, "5", ScriptCsv::steps(3, 1));
        f.loadScript("two.csv", 2, "5,6", ScriptCsv::steps(2, 2));
        QCOMPARE(list->count(), 2);
        QCOMPARE(f.widget<QLabel>("lbSteps")->text(), QString("Steps 2"));
        // A device's address edited in its row is that device's; 31 is the last there is.
        const QList<QSpinBox *> rows = f.widget<QWidget>("gbDevices")->findChildren<QSpinBox *>();
        QCOMPARE(rows.size(), 2);
        for (int device : {1, 0}) {
            rows.at(device)->setValue(device ? 9 : 40);
            emit rows.at(device)->editingFinished();
        }
        QCOMPARE(page()->currentCsvScript()->addresses, (QStringList{"31", "9"}));
        // No devices, no rows; the count back, the rows back.
        auto *devices = f.widget<QSpinBox>("sbDevices");
        for (int count : {0, 2}) {
            devices->setValue(count);
            QCOMPARE(f.widget<QWidget>("gbDevices")->findChildren<QSpinBox *>().size(), count);
        }
        QStringList numbers; // rows the count adds start at their device's number
        for (QSpinBox *box : f.widget<QWidget>("gbDevices")->findChildren<QSpinBox *>())
            numbers << box->text();
        QCOMPARE(numbers, QStringList({"1", "2"}));

        QRect buttons, lastBox;
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                buttons = dialog->findChild<QDialogButtonBox *>()->geometry();
                lastBox = dialog->findChildren<QSpinBox *>().last()->geometry();
                dialog->reject();
            }
        });
        emit list->itemDoubleClicked(list->item(1));
        QVERIFY(!lastBox.isNull());
        QVERIFY(buttons.top() > lastBox.bottom());
        QCOMPARE(list->count(), 2);
        // Steps numbered 0 or past the script's count open nothing and change nothing.
        f.loadScript("numbered.csv", 1, "5",
                     "0" + ScriptCsv::steps(1, 1).mid(1) + "9" + ScriptCsv::steps(1, 1).mid(1));
        const QList<QStringList> before = page()->currentCsvScript()->steps;
        QCOMPARE(list->count(), 2);
        for (int row : {0, 1})
            emit list->itemDoubleClicked(list->item(row));
        QCOMPARE(page()->currentCsvScript()->steps, before);
    }

    // The layout that holds a widget directly, however deep below the top one, also as its
    // first item; none for a widget no layout below holds.
    void layoutOfWidget()
    {
        QWidget owner;
        auto *top = new QVBoxLayout(&owner);
        auto *row = new QHBoxLayout;
        top->addLayout(row);
        auto *inner = new QHBoxLayout;
        row->addLayout(inner);
        auto *first = new QLabel(&owner);
        inner->addWidget(first);
        QCOMPARE(Board::findLayoutOf(first, top), inner);
        QCOMPARE(Board::findLayoutOf(new QLabel(&owner), top), nullptr);
        QCOMPARE(Board::findLayoutOf(first, nullptr), nullptr);
    }

    // A loaded script list shows the last of its files as the current script file; a script
    // double-clicked in the list is shown in the tab.
    void scriptListShowsItsFile()
    {
        f.loadScript("first.csv", 1, "5", ScriptCsv::steps(1, 1));
        f.loadScript("second.csv", 1, "5", ScriptCsv::steps(2, 1));
        f.widget<QLabel>("lbCSV")->clear();
        QVERIFY(TestFiles::write("both.script", "file0=second.csv\nfile1=first.csv\n"));
        f.prompt.queueFile(QFileInfo("both.script").absoluteFilePath());
        page()->on_pbLoadScript_clicked();
        QCOMPARE(page()->scriptListEntries().size(), 2);
        QCOMPARE(f.widget<QLabel>("lbCSV")->text(), QFileInfo("first.csv").absoluteFilePath());
        auto *table = f.widget<QTableWidget>("tableAnimationScripts");
        for (int row : {1, 0}) {
            emit table->cellDoubleClicked(row, 0);
            QCOMPARE(page()->currentCsvScript(), page()->scriptListEntries().at(row));
            QCOMPARE(f.widget<QLabel>("lbSteps")->text(), QString("Steps %1").arg(2 - row));
        }
    }

    // A list of 255 scripts, as many as the start command names, fits the flash: it starts
    // with every script's address.
    void fullestScriptList()
    {
        f.loadScript("one.csv", 1, "5", ScriptCsv::steps(1, 1));
        QByteArray list;
        for (int i = 0; i < 255; ++i)
            list += "file" + QByteArray::number(i) + "=one.csv\n";
        QVERIFY(TestFiles::write("fullest.script", list));
        f.prompt.queueFile(QFileInfo("fullest.script").absoluteFilePath());
        page()->on_pbLoadScript_clicked();
        QCOMPARE(page()->scriptListEntries().size(), 255);
        f.take();
        page()->on_pbStartScript_clicked();
        const QList<QByteArray> start = f.take("set p110script=");
        QCOMPARE(start.size(), 1);
        QCOMPARE(start.first().mid(17, 2), QByteArray("ff")); // after the loops
        QCOMPARE(start.first().size(), 19 + 255 * 8);
    }

    // The effect's two directions exclude each other; started, the effect moves the position
    // slider on its own.
    void effectDirections()
    {
        f.widget<QWidget>("groupBox_4")->setEnabled(true);
        auto *left = f.widget<QAbstractButton>("cbLeft");
        auto *right = f.widget<QAbstractButton>("cbRight");
        left->click();
        QVERIFY(left->isChecked() && !right->isChecked());
        right->click();
        QVERIFY(right->isChecked() && !left->isChecked());
        position()->setRange(0, 10);
        position()->setValue(5);
        f.widget<QLineEdit>("leEffectTime")->setText("70");
        auto *start = f.widget<QAbstractButton>("cbStart");
        start->click();
        QVERIFY(start->isChecked());
        QTRY_VERIFY(position()->value() != 5);
        start->click();
        left->click();
        QVERIFY(left->isChecked() && !right->isChecked());
        left->click();
        QVERIFY(!right->isChecked() && !left->isChecked() && !start->isChecked());
    }

    // A tick of the static line writes its variable: the other tab's box follows.
    void staticLineTicked()
    {
        for (bool on : {false, true}) {
            f.widget<QAbstractButton>("cbLEDCTRL1")->setChecked(on);
            QCOMPARE(f.item("LEDCTRL1"), double(on));
            QCOMPARE(f.widget<QAbstractButton>("cbLEDCTRL1P404")->isChecked(), on);
        }
    }

    // The largest script the flash takes (510 blocks) is flashed alone, every block of it.
    void largestScriptFlashes()
    {
        f.loadScript("largest.csv", 44, ScriptCsv::ones(44), ScriptCsv::steps(247, 44));
        f.take();
        page()->on_pbFlashMCU_clicked();
        QCOMPARE(f.widget<QLabel>("lbUsedFlashSize")->text(), QString("Used flash size 130560 B"));
        QCOMPARE(f.take("set flash=").size(), 510);
        // A pass the board takes whole is a success.
        QVERIFY(page()->writeFlashBlocks(QByteArray(300, 'x')));
    }
};

QTEST_MAIN(TestBoardMatrixEdits)
#include "tst_boardmatrixedits.moc"
