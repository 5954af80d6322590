#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Opens the datasheet with the desktop's program for its type (QDesktopServices, never a
// shell). When no file exists at the stored path, it asks for one first. A file that another
// user can change, or that the way to it lets them replace, is not opened (CheckedProgram).
class DocumentOpener
{
public:
    // Opens a local file's URL; true on success. Tests replace it.
    using UrlOpener = std::function<bool(const QUrl &url)>;

    explicit DocumentOpener(const QString &specPath);

    // Opens the datasheet. Returns the path of the file it found (to be kept as "spec_path"),
    // or an empty text when the user chose none or the file was refused. errorString() is set
    // when the file was refused or the desktop could not open it.
    QString openSpec();
    QString errorString() const { return m_error; }

    // Replaces QDesktopServices::openUrl (tests); an empty opener restores it.
    static void setUrlOpener(const UrlOpener &opener);

private:
    QString m_path;
    QString m_error;
};
