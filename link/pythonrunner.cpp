#include "pythonrunner.h"

#include "bytetext.h"

#include <QProcess>
#include <QStandardPaths>
#include <QThread>

const char *const PythonRunner::DefaultInterpreter = "python3";

namespace
{
constexpr int WarningLevel = 1;
}

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

    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(interpreter(), {script, argument}, QIODevice::ReadWrite);
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
