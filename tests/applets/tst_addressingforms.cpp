// The forms of the addressing and discovery windows, their buttons and "Add line".
#include "addressingfixture.h"

#include <QHeaderView>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace
{

QStringList headers(QTableWidget *table, Qt::Orientation orientation)
{
    QStringList texts;
    const int count = orientation == Qt::Horizontal ? table->columnCount() : table->rowCount();
    for (int i = 0; i < count; ++i) {
        const QTableWidgetItem *item = orientation == Qt::Horizontal
                                           ? table->horizontalHeaderItem(i)
                                           : table->verticalHeaderItem(i);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}

} // namespace

class TestAddressingForms : public QObject
{
    Q_OBJECT

    AddressingFixture f;

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void titles()
    {
        // The shell puts each window's shortcut before its title (Pxn and Configuration come
        // first here).
        QCOMPARE(f.applet("AutoAddressing")->windowTitle(), QString("(Ctrl+2) Auto addressing"));
        QCOMPARE(f.applet("AddressDiscovery")->windowTitle(),
                 QString("(Ctrl+3) Address Discovery"));
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("applet");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        const QString plain = QStringLiteral("QPushButton");
        const QString bound = QStringLiteral("CustomControls::PushButton");
        QTest::newRow("Execute") << "AutoAddressing"
                                 << "pbWrite" << plain << "Execute";
        QTest::newRow("Add line") << "AutoAddressing"
                                  << "pbAddLine" << plain << "Add line";
        QTest::newRow("Close 1") << "AutoAddressing"
                                 << "pbClose" << plain << "Close";
        QTest::newRow("Discover") << "AddressDiscovery"
                                  << "pbDiscover" << bound << "Discover";
        QTest::newRow("Close 2") << "AddressDiscovery"
                                 << "pbClose" << bound << "Close";
    }
    void buttons()
    {
        QFETCH(QString, applet);
        QFETCH(QString, button);
        QFETCH(QString, className);
        QFETCH(QString, text);
        QPushButton *b = f.button(qPrintable(applet), qPrintable(button));
        QVERIFY(b);
        QCOMPARE(QString(b->metaObject()->className()), className);
        QCOMPARE(b->text(), text);
        QVERIFY(b->accessibleName().isEmpty());
    }

    void addressingTable()
    {
        QTableWidget *table = f.table("AutoAddressing");
        QCOMPARE(headers(table, Qt::Horizontal), QStringList({"Adress", "Threshold", "Buck"}));
        QCOMPARE(headers(table, Qt::Vertical), QStringList({"1", "2"}));
        QCOMPARE(AddressingFixture::rows(table), QStringList({"1,80,1", "7,80,2"}));
        QCOMPARE(table->horizontalHeader()->defaultSectionSize(), 75);
        QVERIFY(table->editTriggers() != QAbstractItemView::NoEditTriggers);
    }

    void discoveryTable()
    {
        QTableWidget *table = f.table("AddressDiscovery");
        QCOMPARE(headers(table, Qt::Horizontal), QStringList({"Address", "PXN Mode"}));
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(table->horizontalHeader()->stretchLastSection());
        QCOMPARE(table->horizontalHeader()->minimumSectionSize(), 45);
    }

    void noNamedCommands_data()
    {
        QTest::addColumn<QString>("applet");
        QTest::newRow("addressing") << "AutoAddressing";
        QTest::newRow("discovery") << "AddressDiscovery";
    }
    void noNamedCommands()
    {
        QFETCH(QString, applet);
        Applet *a = f.applet(qPrintable(applet));
        f.take();
        QCOMPARE(a->run(QString(), QVariant(QString())), QVariant(false));
        QCOMPARE(a->run(QStringLiteral("Discover"), QVariant(0)), QVariant(false));
        QVERIFY(a->functionNames().isEmpty());
        QVERIFY(f.take().isEmpty());
    }

    void closeOnlyHides_data() { noNamedCommands_data(); }
    void closeOnlyHides()
    {
        QFETCH(QString, applet);
        QPointer<Applet> a = f.applet(qPrintable(applet));
        a->showWindow();
        QVERIFY(a->isWindowVisible());
        f.button(qPrintable(applet), "pbClose")->click();
        QVERIFY(a);
        QVERIFY(!a->isWindowVisible());
        QCOMPARE(f.applet(qPrintable(applet)), a.data());
    }

    void addLine_data()
    {
        QTest::addColumn<QList<int>>("answers"); // a negative value stands for a cancel
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("added") << QList<int>({3, 90, 2}) << 3 << QStringList({"3,90,2"});
        QTest::newRow("address 0, buck 0") << QList<int>({0, 1, 0}) << 3 << QStringList({"0,1,0"});
        QTest::newRow("address cancelled") << QList<int>({-100}) << 1 << QStringList();
        QTest::newRow("threshold cancelled") << QList<int>({3, -100}) << 2 << QStringList();
        QTest::newRow("buck cancelled") << QList<int>({3, 90, -100}) << 3 << QStringList();
        QTest::newRow("address -1") << QList<int>({-1, 90, 2}) << 3 << QStringList();
        QTest::newRow("threshold 0") << QList<int>({3, 0, 2}) << 3 << QStringList();
    }
    void addLine()
    {
        QFETCH(QList<int>, answers);
        QFETCH(int, dialogs);
        QFETCH(QStringList, added);
        AddressingFixture::setRows({"1,80,1", "7,80,2"});
        for (int answer : answers)
            f.prompt.queueInt(answer == -100 ? 0 : answer, answer != -100);
        const qsizetype before = f.prompt.intDialogs().size();
        f.button("AutoAddressing", "pbAddLine")->click();
        const QStringList asked = f.prompt.intDialogs().mid(before);
        QCOMPARE(asked.size(), dialogs);
        const QStringList all = {"Auto addressing|Address:|0|-1|31|1",
                                 "Auto addressing|Threshold:|0|0|255|1",
                                 "Auto addressing|Buck:|0|0|99|1"};
        QCOMPARE(asked, all.mid(0, dialogs));
        QCOMPARE(AddressingFixture::rows(f.table("AutoAddressing")),
                 QStringList({"1,80,1", "7,80,2"}) + added);
    }

    void executeRunsOncePerClick()
    {
        AddressingFixture::setRows({});
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        f.button("AutoAddressing", "pbWrite")->click();
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_MAIN(TestAddressingForms)
#include "tst_addressingforms.moc"
