#include "pythonrunner.h"

#include "bytetext.h"
#include "checkedprogram.h"
#include "pathtrust.h"
#include "regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

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

// A path with a "/" is taken from the working directory, as QProcess would; a bare name is
// found in PATH here, so that the file checked is the file started. Empty when not found.
QString PythonRunner::programPath()
{
    const QString name = interpreter();
    if (name.contains(QLatin1Char('/')))
        return QFileInfo(name).absoluteFilePath();
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? found : QFileInfo(found).absoluteFilePath();
}

// Whether the interpreter is open to start; else the log says which and why.
bool PythonRunner::programOpened(const CheckedProgram &program, const QString &path)
{
    if (program.isOpen())
        return true;
    const QString named = path.isEmpty() ? interpreter() : path;
    const QString why = path.isEmpty() ? tr("it is not found in PATH") : program.error();
    emit signal_log(ErrorLevel, program.refused()
                                    ? tr("Python interpreter %1 not started: %2. Install it "
                                         "where only you or root can change it.")
                                          .arg(named, why)
                                    : tr("Python interpreter %1 not started: %2.").arg(named, why));
    return false;
}

// The folders whence the interpreter imports besides the script's own: the user's site folders
// (lib/python3.*/site-packages of PYTHONUSERBASE, else of ~/.local), and their lib folder, where
// one more could be made.
QStringList PythonRunner::userSitePlaces()
{
    if (!qEnvironmentVariableIsEmpty("PYTHONNOUSERSITE"))
        return {};
    QString base = qEnvironmentVariable("PYTHONUSERBASE");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local");
    const QDir lib(base + QStringLiteral("/lib"));
    QStringList places{lib.absolutePath()};
    for (const QString &version :
         lib.entryList({QStringLiteral("python3*")}, QDir::Dirs | QDir::NoDotAndDotDot))
        places << lib.absoluteFilePath(version + QStringLiteral("/site-packages"));
    return places;
}

// The script is run only when it is a regular file and no other user can change it, its folder
// (Python imports from that folder first: the folder of what a link at the script's name leads
// to) or the user's site folders; else the log says which and why.
bool PythonRunner::scriptTrusted(const QString &script)
{
    const QFileInfo file(script);
    QStringList places{file.absoluteFilePath(), file.absolutePath()};
    const QString real = file.canonicalFilePath();
    if (!real.isEmpty())
        places << QFileInfo(real).absolutePath();
    places.removeDuplicates();
    QString why = firstRefusal(places);
    QString advice = tr("Keep it in a folder that only you or root can change.");
    if (why.isEmpty()) {
        why = firstRefusal(userSitePlaces());
        if (!why.isEmpty())
            why += tr(", and the interpreter imports from it");
        advice = tr("Close it to other users.");
    }
    if (why.isEmpty() && (file.exists() || file.isSymLink())) { // a missing one Python reports
        advice.clear();
        const int opened =
            RegularFile::open(AT_FDCWD, script, O_RDONLY, file.absoluteFilePath(), &why);
        if (opened >= 0)
            ::close(opened);
    }
    if (why.isEmpty())
        return true;
    emit signal_log(ErrorLevel,
                    tr("Python script %1 not run: %2.").arg(file.absoluteFilePath(), why) +
                        (advice.isEmpty() ? QString() : QLatin1Char(' ') + advice));
    return false;
}

QString PythonRunner::firstRefusal(const QStringList &places)
{
    for (const QString &place : places) {
        const QString refused = PathTrust::check(place).text();
        if (!refused.isEmpty())
            return refused;
    }
    return QString();
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

    // The interpreter is looked up and checked only for a script that may run.
    const bool trusted = scriptTrusted(script);
    const QString path = trusted ? programPath() : QString();
    CheckedProgram program(path);
    if (!trusted || !programOpened(program, path)) {
        if (output)
            output->clear();
        return true;
    }
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const bool started = program.start([&](const QString &opened) {
        process.start(opened, {script, argument}, QIODevice::ReadWrite);
        return true;
    });
    if (started && process.waitForStarted() && !process.waitForFinished(m_timeoutMs)) {
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
