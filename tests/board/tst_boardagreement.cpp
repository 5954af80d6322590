// Page and board agree after any sequence of actions: seeded random sequences of user actions on
// the board page, on a KVL52205 and on a KVL52404 driver board, each compared with the simulated
// board after every action. A failure names the seed and the shortest action list found.
#include "pageagreement.h"

#include <QtTest>

namespace
{

constexpr int Sequences = 100; // per driver board
constexpr int Actions = 30;

} // namespace

class TestBoardAgreement : public QObject
{
    Q_OBJECT

    PageAgreement agreement;

private slots:
    void initTestCase() { QVERIFY(agreement.start()); }

    // The comparison sees a chip that no longer holds what the page shows, a live image that
    // lost a duty and a LED-control line that was switched behind the page's back.
    void comparisonSeesDifferences()
    {
        QStringList differences;
        agreement.selectDriver(FakeSpiEeprom::Kvl52205Board);
        QCOMPARE(agreement.run({}, &differences), -1);
        agreement.f.spi.setKvl52205Register(4, 3);
        QCOMPARE(agreement.compare(), QStringList{"BUCK1[VTHR] 24/3"});
        agreement.selectDriver(FakeSpiEeprom::Kvl52404Board);
        const PageAction allOn{PageAction::Run, QStringLiteral("allOn"), -1};
        QCOMPARE(agreement.run({allOn}, &differences), -1);
        agreement.f.board.setValue("PWM2DUTY", "0");
        agreement.f.flash.setRefuseAt(agreement.f.flash.blockCount());
        agreement.f.set("DCREG[SW3]", 7);
        LiveSendProbe::flush(agreement.f.page());
        QCOMPARE(agreement.compare(), (QStringList{"live SW3 7/200", "PWM2DUTY LEDCTRL2 1/0"}));
        QVERIFY(!legitimateDifferences().isEmpty());
    }

    void sequences_data()
    {
        QTest::addColumn<int>("driver");
        // KVL_AGREEMENT_DRIVER runs one driver board's sequences (CTest runs the two apart).
        const QString only = qEnvironmentVariable("KVL_AGREEMENT_DRIVER");
        if (only.isEmpty() || only == QLatin1String("KVL52205"))
            QTest::newRow("KVL52205") << int(FakeSpiEeprom::Kvl52205Board);
        if (only.isEmpty() || only == QLatin1String("KVL52404"))
            QTest::newRow("KVL52404") << int(FakeSpiEeprom::Kvl52404Board);
    }

    // The sequences run one after the other from one connection (each sequence may reconnect);
    // a failure is replayed from a fresh connection to find its shortest action list.
    void sequences()
    {
        QFETCH(int, driver);
        agreement.selectDriver(FakeSpiEeprom::Image(driver));
        QStringList differences;
        QCOMPARE(agreement.run({}, &differences), -1);
        // KVL_AGREEMENT_SEED runs the one sequence of that seed.
        bool one = false;
        const quint64 chosen = qEnvironmentVariable("KVL_AGREEMENT_SEED").toULongLong(&one);
        QList<QList<PageAction>> done;
        for (int s = 0; s < (one ? 1 : Sequences); ++s) {
            const quint64 seed = one ? chosen : quint64(driver) * 100000 + quint64(s);
            done.append(agreement.draw(seed, Actions));
            const int at = agreement.runOn(done.last(), &differences);
            if (at < 0)
                continue;
            const QString seen = differences.join(QLatin1String(", "));
            const QList<PageAction> shortest = agreement.reproduce(done);
            agreement.run(shortest, &differences);
            QFAIL(qPrintable(QStringLiteral("seed %1 (action %2: %3)\n   from a connection: %4\n"
                                            "   differences: %5")
                                 .arg(seed)
                                 .arg(at)
                                 .arg(seen, PageAgreement::describe(shortest),
                                      differences.join(QLatin1String(", ")))));
        }
    }
};

QTEST_MAIN(TestBoardAgreement)
#include "tst_boardagreement.moc"
