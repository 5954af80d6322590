#pragma once

#include <QLabel>
#include <QList>
#include <QRect>
#include <QStringList>

namespace CustomControls
{

// A label that shows one of several state pictures and steps to another state on a click.
// States come from a built-in picture model (setModel) or are added one by one (addState).
// A click inside a state's click region selects that state; elsewhere it steps to the next
// state. Clicks are ignored while read-only.
class MySwitch : public QLabel
{
    Q_OBJECT
public:
    // The built-in picture models; the words select them in a switch's label text.
    enum Model {
        OnOff = 0,        // "[/--]"
        Selector2 = 1,    // "[/-2]"
        Selector3 = 2,    // "[/-3]"
        Selector4 = 3,    // "[/-4]"
        Signal = 4,       // "[x]"
        Buffer = 5,       // "[<>]"
        Button = 6,       // "[*]"
        ButtonRed = 7,    // "[R]"
        LedRed = 8,       // "[RED]"
        LedGreen = 9,     // "[GREEN]"
        LedRedGreen = 10, // "[RED-GREEN]"
        NoModel = 11      // no pictures; also the model before any setModel
    };
    Q_ENUM(Model)

    struct State {
        int value = 0;
        QString name;
        QString picture;
        QRect region; // click region in picture coordinates; null when the state has none
    };

    // One entry of the picture model table: the word, the pictures (state 0 first) and the
    // click regions (state 0 first; fewer than pictures, or none).
    struct PictureModel {
        QString word;
        QStringList pictures;
        QList<QRect> regions;
    };
    static const QList<PictureModel> &pictureModels();
    // The model whose word equals word exactly (case-sensitive); -1 when none does.
    static int modelForWord(const QString &word);

    explicit MySwitch(QWidget *parent = nullptr);

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    void setAngle(double angle) { m_angle = angle; }
    double angle() const { return m_angle; }
    void setMirroredX(bool mirrored) { m_mirroredX = mirrored; }
    bool mirroredX() const { return m_mirroredX; }
    void setMirroredY(bool mirrored) { m_mirroredY = mirrored; }
    bool mirroredY() const { return m_mirroredY; }
    int model() const { return m_model; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // Appends a state with a null region; value -1 stands for the number of states before it.
    void addState(const QString &name, const QString &picture, int value = -1);
    // Each entry "name=picture" becomes a state with value -1.
    void appendStates(const QStringList &states);
    void setStateRegion(int index, const QRect &region);
    // Replaces the states by those of picture model n (values 0, 1, ...); index back to 0.
    void setModel(int model);
    const QList<State> &states() const { return m_states; }
    int stateCount() const { return int(m_states.size()); }

    // Makes state i current; false (and nothing done) when i is current or out of range.
    bool setCurrentIndex(int index);
    int currentIndex() const { return m_currentIndex; }
    // The value of the current state; -1 when the switch has no states.
    int currentState() const;
    bool isCurrentName(const QString &name) const;

public slots:
    // Makes current each state whose value equals value (the last one wins); unknown values
    // change nothing.
    void setCurrentState(qint32 value);

signals:
    void signal_StateChanged(qint32 value);
    void signal_clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

    bool hasCurrentState() const;

private:
    // The state whose click region contains the picture point, or the next state.
    int stateForClick(const QPointF &position) const;

    QString m_name;
    bool m_readOnly = false;
    bool m_mirroredX = false;
    bool m_mirroredY = false;
    double m_angle = 0.0;
    int m_currentIndex = 0;
    int m_model = NoModel;
    QList<State> m_states;
};

} // namespace CustomControls
