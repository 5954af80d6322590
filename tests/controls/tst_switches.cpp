#include "myswitch.h"
#include "myswitchset.h"
#include "paintcounter.h"
#include "switch.h"

#include <QtTest>
#include <QtWidgets>

using namespace CustomControls;

class TestSwitches : public QObject
{
    Q_OBJECT

private:
    static void click(MySwitch &sw, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(&sw, button, {}, at);
        QTest::mouseRelease(&sw, button, {}, at);
    }

    static QImage render(MySwitch &sw)
    {
        return sw.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }

private slots:
    // A state set while the switch is on screen is drawn (a refresh changes only the state).
    void stateChangeRepaints()
    {
        MySwitch sw;
        sw.setModel(0);
        sw.resize(64, 64);
        PaintCounter paints;
        sw.installEventFilter(&paints);
        sw.show();
        QTRY_VERIFY_WITH_TIMEOUT(paints.paints > 0, 10000); // the first picture is drawn
        QApplication::processEvents();
        paints.paints = 0;
        QVERIFY(sw.setCurrentIndex(1));
        QTRY_VERIFY_WITH_TIMEOUT(paints.paints > 0, 10000);
    }

    // Every model's pictures load, its click regions lie on them, each state draws its own,
    // and its word names it.
    void modelsAndStates()
    {
        for (int model = 0; model < MySwitch::NoModel; ++model) {
            const MySwitch::PictureModel &pictures = MySwitch::pictureModels().at(model);
            for (int i = 0; i < pictures.pictures.size(); ++i) {
                const QPixmap picture(pictures.pictures.at(i));
                QVERIFY2(!picture.isNull(), qPrintable(pictures.pictures.at(i)));
                if (i < pictures.regions.size())
                    QVERIFY(picture.rect().contains(pictures.regions.at(i)));
            }
            MySwitch sw;
            sw.setModel(model);
            sw.resize(64, 64);
            QImage previous;
            for (int state = 0; state < sw.stateCount(); ++state) {
                sw.setCurrentIndex(state);
                const QImage image = render(sw);
                QVERIFY2(image != previous, qPrintable(QString::number(model)));
                previous = image;
            }
        }
        const QStringList words{"[/--]", "[/-2]", "[/-3]", "[/-4]", "[x]", "[<>]",
                                "[*]",   "[R]",   "[RED]", "[GREEN]", "[RED-GREEN]"};
        for (int model = 0; model < words.size(); ++model)
            QCOMPARE(MySwitch::modelForWord(words.at(model)), model);
        for (const char *word : {"[red]", "", "[nope]"})
            QCOMPARE(MySwitch::modelForWord(word), -1);
        // A new model starts at its first state without a signal; unknown states and indexes,
        // and regions of states that do not exist, change nothing.
        MySwitch sw;
        sw.setModel(2);
        for (int outside : {-1, 3, 1000})
            sw.setStateRegion(outside, QRect(1, 1, 1, 1));
        QCOMPARE(sw.states().at(2).region, MySwitch::pictureModels().at(2).regions.value(2));
        sw.setStateRegion(0, QRect(1, 2, 3, 4)); // the first state's region is one too
        QCOMPARE(sw.states().at(0).region, QRect(1, 2, 3, 4));
        sw.setCurrentIndex(2);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        sw.setModel(10);
        QCOMPARE(sw.currentIndex(), 0);
        sw.setCurrentState(5);
        QCOMPARE(changed.count(), 0);
        sw.setCurrentState(2);
        QCOMPARE(changed.count(), 1);
        for (int index : {2, -1, 3})
            QVERIFY(!sw.setCurrentIndex(index));
        QCOMPARE(changed.count(), 1);
        MySwitch named; // states of a form: a value of their own or their position
        named.addState("low", ":/leds/img_led_gray");
        named.addState("mid", ":/leds/img_led_green", 7);
        named.appendStates({"high=:/leds/img_led_red", "off"}); // "off" without a picture
        QCOMPARE(named.states().at(2).picture, QString(":/leds/img_led_red"));
        QVERIFY(named.states().size() == 4 && named.states().at(3).name == "off");
        named.setCurrentState(2);
        QVERIFY(named.isCurrentName("high"));
        named.setCurrentState(7);
        QVERIFY(named.isCurrentName("mid"));
    }

