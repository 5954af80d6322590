#pragma once

#include "applet.h"

class QCheckBox;
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

    QVariant run(const QString &command, const QVariant &args) override;
    bool init() override;

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

    Ui::Pxn *ui;
};
