#include "privatefile.h"

#include "pathtrust.h"
#include "wholefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

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
    const QString refused = refusal(path);
    if (!refused.isEmpty()) {
        *error = refused;
        return false;
    }
    return readWholeFile(path, bytes, error);
}

bool PrivateFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString refused = refusal(path);
    if (!refused.isEmpty()) {
        *error = refused;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(OwnerOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool PrivateFile::openForAppend(QFile *file, QString *error)
{
    const QString path = file->fileName();
    *error = refusal(path);
    if (!error->isEmpty())
        return false;
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    struct stat info {};
    if (descriptor < 0 || ::fstat(descriptor, &info) != 0 ||
        (info.st_uid == ::geteuid() && ::fchmod(descriptor, 0600) != 0)) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        if (descriptor >= 0)
            ::close(descriptor);
        return false;
    }
    return file->open(descriptor, QIODevice::WriteOnly | QIODevice::Append,
                      QFileDevice::AutoCloseHandle);
}

bool PrivateFile::makeFolder(const QString &path)
{
    QString made = QDir::isAbsolutePath(path) ? QString() : QStringLiteral(".");
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        ::mkdir(QFile::encodeName(made).constData(), 0700); // an existing one stays as it is
    }
    if (!PathTrust::check(path).isClear())
        return false;
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        ::chmod(name.constData(), 0700);
    return true;
}
