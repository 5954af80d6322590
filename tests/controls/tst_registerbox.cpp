#include "checkbox.h"
#include "lineedit.h"
#include "register.h"
#include "registerbox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSet>
#include <QTest>

using namespace CustomControls;
using Row = RegisterBox::Control;

class TestRegisterBox : public QObject
{
    Q_OBJECT

private:
    // Bits from 0: EN (bank 0), MODE[4] = 5 (bank 0), LVL[7] = 9 (bank 1, red), FLAG (bank 1),
    // X[3] (bank 2), SPARE[2] (no bank). The register itself is blue.
    static const char *definition()
    {
        return "@register=OTP @color=blue;"
               "@field=EN @bank=0 @value=1;"
               "@field=MODE[4] @bank=0 @value=5;"
               "@field=LVL[7] @bank=1 @color=red @value=9;"
               "@field=FLAG @bank=1;"
               "@field=X[3] @bank=2;"
               "SPARE[2];";
    }

    static QList<Row *> rowsOf(QGroupBox *group)
    {
        QList<Row *> rows;
        auto *grid = static_cast<QGridLayout *>(group->layout());
        for (int i = 0; i < grid->count(); ++i)
            rows.append(static_cast<Row *>(grid->itemAt(i)->widget()));
        return rows;
    }

    static Row *rowNamed(RegisterBox &box, const QString &accessibleName)
    {
        for (QGroupBox *group : box.groups()) {
            for (Row *row : rowsOf(group)) {
                QWidget *input = row->checkBox() ? static_cast<QWidget *>(row->checkBox())
                                                 : static_cast<QWidget *>(row->numberField());
                if (input && input->accessibleName() == accessibleName)
                    return row;
            }
        }
        return nullptr;
    }

