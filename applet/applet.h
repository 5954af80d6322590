#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QMetaObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

#include "binding.h"

class QAction;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class AppletHelper;
class Register;
class Variable;
namespace CustomControls
{
class UniversalControl;
}

// Base of every tool window. It keeps the bound items (registers and variables, in the order
// they were bound), binds the value widgets of its form to them by their binding names, moves
// values between widgets and model, answers name-based set/get, asks the applet's device hook
// (updateItem) to push or pull items, and wraps itself in a container of the main window.
class Applet : public QWidget
{
    Q_OBJECT
    // The console reads the function table with its descriptions.
    friend class AppletHelper;

public:
    // Container kinds.
    enum { MdiContainer = 0, DockContainer = 1 };

    explicit Applet(QWidget *parent = nullptr);
    ~Applet() override;

    // --- virtual interface, in this order ---
    // Name-based write and read of "ITEM" or "ITEM[FIELD]"; key is Variable::InternalKey or
    // Variable::OutsideKey (only variables look at it).
    virtual bool set(const QString &name, const QVariant &value, int key);
    virtual QVariant get(const QString &name, int key);
    // Runs a command; an empty command only fills the function table for the console.
    virtual QVariant run(const QString &command, const QVariant &args) = 0;
    // Device hook: mode 0 pushes the item to the board after the model changed, mode 1 pulls it
    // before it is read; "*" means every item. False when the board refused or did not answer.
    virtual bool updateItem(int mode, const QString &name);
    virtual void onDisconnected();
    virtual void onConnected();
    virtual QByteArray saveConfig();
    virtual bool loadConfig(const QByteArray &text);
    virtual bool init();
    // A line a person or a script sent to the board as it is (the log window's console, the
    // request "run write"): an applet that keeps a record of what a chip holds forgets what the
    // line may have changed. Does nothing by default.
    virtual void onRawLine(const QByteArray &line);
public slots:
    virtual void slot_capturedData(QByteArray data);
    virtual void transferVecData(QByteArray &data);

public:
    // --- set-up and binding ---
    bool setup();
    bool addRegister(Register *reg, int expectedSize = -1); // a size > 0 is checked (debug trace)
    bool addVariable(Variable *var);
    bool bindRegister(const QString &name, Register *reg);
    bool bindVariable(const QString &name, Variable *var);
    void removeItem(const QString &name);
    void removeRegister(Register *reg);
    void removeVariable(Variable *var);
    void unbindControls(const QString &name);
    void bindControls();
    void findControls();
    void initControls(CustomControls::UniversalControl *w);
    void forgetControl(CustomControls::UniversalControl *w);
    bool updateItemOnce(int mode, const QString &name);
    bool readParameters(const QString &names);
    bool writeParameters(const QString &names);

    // --- queries ---
    QStringList itemNames() const; // binding names, in binding order
    Binding *binding(const QString &name) const;
    QStringList functionNames() const;
    // Whether name ("ITEM" or "ITEM[FIELD]") names a bound item.
    bool hasItem(const QString &name) const;
    // Whether value fits the item that name names, as a write by name from outside the
    // program must: an integer item (a register's bits, a variable of whole numbers) takes
    // only a whole number within its range, where set itself would round, wrap or clip;
    // otherwise *why says what the item takes ("takes a whole number from 0 to 3"). A name that
    // names no item fits (set refuses it).
    bool fitsItem(const QString &name, const QVariant &value, QString *why = nullptr) const;
    // Why set(name, value, key) refuses ("SA is read-only", "BANK[SW1] takes a whole number
    // from 0 to 1"), for its error in the log.
    QString refusal(const QString &name, const QVariant &value, int key) const;
    // Whether command is one of the applet's commands. The table of names fills as commands
    // are looked for in run, so ask after a run (an empty command fills it whole).
    virtual bool hasCommand(const QString &command) const;
    QString name() const;
    QWidget *widget();
    bool isReadOnly(const QString &name) const;
    QStringList controlNames() const;
    void enableByDescription(const QString &name);
    // Runs a drag of the script lines that run item with argument, source as drag source.
    static void makeDragScript(QWidget *source, const char *item, const char *argument);

    // While a hold is in place, the widgets are not refreshed; as the last hold goes, every
    // item whose widgets missed a refresh is refreshed once, as a refresh (it only shows). For
    // work that ends with the widgets showing the model anyway, such as the board's set-up.
    class RefreshHold
    {
    public:
        explicit RefreshHold(Applet *applet); // null: holds nothing
        ~RefreshHold();
        RefreshHold(const RefreshHold &) = delete;
        RefreshHold &operator=(const RefreshHold &) = delete;

    private:
        Applet *m_applet;
    };

    // --- window side ---
    // The applet's MDI sub-window (put into parent when that is an MDI area) or dock widget,
    // made once.
    QWidget *createContainer(int kind, QWidget *parent);
    // An empty, hidden MDI sub-window in area (none: no area) for an applet to be built in;
    // given the size of the applet's form, it takes the place of that applet's window already.
    static QMdiSubWindow *createSubWindow(QMdiArea *area, const QSize &formSize = QSize());
    QWidget *container() const;
    int containerKind() const;
    QAction *action();
    // Shows the window; a window shown for the first time is polished and measured first
    // (polishWindow), which costs less than polishing it while it is being shown.
    void showWindow();
    // A hidden window never polished is polished from its frame down to the form's last
    // widget, as its first show would do it, and its form measured (its widgets and layouts keep
    // the sizes measured until they change): measurement is half of the work. True when it was
    // polished now; a shown or polished window is left alone.
    bool polishWindow();
    void measureForm() const;
    void hideWindow();
    bool isWindowVisible() const;
    void setTitle(const QString &text);
    QString title() const;
    void activate();
    void deactivate();
    bool isOnline() const;
    void rename(const QString &text);
    void releaseContainer();

