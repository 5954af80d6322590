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

namespace
{
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

void addNameRow(const char *tag, const QString &a, const QString &b, const QString &c,
                const QString &d = QString())
{
    QTest::newRow(tag) << a << b << c << d;
}

// The three parts of a widget's binding name: whole (2), register (1), field (0).
QStringList bindingParts(UniversalControl &control)
{
    return {control.registerName(2), control.registerName(1), control.registerName(0)};
}
} // namespace

class TstUniversalControl : public QObject
{
    Q_OBJECT
private slots:
    void splitName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("reg");
        QTest::addColumn<QString>("field");
        addNameRow("plain", "SA", "", "SA", "");
        addNameRow("field", "BANK[SW1]", "", "BANK", "SW1");
        addNameRow("range", "REG0F[15:14]", "", "REG0F", "15:14");
        addNameRow("command", "Write_all()", "", "Write_all", "");
        addNameRow("command arg", "ReadVLED(1)", "", "ReadVLED", "1");
        addNameRow("applet dot", "Board.BANK[SW1]", "Board", "BANK", "SW1");
        addNameRow("dot only", "Board.SA", "", "Board", "SA");
        addNameRow("five parts", "a.b.c.d.e", "", "", "");
        addNameRow("empty", "", "", "", "");
    }

    void splitName()
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

    void splitNameLeavesUnassignedOutputs()
    {
        QString prefix = "keep", reg = "keep", field = "keep";
        UniversalControl::splitName("SA", &prefix, &reg, &field);
        QCOMPARE(QStringList({prefix, reg, field}), QStringList({"keep", "SA", "keep"}));
        // Absent outputs are allowed.
        UniversalControl::splitName("Board.BANK[SW1]", nullptr, &reg, nullptr);
        QCOMPARE(reg, QString("BANK"));
    }

    void nameFromObjectName_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        QTest::newRow("range") << "cmREG0F_15_14" << QString("REG0F[15:14]");
        QTest::newRow("bit") << "cbREG10_3" << QString("REG10[3]");
        QTest::newRow("no underscore") << "cbBUCK1EN" << QString("BUCK1EN");
        QTest::newRow("two underscores only") << "leW_BANK_SA_2" << QString("W[BANK:SA_2]");
        QTest::newRow("short") << "cb" << QString();
    }

    void nameFromObjectName()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        QCOMPARE(UniversalControl::nameFromObjectName(objectName), name);
    }

    void bindingNames()
    {
        ComboBox box;
        box.setObjectName("cmREG0F_15_14");
        QCOMPARE(bindingParts(box), QStringList({"REG0F[15:14]", "REG0F", "15:14"}));
        CheckBox check;
        check.setObjectName("cbBUCK1EN");
        QCOMPARE(bindingParts(check), QStringList({"BUCK1EN", "BUCK1EN", ""}));
        SpinBox spin;
        spin.setObjectName("sb");
        QCOMPARE(bindingParts(spin), QStringList({"", "", ""}));

        // The accessible name wins over the object name.
        LineEdit edit;
        edit.setObjectName("leOTHER_3");
        edit.setAccessibleName("BANK[SW1]");
        QCOMPARE(bindingParts(edit), QStringList({"BANK[SW1]", "BANK", "SW1"}));

        // The name is worked out once, at the first call.
        Slider slider;
        slider.setAccessibleName("BANK[SW1]");
        QCOMPARE(slider.registerName(1), QString("BANK"));
        slider.setAccessibleName("OTHER[2]");
        slider.setObjectName("slNEW_1");
        QCOMPARE(bindingParts(slider), QStringList({"BANK[SW1]", "BANK", "SW1"}));
    }

    void commandName_data()
    {
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("argument");
        addNameRow("no argument", "Write_all()", "pbX", "Write_all", "");
        addNameRow("argument", "ReadVLED(1)", "pbX", "ReadVLED", "1");
        addNameRow("object name", "", "pbBoard_readReg0F", "readReg0F", "");
        addNameRow("object name argument", "", "pbBoard_readReg_7_x", "readReg", "7");
    }

    void commandName()
    {
        QFETCH(QString, accessibleName);
        QFETCH(QString, objectName);
        QFETCH(QString, command);
        QFETCH(QString, argument);
        PushButton button;
        button.setObjectName(objectName);
        button.setAccessibleName(accessibleName);
        QCOMPARE(bindingParts(button), QStringList({command, command, argument}));
    }

    void typeCodes()
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
            QCOMPARE(widget->toolTip(), QString("tip"));
        }
    }

    void interfaceCaptionIgnoredButFormTextKept()
    {
        PushButton button;
        button.setText("Write"); // the form's caption
        LineEdit edit;
        edit.setText("12");
        UniversalControl *buttonControl = &button, *editControl = &edit;
        buttonControl->setText("FIELD");
        editControl->setText("FIELD");
        QCOMPARE(button.text(), QString("Write"));
        QCOMPARE(edit.text(), QString("12"));
        QVERIFY(buttonControl->text().isEmpty());
        QVERIFY(editControl->text().isEmpty());

        CheckBox check;
        static_cast<UniversalControl &>(check).setText("SW1");
        QCOMPARE(check.text(), QString("SW1"));
        QCOMPARE(static_cast<UniversalControl &>(check).text(), QString("SW1"));
        ButtonBox box;
        static_cast<UniversalControl &>(box).setText("Mode");
        QCOMPARE(box.title(), QString("Mode"));
    }

    void changeSignalReachesReceiverUntilDisconnected()
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

    void truncation_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("asInt");
        QTest::addColumn<uint>("asUInt32");
        const int intMax = std::numeric_limits<int>::max();
        QTest::newRow("positive") << 2.9 << 2 << 2u;
        QTest::newRow("negative") << -2.9 << -2 << 0xFFFFFFFEu;
        QTest::newRow("minus one") << -1.0 << -1 << 0xFFFFFFFFu;
        QTest::newRow("max uint") << 4294967295.0 << intMax << 0xFFFFFFFFu;
        QTest::newRow("above 32 bits") << 4294967301.0 << intMax << 5u;
        QTest::newRow("huge") << 1e300 << intMax << 0xFFFFFFFFu;
        QTest::newRow("nan") << qQNaN() << 0 << 0u;
    }

    void truncation()
    {
        QFETCH(double, value);
        QFETCH(int, asInt);
        QFETCH(uint, asUInt32);
        QCOMPARE(UniversalControl::truncateToInt(value), asInt);
        QCOMPARE(UniversalControl::truncateToUInt32(value), quint32(asUInt32));
    }
};

QTEST_MAIN(TstUniversalControl)
#include "tst_universalcontrol.moc"
