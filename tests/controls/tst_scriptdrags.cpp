// The script drags of the value widgets: the lines a drag carries for the script editor, a press
// with Ctrl alone that drags a widget's item in the widget's mode, no drag otherwise, and the
// drag object that Qt deletes.
#include "realedit.h"
#include "scriptdrag.h"
#include "scriptdragprovider.h"
#include "valuewidgetkinds.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace CustomControls;
using namespace ValueWidgetKinds;

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

void ctrlPress(QWidget *widget, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QTest::mousePress(widget, button, modifiers, widget->rect().center());
    QTest::mouseRelease(widget, button, modifiers, widget->rect().center());
}
} // namespace

class TstScriptDrags : public QObject
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
        for (const auto &[mode, getLine, setLine, modeText] :
             {std::tuple{3, get, set, "get,set"},
              {2, get, QByteArray(), "get"},
              {4, QByteArray(), run, "run"},
              {7, QByteArray(), run, "get,setrun"}}) {
            std::unique_ptr<QMimeData> data(ScriptDrag::mimeData("Board.ReadVLED", "1", mode));
            QCOMPARE(data->data(InitObject), init);
            QCOMPARE(data->hasFormat(GetData), !getLine.isEmpty());
            QCOMPARE(data->data(GetData), getLine);
            QCOMPARE(data->data(SetData), setLine);
            QCOMPARE(data->data(CleanUp), clean);
            QCOMPARE(data->text(), text + modeText);
        }
    }

    // A press with Ctrl alone drags the widget's item in the widget's mode, from the applet.
    void ctrlLeftPressDragsInTheWidgetsMode()
    {
        const std::pair<const char *, QString> widgets[] = {
            {"check", "get,set"}, {"radio", "get,set"},  {"buttons", "get,set"},
            {"edit", "get,set"},  {"dial", "get,set"},   {"slider", "get,set"},
            {"spin", "get,set"},  {"switch", "get,set"}, {"bar", "get"},
            {"push", "run"},      {"combo", "get,set"}, {"real", "get,set"}};
        QObject receiver;
        for (const auto &[kind, mode] : widgets) {
            m_provider.drags.clear();
            m_provider.sources.clear();
            const bool real = kind == QString("real");
            std::unique_ptr<QWidget> widget(real ? new RealEdit : create(kind));
            const bool run = mode == "run";
            widget->setAccessibleName(run ? "ReadVLED(1)" : "BANK[SW1]");
            if (qobject_cast<ComboBox *>(widget.get()) || real) // these drag only once bound
                control(widget.get())->connectChanged(nullptr, &receiver);
            widget->resize(120, 40);
            widget->show();
            ctrlPress(widget.get());
            QCOMPARE(m_provider.drags.size(), 1);
            QCOMPARE(m_provider.sources.first(), m_applet.get());
            const QString item = run ? "Board.ReadVLED" : "Board.BANK[SW1]";
            const QMap<QString, QByteArray> &drag = m_provider.drags.first();
            QCOMPARE(QString(drag.value("text")), item + " #KVL52110:" + mode);
            if (run) // the lines of each mode are checked above; a command takes its argument
                QCOMPARE(QString(drag.value(SetData)), ScriptDrag::runLine(item, "1"));
        }
    }

    // Other presses, an unbound or read-only combo box, no active applet or no provider: no
    // drag, and the click still works.
    void noDragOtherwise()
    {
        ComboBox combo;
        combo.show();
        ctrlPress(&combo);
        combo.hidePopup();
        QObject receiver;
        combo.connectChanged(nullptr, &receiver);
        combo.setWritable(false);
        ctrlPress(&combo);
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
        QTRY_VERIFY_WITH_TIMEOUT(drag.isNull(), 30000); // not kept alive by its parent, the applet
    }

private:
    std::unique_ptr<QWidget> m_applet;
    RecordingProvider m_provider;
};

QTEST_MAIN(TstScriptDrags)
#include "tst_scriptdrags.moc"
