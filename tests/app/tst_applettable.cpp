// The applet table on its own: applets built at the start or when first asked for (by index,
// shortcut or name), their menu entries in table order, a window placed ahead by its form's
// size, failures, and the work done while the program waits (WarmUp).
#include "applettable.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "paintcounter.h"
#include "tst_shellfixture.h"
#include "warmup.h"

#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace
{

// A tool applet that counts the measures of its form.
using MeasuredTool = MeasureCounter<ToolApplet>;

// A factory of tool applet NAME; each applet built is noted in built, in order.
AppletFactory tool(const QString &name, QStringList *built)
{
    return [=](QWidget *parent) -> Applet * {
        built->append(name);
        return new MeasuredTool(name, parent);
    };
}

QStringList names(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        texts.append(action->whatsThis());
    return texts;
}

} // namespace

class TestAppletTable : public QObject
{
    Q_OBJECT

    // A table of the log applet and tools A (built at the start), B, C (its form's size known)
    // and D, set up and placed as the program's start does it.
    void start(AppletTable *table, MainWindow *window, QStringList *built)
    {
        table->setMainWindow(window);
        table->reset(new ToolApplet(QStringLiteral("Log"), window));
        table->buildAtStart({tool("A", built), tool("B", built).whenNeeded(),
                             tool("C", built).whenNeeded(QSize(300, 200)),
                             tool("D", built).whenNeeded()});
        QVERIFY(table->setUp(1));
        table->placeAll();
        // As the program's start: the hidden windows are polished when first needed.
        QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
    }

private slots:
    void factoryCopies()
    {
        const AppletFactory made = AppletFactory(tool("A", nullptr)).whenNeeded(QSize(5, 6));
        const AppletFactory copy = made; // a copy is no factory wrapped in another
        QVERIFY(copy.isWhenNeeded() && copy.formSize() == QSize(5, 6));
        QVERIFY(!AppletFactory() && !AppletFactory().isWhenNeeded() && copy);
        QVERIFY(!AppletFactory()(nullptr));
    }

    // Only A is built at the start; C's window has its place already. Each lookup builds what
    // it names, and the menu keeps the table's order; a name not known yet builds the rest.
    void builtWhenAskedFor()
    {
        MainWindow window;
        AppletTable table;
        QStringList built;
        start(&table, &window, &built);
        QCOMPARE(built, QStringList{"A"});
        QCOMPARE(table.count(), 5);
        QVERIFY(table.hasPending() && !table.built(2) && !table.built(4));
        QCOMPARE(window.mdiArea()->subWindowList().size(), 4); // every window, in table order
        const QRect place = window.mdiArea()->subWindowList().at(2)->geometry();
        QCOMPARE(place.size(), QSize(300, 200) + QSize(20, 40)); // C's form in its frame
        QCOMPARE(table.built(1)->title(), QString("(Ctrl+0) A tool"));

        QCOMPARE(table.find(int(Qt::Key_0) + 3, AppletTable::ByShortcut)->name(), QString("D"));
        QCOMPARE(table.at(2)->title(), QString("(Ctrl+1) B tool"));
        QCOMPARE(built, (QStringList{"A", "D", "B"}));
        QCOMPARE(names(window.getMenuApp()->actions()), (QStringList{"A", "B", "D"}));
        Applet *c = table.find(QStringLiteral("C"), AppletTable::ByName);
        QCOMPARE(c, table.built(3));
        QVERIFY(!table.hasPending());
        QCOMPARE(names(window.getMenuApp()->actions()), (QStringList{"A", "B", "C", "D"}));
        QCOMPARE(c->container(), window.mdiArea()->subWindowList().at(2)); // made at the start
        QCOMPARE(c->container()->geometry(), place);
        QCOMPARE(window.mdiArea()->subWindowList().size(), 4);
        QVERIFY(!table.find(QStringLiteral("E"), AppletTable::ByName));
        QCOMPARE(table.find(0, AppletTable::First)->name(), QString("Log"));
        QCOMPARE(static_cast<ToolApplet *>(table.built(2))->initCalls, 1);
        QCOMPARE(table.takeAll().size(), 5);
        QCOMPARE(table.count(), 0);
    }

