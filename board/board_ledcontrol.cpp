// The driver's LED-control lines, produced by the controller's PWM outputs: statically on, off,
// or dimmed by PWM. Channel 1 uses PWM output 0, channel 2 PWM output 2.
#include "board.h"

#include "applethost.h"
#include "boardglobals.h"
#include "controlboard.h"
#include "ui_board.h"

namespace
{

constexpr quint16 FullDuty = 100;

int pwmOutput(int channel)
{
    return channel == 1 ? 0 : 2;
}

QString ledControlName(int channel)
{
    return QStringLiteral("LEDCTRL%1").arg(channel);
}

QString pwmName(int channel)
{
    return QStringLiteral("PWM%1").arg(channel);
}

} // namespace

// A zero duty with a frequency only sets the frequency; a duty without a frequency only sets
// the duty. Each command goes out by itself; answers are not examined. A refresh of the page's
// controls sends nothing.
void Board::sendPwmSettings(int channel, quint16 duty, unsigned frequency)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    if (!link || isRefreshing())
        return;
    if (duty > FullDuty)
        duty = FullDuty;
    const QByteArray prefix = QByteArrayLiteral("set PWM") + QByteArray::number(channel);
    if (frequency != 0)
        link->send(prefix + "FREQ=" + QByteArray::number(frequency), nullptr);
    if (frequency == 0 || duty != 0)
        link->send(prefix + "DUTY=" + QByteArray::number(duty), nullptr);
}

void Board::enablePwmWidgets(int channel, bool enabled)
{
    const bool one = channel == 1;
    for (QWidget *w :
         {static_cast<QWidget *>(one ? ui->leFREQ1 : ui->leFREQ2),
          static_cast<QWidget *>(one ? ui->pbBoard_setCLKFreq1 : ui->pbBoard_setCLKFreq2),
          static_cast<QWidget *>(one ? ui->leDUTY1 : ui->leDUTY2),
          static_cast<QWidget *>(one ? ui->pbBoard_setDuty1 : ui->pbBoard_setDuty2)})
        w->setEnabled(enabled);
}

// Each box writes its own variable, and turning one box of a channel on turns the other's
// variable off, so that the boxes of both power-stage tabs follow the variables.
void Board::ledControlToggled(int channel, bool checked)
{
    setOwn(ledControlName(channel), int(checked));
    if (checked) {
        setOwn(pwmName(channel), 0);
        enablePwmWidgets(channel, false);
        sendPwmSettings(pwmOutput(channel), FullDuty, 0);
    } else if (!(channel == 1 ? ui->cbPWM1 : ui->cbPWM2)->isChecked()) {
        sendPwmSettings(pwmOutput(channel), 0, 0);
    }
}

void Board::pwmToggled(int channel, bool checked)
{
    setOwn(pwmName(channel), int(checked));
    enablePwmWidgets(channel, checked);
    if (checked) {
        setOwn(ledControlName(channel), 0);
        const Variable &duty = channel == 1 ? boardGlobals().DUTY1 : boardGlobals().DUTY2;
        sendPwmSettings(pwmOutput(channel), quint16(int(duty.value())), 0);
    } else if (!(channel == 1 ? ui->cbLEDCTRL1 : ui->cbLEDCTRL2)->isChecked()) {
        sendPwmSettings(pwmOutput(channel), 0, 0);
    }
}

// A duty sent by its command dims the line by PWM: the page shows PWM on and the static line
// off, as after the user's tick of PWM, and the duty goes out once.
void Board::sendDuty(int channel, quint16 duty)
{
    BoardGlobals &g = boardGlobals();
    Variable &pwm = channel == 1 ? g.PWM1 : g.PWM2;
    if (pwm.value() == 0) {
        Variable &led = channel == 1 ? g.LEDCTRL1 : g.LEDCTRL2;
        runAsRefresh([&pwm, &led]() {
            led.setValue(0, Variable::InternalKey);
            pwm.setValue(1, Variable::InternalKey);
        });
        enablePwmWidgets(channel, true);
    }
    sendPwmSettings(pwmOutput(channel), duty, 0);
}

void Board::on_cbLEDCTRL1_toggled(bool checked)
{
    ledControlToggled(1, checked);
}

void Board::on_cbLEDCTRL2_toggled(bool checked)
{
    ledControlToggled(2, checked);
}

void Board::on_cbPWM1_toggled(bool checked)
{
    pwmToggled(1, checked);
}

void Board::on_cbPWM2_toggled(bool checked)
{
    pwmToggled(2, checked);
}
