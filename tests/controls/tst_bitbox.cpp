#include "bitbox.h"
#include "checkbox.h"
#include "register.h"
#include "superbox.h"
#include "../support/tablerows.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QSettings>
#include <QTest>

using namespace CustomControls;

class TestBitBox : public QObject
{
    Q_OBJECT

private:
    static QString settingsPath() { return QDir::current().filePath("KVL52110.ini"); }

    static QPoint cellOf(const BitBox &box, int index)
    {
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        const int item = box.grid()->indexOf(box.boxes().at(index));
        box.grid()->getItemPosition(item, &row, &column, &rowSpan, &columnSpan);
        return QPoint(column, row);
    }

    // Loads the register of 100 bits whose bit 7 is red and bits 10 to 19 belong to group 3,
    // then shows it in the given view (-1: the one from the settings).
    void load(SuperBox &box, int view = -1)
    {
        box.loadRegister(m_big);
        if (view >= 0) {
            box.loadSettings(view);
            box.layout();
        }
    }

    Register m_big{"LOW[7];@field=HOT @color=red @descr=Hot bit;MID[2];@field=GRP[10] @group=3;"
                   "TOP[80]",
                   "BIG"};

private slots:
    void init() { QFile::remove(settingsPath()); }

    void bitBoxLayoutModes_data()
    {
        addRows<int, int, QPoint>({"mode", "index", "cell"}, {{BitBox::Row, 0, QPoint(1, 0)},
                                                              {BitBox::Row, 4, QPoint(5, 0)},
                                                              {BitBox::Column, 4, QPoint(0, 5)},
                                                              {BitBox::Rows8, 0, QPoint(0, 0)},
                                                              {BitBox::Rows8, 15, QPoint(7, 1)},
                                                              {4, 16, QPoint(0, 1)},
                                                              {4, 15, QPoint(15, 0)},
                                                              {2, 9, QPoint(0, 0)}});
    }

    void bitBoxLayoutModes()
    {
        QFETCH(int, mode);
        QFETCH(int, index);
        QFETCH(QPoint, cell);
        Register reg(20, "REG10");
        BitBox box;
        box.setLayoutMode(mode);
        box.setRegister(reg);
        QCOMPARE(box.boxes().first()->objectName(), QString("cbREG10_19"));
        QCOMPARE(box.boxes().at(16)->registerName(2), QString("REG10[3]"));
        QCOMPARE(cellOf(box, index), cell);
    }

    void bitBoxNewModePlacesBoxesAgain()
    {
        Register reg(4, "R");
        BitBox box;
        box.setRegister(reg);
        box.setLayoutMode(BitBox::Column);
        QCOMPARE(cellOf(box, 3), QPoint(0, 4));
        box.addBit("cbR_9");
        QCOMPARE(cellOf(box, 4), QPoint(0, 5));
        box.clear();
        QCOMPARE(box.findChildren<CheckBox *>().size(), 0);
        QCOMPARE(box.grid()->count(), 0);
        box.addBit("cbR_0");
        QCOMPARE(cellOf(box, 0), QPoint(0, 1));
    }

    void bitBoxFromFieldExpression_data()
    {
        addRows<QString, QStringList>({"expression", "names"},
                                      {{"REG[3:6]", {"cbREG_6", "cbREG_5", "cbREG_4", "cbREG_3"}},
                                       {"REG[5]", {"cbREG_5"}},
                                       {"A=5[3]", {}},
                                       {"REG", {"cbREG_0"}},
                                       {"REG[]", {}},
                                       {"REG[-2:1]", {}},
                                       {"REG[0:2147483647]", {}}});
    }

    void bitBoxFromFieldExpression()
    {
        QFETCH(QString, expression);
        QFETCH(QStringList, names);
        BitBox box;
        box.setRegister(expression);
        QStringList actual;
        for (CheckBox *cb : box.boxes())
            actual.append(cb->objectName());
        QCOMPARE(actual, names);
    }

    void settingsWrittenWhenMissing()
    {
        SuperBox box;
        // The file name keeps its case.
        QVERIFY(QDir::current().entryList(QDir::Files).contains("KVL52110.ini"));
        QSettings settings(settingsPath(), QSettings::IniFormat);
        QCOMPARE(settings.value("CONTROLS/SuperBox/BriefRows").toInt(), 40);
        QCOMPARE(settings.value("CONTROLS/SuperBox/LabelWidth").toInt(), 50);
        QCOMPARE(settings.value("CONTROLS/SuperBox/BriefCheckBoxWidth").toInt(), 120);
    }

    void settingsRead_data()
    {
        addRows<QVariant, QVariant, int, int, int>(
            {"briefRows", "labelWidth", "columns", "rows", "expectedLabelWidth"},
            {{25, 30, 5, 25, 30},
             {0, 30, 3, 40, 30},
             {-7, -1, 3, 40, 50},
             {50, 0, 3, 50, 0},
             {2147483647, 2147483647, 3, 40, 50},
             {"abc", "x", 3, 40, 50}});
    }

