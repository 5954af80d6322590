#pragma once

#include "applet.h"
#include "boardpageaccess.h"
#include "eepromrecords.h"
#include "register.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QVector>

#include <memory>

class CSVReader;
class LocalClient;
class QAbstractSlider;
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
class Board : public Applet, public BoardPageAccess
{
    Q_OBJECT
public:
    // The form's size as board.ui lays it out: the program gives the page's window its size
    // by it before the page is built.
    static constexpr QSize FormSize{1395, 968};
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
    static constexpr int LiveSendDelayMs = 70; // from a duty's change to the live update

    explicit Board(QWidget *parent = nullptr);
    ~Board() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool updateItem(int mode, const QString &name) override;
    void onDisconnected() override;
    void onConnected() override;
    bool init() override;
    // A line to the KVL52404's chip select data that the page did not send (a reset, a write):
    // what the page knew the chip holds is forgotten.
    void onRawLine(const QByteArray &line) override;

    // The port the main window showed when the page was built.
    QString portName() const { return m_portName; }
    LocalClient *ledDriverClient() const { return m_ledDriverClient; }

    // "The port": the link's port while connected (a pipe "open" of a device counts), else the
    // text of the connection bar.
    QString currentPort() const;

    // Pauses a command for ms milliseconds (CommandPause: the window system is served, a
    // person's input waits for the command's end). A test may install a hook that records the
    // pause and returns at once; null restores the pause.
    static void delayMs(unsigned ms);
    using DelayHook = void (*)(unsigned ms);
    static void setDelayHook(DelayHook hook);

    // The KVL52404 register map's definition: 64 addresses of 21 bits, each field tagged with
    // its address (ADD) and whether it holds data (DATA 1) or fills (DATA 0).
    static QString p404MapDefinition();

    // ===== matrix configuration and layout (board_layout*.cpp) =====
    void loadConfiguration(const QString &fileName);
    void relayoutMatrix();
    void allOn();
    void allOff();
    QStringList deviceAddressTexts() const override;
    void setBuck1Enabled(bool on) override;
    void setBuck2Enabled(bool on) override;
    // ----- layout: further public members below -----


    // ===== matrix motion (board_motion*.cpp) =====
    bool setDcRegister(quint8 switchNumber, quint16 value);
    quint16 dcRegister(quint8 switchNumber);
    // Whether the model holds value (at most the largest duty) as the switch's duty.
    bool holdsDuty(quint8 switchNumber, quint16 value) const;
    // ----- motion: further public members below -----


    // ===== live sending and flash image (board_livesend*.cpp, board_flash*.cpp) =====
    bool readBankRegister(int word);
    bool writeBankRegister(int word, quint8 count);
    bool writeBankXRegister(int word, quint8 count);
    static quint32 crc32(const quint8 *data, int length);
    static int crc8(QByteArray data);
    void sendFlashLegacy(quint32 address);
    // The block write pass: flashAddress := flashStartAddress, then every 256-byte block of
    // the padded image as a "set flash=" line, 200 ms after each. True when every block was
    // acknowledged.
    bool writeFlashBlocks(const QByteArray &paddedImage);
    // ----- livesend: further public members below -----
    // The map-enable frame of the chip at address: sync, PID1 (command frame), 0x8F, 0x01 and
    // the CRC-8 of the three bytes after the sync.
    static QByteArray mapEnableFrame(int address);
    // "set P110MAPENAREG=" with the address (two hex digits), the mode and kind fields and the
    // frame bytes in hex.
    static QByteArray mapCommand(int address, const char *modeAndKind, const QByteArray &frame);


    // ===== command handler (board_commands*.cpp) =====
    // ----- commands: further public members below -----


