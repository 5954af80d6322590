#include "applet.h"

#include "accessiblenames.h"
#include "applethost.h"
#include "appletlog.h"
#include "appletscroll.h"
#include "bytetext.h"
#include "itemvalue.h"
#include "prompt.h"
#include "register.h"
#include "scriptdrag.h"
#include "scriptdragprovider.h"
#include "slotsbyname.h"
#include "universalcontrol.h"
#include "variable.h"
#include "variantutil.h"
#include "waitcursor.h"

#include <QAction>
#include <QDrag>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>

#include <utility>

using CustomControls::AccessibleNames;
using CustomControls::UniversalControl;

namespace
{

// Depth below the applet down to which value widgets are found.
constexpr int ControlSearchDepth = 11;

bool isPushButton(const UniversalControl *w)
{
    return w->type() == UniversalControl::PushButtonControl;
}

// A screen reader reads the widget's tool tip, as plain text, as its description.
void describeByToolTip(UniversalControl *w)
{
    if (auto *widget = dynamic_cast<QWidget *>(w))
        AccessibleNames::describeByToolTip(widget);
}

QString itemOf(const QString &name)
{
    QString item;
    UniversalControl::splitName(name, nullptr, &item, nullptr);
    return item;
}

// Removes the connections of a model object's change signals to the applet's update slots.
void dropModelConnections(QObject *model, QObject *applet)
{
    QObject::disconnect(model, SIGNAL(signal_updateSet(QString)), applet,
                        SLOT(slot_updateSet(QString)));
    QObject::disconnect(model, SIGNAL(signal_updateGet(QString)), applet,
                        SLOT(slot_updateGet(QString)));
}

} // namespace

// Sets the applet's change origin for a scope and restores the one before.
class Applet::OriginScope
{
public:
    OriginScope(Applet *applet, ChangeOrigin origin) : m_applet(applet), m_saved(applet->m_origin)
    {
        applet->m_origin = origin;
    }
    ~OriginScope() { m_applet->m_origin = m_saved; }
    OriginScope(const OriginScope &) = delete;
    OriginScope &operator=(const OriginScope &) = delete;

private:
    Applet *m_applet;
    ChangeOrigin m_saved;
};

// Built inside an empty MDI sub-window (Applet::createSubWindow), the applet goes into its
// scroll area at once, while the form is still empty: the sub-window measures the widget it
// is given, and a built form takes as long to measure as to build.
Applet::Applet(QWidget *parent) : QWidget(parent)
{
    AppletScroll *scroll = AppletScroll::of(qobject_cast<QMdiSubWindow *>(parent));
    if (scroll && !scroll->applet())
        scroll->setApplet(this);
}

Applet::~Applet()
{
    // The form's widgets go with the widget base, after this applet's part is gone.
    for (const QMetaObject::Connection &watch : std::as_const(m_controlWatches))
        disconnect(watch);
    qDeleteAll(bindings);
    if (m_ownsAction)
        delete windowAction;
}

// ---------------------------------------------------------------- virtual interface

bool Applet::set(const QString &name, const QVariant &value, int key)
{
    // A refresh only shows the model: whatever a widget's slot would write then is refused.
    if (name.isEmpty() || isNullVariant(value) || isRefreshing())
        return false;
    const QString item = itemOf(name);
    Binding *b = binding(item);
    if (item.isEmpty() || !b)
        return false;

    OriginScope edit(this, ChangeOrigin::WriteByName);
    const PendingWrite outer = std::exchange(m_write, PendingWrite{item, true, false});
    bool ok = false;
    if (b->isRegister()) {
        quint32 number = 0;
        ok = ItemValue::toRegisterValue(value, &number) && b->reg->setField(name, number);
    } else if (b->variable->type() == Variable::TypeString) {
        QByteArray bytes;
        ok = ItemValue::toVariableBytes(value, &bytes) && b->variable->setValue(bytes, key);
    } else {
        double number = 0;
        ok = ItemValue::toVariableNumber(value, &number) && b->variable->setValue(number, key);
    }
    const bool refreshed = std::exchange(m_write, outer).refreshed;
    if (!refreshed)
        refreshItem(item);
    return ok;
}

