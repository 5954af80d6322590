#include "buttonbox.h"
#include "checkbox.h"
#include "combobox.h"
#include "dial.h"
#include "lineedit.h"
#include "progressbar.h"
#include "pushbutton.h"
#include "radiobutton.h"
#include "slider.h"
#include "spinbox.h"

#include <QtTest>

#include <memory>

using namespace CustomControls;

// Stands in for the applet: counts its slot and remembers the sender.
class Receiver : public QObject
{
    Q_OBJECT
public:
    int count = 0;
    QObject *lastSender = nullptr;
public slots:
    void slot_ControlTriggered()
    {
        ++count;
        lastSender = sender();
    }
};

class TstUniversalControl : public QObject
{
    Q_OBJECT
private slots:
    void splitName_data();
    void splitName();
    void splitNameLeavesUnassignedOutputs();
    void nameFromObjectName_data();
    void nameFromObjectName();
    void bindingNameFromObjectName();
    void accessibleNameWins();
    void nameIsCachedAfterFirstCall();
    void shortObjectNameGivesEmptyName();
    void commandName_data();
    void commandName();
    void typeCodes();
    void interfaceCaptionIgnoredButFormTextKept();
    void changeSignalReachesReceiverUntilDisconnected();
    void truncation_data();
    void truncation();
};

void TstUniversalControl::splitName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "SA"
                           << ""
                           << "SA"
                           << "";
    QTest::newRow("field") << "BANK[SW1]"
                           << ""
                           << "BANK"
                           << "SW1";
    QTest::newRow("range") << "REG0F[15:14]"
                           << ""
                           << "REG0F"
                           << "15:14";
    QTest::newRow("command") << "Write_all()"
                             << ""
                             << "Write_all"
                             << "";
    QTest::newRow("command arg") << "ReadVLED(1)"
                                 << ""
                                 << "ReadVLED"
                                 << "1";
    QTest::newRow("applet dot") << "Board.BANK[SW1]"
                                << "Board"
                                << "BANK"
                                << "SW1";
    QTest::newRow("dot only") << "Board.SA"
                              << ""
                              << "Board"
                              << "SA";
    QTest::newRow("five parts") << "a.b.c.d.e"
                                << ""
                                << ""
                                << "";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
}

void TstUniversalControl::splitName()
{
    QFETCH(QString, name);
    QFETCH(QString, prefix);
    QFETCH(QString, reg);
    QFETCH(QString, field);
    QString gotPrefix, gotReg, gotField;
    UniversalControl::splitName(name, &gotPrefix, &gotReg, &gotField);
    QCOMPARE(gotPrefix, prefix);
    QCOMPARE(gotReg, reg);
    QCOMPARE(gotField, field);
}

void TstUniversalControl::splitNameLeavesUnassignedOutputs()
{
    QString prefix = "keep", reg = "keep", field = "keep";
    UniversalControl::splitName("SA", &prefix, &reg, &field);
    QCOMPARE(prefix, QString("keep"));
    QCOMPARE(reg, QString("SA"));
    QCOMPARE(field, QString("keep"));
    // Absent outputs are allowed.
    UniversalControl::splitName("Board.BANK[SW1]", nullptr, &reg, nullptr);
    QCOMPARE(reg, QString("BANK"));
}

void TstUniversalControl::nameFromObjectName_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("name");
    QTest::newRow("range") << "cmREG0F_15_14"
                           << "REG0F[15:14]";
    QTest::newRow("bit") << "cbREG10_3"
                         << "REG10[3]";
    QTest::newRow("no underscore") << "cbBUCK1EN"
                                   << "BUCK1EN";
    QTest::newRow("two underscores only") << "leW_BANK_SA_2"
                                          << "W[BANK:SA_2]";
    QTest::newRow("short") << "cb"
                           << "";
}

void TstUniversalControl::nameFromObjectName()
{
    QFETCH(QString, objectName);
    QFETCH(QString, name);
    QCOMPARE(UniversalControl::nameFromObjectName(objectName), name);
}

void TstUniversalControl::bindingNameFromObjectName()
{
    ComboBox box;
    box.setObjectName("cmREG0F_15_14");
    QCOMPARE(box.registerName(2), QString("REG0F[15:14]"));
    QCOMPARE(box.registerName(1), QString("REG0F"));
    QCOMPARE(box.registerName(0), QString("15:14"));

    CheckBox check;
    check.setObjectName("cbBUCK1EN");
    QCOMPARE(check.registerName(2), QString("BUCK1EN"));
    QCOMPARE(check.registerName(1), QString("BUCK1EN"));
    QVERIFY(check.registerName(0).isEmpty());
}

void TstUniversalControl::accessibleNameWins()
{
    LineEdit edit;
    edit.setObjectName("leOTHER_3");
    edit.setAccessibleName("BANK[SW1]");
    QCOMPARE(edit.registerName(2), QString("BANK[SW1]"));
    QCOMPARE(edit.registerName(1), QString("BANK"));
    QCOMPARE(edit.registerName(0), QString("SW1"));
}

void TstUniversalControl::nameIsCachedAfterFirstCall()
{
    Slider slider;
    slider.setAccessibleName("BANK[SW1]");
    QCOMPARE(slider.registerName(1), QString("BANK"));
    slider.setAccessibleName("OTHER[2]");
    slider.setObjectName("slNEW_1");
    QCOMPARE(slider.registerName(2), QString("BANK[SW1]"));
    QCOMPARE(slider.registerName(0), QString("SW1"));
}

void TstUniversalControl::shortObjectNameGivesEmptyName()
{
    SpinBox spin;
    spin.setObjectName("sb");
    QVERIFY(spin.registerName(2).isEmpty());
    QVERIFY(spin.registerName(1).isEmpty());
}