    // ===== hardware set-up and driver detection (board_setup*.cpp) =====
    void setupHardware();
    bool readDriverEepromConfig();
    // ----- setup: further public members below -----
    // The current ratings of the fitted driver board: its EEPROM's or the chip's defaults.
    struct DriverRatings {
        quint16 ripple1;
        quint16 ripple2;
        quint16 peak1;
        quint16 peak2;
    };
    DriverRatings driverRatings() const;


    // ===== power stages (board_p205*.cpp, board_p404*.cpp) =====
    void sendPwmSettings(int channel, quint16 duty, unsigned frequency);
    // The duty of LED-control line 1 or 2, which PWM then dims.
    void sendDuty(int channel, quint16 duty);
    double boostVoltageOfCode(int code) const;
    bool readVBoost();
    bool readVLed(int channel);
    void updateBuckPlot();
    void writeP404Defaults();
    bool SPI_Data_Transfere();
    // ----- power: further public members below -----
    // KVL52205 boost setpoint code of a voltage (rounded to 0.1 V first), at most 127.
    static int boostCodeOfVoltage(double volts);
    // KVL52205 buck comparator threshold of a code.
    static double buckThresholdOfCode(int code);
    // CRC-4 (x^4 + x + 1, most significant bit first) of one nibble, continuing from crc.
    static quint32 f_crc_T(quint32 data, quint32 crc);
    // CRC-4 of a frame's nibbles above bits 3..0; 15 for a size that is no multiple of 4 or
    // below 8.
    static quint32 CalculateCrc_T(Register &frame);
    // CRC-4 of every nibble of a block; 15 for a size that is no multiple of 4 or below 4.
    static quint32 CalculateCrc_Ext_T(Register &block);
    // Address of a KVL52404 map word in decimal text, or -1 when it is not one of 0..63.
    static int p404Address(const QString &text);
    // Y-axis top of a current plot for a peak current in mA.
    static int buckPlotTop(double peakMilliamps);


    // ===== animation scripts (board_script*.cpp, board_csvflash*.cpp) =====
    // ----- animation: further public members below -----
    // The script shown in the Animation tab, the scripts of the list table in row order and the
    // flash address just past the last block written or read.
    CSVReader *currentCsvScript() const { return currentScript.get(); }
    QVector<CSVReader *> scriptListEntries() const;
    quint32 nextFlashAddress() const { return flashAddress; }
    quint32 scriptFlashStart() const { return flashStartAddress; }

    // Shows currentScript: description, delay, one address row per device and the step list.
    void showCsvScript();
    void refreshStepList();
    // The step dialog filled from row (one spin box "SW" n per switch of every device, then
    // Save and Cancel), not yet run; the caller owns it.
    class QDialog *execStepDialog(const QStringList &row);
    // The layout below top that holds w as one of its own items, or null.
    static class QLayout *findLayoutOf(QWidget *w, QLayout *top);


public slots:
    // Status page: raw measurement codes shown as physical values.
    void on_leREG11_15_8_textChanged(const QString &text);
    void on_leREG12_7_0_textChanged(const QString &text);
    void on_leREG11_23_16_textChanged(const QString &text);
    void on_leREG12_15_8_textChanged(const QString &text);
    void on_leREG11_7_0_textChanged(const QString &text);

    // ===== layout slots =====
    void on_pbLoadConfiguration_clicked();
    void on_slAll_valueChanged(int value);
    void on_spAllDC_editingFinished();
    void SWMoved(int value);
    void on_cbByRow_clicked(bool checked);
    void on_cbBySW_clicked(bool checked);
    void on_cbByRowIndependent_clicked(bool checked);
    void on_cbExtended_clicked(bool checked);
    void addressChangedSlot();
    // ----- layout: further slots below -----


    // ===== motion slots =====
    void on_slHorizontal_valueChanged(int value);
    void on_slHorizontal_actionTriggered(int action);
    void on_slHorizontal_sliderReleased();
    void on_cbAutoupdate_clicked(bool checked);
    void on_pbReset_clicked();
    // ----- motion: further slots below -----
    // The stepping combo's text; named apart from the by-name connection, which has no text
    // signal to match in Qt 6.
    void steppingChanged(const QString &text);