QVariant Applet::get(const QString &name, int key)
{
    Q_UNUSED(key);
    if (name.isEmpty())
        return QVariant();
    const QString item = itemOf(name);
    if (item.isEmpty() || !binding(item))
        return QVariant();

    if (!isRefreshing())
        updateItemOnce(1, item);
    // The hook may have removed the item.
    const Binding *b = binding(item);
    if (!b)
        return QVariant();
    QVariant result;
    if (b->isRegister())
        result = QVariant(uint(b->reg->getField(name)));
    else if (b->variable->type() == Variable::TypeString)
        result = QVariant(latin1UpToZero(b->variable->text()));
    else
        result = QVariant(b->variable->value());
    OriginScope refresh(this, ChangeOrigin::Refresh);
    refreshItem(item);
    return result;
}

bool Applet::updateItem(int mode, const QString &name)
{
    Q_UNUSED(mode);
    Q_UNUSED(name);
    return true;
}

void Applet::onDisconnected() {}

void Applet::onConnected() {}

void Applet::onRawLine(const QByteArray &) {}

bool Applet::init()
{
    return true;
}

void Applet::slot_capturedData(QByteArray data)
{
    Q_UNUSED(data);
}

void Applet::transferVecData(QByteArray &data)
{
    Q_UNUSED(data);
}

void Applet::runAsEdit(const std::function<void()> &change)
{
    OriginScope edit(this, ChangeOrigin::Edit);
    change();
}

void Applet::runAsWriteByName(const std::function<void()> &change)
{
    OriginScope write(this, ChangeOrigin::WriteByName);
    change();
}

void Applet::runAsRefresh(const std::function<void()> &change)
{
    OriginScope refresh(this, ChangeOrigin::Refresh);
    change();
}

// ---------------------------------------------------------------- set-up and binding

bool Applet::setup()
{
    const bool result = init();
    if (QAction *a = action())
        a->setEnabled(false);
    bindControls();
    if (QObject *log = AppletHost::instance()->logs())
        connect(this, SIGNAL(signal_log(int, QString)), log, SLOT(slot_addLog(int, QString)),
                Qt::UniqueConnection);
    if (!m_slotsConnected) {
        SlotsByName::connect(this);
        m_slotsConnected = true;
    }
    slot_updateAllControls();
    online = false;
    return result;
}

bool Applet::addRegister(Register *reg, int expectedSize)
{
    if (!reg || reg->name().isEmpty())
        return false;
    if (expectedSize > 0 && reg->size() != expectedSize)
        qCDebug(lcApplet).noquote()
            << QStringLiteral("Register size control fail : %1 .size %2 != %3")
                   .arg(reg->name())
                   .arg(reg->size())
                   .arg(expectedSize);
    return bindRegister(reg->name(), reg);
}

bool Applet::addVariable(Variable *var)
{
    if (!var || var->name().isEmpty())
        return false;
    return bindVariable(var->name(), var);
}

bool Applet::bindRegister(const QString &name, Register *reg)
{
    if (!addBinding(name, Binding{Binding::RegisterKind, reg, nullptr, {}}, reg))
        return false;
    reg->connectTo(this, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString)));
    return true;
}

bool Applet::bindVariable(const QString &name, Variable *var)
{
    if (!addBinding(name, Binding{Binding::VariableKind, nullptr, var, {}}, var))
        return false;
    var->connectTo(this, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString)));
    return true;
}

// Stores a copy of binding under name unless the name is taken or there is no model object;
// the caller then connects the object's change signals.
bool Applet::addBinding(const QString &name, const Binding &binding, QObject *model)
{
    if (bindings.contains(name)) {
        qCDebug(lcApplet).noquote()
            << QStringLiteral("Applet %1 already contains %2").arg(objectName(), name);
        return false;
    }
    if (!model)
        return false;
    bindings.insert(name, new Binding(binding));
    bindingOrder.append(name);
    dropModelConnections(model, this); // a re-bound object is connected once
    return true;
}

void Applet::removeItem(const QString &name)
{
    if (!bindings.contains(name))
        return;
    unbindControls(name);
    delete bindings.take(name);
    bindingOrder.removeAll(name);
}

void Applet::removeRegister(Register *reg)
{
    if (reg)
        removeItem(reg->name());
}

void Applet::removeVariable(Variable *var)
{
    if (var)
        removeItem(var->name());
}

void Applet::unbindControls(const QString &name)
{
    Binding *b = binding(name);
    if (!b)
        return;
    while (!b->widgets.isEmpty())
        b->widgets.takeFirst()->disconnectChanged();
}

