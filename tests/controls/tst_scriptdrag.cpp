#include "buttonbox.h"
#include "checkbox.h"
#include "combobox.h"
#include "dial.h"
#include "lineedit.h"
#include "progressbar.h"
#include "pushbutton.h"
#include "radiobutton.h"
#include "scriptdrag.h"
#include "scriptdragprovider.h"
#include "slider.h"
#include "spinbox.h"
#include "switch.h"

#include <QDrag>
#include <QMimeData>
#include <QtTest>

#include <memory>

using namespace CustomControls;

namespace
{
const QString InitObject = "VBScript Init Object";
const QString SetData = "VBScript Set Data";
const QString GetData = "VBScript Get Data";
const QString CleanUp = "VBScript Clean-up";

// Stands in for the shell: names the active applet and records drags instead of running
// them (unless runForReal).
class RecordingProvider : public ScriptDragProvider
{
public:
    QWidget *applet = nullptr;
    QList<QObject *> sources;
    QList<QMap<QString, QByteArray>> drags; // format -> data, "text" -> the plain text
    bool runForReal = false;
    QPointer<QDrag> lastDrag;

    QWidget *activeAppletWidget() const override { return applet; }
    QString activeAppletName() const override { return "Board"; }
    Qt::DropAction executeDrag(QDrag *drag) override
    {
        QMap<QString, QByteArray> record;
        for (const QString &format : drag->mimeData()->formats())
            record.insert(format, drag->mimeData()->data(format));
        record.insert("text", drag->mimeData()->text().toLatin1());
        sources.append(drag->source());
        drags.append(record);
        lastDrag = drag;
        if (runForReal)
            return ScriptDragProvider::executeDrag(drag);
        drag->deleteLater();
        return Qt::CopyAction;
    }
};

using WidgetFactory = QWidget *(*)();

template <typename Widget> QWidget *make()
{
    return new Widget;
}

void ctrlPress(QWidget *widget, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QTest::mousePress(widget, button, modifiers, widget->rect().center());
    QTest::mouseRelease(widget, button, modifiers, widget->rect().center());
}
} // namespace

Q_DECLARE_METATYPE(WidgetFactory)

