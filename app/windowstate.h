#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Applet;
class QWidget;

// The window-state file "KVL52110.state": line 1 the main window's saved geometry as
// lower-case hexadecimal, then one line per applet in table order: object name, x, y, width,
// height of its container (relative to the container's parent) and 1 or 0 for visible, all
// separated by ",".
class WindowState
{
public:
    static const char *const FileName; // "KVL52110.state"

    // Works on the main window and the applet table (null entries are skipped).
    WindowState(QWidget *mainWindow, const QList<Applet *> &applets);

    QByteArray format() const;
    // Writes format() through QSaveFile; false with errorString() when that fails.
    bool save(const QString &fileName = QString::fromLatin1(FileName));

    // Restores the main window's geometry from line 1 and each named applet's container
    // geometry and visibility from the lines with exactly six fields; other lines are
    // skipped. Returns the number of applets restored.
    int apply(const QByteArray &text) const;
    // Reads the file and applies it; false with errorString() when it cannot be read.
    bool restore(const QString &fileName = QString::fromLatin1(FileName));

    QString errorString() const { return m_error; }

private:
    Applet *findApplet(const QString &name) const;
    bool applyAppletLine(const QByteArray &line) const;

    QWidget *m_mainWindow;
    QList<Applet *> m_applets;
    QString m_error;
};
