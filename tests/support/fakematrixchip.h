#pragma once

#include <QByteArray>

#include <array>

// One simulated KVL52110 matrix chip on the controller's second UART: its bank words, its
// command state, its I2C EEPROM and its OTP map. FakeMatrixBus delivers the frames that reach
// it (already checked) and asks it for its answers; not thread-safe, the bus guards it.
class FakeMatrixChip
{
public:
    static constexpr int WordCount = 32;
    static constexpr int LastWritableWord = 14;
    static constexpr int StatusWord = 16;
    static constexpr int MapenaWord = 13;

    FakeMatrixChip();

    // The rate the chip listens at: 125000 << cspeed.
    int rate() const { return 125000 << cspeed; }
    bool locked() const { return (otpMap & 1u) != 0; }

    // Bank word n as it reads (word 16 carries the CRC error count and the MAPENA mirror).
    quint32 word(int n) const;
    // Writes 3-byte groups (low byte first) into the words from first on; read-only words
    // keep their value.
    void writeWords(int first, const QByteArray &data);
    // count words from first, 3 bytes each, low byte first.
    QByteArray readWords(int first, int count) const;

    // A command write (frame type 3) with its data bytes; powered tells whether the chip's
    // supply output is on.
    void command(int csid, const QByteArray &data, bool powered);
    // The answer data of a command read (CSIDs 0, 3, 6, 8, 11); empty for other CSIDs.
    QByteArray commandAnswer(int csid) const;
    // Whether a command read of csid exists, and the data length of a command write (-1: none).
    static bool isReadCommand(int csid);
    static int writeLength(int csid);
    // One more frame with a wrong CRC (the count stops at 15).
    void countCrcError();

    // The 7-bit check of OTP map bits 0-19 as the chip computes it.
    static quint8 otpCrc(quint32 map);

    int address = 0;
    int opmode = 0;
    int frameCount = 0;
    int pms = 0;
    int cspeed = 1;
    int output = 1;      // the supply output that powers the chip
    int currentMa = 100; // its supply current, compared with the assignment threshold
    std::array<quint8, 3> ident{{1, 35, 1}}; // DEV_ID, ANA_ID, DIG_ID of a KVL52110
    std::array<quint8, 3> dlt{};
    std::array<quint32, WordCount> words{};
    int crcErrors = 0;
    std::array<QByteArray, 8> eeprom;
    QByteArray buffer; // 8 bytes loaded from the EEPROM
    int eesa = 0;
    int eeba = 0;
    int ees = 0;
    bool writeProtect = false;
    quint32 otpMap = 0; // 27 bits
    int otpBank = 2;
    int otps = 0;

private:
    void eepromWrite(const QByteArray &data);
    void eepromLoad(const QByteArray &data);
    void otpWrite(const QByteArray &data);
    void softwareReset();
};