class TstScriptDrag : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_applet = std::make_unique<QWidget>();
        m_provider.applet = m_applet.get();
        m_provider.drags.clear();
        m_provider.sources.clear();
        m_provider.runForReal = false;
        ScriptDragProvider::setProvider(&m_provider);
    }

    void cleanup()
    {
        ScriptDragProvider::setProvider(nullptr);
        m_applet.reset();
    }

    // The exact lines the script editor pastes, per drag mode (run wins over set and get).
    void lines()
    {
        const QByteArray init = R"(Set @KVL52110 = GetObject(,"KVL52110.Bench") )";
        const QByteArray get = R"(# = @KVL52110.get("Board.ReadVLED" ) )";
        const QByteArray set = R"(call @KVL52110.set("Board.ReadVLED", # ) )";
        const QByteArray run = R"(call @KVL52110.run("Board.ReadVLED", "1" ) )";
        const QByteArray clean = "Set @KVL52110 = Nothing ";
        QCOMPARE(ScriptDrag::runLine("A.%2", "%1"), R"(call @KVL52110.run("A.%2", "%1" ) )");
        const QString text = "Board.ReadVLED #KVL52110:";
        struct Case {
            int mode;
            QByteArray get, set, text;
        };
        for (const Case &c : {Case{3, get, set, "get,set"}, Case{2, get, {}, "get"},
                              Case{4, {}, run, "run"}, Case{7, {}, run, "get,setrun"}}) {
            std::unique_ptr<QMimeData> data(ScriptDrag::mimeData("Board.ReadVLED", "1", c.mode));
            QCOMPARE(data->data(InitObject), init);
            QCOMPARE(data->hasFormat(GetData), !c.get.isEmpty());
            QCOMPARE(data->data(GetData), c.get);
            QCOMPARE(data->data(SetData), c.set);
            QCOMPARE(data->data(CleanUp), clean);
            QCOMPARE(data->text(), text + c.text);
        }
    }

    // A press with Ctrl alone drags the widget's item in the widget's mode, from the applet.
    void ctrlLeftPressStartsDragWithWidgetMode_data()
    {
        QTest::addColumn<WidgetFactory>("factory");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("setLine");
        const QString item = "Board.BANK[SW1]";
        const QString both = item + " #KVL52110:get,set";
        const QString set = ScriptDrag::setLine(item);
        QTest::newRow("check box") << &make<CheckBox> << "BANK[SW1]" << both << set;
        QTest::newRow("radio button") << &make<RadioButton> << "BANK[SW1]" << both << set;
        QTest::newRow("button box") << &make<ButtonBox> << "BANK[SW1]" << both << set;
        QTest::newRow("line edit") << &make<LineEdit> << "BANK[SW1]" << both << set;
        QTest::newRow("dial") << &make<Dial> << "BANK[SW1]" << both << set;
        QTest::newRow("slider") << &make<Slider> << "BANK[SW1]" << both << set;
        QTest::newRow("spin box") << &make<SpinBox> << "BANK[SW1]" << both << set;
        QTest::newRow("progress bar")
            << &make<ProgressBar> << "BANK[SW1]" << item + " #KVL52110:get" << QString();
        QTest::newRow("push button") << &make<PushButton> << "ReadVLED(1)"
                                     << "Board.ReadVLED #KVL52110:run"
                                     << ScriptDrag::runLine("Board.ReadVLED", "1");
    }

    void ctrlLeftPressStartsDragWithWidgetMode()
    {
        QFETCH(WidgetFactory, factory);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, setLine);
        std::unique_ptr<QWidget> widget(factory());
        widget->setAccessibleName(name);
        widget->resize(120, 40);
        widget->show();
        ctrlPress(widget.get());
        QCOMPARE(m_provider.drags.size(), 1);
        QCOMPARE(m_provider.sources.first(), m_applet.get());
        const QMap<QString, QByteArray> &drag = m_provider.drags.first();
        QCOMPARE(QString(drag.value("text")), text);
        QCOMPARE(drag.contains(GetData), text.contains("get"));
        QCOMPARE(QString(drag.value(SetData)), setLine);
        QVERIFY(drag.contains(InitObject) && drag.contains(CleanUp));

    }

    void otherPressesStartNoDrag()
    {
        Slider slider;
        slider.setAccessibleName("SA");
        slider.resize(30, 120);
        for (auto [button, modifiers] :
             {std::pair{Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier},
              {Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
              {Qt::RightButton, Qt::KeyboardModifiers(Qt::ControlModifier)},
              {Qt::LeftButton, Qt::KeyboardModifiers()}})
            ctrlPress(&slider, button, modifiers);
        QCOMPARE(m_provider.drags.size(), 0);
    }

    void comboBoxDragsOnlyWhenBoundAndWritable()
    {
        ComboBox box;
        box.setAccessibleName("FREQ");
        box.addItems({"a", "b"});
        box.resize(100, 30);
        box.show();
        ctrlPress(&box);
        QCOMPARE(m_provider.drags.size(), 0); // never bound
        box.hidePopup();

        QObject receiver;
        box.connectChanged(nullptr, &receiver);
        QVERIFY(box.isConnected());
        box.setWritable(false);
        ctrlPress(&box);
        QCOMPARE(m_provider.drags.size(), 0); // read-only: the whole press is ignored
        box.setWritable(true);
        ctrlPress(&box);
        QCOMPARE(m_provider.drags.size(), 1);
        QCOMPARE(m_provider.drags.first().value("text"), "Board.FREQ #KVL52110:get,set");
        box.hidePopup();
    }

    void noActiveAppletStartsNoDrag()
    {
        CheckBox check;
        check.setAccessibleName("SA");
        check.resize(100, 30);
        const QPoint onIndicator(8, 15);
        m_provider.applet = nullptr; // no tool window active
        QTest::mouseClick(&check, Qt::LeftButton, Qt::ControlModifier, onIndicator);
        QVERIFY(check.isChecked()); // the click itself still works
        ScriptDragProvider::setProvider(nullptr); // the shell has installed none
        QTest::mouseClick(&check, Qt::LeftButton, Qt::ControlModifier, onIndicator);
        check.startScriptDrag(3);
        QCOMPARE(m_provider.drags.size(), 0);
        QVERIFY(!check.isChecked());
    }

    void qtDeletesTheDragObject()
    {
        // Run the real drag and cancel it with Escape; Qt then deletes the drag object (ASan
        // reports a double delete if anyone else does too).
        m_provider.runForReal = true;
        m_applet->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_applet.get()));
        auto *check = new CheckBox(m_applet.get());
        check->setAccessibleName("SA");
        check->show();
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, this,
                [&] { QTest::keyClick(m_applet.get(), Qt::Key_Escape); });
        canceller.start(50);
        check->startScriptDrag(3);
        canceller.stop();
        check->deleteScriptDrag();
        QCOMPARE(m_provider.drags.size(), 1);
        QPointer<QDrag> drag = m_provider.lastDrag;
        QTRY_VERIFY(drag.isNull()); // not kept alive by its parent, the applet
    }

    // Widgets that paint the tint themselves (the others take it from their base classes).
    void tintWhileCtrlHeld_data()
    {
        QTest::addColumn<WidgetFactory>("factory");
        QTest::newRow("slider") << &make<Slider>;
        QTest::newRow("progress bar") << &make<ProgressBar>;
        QTest::newRow("switch") << &make<Switch>;
    }

    void tintWhileCtrlHeld()
    {
        QFETCH(WidgetFactory, factory);
        QWidget window;
        window.resize(200, 100);
        QWidget *widget = factory();
        widget->setParent(&window);
        widget->setGeometry(10, 10, 150, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint inside = widget->mapToGlobal(widget->rect().center());
        QCursor::setPos(inside);
        if (QCursor::pos() != inside)
            QSKIP("this platform cannot place the cursor");

        QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier); // earlier presses held Ctrl
        const QColor plain = widget->grab().toImage().pixelColor(1, 1);
        QTest::keyPress(&window, Qt::Key_Control, Qt::ControlModifier);
        if (QGuiApplication::keyboardModifiers() != Qt::ControlModifier)
            QSKIP("this platform does not report the held Ctrl key");
        const QColor tinted = widget->grab().toImage().pixelColor(1, 1);
        QCursor::setPos(widget->mapToGlobal(QPoint(-5, -5)));
        const QColor outside = widget->grab().toImage().pixelColor(1, 1);
        QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier);
        QVERIFY(tinted != plain);
        QCOMPARE(outside, plain);
        QVERIFY(tinted.red() > tinted.blue()); // the tint leans towards orange
    }

private:
    std::unique_ptr<QWidget> m_applet;
    RecordingProvider m_provider;
};

QTEST_MAIN(TstScriptDrag)
#include "tst_scriptdrag.moc"
