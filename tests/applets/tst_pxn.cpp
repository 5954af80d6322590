// The matrix bus frame applet and the OTP window in the running application, on a simulated
// board with chips at 1 and 7: the exact lines of bank writes and reads, retries, the answer
// and CRC checks, the raw-frame window, and the OTP map written, read and checked.
#include "otp.h"
#include "otpregisters.h"
#include "pxnappfixture.h"
#include "pxnframe.h"
#include "register.h"
#include "variable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace
{

QByteArray set(const QByteArray &digits)
{
    return "set SER2PXNDATA=" + digits;
}
const QByteArray Get = "get SER2DATA";

// The line of a frame with lead 0e: SYNC, the identifiers and data, and the chips' CRC.
QByteArray writeLine(const QByteArray &ids)
{
    const QByteArray frame = "\x55" + ids + char(FakeMatrixBus::crc8(ids));
    return set("0e" + QByteArray(1, char(frame.size())).toHex() + frame.toHex());
}

// A bank of 20 words of 24 bits.
QString bankText()
{
    QString text = "@register=TESTBANK;";
    for (int n = 0; n < 20; ++n)
        text += QString("@field=W%1[24] @REG=%1;").arg(n);
    return text;
}

} // namespace

class TestPxn : public QObject
{
    Q_OBJECT

    PxnAppFixture f;
    Register bank{bankText(), QString()};
    Otp *otp = nullptr;
    int m_violations = 0; // the ones provoked on purpose

