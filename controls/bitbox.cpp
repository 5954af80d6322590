#include "bitbox.h"

#include "checkbox.h"
#include "fieldspec.h"
#include "register.h"

#include <QGridLayout>

namespace CustomControls
{

BitBox::BitBox(QWidget *parent) : QFrame(parent)
{
    installGrid();
}

void BitBox::installGrid()
{
    delete m_grid;
    m_grid = new QGridLayout(this);
    for (int i = 0; i < m_boxes.size(); ++i)
        place(m_boxes.at(i), i);
}

void BitBox::setLayoutMode(int mode)
{
    m_mode = mode;
    installGrid();
}

QPoint BitBox::cellOf(int index) const
{
    const int n = index + 1;
    switch (m_mode) {
    case Row:
        return QPoint(n, 0);
    case Column:
        return QPoint(0, n);
    case Rows8:
        return QPoint(index % 8, index / 8);
    case Rows16:
        return QPoint(index % 16, index / 16);
    default:
        return QPoint(0, 0);
    }
}

void BitBox::place(CheckBox *box, int index)
{
    const QPoint cell = cellOf(index);
    m_grid->addWidget(box, cell.y(), cell.x());
}

void BitBox::clear()
{
    for (CheckBox *box : std::as_const(m_boxes)) {
        m_grid->removeWidget(box);
        delete box;
    }
    m_boxes.clear();
}

CheckBox *BitBox::addBit(const QString &objectName)
{
    auto *box = new CheckBox(this);
    box->setObjectName(objectName);
    m_boxes.append(box);
    place(box, int(m_boxes.size()) - 1);
    return box;
}

void BitBox::addBits(const QString &name, int top, int bottom)
{
    for (int bit = top; bit >= bottom; --bit)
        addBit(QString("cb%1_%2").arg(name, QString::number(bit)));
}

void BitBox::setRegister(const Register &reg)
{
    addBits(reg.name(), reg.size() - 1, 0);
}

void BitBox::setRegister(const QString &fieldExpression)
{
    FieldSpec spec;
    if (!spec.set(fieldExpression.toLatin1().constData()))
        return;
    // An empty bracket ("REG[]") names no bit numbers (its bounds stand for "all bits"), and
    // bit numbers are 0 or more and below that all-bits bound: anything else adds nothing
    // rather than thousands of boxes.
    const int top = qMax(spec.low(), spec.high());
    const int bottom = qMin(spec.low(), spec.high());
    if (spec.allBits() || bottom < 0 || top >= FieldSpec::AllBitsHigh)
        return;
    addBits(QString::fromLatin1(spec.name()), top, bottom);
}

} // namespace CustomControls
