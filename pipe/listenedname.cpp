#include "listenedname.h"

#include "socketdir.h"

#include <QFile>

#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ListenedName::~ListenedName()
{
    release();
}

void ListenedName::release()
{
    for (int descriptor : {m_address.exchange(-1), std::exchange(m_directory, -1)}) {
        if (descriptor >= 0)
            ::close(descriptor);
    }
    m_turnedAway.store(false);
    m_inode = 0;
}

QString ListenedName::address(const SocketDir &dir, const QString &name)
{
    release();
    m_name = QFile::encodeName(name);
    const int directory = dir.isOpen() ? ::fcntl(dir.descriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    const int address = directory >= 0 ? ::fcntl(directory, F_DUPFD_CLOEXEC, 0) : -1;
    if (address < 0) {
        if (directory >= 0)
            ::close(directory);
        return dir.address(name);
    }
    m_directory = directory;
    m_address.store(address);
    return SocketDir::addressThrough(address, name);
}

void ListenedName::listened()
{
    struct stat info {};
    const bool found = m_directory >= 0 &&
                       ::fstatat(m_directory, m_name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    m_device = found ? info.st_dev : 0;
    m_inode = found ? info.st_ino : 0;
}

void ListenedName::turnAway(int replacement)
{
    const int address = m_address.load();
    if (address >= 0 && ::dup2(replacement, address) == address)
        m_turnedAway.store(true);
}

void ListenedName::removeTurnedAway()
{
    struct stat info {};
    if (m_turnedAway.load() && m_inode != 0 &&
        ::fstatat(m_directory, m_name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        info.st_dev == m_device && info.st_ino == m_inode)
        ::unlinkat(m_directory, m_name.constData(), 0);
    m_inode = 0;
}
