// A write of BOOSTPWM starts or stops the controller's PWM 1; nothing else reaches the board.
#include "boardappfixture.h"

class TestBoardBoostPwm : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init() { f.take(); }

    void boostPwm_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("running");
        QTest::newRow("0") << QVariant(0) << QByteArray("set PWM1STOP") << false;
        QTest::newRow("1") << QVariant(1) << QByteArray("set PWM1START") << true;
        QTest::newRow("0 again") << QVariant(0) << QByteArray("set PWM1STOP") << false;
        QTest::newRow("text 1") << QVariant("1") << QByteArray("set PWM1START") << true;
    }
    void boostPwm()
    {
        QFETCH(QVariant, value);
        QVERIFY(f.setItem("Board.BOOSTPWM", value));
        QFETCH(QByteArray, line);
        QCOMPARE(f.take(), QList<QByteArray>{line});
        QTEST(f.pwm.pwm1Running(), "running");
    }

    // Reading the variable, or writing any other item, sends nothing.
    void quietItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("write");
        QTest::newRow("get") << "Board.BOOSTPWM" << false;
        QTest::newRow("set other variable") << "Board.FREQ1" << true;
        QTest::newRow("set boost clock") << "Board.BOOSTFREQ" << true;
        QTest::newRow("set map") << "Board.SPI_MAPP404[BST1_EN]" << true;
    }
    void quietItems()
    {
        QFETCH(QString, name);
        QFETCH(bool, write);
        QVariant value;
        QVERIFY(write ? f.setItem(name, 1) : f.getItem(name, &value));
        QTest::qWait(50);
        QVERIFY(f.take().isEmpty());
    }
};

QTEST_MAIN(TestBoardBoostPwm)
#include "tst_boardboostpwm.moc"
