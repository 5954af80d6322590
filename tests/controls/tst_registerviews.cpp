#include "accessiblenames.h"
#include "asnobody.h"
#include "bitbox.h"
#include "checkbox.h"
#include "lineedit.h"
#include "register.h"
#include "registerbox.h"
#include "superbox.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using namespace CustomControls;
using Row = RegisterBox::Control;

// The widgets that show a whole register: bit boxes, the super box and the register box.
class TestRegisterViews : public QObject
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

    // The register of 100 bits whose bit 7 is red and bits 10 to 19 belong to group 3.
    Register m_big{"LOW[7];@field=HOT @color=red @descr=Hot bit;MID[2];@field=GRP[10] @group=3;"
                   "TOP[80]",
                   "BIG"};

    // Bits from 0: EN (bank 0), MODE[4] = 5 (bank 0), LVL[7] = 9 (bank 1, red), FLAG (bank 1),
    // X[3] (bank 2), SPARE[2] (no bank). The register itself is blue.
    Register m_otp{"@register=OTP @color=blue;"
                   "@field=EN @bank=0 @value=1;"
                   "@field=MODE[4] @bank=0 @value=5;"
                   "@field=LVL[7] @bank=1 @color=red @value=9;"
                   "@field=FLAG @bank=1;"
                   "@field=X[3] @bank=2;"
                   "SPARE[2];",
                   "ignored"};

    static QList<Row *> rowsOf(QGroupBox *group)
    {
        QList<Row *> rows;
        auto *grid = static_cast<QGridLayout *>(group->layout());
        for (int i = 0; i < grid->count(); ++i)
            rows.append(static_cast<Row *>(grid->itemAt(i)->widget()));
        return rows;
    }

    // Each row of a group in grid order: "binding name label=value".
    static QStringList rows(QGroupBox *group)
    {
        QStringList rows;
        for (Row *row : rowsOf(group)) {
            UniversalControl *input = row->checkBox()
                                          ? static_cast<UniversalControl *>(row->checkBox())
                                          : row->numberField();
            rows.append(QString("%1 %2=%3")
                            .arg(input->registerName(2), row->label()->text())
                            .arg(input->value()));
        }
        return rows;
    }

    // The groups in the order they stand in the box.
    static QStringList groupOrder(RegisterBox &box)
    {
        QStringList order;
        QLayout *layout = box.widget()->layout();
        for (int i = 0; i < layout->count(); ++i)
            order.append(layout->itemAt(i)->widget()->property("bank").toString());
        return order;
    }

