#include "windowstate.h"

#include "applet.h"
#include "appletlookup.h"
#include "inviewplacement.h"
#include "placementafterresize.h"
#include "privatefile.h"
#include "windowplacement.h"

#include <QDataStream>
#include <QDockWidget>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>
#include <QRegularExpression>
#include <QScrollBar>
#include <QWidget>

#include <limits>
#include <optional>

const char *const WindowState::FileName = "KVL52110.state";

namespace
{

constexpr int AppletFields = 6;
// Coordinates and sizes beyond this do not fit any screen many times over: such a line comes
// from a damaged file, and the rectangle arithmetic would overflow on it.
constexpr int MaxCoordinate = 100000;
// The main window's saved geometry, as QWidget::saveGeometry writes it (versions 1 to 3).
constexpr quint32 GeometryMagic = 0x1D9D0CB;
constexpr quint16 GeometryMaxVersion = 3;

bool saneNumber(qint64 n, qint64 minimum = -MaxCoordinate)
{
    return n >= minimum && n <= MaxCoordinate;
}

// A field as a number: an unreadable one counts as 0, one beyond 64 bits as out of range.
qint64 readNumber(const QByteArray &field)
{
    bool ok = false;
    const qint64 n = field.toLongLong(&ok);
    if (ok)
        return n;
    static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    return digits.match(QString::fromLatin1(field)).hasMatch() ? std::numeric_limits<qint64>::max()
                                                               : 0;
}

bool saneRect(const QRect &r)
{
    return saneNumber(r.left()) && saneNumber(r.top()) && saneNumber(r.right()) &&
           saneNumber(r.bottom());
}

// The window state (maximized, full screen) the saved main-window geometry was saved in, or
// nothing when it does not parse or a rectangle or the screen width lies outside the sane range.
std::optional<Qt::WindowStates> savedWindowState(const QByteArray &bytes)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    QRect normal;
    qint32 screen = 0;
    quint8 maximized = 0;
    quint8 fullScreen = 0;
    qint32 screenWidth = 0;
    QRect geometry;
    stream >> magic >> major >> minor >> frame >> normal >> screen >> maximized >> fullScreen;
    if (major > 1)
        stream >> screenWidth;
    if (major > 2)
        stream >> geometry;
    const bool sane = magic == GeometryMagic && major >= 1 && major <= GeometryMaxVersion &&
                      stream.status() == QDataStream::Ok && saneRect(frame) && saneRect(normal) &&
                      saneRect(geometry) && saneNumber(screenWidth, 0);
    if (!sane)
        return std::nullopt;
    Qt::WindowStates state;
    state.setFlag(Qt::WindowMaximized, maximized != 0);
    state.setFlag(Qt::WindowFullScreen, fullScreen != 0);
    return state;
}

// The MDI area a container lies in, or null for a dock widget.
QMdiArea *mdiAreaOf(const QWidget *container)
{
    const auto *subWindow = qobject_cast<const QMdiSubWindow *>(container);
    return subWindow ? subWindow->mdiArea() : nullptr;
}

// How far an area's view is scrolled from the origin of its content.
QPoint scrollOffset(const QMdiArea *area)
{
    return area ? QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value())
                : QPoint();
}

// A container's place as the file keeps it: an MDI window's in its area's content, which
// scrolling does not move; a dock widget's in the main window.
QRect storedGeometry(const Applet *applet)
{
    const QWidget *container = applet->container();
    if (!container)
        return applet->geometry();
    return container->geometry().translated(scrollOffset(mdiAreaOf(container)));
}

// Places an MDI window with its area scrolled back to the origin, within the view: cut to the
// view's size where it is larger and moved in from an edge it crosses, so that its title bar
// and buttons are in view, whatever size of area the line was saved from. A floating dock
// widget goes to its place.
void placeContainer(QWidget *container, const QRect &stored)
{
    QMdiArea *area = mdiAreaOf(container);
    if (!area) {
        // A docked window's place is its dock area's, which the main window's layout gives it.
        const auto *dock = qobject_cast<const QDockWidget *>(container);
        if (!dock || dock->isFloating())
            container->setGeometry(stored);
        return;
    }
    area->horizontalScrollBar()->setValue(0);
    area->verticalScrollBar()->setValue(0);
    if (auto *tools = dynamic_cast<InViewPlacement *>(area))
        tools->placeInView(static_cast<QMdiSubWindow *>(container), stored);
    else
        container->setGeometry(
            WindowPlacement::within(area->viewport()->rect(), stored, container->minimumSize()));
}

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
        const QRect r = storedGeometry(applet);
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
    return PrivateFile::write(fileName, format(), &m_error);
}

