// The Ctrl+drag script of a bound widget names the applet of the main window's active tool
// window: the whole shell starts with two tool applets, and the provider installed at start-up
// finds the applet through MainApp and its main window.
#include "tst_shellfixture.h"

#include "activeappletprovider.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "scriptdragprovider.h"

#include <QDrag>
#include <QMdiSubWindow>
#include <QtTest>

using namespace CustomControls;

namespace
{

struct RecordedDrag {
    QObject *source = nullptr;
    QMap<QString, QByteArray> data;
};

// The program's provider with a recording drag in place of the real one.
class RecordingProvider : public ActiveAppletProvider
{
public:
    Qt::DropAction executeDrag(QDrag *drag) override
    {
        RecordedDrag record;
        record.source = drag->source();
        for (const QString &format : drag->mimeData()->formats())
            record.data.insert(format, drag->mimeData()->data(format));
        drags.append(record);
        return Qt::CopyAction;
    }
    QList<RecordedDrag> drags;
};

void ctrlPress(QWidget *widget)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::ControlModifier, widget->rect().center());
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::ControlModifier, widget->rect().center());
}

} // namespace

class TestScriptDragWiring : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        app = MainApp::instance();
        app->setAppletFactories({[]() -> Applet * { return new ToolApplet("ToolA"); },
                                 []() -> Applet * { return new ToolApplet("ToolB"); }});
        QVERIFY(app->init());
        app->start();
        installed = ScriptDragProvider::provider();
    }

    void cleanupTestCase() { app->shutdown(); }

    void init()
    {
        recorder.drags.clear();
        ScriptDragProvider::setProvider(&recorder);
    }

    void cleanup()
    {
        ScriptDragProvider::setProvider(installed);
        app->closeAll();
    }

    void providerIsInstalledAtStart()
    {
        QVERIFY(dynamic_cast<ActiveAppletProvider *>(installed));
        activate(2);
        QCOMPARE(installed->activeAppletName(), QString("ToolB"));
        QCOMPARE(installed->activeAppletWidget(), static_cast<QWidget *>(tool(2)));
        activate(1);
        QCOMPARE(installed->activeAppletName(), QString("ToolA"));
    }

    void dragNamesTheActiveApplet_data()
    {
        QTest::addColumn<int>("applet");
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("item");

        QTest::newRow("check box in ToolB") << 2 << QString("cbSw1") << QString("ToolB.BANK[SW1]");
        QTest::newRow("line edit in ToolA") << 1 << QString("leSa") << QString("ToolA.SA");
    }

    void dragNamesTheActiveApplet()
    {
        QFETCH(int, applet);
        QFETCH(QString, widget);
        QFETCH(QString, item);
        activate(applet);
        QWidget *w = widget == "cbSw1" ? static_cast<QWidget *>(tool(applet)->cbSw1)
                                       : static_cast<QWidget *>(tool(applet)->leSa);
        ctrlPress(w);
        QCOMPARE(recorder.drags.size(), 1);
        const RecordedDrag &drag = recorder.drags.first();
        QCOMPARE(drag.source, static_cast<QObject *>(tool(applet)));
        // The texts themselves: tst_scriptdrag.
        QCOMPARE(drag.data.value("text/plain"), (item + " #KVL52110:get,set").toLatin1());
    }

    void noActiveToolWindowStartsNoDrag()
    {
        activate(1);
        app->mainWindow()->mdiArea()->setActiveSubWindow(nullptr);
        QCOMPARE(app->mainWindow()->activeSubWindowWidget(), nullptr);
        QCOMPARE(installed->activeAppletWidget(), nullptr);
        QCOMPARE(installed->activeAppletName(), QString());
        ctrlPress(tool(1)->cbSw1);
        QVERIFY(recorder.drags.isEmpty());
    }

private:
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }

    void activate(int i)
    {
        tool(i)->showWindow();
        auto *sub = qobject_cast<QMdiSubWindow *>(tool(i)->container());
        QVERIFY(sub);
        app->mainWindow()->mdiArea()->setActiveSubWindow(sub);
        QCOMPARE(app->mainWindow()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
    }

    MainApp *app = nullptr;
    ShellPrompt prompt;
    RecordingProvider recorder;
    ScriptDragProvider *installed = nullptr;
};

QTEST_MAIN(TestScriptDragWiring)
#include "tst_scriptdragwiring.moc"
