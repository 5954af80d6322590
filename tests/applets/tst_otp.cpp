// The OTP window in the running application with the frame applet, on a simulated board with
// chips at 1 and 7: its form and register box, the checksum, the exact request, write and
// read frames, a map written and read back, the length-code clamp and the map helpers.
#include "checkbox.h"
#include "fakematrixbus.h"
#include "otp.h"
#include "otpregisters.h"
#include "pxnappfixture.h"
#include "registerbox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace
{

constexpr int Chip7 = 1; // index of the chip at address 7
constexpr int Chip1 = 0;

QByteArray frameLine(int lead, const QByteArray &identifiersAndData)
{
    QByteArray frame = QByteArray(1, char(0x55)) + identifiersAndData;
    frame.append(char(FakeMatrixBus::crc8(identifiersAndData)));
    return "set SER2PXNDATA=" + QByteArray(1, char(lead)).toHex() +
           QByteArray(1, char(frame.size())).toHex() + frame.toHex();
}

// The 27-bit map with its checksum in bits 20-26, as the chips compute it.
quint32 withCrc(quint32 bits)
{
    return bits | quint32(FakeMatrixChip::otpCrc(bits)) << 20;
}

} // namespace

class TestOtp : public QObject
{
    Q_OBJECT

    PxnAppFixture f;
    Otp *otp = nullptr;

