#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class CheckedProgram;
class QProcess;

// Runs the Python interpreter on a script with one text argument and collects its standard
// output. The interpreter is the option "python_path" ("python3" by default); a stored path
// that does not resolve falls back to "python3" with one warning in the log. The interpreter (a
// bare name found in PATH) starts only when no other user owns or can change it or a folder on
// its way, and from the file so checked (CheckedProgram): else, or when it is missing, the log
// gets an error and nothing runs. The script too must be a regular file that no other user can
// change, in such a folder (whence Python imports first), and so must the user's site folders.
class PythonRunner : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 30000;
    static const char *const DefaultInterpreter; // "python3"

    explicit PythonRunner(QObject *parent = nullptr);
    ~PythonRunner() override;

    void setPythonPath(const QString &path);
    QString pythonPath() const { return m_pythonPath; }
    // The interpreter chosen: the stored path when it resolves, else "python3".
    QString interpreter();

    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }

    // Starts the interpreter with the script path and the text (8-bit, up to its first zero
    // byte) and waits up to the time-out; a script that runs longer is killed. output gets the
    // standard output with every CR and LF removed. Always true.
    bool run(const QString &script, const QByteArray &text, QByteArray *output);

signals:
    void signal_log(int level, const QString &text);

private:
    QString programPath();
    bool programOpened(const CheckedProgram &program, const QString &path);
    bool scriptTrusted(const QString &script);
    static QStringList userSitePlaces();
    static QString firstRefusal(const QStringList &places);
    QProcess *processForThisThread();

    QString m_pythonPath;
    QString m_warnedPath; // the unresolvable path already reported
    int m_timeoutMs = DefaultTimeoutMs;
    QProcess *m_process = nullptr;
};