    void settingsRead()
    {
        QFETCH(QVariant, briefRows);
        QFETCH(QVariant, labelWidth);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, expectedLabelWidth);
        {
            QSettings settings(settingsPath(), QSettings::IniFormat);
            settings.setValue("CONTROLS/SuperBox/BriefRows", briefRows);
            settings.setValue("CONTROLS/SuperBox/LabelWidth", labelWidth);
        }
        SuperBox box;
        load(box);
        QCOMPARE(box.columns(), columns);
        QCOMPARE(box.rows(), rows);
        QCOMPARE(box.labelWidth(), expectedLabelWidth);
        QCOMPARE(box.boxWidth(), 120); // missing key: default
        QCOMPARE(box.cellLabel(0)->isHidden(), expectedLabelWidth == 0);
        QSettings settings(settingsPath(), QSettings::IniFormat); // an existing file stays
        QVERIFY(!settings.contains("CONTROLS/SuperBox/BriefCheckBoxWidth"));
    }

    void cellsAndBriefView()
    {
        SuperBox box;
        load(box);
        QCOMPARE(box.count(), 100);
        QCOMPARE(box.checkBox(7)->accessibleName(), QString("BIG[7]"));
        QCOMPARE(box.checkBox(7)->text(), QString("HOT"));
        QCOMPARE(box.checkBox(7)->toolTip(), QString("Hot bit"));
        QCOMPARE(box.cellLabel(12)->text(), QString("3.12"));
        QCOMPARE(box.cellLabel(12)->font().pointSize(), 7);
        QCOMPARE(box.cellLabel(12)->styleSheet(), QString("background-color: rgb(255, 226, 178);"));
        QCOMPARE(box.checkBox(7)->styleSheet(), QString("background-color :red;"));
        QVERIFY(box.checkBox(100) == nullptr);

        QCOMPARE(box.cellLabel(0)->geometry(), QRect(5, 0, 50, 17));
        QCOMPARE(box.checkBox(39)->geometry(), QRect(55, 18 * 39, 120, 17));
        QCOMPARE(box.checkBox(81)->geometry(), QRect(178 * 2 + 5 + 50, 18, 120, 17));
        QCOMPARE(box.content()->geometry(), QRect(0, 0, 178 * 3 + 5, 18 * 40));
        QVERIFY(!box.cellLabel(0)->isHidden());
    }

    void listAndGridViews()
    {
        SuperBox box;
        load(box, SuperBox::List);
        QCOMPARE(box.checkBox(99)->geometry(), QRect(55, 18 * 99, 500, 17));
        QCOMPARE(box.content()->geometry(), QRect(0, 0, 558 + 5, 1800));

        box.loadSettings(SuperBox::Grid);
        box.layout();
        QCOMPARE(box.rows(), 11);
        QCOMPARE(box.rowLabels().first()->text(), QString("   0:   9"));
        QCOMPARE(box.rowLabels().last()->text(), QString(" 100: 109"));
        QCOMPARE(box.rowLabels().at(2)->geometry(), QRect(5, 36, 55, 17));
        // x starts at 55; each cell adds 17, and 10 more before every fifth cell.
        QCOMPARE(box.checkBox(1)->geometry(), QRect(99, 0, 17, 17));
        QCOMPARE(box.checkBox(5)->geometry(), QRect(82 + 4 * 17 + 27, 0, 17, 17));
        QCOMPARE(box.checkBox(10)->geometry(), QRect(82, 18, 17, 17));
        QVERIFY(box.cellLabel(0)->isHidden());
        QCOMPARE(box.content()->geometry(), QRect(0, 0, 25 * 10 + 65 + 15 * 2, 18 * 11));
        box.loadSettings(7); // unknown view: nothing changes
        QCOMPARE(box.view(), int(SuperBox::Grid));

        // Back to the brief view: row labels go, cell labels return.
        box.loadSettings(SuperBox::Brief);
        box.layout();
        QVERIFY(box.rowLabels().isEmpty());
        QCOMPARE(box.content()->findChildren<QLabel *>().size(), 100);
        box.removeAll();
        QCOMPARE(box.content()->findChildren<QWidget *>().size(), 0);
    }

    void highlights()
    {
        SuperBox box;
        load(box);
        box.highlight(0, "GR");
        for (int i = 0; i < 100; ++i)
            QCOMPARE(box.checkBox(i)->isHighlighted(), i >= 10 && i < 20);
        QCOMPARE(box.checkBox(12)->styleSheet(), QString("background-color: rgb(255, 170, 0);"));
        box.highlight(1, "BIG[7]");
        QVERIFY(box.checkBox(12)->isHighlighted()); // earlier matches stay
        box.highlight(2, "BIG[8]");
        QVERIFY(!box.checkBox(8)->isHighlighted());
        box.clearHighlights();
        QCOMPARE(box.checkBox(7)->styleSheet(), QString("background-color :red;"));
        QCOMPARE(box.checkBox(12)->styleSheet(), QString("background-color :;"));

        // A right click toggles the highlight, not the check.
        auto *cell = box.checkBox(3);
        QTest::mouseClick(cell, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(cell->isHighlighted());
        QVERIFY(!cell->isChecked());
        QTest::mouseClick(cell, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!cell->isHighlighted());
    }
};

QTEST_MAIN(TestBitBox)
#include "tst_bitbox.moc"
