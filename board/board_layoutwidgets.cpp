// The widgets of the matrix area: one switch (label, spin box, slider), one device group, and
// emptying a container before it is rebuilt.
#include "board.h"

#include "accessiblenames.h"
#include "combobox.h"
#include "lineedit.h"
#include "pushbutton.h"
#include "slider.h"
#include "ui_board.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{

constexpr int MaxDuty = 1023;

const char *const ButtonSheet =
    "QPushButton {\n"
    "    border: 2px solid #8f8f91;\n"
    "    border-radius: 6px;\n"
    "    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #acacaf, "
    "stop:1 #dadbde);\n"
    "    font-weight: bold;\n"
    "}\n"
    "QPushButton:pressed {\n"
    "    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #dadbde, "
    "stop:1 #f6f7fa);\n"
    "}";
const char *const AddressSheet = "border: 1px solid gray; border-radius: 5px;";

const char *const OpModes[] = {"0. Not valid",
                               "1. OTP Config",
                               "2. Auto addressing",
                               "3. Reserved",
                               "4. Normal direct",
                               "5. Normal PWM",
                               "6. Normal Fail-safe OTP",
                               "7. Normal Fail-safe OPEN",
                               "8. Reserved",
                               "9. Reserved",
                               "10. Reserved",
                               "11. Reserved",
                               "12. NO_CRC direct",
                               "13. NO_CRC PWM",
                               "14. NO_CRC Fail-safe OTP",
                               "15. NO_CRC Fail-safe OPEN"};

QLabel *boldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A label and a combo box, each with a width range and a height of 20.
QHBoxLayout *labelledCombo(const QString &caption, QComboBox *combo, QWidget *parent)
{
    QLabel *label = boldLabel(caption, parent);
    CustomControls::AccessibleNames::setName(combo, caption);
    label->setMinimumSize(40, 20);
    label->setMaximumSize(80, 20);
    combo->setMinimumSize(150, 20);
    combo->setMaximumSize(190, 20);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(combo);
    return row;
}

// A column without spacing; nested, it has no margins of its own.
QVBoxLayout *tightColumn()
{
    auto *column = new QVBoxLayout;
    column->setSpacing(0);
    return column;
}

template <typename Button> Button *styledButton(const QString &text, QWidget *parent)
{
    auto *button = new Button(parent);
    button->setText(text);
    button->setStyleSheet(QLatin1String(ButtonSheet));
    return button;
}

} // namespace

QVBoxLayout *Board::buildSwitchSliders(quint8 switchNumber)
{
    const QString n = QString::number(switchNumber);
    QWidget *area = ui->SWwidget;
    QSpinBox *spin = takeDutyBox(area);

    auto *slider = new CustomControls::Slider(area);
    switchSliders.append(slider);
    slider->setMaximum(MaxDuty);
    slider->setOrientation(Qt::Vertical);
    slider->setTickPosition(QSlider::TicksRight);
    slider->setMinimumWidth(50);
    slider->setTracking(false); // the value is taken when the handle is released
    CustomControls::AccessibleNames::setBindingName(slider, QStringLiteral("DCREG[SW") + n +
                                                                QLatin1Char(']'));
    slider->setObjectName(QStringLiteral("SW") + n);
    // Both read as the switch the label above them names.
    slider->setAccessibleName(QStringLiteral("SW") + n);
    spin->setAccessibleName(QStringLiteral("SW") + n);

    auto *label = new QLabel(QStringLiteral("SW") + n, area);
    label->setAlignment(Qt::AlignCenter);

    connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    // While dragged, the box shows where the handle is; the slider's value (and the duty sent)
    // follows only when the handle is let go.
    connect(slider, &QSlider::sliderMoved, spin, [spin](int position) {
        const QSignalBlocker shownOnly(spin);
        spin->setValue(position);
    });
    connect(slider, &QSlider::valueChanged, this, &Board::SWMoved);
    // The all-switches slider sets every switch when it is let go.
    connect(ui->slAll, &QSlider::valueChanged, slider, &QSlider::setValue);

    auto *column = new QVBoxLayout;
    column->addWidget(label);
    column->addWidget(spin);
    column->addWidget(slider);
    return column;
}

