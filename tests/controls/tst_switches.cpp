#include "myswitch.h"
#include "myswitchset.h"
#include "switch.h"
#include "../support/tablerows.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

using namespace CustomControls;

class TestSwitches : public QObject
{
    Q_OBJECT

private:
    static QSize pictureSizeOfModel(int model)
    {
        switch (model) {
        case 0:
            return QSize(32, 24);
        case 1:
        case 2:
        case 5:
            return QSize(32, 32);
        case 3:
            return QSize(50, 50);
        default:
            return QSize(20, 20);
        }
    }

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
    void picturesLoadAndEveryStatePaints()
    {
        const QList<MySwitch::PictureModel> &models = MySwitch::pictureModels();
        QCOMPARE(models.size(), 12);
        for (int model = 0; model < 11; ++model) {
            const MySwitch::PictureModel &pictures = models.at(model);
            for (int i = 0; i < pictures.pictures.size(); ++i) {
                const QPixmap picture(pictures.pictures.at(i));
                QVERIFY2(!picture.isNull(), qPrintable(pictures.pictures.at(i)));
                QCOMPARE(picture.size(), pictureSizeOfModel(model));
                if (i < pictures.regions.size())
                    QVERIFY(picture.rect().contains(pictures.regions.at(i)));
            }
            // Each state draws its own picture.
            MySwitch sw;
            sw.setModel(model);
            sw.resize(pictureSizeOfModel(model) * 2);
            QImage previous;
            for (int state = 0; state < sw.stateCount(); ++state) {
                sw.setCurrentIndex(state);
                const QImage image = render(sw);
                QVERIFY2(image != previous, qPrintable(QString::number(model)));
                previous = image;
            }
        }
        QFile file(":/stylesheet/stylesheet");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("QLineEdit:focus"));
    }

    void modelWords()
    {
        const QStringList words{"[/--]", "[/-2]", "[/-3]", "[/-4]", "[x]", "[<>]",
                                "[*]",   "[R]",   "[RED]", "[GREEN]", "[RED-GREEN]"};
        for (int model = 0; model < words.size(); ++model)
            QCOMPARE(MySwitch::modelForWord(words.at(model)), model);
        for (const QString &word : {"[red]", "", "[nope]"})
            QCOMPARE(MySwitch::modelForWord(word), -1);
    }

    void modelsAndStates()
    {
        MySwitch sw;
        sw.setModel(2);
        QCOMPARE(sw.stateCount(), 3);
        QCOMPARE(sw.states().at(2).value, 2);
        QCOMPARE(sw.states().at(1).region, QRect(QPoint(0, 11), QPoint(31, 21)));
        for (int outside : {-1, 3, 1000}) // no state there: nothing written
            sw.setStateRegion(outside, QRect(1, 1, 1, 1));
        QCOMPARE(sw.states().at(2).region, MySwitch::pictureModels().at(2).regions.value(2));
        sw.setCurrentIndex(2);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        sw.setModel(10); // red, green, grey; back to the first state without a signal
        QCOMPARE(sw.currentIndex(), 0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(sw.states().at(2).picture, QString(":/leds/img_led_gray"));

        sw.setCurrentState(5); // unknown value
        QCOMPARE(sw.currentIndex(), 0);
        sw.setCurrentState(2);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!sw.setCurrentIndex(2));
        QVERIFY(!sw.setCurrentIndex(-1));
        QVERIFY(!sw.setCurrentIndex(3));
        QCOMPARE(changed.count(), 1);

        MySwitch named;
        named.addState("low", ":/leds/img_led_gray");
        named.addState("mid", ":/leds/img_led_green", 7);
        named.appendStates({"high=:/leds/img_led_red"});
        QCOMPARE(named.states().at(2).value, 2);
        QCOMPARE(named.states().at(2).name, QString("high"));
        named.setCurrentState(7);
        QVERIFY(named.isCurrentName("mid"));
    }

    // A click picks the state whose region holds the point, or else steps to the next state.
    void clickRegions_data()
    {
        const QSize s32(32, 32), s50(50, 50);
        addRows<int, QSize, bool, int, QPoint, int, int>(
            {"model", "widgetSize", "mirroredX", "startIndex", "at", "expected", "clicks"},
            {{0, QSize(32, 24), false, 1, QPoint(10, 10), 0, 1},
             {1, s32, false, 1, QPoint(5, 20), 0, 1},
             {1, s32, false, 0, QPoint(5, 11), 1, 1},
             {1, s32, false, 1, QPoint(5, 15), 0, 1},
             {1, s32, false, 0, QPoint(5, 28), 0, 1},
             {1, QSize(64, 64), false, 1, QPoint(10, 50), 0, 1},
             {2, s32, false, 0, QPoint(5, 16), 1, 1},
             {2, s32, false, 2, QPoint(5, 10), 0, 1},
             {3, s50, false, 0, QPoint(8, 15), 2, 1},
             {3, s50, false, 3, QPoint(45, 25), 0, 1},
             {3, s50, true, 0, QPoint(45, 35), 1, 1},
             {10, QSize(20, 20), false, 2, QPoint(10, 10), 0, 1},
             {MySwitch::NoModel, QSize(20, 20), false, 0, QPoint(5, 5), 0, 0}});
    }

    void clickRegions()
    {
        QFETCH(int, model);
        QFETCH(QSize, widgetSize);
        QFETCH(bool, mirroredX);
        QFETCH(int, startIndex);
        QFETCH(QPoint, at);
        QFETCH(int, expected);
        QFETCH(int, clicks);
        MySwitch sw;
        sw.setModel(model);
        sw.setMirroredX(mirroredX);
        sw.resize(widgetSize);
        sw.setCurrentIndex(startIndex);
        QSignalSpy clicked(&sw, &MySwitch::signal_clicked);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        click(sw, at, Qt::RightButton); // only the left button clicks
        QCOMPARE(clicked.count(), 0);
        click(sw, at);
        QCOMPARE(sw.currentIndex(), expected);
        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(changed.count(), expected == startIndex ? 0 : 1);

        sw.setReadOnly(true); // a read-only switch ignores clicks
        click(sw, at);
        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(sw.cursor().shape(), Qt::ArrowCursor);
    }

    void bindingWriteTruncates_data()
    {
        addRows<double, int>({"written", "state"},
                             {{1.9, 1}, {-0.9, 0}, {2.999, 2}, {qQNaN(), 0}, {1e20, 1}, {-1e20, 1}});
    }

    void bindingWriteTruncates()
    {
        QFETCH(double, written);
        QFETCH(int, state);
        Switch sw;
        sw.setModel(2);
        sw.setCurrentIndex(1);
        sw.setValue(written);
        QCOMPARE(sw.currentState(), state);
        QCOMPARE(sw.value(), double(state));
    }

    void applyDescription_data()
    {
        const int none = MySwitch::NoModel;
        addRows<QString, int, double, bool, bool>(
            {"label", "model", "angle", "mirroredX", "mirroredY"},
            {{"[/--]", 0, 0.0, false, true},
             {"[RED-GREEN]", 10, 0.0, false, true},
             {"[x],45,1", 4, 45.0, true, true},
             {"[*],abc,0", 6, 0.0, false, true},
             {"[nope],30", 3, 30.0, false, true},
             {"type=[RED],mirrorX=1", 8, 0.0, true, false},
             {"type=[<>], angle=180, mirrorX=FALSE, mirrorY=true", 5, 180.0, false, true},
             {"", 3, 10.0, true, true}});
        Q_UNUSED(none);
    }

    void applyDescription()
    {
        QFETCH(QString, label);
        QFETCH(int, model);
        QFETCH(double, angle);
        QFETCH(bool, mirroredX);
        QFETCH(bool, mirroredY);
        Switch sw;
        sw.setModel(3);
        sw.setAngle(10);
        sw.setMirroredX(true);
        sw.setMirroredY(true); // the bracket form keeps it, the option form resets it
        sw.setText(label);
        sw.applyDescription();
        QCOMPARE(sw.model(), model);
        QCOMPARE(sw.angle(), angle);
        QCOMPARE(sw.mirroredX(), mirroredX);
        QCOMPARE(sw.mirroredY(), mirroredY);
    }

    void sets()
    {
        MySwitchSet follow(MySwitchSet::Follow);
        MySwitch a, b, c;
        for (MySwitch *sw : {&a, &b, &c}) {
            sw->setModel(2);
            sw->resize(32, 32);
            follow.addSwitch(sw);
        }
        follow.addSwitch(nullptr);
        QCOMPARE(follow.count(), 3);
        click(a, QPoint(5, 3));
        QCOMPARE(b.currentState(), 2);
        QCOMPARE(c.currentState(), 2);
        follow.setSwitchState(1, 1);
        QCOMPARE(a.currentState(), 1);
        a.setName("a");
        follow.setSwitchStateByName("missing", 2); // an unknown name or index changes nothing
        follow.setSwitchState(5, 2);
        QCOMPARE(a.currentState(), 1);

        MySwitchSet exclusive(MySwitchSet::Exclusive);
        MySwitch d, e;
        for (MySwitch *sw : {&d, &e}) {
            sw->setModel(0);
            sw->resize(32, 24);
            sw->setCurrentIndex(1);
            exclusive.addSwitch(sw);
        }
        d.setName("first");
        exclusive.setSwitchStateByName("first", 1);
        QCOMPARE(e.currentState(), 0); // the others reset

        MySwitchSet other(0); // other modes do nothing
        MySwitch f, g;
        f.setModel(0);
        g.setModel(0);
        f.resize(32, 24);
        other.addSwitch(&f);
        other.addSwitch(&g);
        click(f, QPoint(5, 5));
        QCOMPARE(g.currentState(), 0);
    }

    void paintMirrorsAndRotates()
    {
        MySwitch sw;
        sw.setModel(5);
        sw.resize(32, 32);
        const QImage plain = render(sw);
        sw.setMirroredX(true);
        QCOMPARE(render(sw), plain.mirrored(true, false));
        sw.setMirroredX(false);
        sw.setAngle(180);
        QCOMPARE(render(sw), plain.mirrored(true, true));
        // The bound switch draws the same picture.
        Switch bound;
        bound.setModel(5);
        bound.resize(32, 32);
        QCOMPARE(render(bound), plain);
    }
};

QTEST_MAIN(TestSwitches)
#include "tst_switches.moc"
