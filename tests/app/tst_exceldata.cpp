// The workbook class against a recording automation backend: the calls it makes, and that
// every operation fails cleanly where an object is missing.
#include "automationbackend.h"
#include "automationobject.h"
#include "exceldata.h"
#include "tablerows.h"

#include <QDir>
#include <QSet>
#include <QtTest>

#include <memory>
#include <vector>

// The call log and the scripted answers the recording objects share.
struct Recorder {
    QStringList log;
    QSet<QString> nullMembers; // queries of these members yield null
    QHash<QString, QVariant> properties, results;
    int liveApplications = 0;
};

static QString withArgs(QString text, const QVariantList &args)
{
    for (const QVariant &a : args)
        if (a.isValid())
            text += " " + a.toString();
    return text;
}

// Records every call as "object > query", "object ! call" or "object .property = value".
class RecordingObject : public AutomationObject
{
public:
    RecordingObject(Recorder *rec, const QString &name, const QString &path)
        : rec(rec), name(name), path(path)
    {
        rec->liveApplications += name == "app";
    }
    ~RecordingObject() override { rec->liveApplications -= name == "app"; }
    AutomationObject *querySubObject(const QString &member, const QVariant &a1,
                                     const QVariant &a2) override
    {
        const QString label = withArgs(member, {a1, a2});
        rec->log << name + " > " + label;
        if (rec->nullMembers.contains(member))
            return nullptr;
        children.push_back(std::make_unique<RecordingObject>(rec, member, path + "/" + label));
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
        return rec->properties.value(path + "." + prop);
    }
    void setProperty(const QString &prop, const QVariant &value) override
    {
        rec->log << name + " ." + prop + " = " + value.toString();
        rec->properties.insert(path + "." + prop, value);
    }

private:
    Recorder *rec;
    QString name, path;
    std::vector<std::unique_ptr<RecordingObject>> children;
};

class RecordingBackend : public AutomationBackend
{
public:
    AutomationObject *create(const QString &automationName) override
    {
        rec.log << "create " + automationName;
        return new RecordingObject(&rec, "app", "app");
    }
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

    void nullBackendFailsEverything()
    {
        AutomationBackend::install(nullptr);
        backend.rec.log.clear();
        ExcelData data(file);
        QVariant v(3);
        QColor bg, fg;
        QVERIFY(!data.open('w') && !data.open('r') && !data.isOpen());
        QVERIFY(!data.addSheet("a") && !data.selectSheet("a") && !data.deleteSheet("a"));
        QVERIFY(!data.save() && !data.setCell(1, 1, 5) && !data.getCell(1, 1, &v));
        QVERIFY(!data.setCellColor(1, 1, Qt::red, Qt::blue) && !data.getCellColor(1, 1, &bg, &fg));
        QVERIFY(data.getRange("A1", "B2").isEmpty() && data.sheetNames().isEmpty());
        data.setRange("A1", "A2", {1, 2});
        data.setVisible(true);
        data.close();
        QCOMPARE(v, QVariant(3));
        QCOMPARE(data.sheetCount(), -1);
        QVERIFY(!QFile::exists(file));
        QVERIFY(backend.rec.log.isEmpty());
    }

    // Reading never creates the file; writing creates a missing one first. A missing object
    // fails the open after the calls counted.
    void open_data() // the log after "create" and "app .DisplayAlerts = false"
    {
        const QString openOnly = "app > Workbooks|Workbooks > Open(const QString&) @";
        const QString create = "app > Workbooks|Workbooks > Add()|Add() ! SaveAs(const QString &) @|"
                               "Add() ! Close()|Workbooks > Open(const QString&) @";
        addRows<char, bool, QString, QString>(
            {"mode", "exists", "nullMember", "calls"},
            {{'r', false, "", openOnly}, {'w', true, "", openOnly}, {'w', false, "", create},
             {'w', false, "Workbooks", "app > Workbooks"},
             {'w', false, "Add()", "app > Workbooks|Workbooks > Add()"},
             {'w', false, "Open(const QString&)", create}, {'r', false, "Open(const QString&)", openOnly},
             {'a', false, "", "app > Workbooks"}});
    }