    // ===== pattern, effect and device-action slots =====
    void pattern1();
    void pattern2();
    void pattern3();
    void on_pbPatternCustom_clicked();
    void slotEffectTimer();
    void on_cbStart_clicked(bool checked);
    void on_cbLeft_clicked(bool checked);
    void on_cbRight_clicked(bool checked);
    void getAddress(int address, int newAddress);
    void configurationClicked();
    void readMode();
    void goToNormalMode();
    void on_pbAA_clicked();
    void on_pbAdrDiscovery_clicked();
    void on_comboBox_currentIndexChanged(int index);
    // ----- effects: further slots below -----


    // ===== live-sending slots =====
    void sendData();
    void sendFWData();
    void on_cbBroadcast_clicked(bool checked);
    // ----- livesend: further slots below -----


    // ===== set-up slots =====
    void on_pbLVDSEN_clicked();
    void on_pbLVDSDIS_clicked();
    // ----- setup: further slots below -----


    // ===== power-stage slots =====
    bool MemoryRead(QStringList addresses);
    bool MemoryWrite(QStringList addresses);
    void SPI_err();
    // ----- power: further slots below -----
    // KVL52205 page
    void on_dialBoostVoltage_valueChanged(int code);
    void on_dialBoostVoltage_sliderMoved(int code);
    void on_leBoostVoltage_editingFinished();
    void on_cbBOOSTSRC_toggled(bool checked);
    void on_cbBOOSTEN_toggled(bool checked);
    void on_dialBuck1_valueChanged(int code);
    void on_dialBuck2_valueChanged(int code);
    void on_dialBuck1_sliderMoved(int code);
    void on_dialBuck2_sliderMoved(int code);
    void on_hsRIPPLE1_valueChanged(int code);
    void on_hsRIPPLE2_valueChanged(int code);
    void on_hsRIPPLE1_sliderMoved(int code);
    void on_hsRIPPLE2_sliderMoved(int code);
    void on_leRIPPLE1_editingFinished();
    void on_leRIPPLE2_editingFinished();
    void on_cbLEDCTRL1_toggled(bool checked);
    void on_cbLEDCTRL2_toggled(bool checked);
    void on_cbPWM1_toggled(bool checked);
    void on_cbPWM2_toggled(bool checked);
    void on_cbEN1_toggled(bool checked);
    void on_cbEN2_toggled(bool checked);
    // KVL52404 frames
    void on_pbBCK1VLED_clicked();
    void on_pbBCK2VLED_clicked();
    // KVL52404 page
    void on_dialVBOOST_valueChanged(int code);
    void slot_dialVBOOSTReleased();
    void on_cbBST1EN_clicked(bool checked);
    void on_cbBST2EN_clicked(bool checked);
    void on_cmBSTSOFTSTART_currentIndexChanged(int index);
    void on_cmBSTSRC_currentIndexChanged(int index);
    void on_cmBSTSRCFREQ_currentIndexChanged(int index);
    void on_dialBCK1AVG_valueChanged(int code);
    void on_dialBCK2AVG_valueChanged(int code);
    void slot_dialBCK1AVGReleased();
    void slot_dialBCK2AVGReleased();
    void on_sbBCK1RANGE_valueChanged(int value);
    void on_sbBCK2RANGE_valueChanged(int value);
    void on_sbBCK1RANGE_editingFinished();
    void on_sbBCK2RANGE_editingFinished();
    void on_sbBCK1DIMDUTY_valueChanged(int value);
    void on_sbBCK2DIMDUTY_valueChanged(int value);
    void on_sbBCK1DIMDUTY_editingFinished();
    void on_sbBCK2DIMDUTY_editingFinished();
    void on_cmBCK1FREQ_currentIndexChanged(int index);
    void on_cmBCK2FREQ_currentIndexChanged(int index);
    void on_cbBUCK1EN_P404_clicked(bool checked);
    void on_cbBUCK2EN_P404_clicked(bool checked);
    void on_cbBUCK1EN_clicked(bool checked);
    void on_cbBUCK2EN_clicked(bool checked);
    void on_pushButton_clicked();
    void calculateBUCK1_I_AVG();
    void calculateBUCK2_I_AVG();


