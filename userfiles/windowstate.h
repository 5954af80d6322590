#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

class Applet;
class QWidget;

// The window-state file "KVL52110.state": line 1 the main window's saved geometry as
// lower-case hexadecimal, then one line per applet in table order: object name, x, y, width,
// height of its container and 1 or 0 for visible, all separated by ",". A tool window's place
// is in its MDI area's content (where the area's view scrolled back to its origin shows it),
// a dock widget's in the main window.
class WindowState
{
public:
    static const char *const FileName; // "KVL52110.state"

    // Works on the main window and the applet table (null entries are skipped).
    WindowState(QWidget *mainWindow, const QList<Applet *> &applets);

    // The applet whose line restores its container's place only: its window stays shown or
    // hidden as it is (the log window, which follows the "Log" switch).
    void setPlaceOnly(const Applet *applet) { m_placeOnly = applet; }

    QByteArray format() const;
    // Writes format() through QSaveFile, the user's alone (PrivateFile); false with
    // errorString() when that fails.
    bool save(const QString &fileName = QString::fromLatin1(FileName));

    // Restores the main window's geometry from line 1 and each named applet's container
    // geometry and visibility from the lines with exactly six fields; other lines are
    // skipped. A tool window's MDI area is scrolled back to its origin and the window placed
    // within the view (cut to its size, moved in from an edge it crosses), so its title bar and
    // buttons are in view. A main window that is maximized as the file saved it stays as it is;
    // one maximized now that the file saved un-maximized is un-maximized, and given its saved
    // geometry once the window system reports it so (never sized while maximized); one that a
    // window manager resizes later (maximizes it on X11) has the windows placed again in the
    // area it has then.
    // A line whose position or size lies outside a sane range (far beyond any screen) is refused
    // with a warning and changes nothing.
    // Returns the number of applets restored.
    int apply(const QByteArray &text);
    // Reads the file and applies it; false with errorString() when it cannot be read.
    bool restore(const QString &fileName = QString::fromLatin1(FileName));

    QString errorString() const { return m_error; }
    // One text per line the last apply() refused.
    QStringList warnings() const { return m_warnings; }

private:
    // A container and the place its line gave it.
    struct Placed {
        QPointer<QWidget> container;
        QRect place;
    };

    Applet *findApplet(const QString &name) const;
    // Whether the main window's geometry was restored, or is to be once it is un-maximized.
    bool applyGeometryLine(const QByteArray &line);
    bool applyAppletLine(const QByteArray &line, int lineNumber);
    void refuse(int lineNumber, const QString &reason);

    QWidget *m_mainWindow;
    QList<Applet *> m_applets;
    const Applet *m_placeOnly = nullptr;
    QList<Placed> m_placed;          // by the last apply()
    QByteArray m_geometryOnceNormal; // the main window's, once it is un-maximized
    QString m_error;
    QStringList m_warnings;
};
