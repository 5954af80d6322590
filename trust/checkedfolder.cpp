#include "checkedfolder.h"

#include "pathtrust.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes the whole of bytes and makes it durable before the rename.
bool writeAll(int descriptor, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (n == 0 || (n < 0 && errno != EINTR))
            return false;
        done += n > 0 ? n : 0;
    }
    return ::fdatasync(descriptor) == 0;
}

// Gives a file of the user's mode 0600; another's (root's) stays as it is.
bool makeOwnersAlone(int descriptor)
{
    struct stat info {
    };
    return ::fstat(descriptor, &info) == 0 &&
           (info.st_uid != ::geteuid() || (info.st_mode & 07777) == 0600 ||
            ::fchmod(descriptor, 0600) == 0);
}

} // namespace

CheckedFolder::CheckedFolder(const QString &path) : m_path(path)
{
    const PathTrust::Finding way = PathTrust::check(path);
    if (!way.isClear()) {
        m_error = way.text();
        return;
    }
    m_descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_descriptor < 0) {
        m_error = RegularFile::openFailure(path, errno);
        return;
    }
    const PathTrust::Finding opened = PathTrust::checkOpened(path, m_descriptor);
    if (!opened.isClear()) {
        m_error = opened.text();
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

CheckedFolder CheckedFolder::holding(const QString &path, QString *name)
{
    const QFileInfo given(path);
    const QString target = given.isSymLink() ? given.canonicalFilePath() : QString();
    const QFileInfo file(target.isEmpty() ? given.absoluteFilePath() : target);
    *name = file.fileName();
    return CheckedFolder(file.absolutePath());
}

CheckedFolder::CheckedFolder(CheckedFolder &&other) noexcept
    : m_path(other.m_path), m_descriptor(other.m_descriptor), m_error(other.m_error)
{
    other.m_descriptor = -1;
}

CheckedFolder::~CheckedFolder()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QString CheckedFolder::pathOf(const QString &name) const
{
    return m_path.endsWith(QLatin1Char('/')) ? m_path + name : m_path + QLatin1Char('/') + name;
}

int CheckedFolder::openFile(const QString &name, int flags, QString *error) const
{
    const int descriptor = openChecked(name, flags, true, error);
    if (descriptor < 0 || (flags & O_ACCMODE) == O_RDONLY || makeOwnersAlone(descriptor))
        return descriptor;
    *error =
        QStringLiteral("%1 cannot be made yours alone (%2)").arg(pathOf(name), systemError(errno));
    ::close(descriptor);
    return -1;
}

int CheckedFolder::openProgram(const QString &name, QString *error) const
{
    return openChecked(name, O_RDONLY, false, error);
}

// Opens without following a link or waiting (RegularFile), and judges what was opened: a file
// of the program's own has one name (oneName), and every file is the user's or root's and closed
// to others' writing.
int CheckedFolder::openChecked(const QString &name, int flags, bool oneName, QString *error) const
{
    const QString path = pathOf(name);
    if (!isOpen()) {
        *error = m_error;
        return -1;
    }
    const int descriptor = RegularFile::open(m_descriptor, name, flags | O_NOFOLLOW, path, error);
    if (descriptor < 0)
        return -1;
    struct stat info {
    };
    if (::fstat(descriptor, &info) != 0)
        *error = RegularFile::openFailure(path, errno);
    else if (oneName && info.st_nlink != 1)
        *error = QStringLiteral("%1 has %2 links: another name leads to it too")
                     .arg(path)
                     .arg(info.st_nlink);
    else
        *error = PathTrust::checkOpened(path, descriptor).text();
    if (error->isEmpty())
        return descriptor;
    ::close(descriptor);
    return -1;
}

bool CheckedFolder::replaceFile(const QString &name, const QByteArray &bytes, QString *error) const
{
    if (!isOpen()) {
        *error = m_error;
        return false;
    }
    QByteArray temporary;
    int descriptor = -1;
    for (int attempt = 0; descriptor < 0 && attempt < 100; ++attempt) {
        temporary = QFile::encodeName(name) + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
        descriptor = ::openat(m_descriptor, temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    if (descriptor < 0) {
        *error = systemError(errno);
        return false;
    }
    bool written = writeAll(descriptor, bytes);
    int failure = written ? 0 : errno;
    if (::close(descriptor) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && ::renameat(m_descriptor, temporary.constData(), m_descriptor,
                              QFile::encodeName(name).constData()) == 0)
        return true;
    *error = systemError(written ? errno : failure);
    ::unlinkat(m_descriptor, temporary.constData(), 0);
    return false;
}

void CheckedFolder::makePrivate() const
{
    struct stat info {
    };
    if (isOpen() && ::fstat(m_descriptor, &info) == 0 && info.st_uid == ::geteuid() &&
        (info.st_mode & 077) != 0)
        ::fchmod(m_descriptor, 0700);
}
