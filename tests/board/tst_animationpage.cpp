// The animation page: census, widgets placed by geometry, icon buttons, spin boxes, the
// tutorial and the NTC splitters.
#include "formhost.h"
#include "pagecensus.h"

#include <QPixmap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace
{

const QStringList tutorialLines = {
    "Tutorial:",
    "1) Load CSV file (A) in the top left corner or SCRIPT (B) in the right vertical part of "
    "the \"Anmation script list\".",
    "2) Set the number of loops, delay between each step and enable buck outputs.",
    "A) Flash the data by clicking on \"Flash MCU\" and click on \"START\".",
    "B) Click on \"Start\".",
    "",
    "The animation can be pauseed by clicking on \"PAUSE\" or resume the animation by clicking "
    "on \"CONTINUE\".",
    "",
    "Custom animation list:",
    "The loaded CSV script can be added into the animation list by clicking on \"ADD ROW\". "
    "This makes set of animations which will be loaded into the MCU.",
    "",
    "Save and load custom script:",
    "The script can be saved and loaded back. Type a script name, click on \"SAVE SCRIPT\" and "
    "select thedirectory to store the script.",
    "To load the script, click on \"LOAD SCRIPT\" and select the script.",
    "",
    "The script details are available after double-clicking on the script in the \"Animation "
    "script list\".",
};

const char *const tableStyle = R"sheet(QTableView {
    selection-background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #000000, stop:1 #808080);
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #E0E0E0, stop:1 #FFFFFF);
    border: 2px solid gray;
    border-radius: 5px;
    margin-top: 1ex;
}

QTableView QTableCornerButton::section {
    background: red;
    border: 2px outset red;
}

QHeaderView::section {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #616161, stop:0.5 #505050, stop:0.6 #434343, stop:1 #656565);
    color: white;
    padding-left: 4px;
    border: 1px solid #6c6c6c;
}

QHeaderView::section:checked {
    background-color: red;
}

QHeaderView::down-arrow {
    image: url(down_arrow.png);
}

QHeaderView::up-arrow {
    image: url(up_arrow.png);
})sheet";

const char *const listStyle = R"sheet(QListView {
    alternate-background-color: yellow;
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #E0E0E0, stop:1 #FFFFFF);
    border: 2px solid gray;
    border-radius: 5px;
    margin-top: 1ex;
    show-decoration-selected: 1;
}

QListView::item:alternate {
    background: #EEEEEE;
}

QListView::item:selected {
    border: 1px solid #6a6ea9;
}

QListView::item:selected:!active {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ABAFE5, stop:1 #8588B2);
}

QListView::item:selected:active {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #6a6ea9, stop:1 #888dd9);
}

QListView::item:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FAFBFE, stop:1 #DCDEF1);
})sheet";

const char *const tutorialStyle = R"sheet(QPlainTextEdit {
    font: 10pt "Baskerville Old Face";
    color: rgb(170, 0, 0);
    border: 2px solid gray;
    border-radius: 5px;
    margin-top: 1ex;
})sheet";

// The eight icon buttons and the picture of their role.
const struct {
    const char *name;
    const char *picture;
} iconButtons[] = {
    {"pbLoadScript", "add_file"},       {"pbStartScript", "play"},    {"pbSaveScript", "save"},
    {"pbRemoveFromList", "delete_row"}, {"pbAddToList", "add_row"},   {"pbStopAnimation", "pause"},
    {"pbContinueAnimation", "next"},    {"pbStartAnimation", "play"},
};

// The NTC panes: splitter, pane, label; the device number is the index plus one.
const struct {
    const char *splitter;
    const char *pane;
    const char *label;
    int device;
} ntcPanes[] = {
    {"splitter", "layoutWidget", "label_14", 1},
    {"splitter", "layoutWidget1", "label_27", 7},
    {"splitter_2", "layoutWidget_2", "label_15", 2},
    {"splitter_2", "layoutWidget_3", "label_28", 8},
    {"splitter_3", "layoutWidget_4", "label_23", 3},
    {"splitter_3", "layoutWidget_5", "label_29", 9},
    {"splitter_4", "layoutWidget_6", "label_24", 4},
    {"splitter_4", "layoutWidget_7", "label_30", 10},
    {"splitter_5", "layoutWidget_8", "label_25", 5},
    {"splitter_5", "layoutWidget_9", "label_31", 11},
    {"splitter_6", "layoutWidget_10", "label_26", 6},
    {"splitter_6", "layoutWidget_11", "label_32", 12},
};

