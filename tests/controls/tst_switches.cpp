#include "myswitch.h"
#include "myswitchset.h"
#include "switch.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
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
    void picturesLoadAtTheirSizesAndHoldTheirRegions()
    {
        const QList<MySwitch::PictureModel> &models = MySwitch::pictureModels();
        QCOMPARE(models.size(), 12);
        QVERIFY(models.at(11).pictures.isEmpty());
        for (int model = 0; model < 11; ++model) {
            const MySwitch::PictureModel &pictures = models.at(model);
            for (int i = 0; i < pictures.pictures.size(); ++i) {
                const QPixmap picture(pictures.pictures.at(i));
                QVERIFY2(!picture.isNull(), qPrintable(pictures.pictures.at(i)));
                QCOMPARE(picture.size(), pictureSizeOfModel(model));
                if (i < pictures.regions.size())
                    QVERIFY(picture.rect().contains(pictures.regions.at(i)));
            }
        }
    }

    void styleSheetResource()
    {
        QFile file(":/stylesheet/stylesheet");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString sheet = QString::fromLatin1(file.readAll());
        QVERIFY(sheet.contains("QLineEdit:focus"));
        QVERIFY(sheet.contains("border: 2px solid orange"));
        QVERIFY(sheet.contains("border-radius: 2px"));
        QVERIFY(sheet.contains("readOnly"));
    }

    void modelWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("model");
        QTest::newRow("on-off") << "[/--]" << 0;
        QTest::newRow("2") << "[/-2]" << 1;
        QTest::newRow("3") << "[/-3]" << 2;
        QTest::newRow("4") << "[/-4]" << 3;
        QTest::newRow("signal") << "[x]" << 4;
        QTest::newRow("buffer") << "[<>]" << 5;
        QTest::newRow("button") << "[*]" << 6;
        QTest::newRow("red button") << "[R]" << 7;
        QTest::newRow("red") << "[RED]" << 8;
        QTest::newRow("green") << "[GREEN]" << 9;
        QTest::newRow("red-green") << "[RED-GREEN]" << 10;
        QTest::newRow("lower case") << "[red]" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("unknown") << "[nope]" << -1;
    }

    void modelWords()
    {
        QFETCH(QString, word);
        QFETCH(int, model);
        QCOMPARE(MySwitch::modelForWord(word), model);
    }

    void setModelBuildsStates()
    {
        MySwitch sw;
        QCOMPARE(sw.model(), int(MySwitch::NoModel));
        QCOMPARE(sw.stateCount(), 0);
        sw.setModel(2);
        QCOMPARE(sw.stateCount(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(sw.states().at(i).value, i);
            QVERIFY(sw.states().at(i).name.isEmpty());
        }
        QCOMPARE(sw.states().at(1).region, QRect(QPoint(0, 11), QPoint(31, 21)));
        sw.setCurrentIndex(2);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        sw.setModel(0);
        QCOMPARE(sw.currentIndex(), 0);
        QCOMPARE(changed.count(), 0);
        QVERIFY(sw.states().at(0).region.isNull());

        sw.setModel(10); // red, green, grey
        const QStringList lamps{"red", "green", "gray"};
        QCOMPARE(sw.stateCount(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(sw.states().at(i).value, i);
            QCOMPARE(sw.states().at(i).picture, ":/leds/img_led_" + lamps.at(i));
        }
    }

    void addStates()
    {
        MySwitch sw;
        sw.addState("low", ":/leds/img_led_gray");
        sw.addState("mid", ":/leds/img_led_green", 7);
        sw.appendStates({"high=:/leds/img_led_red", "max=:/leds/img_led_red"});
        QCOMPARE(sw.stateCount(), 4);
        QCOMPARE(sw.states().at(0).value, 0);
        QCOMPARE(sw.states().at(1).value, 7);
        QCOMPARE(sw.states().at(2).value, 2);
        QCOMPARE(sw.states().at(2).name, QString("high"));
        QCOMPARE(sw.states().at(3).picture, QString(":/leds/img_led_red"));
        QVERIFY(sw.isCurrentName("low"));
        sw.setCurrentState(7);
        QVERIFY(sw.isCurrentName("mid"));
        QCOMPARE(sw.currentState(), 7);
    }

    void onOffAlternates()
    {
        MySwitch sw;
        sw.setModel(0);
        sw.resize(32, 24);
        QCOMPARE(sw.states().at(0).picture, QString(":/switches/img_sw_on"));
        QCOMPARE(sw.states().at(0).value, 0);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        click(sw, QPoint(10, 10));
        QCOMPARE(sw.currentState(), 1);
        click(sw, QPoint(10, 10));
        QCOMPARE(sw.currentState(), 0);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toInt(), 1);
    }

    // A click picks the state whose region holds the point, or else steps to the next state.
    void clickRegions_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QSize>("widgetSize");
        QTest::addColumn<bool>("mirroredX");
        QTest::addColumn<int>("startIndex");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("clicks"); // signal_clicked count; no click: no state change
        const QSize s32(32, 32), s50(50, 50);
        const auto row = [](const char *tag, int model, QSize size, int start, QPoint at,
                            int expected, bool mirrored = false, int clicks = 1) {
            QTest::newRow(tag) << model << size << mirrored << start << at << expected << clicks;
        };
        row("2: lower selects 0", 1, s32, 1, QPoint(5, 25), 0);
        row("2: row 20 selects 0", 1, s32, 1, QPoint(5, 20), 0);
        row("2: upper selects 1", 1, s32, 0, QPoint(5, 3), 1);
        row("2: row 11 selects 1", 1, s32, 0, QPoint(5, 11), 1);
        row("2: middle steps", 1, s32, 0, QPoint(5, 15), 1);
        row("2: middle wraps", 1, s32, 1, QPoint(5, 15), 0);
        row("2: current region", 1, s32, 0, QPoint(5, 28), 0);
        row("2: scaled widget", 1, QSize(64, 64), 1, QPoint(10, 50), 0);
        row("3: lower", 2, s32, 1, QPoint(5, 28), 0);
        row("3: middle", 2, s32, 0, QPoint(5, 16), 1);
        row("3: upper", 2, s32, 0, QPoint(5, 4), 2);
        row("3: row 10 steps", 2, s32, 2, QPoint(5, 10), 0);
        row("4: bottom", 3, s50, 3, QPoint(25, 45), 0);
        row("4: lower left", 3, s50, 0, QPoint(8, 35), 1);
        row("4: upper left", 3, s50, 0, QPoint(8, 15), 2);
        row("4: top", 3, s50, 0, QPoint(25, 5), 3);
        row("4: right steps", 3, s50, 3, QPoint(45, 25), 0);
        row("4: mirrored x", 3, s50, 0, QPoint(45, 35), 1, true);
        row("lamp steps", 10, QSize(20, 20), 2, QPoint(10, 10), 0);
        row("no states", MySwitch::NoModel, QSize(20, 20), 0, QPoint(5, 5), 0, false, 0);
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
        if (model == MySwitch::NoModel)
            QCOMPARE(sw.currentState(), -1);
    }

    void readOnlyIgnoresClicks()
    {
        MySwitch sw;
        sw.setModel(0);
        sw.resize(32, 24);
        sw.setReadOnly(true);
        QCOMPARE(sw.cursor().shape(), Qt::ArrowCursor);
        QSignalSpy clicked(&sw, &MySwitch::signal_clicked);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        click(sw, QPoint(5, 5));
        QCOMPARE(sw.currentIndex(), 0);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(changed.count(), 0);
        sw.setReadOnly(false);
        QCOMPARE(sw.cursor().shape(), Qt::PointingHandCursor);
    }

    void setCurrentState()
    {
        MySwitch sw;
        sw.setModel(10);
        QSignalSpy changed(&sw, &MySwitch::signal_StateChanged);
        sw.setCurrentState(5);
        QCOMPARE(sw.currentIndex(), 0);
        QCOMPARE(changed.count(), 0);
        sw.setCurrentState(2);
        QCOMPARE(sw.currentIndex(), 2);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!sw.setCurrentIndex(2));
        QVERIFY(!sw.setCurrentIndex(-1));
        QVERIFY(!sw.setCurrentIndex(3));
        QCOMPARE(changed.count(), 1);
    }

    void bindingValues()
    {
        Switch sw;
        QCOMPARE(sw.type(), int(UniversalControl::SwitchControl));
        QVERIFY(sw.hasMouseTracking());
        sw.setModel(2);
        sw.setValue(1.9);
        QCOMPARE(sw.value(), 1.0);
        sw.setWritable(false);
        QVERIFY(!sw.isWritable());
        QVERIFY(sw.isReadOnly());
        UniversalControl *control = &sw;
        control->setText("ignored");
        QCOMPARE(control->text(), QString());
        QCOMPARE(sw.property("model").toInt(), 2);
        QVERIFY(sw.setProperty("model", 8));
        QCOMPARE(sw.model(), 8);
        QVERIFY(sw.setProperty("angle", 30.0));
        QCOMPARE(sw.angle(), 30.0);
    }

    void bindingWriteTruncates_data()
    {
        QTest::addColumn<double>("written");
        QTest::addColumn<int>("state");
        QTest::newRow("1.9") << 1.9 << 1;
        QTest::newRow("-0.9 is 0") << -0.9 << 0;
        QTest::newRow("2.999") << 2.999 << 2;
        QTest::newRow("not a number is 0") << qQNaN() << 0;
        QTest::newRow("huge: no state") << 1e20 << 1;
        QTest::newRow("huge negative: no state") << -1e20 << 1;
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
    }

    void clickReachesBoundReceiver()
    {
        Switch sw;
        sw.setModel(0);
        sw.resize(32, 24);
        QObject receiver;
        QSignalSpy destroyed(&receiver, &QObject::destroyed);
        QVERIFY(sw.connectChanged(SLOT(deleteLater()), &receiver));
        QVERIFY(sw.isConnected());
        QVERIFY(sw.disconnectChanged());
        click(sw, QPoint(5, 5));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(destroyed.count(), 0);
    }

    void applyDescription_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("model");
        QTest::addColumn<double>("angle");
        QTest::addColumn<bool>("mirroredX");
        QTest::addColumn<bool>("mirroredY");
        QTest::newRow("red-green") << "[RED-GREEN]" << 10 << 0.0 << false << true;
        QTest::newRow("signal 45 mirrored") << "[x],45,1" << 4 << 45.0 << true << true;
        QTest::newRow("three turned") << "[/-3],90" << 2 << 90.0 << false << true;
        QTest::newRow("angle not a number") << "[*],abc,0" << 6 << 0.0 << false << true;
        QTest::newRow("unknown word")
            << "[nope],30" << int(MySwitch::NoModel) << 30.0 << false << true;
        QTest::newRow("options") << "type=[RED],mirrorX=1" << 8 << 0.0 << true << false;
        QTest::newRow("options all")
            << "type=[<>], angle=180, mirrorX=FALSE, mirrorY=true" << 5 << 180.0 << false << true;
        QTest::newRow("options without type")
            << "angle=90" << int(MySwitch::NoModel) << 90.0 << false << false;
    }

    void applyDescription()
    {
        QFETCH(QString, label);
        QFETCH(int, model);
        QFETCH(double, angle);
        QFETCH(bool, mirroredX);
        QFETCH(bool, mirroredY);
        Switch sw;
        sw.setMirroredY(true); // the bracket form keeps it, the option form resets it
        sw.setText(label);
        sw.applyDescription();
        QCOMPARE(sw.model(), model);
        QCOMPARE(sw.angle(), angle);
        QCOMPARE(sw.mirroredX(), mirroredX);
        QCOMPARE(sw.mirroredY(), mirroredY);
        if (model == int(MySwitch::NoModel))
            QCOMPARE(sw.stateCount(), 0);
    }

    void applyDescriptionDetails()
    {
        Switch sw;
        sw.setText("[RED-GREEN]");
        sw.applyDescription();
        QCOMPARE(sw.stateCount(), 3);
        QCOMPARE(sw.states().at(0).picture, QString(":/leds/img_led_red"));
        QCOMPARE(sw.states().at(1).picture, QString(":/leds/img_led_green"));
        QCOMPARE(sw.states().at(2).picture, QString(":/leds/img_led_gray"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(sw.states().at(i).value, i);

        // An empty description changes nothing.
        Switch unchanged;
        unchanged.setModel(3);
        unchanged.setAngle(10);
        unchanged.setMirroredX(true);
        unchanged.applyDescription();
        QCOMPARE(unchanged.model(), 3);
        QCOMPARE(unchanged.angle(), 10.0);
        QVERIFY(unchanged.mirroredX());
    }

    void followSet()
    {
        MySwitchSet set(MySwitchSet::Follow);
        MySwitch a, b, c;
        for (MySwitch *sw : {&a, &b, &c}) {
            sw->setModel(2);
            sw->resize(32, 32);
            set.addSwitch(sw);
        }
        set.addSwitch(nullptr);
        QCOMPARE(set.count(), 3);
        click(a, QPoint(5, 3));
        QCOMPARE(a.currentState(), 2);
        QCOMPARE(b.currentState(), 2);
        QCOMPARE(c.currentState(), 2);
        set.setSwitchState(1, 1);
        QCOMPARE(a.currentState(), 1);
        QCOMPARE(c.currentState(), 1);
        QCOMPARE(set.switchAt(2), &c);
        QCOMPARE(set.switchAt(3), nullptr);

        // An unknown name or index changes nothing.
        a.setName("a");
        QSignalSpy changedA(&a, &MySwitch::signal_StateChanged);
        QSignalSpy changedB(&b, &MySwitch::signal_StateChanged);
        set.setSwitchStateByName("missing", 2);
        set.setSwitchState(5, 2);
        QCOMPARE(changedA.count() + changedB.count(), 0);
        QCOMPARE(a.currentState(), 1);
    }

    void exclusiveSet()
    {
        MySwitchSet set(MySwitchSet::Exclusive);
        MySwitch a, b, c;
        for (MySwitch *sw : {&a, &b, &c}) {
            sw->setModel(0);
            sw->resize(32, 24);
            sw->setCurrentIndex(1);
            set.addSwitch(sw);
        }
        a.setName("first");
        b.setName("second");
        click(b, QPoint(5, 5));
        QCOMPARE(b.currentState(), 0);
        QCOMPARE(a.currentState(), 0);
        QCOMPARE(c.currentState(), 0);
        set.setSwitchStateByName("second", 1);
        QCOMPARE(b.currentState(), 1);
        a.setCurrentIndex(1);
        set.setSwitchStateByName("first", 1);
        QCOMPARE(b.currentState(), 0); // the others reset
        QCOMPARE(a.currentState(), 1);
    }

    void otherModesDoNothing()
    {
        MySwitchSet set(0);
        MySwitch a, b;
        a.setModel(0);
        b.setModel(0);
        a.resize(32, 24);
        set.addSwitch(&a);
        set.addSwitch(&b);
        click(a, QPoint(5, 5));
        QCOMPARE(a.currentState(), 1);
        QCOMPARE(b.currentState(), 0);
    }

    void paintsEveryModelState()
    {
        // Each state draws its own picture; the grabs are kept in the temporary directory for a
        // look by eye.
        const QString folder = QDir::temp().filePath("kvl_switches");
        QDir().mkpath(folder);
        for (int model = 0; model < 11; ++model) {
            MySwitch sw;
            sw.setModel(model);
            const QSize size = pictureSizeOfModel(model) * 2;
            sw.resize(size);
            QList<QImage> images;
            for (int state = 0; state < sw.stateCount(); ++state) {
                sw.setCurrentIndex(state);
                const QImage image = render(sw);
                image.save(QString("%1/model%2_state%3.png").arg(folder).arg(model).arg(state));
                QCOMPARE(image.size(), size);
                images.append(image);
            }
            for (int i = 1; i < images.size(); ++i)
                QVERIFY2(images.at(i) != images.at(i - 1), qPrintable(QString::number(model)));
        }
    }

    void paintMirrorsAndRotates()
    {
        MySwitch sw;
        sw.setModel(5);
        sw.resize(32, 32);
        const QImage plain = render(sw);
        sw.setMirroredX(true);
        sw.update();
        const QImage mirrored = render(sw);
        QCOMPARE(mirrored, plain.mirrored(true, false));
        // The left-pointing buffer is the right-pointing one mirrored.
        sw.setMirroredX(false);
        sw.setCurrentIndex(1);
        const QImage left = render(sw);
        QVERIFY(left != plain);
        sw.setCurrentIndex(0);
        sw.setAngle(180);
        const QImage turned = render(sw);
        QCOMPARE(turned, plain.mirrored(true, true));
        sw.setAngle(90);
        QDir().mkpath(QDir::temp().filePath("kvl_switches"));
        render(sw).save(QDir::temp().filePath("kvl_switches/buffer_turned90.png"));
    }
};

QTEST_MAIN(TestSwitches)
#include "tst_switches.moc"
