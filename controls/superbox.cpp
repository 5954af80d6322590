#include "superbox.h"

#include "accessiblenames.h"
#include "checkedfolder.h"
#include "controlslog.h"
#include "pathtrust.h"
#include "register.h"
#include "regularfile.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QMouseEvent>

namespace CustomControls
{

namespace
{
const char ContentStyle[] = "background-color: rgb(255, 252, 235);";
const char LabelStyle[] = "background-color: rgb(255, 226, 178);";
const char HighlightStyle[] = "background-color: rgb(255, 170, 0);";
constexpr int CellHeight = 17;
constexpr int GridColumns = 10;

// Largest setting taken from the file: keeps every coordinate of the views far inside int
// (and inside the largest widget size).
constexpr int MaxSetting = 10000;

// The most read from the settings file: a few lines of numbers.
constexpr qint64 MaxSettingsSize = 64 * RegularFile::KiB;

// The settings file's bytes when it is a regular file within its bound (RegularFile); anything
// else at its name reads as no settings, with a warning when something is there.
QByteArray readSettings(const QString &path)
{
    QByteArray bytes;
    QString error;
    if (!RegularFile::read(path, MaxSettingsSize, &bytes, &error)) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            qCWarning(lcControls).noquote() << error;
        return {};
    }
    return bytes;
}

// The values of an INI text as QSettings writes it: a "[CONTROLS]" line, then lines such as
// "SuperBox\BriefRows=40", read as "CONTROLS/SuperBox/BriefRows".
QHash<QString, QString> iniValues(const QByteArray &text)
{
    QHash<QString, QString> values;
    QString group;
    for (const QByteArray &bytes : text.split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            group = line.mid(1, line.size() - 2) + QLatin1Char('/');
        else if (equals > 0)
            values.insert(
                group + line.left(equals).trimmed().replace(QLatin1Char('\\'), QLatin1Char('/')),
                line.mid(equals + 1).trimmed());
    }
    return values;
}

// An integer setting from minimum to MaxSetting; anything else (missing, not a number, out of
// range) is the default. BriefRows needs at least 1 (the brief view divides by it); a width of
// 0 is a width (a label width of 0 hides the cell labels).
int integerSetting(const QHash<QString, QString> &settings, const char *key, int fallback,
                   int minimum)
{
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok && value >= minimum && value <= MaxSetting ? value : fallback;
}
} // namespace

// ---- bit cell ----

SuperBox::CheckBoxForSuperBox::CheckBoxForSuperBox(QWidget *parent) : CheckBox(parent) {}

void SuperBox::CheckBoxForSuperBox::applyColourStyle()
{
    setStyleSheet(QString("background-color :%1;").arg(m_colour));
}

void SuperBox::CheckBoxForSuperBox::setColor(const QString &colour)
{
    m_colour = colour;
    applyColourStyle();
}

void SuperBox::CheckBoxForSuperBox::setHighlighted(bool highlighted)
{
    if (highlighted)
        setStyleSheet(HighlightStyle);
    else
        applyColourStyle();
    m_highlighted = highlighted;
}

void SuperBox::CheckBoxForSuperBox::mousePressEvent(QMouseEvent *event)
{
    CheckBox::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        setHighlighted(!m_highlighted);
        event->accept();
    }
}

void SuperBox::CheckBoxForSuperBox::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
}

// ---- super box ----

SuperBox::SuperBox(QWidget *parent) : QScrollArea(parent)
{
    m_content = new QWidget;
    setWidget(m_content);
    setStyleSheet(ContentStyle);
    loadSettings(Brief);
}

SuperBox::~SuperBox()
{
    removeAll();
}

// The defaults are written only where no other user can steer the write (a link planted at the
// name, a folder others may write), through the folder checked: read, the file is mere input.
void SuperBox::writeDefaultSettings(const QString &path)
{
    const PathTrust::Finding foreign = PathTrust::check(path);
    if (!foreign.isClear()) {
        qCWarning(lcControls, "SuperBox: the settings file %s is not written: %s", qPrintable(path),
                  qPrintable(foreign.text()));
        return;
    }
    const QByteArray defaults = QStringLiteral("[CONTROLS]\nSuperBox\\BriefRows=%1\n"
                                               "SuperBox\\LabelWidth=%2\n"
                                               "SuperBox\\BriefCheckBoxWidth=%3\n")
                                    .arg(DefaultBriefRows)
                                    .arg(DefaultLabelWidth)
                                    .arg(DefaultBriefCheckBoxWidth)
                                    .toUtf8();
    QString name, error;
    if (!CheckedFolder::holding(path, &name).replaceFile(name, defaults, &error))
        qCWarning(lcControls, "SuperBox: cannot write the settings file %s: %s", qPrintable(path),
                  qPrintable(error));
}