    // Key code of the applet's Ctrl+digit shortcut (0: none); written by MainApp.
    int shortcut = 0;

signals:
    void signal_HideWindow();
    void signal_RegisterChanged();
    void signal_log(int level, const QString &text);

private slots:
    void slot_ActionTriggered();
    void slot_SetInactiveWindow();
    void slot_ControlTriggered();
    void slot_showHelp();

public slots:
    void setEnabled(bool on);
    void slot_updateSet(QString name);
    void slot_updateGet(QString name);
    void slot_updateControls(QString names);
    void slot_updateControls(Register *reg);
    void slot_updateControls(Variable *var);
    void slot_updateAllControls();
    void slot_adjustSize();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // Tab goes through the form in reading order, on to the rest of its window (ReadingOrder).
    bool focusNextPrevChild(bool next) override;

    QStringList busyItems;    // names whose updateItem call is running now
    bool fixedHeight = false; // the MDI sub-window gets a fixed height
    bool fixedWidth = false;  // the MDI sub-window gets a fixed width
    QMdiSubWindow *subWindow = nullptr;
    QDockWidget *dockWidget = nullptr;
    QAction *windowAction = nullptr;
    bool online = false;
    QMap<QString, QString> functions; // command name to description, for the console
    AppletHelper *helpWindow = nullptr;
    QList<CustomControls::UniversalControl *> controls; // value widgets found on the form
    bool triggeredByControl = false; // true while run() executes for a bound push button
    QList<QWidget *> extraWidgets;   // widgets switched by enableByDescription

    // True while the widgets follow the model with no user's edit or request behind the
    // change (a refresh after a command, a read, the set-up or a configuration load). What a
    // widget does then only shows: the applet writes no item, calls no device hook and
    // ignores change signals, and an applet's own sending code holds back.
    bool isRefreshing() const { return m_origin == ChangeOrigin::Refresh; }
    // True while a user's edit or a name-based write is under way.
    bool isEditing() const
    {
        return m_origin == ChangeOrigin::Edit || m_origin == ChangeOrigin::WriteByName;
    }
    // True while a write by name or in bulk is under way (a `set`, the console's Fill, an
    // applied register file): an edit, but none of a widget's own.
    bool isWriteByName() const { return m_origin == ChangeOrigin::WriteByName; }
    // Runs change, a user's action that writes the model directly, as an edit: the widgets
    // follow the model and act, so the applet's own sending code reaches the board.
    void runAsEdit(const std::function<void()> &change);
    // Runs change, a bulk write of items (the console's Fill, an applied register file), as a
    // write by name.
    void runAsWriteByName(const std::function<void()> &change);
    // Runs change, a write of the model that the widgets only show, as a refresh: nothing acts
    // on it.
    void runAsRefresh(const std::function<void()> &change);

private:
    enum TransferMode { ReadTransfer, WriteTransfer };
    // Why widgets are being set: a refresh shows the model; an edit (a user's change of a
    // bound widget) or a write by name acts, so the widgets sharing the item act too.
    enum class ChangeOrigin { None, Refresh, Edit, WriteByName };
    class OriginScope;
    // A name-based write of one item under way: the refresh its change notice causes is the
    // write's only one.
    struct PendingWrite {
        QString item;
        bool awaited = false;   // a write is under way: its change notice is awaited
        bool refreshed = false; // its change notice refreshed the item's widgets
    };

    bool addBinding(const QString &name, const Binding &binding, QObject *model);
    bool isOwnObject(const QObject *o) const;
    bool transferParameters(const QString &names, TransferMode mode);
    bool transferOne(const QString &name, TransferMode mode);
    void refreshNames(const QString &names);
    void refreshItem(const QString &name);
    void refreshNotified(const QString &name);
    void refreshWidgets(const Binding *b, QList<CustomControls::UniversalControl *> widgets);
    void refreshWidget(const Binding *b, CustomControls::UniversalControl *w) const;
    void controlChanged(CustomControls::UniversalControl *w);
    QByteArray configValue(const Binding *b) const;
    void loadConfigLine(const QByteArray &line);

    QHash<QString, Binding *> bindings; // bound items by name
    QStringList bindingOrder;           // the same names, in binding order
    int m_containerKind = MdiContainer;
    bool m_ownsAction = false;     // the MDI action is ours; a dock's toggle action is the dock's
    bool m_slotsConnected = false; // the form's slots are connected by name once
    ChangeOrigin m_origin = ChangeOrigin::None;
    int m_settingWidgets = 0; // depth of widget refreshes under way
    PendingWrite m_write;
    QList<QMetaObject::Connection> m_controlWatches; // bound widgets' deletion notices
    int m_refreshHolds = 0;
    QSet<const Binding *> m_missedRefreshes; // compared only, never followed
    QMetaObject::Connection m_dockVisibility;
};
