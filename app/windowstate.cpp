#include "windowstate.h"

#include "applet.h"
#include "appletlookup.h"
#include "wholefile.h"

#include <QWidget>

const char *const WindowState::FileName = "KVL52110.state";

namespace
{

constexpr int AppletFields = 6;

} // namespace

WindowState::WindowState(QWidget *mainWindow, const QList<Applet *> &applets)
    : m_mainWindow(mainWindow), m_applets(applets)
{
}

QByteArray WindowState::format() const
{
    QByteArray text = m_mainWindow ? m_mainWindow->saveGeometry().toHex() : QByteArray();
    text += '\n';
    for (Applet *applet : m_applets) {
        if (!applet)
            continue;
        const QWidget *container = applet->container();
        const QRect r = container ? container->geometry() : applet->geometry();
        // Joined field by field: a name holding "%" must not take the numbers' places.
        const QList<QByteArray> fields = {
            applet->name().toLatin1(),      QByteArray::number(r.x()),
            QByteArray::number(r.y()),      QByteArray::number(r.width()),
            QByteArray::number(r.height()), QByteArray::number(applet->isWindowVisible() ? 1 : 0)};
        text += fields.join(',') + '\n';
    }
    return text;
}

bool WindowState::save(const QString &fileName)
{
    m_error.clear();
    return writeWholeFile(fileName, format(), &m_error);
}

int WindowState::apply(const QByteArray &text) const
{
    const QList<QByteArray> lines = text.split('\n');
    if (text.isEmpty())
        return 0;
    if (m_mainWindow)
        m_mainWindow->restoreGeometry(QByteArray::fromHex(lines.first()));
    int restored = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (applyAppletLine(lines.at(i)))
            ++restored;
    }
    return restored;
}

// "name,x,y,width,height,visible"; an unreadable number counts as 0.
bool WindowState::applyAppletLine(const QByteArray &line) const
{
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() != AppletFields)
        return false;
    Applet *applet = findApplet(QString::fromLatin1(fields.at(0)));
    if (!applet)
        return false;
    int numbers[AppletFields - 1];
    for (int i = 1; i < AppletFields; ++i)
        numbers[i - 1] = fields.at(i).toInt();
    if (QWidget *container = applet->container())
        container->setGeometry(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (numbers[4] != 0)
        applet->showWindow();
    else
        applet->hideWindow();
    return true;
}

bool WindowState::restore(const QString &fileName)
{
    m_error.clear();
    QByteArray text;
    if (!readWholeFile(fileName, &text, &m_error))
        return false;
    apply(text);
    return true;
}

Applet *WindowState::findApplet(const QString &name) const
{
    return findAppletByName(m_applets, name);
}
