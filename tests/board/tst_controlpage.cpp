// The "Control registers" page of the board form: census, register grid, combo lists and
// values, bulk-write texts, binding uniqueness, sizes and the edits' sheets in the form file.
#include "formhost.h"
#include "formsheets.h"
#include "pagecensus.h"
#include "tablerows.h"

#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QTest>
#include <QXmlStreamReader>

using namespace CustomControls;

namespace
{

const QString Edit = QStringLiteral("CustomControls::LineEdit");
const QString Button = QStringLiteral("CustomControls::PushButton");
const QString Check = QStringLiteral("CustomControls::CheckBox");
const QString Combo = QStringLiteral("CustomControls::ComboBox");
const QString DarkSmall = QStringLiteral("PushButtonStyle dark small");
// A bound edit marks itself edited with this sheet (replacing its own) whenever its text
// changes, and the form's own setText counts; the form file's sheet is checked separately.
const QString EditedSheet = QStringLiteral("color:blue;");

// clang-format off
const QStringList ServiceItems = {"0. Direct", "1. OPEN clear"};
const QStringList AdcSelItems = {"0. ADC0", "1. ADC1", "2. ADC2"};
const QStringList ConfSelItems = {
    "0. 12x PWM channels",           "1. 9x PWM channels (PWM 1=2)",
    "2. 6x PWM channels (PWM 1=2 & 3=4)", "3. 9x PWM channels (PWM 2=3)",
    "4. 9x PWM channels (PWM 3=4)",  "5. 6x PWM channels (PWM 1=4 & 2=3)",
    "6. 9x PWM channels (PWM 1=4)",  "7. 12x PWM channels"};
const QStringList DimFreqItems = {
    "0. 125.00 kHz",  "1. 133.33 kHz",  "2. 142.86 kHz",  "3. 152.85 kHz",  "4. 166.67 kHz",
    "5. 181.82 kHz",  "6. 200.00 kHz",  "7. 222.22 kHz",  "8. 250.00 kHz",  "9. 266.67 kHz",
    "10. 285.71 kHz", "11. 307.69 kHz", "12. 333.33 kHz", "13. 363.64 kHz", "14. 400.00 kHz",
    "15. 444.44 kHz", "16. 500.00 kHz", "17. 571.43 kHz", "18. 666.67 kHz", "19. 800.00 kHz",
    "20. 1000.00 kHz"};
// clang-format on

QStringList clearItems()
{
    QStringList items = {"0. N/A"};
    for (int k = 1; k <= 12; ++k)
        items << QStringLiteral("%1. Clear SW%1").arg(k);
    return items;
}

// One register box of the grid in creation order: its number, its object name and its
// children, each "object name, role" with the role ON, OFF or TR (label or edit, told apart by
// the name) or Read or Write.
struct RegisterBox {
    int n;
    const char *box;
    const char *children[8];
};

// clang-format off
const RegisterBox registerBoxes[] = {
    {1, "grI2C_EEPROM_31", {"leR_BANK_SA_11 TR", "label_129 TR", "btWriteEEPROM_21 Read",
        "btWriteEEPROM_20 Write", "leR_BANK_SA_2 ON", "label_84 ON", "label_107 OFF",
        "leR_BANK_SA_38 OFF"}},
    {3, "grI2C_EEPROM_27", {"leR_BANK_SA_99 ON", "leR_BANK_SA_45 TR", "label_220 TR",
        "btWriteEEPROM_25 Read", "btWriteEEPROM_24 Write", "leR_BANK_SA_98 OFF", "label_218 ON",
        "label_219 OFF"}},
    {9, "grI2C_EEPROM_33", {"leR_BANK_SA_130 ON", "label_238 TR", "leR_BANK_SA_128 TR",
        "btWriteEEPROM_37 Read", "btWriteEEPROM_36 Write", "leR_BANK_SA_129 OFF", "label_236 ON",
        "label_237 OFF"}},
    {11, "grI2C_EEPROM_36", {"leR_BANK_SA_139 ON", "leR_BANK_SA_137 TR", "label_247 TR",
        "btWriteEEPROM_43 Read", "btWriteEEPROM_42 Write", "leR_BANK_SA_138 OFF", "label_245 ON",
        "label_246 OFF"}},
    {4, "grI2C_EEPROM_28", {"leR_BANK_SA_115 ON", "leR_BANK_SA_100 TR", "label_223 TR",
        "btWriteEEPROM_27 Read", "btWriteEEPROM_26 Write", "leR_BANK_SA_114 OFF", "label_222 OFF",
        "label_221 ON"}},
    {6, "grI2C_EEPROM_30", {"leR_BANK_SA_119 TR", "label_229 TR", "btWriteEEPROM_31 Read",
        "btWriteEEPROM_30 Write", "leR_BANK_SA_121 ON", "leR_BANK_SA_120 OFF", "label_227 ON",
        "label_228 OFF"}},
    {2, "grI2C_EEPROM_26", {"leR_BANK_SA_44 ON", "leR_BANK_SA_43 OFF", "leR_BANK_SA_42 TR",
        "btWriteEEPROM_23 Read", "label_217 TR", "label_216 OFF", "btWriteEEPROM_22 Write",
        "label_142 ON"}},
    {10, "grI2C_EEPROM_34", {"leR_BANK_SA_133 ON", "leR_BANK_SA_131 TR", "label_241 TR",
        "btWriteEEPROM_39 Read", "btWriteEEPROM_38 Write", "leR_BANK_SA_132 OFF", "label_240 OFF",
        "label_239 ON"}},
    {5, "grI2C_EEPROM_29", {"btWriteEEPROM_29 Read", "label_225 OFF", "btWriteEEPROM_28 Write",
        "label_226 TR", "label_224 ON", "leR_BANK_SA_116 TR", "leR_BANK_SA_118 ON",
        "leR_BANK_SA_117 OFF"}},
    {12, "grI2C_EEPROM_35", {"leR_BANK_SA_136 ON", "leR_BANK_SA_134 TR", "label_244 TR",
        "btWriteEEPROM_41 Read", "btWriteEEPROM_40 Write", "leR_BANK_SA_135 OFF", "label_243 OFF",
        "label_242 ON"}},
    {7, "grI2C_EEPROM_39", {"leR_BANK_SA_122 TR", "label_232 TR", "btWriteEEPROM_33 Read",
        "btWriteEEPROM_32 Write", "leR_BANK_SA_124 ON", "leR_BANK_SA_123 OFF", "label_230 ON",
        "label_231 OFF"}},
    {8, "grI2C_EEPROM_32", {"leR_BANK_SA_127 ON", "leR_BANK_SA_125 TR", "label_235 TR",
        "btWriteEEPROM_35 Read", "btWriteEEPROM_34 Write", "leR_BANK_SA_126 OFF", "label_234 OFF",
        "label_233 ON"}},
};
// clang-format on

const char *const fields[3] = {"ON", "OFF", "TR"};

CensusRow boxChildRow(const QString &child, const QString &n)
{
    const QString name = child.section(' ', 0, 0);
    const QString role = child.section(' ', 1);
    if (role == QLatin1String("Read") || role == QLatin1String("Write"))
        return {name, Button, role + "_REG_" + n + "()", role, DarkSmall};
    if (name.startsWith(QLatin1String("label")))
        return {name, "QLabel", "", role + n, ""};
    return {name, Edit, "BANK[" + role + n + "]", "15", EditedSheet};
}

void addRegisterBox(QList<CensusRow> &table, const RegisterBox &box)
{
    const QString n = QString::number(box.n);
    table << CensusRow{box.box, "QGroupBox", "", "Register " + n, ""};
    for (const char *child : box.children)
        table << boxChildRow(QLatin1String(child), n);
}

void addTopRows(QList<CensusRow> &table)
{
    table << CensusRow{"control", "QWidget", "", "Control registers", ""}
          << CensusRow{"grI2C_EEPROM_18", "QGroupBox", "", "Slave Address", ""}
          << CensusRow{"label_139", "QLabel", "", "SA", ""}
          << CensusRow{"leW_BANK_SA_2", Edit, "SA", "15", EditedSheet}
          << CensusRow{"cbBroadcast", Check, "BROADCAST", "Broadcast", ""}
          << CensusRow{"btWriteEEPROM_48", Button, "Read_all1()", "Read All",
                       "PushButtonStyle dark large"}
          << CensusRow{"btWriteEEPROM_49", Button, "Write_all()", "Write All",
                       "PushButtonStyle dark large"}
          << CensusRow{"grI2C_EEPROM_10", "QGroupBox", "", "Register Bank", ""}
          << CensusRow{"label_54", "QLabel", "", "Register bank - write", ""};
}

void addRegister0Rows(QList<CensusRow> &table)
{
    table << CensusRow{"grI2C_EEPROM_25", "QGroupBox", "", "Register 0", ""}
          << CensusRow{"label_33", "QLabel", "", "Check to CLOSE switch", ""}
          << CensusRow{"frame_reg0sw", "QFrame", "", "", ""};
    for (int k = 1; k <= 12; ++k)
        table << CensusRow{QStringLiteral("cb_sw%1").arg(k), Check,
                           QStringLiteral("BANK[SW%1]").arg(k), QStringLiteral("SW%1").arg(k), ""};
    table << CensusRow{"label_34", "QLabel", "", "Service", ""}
          << CensusRow{"comboBox", Combo, "BANK[SERVICE]", ServiceItems.join('|'), ""}
          << CensusRow{"label_35", "QLabel", "", "SW_SEL", ""}
          << CensusRow{"cb_opnclr", Combo, "BANK[11:0]", clearItems().join('|'), ""}
          << CensusRow{"btWriteEEPROM_19", Button, "Read_REG_0()", "Read", DarkSmall}
          << CensusRow{"btWriteEEPROM_18", Button, "Write_REG_0()", "Write", DarkSmall};
}

void addLowerRows(QList<CensusRow> &table)
{
    table << CensusRow{"pushButton_2", Button, "RoofPattern", "Fill with Roof Pattern",
                       "PushButtonStyle dark 130"}
          << CensusRow{"grI2C_EEPROM_37", "QGroupBox", "", "Register 13", ""}
          << CensusRow{"leR_BANK_SA_41", Edit, "BANK[TW_CODE]", "15", EditedSheet}
          << CensusRow{"cmREG0D_3_3", Combo, "BANK[ADC_SEL]", AdcSelItems.join('|'), ""}
          << CensusRow{"label_138", "QLabel", "", "TW_CODE[7:0]", ""}
          << CensusRow{"label_124", "QLabel", "", "ADC_SEL", ""}
          << CensusRow{"cbREG0D_2", Check, "BANK[MAPENA]", "MAPENA", ""}
          << CensusRow{"btWriteEEPROM_45", Button, "Write_REG_13()", "Write", DarkSmall}
          << CensusRow{"cbREG0D_3", Check, "BANK[CRC_CLR]", "CRC_CLR", ""}
          << CensusRow{"btWriteEEPROM_44", Button, "Read_REG_13()", "Read", DarkSmall}
          << CensusRow{"grI2C_EEPROM_38", "QGroupBox", "", "Register 14", ""}
          << CensusRow{"cmREG0E_2_1", Combo, "BANK[CONF_SEL]", ConfSelItems.join('|'), ""}
          << CensusRow{"cmREG0E_7_4", Combo, "BANK[DIMFREQ]", DimFreqItems.join('|'), ""}
          << CensusRow{"label_167", "QLabel", "", "CONF_SEL[2:0]", ""}
          << CensusRow{"btWriteEEPROM_47", Button, "Write_REG_14()", "Write", DarkSmall}
          << CensusRow{"label_168", "QLabel", "", "DIMFREQ[4:0]", ""}
          << CensusRow{"cbREG0E_13", Check, "BANK[T1_CONF]", "T1_CONF", ""}
          << CensusRow{"btWriteEEPROM_46", Button, "Read_REG_14()", "Read", DarkSmall}
          << CensusRow{"groupBox_3", "QGroupBox", "", "Bulk Write to single / multiple device(s)",
                       ""}
          << CensusRow{"label_37", "QLabel", "", "Address List", ""}
          << CensusRow{"leAddessBox", "QLineEdit", "", "", "LineEditStyle"}
          << CensusRow{"label_38", "QLabel", "",
                       "Leave List blank to use current Slave Address or\n"
                       "Specify multiple addresses separeted by semicolon (example: 1;5;9).\n"
                       "Choose Broadcast option to Write to all connected devices.",
                       ""}
          << CensusRow{"chbMAPENA", "QCheckBox", "",
                       "Send Broadcast MAPENA once Write operation is complete", ""}
          << CensusRow{"pbWriteOnOff", Button, "Write_on_off()", "Write ON-OFF times",
                       "PushButtonStyle dark 150"};
}

QList<CensusRow> censusTable()
{
    QList<CensusRow> table;
    addTopRows(table);
    addRegister0Rows(table);
    for (const RegisterBox &box : registerBoxes)
        addRegisterBox(table, box);
    addLowerRows(table);
    return table;
}

// Where a widget stands in a grid layout.
struct Cell {
    int row = -1;
    int column = -1;
    int rowSpan = 0;
    int columnSpan = 0;
};

Cell cellOf(QGridLayout *grid, QWidget *widget)
{
    Cell cell;
    const int index = grid->indexOf(widget);
    if (index >= 0)
        grid->getItemPosition(index, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
    return cell;
}

// The widget of a box's grid whose text (label) or accessible name (bound widget) is key.
QWidget *findInGrid(QGridLayout *grid, const QString &key)
{
    for (int i = 0; i < grid->count(); ++i) {
        QWidget *widget = grid->itemAt(i)->widget();
        if (widget && (PageCensus::textOf(widget) == key || widget->accessibleName() == key))
            return widget;
    }
    return nullptr;
}

// Style sheets that the form file gives the line edits of the page, by object name.
QMap<QString, QString> editSheetsInFormFile()
{
    QFile file(qEnvironmentVariable("KVL_SOURCE_DIR") + QStringLiteral("/board/board.ui"));
    QMap<QString, QString> sheets;
    if (!file.open(QIODevice::ReadOnly))
        return sheets;
    QXmlStreamReader xml(&file);
    QStringList widgets; // the enclosing widgets' "class name" pairs
    bool onPage = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("widget")) {
            const QString name = xml.attributes().value("name").toString();
            onPage = onPage || name == QLatin1String("control");
            widgets << xml.attributes().value("class").toString() + ' ' + name;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("widget")) {
            if (widgets.takeLast().endsWith(QLatin1String(" control")))
                onPage = false;
        } else if (onPage && xml.isStartElement() && xml.name() == QLatin1String("property") &&
                   xml.attributes().value("name") == QLatin1String("styleSheet") &&
                   widgets.last().startsWith(Edit + ' ')) {
            xml.readNextStartElement();
            sheets.insert(widgets.last().section(' ', 1), xml.readElementText());
        }
    }
    return sheets;
}

} // namespace

