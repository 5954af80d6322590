#include "documentopener.h"

#include "checkedprogram.h"
#include "prompt.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace
{

DocumentOpener::UrlOpener &openerOverride()
{
    static DocumentOpener::UrlOpener opener;
    return opener;
}

bool openUrl(const QUrl &url)
{
    const DocumentOpener::UrlOpener &opener = openerOverride();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

} // namespace

DocumentOpener::DocumentOpener(const QString &specPath) : m_path(specPath) {}

void DocumentOpener::setUrlOpener(const UrlOpener &opener)
{
    openerOverride() = opener;
}

QString DocumentOpener::openSpec()
{
    m_error.clear();
    QString path = m_path;
    if (!QFileInfo(path).isFile())
        path = Prompt::openFile(QStringLiteral("Spec path"), QStringLiteral("Datasheet"),
                                QStringLiteral("Files (*.docx *.doc *.pdf)"));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QString();
    // The document gets the check of a program to start: the desktop's program that opens it
    // trusts what it reads as much.
    const CheckedProgram checked(path);
    if (!checked.isOpen()) {
        m_error = QStringLiteral("Datasheet not opened: %1.").arg(checked.error());
        if (checked.refused())
            m_error += QStringLiteral(" Keep it where only you or root can change it.");
        return QString();
    }
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (!openUrl(url))
        m_error = QStringLiteral("Cannot open %1").arg(QDir::toNativeSeparators(path));
    return path;
}