    // A click picks the state whose region (mirrored with the picture) holds the point, or else
    // steps to the next state; only the left button clicks, and a read-only switch ignores
    // clicks (its pointer says so).
    void clickRegions()
    {
        const struct {
            int model, scale;
            int mirrored; // 1 across, 2 upside down
            int start;
            QPoint at;
            int expected;
        } cases[] = {
            {0, 1, 0, 1, QPoint(10, 10), 0},  {1, 1, 0, 1, QPoint(5, 20), 0},
            {1, 1, 0, 0, QPoint(5, 11), 1},   {1, 1, 0, 1, QPoint(5, 15), 0},
            {1, 1, 0, 0, QPoint(5, 28), 0},   {1, 2, 0, 1, QPoint(10, 50), 0},
            {2, 1, 0, 0, QPoint(5, 16), 1},   {2, 1, 0, 2, QPoint(5, 10), 0},
            {2, 1, 0, 1, QPoint(0, 28), 0},   {3, 1, 0, 0, QPoint(8, 15), 2},
            {3, 1, 0, 3, QPoint(45, 25), 0},  {3, 1, 1, 0, QPoint(45, 35), 1},
            {3, 1, 1, 2, QPoint(40, 40), 1},  {2, 1, 2, 1, QPoint(5, 5), 0},
            {10, 1, 0, 2, QPoint(10, 10), 0}, {MySwitch::NoModel, 1, 0, 0, QPoint(5, 5), 0}};
        for (const auto &c : cases) {
            MySwitch sw;
            sw.setModel(c.model);
            sw.setMirroredX(c.mirrored & 1);
            sw.setMirroredY(c.mirrored & 2);
            const QStringList pictures = MySwitch::pictureModels().at(c.model).pictures;
            sw.resize(pictures.isEmpty() ? QSize(20, 20)
                                         : QPixmap(pictures.first()).size() * c.scale);
            sw.setCurrentIndex(c.start);
            QSignalSpy clicked(&sw, &MySwitch::signal_clicked);
            QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
            click(sw, c.at, Qt::RightButton);
            QCOMPARE(clicked.count(), 0);
            click(sw, c.at);
            QCOMPARE(sw.currentIndex(), c.expected);
            const int clicks = c.model == MySwitch::NoModel ? 0 : 1;
            QCOMPARE(clicked.count(), clicks);
            QCOMPARE(changed.count(), c.expected == c.start ? 0 : 1);
            QCOMPARE(sw.cursor().shape(), Qt::PointingHandCursor);
            sw.setReadOnly(true);
            click(sw, c.at);
            QCOMPARE(clicked.count(), clicks);
            QCOMPARE(sw.cursor().shape(), Qt::ArrowCursor);
        }
    }

    // The multi-position pictures: a click on the corners of a position's area (inclusive)
    // picks that position, so a click there on the current one keeps it.
    void positionAreasReachTheirCorners()
    {
        const std::tuple<QString, int, QPoint, QPoint> areas[] = {
            {"[/-2]", 0, {0, 20}, {31, 31}}, {"[/-2]", 1, {0, 0}, {31, 11}},
            {"[/-3]", 0, {0, 22}, {31, 31}}, {"[/-3]", 1, {0, 11}, {31, 21}},
            {"[/-3]", 2, {0, 0}, {31, 9}},   {"[/-4]", 0, {17, 34}, {35, 49}},
            {"[/-4]", 1, {0, 25}, {16, 44}}, {"[/-4]", 2, {0, 5}, {16, 24}},
            {"[/-4]", 3, {17, 0}, {35, 15}}};
        for (const auto &[word, state, topLeft, bottomRight] : areas) {
            for (const QPoint &corner : {topLeft, bottomRight, QPoint(topLeft.x(), bottomRight.y()),
                                         QPoint(bottomRight.x(), topLeft.y())}) {
                MySwitch sw;
                sw.setModel(MySwitch::modelForWord(word));
                sw.resize(QPixmap(sw.states().first().picture).size());
                sw.setCurrentIndex(state);
                // Sent directly: QTest takes the point (0, 0) for the widget's centre.
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(corner),
                                  sw.mapToGlobal(QPointF(corner)), Qt::LeftButton, Qt::LeftButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(&sw, &press);
                QVERIFY2(sw.currentIndex() == state, qPrintable(word + QString::number(state)));
            }
        }
    }