class tst_ControlPage : public QObject
{
    Q_OBJECT
private slots:
    void census();
    void registerGrid();
    void register0Switches();
    void registers13And14();
    void comboLists_data();
    void comboLists();
    void comboValues_data();
    void comboValues();
    void bulkWriteTexts();
    void bankBindingsUnique();
    void sizes_data();
    void sizes();
    void fonts();
    void editSheetsInForm();

private:
    void checkRegisterBox(QLayoutItem *item, int n);

    FormHost m_host;
};

void tst_ControlPage::census()
{
    const PageCensus census(m_host.page("control"));
    const QList<CensusRow> table = censusTable();
    const QStringList problems = census.compare(table);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    // The table lists the widgets in creation order, which is the page's tree order.
    QStringList created;
    QStringList listed;
    for (const QWidget *widget : census.widgets())
        created << widget->objectName();
    for (const CensusRow &row : table)
        listed << row.name;
    QCOMPARE(created, listed);
    QCOMPARE(census.widgetCount(), 162);
    QCOMPARE(census.layoutCount(), 32);
    QCOMPARE(census.spacerCount(), 15);
    QCOMPARE(census.boundClassCount(), 93);
    QCOMPARE(census.boundWithBindingCount(), 93);
    const QMap<QString, int> layouts = {
        {"QFormLayout", 1}, {"QGridLayout", 16}, {"QHBoxLayout", 10}, {"QVBoxLayout", 5}};
    QCOMPARE(census.layoutClasses(), layouts);
    QCOMPARE(m_host.ui.tabWidget->indexOf(m_host.page("control")), 1);
}