QString iconSheet(const char *picture)
{
    return QStringLiteral("border-image: url(:/board/images/animation/%1.png);")
        .arg(QLatin1String(picture));
}

QList<CensusRow> censusTable()
{
    const QString button = QStringLiteral("PushButtonStyle light small");
    QList<CensusRow> t;
    t << CensusRow{"animation", "QWidget", "", "Animation", ""}
      << CensusRow{"pbLoadCSV", "QPushButton", "", "Load CSV", button}
      << CensusRow{"lbCSV", "QLabel", "", "", ""}
      << CensusRow{"groupBox_5", "QGroupBox", "", "Animation script list", ""}
      << CensusRow{"tableAnimationScripts", "QTableWidget", "", "", tableStyle}
      << CensusRow{"label_13", "QLabel", "", "Script name", ""}
      << CensusRow{"label_12", "QLabel", "", "Loops", ""}
      << CensusRow{"sbScriptLoops", "QSpinBox", "", "", ""}
      << CensusRow{"leScriptName", "QLineEdit", "", "", "LineEditStyle"}
      << CensusRow{"label_11", "QLabel", "", "START", ""}
      << CensusRow{"label_19", "QLabel", "", "ADD ROW", ""}
      << CensusRow{"label_20", "QLabel", "", "Remove row", ""}
      << CensusRow{"label_21", "QLabel", "", "LOAD SCRIPT", ""}
      << CensusRow{"label_22", "QLabel", "", "SAVE SCRIPT", ""}
      << CensusRow{"groupBox_6", "QGroupBox", "", "Single CSV script", ""}
      << CensusRow{"pbSaveCSV", "QPushButton", "", "Save CSV", button}
      << CensusRow{"label_9", "QLabel", "", "Loops", ""}
      << CensusRow{"listAnimationSteps", "QListWidget", "", "", listStyle}
      << CensusRow{"lbFlashSize", "QLabel", "", "Required flash size", ""}
      << CensusRow{"sbLoops", "QSpinBox", "", "", ""}
      << CensusRow{"gbDevices", "QGroupBox", "", "Device addresses", "GroupBoxStyle"}
      << CensusRow{"sbDevices", "QSpinBox", "", "", ""}
      << CensusRow{"lbDevices", "QLabel", "", "Devices", ""}
      << CensusRow{"lbSteps", "QLabel", "", "Steps:", ""}
      << CensusRow{"lbDelay", "QLabel", "", "Delay", ""}
      << CensusRow{"pbFlashMCU", "QPushButton", "", "Flash MCU", button}
      << CensusRow{"pbAddStep", "QPushButton", "", "Add step", button}
      << CensusRow{"lbDescription", "QLabel", "", "Description", ""}
      << CensusRow{"lbUsedFlashSize", "QLabel", "", "Used flash size", ""}
      << CensusRow{"cbCheckData", "QCheckBox", "", "Check data", ""}
      << CensusRow{"sbDelay", "QSpinBox", "", "", ""}
      << CensusRow{"label_16", "QLabel", "", "START", ""}
      << CensusRow{"label_18", "QLabel", "", "PAUSE", ""}
      << CensusRow{"label_17", "QLabel", "", "CONTINUE", ""}
      << CensusRow{"plainTextEdit", "QPlainTextEdit", "", tutorialLines.join('\n'), tutorialStyle}
      << CensusRow{"groupBox_7", "QGroupBox", "", "NTC temperature", ""}
      << CensusRow{"pbReadNTCs", "QPushButton", "", "Read", button};
    for (const auto &b : iconButtons)
        t << CensusRow{b.name, "QPushButton", "", "", iconSheet(b.picture)};
    for (int s = 1; s <= 6; ++s)
        t << CensusRow{s == 1 ? QStringLiteral("splitter") : QStringLiteral("splitter_%1").arg(s),
                       "QSplitter", "", "", ""};
    for (const auto &p : ntcPanes)
        t << CensusRow{p.pane, "QWidget", "", "", ""}
          << CensusRow{p.label, "QLabel", "", QStringLiteral("Device #%1").arg(p.device), ""}
          << CensusRow{QStringLiteral("leNTC_%1").arg(p.device), "QLineEdit", "", "", ""};
    return t;
}

} // namespace

