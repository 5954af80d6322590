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

// Stands in for the shell: names the active applet and records each drag's formats, its
// plain text (as "text") and its source, instead of running it (unless runForReal).
class RecordingProvider : public ScriptDragProvider
{
public:
    QWidget *applet = nullptr;
    QList<QObject *> sources;
    QList<QMap<QString, QByteArray>> drags;
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
    void ctrlLeftPressDragsInTheWidgetsMode()
    {
        const std::pair<WidgetFactory, QString> widgets[] = {
            {&make<CheckBox>, "get,set"}, {&make<RadioButton>, "get,set"},
            {&make<ButtonBox>, "get,set"}, {&make<LineEdit>, "get,set"},
            {&make<Dial>, "get,set"},     {&make<Slider>, "get,set"},
            {&make<SpinBox>, "get,set"},  {&make<Switch>, "get,set"},
            {&make<ProgressBar>, "get"},  {&make<PushButton>, "run"}};
        for (const auto &[factory, mode] : widgets) {
            m_provider.drags.clear();
            m_provider.sources.clear();
            std::unique_ptr<QWidget> widget(factory());
            const bool run = mode == "run";
            widget->setAccessibleName(run ? "ReadVLED(1)" : "BANK[SW1]");
            widget->resize(120, 40);
            widget->show();
            ctrlPress(widget.get());
            QCOMPARE(m_provider.drags.size(), 1);
            QCOMPARE(m_provider.sources.first(), m_applet.get());
            const QString item = run ? "Board.ReadVLED" : "Board.BANK[SW1]";
            const QMap<QString, QByteArray> &drag = m_provider.drags.first();
            QCOMPARE(QString(drag.value("text")), item + " #KVL52110:" + mode);
            QCOMPARE(drag.contains(GetData), !run);
            const QString setLine = run             ? ScriptDrag::runLine(item, "1")
                                    : mode == "get" ? QString()
                                                    : ScriptDrag::setLine(item);
            QCOMPARE(QString(drag.value(SetData)), setLine);
        }
    }

    // Other presses, no active applet or no provider: no drag, and the click still works.
    void noDragOtherwise()
    {
        Slider slider;
        for (auto [button, modifiers] :
             {std::pair{Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier},
              {Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
              {Qt::RightButton, Qt::KeyboardModifiers(Qt::ControlModifier)},
              {Qt::LeftButton, Qt::KeyboardModifiers()}})
            ctrlPress(&slider, button, modifiers);

        CheckBox check;
        check.resize(100, 30);
        const QPoint onIndicator(8, 15);
        m_provider.applet = nullptr;
        QTest::mouseClick(&check, Qt::LeftButton, Qt::ControlModifier, onIndicator);
        QVERIFY(check.isChecked());
        ScriptDragProvider::setProvider(nullptr);
        QTest::mouseClick(&check, Qt::LeftButton, Qt::ControlModifier, onIndicator);
        check.startScriptDrag(3);
        QVERIFY(!check.isChecked());
        QCOMPARE(m_provider.drags.size(), 0);
    }

    // A combo box drags only once bound, and ignores the whole press while read-only.
    void comboBoxDragsOnlyWhenBoundAndWritable()
    {
        ComboBox box;
        box.setAccessibleName("FREQ");
        box.addItems({"a", "b"});
        box.show();
        QObject receiver;
        for (auto [bound, writable] : {std::pair{false, true}, {true, false}, {true, true}}) {
            if (bound)
                box.connectChanged(nullptr, &receiver);
            box.setWritable(writable);
            ctrlPress(&box);
            box.hidePopup();
            QCOMPARE(m_provider.drags.size(), bound && writable ? 1 : 0);
        }
        QCOMPARE(m_provider.drags.first().value("text"), "Board.FREQ #KVL52110:get,set");
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

    // While Ctrl alone is held, a widget under the pointer shows an orange tint.
    void tintWhileCtrlHeld()
    {
        QWidget window;
        window.resize(200, 100);
        auto *slider = new Slider(&window);
        slider->setGeometry(10, 10, 150, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint inside = slider->mapToGlobal(slider->rect().center());
        QCursor::setPos(inside);
        if (QCursor::pos() != inside)
            QSKIP("this platform cannot place the cursor");
        auto corner = [slider] { return slider->grab().toImage().pixelColor(1, 1); };
        QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier); // earlier presses held it
        const QColor plain = corner();
        QTest::keyPress(&window, Qt::Key_Control, Qt::ControlModifier);
        if (QGuiApplication::keyboardModifiers() != Qt::ControlModifier)
            QSKIP("this platform does not report the held Ctrl key");
        const QColor tinted = corner();
        QCursor::setPos(slider->mapToGlobal(QPoint(-5, -5)));
        const QColor outside = corner();
        QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier);
        QVERIFY(tinted != plain);
        QCOMPARE(outside, plain);
        QVERIFY(tinted.red() > tinted.blue());
    }

private:
    std::unique_ptr<QWidget> m_applet;
    RecordingProvider m_provider;
};

QTEST_MAIN(TstScriptDrag)
#include "tst_scriptdrag.moc"
