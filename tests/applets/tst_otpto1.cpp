// The OTP window of a TO1/TO2 project: the map's upper configuration bits are that project's,
// the map keeps its 27 bits and goes to the chip and back as the other project's does.
#include "otp.h"
#include "pxnappfixture.h"
#include "secondprojectprompt.h"

#include <QtTest>

class TestOtpTo1 : public QObject
{
    Q_OBJECT

    PxnAppFixture f;
    SecondItemPrompt prompt; // chooses the TO1/TO2 project

    QVariant runOtp(const QString &command)
    {
        return f.app->findApplet("Otp", MainApp::ByName)->run(command, QVariant());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start({MainApp::appletFactory<Otp>()}));
        QCOMPARE(f.app->projectType(), QString("TO1/TO2"));
    }

    // The fields of bits 16..19 and the checksum above them; the map written to chip 7, cleared
    // and read back.
    void projectMap()
    {
        QCOMPARE(Otp::mapSize(), 27);
        for (const auto &[field, bit] : {std::pair{"Global_bit_err_det_EN", 16}, {"DUMMY", 19}}) {
            QVERIFY(f.setItem("Otp.OTP_REG[]", 0));
            QVERIFY(f.setItem(QString("Otp.OTP_REG[%1]").arg(field), 1));
            QCOMPARE(f.item("Otp.OTP_REG[]"), 1u << bit);
        }
        QVERIFY(f.setItem("Otp.OTP_REG[]", 0x8201D));
        QCOMPARE(runOtp("OTP_CRC"), QVariant(true));
        const quint32 map = f.item("Otp.OTP_REG[]");
        QVERIFY(map >> 20 != 0);
        QVERIFY(f.setItem("Otp.RQ_OTP[SA]", 7));
        QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
        QCOMPARE(f.bus.chip(1).otpMap, map);
        QCOMPARE(runOtp("Default"), QVariant(true));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(f.item("Otp.OTP_REG[]"), map);
    }
};

QTEST_MAIN(TestOtpTo1)
#include "tst_otpto1.moc"
