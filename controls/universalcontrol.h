#pragma once

// The binding interface of every value widget of the CustomControls library.
//
// A value widget is a Qt widget (first base) that also implements UniversalControl (second
// base). The applet finds it among its descendants (class name contains "CustomControls"),
// reads its binding name through registerName, binds it to a register field, a variable or
// a command, connects its change signal through connectChanged and moves values as doubles
// (byte arrays for array variables).
//
// Binding names (registerName, every widget but the push button), resolved on the first call
// and cached afterwards:
//   - the binding name (AccessibleNames::bindingName: what the form gave as the accessible
//     name) when it is not empty, else nameFromObjectName(objectName());
//   - split with splitName into register part (part 1) and field part (part 0);
//     the whole name (part 2) is the name itself.
//   nameFromObjectName drops the two-letter type prefix and turns the first "_" into "[",
//   the second into ":" and appends "]": "cmREG0F_15_14" -> "REG0F[15:14]",
//   "cbREG10_3" -> "REG10[3]", "cbBUCK1EN" -> "BUCK1EN".
// Push buttons (commands) use the command rule: the binding name split with splitName into
// prefix, command (part 1) and argument (part 0); without one, the object name without its
// first two characters split at "_": [1] prefix, [2] command, [3] argument
// ("pbBoard_readReg0F" -> command "readReg0F"). Part 2 equals part 1.
//
// Family table (type code, change signal, caption):
//   CheckBox        1  clicked()           button text
//   PushButton      2  clicked()           -
//   SpinBox         3  editingFinished()   -
//   ProgressBar     3  (none)              -
//   LineEdit        4  signal_activated()  -
//   RealEdit        5  signal_activated()  -
//   ComboBox        6  signal_activated()  -
//   ButtonBox       7  signal_clicked()    group box title
//   Switch          8  signal_clicked()    -
//   Dial           10  valueChanged(int)   -
//   Slider         11  sliderMoved(int)    -
//   RadioButton    12  clicked()           button text
//
// Implementing a widget: override the eleven pure operations; use the protected helpers
// (resolveBindingName / resolveCommandName, connectChangeSignal / disconnectChangeSignal,
// handleScriptDragPress, paintScriptTint) so every widget follows the same rules. A widget
// without a caption derives from NoCaptionControl instead and adds
// "using QtBase::setText; using QtBase::text;" when its Qt base has them, so the form's own
// setText still reaches the Qt widget while the applet's caption is ignored.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QMouseEvent;
class QWidget;

namespace CustomControls
{

class UniversalControl
{
public:
    enum ControlType {
        NoControl = 0,
        CheckBoxControl = 1,
        PushButtonControl = 2,
        ProgressBarControl = 3,
        SpinBoxControl = 3,
        LineEditControl = 4,
        RealEditControl = 5,
        ComboBoxControl = 6,
        ButtonBoxControl = 7,
        SwitchControl = 8,
        DialControl = 10,
        SliderControl = 11,
        RadioButtonControl = 12
    };

    // Script modes of startScriptDrag (a bit set).
    enum ScriptMode { ScriptSet = 1, ScriptGet = 2, ScriptRun = 4 };

    UniversalControl() = default;
    virtual ~UniversalControl();
    UniversalControl(const UniversalControl &) = delete;
    UniversalControl &operator=(const UniversalControl &) = delete;

    virtual bool isWritable() const = 0;
    virtual void setWritable(bool writable) = 0;
    virtual void setValue(double value) = 0;
    virtual double value() = 0;
    // part 0 field part, 1 register part, 2 whole binding name; any other part: empty.
    virtual QString registerName(int part) = 0;
    // slot in Qt's string form, e.g. "1slot_ControlTriggered()" (SLOT(...)).
    virtual bool connectChanged(const char *slot, QObject *receiver) = 0;
    virtual bool disconnectChanged() = 0;
    virtual void setToolTip(const QString &tip) = 0;
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
    virtual QString toolTip() const = 0;
    virtual void setOptions(const QString &options);
    virtual void setRange(double min, double max);
    virtual QByteArray byteArrayValue();
    virtual void setByteArrayValue(const QByteArray &bytes);
    virtual void applyDescription();

    // Splits "BANK[SW1]", "ReadVLED(1)", "Board.BANK[SW1]" ...; any output may be null;
    // outputs the rule does not assign keep their value.
    static void splitName(const QString &name, QString *prefix = nullptr,
                          QString *registerPart = nullptr, QString *fieldPart = nullptr);
    static QString nameFromObjectName(const QString &objectName);

    // Builds the script lines for the active applet and this widget's binding and runs the
    // drag (blocking until drop or cancel). Without an active applet nothing happens.
    void startScriptDrag(int mode);
    // Forgets the drag of the last startScriptDrag; Qt deletes the drag object itself.
    void deleteScriptDrag();

    // v truncated toward zero to an int (NaN gives 0, out-of-range values the nearest bound).
    static int truncateToInt(double v);
    // v truncated toward zero to a 64-bit integer, of which the low 32 bits are taken as
    // unsigned: -1 gives 0xFFFFFFFF (NaN gives 0, out-of-range values the nearest bound).
    static quint32 truncateToUInt32(double v);

    bool isConnected() const { return m_connected; }
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }

protected:
    // The common binding-name rule (binding name, else derived from the object name).
    QString resolveBindingName(const QWidget *widget, int part);
    // The push-button command rule.
    QString resolveCommandName(const QWidget *widget, int part);

    // Sets the connected flag, then connects signal (SIGNAL(...) form) of sender to slot of
    // receiver; returns whether the connection was made.
    bool connectChangeSignal(QObject *sender, const char *signal, const char *slot,
                             QObject *receiver);
    // Disconnects signal of sender from every receiver; the connected flag stays set.
    bool disconnectChangeSignal(QObject *sender, const char *signal);
    // The range rule of the dial and the progress bar: the minimum truncated and raised to 0,
    // the maximum truncated when it lies in 1..60000, else 60000.
    static void boundedRange(double min, double max, int *low, int *high);

    // Marks the widget bound without connecting anything (progress bar).
    void markConnected() { m_connected = true; }

    // The Ctrl+left press test: runs startScriptDrag(mode) and deleteScriptDrag() when the
    // press is a left press with exactly Ctrl held; returns whether a drag was started.
    bool handleScriptDragPress(QMouseEvent *event, int mode);
    // Paints the translucent orange tint over widget while Ctrl alone is held and the
    // pointer is inside it.
    static void paintScriptTint(QWidget *widget);

private:
    QString namePart(int part) const;

    int m_type = NoControl;
    bool m_connected = false;
    bool m_nameResolved = false;
    QString m_prefix;
    QString m_wholeName;
    QString m_registerPart;
    QString m_fieldPart;
    QPointer<QObject> m_drag; // the drag of the last startScriptDrag
};

// Base for widgets whose caption is not bound: setText is ignored, text is empty.
class NoCaptionControl : public UniversalControl
{
public:
    void setText(const QString &) override {}
    QString text() const override { return QString(); }
};

} // namespace CustomControls
