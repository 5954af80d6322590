// The Animation tab's single script: loading a CSV script, its device address rows and its
// steps with the step dialog.
#include "board.h"

#include "csvreader.h"
#include "prompt.h"
#include "scriptimage.h"
#include "ui_board.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

namespace
{

const QString DevicePrefix = QStringLiteral("Device ");
const QString StepPrefix = QStringLiteral("Step ");
constexpr int MaxDeviceAddress = 31;

} // namespace

void Board::connectScriptEditor()
{
    connect(ui->listAnimationSteps, &QListWidget::itemDoubleClicked, this,
            &Board::onListItemDoubleClicked);
}

void Board::on_pbLoadCSV_clicked()
{
    const QString path = Prompt::openFile(QStringLiteral("Open File"), QStringLiteral("./Script/"),
                                          QStringLiteral("CSV file (*.csv)"));
    if (path.isEmpty())
        return;
    ui->lbCSV->setText(path);
    auto script = std::make_shared<CSVReader>();
    if (!script->read(path)) {
        emit signal_log(-1, script->errorString());
        return;
    }
    currentScript = std::move(script); // the one shown before goes unless the list holds it
    showCsvScript();
}

void Board::on_pbSaveCSV_clicked() {}

void Board::showCsvScript()
{
    ui->lbDescription->setText(QStringLiteral("Description: ") + currentScript->description);
    ui->sbDelay->setValue(currentScript->delay);
    // Setting the count must not add rows; afterwards exactly one connection is left.
    disconnect(ui->sbDevices, nullptr, this, nullptr);
    ui->sbDevices->setValue(currentScript->deviceCount);
    connect(ui->sbDevices, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &Board::on_sbDevices_valueChanged);
    clearDeviceRows();
    const int devices = currentScript->deviceCount;
    for (int i = 1; i <= devices; ++i) {
        on_sbDevices_valueChanged(i);
        const QList<QSpinBox *> boxes = ui->gbDevices->findChildren<QSpinBox *>();
        if (i <= currentScript->addresses.size()) // the row just added has the last box
            boxes.last()->setValue(ScriptImage::cellNumber(currentScript->addresses.at(i - 1)));
    }
    refreshStepList();
}

// Rows are added or removed until their number matches; the script keeps its addresses and
// steps.
void Board::on_sbDevices_valueChanged(int value)
{
    while (deviceAddressLayout->count() < value)
        addDeviceRow();
    while (deviceAddressLayout->count() > qMax(value, 0))
        removeDeviceRow();
    currentScript->deviceCount = quint8(value);
}

void Board::addDeviceRow()
{
    const int number = deviceAddressLayout->count() + 1;
    auto *label = new QLabel(DevicePrefix + QString::number(number));
    auto *address = new QSpinBox;
    address->setRange(0, MaxDeviceAddress);
    address->setValue(number);
    connect(address, &QSpinBox::editingFinished, this, &Board::deviceChangedSlot);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(address);
    deviceAddressLayout->addLayout(row);
    if (!ui->gbDevices->layout())
        ui->gbDevices->setLayout(deviceAddressLayout);
}

// The last row goes with its label and spin box.
void Board::removeDeviceRow()
{
    QLayoutItem *item = deviceAddressLayout->takeAt(deviceAddressLayout->count() - 1);
    if (QLayout *row = item->layout()) {
        while (QLayoutItem *cell = row->takeAt(0)) {
            delete cell->widget();
            delete cell;
        }
    }
    delete item;
}

void Board::clearDeviceRows()
{
    while (deviceAddressLayout->count() > 0)
        removeDeviceRow();
}

void Board::deviceChangedSlot()
{
    auto *address = qobject_cast<QSpinBox *>(sender());
    QLayout *row = address ? findLayoutOf(address, deviceAddressLayout) : nullptr;
    if (!row)
        return;
    // A row holds its label, "Device n", then its address box.
    const auto *label = static_cast<QLabel *>(row->itemAt(0)->widget());
    const int device = label->text().mid(DevicePrefix.size()).toInt();
    currentScript->setAddress(device - 1, QString::number(address->value()));
}

QLayout *Board::findLayoutOf(QWidget *w, QLayout *top)
{
    if (!top)
        return nullptr;
    for (QObject *child : top->children()) {
        auto *layout = qobject_cast<QLayout *>(child);
        if (!layout)
            continue;
        if (layout->indexOf(w) >= 0)
            return layout;
        if (QLayout *found = findLayoutOf(w, layout))
            return found;
    }
    return nullptr;
}

void Board::refreshStepList()
{
    ui->listAnimationSteps->clear();
    for (const QStringList &row : std::as_const(currentScript->steps))
        ui->listAnimationSteps->addItem(StepPrefix + row.value(0).trimmed());
    ui->lbSteps->setText(QStringLiteral("Steps ") + QString::number(currentScript->steps.size()));
}

QDialog *Board::execStepDialog(const QStringList &row)
{
    auto *dialog = new QDialog;
    auto *main = new QVBoxLayout(dialog);
    for (int device = 0; device < currentScript->deviceCount; ++device) {
        auto *columns = new QHBoxLayout;
        main->addLayout(columns);
        for (int k = 1; k <= ScriptImage::SwitchesPerDevice; ++k) {
            const int s = device * ScriptImage::SwitchesPerDevice + k;
            auto *column = new QVBoxLayout;
            columns->addLayout(column);
            auto *label = new QLabel(QStringLiteral("SW") + QString::number(s), dialog);
            label->setAlignment(Qt::AlignCenter);
            auto *value = new QSpinBox(dialog);
            value->setRange(0, ScriptImage::MaxSwitchValue);
            value->setValue(ScriptImage::cellNumber(row.value(s)));
            column->addWidget(label);
            column->addWidget(value);
        }
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, dialog);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(buttons);
    main->addLayout(bottom);
    return dialog;
}

// Runs the step dialog for row; on Save *values holds the spin boxes' values, SW1 first.
bool Board::runStepDialog(const QStringList &row, QStringList *values)
{
    const std::unique_ptr<QDialog> dialog(execStepDialog(row));
    if (dialog->exec() != QDialog::Accepted)
        return false;
    values->clear();
    for (const QSpinBox *box : dialog->findChildren<QSpinBox *>())
        values->append(QString::number(box->value()));
    return true;
}

// The new step counts on from the last one; the first step of a script is step 1.
void Board::on_pbAddStep_clicked()
{
    QStringList values;
    if (!runStepDialog(QStringList(), &values))
        return;
    unsigned number = 1;
    if (!currentScript->steps.isEmpty())
        number = currentScript->steps.last().value(0).trimmed().toUInt() + 1u;
    currentScript->appendStep(QStringList{QString::number(number)} + values);
    refreshStepList();
}

void Board::onListItemDoubleClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    bool ok;
    const quint16 number = QString(item->text()).remove(StepPrefix).trimmed().toUShort(&ok, 10);
    if (!ok || number < 1 || number > currentScript->steps.size())
        return;
    QStringList row = currentScript->steps.at(number - 1);
    QStringList values;
    if (!runStepDialog(row, &values))
        return;
    while (row.size() <= values.size())
        row.append(QString());
    row[0] = QString::number(number);
    for (int s = 1; s <= values.size(); ++s)
        row[s] = values.at(s - 1);
    currentScript->setStep(row, number - 1);
    refreshStepList();
}
