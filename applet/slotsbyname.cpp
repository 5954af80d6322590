#include "slotsbyname.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaMethod>
#include <QObject>
#include <QtDebug>

#include <algorithm>

namespace
{

// An object whose name is followed by '_' in a slot's name: its place in the search order and
// where its name ends in the slot's signature.
struct Candidate {
    int place;
    int nameEnd;
};

// The signal of object named by signature (the rest of the slot's signature after the object's
// name): the exact one, else the first declared whose signature starts with the signal's name
// and the slot's arguments.
QMetaMethod signalOf(const QObject *object, const QByteArray &signature)
{
    const QMetaObject *meta = object->metaObject();
    const int exact = meta->indexOfSignal(signature.constData());
    if (exact >= 0)
        return meta->method(exact);
    const QByteArray start = signature.left(signature.size() - 1); // without the ')'
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal &&
            method.methodSignature().startsWith(start))
            return method;
    }
    return QMetaMethod();
}

// The objects that slot names, in the search order.
QList<Candidate> candidatesOf(const QByteArray &slot, const QMultiHash<QByteArray, int> &places)
{
    QList<Candidate> candidates;
    for (int end = int(slot.indexOf('_', 3)); end >= 0; end = int(slot.indexOf('_', end + 1))) {
        const QByteArray name = slot.mid(3, end - 3);
        for (auto it = places.find(name); it != places.end() && it.key() == name; ++it)
            candidates.append({it.value(), end});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate &a, const Candidate &b) { return a.place < b.place; });
    return candidates;
}

} // namespace

void SlotsByName::connect(QObject *receiver)
{
    QList<QObject *> objects = receiver->findChildren<QObject *>();
    objects.append(receiver);
    QMultiHash<QByteArray, int> places;
    for (int i = 0; i < objects.size(); ++i) {
        const QByteArray name = objects.at(i)->objectName().toLatin1();
        if (!name.isEmpty())
            places.insert(name, i);
    }
    const QMetaObject *meta = receiver->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod slot = meta->method(i);
        const QByteArray signature = slot.methodSignature();
        if (!signature.startsWith("on_"))
            continue;
        bool connected = false;
        for (const Candidate &c : candidatesOf(signature, places)) {
            const QMetaMethod signal = signalOf(objects.at(c.place), signature.mid(c.nameEnd + 1));
            connected =
                signal.isValid() && QObject::connect(objects.at(c.place), signal, receiver, slot);
            if (connected)
                break;
        }
        if (connected) {
            // The overloads with default arguments left out are the same slot.
            while (meta->method(i + 1).attributes() & QMetaMethod::Cloned)
                ++i;
        } else if (!(slot.attributes() & QMetaMethod::Cloned) &&
                   signature.lastIndexOf('_', signature.indexOf('(') - 1) > 3) {
            qWarning("SlotsByName: No matching signal for %s", signature.constData());
        }
    }
}
