// The frame applet and the OTP window on a simulated board with chips at 1 and 7: bank and raw
// frames, retries, answer and CRC checks, and the OTP map written, read and checked.
#include "otp.h"
#include "otpregisters.h"
#include "pxnappfixture.h"
#include "pxnframe.h"
#include "pxnregisters.h"
#include "register.h"
#include "variable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace
{

const QByteArray Get = "get SER2DATA";
QByteArray set(const QByteArray &digits)
{
    return "set SER2PXNDATA=" + digits;
}

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

    QVariant runOtp(const QString &command) { return otp->run(command, QVariant()); }
    QString otpCombo(const char *name) { return otp->findChild<QComboBox *>(name)->currentText(); }
    void click(const char *button)
    {
        QTest::mouseClick(f.pxn()->findChild<QPushButton *>(button), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start({MainApp::appletFactory<Otp>()}));
        otp = qobject_cast<Otp *>(f.app->findApplet("Otp", MainApp::ByName));
        QVERIFY(otp && f.pxn());
        // The OTP frames start addressed to slave 0, where unaddressed chips answer.
        for (const char *frame : {"RQ_OTP", "W_OTP", "R_OTP"})
            QCOMPARE(f.item(QString("Otp.%1[SA]").arg(frame)), 0u);
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(false));
        QCOMPARE(f.take().value(0), set("1c0355e00b"));
        // Nothing read yet: an idle, unlocked chip and an empty map.
        QCOMPARE(otpCombo("cbOTPS") + '|' + otpCombo("cbLOCKB"),
                 QString("0. Idle|0. OTP Unlocked"));
        QCOMPARE(f.item("Otp.OTP_REG[]"), 0u);
    }
    void init()
    {
        f.pxn()->crcCheckBox()->setChecked(true);
        for (int i = 0; i < 2; ++i)
            f.bus.editChip(i, [](FakeMatrixChip &chip) {
                chip.otpMap = chip.otps = 0;
                chip.otpBank = 2;
            });
        QVERIFY(f.setItem("Otp.RQ_OTP[SA]", 7) && f.setItem("Otp.OTP_REG[]", 0));
        f.take();
    }
    void cleanup() { QCOMPARE(f.bus.violations().size(), m_violations); }

    // Exact lines of bank writes ("SA RBA count broadcast frame"): one word, a broadcast of
    // two, the bank's last word, four words; counts 0 and 5 and addresses outside 0..31 send
    // nothing, the addresses with a warning. Bank reads.
    void bankTransfers()
    {
        for (int n = 0; n < 20; ++n)
            bank.setField(QString("[W%1]").arg(n), n == 13 ? 1 : n == 14 ? 2 : n == 19 ? 3 : 0);
        for (const QString row :
             {"1 13 1 0 0e0755a10d01000046", "0 13 2 1 0e0a5540ad01000002000011",
              "1 19 1 0 0e0755a11303000042", "1 0 4 0 0e1055a1e0000000000000000000000000d4",
              "1 0 0 0 -", "1 0 5 0 -", "-1 13 1 0 -", "32 13 1 1 -"}) {
            const QStringList c = row.split(' ');
            QCOMPARE(f.pxn()->transferBank(bank, c[0].toInt(), c[1].toInt(), false,
                                           quint8(c[2].toInt()), quint8(c[3].toInt())),
                     c[4] != "-");
            QCOMPARE(f.take(), c[4] == "-" ? QList<QByteArray>() : QList{set(c[4].toLatin1())});
        }
        QSignalSpy log(f.pxn(), &Applet::signal_log);
        QVERIFY(!f.pxn()->transferBank(bank, -1, 16, true, 0, 0));
        QCOMPARE(f.take(), QList<QByteArray>());
        QCOMPARE(QList<QList<QVariant>>(log),
                 (QList<QList<QVariant>>{
                     {1, "No bank transfer: -1 is not a slave address (0..31)"}})); // a warning
        QVERIFY(f.pxn()->transferBank(bank, 31, 13, false, 1, 0)); // the last slave address
        QCOMPARE(f.take().size(), 1);
        // A one-word write leaves the frame window's other data bytes as typed.
        QVERIFY(f.setItem("Pxn.W_BANK[DATA4]", 0x77));
        QVERIFY(f.pxn()->transferBank(bank, 1, 13, false, 1, 0));
        QCOMPARE(f.item("Pxn.W_BANK[DATA4]"), 0x77u);
        f.take();
        // A read tries four times (lead 0e, then 1c) and stores zeros when all fail. It asks for
        // one word whatever length code the frame window holds.
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.words[3] = 0xABCDEF; });
        QVERIFY(f.setItem("Pxn.R_BANK[BC]", 2));
        for (const int failures : {3, 4}) {
            f.bus.injectFault(FakeMatrixBus::NoChipAnswer, failures);
            QCOMPARE(f.pxn()->transferBank(bank, 7, 3, true, 0, 1), failures < 4);
            QList<QByteArray> expected{set("0e03550783"), Get};
            for (int i = 1; i < 4; ++i)
                expected << set("1c03550783") << Get;
            QCOMPARE(f.take(), expected);
            QCOMPARE(bank.getField("[W3]"), failures < 4 ? 0xABCDEFu : 0u);
        }
    }

    // An answer is its count, the echo, the data and the CRC; anything else is no answer and
    // stores nothing; a refused request skips its read; a frame too long for the count byte
    // is refused before anything is sent.
    void refusals()
    {
        QByteArray got;
        quint8 crc = 0;
        QVERIFY(PxnFrame::parseAnswer("SER2DATA=07550180A1B2C3FF", 3, &got, &crc));
        // An identifier's parity bit makes its low seven bits odd.
        QCOMPARE(QList<int>({oddParity7(0), oddParity7(1), oddParity7(3), oddParity7(0xFF)}),
                 QList<int>({1, 0, 1, 0}));
        for (const QByteArray line :
             {"SER2DATA=04550180aa1b2c3d", "SER2DATA=", "SER2DATA:err", "SER2DATA=07a1b2c3",
              "SER2DATA=07550180a1g2c3ff", "SER2DATA=x7550180a1b2c3ff"})
            QVERIFY2(!PxnFrame::parseAnswer(line, 3, &got, &crc), line);
        QCOMPARE(got.toHex() + ' ' + QByteArray::number(crc), QByteArray("a1b2c3 255"));
        // An answer of no data bytes is its CRC alone; a negative count is no answer.
        QByteArray none = "x";
        quint8 alone = 0;
        QVERIFY(PxnFrame::parseAnswer("SER2DATA=0555018042", 0, &none, &alone));
        QCOMPARE(none.toHex() + ' ' + QByteArray::number(alone), QByteArray(" 66"));
        QVERIFY(!PxnFrame::parseAnswer("SER2DATA=07550180A1B2C3FF", -1, &none, &alone));
        unsigned sum = 1000;
        f.bus.failNext("SER2PXNDATA");
        QVERIFY(!f.pxn()->requestFrame(0x61, 0x86, got, sum, 1, 14));
        QCOMPARE(f.take(), QList<QByteArray>{set("0e03556186")});
        QVERIFY(!f.pxn()->requestFrame(0x61, 0x86, got, sum, 8, 14)); // answer too short
        QCOMPARE(got.toHex() + ' ' + QByteArray::number(sum), QByteArray("a1b2c3 1000"));
        f.take();
        QVERIFY(!f.pxn()->sendFrame(0x61, 0x8d, QByteArray(252, 'x')));
        QVERIFY(f.take().isEmpty());
        QVERIFY(f.pxn()->sendFrame(0x61, 0x8d, QByteArray()));
        QCOMPARE(f.take(), QList<QByteArray>{set("0e0455618dfd")});
        QVERIFY(f.pxn()->sendFrame(0x61, 0x8d, QByteArray(251, 'x'))); // a count byte of 255
        QCOMPARE(f.take().value(0).mid(16, 4), QByteArray("0eff"));
        m_violations += 2; // a frame of CSID 13 wants one data byte
    }

    // For every length code and layout the written frame carries exactly the enabled edits'
    // bytes, and the read group enables as many, also when the layout changes after the length
    // code; layout 3 is refused.
    void dataLength_data()
    {
        QTest::addColumn<int>("code"); // layout * 4 + length code
        for (int code = 0; code < 12; ++code)
            QTest::addRow("layout %d BC %d", code / 4, code % 4) << code;
    }
    void dataLength()
    {
        QFETCH(int, code);
        const int layout = code / 4, bc = code % 4;
        const int length = QList<int>{3, 6, 9, 12, 2, 4, 8, 10, 1, 5, 7, 11}.at(code);
        QByteArray bytes;
        for (int i = 1; i <= 12; ++i) {
            QVERIFY(f.setItem(QString("Pxn.W_BANK[DATA%1]").arg(i), 0x10 + i));
            bytes.append(char(0x10 + i));
        }
        QVERIFY(f.setItem("Pxn.W_BANK[SA]", 0) && f.setItem("Pxn.W_BANK[FT]", 1));
        QVERIFY(f.setItem("Pxn.W_BANK[BC]", bc) && f.setItem("Pxn.R_BANK[BC]", bc));
        QVERIFY(f.setItem("Pxn.Bank_layout", layout) && !f.setItem("Pxn.Bank_layout", 3));
        for (const char *group : {"W", "R"})
            for (int i = 1; i <= 12; ++i)
                QCOMPARE(f.pxn()
                             ->findChild<QLineEdit *>(QString("le%1_BANK_D%2").arg(group).arg(i))
                             ->isEnabled(),
                         i <= length);
        QCOMPARE(f.pxn()->run("Write_raw_data", QVariant()), QVariant(true));
        const QByteArray frame = f.bus.frames().last().second;
        QCOMPARE(frame.mid(3, frame.size() - 4).toHex(), bytes.left(length).toHex());
        m_violations += length % 3 != 0;        // the chips take whole 3-byte groups only
        QVERIFY(f.prompt.messages().isEmpty()); // no "fail to write" box for the layout
    }

    // The form's one tab page, built inside its tab widget: the tab's only page, under its
    // title, holding the frame's data edits and the CRC check.
    void formPage()
    {
        auto *tabs = f.pxn()->findChild<QTabWidget *>("tabWidget");
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 1);
        QWidget *page = tabs->widget(0);
        QCOMPARE(page->objectName(), QString("tab_4"));
        QCOMPARE(tabs->tabText(0), QString("PXN raw data"));
        QCOMPARE(tabs->currentWidget(), page);
        for (const char *name : {"leW_BANK_D1", "leR_BANK_D12"})
            QVERIFY(page->isAncestorOf(f.pxn()->findChild<QLineEdit *>(name)));
        QVERIFY(page->isAncestorOf(f.pxn()->crcCheckBox()));
    }

    // Lengths and layout set while offline: the data edits follow them at the next
    // connection, which sends no frame; a byte another window stored in the frame while
    // offline shows then too.
    void offlineLengths()
    {
        f.app->disconnectBoard();
        for (const char *item : {"Bank_layout=1", "W_BANK[BC]=1", "R_BANK[BC]=2"})
            QVERIFY(f.pxn()->set(QString(item).section('=', 0, 0),
                                 QString(item).section('=', 1).toInt(), Variable::InternalKey));
        auto *read = f.pxn()->findChild<QLineEdit *>("leR_BANK_D1");
        const QString shown = read->text();
        QVERIFY(pxnRegisters().R_BANK.setField("[DATA1]", shown.toUInt() + 1));
        QCOMPARE(read->text(), shown);
        const qsizetype frames = f.bus.frames().size();
        QVERIFY(f.connectTo(f.board));
        QCOMPARE(read->text(), QString::number(shown.toUInt() + 1));
        QString enabled;
        for (const char *group : {"W", "R"})
            for (int i = 1; i <= 12; ++i) {
                const QString name = QString("le%1_BANK_D%2").arg(group).arg(i);
                enabled += f.pxn()->findChild<QLineEdit *>(name)->isEnabled() ? '1' : '0';
            }
        QCOMPARE(enabled, QString("111100000000111111110000")); // 4 bytes written, 8 read
        QCOMPARE(f.bus.frames().size(), frames);
    }

    // The window's buttons write DATA1..3 to chip 7 and read them back; a wrong answer CRC is
    // reported for the window's button, not for a request nor with the check cleared; no chip
    // keeps R_BANK; an unknown command fails.
    void rawFrames()
    {
        for (const QString item :
             {"W_BANK[SA]=7", "W_BANK[FT]=1", "W_BANK[RBA]=2", "W_BANK[BC]=0", "Bank_layout=0",
              "W_BANK[DATA1]=18", "W_BANK[DATA2]=52", "W_BANK[DATA3]=86", "R_BANK[SA]=7",
              "R_BANK[FT]=0", "R_BANK[RBA]=2", "R_BANK[BC]=0", "R_BANK[DATA3]=0"})
            QVERIFY(f.setItem("Pxn." + item.section('=', 0, 0), item.section('=', 1).toInt()));
        f.take();
        click("btWriteEEPROM_8");
        QCOMPARE(f.take(), QList<QByteArray>{writeLine(QByteArray::fromHex("a702123456"))});
        QCOMPARE(f.bus.chip(1).word(2), 0x563412u);
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        click("btReadEEPROM_3");
        QCOMPARE(f.take(), (QList<QByteArray>{set("1c03550702"), Get}));
        const int computed = FakeMatrixBus::crc8(QByteArray::fromHex("0702123456"));
        QCOMPARE(f.prompt.messages().last().text,
                 QString("CRC failed! CRC value is %1 and calculate is %2.")
                     .arg((computed + 1) & 0xFF)
                     .arg(computed));
        QCOMPARE(f.item("Pxn.R_BANK[DATA3]"), 0u);
        // The same read as a request fails without a box: a script never waits for one.
        const qsizetype boxes = f.prompt.messages().size();
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        QCOMPARE(f.pxn()->run("Read_raw_data", QVariant()), QVariant(false));
        QCOMPARE(f.prompt.messages().size(), boxes);
        f.pxn()->crcCheckBox()->setChecked(false);
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        click("btReadEEPROM_3");
        QCOMPARE(f.prompt.messages().size(), boxes);
        QCOMPARE(f.item("Pxn.R_BANK[DATA3]"), 0x56u);
        QCOMPARE(f.pxn()->findChild<QLineEdit *>("leR_BANK_D1")->text(), QString("18"));
        QVERIFY(f.setItem("Pxn.R_BANK[SA]", 5));
        QCOMPARE(f.pxn()->run("Read_raw_data", QVariant()), QVariant(false));
        QCOMPARE(f.item("Pxn.R_BANK[DATA1]"), 18u);
        QCOMPARE(f.pxn()->run("Read_raw", QVariant()), QVariant(false)); // no such command
    }

    // "OTP_CRC": CRC1 is the CRC-7 of the 20 input bits; a stale CRC1 is announced, sent, and
    // the chip reports a failed transfer; a failed read keeps R_OTP; "Default" clears the map.
    void otpChecksum()
    {
        for (const auto &[bits, crc] :
             {std::pair{0u, 0x79u}, {0x1u, 0x4Eu}, {0x4u, 0x12u}, {0xFFFFFu, 0x67u}}) {
            QVERIFY(f.setItem("Otp.OTP_REG[]", bits | 0x5u << 20));
            QCOMPARE(runOtp("OTP_CRC"), QVariant(true));
            QCOMPARE(f.item("Otp.OTP_REG[]"), bits | crc << 20);
        }
        QVERIFY(f.setItem("Otp.OTP_REG[]", 0x4u | 0x79u << 20));
        QSignalSpy log(otp, &Applet::signal_log);
        QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
        QCOMPARE(QList<QList<QVariant>>(log),
                 (QList<QList<QVariant>>{{1, "CRC1 does not match the OTP map"}}));
        const quint32 status = f.item("Otp.R_OTP[OTPS]");
        QVERIFY(f.setItem("Otp.RQ_OTP[SA]", 5));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(false));
        QCOMPARE(f.item("Otp.R_OTP[OTPS]"), status);
        QCOMPARE(f.item("Otp.OTP_REG[]"), 0x4u | 0x79u << 20);
        QVERIFY(f.setItem("Otp.RQ_OTP[SA]", 7));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(otpCombo("cbOTPS"), QString("3. Ready, Transfer Failed"));
        QCOMPARE(runOtp("Default"), QVariant(true));
        QCOMPARE(f.item("Otp.OTP_REG[]"), 0u);
    }

    // A map with its checksum requested, written to chip 7 and read back.
    void otpWriteAndRead()
    {
        QVERIFY(f.setItem("Otp.OTP_REG[]", 0x201D)); // lock bit, node address 7, Mode
        QCOMPARE(runOtp("OTP_CRC"), QVariant(true));
        const quint32 map = f.item("Otp.OTP_REG[]");
        QCOMPARE(runOtp("Request_OTP_PXN"), QVariant(true));
        QSignalSpy log(otp, &Applet::signal_log);
        QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
        QCOMPARE(log.size(), 0); // the checksum matches: nothing to announce
        QByteArray data = QByteArray::fromHex("678902");
        for (int i = 0; i < 4; ++i)
            data.append(char(map >> (8 * i)));
        QCOMPARE(f.take(), (QList<QByteArray>{writeLine(QByteArray::fromHex("678a02")),
                                              writeLine(data + '\0')}));
        QCOMPARE(f.bus.chip(1).otpMap, map);
        QCOMPARE(runOtp("Default"), QVariant(true));
        QCOMPARE(runOtp("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(f.take(), (QList<QByteArray>{set("1c0355670b"), Get}));
        QCOMPARE(f.item("Otp.OTP_REG[]"), map);
        QCOMPARE(otpCombo("cbOTPS") + '|' + otpCombo("cbLOCKB"),
                 QString("2. Ready, Transfer OK|1. OTP Locked"));
        // A length code beyond the frames' own goes back to 1. The write frame's first byte is
        // B and OTPBS; the map goes out only for bank 2, and only then is its stale checksum
        // announced; every frame goes to RQ_OTP[SA]. An unknown command fails.
        for (Register *frame : {&otpRegisters().W_OTP, &otpRegisters().R_OTP}) {
            const QString item = "Otp." + frame->name() + "[BC]";
            const quint32 code = f.item(item);
            QVERIFY(f.setItem(item, 3));
            QCOMPARE(frame->getField("[BC]"), 1u); // as written, before any read
            QCOMPARE(f.item(item), 1u);
            QVERIFY(f.setItem(item, code));
        }
        QVERIFY(f.setItem("Otp.OTP_REG[]", 0x201D | 0x70u << 20));
        QVERIFY(f.setItem("Otp.W_OTP[SA]", 3) && f.setItem("Otp.W_OTP[BYTE4]", 0x5A));
        for (const QString row : {"2 1 821d2000075a 1", "1 0 01000000005a 0"}) {
            QVERIFY(f.setItem("Otp.W_OTP[OTPBS]", row.section(' ', 0, 0).toInt()));
            QVERIFY(f.setItem("Otp.W_OTP[B]", row.section(' ', 1, 1).toInt()));
            log.clear();
            QCOMPARE(runOtp("Write_OTP_PXN"), QVariant(true));
            const QByteArray frame = f.bus.frames().last().second;
            QCOMPARE(frame.mid(1, frame.size() - 2).toHex(),
                     "6789" + row.section(' ', 2, 2).toLatin1());
            QCOMPARE(log.size(), row.section(' ', 3).toInt());
        }
        QCOMPARE(runOtp("Write_OTP"), QVariant(false));
        QVERIFY(f.setItem("Otp.W_OTP[OTPBS]", 2) && f.setItem("Otp.W_OTP[B]", 0));
        // Reading or writing every parameter (as a register file's import does) sends no
        // frame and fails nothing.
        const qsizetype frames = f.bus.frames().size(), boxes = f.prompt.messages().size();
        QVERIFY(otp->readParameters("*") && otp->writeParameters("*"));
        QVERIFY(f.bus.frames().size() == frames && f.prompt.messages().size() == boxes);
    }

    // The 27 map bits by index, packed bit 0 first into four bytes and shown in the map box
    // (bit 0, the lock bit, in its first check box); an index outside the map is ignored.
    void otpMapBits()
    {
        QCOMPARE(Otp::mapSize(), 27);
        const QCheckBox *lockBit =
            otp->findChild<QWidget *>("scrollArea_OTP")->findChildren<QCheckBox *>().value(0);
        QVERIFY(lockBit && !lockBit->isChecked());
        for (const int index : {0, 9, 26, 27, -1})
            otp->setMapBit(index, true);
        QVERIFY(lockBit->isChecked()); // before any read of the item, which shows it anyway
        QCOMPARE(f.item("Otp.OTP_REG[]"), 0x4000201u);
        QCOMPARE(Otp::mapBytes().toHex(), QByteArray("01020004"));
        otp->setMapBit(0, false);
        QVERIFY(!lockBit->isChecked());
        QCOMPARE(Otp::mapBytes().toHex(), QByteArray("00020004"));
        QVERIFY(Otp::resetMap());
        QCOMPARE(f.item("Otp.OTP_REG[]"), 0u);
    }

    // The map's fields sit in one group per bank, titled with the bank they are written to.
    void otpMapGroups()
    {
        auto *map = otp->findChild<QWidget *>("scrollArea_OTP");
        QVERIFY(map);
        QStringList titles;
        for (const QGroupBox *group : map->findChildren<QGroupBox *>())
            titles << group->title();
        QCOMPARE(titles, QStringList{"BANK (2)"});
    }
};

QTEST_MAIN(TestPxn)
#include "tst_pxn.moc"
