// MainApp's options table and the entries of its option, workspace and window-state files.
#include "mainapp.h"

#include "documentopener.h"
#include "mainwindow.h"
#include "optionsfile.h"
#include "prompt.h"
#include "pythonrunner.h"
#include "softwareupdater.h"
#include "windowstate.h"
#include "workspace.h"

namespace
{

const QString PythonPathKey = QStringLiteral("python_path");
const QString SpecPathKey = QStringLiteral("spec_path");
const QString UpdaterPathKey = QStringLiteral("updater_path");
constexpr int ErrorLevel = -1;
constexpr int WarningLevel = 1;

} // namespace

QVariant MainApp::option(const QString &key)
{
    // A key asked for is kept (null), so the next "options.ini" lists it too.
    if (!m_options.contains(key))
        m_options.insert(key, QVariant());
    return m_options.value(key);
}

void MainApp::setOption(const QString &key, const QVariant &value)
{
    m_options.insert(key, value);
    if (key == PythonPathKey && m_pythonRunner)
        m_pythonRunner->setPythonPath(value.toString());
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

QString MainApp::optionsFileName() const
{
    return m_programFiles.configFile(QString::fromLatin1(OptionsFile::DefaultFileName));
}

QString MainApp::stateFileName() const
{
    return m_programFiles.stateFile(QString::fromLatin1(WindowState::FileName));
}

void MainApp::loadOptions()
{
    QHash<QString, QVariant> values = m_options;
    QString error;
    if (!OptionsFile::load(optionsFileName(), &values, &error)) {
        emit signal_log(ErrorLevel,
                        QStringLiteral("Cannot read %1: %2").arg(optionsFileName(), error));
        return;
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        setOption(it.key(), it.value());
}

void MainApp::saveOptions()
{
    QString error;
    if (!OptionsFile::save(optionsFileName(), m_options, &error))
        emit signal_log(ErrorLevel,
                        QStringLiteral("Cannot write %1: %2").arg(optionsFileName(), error));
}

void MainApp::loadWorkspace(const QString &fileName)
{
    // A workspace that cannot be read is ignored.
    Workspace(m_applets).load(fileName);
}

void MainApp::saveWorkspace()
{
    Workspace workspace(m_applets);
    if (!workspace.save())
        emit signal_log(ErrorLevel, QStringLiteral("Cannot write workspace %1: %2")
                                        .arg(workspace.fileName(), workspace.errorString()));
}

void MainApp::saveState()
{
    WindowState state(m_mainWindow, m_applets);
    const QString fileName = stateFileName();
    if (!state.save(fileName))
        emit signal_log(ErrorLevel,
                        QStringLiteral("Cannot write %1: %2").arg(fileName, state.errorString()));
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
    WindowState state(m_mainWindow, m_applets);
    state.setPlaceOnly(m_logs);
    state.restore(stateFileName());
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
