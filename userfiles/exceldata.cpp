#include "exceldata.h"

#include "automationbackend.h"
#include "automationobject.h"
#include "variantutil.h"

#include <QFile>

namespace
{
const QString cellsMember = QStringLiteral("Cells( int, int)");
const QString sheetByName = QStringLiteral("Sheets (const QString&)");
const QString rangeMember = QStringLiteral("Range( QString ,QString )");
const QString openMember = QStringLiteral("Open(const QString&)");
const QString colorProperty = QStringLiteral("Color");
} // namespace

ExcelData::ExcelData(const QString &fileName)
    : m_application(AutomationBackend::instance()->create(QStringLiteral("Excel.Application"))),
      m_fileName(fileName)
{
    if (m_application)
        m_application->setProperty(QStringLiteral("DisplayAlerts"), false);
}

ExcelData::~ExcelData() = default;

uint ExcelData::packColor(const QColor &color)
{
    return uint(color.red()) + uint(color.green()) * 256u + uint(color.blue()) * 65536u;
}

QColor ExcelData::unpackColor(uint packed)
{
    return QColor(int(packed & 0xFF), int((packed >> 8) & 0xFF), int((packed >> 16) & 0xFF));
}

bool ExcelData::isOpen() const
{
    return m_open;
}

bool ExcelData::open(char mode)
{
    if (!m_application || m_open || m_fileName.isEmpty())
        return false;
    AutomationObject *workbooks = m_application->querySubObject(QStringLiteral("Workbooks"));
    if (!workbooks)
        return false;
    m_workbook = workbookFromCollection(workbooks, mode);
    m_open = m_workbook != nullptr;
    return m_open;
}

AutomationObject *ExcelData::workbookFromCollection(AutomationObject *workbooks, char mode)
{
    if (mode == 'r' || QFile::exists(m_fileName))
        return workbooks->querySubObject(openMember, m_fileName);
    if (mode != 'w')
        return nullptr;
    AutomationObject *created = workbooks->querySubObject(QStringLiteral("Add()"));
    if (!created)
        return nullptr;
    created->call(QStringLiteral("SaveAs(const QString &)"), m_fileName);
    created->call(QStringLiteral("Close()"));
    return workbooks->querySubObject(openMember, m_fileName);
}

bool ExcelData::addSheet(const QString &name)
{
    if (!m_open)
        return false;
    AutomationObject *sheets = m_workbook->querySubObject(QStringLiteral("Worksheets"));
    if (!sheets)
        return false;
    sheets->call(QStringLiteral("Add()"));
    AutomationObject *sheet = sheets->querySubObject(QStringLiteral("Item( int )"), 1);
    if (!sheet)
        return false;
    m_sheet = sheet;
    m_sheet->setProperty(QStringLiteral("Name"), name);
    return true;
}

AutomationObject *ExcelData::sheetNamed(const QString &name)
{
    return m_open ? m_workbook->querySubObject(sheetByName, name) : nullptr;
}

bool ExcelData::selectSheet(const QString &name)
{
    AutomationObject *sheet = sheetNamed(name);
    if (!sheet)
        return false;
    sheet->call(QStringLiteral("Activate"));
    AutomationObject *active = m_workbook->querySubObject(QStringLiteral("ActiveSheet"));
    if (!active)
        return false;
    m_sheet = active;
    return true;
}

bool ExcelData::deleteSheet(const QString &name)
{
    AutomationObject *sheet = sheetNamed(name);
    if (!sheet)
        return false;
    if (sheet == m_sheet)
        m_sheet = nullptr; // a deleted sheet is no current sheet
    sheet->call(QStringLiteral("Delete()"));
    return true;
}

bool ExcelData::save()
{
    if (!m_workbook)
        return false;
    m_workbook->call(QStringLiteral("Save()"));
    return true;
}

bool ExcelData::canUseCell(int row, int column) const
{
    return m_open && row >= 1 && column >= 1 && m_sheet;
}

AutomationObject *ExcelData::cell(int row, int column)
{
    return m_sheet->querySubObject(cellsMember, row, column);
}

bool ExcelData::setCell(int row, int column, const QVariant &value)
{
    if (isNullVariant(value) || !canUseCell(row, column))
        return false;
    AutomationObject *c = cell(row, column);
    if (!c)
        return false;
    c->setProperty(QStringLiteral("Value"), value);
    return true;
}

bool ExcelData::getCell(int row, int column, QVariant *value)
{
    if (!canUseCell(row, column))
        return false;
    AutomationObject *c = cell(row, column);
    if (!c)
        return false;
    *value = c->property(QStringLiteral("Value"));
    return true;
}

QList<QVariant> ExcelData::getRange(const QString &from, const QString &to)
{
    if (!m_open || !m_sheet)
        return {};
    AutomationObject *range = m_sheet->querySubObject(rangeMember, from, to);
    if (!range)
        return {};
    return range->call(QStringLiteral("Value()")).toList();
}

void ExcelData::setRange(const QString &from, const QString &to, const QList<QVariant> &values)
{
    if (!m_open || !m_sheet)
        return;
    AutomationObject *range = m_sheet->querySubObject(rangeMember, from, to);
    if (range)
        range->call(QStringLiteral("SetValue(const QVariant&)"), QVariant(values));
}

bool ExcelData::colorObjects(int row, int column, AutomationObject **interior,
                             AutomationObject **font)
{
    if (!canUseCell(row, column))
        return false;
    AutomationObject *c = cell(row, column);
    if (!c)
        return false;
    *interior = c->querySubObject(QStringLiteral("Interior"));
    *font = c->querySubObject(QStringLiteral("Font"));
    return *interior && *font;
}

bool ExcelData::setCellColor(int row, int column, const QColor &background, const QColor &text)
{
    AutomationObject *interior = nullptr;
    AutomationObject *font = nullptr;
    if (!colorObjects(row, column, &interior, &font))
        return false;
    interior->setProperty(colorProperty, packColor(background));
    font->setProperty(colorProperty, packColor(text));
    return true;
}

bool ExcelData::getCellColor(int row, int column, QColor *background, QColor *text)
{
    AutomationObject *interior = nullptr;
    AutomationObject *font = nullptr;
    if (!colorObjects(row, column, &interior, &font))
        return false;
    *background = unpackColor(interior->property(colorProperty).toUInt());
    *text = unpackColor(font->property(colorProperty).toUInt());
    return true;
}

void ExcelData::setVisible(bool visible)
{
    if (m_application)
        m_application->setProperty(QStringLiteral("Visible"), visible);
}

void ExcelData::close()
{
    save();
    if (m_open)
        m_workbook->call(QStringLiteral("Close()"));
    m_application.reset();
    m_workbook = nullptr;
    m_sheet = nullptr;
    m_open = false;
}

int ExcelData::sheetCount()
{
    if (!m_workbook)
        return -1;
    AutomationObject *sheets = m_workbook->querySubObject(QStringLiteral("Sheets"));
    if (!sheets)
        return -1;
    return sheets->call(QStringLiteral("Count()")).toInt();
}

QStringList ExcelData::sheetNames()
{
    QStringList names;
    const int count = sheetCount();
    for (int i = 1; i <= count; ++i) {
        if (AutomationObject *sheet = m_workbook->querySubObject(QStringLiteral("Sheets(int )"), i))
            names.append(sheet->property(QStringLiteral("Name")).toString());
    }
    return names;
}