int WindowState::apply(const QByteArray &text)
{
    m_warnings.clear();
    m_geometryOnceNormal.clear();
    const QList<QByteArray> lines = text.split('\n');
    if (text.isEmpty())
        return 0;
    const bool mainWindowRestored = applyGeometryLine(lines.first());
    // The tool-window area takes its size in the main window now, so that the windows are
    // placed within the view it has.
    if (m_mainWindow && m_mainWindow->layout())
        m_mainWindow->layout()->activate();
    m_placed.clear();
    int restored = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (applyAppletLine(lines.at(i), int(i + 1)))
            ++restored;
    }
    // A window manager may resize the main window only later (on X11 it maximizes it after the
    // request): the tool windows then get their places again in the area it has then.
    if (mainWindowRestored && m_mainWindow->isVisible()) {
        const QList<Placed> placed = m_placed;
        PlacementAfterResize::start(
            m_mainWindow, m_mainWindow->windowState(),
            [placed]() {
                for (const Placed &p : placed) {
                    if (p.container)
                        placeContainer(p.container, p.place);
                }
            },
            m_geometryOnceNormal);
    }
    return restored;
}

bool WindowState::applyGeometryLine(const QByteArray &line)
{
    const QByteArray geometry = QByteArray::fromHex(line);
    if (!m_mainWindow || geometry.isEmpty())
        return false;
    const std::optional<Qt::WindowStates> saved = savedWindowState(geometry);
    if (!saved) {
        refuse(1, QStringLiteral("the main window's geometry is damaged or out of range"));
        return false;
    }
    // A window maximized (or full screen) as it was saved stays as it is: restoring would set
    // its normal geometry while a window manager keeps it maximized, and the window's contents
    // would then be laid out for the smaller size inside the larger window.
    const Qt::WindowStates filling = Qt::WindowMaximized | Qt::WindowFullScreen;
    const Qt::WindowStates now = m_mainWindow->windowState() & filling;
    if (saved->testAnyFlags(filling) && *saved == now)
        return false;
    // A window maximized now and saved un-maximized is un-maximized first, and sized only once
    // the window system has done so (a Wayland compositor ends the program otherwise).
    if (now && !saved->testAnyFlags(filling) && m_mainWindow->isVisible()) {
        m_geometryOnceNormal = geometry;
        m_mainWindow->setWindowState(m_mainWindow->windowState() & ~filling);
        return true;
    }
    return m_mainWindow->restoreGeometry(geometry);
}

// "name,x,y,width,height,visible"; an unreadable number counts as 0.
bool WindowState::applyAppletLine(const QByteArray &line, int lineNumber)
{
    const QList<QByteArray> fields = line.split(',');
    if (fields.size() != AppletFields)
        return false;
    Applet *applet = findApplet(QString::fromLatin1(fields.at(0)));
    if (!applet)
        return false;
    qint64 numbers[AppletFields - 1];
    for (int i = 1; i < AppletFields; ++i)
        numbers[i - 1] = readNumber(fields.at(i));
    const bool sane = saneNumber(numbers[0]) && saneNumber(numbers[1]) &&
                      saneNumber(numbers[2], 0) && saneNumber(numbers[3], 0);
    if (!sane) {
        refuse(lineNumber, QStringLiteral("the geometry of %1 is out of range")
                               .arg(QString::fromLatin1(fields.at(0))));
        return false;
    }
    const QRect place{int(numbers[0]), int(numbers[1]), int(numbers[2]), int(numbers[3])};
    if (QWidget *container = applet->container()) {
        placeContainer(container, place);
        m_placed.append({container, place});
    }
    if (applet == m_placeOnly)
        return true;
    if (numbers[4] != 0)
        applet->showWindow();
    else
        applet->hideWindow();
    return true;
}

void WindowState::refuse(int lineNumber, const QString &reason)
{
    m_warnings.append(QStringLiteral("%1 line %2 not restored: %3")
                          .arg(QString::fromLatin1(FileName))
                          .arg(lineNumber)
                          .arg(reason));
}

bool WindowState::restore(const QString &fileName)
{
    m_error.clear();
    QByteArray text;
    if (!PrivateFile::read(fileName, &text, &m_error))
        return false;
    apply(text);
    return true;
}

Applet *WindowState::findApplet(const QString &name) const
{
    return findAppletByName(m_applets, name);
}
