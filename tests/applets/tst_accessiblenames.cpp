// What a screen reader reads: every window of the program, connected to the mock-up (the main
// window, each tool window with the board page among them, a console, the firmware window and
// the log window), walked through Qt's accessibility interface as an assistive tool walks it.
// No control that can take the keyboard is nameless, and no name or description carries
// markup. A bound field reads as its label and still binds by its binding name.
#include "applet.h"
#include "applethelper.h"
#include "bootloader.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "testfiles.h"
#include "toolapplets.h"
#include "universalcontrol.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QDockWidget>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QtTest>

namespace
{

// A tag or a character entity, as rich text writes them.
bool hasMarkup(const QString &text)
{
    static const QRegularExpression markup(
        QStringLiteral("</?[A-Za-z][A-Za-z0-9]*(\\s[^<>]*)?/?>|&[A-Za-z]+;|&#\\d+;"));
    return markup.match(text).hasMatch();
}

// Where an accessible object sits: its widgets' object names (or class names) from its window.
QString placeOf(QAccessibleInterface *iface)
{
    if (!iface->object())
        return QStringLiteral("an item of ") + placeOf(iface->parent());
    QStringList path;
    for (QObject *o = iface->object(); o; o = o->parent()) {
        path.prepend(o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className())
                                               : o->objectName());
        if (o->isWidgetType() && static_cast<QWidget *>(o)->isWindow())
            break;
    }
    return path.join(QLatin1Char('/'));
}

QString nameRead(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

} // namespace

class TestAccessibleNames : public QObject
{
    Q_OBJECT

    MainApp *app = nullptr;
    RecordingPrompt prompt;

    // Every fault under iface: a control that takes the keyboard without a name, a name or a
    // description with markup. The log list's rows are the list's own; the main window's tool
    // windows and log are windows of their own.
    void walk(QAccessibleInterface *iface, const QObject *window, QStringList *faults)
    {
        if (!iface || !iface->isValid())
            return;
        const QString name = iface->text(QAccessible::Name);
        const QString description = iface->text(QAccessible::Description);
        if (iface->state().focusable && name.trimmed().isEmpty())
            *faults << QStringLiteral("nameless: ") + placeOf(iface);
        if (hasMarkup(name) || hasMarkup(description))
            *faults << QStringLiteral("markup: %1 reads \"%2\", \"%3\"")
                           .arg(placeOf(iface), name, description);
        QObject *object = iface->object();
        if (object && object != window &&
            (qobject_cast<QMdiSubWindow *>(object) || qobject_cast<QDockWidget *>(object) ||
             object == logList()))
            return;
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), window, faults);
    }

    QStringList faultsOf(QWidget *window)
    {
        QStringList faults;
        walk(QAccessible::queryAccessibleInterface(window), window, &faults);
        for (const QString &fault : std::as_const(faults))
            qInfo().noquote() << fault;
        qInfo().noquote() << window->objectName() << faults.filter("nameless: ").size()
                          << "nameless," << faults.filter("markup: ").size() << "with markup";
        return faults;
    }

    QAbstractItemView *logList() const { return app->logs()->findChild<QAbstractItemView *>(); }

    template <typename T> T *widget(const QString &applet, const QString &name)
    {
        return app->findApplet(applet, MainApp::ByName)->findChild<T *>(name);
    }

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
        QTest::newRow("main window") << 0;
        for (int i = 1; i < app->appletCount(); ++i)
            QTest::newRow(qPrintable(app->applet(i)->objectName())) << i;
    }

    void everyWindowReads()
    {
        QFETCH(int, index);
        QWidget *window = app->mainWindow();
        if (index > 0) {
            app->applet(index)->showWindow();
            window = app->applet(index)->container();
        }
        QCOMPARE(faultsOf(window), QStringList());
    }

    void consoleFirmwareAndLogRead()
    {
        Applet *board = app->findApplet(QStringLiteral("Board"), MainApp::ByName);
        QVERIFY(QMetaObject::invokeMethod(board, "slot_showHelp"));
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
        QVERIFY(!nameRead(logList()).isEmpty());
    }

    // A field reads as its label and a bit box as its bit, while each binds as it did: the
    // form's binding name and the object name's.
    void boundFieldsReadTheirLabels()
    {
        using CustomControls::UniversalControl;
        auto *byte0 = widget<QWidget>("Configuration", "leEEW_D3");
        QCOMPARE(nameRead(byte0), QString("BYTE0"));
        QCOMPARE(dynamic_cast<UniversalControl *>(byte0)->registerName(2),
                 QString("I2C_EEPROM_WRITE[DATA3]"));
        auto *bit = widget<QCheckBox>("SpiRaw", "cbSpiIn_3");
        QCOMPARE(nameRead(bit), QString("Data IN bit 3"));
        QCOMPARE(dynamic_cast<UniversalControl *>(bit)->registerName(2), QString("SpiIn[3]"));
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "tst_accessiblenames.moc"
