// The workbook class against a recording automation backend: the calls it makes, and that
// every operation fails cleanly where an object is missing.
#include "automationbackend.h"
#include "automationobject.h"
#include "exceldata.h"

#include <QDir>
#include <QSet>
#include <QtTest>

#include <memory>
#include <vector>

// Records every call as "object > query args", "object ! call arg" or "object .property = value";
// queries of the members in nullMembers yield null; properties read back what was set.
struct Recorder {
    QStringList log;
    QSet<QString> nullMembers;
    QHash<QString, QVariant> properties, results;
};

class RecordingObject : public AutomationObject
{
public:
    RecordingObject(Recorder *rec, const QString &name) : rec(rec), name(name) {}
    AutomationObject *querySubObject(const QString &member, const QVariant &a1,
                                     const QVariant &a2) override
    {
        rec->log << name + " > " + withArgs(member, {a1, a2});
        if (rec->nullMembers.contains(member))
            return nullptr;
        children.push_back(std::make_unique<RecordingObject>(rec, member));
        return children.back().get();
    }
    QVariant call(const QString &signature, const QVariant &arg) override
    {
        rec->log << name + " ! " + withArgs(signature, {arg});
        return rec->results.value(signature);
    }
    QVariant property(const QString &prop) override
    {
        rec->log << name + " ." + prop + " ?";
        return rec->properties.value(name + prop);
    }
    void setProperty(const QString &prop, const QVariant &value) override
    {
        rec->log << name + " ." + prop + " = " + value.toString();
        rec->properties.insert(name + prop, value);
    }

private:
    static QString withArgs(QString text, const QVariantList &args)
    {
        for (const QVariant &a : args)
            text += a.isValid() ? " " + a.toString() : QString();
        return text;
    }
    Recorder *rec;
    QString name;
    std::vector<std::unique_ptr<RecordingObject>> children;
};

class RecordingBackend : public AutomationBackend
{
public:
    AutomationObject *create(const QString &) override { return new RecordingObject(&rec, "app"); }
    Recorder rec;
};