    // The form's text describes the picture: "[word],angle,mirrorX" keeps mirrorY, the option
    // form resets it; an unknown word keeps the model.
    void applyDescription()
    {
        const struct {
            const char *label;
            int model;
            double angle;
            bool mirroredX, mirroredY;
        } cases[] = {{"[/--]", 0, 0.0, false, true},
                     {"[RED-GREEN]", 10, 0.0, false, true},
                     {"[x],45,1", 4, 45.0, true, true},
                     {"[*],abc,0", 6, 0.0, false, true},
                     {"[nope],30", 3, 30.0, false, true},
                     {"type=[RED],mirrorX=1", 8, 0.0, true, false},
                     {"type=[<>], angle=180, mirrorX=FALSE, mirrorY=true", 5, 180.0, false, true},
                     {"", 3, 10.0, true, true}};
        for (const auto &c : cases) {
            Switch sw;
            sw.setModel(3);
            sw.setAngle(10);
            sw.setMirroredX(true);
            sw.setMirroredY(true);
            sw.setText(c.label);
            sw.applyDescription();
            QVERIFY2(sw.model() == c.model && sw.angle() == c.angle, c.label);
            QVERIFY2(sw.mirroredX() == c.mirroredX && sw.mirroredY() == c.mirroredY, c.label);
        }
    }

    // A click in a Follow set moves the others to its state; Exclusive resets them; other
    // modes, unknown names and indexes change nothing.
    void sets()
    {
        MySwitch a, b, c, d;
        for (MySwitch *sw : {&a, &b, &c, &d}) {
            sw->setModel(2);
            sw->resize(32, 32);
        }
        d.setName("d");
        MySwitchSet follow(MySwitchSet::Follow), exclusive(MySwitchSet::Exclusive), other(0);
        for (MySwitch *sw : {&a, &b, &c, static_cast<MySwitch *>(nullptr)})
            follow.addSwitch(sw);
        QCOMPARE(follow.count(), 3);
        click(a, QPoint(5, 3));
        QCOMPARE(QList<int>({b.currentState(), c.currentState()}), QList<int>({2, 2}));
        follow.setSwitchState(1, 1);
        QCOMPARE(a.currentState(), 1);
        follow.setSwitchStateByName("missing", 0);
        follow.setSwitchState(5, 0);
        QCOMPARE(a.currentState(), 1);
        follow.setSwitchState(0, 0); // the first switch too
        QCOMPARE(QList<int>({a.currentState(), b.currentState(), c.currentState()}),
                 QList<int>({0, 0, 0}));
        follow.setSwitchState(0, 1);
        exclusive.addSwitch(&a);
        exclusive.addSwitch(&d);
        exclusive.setSwitchStateByName("d", 1);
        QCOMPARE(QList<int>({a.currentState(), d.currentState()}), QList<int>({0, 1}));
        other.addSwitch(&d);
        other.addSwitch(&b);
        click(d, QPoint(5, 3)); // state 2: a Follow set would copy it, an Exclusive one reset b
        QCOMPARE(b.currentState(), 1);
    }
};

QTEST_MAIN(TestSwitches)
#include "tst_switches.moc"