QGroupBox *Board::buildDeviceWidgets(quint8 device)
{
    const QString d = QString::number(device);
    auto *group =
        new QGroupBox(QStringLiteral("Device ") + QString::number(device + 1), ui->DeviceWidget);

    QLabel *addressLabel = boldLabel(QStringLiteral("Address"), group);
    addressLabel->setFixedSize(60, 20);
    auto *address = new CustomControls::LineEdit(group);
    address->setFixedSize(104, 20);
    address->setValidator(new QIntValidator(-1, 31, address));
    address->setStyleSheet(QLatin1String(AddressSheet));
    address->setText(QString::number(deviceRows.size() + 1));
    CustomControls::AccessibleNames::setBindingName(address, QStringLiteral("SA") + d);
    address->setAccessibleName(addressLabel->text());
    address->setObjectName(QStringLiteral("leSA") + d);
    connect(address, &QLineEdit::editingFinished, this, &Board::addressChangedSlot);
    initControls(address);

    auto *configuration = styledButton<QPushButton>(QStringLiteral("Configuration"), group);
    configuration->setObjectName(QStringLiteral("pbConfiguration") + d);
    configuration->setFixedSize(170, 23);
    connect(configuration, &QPushButton::clicked, this, &Board::configurationClicked);

    auto *normal =
        styledButton<CustomControls::PushButton>(QStringLiteral("Go to normal mode"), group);
    CustomControls::AccessibleNames::setBindingName(normal, QStringLiteral("NORMAL") + d +
                                                                QLatin1Char(']'));
    normal->setObjectName(QStringLiteral("NORMAL") + d);
    normal->setFixedSize(250, 23);
    connect(normal, &QPushButton::clicked, this, &Board::goToNormalMode);

    auto *opMode = new CustomControls::ComboBox(group);
    for (const char *item : OpModes)
        opMode->addItem(QLatin1String(item));
    CustomControls::AccessibleNames::setBindingName(opMode, QStringLiteral("OPMODE"));
    auto *pxnMode = new CustomControls::ComboBox(group);
    pxnMode->addItems({QStringLiteral("0. Slave"), QStringLiteral("1. Repeater-Slave")});
    CustomControls::AccessibleNames::setBindingName(pxnMode, QStringLiteral("PXNMODE"));

    auto *read =
        styledButton<CustomControls::PushButton>(QStringLiteral("Read OP/PXN MODE"), group);
    CustomControls::AccessibleNames::setBindingName(read, QStringLiteral("OPMODE") + d +
                                                              QLatin1Char(']'));
    read->setObjectName(QStringLiteral("OPMODE") + d);
    read->setMinimumSize(100, 23);
    read->setMaximumSize(300, 23);
    connect(read, &QPushButton::clicked, this, &Board::readMode);

    QVBoxLayout *left = tightColumn();
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(address);
    left->addLayout(addressRow);
    left->addWidget(configuration);
    left->addWidget(normal);
    QVBoxLayout *right = tightColumn();
    right->addLayout(labelledCombo(QStringLiteral("OPMODE"), opMode, group));
    right->addLayout(labelledCombo(QStringLiteral("PXN Mode"), pxnMode, group));
    right->addWidget(read);
    auto *columns = new QHBoxLayout(group);
    columns->setSpacing(0);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(left);
    columns->addLayout(right);

    group->setMinimumSize(460, 111);
    group->setMaximumSize(500, 111);
    deviceRows.append(DeviceRow{{address, configuration, read, normal, opMode, pxnMode}});
    return group;
}

// Their sliders go with the switch area, and with them every connection of the boxes.
void Board::parkDutyBoxes()
{
    if (!dutyBoxPark) {
        dutyBoxPark = new QWidget(this);
        dutyBoxPark->hide();
    }
    const auto boxes =
        ui->SWwidget->findChildren<QSpinBox *>(QString(), Qt::FindDirectChildrenOnly);
    for (QSpinBox *box : boxes) {
        box->setParent(dutyBoxPark);
        spareDutyBoxes.append(box);
    }
}

// A parked box starts at 0 like a new one; it is not connected yet, so nothing follows. The
// switch grid's layout takes it into the area and shows it, as it does a new one.
QSpinBox *Board::takeDutyBox(QWidget *area)
{
    if (spareDutyBoxes.isEmpty()) {
        auto *box = new QSpinBox(area);
        box->setMaximum(MaxDuty);
        // Plain digits: the box reads its own text back on every value shown, and the system
        // locale's number rules are looked up anew each time.
        box->setLocale(QLocale::c());
        return box;
    }
    QSpinBox *box = spareDutyBoxes.takeLast();
    box->setValue(0);
    return box;
}

// Deletes the container's widgets class by class (a group box takes its children with it),
// then its layout, which deletes its items.
void Board::clearContainer(QWidget *container)
{
    auto deleteAll = [container](auto *typeTag) {
        using Type = std::remove_pointer_t<decltype(typeTag)>;
        QList<QPointer<Type>> found;
        for (Type *w : container->findChildren<Type *>())
            found.append(w);
        for (const QPointer<Type> &w : found)
            delete w.data();
    };
    deleteAll(static_cast<QGroupBox *>(nullptr));
    deleteAll(static_cast<QLabel *>(nullptr));
    deleteAll(static_cast<QPushButton *>(nullptr));
    deleteAll(static_cast<QSpinBox *>(nullptr));
    deleteAll(static_cast<QSlider *>(nullptr));
    deleteAll(static_cast<QComboBox *>(nullptr));
    deleteAll(static_cast<QLineEdit *>(nullptr));
    delete container->layout();
}
