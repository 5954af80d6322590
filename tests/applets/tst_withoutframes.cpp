// A project without the frame applet: the configuration and OTP windows' commands fail and put
// nothing on the board, and the program goes on.
#include "configuration.h"
#include "configurationregisters.h"
#include "otp.h"
#include "spiappfixture.h"

#include <QtTest>

class TestWithoutFrames : public QObject
{
    Q_OBJECT

    SpiAppFixture f;

private slots:
    void initTestCase()
    {
        QVERIFY(f.launch({MainApp::appletFactory<Configuration>(), MainApp::appletFactory<Otp>()}));
        QVERIFY(f.connectTo(f.board));
        QVERIFY(!f.app->findApplet("Pxn", MainApp::ByName));
    }

    // Reads, writes, the UART speed, MAPENA and the read of all, to a valid SACONF.
    void commandsFail()
    {
        QVERIFY(Configuration::setSaconf(7));
        Applet *configuration = Configuration::instance();
        for (const char *command : {"Read_slave_ident", "OP_MODE_STATUS_READ", "AUTO_ADD_Write",
                                    "UART_Speed_Write", "MAPENA_Write", "Read_all_conf"})
            QVERIFY2(!configuration->run(command, QVariant()).toBool(), command);
        Applet *otp = f.app->findApplet("Otp", MainApp::ByName);
        for (const char *command : {"Request_OTP_PXN", "Write_OTP_PXN", "Read_OTP_PXN"})
            QVERIFY2(!otp->run(command, QVariant()).toBool(), command);
        QVERIFY(f.take().isEmpty());
    }
};

QTEST_MAIN(TestWithoutFrames)
#include "tst_withoutframes.moc"
