// The KVL52404 page's current estimate per buck channel: average, ripple and peak current and
// the coil-current waveform over two switching periods.
#include "board.h"

#include "boardglobals.h"
#include "ui_board.h"

#include <qcustomplot.h>

#include <cmath>
#include <utility>

namespace
{

// Peak current in mA above which the y axis grows to the given top.
struct AxisStep {
    double above;
    int top;
};
const AxisStep AxisSteps[] = {{2700, 3200}, {2300, 2800}, {1900, 2400},
                              {1500, 2000}, {1100, 1600}, {700, 1200}};
constexpr int DefaultTop = 800;
constexpr double PeriodsShown = 2.2;

QString oneDecimal(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

int Board::buckPlotTop(double peakMilliamps)
{
    for (const AxisStep &step : AxisSteps) {
        if (peakMilliamps > step.above)
            return step.top;
    }
    return DefaultTop;
}

void Board::updateBuckPlot()
{
    if (buckPlotsHeld) {
        buckPlotOwed = true;
        return;
    }
    updateBuckChannel(1);
    updateBuckChannel(2);
}

// A frequency code beyond the table shows no frequency and no estimate; a period that is not
// a positive number leaves the plot as it was.
void Board::updateBuckChannel(int channel)
{
    const bool one = channel == 1;
    const BoardGlobals &g = boardGlobals();
    const double vin = ui->leVBSTV->value();
    const double current = (one ? g.IAVERAGE1 : g.IAVERAGE2).value() / 1000;
    (one ? ui->leIAVERAGE1P404 : ui->leIAVERAGE2P404)->setText(oneDecimal(current * 1000));

    QLineEdit *frequencyText = one ? ui->leFREQ1P404_2 : ui->leFREQ2P404_2;
    QLineEdit *rippleText = one ? ui->leIRIPPLE1P404 : ui->leIRIPPLE2P404;
    QLineEdit *peakText = one ? ui->leIPEAK1P404 : ui->leIPEAK2P404;
    const quint32 code = SPI_MAPP404.getField(QStringLiteral("[BUCK%1_FREQ]").arg(channel));
    if (code >= quint32(g.buckFrequencyTable.size())) {
        for (QLineEdit *text : {frequencyText, rippleText, peakText})
            text->clear();
        return;
    }
    const double vled = (one ? g.VLED1 : g.VLED2).value();
    const double coil = one ? rippleScale1 : rippleScale2;
    const double kHz = g.buckFrequencyTable.at(int(code));
    frequencyText->setText(QString::number(kHz, 'g', 6));

    const double r1 = buckOnResistance * current;
    const double r2 = buckOffResistance * current;
    const double ripple = (vin - vled - r1) * (vled + r2) * 1000 / ((vin - r1 + r2) * coil * kHz);
    rippleText->setText(oneDecimal(ripple * 1000));
    const double peak = (ripple * 0.5 + current) * 1000;
    peakText->setText(oneDecimal(peak));

    const double tOn = coil * ripple / (vin - vled - r1);
    const double period = tOn + coil * ripple / (r2 + vled);
    if (!std::isfinite(period) || period <= 0)
        return;
    const double low = peak - 1000 * ripple;
    QCustomPlot *plot = one ? ui->plotCH1 : ui->plotCH2;
    plot->graph(0)->setData({0, tOn, period, tOn + period, 2 * period},
                            {low, peak, low, peak, low});
    plot->yAxis->setRange(0, buckPlotTop(peak));
    plot->xAxis->setRange(0, PeriodsShown * period);
    if (!buckPlotsHeld)
        plot->replot();
    else if (!undrawnBuckPlots.contains(plot))
        undrawnBuckPlots.append(plot);
}

// While held, the estimates are worked out once, at the release, from what the page then
// shows; the plots are drawn when the program next takes up its events, as a window is painted.
void Board::holdBuckPlots(bool hold)
{
    if (hold) {
        buckPlotsHeld = true;
        return;
    }
    if (std::exchange(buckPlotOwed, false)) {
        updateBuckChannel(1);
        updateBuckChannel(2);
    }
    buckPlotsHeld = false;
    for (QCustomPlot *plot : std::exchange(undrawnBuckPlots, {}))
        plot->replot(QCustomPlot::rpQueuedReplot);
}