    quint32 word(int n) { return bank.getField(QString("[W%1]").arg(n)); }
    void setWord(int n, quint32 v) { bank.setField(QString("[W%1]").arg(n), v); }
    bool setItem(const QString &name, QVariant value) { return f.setItem(name, value); }
    quint32 item(const QString &name) { return f.item(name); }
    template <typename T> T *child(Applet *applet, const char *name)
    {
        return applet->findChild<T *>(name);
    }
    void click(Applet *applet, const char *button)
    {
        QTest::mouseClick(child<QPushButton>(applet, button), Qt::LeftButton);
    }
    QStringList prompts(qsizetype from)
    {
        QStringList texts;
        for (const Prompt::Message &m : f.prompt.messages().mid(from))
            texts << m.text;
        return texts;
    }
    QVariant runOtp(const QString &command) { return otp->run(command, QVariant()); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start({[]() -> Applet * { return new Otp; }}));
        otp = qobject_cast<Otp *>(f.app->findApplet("Otp", MainApp::ByName));
        QVERIFY(otp && f.pxn());
    }

    void init()
    {
        f.pxn()->crcCheckBox()->setChecked(true);
        for (int i = 0; i < 2; ++i)
            f.bus.editChip(i, [](FakeMatrixChip &chip) {
                chip.otpMap = chip.otps = 0;
                chip.otpBank = 2;
            });
        QVERIFY(setItem("Otp.RQ_OTP[SA]", 7) && setItem("Otp.OTP_REG[]", 0));
        f.take();
    }
    void cleanup() { QCOMPARE(f.bus.violations().size(), m_violations); }

    // Exact lines of bank writes: one word, a broadcast of two, address -1, four words; counts
    // 0 and 5 send nothing.
    void bankWrites_data()
    {
        QTest::addColumn<int>("sa");
        QTest::addColumn<int>("rba");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("word 13") << 1 << 13 << 1 << 0 << set("0e0755a10d01000046");
        QTest::newRow("broadcast") << 0 << 13 << 2 << 1 << set("0e0a5540ad01000002000011");
        QTest::newRow("address -1") << -1 << 13 << 1 << 0 << set("0e0755bf0d010000c1");
        QTest::newRow("four") << 1 << 0 << 4 << 0 << set("0e1055a1e0000000000000000000000000d4");
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
            setWord(n, n == 13 ? 1 : n == 14 ? 2 : 0);
        QCOMPARE(f.pxn()->transferBank(bank, sa, rba, false, quint8(count), quint8(broadcast)),
                 !line.isEmpty());
        QCOMPARE(f.take(), line.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{line});
    }

    // A word written to chip 7 and read back; a read tries four times (lead 0e, then 1c) and
    // stores zeros when every attempt fails.
    void bankReads()
    {
        setWord(3, 0xABCDEF);
        QVERIFY(f.pxn()->transferBank(bank, 7, 3, false, 1, 0));
        QCOMPARE(f.bus.chip(1).words[3], 0xABCDEFu);
        setWord(3, 0);
        f.take();
        QVERIFY(f.pxn()->transferBank(bank, 7, 3, true, 0, 1));
        QCOMPARE(word(3), 0xABCDEFu);
        QCOMPARE(f.take(), (QList<QByteArray>{set("0e03550783"), Get}));
        for (const int failures : {3, 4}) {
            f.bus.injectFault(FakeMatrixBus::NoChipAnswer, failures);
            QCOMPARE(f.pxn()->transferBank(bank, 7, 3, true, 0, 1), failures < 4);
            QList<QByteArray> expected{set("0e03550783"), Get};
            for (int i = 1; i < 4; ++i)
                expected << set("1c03550783") << Get;
            QCOMPARE(f.take(), expected);
            QCOMPARE(word(3), failures < 4 ? 0xABCDEFu : 0u);
        }
    }

    // An answer is its count, the echo, the data and the CRC; anything else is no answer.
    void parseAnswer_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("data"); // "-": refused
        QTest::newRow("valid") << QByteArray("SER2DATA=07550180A1B2C3FF") << QByteArray("a1b2c3");
        QTest::newRow("count short") << QByteArray("SER2DATA=04550180aa1b2c3d") << QByteArray("-");
        QTest::newRow("empty") << QByteArray("SER2DATA=") << QByteArray("-");
        QTest::newRow("error") << QByteArray("SER2DATA:err") << QByteArray("-");
        QTest::newRow("too short") << QByteArray("SER2DATA=07a1b2c3") << QByteArray("-");
        QTest::newRow("bad digit") << QByteArray("SER2DATA=07550180a1g2c3ff") << QByteArray("-");
        QTest::newRow("bad count") << QByteArray("SER2DATA=x7550180a1b2c3ff") << QByteArray("-");
    }
    void parseAnswer()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, data);
        QByteArray got("kept");
        quint8 crc = 0x5a;
        QCOMPARE(PxnFrame::parseAnswer(line, 3, &got, &crc), data != "-");
        QCOMPARE(got.toHex(), data == "-" ? QByteArray("6b657074") : data);
        QCOMPARE(crc, quint8(data == "-" ? 0x5a : 0xff));
    }

    // A refused request skips its read; an answer too short stores nothing; a frame too long
    // for the count byte is refused before anything is sent.
    void refusals()
    {
        QByteArray data("old");
        unsigned crc = 1000;
        f.bus.failNext("SER2PXNDATA");
        QVERIFY(!f.pxn()->requestFrame(0x61, 0x86, data, crc, 1, 14));
        QCOMPARE(f.take(), QList<QByteArray>{set("0e03556186")});
        QVERIFY(!f.pxn()->requestFrame(0x61, 0x86, data, crc, 8, 14));
        QCOMPARE(data + QByteArray::number(crc), QByteArray("old1000"));
        f.take();
        QVERIFY(!f.pxn()->sendFrame(0x61, 0x8d, QByteArray(252, 'x')));
        QVERIFY(f.take().isEmpty());
        QVERIFY(f.pxn()->sendFrame(0x61, 0x8d, QByteArray()));
        QCOMPARE(f.take(), QList<QByteArray>{set("0e0455618dfd")});
        ++m_violations; // a frame of CSID 13 wants one data byte
    }

    // For every length code and layout the written frame carries exactly the enabled edits'
    // bytes, and the read group enables as many.
    void dataLength_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("bc");
        QTest::addColumn<int>("length");
        const int lengths[3][4] = {{3, 6, 9, 12}, {2, 4, 8, 10}, {1, 5, 7, 11}};
        for (int layout = 0; layout < 3; ++layout)
            for (int bc = 0; bc < 4; ++bc)
                QTest::addRow("layout %d BC %d", layout, bc) << layout << bc << lengths[layout][bc];
    }
    void dataLength()
    {
        QFETCH(int, layout);
        QFETCH(int, bc);
        QFETCH(int, length);
        QByteArray bytes;
        for (int i = 1; i <= 12; ++i) {
            QVERIFY(setItem(QString("Pxn.W_BANK[DATA%1]").arg(i), 0x10 + i));
            bytes.append(char(0x10 + i));
        }
        QVERIFY(setItem("Pxn.W_BANK[SA]", 0) && setItem("Pxn.W_BANK[FT]", 1));
        QVERIFY(setItem("Pxn.Bank_layout", layout) && !setItem("Pxn.Bank_layout", 3));
        QVERIFY(setItem("Pxn.W_BANK[BC]", bc) && setItem("Pxn.R_BANK[BC]", bc));
        for (const char *group : {"W", "R"}) {
            QString enabled;
            for (int i = 1; i <= 12; ++i)
                enabled += child<QLineEdit>(f.pxn(),
                                            qPrintable(QString("le%1_BANK_D%2").arg(group).arg(i)))
                                   ->isEnabled()
                               ? '1'
                               : '0';
            QCOMPARE(enabled, QString(length, '1') + QString(12 - length, '0'));
        }
        QCOMPARE(f.pxn()->run("Write_raw_data", QVariant()), QVariant(true));
        const QByteArray frame = f.bus.frames().last().second;
        QCOMPARE(frame.mid(3, frame.size() - 4).toHex(), bytes.left(length).toHex());
        m_violations += length % 3 != 0; // the chips take whole 3-byte groups only
    }

    // The window's buttons write DATA1..3 to word 2 of chip 7 and read them back; no chip at
    // the address keeps R_BANK; command names match whole and by case.
    void rawFrames()
    {
        for (const char *item :
             {"W_BANK[SA]=7", "W_BANK[FT]=1", "W_BANK[RBA]=2", "W_BANK[BC]=0", "Bank_layout=0",
              "W_BANK[DATA1]=18", "W_BANK[DATA2]=52", "W_BANK[DATA3]=86", "R_BANK[SA]=7",
              "R_BANK[FT]=0", "R_BANK[RBA]=2", "R_BANK[BC]=0"}) {
            const QList<QByteArray> parts = QByteArray(item).split('=');
            QVERIFY(setItem("Pxn." + parts[0], parts[1].toInt()));
        }
        f.take();
        click(f.pxn(), "btWriteEEPROM_8");
        QCOMPARE(f.take(), QList<QByteArray>{writeLine(QByteArray::fromHex("a702123456"))});
        QCOMPARE(f.bus.chip(1).word(2), 0x563412u);
        click(f.pxn(), "btReadEEPROM_3");
        QCOMPARE(f.take(), (QList<QByteArray>{set("1c03550702"), Get}));
        QCOMPARE(item("Pxn.R_BANK[DATA3]"), 0x56u);
        QCOMPARE(child<QLineEdit>(f.pxn(), "leR_BANK_D1")->text(), QString("18"));
        QVERIFY(setItem("Pxn.R_BANK[SA]", 5));
        QCOMPARE(f.pxn()->run("Read_raw_data", QVariant()), QVariant(false));
        QCOMPARE(item("Pxn.R_BANK[DATA1]"), 18u);
        f.take();
        QCOMPARE(f.pxn()->run("read_raw_data", QVariant()), QVariant(false));
        QCOMPARE(f.pxn()->run("Read_raw_data ", QVariant()), QVariant(false));
        QVERIFY(f.take().isEmpty());
    }

    // A wrong answer CRC is reported once for the window's own button, silently through the
    // pipe, and not at all with the check cleared (the data is then taken).
    void crcCheck()
    {
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.words[4] = 0x0A0B0C; });
        QVERIFY(setItem("Pxn.R_BANK[SA]", 7) && setItem("Pxn.R_BANK[RBA]", 4));
        QVERIFY(setItem("Pxn.R_BANK[DATA1]", 0));
        const int computed = FakeMatrixBus::crc8(QByteArray::fromHex("07040c0b0a"));
        const qsizetype before = f.prompt.messages().size();
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        click(f.pxn(), "btReadEEPROM_3");
        QCOMPARE(prompts(before),
                 QStringList{QString("CRC failed! CRC value is %1 and calculate is %2.")
                                 .arg((computed + 1) & 0xFF)
                                 .arg(computed)});
        QCOMPARE(item("Pxn.R_BANK[DATA1]"), 0u);
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        QVariant args, result;
        QVERIFY(f.app->run("Pxn.Read_raw_data", args, &result));
        QCOMPARE(result, QVariant(false));
        f.pxn()->crcCheckBox()->setChecked(false);
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        click(f.pxn(), "btReadEEPROM_3");
        QCOMPARE(prompts(before).size(), 1);
        QCOMPARE(item("Pxn.R_BANK[DATA1]"), 0x0Cu);
    }

    // "OTP_CRC": the CRC-7 of the map's 20 input bits, a stale CRC1 left out; "Default" clears.
    void otpChecksum()
    {
        for (const auto &[bits, crc] :
             {std::pair{0u, 0x79u}, {0x1u, 0x4Eu}, {0x4u, 0x12u}, {0xFFFFFu, 0x67u}}) {
            QVERIFY(setItem("Otp.OTP_REG[]", bits | 0x5u << 20));
            QCOMPARE(runOtp("OTP_CRC"), QVariant(true));
            QCOMPARE(item("Otp.OTP_REG[]"), bits | crc << 20);
        }
        QCOMPARE(runOtp("Default"), QVariant(true));
        QCOMPARE(item("Otp.OTP_REG[]"), 0u);
        QCOMPARE(runOtp("otp_crc"), QVariant(false));
    }

    // A map with its checksum requested, written to chip 7 and read back.
    void otpWriteAndRead()
    {
        QVERIFY(setItem("Otp.OTP_REG[]", 0x201D)); // lock bit, node address 7, Mode
        QCOMPARE(runOtp("OTP_CRC"), QVariant(true));
        const quint32 map = item("Otp.OTP_REG[]");
        QCOMPARE(runOtp("Request_OTP_PXN"), QVariant(true));
        QSignalSpy log(otp, &Applet::signal_log);
        QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
        QByteArray data = QByteArray::fromHex("678902");
        for (int i = 0; i < 4; ++i)
            data.append(char(map >> (8 * i)));
        data.append('\0');
        QCOMPARE(f.take(),
                 (QList<QByteArray>{writeLine(QByteArray::fromHex("678a02")), writeLine(data)}));
        QCOMPARE(log.size(), 0);
        QCOMPARE(f.bus.chip(1).otpMap, map);
        QCOMPARE(runOtp("Default"), QVariant(true));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(f.take(), (QList<QByteArray>{set("1c0355670b"), Get}));
        QCOMPARE(item("Otp.OTP_REG[]"), map);
        QCOMPARE(child<QComboBox>(otp, "cbOTPS")->currentText(), QString("2. Ready, Transfer OK"));
        QCOMPARE(child<QComboBox>(otp, "cbLOCKB")->currentText(), QString("1. OTP Locked"));
    }

    // A stale checksum is announced, then sent: the chip reports the failed transfer. A failed
    // read keeps R_OTP and the map.
    void otpStaleChecksum()
    {
        QVERIFY(setItem("Otp.OTP_REG[]", 0x4u | 0x79u << 20));
        QSignalSpy log(otp, &Applet::signal_log);
        QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
        QCOMPARE(QList<QList<QVariant>>(log),
                 (QList<QList<QVariant>>{{1, "CRC1 does not match the OTP map"}}));
        const quint32 status = item("Otp.R_OTP[OTPS]");
        QVERIFY(setItem("Otp.RQ_OTP[SA]", 5));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(false));
        QCOMPARE(item("Otp.R_OTP[OTPS]"), status);
        QCOMPARE(item("Otp.OTP_REG[]"), 0x4u | 0x79u << 20);
        QVERIFY(setItem("Otp.RQ_OTP[SA]", 7));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(child<QComboBox>(otp, "cbOTPS")->currentText(),
                 QString("3. Ready, Transfer Failed"));
    }

    // The write frame's first byte is B and OTPBS; the map goes out only for bank 2; every
    // frame goes to RQ_OTP[SA]; length codes are clamped to what each frame allows.
    void otpWriteData()
    {
        QVERIFY(setItem("Otp.OTP_REG[]", 0x201D | 0x70u << 20));
        QVERIFY(setItem("Otp.W_OTP[SA]", 3) && setItem("Otp.W_OTP[BYTE4]", 0x5A));
        for (const auto &[bank, broadcast, expected] :
             {std::tuple{2, 1, "821d2000075a"}, {1, 0, "01000000005a"}}) {
            QVERIFY(setItem("Otp.W_OTP[OTPBS]", bank) && setItem("Otp.W_OTP[B]", broadcast));
            QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
            const QByteArray frame = f.bus.frames().last().second;
            QCOMPARE(frame.mid(1, frame.size() - 2).toHex(), "6789" + QByteArray(expected));
        }
        for (const auto &[frame, limit] : {std::pair{"W_OTP", 1u}, {"R_OTP", 1u}, {"RQ_OTP", 3u}}) {
            QVERIFY(setItem(QString("Otp.%1[BC]").arg(frame), 3));
            QCOMPARE(item(QString("Otp.%1[BC]").arg(frame)), limit);
            QVERIFY(setItem(QString("Otp.%1[BC]").arg(frame), 0));
        }
        QVERIFY(setItem("Otp.W_OTP[OTPBS]", 2) && setItem("Otp.W_OTP[B]", 0));
    }
};

QTEST_MAIN(TestPxn)
#include "tst_pxn.moc"
