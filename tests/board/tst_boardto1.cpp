// On a TO1/TO2 project the board page disables the mode selection and broadcast writes.
#include "boardappfixture.h"
#include "secondprojectprompt.h"

class TestBoardTo1 : public QObject
{
    Q_OBJECT

    BoardAppFixture f;
    SecondItemPrompt prompt;

private slots:
    void disabledWidgets()
    {
        QVERIFY(f.start());
        QCOMPARE(f.app->projectType(), QString("TO1/TO2"));
        QVERIFY(!f.widget<QWidget>("comboBox")->isEnabledTo(f.page()));
        QVERIFY(!f.widget<QWidget>("cbBroadcast")->isEnabledTo(f.page()));
        QVERIFY(f.widget<QWidget>("cbAutoupdate")->isEnabledTo(f.page()));
    }
};

QTEST_MAIN(TestBoardTo1)
#include "tst_boardto1.moc"
