// Playback commands of the Animation tab and the script list written back to back and
// started as one sequence.
#include "animationfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>

class TestBoardPlayback : public QObject
{
    Q_OBJECT

    AnimationFixture f;

    Board *page() { return f.page(); }
    QString label(const char *name) { return f.widget<QLabel>(name)->text(); }

    // Lines other than flash blocks.
    QList<QByteArray> commands()
    {
        QList<QByteArray> lines = f.take();
        lines.removeIf([](const QByteArray &line) { return line.startsWith("set flash="); });
        return lines;
    }

    // A listed script of one device whose padded image takes blocks blocks.
    void listScript(int blocks, const QString &name)
    {
        CsvScript s;
        const int steps = blocks == 1 ? 1 : 20 * blocks; // 12 bytes each, none repeating
        for (int i = 0; i < steps; ++i)
            s.steps.append(cells(12, i % 2 ? 10 : 20));
        f.loadScript(s, name);
        page()->on_pbAddToList_clicked();
    }
    void clearList()
    {
        while (!page()->scriptListEntries().isEmpty()) {
            f.widget<QTableWidget>("tableAnimationScripts")->setCurrentCell(0, 0);
            page()->on_pbRemoveFromList_clicked();
        }
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init()
    {
        clearList();
        f.take();
    }

    void startSendsLoops_data()
    {
        QTest::addColumn<int>("loops");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("1") << 1 << QByteArray("set p110animation=01");
        QTest::newRow("20") << 20 << QByteArray("set p110animation=14");
        QTest::newRow("255") << 255 << QByteArray("set p110animation=ff");
    }
    void startSendsLoops()
    {
        QFETCH(int, loops);
        f.widget<QSpinBox>("sbLoops")->setValue(loops);
        page()->on_pbStartAnimation_clicked();
        QFETCH(QByteArray, line);
        QCOMPARE(commands(), QList<QByteArray>{line});
    }

    void pauseAndContinue()
    {
        page()->on_pbStopAnimation_clicked();
        page()->on_pbContinueAnimation_clicked();
        QCOMPARE(commands(),
                 (QList<QByteArray>{"set p110stopanim", "set P110MAPENA=01", "set p110contanim"}));
        QCOMPARE(f.scripts.pauseContinueLines(),
                 (QList<QByteArray>{"set p110stopanim", "set p110contanim"}));
    }

    void delayGoesIntoCurrentScript()
    {
        CsvScript s;
        f.loadScript(s);
        f.widget<QSpinBox>("sbDelay")->setValue(77);
        QCOMPARE(page()->currentCsvScript()->delay, quint8(77));
        QVERIFY(commands().isEmpty());
    }

    void emptyListStillStarts()
    {
        f.widget<QSpinBox>("sbScriptLoops")->setValue(3);
        page()->on_pbStartScript_clicked();
        QCOMPARE(commands(), QList<QByteArray>{"set p110script=0300800300ff"});
    }

    // Images of 512 and 256 bytes: the second starts one block beyond the first's end; a
    // second START places them at the same addresses.
    void listStartsScriptsBackToBack()
    {
        listScript(2, "first.csv");
        listScript(1, "second.csv");
        f.widget<QSpinBox>("sbScriptLoops")->setValue(20);
        QCheckBox *check = f.widget<QCheckBox>("cbCheckData");
        check->setChecked(true);
        const int accepted = f.scripts.scriptStarts().size();
        for (int pass = 0; pass < 2; ++pass) {
            page()->on_pbStartScript_clicked();
            QList<QByteArray> blocks;
            QList<QByteArray> others;
            for (const QByteArray &line : f.take()) {
                if (line.startsWith("set flash="))
                    blocks.append(line.mid(10, 8));
                else
                    others.append(line);
            }
            QCOMPARE(blocks, (QList<QByteArray>{"800300ff", "800301ff", "800303ff"}));
            QCOMPARE(others, QList<QByteArray>{"set p110script=1402800300ff800303ff"});
            QCOMPARE(f.scripts.scriptStarts().size(), accepted + pass + 1);
            QCOMPARE(f.scripts.scriptStarts().last().starts,
                     (QList<quint32>{0x800300FFu, 0x800303FFu}));
            QVERIFY(!check->isChecked());
            QCOMPARE(page()->scriptFlashStart(), Board::FlashStartAddress);
            QCOMPARE(page()->currentCsvScript(), page()->scriptListEntries().last());
        }
    }

    void refusedListWritesNothing_data()
    {
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("text");
        QTest::newRow("invalid script") << 0 << "Invalid script: fewer addresses than devices";
        QTest::newRow("256 scripts") << 1 << "Invalid script list: more than 255 scripts";
        QTest::newRow("past the update area")
            << 2 << "Invalid script list: it ends past 0x80050000";
    }
    void refusedListWritesNothing()
    {
        QFETCH(int, refusal);
        listScript(1, "small.csv");
        if (refusal == 0) {
            CsvScript bad;
            bad.devices = 2;
            f.loadScript(bad, "bad.csv");
            page()->on_pbAddToList_clicked();
        } else if (refusal == 1) {
            for (int i = 0; i < 255; ++i)
                page()->on_pbAddToList_clicked();
        } else {
            // Two images of 510 blocks: the second would reach into the update area.
            listScript(2, "large.csv");
            CSVReader *large = page()->currentCsvScript();
            large->steps.clear();
            for (int i = 0; i < 255; ++i)
                large->steps.append(QStringList{QString::number(i + 1)} + cells(12 * 40, i % 2));
            large->deviceCount = 40;
            large->addresses = cells(40, 1);
            page()->on_pbAddToList_clicked();
        }
        CSVReader *shown = page()->currentCsvScript();
        page()->on_pbStartScript_clicked();
        QVERIFY(f.take().isEmpty());
        QTEST(label("lbUsedFlashSize"), "text");
        QCOMPARE(page()->currentCsvScript(), shown);
    }
};

QTEST_MAIN(TestBoardPlayback)
#include "tst_boardplayback.moc"
