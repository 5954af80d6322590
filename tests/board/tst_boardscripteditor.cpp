// The Animation tab's editor: loading a CSV script, its device rows, the step dialog, the
// script table and its ".script" files.
#include "animationfixture.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace
{

CsvScript twoDevices()
{
    CsvScript s;
    s.devices = 2;
    s.addresses = QStringList{"3", "7"};
    s.delay = 120;
    s.steps = {cells(24, 1), cells(24, 2), cells(24, 3)};
    return s;
}

} // namespace

class TestBoardScriptEditor : public QObject
{
    Q_OBJECT

    AnimationFixture f;

    Board *page() { return f.page(); }
    CSVReader *script() { return page()->currentCsvScript(); }
    QGroupBox *devicesBox() { return f.widget<QGroupBox>("gbDevices"); }
    QSpinBox *sbDevices() { return f.widget<QSpinBox>("sbDevices"); }
    QTableWidget *table() { return f.widget<QTableWidget>("tableAnimationScripts"); }
    QListWidget *stepList() { return f.widget<QListWidget>("listAnimationSteps"); }
    QString labelText(const char *name) { return f.widget<QLabel>(name)->text(); }

    // The device rows as "label=address".
    QStringList deviceRows()
    {
        QStringList rows;
        const QList<QLabel *> labels = devicesBox()->findChildren<QLabel *>();
        const QList<QSpinBox *> boxes = devicesBox()->findChildren<QSpinBox *>();
        for (int i = 0; i < labels.size(); ++i)
            rows.append(labels.at(i)->text() + '=' + QString::number(boxes.value(i)->value()));
        return rows;
    }
    QStringList tableRow(int row)
    {
        QStringList texts;
        for (int c = 0; c < 4; ++c)
            texts.append(table()->item(row, c) ? table()->item(row, c)->text() : "<none>");
        return texts;
    }
    // Fresh table and list.
    void clearList()
    {
        while (!page()->scriptListEntries().isEmpty()) {
            table()->setCurrentCell(0, 0);
            page()->on_pbRemoveFromList_clicked();
        }
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init() { clearList(); }

    // Runs first: nothing was chosen yet.
    void addRowBeforeAnyLoadAddsNothing()
    {
        page()->on_pbAddToList_clicked();
        QCOMPARE(table()->rowCount(), 0);
        QVERIFY(page()->scriptListEntries().isEmpty());
    }

    void loadCancelledChangesNothing()
    {
        f.loadScript(twoDevices());
        const QString shown = labelText("lbCSV");
        CSVReader *before = script();
        page()->on_pbLoadCSV_clicked(); // no answer queued: cancelled
        QCOMPARE(labelText("lbCSV"), shown);
        QCOMPARE(script(), before);
        QCOMPARE(f.prompt.fileDialogs().last(), QString("Open File|CSV file (*.csv)"));
        QCOMPARE(f.prompt.dialogDirs().last(), QString("./Script/"));
    }

    void loadUnreadableKeepsScript()
    {
        f.loadScript(twoDevices());
        CSVReader *before = script();
        f.loadCsv(QDir::current().filePath("missing.csv"));
        QVERIFY(labelText("lbCSV").endsWith("missing.csv"));
        QCOMPARE(script(), before);
    }

    void loadShowsScript_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR LF") << QByteArray("\r\n");
    }
    void loadShowsScript()
    {
        QFETCH(QByteArray, eol);
        CsvScript s = twoDevices();
        s.eol = eol;
        const QString path = AnimationFixture::writeCsv("shown.csv", s);
        f.loadCsv(path);
        QCOMPARE(labelText("lbCSV"), path);
        QCOMPARE(labelText("lbDescription"), QString("Description: Wave"));
        QCOMPARE(f.widget<QSpinBox>("sbDelay")->value(), 120);
        QCOMPARE(sbDevices()->value(), 2);
        QCOMPARE(deviceRows(), (QStringList{"Device 1=3", "Device 2=7"}));
        QCOMPARE(stepList()->count(), 3);
        QCOMPARE(stepList()->item(2)->text(), QString("Step 3"));
        QCOMPARE(labelText("lbSteps"), QString("Steps 3"));
        QCOMPARE(script()->fileName, path);
    }

