// Completion of the board form: validators, the KVL52404 selection lists and the current plots.
#include "board.h"

#include "boardglobals.h"
#include "ui_board.h"

#include <QCoreApplication>
#include <QEvent>
#include <QIntValidator>
#include <qcustomplot.h>

namespace
{

// "k. text" items, k counting from first.
QStringList numberedItems(const QStringList &texts, int first)
{
    QStringList items;
    for (int i = 0; i < texts.size(); ++i)
        items << QStringLiteral("%1. %2").arg(first + i).arg(texts.at(i));
    return items;
}

template <typename T>
QStringList withUnit(const QVector<T> &values, const QString &unit, int decimals)
{
    QStringList texts;
    for (T value : values)
        texts << QString::number(double(value), 'f', decimals) + unit;
    return texts;
}

// uic lays out the first page of each tab widget while it builds the form, so the combo boxes
// there measure themselves while still empty, and a combo box keeps that minimum size until
// its style changes. Each one filled after the form was built is told to measure its items.
void fill(QComboBox *combo, const QStringList &items)
{
    combo->addItems(items);
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(combo, &styleChange);
}

void setupPlot(QCustomPlot *plot)
{
    QCPGraph *graph = plot->addGraph();
    graph->setPen(QPen(Qt::red));
    graph->setName(QStringLiteral("Output current"));
    plot->xAxis->setLabel(QStringLiteral("Time [us]"));
    plot->yAxis->setLabel(QStringLiteral("Current [mA]"));
}

} // namespace

void Board::initUi()
{
    ui->leEffectTime->setValidator(new QIntValidator(70, 9999, ui->leEffectTime));
    ui->leW_BANK_SA_2->setValidator(new QIntValidator(-1, 31, ui->leW_BANK_SA_2));
    ui->leW_BANK_SA_3->setValidator(new QIntValidator(-1, 31, ui->leW_BANK_SA_3));
    initP404Combos();
    initPlots();
    // The animation lists draw their own grey frame: it turns orange while one has the keyboard,
    // as every other list's frame does.
    for (QWidget *list : {static_cast<QWidget *>(ui->listAnimationSteps),
                          static_cast<QWidget *>(ui->tableAnimationScripts)})
        list->setStyleSheet(list->styleSheet() +
                            QStringLiteral("\n*:focus { border-color: orange; }"));
    // What no label names reads as what it is: the pages, the tutorial, and each measure that a
    // status register's row shows beside its raw value.
    const std::pair<QWidget *, const char *> names[] = {
        {ui->tabWidget, "Board pages"},    {ui->plainTextEdit, "Tutorial"},
        {ui->leTemp, "Temperature in °C"}, {ui->leVDD, "VDD in V"},
        {ui->leADCX, "ADCX in V"},         {ui->leVBB, "VBB in V"},
        {ui->leVLED, "VLED in V"}};
    for (const auto &[widget, name] : names)
        widget->setAccessibleName(QString::fromUtf8(name));
}

void Board::initP404Combos()
{
    const BoardGlobals &g = boardGlobals();
    const QStringList buckFrequencies =
        numberedItems(withUnit(g.buckFrequencyTable, QStringLiteral(" kHz"), 0), 1);
    fill(ui->cmBCK1FREQ, buckFrequencies);
    fill(ui->cmBCK2FREQ, buckFrequencies);
    fill(ui->cmBSTSRCFREQ,
         numberedItems(withUnit(g.boostSourceFrequencyTable, QStringLiteral(" kHz"), 2), 0));
    fill(ui->cmBSTSOFTSTART,
         QStringList(QStringLiteral("0. Soft-start OFF")) +
             numberedItems(withUnit(g.boostSoftStartTable, QStringLiteral(" us"), 0), 1));
    fill(ui->cmBSTSRC, numberedItems(g.boostClockSourceTexts, 0));
    const QStringList regulation = numberedItems(g.iripStatusTexts, 0);
    fill(ui->cmBUCK1_REGSTATUS, regulation);
    fill(ui->cmBUCK2_REGSTATUS, regulation);
}

void Board::initPlots()
{
    setupPlot(ui->plotCH1);
    setupPlot(ui->plotCH2);
}