// Only the pointer is compared: the widget is being destroyed.
void Applet::forgetControl(UniversalControl *w)
{
    controls.removeAll(w);
    for (Binding *b : std::as_const(bindings))
        b->widgets.removeAll(w);
}

void Applet::bindControls()
{
    AccessibleNames::nameControls(this);
    findControls();
    for (UniversalControl *w : std::as_const(controls))
        if (!w->isConnected())
            initControls(w);
}

void Applet::findControls()
{
    QObjectList found = children();
    QObjectList previous = found;
    for (int level = 1; level < ControlSearchDepth; ++level) {
        QObjectList next;
        for (QObject *o : std::as_const(previous))
            next += o->children();
        found += next;
        previous = next;
    }
    controls.clear();
    for (QObject *o : std::as_const(found)) {
        if (!QString::fromLatin1(o->metaObject()->className()).contains("CustomControls"))
            continue;
        if (auto *w = dynamic_cast<UniversalControl *>(o))
            controls.append(w);
    }
}

void Applet::initControls(UniversalControl *w)
{
    if (!w)
        return;
    if (isPushButton(w)) {
        w->setToolTip(QStringLiteral("<font color=#0000ff>%1 (%2)</font><br>")
                          .arg(w->registerName(1), w->registerName(0)));
        describeByToolTip(w);
        w->connectChanged(SLOT(slot_ControlTriggered()), this);
        return;
    }
    w->applyDescription();
    Binding *b = binding(w->registerName(1));
    if (!b)
        return;
    b->widgets.append(w);
    // A bound widget deleted with its form leaves the applet's lists at once.
    if (auto *o = dynamic_cast<QObject *>(w))
        m_controlWatches.append(
            connect(o, &QObject::destroyed, this, [this, w]() { forgetControl(w); }));

    QString description;
    if (b->isRegister()) {
        QString fieldName;
        b->reg->fieldInfo(&fieldName, &description, w->registerName(2).toLatin1());
        if (w->text().isEmpty())
            w->setText(fieldName);
        if (b->reg->isReadOnly())
            w->setWritable(false);
    } else {
        description = b->variable->description();
        if (b->variable->isReadOnly())
            w->setWritable(false);
        w->setRange(b->variable->min(), b->variable->max());
    }
    w->setToolTip(QStringLiteral("%1 <font color=#0000ff><br>%2</font><br>")
                      .arg(description, w->registerName(2)));
    describeByToolTip(w);
    w->connectChanged(SLOT(slot_ControlTriggered()), this);
}

bool Applet::updateItemOnce(int mode, const QString &name)
{
    if (busyItems.contains(name))
        return true;
    busyItems.append(name);
    const bool result = updateItem(mode, name);
    busyItems.removeAll(name);
    return result;
}

bool Applet::readParameters(const QString &names)
{
    return transferParameters(names, ReadTransfer);
}

bool Applet::writeParameters(const QString &names)
{
    return transferParameters(names, WriteTransfer);
}

bool Applet::transferParameters(const QString &names, TransferMode mode)
{
    WaitCursor wait;
    const bool everything = names.isEmpty() || names == "all" || names == "*";
    const QStringList entries = everything ? itemNames() : names.split(';');
    bool result = true;
    for (const QString &entry : entries) {
        if (entry == "*" || entry == "all") {
            transferParameters(QString(), mode);
            continue;
        }
        const bool ok = transferOne(entry, mode);
        if (!ok) {
            const QString text = mode == ReadTransfer
                                     ? QStringLiteral("%1 Parameter %2 fail to read")
                                     : QStringLiteral("%1 Parameter %2 fail to write");
            Prompt::ask(Prompt::Warning, QString(), text.arg(objectName(), entry), Prompt::Ok);
        }
        result = result && ok;
    }
    return result;
}

bool Applet::transferOne(const QString &name, TransferMode mode)
{
    if (mode == ReadTransfer) {
        const bool ok = updateItemOnce(1, name);
        if (ok)
            slot_updateControls(name);
        return ok;
    }
    if (isReadOnly(name))
        return true;
    return updateItemOnce(0, name);
}

// ---------------------------------------------------------------- widget changes and refresh

