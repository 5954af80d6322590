#pragma once

#include "applet.h"
#include "eepromrecords.h"

namespace Ui
{
class SpiEEPROM;
}

// The external SPI EEPROM tool: one 25-series instruction at a time (OpCode, Address, DataIn;
// the byte clocked back lands in DataOut) on chip select 3 of the controller's SPI0 port, block
// reads and page writes, and the readers of the LED-driver board's configuration and parameter
// blocks, which the board page calls at each connection.
class SpiEEPROM : public Applet
{
    Q_OBJECT
public:
    explicit SpiEEPROM(QWidget *parent = nullptr);
    ~SpiEEPROM() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool hasCommand(const QString &command) const override;
    bool updateItem(int mode, const QString &name) override;
    void onDisconnected() override;
    void onConnected() override;
    bool init() override;

    // Sends the instruction frame of OpCode, Address and DataIn and keeps the last byte clocked
    // back in DataOut. False (DataOut kept) when a transaction fails or the answer does not end
    // in a hexadecimal byte.
    bool sendCommand();

    // The hexadecimal text of length bytes from address, the byte at address first. Frames
    // carry at most 252 bytes each. *ok is false when a transaction failed or an answer was
    // empty, not hexadecimal or too short; the text then holds the frame's own zero digits
    // where no answer came, a short answer's digits as far as they go, and nothing is sent
    // after a failed frame.
    QByteArray readBlock(quint16 address, quint8 length, bool *ok = nullptr);

    // Writes the bytes of a hexadecimal text from address, in chunks that stay within the
    // EEPROM's 32-byte pages, each after the write cycle ended and the write latch is set.
    // Odd or non-hexadecimal text is refused before anything is sent. False when a send fails
    // or a status wait gives up (after an "EEPROM error" message box).
    bool writeBlock(quint16 address, const QByteArray &hexText);

    // Reads and checks the device configuration block.
    DeviceConfig readDeviceConfig();
    // Read the parameter block that config points at into one record each.
    void readDeviceParams(DeviceConfig config);     // KVL52205, into driverParams
    void readDeviceParamsP404(DeviceConfig config); // KVL52404, into driverParams
    void readDeviceParamsV1(DeviceConfig config);   // into buckParams
    void readDeviceParamsV3(DeviceConfig config);   // into buckParams
    void readDeviceParams402(DeviceConfig config);  // into buckParams
    void readBoostParams401(DeviceConfig config);   // into boostParams
    void readDeviceParamsV2(DeviceConfig config);   // into boostParams

    BuckParams buckParams;
    BoostParams boostParams;
    DriverParams driverParams;

private:
    bool instruction(int opCode, bool keepAddress);
    bool setSpeed();
    bool readFrame(quint16 address, int length, QByteArray *text);
    int readLength(quint16 address);
    bool readCheckedCopy(quint16 address, int length, QByteArray *primary);
    bool waitForStatus(quint8 mask, bool set);
    bool writeChunk(quint16 address, const QByteArray &bytes);
    template <typename Record> struct Reader;
    template <typename Record>
    void readParams(const DeviceConfig &config, const Reader<Record> &reader, Record &record);

    Ui::SpiEEPROM *ui;
};

// The one SpiEEPROM, set by its constructor and cleared by its destructor.
extern SpiEEPROM *spiEEPROM;
