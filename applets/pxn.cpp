#include "pxn.h"

#include "applethost.h"
#include "appletslog.h"
#include "controlboard.h"
#include "prompt.h"
#include "pxnframe.h"
#include "pxnregisters.h"
#include "register.h"

#include "ui_pxn.h"

#include <QApplication>

namespace
{

constexpr int MaxSlaveAddress = 31;

Pxn *&current()
{
    static Pxn *pxn = nullptr;
    return pxn;
}

// Fills P1 and P2 from bits 0-6 and 8-14 and returns PID1, PID2 with the given fifth field
// (RBA or CSID) in PID2.
QPair<int, int> identifiers(Register &frame, const char *idField)
{
    frame.setField(QStringLiteral("[P1]"), quint32(oddParity7(*frame.select(0, 6))));
    frame.setField(QStringLiteral("[P2]"), quint32(oddParity7(*frame.select(8, 14))));
    const int pid1 =
        int(frame.getField(QStringLiteral("[P1]")) * 128 +
            frame.getField(QStringLiteral("[FT]")) * 32 + frame.getField(QStringLiteral("[SA]")));
    const int pid2 = int(
        frame.getField(QStringLiteral("[P2]")) * 128 + frame.getField(QStringLiteral("[BC]")) * 32 +
        frame.getField(QLatin1String("[") + QLatin1String(idField) + QLatin1String("]")));
    qCDebug(lcApplets) << "pid1 = " << pid1 << " pid2 = " << pid2;
    return {pid1, pid2};
}

// The bits of a view as a number, without the read signal (which would ask the owner's
// device hook to read the board again).
quint32 silentValue(const Register &view)
{
    quint32 value = 0;
    for (int i = 0; i < view.size() && i < 32; ++i)
        value |= quint32(view.bitValue(i)) << i;
    return value;
}

Register *bankWord(Register &bank, int word)
{
    return bank.selectByAttribute(QStringLiteral("REG"), QString::number(word));
}

} // namespace

Pxn::Pxn(QWidget *parent) : Applet(parent), ui(new Ui::Pxn)
{
    ui->setupUi(this);
    ui->tabWidget->setAccessibleName(QStringLiteral("Frame pages"));
    setWindowTitle(QStringLiteral("Pxn frame control"));
    m_writeData = {ui->leW_BANK_D1, ui->leW_BANK_D2,  ui->leW_BANK_D3,  ui->leW_BANK_D4,
                   ui->leW_BANK_D5, ui->leW_BANK_D6,  ui->leW_BANK_D7,  ui->leW_BANK_D8,
                   ui->leW_BANK_D9, ui->leW_BANK_D10, ui->leW_BANK_D11, ui->leW_BANK_D12};
    m_readData = {ui->leR_BANK_D1, ui->leR_BANK_D2,  ui->leR_BANK_D3,  ui->leR_BANK_D4,
                  ui->leR_BANK_D5, ui->leR_BANK_D6,  ui->leR_BANK_D7,  ui->leR_BANK_D8,
                  ui->leR_BANK_D9, ui->leR_BANK_D10, ui->leR_BANK_D11, ui->leR_BANK_D12};
    current() = this;
}

Pxn::~Pxn()
{
    if (current() == this)
        current() = nullptr;
    delete ui;
}

Pxn *Pxn::instance()
{
    return current();
}

bool Pxn::init()
{
    PxnRegisters &registers = pxnRegisters();
    addVariable(&registers.Bank_layout);
    addRegister(&registers.W_BANK);
    addRegister(&registers.R_BANK);
    // The form enables DATA1..DATA4; the edits follow the frames' lengths from the start.
    enableDataEdits(QStringLiteral("W_BANK"));
    enableDataEdits(QStringLiteral("R_BANK"));
    return true;
}

QPair<int, int> Pxn::frameIdentifiers(Register &frame, const char *idField)
{
    return identifiers(frame, idField);
}

bool Pxn::crcCheckEnabled() const
{
    return ui->CRC_check->isChecked();
}

QCheckBox *Pxn::crcCheckBox() const
{
    return ui->CRC_check;
}

bool Pxn::sendFrame(int pid1, int pid2, const QByteArray &data)
{
    if (data.size() > PxnFrame::MaxDataBytes)
        return false;
    const QByteArray frame = PxnFrame::build(pid1, pid2, data, true);
    qCDebug(lcApplets) << "checksum" << quint8(frame.back());
    return AppletHost::instance()->controlBoard()->send(PxnFrame::command(FirstLead, frame), nullptr);
}

