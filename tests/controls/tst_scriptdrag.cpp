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

struct RecordedDrag {
    QObject *source = nullptr;
    QStringList formats;
    QMap<QString, QByteArray> data;
    QString text;
};

// Stands in for the shell: names the active applet and records drags instead of running
// them.
class RecordingProvider : public ScriptDragProvider
{
public:
    QWidget *applet = nullptr;
    QString name = "Board";
    QList<RecordedDrag> drags;
    bool runForReal = false;
    QPointer<QDrag> lastDrag;

    QWidget *activeAppletWidget() const override { return applet; }
    QString activeAppletName() const override { return name; }
    Qt::DropAction executeDrag(QDrag *drag) override
    {
        RecordedDrag record;
        record.source = drag->source();
        const QMimeData *mime = drag->mimeData();
        record.formats = mime->formats();
        for (const QString &format : record.formats)
            record.data.insert(format, mime->data(format));
        record.text = mime->text();
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
        m_applet->setObjectName("Board");
        m_provider.applet = m_applet.get();
        m_provider.drags.clear();
        m_provider.runForReal = false;
        ScriptDragProvider::setProvider(&m_provider);
    }

    void cleanup()
    {
        ScriptDragProvider::setProvider(nullptr);
        m_applet.reset();
    }

    void lines()
    {
        QCOMPARE(ScriptDrag::initObjectLine(), R"(Set @KVL52110 = GetObject(,"KVL52110.Bench") )");
        QCOMPARE(ScriptDrag::getLine("Board.BANK[SW1]"),
                 R"(# = @KVL52110.get("Board.BANK[SW1]" ) )");
        QCOMPARE(ScriptDrag::setLine("Board.BANK[SW1]"),
                 R"(call @KVL52110.set("Board.BANK[SW1]", # ) )");
        QCOMPARE(ScriptDrag::runLine("Board.ReadVLED", "1"),
                 R"(call @KVL52110.run("Board.ReadVLED", "1" ) )");
        QCOMPARE(ScriptDrag::runLine("A.%2", "%1"), R"(call @KVL52110.run("A.%2", "%1" ) )");
        QCOMPARE(ScriptDrag::cleanUpLine(), "Set @KVL52110 = Nothing ");
        QCOMPARE(ScriptDrag::plainText("Board.BANK[SW1]", 3), "Board.BANK[SW1] #KVL52110:get,set");
        QCOMPARE(ScriptDrag::plainText("Board.X", 2), "Board.X #KVL52110:get");
        QCOMPARE(ScriptDrag::plainText("Board.ReadVLED", 4), "Board.ReadVLED #KVL52110:run");
    }

