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

    static QList<int> margins(QGroupBox *group)
    {
        int left = 0, top = 0, right = 0, bottom = 0;
        group->layout()->getContentsMargins(&left, &top, &right, &bottom);
        return {left, top, right, bottom};
    }

    // Builds the box from the register of definition() with the given flags.
    void build(RegisterBox &box, int flags = 0)
    {
        box.setFlags(flags);
        box.build(m_otp);
    }

    Register m_otp{definition(), "ignored"};

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
        RegisterBox box;
        build(box);
        QCOMPARE(box.groups().keys(), (QStringList{"", "0", "1", "2"}));
        QCOMPARE(groupOrder(box), (QStringList{"0", "1", "2", ""}));
        QCOMPARE(box.groupBox("1")->property("bank").toString(), QString("1"));
        QCOMPARE(rowsOf(box.groupBox("0")).size(), 2);
        QCOMPARE(rowsOf(box.groupBox("1")).size(), 2);
        QVERIFY(box.groupBox("0")->title().isEmpty());
        QCOMPARE(margins(box.groupBox("0")), QList<int>({10, 5, 10, 5}));
        QVERIFY(!box.groupBox("0")->isCheckable());
        QVERIFY(box.checkedGroups().isEmpty());
    }

    void rowsAndBindingNames()
    {
        RegisterBox box;
        build(box);
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
        // The labels are as wide as the longest "@name" entry, "SPARE[2]": 8 characters.
        Row *flag = rowNamed(box, "OTP[FLAG]");
        QCOMPARE(flag->label()->width(), QFontInfo(flag->label()->font()).pointSize() * 8);
    }

    void bitPositionLabels()
    {
        RegisterBox box;
        build(box, RegisterBox::BitPositions);
        QCOMPARE(rowNamed(box, "OTP[EN]")->label()->text(), QString("EN[0]"));
        QCOMPARE(rowNamed(box, "OTP[MODE]")->label()->text(), QString("MODE[4:1]"));
        QCOMPARE(rowNamed(box, "OTP[LVL]")->label()->text(), QString("LVL[11:5]"));
        QCOMPARE(rowNamed(box, "OTP[FLAG]")->label()->text(), QString("FLAG[12]"));
    }

    void colours()
    {
        RegisterBox box;
        build(box);
        QVERIFY(box.groupBox("1")->styleSheet().contains("stop:0.1875 red"));
        QVERIFY(box.groupBox("1")->styleSheet().contains("border: 2px solid red;"));
        QVERIFY(box.groupBox("0")->styleSheet().contains("stop:0.1875 blue")); // register colour
        QVERIFY(box.groupBox("0")->styleSheet().startsWith("QGroupBox{font-weight: bold;"));

        const QString grey = "rgba(202, 202, 202, 162)";
        const QString orange = "rgba(255, 202, 156, 162)";
        RegisterBox alternating;
        build(alternating, RegisterBox::AlternateColours);
        QVERIFY(alternating.groupBox("0")->styleSheet().contains(grey));
        QVERIFY(alternating.groupBox("1")->styleSheet().contains("red")); // the field's colour wins
        QVERIFY(alternating.groupBox("2")->styleSheet().contains(grey));  // third group made
        QVERIFY(alternating.groupBox("")->styleSheet().contains(orange)); // fourth

        // Without any colour every group is grey.
        Register reg("@field=A[2] @bank=1;@field=B @bank=2;", "R");
        RegisterBox plain;
        plain.build(reg);
        QVERIFY(plain.groupBox("1")->styleSheet().contains(grey));
        QVERIFY(plain.groupBox("2")->styleSheet().contains(grey));
    }

    void titlesAndCheckableGroups()
    {
        RegisterBox box;
        build(box, RegisterBox::TitledGroups | RegisterBox::CheckableGroups);
        QCOMPARE(box.groupBox("2")->title(), QString("BANK (2)"));
        QCOMPARE(box.groupBox("")->title(), QString("BANK ()"));
        QCOMPARE(margins(box.groupBox("2")), QList<int>({0, 15, 0, 5}));
        QVERIFY(box.groupBox("2")->isCheckable());
        QCOMPARE(box.checkedGroups(), (QStringList{"", "0", "1", "2"}));
        box.setGroupChecked("1", false);
        box.setGroupChecked("missing", false);
        QCOMPARE(box.checkedGroups(), (QStringList{"", "0", "2"}));
    }

    void ungroupedRegisterInColumns()
    {
        Register reg("A[3];B;C;", "R");
        RegisterBox box;
        box.build(reg);
        QCOMPARE(box.groups().keys(), QStringList{""});
        QVERIFY(box.groupBox("")->title().isEmpty());
        QCOMPARE(rowsOf(box.groupBox("")).size(), 3);
        auto *single = static_cast<QGridLayout *>(box.groupBox("")->layout());
        QCOMPARE(single->rowCount(), 3); // one column: each row on its own grid line
        QCOMPARE(single->columnCount(), 1);
        QVERIFY(box.groupBox("")->minimumHeight() >= 95);

        Register five("A;B;C;D;E;", "R");
        RegisterBox columns;
        QCOMPARE(columns.columns(), 1);
        for (int refused : {0, -3}) {
            columns.setColumns(refused);
            QCOMPARE(columns.columns(), 1);
        }
        columns.setColumns(2);
        columns.build(five);
        auto *grid = static_cast<QGridLayout *>(columns.groupBox("")->layout());
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(columns.groupBox("")->minimumHeight(), 25 * 3 + 20);
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
        Register second("@field=P @bank=7;", "NEXT");
        RegisterBox box;
        build(box);
        box.build(second);
        QCOMPARE(box.groups().keys(), QStringList{"7"});
        QCOMPARE(box.widget()->findChildren<QGroupBox *>().size(), 1);
        QVERIFY(rowNamed(box, "NEXT[P]"));
        QVERIFY(!rowNamed(box, "OTP[EN]"));
    }
};

QTEST_MAIN(TestRegisterBox)
#include "tst_registerbox.moc"
