// The frame layer of the matrix bus in the running application, on a simulated board with two
// chips at 1 and 7: exact command lines, answers, retries, zero-fill, the CRC check and the
// sound handling of bad answers.
#include "configurationregisters.h"
#include "pxnappfixture.h"
#include "pxnframe.h"
#include "pxnregisters.h"
#include "register.h"
#include "variable.h"

#include <QCheckBox>
#include <QtTest>

namespace
{

const QByteArray Get = QByteArrayLiteral("get SER2DATA");

QByteArray set(const char *digits)
{
    return QByteArrayLiteral("set SER2PXNDATA=") + digits;
}

// A bank image of 20 words of 24 bits, word n holding the attribute REG n.
QString bankText()
{
    QString text = QStringLiteral("@register=TESTBANK;");
    for (int n = 0; n < 20; ++n)
        text += QStringLiteral("@field=W%1[24] @REG=%1;").arg(n);
    return text;
}

} // namespace

class TestPxnFrames : public QObject
{
    Q_OBJECT

    PxnAppFixture f;
    Register bank{bankText(), QString()};
    int m_violations = 0; // the ones tests provoked on purpose

    QList<QByteArray> take() { return f.take(); }
    quint32 word(int n) { return bank.getField(QStringLiteral("[W%1]").arg(n)); }
    void setWord(int n, quint32 v) { bank.setField(QStringLiteral("[W%1]").arg(n), v); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QVERIFY(f.pxn());
        QCOMPARE(f.pxn()->crcCheckBox()->text(), QString("CRC check read data"));
        QVERIFY(f.pxn()->crcCheckEnabled());
        QVariant ft;
        QVERIFY(f.app->get("Pxn.W_BANK[FT]", &ft));
        QCOMPARE(ft.toUInt(), 1u);
    }

    void init()
    {
        take();
        f.pxn()->crcCheckBox()->setChecked(true);
    }

    // Whatever a test sent, the chips found no fault in the program's frames.
    void cleanup() { QCOMPARE(f.bus.violations().size(), m_violations); }

    void parity_data()
    {
        QTest::addColumn<unsigned>("value");
        QTest::addColumn<int>("parity");
        QTest::newRow("00") << 0x00u << 1;
        QTest::newRow("01") << 0x01u << 0;
        QTest::newRow("21") << 0x21u << 1;
        QTest::newRow("0D") << 0x0Du << 0;
        QTest::newRow("7F") << 0x7Fu << 0;
        QTest::newRow("bit 7 ignored") << 0x80u << 1;
    }
    void parity()
    {
        QFETCH(unsigned, value);
        QFETCH(int, parity);
        QCOMPARE(oddParity7(value), parity);
        Register r(QStringLiteral("X[8]=%1").arg(value), QString());
        QCOMPARE(oddParity7(r), parity);
    }

