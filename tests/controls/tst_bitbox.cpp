#include "bitbox.h"
#include "checkbox.h"
#include "register.h"
#include "superbox.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QSettings>
#include <QTest>

using namespace CustomControls;
using Cell = SuperBox::CheckBoxForSuperBox;

class TestBitBox : public QObject
{
    Q_OBJECT

private:
    static QString settingsPath() { return QDir::current().filePath("KVL52110.ini"); }

    static void writeSettings(const QMap<QString, QVariant> &values)
    {
        QFile::remove(settingsPath());
        QSettings settings(settingsPath(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
    }

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

    // ---- bit box ----

    void bitBoxFromRegisterEightPerRow()
    {
        Register reg(16, "REG10");
        BitBox box;
        box.setLayoutMode(BitBox::Rows8);
        box.setRegister(reg);
        QCOMPARE(box.count(), 16);
        QCOMPARE(box.boxes().first()->objectName(), QString("cbREG10_15"));
        QCOMPARE(box.boxes().last()->objectName(), QString("cbREG10_0"));
        QCOMPARE(cellOf(box, 0), QPoint(0, 0)); // bit 15 top left
        QCOMPARE(cellOf(box, 7), QPoint(7, 0));
        QCOMPARE(cellOf(box, 8), QPoint(0, 1));
        QCOMPARE(cellOf(box, 15), QPoint(7, 1));
        QCOMPARE(box.grid()->rowCount(), 2);
        QCOMPARE(box.boxes().at(12)->registerName(2), QString("REG10[3]"));
    }

    void bitBoxLayoutModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("index");
        QTest::addColumn<QPoint>("cell");
        QTest::newRow("row first") << 0 << 0 << QPoint(1, 0);
        QTest::newRow("row fifth") << 0 << 4 << QPoint(5, 0);
        QTest::newRow("column first") << 1 << 0 << QPoint(0, 1);
        QTest::newRow("column fifth") << 1 << 4 << QPoint(0, 5);
        QTest::newRow("sixteen: 17th") << 4 << 16 << QPoint(0, 1);
        QTest::newRow("sixteen: 16th") << 4 << 15 << QPoint(15, 0);
        QTest::newRow("other mode") << 2 << 9 << QPoint(0, 0);
    }

    void bitBoxLayoutModes()
    {
        QFETCH(int, mode);
        QFETCH(int, index);
        QFETCH(QPoint, cell);
        Register reg(20, "R");
        BitBox box;
        box.setLayoutMode(mode);
        box.setRegister(reg);
        QCOMPARE(cellOf(box, index), cell);
    }

    void bitBoxNewModePlacesBoxesAgain()
    {
        Register reg(4, "R");
        BitBox box;
        box.setRegister(reg);
        QCOMPARE(cellOf(box, 3), QPoint(4, 0));
        box.setLayoutMode(BitBox::Column);
        QCOMPARE(cellOf(box, 3), QPoint(0, 4));
        box.addBit("cbR_9");
        QCOMPARE(cellOf(box, 4), QPoint(0, 5));
    }

    void bitBoxFromFieldExpression_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("range reversed")
            << "REG[3:6]" << QStringList{"cbREG_6", "cbREG_5", "cbREG_4", "cbREG_3"};
        QTest::newRow("range") << "REG[7:6]" << QStringList{"cbREG_7", "cbREG_6"};
        QTest::newRow("single bit") << "REG[5]" << QStringList{"cbREG_5"};
        QTest::newRow("invalid") << "A=5[3]" << QStringList{};
        QTest::newRow("no bracket: bit 0") << "REG" << QStringList{"cbREG_0"};
        QTest::newRow("empty bracket: no bits") << "REG[]" << QStringList{};
        QTest::newRow("negative bound") << "REG[-2:1]" << QStringList{};
        QTest::newRow("beyond all-bits bound") << "REG[0:2147483647]" << QStringList{};
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

    void bitBoxWithoutBitsAndCleared()
    {
        Register empty(QString(), "EMPTY");
        Register refused("NAME[]", "REFUSED"); // an empty bracket creates no bits
        BitBox box;
        box.setRegister(empty);
        box.setRegister(refused);
        QCOMPARE(refused.size(), 0);
        QCOMPARE(box.count(), 0);
        QCOMPARE(box.grid()->count(), 0);

        Register reg(8, "R");
        box.setRegister(reg);
        QCOMPARE(box.count(), 8);
        box.clear();
        QCOMPARE(box.count(), 0);
        QCOMPARE(box.findChildren<CheckBox *>().size(), 0);
        QCOMPARE(box.grid()->count(), 0);
        box.addBit("cbR_0");
        QCOMPARE(cellOf(box, 0), QPoint(1, 0));
    }

    // ---- super box settings ----

    void settingsWrittenWhenMissing()
    {
        QVERIFY(!QFile::exists(settingsPath()));
        SuperBox box;
        // The file name keeps its case.
        QVERIFY(QDir::current().entryList(QDir::Files).contains("KVL52110.ini"));
        QVERIFY(!QDir::current().entryList(QDir::Files).contains("kvl52110.ini"));
        QSettings settings(settingsPath(), QSettings::IniFormat);
        QCOMPARE(settings.value("CONTROLS/SuperBox/BriefRows").toInt(), 40);
        QCOMPARE(settings.value("CONTROLS/SuperBox/LabelWidth").toInt(), 50);
        QCOMPARE(settings.value("CONTROLS/SuperBox/BriefCheckBoxWidth").toInt(), 120);
        QCOMPARE(box.view(), int(SuperBox::Brief));
        QCOMPARE(box.labelWidth(), 50);
        QCOMPARE(box.boxWidth(), 120);
    }

    void settingsRead_data()
    {
        QTest::addColumn<QVariant>("briefRows");
        QTest::addColumn<QVariant>("labelWidth");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("expectedLabelWidth");
        QTest::newRow("custom") << QVariant(25) << QVariant(30) << 5 << 25 << 30;
        QTest::newRow("zero rows") << QVariant(0) << QVariant(30) << 3 << 40 << 30;
        QTest::newRow("negative") << QVariant(-7) << QVariant(-1) << 3 << 40 << 50;
        QTest::newRow("zero label width") << QVariant(50) << QVariant(0) << 3 << 50 << 0;
        QTest::newRow("too large") << QVariant(2147483647) << QVariant(2147483647) << 3 << 40 << 50;
        QTest::newRow("not numbers") << QVariant("abc") << QVariant("x") << 3 << 40 << 50;
    }

    void settingsRead()
    {
        QFETCH(QVariant, briefRows);
        QFETCH(QVariant, labelWidth);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, expectedLabelWidth);
        writeSettings({{"CONTROLS/SuperBox/BriefRows", briefRows},
                       {"CONTROLS/SuperBox/LabelWidth", labelWidth}});
        SuperBox box;
        load(box);
        QCOMPARE(box.columns(), columns);
        QCOMPARE(box.rows(), rows);
        QCOMPARE(box.labelWidth(), expectedLabelWidth);
        QCOMPARE(box.boxWidth(), 120); // missing key: default
        QCOMPARE(box.cellLabel(0)->isHidden(), expectedLabelWidth == 0);
        // An existing file is left as it is.
        QSettings settings(settingsPath(), QSettings::IniFormat);
        QVERIFY(!settings.contains("CONTROLS/SuperBox/BriefCheckBoxWidth"));
    }