    // A factory that makes nothing at the start leaves no entry (the digits stay in a row); one
    // built when needed leaves its entry empty, its window made ahead gone. An applet whose
    // set-up fails later says so in its own log.
    void failures()
    {
        MainWindow window;
        AppletTable table;
        table.setMainWindow(&window);
        table.reset(nullptr);
        QStringList errors;
        const AppletFactory none = [](QWidget *) -> Applet * { return nullptr; };
        const AppletFactory failing = [&errors](QWidget *parent) -> Applet * {
            auto *applet = new ToolApplet(QStringLiteral("F"), parent);
            applet->initResult = false;
            connect(applet, &Applet::signal_log, applet, [&errors](int level, const QString &text) {
                if (level < 0)
                    errors.append(text);
            });
            return applet;
        };
        table.buildAtStart({none, none.whenNeeded(QSize(10, 10)), failing.whenNeeded()});
        table.placeAll();
        QCOMPARE(table.count(), 3);
        QCOMPARE(window.mdiArea()->subWindowList().size(), 2);
        QVERIFY(!table.at(1));
        QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
        Applet *failed = table.find(int(Qt::Key_0) + 1, AppletTable::ByShortcut);
        QVERIFY(failed && failed->name() == "F");
        QCOMPARE(errors, QStringList{"The tool window F could not be set up"});
        QCOMPARE(names(window.getMenuApp()->actions()), QStringList{"F"});
        qDeleteAll(table.takeAll());
    }

    // While the program is busy nothing is built; once it waits, each applet not built yet is
    // built and each hidden tool window polished, none shown, and the work says it is done.
    void warmUp()
    {
        MainWindow window;
        AppletTable table;
        QStringList built;
        start(&table, &window, &built);
        bool busy = true;
        int asked = 0;
        WarmUp warmUp(&table, [&]() {
            ++asked;
            return !busy;
        });
        QSignalSpy done(&warmUp, &WarmUp::signal_done);
        warmUp.start();
        QTRY_VERIFY_WITH_TIMEOUT(asked >= 2, 30000);
        QCOMPARE(built, QStringList{"A"});
        busy = false;
        QTRY_VERIFY_WITH_TIMEOUT(warmUp.isDone(), 30000);
        QCOMPARE(done.size(), 1);
        QCOMPARE(built, (QStringList{"A", "B", "C", "D"}));
        for (int i = 1; i < table.count(); ++i) {
            QVERIFY(table.built(i)->testAttribute(Qt::WA_WState_Polished));
            QVERIFY2(static_cast<MeasuredTool *>(table.built(i))->measures > 0,
                     qPrintable(table.built(i)->name()));
            QVERIFY(!table.built(i)->container()->isVisible());
        }
        QVERIFY(asked >= 2 + 3 + 4); // every step looked first: three builds, four polishes
    }

    // A hidden window never polished is polished down to its last widget and stays hidden; a
    // polished or shown one is left alone.
    void polishWindow()
    {
        QMdiArea area;
        area.show();
        auto *applet = new ToolApplet(QStringLiteral("P"), Applet::createSubWindow(&area));
        applet->createContainer(Applet::MdiContainer, &area);
        QVERIFY(!applet->cbSw1->testAttribute(Qt::WA_WState_Polished));
        QVERIFY(applet->polishWindow());
        QVERIFY(applet->cbSw1->testAttribute(Qt::WA_WState_Polished));
        QVERIFY(!applet->container()->isVisible());
        QVERIFY(!applet->polishWindow());
        applet->showWindow();
        QVERIFY(applet->container()->isVisible() && !applet->polishWindow());
    }
};

QTEST_MAIN(TestAppletTable)
#include "tst_applettable.moc"
