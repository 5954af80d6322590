// The frame, command and OTP registers of the matrix chips: sizes, identifiers after the
// parity rule, attribute selections, the OTP map's CRC1, the TO1/TO2 map and the variables.
#include "configurationregisters.h"
#include "otpregisters.h"
#include "pxn.h"
#include "pxnframe.h"
#include "pxnregisters.h"

#include <QtTest>

namespace
{

// PID1 and PID2 as a sender makes them: P1 and P2 set from bits 0-6 and 8-14 first.
QPair<int, int> identifiers(Register &r)
{
    r.setField("[P1]", quint32(oddParity7(*r.select(0, 6))));
    r.setField("[P2]", quint32(oddParity7(*r.select(8, 14))));
    return {int(r.select(0, 7)->value(true)), int(r.select(8, 15)->value(true))};
}

QMap<QString, Register *> allRegisters()
{
    QMap<QString, Register *> all;
    for (Register *r : configurationRegisters().commands())
        all.insert(r->name(), r);
    OtpRegisters &o = otpRegisters();
    PxnRegisters &p = pxnRegisters();
    for (Register *r : {&o.OTP_REG, &o.RQ_OTP, &o.W_OTP, &o.R_OTP, &p.W_BANK, &p.R_BANK})
        all.insert(r->name(), r);
    return all;
}

} // namespace