    // ---- super box views ----

    void cellsFromRegister()
    {
        SuperBox box;
        load(box);
        QCOMPARE(box.count(), 100);
        QCOMPARE(box.checkBox(7)->accessibleName(), QString("BIG[7]"));
        QCOMPARE(box.checkBox(7)->text(), QString("HOT"));
        QCOMPARE(box.checkBox(7)->toolTip(), QString("Hot bit"));
        QCOMPARE(box.checkBox(7)->registerName(2), QString("BIG[7]"));
        QCOMPARE(box.checkBox(7)->type(), 1);
        QCOMPARE(box.cellLabel(0)->text(), QString("0.0"));
        QCOMPARE(box.cellLabel(12)->text(), QString("3.12"));
        QCOMPARE(box.cellLabel(12)->font().pointSize(), 7);
        QCOMPARE(box.cellLabel(12)->styleSheet(), QString("background-color: rgb(255, 226, 178);"));
        QCOMPARE(box.styleSheet(), QString("background-color: rgb(255, 252, 235);"));
        QVERIFY(box.checkBox(0)->styleSheet().isEmpty());
        QCOMPARE(box.checkBox(7)->styleSheet(), QString("background-color :red;"));
        QCOMPARE(box.checkBox(99)->accessibleName(), QString("BIG[99]"));
        QVERIFY(box.checkBox(100) == nullptr);
    }

