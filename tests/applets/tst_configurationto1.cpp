// On a TO1/TO2 project the configuration window disables the frame counter and the watchdog
// selection, and nothing else.
#include "configurationappfixture.h"
#include "secondprojectprompt.h"

#include <QtTest>

class TestConfigurationTo1 : public QObject
{
    Q_OBJECT

    ConfigurationAppFixture f;
    SecondItemPrompt prompt;

private slots:
    void disabledWidgets()
    {
        QVERIFY(f.start());
        QCOMPARE(f.app->projectType(), QString("TO1/TO2"));
        const QStringList disabled = {"label_101", "lineEdit", "label_67", "cmREG0D_3_5"};
        QVERIFY(f.configuration()->isEnabled());
        int enabled = 0;
        for (QWidget *w : f.configuration()->findChildren<QWidget *>()) {
            const bool own = w->isEnabledTo(w->parentWidget()); // not switched off itself
            QCOMPARE(own, !disabled.contains(w->objectName()));
            enabled += own;
        }
        QVERIFY(enabled > 100);
    }
};

QTEST_MAIN(TestConfigurationTo1)
#include "tst_configurationto1.moc"
