// The EEPROM tool in the running application, connected over a pseudo-terminal to the simulated
// board with its 25-series EEPROM: the frames of each instruction, block reads and page writes,
// their failures, the speed command and the form.
#include "checkbox.h"
#include "lineedit.h"
#include "pushbutton.h"
#include "spiappfixture.h"
#include "variable.h"

#include <QtTest>

namespace
{

const QByteArray Get = QByteArrayLiteral("get SPI0CS3DATA");

QList<QByteArray> setGet(const QByteArray &value)
{
    return {"set SPI0CS3DATA=" + value, Get};
}

double item(const char *name)
{
    return spiEEPROM->get(QString::fromLatin1(name), Variable::OutsideKey).toDouble();
}

void setItem(const char *name, double value)
{
    QVERIFY(spiEEPROM->set(QString::fromLatin1(name), value, Variable::InternalKey));
}

// The frames a block read sends, with their gets.
QList<QByteArray> readFrames(const QList<QByteArray> &values)
{
    QList<QByteArray> lines;
    for (const QByteArray &value : values)
        lines += setGet(value);
    return lines;
}

} // namespace

class TestSpiEEPROM : public QObject
{
    Q_OBJECT

    SpiAppFixture f;
    const QByteArray image = FakeSpiEeprom::image(FakeSpiEeprom::Kvl52404Board);

    // Checks that the last instruction failed and kept DataOut.
    void checkFailed(const char *command)
    {
        setItem("DataOut[]", 0x5A);
        QCOMPARE(spiEEPROM->run(command, QVariant()), QVariant(false));
        QCOMPARE(item("DataOut[]"), double(0x5A));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QVERIFY(spiEEPROM);
        QCOMPARE(f.app->findApplet("SpiEEPROM", MainApp::ByName), spiEEPROM);
        QCOMPARE(spiEEPROM->windowTitle(), QString("(Ctrl+1) External SPI EEPROM"));
        QVERIFY(SpiAppFixture::hasFixedWindow(spiEEPROM, QSize(492, 248)));
        QCOMPARE(spiEEPROM->itemNames(), (QStringList{"EEPROMFreq", "EEPROMChannel", "OpCode",
                                                      "Address", "DataIn", "DataOut"}));
    }

    void init()
    {
        f.eeprom.load(image);
        spiEEPROM->run("disableWrite", QVariant());
        f.eeprom.clearViolations();
        f.take();
    }

