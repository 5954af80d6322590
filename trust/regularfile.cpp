#include "regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A bound as a person reads it: "1 MiB", "64 KiB", "100 bytes".
QString sizeText(qint64 bytes)
{
    if (bytes > 0 && bytes % RegularFile::MiB == 0)
        return QStringLiteral("%1 MiB").arg(bytes / RegularFile::MiB);
    if (bytes > 0 && bytes % RegularFile::KiB == 0)
        return QStringLiteral("%1 KiB").arg(bytes / RegularFile::KiB);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString tooLarge(const QString &shown, qint64 limit)
{
    return QStringLiteral("%1 is larger than %2, more than such a file holds")
        .arg(shown, sizeText(limit));
}

QString readFailure(const QString &shown, int errorNumber)
{
    return QStringLiteral("%1 cannot be read (%2)")
        .arg(shown, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

// A resource of the program's own, within the bound all the same.
bool readResource(const QString &path, qint64 limit, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be opened (%2)").arg(path, file.errorString());
        return false;
    }
    if (file.size() > limit) {
        *error = tooLarge(path, limit);
        return false;
    }
    *bytes = file.readAll();
    return true;
}

} // namespace

QString RegularFile::openFailure(const QString &path, int errorNumber)
{
    if (errorNumber == ELOOP)
        return path + QStringLiteral(" is a link, not followed");
    if (errorNumber == ENXIO)
        return path + QStringLiteral(" is not a regular file");
    return QStringLiteral("%1 cannot be opened (%2)")
        .arg(path, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

int RegularFile::open(int folder, const QString &name, int flags, const QString &shown,
                      QString *error)
{
    const int descriptor = ::openat(folder, QFile::encodeName(name).constData(),
                                    flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        *error = openFailure(shown, errno);
        return -1;
    }
    struct stat info {
    };
    int status = -1;
    if (::fstat(descriptor, &info) != 0)
        *error = openFailure(shown, errno);
    else if (!S_ISREG(info.st_mode))
        *error = shown + QStringLiteral(" is not a regular file");
    else if ((status = ::fcntl(descriptor, F_GETFL)) < 0 ||
             ::fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK) != 0)
        *error = openFailure(shown, errno);
    else
        return descriptor;
    ::close(descriptor);
    return -1;
}

bool RegularFile::readOpened(int descriptor, const QString &shown, qint64 limit, QByteArray *bytes,
                             QString *error)
{
    struct stat info {
    };
    if (::fstat(descriptor, &info) != 0) {
        *error = readFailure(shown, errno);
        return false;
    }
    if (info.st_size > limit) {
        *error = tooLarge(shown, limit);
        return false;
    }
    // The size told is a hint (a file may grow meanwhile, one of /proc tells none): read to the
    // end, one byte past the bound at most.
    QByteArray read(qsizetype(qMax<qint64>(info.st_size, 4096) + 1), Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        if (done == read.size())
            read.resize(qsizetype(qMin(limit + 1, 2 * done)));
        const ssize_t n = ::read(descriptor, read.data() + done, size_t(read.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = readFailure(shown, errno);
            return false;
        }
        done += n;
        if (done > limit) {
            *error = tooLarge(shown, limit);
            return false;
        }
        if (n == 0)
            break;
    }
    read.truncate(qsizetype(done));
    *bytes = read;
    return true;
}

bool RegularFile::read(const QString &path, qint64 limit, QByteArray *bytes, QString *error)
{
    if (path.startsWith(QLatin1Char(':')))
        return readResource(path, limit, bytes, error);
    const int descriptor = open(AT_FDCWD, path, O_RDONLY, path, error);
    if (descriptor < 0)
        return false;
    const bool read = readOpened(descriptor, path, limit, bytes, error);
    ::close(descriptor);
    return read;
}