    bool setItem(const QString &name, QVariant value) { return f.setItem("Otp." + name, value); }
    quint32 item(const QString &name) { return f.item("Otp." + name); }
    QVariant run(const QString &command) { return otp->run(command, QVariant()); }
    template <typename T> T *child(const char *name) const { return otp->findChild<T *>(name); }
    void resetChips()
    {
        for (int i = 0; i < f.bus.chipCount(); ++i)
            f.bus.editChip(i, [](FakeMatrixChip &chip) {
                chip.otpMap = 0;
                chip.otps = 0;
                chip.otpBank = 2;
            });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start({[]() -> Applet * { return new Otp; }}));
        otp = qobject_cast<Otp *>(f.app->findApplet("Otp", MainApp::ByName));
        QVERIFY(otp);
        QVERIFY(otp->windowTitle().endsWith("Otp Registers"));
    }

    void init()
    {
        resetChips();
        f.pxn()->crcCheckBox()->setChecked(true);
        QVERIFY(setItem("RQ_OTP[SA]", 7));
        QVERIFY(setItem("W_OTP[B]", 0));
        QVERIFY(setItem("W_OTP[OTPBS]", 2));
        QVERIFY(setItem("W_OTP[BC]", 0));
        QVERIFY(setItem("OTP_REG[]", 0));
        f.take();
    }

    // The program's frames were all well formed.
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }

    // Each command's help entry appears when it is compared: the first command leaves one,
    // the last all five.
    void helpEntries()
    {
        QCOMPARE(run("Request_OTP_PXN"), QVariant(true));
        QCOMPARE(otp->functionNames(), QStringList{"Request_OTP_PXN"});
        QCOMPARE(run("OTP_CRC"), QVariant(true));
        QCOMPARE(otp->functionNames(), (QStringList{"Default", "OTP_CRC", "Read_OTP_PXN",
                                                    "Request_OTP_PXN", "Write_OTP_PXN"}));
        QCOMPARE(run("otp_crc"), QVariant(false));
    }

    void form()
    {
        QCOMPARE(child<QPushButton>("pbCRC")->text(), QString("Calulate CRC"));
        QCOMPARE(child<QPushButton>("pbCRC")->accessibleName(), QString("OTP_CRC()"));
        const auto *status = child<QComboBox>("cbOTPS");
        QStringList items;
        for (int i = 0; i < status->count(); ++i)
            items << status->itemText(i);
        QCOMPARE(items, (QStringList{"0. Idle", "1. Busy, Transfer Ongoing",
                                     "2. Ready, Transfer OK", "3. Ready, Transfer Failed"}));
        const auto *lock = child<QComboBox>("cbLOCKB");
        QCOMPARE(lock->count(), 2);
        QCOMPARE(lock->itemText(1), QString("1. OTP Locked"));
        for (const char *name : {"lePID1_4", "leEEW_EEEBA", "leEER_EESA"})
            QVERIFY2(child<QLineEdit>(name)->isReadOnly(), name);
        QVERIFY(!child<QLineEdit>("lePID1_5")->isReadOnly());
        QCOMPARE(child<QLineEdit>("lePID1_5")->maxLength(), 255);

        const QStringList names = otp->controlNames();
        for (const char *name :
             {"RQ_OTP[SA]", "RQ_OTP[B]", "RQ_OTP[OTPBS]", "W_OTP[B]", "W_OTP[OTPBS]",
              "R_OTP[LOCKB]", "R_OTP[OTPS]", "R_OTP[OTPBS]", "Request_OTP_PXN", "Write_OTP_PXN",
              "Read_OTP_PXN", "OTP_CRC", "OTP_REG[UART_OFF]", "OTP_REG[Global_bit_err_det_DIS]",
              "OTP_REG[CRC1]"})
            QVERIFY2(names.contains(name), name);
        QVERIFY(!names.contains("OTP_REG[DUMMY]"));

        const QWidget *window = otp->container();
        QVERIFY(window);
        QCOMPARE(window->minimumWidth(), window->maximumWidth());
    }

    // The box's rows are bound: a field written by name shows in its row, and a row edited
    // writes the field.
    void registerBoxRows()
    {
        auto *box = child<CustomControls::RegisterBox>("scrollArea_OTP");
        QCOMPARE(box->groups().keys(), QStringList{"2"});
        QCOMPARE(box->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(box->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(box->groupBox("2")->title(), QString("BANK (2)"));
        CustomControls::CheckBox *mode = nullptr;
        for (auto *check : box->findChildren<CustomControls::CheckBox *>())
            if (check->accessibleName() == "OTP_REG[Mode]")
                mode = check;
        QVERIFY(mode);
        QVERIFY(setItem("OTP_REG[Mode]", 1));
        QVERIFY(mode->isChecked());
        mode->click();
        QCOMPARE(item("OTP_REG[Mode]"), 0u);
    }

    void checksum_data()
    {
        QTest::addColumn<uint>("bits");
        QTest::addColumn<uint>("crc");
        QTest::newRow("all 0") << 0u << 0x79u;
        QTest::newRow("lock bit") << 0x1u << 0x4Eu;
        QTest::newRow("node address bit 0") << 0x4u << 0x12u;
        QTest::newRow("all 20 set") << 0xFFFFFu << 0x67u;
    }
    void checksum()
    {
        QFETCH(uint, bits);
        QFETCH(uint, crc);
        // A stale CRC1 does not enter the checksum.
        QVERIFY(setItem("OTP_REG[]", bits | 0x5u << 20));
        QCOMPARE(run("OTP_CRC"), QVariant(true));
        QCOMPARE(item("OTP_REG[CRC1]"), crc);
        QCOMPARE(item("OTP_REG[]"), bits | crc << 20);
        QCOMPARE(run("Default"), QVariant(true));
        QCOMPARE(item("OTP_REG[]"), 0u);
    }

    void requestFrame()
    {
        QCOMPARE(run("Request_OTP_PXN"), QVariant(true));
        QCOMPARE(f.take(), QList<QByteArray>{frameLine(0x0e, QByteArray::fromHex("678a02"))});
        QCOMPARE(f.bus.chip(Chip7).otps, 2);
    }

    // A map with its checksum written to chip 7, cleared here and read back.
    void writeAndReadBack()
    {
        const quint32 map = withCrc(0x201D); // lock bit, node address 7, Mode
        QVERIFY(setItem("OTP_REG[]", 0x201D));
        QCOMPARE(run("OTP_CRC"), QVariant(true));
        QCOMPARE(item("OTP_REG[]"), map);
        QSignalSpy log(otp, &Applet::signal_log);
        f.take();
        QCOMPARE(run("Write_OTP_PXN"), QVariant(true));
        QByteArray data = QByteArray::fromHex("678902");
        for (int i = 0; i < 4; ++i)
            data.append(char(map >> (8 * i)));
        data.append('\0');
        QCOMPARE(f.take(), QList<QByteArray>{frameLine(0x0e, data)});
        QCOMPARE(log.size(), 0);
        QCOMPARE(f.bus.chip(Chip7).otpMap, map);

        QCOMPARE(run("Default"), QVariant(true));
        QSignalSpy mapChanges(&otpRegisters().OTP_REG, &Register::signal_updateSet);
        f.take();
        QCOMPARE(run("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(f.take(), (QList<QByteArray>{"set SER2PXNDATA=1c0355670b", "get SER2DATA"}));
        QCOMPARE(mapChanges.size(), 0);
        QCOMPARE(item("OTP_REG[]"), map);
        QCOMPARE(item("R_OTP[OTPS]"), 2u);
        QCOMPARE(child<QComboBox>("cbOTPS")->currentText(), QString("2. Ready, Transfer OK"));
        QCOMPARE(item("R_OTP[LOCKB]"), 1u);
        QCOMPARE(child<QComboBox>("cbLOCKB")->currentText(), QString("1. OTP Locked"));
        QCOMPARE(item("R_OTP[OTPBS]"), 2u);
    }

    // A stale checksum is announced, then sent: the chip reports the failed transfer.
    void staleChecksum()
    {
        QVERIFY(setItem("RQ_OTP[SA]", 1));
        QVERIFY(setItem("OTP_REG[]", 0x4u | 0x79u << 20));
        QSignalSpy log(otp, &Applet::signal_log);
        QCOMPARE(run("Write_OTP_PXN"), QVariant(true));
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.at(0).at(0).toInt(), 1);
        QCOMPARE(log.at(0).at(1).toString(), QString("CRC1 does not match the OTP map"));
        const QByteArray frame = f.bus.frames().last().second;
        QCOMPARE(frame.left(3).toHex(), QByteArray("556189"));
        QCOMPARE(f.bus.chip(Chip1).otps, 3);
        QCOMPARE(run("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(item("R_OTP[OTPS]"), 3u);
        QCOMPARE(child<QComboBox>("cbOTPS")->currentText(), QString("3. Ready, Transfer Failed"));
    }

    void writeData_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("broadcast");
        QTest::addColumn<int>("bc");
        QTest::addColumn<QByteArray>("data"); // after PID1 and PID2
        QTest::newRow("bank 2, broadcast") << 2 << 1 << 0
                                           << QByteArray::fromHex("821d20"
                                                                  "0007"
                                                                  "5a");
        QTest::newRow("bank 1") << 1 << 0 << 0
                                << QByteArray::fromHex("0100000000"
                                                       "5a");
        QTest::newRow("length code 1") << 2 << 0 << 1
                                       << QByteArray::fromHex("021d20"
                                                              "0007"
                                                              "5a");
    }
    // The first byte is B and OTPBS with zeros between; the map goes out only for bank 2;
    // BYTE4 and the length code go out as they stand.
    void writeData()
    {
        QFETCH(int, bank);
        QFETCH(int, broadcast);
        QFETCH(int, bc);
        QFETCH(QByteArray, data);
        QVERIFY(setItem("OTP_REG[]", 0x201D | 0x70u << 20));
        QVERIFY(setItem("W_OTP[OTPBS]", bank));
        QVERIFY(setItem("W_OTP[B]", broadcast));
        QVERIFY(setItem("W_OTP[BC]", bc));
        QVERIFY(setItem("W_OTP[BYTE4]", 0x5A));
        QVERIFY(setItem("W_OTP[NA]", 31));
        QCOMPARE(run("Write_OTP_PXN"), QVariant(true));
        const QByteArray frame = f.bus.frames().last().second;
        QCOMPARE(quint8(frame.at(1)), quint8(0x67));
        QCOMPARE((quint8(frame.at(2)) >> 5) & 3, bc);
        QCOMPARE(quint8(frame.at(2)) & 31, 9);
        QCOMPARE(frame.mid(3, frame.size() - 4).toHex(), data.toHex());
        QVERIFY(setItem("W_OTP[NA]", 0));
        QVERIFY(setItem("W_OTP[BYTE4]", 0));
    }

    // Every frame goes to the address in RQ_OTP[SA], whatever the frames' own SA holds.
    void addressFromRequest()
    {
        QVERIFY(setItem("W_OTP[SA]", 3));
        QVERIFY(setItem("R_OTP[SA]", 3));
        run("Write_OTP_PXN");
        run("Read_OTP_PXN");
        const auto frames = f.bus.frames();
        QCOMPARE(quint8(frames.at(frames.size() - 2).second.at(1)) & 31, 7);
        QCOMPARE(quint8(frames.last().second.at(1)) & 31, 7);
        QCOMPARE(item("W_OTP[SA]"), 7u);
    }

    // An answer for another bank shows in R_OTP and leaves the map alone.
    void readOtherBank()
    {
        f.bus.editChip(Chip7, [](FakeMatrixChip &chip) {
            chip.otpBank = 3;
            chip.otpMap = 0x1234567;
            chip.otps = 1;
        });
        QVERIFY(setItem("OTP_REG[]", 0x15));
        QCOMPARE(run("Read_OTP_PXN"), QVariant(true));
        QCOMPARE(item("R_OTP[OTPBS]"), 3u);
        QCOMPARE(item("R_OTP[BYTE0]"), 0x67u);
        QCOMPARE(item("R_OTP[BYTE3]"), 0x01u);
        QCOMPARE(item("R_OTP[BYTE4]"), 0u);
        QCOMPARE(child<QComboBox>("cbOTPS")->currentText(), QString("1. Busy, Transfer Ongoing"));
        QCOMPARE(item("OTP_REG[]"), 0x15u);
    }

    // A failed read keeps R_OTP and the map; a wrong answer CRC fails silently, also from the
    // window's own button.
    void failedReads()
    {
        QVERIFY(setItem("OTP_REG[]", 0x15));
        QVERIFY(setItem("R_OTP[OTPS]", 1));
        QVERIFY(setItem("RQ_OTP[SA]", 5));
        QCOMPARE(run("Read_OTP_PXN"), QVariant(false));
        QCOMPARE(item("R_OTP[OTPS]"), 1u);
        QCOMPARE(item("OTP_REG[]"), 0x15u);

        QVERIFY(setItem("RQ_OTP[SA]", 7));
        const qsizetype messages = f.prompt.messages().size();
        f.bus.injectFault(FakeMatrixBus::CrcPlusOne);
        QTest::mouseClick(child<QPushButton>("btReadEEPROM_2"), Qt::LeftButton);
        QCOMPARE(f.prompt.messages().size(), messages);
        QCOMPARE(item("R_OTP[OTPS]"), 1u);
        QCOMPARE(item("OTP_REG[]"), 0x15u);
    }

    void lengthCodeClamp_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("limit");
        QTest::newRow("W_OTP") << "W_OTP" << 1;
        QTest::newRow("R_OTP") << "R_OTP" << 1;
        QTest::newRow("RQ_OTP") << "RQ_OTP" << 3;
    }
    void lengthCodeClamp()
    {
        QFETCH(QString, frame);
        QFETCH(int, limit);
        const QString bc = frame + "[BC]";
        QVERIFY(setItem(bc, 3));
        QCOMPARE(item(bc), quint32(limit));
        QVERIFY(setItem(bc, 2));
        QCOMPARE(item(bc), quint32(qMin(limit, 2)));
        QVERIFY(setItem(bc, 0));
        QCOMPARE(item(bc), 0u);
        QVERIFY(setItem(bc, 1));
        QCOMPARE(item(bc), 1u);
        QVERIFY(setItem(bc, 0));
    }

    void mapHelpers()
    {
        QCOMPARE(Otp::mapSize(), 27);
        QVERIFY(setItem("OTP_REG[]", 0x1234567));
        QCOMPARE(Otp::mapBytes().toHex(), QByteArray("67452301"));

        QSignalSpy changes(&otpRegisters().OTP_REG, &Register::signal_updateSet);
        otp->setMapBit(3, true);
        otp->setMapBit(5, false);
        otp->setMapBit(0, false);
        otp->setMapBit(27, true);
        otp->setMapBit(-1, true);
        QCOMPARE(changes.size(), 0);
        QCOMPARE(item("OTP_REG[]"), (0x1234567u | 0x8u) & ~0x21u);

        QVERIFY(Otp::resetMap());
        QCOMPARE(changes.size(), 1);
        QCOMPARE(item("OTP_REG[]"), 0u);

        const QList<QGroupBox *> boxes = otp->collectGroupBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(otp->groupIndexFromTitle(), QStringList());
        boxes.first()->setCheckable(true);
        boxes.first()->setChecked(true);
        QCOMPARE(otp->groupIndexFromTitle(), QStringList{"2"});
        boxes.first()->setCheckable(false);
    }
};

QTEST_MAIN(TestOtp)
#include "tst_otp.moc"