// Every cell of the register grid holds the box of register 2 * column + row + 1, with its
// three fields beside their labels and the Read button above the Write button.
void tst_ControlPage::registerGrid()
{
    QGridLayout *grid = m_host.ui.gridLayout_2;
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->columnCount(), 6);
    QCOMPARE(grid->count(), 12);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 6; ++column)
            checkRegisterBox(grid->itemAtPosition(row, column), 2 * column + row + 1);
}

void tst_ControlPage::checkRegisterBox(QLayoutItem *item, int n)
{
    const QString number = QString::number(n);
    QVERIFY(item);
    auto *box = qobject_cast<QGroupBox *>(item->widget());
    QVERIFY(box);
    QCOMPARE(box->title(), "Register " + number);
    QCOMPARE(box->minimumHeight(), 180);
    QCOMPARE(box->maximumWidth(), 130);
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    QVERIFY(grid);
    QCOMPARE(grid->count(), 8);
    QCOMPARE(box->findChildren<LineEdit *>().size(), 3);
    int above = -1;
    for (const char *field : fields) {
        QWidget *label = findInGrid(grid, field + number);
        QWidget *edit = findInGrid(grid, QStringLiteral("BANK[%1%2]").arg(field, number));
        QVERIFY2(label && edit, qPrintable(field + number));
        QVERIFY(qobject_cast<LineEdit *>(edit));
        const Cell labelCell = cellOf(grid, label);
        const Cell editCell = cellOf(grid, edit);
        QCOMPARE(labelCell.column, 0);
        QCOMPARE(editCell.column, 1);
        QCOMPARE(editCell.row, labelCell.row);
        QVERIFY(labelCell.row > above);
        above = labelCell.row;
    }
    for (const char *command : {"Read", "Write"}) {
        auto *button = qobject_cast<PushButton *>(
            findInGrid(grid, QStringLiteral("%1_REG_%2()").arg(command, number)));
        QVERIFY(button);
        QCOMPARE(button->text(), QLatin1String(command));
        const Cell cell = cellOf(grid, button);
        QVERIFY(cell.row > above);
        QCOMPARE(cell.column, 0);
        QCOMPARE(cell.columnSpan, 3);
        above = cell.row;
    }
}