    // ===== animation-script slots =====
    void on_pbFlashMCU_clicked();
    void on_sbDelay_valueChanged(int value);
    void on_pbStartAnimation_clicked();
    void on_pbStopAnimation_clicked();
    void on_pbContinueAnimation_clicked();
    void on_pbStartScript_clicked();
    void on_pbReadNTCs_clicked();
    // ----- animation: further slots below -----
    void deviceChangedSlot();
    void on_pbLoadCSV_clicked();
    void onListItemDoubleClicked(class QListWidgetItem *item);
    void on_pbAddStep_clicked();
    void on_pbSaveCSV_clicked();
    void on_sbDevices_valueChanged(int value);
    void on_pbAddToList_clicked();
    void on_pbRemoveFromList_clicked();
    void on_tableAnimationScripts_cellDoubleClicked(int row, int column);
    void on_pbSaveScript_clicked();
    void on_pbLoadScript_clicked();


private:
    void initUi();
    void initP404Combos();
    void initPlots();
    void bindGlobals();
    void defineP404Registers();

    // ----- layout: private members below -----
    // Loading a matrix configuration file, in its steps.
    bool readConfiguration(const QString &fileName, class MatrixConfiguration *config);
    void takeOverConfiguration(const class MatrixConfiguration &config);
    void unbindMatrix();
    void buildSwitchGrid();
    void buildMatrixSequences();
    void applyPositionMode();
    void buildDeviceArea();
    void rebindMatrix();
    // One switch: label, spin box and slider, bound to "DCREG[SW<n>]".
    QVBoxLayout *buildSwitchSliders(quint8 switchNumber);
    // The switches' spin boxes outlive a configuration: Qt 6.4's style-sheet style keeps a
    // cache entry for the inner line edit of every spin box it styled, after the box is gone,
    // so boxes are parked on a hidden widget and reused rather than built for every load.
    void parkDutyBoxes();
    class QSpinBox *takeDutyBox(QWidget *area);
    // One device group: address edit, configuration and mode buttons, mode combos.
    class QGroupBox *buildDeviceWidgets(quint8 device);
    void clearContainer(QWidget *container);
    // Gives slHorizontal a new range, centres it and connects its three slots again (once).
    void rewirePositionSlider(int maximum);
    // Keeps the buffers of switch n equal to its slider; false (nothing written) for a switch
    // that has no place in them.
    bool recordSwitchDuty(int switchNumber, int value);
    void setBuckEnabled(int channel, bool on);
    void setAllDuty(int duty);


    // ----- motion: private members below -----
    void connectMotionControls();
    void applyStepping(const QString &text);
    void connectPositionSlider();


    // ----- effects: private members below -----
    // How the patterns lay their shapes on the matrix, chosen by the mode check boxes.
    enum class PatternMode { None, BySwitch, ByRow, ByRowIndependent };
    // Flags of patternPhase.
    enum PatternPhaseBit : quint8 {
        AlternateSwitchPhase = 0x01,
        AlternateRowPhase = 0x02,
        RampSwitchDirection = 0x04,
        RampRowDirection = 0x08,
        RampRowIndependentDirection = 0x10,
    };
    void initEffects();
    PatternMode patternMode() const;
    QVector<QVector<int>> patternSequences(PatternMode mode) const;
    bool hasDutyOf(int switchNumber) const;
    void writeDuty(int switchNumber, int duty);
    void writeDuties(const QVector<int> &switches, const QVector<int> &duties);
    void readScenario(const QString &fileName);
    int effectInterval() const;
    int senderDeviceRow() const;
    int deviceAddress(int row) const;
    int targetDeviceRow();
    QWidget *deviceWidget(int row, const char *bindingName) const;