void Applet::slot_ControlTriggered()
{
    auto *w = dynamic_cast<UniversalControl *>(sender());
    if (w)
        controlChanged(w);
}

void Applet::controlChanged(UniversalControl *w)
{
    // A widget that took its value from the model has nothing to write back.
    if (m_settingWidgets > 0 || isRefreshing())
        return;
    if (isPushButton(w)) {
        // Only a push button of this applet's own object tree (its form, or a dialog it owns)
        // runs one of its commands.
        if (!isOwnObject(dynamic_cast<QObject *>(w)))
            return;
        // A person's command: requests wait until it is done, whatever events its progress
        // window or its questions let through meanwhile.
        const auto requestsWait = AppletHost::instance()->requestHold();
        triggeredByControl = true;
        run(w->registerName(1), QVariant(w->registerName(0)));
        triggeredByControl = false;
        return;
    }

    const QString item = w->registerName(1);
    Binding *b = binding(item);
    if (!b || !b->widgets.contains(w))
        return;
    OriginScope edit(this, ChangeOrigin::Edit);
    if (b->isRegister()) {
        b->reg->setField(w->registerName(2), UniversalControl::truncateToUInt32(w->value()));
    } else if (b->variable->type() == Variable::TypeString) {
        b->variable->setValue(w->byteArrayValue(), Variable::OutsideKey);
    } else {
        b->variable->setValue(w->value(), Variable::OutsideKey);
    }
    refreshItem(item);
}

// The widgets follow a model change as the write that made it: they act after a user's edit
// or a name-based write and only show otherwise. Only a change that is no refresh reaches the
// device hook.
void Applet::slot_updateSet(QString name)
{
    if (!online)
        return;
    if (m_write.awaited && name == m_write.item)
        m_write.refreshed = true;
    refreshNotified(name);
    if (!isRefreshing())
        updateItemOnce(0, name);
    emit signal_RegisterChanged();
}

void Applet::slot_updateGet(QString name)
{
    if (!online)
        return;
    if (!isRefreshing())
        updateItemOnce(1, name);
    refreshNames(name);
}

void Applet::slot_updateControls(QString names)
{
    OriginScope refresh(this, ChangeOrigin::Refresh);
    refreshNames(names);
}

void Applet::slot_updateControls(Register *reg)
{
    if (reg)
        slot_updateControls(reg->name());
}

void Applet::slot_updateControls(Variable *var)
{
    if (var)
        slot_updateControls(var->name());
}

void Applet::slot_updateAllControls()
{
    slot_updateControls(QString());
}

// Refreshes the named items (";" between names; empty or "*": all) as the current origin asks.
void Applet::refreshNames(const QString &names)
{
    const QStringList parts =
        names.isEmpty() || names.contains('*') ? itemNames() : names.split(';');
    for (const QString &part : parts)
        refreshItem(part);
}

void Applet::refreshItem(const QString &name)
{
    if (const Binding *b = binding(name))
        refreshWidgets(b, b->widgets);
}

// A register's notice of a field write refreshes only the widgets that show the written bits;
// any other notice refreshes every widget of the item. The bound register tells whether the
// notice is its own: asking for the sender walks every connection to the applet.
void Applet::refreshNotified(const QString &name)
{
    Binding *b = binding(name);
    QList<int> written;
    if (!b || !b->isRegister() || !b->reg->announcedBits(&written))
        refreshNames(name);
    else
        refreshWidgets(b, b->bitIndex.widgetsShowing(*b, written));
}

// Without an edit under way, setting the widgets is a refresh. A widget may react to its new
// value: widgets is a copy of the list.
void Applet::refreshWidgets(const Binding *b, QList<UniversalControl *> widgets)
{
    if (m_refreshHolds > 0) {
        m_missedRefreshes.insert(b);
        return;
    }
    OriginScope scope(this, isEditing() ? m_origin : ChangeOrigin::Refresh);
    ++m_settingWidgets;
    for (UniversalControl *w : std::as_const(widgets))
        if (!isPushButton(w))
            refreshWidget(b, w);
    --m_settingWidgets;
}

void Applet::refreshWidget(const Binding *b, UniversalControl *w) const
{
    if (b->isRegister())
        w->setValue(double(b->reg->getField(w->registerName(2))));
    else if (b->variable->type() == Variable::TypeString)
        w->setByteArrayValue(b->variable->text());
    else
        w->setValue(b->variable->value());
}