    void instructions_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("opCode");
        QTest::addColumn<int>("address");
        QTest::newRow("read status") << "readStatus" << QByteArray("0405000000") << 5 << 0;
        QTest::newRow("write status") << "writeStatus" << QByteArray("0401000000") << 1 << 0;
        QTest::newRow("read byte") << "readByte" << QByteArray("0403012300") << 3 << 0x123;
        QTest::newRow("enable write") << "enableWrite" << QByteArray("0406000000") << 6 << 0;
        QTest::newRow("disable write") << "disableWrite" << QByteArray("0404000000") << 4 << 0;
    }

    // Each instruction sets OpCode, Address (kept only by "readByte") and DataIn 0, then sends
    // its frame and gets the answer.
    void instructions()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, value);
        QFETCH(int, opCode);
        QFETCH(int, address);
        setItem("Address", 0x123);
        setItem("DataIn", 0x77);
        QCOMPARE(spiEEPROM->run(command, QVariant()), QVariant(true));
        QCOMPARE(f.take(), setGet(value));
        QCOMPARE(item("OpCode"), double(opCode));
        QCOMPARE(item("Address"), double(address));
        QCOMPARE(item("DataIn"), 0.0);
        spiEEPROM->run("disableWrite", QVariant());
    }

    void writeByteThenReadIt()
    {
        setItem("Address", 0x10);
        setItem("DataIn", 0xAB);
        QCOMPARE(spiEEPROM->run("writeByte", QVariant()), QVariant(true));
        QCOMPARE(f.take(), setGet("0406000000") + setGet("04020010ab"));
        QCOMPARE(item("OpCode"), 2.0);
        QCOMPARE(item("Address"), double(0x10));
        QCOMPARE(item("DataIn"), double(0xAB));
        QCOMPARE(f.eeprom.bytes(0x10, 1), QByteArray("\xab"));
        QCOMPARE(spiEEPROM->run("readByte", QVariant()), QVariant(true));
        QCOMPARE(item("DataOut[]"), 171.0);
        QVERIFY(f.eeprom.violations().isEmpty());
    }

    // The write frame still goes out when the enable frame failed; without the latch the
    // EEPROM changes nothing.
    void writeWithoutLatchChangesNothing()
    {
        f.eeprom.refuseTransfer(1);
        setItem("Address", 0x20);
        setItem("DataIn", 0x55);
        QCOMPARE(spiEEPROM->run("writeByte", QVariant()), QVariant(true));
        QCOMPARE(f.take(), QList<QByteArray>{"set SPI0CS3DATA=0406000000"} + setGet("0402002055"));
        QCOMPARE(f.eeprom.bytes(0x20, 1), QByteArray("\xff"));
        QCOMPARE(f.eeprom.violations().size(), 1);
    }

    void statusFollowsTheLatch()
    {
        const QList<QPair<QString, int>> steps{{"readStatus", 0},
                                               {"enableWrite", -1},
                                               {"readStatus", 2},
                                               {"disableWrite", -1},
                                               {"readStatus", 0}};
        for (const auto &step : steps) {
            QCOMPARE(spiEEPROM->run(step.first, QVariant()), QVariant(true));
            if (step.second >= 0)
                QCOMPARE(item("DataOut[]"), double(step.second));
        }
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("dataOut"); // -1: the instruction fails and keeps DataOut
        QTest::newRow("status") << QByteArray("SPI0CS3DATA=04ffffff02") << 2;
        QTest::newRow("upper case") << QByteArray("SPI0CS3DATA=04FFFFFFA5") << 0xA5;
        QTest::newRow("count not checked") << QByteArray("SPI0CS3DATA=09ff0f") << 0x0F;
        QTest::newRow("empty value") << QByteArray("SPI0CS3DATA=") << -1;
        QTest::newRow("one digit") << QByteArray("SPI0CS3DATA=2") << -1;
        QTest::newRow("ends in non-hex") << QByteArray("SPI0CS3DATA=04ffffff0g") << -1;
        QTest::newRow("other name") << QByteArray("SPI0CS1DATA=04ffffff02") << -1;
        QTest::newRow("error") << QByteArray("SPI0CS3DATA=err") << -1;
    }

    void answers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, dataOut);
        f.spi.scriptAnswer("SPI0CS3DATA", answer);
        if (dataOut < 0) {
            checkFailed("readStatus");
        } else {
            QCOMPARE(spiEEPROM->run("readStatus", QVariant()), QVariant(true));
            QCOMPARE(item("DataOut[]"), double(dataOut));
        }
        QCOMPARE(f.take(), setGet("0405000000"));
    }

    void refusedAndDisconnected()
    {
        f.eeprom.refuseTransfer(1);
        checkFailed("readStatus");
        QCOMPARE(f.take(), QList<QByteArray>{"set SPI0CS3DATA=0405000000"});
        f.app->disconnectBoard();
        checkFailed("readStatus");
        QVERIFY(f.connectTo(f.board));
    }

    void unknownCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("empty") << "";
        QTest::newRow("capital") << "ReadByte";
        QTest::newRow("trailing blank") << "readByte ";
        QTest::newRow("with brackets") << "readByte()";
    }

    // Nothing is sent and no help is registered: the console lists no command of this tool.
    void unknownCommands()
    {
        QFETCH(QString, command);
        f.checkCommand(spiEEPROM, command, false, QByteArray());
        QVERIFY(spiEEPROM->functionNames().isEmpty());
    }

    void speed_data()
    {
        QTest::addColumn<double>("MHz");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("default") << 0.3 << 3 << QByteArray("set SPILEDCS3SPEED=300000");
        QTest::newRow("lowest") << 0.25 << 3 << QByteArray("set SPILEDCS3SPEED=250000");
        QTest::newRow("highest") << 10.0 << 0 << QByteArray("set SPILEDCS0SPEED=10000000");
        QTest::newRow("rounded") << 4.1 << 15 << QByteArray("set SPILEDCS15SPEED=4100000");
    }

    void speed()
    {
        QFETCH(double, MHz);
        QFETCH(int, channel);
        QFETCH(QByteArray, line);
        setItem("EEPROMFreq", MHz);
        setItem("EEPROMChannel", channel);
        const double opCode = item("OpCode");
        f.checkCommand(spiEEPROM, "setEEPROMFreq", true, line);
        QCOMPARE(item("OpCode"), opCode);
        setItem("EEPROMFreq", 0.3);
        setItem("EEPROMChannel", 3);
    }

    void refusedSpeed()
    {
        f.board.refuse("SPILEDCS3SPEED");
        f.checkCommand(spiEEPROM, "setEEPROMFreq", false, "set SPILEDCS3SPEED=300000");
        f.app->disconnectBoard();
        f.checkCommand(spiEEPROM, "setEEPROMFreq", false, QByteArray());
        QVERIFY(f.connectTo(f.board));
    }

    void readBlock_data()
    {
        const QByteArray zeros252(504, '0');
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::newRow("one byte") << 0 << 1 << QList<QByteArray>{"0403000000"};
        QTest::newRow("no byte") << 0 << 0 << QList<QByteArray>{"03030000"};
        QTest::newRow("config") << 1 << 15 << QList<QByteArray>{"12030001" + QByteArray(30, '0')};
        QTest::newRow("whole frame") << 0x10 << 252 << QList<QByteArray>{"ff030010" + zeros252};
        QTest::newRow("two frames")
            << 0x10 << 254 << QList<QByteArray>{"ff030010" + zeros252, "0503010c0000"};
        QTest::newRow("most") << 0x1FF << 255
                              << QList<QByteArray>{"ff0301ff" + zeros252, "060302fb000000"};
        QTest::newRow("wraps") << 4095 << 2 << QList<QByteArray>{"05030fff0000"};
    }

    void readBlock()
    {
        QFETCH(int, address);
        QFETCH(int, length);
        QFETCH(QList<QByteArray>, frames);
        bool ok = false;
        const QByteArray text = spiEEPROM->readBlock(quint16(address), quint8(length), &ok);
        QVERIFY(ok);
        QCOMPARE(text, f.eeprom.bytes(address, length).toHex());
        QCOMPARE(f.take(), readFrames(frames));
    }

    void readBlockFailures_data()
    {
        QTest::addColumn<QByteArray>("answer"); // empty: the set is refused
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("refused") << QByteArray() << QByteArray("0000");
        QTest::newRow("empty") << QByteArray("SPI0CS3DATA=") << QByteArray("0000");
        QTest::newRow("not hexadecimal")
            << QByteArray("SPI0CS3DATA=05ffffff0g0f") << QByteArray("0g0f");
        QTest::newRow("short") << QByteArray("SPI0CS3DATA=05ffffff0f") << QByteArray("0f");
        QTest::newRow("count only") << QByteArray("SPI0CS3DATA=05") << QByteArray();
    }

    // ok turns false; the text is what the frame left: its own zeros or the answer's digits.
    void readBlockFailures()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, text);
        if (answer.isEmpty())
            f.eeprom.refuseTransfer(1);
        else
            f.spi.scriptAnswer("SPI0CS3DATA", answer);
        bool ok = true;
        QCOMPARE(spiEEPROM->readBlock(0x0100, 2, &ok), text);
        QVERIFY(!ok);
        const QList<QByteArray> sent = f.take();
        QCOMPARE(sent.first(), QByteArray("set SPI0CS3DATA=050301000000"));
        QCOMPARE(sent.size(), answer.isEmpty() ? 1 : 2);
    }

    // A failed first frame sends no second; the text still has every byte's digits.
    void readBlockStopsAtAFailedFrame()
    {
        f.eeprom.refuseTransfer(1);
        bool ok = true;
        QCOMPARE(spiEEPROM->readBlock(0, 254, &ok), QByteArray(508, '0'));
        QVERIFY(!ok);
        QCOMPARE(f.take().size(), 1);
        f.eeprom.refuseTransfer(2);
        const QByteArray text = spiEEPROM->readBlock(0, 254, &ok);
        QVERIFY(!ok);
        QCOMPARE(text, f.eeprom.bytes(0, 252).toHex() + "0000");
        f.app->disconnectBoard();
        QCOMPARE(spiEEPROM->readBlock(0, 15, &ok), QByteArray(30, '0'));
        QVERIFY(!ok);
        QVERIFY(f.connectTo(f.board));
        QVERIFY(f.take().isEmpty());
    }

    void upperCaseAnswerKeepsItsCase()
    {
        f.spi.setUpperCase(true);
        bool ok = false;
        QCOMPARE(spiEEPROM->readBlock(0x40, 2, &ok), QByteArray("202F"));
        f.spi.setUpperCase(false);
        QVERIFY(ok);
    }

    void writeBlock_data()
    {
        QTest::addColumn<int>("cycleReads"); // status reads that a write cycle lasts
        QTest::addColumn<bool>("result");
        QTest::newRow("instant") << 0 << true;
        QTest::newRow("three reads") << 3 << true;
        QTest::newRow("tenth read counts") << 9 << true;
        QTest::newRow("gives up") << 10 << false;
    }

    // 70 bytes from 0x1E: four chunks that end at page ends, each after the write cycle ended
    // and the latch was set.
    void writeBlock()
    {
        QFETCH(int, cycleReads);
        QFETCH(bool, result);
        QByteArray data;
        for (int k = 0; k < 70; ++k)
            data.append(char(k * 7 + 1));
        f.eeprom.setWriteCycleReads(cycleReads);
        const int messages = int(f.prompt.messages().size());
        QCOMPARE(spiEEPROM->writeBlock(0x1E, data.toHex()), result);
        f.eeprom.setWriteCycleReads(0);
        QList<QByteArray> writes = f.take();
        writes.removeIf([](const QByteArray &line) {
            return !line.startsWith("set SPI0CS3DATA=") || line.mid(18, 2) != "02";
        });
        const QList<QByteArray> expected{"set SPI0CS3DATA=0502001e" + data.mid(0, 2).toHex(),
                                         "set SPI0CS3DATA=23020020" + data.mid(2, 32).toHex(),
                                         "set SPI0CS3DATA=23020040" + data.mid(34, 32).toHex(),
                                         "set SPI0CS3DATA=07020060" + data.mid(66, 4).toHex()};
        QVERIFY(f.eeprom.violations().isEmpty());
        if (result) {
            QCOMPARE(writes, expected);
            QCOMPARE(f.eeprom.bytes(0x1E, 70), data);
            QCOMPARE(f.prompt.messages().size(), messages);
            return;
        }
        QCOMPARE(writes, expected.mid(0, 1)); // the second chunk waited in vain
        QCOMPARE(f.prompt.messages().size(), messages + 1);
        const Prompt::Message box = f.prompt.messages().last();
        QCOMPARE(box.title, QString("EEPROM error"));
        QCOMPARE(box.text, QString("Problem with SPI communication"));
        QCOMPARE(box.icon, Prompt::Critical);
        QCOMPARE(f.eeprom.bytes(0x20, 1), QByteArray("\xff"));
    }

    void writeBlockRefusesBadText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("odd") << QByteArray("abc");
        QTest::newRow("not hexadecimal") << QByteArray("0g");
        QTest::newRow("blank") << QByteArray("0a 0b");
    }

    void writeBlockRefusesBadText()
    {
        QFETCH(QByteArray, text);
        QSignalSpy log(spiEEPROM, &Applet::signal_log);
        QVERIFY(!spiEEPROM->writeBlock(0x10, text));
        QVERIFY(f.take().isEmpty());
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.at(0).at(0).toInt(), -1);
    }

    // A refused write frame fails the block and ends it.
    void writeBlockFailedSend()
    {
        f.eeprom.refuseTransfer(4); // status, enable, status, write
        QVERIFY(!spiEEPROM->writeBlock(0x10, "0102"));
        QCOMPARE(f.take().last(), QByteArray("set SPI0CS3DATA=050200100102"));
        QCOMPARE(f.eeprom.bytes(0x10, 2), image.mid(0x10, 2));
        QVERIFY(spiEEPROM->writeBlock(0x10, QByteArray()));
        QVERIFY(f.take().isEmpty());
    }

    void bindingNames()
    {
        QStringList expected{"EEPROMFreq",   "Address",       "DataIn",      "OpCode",
                             "DataOut[7:0]", "setEEPROMFreq", "readStatus",  "writeStatus",
                             "readByte",     "writeByte",     "enableWrite", "disableWrite"};
        for (int k = 0; k < 8; ++k)
            expected << QString("DataOut[%1]").arg(k);
        QStringList found = spiEEPROM->controlNames();
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }

    // The form's widgets in creation order: the groups' widgets right after their group.
    void formOrder()
    {
        QStringList names;
        for (const QWidget *w : spiEEPROM->findChildren<QWidget *>()) {
            if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
                names << w->objectName();
        }
        const QStringList expected{"pbSpiEEPROM_setEEPROMFreq",
                                   "leEEPROMFreq",
                                   "label",
                                   "gbInput",
                                   "leAddress",
                                   "lbAddr",
                                   "leDataIn",
                                   "lbDataIn",
                                   "leOpCode",
                                   "lbOpCode",
                                   "gbOutput",
                                   "lbDataOut",
                                   "leDataOut_7_0",
                                   "cbDataOut_1",
                                   "cbDataOut_4",
                                   "cbDataOut_3",
                                   "line_12",
                                   "cbDataOut_7",
                                   "cbDataOut_2",
                                   "cbDataOut_0",
                                   "cbDataOut_5",
                                   "cbDataOut_6",
                                   "pbSpiEEPROM_disableWrite",
                                   "pbSpiEEPROM_enableWrite",
                                   "pbSpiEEPROM_writeByte",
                                   "pbSpiEEPROM_readByte",
                                   "pbSpiEEPROM_writeStatus",
                                   "pbSpiEEPROM_readStatus"};
        QCOMPARE(names, expected);
    }

    // The buttons run their commands; the read-only operation code follows; the bit boxes
    // show the byte read, bit 7 at the left.
    void formDrivesTheCommands()
    {
        auto *opCode = spiEEPROM->findChild<CustomControls::LineEdit *>("leOpCode");
        auto *readByte = spiEEPROM->findChild<CustomControls::PushButton *>("pbSpiEEPROM_readByte");
        auto *setFreq =
            spiEEPROM->findChild<CustomControls::PushButton *>("pbSpiEEPROM_setEEPROMFreq");
        QVERIFY(opCode && readByte && setFreq);
        QVERIFY(opCode->isReadOnly());
        f.eeprom.setByte(0x30, 0xA5);
        setItem("Address", 0x30);
        QTest::mouseClick(readByte, Qt::LeftButton);
        QCOMPARE(f.take(), setGet("0403003000"));
        QCOMPARE(opCode->value(), 3.0);
        QList<CustomControls::CheckBox *> boxes =
            spiEEPROM->findChildren<CustomControls::CheckBox *>();
        std::sort(boxes.begin(), boxes.end(),
                  [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
        QString pattern;
        for (const CustomControls::CheckBox *box : boxes)
            pattern += box->isChecked() ? '1' : '0';
        QCOMPARE(pattern, QString("10100101"));
        QTest::mouseClick(setFreq, Qt::LeftButton);
        QCOMPARE(f.take(), QList<QByteArray>{"set SPILEDCS3SPEED=300000"});
        QCOMPARE(opCode->value(), 3.0);
        QCOMPARE(item("EEPROMChannel"), 3.0);
    }

    void cleanupTestCase()
    {
        f.app->shutdown();
        QVERIFY(!spiEEPROM);
    }
};

QTEST_MAIN(TestSpiEEPROM)
#include "tst_spieeprom.moc"
