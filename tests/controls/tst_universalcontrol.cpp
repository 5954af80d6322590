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
#include "../support/tablerows.h"

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
        addRows<QString, QString, QString, QString>({"name", "prefix", "reg", "field"},
                                                    {{"SA", "keep", "SA", "keep"},
                                                     {"BANK[SW1]", "keep", "BANK", "SW1"},
                                                     {"REG0F[15:14]", "keep", "REG0F", "15:14"},
                                                     {"ReadVLED(1)", "keep", "ReadVLED", "1"},
                                                     {"Board.BANK[SW1]", "Board", "BANK", "SW1"},
                                                     {"Board.SA", "keep", "Board", "SA"},
                                                     {"a.b.c.d.e", "keep", "keep", "keep"}});
    }

    void splitName()
    {
        QFETCH(QString, name);
        QFETCH(QString, prefix);
        QFETCH(QString, reg);
        QFETCH(QString, field);
        QString gotPrefix = "keep", gotReg = "keep", gotField = "keep";
        UniversalControl::splitName(name, &gotPrefix, &gotReg, &gotField);
        QCOMPARE(QStringList({gotPrefix, gotReg, gotField}), QStringList({prefix, reg, field}));
        UniversalControl::splitName(name, nullptr, &gotReg, nullptr); // absent outputs allowed
    }

    void bindingNames_data()
    {
        // Accessible name, else the object name; a push button names a command.
        addRows<QString, QString, QString, QStringList>(
            {"kind", "objectName", "accessibleName", "parts"},
            {{"combo", "cmREG0F_15_14", "", {"REG0F[15:14]", "REG0F", "15:14"}},
             {"check", "cbREG10_3", "", {"REG10[3]", "REG10", "3"}},
             {"check", "cbBUCK1EN", "", {"BUCK1EN", "BUCK1EN", ""}},
             {"edit", "leW_BANK_SA_2", "", {"W[BANK:SA_2]", "W", "BANK:SA_2"}},
             {"spin", "sb", "", {"", "", ""}},
             {"edit", "leOTHER_3", "BANK[SW1]", {"BANK[SW1]", "BANK", "SW1"}},
             {"button", "pbX", "Write_all()", {"Write_all", "Write_all", ""}},
             {"button", "pbX", "ReadVLED(1)", {"ReadVLED", "ReadVLED", "1"}},
             {"button", "pbBoard_readReg0F", "", {"readReg0F", "readReg0F", ""}},
             {"button", "pbBoard_readReg_7_x", "", {"readReg", "readReg", "7"}}});
    }

    void bindingNames()
    {
        QFETCH(QString, kind);
        QFETCH(QString, objectName);
        QFETCH(QString, accessibleName);
        QFETCH(QStringList, parts);
        std::unique_ptr<QWidget> widget;
        if (kind == "combo")
            widget = std::make_unique<ComboBox>();
        else if (kind == "check")
            widget = std::make_unique<CheckBox>();
        else if (kind == "edit")
            widget = std::make_unique<LineEdit>();
        else if (kind == "spin")
            widget = std::make_unique<SpinBox>();
        else
            widget = std::make_unique<PushButton>();
        widget->setObjectName(objectName);
        widget->setAccessibleName(accessibleName);
        auto *control = dynamic_cast<UniversalControl *>(widget.get());
        QCOMPARE(bindingParts(*control), parts);
        // The name is worked out once, at the first call.
        widget->setAccessibleName("OTHER[2]");
        QCOMPARE(bindingParts(*control), parts);
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
            QCOMPARE(control->type(), code);
            QVERIFY(!control->isConnected());
        }
    }

    void interfaceCaptionIgnoredButFormTextKept()
    {
        PushButton button;
        button.setText("Write"); // the form's caption
        LineEdit edit;
        edit.setText("12");
        static_cast<UniversalControl &>(button).setText("FIELD");
        static_cast<UniversalControl &>(edit).setText("FIELD");
        QCOMPARE(button.text(), QString("Write"));
        QCOMPARE(edit.text(), QString("12"));
        CheckBox check;
        static_cast<UniversalControl &>(check).setText("SW1");
        QCOMPARE(check.text(), QString("SW1"));
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

        Dial dial;
        QVERIFY(dial.connectChanged("1slot_ControlTriggered()", &receiver));
        dial.setRange(0, 100);
        dial.QDial::setValue(40);
        QCOMPARE(receiver.count, 2);
    }

    void truncation_data()
    {
        const int intMax = std::numeric_limits<int>::max();
        addRows<double, int, uint>({"value", "asInt", "asUInt32"},
                                   {{2.9, 2, 2u},
                                    {-2.9, -2, 0xFFFFFFFEu},
                                    {4294967295.0, intMax, 0xFFFFFFFFu},
                                    {4294967301.0, intMax, 5u},
                                    {1e300, intMax, 0xFFFFFFFFu},
                                    {qQNaN(), 0, 0u}});
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
