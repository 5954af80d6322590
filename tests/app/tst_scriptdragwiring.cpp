// The Ctrl+drag script of a bound widget names the applet of the main window's active tool
// window: the whole shell starts with two tool applets, and the provider installed at start-up
// finds the applet through MainApp and its main window.
#include "tst_shellfixture.h"

#include "activeappletprovider.h"
#include "checkbox.h"
#include "lineedit.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "pushbutton.h"
#include "register.h"
#include "scriptdragprovider.h"

#include <QDrag>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QtTest>

using namespace CustomControls;

namespace
{

// A tool applet with widgets bound to BANK[SW1] and SA and a push button for ReadVLED(1).
class DragApplet : public Applet
{
public:
    explicit DragApplet(const QString &name)
        : bank("SW1#Switch one;SW2#Switch two", "BANK"),
          sa("@variable=SA@value=1@min=0@max=31@descr=Start address")
    {
        setObjectName(name);
        setWindowTitle(name + QStringLiteral(" tool"));
        resize(300, 200);
        cbSw1 = new CheckBox(this);
        cbSw1->setAccessibleName("BANK[SW1]");
        cbSw1->setGeometry(10, 10, 100, 20);
        leSa = new LineEdit(this);
        leSa->setAccessibleName("SA");
        leSa->setGeometry(10, 40, 100, 20);
        pbRead = new PushButton(this);
        pbRead->setAccessibleName("ReadVLED(1)");
        pbRead->setGeometry(10, 70, 100, 20);
    }

    bool init() override
    {
        addRegister(&bank, 2);
        addVariable(&sa);
        return true;
    }
    QVariant run(const QString &, const QVariant &) override { return QVariant(); }

    Register bank;
    Variable sa;
    CheckBox *cbSw1 = nullptr;
    LineEdit *leSa = nullptr;
    PushButton *pbRead = nullptr;
};

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
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void providerIsInstalledAtStart();
    void dragNamesTheActiveApplet_data();
    void dragNamesTheActiveApplet();
    void pushButtonDragsItsRunLine();
    void noActiveToolWindowStartsNoDrag();

private:
    DragApplet *tool(int i) const { return static_cast<DragApplet *>(app->applet(i)); }
    void activate(int i);

    MainApp *app = nullptr;
    ShellPrompt prompt;
    RecordingProvider recorder;
    ScriptDragProvider *installed = nullptr;
};

void TestScriptDragWiring::initTestCase()
{
    app = MainApp::instance();
    app->setAppletFactories({[]() -> Applet * { return new DragApplet("ToolA"); },
                             []() -> Applet * { return new DragApplet("ToolB"); }});
    QVERIFY(app->init());
    app->start();
    installed = ScriptDragProvider::provider();
}

void TestScriptDragWiring::cleanupTestCase()
{
    app->shutdown();
}

void TestScriptDragWiring::init()
{
    recorder.drags.clear();
    ScriptDragProvider::setProvider(&recorder);
}

void TestScriptDragWiring::cleanup()
{
    ScriptDragProvider::setProvider(installed);
    app->closeAll();
}

void TestScriptDragWiring::activate(int i)
{
    tool(i)->showWindow();
    auto *sub = qobject_cast<QMdiSubWindow *>(tool(i)->container());
    QVERIFY(sub);
    app->mainWindow()->mdiArea()->setActiveSubWindow(sub);
    QCOMPARE(app->mainWindow()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
}

void TestScriptDragWiring::providerIsInstalledAtStart()
{
    QVERIFY(dynamic_cast<ActiveAppletProvider *>(installed));
    activate(2);
    QCOMPARE(installed->activeAppletName(), QString("ToolB"));
    QCOMPARE(installed->activeAppletWidget(), static_cast<QWidget *>(tool(2)));
    activate(1);
    QCOMPARE(installed->activeAppletName(), QString("ToolA"));
}

void TestScriptDragWiring::dragNamesTheActiveApplet_data()
{
    QTest::addColumn<int>("applet");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("item");

    QTest::newRow("check box in ToolB") << 2 << "cbSw1"
                                        << "ToolB.BANK[SW1]";
    QTest::newRow("line edit in ToolA") << 1 << "leSa"
                                        << "ToolA.SA";
}

void TestScriptDragWiring::dragNamesTheActiveApplet()
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
    QCOMPARE(drag.data.value("text/plain"), (item + " #KVL52110:get,set").toLatin1());
    QCOMPARE(drag.data.value("VBScript Get Data"),
             QString("# = @KVL52110.get(\"%1\" ) ").arg(item).toLatin1());
    QCOMPARE(drag.data.value("VBScript Set Data"),
             QString("call @KVL52110.set(\"%1\", # ) ").arg(item).toLatin1());
    QCOMPARE(drag.data.value("VBScript Init Object"),
             QByteArray("Set @KVL52110 = GetObject(,\"KVL52110.Bench\") "));
    QCOMPARE(drag.data.value("VBScript Clean-up"), QByteArray("Set @KVL52110 = Nothing "));
}

void TestScriptDragWiring::pushButtonDragsItsRunLine()
{
    activate(2);
    ctrlPress(tool(2)->pbRead);
    QCOMPARE(recorder.drags.size(), 1);
    const RecordedDrag &drag = recorder.drags.first();
    QCOMPARE(drag.data.value("VBScript Set Data"),
             QByteArray("call @KVL52110.run(\"ToolB.ReadVLED\", \"1\" ) "));
    QCOMPARE(drag.data.value("text/plain"), QByteArray("ToolB.ReadVLED #KVL52110:run"));
    QVERIFY(!drag.data.contains("VBScript Get Data"));
}

void TestScriptDragWiring::noActiveToolWindowStartsNoDrag()
{
    activate(1);
    app->mainWindow()->mdiArea()->setActiveSubWindow(nullptr);
    QCOMPARE(app->mainWindow()->activeSubWindowWidget(), nullptr);
    QCOMPARE(installed->activeAppletWidget(), nullptr);
    QCOMPARE(installed->activeAppletName(), QString());
    ctrlPress(tool(1)->cbSw1);
    QVERIFY(recorder.drags.isEmpty());
}

QTEST_MAIN(TestScriptDragWiring)
#include "tst_scriptdragwiring.moc"