    void open()
    {
        QFETCH(char, mode);
        QFETCH(bool, exists);
        QFETCH(QString, nullMember);
        QFETCH(QString, calls);
        if (exists)
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        backend.rec.nullMembers.insert(nullMember);
        const bool opens = nullMember.isEmpty() && mode != 'a';
        QCOMPARE(excel->open(mode), opens);
        QCOMPARE(excel->isOpen(), opens);
        QCOMPARE(backend.rec.log.mid(2).join("|"), QString(calls).replace("@", file));
        QCOMPARE(excel->addSheet("x"), opens);
    }

    void sheetsCellsAndColours()
    {
        QVERIFY(excel->open('w'));
        int mark = int(backend.rec.log.size());
        QVERIFY(excel->addSheet("Data"));
        QVERIFY(excel->setCell(2, 3, 5));
        QVariant got;
        QVERIFY(excel->getCell(2, 3, &got));
        QCOMPARE(got, QVariant(5));
        QVERIFY(excel->setCellColor(1, 2, QColor(255, 0, 0), QColor(0, 0, 255)));
        QCOMPARE(logSince(mark),
                 QString("Open(const QString&) > Worksheets|Worksheets ! Add()|Worksheets > Item( int ) 1|"
                 "Item( int ) .Name = Data|Item( int ) > Cells( int, int) 2 3|Cells( int, int) .Value = 5|"
                 "Item( int ) > Cells( int, int) 2 3|Cells( int, int) .Value ?|"
                 "Item( int ) > Cells( int, int) 1 2|Cells( int, int) > Interior|Cells( int, int) > Font|"
                 "Interior .Color = 255|Font .Color = 16711680"));
        QColor bg, fg;
        QVERIFY(excel->getCellColor(1, 2, &bg, &fg));
        QCOMPARE(bg, QColor(255, 0, 0));
        QCOMPARE(fg, QColor(0, 0, 255));
        QCOMPARE(ExcelData::packColor(QColor(0x12, 0x34, 0x56, 10)), 0x563412u);
        QCOMPARE(ExcelData::unpackColor(0xFF563412u), QColor(0x12, 0x34, 0x56));

        // Without an interior object nothing is coloured or read; without cells nothing is set.
        backend.rec.nullMembers = {"Interior", "Cells( int, int)"};
        bg = Qt::green;
        mark = int(backend.rec.log.size());
        QVERIFY(!excel->setCellColor(1, 1, Qt::red, Qt::red));
        QVERIFY(!excel->getCellColor(1, 1, &bg, &fg));
        QVERIFY(!excel->setCell(1, 1, 1) && !excel->getCell(1, 1, &got));
        QCOMPARE(bg, QColor(Qt::green));
        QVERIFY(!logSince(mark).contains("Color"));
        QVERIFY(excel->save());
        QCOMPARE(backend.rec.log.last(), QString("Open(const QString&) ! Save()"));

        backend.rec.results.insert("Count()", 3);
        QCOMPARE(excel->sheetCount(), 3);
        QCOMPARE(excel->sheetNames().size(), 3);
        backend.rec.nullMembers.insert("Sheets");
        QCOMPARE(excel->sheetCount(), -1);
        QVERIFY(excel->sheetNames().isEmpty());
    }

    void closeReleasesEverything()
    {
        QVERIFY(excel->open('w') && excel->addSheet("Data"));
        const int mark = int(backend.rec.log.size());
        excel->close();
        excel->close(); // a second close does nothing
        QCOMPARE(logSince(mark), QString("Open(const QString&) ! Save()|Open(const QString&) ! Close()"));
        QCOMPARE(backend.rec.liveApplications, 0);
        QVERIFY(!excel->isOpen() && !excel->setCell(1, 1, 1) && !excel->save());
        QCOMPARE(excel->sheetCount(), -1);
        QVERIFY(!excel->open('w')); // closed for good
    }

private:
    QString logSince(int mark) const { return backend.rec.log.mid(mark).join("|"); }

    RecordingBackend backend;
    std::unique_ptr<ExcelData> excel;
    QString file;
};

QTEST_MAIN(TestExcelData)
#include "tst_exceldata.moc"
