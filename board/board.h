#pragma once

#include "applet.h"
#include "eepromrecords.h"
#include "register.h"

#include <QList>
#include <QPair>
#include <QVector>

class CSVReader;
class LocalClient;
class QTimer;
class QVBoxLayout;
class SpiP205;
struct PhaseCalculator;
namespace CustomControls
{
class Slider;
}
namespace Ui
{
class Board;
}

// The board page: matrix layout and duties, the LED-driver power stages, status readouts and
// the animation scripts of the controller board.
class Board : public Applet
{
    Q_OBJECT
public:
    // The MAPENA value last written to one slave address.
    struct MapEnaRecord {
        qint32 value = 0;
        bool known = false;
    };
    // The widgets of one device row; the first is its slave-address edit.
    struct DeviceRow {
        QList<QWidget *> widgets;
    };

    static constexpr int MaxSlaves = 32;
    static constexpr quint32 FlashStartAddress = 0x800300FFu;
    static constexpr int P205Registers = 16;

    explicit Board(QWidget *parent = nullptr);
    ~Board() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool updateItem(int mode, const QString &name) override;
    bool init() override;

    // The port the main window showed when the page was built.
    QString portName() const { return m_portName; }
    LocalClient *ledDriverClient() const { return m_ledDriverClient; }

    // Blocks the calling thread for ms milliseconds without processing events.
    static void delayMs(unsigned ms);

    // The KVL52404 register map's definition: 64 addresses of 21 bits, each field tagged with
    // its address (ADD) and whether it holds data (DATA 1) or fills (DATA 0).
    static QString p404MapDefinition();

public slots:
    // Status page: raw measurement codes shown as physical values.
    void on_leREG11_15_8_textChanged(const QString &text);
    void on_leREG12_7_0_textChanged(const QString &text);
    void on_leREG11_23_16_textChanged(const QString &text);
    void on_leREG12_15_8_textChanged(const QString &text);
    void on_leREG11_7_0_textChanged(const QString &text);

private:
    void initUi();
    void initP404Combos();
    void initPlots();
    void bindGlobals();
    void defineP404Registers();

    Ui::Board *ui = nullptr;
    SpiP205 *spiP205 = nullptr;
    QTimer *sendTimer = nullptr;
    QTimer *effectTimer = nullptr;
    LocalClient *m_ledDriverClient = nullptr;
    MapEnaRecord mapEnaState[MaxSlaves];
    CSVReader *currentScript = nullptr;
    QVector<CSVReader *> scriptList;
    QVector<QPair<PhaseCalculator *, qint32>> phaseCalculators;
    QVector<int> dutyBySwitch;
    QVector<int> profile;
    QVector<int> profileTarget;
    qint32 subStep = 0;
    QVector<QVector<int>> rowScratch;
    QVector<int> rowSwitchCount;
    QVector<int> switchSequence;
    QVector<QVector<int>> rowSequences;
    QList<DeviceRow> deviceRows;
    QVector<int> dimFreq = QVector<int>(MaxSlaves, 0);
    bool rowLayoutBuilt = false;
    quint8 patternPhase = 0; // phase and direction flags of the patterns
    QList<CustomControls::Slider *> switchSliders;
    quint16 lastPosition = 0;
    quint8 NumberOfDevices = 0;
    quint8 PixelsPerDevice = 0;
    quint8 NumberOfRows = 0;
    quint8 NumberOfCols = 0;
    QVector<QVector<quint8>> pixelMap;
    quint8 activeSwitchCount = 0;
    quint8 maxRowSwitches = 0;
    quint8 lastFadingLevel = 0;
    DeviceConfig driverConfig;
    quint16 p205RegisterImage[P205Registers] = {};
    quint16 peakScale1 = 0;
    quint16 peakScale2 = 0;
    quint16 rippleScale1 = 0;
    quint16 rippleScale2 = 0;
    QVBoxLayout *deviceAddressLayout = nullptr;
    quint32 flashStartAddress = FlashStartAddress;
    quint32 flashAddress = FlashStartAddress;
    Register SPI_IN_WR_TP404;
    Register SPI_OUT_WR_TP404;
    Register SPI_CRC_EXT_TP404;
    Register SPI_OUT_RD_TP404;
    Register SPI_MAPP404;
    quint8 p404SpiChannel = 0;
    double buckOnResistance = 0.5;
    double buckOffResistance = 0.33;

    QString m_portName;
};
