#include "daylogfile.h"

#include "logs.h"
#include "privatefile.h"

#include <cerrno>
#include <cstring>

#include <sys/statvfs.h>
#include <unistd.h>

namespace
{
constexpr int WarningLevel = 1;
} // namespace

bool DayLogFile::open(const QString &path, QString *error)
{
    if (path != m_path)
        m_lost = 0; // the entries lost were another file's, which the error named
    m_path = path;
    m_file.setFileName(path);
    return PrivateFile::openForAppend(&m_file, error);
}

void DayLogFile::close()
{
    m_file.close();
}

DayLogFile::Outcome DayLogFile::append(const QByteArray &line)
{
    const bool resuming = m_lost > 0;
    if (resuming && diskFull()) {
        ++m_lost;
        return Lost;
    }
    if (writeWhole(resuming ? lostLine() + line : line)) {
        m_lost = 0;
        return resuming ? Resumed : Written;
    }
    if (m_lost++ > 0)
        return Lost;
    m_lostSince = QTime::currentTime();
    return Stopped;
}

// All of bytes, or nothing: what a failed write left is cut off again.
bool DayLogFile::writeWhole(const QByteArray &bytes)
{
    const int descriptor = m_file.handle();
    const off_t end = ::lseek(descriptor, 0, SEEK_END);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        m_failure = QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC));
        [[maybe_unused]] const int cut = end >= 0 ? ::ftruncate(descriptor, end) : 0;
        return false;
    }
    return true;
}

bool DayLogFile::diskFull() const
{
    struct statvfs disk {
    };
    return ::fstatvfs(m_file.handle(), &disk) == 0 && disk.f_bavail == 0;
}

QByteArray DayLogFile::lostLine() const
{
    return Logs::fileLine(
        WarningLevel,
        QStringLiteral(
            "The day's log resumes here: %1 entries from %2 on could not be written (%3)")
            .arg(m_lost)
            .arg(m_lostSince.toString(QStringLiteral("HH:mm:ss")), m_failure));
}
