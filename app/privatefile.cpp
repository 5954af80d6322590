#include "privatefile.h"

#include "checkedfolder.h"
#include "pathtrust.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{

// The file at path opened through the folder checked for it (CheckedFolder); -1 with the
// reason in *error.
int openPrivate(const QString &path, int flags, QString *error)
{
    *error = PrivateFile::refusal(path);
    if (!error->isEmpty())
        return -1;
    QString name;
    const CheckedFolder folder = CheckedFolder::holding(path, &name);
    return folder.openFile(name, flags, error);
}

} // namespace

QString PrivateFile::refusal(const QString &path)
{
    const QString problem = PathTrust::check(path).text();
    if (problem.isEmpty())
        return problem;
    return problem + QStringLiteral(": only a place that no other user can change is used");
}

bool PrivateFile::read(const QString &path, QByteArray *bytes, QString *error)
{
    const int descriptor = openPrivate(path, O_RDONLY, error);
    QFile file;
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return false;
    *bytes = file.readAll();
    if (file.error() == QFileDevice::NoError)
        return true;
    *error = file.errorString();
    return false;
}

bool PrivateFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    *error = refusal(path);
    if (!error->isEmpty())
        return false;
    QString name;
    const CheckedFolder folder = CheckedFolder::holding(path, &name);
    return folder.replaceFile(name, bytes, error);
}

bool PrivateFile::openForAppend(QFile *file, QString *error)
{
    const int descriptor = openPrivate(file->fileName(), O_WRONLY | O_APPEND | O_CREAT, error);
    return descriptor >= 0 && file->open(descriptor, QIODevice::WriteOnly | QIODevice::Append,
                                         QFileDevice::AutoCloseHandle);
}

bool PrivateFile::makeFolder(const QString &path)
{
    if (!PathTrust::checkWay(path).isClear())
        return false; // nothing is made where another user leads the way
    QString made = QDir::isAbsolutePath(path) ? QString() : QStringLiteral(".");
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        ::mkdir(QFile::encodeName(made).constData(), 0700); // an existing one stays as it is
    }
    const CheckedFolder folder(path);
    folder.makePrivate();
    return folder.isOpen();
}