    // A delay below the spin box's range reaches the script as the shown value.
    void delayBelowRangeIsStoredAsShown()
    {
        CsvScript s = twoDevices();
        s.delay = 20;
        f.loadScript(s);
        QCOMPARE(script()->delay, quint8(50));
    }

    // Loading again leaves exactly the new script's rows and one connection of sbDevices:
    // one step of the box adds one row.
    void devicesJumpAddsAndRemovesRows()
    {
        CsvScript big = twoDevices();
        big.devices = 4;
        big.addresses = QStringList{"1", "2", "3", "4"};
        f.loadScript(big, "big.csv");
        f.loadScript(twoDevices());
        QCOMPARE(deviceRows(), (QStringList{"Device 1=3", "Device 2=7"}));
        sbDevices()->setValue(3);
        QCOMPARE(deviceRows().size(), 3);
        sbDevices()->setValue(5);
        QCOMPARE(deviceRows(), (QStringList{"Device 1=3", "Device 2=7", "Device 3=3", "Device 4=4",
                                            "Device 5=5"}));
        QCOMPARE(script()->deviceCount, quint8(5));
        QCOMPARE(script()->addresses, (QStringList{"3", "7\n"}));
        sbDevices()->setValue(2);
        QCOMPARE(deviceRows(), (QStringList{"Device 1=3", "Device 2=7"}));
        // The removed rows' widgets are gone.
        QCOMPARE(devicesBox()->findChildren<QSpinBox *>().size(), 2);
        QCOMPARE(devicesBox()->findChildren<QLabel *>().size(), 2);
        sbDevices()->setValue(0);
        QVERIFY(deviceRows().isEmpty());
        QCOMPARE(script()->deviceCount, quint8(0));
    }

    void editedAddressIsStored()
    {
        f.loadScript(twoDevices());
        sbDevices()->setValue(3);
        const QList<QSpinBox *> boxes = devicesBox()->findChildren<QSpinBox *>();
        boxes.at(1)->setValue(9);
        emit boxes.at(1)->editingFinished();
        boxes.at(2)->setValue(11);
        emit boxes.at(2)->editingFinished(); // beyond the file's addresses: nothing stored
        QCOMPARE(script()->addresses, (QStringList{"3", "9"}));
    }

    void findLayoutOfSearchesBelowTop()
    {
        QWidget host;
        auto *top = new QVBoxLayout(&host);
        auto *outer = new QHBoxLayout;
        auto *inner = new QVBoxLayout;
        top->addLayout(outer);
        outer->addLayout(inner);
        auto *deep = new QLabel("deep");
        auto *direct = new QLabel("direct");
        auto *onTop = new QLabel("top");
        inner->addWidget(deep);
        outer->addWidget(direct);
        top->addWidget(onTop);
        QCOMPARE(Board::findLayoutOf(deep, top), inner);
        QCOMPARE(Board::findLayoutOf(direct, top), outer);
        QCOMPARE(Board::findLayoutOf(onTop, top), nullptr); // top itself is not tested
        QCOMPARE(Board::findLayoutOf(deep, nullptr), nullptr);
    }

    void stepDialogContents()
    {
        f.loadScript(twoDevices());
        QStringList row{"1", "-5", "250", "abc", " 7\r\n"};
        const std::unique_ptr<QDialog> dialog(page()->execStepDialog(row));
        const QList<QSpinBox *> boxes = dialog->findChildren<QSpinBox *>();
        const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
        QCOMPARE(boxes.size(), 24);
        QCOMPARE(labels.size(), 24);
        QCOMPARE(labels.at(12)->text(), QString("SW13"));
        QCOMPARE(labels.at(23)->text(), QString("SW24"));
        QCOMPARE(labels.at(0)->alignment(), Qt::AlignCenter);
        QList<int> values;
        for (int i = 0; i < 5; ++i)
            values.append(boxes.at(i)->value());
        QCOMPARE(values, (QList<int>{0, 200, 0, 7, 0}));
        QCOMPARE(boxes.at(0)->minimum(), 0);
        QCOMPARE(boxes.at(0)->maximum(), 200);
        const auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        QVERIFY(!dialog->isVisible());
    }