private slots:
    void init() { QFile::remove(settingsPath()); }

    // Boxes from the top bit down, placed by the layout mode (again when the mode changes); a
    // field expression names the bits, a bad or unbounded one adds none.
    void bitBox()
    {
        const std::tuple<int, int, QPoint> cases[] = {
            {BitBox::Row, 0, QPoint(1, 0)},      {BitBox::Row, 4, QPoint(5, 0)},
            {BitBox::Column, 4, QPoint(0, 5)},   {BitBox::Rows8, 0, QPoint(0, 0)},
            {BitBox::Rows8, 15, QPoint(7, 1)},   {BitBox::Rows16, 16, QPoint(0, 1)},
            {BitBox::Rows16, 15, QPoint(15, 0)}, {2, 9, QPoint(0, 0)}};
        Register reg(20, "REG10");
        for (const auto &[mode, index, cell] : cases) {
            BitBox box;
            box.setRegister(reg);
            box.setLayoutMode(mode);
            QCOMPARE(box.boxes().first()->objectName(), QString("cbREG10_19"));
            QCOMPARE(box.boxes().at(16)->registerName(2), QString("REG10[3]"));
            QCOMPARE(cellOf(box, index), cell);
        }
        BitBox box;
        box.setRegister(reg);
        box.addBit("cbR_9");
        box.setLayoutMode(BitBox::Column);
        QCOMPARE(cellOf(box, 20), QPoint(0, 21));
        box.clear();
        QCOMPARE(box.findChildren<CheckBox *>().size(), 0);
        QCOMPARE(box.grid()->count(), 0);
        box.addBit("cbR_0");
        QCOMPARE(cellOf(box, 0), QPoint(0, 1));
        for (auto [expression, names] :
             {std::pair{"REG[3:6]", QStringList{"cbREG_6", "cbREG_5", "cbREG_4", "cbREG_3"}},
              {"REG[5]", {"cbREG_5"}},
              {"REG", {"cbREG_0"}},
              {"A=5[3]", {}},
              {"REG[]", {}},
              {"REG[-2:1]", {}},
              {"REG[0:2147483647]", {}},
              {"REG[9999:10000]", {}}}) {
            BitBox fieldBox;
            fieldBox.setRegister(QString(expression));
            QStringList actual;
            for (CheckBox *cb : fieldBox.boxes())
                actual.append(cb->objectName());
            QCOMPARE(actual, names);
        }
    }

    // A missing settings file is written with the defaults (its name keeps its case); settings
    // out of range or no number fall back to the defaults, and an existing file stays.
    void superBoxSettings()
    {
        {
            SuperBox box;
            QVERIFY(QDir::current().entryList(QDir::Files).contains("KVL52110.ini"));
            QSettings settings(settingsPath(), QSettings::IniFormat);
            QCOMPARE(settings.value("CONTROLS/SuperBox/BriefRows").toInt(), 40);
            QCOMPARE(settings.value("CONTROLS/SuperBox/LabelWidth").toInt(), 50);
            QCOMPARE(settings.value("CONTROLS/SuperBox/BriefCheckBoxWidth").toInt(), 120);
        }
        const std::tuple<QVariant, QVariant, int, int, int> cases[] = {
            {25, 30, 5, 25, 30},
            {0, 30, 3, 40, 30},
            {-7, -1, 3, 40, 50},
            {50, 0, 3, 50, 0},
            {2147483647, 2147483647, 3, 40, 50},
            {"abc", "x", 3, 40, 50}};
        for (const auto &[briefRows, labelWidth, columns, rows, shownLabelWidth] : cases) {
            QFile::remove(settingsPath());
            {
                QSettings settings(settingsPath(), QSettings::IniFormat);
                settings.setValue("CONTROLS/SuperBox/BriefRows", briefRows);
                settings.setValue("CONTROLS/SuperBox/LabelWidth", labelWidth);
            }
            SuperBox box;
            box.loadRegister(m_big);
            QCOMPARE(QList<int>({box.columns(), box.rows(), box.labelWidth(), box.boxWidth()}),
                     QList<int>({columns, rows, shownLabelWidth, 120}));
            QCOMPARE(box.cellLabel(0)->isHidden(), shownLabelWidth == 0);
            QSettings settings(settingsPath(), QSettings::IniFormat);
            QVERIFY(!settings.contains("CONTROLS/SuperBox/BriefCheckBoxWidth"));
        }
        QSettings(settingsPath(), QSettings::IniFormat)
            .setValue("CONTROLS/SuperBox/BriefCheckBoxWidth", 0); // a box width of 0 is kept
        QCOMPARE(SuperBox().boxWidth(), 0);
        // A FIFO at the name is not waited for, nor replaced.
        QVERIFY(QFile::remove(settingsPath()) && ::mkfifo(qPrintable(settingsPath()), 0600) == 0);
        QCOMPARE(SuperBox().rows(), 40);
        QVERIFY(!QFileInfo(settingsPath()).isFile() && QFile::remove(settingsPath())); // the FIFO
        // A file within the bound of a few lines' file (64 KiB) is read; one byte more is not.
        for (const qint64 size : {64 * 1024, 64 * 1024 + 1}) {
            QFile file(settingsPath());
            QByteArray text = "[CONTROLS]\nSuperBox\\BriefRows=25\n";
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.write(text + QByteArray(size - text.size(), ';')) == size);
            file.close();
            if (size > 64 * 1024)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("KVL52110.ini"));
            QCOMPARE(SuperBox().rows(), size > 64 * 1024 ? 40 : 25);
        }
    }

    // A settings file that cannot be written is reported; the box still works with the defaults.
    void superBoxSettingsNotWritable()
    {
        // In /tmp: nobody must reach the folder, wherever the build tree lies (a 0700 home).
        QTemporaryDir parent("/tmp/kvl-views-XXXXXX");
        QVERIFY(QFile::setPermissions(parent.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ExeOther));
        const QString locked = parent.filePath("locked");
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner |
                                                  QFile::ReadOther | QFile::ExeOther));
        const QString home = QDir::currentPath();
        const auto back = qScopeGuard([&home]() { QDir::setCurrent(home); });
        QVERIFY(QDir::setCurrent(locked));
        AsNobody::Effective nobody; // root writes anywhere
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("cannot write the settings file .*KVL52110"));
        SuperBox box;
        box.loadRegister(m_big);
        QCOMPARE(QList<int>({box.rows(), box.labelWidth(), box.boxWidth()}),
                 QList<int>({40, 50, 120}));
        QVERIFY(!QFile::exists("KVL52110.ini"));
    }

    // A link that another user planted at the settings file's name (here leading nowhere yet)
    // is not written through; the box works with the defaults.
    void superBoxSettingsNotThroughOthersLink()
    {
        QVERIFY(QFile::link(QDir::current().filePath("chosen"), settingsPath()));
        if (!AsNobody::own(settingsPath()))
            QSKIP("needs root and the user nobody");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("KVL52110.ini is not written: .*another user"));
        QCOMPARE(SuperBox().rows(), 40);
        QVERIFY(!QFile::exists("chosen"));
        QFile::remove(settingsPath());
    }

    // Each cell shows its bit (a right click marks it); the brief view has columns of 40 labelled
    // cells, the list view one column of wide cells, the grid view rows of 10 small cells with row
    // labels.
    void superBoxViews()
    {
        SuperBox box;
        box.show(); // cells and labels made later must show themselves
        box.loadRegister(m_big);
        QCOMPARE(box.count(), 100);
        CheckBox *hot = box.checkBox(7);
        QCOMPARE(QStringList({AccessibleNames::bindingName(hot), hot->text(), hot->toolTip(),
                              hot->styleSheet()}),
                 QStringList({"BIG[7]", "HOT", "Hot bit", "background-color :red;"}));
        const QAccessibleInterface *read = QAccessible::queryAccessibleInterface(hot);
        QCOMPARE(read->text(QAccessible::Name) + '|' + read->text(QAccessible::Description),
                 QString("HOT|Hot bit")); // a screen reader reads the bit's name
        QCOMPARE(box.cellLabel(12)->text(), QString("3.12"));
        QCOMPARE(box.cellLabel(12)->font().pointSize(), 7);
        QTest::mouseClick(hot, Qt::RightButton); // a right click marks a cell, another unmarks
        QVERIFY(box.checkBox(7)->isHighlighted());
        QTest::mouseClick(hot, Qt::RightButton);
        QVERIFY(!box.checkBox(7)->isHighlighted());
        for (int outside : {-1, 100})
            QVERIFY(!box.checkBox(outside) && !box.cellLabel(outside));
        QCOMPARE(box.cellLabel(0)->geometry(), QRect(5, 0, 50, 17));
        QCOMPARE(box.content()->grab().toImage().pixelColor(1, 1), QColor(255, 252, 235)); // cream
        // x of the grid view starts at 55; each cell adds 17, and 10 more before every fifth.
        const std::tuple<int, int, QRect, QSize> cases[] = {
            {SuperBox::Brief, 39, QRect(55, 18 * 39, 120, 17), QSize(178 * 3 + 5, 18 * 40)},
            {SuperBox::Brief, 81, QRect(178 * 2 + 55, 18, 120, 17), QSize(178 * 3 + 5, 18 * 40)},
            {SuperBox::List, 99, QRect(55, 18 * 99, 500, 17), QSize(558 + 5, 1800)},
            {SuperBox::Grid, 1, QRect(99, 0, 17, 17), QSize(250 + 65 + 30, 18 * 11)},
            {SuperBox::Grid, 5, QRect(82 + 4 * 17 + 27, 0, 17, 17), QSize(345, 18 * 11)},
            {SuperBox::Grid, 10, QRect(82, 18, 17, 17), QSize(345, 18 * 11)}};
        for (const auto &[view, index, cell, content] : cases) {
            box.loadSettings(view);
            box.layout();
            QCOMPARE(box.checkBox(index)->geometry(), cell);
            QCOMPARE(box.content()->geometry(), QRect(QPoint(0, 0), content));
        }
        QCOMPARE(box.rowLabels().first()->text(), QString("   0:   9"));
        QCOMPARE(box.rowLabels().last()->text(), QString(" 100: 109"));
        QCOMPARE(box.rowLabels().at(2)->geometry(), QRect(5, 36, 55, 17));
        QVERIFY(!box.rowLabels().at(2)->isHidden() && !box.checkBox(5)->isHidden());
        QVERIFY(box.cellLabel(0)->isHidden());
        box.loadSettings(7); // unknown view: nothing changes
        QCOMPARE(box.view(), int(SuperBox::Grid));
        box.loadSettings(SuperBox::Brief); // row labels go, cell labels return
        box.layout();
        QVERIFY(box.rowLabels().isEmpty());
        QCOMPARE(box.content()->findChildren<QLabel *>().size(), 100);
        box.removeAll();
        QCOMPARE(box.content()->findChildren<QWidget *>().size(), 0);
        box.loadSettings(SuperBox::Grid); // the grid view's row labels go as well
        box.loadRegister(m_big);
        QCOMPARE(box.rowLabels().size(), 11);
        box.removeAll();
        QVERIFY(box.rowLabels().isEmpty());
        QCOMPARE(box.content()->findChildren<QWidget *>().size(), 0);
    }

    // Highlights by text (0) or binding name (1) add up; a right click toggles one, a left click
    // checks it as any check box.
    void highlights()
    {
        SuperBox box;
        box.loadRegister(m_big);
        box.highlight(0, "GR");
        for (int i = 0; i < 100; ++i)
            QCOMPARE(box.checkBox(i)->isHighlighted(), i >= 10 && i < 20);
        QCOMPARE(box.checkBox(12)->styleSheet(), QString("background-color: rgb(255, 170, 0);"));
        box.highlight(1, "BIG[7]");
        QVERIFY(box.checkBox(12)->isHighlighted() && box.checkBox(7)->isHighlighted());
        box.highlight(2, "BIG[8]");
        QVERIFY(!box.checkBox(8)->isHighlighted());
        box.clearHighlights();
        QCOMPARE(box.checkBox(7)->styleSheet(), QString("background-color :red;"));
        QCOMPARE(box.checkBox(12)->styleSheet(), QString("background-color :;"));
        auto *cell = box.checkBox(3);
        QTest::mouseClick(cell, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(cell->isHighlighted() && !cell->isChecked());
        QTest::mouseClick(cell, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!cell->isHighlighted());
        QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(5, 5)); // a left click checks it
        QVERIFY(cell->isChecked() && !cell->isHighlighted());
    }

    // One group per bank in order of appearance; a check box row per bit, a number row per
    // wider field showing the register's value (a check box row starts unchecked).
    void groupsAndRows()
    {
        RegisterBox box;
        box.build(m_otp);
        QCOMPARE(box.groups().keys(), (QStringList{"", "0", "1", "2"}));
        QCOMPARE(groupOrder(box), (QStringList{"0", "1", "2", ""}));
        QCOMPARE(rows(box.groupBox("0")), (QStringList{"OTP[EN] EN=0", "OTP[MODE] MODE[3:0]=5"}));
        QCOMPARE(rows(box.groupBox("1")), (QStringList{"OTP[LVL] LVL[6:0]=9", "OTP[FLAG] FLAG=0"}));
        QCOMPARE(rows(box.groupBox("")), QStringList{"OTP[SPARE] SPARE[1:0]=0"});
        Row *en = rowsOf(box.groupBox("0")).at(0); // a value given to a row: any but 0 checks
        for (quint32 value : {1u, 0u, 6u}) {
            en->setValue(value);
            QCOMPARE(en->checkBox()->isChecked(), value != 0);
        }
        QVERIFY(box.groupBox("0")->styleSheet().contains("stop:0.1875 blue")); // the register's
        QVERIFY(box.groupBox("0")->title().isEmpty() && box.checkedGroups().isEmpty());
        QCOMPARE(box.widget()->layout()->contentsMargins(), QMargins()); // groups edge to edge
        QVERIFY(box.widgetResizable());                                  // and as wide as the box
        // Labels are as wide as the longest "@name" entry, "SPARE[2]", and stand before the input.
        Row *mode = rowsOf(box.groupBox("0")).at(1);
        QCOMPARE(mode->numberField()->accessibleName(), QString("MODE[3:0]")); // read as labelled
        QCOMPARE(mode->label()->width(), QFontInfo(mode->label()->font()).pointSize() * 8);
        box.resize(600, 300);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(mode->numberField()->x() >= mode->label()->width());
        QVERIFY(en->checkBox()->x() >= en->label()->width());
        QCOMPARE(en->size(), en->sizeHint()); // rows keep their size in a wider box
        box.setFlags(RegisterBox::BitPositions);
        box.build(m_otp);
        QCOMPARE(rows(box.groupBox("0")) + rows(box.groupBox("1")),
                 (QStringList{"OTP[EN] EN[0]=0", "OTP[MODE] MODE[4:1]=5", "OTP[LVL] LVL[11:5]=9",
                              "OTP[FLAG] FLAG[12]=0"}));
        // A group takes its field's colour, else alternating grey and orange when asked for,
        // else the register's colour, else grey.
        const QString grey = "rgba(202, 202, 202, 162)";
        box.setFlags(RegisterBox::AlternateColours);
        box.build(m_otp);
        QCOMPARE(box.widget()->findChildren<QGroupBox *>().size(), 4); // the old groups went
        const QStringList expected{grey, "red", grey, "rgba(255, 202, 156, 162)"};
        for (int i = 0; i < 4; ++i)
            QVERIFY(box.groupBox(groupOrder(box).at(i))->styleSheet().contains(expected.at(i)));
        RegisterBox plain;
        Register reg("@field=A[2] @bank=1;", "R");
        plain.build(reg);
        QVERIFY(plain.groupBox("1")->styleSheet().contains(grey));

        // A field held outside the bits gets no row, nor does its name widen the labels.
        struct Outside : Register::Virtual {
            void setValue(quint32 value) override { m_value = value; }
        };
        QVERIFY(reg.addVirtual("A_VERY_LONG_NAME", "outside", new Outside));
        plain.build(reg);
        QCOMPARE(rows(plain.groupBox("1")), QStringList{"R[A] A[1:0]=0"});
        const QLabel *label = rowsOf(plain.groupBox("1")).first()->label();
        QCOMPARE(label->width(), QFontInfo(label->font()).pointSize() * 4); // "A[2]"
    }

    void columns()
    {
        RegisterBox box;
        box.setColumns(0); // refused, as is the next
        box.setColumns(-3);
        QCOMPARE(box.columns(), 1);
        for (auto [columns, text, shape] :
             {std::tuple{1, "A[3];B;C;", QList<int>{3, 1}}, {2, "A;B;C;D;E;", QList<int>{3, 2}}}) {
            Register reg(text, "R");
            box.setColumns(columns);
            box.build(reg);
            QCOMPARE(box.groups().keys(), QStringList{""});
            auto *grid = static_cast<QGridLayout *>(box.groupBox("")->layout());
            QCOMPARE(QList<int>({grid->rowCount(), grid->columnCount()}), shape);
            QCOMPARE(box.groupBox("")->minimumHeight(), 25 * 3 + 20);
        }
    }

    // A built box is measured once every row is in, also with groups interleaved: while hidden,
    // each group as tall as its rows ask and at its size hint, the content at its own; shown,
    // the groups stand one below the other, none shorter than its rows ask.
    void measuredOnceBuilt()
    {
        Register interleaved("@field=A @page=x;@field=B[4] @page=y;@field=C[3] @page=x;"
                             "@field=D @page=x;",
                             "R");
        for (Register *reg : {&m_otp, &interleaved}) {
            RegisterBox box;
            box.setGroupKey(reg == &m_otp ? "bank" : "page");
            box.setFlags(RegisterBox::TitledGroups);
            box.build(*reg);
            const QStringList keys = box.groups().keys();
            for (const QString &key : keys) {
                QGroupBox *group = box.groupBox(key);
                const int rows = static_cast<QGridLayout *>(group->layout())->rowCount();
                QCOMPARE(group->minimumHeight(), 25 * rows + 20);
                QCOMPARE(group->size(), group->sizeHint().expandedTo(group->minimumSize()));
            }
            QCOMPARE(box.widget()->size(), box.widget()->sizeHint());
            box.resize(300, 200);
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            int bottom = -1;
            QLayout *stack = box.widget()->layout();
            for (int i = 0; i < stack->count(); ++i) {
                const QWidget *group = stack->itemAt(i)->widget();
                QVERIFY(group->y() > bottom);
                QVERIFY(group->height() >= group->minimumHeight());
                bottom = group->geometry().bottom();
            }
            QCOMPARE(stack->count(), keys.size());
        }
    }

    void titlesCheckableGroupsAndOtherKey()
    {
        RegisterBox otp;
        otp.setFlags(RegisterBox::TitledGroups | RegisterBox::CheckableGroups);
        otp.build(m_otp);
        QCOMPARE(otp.groupBox("")->title(), QString("BANK ()"));
        QCOMPARE(otp.checkedGroups(), (QStringList{"", "0", "1", "2"}));
        otp.setGroupChecked("1", false);
        otp.setGroupChecked("missing", false);
        QCOMPARE(otp.checkedGroups(), (QStringList{"", "0", "2"}));
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
        QVERIFY(grid->itemAtPosition(0, 0) && grid->itemAtPosition(1, 0));
    }
};

QTEST_MAIN(TestRegisterViews)
#include "tst_registerviews.moc"