bool Pxn::requestFrame(int pid1, int pid2, QByteArray &data, unsigned &crc, int answerBytes,
                       int leadByte)
{
    ControlBoard *board = AppletHost::instance()->controlBoard();
    const QByteArray request = PxnFrame::build(pid1, pid2, QByteArray(), false);
    // Without the request on the bus, whatever the board still holds is a stale answer.
    if (!board->send(PxnFrame::command(leadByte, request), nullptr))
        return false;
    QByteArray answer;
    bool result = board->send("get SER2DATA", &answer);
    QByteArray received;
    quint8 receivedCrc = 0;
    if (!PxnFrame::parseAnswer(answer, answerBytes, &received, &receivedCrc)) {
        qCDebug(lcApplets) << "Reading failed";
        return false;
    }
    data = received;
    crc = receivedCrc;
    if (crcCheckEnabled()) {
        const unsigned computed = PxnFrame::crc8(pid1, pid2, received);
        result = (crc == computed);
        if (!result && triggeredByControl)
            reportCrcFailure(crc, computed);
    }
    return result;
}

void Pxn::reportCrcFailure(unsigned received, unsigned computed)
{
    QApplication::beep();
    Prompt::Message message;
    message.icon = Prompt::NoIcon;
    message.text =
        QStringLiteral("CRC failed! ") +
        QStringLiteral("CRC value is %1 and calculate is %2.").arg(received).arg(computed);
    Prompt::show(message);
}

bool Pxn::readAnswer(int pid1, int pid2, QByteArray &data, int answerBytes, int attempts)
{
    bool result = false;
    unsigned crc = 0;
    for (int attempt = 0; attempt < attempts && !result; ++attempt)
        result =
            requestFrame(pid1, pid2, data, crc, answerBytes, attempt == 0 ? FirstLead : RepeatLead);
    dumpBytes(data);
    if (!result)
        data = QByteArray(answerBytes, '\0');
    return result;
}

bool Pxn::transferBank(Register &bank, int sa, int rba, bool read, quint8 count, quint8 broadcast)
{
    // The frame's five-bit address field would turn any other number into another chip's.
    if (sa < 0 || sa > MaxSlaveAddress) {
        emit signal_log(
            1, QStringLiteral("No bank transfer: %1 is not a slave address (0..31)").arg(sa));
        return false;
    }
    if (read)
        return readBankWord(bank, sa, rba);
    if (count < 1 || count > 4)
        return false;
    return writeBankWords(bank, sa, rba, count, broadcast == 1);
}

bool Pxn::readBankWord(Register &bank, int sa, int rba)
{
    Register &frame = pxnRegisters().R_BANK;
    frame.setField(QStringLiteral("[BC]"), 0);
    frame.setField(QStringLiteral("[RBA]"), quint32(rba));
    frame.setField(QStringLiteral("[SA]"), quint32(sa));
    const QPair<int, int> pid = identifiers(frame, "RBA");
    QByteArray data;
    const bool result = readAnswer(pid.first, pid.second, data, 3, 4);
    frame.setFromByteArray(data, 24, 16, 1, false);
    const quint32 word =
        silentValue(*frame.selectByAttribute(QStringLiteral("DATA_BC"), QStringLiteral("0")));
    bankWord(bank, rba)->setValue(word, true);
    return result;
}

bool Pxn::writeBankWords(Register &bank, int sa, int rba, int count, bool broadcast)
{
    Register &frame = pxnRegisters().W_BANK;
    frame.setField(QStringLiteral("[BC]"), quint32(count - 1));
    frame.setField(QStringLiteral("[RBA]"), quint32(rba));
    frame.setField(QStringLiteral("[SA]"), quint32(sa));
    frame.setField(QStringLiteral("[FT]"), broadcast ? 2 : 1);
    qCDebug(lcApplets) << "FT" << (broadcast ? 2 : 1);
    const QPair<int, int> pid = identifiers(frame, "RBA");
    for (int i = 0; i < count; ++i) {
        const quint32 word = silentValue(*bankWord(bank, rba + i));
        frame.selectByAttribute(QStringLiteral("DATA_BC"), QString::number(i))
            ->setValue(word, true);
    }
    const QByteArray data = frame.toByteArray(true, false).mid(2, 3 * count);
    return sendFrame(pid.first, pid.second, data);
}

bool Pxn::readCommandFrame(Register &command, int answerBytes, bool refresh)
{
    Register &wBank = pxnRegisters().W_BANK;
    wBank.setField(QStringLiteral("[BC]"), 0);
    command.setField(QStringLiteral("[BC]"), wBank.getField(QStringLiteral("[BC]")));
    command.setField(QStringLiteral("[SA]"), wBank.getField(QStringLiteral("[SA]")));
    const QPair<int, int> pid = identifiers(command, "CSID");
    QByteArray data;
    const bool result = readAnswer(pid.first, pid.second, data, answerBytes, 2);
    command.setFromByteArray(data, int(data.size()) * 8, 16, 1, false);
    if (refresh)
        slot_updateAllControls();
    return result;
}

void Pxn::dumpBytes(const QByteArray &bytes)
{
    for (char byte : bytes)
        qCDebug(lcApplets) << quint8(byte);
}
