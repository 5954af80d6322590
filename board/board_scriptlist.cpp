// The Animation tab's script list: the table of scripts and its ".script" files, one line
// "file<row>=<CSV file name>" per row, the CSV files lying beside the list file.
#include "board.h"

#include "csvreader.h"
#include "prompt.h"
#include "regularfile.h"
#include "ui_board.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QSaveFile>
#include <QTableWidget>

namespace
{

const QString ScriptDir = QStringLiteral("./Script/");
constexpr int FileColumn = 3;
// The most read from a script list: a line per script file.
constexpr qint64 MaxListSize = RegularFile::MiB;

void showFileError(const QString &text)
{
    Prompt::inform(QStringLiteral("error"), text);
}

// The value of each line: the text after its last "=", without the line end.
QStringList listedFiles(QIODevice &file)
{
    QStringList values;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        values.append(line.split(QLatin1Char('=')).last());
    }
    return values;
}

} // namespace

QVector<CSVReader *> Board::scriptListEntries() const
{
    QVector<CSVReader *> entries;
    for (const std::shared_ptr<CSVReader> &script : scriptList)
        entries.append(script.get());
    return entries;
}

void Board::appendScriptRow(const CSVReader *script, int stepCount)
{
    QTableWidget *table = ui->tableAnimationScripts;
    const int row = table->rowCount();
    table->insertRow(row);
    const QStringList texts{script->description, QString::number(script->delay),
                            QString::number(stepCount), QFileInfo(script->fileName).fileName()};
    for (int column = 0; column < texts.size(); ++column) {
        auto *item = new QTableWidgetItem(texts.at(column));
        item->setTextAlignment(Qt::AlignHCenter);
        table->setItem(row, column, item);
    }
}

void Board::on_pbAddToList_clicked()
{
    if (ui->lbCSV->text().isEmpty())
        return;
    appendScriptRow(currentScript.get(), ui->listAnimationSteps->count());
    scriptList.append(currentScript);
}

void Board::on_pbRemoveFromList_clicked()
{
    const int row = ui->tableAnimationScripts->currentRow();
    if (row < 0 || row >= scriptList.size())
        return;
    ui->tableAnimationScripts->removeRow(row);
    scriptList.remove(row);
}

void Board::on_tableAnimationScripts_cellDoubleClicked(int row, int column)
{
    Q_UNUSED(column);
    if (std::shared_ptr<CSVReader> script = scriptList.value(row)) {
        currentScript = std::move(script);
        showCsvScript();
    }
}

void Board::on_pbSaveScript_clicked()
{
    const QString name = ui->leScriptName->text();
    if (name.isEmpty())
        return;
    const QString dir = Prompt::directory(QStringLiteral("Open Directory"), ScriptDir);
    if (dir.isEmpty())
        return;
    QSaveFile file(QDir(dir).filePath(name.trimmed() + QStringLiteral(".script")));
    if (!file.open(QIODevice::WriteOnly)) {
        showFileError(file.errorString());
        return;
    }
    const QTableWidget *table = ui->tableAnimationScripts;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem *item = table->item(row, FileColumn);
        const QString text = item ? item->text() : QString();
        file.write(QStringLiteral("file%1=%2\n").arg(row).arg(text).toUtf8());
    }
    if (!file.commit())
        showFileError(file.errorString());
}

// A cancelled dialog changes nothing; an unreadable list file is reported. Listed files that
// are missing are skipped; a CSV file that cannot be read ends the loading there.
void Board::on_pbLoadScript_clicked()
{
    const QString path = Prompt::openFile(QStringLiteral("Script file"), ScriptDir,
                                          QStringLiteral("Script file (*.script)"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QString error;
    if (!RegularFile::read(path, MaxListSize, &bytes, &error)) {
        showFileError(error);
        return;
    }
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const QStringList values = listedFiles(file);
    if (values.isEmpty())
        return;
    scriptList.clear();
    ui->tableAnimationScripts->setRowCount(0);
    const QString dir = QFileInfo(path).absolutePath();
    for (const QString &value : values) {
        const QFileInfo csv(dir + QLatin1Char('/') + value);
        if (!csv.isFile() || !csv.isReadable())
            continue;
        ui->lbCSV->setText(csv.filePath());
        auto script = std::make_shared<CSVReader>();
        if (!script->read(csv.filePath())) {
            showFileError(script->errorString());
            return;
        }
        appendScriptRow(script.get(), int(script->steps.size()));
        scriptList.append(script);
    }
}