class tst_AnimationPage : public QObject
{
    Q_OBJECT
private slots:
    void census();
    void geometries_data();
    void geometries();
    void spinBoxes_data();
    void spinBoxes();
    void tutorial();
    void onlyAddStepAndSaveCsvStartDisabled();
    void iconPicturesLoad_data();
    void iconPicturesLoad();
    void captionFonts_data();
    void captionFonts();
    void scriptTableOpensNoEditor();
    void ntcSplitters_data();
    void ntcSplitters();
};

void tst_AnimationPage::census()
{
    const FormHost host;
    const PageCensus census(host.page("animation"));
    const QStringList problems = census.compare(censusTable());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(census.widgetCount(), 87);
    QCOMPARE(census.layoutCount(), 14);
    QCOMPARE(census.spacerCount(), 0);
    QCOMPARE(census.boundClassCount(), 0);
    for (const QWidget *widget : census.widgets())
        QVERIFY2(widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
    // Only the NTC group is laid out; the device group stays empty for the applet to fill.
    QVERIFY(!host.ui.animation->layout());
    QVERIFY(!host.ui.groupBox_5->layout());
    QVERIFY(!host.ui.groupBox_6->layout());
    QVERIFY(!host.ui.gbDevices->layout());
    QVERIFY(host.ui.gbDevices->findChildren<QWidget *>().isEmpty());
}

void tst_AnimationPage::geometries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("script list") << "groupBox_5"
                                 << "animation" << QRect(430, 40, 481, 361);
    QTest::newRow("single script") << "groupBox_6"
                                   << "animation" << QRect(10, 40, 411, 631);
    QTest::newRow("NTC") << "groupBox_7"
                         << "animation" << QRect(920, 440, 341, 232);
    QTest::newRow("devices") << "gbDevices"
                             << "groupBox_6" << QRect(170, 80, 141, 521);
    QTest::newRow("tutorial") << "plainTextEdit"
                              << "animation" << QRect(920, 40, 341, 381);
    QTest::newRow("table") << "tableAnimationScripts"
                           << "groupBox_5" << QRect(70, 30, 321, 300);
    QTest::newRow("device count") << "sbDevices"
                                  << "groupBox_6" << QRect(80, 50, 81, 22);
    QTest::newRow("PAUSE") << "label_18"
                           << "animation" << QRect(430, 460, 51, 20);
    QTest::newRow("CONTINUE") << "label_17"
                              << "animation" << QRect(470, 460, 93, 20);
}

void tst_AnimationPage::geometries()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    const FormHost host;
    auto *widget = host.ui.animation->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
}

void tst_AnimationPage::spinBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("delay") << "sbDelay" << 50 << 255 << " ms"
                           << "";
    QTest::newRow("loops") << "sbLoops" << 1 << 255 << ""
                           << "255 means infinite";
    QTest::newRow("list loops") << "sbScriptLoops" << 1 << 255 << ""
                                << "255 means infinite";
    QTest::newRow("devices") << "sbDevices" << 0 << 12 << ""
                             << "";
}

// Each box starts at its minimum and refuses values beyond either end.
void tst_AnimationPage::spinBoxes()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(QString, suffix);
    QFETCH(QString, toolTip);
    const FormHost host;
    auto *box = host.ui.animation->findChild<QSpinBox *>(name);
    QVERIFY(box);
    QCOMPARE(box->value(), minimum);
    box->setValue(minimum - 1);
    QCOMPARE(box->value(), minimum);
    box->setValue(maximum + 1);
    QCOMPARE(box->value(), maximum);
    QCOMPARE(box->suffix(), suffix);
    QCOMPARE(box->toolTip(), toolTip);
}

void tst_AnimationPage::tutorial()
{
    const FormHost host;
    QPlainTextEdit *text = host.ui.plainTextEdit;
    QCOMPARE(text->toPlainText().split('\n'), tutorialLines);
    QCOMPARE(text->blockCount(), 16);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->textInteractionFlags(), Qt::NoTextInteraction);
}

void tst_AnimationPage::onlyAddStepAndSaveCsvStartDisabled()
{
    const FormHost host;
    const PageCensus census(host.ui.animation);
    QStringList disabled;
    for (const QWidget *widget : census.widgets())
        if (!widget->isEnabled())
            disabled << widget->objectName();
    disabled.sort();
    QCOMPARE(disabled, QStringList({"pbAddStep", "pbSaveCSV"}));
    QVERIFY(!host.ui.cbCheckData->isChecked());
}