    static QStringList groupOrder(RegisterBox &box)
    {
        QStringList order;
        QLayout *layout = box.widget()->layout();
        for (int i = 0; i < layout->count(); ++i)
            order.append(layout->itemAt(i)->widget()->property("bank").toString());
        return order;
    }

private slots:
    void groupsInOrderOfAppearance()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.build(reg);
        QCOMPARE(box.groups().keys(), (QStringList{"", "0", "1", "2"}));
        QCOMPARE(groupOrder(box), (QStringList{"0", "1", "2", ""}));
        QCOMPARE(box.groupBox("1")->property("bank").toString(), QString("1"));
        QCOMPARE(rowsOf(box.groupBox("0")).size(), 2);
        QCOMPARE(rowsOf(box.groupBox("1")).size(), 2);
        QVERIFY(box.groupBox("0")->title().isEmpty());
    }

    void rowsAndBindingNames()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.build(reg);
        Row *en = rowNamed(box, "OTP[EN]");
        QVERIFY(en);
        QCOMPARE(en->type(), int(Row::CheckBoxRow));
        QVERIFY(!en->checkBox()->isChecked()); // unchecked whatever the register holds
        QCOMPARE(en->label()->text(), QString("EN"));
        QCOMPARE(en->checkBox()->width(), 17);
        QCOMPARE(en->checkBox()->registerName(1), QString("OTP"));
        QCOMPARE(en->checkBox()->registerName(0), QString("EN"));

        Row *mode = rowNamed(box, "OTP[MODE]");
        QVERIFY(mode);
        QCOMPARE(mode->type(), int(Row::NumberRow));
        QCOMPARE(mode->numberField()->value(), 5.0);
        QCOMPARE(mode->label()->text(), QString("MODE[3:0]"));
        QCOMPARE(mode->numberField()->width(), 80);
        QCOMPARE(rowNamed(box, "OTP[LVL]")->numberField()->value(), 9.0);
        QCOMPARE(rowNamed(box, "OTP[LVL]")->label()->text(), QString("LVL[6:0]"));
        QVERIFY(rowNamed(box, "OTP[SPARE]"));
    }

    void labelWidthFromLongestName()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.build(reg);
        // The longest "@name" entry is "SPARE[2]" / "MODE[4]" / "LVL[7]": 8 characters.
        Row *row = rowNamed(box, "OTP[FLAG]");
        QCOMPARE(row->label()->width(), QFontInfo(row->label()->font()).pointSize() * 8);
    }

    void bitPositionLabels()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.setFlags(RegisterBox::BitPositions);
        box.build(reg);
        QCOMPARE(rowNamed(box, "OTP[EN]")->label()->text(), QString("EN[0]"));
        QCOMPARE(rowNamed(box, "OTP[MODE]")->label()->text(), QString("MODE[4:1]"));
        QCOMPARE(rowNamed(box, "OTP[LVL]")->label()->text(), QString("LVL[11:5]"));
        QCOMPARE(rowNamed(box, "OTP[FLAG]")->label()->text(), QString("FLAG[12]"));
    }

    void colours()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.build(reg);
        QVERIFY(box.groupBox("1")->styleSheet().contains("stop:0.1875 red"));
        QVERIFY(box.groupBox("1")->styleSheet().contains("border: 2px solid red;"));
        QVERIFY(box.groupBox("0")->styleSheet().contains("stop:0.1875 blue")); // register colour
        QVERIFY(box.groupBox("0")->styleSheet().startsWith("QGroupBox{font-weight: bold;"));
    }

    void alternatingColours()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.setFlags(RegisterBox::AlternateColours);
        box.build(reg);
        const QString grey = "rgba(202, 202, 202, 162)";
        const QString orange = "rgba(255, 202, 156, 162)";
        QVERIFY(box.groupBox("0")->styleSheet().contains(grey));
        QVERIFY(box.groupBox("1")->styleSheet().contains("red")); // the field's colour wins
        QVERIFY(box.groupBox("2")->styleSheet().contains(grey));  // third group made
        QVERIFY(box.groupBox("")->styleSheet().contains(orange)); // fourth
    }

    void defaultColourWithoutAnyColour()
    {
        Register reg("@field=A[2] @bank=1;@field=B @bank=2;", "R");
        RegisterBox box;
        box.build(reg);
        QVERIFY(box.groupBox("1")->styleSheet().contains("rgba(202, 202, 202, 162)"));
        QVERIFY(box.groupBox("2")->styleSheet().contains("rgba(202, 202, 202, 162)"));
    }

    void titlesAndCheckableGroups()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.setFlags(RegisterBox::TitledGroups | RegisterBox::CheckableGroups);
        box.build(reg);
        QCOMPARE(box.groupBox("2")->title(), QString("BANK (2)"));
        QCOMPARE(box.groupBox("")->title(), QString("BANK ()"));
        int left = 0, top = 0, right = 0, bottom = 0;
        box.groupBox("2")->layout()->getContentsMargins(&left, &top, &right, &bottom);
        QCOMPARE(QList<int>({left, top, right, bottom}), QList<int>({0, 15, 0, 5}));
        QVERIFY(box.groupBox("2")->isCheckable());
        QCOMPARE(box.checkedGroups(), (QStringList{"", "0", "1", "2"}));
        box.setGroupChecked("1", false);
        box.setGroupChecked("missing", false);
        QCOMPARE(box.checkedGroups(), (QStringList{"", "0", "2"}));
    }

    void untitledMargins()
    {
        Register reg(definition(), "ignored");
        RegisterBox box;
        box.build(reg);
        int left = 0, top = 0, right = 0, bottom = 0;
        box.groupBox("0")->layout()->getContentsMargins(&left, &top, &right, &bottom);
        QCOMPARE(QList<int>({left, top, right, bottom}), QList<int>({10, 5, 10, 5}));
        QVERIFY(!box.groupBox("0")->isCheckable());
        QVERIFY(box.checkedGroups().isEmpty());
    }

    void ungroupedRegister()
    {
        Register reg("A[3];B;C;", "R");
        RegisterBox box;
        box.build(reg);
        QCOMPARE(box.groups().keys(), QStringList{""});
        QVERIFY(box.groupBox("")->title().isEmpty());
        QCOMPARE(rowsOf(box.groupBox("")).size(), 3);
        QVERIFY(box.groupBox("")->minimumHeight() >= 95);
    }

    void columnsArrangeRows()
    {
        Register reg("A;B;C;D;E;", "R");
        RegisterBox box;
        QCOMPARE(box.columns(), 1);
        box.setColumns(0);
        QCOMPARE(box.columns(), 1);
        box.setColumns(-3);
        QCOMPARE(box.columns(), 1);
        box.setColumns(2);
        box.build(reg);
        auto *grid = static_cast<QGridLayout *>(box.groupBox("")->layout());
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(box.groupBox("")->minimumHeight(), 25 * 3 + 20);
    }

    void otherGroupKey()
    {
        Register reg("@field=A @page=x;@field=B @page=y;@field=C @page=x;", "R");
        RegisterBox box;
        box.setGroupKey("page");
        box.setFlags(RegisterBox::TitledGroups);
        box.build(reg);
        QCOMPARE(box.groups().keys(), (QStringList{"x", "y"}));
        QCOMPARE(box.groupBox("x")->title(), QString("PAGE (x)"));
        QCOMPARE(box.groupBox("y")->property("page").toString(), QString("y"));
        // Rows of one group never share a grid cell, also when groups interleave.
        auto *grid = static_cast<QGridLayout *>(box.groupBox("x")->layout());
        QSet<QPair<int, int>> cells;
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            cells.insert({row, column});
        }
        QCOMPARE(cells.size(), 2);
    }

    void buildTwice()
    {
        Register first(definition(), "ignored");
        Register second("@field=P @bank=7;", "NEXT");
        RegisterBox box;
        box.build(first);
        box.build(second);
        QCOMPARE(box.groups().keys(), QStringList{"7"});
        QCOMPARE(box.widget()->findChildren<QGroupBox *>().size(), 1);
        QVERIFY(rowNamed(box, "NEXT[P]"));
        QVERIFY(!rowNamed(box, "OTP[EN]"));
    }

    void rowContextMenuSwallowed()
    {
        Row row(nullptr, Row::NumberRow, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(1, 1));
        QApplication::sendEvent(&row, &event);
        QVERIFY(event.isAccepted());
        row.setValue(12);
        QCOMPARE(row.numberField()->value(), 12.0);
        Row labelOnly(nullptr, 5, 4);
        QVERIFY(!labelOnly.checkBox() && !labelOnly.numberField());
        labelOnly.setAccessibleName("X[Y]"); // no input widget: nothing to name
        labelOnly.setValue(1);
    }
};

QTEST_MAIN(TestRegisterBox)
#include "tst_registerbox.moc"
