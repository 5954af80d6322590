// Loading a matrix configuration file: the switch grid, the device groups and the bookkeeping
// that the position slider, the patterns and live sending work on.
#include "board.h"

#include "accessiblenames.h"
#include "applethost.h"
#include "boardglobals.h"
#include "lineedit.h"
#include "matrixconfiguration.h"
#include "prompt.h"
#include "regularfile.h"
#include "slider.h"
#include "ui_board.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QTextStream>

using CustomControls::AccessibleNames;

namespace
{

const char *const CountsRefused = "Please check the configuration.\n The Number of devices must "
                                  "be 1 or 2,\n number of cols must be less than 25,\n number of "
                                  "rows must be less than 5.";
const char *const TooManySwitches = "Number of activ SW is bigger than possible pixels in total!";

// The most read from a matrix configuration file: a few lines per switch of a few dozen.
constexpr qint64 MaxConfigurationSize = RegularFile::MiB;

// A file that cannot be read is named (RegularFile) with the way out; a cancelled choice gives
// no name and gets no way out.
QString openFailure(const QString &fileName, const QString &reason)
{
    if (fileName.isEmpty())
        return QStringLiteral("No file name specified");
    return QStringLiteral("Cannot read the matrix configuration file: %1.\nChoose a "
                          "configuration file with \"Load configuration\" in LED Control, or "
                          "put one at that path.")
        .arg(reason);
}

} // namespace

void Board::on_pbLoadConfiguration_clicked()
{
    // A cancelled dialog gives an empty name, which the loader reports as an open failure.
    loadConfiguration(Prompt::openFile(
        QStringLiteral("Open configuration file"),
        AppletHost::instance()->dataPath(QStringLiteral("configuration")),
        QStringLiteral("Text files (*.txt)")));
}

// A refused file changes nothing: the file is read into a copy of the current configuration,
// and only a copy that passes both checks replaces it.
void Board::loadConfiguration(const QString &fileName)
{
    MatrixConfiguration config(NumberOfDevices, PixelsPerDevice, NumberOfRows, NumberOfCols,
                               pixelMap);
    if (!readConfiguration(fileName, &config))
        return;
    if (!config.countsValid()) {
        Prompt::warn(QStringLiteral("Load configuration"), QLatin1String(CountsRefused));
        return;
    }
    if (config.tooManySwitches()) {
        Prompt::warn(QStringLiteral("Error"), QLatin1String(TooManySwitches));
        return;
    }
    takeOverConfiguration(config);

    unbindMatrix();
    parkDutyBoxes();
    clearContainer(ui->SWwidget);
    clearContainer(ui->DeviceWidget);
    deviceRows.clear(); // their widgets are gone

    buildSwitchGrid();
    buildMatrixSequences();
    rowLayoutBuilt = false;
    applyPositionMode();
    buildDeviceArea();
    addressChangedSlot();
    rebindMatrix();
    ui->pbPatternCustom->setEnabled(true);
    allOff();
}

bool Board::readConfiguration(const QString &fileName, MatrixConfiguration *config)
{
    QByteArray bytes;
    QString error;
    if (!RegularFile::read(fileName, MaxConfigurationSize, &bytes, &error)) {
        Prompt::inform(QStringLiteral("Error"), openFailure(fileName, error));
        return false;
    }
    QTextStream in(&bytes, QIODevice::ReadOnly);
    QString line;
    while (in.readLineInto(&line))
        config->readLine(line);
    return true;
}

void Board::takeOverConfiguration(const MatrixConfiguration &config)
{
    NumberOfDevices = config.devices;
    PixelsPerDevice = config.pixels;
    NumberOfRows = config.rows;
    NumberOfCols = config.cols;
    pixelMap = config.map;
}

// Drops the bindings of the old switch sliders and address edits, so edits of widgets about
// to be deleted write nothing.
void Board::unbindMatrix()
{
    for (CustomControls::Slider *slider : std::as_const(switchSliders)) {
        if (!AccessibleNames::bindingName(slider).contains(QLatin1String("DCREG")))
            continue;
        slider->disconnectChanged();
        removeItem(slider->registerName(1));
    }
    switchSliders.clear();
    const auto edits = ui->DeviceWidget->findChildren<CustomControls::LineEdit *>();
    for (CustomControls::LineEdit *edit : edits) {
        if (!AccessibleNames::bindingName(edit).contains(QLatin1String("SA")))
            continue;
        edit->disconnectChanged();
        removeItem(edit->registerName(1));
    }
}

void Board::buildSwitchGrid()
{
    auto *grid = new QGridLayout;
    activeSwitchCount = 0;
    for (int r = 0; r < NumberOfRows; ++r)
        for (int c = 0; c < NumberOfCols; ++c) {
            const quint8 cell = pixelMap.at(r).at(c);
            if (cell == 0)
                continue;
            grid->addLayout(buildSwitchSliders(cell), r, c);
            ++activeSwitchCount;
        }
    ui->SWwidget->setLayout(grid);
}

// Sizes the duty buffers and rebuilds the switch order and the per-row counts.
void Board::buildMatrixSequences()
{
    const int active = activeSwitchCount;
    dutyBySwitch = QVector<int>(active, 0);
    profile = QVector<int>(3 * active, 0);
    profileTarget.resize(3 * active);
    switchSequence = QVector<int>(active, 0);
    rowSwitchCount.clear();
    maxRowSwitches = 0;
    for (int r = 0; r < NumberOfRows; ++r) {
        const QVector<int> row = MatrixConfiguration::switchesOfRow(pixelMap, r, NumberOfCols);
        switchSequence += row;
        rowSwitchCount.append(row.size());
        maxRowSwitches = qMax<int>(maxRowSwitches, row.size());
    }
    switchSequence += QVector<int>(active, 0);
}

// Row, then row-independent mode stay as they are; otherwise switch mode becomes the mode.
void Board::applyPositionMode()
{
    if (ui->cbByRow->isChecked()) {
        on_cbByRow_clicked(true);
    } else if (ui->cbByRowIndependent->isChecked()) {
        on_cbByRowIndependent_clicked(true);
    } else {
        ui->cbBySW->setChecked(true);
        on_cbBySW_clicked(true);
    }
}

void Board::buildDeviceArea()
{
    auto *grid = new QGridLayout;
    for (int d = 0; d < NumberOfDevices; ++d)
        grid->addWidget(buildDeviceWidgets(quint8(d)), 0, d);
    ui->DeviceWidget->setLayout(grid);
}

// DCREG comes back when the old sliders took it away (it stays bound while nothing did), and
// moving a new slider writes its field.
void Board::rebindMatrix()
{
    if (!binding(boardGlobals().DCREG.name()))
        addRegister(&boardGlobals().DCREG);
    for (CustomControls::Slider *slider : std::as_const(switchSliders))
        if (AccessibleNames::bindingName(slider).contains(QLatin1String("DCREG")))
            initControls(slider);
}

void Board::relayoutMatrix()
{
    rowSequences.clear();
    rowScratch.clear();
    const int lead = 2 * maxRowSwitches;
    for (int r = 0; r < NumberOfRows; ++r) {
        QVector<int> sequence(lead, 0);
        sequence += MatrixConfiguration::switchesOfRow(pixelMap, r, NumberOfCols);
        rowSequences.append(sequence);
        rowScratch.append(QVector<int>(5 * maxRowSwitches + 1, 0));
    }
    rowLayoutBuilt = true;
}
