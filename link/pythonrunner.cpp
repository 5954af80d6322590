#include "pythonrunner.h"

#include "bytetext.h"
#include "pathtrust.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

const char *const PythonRunner::DefaultInterpreter = "python3";

namespace
{
constexpr int WarningLevel = 1;
constexpr int ErrorLevel = -1;
} // namespace

PythonRunner::PythonRunner(QObject *parent)
    : QObject(parent), m_pythonPath(QString::fromLatin1(DefaultInterpreter))
{
}

PythonRunner::~PythonRunner()
{
    delete m_process;
}

void PythonRunner::setPythonPath(const QString &path)
{
    m_pythonPath = path.trimmed().isEmpty() ? QString::fromLatin1(DefaultInterpreter) : path;
}

QString PythonRunner::interpreter()
{
    const QString fallback = QString::fromLatin1(DefaultInterpreter);
    if (m_pythonPath == fallback || !QStandardPaths::findExecutable(m_pythonPath).isEmpty())
        return m_pythonPath;
    if (m_warnedPath != m_pythonPath) {
        m_warnedPath = m_pythonPath;
        emit signal_log(
            WarningLevel,
            tr("Python interpreter \"%1\" not found, using \"%2\"").arg(m_pythonPath, fallback));
    }
    return fallback;
}

QString PythonRunner::program()
{
    const QString name = interpreter();
    // A path with a "/" is taken from the working directory, as QProcess would; a bare name is
    // found in PATH here, so that the file checked is the file started.
    const QString path = name.contains(QLatin1Char('/'))
                             ? QFileInfo(name).absoluteFilePath()
                             : QFileInfo(QStandardPaths::findExecutable(name)).absoluteFilePath();
    if (!QFileInfo(path).isFile())
        return name; // not found: the start fails and says so
    const QString refused = PathTrust::check(path).text();
    if (refused.isEmpty())
        return path;
    emit signal_log(ErrorLevel,
                    tr("Python interpreter %1 not started: %2. Install it where only you or root "
                       "can change it.")
                        .arg(path, refused));
    return QString();
}

// The script is run only when no other user can change it or its folder (Python imports from
// that folder first: the folder of what a link at the script's name leads to); else the log says
// which and why.
bool PythonRunner::scriptTrusted(const QString &script)
{
    const QFileInfo file(script);
    QStringList places{file.absoluteFilePath(), file.absolutePath()};
    const QString real = file.canonicalFilePath();
    if (!real.isEmpty())
        places << QFileInfo(real).absolutePath();
    places.removeDuplicates();
    QString refused;
    for (const QString &place : std::as_const(places)) {
        if (refused.isEmpty())
            refused = PathTrust::check(place).text();
    }
    if (refused.isEmpty())
        return true;
    emit signal_log(ErrorLevel, tr("Python script %1 not run: %2. Keep it in a folder that only "
                                   "you or root can change.")
                                    .arg(file.absoluteFilePath(), refused));
    return false;
}

// The process object is made on first use and reused; a call from another thread than the
// one it belongs to gets a process of its own.
QProcess *PythonRunner::processForThisThread()
{
    if (!m_process) {
        m_process = new QProcess;
        return m_process;
    }
    return m_process->thread() == QThread::currentThread() ? m_process : nullptr;
}

bool PythonRunner::run(const QString &script, const QByteArray &text, QByteArray *output)
{
    const QString argument = latin1UpToZero(text);
    QProcess *shared = processForThisThread();
    QProcess local;
    QProcess &process = shared ? *shared : local;

    const QString started = scriptTrusted(script) ? program() : QString();
    if (started.isEmpty()) {
        if (output)
            output->clear();
        return true;
    }
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(started, {script, argument}, QIODevice::ReadWrite);
    if (process.waitForStarted() && !process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    QByteArray out = process.readAllStandardOutput();
    process.readAllStandardError();
    if (output) {
        out.replace('\n', QByteArray()).replace('\r', QByteArray());
        *output = out;
    }
    return true;
}