// The twelve switches stand in one column with a fixed 25-pixel margin on either side;
// below them the two combos, then Read above Write.
void tst_ControlPage::register0Switches()
{
    const Ui::Board &ui = m_host.ui;
    QGridLayout *grid = ui.gridLayout_28;
    for (int k = 1; k <= 12; ++k) {
        auto *box = ui.frame_reg0sw->findChild<CheckBox *>(QStringLiteral("cb_sw%1").arg(k));
        QVERIFY(box);
        const Cell cell = cellOf(grid, box);
        QCOMPARE(cell.row, k - 1);
        QCOMPARE(cell.column, 1);
    }
    for (int column : {0, 2}) {
        QLayoutItem *item = grid->itemAtPosition(4, column);
        QVERIFY(item && item->spacerItem());
        QCOMPARE(item, grid->itemAtPosition(5, column));
        QCOMPARE(item->sizeHint(), QSize(25, 20));
        QCOMPARE(item->spacerItem()->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    }
    QCOMPARE(ui.formLayout->itemAt(0, QFormLayout::FieldRole)->widget(), ui.comboBox);
    QCOMPARE(ui.formLayout->itemAt(1, QFormLayout::FieldRole)->widget(), ui.cb_opnclr);
    QCOMPARE(ui.formLayout->itemAt(1, QFormLayout::LabelRole)->widget(), ui.label_35);
    QVERIFY(ui.verticalLayout_22->indexOf(ui.btWriteEEPROM_19) <
            ui.verticalLayout_22->indexOf(ui.btWriteEEPROM_18));
    QVERIFY(ui.frame_reg0sw->isEnabled());
}

// Registers 13 and 14 create Write before Read, yet Read stands above Write.
void tst_ControlPage::registers13And14()
{
    const Ui::Board &ui = m_host.ui;
    const struct {
        QGroupBox *box;
        QGridLayout *grid;
        QWidget *read;
        QWidget *write;
        int columns;
    } boxes[] = {
        {ui.grI2C_EEPROM_37, ui.gridLayout_59, ui.btWriteEEPROM_44, ui.btWriteEEPROM_45, 3},
        {ui.grI2C_EEPROM_38, ui.gridLayout_60, ui.btWriteEEPROM_46, ui.btWriteEEPROM_47, 2}};
    for (const auto &b : boxes) {
        const QObjectList children = b.box->children();
        QVERIFY(children.indexOf(b.write) < children.indexOf(b.read));
        QCOMPARE(cellOf(b.grid, b.read).row, 4);
        QCOMPARE(cellOf(b.grid, b.write).row, 5);
        QCOMPARE(cellOf(b.grid, b.read).columnSpan, b.columns);
    }
    QCOMPARE(cellOf(ui.gridLayout_59, ui.leR_BANK_SA_41).column, 2);
    QCOMPARE(cellOf(ui.gridLayout_59, ui.label_138).columnSpan, 2);
    QCOMPARE(cellOf(ui.gridLayout_60, ui.cbREG0E_13).row, 3);
    QCOMPARE(ui.gridLayout_60->itemAtPosition(2, 0), nullptr);
    QCOMPARE(ui.gridLayout_60->itemAtPosition(2, 1), nullptr);
    QCOMPARE(ui.horizontalLayout_44->indexOf(ui.grI2C_EEPROM_37), 0);
    QCOMPARE(ui.horizontalLayout_44->indexOf(ui.groupBox_3), 2);
}

void tst_ControlPage::comboLists_data()
{
    addRows<QString, QStringList, bool>({"name", "items", "enabled"},
                                        {{"comboBox", ServiceItems, true},
                                         {"cb_opnclr", clearItems(), false},
                                         {"cmREG0D_3_3", AdcSelItems, true},
                                         {"cmREG0E_2_1", ConfSelItems, true},
                                         {"cmREG0E_7_4", DimFreqItems, true}});
}

void tst_ControlPage::comboLists()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(bool, enabled);
    auto *combo = m_host.page("control")->findChild<ComboBox *>(name);
    QVERIFY(combo);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    QCOMPARE(shown, items);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(combo->isEnabled(), enabled);
}

