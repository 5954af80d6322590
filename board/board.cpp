#include "board.h"

#include "applethost.h"
#include "boardglobals.h"
#include "commandpause.h"
#include "controlboard.h"
#include "csvreader.h"
#include "localclient.h"
#include "phasecalculator.h"
#include "spip205.h"
#include "ui_board.h"

#include <QTimer>
#include <QVBoxLayout>

Board::Board(QWidget *parent) : Applet(parent), ui(new Ui::Board)
{
    ui->setupUi(this);
    initUi();
    setWindowTitle(QStringLiteral("KVL52110"));
    deviceAddressLayout = new QVBoxLayout;
    spiP205 = new SpiP205;
    // The main window exists before the board page; its port list is still empty here.
    m_portName = AppletHost::instance()->chosenPort();
    sendTimer = new QTimer(this);
    wireSendTimer();
    effectTimer = new QTimer(this);
    initEffects();
    currentScript = std::make_shared<CSVReader>();
    connectScriptEditor();
    // Kept for the LED-driver pipe; nothing is sent through it.
    m_ledDriverClient = new LocalClient(QStringLiteral("\\\\.\\pipe\\LEDDriver"), 500);
    ui->pushButton->setVisible(true);
    BoardPageAccess::install(this);
    connectMotionControls();
    connectPowerDials();
}

Board::~Board()
{
    if (BoardPageAccess::instance() == this)
        BoardPageAccess::install(nullptr);
    delete ui;
    for (const auto &entry : qAsConst(phaseCalculators))
        delete entry.first;
    delete sendTimer;
    delete effectTimer;
    delete m_ledDriverClient;
    delete spiP205;
    delete deviceAddressLayout;
}

// A write of BOOSTPWM starts or stops the controller's PWM 1; an edit of a KVL52205 item
// writes the chip's registers that no longer match it. The other items have nothing to read or
// write, so a bulk transfer of every item fails on none.
bool Board::updateItem(int mode, const QString &name)
{
    if (mode == 0)
        followEdit(name);
    if (mode != 0 || name != QLatin1String("BOOSTPWM"))
        return true;
    ControlBoard *link = AppletHost::instance()->controlBoard();
    if (!link)
        return false;
    const bool stop = boardGlobals().BOOSTPWM.value() == 0.0;
    return link->send(stop ? QByteArrayLiteral("set PWM1STOP") : QByteArrayLiteral("set PWM1START"),
                      nullptr);
}

// The KVL52404 map is written by the tab's controls and by Write: an edit of it by name stays in
// the model until then.
void Board::followEdit(const QString &item)
{
    if (isEditing())
        writeP205Item(item);
    if (item == QLatin1String("SPI_MAPP404") || item == QLatin1String("BUCK1") ||
        item == QLatin1String("BUCK2"))
        showBuckEnables();
}

namespace
{
Board::DelayHook delayHook = nullptr;
}

void Board::delayMs(unsigned ms)
{
    if (delayHook)
        delayHook(ms);
    else
        CommandPause::wait(ms);
}

void Board::setDelayHook(DelayHook hook)
{
    delayHook = hook;
}

QString Board::currentPort() const
{
    AppletHost *host = AppletHost::instance();
    ControlBoard *link = host->controlBoard();
    if (link && link->isConnected())
        return link->portName();
    return host->chosenPort();
}
