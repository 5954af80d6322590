#pragma once

#include "applet.h"

namespace Ui
{
class SpiRaw4B;
}

// The 32-bit raw SPI frame tool: sends the frame of SpiIn4B on the LED chip select numbered by
// SPIChannel4B, keeps the answer in SpiOut4B and checks the answer's CRC-4 against the request.
// The board page's KVL52404 page goes through transfer().
class SpiRaw4B : public Applet
{
    Q_OBJECT
public:
    explicit SpiRaw4B(QWidget *parent = nullptr);
    ~SpiRaw4B() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool updateItem(int mode, const QString &name) override;
    void onDisconnected() override;
    void onConnected() override;
    bool init() override;

    // One exchange of SpiIn4B, bits 31..24 first; SpiOut4B holds the answer and CRCValid the
    // verdict of its CRC when it returns true. A failure is logged at level -1 and changes
    // nothing.
    bool transfer();
    // The frames transfer() has sent (or tried to) since the program started.
    quint64 frameCount() const { return m_frameCount; }

    // CRC-4 with the generator x^4 + x + 1, most significant bit first, no reflection and no
    // final XOR; states are 0 to 15 (the seed is 15).
    static qint8 crc4(quint8 nibble, qint8 state);
    static qint8 crc4Of28(quint32 value, qint8 seed);
    static qint8 crc4Of36(quint64 value, qint8 seed);

private:
    void calcCRC();
    void setSpeed();
    QString chipSelect() const;

    Ui::SpiRaw4B *ui;
    quint64 m_frameCount = 0;
};

// The one SpiRaw4B, set by its constructor and cleared by its destructor.
extern SpiRaw4B *spiRaw4B;