    void mimeDataPerMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("set and get")
            << 3 << QStringList{InitObject, GetData, SetData, CleanUp} << QStringList{};
        QTest::newRow("get") << 2 << QStringList{InitObject, GetData, CleanUp}
                             << QStringList{SetData};
        QTest::newRow("run") << 4 << QStringList{InitObject, SetData, CleanUp}
                             << QStringList{GetData};
        QTest::newRow("run wins") << 7 << QStringList{InitObject, SetData, CleanUp}
                                  << QStringList{GetData};
    }

    void mimeDataPerMode()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        std::unique_ptr<QMimeData> data(ScriptDrag::mimeData("Board.ReadVLED", "1", mode));
        for (const QString &format : present)
            QVERIFY2(data->hasFormat(format), qPrintable(format));
        for (const QString &format : absent)
            QVERIFY2(!data->hasFormat(format), qPrintable(format));
        QVERIFY(data->hasText());
        const QByteArray setData = data->data(SetData);
        if (mode & 4)
            QCOMPARE(setData, QByteArray(R"(call @KVL52110.run("Board.ReadVLED", "1" ) )"));
        else if (mode & 1)
            QCOMPARE(setData, QByteArray(R"(call @KVL52110.set("Board.ReadVLED", # ) )"));
        QCOMPARE(data->data(InitObject), ScriptDrag::initObjectLine().toLatin1());
        QCOMPARE(data->data(CleanUp), QByteArray("Set @KVL52110 = Nothing "));
    }

    void ctrlLeftPressStartsDragWithWidgetMode_data()
    {
        QTest::addColumn<WidgetFactory>("factory");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasGet");
        QTest::addColumn<QString>("setLine");
        const QString item = "Board.BANK[SW1]";
        const auto valueRow = [&item](const char *tag, WidgetFactory factory) {
            QTest::newRow(tag) << factory << "BANK[SW1]" << item + " #KVL52110:get,set" << true
                               << ScriptDrag::setLine(item);
        };
        valueRow("check box", &make<CheckBox>);
        valueRow("radio button", &make<RadioButton>);
        valueRow("button box", &make<ButtonBox>);
        valueRow("line edit", &make<LineEdit>);
        valueRow("dial", &make<Dial>);
        valueRow("slider", &make<Slider>);
        valueRow("spin box", &make<SpinBox>);
        QTest::newRow("progress bar")
            << &make<ProgressBar> << "BANK[SW1]" << item + " #KVL52110:get" << true << QString();
        QTest::newRow("push button") << &make<PushButton> << "ReadVLED(1)"
                                     << "Board.ReadVLED #KVL52110:run" << false
                                     << ScriptDrag::runLine("Board.ReadVLED", "1");
    }

    void ctrlLeftPressStartsDragWithWidgetMode()
    {
        QFETCH(WidgetFactory, factory);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, hasGet);
        QFETCH(QString, setLine);
        std::unique_ptr<QWidget> widget(factory());
        widget->setAccessibleName(name);
        widget->resize(120, 40);
        widget->show();

        ctrlPress(widget.get());
        QCOMPARE(m_provider.drags.size(), 1);
        const RecordedDrag &drag = m_provider.drags.first();
        QCOMPARE(drag.source, m_applet.get());
        QCOMPARE(drag.text, text);
        QCOMPARE(drag.data.contains(GetData), hasGet);
        QCOMPARE(QString::fromLatin1(drag.data.value(SetData)), setLine);
        QVERIFY(drag.data.contains(InitObject));
        QVERIFY(drag.data.contains(CleanUp));
    }

    void otherPressesStartNoDrag_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("ctrl shift")
            << int(Qt::LeftButton) << int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("ctrl alt") << int(Qt::LeftButton)
                                  << int(Qt::ControlModifier | Qt::AltModifier);
        QTest::newRow("ctrl right") << int(Qt::RightButton) << int(Qt::ControlModifier);
        QTest::newRow("plain left") << int(Qt::LeftButton) << int(Qt::NoModifier);
    }

    void otherPressesStartNoDrag()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        Slider slider;
        slider.setAccessibleName("SA");
        slider.resize(30, 120);
        ctrlPress(&slider, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
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
        QCOMPARE(m_provider.drags.first().text, QString("Board.FREQ #KVL52110:get,set"));
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
        QCOMPARE(m_provider.drags.size(), 0);

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
        check->resize(100, 30);
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
        QWidget *slider = factory();
        slider->setParent(&window);
        slider->setGeometry(10, 10, 150, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QPoint inside = slider->mapToGlobal(slider->rect().center());
        QCursor::setPos(inside);
        if (QCursor::pos() != inside)
            QSKIP("this platform cannot place the cursor");

        QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier); // earlier presses held Ctrl
        const QImage plain = slider->grab().toImage();
        QTest::keyPress(&window, Qt::Key_Control, Qt::ControlModifier);
        if (QGuiApplication::keyboardModifiers() != Qt::ControlModifier)
            QSKIP("this platform does not report the held Ctrl key");
        const QImage tinted = slider->grab().toImage();
        QCursor::setPos(slider->mapToGlobal(QPoint(-5, -5)));
        const QImage outside = slider->grab().toImage();
        QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier);

        const QPoint corner(1, 1);
        QVERIFY(tinted.pixelColor(corner) != plain.pixelColor(corner));
        QCOMPARE(outside.pixelColor(corner), plain.pixelColor(corner));
        // The tint leans towards orange: more red than blue.
        QVERIFY(tinted.pixelColor(corner).red() > tinted.pixelColor(corner).blue());
    }

private:
    std::unique_ptr<QWidget> m_applet;
    RecordingProvider m_provider;
};

QTEST_MAIN(TstScriptDrag)
#include "tst_scriptdrag.moc"