// The applet moves values through the bound combo: the value is the item index, and a value
// without an item leaves no item current (the lists are not extended).
void tst_ControlPage::comboValues_data()
{
    addRows<QString, double, QString>({"name", "value", "shown"},
                                      {{"cmREG0E_7_4", 7, "7. 222.22 kHz"},
                                       {"cmREG0E_7_4", 20, "20. 1000.00 kHz"},
                                       {"cmREG0E_7_4", 3, "3. 152.85 kHz"},
                                       {"cmREG0E_7_4", 21, ""},
                                       {"cmREG0E_7_4", 31, ""},
                                       {"cmREG0D_3_3", 2, "2. ADC2"},
                                       {"cmREG0D_3_3", 3, ""},
                                       {"cmREG0E_2_1", 7, "7. 12x PWM channels"},
                                       {"comboBox", 1, "1. OPEN clear"},
                                       {"comboBox", 2, ""},
                                       {"cb_opnclr", 12, "12. Clear SW12"},
                                       {"cb_opnclr", 13, ""}});
}

void tst_ControlPage::comboValues()
{
    QFETCH(QString, name);
    QFETCH(double, value);
    QFETCH(QString, shown);
    auto *combo = m_host.page("control")->findChild<ComboBox *>(name);
    QVERIFY(combo);
    combo->setValue(value);
    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(combo->value(), shown.isEmpty() ? -1.0 : value);
    combo->setValue(0);
}

