// What a screen reader reads: every window of the program, connected to the mock-up (the main
// window, each tool window with the board page among them, a console, the firmware window and
// the log window), walked through Qt's accessibility interface as an assistive tool walks it.
// No control that can take the keyboard is nameless, and no name or description carries
// markup. A bound field reads as its label and still binds by its binding name.
#include "applethelper.h"
#include "bootloader.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QDockWidget>
#include <QMdiSubWindow>
#include <QtTest>

namespace
{

QString read(QObject *object, QAccessible::Text text = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(object)->text(text);
}

// Where an accessible object sits: its object (or class) name and those of three parents.
QString placeOf(QAccessibleInterface *iface)
{
    QStringList path;
    for (QObject *o = iface->object(); o && path.size() < 4; o = o->parent())
        path.prepend(o->objectName().isEmpty() ? o->metaObject()->className() : o->objectName());
    return iface->object() ? path.join('/') : "an item of " + placeOf(iface->parent());
}

} // namespace

class TestAccessibleNames : public QObject
{
    Q_OBJECT

    MainApp *app = nullptr;
    RecordingPrompt prompt;

    // Every fault under iface: a control that takes the keyboard without a name, a name or a
    // description with markup (a tag or an entity). The log list's rows are the list's own;
    // the main window's tool windows and log are windows of their own.
    void walk(QAccessibleInterface *iface, const QObject *window, QStringList *faults)
    {
        static const QRegularExpression markup("</?[A-Za-z][A-Za-z0-9]*(\\s[^<>]*)?/?>|&#?\\w+;");
        if (!iface)
            return;
        const QString name = iface->text(QAccessible::Name);
        if (iface->state().focusable && name.trimmed().isEmpty())
            *faults << "nameless: " + placeOf(iface);
        if ((name + iface->text(QAccessible::Description)).contains(markup))
            *faults << "markup: " + placeOf(iface) + " reads " + name;
        QObject *object = iface->object();
        if (object != window && (qobject_cast<QMdiSubWindow *>(object) ||
                                 qobject_cast<QDockWidget *>(object) || object == logList()))
            return;
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), window, faults);
    }

    QStringList faultsOf(QWidget *window)
    {
        QStringList faults;
        walk(QAccessible::queryAccessibleInterface(window), window, &faults);
        qInfo().noquote() << window->metaObject()->className() << window->objectName()
                          << faults.filter("nameless: ").size() << "nameless,"
                          << faults.filter("markup: ").size() << "with markup";
        return faults;
    }

    QAbstractItemView *logList() const { return app->logs()->findChild<QAbstractItemView *>(); }

private slots:
    void initTestCase()
    {
        QVERIFY(TestFiles::installShippedConfiguration());
        app = MainApp::instance();
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
        QVERIFY(app->connectBoard(QStringLiteral("mockup")));
    }

    void everyWindowReads_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < app->appletCount(); ++i)
            QTest::newRow(i ? qPrintable(app->applet(i)->objectName()) : "main window") << i;
    }

    void everyWindowReads()
    {
        QFETCH(int, index);
        if (index > 0)
            app->applet(index)->showWindow();
        QCOMPARE(faultsOf(index ? app->applet(index)->container() : app->mainWindow()),
                 QStringList());
    }

    void consoleFirmwareAndLogRead()
    {
        QTest::keyClick(app->findApplet("Board", MainApp::ByName), Qt::Key_F1);
        AppletHelper *console = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            console = console ? console : qobject_cast<AppletHelper *>(w);
        QVERIFY(console);
        app->updateFirmware();
        QVERIFY(app->bootloader());
        app->mainWindow()->logSwitch()->setChecked(true);
        QTRY_VERIFY(app->logs()->isVisible());
        QCOMPARE(faultsOf(console) + faultsOf(app->bootloader()) + faultsOf(app->logs()),
                 QStringList());
        QVERIFY(!read(logList()).isEmpty());
    }

    // A field reads as its label and a bit box as its bit, while each binds as it did: by the
    // form's binding name and by its object name.
    void boundFieldsReadTheirLabels()
    {
        QWidget *byte0 =
            app->findApplet("Configuration", MainApp::ByName)->findChild<QWidget *>("leEEW_D3");
        auto *bit = app->findApplet("SpiRaw", MainApp::ByName)->findChild<QCheckBox *>("cbSpiIn_3");
        QCOMPARE(read(byte0) + '|' + read(bit) + '|' + read(bit, QAccessible::Description),
                 QString("BYTE0|Data IN bit 3|SpiIn[3]"));
        QCOMPARE(app->findApplet("Configuration", MainApp::ByName)
                     ->controlNames()
                     .count("I2C_EEPROM_WRITE[DATA3]"),
                 1);
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
