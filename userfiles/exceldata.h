#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class AutomationObject;

// One workbook file of the spreadsheet application "Excel.Application", reached through
// automation: open or create it, add, select, delete, count and list sheets, read and write
// cells, ranges and cell colours, save and close. Sheet, row and column numbers count from 1.
// Every operation whose precondition is unmet, or whose query yields nothing, returns its
// failure value without further calls; without an application (this platform) all do.
class ExcelData : public QObject
{
    Q_OBJECT
public:
    explicit ExcelData(const QString &fileName);
    ~ExcelData() override; // releases the application

    // 'r' opens an existing file; 'w' also creates a missing one.
    bool open(char mode);
    bool isOpen() const;
    bool addSheet(const QString &name);
    bool selectSheet(const QString &name);
    bool deleteSheet(const QString &name);
    bool save();
    bool setCell(int row, int column, const QVariant &value);
    bool getCell(int row, int column, QVariant *value);
    QList<QVariant> getRange(const QString &from, const QString &to);
    void setRange(const QString &from, const QString &to, const QList<QVariant> &values);
    bool setCellColor(int row, int column, const QColor &background, const QColor &text);
    bool getCellColor(int row, int column, QColor *background, QColor *text);
    void setVisible(bool visible);
    void close();
    int sheetCount();
    QStringList sheetNames();

    // A colour as the "Color" property holds it: red + green * 256 + blue * 65536.
    static uint packColor(const QColor &color);
    static QColor unpackColor(uint packed);

private:
    bool canUseCell(int row, int column) const;
    AutomationObject *cell(int row, int column);
    // The interior and the font of a cell; false when the cell or either of them is missing.
    bool colorObjects(int row, int column, AutomationObject **interior, AutomationObject **font);
    // The workbook's sheet of that name; null when closed or when there is none.
    AutomationObject *sheetNamed(const QString &name);
    AutomationObject *workbookFromCollection(AutomationObject *workbooks, char mode);

    std::unique_ptr<AutomationObject> m_application;
    AutomationObject *m_workbook = nullptr;
    AutomationObject *m_sheet = nullptr;
    QString m_fileName;
    bool m_open = false;
};