    // ----- livesend: private members below -----
    friend struct LiveSendProbe; // tests set the matrix and run the passes' pieces
    // The device rows' addresses in row order; a text that is no number counts as 0.
    QList<int> deviceAddresses() const;
    // Whether address has a map-enable record (0..31); warns when not.
    bool hasMapRecord(int address);
    // One "set flash=" block; false (and a debug trace) when the board did not take it.
    bool sendFlashBlock(quint32 address, const QByteArray &block);
    void enableMapsAndPlay(const QList<int> &rowAddresses);
    void wireSendTimer();
    void onSendTimeout();
    PhaseCalculator *phaseCalculator(int address);
    void sendDeviceRow(int d, int address);
    void broadcastMapEnable();


    // ----- commands: private members below -----
    // One named command: its help text, whether the dispatch goes on after it (so a call
    // fills the whole help table) and its action, whose value is the call's result.
    struct BoardCommand;
    static const QVector<BoardCommand> &commandTable();
    static QVector<BoardCommand> buildCommandTable();
    static void appendRegisterCommands(QVector<BoardCommand> &table);
    static void appendMatrixCommands(QVector<BoardCommand> &table);
    static void appendP205Commands(QVector<BoardCommand> &table);
    static void appendP404Commands(QVector<BoardCommand> &table);
    bool sendLine(const QByteArray &line, QByteArray *answer = nullptr);
    int slaveAddress() const;

    // Matrix commands (board_matrixcommands.cpp, board_bankcommands.cpp).
    bool writeRegisterZero();
    bool writeRegisterThirteen();
    bool writeRegisterFourteen();
    bool readRegisterSixteen();
    bool runBankLoop(int first, int last, bool read, unsigned pauseMs);
    bool writeOnOffTimes();
    QStringList onOffAddressList() const;
    bool roofPattern();
    void setSerialBusRate();
    void enableMapping();
    void sendBroadcastMapEnable(bool withWatchdogSelect);
    bool readOperatingMode(int row);
    bool changeToNormalMode(int row);
    bool targetRow(int row);
    QVector<quint8> mapAddresses();
    bool sendMapCommand(quint8 address, const char *modeKind, const QByteArray &frame);

    // Power-stage commands (board_powercommands.cpp).
    void readAdcVoltage(int address, const QString &field, double voltsPerCount,
                        Variable &target);
    bool readLedVoltage(int channel);
    bool readP205Status();
    void restartBoost();
    void resetP404();
    unsigned readP205(int address, bool *ok = nullptr);
    void setP205Image(int address, quint16 value);
    void setStatusField(const QString &field, unsigned value);


    // ----- setup: private members below -----
    void setupLedDriver(bool mockup);
    void detectLedDriver(bool mockup);
    void configureDriver();
    void configureP404Driver();
    void configureP205Driver();
    void resetPage();
    void setPowerTabsEnabled(bool p205, bool p404);
    void sendSetupCommands(const QList<QByteArray> &commands);
    void announceDriver(const QString &text);
    void takeDriverRatings(bool p404);
    void setDriverRatings(const DriverRatings &ratings);


