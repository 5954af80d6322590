#include "checkedprogram.h"

#include "checkedfolder.h"
#include "pathtrust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>

#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char FolderPrefix[] = "kvl52110-";
const QRegularExpression FolderName(QStringLiteral("^kvl52110-[A-Za-z0-9]{6}$")); // mkdtemp's
const QByteArray LinkTarget = QByteArrayLiteral("/proc/self/fd/");

QString descriptorPath(int descriptor)
{
    return QStringLiteral("/proc/self/fd/%1").arg(descriptor);
}

// Whether the opened folder is the user's alone, as start() makes it.
bool isPrivate(int folder)
{
    struct stat info {
    };
    return ::fstat(folder, &info) == 0 && info.st_uid == ::geteuid() &&
           (info.st_mode & 07777) == 0700;
}

// The descriptor of a new folder of the user's alone (mode 0700) in the temporary folder, its
// path in *path, held locked; -1 when none can be made, or when what was opened is not that
// folder.
int privateFolder(QString *path)
{
    QByteArray made = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') +
                                        QLatin1String(FolderPrefix) + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(made.data()))
        return -1;
    *path = QFile::decodeName(made);
    const int folder = ::open(made.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0 && isPrivate(folder) && ::flock(folder, LOCK_EX | LOCK_NB) == 0)
        return folder;
    if (folder >= 0)
        ::close(folder);
    ::rmdir(made.constData());
    path->clear();
    return -1;
}

// The names in the opened folder, "." and ".." left out.
QList<QByteArray> entries(int folder)
{
    QList<QByteArray> names;
    DIR *listing = ::fdopendir(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    while (const dirent *entry = listing ? ::readdir(listing) : nullptr) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    if (listing)
        ::closedir(listing);
    return names;
}

// Whether the opened folder holds what start() leaves in it, nothing or its one link, and
// then empties it.
bool emptiedOfItsLink(int folder)
{
    const QList<QByteArray> names = entries(folder);
    if (names.isEmpty())
        return true;
    char target[64] = {};
    struct stat info {
    };
    return names.size() == 1 &&
           ::fstatat(folder, names.first().constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(info.st_mode) &&
           ::readlinkat(folder, names.first().constData(), target, sizeof target - 1) > 0 &&
           QByteArray(target).startsWith(LinkTarget) &&
           ::unlinkat(folder, names.first().constData(), 0) == 0;
}

} // namespace

void CheckedProgram::removeStaleFolders()
{
    const int temp =
        ::open(QFile::encodeName(QDir::tempPath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (temp < 0)
        return;
    for (const QByteArray &name : entries(temp)) {
        if (!FolderName.match(QString::fromLatin1(name)).hasMatch())
            continue;
        const int folder =
            ::openat(temp, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        // A folder that a running program holds is in use; a lock taken is let go at close.
        if (folder >= 0 && isPrivate(folder) && ::flock(folder, LOCK_EX | LOCK_NB) == 0 &&
            emptiedOfItsLink(folder))
            ::unlinkat(temp, name.constData(), AT_REMOVEDIR);
        if (folder >= 0)
            ::close(folder);
    }
    ::close(temp);
}

CheckedProgram::CheckedProgram(const QString &path) : m_name(QFileInfo(path).fileName())
{
    if (path.isEmpty()) {
        m_error = QStringLiteral("no file is named");
        return;
    }
    const PathTrust::Finding finding = PathTrust::check(path);
    if (!finding.isClear()) {
        m_error = finding.text();
        m_refused = true;
        return;
    }
    QString name;
    const CheckedFolder folder = CheckedFolder::holding(path, &name);
    m_descriptor = folder.openProgram(name, &m_error);
}

CheckedProgram::~CheckedProgram()
{
    removeLink();
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool CheckedProgram::start(const std::function<bool(const QString &program)> &start)
{
    if (!isOpen())
        return false;
    // dup gives descriptors without close-on-exec: the child keeps them through its exec, so
    // the kernel, and an interpreter named by a "#!" line, open the file checked through them.
    const int inherited = ::dup(m_descriptor);
    if (inherited < 0)
        return false;
    int folder = -1;
    const QString program = linkTo(inherited, &folder);
    const bool started = start(program);
    if (folder >= 0)
        ::close(folder);
    ::close(inherited);
    return started;
}

// A link named as the program to the descriptor, in a private folder reached through an
// inherited copy of its own descriptor (*folder): no path is looked up by name but the link's.
QString CheckedProgram::linkTo(int descriptor, int *folder)
{
    removeLink();
    const int opened = m_name.isEmpty() ? -1 : privateFolder(&m_linkFolder);
    *folder = opened >= 0 ? ::dup(opened) : -1;
    const bool linked =
        *folder >= 0 && ::symlinkat(QFile::encodeName(descriptorPath(descriptor)).constData(),
                                    opened, QFile::encodeName(m_name).constData()) == 0;
    m_linkFolderLock = opened;
    if (linked)
        return descriptorPath(*folder) + QLatin1Char('/') + m_name;
    if (*folder >= 0)
        ::close(*folder);
    *folder = -1;
    removeLink();
    return descriptorPath(descriptor);
}

void CheckedProgram::removeLink()
{
    if (!m_linkFolder.isEmpty()) {
        QFile::remove(m_linkFolder + QLatin1Char('/') + m_name);
        ::rmdir(QFile::encodeName(m_linkFolder).constData());
        m_linkFolder.clear();
    }
    if (m_linkFolderLock >= 0)
        ::close(m_linkFolderLock);
    m_linkFolderLock = -1;
}