void tst_ControlPage::bulkWriteTexts()
{
    const Ui::Board &ui = m_host.ui;
    const QString tip = ui.leAddessBox->toolTip();
    QCOMPARE(tip,
             QStringLiteral("Leave blank to use curent value of Slave Address or Enter list of "
                            "addresses separated by semicolon ';' (i.e. \"1;2;3\")"));
    QCOMPARE(tip.right(8), QStringLiteral("\"1;2;3\")"));
    QCOMPARE(ui.label_38->text().count('\n'), 2);
    QCOMPARE(ui.label_38->alignment(), Qt::AlignCenter);
    QVERIFY(!ui.chbMAPENA->isChecked());
    QCOMPARE(ui.chbMAPENA->layoutDirection(), Qt::LeftToRight);
}

// Each register field of the page is bound on one widget of the whole form.
void tst_ControlPage::bankBindingsUnique()
{
    QMap<QString, int> uses;
    for (QWidget *widget : m_host.form.findChildren<QWidget *>())
        if (dynamic_cast<UniversalControl *>(widget))
            ++uses[widget->accessibleName()];
    int pageBindings = 0;
    for (QWidget *widget : m_host.page("control")->findChildren<QWidget *>()) {
        const QString binding = widget->accessibleName();
        if (!binding.startsWith(QLatin1String("BANK[")))
            continue;
        ++pageBindings;
        QVERIFY2(uses.value(binding) == 1, qPrintable(binding));
    }
    // Twelve switches, SERVICE and 11:0, three fields of twelve boxes, seven single fields.
    QCOMPARE(pageBindings, 12 + 2 + 36 + 7);
}