    // ----- power: private members below -----
    friend struct PowerProbe; // tests reach the driver ratings, the button flag and the images
    // KVL52205 page
    void connectPowerDials();
    void updateP205Image(int address, int shift, int width, unsigned value);
    void writeP205Word(int address, quint16 word, bool toNewChip);
    void writeP205Register(int address);
    void setP205WordHeld(int address, bool held);
    void writeP205Item(const QString &item);
    void showP205Image();
    void showBuckThreshold(int channel, int code);
    void setBuckOffTime(int channel, int code, bool writeChip);
    void typedBuckOffTime(int channel);
    void ledControlToggled(int channel, bool checked);
    void pwmToggled(int channel, bool checked);
    void enablePwmWidgets(int channel, bool enabled);
    void calculateIPEAK(int channel);
    void calculateIRIPPLE(int channel);
    void calculateIAVERAGE(int channel);
    bool setOwn(const QString &name, const QVariant &value);
    // KVL52404 frames
    bool checkP404Addresses(const QStringList &addresses);
    void forgetP404Words();
    void forgetP404WordsAfterOthersFrames();
    void checkAnswerCrc(quint32 frame, quint32 answer, Register &answerRegister);
    void reportCrcFailure(const QString &text);
    // KVL52404 page
    bool writeP404Address(int address);
    quint32 p404Word(int address);
    bool isControlEdit() const;
    void writeAfterDialStep(QAbstractSlider *dial, int address);
    // What an edit of item changes beyond its controls: the chips' registers, the buck boxes.
    void followEdit(const QString &item);
    // A control's change of a map field; a refresh of the controls leaves the map alone.
    void editP404Field(const QString &field, quint32 value);
    void setP404BoostVoltage(int code);
    void followP404Word(int address);
    void setP404Field(const char *field, int value, int address);
    void chooseP404Field(const char *field, int index, int address);
    void buckSpinChanged(int channel, bool range, int value, bool onlyWhenChanged);
    void buckEnableP404(int channel, bool checked);
    QString buckDriver() const;
    void buckEnableFromApplication(int channel, bool checked);
    void showBuckEnables();
    void calculateBuckAverage(int channel);
    void updateBuckChannel(int channel);
    // While held, the current plots take their new curves without drawing them; the release
    // draws each plot that took one.
    void holdBuckPlots(bool hold);


    // ----- animation: private members below -----
    void connectScriptEditor();
    void addDeviceRow();
    void removeDeviceRow();
    void clearDeviceRows();
    void appendScriptRow(const CSVReader *script, int stepCount);
    bool runStepDialog(const QStringList &row, QStringList *values);
    void flashScriptImage(const QByteArray &image);
    void readBackFlash(const QByteArray &paddedImage);
    bool buildListImages(QList<QByteArray> *images);
    void refuseScript(const QString &reason);
    void sendPlayback(const QByteArray &command);
    void readNtcOf(int address, int field);



    Ui::Board *ui = nullptr;
    SpiP205 *spiP205 = nullptr;
    QTimer *sendTimer = nullptr;
    QTimer *effectTimer = nullptr;
    LocalClient *m_ledDriverClient = nullptr;
    MapEnaRecord mapEnaState[MaxSlaves];
    // A script lives while the Animation tab shows it or the list holds it.
    std::shared_ptr<CSVReader> currentScript;
    QVector<std::shared_ptr<CSVReader>> scriptList;
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
    QWidget *dutyBoxPark = nullptr; // hidden; holds the spin boxes no switch uses
    QList<class QSpinBox *> spareDutyBoxes;
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
    // A bit per address whose image word the chip holds: written or read since the set-up.
    quint16 p205WordsHeld = 0;
    // The KVL52404 map words the chip holds as far as the page knows, by address: written or
    // read since the set-up, forgotten when something else may have rewritten the chip.
    QHash<int, quint32> p404WordsSent;
    // The 32-bit SPI tool's frame count after the page's last frame (frames since are not ours).
    quint64 p404FramesSeen = 0;
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
    QSet<int> p404DialSteps; // map words whose write after a dial's step is on its way
    quint8 p404SpiChannel = 0;
    QByteArray p404DataName; // "SPILEDCS<channel>DATA", the chip select's data item
    double buckOnResistance = 0.5;
    double buckOffResistance = 0.33;
    bool buckPlotsHeld = false;
    bool buckPlotOwed = false;
    QList<class QCustomPlot *> undrawnBuckPlots;

    QString m_portName;
};
