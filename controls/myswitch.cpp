#include "myswitch.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTransform>

namespace CustomControls
{

namespace
{
// Corners are inclusive: QRect(QPoint(left, top), QPoint(right, bottom)).
QRect corners(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QList<MySwitch::PictureModel> buildPictureModels()
{
    const QString sw = ":/switches/";
    const QString led = ":/leds/";
    return {
        {"[/--]", {sw + "img_sw_on", sw + "img_sw_off"}, {}},
        {"[/-2]",
         {sw + "img_sw1_2_on1", sw + "img_sw1_2_on2"},
         {corners(0, 20, 31, 31), corners(0, 0, 31, 11)}},
        {"[/-3]",
         {sw + "img_sw1_3_on1", sw + "img_sw1_3_on2", sw + "img_sw1_3_on3"},
         {corners(0, 22, 31, 31), corners(0, 11, 31, 21), corners(0, 0, 31, 9)}},
        {"[/-4]",
         {sw + "img_sw1_4_on1", sw + "img_sw1_4_on2", sw + "img_sw1_4_on3", sw + "img_sw1_4_on4"},
         {corners(17, 34, 35, 49), corners(0, 25, 16, 44), corners(0, 5, 16, 24),
          corners(17, 0, 35, 15)}},
        {"[x]", {sw + "img_signal_1", sw + "img_signal_0"}, {}},
        {"[<>]", {sw + "img_buffer_right", sw + "img_buffer_left"}, {}},
        {"[*]", {sw + "img_btn_on", sw + "img_btn_off"}, {}},
        {"[R]", {sw + "img_btn_on_red", sw + "img_btn_off"}, {}},
        {"[RED]", {led + "img_led_red", led + "img_led_gray"}, {}},
        {"[GREEN]", {led + "img_led_green", led + "img_led_gray"}, {}},
        {"[RED-GREEN]", {led + "img_led_red", led + "img_led_green", led + "img_led_gray"}, {}},
        {QString(), {}, {}},
    };
}
} // namespace

const QList<MySwitch::PictureModel> &MySwitch::pictureModels()
{
    static const QList<PictureModel> models = buildPictureModels();
    return models;
}

int MySwitch::modelForWord(const QString &word)
{
    const QList<PictureModel> &models = pictureModels();
    for (int i = 0; i < models.size(); ++i) {
        if (!models.at(i).word.isEmpty() && models.at(i).word == word)
            return i;
    }
    return -1;
}

MySwitch::MySwitch(QWidget *parent) : QLabel(parent)
{
    setReadOnly(false);
    setAutoFillBackground(true);
}

void MySwitch::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setCursor(readOnly ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void MySwitch::addState(const QString &name, const QString &picture, int value)
{
    State state;
    state.value = value == -1 ? int(m_states.size()) : value;
    state.name = name;
    state.picture = picture;
    m_states.append(state);
}

void MySwitch::appendStates(const QStringList &states)
{
    for (const QString &entry : states) {
        const int separator = int(entry.indexOf('='));
        if (separator < 0)
            addState(entry, QString());
        else
            addState(entry.left(separator), entry.mid(separator + 1));
    }
}

void MySwitch::setStateRegion(int index, const QRect &region)
{
    if (index >= 0 && index < m_states.size())
        m_states[index].region = region;
}

void MySwitch::setModel(int model)
{
    m_model = model;
    m_states.clear();
    m_currentIndex = 0;
    if (model >= 0 && model < pictureModels().size()) {
        const PictureModel &entry = pictureModels().at(model);
        for (int i = 0; i < entry.pictures.size(); ++i)
            addState(QString(), entry.pictures.at(i), i);
        for (int i = 0; i < entry.regions.size() && i < m_states.size(); ++i)
            m_states[i].region = entry.regions.at(i);
    }
    update();
}

bool MySwitch::setCurrentIndex(int index)
{
    if (index == m_currentIndex || index < 0 || index >= m_states.size())
        return false;
    m_currentIndex = index;
    update();
    emit signal_StateChanged(m_states.at(index).value);
    return true;
}

bool MySwitch::hasCurrentState() const
{
    return m_currentIndex >= 0 && m_currentIndex < m_states.size();
}

int MySwitch::currentState() const
{
    return hasCurrentState() ? m_states.at(m_currentIndex).value : -1;
}

bool MySwitch::isCurrentName(const QString &name) const
{
    return hasCurrentState() && m_states.at(m_currentIndex).name == name;
}

void MySwitch::setCurrentState(qint32 value)
{
    for (int i = 0; i < m_states.size(); ++i) {
        if (m_states.at(i).value == value)
            setCurrentIndex(i);
    }
}

void MySwitch::paintEvent(QPaintEvent *)
{
    if (!hasCurrentState())
        return;
    QPixmap picture(m_states.at(m_currentIndex).picture);
    if (picture.isNull())
        return;
    picture = picture.transformed(QTransform().rotate(m_angle), Qt::FastTransformation);
    picture = picture.transformed(
        QTransform::fromScale(m_mirroredX ? -1.0 : 1.0, m_mirroredY ? -1.0 : 1.0));
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(rect(), picture);
}

int MySwitch::stateForClick(const QPointF &position) const
{
    const QSize pictureSize = QPixmap(m_states.at(m_currentIndex).picture).size();
    const double pw = pictureSize.width();
    const double ph = pictureSize.height();
    int x = width() > 0 ? int(pw / width() * position.x()) : 0;
    int y = height() > 0 ? int(ph / height() * position.y()) : 0;
    if (m_mirroredX)
        x = int(pw) - x;
    if (m_mirroredY)
        y = int(ph) - y;
    for (int i = 0; i < m_states.size(); ++i) {
        const QRect &region = m_states.at(i).region;
        if (region.isNull())
            break;
        if (region.contains(x, y))
            return i;
    }
    return (m_currentIndex + 1) % int(m_states.size());
}

void MySwitch::mousePressEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_readOnly || !hasCurrentState())
        return;
    setCurrentIndex(stateForClick(event->position()));
    emit signal_clicked();
}

} // namespace CustomControls