    void crc_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("crc");
        QTest::newRow("00 00") << QByteArray::fromHex("0000") << 0x2B;
        QTest::newRow("61 62 63") << QByteArray::fromHex("616263") << 0xDE;
        QTest::newRow("01 80 01 02 03") << QByteArray::fromHex("0180010203") << 0x30;
        QTest::newRow("A1 0D 01 00 00") << QByteArray::fromHex("a10d010000") << 0x46;
    }
    void crc()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, crc);
        QCOMPARE(int(PxnFrame::crc8(quint8(bytes[0]), quint8(bytes[1]), bytes.mid(2))), crc);
        QCOMPARE(int(FakeMatrixBus::crc8(bytes)), crc);
    }

    void parseAnswer_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("answerBytes");
        QTest::addColumn<QByteArray>("data"); // hex; "-" for no answer
        QTest::addColumn<int>("crc");
        QTest::newRow("count 05") << QByteArray("SER2DATA=05550180aa1b2c3d") << 3
                                  << QByteArray("aa1b2c") << 0x3d;
        QTest::newRow("count 04") << QByteArray("SER2DATA=04550180aa1b2c3d") << 3 << QByteArray("-")
                                  << 0;
        QTest::newRow("empty") << QByteArray("SER2DATA=") << 0 << QByteArray("-") << 0;
        QTest::newRow("no match") << QByteArray("SER2DATA:err") << 0 << QByteArray("-") << 0;
        QTest::newRow("upper case")
            << QByteArray("SER2DATA=07550180A1B2C3FF") << 3 << QByteArray("a1b2c3") << 0xff;
        QTest::newRow("too short") << QByteArray("SER2DATA=07a1b2c3") << 3 << QByteArray("-") << 0;
        QTest::newRow("bad digit")
            << QByteArray("SER2DATA=07550180a1g2c3ff") << 3 << QByteArray("-") << 0;
        QTest::newRow("bad count")
            << QByteArray("SER2DATA=x7550180a1b2c3ff") << 3 << QByteArray("-") << 0;
    }
    void parseAnswer()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, answerBytes);
        QFETCH(QByteArray, data);
        QFETCH(int, crc);
        QByteArray got("kept");
        quint8 gotCrc = 0x5a;
        const bool ok = PxnFrame::parseAnswer(line, answerBytes, &got, &gotCrc);
        if (data == "-") {
            QVERIFY(!ok);
            QCOMPARE(got, QByteArray("kept"));
            QCOMPARE(gotCrc, quint8(0x5a));
            return;
        }
        QVERIFY(ok);
        QCOMPARE(got.toHex(), data);
        QCOMPARE(int(gotCrc), crc);
    }

    // The worked examples: exact lines of bank writes, counts, broadcast and address -1.
    void bankWrites_data()
    {
        QTest::addColumn<int>("sa");
        QTest::addColumn<int>("rba");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("word 13 of slave 1") << 1 << 13 << 1 << 0 << set("0e0755a10d01000046");
        QTest::newRow("broadcast 13, 14") << 0 << 13 << 2 << 1 << set("0e0a5540ad01000002000011");
        QTest::newRow("address -1") << -1 << 13 << 1 << 0 << set("0e0755bf0d010000c1");
        QTest::newRow("four words")
            << 1 << 0 << 4 << 0 << set("0e1055a1e0000000000000000000000000d4");
        QTest::newRow("count 0") << 1 << 0 << 0 << 0 << QByteArray();
        QTest::newRow("count 5") << 1 << 0 << 5 << 0 << QByteArray();
    }
    void bankWrites()
    {
        QFETCH(int, sa);
        QFETCH(int, rba);
        QFETCH(int, count);
        QFETCH(int, broadcast);
        QFETCH(QByteArray, line);
        for (int n = 0; n < 20; ++n)
            setWord(n, 0);
        setWord(13, 1);
        setWord(14, 2);
        const bool ok =
            f.pxn()->transferBank(bank, sa, rba, false, quint8(count), quint8(broadcast));
        const QList<QByteArray> lines = take();
        QCOMPARE(ok, !line.isEmpty());
        if (line.isEmpty()) {
            QCOMPARE(lines, QList<QByteArray>());
            return;
        }
        QCOMPARE(lines, QList<QByteArray>{line});
        QCOMPARE(f.pxn()->get("W_BANK[FT]", Variable::OutsideKey), QVariant(broadcast ? 2u : 1u));
    }

    // A bank write reaches the chip, a bank read brings it back: the exact request line.
    void bankRoundTrip()
    {
        setWord(3, 0xABCDEF);
        QVERIFY(f.pxn()->transferBank(bank, 7, 3, false, 1, 0));
        QCOMPARE(f.bus.chip(1).words[3], 0xABCDEFu);
        setWord(3, 0);
        take();
        QVERIFY(f.pxn()->transferBank(bank, 7, 3, true, 0, 1));
        QCOMPARE(word(3), 0xABCDEFu);
        QCOMPARE(take(), (QList<QByteArray>{set("0e035507"
                                                "83"),
                                            Get}));
        QVERIFY(f.pxn()->transferBank(bank, 1, 0, true, 0, 1));
        QCOMPARE(take(), (QList<QByteArray>{set("0e03550180"), Get}));
        QCOMPARE(f.pxn()->get("R_BANK[FT]", Variable::OutsideKey), QVariant(0u));
        QVERIFY(f.pxn()->transferBank(bank, 1, 17, true, 0, 1));
        QCOMPARE(word(17), 0x428019u);
    }

    // Bank reads try four times (lead 0e, then 1c) and store zeros when every one fails.
    void bankReadRetries_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("ok");
        QTest::newRow("three") << 3 << true;
        QTest::newRow("four") << 4 << false;
    }
    void bankReadRetries()
    {
        QFETCH(int, failures);
        QFETCH(bool, ok);
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.words[2] = 0x123456; });
        setWord(2, 0x777777);
        f.bus.injectFault(FakeMatrixBus::NoChipAnswer, failures);
        QCOMPARE(f.pxn()->transferBank(bank, 1, 2, true, 0, 1), ok);
        QList<QByteArray> expected{set("0e03550102"), Get};
        for (int i = 1; i < 4; ++i)
            expected << set("1c03550102") << Get;
        QCOMPARE(take(), expected);
        QCOMPARE(word(2), ok ? 0x123456u : 0u);
    }

    // With the check on, a wrong CRC fails the attempt; off, it passes.
    void crcCheck_data()
    {
        QTest::addColumn<bool>("check");
        QTest::addColumn<int>("requests");
        QTest::newRow("on") << true << 2;
        QTest::newRow("off") << false << 1;
    }
    void crcCheck()
    {
        QFETCH(bool, check);
        QFETCH(int, requests);
        f.pxn()->crcCheckBox()->setChecked(check);
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.words[4] = 0x010203; });
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        QVERIFY(f.pxn()->transferBank(bank, 1, 4, true, 0, 1));
        QCOMPARE(word(4), 0x010203u);
        QCOMPARE(take().size(), 2 * requests);
    }

    // The box and the beep come only for commands started from the window's own controls.
    void crcFailureBox_data()
    {
        QTest::addColumn<bool>("fromControl");
        QTest::newRow("from control") << true;
        QTest::newRow("from elsewhere") << false;
    }
    void crcFailureBox()
    {
        QFETCH(bool, fromControl);
        const int before = int(f.prompt.messages().size());
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        QByteArray data("old");
        unsigned crc = 1000;
        f.pxn()->setTriggeredByControl(fromControl);
        const bool ok = f.pxn()->requestFrame(0x61, 0x06 | 0x80, data, crc, 1, 28);
        f.pxn()->setTriggeredByControl(false);
        QVERIFY(!ok);
        QCOMPARE(data, QByteArray(1, char(4))); // stored before the check
        const quint8 right = FakeMatrixBus::crc8(QByteArray::fromHex("618604"));
        QCOMPARE(crc, unsigned(quint8(right + 1)));
        QCOMPARE(take(), (QList<QByteArray>{set("1c03556186"), Get}));
        const QList<Prompt::Message> messages = f.prompt.messages().mid(before);
        QCOMPARE(messages.size(), fromControl ? 1 : 0);
        if (fromControl) {
            QCOMPARE(messages[0].icon, Prompt::NoIcon);
            QCOMPARE(messages[0].title, QString());
            QCOMPARE(
                messages[0].text,
                QString("CRC failed! CRC value is %1 and calculate is %2.").arg(crc).arg(right));
        }
    }

    // An answer too short for the data expected is no answer: nothing stored.
    void shortAnswer()
    {
        QByteArray data("old");
        unsigned crc = 1000;
        QVERIFY(!f.pxn()->requestFrame(0x61, 0x86, data, crc, 8, 14));
        QCOMPARE(data, QByteArray("old"));
        QCOMPARE(crc, 1000u);
        QCOMPARE(take(), (QList<QByteArray>{set("0e03556186"), Get}));
    }

    // A refused request skips its read: the stale answer is never taken.
    void refusedRequest()
    {
        QByteArray data;
        unsigned crc = 0;
        f.bus.failNext("SER2PXNDATA");
        QVERIFY(!f.pxn()->requestFrame(0x61, 0x86, data, crc, 1, 14));
        QCOMPARE(take(), QList<QByteArray>{set("0e03556186")});
        QVERIFY(data.isEmpty());
    }

    // The identification read of slave 1 fills ID_SLAVE; W_BANK's BC is set to 0 first.
    void commandRead()
    {
        ConfigurationRegisters &c = configurationRegisters();
        QVERIFY(f.pxn()->set("W_BANK[SA]", 1u, 0));
        QVERIFY(f.pxn()->set("W_BANK[BC]", 2u, 0));
        QVERIFY(f.pxn()->readCommandFrame(c.ID_SLAVE, 6, true));
        QCOMPARE(take(), (QList<QByteArray>{set("0e03556180"), Get}));
        QCOMPARE(f.pxn()->get("W_BANK[BC]", Variable::OutsideKey), QVariant(0u));
        QCOMPARE(c.ID_SLAVE.select(16, 63)->toByteArray(true, false).toHex(), QByteArray("0123010"
                                                                                         "70a14"));
    }

    // A command read that fails twice (lead 0e, then 1c) zeroes its data fields.
    void commandReadFails()
    {
        ConfigurationRegisters &c = configurationRegisters();
        c.ID_SLAVE.setField("[DEV_ID]", 9);
        f.pxn()->set("W_BANK[SA]", 5u, 0); // nobody there
        QVERIFY(!f.pxn()->readCommandFrame(c.ID_SLAVE, 6, false));
        QCOMPARE(take(), (QList<QByteArray>{set("0e0355e580"), Get, set("1c0355e580"), Get}));
        QCOMPARE(c.ID_SLAVE.select(16, 63)->toByteArray(true, false), QByteArray(6, '\0'));
    }

    // Frames without data carry only the identifiers' CRC; oversized frames are refused.
    void sendFrameLimits()
    {
        QVERIFY(f.pxn()->sendFrame(0x61, 0x8d, QByteArray()));
        QCOMPARE(take(), QList<QByteArray>{set("0e0455618dfd")});
        QVERIFY(!f.pxn()->sendFrame(0x61, 0x8d, QByteArray(252, 'x')));
        QCOMPARE(take(), QList<QByteArray>());
        QVERIFY(f.pxn()->sendFrame(0x61, 0x8d, QByteArray(251, 'x')));
        QVERIFY(take().value(0).startsWith(set("0eff55618d7878")));
        ++m_violations; // a frame of CSID 13 wants one data byte
        QCOMPARE(PxnFrame::command(14, PxnFrame::build(0, 0, QByteArray(), true)),
                 set("0e045500002b"));
        f.bus.failNext("SER2PXNDATA");
        QVERIFY(!f.pxn()->sendFrame(0x61, 0x8d, QByteArray(1, '\1')));
        take();
        // The frame without data is no frame the chips know.
        QCOMPARE(f.bus.violations().size(), ++m_violations);
    }
};

QTEST_MAIN(TestPxnFrames)
#include "tst_pxnframes.moc"
