// MainApp's options and the user's files: their wiring into the program, and what it tells of them.
#include "mainapp.h"

#include "documentopener.h"
#include "localserver.h"
#include "logs.h"
#include "mainwindow.h"
#include "optionsfile.h"
#include "optionstable.h"
#include "prompt.h"
#include "pythonrunner.h"
#include "softwareupdater.h"
#include "standarderror.h"
#include "windowstate.h"
#include "workspace.h"

#include <QCheckBox>
#include <QDir>
#include <QTextDocument>

namespace
{

const QString PythonPathKey = QStringLiteral("python_path");
const QString SpecPathKey = QStringLiteral("spec_path");
const QString UpdaterPathKey = QStringLiteral("updater_path");
constexpr int ErrorLevel = -1;
constexpr int InfoLevel = 0;
constexpr int WarningLevel = 1;

} // namespace

QVariant MainApp::option(const QString &key)
{
    return m_options.value(key);
}

// Once the program runs, a change is written at once, so that no end loses it, however sudden.
void MainApp::setOption(const QString &key, const QVariant &value)
{
    const bool changed = m_options.set(key, value);
    if (key == PythonPathKey && m_pythonRunner)
        m_pythonRunner->setPythonPath(value.toString());
    if (changed && m_started)
        saveOptions();
}

void MainApp::setDefaultOptions()
{
    setOption(QStringLiteral("comm_timeout"), 50);
    setOption(UpdaterPathKey, QString::fromLatin1(SoftwareUpdater::DefaultPath));
    setOption(SpecPathKey, QString());
    setOption(QStringLiteral("script_path"), QString());
    setOption(PythonPathKey, QString::fromLatin1(PythonRunner::DefaultInterpreter));
    setOption(QStringLiteral("ignore_version"), false);
}

// Options that cannot be kept are neither read nor written: the start and the close say so.
bool MainApp::loadOptions()
{
    QHash<QString, QVariant> values;
    QString error;
    const OptionsTable::Outcome read = m_options.read(m_programFiles, &values, &error);
    if (read == OptionsTable::Failed)
        emit signal_log(ErrorLevel, QStringLiteral("Cannot read %1: %2")
                                        .arg(m_programFiles.optionsFile(), error));
    if (read != OptionsTable::Done)
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        setOption(it.key(), it.value());
    return true;
}

void MainApp::saveOptions()
{
    QString error;
    const OptionsTable::Outcome written = m_options.write(m_programFiles, &error);
    if (written == OptionsTable::Done)
        fileWritten(m_programFiles.optionsFile());
    else if (written == OptionsTable::Failed)
        fileNotWritten(m_programFiles.optionsFile(), error);
}

// Once, at the start: what was passed over on the way to the program's files and its socket,
// where they are (the day-log box shows its file on hover), and what cannot be kept at all.
void MainApp::tellFiles()
{
    const QString stateFolder = m_programFiles.stateFolder();
    const QString dayLog = QDir(stateFolder).filePath(m_logs->saveLogBox()->text());
    // A tool tip takes text that looks like markup for markup: the folder's name is shown as it is.
    m_logs->saveLogBox()->setToolTip(Qt::convertFromPlainText(dayLog));
    m_logs->saveLogBox()->setAccessibleDescription(dayLog); // a screen reader's is plain
    QStringList passed = m_programFiles.passedOver() + m_localServer->passedOver();
    if (!m_logoRefusal.isEmpty())
        passed.append(QStringLiteral("Logo not shown: %1").arg(m_logoRefusal));
    passed.removeDuplicates();
    for (const QString &text : std::as_const(passed))
        tell(WarningLevel, text);
    tell(
        InfoLevel,
        QStringLiteral("Your files: options %1, window state %2, day log %3; the command socket %4")
            .arg(QDir(m_programFiles.configFolder())
                     .filePath(QString::fromLatin1(OptionsFile::DefaultFileName)),
                 QDir(stateFolder).filePath(QString::fromLatin1(WindowState::FileName)), dayLog,
                 m_localServer->socketFile()));
    for (const QString &text : m_programFiles.notKept())
        tell(ErrorLevel, text);
}

// Listed whatever the "Log" switch says; warnings and errors go to standard error too where
// nobody sees the log window.
void MainApp::tell(int level, const QString &text)
{
    if (m_unattended && level != InfoLevel)
        StandardError::say(text);
    m_logs->addListed(level, text);
}

// What cannot be kept, told again at the close (tellFiles told it at the start): on standard
// error, where whoever watches it sees it once the log window is gone, and in the log (its file,
// where that is kept).
void MainApp::tellFilesNotKept()
{
    for (const QString &text : m_programFiles.notKept()) {
        StandardError::say(text);
        if (m_logs)
            m_logs->addListed(WarningLevel, text);
    }
}

void MainApp::loadWorkspace(const QString &fileName)
{
    // A workspace that cannot be read is ignored.
    Workspace(m_table.all()).load(fileName);
}

void MainApp::saveWorkspace()
{
    Workspace workspace(m_table.all());
    if (!workspace.save())
        emit signal_log(ErrorLevel, QStringLiteral("Cannot write workspace %1: %2")
                                        .arg(workspace.fileName(), workspace.errorString()));
}

void MainApp::saveState()
{
    WindowState state(m_mainWindow, m_table.all());
    const QString fileName = m_programFiles.windowStateFile();
    if (state.save(fileName))
        fileWritten(fileName);
    else
        fileNotWritten(fileName, state.errorString());
}

void MainApp::fileNotWritten(const QString &path, const QString &why)
{
    m_unwritten.insert(path, why);
    const QString text = QStringLiteral("Cannot write %1: %2").arg(path, why);
    StandardError::say(text); // also where nobody sees the log, and once its window is gone
    emit signal_log(ErrorLevel, text);
}

void MainApp::fileWritten(const QString &path)
{
    if (m_unwritten.remove(path) > 0 && m_logs)
        tell(InfoLevel, QStringLiteral("%1 is written again").arg(path));
}

void MainApp::restoreState()
{
    if (!isConnected()) {
        Prompt::ask(Prompt::Warning, QStringLiteral("Warning"),
                    QStringLiteral("Board is not connected"), Prompt::Ok);
        return;
    }
    // A state file that cannot be read is ignored; refused lines are reported. The log window
    // keeps following the "Log" switch.
    WindowState state(m_mainWindow, m_table.all());
    state.setPlaceOnly(m_logs);
    state.restore(m_programFiles.windowStateFile());
    const QStringList refused = state.warnings();
    for (const QString &warning : refused)
        emit signal_log(WarningLevel, warning);
}

void MainApp::updateSoftware()
{
    SoftwareUpdater updater(option(UpdaterPathKey).toString(), m_programFiles.places().programDir);
    if (updater.start())
        setOption(UpdaterPathKey, updater.path());
}

void MainApp::openSpec()
{
    DocumentOpener opener(option(SpecPathKey).toString());
    const QString path = opener.openSpec();
    if (!opener.errorString().isEmpty())
        emit signal_log(ErrorLevel, opener.errorString());
    if (!path.isEmpty())
        setOption(SpecPathKey, path);
}

void MainApp::chooseSpec()
{
    setOption(SpecPathKey, QString());
    openSpec();
}