void TstUniversalControl::commandName_data()
{
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("argument");
    QTest::newRow("no argument") << "Write_all()"
                                 << "pbX"
                                 << "Write_all"
                                 << "";
    QTest::newRow("argument") << "ReadVLED(1)"
                              << "pbX"
                              << "ReadVLED"
                              << "1";
    QTest::newRow("object name") << ""
                                 << "pbBoard_readReg0F"
                                 << "readReg0F"
                                 << "";
    QTest::newRow("object name argument") << ""
                                          << "pbBoard_readReg_7_x"
                                          << "readReg"
                                          << "7";
}

void TstUniversalControl::commandName()
{
    QFETCH(QString, accessibleName);
    QFETCH(QString, objectName);
    QFETCH(QString, command);
    QFETCH(QString, argument);
    PushButton button;
    button.setObjectName(objectName);
    button.setAccessibleName(accessibleName);
    QCOMPARE(button.registerName(1), command);
    QCOMPARE(button.registerName(0), argument);
    QCOMPARE(button.registerName(2), button.registerName(1));
}

void TstUniversalControl::typeCodes()
{
    std::vector<std::pair<std::unique_ptr<QWidget>, int>> widgets;
    widgets.emplace_back(std::make_unique<CheckBox>(), 1);
    widgets.emplace_back(std::make_unique<PushButton>(), 2);
    widgets.emplace_back(std::make_unique<ProgressBar>(), 3);
    widgets.emplace_back(std::make_unique<SpinBox>(), 3);
    widgets.emplace_back(std::make_unique<LineEdit>(), 4);
    widgets.emplace_back(std::make_unique<ComboBox>(), 6);
    widgets.emplace_back(std::make_unique<ButtonBox>(), 7);
    widgets.emplace_back(std::make_unique<Dial>(), 10);
    widgets.emplace_back(std::make_unique<Slider>(), 11);
    widgets.emplace_back(std::make_unique<RadioButton>(), 12);
    for (const auto &[widget, code] : widgets) {
        // The applet finds value widgets by class name and the interface.
        QVERIFY(QString(widget->metaObject()->className()).contains("CustomControls"));
        auto *control = dynamic_cast<UniversalControl *>(widget.get());
        QVERIFY(control);
        QCOMPARE(control->type(), code);
        QVERIFY(!control->isConnected());
        control->setToolTip("tip");
        QCOMPARE(control->toolTip(), QString("tip"));
        QCOMPARE(widget->toolTip(), QString("tip"));
    }
}

void TstUniversalControl::interfaceCaptionIgnoredButFormTextKept()
{
    PushButton button;
    button.setText("Write"); // the form's caption
    UniversalControl *control = &button;
    control->setText("FIELD");
    QCOMPARE(button.text(), QString("Write"));
    QVERIFY(control->text().isEmpty());

    LineEdit edit;
    edit.setText("12");
    control = &edit;
    control->setText("FIELD");
    QCOMPARE(edit.text(), QString("12"));
    QVERIFY(control->text().isEmpty());

    CheckBox check;
    control = &check;
    control->setText("SW1");
    QCOMPARE(check.text(), QString("SW1"));
    QCOMPARE(control->text(), QString("SW1"));

    ButtonBox box;
    control = &box;
    control->setText("Mode");
    QCOMPARE(box.title(), QString("Mode"));
}

void TstUniversalControl::changeSignalReachesReceiverUntilDisconnected()
{
    Receiver receiver;
    CheckBox check;
    check.resize(100, 30);
    QVERIFY(check.connectChanged(SLOT(slot_ControlTriggered()), &receiver));
    QVERIFY(check.isConnected());
    QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
    QCOMPARE(receiver.count, 1);
    QCOMPARE(receiver.lastSender, &check);

    QVERIFY(check.disconnectChanged());
    QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
    QCOMPARE(receiver.count, 1);
    QVERIFY(check.isConnected()); // stays bound: the applet binds a widget only once

    // The string form of the applet's slot works as well.
    Dial dial;
    QVERIFY(dial.connectChanged("1slot_ControlTriggered()", &receiver));
    dial.setRange(0, 100);
    dial.QDial::setValue(40);
    QCOMPARE(receiver.count, 2);
    dial.disconnectChanged();
    dial.QDial::setValue(41);
    QCOMPARE(receiver.count, 2);
}

void TstUniversalControl::truncation_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("asInt");
    QTest::addColumn<uint>("asUInt32");
    QTest::newRow("positive") << 2.9 << 2 << 2u;
    QTest::newRow("negative") << -2.9 << -2 << 0xFFFFFFFEu;
    QTest::newRow("minus one") << -1.0 << -1 << 0xFFFFFFFFu;
    QTest::newRow("max uint") << 4294967295.0 << std::numeric_limits<int>::max() << 0xFFFFFFFFu;
    QTest::newRow("above 32 bits") << 4294967301.0 << std::numeric_limits<int>::max() << 5u;
    QTest::newRow("huge") << 1e300 << std::numeric_limits<int>::max() << 0xFFFFFFFFu;
    QTest::newRow("nan") << qQNaN() << 0 << 0u;
}

void TstUniversalControl::truncation()
{
    QFETCH(double, value);
    QFETCH(int, asInt);
    QFETCH(uint, asUInt32);
    QCOMPARE(UniversalControl::truncateToInt(value), asInt);
    QCOMPARE(UniversalControl::truncateToUInt32(value), quint32(asUInt32));
}

QTEST_MAIN(TstUniversalControl)
#include "tst_universalcontrol.moc"
