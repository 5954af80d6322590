// The program's applet table started for a "TO1/TO2" project: the OTP window binds that
// project's map, the configuration window disables the frame counter and the watchdog.
#include "mainapp.h"
#include "otp.h"
#include "secondprojectprompt.h"
#include "toolapplets.h"

#include <QtTest>

class TestTo1Project : public QObject
{
    Q_OBJECT

    SecondItemPrompt prompt; // the second project, "TO1/TO2"

private slots:
    void project()
    {
        MainApp *app = MainApp::instance();
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        QCOMPARE(app->projectType(), QString("TO1/TO2"));
        Applet *otp = app->findApplet("Otp", MainApp::ByName);
        QVERIFY(!otp->set("OTP_REG[UART_OFF]", 1, MainApp::OutsideKey));
        QVERIFY(otp->set("OTP_REG[DUMMY]", 1, MainApp::OutsideKey));
        QVERIFY(otp->set("OTP_REG[EEPROM_lock_bit]", 1, MainApp::OutsideKey));
        QCOMPARE(Otp::mapBytes().toHex(), QByteArray("00000c00"));
        QCOMPARE(Otp::mapSize(), 27);

        int enabled = 0;
        const QStringList disabled{"label_101", "lineEdit", "label_67", "cmREG0D_3_5"};
        Applet *configuration = app->findApplet("Configuration", MainApp::ByName);
        for (QWidget *w : configuration->findChildren<QWidget *>()) {
            const bool own = w->isEnabledTo(w->parentWidget()); // not switched off itself
            QCOMPARE(own, !disabled.contains(w->objectName()));
            enabled += own;
        }
        QVERIFY(enabled > 100);
        app->shutdown();
    }
};

QTEST_MAIN(TestTo1Project)
#include "tst_to1project.moc"