void tst_AnimationPage::iconPicturesLoad_data()
{
    QTest::addColumn<QString>("name");
    for (const auto &b : iconButtons)
        QTest::newRow(b.name) << b.name;
}

// The button's picture is the border image of its sheet, and it loads.
void tst_AnimationPage::iconPicturesLoad()
{
    QFETCH(QString, name);
    const FormHost host;
    auto *button = host.ui.animation->findChild<QPushButton *>(name);
    QVERIFY(button);
    static const QRegularExpression rule(QStringLiteral(R"(^border-image: url\(([^)]+)\);$)"));
    const QRegularExpressionMatch match = rule.match(button->styleSheet());
    QVERIFY2(match.hasMatch(), qPrintable(button->styleSheet()));
    const QPixmap picture(match.captured(1));
    QVERIFY2(!picture.isNull(), qPrintable(match.captured(1)));
    if (name == QLatin1String("pbAddToList"))
        QCOMPARE(button->iconSize(), QSize(32, 32));
}

void tst_AnimationPage::captionFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pointSize"); // 0: no size of its own
    for (const char *name :
         {"label_11", "label_21", "label_22", "label_16", "label_18", "label_17"})
        QTest::newRow(name) << name << 0;
    QTest::newRow("label_19") << "label_19" << 8;
    QTest::newRow("label_20") << "label_20" << 8;
}

// Bold "MS PGothic" captions, centred; only the two small ones set a size.
void tst_AnimationPage::captionFonts()
{
    QFETCH(QString, name);
    QFETCH(int, pointSize);
    const FormHost host;
    auto *label = host.ui.animation->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().families().value(0), QStringLiteral("MS PGothic"));
    QCOMPARE(label->font().pointSize(),
             pointSize ? pointSize : label->parentWidget()->font().pointSize());
}

// A double-click on a cell reaches the table's signal but starts no editor.
void tst_AnimationPage::scriptTableOpensNoEditor()
{
    FormHost host;
    QTableWidget *table = host.ui.tableAnimationScripts;
    QCOMPARE(table->columnCount(), 0);
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!host.ui.listAnimationSteps->alternatingRowColors());
    table->setColumnCount(1);
    table->setRowCount(1);
    table->setItem(0, 0, new QTableWidgetItem("script"));
    host.ui.tabWidget->setCurrentWidget(host.ui.animation);
    host.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.form));
    QSignalSpy doubleClicked(table, &QTableWidget::cellDoubleClicked);
    const QPoint centre = table->visualItemRect(table->item(0, 0)).center();
    // The view wants the press before the double click on the same cell.
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(doubleClicked.count(), 1);
    QVERIFY(table->viewport()->findChildren<QLineEdit *>().isEmpty());
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("script"));
}

void tst_AnimationPage::ntcSplitters_data()
{
    QTest::addColumn<QString>("splitter");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("device");
    for (const auto &p : ntcPanes)
        QTest::newRow(p.pane) << p.splitter << p.pane << p.label << p.device;
}

// Row r of the group holds devices r (left) and r + 6 (right), each a label and an edit in
// a pane without margins.
void tst_AnimationPage::ntcSplitters()
{
    QFETCH(QString, splitter);
    QFETCH(QString, pane);
    QFETCH(QString, label);
    QFETCH(int, device);
    const FormHost host;
    auto *split = host.ui.groupBox_7->findChild<QSplitter *>(splitter);
    QVERIFY(split);
    QCOMPARE(host.ui.verticalLayout_18->indexOf(split), (device - 1) % 6 + 1);
    QCOMPARE(host.ui.verticalLayout_18->indexOf(host.ui.pbReadNTCs), 0);
    QCOMPARE(split->orientation(), Qt::Horizontal);
    QCOMPARE(split->count(), 2);
    QWidget *paneWidget = split->widget(device > 6 ? 1 : 0);
    QCOMPARE(paneWidget->objectName(), pane);
    auto *row = qobject_cast<QHBoxLayout *>(paneWidget->layout());
    QVERIFY(row);
    QCOMPARE(row->contentsMargins(), QMargins());
    QCOMPARE(row->count(), 2);
    QCOMPARE(row->itemAt(0)->widget()->objectName(), label);
    QCOMPARE(row->itemAt(1)->widget()->objectName(), QStringLiteral("leNTC_%1").arg(device));
}

QTEST_MAIN(tst_AnimationPage)
#include "tst_animationpage.moc"
