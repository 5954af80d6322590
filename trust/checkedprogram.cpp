#include "checkedprogram.h"

#include "checkedfolder.h"
#include "pathtrust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString descriptorPath(int descriptor)
{
    return QStringLiteral("/proc/self/fd/%1").arg(descriptor);
}

// The descriptor of a new folder of the user's alone (mode 0700) in the temporary folder, its
// path in *path; -1 when none can be made, or when what was opened is not that folder.
int privateFolder(QString *path)
{
    QByteArray made = QFile::encodeName(QDir::tempPath() + QStringLiteral("/kvl52110-XXXXXX"));
    if (!::mkdtemp(made.data()))
        return -1;
    *path = QFile::decodeName(made);
    const int folder = ::open(made.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {
    };
    if (folder >= 0 && ::fstat(folder, &info) == 0 && info.st_uid == ::geteuid() &&
        (info.st_mode & 07777) == 0700)
        return folder;
    if (folder >= 0)
        ::close(folder);
    ::rmdir(made.constData());
    path->clear();
    return -1;
}

} // namespace

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
    if (opened >= 0)
        ::close(opened);
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
    if (m_linkFolder.isEmpty())
        return;
    QFile::remove(m_linkFolder + QLatin1Char('/') + m_name);
    ::rmdir(QFile::encodeName(m_linkFolder).constData());
    m_linkFolder.clear();
}
