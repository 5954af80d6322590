#include "privatefile.h"

#include "checkedfolder.h"
#include "pathtrust.h"
#include "regularfile.h"
#include "userfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString MakesItsOwn =
    QStringLiteral("; remove or rename it, and the program makes a file of its own there");

// A refused file whose own name holds what is refused (a link, a FIFO, a file of two names or
// of another user) is mended by moving it aside: the program then makes a file of its own.
QString withWayOut(const QString &path, const QString &error)
{
    struct stat info {};
    if (error.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0 ||
        (S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == ::geteuid()))
        return error;
    return error + MakesItsOwn;
}

// The file at path opened through the folder checked for it (CheckedFolder); -1 with the
// reason in *error.
int openPrivate(const QString &path, int flags, QString *error)
{
    *error = PrivateFile::refusal(path);
    if (!error->isEmpty())
        return -1;
    QString name;
    const CheckedFolder folder = CheckedFolder::holding(path, &name);
    const int descriptor = folder.openFile(name, flags, error);
    *error = withWayOut(path, *error);
    return descriptor;
}

// The descriptor handed to file, which closes it; closed here when file cannot take it.
bool adopt(QFile *file, int descriptor, QIODevice::OpenMode mode, QString *error)
{
    if (descriptor < 0)
        return false;
    if (file->open(descriptor, mode, QFileDevice::AutoCloseHandle))
        return true;
    *error = file->errorString();
    ::close(descriptor);
    return false;
}

} // namespace

QString PrivateFile::refusal(const QString &path)
{
    const PathTrust::Finding finding = PathTrust::check(path);
    if (finding.isClear())
        return QString();
    const QString problem =
        finding.text() + QStringLiteral(": only a place that no other user can change is used");
    if (finding.step == QFileInfo(path).absoluteFilePath())
        return problem + MakesItsOwn;
    const QString closing = UserFolders::closing(finding);
    return closing.isEmpty() ? problem : problem + QStringLiteral("; ") + closing;
}

bool PrivateFile::read(const QString &path, QByteArray *bytes, QString *error)
{
    const int descriptor = openPrivate(path, O_RDONLY, error);
    if (descriptor < 0)
        return false;
    const bool read = RegularFile::readOpened(descriptor, QFileInfo(path).absoluteFilePath(),
                                              MaxReadSize, bytes, error);
    ::close(descriptor);
    return read;
}

bool PrivateFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    *error = refusal(path);
    if (!error->isEmpty())
        return false;
    QString name;
    const CheckedFolder folder = CheckedFolder::holding(path, &name);
    const bool written = folder.replaceFile(name, bytes, error);
    *error = withWayOut(path, *error);
    return written;
}

bool PrivateFile::openForAppend(QFile *file, QString *error)
{
    return adopt(file, openPrivate(file->fileName(), O_WRONLY | O_APPEND | O_CREAT, error),
                 QIODevice::WriteOnly | QIODevice::Append, error);
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