void SuperBox::loadSettings(int view)
{
    const QString path = QDir::current().filePath(SettingsFile);
    const bool exists = QFileInfo::exists(path);
    const QHash<QString, QString> settings = iniValues(readSettings(path));
    const int briefRows = integerSetting(settings, BriefRowsKey, DefaultBriefRows, 1);
    const int labelWidth = integerSetting(settings, LabelWidthKey, DefaultLabelWidth, 0);
    const int briefBoxWidth =
        integerSetting(settings, BriefCheckBoxWidthKey, DefaultBriefCheckBoxWidth, 0);
    if (!exists)
        writeDefaultSettings(path);

    const int cellCount = count();
    switch (view) {
    case Brief:
        m_columns = cellCount / briefRows + 1;
        m_rows = briefRows;
        m_labelWidth = labelWidth;
        m_boxWidth = briefBoxWidth;
        break;
    case List:
        m_columns = 1;
        m_rows = cellCount;
        m_labelWidth = 50;
        m_boxWidth = 500;
        break;
    case Grid:
        m_columns = GridColumns;
        m_rows = cellCount / GridColumns + 1;
        m_labelWidth = 0;
        m_boxWidth = 17;
        break;
    default:
        return;
    }
    m_view = view;
}

void SuperBox::addCell(int group, const QString &bindingName, const QString &text,
                       const QString &colour, const QString &toolTip)
{
    Cell cell;
    cell.label = new QLabel(QString("%1.%2").arg(group).arg(count()), m_content);
    QFont labelFont = m_content->font();
    labelFont.setPointSize(7);
    cell.label->setFont(labelFont);
    cell.label->setStyleSheet(LabelStyle);
    cell.label->setVisible(true);

    cell.box = new CheckBoxForSuperBox(m_content);
    AccessibleNames::setBindingName(cell.box, bindingName);
    cell.box->setText(text); // the bit's name, which a screen reader reads
    cell.box->setToolTip(toolTip);
    AccessibleNames::describeByToolTip(cell.box);
    if (!colour.isEmpty())
        cell.box->setColor(colour);
    cell.box->setVisible(true);
    m_cells.append(cell);
}

void SuperBox::loadRegister(const QString &name, const Register &reg)
{
    for (int i = 0; i < reg.size(); ++i) {
        const Bit *bit = reg.bitAt(i);
        addCell(bit->attribute("group").toInt(), QString("%1[%2]").arg(name).arg(i), bit->name(),
                bit->attribute("color"), bit->description());
    }
    layout();
}

void SuperBox::loadRegister(const Register &reg)
{
    loadRegister(reg.name(), reg);
}

SuperBox::CheckBoxForSuperBox *SuperBox::checkBox(int index) const
{
    return index >= 0 && index < m_cells.size() ? m_cells.at(index).box : nullptr;
}

QLabel *SuperBox::cellLabel(int index) const
{
    return index >= 0 && index < m_cells.size() ? m_cells.at(index).label : nullptr;
}

void SuperBox::deleteRowLabels()
{
    qDeleteAll(m_rowLabels);
    m_rowLabels.clear();
}

void SuperBox::placeCell(const Cell &cell, int x, int y)
{
    cell.label->setVisible(m_labelWidth != 0);
    cell.label->setGeometry(x, y, m_labelWidth, CellHeight);
    cell.box->setGeometry(x + m_labelWidth, y, m_boxWidth, CellHeight);
}

void SuperBox::layoutGrid()
{
    int index = 0;
    for (int row = 0; row < m_rows; ++row) {
        const int y = RowHeight * row;
        const uint first = uint(row * m_columns);
        auto *rowLabel =
            new QLabel(QString::asprintf("%4u:%4u", first, first + uint(m_columns) - 1), m_content);
        rowLabel->setGeometry(5, y, 55, CellHeight);
        rowLabel->setVisible(true);
        m_rowLabels.append(rowLabel);

        int x = 55;
        for (int column = 0; column < m_columns && index < m_cells.size(); ++column, ++index) {
            x += m_labelWidth + m_boxWidth;
            if (index % 5 == 0)
                x += 10;
            placeCell(m_cells.at(index), x, y);
        }
    }
}

void SuperBox::layoutColumns()
{
    int index = 0;
    for (int column = 0; column < m_columns; ++column) {
        for (int row = 0; row < m_rows && index < m_cells.size(); ++row, ++index)
            placeCell(m_cells.at(index), cellPitch() * column + 5, RowHeight * row);
    }
}

void SuperBox::layout()
{
    loadSettings(m_view);
    deleteRowLabels();
    int width = cellPitch() * m_columns + 5;
    if (m_view == Grid) {
        width = cellPitch() * m_columns + 65 + ((m_columns / 5) * 5 + 5) * 2;
        layoutGrid();
    } else {
        layoutColumns();
    }
    m_content->setGeometry(0, 0, width, RowHeight * m_rows);
}

void SuperBox::highlight(int mode, const QString &text)
{
    for (const Cell &cell : std::as_const(m_cells)) {
        const bool match = (mode == 0 && cell.box->text().contains(text)) ||
                           (mode == 1 && AccessibleNames::bindingName(cell.box) == text);
        if (match)
            cell.box->setHighlighted(true);
    }
}

void SuperBox::clearHighlights()
{
    for (const Cell &cell : std::as_const(m_cells))
        cell.box->setHighlighted(false);
}

void SuperBox::removeAll()
{
    deleteRowLabels();
    for (const Cell &cell : std::as_const(m_cells)) {
        delete cell.label;
        delete cell.box;
    }
    m_cells.clear();
}

} // namespace CustomControls
