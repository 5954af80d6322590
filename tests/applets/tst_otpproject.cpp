// The whole program's applet table started for a "TO1/TO2" project, with no board: the OTP
// window lists that project's map, keeps a fixed width, and the raw-frame window's data edits
// follow the frame length from set-up on.
#include "mainapp.h"
#include "otp.h"
#include "prompt.h"
#include "pxn.h"
#include "toolapplets.h"

#include <QLineEdit>
#include <QtTest>

namespace
{

// Chooses the "TO1/TO2" project and answers everything else with its default.
class To1Prompt : public DefaultPrompt
{
public:
    To1Prompt() { Prompt::install(this); }
    ~To1Prompt() override { Prompt::install(nullptr); }
    QString getItem(const QString &title, const QString &label, const QStringList &items,
                    int current, bool *ok) override
    {
        const int to1 = int(items.indexOf(QStringLiteral("TO1/TO2")));
        return DefaultPrompt::getItem(title, label, items, to1 >= 0 ? to1 : current, ok);
    }
};

} // namespace

class TestOtpProject : public QObject
{
    Q_OBJECT

    To1Prompt prompt;
    MainApp *app = nullptr;

private slots:
    void initTestCase()
    {
        app = MainApp::instance();
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        QCOMPARE(app->projectType(), QString("TO1/TO2"));
    }

    void cleanupTestCase() { app->shutdown(); }

    void otpMapOfProject()
    {
        Applet *otp = app->findApplet("Otp", MainApp::ByName);
        QVERIFY(otp);
        const QStringList names = otp->controlNames();
        for (const char *name : {"OTP_REG[DUMMY]", "OTP_REG[Global_bit_err_det_EN]",
                                 "OTP_REG[EEPROM_lock_bit]", "OTP_REG[CRC1]"})
            QVERIFY2(names.contains(name), name);
        QVERIFY(!names.contains("OTP_REG[UART_OFF]"));
        QVERIFY(!names.contains("OTP_REG[Global_bit_err_det_DIS]"));
        QCOMPARE(Otp::mapSize(), 27);
        QVERIFY(!otp->set("OTP_REG[UART_OFF]", 1, MainApp::OutsideKey));
        QVERIFY(otp->set("OTP_REG[DUMMY]", 1, MainApp::OutsideKey));
        QCOMPARE(Otp::mapBytes().toHex(), QByteArray("00000800"));
        QVERIFY(otp->set("OTP_REG[DUMMY]", 0, MainApp::OutsideKey));

        const QWidget *window = otp->container();
        QVERIFY(window);
        QCOMPARE(window->minimumWidth(), window->maximumWidth());
        QCOMPARE(window->minimumWidth(), otp->width() + 10);
    }

    // Never connected: only set-up has run, and with length code 0 and layout 0 a frame
    // carries three data bytes.
    void dataEditsFromSetup()
    {
        Applet *pxn = app->findApplet("Pxn", MainApp::ByName);
        QVERIFY(pxn);
        QVERIFY(!app->isConnected());
        for (const char *group : {"W", "R"}) {
            for (int i = 1; i <= 12; ++i) {
                const QString name = QStringLiteral("le%1_BANK_D%2").arg(group).arg(i);
                const auto *edit = pxn->findChild<QLineEdit *>(name);
                QVERIFY2(edit, qPrintable(name));
                QCOMPARE(edit->isEnabled(), i <= 3);
            }
        }
    }
};

QTEST_MAIN(TestOtpProject)
#include "tst_otpproject.moc"