    void briefView()
    {
        SuperBox box;
        load(box);
        QCOMPARE(box.columns(), 3);
        QCOMPARE(box.rows(), 40);
        QCOMPARE(box.cellLabel(0)->geometry(), QRect(5, 0, 50, 17));
        QCOMPARE(box.checkBox(0)->geometry(), QRect(55, 0, 120, 17));
        QCOMPARE(box.checkBox(39)->geometry(), QRect(55, 18 * 39, 120, 17));
        QCOMPARE(box.cellLabel(40)->geometry(), QRect(183, 0, 50, 17));
        QCOMPARE(box.checkBox(81)->geometry(), QRect(178 * 2 + 5 + 50, 18, 120, 17));
        QCOMPARE(box.content()->geometry(), QRect(0, 0, 178 * 3 + 5, 18 * 40));
        QVERIFY(box.rowLabels().isEmpty());
        QVERIFY(!box.cellLabel(0)->isHidden());
    }

    void listView()
    {
        SuperBox box;
        load(box, SuperBox::List);
        QCOMPARE(box.columns(), 1);
        QCOMPARE(box.rows(), 100);
        QCOMPARE(box.checkBox(99)->geometry(), QRect(55, 18 * 99, 500, 17));
        QCOMPARE(box.content()->geometry(), QRect(0, 0, 558 + 5, 1800));
    }

    void gridView()
    {
        SuperBox box;
        load(box, SuperBox::Grid);
        QCOMPARE(box.view(), int(SuperBox::Grid));
        QCOMPARE(box.columns(), 10);
        QCOMPARE(box.rows(), 11);
        QCOMPARE(box.rowLabels().size(), 11);
        QCOMPARE(box.rowLabels().first()->text(), QString("   0:   9"));
        QCOMPARE(box.rowLabels().at(1)->text(), QString("  10:  19"));
        QCOMPARE(box.rowLabels().last()->text(), QString(" 100: 109"));
        QCOMPARE(box.rowLabels().at(2)->geometry(), QRect(5, 36, 55, 17));
        // x starts at 55; each cell adds 17, and 10 more before every fifth cell.
        QCOMPARE(box.checkBox(0)->geometry(), QRect(82, 0, 17, 17));
        QCOMPARE(box.checkBox(1)->geometry(), QRect(99, 0, 17, 17));
        QCOMPARE(box.checkBox(5)->geometry(), QRect(82 + 4 * 17 + 27, 0, 17, 17));
        QCOMPARE(box.checkBox(10)->geometry(), QRect(82, 18, 17, 17));
        QCOMPARE(box.checkBox(99)->geometry().top(), 18 * 9);
        QVERIFY(box.cellLabel(0)->isHidden());
        QCOMPARE(box.content()->geometry(), QRect(0, 0, 25 * 10 + 65 + 15 * 2, 18 * 11));

        // Back to the brief view: row labels go, cell labels return.
        box.loadSettings(SuperBox::Brief);
        box.layout();
        QVERIFY(box.rowLabels().isEmpty());
        QVERIFY(!box.cellLabel(0)->isHidden());
        QCOMPARE(box.content()->findChildren<QLabel *>().size(), 100);
    }

    void unknownViewChangesNothing()
    {
        SuperBox box;
        box.loadSettings(SuperBox::Grid);
        box.loadSettings(7);
        QCOMPARE(box.view(), int(SuperBox::Grid));
        QCOMPARE(box.boxWidth(), 17);
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
        QVERIFY(box.checkBox(7)->isHighlighted());
        QVERIFY(box.checkBox(12)->isHighlighted()); // earlier matches stay
        box.highlight(2, "BIG[8]");
        QVERIFY(!box.checkBox(8)->isHighlighted());
        box.clearHighlights();
        QVERIFY(!box.checkBox(7)->isHighlighted());
        QCOMPARE(box.checkBox(7)->styleSheet(), QString("background-color :red;"));
        QCOMPARE(box.checkBox(12)->styleSheet(), QString("background-color :;"));
    }

    void rightClickToggles()
    {
        SuperBox box;
        load(box);
        Cell *cell = box.checkBox(3);
        QTest::mouseClick(cell, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(cell->isHighlighted());
        QVERIFY(!cell->isChecked());
        QTest::mouseClick(cell, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!cell->isHighlighted());
    }

    void removeAll()
    {
        SuperBox box;
        load(box, SuperBox::Grid);
        box.removeAll();
        QCOMPARE(box.count(), 0);
        QVERIFY(box.rowLabels().isEmpty());
        QCOMPARE(box.content()->findChildren<QWidget *>().size(), 0);
    }
};

QTEST_MAIN(TestBitBox)
#include "tst_bitbox.moc"
