#include "buttonbox.h"
#include "checkbox.h"
#include "combobox.h"
#include "dial.h"
#include "foldingbox.h"
#include "paintcounter.h"
#include "progressbar.h"
#include "pushbutton.h"
#include "radiobutton.h"
#include "slider.h"
#include "spinbox.h"
#include "switch.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace CustomControls;

// The pointer over the widgets: the Ctrl tint marks the widget under the pointer, so each widget
// draws itself again when the pointer moves over it or leaves it; a press still works.
class TestPointerTint : public QObject
{
    Q_OBJECT

private:
    // Whether the widget, shown and done painting, paints again after the event.
    static bool repaintsAfter(QWidget *w, QEvent *event)
    {
        PaintCounter counter;
        w->installEventFilter(&counter);
        w->repaint();
        QCoreApplication::processEvents();
        counter.paints = 0;
        QCoreApplication::sendEvent(w, event);
        const bool painted = QTest::qWaitFor([&counter]() { return counter.paints > 0; }, 10000);
        w->removeEventFilter(&counter);
        return painted;
    }

private slots:
    void tintFollowsThePointer()
    {
        auto *buttons = new ButtonBox;
        buttons->createButtons(1, ButtonBox::RadioButtons, {"A", "B"});
        auto *folding = new FoldingBox;
        folding->setDragEnabled(true);
        // Widgets that also repaint when the pointer leaves come first.
        std::vector<std::unique_ptr<QWidget>> widgets;
        for (QWidget *w : std::initializer_list<QWidget *>{
                 new CheckBox, new RadioButton, new PushButton, new Slider, new Dial, buttons,
                 new ComboBox, new Switch, new SpinBox, new ProgressBar, folding})
            widgets.emplace_back(w);
        const size_t leaving = 8;
        for (size_t i = 0; i < widgets.size(); ++i) {
            QWidget *w = widgets.at(i).get();
            w->resize(120, 60);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            const QPointF centre = w->rect().center();
            QMouseEvent move(QEvent::MouseMove, centre, w->mapToGlobal(centre), Qt::NoButton,
                             Qt::NoButton, Qt::ControlModifier);
            QVERIFY2(repaintsAfter(w, &move), w->metaObject()->className());
            QEvent leave(QEvent::Leave);
            QVERIFY2(i >= leaving || repaintsAfter(w, &leave), w->metaObject()->className());
        }
    }

    // A press on the dial turns it to the pressed point while held.
    void dialTurnsToThePress()
    {
        Dial dial;
        dial.setRange(0, 100);
        dial.setValue(50);
        dial.resize(100, 100);
        dial.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dial));
        QTest::mousePress(&dial, Qt::LeftButton, {}, QPoint(10, 50));
        QVERIFY(dial.value() < 50 && dial.isSliderDown()); // at once, not only when let go
        QTest::mouseRelease(&dial, Qt::LeftButton, {}, QPoint(10, 50));
    }
};

QTEST_MAIN(TestPointerTint)
#include "tst_pointertint.moc"
