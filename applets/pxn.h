#pragma once

#include "applet.h"

#include <QPair>

#include <array>

class QCheckBox;
class QWidget;
class Register;

namespace Ui
{
class Pxn;
}

// The frame layer of the matrix chips' bus and its raw-frame window. Every frame to a chip is
// laid out, given its parity and CRC-8 and sent here, and every answer is fetched and checked
// here; the one object is reached through instance().
class Pxn : public Applet
{
    Q_OBJECT
public:
    static constexpr int FirstLead = 14;  // lead byte of writes and first read attempts
    static constexpr int RepeatLead = 28; // lead byte of repeated reads and window reads

    explicit Pxn(QWidget *parent = nullptr);
    ~Pxn() override;

    // The one frame applet; null before it is made and after it is gone.
    static Pxn *instance();

    // "Write_raw_data" sends W_BANK's frame, "Read_raw_data" reads R_BANK's answer.
    QVariant run(const QString &command, const QVariant &args) override;
    // After a write of W_BANK, R_BANK or Bank_layout: enables the data edits that the next
    // frame of that group uses.
    bool updateItem(int mode, const QString &name) override;
    void onDisconnected() override;
    void onConnected() override;
    bool init() override;

    // Data bytes of a raw frame by its length code (0..3) and bank layout (0..2).
    static int dataLength(int bc, int layout);
    // Sets P1 and P2 of a frame or command register from bits 0-6 and 8-14 and returns PID1
    // and PID2, with idField (RBA or CSID) in PID2.
    static QPair<int, int> frameIdentifiers(Register &frame, const char *idField);

    // Sends SYNC, PID1, PID2, data and CRC; true when the board accepted it. More than 251
    // data bytes: false, nothing sent.
    bool sendFrame(int pid1, int pid2, const QByteArray &data);
    // Sends the 3-byte request and reads the answer into data and crc (both stored before the
    // CRC check, and only when an answer arrived); true when the answer passed the check.
    bool requestFrame(int pid1, int pid2, QByteArray &data, unsigned &crc, int answerBytes,
                      int leadByte);
    // Reads one bank word (read true) or writes count words (1..4) from rba on of bank, the
    // words being the bits whose attribute REG holds the word's number.
    bool transferBank(Register &bank, int sa, int rba, bool read, quint8 count, quint8 broadcast);
    // Reads a configuration command's answer into its data fields from bit 16 up.
    bool readCommandFrame(Register &command, int answerBytes, bool refresh);
    void dumpBytes(const QByteArray &bytes);

    bool crcCheckEnabled() const;
    QCheckBox *crcCheckBox() const;

private:
    bool readBankWord(Register &bank, int sa, int rba);
    bool writeBankWords(Register &bank, int sa, int rba, int count, bool broadcast);
    bool readAnswer(int pid1, int pid2, QByteArray &data, int answerBytes, int attempts);
    void reportCrcFailure(unsigned received, unsigned computed);

    bool writeRawData();
    bool readRawData();
    // The integer part of Bank_layout.
    static int bankLayout();
    void followBankLayout();
    // Enables the first k data edits of the group of frame ("W_BANK" or "R_BANK").
    void enableDataEdits(const QString &frame);

    Ui::Pxn *ui;
    std::array<QWidget *, 12> m_writeData{};
    std::array<QWidget *, 12> m_readData{};
};
