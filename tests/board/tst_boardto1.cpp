// On a TO1/TO2 project the board page disables the mode selection and broadcast writes.
#include "boardappfixture.h"

namespace
{

// Chooses the second project type at start-up.
class SecondItemPrompt : public RecordingPrompt
{
public:
    QString getItem(const QString &, const QString &, const QStringList &items, int,
                    bool *ok) override
    {
        if (ok)
            *ok = true;
        return items.value(1);
    }
};

} // namespace

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