class TestExcelData : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        AutomationBackend::install(&backend);
        backend.rec = {};
        file = QDir::current().absoluteFilePath("book.xlsx");
        QFile::remove(file);
        excel = std::make_unique<ExcelData>(file);
    }

    void cleanup()
    {
        excel.reset();
        AutomationBackend::install(nullptr);
    }

    // Without a backend (as on Linux) every operation returns its failure value.
    void nullBackendFailsEverything()
    {
        AutomationBackend::install(nullptr);
        ExcelData data(file);
        QVariant v(3);
        QColor bg, fg;
        QVERIFY(!data.open('w') && !data.isOpen() && !data.addSheet("a") && !data.save());
        QVERIFY(!data.setCell(1, 1, 5) && !data.getCell(1, 1, &v) && v == QVariant(3));
        QVERIFY(!data.setCellColor(1, 1, Qt::red, Qt::blue) && !data.getCellColor(1, 1, &bg, &fg));
        QVERIFY(data.sheetCount() == -1 && data.sheetNames().isEmpty());
        data.close();
        QVERIFY(!QFile::exists(file));
    }

    void sheetsCellsAndColours()
    {
        // The application is told to ask its user nothing.
        QCOMPARE(backend.rec.log.value(0), QString("app .DisplayAlerts = false"));
        QVERIFY(excel->open('w'));
        // A missing workbook is created under the file's name, then opened from it.
        QCOMPARE(backend.rec.log.mid(1).join("|"),
                 "app > Workbooks|Workbooks > Add()|Add() ! SaveAs(const QString &) " + file +
                     "|Add() ! Close()|Workbooks > Open(const QString&) " + file);
        QVERIFY(!excel->open('r') && excel->isOpen()); // open already
        QVERIFY(!ExcelData(QString()).open('w'));      // no file
        qsizetype mark = backend.rec.log.size();
        excel->setVisible(true);
        QCOMPARE(backend.rec.log.mid(mark), QStringList{"app .Visible = true"});
        mark = backend.rec.log.size();
        QVERIFY(excel->addSheet("Data"));
        QVERIFY(excel->setCell(2, 3, 5));
        QVariant got;
        QVERIFY(excel->getCell(2, 3, &got) && got == QVariant(5));
        QVERIFY(excel->setCellColor(1, 2, QColor(255, 0, 0), QColor(0x12, 0x34, 0x56)));
        QCOMPARE(backend.rec.log.mid(mark).join("|"),
                 QString("Open(const QString&) > Worksheets|Worksheets ! Add()|"
                         "Worksheets > Item( int ) 1|Item( int ) .Name = Data|"
                         "Item( int ) > Cells( int, int) 2 3|Cells( int, int) .Value = 5|"
                         "Item( int ) > Cells( int, int) 2 3|Cells( int, int) .Value ?|"
                         "Item( int ) > Cells( int, int) 1 2|Cells( int, int) > Interior|"
                         "Cells( int, int) > Font|Interior .Color = 255|Font .Color = 5649426"));
        QColor bg, fg;
        QVERIFY(excel->getCellColor(1, 2, &bg, &fg));
        QCOMPARE(bg, QColor(255, 0, 0));
        QCOMPARE(fg, QColor(0x12, 0x34, 0x56));
        QVERIFY(excel->setCell(1, 1, 4) && !excel->setCell(0, 1, 4) && !excel->setCell(1, 0, 4));

        mark = backend.rec.log.size();
        QVERIFY(excel->deleteSheet("Old"));
        QCOMPARE(backend.rec.log.mid(mark).join("|"),
                 QString("Open(const QString&) > Sheets (const QString&) Old|"
                         "Sheets (const QString&) ! Delete()"));
        backend.rec.results.insert("Count()", 3);
        QCOMPARE(excel->sheetNames().size(), 3);
        backend.rec.nullMembers = {"Interior", "Cells( int, int)", "Sheets"};
        bg = Qt::green;
        QVERIFY(!excel->setCellColor(1, 1, Qt::red, Qt::red) &&
                !excel->getCellColor(1, 1, &bg, &fg));
        QVERIFY(!excel->setCell(1, 1, 1) && !excel->getCell(1, 1, &got) && bg == Qt::green);
        QVERIFY(excel->sheetCount() == -1 && excel->sheetNames().isEmpty());
        backend.rec.nullMembers = {"Item( int )"}; // the sheet added cannot be found
        QVERIFY(!excel->addSheet("More"));
        backend.rec.nullMembers = {"Worksheets"};
        QVERIFY(!excel->addSheet("More"));
        backend.rec.nullMembers = {"Font"}; // a cell without its font object
        QVERIFY(!excel->setCellColor(1, 1, Qt::red, Qt::red));

        mark = backend.rec.log.size();
        QVERIFY(excel->save()); // in place, the workbook kept open
        QCOMPARE(backend.rec.log.mid(mark), QStringList{"Open(const QString&) ! Save()"});
        const qsizetype closing = backend.rec.log.size();
        excel->close();
        excel->close(); // a second close does nothing
        QCOMPARE(backend.rec.log.mid(closing).join("|"),
                 QString("Open(const QString&) ! Save()|Open(const QString&) ! Close()"));
        QVERIFY(!excel->isOpen() && !excel->setCell(1, 1, 1) && !excel->open('w'));
    }

    // A workbook opened without a sheet added writes no cell until a sheet is selected; the
    // selected sheet takes the cells until it is deleted or a sheet cannot be found.
    void selectedSheetTakesTheCells()
    {
        QVERIFY(excel->open('w'));
        QVERIFY(!excel->setCell(1, 1, 1) && excel->getRange("A1", "B2").isEmpty());
        qsizetype mark = backend.rec.log.size();
        excel->setRange("A1", "B1", {1, 2}); // no sheet selected: nothing is written
        QCOMPARE(backend.rec.log.size(), mark);
        QVERIFY(excel->selectSheet("Data"));
        QCOMPARE(backend.rec.log.mid(mark).join("|"),
                 QString("Open(const QString&) > Sheets (const QString&) Data|"
                         "Sheets (const QString&) ! Activate|Open(const QString&) > ActiveSheet"));
        mark = backend.rec.log.size();
        QVERIFY(excel->setCell(1, 2, 7));
        excel->setRange("A1", "B1", {1, 2});
        QCOMPARE(backend.rec.log.mid(mark).join("|"),
                 QString("ActiveSheet > Cells( int, int) 1 2|Cells( int, int) .Value = 7|"
                         "ActiveSheet > Range( QString ,QString ) A1 B1|"
                         "Range( QString ,QString ) ! SetValue(const QVariant&) "));
        backend.rec.nullMembers = {"Sheets (const QString&)"};
        QVERIFY(!excel->selectSheet("Other") && !excel->deleteSheet("Other"));
        backend.rec.nullMembers = {"ActiveSheet"}; // found but not made the active one
        QVERIFY(!excel->selectSheet("Other"));
        backend.rec.nullMembers = {};
        QVERIFY(excel->setCell(1, 2, 8)); // still the selected sheet
        QVERIFY(excel->deleteSheet("Other")); // deleting another sheet keeps it too
        mark = backend.rec.log.size();
        QVERIFY(excel->setCell(1, 2, 9));
        QCOMPARE(backend.rec.log.value(mark), QString("ActiveSheet > Cells( int, int) 1 2"));
    }

    // Reading leaves it to the application to find the workbook, which need not be a local
    // file; only writing creates a missing one.
    void missingWorkbook()
    {
        QVERIFY(!excel->open('a'));
        backend.rec.nullMembers = {"Workbooks"}; // an application without workbooks opens none
        QVERIFY(!excel->open('r') && !excel->isOpen());
        backend.rec.nullMembers = {};
        backend.rec.log.clear();
        QVERIFY(excel->open('r'));
        QCOMPARE(backend.rec.log.filter(" > ").join("|"),
                 "app > Workbooks|Workbooks > Open(const QString&) " + file);
    }

private:
    RecordingBackend backend;
    std::unique_ptr<ExcelData> excel;
    QString file;
};

QTEST_MAIN(TestExcelData)
#include "tst_exceldata.moc"