Applet::RefreshHold::RefreshHold(Applet *applet) : m_applet(applet)
{
    if (m_applet)
        ++m_applet->m_refreshHolds;
}

Applet::RefreshHold::~RefreshHold()
{
    if (!m_applet || --m_applet->m_refreshHolds > 0)
        return;
    const QSet<const Binding *> missed = std::exchange(m_applet->m_missedRefreshes, {});
    OriginScope refresh(m_applet, ChangeOrigin::Refresh);
    const QStringList order = m_applet->bindingOrder;
    for (const QString &name : order)
        if (missed.contains(m_applet->binding(name)))
            m_applet->refreshItem(name);
}

// Whether o lies in the applet's object tree; unlike isAncestorOf this crosses window
// boundaries, so the buttons of a dialog that the applet owns count as its own.
bool Applet::isOwnObject(const QObject *o) const
{
    for (const QObject *p = o ? o->parent() : nullptr; p; p = p->parent())
        if (p == this)
            return true;
    return false;
}

// ---------------------------------------------------------------- queries

QStringList Applet::itemNames() const
{
    return bindingOrder;
}

Binding *Applet::binding(const QString &name) const
{
    return bindings.value(name, nullptr);
}

QStringList Applet::functionNames() const
{
    return functions.keys();
}

bool Applet::hasItem(const QString &name) const
{
    const QString item = itemOf(name);
    return !item.isEmpty() && binding(item);
}

bool Applet::fitsItem(const QString &name, const QVariant &value, QString *why) const
{
    const Binding *b = binding(itemOf(name));
    return !b || ItemValue::fits(*b, name, value, why);
}

QString Applet::refusal(const QString &name, const QVariant &value, int key) const
{
    if (!hasItem(name))
        return QStringLiteral("%1 has no item %2").arg(objectName(), name);
    if (isNullVariant(value))
        return QStringLiteral("no value is given");
    if (isRefreshing())
        return QStringLiteral("%1 is showing its items").arg(objectName());
    const QString why = ItemValue::refusal(*binding(itemOf(name)), name, value, key);
    return name + QLatin1Char(' ') + (why.isEmpty() ? QStringLiteral("is not written") : why);
}

bool Applet::hasCommand(const QString &command) const
{
    return functions.contains(command);
}

QString Applet::name() const
{
    return objectName();
}

QWidget *Applet::widget()
{
    return this;
}

bool Applet::isReadOnly(const QString &name) const
{
    const Binding *b = binding(name);
    if (!b)
        return false;
    return b->isRegister() ? b->reg->isReadOnly() : b->variable->isReadOnly();
}

QStringList Applet::controlNames() const
{
    QStringList names;
    for (UniversalControl *w : controls)
        names.append(w->registerName(2));
    return names;
}

void Applet::enableByDescription(const QString &name)
{
    for (QWidget *w : std::as_const(extraWidgets)) {
        if (!w)
            continue;
        const QString description = w->accessibleDescription();
        bool enabled = true;
        if (description.contains(name)) {
            const QStringList pieces = description.split(';');
            for (const QString &piece : pieces) {
                const int colon = int(piece.indexOf(':'));
                if (colon < 0 || piece.left(colon).trimmed() != name)
                    continue;
                enabled = piece.mid(colon + 1).trimmed().toInt() != 0;
            }
        }
        w->setEnabled(enabled);
    }
}

void Applet::makeDragScript(QWidget *source, const char *item, const char *argument)
{
    namespace Script = CustomControls::ScriptDrag;
    if (!source)
        return;
    const QString itemName = QString::fromLatin1(item);
    auto *data = new QMimeData;
    data->setData(Script::InitObjectFormat, Script::initObjectLine().toLatin1());
    data->setData(Script::SetDataFormat,
                  Script::runLine(itemName, QString::fromLatin1(argument)).toLatin1());
    data->setData(Script::CleanUpFormat, Script::cleanUpLine().toLatin1());
    data->setText(QStringLiteral("%1 #%2: run").arg(itemName, Script::ProjectName));

    QPointer<QDrag> drag = new QDrag(source);
    drag->setMimeData(data);
    if (auto *provider = CustomControls::ScriptDragProvider::provider())
        provider->executeDrag(drag);
    else
        drag->exec(Qt::CopyAction);
    if (drag)
        drag->deleteLater();
}
