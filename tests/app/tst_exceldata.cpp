#include "automationbackend.h"
#include "automationobject.h"
#include "exceldata.h"

#include <QSet>
#include <QtTest>

#include <memory>
#include <vector>

namespace
{

// What the recording automation objects share: the call log and the scripted answers.
struct Recorder {
    QStringList log;
    QSet<QString> nullMembers;            // queries of these members yield null
    QHash<QString, QVariant> callResults; // by signature
    QHash<QString, QVariant> properties;  // by object path and property name
    int liveApplications = 0;
};

QString argText(const QVariant &v)
{
    if (v.typeId() == QMetaType::QVariantList) {
        QStringList items;
        for (const QVariant &item : v.toList())
            items << item.toString();
        return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return v.toString();
}

QString withArgs(const QString &member, const QVariant &a1, const QVariant &a2 = QVariant())
{
    QString text = member;
    for (const QVariant &a : {a1, a2}) {
        if (a.isValid())
            text += QLatin1Char(' ') + argText(a);
    }
    return text;
}

// Records every call as "object > query", "object ! call" or "object .property = value".
class RecordingObject : public AutomationObject
{
public:
    RecordingObject(Recorder *recorder, const QString &name, const QString &path, bool isApp)
        : rec(recorder), name(name), path(path), isApp(isApp)
    {
        if (isApp)
            ++rec->liveApplications;
    }
    ~RecordingObject() override
    {
        if (isApp)
            --rec->liveApplications;
    }
    AutomationObject *querySubObject(const QString &member, const QVariant &a1,
                                     const QVariant &a2) override
    {
        const QString label = withArgs(member, a1, a2);
        rec->log << name + QStringLiteral(" > ") + label;
        if (rec->nullMembers.contains(member))
            return nullptr;
        children.push_back(
            std::make_unique<RecordingObject>(rec, member, path + QLatin1Char('/') + label, false));
        return children.back().get();
    }
    QVariant call(const QString &signature, const QVariant &arg) override
    {
        rec->log << name + QStringLiteral(" ! ") + withArgs(signature, arg);
        return rec->callResults.value(signature);
    }
    QVariant property(const QString &prop) override
    {
        rec->log << name + QStringLiteral(" .") + prop + QStringLiteral(" ?");
        return rec->properties.value(key(prop));
    }
    void setProperty(const QString &prop, const QVariant &value) override
    {
        rec->log << name + QStringLiteral(" .") + prop + QStringLiteral(" = ") + argText(value);
        rec->properties.insert(key(prop), value);
    }

private:
    QString key(const QString &prop) const { return path + QLatin1Char('.') + prop; }
    Recorder *rec;
    QString name;
    QString path;
    bool isApp;
    std::vector<std::unique_ptr<RecordingObject>> children;
};

class RecordingBackend : public AutomationBackend
{
public:
    AutomationObject *create(const QString &automationName) override
    {
        rec.log << QStringLiteral("create ") + automationName;
        return new RecordingObject(&rec, QStringLiteral("app"), QStringLiteral("app"), true);
    }
    Recorder rec;
};

} // namespace

class TestExcelData : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        backend = new RecordingBackend;
        AutomationBackend::install(backend);
        file = QDir::current().absoluteFilePath(QStringLiteral("book.xlsx"));
        QFile::remove(file);
    }

    void cleanup()
    {
        excel.reset();
        AutomationBackend::install(nullptr);
        delete backend;
    }

    void nullBackendFailsEverything()
    {
        AutomationBackend::install(nullptr);
        ExcelData data(file);
        QVERIFY(!data.open('w'));
        QVERIFY(!data.open('r'));
        QVERIFY(!data.isOpen());
        QVERIFY(!data.addSheet(QStringLiteral("a")));
        QVERIFY(!data.selectSheet(QStringLiteral("a")));
        QVERIFY(!data.deleteSheet(QStringLiteral("a")));
        QVERIFY(!data.save());
        QVERIFY(!data.setCell(1, 1, 5));
        QVariant v(3);
        QVERIFY(!data.getCell(1, 1, &v));
        QCOMPARE(v, QVariant(3));
        QVERIFY(data.getRange(QStringLiteral("A1"), QStringLiteral("B2")).isEmpty());
        data.setRange(QStringLiteral("A1"), QStringLiteral("A2"), {1, 2});
        QColor bg, fg;
        QVERIFY(!data.setCellColor(1, 1, Qt::red, Qt::blue));
        QVERIFY(!data.getCellColor(1, 1, &bg, &fg));
        data.setVisible(true);
        QCOMPARE(data.sheetCount(), -1);
        QVERIFY(data.sheetNames().isEmpty());
        data.close();
        QVERIFY(!QFile::exists(file));
        QVERIFY(backend->rec.log.isEmpty());
    }

    // Reading never creates the file; writing creates a missing one first.
    void open_data()
    {
        QTest::addColumn<char>("mode");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QStringList>("calls"); // "@" stands for the file's path
        const QStringList openOnly{"app > Workbooks", "Workbooks > Open(const QString&) @"};
        QTest::newRow("read") << 'r' << false << openOnly;
        QTest::newRow("write existing") << 'w' << true << openOnly;
        QTest::newRow("write missing")
            << 'w' << false
            << QStringList{"app > Workbooks", "Workbooks > Add()",
                           "Add() ! SaveAs(const QString &) @", "Add() ! Close()",
                           "Workbooks > Open(const QString&) @"};
    }

    void open()
    {
        QFETCH(char, mode);
        QFETCH(bool, exists);
        QFETCH(QStringList, calls);
        if (exists)
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        excel = std::make_unique<ExcelData>(file);
        const int mark = backend->rec.log.size();
        QVERIFY(excel->open(mode));
        QVERIFY(excel->isOpen());
        QCOMPARE(logSince(mark), calls.replaceInStrings("@", file));
    }

    void openFailures_data()
    {
        QTest::addColumn<char>("mode");
        QTest::addColumn<QString>("nullMember");
        QTest::addColumn<int>("calls");
        QTest::newRow("no workbook collection") << 'w' << QString("Workbooks") << 1;
        QTest::newRow("add fails") << 'w' << QString("Add()") << 2;
        QTest::newRow("final open fails") << 'w' << QString("Open(const QString&)") << 5;
        QTest::newRow("read open fails") << 'r' << QString("Open(const QString&)") << 2;
        QTest::newRow("other mode on a missing file") << 'a' << QString("") << 1;
    }

    void openFailures()
    {
        QFETCH(char, mode);
        QFETCH(QString, nullMember);
        QFETCH(int, calls);
        backend->rec.nullMembers.insert(nullMember);
        excel = std::make_unique<ExcelData>(file);
        const int mark = backend->rec.log.size();
        QVERIFY(!excel->open(mode));
        QVERIFY(!excel->isOpen());
        QCOMPARE(logSince(mark).size(), calls);
        QVERIFY(!excel->addSheet(QStringLiteral("x")));
    }

    void addSheetAndCells()
    {
        excel = std::make_unique<ExcelData>(file);
        QVERIFY(excel->open('w'));
        int mark = backend->rec.log.size();
        QVERIFY(excel->addSheet(QStringLiteral("Data")));
        QCOMPARE(logSince(mark),
                 (QStringList{"Open(const QString&) > Worksheets", "Worksheets ! Add()",
                              "Worksheets > Item( int ) 1", "Item( int ) .Name = Data"}));
        mark = backend->rec.log.size();
        QVERIFY(excel->setCell(2, 3, 5));
        QVariant got;
        QVERIFY(excel->getCell(2, 3, &got));
        QCOMPARE(got, QVariant(5));
        QCOMPARE(logSince(mark),
                 (QStringList{"Item( int ) > Cells( int, int) 2 3", "Cells( int, int) .Value = 5",
                              "Item( int ) > Cells( int, int) 2 3", "Cells( int, int) .Value ?"}));
        backend->rec.nullMembers.insert(QStringLiteral("Cells( int, int)"));
        QVERIFY(!excel->setCell(1, 1, 1));
        QVERIFY(!excel->getCell(1, 1, &got));
        QVERIFY(excel->save());
        QCOMPARE(backend->rec.log.last(), QStringLiteral("Open(const QString&) ! Save()"));
    }

    void cellColors()
    {
        QVERIFY(openedWithSheet());
        const int mark = backend->rec.log.size();
        QVERIFY(excel->setCellColor(1, 2, QColor(255, 0, 0), QColor(0, 0, 255)));
        QCOMPARE(logSince(mark),
                 (QStringList{"Item( int ) > Cells( int, int) 1 2", "Cells( int, int) > Interior",
                              "Cells( int, int) > Font", "Interior .Color = 255",
                              "Font .Color = 16711680"}));
        QColor bg, fg;
        QVERIFY(excel->getCellColor(1, 2, &bg, &fg));
        QCOMPARE(bg, QColor(255, 0, 0));
        QCOMPARE(fg, QColor(0, 0, 255));
        QCOMPARE(bg.alpha(), 255);
        const QColor mixed(0x12, 0x34, 0x56, 10);
        QCOMPARE(ExcelData::packColor(mixed), 0x563412u);
        QCOMPARE(ExcelData::unpackColor(0xFF563412u), QColor(0x12, 0x34, 0x56));

        // Without an interior object nothing is coloured or read.
        backend->rec.nullMembers.insert(QStringLiteral("Interior"));
        bg = fg = QColor(Qt::green);
        const int noInterior = backend->rec.log.size();
        QVERIFY(!excel->setCellColor(1, 1, Qt::red, Qt::red));
        QVERIFY(!excel->getCellColor(1, 1, &bg, &fg));
        QCOMPARE(bg, QColor(Qt::green));
        for (const QString &line : logSince(noInterior))
            QVERIFY2(!line.contains(QLatin1String("Color")), qPrintable(line));
    }

    void sheetNames()
    {
        excel = std::make_unique<ExcelData>(file);
        QVERIFY(excel->open('r'));
        backend->rec.callResults.insert(QStringLiteral("Count()"), 3);
        QCOMPARE(excel->sheetCount(), 3);
        QCOMPARE(excel->sheetNames().size(), 3);
        backend->rec.nullMembers.insert(QStringLiteral("Sheets"));
        QCOMPARE(excel->sheetCount(), -1);
        QVERIFY(excel->sheetNames().isEmpty());
        QVERIFY(!excel->setCell(0, 1, 1)); // no sheet chosen, row 0
    }

    void closeReleasesEverything()
    {
        QVERIFY(openedWithSheet());
        const int mark = backend->rec.log.size();
        excel->close();
        QCOMPARE(logSince(mark),
                 (QStringList{"Open(const QString&) ! Save()", "Open(const QString&) ! Close()"}));
        QCOMPARE(backend->rec.liveApplications, 0);
        QVERIFY(!excel->isOpen());
        QCOMPARE(excel->sheetCount(), -1);
        QVERIFY(!excel->setCell(1, 1, 1));
        QVERIFY(!excel->save());
        QVERIFY(!excel->open('w'));
        excel->close(); // a second close does nothing
        QCOMPARE(logSince(mark).size(), 2);
    }

private:
    QStringList logSince(int mark) const { return backend->rec.log.mid(mark); }

    ExcelData *openedWithSheet()
    {
        excel = std::make_unique<ExcelData>(file);
        if (!excel->open('w') || !excel->addSheet(QStringLiteral("Data")))
            return nullptr;
        return excel.get();
    }

    RecordingBackend *backend = nullptr;
    std::unique_ptr<ExcelData> excel;
    QString file;
};

QTEST_MAIN(TestExcelData)
#include "tst_exceldata.moc"