class TestPxnRegisters : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bits");
        const QList<QPair<const char *, int>> rows{{"W_BANK", 112},       {"R_BANK", 112},
                                                   {"ID_SLAVE", 64},      {"I2C_EEPROM_WRITE", 96},
                                                   {"I2C_EEPROM_RQ", 32}, {"I2C_EEPROM_READ", 96},
                                                   {"AUTO_ADD", 24},      {"ASSIGN_ADD", 32},
                                                   {"OP_MODE_ST", 24},    {"WR_PXN_MODE_RQ", 24},
                                                   {"R_PXN_MODE_RQ", 24}, {"UART", 24},
                                                   {"CHANGE_MODE", 24},   {"SW_RESET", 24},
                                                   {"MAPENA", 24},        {"OTP_REG", 27},
                                                   {"RQ_OTP", 24},        {"W_OTP", 64},
                                                   {"R_OTP", 64}};
        for (const auto &row : rows)
            QTest::newRow(row.first) << QString(row.first) << row.second;
    }
    void sizes()
    {
        QFETCH(QString, name);
        QFETCH(int, bits);
        Register *r = allRegisters().value(name);
        QVERIFY(r);
        QCOMPARE(r->size(), bits);
    }

    void identifiers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sa");
        QTest::addColumn<int>("defined2"); // PID2 as built, before the parity rule
        QTest::addColumn<int>("pid1");
        QTest::addColumn<int>("pid2");
        QTest::newRow("W_BANK") << "W_BANK" << 0 << 0x80 << 0x20 << 0x80;
        QTest::newRow("R_BANK") << "R_BANK" << 0 << 0x80 << 0x80 << 0x80;
        QTest::newRow("ID_SLAVE 5") << "ID_SLAVE" << 5 << 0x80 << 0xE5 << 0x80;
        QTest::newRow("CHANGE_MODE") << "CHANGE_MODE" << 0 << 0x8D << 0xE0 << 0x0D;
        QTest::newRow("MAPENA 1") << "MAPENA" << 1 << 0x8F << 0x61 << 0x8F;
        QTest::newRow("RQ_OTP") << "RQ_OTP" << 0 << 0x8A << 0xE0 << 0x8A;
        QTest::newRow("W_OTP") << "W_OTP" << 0 << 0x89 << 0xE0 << 0x89;
        QTest::newRow("R_OTP") << "R_OTP" << 0 << 0x8B << 0xE0 << 0x0B;
    }
    void identifiers()
    {
        QFETCH(QString, name);
        QFETCH(int, sa);
        QFETCH(int, defined2);
        QFETCH(int, pid1);
        QFETCH(int, pid2);
        Register *r = allRegisters().value(name);
        QVERIFY(r);
        const quint32 saved = r->select(0, 15)->value(true);
        QCOMPARE(int(r->getField("[P2]")), defined2 >> 7);
        QCOMPARE(int(r->select(8, 15)->value(true)), defined2);
        r->setField("[SA]", quint32(sa));
        QCOMPARE(::identifiers(*r), qMakePair(pid1, pid2));
        r->select(0, 15)->setValue(saved, true);
    }

    void selections_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("bits");
        QTest::newRow("W_BANK group 1") << "W_BANK"
                                        << "DATA_BC"
                                        << "1" << 40 << 24;
        QTest::newRow("W_BANK group 3") << "W_BANK"
                                        << "DATA_BC"
                                        << "3" << 88 << 24;
        QTest::newRow("R_BANK group 0") << "R_BANK"
                                        << "DATA_BC"
                                        << "0" << 16 << 24;
        QTest::newRow("R_BANK group 1") << "R_BANK"
                                        << "DATA_BC"
                                        << "1" << -1 << 0;
        QTest::newRow("map bank 2") << "OTP_REG"
                                    << "BANK"
                                    << "2" << 0 << 27;
        QTest::newRow("map bank 1") << "OTP_REG"
                                    << "BANK"
                                    << "1" << -1 << 0;
        QTest::newRow("CRC input") << "OTP_REG"
                                   << "CRC"
                                   << "2" << 0 << 20;
        QTest::newRow("CRC1") << "OTP_REG"
                              << "CRC"
                              << "5" << 20 << 7;
        QTest::newRow("W_OTP data") << "W_OTP"
                                    << "DATA"
                                    << "1" << 24 << 40;
        QTest::newRow("R_OTP answer") << "R_OTP"
                                      << "DATA2"
                                      << "0" << 16 << 48;
    }
    void selections()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, first);
        QFETCH(int, bits);
        Register *r = allRegisters().value(name);
        QVERIFY(r);
        Register *view = r->selectByAttribute(key, value);
        QCOMPARE(view->size(), bits);
        if (bits > 0)
            QCOMPARE(view->bitAt(0), r->bitAt(first));
    }

    // "OTP_CRC": the CRC-7 of the map's input bits, the old CRC1 left out.
    void otpCrc_data()
    {
        QTest::addColumn<quint32>("map");
        QTest::addColumn<quint32>("crc");
        QTest::newRow("zeros") << 0u << 0x79u;
        QTest::newRow("lock bit") << 1u << 0x4Eu;
        QTest::newRow("all input") << 0xFFFFFu << 0x67u;
        QTest::newRow("old CRC1") << 0x7F00000u << 0x79u;
    }
    void otpCrc()
    {
        QFETCH(quint32, map);
        QFETCH(quint32, crc);
        Register &m = otpRegisters().OTP_REG;
        m.setValue(map, true);
        QCOMPARE(m.selectByAttribute("CRC", "2")->crc(7, 0x7F, 0xB7), crc);
        m.setValue(0u, true);
    }

    void mapTexts()
    {
        Register to1(OtpRegisters::mapTextTo1(), QString());
        QCOMPARE(to1.name(), QString("OTP_REG"));
        QCOMPARE(to1.size(), 27);
        QCOMPARE(to1.indexOf("UART_OFF"), -1);
        QCOMPARE(to1.indexOf("Global_bit_err_det_EN"), 16);
        QCOMPARE(to1.indexOf("EEPROM_lock_bit"), 18);
        QCOMPARE(to1.indexOf("DUMMY"), 19);
        QCOMPARE(to1.indexOf("CRC1"), 20);
        Register &to3 = otpRegisters().OTP_REG;
        QCOMPARE(to3.indexOf("UART_OFF"), 18);
        QCOMPARE(to3.indexOf("Global_bit_err_det_DIS"), 16);
        QCOMPARE(to3.indexOf("DUMMY"), -1);
        QVERIFY(OtpRegisters::mapText().startsWith("@register=OTP_REG;@field=OTP_lock_bit "));
        QCOMPARE(OtpRegisters::requestText(),
                 QString("@register=RQ_OTP;@field=SA[4:0]            @value=0;@field=FT[1:0]     "
                         "       @value=3;@field=P1                 @value=1;@field=CSID[4:0]   "
                         "       @value=10;@field=BC[1:0]            @value=0;@field=P2         "
                         "        @value=1;@field=OTPBS[1:0]         @value=2;@field=NA[4:0]    "
                         "        @value=0;@field=B                  @value=0;"));
        for (Register *r : {&otpRegisters().RQ_OTP, &otpRegisters().W_OTP, &otpRegisters().R_OTP})
            QCOMPARE(r->select(16, 63)->value(true), 0x02u); // OTPBS 2, everything else 0
        QCOMPARE(configurationRegisters().MAPENA.indexOf("MAPENA"), 16);
        QCOMPARE(configurationRegisters().ID_SLAVE.indexOf("DLT_Y_AXIS"), 56);
        QCOMPARE(configurationRegisters().I2C_EEPROM_READ.indexOf("B"), -1);
    }

    // The one frame applet is reachable while it lives and binds its three items by name.
    void frameApplet()
    {
        auto *pxn = new Pxn;
        QCOMPARE(Pxn::instance(), pxn);
        QVERIFY(pxn->init());
        QCOMPARE(pxn->itemNames(), QStringList({"Bank_layout", "W_BANK", "R_BANK"}));
        QVERIFY(pxn->set("W_BANK[SA]", 33u, Variable::OutsideKey));
        QCOMPARE(pxnRegisters().W_BANK.getField("[SA]"), 1u);
        pxnRegisters().W_BANK.setField("[SA]", 0);
        delete pxn;
        QCOMPARE(Pxn::instance(), nullptr);
    }

    void reverseBits_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("reversed");
        QTest::newRow("01") << 0x01 << 0x80;
        QTest::newRow("a0") << 0xA0 << 0x05;
        QTest::newRow("ff") << 0xFF << 0xFF;
    }
    void reverseBits()
    {
        QFETCH(int, byte);
        QFETCH(int, reversed);
        QCOMPARE(int(reverseBits8(quint8(byte))), reversed);
    }

    void variables_data()
    {
        QTest::addColumn<bool>("saconf");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("SACONF 34") << true << 34 << true;
        QTest::newRow("SACONF 35") << true << 35 << false;
        QTest::newRow("Bank_layout 2") << false << 2 << true;
        QTest::newRow("Bank_layout 3") << false << 3 << false;
        QTest::newRow("Bank_layout -1") << false << -1 << false;
    }
    void variables()
    {
        QFETCH(bool, saconf);
        QFETCH(int, value);
        QFETCH(bool, accepted);
        Variable &v = saconf ? configurationRegisters().SACONF : pxnRegisters().Bank_layout;
        QCOMPARE(v.name(), QString(saconf ? "SACONF" : "Bank_layout"));
        QCOMPARE(v.setValue(value, Variable::OutsideKey), accepted);
        QCOMPARE(int(v.value()), accepted ? value : 0);
        v.setValue(0, Variable::OutsideKey);
    }
};

QTEST_MAIN(TestPxnRegisters)
#include "tst_pxnregisters.moc"