void tst_ControlPage::sizes_data()
{
    const int none = QWIDGETSIZE_MAX;
    addRows<QString, QSize, QSize>({"name", "minimum", "maximum"},
                                   {{"grI2C_EEPROM_18", {150, 0}, {250, none}},
                                    {"leW_BANK_SA_2", {0, 0}, {50, none}},
                                    {"btWriteEEPROM_48", {104, 34}, {none, none}},
                                    {"btWriteEEPROM_49", {104, 34}, {none, none}},
                                    {"grI2C_EEPROM_37", {220, 0}, {none, none}},
                                    {"grI2C_EEPROM_38", {0, 0}, {none, none}},
                                    {"label_138", {103, 0}, {none, none}},
                                    {"groupBox_3", {0, 0}, {none, none}},
                                    {"label_37", {80, 0}, {150, none}},
                                    {"leAddessBox", {150, 0}, {none, none}},
                                    {"pbWriteOnOff", {154, 22}, {none, none}}});
}

void tst_ControlPage::sizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    auto *widget = m_host.page("control")->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
}

void tst_ControlPage::fonts()
{
    const Ui::Board &ui = m_host.ui;
    QCOMPARE(ui.label_54->font().pointSize(), 16);
    QVERIFY(ui.btWriteEEPROM_21->font().bold());
    QCOMPARE(ui.leR_BANK_SA_2->font().family(), QStringLiteral("MS Shell Dlg 2"));
    QVERIFY(!ui.leR_BANK_SA_2->font().bold());
    QCOMPARE(ui.grI2C_EEPROM_10->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(ui.leAddessBox->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(ui.pbWriteOnOff->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
}

// The bound edits replace their sheet once their text is set, so the form file is where the
// shared sheet and the maximum length of every edit of the page are checked.
void tst_ControlPage::editSheetsInForm()
{
    const QMap<QString, QString> sheets = editSheetsInFormFile();
    const QList<LineEdit *> edits = m_host.page("control")->findChildren<LineEdit *>();
    QCOMPARE(edits.size(), 38);
    QCOMPARE(sheets.size(), edits.size());
    for (LineEdit *edit : edits) {
        QVERIFY2(sheets.value(edit->objectName()) == FormSheets::text("LineEditStyle"),
                 qPrintable(edit->objectName()));
        QCOMPARE(edit->maxLength(), 255);
        QVERIFY(!edit->autoFillBackground());
    }
}

QTEST_MAIN(tst_ControlPage)
#include "tst_controlpage.moc"
