// The Animation tab on the simulated board: "Flash MCU" with its block lines, refusals and
// read-back, the playback commands, the script list started as one sequence, its ".script"
// files, and the NTC readout of the script's devices.
#include "boardcommandsfixture.h"
#include "csvreader.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace
{

QByteArray blockLine(quint32 address, const QByteArray &block)
{
    return "set flash=" + QByteArray::number(address, 16) +
           QByteArray::number(FakeBoardFlash::crc32(block), 16).rightJustified(8, '0') +
           "00000100" + block.toHex();
}

// Step rows of devices x 12 cells, alternating between values a and b (no repeats).
QByteArray steps(int count, int devices, int a = 7, int b = 8)
{
    QByteArray out;
    for (int s = 1; s <= count; ++s)
        out +=
            QByteArray::number(s) +
            QByteArray(12 * devices, ',')
                .replace(",", s % 2 ? "," + QByteArray::number(a) : "," + QByteArray::number(b)) +
            "\n";
    return out;
}

} // namespace

class TestBoardAnimation : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;
    Board *page() { return f.page(); }
    QString label(const char *name) { return f.widget<QLabel>(name)->text(); }

    // Writes a CSV script of devices at addresses and its step rows, and loads it.
    void load(const QString &name, int devices, const QByteArray &addresses, const QByteArray &rows)
    {
        QVERIFY(TestFiles::write(name, "Animation script\nDESCRIPTION,Wave\nDELAY,100\nDEVICES," +
                                           QByteArray::number(devices) + "\nADDRESSES," +
                                           addresses + "\nSTEP,SW1\n" + rows + "END\n"));
        f.prompt.queueFile(QFileInfo(name).absoluteFilePath());
        page()->on_pbLoadCSV_clicked();
    }
    // Flash lines' addresses and the other lines sent since the last take.
    QPair<QByteArrayList, QByteArrayList> sent()
    {
        QPair<QByteArrayList, QByteArrayList> out;
        for (const QByteArray &line : f.take())
            line.startsWith("set flash=") ? out.first.append(line.mid(10, 8))
                                          : out.second.append(line);
        return out;
    }
    void clearList()
    {
        while (!page()->scriptListEntries().isEmpty()) {
            f.widget<QTableWidget>("tableAnimationScripts")->setCurrentCell(0, 0);
            page()->on_pbRemoveFromList_clicked();
        }
    }
    int warnings()
    {
        int count = 0;
        for (const Prompt::Message &m : f.prompt.messages())
            count += m.title == "KVL52110" && m.text == "An error appeard while sending";
        return count;
    }