    void stepDialogWithoutDevicesHoldsOnlyButtons()
    {
        CsvScript s;
        s.devices = 0;
        s.addresses.clear();
        f.loadScript(s);
        const std::unique_ptr<QDialog> dialog(page()->execStepDialog(QStringList()));
        QVERIFY(dialog->findChildren<QSpinBox *>().isEmpty());
        QVERIFY(dialog->findChild<QDialogButtonBox *>());
        const ModalAnswer save(true);
        page()->on_pbAddStep_clicked();
        QVERIFY(save.answered());
        QCOMPARE(script()->steps, (QList<QStringList>{{"1"}}));
    }

    void addStep_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("number");
        QTest::newRow("after three") << 3 << true << "4";
        QTest::newRow("first step") << 0 << true << "1";
        QTest::newRow("cancelled") << 3 << false << "";
    }
    void addStep()
    {
        QFETCH(int, steps);
        QFETCH(bool, accept);
        QFETCH(QString, number);
        CsvScript s = twoDevices();
        s.steps = s.steps.mid(0, steps);
        f.loadScript(s);
        int shownValue = -1;
        const ModalAnswer answer(accept, [&shownValue](QDialog *dialog) {
            const QList<QSpinBox *> boxes = dialog->findChildren<QSpinBox *>();
            shownValue = boxes.at(5)->value();
            boxes.at(23)->setValue(150);
        });
        page()->on_pbAddStep_clicked();
        QCOMPARE(shownValue, 0);
        QCOMPARE(script()->steps.size(), steps + (accept ? 1 : 0));
        QCOMPARE(stepList()->count(), script()->steps.size());
        if (!accept)
            return;
        QStringList expected = QStringList{number} + cells(24, 0);
        expected[24] = "150";
        QCOMPARE(script()->steps.last(), expected);
        QCOMPARE(stepList()->item(steps)->text(), "Step " + number);
    }

    void editStep_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("edited");
        QTest::newRow("step 2") << "Step 2" << true << true;
        QTest::newRow("cancelled") << "Step 2" << false << false;
        QTest::newRow("step 0") << "Step 0" << true << false;
        QTest::newRow("beyond") << "Step 9" << true << false;
        QTest::newRow("no number") << "Step x" << true << false;
    }
    void editStep()
    {
        QFETCH(QString, item);
        QFETCH(bool, accept);
        QFETCH(bool, edited);
        CsvScript s = twoDevices();
        s.steps[1] = QStringList{"9", "8"}; // a short row
        f.loadScript(s);
        const QList<QStringList> before = script()->steps;
        QList<int> shown;
        const ModalAnswer answer(accept, [&shown](QDialog *dialog) {
            const QList<QSpinBox *> boxes = dialog->findChildren<QSpinBox *>();
            for (int i = 0; i < 3; ++i)
                shown.append(boxes.at(i)->value());
            boxes.at(2)->setValue(42);
        });
        QListWidgetItem listItem(item);
        page()->onListItemDoubleClicked(&listItem);
        QCOMPARE(answer.answered(), item == "Step 2");
        if (!edited) {
            QCOMPARE(script()->steps, before);
            return;
        }
        QCOMPARE(shown, (QList<int>{9, 8, 0}));
        QStringList expected = QStringList{"2", "9", "8", "42"} + cells(21, 0);
        QCOMPARE(script()->steps.at(1), expected);
        QCOMPARE(script()->steps.at(0), before.at(0));
    }

    void doubleClickInStepListEditsStep()
    {
        f.loadScript(twoDevices());
        const ModalAnswer cancel(false);
        emit stepList()->itemDoubleClicked(stepList()->item(0));
        QVERIFY(cancel.answered());
    }

    // Two rows of one script: a later step reaches both entries; the table keeps its texts.
    void twoRowsShareOneScript()
    {
        f.loadScript(twoDevices(), "Script/first.csv");
        page()->on_pbAddToList_clicked();
        page()->on_pbAddToList_clicked();
        QCOMPARE(table()->rowCount(), 2);
        QCOMPARE(tableRow(1), (QStringList{"Wave", "120", "3", "first.csv"}));
        QCOMPARE(table()->item(0, 2)->textAlignment(), int(Qt::AlignHCenter));
        const ModalAnswer save(true);
        page()->on_pbAddStep_clicked();
        QCOMPARE(page()->scriptListEntries().at(0), page()->scriptListEntries().at(1));
        QCOMPARE(page()->scriptListEntries().at(0)->steps.size(), 4);
        QCOMPARE(table()->item(0, 2)->text(), QString("3"));
    }

    void removeRow()
    {
        f.loadScript(twoDevices(), "a.csv");
        page()->on_pbAddToList_clicked();
        f.loadScript(twoDevices(), "b.csv");
        page()->on_pbAddToList_clicked();
        CSVReader *second = script();
        table()->setCurrentCell(-1, -1);
        page()->on_pbRemoveFromList_clicked();
        QCOMPARE(table()->rowCount(), 2);
        table()->setCurrentCell(0, 1);
        page()->on_pbRemoveFromList_clicked();
        QCOMPARE(table()->rowCount(), 1);
        QCOMPARE(page()->scriptListEntries(), QVector<CSVReader *>{second});
        QCOMPARE(tableRow(0).last(), QString("b.csv"));
    }

    void tableDoubleClickShowsScript()
    {
        CsvScript other = twoDevices();
        other.description = "Other";
        f.loadScript(other, "other.csv");
        page()->on_pbAddToList_clicked();
        CSVReader *listed = script();
        f.loadScript(twoDevices(), "now.csv");
        const QString shownPath = labelText("lbCSV");
        page()->on_tableAnimationScripts_cellDoubleClicked(1, 0); // no such row
        QVERIFY(script() != listed);
        page()->on_tableAnimationScripts_cellDoubleClicked(0, 3);
        QCOMPARE(script(), listed);
        QCOMPARE(labelText("lbDescription"), QString("Description: Other"));
        QCOMPARE(labelText("lbCSV"), shownPath);
    }

    void saveScript_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("file");
        QTest::newRow("named") << "list" << true << "saved/list.script";
        QTest::newRow("blanks") << "  " << true << "saved/.script";
        QTest::newRow("cancelled") << "list" << false << "";
        QTest::newRow("no name") << "" << true << "";
    }
    void saveScript()
    {
        QFETCH(QString, name);
        QFETCH(bool, answered);
        QFETCH(QString, file);
        QDir("saved").removeRecursively();
        QVERIFY(QDir().mkpath("saved"));
        f.loadScript(twoDevices(), "saved/a.csv");
        page()->on_pbAddToList_clicked();
        f.loadScript(twoDevices(), "saved/b.csv");
        page()->on_pbAddToList_clicked();
        f.widget<QLineEdit>("leScriptName")->setText(name);
        const int dialogs = f.prompt.fileDialogs().size();
        if (answered && !name.isEmpty())
            f.prompt.queueFile(QDir::current().filePath("saved"));
        page()->on_pbSaveScript_clicked();
        if (!name.isEmpty()) {
            QCOMPARE(f.prompt.fileDialogs().value(dialogs), QString("Open Directory|"));
            QCOMPARE(f.prompt.dialogDirs().value(dialogs), QString("./Script/"));
        }
        const QStringList written =
            QDir("saved").entryList(QStringList{"*.script"}, QDir::Files | QDir::Hidden);
        if (file.isEmpty()) {
            QVERIFY(written.isEmpty());
            QVERIFY(!QFile::exists("/.script") && !QFile::exists("//list.script"));
            return;
        }
        QCOMPARE(TestFiles::read(file), QByteArray("file0=a.csv\nfile1=b.csv\n"));
    }

    void saveIntoMissingDirectoryIsReported()
    {
        f.widget<QLineEdit>("leScriptName")->setText("x");
        f.prompt.queueFile(QDir::current().filePath("no/such/dir"));
        const int messages = f.prompt.messages().size();
        page()->on_pbSaveScript_clicked();
        QCOMPARE(f.prompt.messages().size(), messages + 1);
        QCOMPARE(f.prompt.messages().last().title, QString("error"));
        QVERIFY(!f.prompt.messages().last().text.isEmpty());
    }

    void loadList_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QStringList>("files");
        const QString absolute = QDir::current().absoluteFilePath("lists/a.csv");
        QTest::newRow("LF") << QByteArray("file0=a.csv\nfile1=b.csv\n")
                            << QStringList{"a.csv", "b.csv"};
        QTest::newRow("CR LF") << QByteArray("file0=a.csv\r\nfile1=b.csv\r\n")
                               << QStringList{"a.csv", "b.csv"};
        QTest::newRow("extra =") << QByteArray("file0=x=b.csv\nb.csv")
                                 << QStringList{"b.csv", "b.csv"};
        QTest::newRow("absolute and missing")
            << ("file0=" + absolute.toUtf8() + "\nfile1=gone.csv\nfile2=a.csv\n")
            << QStringList{"a.csv"};
        QTest::newRow("all missing") << QByteArray("file0=gone.csv\n") << QStringList();
    }
    void loadList()
    {
        QFETCH(QByteArray, list);
        QFETCH(QStringList, files);
        CsvScript b = twoDevices();
        b.description = "B";
        b.steps.removeLast();
        AnimationFixture::writeCsv("lists/a.csv", twoDevices());
        AnimationFixture::writeCsv("lists/b.csv", b);
        QVERIFY(TestFiles::write("lists/l.script", list));
        f.loadScript(twoDevices(), "old.csv");
        page()->on_pbAddToList_clicked();
        CSVReader *shown = script();
        f.prompt.queueFile(QDir::current().absoluteFilePath("lists/l.script"));
        page()->on_pbLoadScript_clicked();
        QCOMPARE(f.prompt.fileDialogs().last(), QString("Script file|Script file (*.script)"));
        QCOMPARE(table()->rowCount(), files.size());
        QCOMPARE(page()->scriptListEntries().size(), files.size());
        for (int r = 0; r < files.size(); ++r) {
            const bool isB = files.at(r) == "b.csv";
            QCOMPARE(tableRow(r),
                     (QStringList{isB ? "B" : "Wave", "120", isB ? "2" : "3", files.at(r)}));
        }
        QCOMPARE(script(), shown);
        if (!files.isEmpty())
            QVERIFY(labelText("lbCSV").endsWith("lists/" + files.last()));
    }

    void loadListWithoutLinesOrFile()
    {
        f.loadScript(twoDevices(), "kept.csv");
        page()->on_pbAddToList_clicked();
        QVERIFY(TestFiles::write("empty.script", QByteArray()));
        f.prompt.queueFile(QDir::current().absoluteFilePath("empty.script"));
        page()->on_pbLoadScript_clicked();
        const int messages = f.prompt.messages().size();
        page()->on_pbLoadScript_clicked(); // cancelled
        QCOMPARE(table()->rowCount(), 1);
        QCOMPARE(f.prompt.messages().size(), messages);
        f.prompt.queueFile(QDir::current().absoluteFilePath("none.script"));
        page()->on_pbLoadScript_clicked();
        QCOMPARE(f.prompt.messages().size(), messages + 1);
        QCOMPARE(f.prompt.messages().last().title, QString("error"));
        QCOMPARE(table()->rowCount(), 1);
    }

    void saveAndLoadGiveTheSameRows()
    {
        QDir("trip").removeRecursively();
        f.loadScript(twoDevices(), "trip/a.csv");
        page()->on_pbAddToList_clicked();
        CsvScript b = twoDevices();
        b.description = "B";
        f.loadScript(b, "trip/b.csv");
        page()->on_pbAddToList_clicked();
        const QStringList first = tableRow(0), second = tableRow(1);
        f.widget<QLineEdit>("leScriptName")->setText("trip");
        f.prompt.queueFile(QDir::current().absoluteFilePath("trip"));
        page()->on_pbSaveScript_clicked();
        clearList();
        f.prompt.queueFile(QDir::current().absoluteFilePath("trip/trip.script"));
        page()->on_pbLoadScript_clicked();
        QCOMPARE(table()->rowCount(), 2);
        QCOMPARE(tableRow(0), first);
        QCOMPARE(tableRow(1), second);
    }
};

QTEST_MAIN(TestBoardScriptEditor)
#include "tst_boardscripteditor.moc"