private slots:
    void initTestCase()
    {
        f.bus.addChip(3, 4, 1);
        f.bus.addChip(5, 4, 1);
        f.bus.setOutputOn(1, true);
        QVERIFY(f.start());
    }
    void init()
    {
        clearList();
        f.widget<QCheckBox>("cbCheckData")->setChecked(false);
        f.take();
    }

    // The 25-byte image of one device at 5 with two equal steps, in one exact block; with
    // "Check data" each block is read back and a differing one ends with a warning.
    void flashScript()
    {
        load("one.csv", 1, "5", steps(2, 1, 7, 7));
        page()->on_pbFlashMCU_clicked();
        const QByteArray block = QByteArray("START\x64\x01\x02\x05") + QByteArray(12, 7) +
                                 QByteArray(1, char(0xFF)) + "END" + QByteArray(231, '\0');
        QCOMPARE(f.take(), QList<QByteArray>{blockLine(0x800300FF, block)});
        QCOMPARE(f.flash.read(0x800300FF, 256), block);
        QCOMPARE(label("lbFlashSize") + label("lbUsedFlashSize"),
                 QString("Required flash size 25 BUsed flash size 256 B"));
        QCOMPARE(page()->nextFlashAddress(), 0x800301FFu);

        load("two.csv", 1, "5", steps(22, 1));
        f.widget<QCheckBox>("cbCheckData")->setChecked(true);
        f.flash.setAlteredReadAt(int(f.flash.readLines().size()) + 1);
        page()->on_pbFlashMCU_clicked();
        QCOMPARE(sent().second,
                 (QByteArrayList{"get flash=800300ff00000100", "get flash=800301ff00000100"}));
        QCOMPARE(warnings(), 1);
        f.flash.setAlteredReadAt(-1);
    }

    // A script that does not fit is refused before anything is sent.
    void refusedScript()
    {
        for (const auto &[devices, addresses, rows, text] :
             QList<std::tuple<int, QByteArray, QByteArray, QString>>{
                 {1, "5", steps(256, 1), "Invalid script: more than 255 steps"},
                 {3, "5,6", steps(1, 3), "Invalid script: fewer addresses than devices"},
                 {1, "256", steps(1, 1), "Invalid script: address outside 0..255"},
                 {43, QByteArray(42, ',').replace(",", ",1").prepend('1'), steps(255, 43),
                  "Reached max size 130560 B"}}) {
            load("refused.csv", devices, addresses, rows);
            f.widget<QCheckBox>("cbCheckData")->setChecked(true);
            const quint32 address = page()->nextFlashAddress();
            page()->on_pbFlashMCU_clicked();
            QCOMPARE(label("lbUsedFlashSize"), text);
            QCOMPARE(page()->nextFlashAddress(), address);
            QVERIFY(f.take().isEmpty());
        }
    }

    void playback()
    {
        f.widget<QSpinBox>("sbLoops")->setValue(20);
        page()->on_pbStartAnimation_clicked();
        page()->on_pbStopAnimation_clicked();
        page()->on_pbContinueAnimation_clicked();
        QCOMPARE(f.take(), (QList<QByteArray>{"set p110animation=14", "set p110stopanim",
                                              "set P110MAPENA=01", "set p110contanim"}));
        f.widget<QSpinBox>("sbDelay")->setValue(77);
        QCOMPARE(page()->currentCsvScript()->delay, quint8(77));
        f.widget<QSpinBox>("sbScriptLoops")->setValue(3);
        page()->on_pbStartScript_clicked(); // an empty list
        QCOMPARE(f.take(), QList<QByteArray>{"set p110script=0300800300ff"});
    }

    // Images of 512 and 256 bytes: the second starts one block beyond the first's end; the
    // board finds both; a second start places them at the same addresses.
    void scriptList()
    {
        load("first.csv", 1, "5", steps(40, 1));
        page()->on_pbAddToList_clicked();
        load("second.csv", 1, "5", steps(1, 1));
        page()->on_pbAddToList_clicked();
        f.widget<QSpinBox>("sbScriptLoops")->setValue(20);
        f.widget<QCheckBox>("cbCheckData")->setChecked(true);
        for (int pass = 0; pass < 2; ++pass) {
            page()->on_pbStartScript_clicked();
            QCOMPARE(sent(), qMakePair(QByteArrayList{"800300ff", "800301ff", "800303ff"},
                                       QByteArrayList{"set p110script=1402800300ff800303ff"}));
            QCOMPARE(f.scripts.scriptStarts().last().starts,
                     (QList<quint32>{0x800300FF, 0x800303FF}));
            QVERIFY(!f.widget<QCheckBox>("cbCheckData")->isChecked());
        }
    }

    // A list with a refused script, of more than 255 scripts, or that would reach the update
    // area writes nothing.
    void refusedList()
    {
        const QByteArray addresses24 = QByteArray(23, ',').replace(",", ",1").prepend('1');
        for (const auto &[devices, addresses, rows, copies, text] :
             QList<std::tuple<int, QByteArray, QByteArray, int, QString>>{
                 {2, "5", steps(1, 2), 1, "Invalid script: fewer addresses than devices"},
                 {1, "5", steps(1, 1), 256, "Invalid script list: more than 255 scripts"},
                 {24, addresses24, steps(255, 24), 2,
                  "Invalid script list: it ends past 0x80050000"}}) {
            clearList();
            load("listed.csv", devices, addresses, rows);
            for (int i = 0; i < copies; ++i)
                page()->on_pbAddToList_clicked();
            page()->on_pbStartScript_clicked();
            QVERIFY(f.take().isEmpty());
            QCOMPARE(label("lbUsedFlashSize"), text);
        }
    }

    // One "file<row>=<name>" line per row; loading takes the files beside the list, skips the
    // missing ones; files that cannot be written or read are reported.
    void scriptFiles()
    {
        QVERIFY(QDir().mkpath("lists"));
        load("lists/a.csv", 1, "5", steps(3, 1));
        page()->on_pbAddToList_clicked();
        load("lists/b.csv", 1, "5", steps(2, 1));
        page()->on_pbAddToList_clicked();
        f.widget<QLineEdit>("leScriptName")->setText("saved");
        f.prompt.queueFile(QDir::current().absoluteFilePath("lists"));
        page()->on_pbSaveScript_clicked();
        QCOMPARE(TestFiles::read("lists/saved.script"), QByteArray("file0=a.csv\nfile1=b.csv\n"));

        QVERIFY(TestFiles::write("lists/l.script", "file0=b.csv\r\nfile1=gone.csv\r\nx=a.csv"));
        f.prompt.queueFile(QDir::current().absoluteFilePath("lists/l.script"));
        page()->on_pbLoadScript_clicked();
        auto *table = f.widget<QTableWidget>("tableAnimationScripts");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 2)->text() + table->item(0, 3)->text() + table->item(1, 3)->text(),
                 QString("2b.csva.csv"));

        const qsizetype messages = f.prompt.messages().size();
        f.prompt.queueFile(QDir::current().absoluteFilePath("no/such/dir"));
        page()->on_pbSaveScript_clicked();
        f.prompt.queueFile(QDir::current().absoluteFilePath("none.script"));
        page()->on_pbLoadScript_clicked();
        QCOMPARE(f.prompt.messages().size(), messages + 2);
        QCOMPARE(f.prompt.messages().last().title, QString("error"));
        QCOMPARE(table->rowCount(), 2);
    }

    // Each device's ADC input is selected (word 13 kept but ADC_SEL), its result read and
    // shown in degrees; an address outside 0..31 leaves its field alone.
    void ntcReadout()
    {
        const quint32 word13 = 0x00AB00;
        for (int chip : {0, 1}) // at 3: 0.600 V, at 5: 1.200 V, both of 2.4 V
            f.bus.editChip(chip, [chip, word13](FakeMatrixChip &c) {
                c.words[13] = word13;
                c.words[17] = quint32(chip == 0 ? 127 : 254) << 16 | 153u << 8 | 0x42;
            });
        page()->currentCsvScript()->addresses = QStringList{" 3", "40", "5\r\n"};
        auto field = [this](int n) {
            return f.widget<QLineEdit>(qPrintable(QString("leNTC_%1").arg(n)));
        };
        field(2)->setText("kept");
        const qsizetype frames = f.bus.frames().size();
        page()->on_pbReadNTCs_clicked();
        QCOMPARE(field(1)->text() + field(2)->text() + field(3)->text(),
                 QString("56.2 °Ckept25.0 °C"));
        QStringList targets;
        for (const auto &frame : f.bus.frames().mid(frames))
            targets.append(QString("%1:%2")
                               .arg(quint8(frame.second.at(1)) & 0x1F)
                               .arg(quint8(frame.second.at(2)) & 0x1F));
        QCOMPARE(targets, (QStringList{"3:13", "3:13", "3:17", "5:13", "5:13", "5:17"}));
        QCOMPARE(f.bus.chip(0).word(13), word13 | 0x08);
    }
};

QTEST_MAIN(TestBoardAnimation)
#include "tst_boardanimation.moc"
